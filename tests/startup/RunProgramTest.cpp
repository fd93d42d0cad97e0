// The run of the program inside the test process: the application object exists already,
// so RunProgram uses it.
#include "app/DllUnit.h"
#include "app/Startup.h"
#include "shared/DesktopShell.h"
#include "shared/Errors.h"
#include "shared/IniFile.h"
#include "shared/Share.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

using qmtest::RecordingShell;

class RunProgramTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        configPath = dir.filePath("config.ini");
        lockPath = dir.filePath("instance.lock");
        SetConfigPathForTesting(configPath);
    }
    void TearDown() override
    {
        SetConfigPathForTesting(QString());
        // Closing the last window posts a request to quit; in the program it ends the run,
        // here it would end the next test's dialogs before they show.
        QCoreApplication::removePostedEvents(qApp, QEvent::Quit);
    }

    // Runs the program with a main window that ends the loop as soon as it is running.
    int run(std::function<void()> whileRunning = {})
    {
        StartupOptions options;
        options.lockPath = lockPath;
        options.createMainWindow = [this, whileRunning]() {
            ++windowsCreated;
            auto w = std::make_unique<QWidget>();
            QTimer::singleShot(0, w.get(), [whileRunning]() {
                if (whileRunning)
                    whileRunning();
                QCoreApplication::quit();
            });
            return w;
        };
        int argc = 1;
        char name[] = "quillmoor";
        char* argv[] = { name, nullptr };
        return RunProgram(argc, argv, options);
    }

    QTemporaryDir dir;
    QString configPath;
    QString lockPath;
    qmtest::ScriptedPrompts prompts;
    RecordingShell shell;
    int windowsCreated = 0;
};

} // namespace

TEST_F(RunProgramTest, FirstStartShowsTheNoticeOpensThePageAndEnds)
{
    struct Row {
        const char* name;
        std::optional<QByteArray> settings;
    };
    const Row rows[] = {
        { "no settings file", std::nullopt },
        { "flag absent", QByteArray("[App]\nLeft=3\n") },
        { "flag 0", QByteArray("[App]\nFlag=0\n") },
        { "flag yes", QByteArray("[App]\nFlag=yes\n") },
        { "flag 01", QByteArray("[App]\nFlag=01\n") },
        { "flag empty", QByteArray("[App]\nFlag=\n") },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        QFile::remove(configPath);
        if (row.settings)
            qmtest::writeFile(configPath, *row.settings);
        prompts.messages.clear();
        shell.opened.clear();
        windowsCreated = 0;

        EXPECT_EQ(run(), 0);
        EXPECT_EQ(ReadConfig("App", "Flag"), "1");
        ASSERT_EQ(prompts.messages.size(), 1u);
        EXPECT_EQ(prompts.messages[0].icon, Prompts::Icon::Information);
        EXPECT_EQ(prompts.messages[0].caption, "Information");
        EXPECT_EQ(prompts.messages[0].text, FirstRunNotice());
        EXPECT_EQ(shell.opened, QStringList { PlayerHelpAddress() });
        EXPECT_EQ(windowsCreated, 0);
        EXPECT_FALSE(QFileInfo::exists(lockPath)) << "the first start takes no lock";
    }
}

TEST_F(RunProgramTest, NoticeTextAndPageAreTheProgramsOwn)
{
    const QString page = PlayerHelpAddress();
    EXPECT_EQ(page, QUrl::fromLocalFile(GetAppPath() + "help.html").toString() + "#player");
    EXPECT_EQ(FirstRunNotice(),
              "The Quillmoor is running for the first time!\n"
              "Please download the latest version of Flash player at Macromedia\u0060s office web site "
                  + page + "!");
    EXPECT_EQ(FailedStartMessage(),
              "Excuse me: Please download the latest version of Flash player at Macromedia`s office web site "
                  + page + "!");
}

TEST_F(RunProgramTest, RefusedFlagWriteEndsWithTheErrorBeforeTheNotice)
{
    QDir().mkdir(configPath); // a folder where the settings file should be
    EXPECT_EQ(run(), 1);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].icon, Prompts::Icon::Error);
    EXPECT_EQ(prompts.messages[0].caption, "Quillmoor");
    EXPECT_EQ(prompts.messages[0].text, "Unable to write to " + configPath);
    EXPECT_TRUE(shell.opened.isEmpty());
    EXPECT_EQ(windowsCreated, 0);
}

