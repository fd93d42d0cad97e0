// qmtool pack: builds a pack archive (the web album's image pack format) from files.
#include "Command.h"

#include "shared/Errors.h"
#include "tools/packwriter/PackWriter.h"

#include <QFileInfo>

namespace {

int runPack(const QStringList& args, QTextStream& out, QTextStream& err)
{
    if (args.size() < 2) {
        err << "usage: qmtool pack OUT.pack FILE...\n";
        return 2;
    }
    const QString archive = args.first();
    const QStringList files = args.mid(1);
    try {
        WritePack(archive, files);
    } catch (const EQuillmoorError& e) {
        err << "qmtool pack: " << e.message() << '\n';
        return 1;
    }
    out << archive << ": " << files.size() << (files.size() == 1 ? " entry, " : " entries, ")
        << QFileInfo(archive).size() << " bytes\n";
    return 0;
}

QmCommandRegistration reg({ "pack", "OUT.pack FILE...",
                            "write a pack archive (entries at level max, in the given order)", &runPack });

} // namespace
