// Stands in for the program in the library tests: it shows the dialogs of libCorvane.so from
// its own folder through the program's binding (ShowDllForm), drives each dialog from a
// script, and reads the settings afterwards with the program's own settings code.
//
//   corvane_host <step>...     step: <export>[:<action>[,<action>...]]
//   actions: check=<radio button>  text=<edit>=<text>  click=<button>  close
//
// Written to stdout: "shown <title>: <checked radio buttons> EdtFavorite=<text>" for every
// dialog as it comes up, then "read <key>=<value>" for the [Preview] keys and "loads <n>".
#include "app/DllUnit.h"
#include "app/Startup.h"
#include "shared/Share.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <cstdio>

namespace {

void out(const QString& line)
{
    const QByteArray bytes = (line + QLatin1Char('\n')).toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
    std::fflush(stdout);
}

void drive(QWidget* dialog, const QStringList& actions)
{
    QStringList checked;
    for (QRadioButton* b : dialog->findChildren<QRadioButton*>())
        if (b->isChecked())
            checked << b->objectName();
    QString report = QStringLiteral("shown %1: %2").arg(dialog->windowTitle(), checked.join(QLatin1Char(' ')));
    if (auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("EdtFavorite")))
        report += QStringLiteral(" EdtFavorite=%1").arg(edit->text());
    out(report);

    for (const QString& action : actions) {
        const QString verb = action.section(QLatin1Char('='), 0, 0);
        const QString name = action.section(QLatin1Char('='), 1, 1);
        if (verb == QLatin1String("check")) {
            if (auto* b = dialog->findChild<QRadioButton*>(name))
                b->setChecked(true);
        } else if (verb == QLatin1String("text")) {
            if (auto* e = dialog->findChild<QLineEdit*>(name))
                e->setText(action.section(QLatin1Char('='), 2));
        } else if (verb == QLatin1String("click")) {
            if (auto* b = dialog->findChild<QPushButton*>(name))
                b->click();
        } else if (verb == QLatin1String("close")) {
            dialog->close();
        }
    }
}

} // namespace

int main(int argc, char** argv)
{
    TQuillmoorApplication app(argc, argv);
    // No installation record: the install folder is this program's own.
    SetInstallRecordPath(GetAppPath() + QStringLiteral("no-install-record.ini"));
    QWidget owner;
    SetDllOwnerWindow(&owner);

    for (int i = 1; i < argc; ++i) {
        const QString step = QString::fromLocal8Bit(argv[i]);
        const QString exportName = step.section(QLatin1Char(':'), 0, 0);
        const QStringList actions = step.section(QLatin1Char(':'), 1).split(QLatin1Char(','), Qt::SkipEmptyParts);
        bool handled = false;
        QTimer driver;
        driver.setInterval(5);
        QObject::connect(&driver, &QTimer::timeout, [&]() {
            QWidget* dialog = QApplication::activeModalWidget();
            if (!dialog || handled)
                return;
            handled = true;
            drive(dialog, actions.isEmpty() ? QStringList { QStringLiteral("close") } : actions);
        });
        driver.start();
        ShowDllForm(exportName);
        driver.stop();
        if (!handled)
            out(QStringLiteral("no dialog for %1").arg(exportName));
    }

    for (const char* key : { "IsPlayOrder", "IsMax", "FavoriteDir" })
        out(QStringLiteral("read %1=%2").arg(QLatin1String(key), ReadConfig(QStringLiteral("Preview"), QLatin1String(key))));
    out(QStringLiteral("loads %1").arg(DllLoadCount()));
    SetDllOwnerWindow(nullptr);
    return 0;
}
