// The Flash control against real movies: what the windows rely on right after writing
// Movie, frames there and back, the unload path, damaged files, colours, pictures of any
// size, the frame clock, and the mouse table of the hosting windows.
#include "app/UnitSwf.h"
#include "control/MyFlash.h"
#include "control/ShockwaveFlash.h"
#include "tests/support/TestSupport.h"

#include <QContextMenuEvent>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QWheelEvent>
#include <gtest/gtest.h>

#include <cmath>

namespace {

QString corpusMovie(const QString& relative)
{
    return qmtest::corpusDir() + "/" + relative;
}

// Movies of several kinds: a long image sequence, vector scenes, an AVM1 game, a logo.
QStringList sampleMovies()
{
    QStringList movies;
    QDirIterator real(qmtest::corpusDir() + "/real", { "*.swf" }, QDir::Files);
    while (real.hasNext())
        movies << real.next();
    movies.sort();
    for (const char* name : { "visual__simple_shapes__masks", "from_gnash__misc-ming.all__morph_test1" }) {
        const QString path = corpusMovie(QStringLiteral("conformance/visual/%1/test.swf").arg(QLatin1String(name)));
        if (QFileInfo::exists(path))
            movies << path;
    }
    return movies;
}

int headerFrameCount(const QString& path)
{
    QString version, length, width, height, rate, frames;
    ReadSwfHeader(path, version, length, width, height, rate, frames);
    return frames.toInt();
}

double headerFrameRate(const QString& path)
{
    QString version, length, width, height, rate, frames;
    ReadSwfHeader(path, version, length, width, height, rate, frames);
    return rate.toDouble();
}

// The first movie of the samples with at least `minFrames` frames.
QString movieWithFrames(int minFrames)
{
    for (const QString& path : sampleMovies()) {
        if (headerFrameCount(path) >= minFrames)
            return path;
    }
    return QString();
}

} // namespace

TEST(ShockwaveFlash, FrameCountAndReadyStateAreRightOnTheNextLine)
{
    const QStringList movies = sampleMovies();
    ASSERT_GE(movies.size(), 3) << "corpus missing under " << qmtest::corpusDir().toStdString();
    TShockwaveFlash flash;
    EXPECT_EQ(flash.ReadyState(), 0);
    EXPECT_EQ(flash.TotalFrames(), 0);
    for (const QString& path : movies) {
        SCOPED_TRACE(path.toStdString());
        flash.SetMovie(path);
        EXPECT_EQ(flash.Movie(), path);
        EXPECT_EQ(flash.ReadyState(), 4);
        EXPECT_EQ(flash.TotalFrames(), headerFrameCount(path));
        EXPECT_EQ(flash.CurrentFrame(), 0);
        EXPECT_TRUE(flash.IsPlaying()) << "a loaded movie plays, as the control always did";
    }
}

TEST(ShockwaveFlash, GotoFrameAndCurrentFrameRoundTrip)
{
    const QString path = movieWithFrames(20);
    ASSERT_FALSE(path.isEmpty());
    TShockwaveFlash flash;
    flash.SetMovie(path);
    const int total = flash.TotalFrames();
    flash.Stop();

    struct Row {
        int go;
        int expected;
    };
    const Row rows[] = {
        { 0, 0 }, { 1, 1 }, { total / 2, total / 2 }, { total - 1, total - 1 },
        { 3, 3 }, // backwards again
        { -1, 0 }, { -1000, 0 },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.go);
        flash.GotoFrame(row.go);
        EXPECT_EQ(flash.CurrentFrame(), row.expected);
    }
    flash.GotoFrame(total + 5);
    EXPECT_EQ(flash.CurrentFrame(), total - 1) << "past the end shows the last frame";
}

TEST(ShockwaveFlash, PlayAndStopRunTheTimelineOnItsClock)
{
    const QString path = movieWithFrames(20);
    ASSERT_FALSE(path.isEmpty());
    TShockwaveFlash flash;
    flash.SetMovie(path);
    const double rate = flash.FrameRate();
    ASSERT_GT(rate, 0);
    EXPECT_NEAR(rate, headerFrameRate(path), 0.01);
    EXPECT_TRUE(flash.FrameTimer().isActive());
    EXPECT_EQ(flash.FrameTimer().interval(), std::clamp(int(std::lround(1000.0 / rate)), 1, 1000));

    flash.Stop();
    EXPECT_FALSE(flash.IsPlaying());
    flash.GotoFrame(2);
    flash.AdvanceBy(2000);
    EXPECT_EQ(flash.CurrentFrame(), 2) << "a stopped movie stays where it is";

    // Afresh, so that no time is left over on the movie's clock: half a frame's time while
    // stopped, then four and a half frames' time playing make five frames.
    flash.SetMovie(path);
    flash.Stop();
    flash.GotoFrame(2);
    flash.AdvanceBy(int(std::ceil(500.0 / rate)));
    EXPECT_EQ(flash.CurrentFrame(), 2);
    flash.Play();
    EXPECT_TRUE(flash.IsPlaying());
    flash.AdvanceBy(int(std::ceil(4500.0 / rate)));
    EXPECT_EQ(flash.CurrentFrame(), 7);
}

