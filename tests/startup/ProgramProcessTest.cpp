// The built program started from a temporary install folder, headless. The program's
// switches for unattended runs (app/Automation.h) answer its boxes, log its shell requests
// and report every window it shows, on stderr.
#include "app/Startup.h"
#include "shared/IniFile.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QUrl>
#include <gtest/gtest.h>

namespace {

const QByteArray kMainWindowShown("quillmoor: window shown TFrmMain \"Quillmoor\"");
constexpr int kWaitMs = 30000;

class ProgramInstall {
public:
    ProgramInstall()
    {
        EXPECT_TRUE(QFile::copy(QStringLiteral(QM_PROGRAM), m_dir.filePath("quillmoor")));
        EXPECT_TRUE(QFile::copy(QStringLiteral(QM_DIALOG_LIBRARY), m_dir.filePath("libCorvane.so")));
    }
    QString folder() const { return QFileInfo(m_dir.path()).canonicalFilePath(); }
    QString configPath() const { return folder() + "/config.ini"; }
    QString runtimeFolder() const { return m_runtime.path(); }

    std::unique_ptr<QProcess> start(const QStringList& arguments = {}) const
    {
        auto p = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("XDG_RUNTIME_DIR", m_runtime.path()); // the lock of this test only
        env.insert("QM_PROMPTS_AUTO", "ok");
        env.insert("QM_SHELL_LOG", "1");
        env.insert("QM_REPORT_WINDOWS", "1");
        p->setProcessEnvironment(env);
        p->setProgram(folder() + "/quillmoor");
        p->setArguments(arguments);
        p->start();
        EXPECT_TRUE(p->waitForStarted(kWaitMs));
        return p;
    }

private:
    QTemporaryDir m_dir;
    QTemporaryDir m_runtime;
};

// Collects the process's stderr until `text` shows up or the process ends.
bool waitForText(QProcess& p, QByteArray& collected, const QByteArray& text)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < kWaitMs) {
        collected += p.readAllStandardError();
        if (collected.contains(text))
            return true;
        if (p.state() == QProcess::NotRunning)
            return false;
        p.waitForReadyRead(100);
    }
    return false;
}

QByteArray finish(QProcess& p)
{
    EXPECT_TRUE(p.waitForFinished(kWaitMs));
    return p.readAllStandardError();
}

void stop(QProcess& p)
{
    p.kill();
    p.waitForFinished(kWaitMs);
}

} // namespace

TEST(Program, FirstStartWritesTheFlagAndEndsThenTheSecondShowsTheMainWindow)
{
    ProgramInstall install;

    auto first = install.start();
    const QByteArray firstErr = finish(*first);
    EXPECT_EQ(first->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(first->exitCode(), 0);
    QUrl page = QUrl::fromLocalFile(install.folder() + "/help.html");
    page.setFragment("player");
    const QByteArray notice = ("quillmoor: message Information: The Quillmoor is running for the first time!\\n"
                               "Please download the latest version of Flash player at Macromedia`s office web site "
                               + page.toString() + "!\n").toUtf8();
    EXPECT_TRUE(firstErr.contains(notice)) << firstErr.toStdString();
    EXPECT_TRUE(firstErr.contains("quillmoor: shell open " + page.toString().toUtf8() + "\n")) << firstErr.toStdString();
    EXPECT_FALSE(firstErr.contains("window shown")) << firstErr.toStdString();
    EXPECT_EQ(IniFile(install.configPath()).read("App", "Flag"), "1");

    auto second = install.start();
    QByteArray secondErr;
    EXPECT_TRUE(waitForText(*second, secondErr, kMainWindowShown)) << secondErr.toStdString();
    EXPECT_FALSE(secondErr.contains("quillmoor: message")) << secondErr.toStdString();
    EXPECT_FALSE(secondErr.contains("quillmoor: shell")) << secondErr.toStdString();
    stop(*second);
}

TEST(Program, SecondInstanceEndsWhileTheFirstRunsWithoutAWindow)
{
    ProgramInstall install;
    qmtest::writeFile(install.configPath(), "[App]\nFlag=1\n");
    auto first = install.start();
    QByteArray firstErr;
    ASSERT_TRUE(waitForText(*first, firstErr, kMainWindowShown)) << firstErr.toStdString();

    auto second = install.start();
    const QByteArray secondErr = finish(*second);
    EXPECT_EQ(second->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second->exitCode(), 0);
    EXPECT_EQ(secondErr, QByteArray()) << "the second instance showed or said something";

    EXPECT_EQ(first->state(), QProcess::Running);
    EXPECT_EQ(first->readAllStandardError(), QByteArray()) << "the first instance reacted";
    EXPECT_EQ(qmtest::readFile(install.configPath()), QByteArray("[App]\nFlag=1\n"));
    stop(*first);
}

TEST(Program, KilledInstanceDoesNotBlockTheNextStart)
{
    ProgramInstall install;
    qmtest::writeFile(install.configPath(), "[App]\nFlag=1\n");
    auto first = install.start();
    QByteArray firstErr;
    ASSERT_TRUE(waitForText(*first, firstErr, kMainWindowShown)) << firstErr.toStdString();
    stop(*first); // SIGKILL: no chance to let go of anything
    EXPECT_EQ(first->exitStatus(), QProcess::CrashExit);

    auto next = install.start();
    QByteArray nextErr;
    EXPECT_TRUE(waitForText(*next, nextErr, kMainWindowShown)) << nextErr.toStdString();
    stop(*next);
}

TEST(Program, UnwritableSettingsEndTheFirstStartWithTheError)
{
    ProgramInstall install;
    QDir().mkdir(install.configPath());
    auto p = install.start();
    const QByteArray err = finish(*p);
    EXPECT_EQ(p->exitCode(), 1);
    EXPECT_TRUE(err.contains("quillmoor: message Quillmoor: Unable to write to " + install.configPath().toUtf8() + "\n"))
        << err.toStdString();
    EXPECT_FALSE(err.contains("running for the first time")) << err.toStdString();
    EXPECT_FALSE(err.contains("window shown")) << err.toStdString();
}

TEST(Program, AFolderOnTheCommandLineOpensThePlayerWithItsMovies)
{
    ProgramInstall install;
    IniFile settings(install.configPath());
    settings.write("App", "Flag", "1");
    settings.write("Preview", "IsPlayOrder", "0");
    QTemporaryDir movies;
    const QString visual = qmtest::corpusDir() + "/conformance/visual/";
    for (const char* name : { "from_gnash__misc-ming.all__shape_test", "avm1__mcl_target_png" })
        ASSERT_TRUE(QFile::copy(visual + name + "/test.swf", movies.filePath(QString(name) + ".swf")));

    auto run = install.start({ movies.path() });
    QByteArray err;
    EXPECT_TRUE(waitForText(*run, err, "quillmoor: window shown TFrmPreviewFlash \"Preview Flash\""))
        << err.toStdString();
    EXPECT_FALSE(err.contains("quillmoor: message")) << err.toStdString();
    stop(*run);
}
