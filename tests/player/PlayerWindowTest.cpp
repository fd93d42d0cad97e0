#include "app/PreviewFlashUnit.h"
#include "control/KvFullPicture.h"
#include "control/MyFlash.h"
#include "control/cmpGFXListBox.h"
#include "control/kvImgBtn.h"
#include "shared/Share.h"
#include "tests/support/TestSupport.h"

#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class FakeMovie : public MovieControl {
public:
    void setMovie(const QString& path) override { loaded << path; }
    void play() override { playing = true; }
    void stop() override { playing = false; }
    void zoom(int) override { ++zooms; }
    void gotoFrame(int frame) override { frameNow = frame; }
    int currentFrame() override { return frameNow; }
    int totalFrames() override { return frames; }

    QStringList loaded;
    bool playing = false;
    int zooms = 0;
    int frameNow = 0;
    int frames = 300;
    QList<quint32> backgrounds;
};

QByteArray movieHeader(quint16 frameCount)
{
    QByteArray b("FWS\x06\x20\x00\x00\x00", 8);
    b += QByteArray("\x78\x00\x05\x5F\x00\x00\x0F\xA0\x00", 9);
    b += QByteArray("\x00\x0C", 2);
    b += char(frameCount & 0xFF);
    b += char(frameCount >> 8);
    return b;
}

class PlayerWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetConfigPathForTesting(dir.filePath("config.ini"));
        WriteConfig("Preview", "IsPlayOrder", "0");
        for (const char* name : { "a.swf", "b.swf", "c.swf" }) {
            qmtest::writeFile(dir.filePath(name), movieHeader(300));
            files << dir.filePath(name);
        }
    }
    void TearDown() override { SetConfigPathForTesting({}); }

    std::unique_ptr<TFrmPreviewFlash> makeWindow(QWidget* toolbar = nullptr)
    {
        auto form = std::make_unique<TFrmPreviewFlash>(
            [this](QWidget* parent) {
                PlayerMovie m;
                m.widget = new TMyFlash(TMyFlashHost::PreviewFlash, parent);
                m.control = &movie;
                m.setBackgroundColor = [this](quint32 bgr) { movie.backgrounds << bgr; };
                return m;
            },
            toolbar);
        form->playlist().Fill(files);
        return form;
    }

    QTemporaryDir dir;
    QStringList files;
    FakeMovie movie;
};

QStringList captions(const QMenu* menu)
{
    QStringList list;
    for (const QAction* a : menu->actions())
        list << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return list;
}

TEST_F(PlayerWindowTest, LayoutHintsAndMenus)
{
    auto form = makeWindow();
    EXPECT_EQ(form->windowTitle(), "Preview Flash");
    EXPECT_EQ(form->minimumSize(), QSize(610, 480));
    const struct {
        QWidget* control;
        const char* hint;
    } hints[] = { { form->BlkColor, "Flash background Color" }, { form->BtnLast, "Play Last" },
                  { form->BtnNext, "Play Next" }, { form->BtnPause, "Pause" }, { form->Btnplay, "Play" },
                  { form->BtnPre, "Play Previous" }, { form->BtnSoundClose, "Sound Mute" },
                  { form->BtnSoundOpen, "Sound Open" }, { form->BtnStop, "Stop" }, { form->BtnTop, "Play Top" },
                  { form->RzTrackBarSound, "Volume Control" } };
    for (const auto& h : hints)
        EXPECT_EQ(h.control->toolTip(), h.hint);
    EXPECT_EQ(captions(form->PopupMenuFlash),
              (QStringList { "Full in Screen", "-", "Play Next...", "Play Previous...", "Play Top", "Play Last", "-",
                             "Capture Screen to Image", "Capture Screen To Wallpaper", "-", "Exit the Full Screen",
                             "Close" }));
    EXPECT_EQ(captions(form->PopupMenuList),
              (QStringList { "Play the select file", "Edit", "-", "Remove the select file", "Remove All Files", "-",
                             "Add any swf files", "Load the swf files from Folder", "-", "Play order Sequential...",
                             "Play order Random...", "Loop Play a flash file", "-", "Properties" }));
    EXPECT_EQ(form->ComBoxOrder->count(), 3);
    EXPECT_EQ(form->ComBoxOrder->itemText(1), "Play order random");
}