TEST(ShockwaveFlash, UnloadPathLetsGoOfTheMovieWithoutLookingAtTheDisk)
{
    QTemporaryDir dir;
    // A file by that very name in the working folder must not be loaded.
    const QString trap = dir.filePath("c:\\sym.swf");
    ASSERT_TRUE(QFile::copy(sampleMovies().value(0), trap));
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));

    TShockwaveFlash flash;
    flash.SetMovie(sampleMovies().value(0));
    ASSERT_EQ(flash.ReadyState(), 4);
    QSignalSpy changed(&flash, &TShockwaveFlash::OnMovieChanged);
    for (const QString& unload : { QString("c:\\sym.swf"), QString("C:\\SYM.SWF") }) {
        flash.SetMovie(unload);
        EXPECT_EQ(flash.Movie(), unload);
        EXPECT_EQ(flash.ReadyState(), 0);
        EXPECT_EQ(flash.TotalFrames(), 0);
        EXPECT_EQ(flash.CurrentFrame(), 0);
        EXPECT_FALSE(flash.IsPlaying());
        EXPECT_FALSE(flash.FrameTimer().isActive());
    }
    EXPECT_EQ(changed.count(), 2);
    QDir::setCurrent(previous);

    // Every operation on the empty control is harmless.
    flash.Play();
    flash.Stop();
    flash.GotoFrame(5);
    flash.Zoom(100);
    EXPECT_EQ(flash.CurrentFrame(), 0);
    EXPECT_FALSE(flash.IsPlaying());
}

TEST(ShockwaveFlash, FilesThatAreNoReadableMovieLeaveTheControlEmpty)
{
    QTemporaryDir dir;
    qmtest::writeFile(dir.filePath("empty.swf"), "");
    qmtest::writeFile(dir.filePath("text.swf"), "This is not a movie at all.\n");
    qmtest::writeFile(dir.filePath("signature.swf"), "FWS");
    QByteArray hugeLength("FWS\x0A\xFF\xFF\xFF\x7F", 8); // claims 2 GB, has nothing
    qmtest::writeFile(dir.filePath("huge.swf"), hugeLength);
    QDir().mkdir(dir.filePath("folder.swf"));

    TShockwaveFlash flash;
    for (const char* name : { "empty.swf", "text.swf", "signature.swf", "huge.swf", "folder.swf", "missing.swf" }) {
        SCOPED_TRACE(name);
        flash.SetMovie(sampleMovies().value(0));
        flash.SetMovie(dir.filePath(name));
        EXPECT_EQ(flash.ReadyState(), 0);
        EXPECT_EQ(flash.TotalFrames(), 0);
        EXPECT_EQ(flash.RenderToImage(QSize(40, 30)).size(), QSize(40, 30));
    }
}

TEST(ShockwaveFlash, DamagedMovieLoadsWhatCanBeReadAndNeverBreaks)
{
    QTemporaryDir dir;
    const QString source = movieWithFrames(20);
    ASSERT_FALSE(source.isEmpty());
    const QByteArray bytes = qmtest::readFile(source);

    struct Row {
        const char* name;
        QByteArray data;
    };
    QByteArray flipped = bytes;
    for (qsizetype i = 40; i < flipped.size(); i += 97)
        flipped[i] = char(flipped[i] ^ 0x5A);
    const Row rows[] = {
        { "cut in half", bytes.left(bytes.size() / 2) },
        { "cut after the header", bytes.left(30) },
        { "bytes flipped", flipped },
    };
    TShockwaveFlash flash;
    flash.resize(160, 120);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const QString path = dir.filePath(QString::fromLatin1(row.name) + ".swf");
        qmtest::writeFile(path, row.data);
        flash.SetMovie(path);
        EXPECT_TRUE(flash.ReadyState() == 0 || flash.ReadyState() == 4);
        EXPECT_GE(flash.TotalFrames(), 0);
        for (int f : { 0, 5, 1000, -3 }) {
            flash.GotoFrame(f);
            EXPECT_GE(flash.CurrentFrame(), 0);
            if (flash.TotalFrames() > 0) {
                EXPECT_LT(flash.CurrentFrame(), flash.TotalFrames());
            }
        }
        flash.Play();
        flash.AdvanceBy(500);
        EXPECT_FALSE(flash.RenderToImage(QSize(64, 48)).isNull());
        EXPECT_FALSE(flash.grab().isNull());
    }
}

