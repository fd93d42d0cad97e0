// The media open dialog: the kinds of files, the decisions of the preview area against a
// recording view, and the real dialog offscreen with pictures and movies.
#include "control/MyFlash.h"
#include "control/kvExtDlgs.h"
#include "tests/support/TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QMediaPlayer>
#include <QImage>
#include <QLabel>
#include <QTemporaryDir>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

QString corpusMovie()
{
    return qmtest::corpusDir() + "/real/ruffle__logo-anim.swf";
}

} // namespace

TEST(kvExtDlgs, KindsByExtensionInAnyLetterCase)
{
    struct Row {
        const char* name;
        const char* kind;
    };
    const Row rows[] = {
        { "/p/a.gif", "Image" }, { "/p/a.JPG", "Image" }, { "/p/a.jpeg", "Image" }, { "/p/a.Bmp", "Image" },
        { "/p/a.swf", "Flash" }, { "/p/A.SWF", "Flash" },
        { "/p/a.avi", "Movie" }, { "/p/a.asf", "Movie" }, { "/p/a.mpg", "Movie" }, { "/p/a.MPEG", "Movie" },
        { "/p/a.wm", "Movie" }, { "/p/a.WMV", "Movie" },
        { "/p/a.png", "" }, { "/p/a.txt", "" }, { "/p/swf", "" }, { "/p/a.swf.txt", "" },
        { "/p/clips.swf/readme", "" }, { "", "" }, { "/p/.swf", "Flash" },
    };
    for (const Row& row : rows)
        EXPECT_EQ(FFileKind(QString::fromUtf8(row.name)), QLatin1String(row.kind)) << row.name;
    for (const TMediaKindRow& row : MediaKindTable()) {
        EXPECT_EQ(QString::fromLatin1(row.extension), QString::fromLatin1(row.extension).toLower());
        EXPECT_EQ(FFileKind(QStringLiteral("x") + QString::fromLatin1(row.extension).toUpper()),
                  QLatin1String(row.kind));
    }
}

namespace {

// Records what the preview asked for, one line per call.
class RecordingView : public TMediaPreviewView {
public:
    QStringList calls;
    bool imageLoads = true;
    bool flashLoads = true;

    void StopPreviews() override { calls << "stop"; }
    void SetPictureLabel(const QString& text) override { calls << "label " + text; }
    void SetPanelCaption(const QString& text) override { calls << "caption " + text; }
    void ClearPicture() override { calls << "clear"; }
    void SetPreviewButtonEnabled(bool enabled) override { calls << (enabled ? "button on" : "button off"); }
    bool ShowImage(const QString& path) override
    {
        calls << "image " + path;
        return imageLoads;
    }
    bool ShowFlash(const QString& path) override
    {
        calls << "flash " + path;
        return flashLoads;
    }
    bool ShowMovie(const QString& path) override
    {
        calls << "movie " + path;
        return true;
    }
    QStringList take()
    {
        QStringList c = calls;
        calls.clear();
        return c;
    }
};

} // namespace

TEST(kvExtDlgs, PreviewDecisions)
{
    QTemporaryDir dir;
    const QString swf = dir.filePath("a.swf");
    const QString txt = dir.filePath("b.txt");
    const QString gif = dir.filePath("c.gif");
    const QString video = dir.filePath("d.WMV");
    for (const QString& f : { swf, txt, gif, video })
        qmtest::writeFile(f, "x");

    RecordingView view;
    TMediaPreview preview(view);
    preview.Reset();
    EXPECT_EQ(view.take(), (QStringList { "clear", "caption (None)" }));

    preview.SelectionChanged(swf);
    EXPECT_EQ(view.take(), (QStringList { "stop", "label " + swf, "caption ", "flash " + swf }));
    EXPECT_EQ(preview.LastFile(), swf);

    preview.SelectionChanged(swf);
    EXPECT_TRUE(view.take().isEmpty()) << "the same file again does not restart the preview";

    preview.SelectionChanged(txt);
    EXPECT_EQ(view.take(), (QStringList { "stop", "label " + txt, "caption " })) << "nothing to show";

    preview.SelectionChanged(video);
    EXPECT_EQ(view.take(), (QStringList { "stop", "label " + video, "caption ", "movie " + video }));
    preview.PreviewFailed(); // the video could not be played after all
    EXPECT_EQ(view.take(), (QStringList { "stop", "label ", "button off", "clear", "caption (None)" }));

    view.imageLoads = false; // a damaged picture
    preview.SelectionChanged(gif);
    EXPECT_EQ(view.take(), (QStringList { "stop", "label " + gif, "caption ", "image " + gif, "label ",
                                          "button off", "clear", "caption (None)" }));

    view.flashLoads = false;
    preview.SelectionChanged(dir.filePath("missing.swf"));
    EXPECT_EQ(view.take(), QStringList { "stop" }) << "a name that does not exist only stops the old preview";

    preview.PaintFailed();
    EXPECT_EQ(view.take(), (QStringList { "clear", "caption Invalid image" }));

    preview.Close();
    EXPECT_EQ(view.take(), QStringList { "stop" });
    preview.PreviewFailed();
    EXPECT_TRUE(view.take().isEmpty()) << "a late failure after closing changes nothing";
}

