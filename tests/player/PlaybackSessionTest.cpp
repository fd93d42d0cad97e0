#include "app/PlaybackSession.h"
#include "shared/Errors.h"
#include "shared/Share.h"
#include "tests/support/TestSupport.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// A movie control that plays what the test says.
class ScriptedControl : public MovieControl {
public:
    void setMovie(const QString& path) override { calls << "Movie=" + path; }
    void play() override { calls << "Play"; }
    void stop() override { calls << "Stop"; }
    void zoom(int factor) override { calls << QString("Zoom(%1)").arg(factor); }
    void gotoFrame(int frame) override
    {
        calls << QString("GotoFrame(%1)").arg(frame);
        frameNow = frame;
    }
    int currentFrame() override { return frameNow; }
    int totalFrames() override { return frames; }

    QStringList calls;
    int frameNow = 0;
    int frames = 240;
};

// The header of an uncompressed movie: 550 × 400, the given rate (8.8) and frame count.
QByteArray movieHeader(quint8 rateInteger, quint8 rateFraction, quint16 frameCount)
{
    QByteArray b("FWS");
    b += char(6);
    b += QByteArray("\x20\x00\x00\x00", 4);
    b += QByteArray("\x78\x00\x05\x5F\x00\x00\x0F\xA0\x00", 9);
    b += char(rateFraction);
    b += char(rateInteger);
    b += char(frameCount & 0xFF);
    b += char(frameCount >> 8);
    return b;
}

class PlaybackTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetConfigPathForTesting(dir.filePath("config.ini"));
        WriteConfig("Preview", "IsPlayOrder", "0");
    }
    void TearDown() override { SetConfigPathForTesting({}); }

    QString movie(const QString& name, quint8 rate, quint16 frames)
    {
        const QString path = dir.filePath(name);
        qmtest::writeFile(path, movieHeader(rate, 0, frames));
        return path;
    }

    QTemporaryDir dir;
    Playlist playlist;
    ScriptedControl control;
};

TEST(PlaybackSession, WholeFrameRate)
{
    const struct {
        const char* text;
        int rate;
    } cases[] = { { "12.0", 12 }, { "29.97", 29 }, { "25.0", 25 }, { "0.5", 0 }, { "abc", 12 }, { "", 12 }, { "-3", 12 } };
    for (const auto& c : cases)
        EXPECT_EQ(PlaybackSession::WholeFrameRate(c.text), c.rate) << c.text;
}

TEST(PlaybackSession, TimeCaption)
{
    EXPECT_EQ(PlaybackSession::TimeCaption(120, 240, 12), "0:0:10/0:0:20");
    EXPECT_EQ(PlaybackSession::TimeCaption(0, 780, 12), "0:0:0/0:1:5");
    EXPECT_EQ(PlaybackSession::TimeCaption(5, 0, 12), "") << "no frames: no division";
    EXPECT_EQ(PlaybackSession::TimeCaption(5, 100, 0), "") << "rate below 1: no division";
    EXPECT_EQ(PlaybackSession::TimeCaption(65535, 65535, 1), "18:12:15/18:12:15");
}

TEST_F(PlaybackTest, PlayingAnEntryReadsItsHeaderAndStartsTheMovie)
{
    const QString path = movie("cat.swf", 12, 240);
    playlist.Fill({ path });
    PlaybackSession session(playlist, control);
    QSignalSpy fileCaption(&session, &PlaybackSession::fileCaptionChanged);
    QSignalSpy playButton(&session, &PlaybackSession::playButtonVisibleChanged);
    session.PlayFirst();
    EXPECT_EQ(control.calls, (QStringList { "Movie=" + path, "Play", "Zoom(100)" }));
    EXPECT_EQ(session.Header().width, "550");
    EXPECT_EQ(session.Header().frameRate, "12.0");
    EXPECT_EQ(session.FrameRate(), 12);
    EXPECT_EQ(session.FrameCount(), 240);
    ASSERT_EQ(fileCaption.size(), 1);
    EXPECT_EQ(fileCaption[0][0].toString(), "          " + path);
    ASSERT_EQ(playButton.size(), 1);
    EXPECT_FALSE(playButton[0][0].toBool());
}

