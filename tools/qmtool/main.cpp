// qmtool: Quillmoor's command line. `qmtool help` lists the commands.
#include "Command.h"

#include <QGuiApplication>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

void printUsage(QTextStream& out)
{
    out << "usage: qmtool COMMAND [ARGS...]\n\ncommands:\n";
    std::vector<QmCommand> sorted = qmCommands();
    std::sort(sorted.begin(), sorted.end(),
              [](const QmCommand& a, const QmCommand& b) { return std::strcmp(a.name, b.name) < 0; });
    for (const QmCommand& c : sorted)
        out << "  " << c.name << ' ' << c.usage << "\n      " << c.summary << '\n';
}

} // namespace

int main(int argc, char** argv)
{
    // qmtool draws pictures off-screen and never opens a window, so it needs no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QGuiApplication::setApplicationName(QStringLiteral("qmtool"));

    QTextStream out(stdout);
    QTextStream err(stderr);
    QStringList args = QGuiApplication::arguments();
    args.removeFirst();
    if (args.isEmpty() || args.first() == QLatin1String("help") || args.first() == QLatin1String("--help")) {
        printUsage(args.isEmpty() ? err : out);
        return args.isEmpty() ? 2 : 0;
    }
    const QString name = args.takeFirst();
    for (const QmCommand& c : qmCommands()) {
        if (name == QLatin1String(c.name)) {
            const int code = c.run(args, out, err);
            out.flush();
            err.flush();
            return code;
        }
    }
    err << "qmtool: unknown command '" << name << "'\n";
    printUsage(err);
    return 2;
}
