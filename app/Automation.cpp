#include "app/Automation.h"

#include "shared/DesktopShell.h"
#include "shared/Prompts.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>
#include <cstdio>

namespace {

void report(const QString& line)
{
    QString oneLine = line;
    oneLine.replace(QLatin1Char('\n'), QLatin1String("\\n"));
    const QByteArray bytes = QStringLiteral("quillmoor: %1\n").arg(oneLine).toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stderr);
    std::fflush(stderr);
}

class AutoPrompts : public Prompts {
public:
    void message(QWidget*, Icon, const QString& caption, const QString& text) override
    {
        report(QStringLiteral("message %1: %2").arg(caption, text));
    }
    Answer question(QWidget*, Icon, const QString& caption, const QString& text) override
    {
        report(QStringLiteral("question %1: %2 -> No").arg(caption, text));
        return Answer::No;
    }
    bool inputBox(QWidget*, const QString& caption, const QString& prompt, QString&) override
    {
        report(QStringLiteral("input %1: %2 -> cancelled").arg(caption, prompt));
        return false;
    }
    QStringList openFiles(QWidget*, const QString& caption, const QString&, const QString&, bool) override
    {
        report(QStringLiteral("open files %1 -> cancelled").arg(caption));
        return {};
    }
    QString saveFile(QWidget*, const QString& caption, const QString&, const QString&) override
    {
        report(QStringLiteral("save file %1 -> cancelled").arg(caption));
        return {};
    }
    QString chooseFolder(QWidget*, const QString& caption, const QString&) override
    {
        report(QStringLiteral("choose folder %1 -> cancelled").arg(caption));
        return {};
    }
};

class LoggingShell : public DesktopShell {
public:
    bool openUrl(const QUrl& url) override
    {
        report(QStringLiteral("shell open %1").arg(url.toString()));
        return true;
    }
    bool showItems(const QStringList& files) override
    {
        report(QStringLiteral("shell show %1").arg(files.join(QLatin1Char(' '))));
        return true;
    }
};

class WindowReporter : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show && watched->isWidgetType()) {
            const auto* w = static_cast<QWidget*>(watched);
            if (w->isWindow())
                report(QStringLiteral("window shown %1 \"%2\"")
                           .arg(QString::fromLatin1(w->metaObject()->className()), w->windowTitle()));
        }
        return false;
    }
};

} // namespace

void InstallAutomationHooks()
{
    if (qEnvironmentVariable("QM_PROMPTS_AUTO") == QLatin1String("ok")) {
        static AutoPrompts autoPrompts;
        setPrompts(&autoPrompts);
    }
    if (qEnvironmentVariable("QM_SHELL_LOG") == QLatin1String("1")) {
        static LoggingShell shell;
        setDesktopShell(&shell);
    }
}

void InstallWindowReporter(QApplication& app)
{
    if (qEnvironmentVariable("QM_REPORT_WINDOWS") == QLatin1String("1"))
        app.installEventFilter(new WindowReporter(&app));
}