TEST_F(PlayerWindowTest, FirstShowingPlaysTheFirstEntryAndCountsTheList)
{
    auto form = makeWindow();
    form->show();
    ASSERT_EQ(movie.loaded, QStringList { files[0] });
    EXPECT_TRUE(movie.playing);
    EXPECT_EQ(form->LblProperties->text(), "Play Flash Files:  3");
    EXPECT_EQ(form->Lbltitle->text(), "Quillmoor");
    EXPECT_EQ(form->kvListBox1->count(), 3);
    EXPECT_EQ(form->kvListBox1->ImageIndex(0), 1);
    EXPECT_EQ(form->kvListBox1->ImageIndex(1), 0);
    EXPECT_EQ(form->kvListBox1->currentRow(), 0);
    EXPECT_TRUE(form->playback().PollRunning());
    EXPECT_EQ(form->LblFileName->text(), "          " + files[0]);
    EXPECT_FALSE(form->Btnplay->isVisible());
    EXPECT_EQ(form->ComBoxOrder->currentIndex(), 0);
}

TEST_F(PlayerWindowTest, MissingPlayOrderShowsTheErrorAndPlaysNothing)
{
    SetConfigPathForTesting(dir.filePath("other.ini"));
    qmtest::ScriptedPrompts prompts;
    auto form = makeWindow();
    form->show();
    EXPECT_TRUE(movie.loaded.isEmpty());
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].caption, "Error");
    EXPECT_EQ(prompts.messages[0].text, "'' is not a valid integer value");
    EXPECT_FALSE(form->playback().PollRunning());
    EXPECT_TRUE(form->isVisible());
}

TEST_F(PlayerWindowTest, OrderBoxAndMenuStayInStep)
{
    auto form = makeWindow();
    form->show();
    form->ComBoxOrderChange(1);
    EXPECT_EQ(ReadConfig("Preview", "IsPlayOrder"), "1");
    EXPECT_TRUE(form->PlayorderisRandom1->isChecked());
    EXPECT_FALSE(form->PlayorderisSequential1->isChecked());
    form->PlayorderisSequential1Click(2);
    EXPECT_EQ(ReadConfig("Preview", "IsPlayOrder"), "2");
    EXPECT_EQ(form->ComBoxOrder->currentIndex(), 2);
    EXPECT_TRUE(form->PlayLoop1->isChecked());
    EXPECT_FALSE(form->PlayorderisRandom1->isChecked());
}

TEST_F(PlayerWindowTest, BackgroundColourNoneLeavesTheMovieAlone)
{
    auto form = makeWindow();
    form->BlkColorChange(TFrmPreviewFlash::kColorNone);
    form->BlkColorChange(0x0000FF);
    EXPECT_EQ(movie.backgrounds, QList<quint32> { 0x0000FF });
}

TEST_F(PlayerWindowTest, FullScreenOnAndOff)
{
    auto form = makeWindow();
    form->show();
    const QRect before = form->geometry();
    QTest::mouseDClick(form->FFlash, Qt::LeftButton);
    EXPECT_TRUE(form->FullScreen());
    EXPECT_FALSE(form->PnlBottom->isVisible());
    EXPECT_FALSE(form->PnlTop->isVisible());
    EXPECT_FALSE(form->PnlRight->isVisible());
    EXPECT_FALSE(form->FullInScreen1->isEnabled());
    EXPECT_TRUE(form->MenuExitFull->isEnabled());
    EXPECT_TRUE(form->TimerPnl.isActive());

    QTest::mouseDClick(form->FFlash, Qt::LeftButton); // nothing in full screen
    EXPECT_TRUE(form->FullScreen());

    QTest::keyClick(form.get(), Qt::Key_Escape);
    EXPECT_TRUE(qmtest::waitFor([&] { return !form->FullScreen() && form->PnlBottom->isVisible(); }));
    EXPECT_EQ(form->geometry(), before);
    EXPECT_TRUE(form->isVisible()) << "Esc never closes the player";
    QTest::keyClick(form.get(), Qt::Key_Escape); // not in full screen: nothing changes
    EXPECT_TRUE(form->isVisible());
    EXPECT_FALSE(form->FullScreen());
}

