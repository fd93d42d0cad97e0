#include "app/Startup.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <optional>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

namespace {

using Result = SingleInstance::Result;

// Restores an environment variable when the test ends.
class EnvGuard {
public:
    explicit EnvGuard(const char* name)
        : m_name(name), m_had(qEnvironmentVariableIsSet(name)), m_value(qgetenv(name)) {}
    ~EnvGuard()
    {
        if (m_had)
            qputenv(m_name, m_value);
        else
            qunsetenv(m_name);
    }

private:
    const char* m_name;
    bool m_had;
    QByteArray m_value;
};

} // namespace

TEST(SingleInstance, SecondHolderIsRefusedUntilTheFirstLetsGo)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("instance.lock");
    SingleInstance first(path);
    SingleInstance second(path);
    EXPECT_EQ(first.tryAcquire(), Result::Acquired);
    EXPECT_EQ(second.tryAcquire(), Result::HeldElsewhere);
    EXPECT_FALSE(second.held());
    first.release();
    EXPECT_EQ(second.tryAcquire(), Result::Acquired);
}

TEST(SingleInstance, EndingTheHolderFreesTheLock)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("instance.lock");
    {
        SingleInstance first(path);
        ASSERT_EQ(first.tryAcquire(), Result::Acquired);
    }
    SingleInstance next(path);
    EXPECT_EQ(next.tryAcquire(), Result::Acquired);
}

TEST(SingleInstance, LockIsNotInheritedByProgramsWeStart)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("instance.lock");
    SingleInstance instance(path);
    ASSERT_EQ(instance.tryAcquire(), Result::Acquired);
    const QString target = QFileInfo(path).canonicalFilePath();
    int found = 0;
    for (const QFileInfo& fd : QDir(QStringLiteral("/proc/self/fd")).entryInfoList(QDir::Files | QDir::System)) {
        if (fd.symLinkTarget() != target)
            continue;
        ++found;
        const int flags = ::fcntl(fd.fileName().toInt(), F_GETFD);
        EXPECT_TRUE(flags & FD_CLOEXEC) << "descriptor " << fd.fileName().toStdString();
    }
    EXPECT_EQ(found, 1);
}

TEST(SingleInstance, UnusableLockFilesAreReportedNotFatal)
{
    QTemporaryDir dir;
    QDir(dir.path()).mkdir("folder.lock");
    QFile::link(dir.filePath("elsewhere"), dir.filePath("link.lock"));
    struct Row {
        const char* name;
        QString path;
    };
    const Row rows[] = {
        { "folder missing", dir.filePath("no/such/instance.lock") },
        { "a folder in its place", dir.filePath("folder.lock") },
        { "a symbolic link in its place", dir.filePath("link.lock") },
    };
    for (const Row& row : rows) {
        SingleInstance instance(row.path);
        EXPECT_EQ(instance.tryAcquire(), Result::Unavailable) << row.name;
        EXPECT_FALSE(instance.held()) << row.name;
    }
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("elsewhere"))) << "the link was followed";
}

TEST(SingleInstance, LockFileLivesInTheUsersRuntimeFolder)
{
    EnvGuard guard("XDG_RUNTIME_DIR");
    QTemporaryDir runtime;
    const QString name = QString::fromLatin1(SingleInstance::kMutexName);
    EXPECT_EQ(name, "{8C536CD4-228D-4754-95B6-4B2B23B0E31C}");
    const QString fallback = QDir::tempPath() + QStringLiteral("/%1-%2.lock").arg(name).arg(::geteuid());

    struct Row {
        const char* name;
        std::optional<QByteArray> value;
        QString expected;
    };
    const Row rows[] = {
        { "runtime folder", QFile::encodeName(runtime.path()), runtime.path() + "/" + name + ".lock" },
        { "runtime folder with a slash", QFile::encodeName(runtime.path() + "/"), runtime.path() + "/" + name + ".lock" },
        { "not set", std::nullopt, fallback },
        { "empty", QByteArray(), fallback },
        { "missing folder", QFile::encodeName(runtime.filePath("gone")), fallback },
    };
    for (const Row& row : rows) {
        if (row.value)
            qputenv("XDG_RUNTIME_DIR", *row.value);
        else
            qunsetenv("XDG_RUNTIME_DIR");
        EXPECT_EQ(SingleInstance::DefaultLockPath(), row.expected) << row.name;
    }
}
