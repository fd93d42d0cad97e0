#include "PlayerOptions.h"

#include <QRegularExpression>

bool parsePlayerOptions(const QStringList& args, const QStringList& allowed, QmPlayerOptions& options,
                        QTextStream& err)
{
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        const bool takesValue = a == QLatin1String("--frames") || a == QLatin1String("--size")
            || a == QLatin1String("--quality") || a == QLatin1String("-o");
        if (takesValue) {
            if (!allowed.contains(a)) {
                err << "unknown option " << a << '\n';
                return false;
            }
            if (i + 1 >= args.size()) {
                err << a << " needs a value\n";
                return false;
            }
            const QString v = args[++i];
            if (a == QLatin1String("--frames")) {
                bool ok = false;
                options.frames = v.toInt(&ok);
                if (!ok || options.frames < 1 || options.frames > 1000000) {
                    err << "--frames takes a count from 1 to 1000000\n";
                    return false;
                }
            } else if (a == QLatin1String("--size")) {
                static const QRegularExpression re(QStringLiteral("^(\\d{1,5})x(\\d{1,5})$"));
                const auto m = re.match(v);
                const int w = m.hasMatch() ? m.captured(1).toInt() : 0;
                const int h = m.hasMatch() ? m.captured(2).toInt() : 0;
                if (w < 1 || h < 1 || w > 16384 || h > 16384) {
                    err << "--size takes WxH, each from 1 to 16384\n";
                    return false;
                }
                options.size = QSize(w, h);
            } else if (a == QLatin1String("--quality")) {
                if (v == QLatin1String("low"))
                    options.quality = swf::Quality::Low;
                else if (v == QLatin1String("high"))
                    options.quality = swf::Quality::High;
                else {
                    err << "--quality takes low or high\n";
                    return false;
                }
            } else {
                options.output = v;
            }
        } else if (a.startsWith(QLatin1Char('-')) && a.size() > 1) {
            err << "unknown option " << a << '\n';
            return false;
        } else if (options.file.isEmpty()) {
            options.file = a;
        } else {
            err << "one movie at a time\n";
            return false;
        }
    }
    if (options.file.isEmpty()) {
        err << "no movie given\n";
        return false;
    }
    return true;
}
