#include "app/Startup.h"

#include "app/Automation.h"
#include "app/DllUnit.h"
#include "app/PreviewFlashUnit.h"
#include "app/UnitMain.h"
#include "shared/Prompts.h"
#include "shared/Share.h"

#include <QDir>
#include <QFile>
#include <QIcon>
#include <QMetaObject>
#include <QThread>
#include <QUrl>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

// ---- Application object ----

TQuillmoorApplication::TQuillmoorApplication(int& argc, char** argv)
    : QApplication(argc, argv)
{
    setApplicationName(AppTitle());
    QIcon icon;
    for (const char* size : { "16", "32", "48" })
        icon.addFile(QStringLiteral(":/art/product-%1.png").arg(QLatin1String(size)));
    setWindowIcon(icon);
    InstallWindowReporter(*this);
}

namespace {

void reportEscapedError(const QString& message)
{
    if (QThread::currentThread() == qApp->thread()) {
        ShowErrorBox(message);
        return;
    }
    // Boxes belong to the user-interface thread; a worker's error is shown there.
    QMetaObject::invokeMethod(qApp, [message] { ShowErrorBox(message); }, Qt::QueuedConnection);
}

} // namespace

bool TQuillmoorApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        reportEscapedError(QString::fromUtf8(e.what()));
    } catch (...) {
        reportEscapedError(QStringLiteral("An unexpected error occurred."));
    }
    return false;
}

void ShowErrorBox(const QString& message)
{
    prompts().message(QApplication::activeWindow(), Prompts::Icon::Error, AppTitle(), message);
}

// ---- Single instance ----

QString SingleInstance::DefaultLockPath()
{
    const QString name = QString::fromLatin1(kMutexName);
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    struct stat st {};
    if (!runtime.isEmpty() && ::stat(runtime.constData(), &st) == 0 && S_ISDIR(st.st_mode)
        && st.st_uid == ::geteuid())
        return AddBackslash(QFile::decodeName(runtime)) + name + QStringLiteral(".lock");
    // The temporary folder may be shared by every user: the user's id keeps the lock per user.
    return AddBackslash(QDir::tempPath()) + QStringLiteral("%1-%2.lock").arg(name).arg(::geteuid());
}

SingleInstance::SingleInstance(QString lockPath)
    : m_path(std::move(lockPath))
{
}

SingleInstance::~SingleInstance()
{
    release();
}

SingleInstance::Result SingleInstance::tryAcquire()
{
    if (m_fd >= 0)
        return Result::Acquired;
    // Close-on-exec: a program we start (a browser, a file manager) must not inherit the
    // lock and keep it after we end. No symlinks: the temporary folder is shared.
    const int fd = ::open(QFile::encodeName(m_path).constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return Result::Unavailable;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid()) {
        ::close(fd);
        return Result::Unavailable;
    }
    int rc;
    do {
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        const int err = errno;
        ::close(fd);
        return err == EWOULDBLOCK ? Result::HeldElsewhere : Result::Unavailable;
    }
    m_fd = fd;
    return Result::Acquired;
}

void SingleInstance::release()
{
    if (m_fd < 0)
        return;
    // The file stays: removing it would let a later instance lock a new file while an
    // earlier one still holds the old.
    ::flock(m_fd, LOCK_UN);
    ::close(m_fd);
    m_fd = -1;
}

// ---- Texts ----

QString PlayerHelpAddress()
{
    QUrl url(HomePageUrl());
    url.setFragment(QStringLiteral("player"));
    return url.toString();
}

QString FirstRunNotice()
{
    return QStringLiteral("The Quillmoor is running for the first time!\n"
                          "Please download the latest version of Flash player at Macromedia`s office web site ")
        + PlayerHelpAddress() + QStringLiteral("!");
}

QString FailedStartMessage()
{
    return QStringLiteral("Excuse me: Please download the latest version of Flash player at Macromedia`s office web site ")
        + PlayerHelpAddress() + QStringLiteral("!");
}

// ---- Main window ----

std::unique_ptr<QWidget> CreateMainToolbar()
{
    QApplication::setQuitOnLastWindowClosed(false);
    FrmMainHooks().playFiles = [](const QStringList& paths) { ShowPlayer(paths, FrmMain); };
    return std::make_unique<TFrmMain>();
}

// ---- The run ----

int RunProgram(int& argc, char** argv, const StartupOptions& options)
{
    std::unique_ptr<TQuillmoorApplication> ownApplication;
    const auto ensureApplication = [&] {
        if (!QCoreApplication::instance())
            ownApplication = std::make_unique<TQuillmoorApplication>(argc, argv);
        QCoreApplication::setApplicationName(AppTitle());
    };

    if (ReadConfig(QStringLiteral("App"), QStringLiteral("Flag")) != QLatin1String("1")) {
        try {
            WriteConfig(QStringLiteral("App"), QStringLiteral("Flag"), QStringLiteral("1"));
        } catch (const std::exception& e) {
            ensureApplication();
            ShowErrorBox(QString::fromUtf8(e.what()));
            return 1;
        }
        ensureApplication();
        ShowMsg(3, FirstRunNotice());
        ShellOpen(nullptr, PlayerHelpAddress());
        return 0;
    }

    // Before the application object: a second instance ends at once and touches nothing.
    SingleInstance instance(options.lockPath.isEmpty() ? SingleInstance::DefaultLockPath() : options.lockPath);
    if (instance.tryAcquire() == SingleInstance::Result::HeldElsewhere)
        return 0;

    ensureApplication();
    std::unique_ptr<QWidget> mainWindow;
    try {
        mainWindow = options.createMainWindow ? options.createMainWindow() : CreateMainToolbar();
    } catch (...) {
        mainWindow.reset();
    }
    if (!mainWindow) {
        ShowMsg(1, FailedStartMessage());
        ShellOpen(nullptr, PlayerHelpAddress());
        return 1;
    }

    SetDllOwnerWindow(mainWindow.get());
    mainWindow->show();
    const int code = QApplication::exec();
    SetDllOwnerWindow(nullptr);
    mainWindow.reset();
    instance.release();
    return code;
}
