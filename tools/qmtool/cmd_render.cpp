// qmtool render: the stage of a movie after N frames, as a PNG picture.
#include "Command.h"
#include "PlayerOptions.h"

#include "swf/player/Player.h"

#include <QSaveFile>

namespace {

int runRender(const QStringList& args, QTextStream& out, QTextStream& err)
{
    QmPlayerOptions o;
    const bool parsed = parsePlayerOptions(args, {"--frames", "--size", "--quality", "-o"}, o, err);
    if (!parsed || o.output.isEmpty()) {
        if (parsed)
            err << "no output picture given (-o OUT.png)\n";
        err << "usage: qmtool render FILE [--frames N] [--size WxH] [--quality low|high] -o OUT.png\n";
        return 2;
    }
    swf::Player player;
    if (!player.load(o.file)) {
        err << "qmtool render: " << o.file << ": not a readable movie\n";
        return 1;
    }
    player.setQuality(o.quality);
    // Frame 1 is the one shown after loading.
    for (int i = 1; i < o.frames; ++i)
        player.advanceFrame();
    const QSize size = o.size.isEmpty() ? player.stageSize() : o.size;
    if (size.isEmpty()) {
        err << "qmtool render: " << o.file << ": the movie has an empty stage; give --size\n";
        return 1;
    }
    const QImage image = player.renderFrame(size);
    // Written through a temporary file so that a failed write leaves no half picture.
    QSaveFile file(o.output);
    if (image.isNull() || !file.open(QIODevice::WriteOnly) || !image.save(&file, "PNG") || !file.commit()) {
        err << "qmtool render: cannot write " << o.output << '\n';
        return 1;
    }
    out << o.output << ": frame " << (player.currentFrame() + 1) << " of " << player.totalFrames() << ", "
        << size.width() << 'x' << size.height() << '\n';
    return 0;
}

QmCommandRegistration reg({"render", "FILE [--frames N] [--size WxH] [--quality low|high] -o OUT.png",
                           "draw the stage of a movie after N frames (frame 1 is the first shown) into a PNG",
                           &runRender});

} // namespace