TEST(ShockwaveFlash, BackgroundColourIsBlueGreenRed)
{
    // Empty control: its face is the colour.
    TShockwaveFlash flash;
    EXPECT_EQ(flash.BackgroundColor(), -1);
    struct Row {
        int bgr;
        QColor rgb;
    };
    const Row rows[] = {
        { 0x0000FF, QColor(255, 0, 0) },
        { 0xFF0000, QColor(0, 0, 255) },
        { 0x00FF00, QColor(0, 255, 0) },
        { 0x336699, QColor(0x99, 0x66, 0x33) },
    };
    for (const Row& row : rows) {
        flash.SetBackgroundColor(row.bgr);
        EXPECT_EQ(flash.BackgroundColor(), row.bgr);
        EXPECT_EQ(flash.RenderToImage(QSize(8, 8)).pixelColor(4, 4), row.rgb);
    }

    // A movie drawn into a much wider picture is letterboxed in the colour, whatever the
    // movie's own background: the whole stage fits.
    flash.SetMovie(sampleMovies().value(0));
    ASSERT_EQ(flash.ReadyState(), 4);
    flash.Zoom(100);
    flash.SetBackgroundColor(0x0000FF);
    const QImage wide = flash.RenderToImage(QSize(1000, 20));
    ASSERT_EQ(wide.size(), QSize(1000, 20));
    EXPECT_EQ(wide.pixelColor(1, 10), QColor(255, 0, 0));
    EXPECT_EQ(wide.pixelColor(998, 10), QColor(255, 0, 0));
}

