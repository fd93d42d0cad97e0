// qmtool info: the six header texts of each movie, one tab-separated line per file.
#include "Command.h"

#include "app/UnitSwf.h"
#include "shared/Errors.h"

namespace {

int runInfo(const QStringList& args, QTextStream& out, QTextStream& err)
{
    if (args.isEmpty()) {
        err << "usage: qmtool info FILE...\n";
        return 2;
    }
    int code = 0;
    for (const QString& path : args) {
        // Null texts tell a file with a foreign signature (left unassigned) from a movie.
        QString version, fileLength, width, height, frameRate, frameCount;
        try {
            ReadSwfHeader(path, version, fileLength, width, height, frameRate, frameCount);
        } catch (const EQuillmoorError& e) {
            out.flush();
            err << "qmtool info: " << path << ": " << e.message() << '\n';
            err.flush();
            code = 1;
            continue;
        }
        if (version.isNull()) {
            out.flush();
            err << "qmtool info: " << path << ": not a Flash movie (no FWS or CWS signature)\n";
            err.flush();
            code = 1;
            continue;
        }
        const QChar tab = QLatin1Char('\t');
        out << path << tab << version << tab << fileLength << tab << width << tab << height << tab << frameRate
            << tab << frameCount << '\n';
    }
    return code;
}

QmCommandRegistration reg({ "info", "FILE...",
                            "print path, version, file length, width, height, frame rate and frame count of movies",
                            &runInfo });

} // namespace
