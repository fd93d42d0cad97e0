// qmtool bench: how fast a movie plays and draws, one thread.
#include "Command.h"
#include "PlayerOptions.h"

#include "swf/player/Player.h"

#include <QElapsedTimer>

#include <algorithm>
#include <vector>

namespace {

int runBench(const QStringList& args, QTextStream& out, QTextStream& err)
{
    QmPlayerOptions o;
    o.frames = 100;
    if (!parsePlayerOptions(args, {"--frames", "--size"}, o, err)) {
        err << "usage: qmtool bench FILE [--frames N] [--size WxH]\n";
        return 2;
    }
    swf::Player player;
    if (!player.load(o.file)) {
        err << "qmtool bench: " << o.file << ": not a readable movie\n";
        return 1;
    }
    const QSize size = o.size.isEmpty() ? player.stageSize() : o.size;
    if (size.isEmpty()) {
        err << "qmtool bench: " << o.file << ": the movie has an empty stage; give --size\n";
        return 1;
    }
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) {
        err << "qmtool bench: no memory for a " << size.width() << 'x' << size.height() << " picture\n";
        return 1;
    }
    // Each sample is one frame as a window plays it: advance the timeline, draw the stage.
    std::vector<double> ms;
    ms.reserve(static_cast<std::size_t>(o.frames));
    QElapsedTimer timer;
    for (int i = 0; i < o.frames; ++i) {
        timer.start();
        if (i > 0)
            player.advanceFrame();
        QPainter painter(&image);
        player.render(painter, QRect(QPoint(0, 0), size));
        painter.end();
        ms.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::vector<double> sorted = ms;
    std::sort(sorted.begin(), sorted.end());
    const std::size_t n = sorted.size();
    const double median = n % 2 ? sorted[n / 2] : (sorted[n / 2 - 1] + sorted[n / 2]) / 2;
    const double achieved = median > 0 ? 1000.0 / median : 0;
    const double rate = player.frameRate();
    out << o.file << '\n'
        << "  " << o.frames << " frames at " << size.width() << 'x' << size.height() << ", movie rate "
        << QString::number(rate, 'f', 2) << " fps\n"
        << "  median " << QString::number(median, 'f', 3) << " ms/frame, min "
        << QString::number(sorted.front(), 'f', 3) << ", max " << QString::number(sorted.back(), 'f', 3) << '\n'
        << "  achieved " << QString::number(achieved, 'f', 1) << " fps, real-time factor "
        << QString::number(achieved > 0 ? rate / achieved : 0, 'f', 3) << " (movie rate / achieved; below 1 is faster than real time)\n";
    return 0;
}

QmCommandRegistration reg({"bench", "FILE [--frames N] [--size WxH]",
                           "median milliseconds per frame and the real-time factor of a movie, one thread",
                           &runBench});

} // namespace