TEST_F(PlayerWindowTest, PanelsSlideInNearTheBottomAndRightEdges)
{
    auto form = makeWindow();
    form->show();
    form->SetFullScreen(true);
    const QSize screen(1920, 1080);
    const struct {
        QPoint cursor;
        bool bottom, right;
    } cases[] = { { { 500, 500 }, false, false }, { { 500, 971 }, true, false }, { { 500, 970 }, false, false },
                  { { 1736, 100 }, false, true }, { { 1735, 100 }, false, false }, { { 1900, 1070 }, true, true } };
    for (const auto& c : cases) {
        form->ShowPanelsForCursor(c.cursor, screen);
        EXPECT_EQ(form->PnlBottom->isVisible(), c.bottom) << c.cursor.x() << "," << c.cursor.y();
        EXPECT_EQ(form->PnlRight->isVisible(), c.right) << c.cursor.x() << "," << c.cursor.y();
    }
}

TEST_F(PlayerWindowTest, StoredMaximumOpensInFullScreen)
{
    WriteConfig("Preview", "IsMax", "1");
    auto form = makeWindow();
    form->show();
    EXPECT_TRUE(qmtest::waitFor([&] { return form->isFullScreen(); }));
}

TEST_F(PlayerWindowTest, MaximizeButtonEntersFullScreen)
{
    auto form = makeWindow();
    form->show();
    form->setWindowState(Qt::WindowMaximized);
    EXPECT_TRUE(qmtest::waitFor([&] { return form->FullScreen(); }));
}

TEST_F(PlayerWindowTest, EndOfMovieMovesToTheNextEntry)
{
    movie.frames = 5;
    auto form = makeWindow();
    form->show();
    EXPECT_TRUE(qmtest::waitFor([&] { return movie.loaded.size() >= 2; }));
    EXPECT_EQ(movie.loaded[1], files[1]);
    EXPECT_EQ(form->kvListBox1->ImageIndex(1), 1);
    EXPECT_EQ(form->kvListBox1->ImageIndex(0), 0);
}

TEST_F(PlayerWindowTest, ClosingShowsTheToolbarAndRemovesTheCapture)
{
    QWidget toolbar;
    qmtest::writeFile(GetTempDir() + "temp.bmp", "x");
    {
        auto form = makeWindow(&toolbar);
        form->show();
        toolbar.hide();
    }
    EXPECT_TRUE(toolbar.isVisible());
    EXPECT_FALSE(QFile::exists(GetTempDir() + "temp.bmp"));
}

TEST_F(PlayerWindowTest, RemovingCheckedEntriesFromTheListMenu)
{
    auto form = makeWindow();
    form->show();
    form->kvListBox1->SetState(1, TkvListBox::StateChecked);
    EXPECT_TRUE(qmtest::waitFor([&] { return form->playlist().entry(1).check == Playlist::Checked; }));
    form->PopupMenuList->actions()[3]->trigger(); // "Remove the select file"
    EXPECT_EQ(form->kvListBox1->count(), 2);
    EXPECT_EQ(form->LblProperties->text(), "Play Flash Files:  2");
    EXPECT_EQ(form->kvListBox1->item(1)->text(), "c.swf");
}

} // namespace

// The real engine behind the window: a short movie ends and the next entry plays.
TEST(PlayerWindowEngine, ShortCorpusMovieIsFollowedByTheNextEntry)
{
    QTemporaryDir dir;
    SetConfigPathForTesting(dir.filePath("config.ini"));
    WriteConfig("Preview", "IsPlayOrder", "0");
    const QString visual = qmtest::corpusDir() + "/conformance/visual/";
    const QStringList movies { visual + "from_gnash__misc-ming.all__shape_test/test.swf",
                               visual + "avm1__mcl_target_png/test.swf" };
    {
        TFrmPreviewFlash form(CreateFlashMovie);
        form.playlist().Fill(movies);
        form.show();
        EXPECT_EQ(form.playback().CurrentFile(), movies[0]);
        EXPECT_EQ(form.playback().FrameCount(), 3);
        EXPECT_TRUE(qmtest::waitFor([&] { return form.playback().CurrentFile() == movies[1]; }, 5000));
        EXPECT_EQ(form.kvListBox1->ImageIndex(1), 1);
    }
    SetConfigPathForTesting({});
}
