// Fuzzes the engine as a player uses it: load a movie from bytes, play a few frames with
// mouse input over the stage, and draw each frame small, aliased and anti-aliased.
#include "swf/player/Player.h"

#include <QByteArray>
#include <QGuiApplication>
#include <QImage>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    swf::Player player;
    if (!player.loadData(QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size))))
        return 0;
    const QSize picture(64, 48);
    for (int frame = 0; frame < 3; ++frame) {
        player.setQuality(frame % 2 ? swf::Quality::High : swf::Quality::Low);
        player.renderFrame(picture);
        player.mouseMove(QPointF(10 + frame * 15, 20));
        player.mousePress(QPointF(10 + frame * 15, 20));
        player.mouseWheel(frame - 1);
        player.mouseRelease(QPointF(10 + frame * 15, 20));
        player.advanceFrame();
    }
    return 0;
}