namespace {

class ThrowingPanel : public TSilentPaintPanel {
protected:
    void PaintContent(QPainter&) override { throw std::runtime_error("bad picture"); }
};

} // namespace

TEST(kvExtDlgs, PanelWhosePaintingFailsSaysInvalidImage)
{
    ThrowingPanel panel;
    panel.resize(100, 100);
    int failures = 0;
    panel.OnPaintFailed = [&] { ++failures; };
    panel.SetCaption("(None)");
    EXPECT_FALSE(panel.grab().isNull());
    EXPECT_EQ(panel.Caption(), "Invalid image");
    EXPECT_EQ(failures, 1);
}

TEST(kvExtDlgs, PanelDrawsThePictureProportionallyAndCentred)
{
    TSilentPaintPanel panel;
    panel.setFrameStyle(QFrame::NoFrame);
    panel.resize(100, 100);
    QImage picture(20, 10, QImage::Format_RGB32);
    picture.fill(Qt::red);
    panel.SetPicture(picture);
    panel.SetPictureShown(true);
    const QImage shot = panel.grab().toImage();
    EXPECT_EQ(shot.pixelColor(50, 50), QColor(Qt::red));
    EXPECT_EQ(shot.pixelColor(2, 50), QColor(Qt::red)) << "stretched to the full width";
    EXPECT_NE(shot.pixelColor(50, 10), QColor(Qt::red)) << "but not out of proportion";
}

class OpenMediaDialogTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QTemporaryDir dir;
};

TEST_F(OpenMediaDialogTest, PreviewAreaPlaysMoviesShowsPicturesAndStopsOnClose)
{
    const QString picture = dir.filePath("pic.bmp");
    QImage img(30, 20, QImage::Format_RGB32);
    img.fill(Qt::blue);
    ASSERT_TRUE(img.save(picture));
    const QString damaged = dir.filePath("broken.gif");
    qmtest::writeFile(damaged, "GIF89a\x01\x00");
    const QString text = dir.filePath("notes.txt");
    qmtest::writeFile(text, "text");

    for (bool confirm : { false, true }) {
        SCOPED_TRACE(confirm ? "confirmed" : "cancelled");
        TOpenMediaDialog dialog;
        dialog.setDirectory(dir.path());
        EXPECT_TRUE(dialog.testOption(QFileDialog::DontUseNativeDialog));
        dialog.show();
        EXPECT_TRUE(dialog.PicturePanel()->isVisible());
        EXPECT_EQ(dialog.PaintPanel()->Caption(), "(None)");
        EXPECT_FALSE(dialog.PreviewButton()->isVisible());

        dialog.DoSelectionChange(corpusMovie());
        TMyFlash* flash = dialog.Flash();
        EXPECT_TRUE(flash->isVisible());
        EXPECT_EQ(flash->Movie(), corpusMovie());
        EXPECT_EQ(flash->ReadyState(), 4);
        EXPECT_TRUE(flash->IsPlaying());
        EXPECT_EQ(dialog.PictureLabel()->text(), corpusMovie());
        EXPECT_EQ(dialog.PaintPanel()->Caption(), "");

        flash->AdvanceBy(500);
        const int frame = flash->CurrentFrame();
        dialog.DoSelectionChange(corpusMovie());
        EXPECT_EQ(flash->CurrentFrame(), frame) << "selecting it again does not restart it";

        dialog.DoSelectionChange(text);
        EXPECT_FALSE(flash->isVisible());
        EXPECT_EQ(flash->Movie(), TShockwaveFlash::UnloadPath());
        EXPECT_EQ(flash->ReadyState(), 0);
        EXPECT_EQ(dialog.PictureLabel()->text(), text);

        dialog.DoSelectionChange(picture);
        EXPECT_TRUE(dialog.PaintPanel()->PictureShown());
        EXPECT_EQ(dialog.PaintPanel()->Picture().size(), QSize(30, 20));

        dialog.DoSelectionChange(damaged);
        EXPECT_FALSE(dialog.PaintPanel()->PictureShown());
        EXPECT_EQ(dialog.PaintPanel()->Caption(), "(None)");
        EXPECT_EQ(dialog.PictureLabel()->text(), "");
        EXPECT_FALSE(dialog.PreviewButton()->isEnabled());

        dialog.DoSelectionChange(corpusMovie());
        EXPECT_EQ(flash->ReadyState(), 4);
        // Qt's dialog ends through done() whichever way the user leaves it.
        static_cast<QDialog&>(dialog).done(confirm ? QDialog::Accepted : QDialog::Rejected);
        EXPECT_EQ(dialog.result(), confirm ? QDialog::Accepted : QDialog::Rejected);
        EXPECT_EQ(flash->Movie(), TShockwaveFlash::UnloadPath()) << "the preview stops with the dialog";
        EXPECT_EQ(flash->ReadyState(), 0);
    }
}

