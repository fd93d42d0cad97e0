// The facade: loading, the frame counter of the control, the clock, background colours,
// show-all pictures, and the corpus movies played through.
#include "swf/player/Player.h"
#include "tests/support/TestSupport.h"
#include "tests/swf_format/FixtureWriter.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using fixture::BitWriter;
using fixture::Bytes;

namespace {

// A 100x100 px red square, drawn at (100, 100) px of a 550x400 stage.
Bytes redSquare(std::uint16_t id)
{
    BitWriter w;
    w.u16(id).rect(0, 2000, 0, 2000);
    w.u8(1).u8(0x00).rgb(255, 0, 0); // one solid fill
    w.u8(0);                         // no lines
    w.ub(1, 4).ub(0, 4);             // fill and line index bits
    // Move to (0,0) with fill style 1, four edges, end.
    w.ub(0, 1).ub(0, 1).ub(0, 1).ub(1, 1).ub(0, 1).ub(1, 1).ub(2, 5).sb(0, 2).sb(0, 2).ub(1, 1);
    const int deltas[4][2] = {{2000, 0}, {0, 2000}, {-2000, 0}, {0, -2000}};
    for (const auto& d : deltas)
        w.ub(1, 1).ub(1, 1).ub(11, 4).ub(1, 1).sb(d[0], 13).sb(d[1], 13);
    w.ub(0, 6);
    return fixture::tag(2, w.align().data());
}

Bytes placeAt(std::uint16_t depth, std::uint16_t id, int x, int y)
{
    BitWriter w;
    w.u8(0x06).u16(depth).u16(id).translate(x, y);
    return fixture::tag(26, w.data());
}

Bytes showFrame() { return fixture::tag(1, {}); }

// Three frames; the third says stop. Background green.
Bytes threeFrameMovie()
{
    return fixture::fws(6,
                        fixture::concat({fixture::tag(9, {0, 255, 0}), redSquare(1), placeAt(1, 1, 2000, 2000),
                                         showFrame(), showFrame(), fixture::tag(12, {0x07, 0x00}), showFrame(),
                                         fixture::tag(0, {})}),
                        3);
}

QByteArray qbytes(const Bytes& b)
{
    return QByteArray(reinterpret_cast<const char*>(b.data()), static_cast<qsizetype>(b.size()));
}

QRgb pixel(const QImage& image, int x, int y)
{
    return image.pixel(x, y) & 0xFFFFFFu;
}

} // namespace

TEST(PlayerTest, EmptyPlayerAndFilesThatAreNotMovies)
{
    swf::Player p;
    EXPECT_FALSE(p.isLoaded());
    EXPECT_EQ(p.readyState(), 0);
    EXPECT_EQ(p.totalFrames(), 0);
    EXPECT_FALSE(p.loadData("hello, not a movie"));
    EXPECT_FALSE(p.load(QStringLiteral("/nonexistent/c:\\sym.swf")));
    EXPECT_EQ(p.readyState(), 0);
    EXPECT_EQ(p.advance(1000), 0);
    p.gotoFrame(3);
    const QImage image = p.renderFrame(QSize(20, 10));
    ASSERT_EQ(image.size(), QSize(20, 10));
    EXPECT_EQ(pixel(image, 5, 5), 0xFFFFFFu) << "nothing loaded: the background only";
}

TEST(PlayerTest, FrameCounterPlaysToTheStopOnTheLastFrame)
{
    swf::Player p;
    ASSERT_TRUE(p.loadData(qbytes(threeFrameMovie())));
    EXPECT_EQ(p.readyState(), 4);
    EXPECT_EQ(p.totalFrames(), 3);
    EXPECT_EQ(p.currentFrame(), 0);
    EXPECT_TRUE(p.isPlaying());
    EXPECT_DOUBLE_EQ(p.frameRate(), 24.5);
    EXPECT_EQ(p.stageSize(), QSize(550, 400));
    EXPECT_EQ(p.advance(41), 1) << "one frame at 24.5 fps";
    EXPECT_EQ(p.currentFrame(), 1);
    p.advance(41);
    EXPECT_EQ(p.currentFrame(), 2);
    EXPECT_FALSE(p.isPlaying());
    p.advance(500);
    EXPECT_EQ(p.currentFrame(), 2);

    p.gotoFrame(0);
    EXPECT_EQ(p.currentFrame(), 0);
    EXPECT_FALSE(p.isPlaying()) << "goto does not start the movie";
    p.gotoFrame(-4);
    EXPECT_EQ(p.currentFrame(), 0);
    p.gotoFrame(99);
    EXPECT_EQ(p.currentFrame(), 2);
    p.play();
    EXPECT_TRUE(p.isPlaying());
    p.stop();
    EXPECT_FALSE(p.isPlaying());
}