TEST_F(PlaybackTest, UnreadableHeadersKeepThePreviousTexts)
{
    const QString good = movie("good.swf", 25, 100);
    const QString notMovie = dir.filePath("notes.swf");
    qmtest::writeFile(notMovie, "GIF89a not a movie");
    playlist.Fill({ good, notMovie, dir.filePath("missing.swf") });
    PlaybackSession session(playlist, control);
    playlist.First();
    EXPECT_EQ(session.FrameRate(), 25);
    playlist.Next(); // not a movie: texts stay, the rate comes from the old text
    EXPECT_EQ(session.Header().frameRate, "25.0");
    EXPECT_EQ(session.FrameRate(), 25);
    EXPECT_EQ(session.CurrentFile(), notMovie);
    playlist.Next(); // cannot be opened: the fallback rate, the control is asked all the same
    EXPECT_EQ(session.Header().frameRate, "25.0");
    EXPECT_EQ(session.FrameRate(), 12);
    EXPECT_EQ(control.calls.filter("Movie=").size(), 3);
}

TEST_F(PlaybackTest, PollArmsTheEndTimerWithinTheLastNineFrames)
{
    playlist.Fill({ movie("a.swf", 12, 300), movie("b.swf", 12, 300) });
    control.frames = 300;
    PlaybackSession session(playlist, control);
    QSignalSpy seek(&session, &PlaybackSession::seekBarChanged);
    QSignalSpy time(&session, &PlaybackSession::timeCaptionChanged);
    session.PlayFirst();

    const struct {
        int frame;
        bool armed;
    } polls[] = { { 100, false }, { 290, false }, { 291, true }, { 299, true }, { 150, false } };
    for (const auto& p : polls) {
        control.frameNow = p.frame;
        session.UpdatePosition();
        EXPECT_EQ(session.EndTimerArmed(), p.armed) << p.frame;
    }
    EXPECT_EQ(seek.last()[0].toInt(), 300);
    EXPECT_EQ(seek.last()[1].toInt(), 150);
    EXPECT_EQ(time.last()[0].toString(), "0:0:12/0:0:25");
}

TEST_F(PlaybackTest, EndOfMovieStartsTheNextEntry)
{
    const QString a = movie("a.swf", 12, 5), b = movie("b.swf", 12, 5);
    playlist.Fill({ a, b });
    control.frames = 5;
    PlaybackSession session(playlist, control);
    session.PlayFirst();
    session.BtnPauseClick(); // pausing near the end still moves on: the poll compares frames only
    session.UpdatePosition(); // a 5-frame movie is near its end at frame 0
    ASSERT_TRUE(session.EndTimerArmed());
    EXPECT_TRUE(qmtest::waitFor([&] { return session.CurrentFile() == b; }));
    EXPECT_FALSE(session.EndTimerArmed());
    EXPECT_EQ(playlist.currentIndex(), 1);
}

TEST_F(PlaybackTest, PollTimerRunsThePollUntilShutdown)
{
    playlist.Fill({ movie("a.swf", 12, 300) });
    control.frames = 300;
    PlaybackSession session(playlist, control);
    QSignalSpy seek(&session, &PlaybackSession::seekBarChanged);
    session.PlayFirst();
    session.StartPoll();
    control.frameNow = 42;
    ASSERT_TRUE(qmtest::waitFor([&] { return !seek.isEmpty(); }));
    EXPECT_EQ(seek.last()[1].toInt(), 42);

    session.SeekPressed(); // the thumb is held: the poll leaves it alone
    seek.clear();
    QTest::qWait(250);
    EXPECT_TRUE(seek.isEmpty());
    session.SeekReleased(120);
    EXPECT_EQ(control.calls.mid(control.calls.size() - 2), (QStringList { "GotoFrame(120)", "Play" }));
    ASSERT_TRUE(qmtest::waitFor([&] { return !seek.isEmpty(); }));

    session.Shutdown();
    EXPECT_FALSE(session.PollRunning());
}

TEST_F(PlaybackTest, StopGoesToTheFirstFrameAndDoesNotMoveOn)
{
    playlist.Fill({ movie("a.swf", 12, 300), movie("b.swf", 12, 300) });
    control.frames = 300;
    PlaybackSession session(playlist, control);
    QSignalSpy playButton(&session, &PlaybackSession::playButtonVisibleChanged);
    session.PlayFirst();
    control.frameNow = 295;
    session.BtnStopClick();
    EXPECT_TRUE(playButton.last()[0].toBool());
    session.UpdatePosition();
    EXPECT_FALSE(session.EndTimerArmed());
    session.BtnplayClick();
    EXPECT_FALSE(playButton.last()[0].toBool());
}

TEST_F(PlaybackTest, MissingPlayOrderStopsTheFirstShowing)
{
    SetConfigPathForTesting(dir.filePath("empty.ini"));
    playlist.Fill({ movie("a.swf", 12, 300) });
    PlaybackSession session(playlist, control);
    EXPECT_THROW(session.PlayFirst(), EConvertError);
    EXPECT_TRUE(control.calls.isEmpty());
}

} // namespace
