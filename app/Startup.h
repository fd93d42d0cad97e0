#pragma once
// The program's start: the first-run notice, the single-instance lock, the application object
// with its error box, the main window and the message loop. main() only calls RunProgram.
#include <QApplication>
#include <QString>
#include <functional>
#include <memory>

class QWidget;

// The application object. An exception that escapes an event handler ends that handler
// only: it is shown in an error box captioned with the application title.
class TQuillmoorApplication : public QApplication {
public:
    TQuillmoorApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

// The error box of the application: an error icon, the application title and the message.
void ShowErrorBox(const QString& message);

// One running instance per user: an exclusive flock on a file in the user's runtime folder.
// The kernel drops the lock when the holder ends in any way, so a killed instance never
// keeps the next one out.
class SingleInstance {
public:
    // The name the running instance is known by; the lock file is named after it.
    static constexpr const char* kMutexName = "{8C536CD4-228D-4754-95B6-4B2B23B0E31C}";

    enum class Result {
        Acquired,      // this process is the running instance now
        HeldElsewhere, // another process holds the lock
        Unavailable,   // no lock file could be opened; the program runs without one
    };

    // $XDG_RUNTIME_DIR/<name>.lock when that folder is ours, else <temp>/<name>-<uid>.lock.
    static QString DefaultLockPath();

    explicit SingleInstance(QString lockPath);
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    const QString& lockPath() const { return m_path; }
    // Never waits: a lock held elsewhere is reported at once.
    Result tryAcquire();
    bool held() const { return m_fd >= 0; }
    void release();

private:
    QString m_path;
    int m_fd = -1;
};

// Where the program sends the user for its player: the player section of the user guide
// (help.html) in the program folder, as a file address.
QString PlayerHelpAddress();
// The notice of the first start and the error text of a start that failed.
QString FirstRunNotice();
QString FailedStartMessage();

// The program's main window: the toolbar. The run ends by the toolbar's Close command, not
// when its last window closes (the toolbar hides while the player is open).
std::unique_ptr<QWidget> CreateMainToolbar();

struct StartupOptions {
    // The single-instance lock file; empty: SingleInstance::DefaultLockPath().
    QString lockPath;
    // Creates the main window; empty: CreateMainToolbar(). An exception from it is a
    // failed start.
    std::function<std::unique_ptr<QWidget>()> createMainWindow;
};

// The whole run of the program; returns the exit code. The application object is created
// here (a TQuillmoorApplication) unless one exists already, and only when the program gets
// as far as needing one: a second instance ends before any of it.
int RunProgram(int& argc, char** argv, const StartupOptions& options = {});
