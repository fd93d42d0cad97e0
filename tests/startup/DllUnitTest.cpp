// The binding to the dialog library, with the real libCorvane.so copied into a temporary
// install folder. The library's dialogs are closed as soon as they are up.
#include "app/DllUnit.h"
#include "shared/Share.h"
#include "tests/support/TestSupport.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

#include <dlfcn.h>

namespace {

// Closes every modal dialog that comes up and remembers it.
class ModalCloser {
public:
    ModalCloser()
    {
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, [this]() {
            if (QWidget* w = QApplication::activeModalWidget()) {
                titles << w->windowTitle();
                owners << w->parentWidget();
                w->close();
            }
        });
        m_timer.start();
    }
    QStringList titles;
    QList<QWidget*> owners;

private:
    QTimer m_timer;
};

class DllUnitTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(install.isValid());
        qmtest::writeFile(install.filePath("install.ini"), "[My Program]\nInstallPath=" + install.path().toUtf8() + "\n");
        SetInstallRecordPath(install.filePath("install.ini"));
        SetDllOwnerWindow(&owner);
    }
    void TearDown() override
    {
        SetDllOwnerWindow(nullptr);
        SetInstallRecordPath(QString());
    }
    QString libraryPath() const { return install.filePath("libCorvane.so"); }

    QTemporaryDir install;
    QWidget owner;
    qmtest::ScriptedPrompts prompts;
};

bool mappedInProcess(const QString& path)
{
    void* handle = ::dlopen(QFile::encodeName(path).constData(), RTLD_LAZY | RTLD_NOLOAD);
    if (!handle)
        return false;
    ::dlclose(handle); // only drops the reference RTLD_NOLOAD added
    return true;
}

} // namespace

TEST_F(DllUnitTest, LibraryIsLoadedByPathFromTheInstallFolderOnceAndKept)
{
    ASSERT_TRUE(QFile::copy(QStringLiteral(QM_DIALOG_LIBRARY), libraryPath()));
    EXPECT_EQ(GetInstallPath() + DialogLibraryFileName(), libraryPath());
    const int before = DllLoadCount();

    ModalCloser closer;
    ShowDllForm("ShowFrmAbout");
    ShowDllForm("ShowFrmAbout");
    ShowDllForm("ShowFrmOption");

    EXPECT_EQ(closer.titles, (QStringList { "About", "About", "Set options" }));
    for (QWidget* w : closer.owners)
        EXPECT_EQ(w, &owner) << "the dialog belongs to the program's main window";
    EXPECT_EQ(DllLoadCount(), before + 1);
    EXPECT_TRUE(mappedInProcess(libraryPath())) << "never unloaded";
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(DllUnitTest, NothingHappensWhenTheDialogCannotBeReached)
{
    struct Row {
        const char* name;
        std::function<void(const QString&)> prepare;
        const char* exportName;
        int loads; // libraries that get loaded on the way
    };
    const Row rows[] = {
        { "no library file", [](const QString&) {}, "ShowFrmAbout", 0 },
        { "a folder in its place", [](const QString& p) { QDir().mkdir(p); }, "ShowFrmAbout", 0 },
        { "not a library", [](const QString& p) { qmtest::writeFile(p, QByteArray(4096, 'x')); }, "ShowFrmAbout", 0 },
        { "empty file", [](const QString& p) { qmtest::writeFile(p, QByteArray()); }, "ShowFrmOption", 0 },
        { "library without the exports",
          [](const QString& p) { QFile::copy(QStringLiteral(QM_NOEXPORTS_LIBRARY), p); }, "ShowFrmAbout", 1 },
        { "unknown export of the real library",
          [](const QString& p) { QFile::copy(QStringLiteral(QM_DIALOG_LIBRARY), p); }, "ShowFrmNothing", 1 },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        QTemporaryDir folder;
        qmtest::writeFile(install.filePath("install.ini"), "[My Program]\nInstallPath=" + folder.path().toUtf8() + "\n");
        row.prepare(folder.filePath("libCorvane.so"));
        const int before = DllLoadCount();

        ModalCloser closer;
        ShowDllForm(row.exportName);
        QCoreApplication::processEvents();

        EXPECT_TRUE(closer.titles.isEmpty());
        EXPECT_EQ(DllLoadCount(), before + row.loads);
        EXPECT_TRUE(prompts.messages.empty());
    }
}