TEST(PlayerTest, ClockCatchesUpALittleAndDropsLongStalls)
{
    swf::Player p;
    ASSERT_TRUE(p.loadData(qbytes(fixture::fws(6, fixture::concat({showFrame(), showFrame(), fixture::tag(0, {})}), 2))));
    EXPECT_EQ(p.advance(20), 0);
    EXPECT_EQ(p.advance(21), 1) << "time adds up across calls";
    EXPECT_LE(p.advance(60000), 8);
    EXPECT_LE(p.advance(41), 2) << "the stall was dropped, not kept for later";
    EXPECT_EQ(p.advance(-5), 0);
}

TEST(PlayerTest, BackgroundColourAndShowAllLetterboxing)
{
    swf::Player p;
    ASSERT_TRUE(p.loadData(qbytes(threeFrameMovie())));
    EXPECT_EQ(p.backgroundColor(), 0x00FF00u) << "the movie's green, as BGR";
    QImage image = p.renderFrame(QSize(550, 400));
    EXPECT_EQ(pixel(image, 150, 150), 0xFF0000u);
    EXPECT_EQ(pixel(image, 50, 50), 0x00FF00u);

    p.setBackgroundColor(0xFF0000); // BGR: blue
    EXPECT_EQ(p.backgroundColor(), 0xFF0000u);
    // Twice as wide: the stage sits in the middle, scaled to the height.
    image = p.renderFrame(QSize(1100, 400));
    EXPECT_EQ(pixel(image, 10, 200), 0x0000FFu) << "letterbox in the background colour";
    EXPECT_EQ(pixel(image, 1090, 200), 0x0000FFu);
    EXPECT_EQ(pixel(image, 275 + 150, 150), 0xFF0000u);
    // Half size: everything scales.
    image = p.renderFrame(QSize(275, 200));
    EXPECT_EQ(pixel(image, 75, 75), 0xFF0000u);
    EXPECT_EQ(pixel(image, 40, 40), 0x0000FFu);
    EXPECT_TRUE(p.renderFrame(QSize(0, 10)).isNull());
}

TEST(PlayerTest, DamagedMovieShowsWhatCouldBeRead)
{
    Bytes bytes = threeFrameMovie();
    bytes.resize(bytes.size() - 12); // cuts into the last frames
    swf::Player p;
    QStringList log;
    p.setTraceSink([&](const QString& s) { log << s; });
    ASSERT_TRUE(p.loadData(qbytes(bytes)));
    const QImage image = p.renderFrame(QSize(550, 400));
    EXPECT_EQ(pixel(image, 150, 150), 0xFF0000u);
    for (int i = 0; i < 10; ++i)
        p.advanceFrame();
}

TEST(PlayerTest, SpriteThatPlacesItselfIsCutAndTheRestShows)
{
    BitWriter sprite;
    sprite.u16(5).u16(1);
    const Bytes inner = fixture::concat({placeAt(1, 5, 100, 100), showFrame(), fixture::tag(0, {})});
    sprite.bytes(inner);
    const Bytes movie = fixture::fws(
        6, fixture::concat({redSquare(1), fixture::tag(39, sprite.data()), placeAt(1, 5, 0, 0),
                            placeAt(2, 1, 2000, 2000), showFrame(), fixture::tag(0, {})}));
    swf::Player p;
    ASSERT_TRUE(p.loadData(qbytes(movie)));
    for (int i = 0; i < 3; ++i)
        p.advanceFrame();
    const QImage image = p.renderFrame(QSize(550, 400));
    EXPECT_EQ(pixel(image, 150, 150), 0xFF0000u);
}

TEST(PlayerTest, CorpusMoviesPlayBackAndForth)
{
    const QDir real(qmtest::corpusDir() + QStringLiteral("/real"));
    const QStringList files = real.entryList({QStringLiteral("*.swf")}, QDir::Files, QDir::Name);
    ASSERT_FALSE(files.isEmpty()) << "no corpus at " << real.path().toStdString();
    for (const QString& name : files) {
        SCOPED_TRACE(name.toStdString());
        swf::Player p;
        ASSERT_TRUE(p.load(real.filePath(name)));
        EXPECT_EQ(p.readyState(), 4);
        const int total = p.totalFrames();
        ASSERT_GE(total, 1);
        for (int i = 0; i < 12; ++i)
            p.advanceFrame();
        EXPECT_LT(p.currentFrame(), total);
        p.gotoFrame(total - 1);
        EXPECT_EQ(p.currentFrame(), total - 1);
        p.gotoFrame(total / 2);
        EXPECT_EQ(p.currentFrame(), total / 2);
        const QImage image = p.renderFrame(QSize(64, 48));
        EXPECT_EQ(image.size(), QSize(64, 48));
    }
}

TEST(PlayerTest, MultiFrameCorpusMovieLoops)
{
    swf::Player p;
    ASSERT_TRUE(p.load(qmtest::corpusDir() + QStringLiteral("/real/shumway__race.swf")));
    ASSERT_EQ(p.totalFrames(), 3);
    std::vector<int> seen;
    for (int i = 0; i < 4; ++i) {
        p.advanceFrame();
        seen.push_back(p.currentFrame());
    }
    // The movie may stop itself; if it plays, it loops back to the first frame.
    if (p.isPlaying()) {
        EXPECT_EQ(seen, (std::vector<int>{1, 2, 0, 1}));
    }
}