TEST_F(OpenMediaDialogTest, DamagedMovieShowsNone)
{
    const QString broken = dir.filePath("broken.swf");
    qmtest::writeFile(broken, "not a movie");
    TOpenMediaDialog dialog;
    dialog.show();
    dialog.DoSelectionChange(broken);
    EXPECT_FALSE(dialog.Flash()->isVisible());
    EXPECT_EQ(dialog.PaintPanel()->Caption(), "(None)");
    dialog.reject();
}

TEST_F(OpenMediaDialogTest, EachShowingStartsWithAnEmptyPreview)
{
    TOpenMediaDialog dialog;
    dialog.show();
    dialog.DoSelectionChange(corpusMovie());
    dialog.reject();
    dialog.show();
    EXPECT_EQ(dialog.Preview().LastFile(), "");
    EXPECT_EQ(dialog.PaintPanel()->Caption(), "(None)");
    dialog.DoSelectionChange(corpusMovie());
    EXPECT_EQ(dialog.Flash()->ReadyState(), 4) << "the same file as in the last showing plays again";
    dialog.reject();
}

TEST_F(OpenMediaDialogTest, OldStyleDialogHasNoPreviewArea)
{
    TOpenMediaDialog dialog;
    dialog.SetOldStyleDialog(true);
    dialog.show();
    EXPECT_FALSE(dialog.PicturePanel()->isVisible());
    dialog.DoSelectionChange(corpusMovie());
    EXPECT_EQ(dialog.Flash()->ReadyState(), 0);
    dialog.reject();
}

TEST_F(OpenMediaDialogTest, DefaultFilterIsEveryPictureFormat)
{
    TOpenMediaDialog dialog;
    const QStringList filters = dialog.nameFilters();
    ASSERT_FALSE(filters.isEmpty());
    EXPECT_TRUE(filters.first().startsWith("All pictures ("));
    for (const char* pattern : { "*.bmp", "*.gif", "*.jpg", "*.png" })
        EXPECT_TRUE(filters.first().contains(QLatin1String(pattern))) << pattern;
}

TEST_F(OpenMediaDialogTest, VideoThatCannotBePlayedShowsNone)
{
    // Upper-case extension: still a video; the content is no video at all.
    const QString clip = dir.filePath("clip.WMV");
    qmtest::writeFile(clip, QByteArray(5000, 'x'));
    TOpenMediaDialog dialog;
    dialog.show();
    dialog.DoSelectionChange(clip);
    ASSERT_NE(dialog.MediaPlayer(), nullptr);
    EXPECT_EQ(dialog.MediaPlayer()->source(), QUrl::fromLocalFile(clip));
    EXPECT_EQ(dialog.PictureLabel()->text(), clip);
    // The media framework finds out in its own time.
    QElapsedTimer clock;
    clock.start();
    while (dialog.PaintPanel()->Caption() != "(None)" && clock.elapsed() < 20000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_EQ(dialog.PaintPanel()->Caption(), "(None)");
    EXPECT_EQ(dialog.PictureLabel()->text(), "");
    EXPECT_TRUE(dialog.MediaPlayer()->source().isEmpty()) << "the failed video is closed";

    static_cast<QDialog&>(dialog).done(QDialog::Rejected);
    EXPECT_TRUE(dialog.MediaPlayer()->source().isEmpty());
}