TEST(ShockwaveFlash, CurrentPictureIntoImagesOfAnySize)
{
    TShockwaveFlash flash;
    flash.SetQuality(1);
    EXPECT_EQ(flash.Quality(), 1);
    flash.SetMovie(movieWithFrames(20));
    ASSERT_EQ(flash.ReadyState(), 4);
    flash.GotoFrame(10);
    for (const QSize size : { QSize(1, 1), QSize(64, 48), QSize(96, 72), QSize(17, 300), QSize(800, 600) }) {
        const QImage picture = flash.RenderToImage(size);
        EXPECT_EQ(picture.size(), size);
    }
    EXPECT_TRUE(flash.RenderToImage(QSize(0, 10)).isNull());

    // Painting through a painter into a rectangle of a bigger picture touches only it.
    QImage canvas(100, 100, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    {
        QPainter painter(&canvas);
        flash.PaintTo(painter, QRect(10, 10, 40, 30));
    }
    EXPECT_EQ(canvas.pixelColor(5, 5).alpha(), 0);
    EXPECT_EQ(canvas.pixelColor(80, 80).alpha(), 0);
    EXPECT_EQ(canvas.pixelColor(30, 25).alpha(), 255);
}

TEST(ShockwaveFlash, WheelScrollsTheTextUnderTheMouseByWholeNotches)
{
    // A one-line text field holding three lines: a notch towards the user shows the next.
    const QString path = corpusMovie(QStringLiteral("conformance/visual/visual__cache_as_bitmap__edittext_scroll/test.swf"));
    TShockwaveFlash flash;
    flash.resize(140, 40);
    flash.SetMovie(path);
    ASSERT_EQ(flash.ReadyState(), 4);
    const QSize size(140, 40);
    const QImage first = flash.RenderToImage(size);
    auto turn = [&](int delta) {
        QWheelEvent e(QPointF(10, 10), flash.mapToGlobal(QPointF(10, 10)), QPoint(), QPoint(0, delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(&flash, &e);
    };
    turn(-60); // half a notch: nothing yet
    EXPECT_EQ(flash.RenderToImage(size), first);
    turn(-60);
    const QImage second = flash.RenderToImage(size);
    EXPECT_NE(second, first);
    turn(120);
    EXPECT_EQ(flash.RenderToImage(size), first);
    turn(600); // past the first line: stays there
    EXPECT_EQ(flash.RenderToImage(size), first);
}

// ---- TMyFlash ----

TEST(MyFlash, MouseTableOfTheHostingWindows)
{
    using H = TMyFlashHandling;
    struct Row {
        TMyFlashHost host;
        H leftDouble, leftDown, rightDown;
    };
    const Row rows[] = {
        { TMyFlashHost::ExtDlgs, H::Own, H::Ordinary, H::Swallowed },
        { TMyFlashHost::Media, H::Own, H::Ordinary, H::Swallowed },
        { TMyFlashHost::TempInteger, H::Own, H::Own, H::Swallowed },
        { TMyFlashHost::MediaSelect, H::Own, H::Ordinary, H::Swallowed },
        { TMyFlashHost::PreviewFlash, H::FullScreen, H::Ordinary, H::ShowMenu },
    };
    for (const Row& row : rows) {
        const TMyFlashMouse m = TMyFlashMouseTable(row.host);
        EXPECT_EQ(m.leftDouble, row.leftDouble);
        EXPECT_EQ(m.leftDown, row.leftDown);
        EXPECT_EQ(m.rightDown, row.rightDown);
    }
}

namespace {

void press(QWidget& w, Qt::MouseButton button, QEvent::Type type = QEvent::MouseButtonPress)
{
    QMouseEvent e(type, QPointF(10, 10), w.mapToGlobal(QPointF(10, 10)), button, button, Qt::NoModifier);
    QCoreApplication::sendEvent(&w, &e);
}

} // namespace

TEST(MyFlash, RightButtonNeverShowsAMenuOfTheMovieOrOfTheWindow)
{
    for (TMyFlashHost host : { TMyFlashHost::ExtDlgs, TMyFlashHost::Media, TMyFlashHost::TempInteger,
                               TMyFlashHost::MediaSelect }) {
        QWidget window;
        window.setContextMenuPolicy(Qt::CustomContextMenu);
        QSignalSpy windowMenu(&window, &QWidget::customContextMenuRequested);
        auto* flash = new TMyFlash(host, &window);
        flash->SetMovie(sampleMovies().value(0));
        QSignalSpy down(flash, &TMyFlash::OnMouseDown);
        QSignalSpy popup(flash, &TMyFlash::OnPopupRequest);
        press(*flash, Qt::RightButton);
        QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, QPoint(10, 10), flash->mapToGlobal(QPoint(10, 10)));
        QCoreApplication::sendEvent(flash, &menuEvent);
        EXPECT_EQ(down.count(), 0);
        EXPECT_EQ(popup.count(), 0);
        EXPECT_EQ(windowMenu.count(), 0) << "the request goes no further";
    }
}

TEST(MyFlash, LeftButtonRaisesMouseDownOnlyForOrdinaryHandling)
{
    struct Row {
        TMyFlashHost host;
        int mouseDowns;
    };
    for (const Row& row : { Row { TMyFlashHost::ExtDlgs, 1 }, Row { TMyFlashHost::TempInteger, 0 },
                            Row { TMyFlashHost::PreviewFlash, 1 } }) {
        TMyFlash flash(row.host);
        flash.SetMovie(sampleMovies().value(0));
        QSignalSpy down(&flash, &TMyFlash::OnMouseDown);
        QSignalSpy full(&flash, &TMyFlash::OnFullScreenRequest);
        press(flash, Qt::LeftButton);
        press(flash, Qt::LeftButton, QEvent::MouseButtonRelease);
        EXPECT_EQ(down.count(), row.mouseDowns);
        press(flash, Qt::LeftButton, QEvent::MouseButtonDblClick);
        EXPECT_EQ(full.count(), row.host == TMyFlashHost::PreviewFlash ? 1 : 0);
    }
}

TEST(MyFlash, PlayersControlAsksForFullScreenAndShowsItsMenu)
{
    TMyFlash flash(TMyFlashHost::PreviewFlash);
    QMenu menu;
    menu.addAction("Play");
    flash.SetPopupMenu(&menu);
    QSignalSpy popup(&flash, &TMyFlash::OnPopupRequest);
    QSignalSpy full(&flash, &TMyFlash::OnFullScreenRequest);
    press(flash, Qt::RightButton);
    ASSERT_EQ(popup.count(), 1);
    EXPECT_EQ(popup.at(0).at(0).toPoint(), flash.mapToGlobal(QPoint(10, 10)));
    EXPECT_TRUE(menu.isVisible());
    menu.hide();
    press(flash, Qt::LeftButton, QEvent::MouseButtonDblClick);
    EXPECT_EQ(full.count(), 1);
}