TEST_F(RunProgramTest, LaterStartRunsTheMainWindowHoldingTheLock)
{
    // Blanks around the stored flag are not part of the value.
    for (const QByteArray& flag : { QByteArray("1"), QByteArray("  1  "), QByteArray("\"1\"") }) {
        SCOPED_TRACE(flag.toStdString());
        qmtest::writeFile(configPath, "[App]\nFlag=" + flag + "\n");
        windowsCreated = 0;
        SingleInstance::Result whileRunning = SingleInstance::Result::Unavailable;
        QWidget* owner = nullptr;
        QString title;
        const int code = run([&]() {
            SingleInstance other(lockPath);
            whileRunning = other.tryAcquire();
            owner = DllOwnerWindow();
            title = QCoreApplication::applicationName();
        });
        EXPECT_EQ(code, 0);
        EXPECT_EQ(windowsCreated, 1);
        EXPECT_EQ(whileRunning, SingleInstance::Result::HeldElsewhere);
        EXPECT_NE(owner, nullptr) << "library dialogs belong to the main window";
        EXPECT_EQ(title, "Quillmoor");
        EXPECT_EQ(DllOwnerWindow(), nullptr);
        EXPECT_TRUE(prompts.messages.empty());
        EXPECT_TRUE(shell.opened.isEmpty());

        SingleInstance after(lockPath);
        EXPECT_EQ(after.tryAcquire(), SingleInstance::Result::Acquired) << "the lock is released at the end";
    }
}

TEST_F(RunProgramTest, SecondInstanceEndsAtOnceAndChangesNothing)
{
    const QByteArray settings("[App]\nFlag=1\nLeft=10\n");
    qmtest::writeFile(configPath, settings);
    SingleInstance running(lockPath);
    ASSERT_EQ(running.tryAcquire(), SingleInstance::Result::Acquired);

    EXPECT_EQ(run(), 0);
    EXPECT_EQ(windowsCreated, 0);
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_TRUE(shell.opened.isEmpty());
    EXPECT_EQ(qmtest::readFile(configPath), settings);
    EXPECT_TRUE(running.held());
}

TEST_F(RunProgramTest, UnusableLockDoesNotKeepTheUserOut)
{
    qmtest::writeFile(configPath, "[App]\nFlag=1\n");
    lockPath = dir.filePath("no/such/folder/instance.lock");
    EXPECT_EQ(run(), 0);
    EXPECT_EQ(windowsCreated, 1);
}

TEST_F(RunProgramTest, FailedMainWindowShowsTheErrorOpensThePageAndEnds)
{
    qmtest::writeFile(configPath, "[App]\nFlag=1\n");
    StartupOptions options;
    options.lockPath = lockPath;
    options.createMainWindow = []() -> std::unique_ptr<QWidget> { throw EFOpenError("no player"); };
    // Fires only inside an event loop: ends one that should never have run.
    bool loopRan = false;
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [&]() {
        loopRan = true;
        QCoreApplication::quit();
    });
    guard.start(0);
    int argc = 1;
    char name[] = "quillmoor";
    char* argv[] = { name, nullptr };
    EXPECT_EQ(RunProgram(argc, argv, options), 1);
    EXPECT_FALSE(loopRan) << "the message loop was entered";
    guard.stop();

    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].icon, Prompts::Icon::Error);
    EXPECT_EQ(prompts.messages[0].caption, "Error");
    EXPECT_EQ(prompts.messages[0].text, FailedStartMessage());
    EXPECT_EQ(shell.opened, QStringList { PlayerHelpAddress() });
}

// ---- The application's error box ----

namespace {

class ThrowingObject : public QObject {
public:
    bool event(QEvent* e) override
    {
        if (e->type() == QEvent::User)
            throw EConvertError("'x' is not a valid integer value");
        return QObject::event(e);
    }
};

} // namespace

TEST(ApplicationErrorBox, ErrorEscapingAHandlerIsShownAndEndsOnlyThatHandler)
{
    qmtest::ScriptedPrompts prompts;
    ThrowingObject thrower;
    QCoreApplication::postEvent(&thrower, new QEvent(QEvent::User));

    QPushButton button;
    int clicks = 0;
    QObject::connect(&button, &QPushButton::clicked, [&]() {
        ++clicks;
        if (clicks == 2)
            throw EIniFileException("Unable to write to /x/config.ini");
    });
    for (int i = 0; i < 3; ++i)
        QMetaObject::invokeMethod(&button, "click", Qt::QueuedConnection);
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();

    EXPECT_EQ(clicks, 3) << "the program goes on after the box";
    ASSERT_EQ(prompts.messages.size(), 2u);
    EXPECT_EQ(prompts.messages[1].icon, Prompts::Icon::Error);
    EXPECT_EQ(prompts.messages[1].caption, "Quillmoor");
    EXPECT_EQ(prompts.messages[1].text, "Unable to write to /x/config.ini");
    EXPECT_EQ(prompts.messages[0].icon, Prompts::Icon::Error);
    EXPECT_EQ(prompts.messages[0].caption, "Quillmoor");
    EXPECT_EQ(prompts.messages[0].text, "'x' is not a valid integer value");
}
