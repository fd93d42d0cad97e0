// The toolbar window driven offscreen: its menus, hints and buttons, where it stands, what
// it plays from dialogs, drops, the command line and folders, and the commands that open
// other windows. The player is a recording hook here.
#include "app/Startup.h"
#include "app/SwfFiles.h"
#include "app/UnitMain.h"
#include "control/ImgList.h"
#include "control/KvSkinForm.h"
#include "control/kvImgBtn.h"
#include "shared/DesktopShell.h"
#include "shared/Errors.h"
#include "shared/IniFile.h"
#include "shared/Share.h"
#include "tests/support/TestSupport.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>
#include <QTemporaryDir>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QUrl>
#include <gtest/gtest.h>

#include <memory>

namespace {

using qmtest::RecordingShell;

// Processes events until `done` holds (or a generous limit passes).
template <typename F>
bool waitUntil(F done)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

class ToolbarTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        configPath = dir.filePath("config.ini");
        SetConfigPathForTesting(configPath);
        SetInstallRecordPath(dir.filePath("no-install.ini"));
        FrmMainHooks() = {};
    }
    void TearDown() override
    {
        FrmMainHooks() = {};
        SetConfigPathForTesting(QString());
        SetInstallRecordPath(QString());
    }

    // A player that records what it was given and whether the toolbar was hidden meanwhile.
    void installPlayer()
    {
        FrmMainHooks().playFiles = [this](const QStringList& paths) {
            played.push_back(paths);
            toolbarHiddenWhilePlaying.push_back(FrmMain && !FrmMain->isVisible());
        };
    }

    QString makeFolder(const QString& name, const QStringList& files)
    {
        const QString path = dir.filePath(name);
        EXPECT_TRUE(QDir().mkpath(path));
        for (const QString& f : files)
            qmtest::writeFile(path + "/" + f, "FWS");
        return path;
    }

    QTemporaryDir dir;
    QString configPath;
    qmtest::ScriptedPrompts prompts;
    RecordingShell shell;
    std::vector<QStringList> played;
    std::vector<bool> toolbarHiddenWhilePlaying;
};

struct MenuRow {
    const char* name;
    const char* caption; // "-" for a separator
    int image;           // -1: none
};

void expectMenu(QMenu* menu, const std::vector<MenuRow>& rows)
{
    const QList<QAction*> items = menu->actions();
    ASSERT_EQ(items.size(), int(rows.size())) << menu->objectName().toStdString();
    for (int i = 0; i < items.size(); ++i) {
        const MenuRow& row = rows[size_t(i)];
        QAction* item = items[i];
        SCOPED_TRACE(row.name);
        EXPECT_EQ(item->objectName(), QLatin1String(row.name));
        if (QLatin1String(row.caption) == QLatin1String("-")) {
            EXPECT_TRUE(item->isSeparator());
            continue;
        }
        EXPECT_FALSE(item->isSeparator());
        EXPECT_EQ(item->text(), QString::fromUtf8(row.caption));
        if (row.image < 0) {
            EXPECT_TRUE(item->icon().isNull());
        } else {
            ASSERT_FALSE(item->icon().isNull());
            EXPECT_EQ(item->property("ImageIndex").toInt(), row.image);
            EXPECT_EQ(item->icon().pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32),
                      FrmMain->LstImgMenu->Pixmap(row.image).toImage().convertToFormat(QImage::Format_ARGB32));
        }
    }
}

std::map<QString, bool> enabledStates(const TFrmMain& w)
{
    std::map<QString, bool> states;
    for (QMenu* menu : { w.PopupMenu1, w.MenuFavorite, w.PopupMenuCapture, w.PopupMenuOpen, w.PopupMenuFavorite }) {
        for (QAction* item : menu->actions()) {
            if (!item->isSeparator())
                states[item->objectName()] = item->isEnabled();
        }
    }
    return states;
}

} // namespace

TEST_F(ToolbarTest, MenusHaveTheirCaptionsOrderSeparatorsAndIcons)
{
    qmtest::writeFile(configPath, "[Preview]\nFavoriteDir=/films\n");
    TFrmMain w(QStringList {});
    EXPECT_EQ(w.LstImgMenu->Count(), 26);
    expectMenu(w.PopupMenu1, {
        { "About1", "Capture Flash from Web page", 9 },
        { "Openswffilesfrom1", "Capture Temporary Internet Flash Files", 5 },
        { "OpenSwffiles1", "Open Flash Files from folder", 4 },
        { "Opendownloadfolder1", "Open download folder", -1 },
        { "MenuFavorite", "Favorite", 15 },
        { "Open1", "-", -1 },
        { "Create1", "Make Flash Screensaver(.scr)", 12 },
        { "MakeFlash1", "Aggregate Flash Files(.exe)", 11 },
        { "MakeFlashhtml1", "Make Flash Webpage(.htm)", 13 },
        { "N1", "-", -1 },
        { "HideMe1", "Minimized", -1 },
        { "N2", "-", -1 },
        { "Settingoptions1", "Setting options", 17 },
        { "N3", "-", -1 },
        { "Help1", "Help", -1 },
        { "HomePage1", "Home Page", 7 },
        { "N4", "-", -1 },
        { "About2", "About", -1 },
        { "Close1", "Close", 16 },
    });
    expectMenu(w.MenuFavorite, {
        { "OpenFavoriteFolder1", "Open Favorite Folder:/films", 23 },
        { "SelectFavoriteFolder1", "Select Favorite Folder", -1 },
    });
    expectMenu(w.PopupMenuCapture, {
        { "CaptureFlashfromWebpage1", "Capture Flash from Web page", 9 },
        { "CaptureTemporaryInternetFlashFiles1", "Capture Temporary Internet Flash Files", 5 },
    });
    expectMenu(w.PopupMenuOpen, {
        { "OpenSwfFiles2", "Open Flash Files from folder", 4 },
        { "Opendownloadfolder2", "Open download  folder", -1 },
    });
    expectMenu(w.PopupMenuFavorite, {
        { "OpenFavoriteFolder2", "Open Favorite Folder:/films", 23 },
        { "SelectFavoriteFolder2", "Select Favorite Folder", -1 },
    });
    EXPECT_EQ(w.Opendownloadfolder1->menuAction(), w.PopupMenu1->actions()[3]);
    EXPECT_EQ(w.Create1->property("Tag").toInt(), 0);
    EXPECT_EQ(w.MakeFlash1->property("Tag").toInt(), 1);
    EXPECT_EQ(w.MakeFlashhtml1->property("Tag").toInt(), 2);
}

TEST_F(ToolbarTest, CommandsOfMissingWindowsAreDisabledUntilTheirWindowExists)
{
    const QStringList needPlayer { "OpenSwffiles1", "OpenSwfFiles2", "OpenFavoriteFolder1", "OpenFavoriteFolder2" };
    const QStringList needWebInput { "About1", "CaptureFlashfromWebpage1" };
    const QStringList needFinder { "Openswffilesfrom1", "CaptureTemporaryInternetFlashFiles1" };
    const QStringList needBuilder { "Create1", "MakeFlash1", "MakeFlashhtml1" };

    TFrmMain w(QStringList {});
    for (const auto& [name, enabled] : enabledStates(w)) {
        const bool waits = needPlayer.contains(name) || needWebInput.contains(name) || needFinder.contains(name)
            || needBuilder.contains(name);
        EXPECT_EQ(enabled, !waits) << name.toStdString();
    }

    // The player alone: the finder stays off, its files could not be played otherwise.
    installPlayer();
    w.UpdateCommands();
    for (const auto& [name, enabled] : enabledStates(w))
        EXPECT_EQ(enabled, !(needWebInput.contains(name) || needFinder.contains(name) || needBuilder.contains(name)))
            << name.toStdString();

    FrmMainHooks().webInput = [] {};
    FrmMainHooks().tempInteger = [](QStringList&) {};
    FrmMainHooks().media = [](int) {};
    emit w.PopupMenu1->aboutToShow(); // the menu looks again when it opens
    for (const auto& [name, enabled] : enabledStates(w))
        EXPECT_TRUE(enabled) << name.toStdString();
}

TEST_F(ToolbarTest, ShapedStayOnTopWindowWithFourButtonsAndHints)
{
    TFrmMain w(QStringList {});
    EXPECT_EQ(FrmMain, &w);
    EXPECT_EQ(w.size(), QSize(100, 70));
    EXPECT_EQ(w.windowTitle(), "Quillmoor");
    EXPECT_TRUE(w.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(w.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(w.acceptDrops());
    EXPECT_EQ(w.KvSkinForm1->Glyph().size(), QSize(100, 70));
    EXPECT_EQ(w.KvSkinForm1->TransparentColor(), QColor(Qt::black));
    EXPECT_EQ(w.mask(), BuildSkinRegion(w.KvSkinForm1->Glyph(), Qt::black));
    EXPECT_FALSE(w.mask().contains(QPoint(0, 0))) << "the black corner is cut away";
    EXPECT_EQ(w.KvSkinForm1->PopupMenu(), w.PopupMenu1);

    struct Row {
        TKvImgBtn* button;
        QRect bounds;
        const char* picture;
        const char* hint;
    };
    const Row rows[] = {
        { w.BtnDownload, QRect(12, 6, 16, 16), "download", "Capture Flash " },
        { w.BtnOpen, QRect(31, 6, 18, 16), "open", "Open Swf Files..." },
        { w.BtnShouchang, QRect(53, 6, 16, 16), "favorite", "Open Favorite Folder" },
        { w.BtnExit, QRect(72, 6, 16, 16), "exit", "Close" },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.picture);
        EXPECT_EQ(row.button->geometry(), row.bounds);
        EXPECT_EQ(row.button->toolTip(), QLatin1String(row.hint));
        EXPECT_EQ(row.button->PopupMenu(), w.PopupMenu1);
        const QString base = QStringLiteral(":/art/btn/%1-").arg(QLatin1String(row.picture));
        EXPECT_EQ(row.button->PicIdle().toImage(), QPixmap(base + "idle.png").toImage());
        EXPECT_EQ(row.button->PicUp().toImage(), QPixmap(base + "up.png").toImage());
        EXPECT_EQ(row.button->PicDown().toImage(), QPixmap(base + "down.png").toImage());
        EXPECT_FALSE(row.button->PicDown().isNull());
    }
    EXPECT_EQ(w.KvSkinForm1->toolTip(), "Drag and drop Flash files or folder hear. \nRight click to view menu.");
}

TEST_F(ToolbarTest, DefaultPlaceIsThirtyPixelsFromTopAndRight)
{
    EXPECT_EQ(DefaultToolbarPosition(QRect(0, 0, 1024, 768), 100), QPoint(894, 30));
    EXPECT_EQ(LoadPosition(QRect(0, 0, 1024, 768), 100), QPoint(894, 30)) << "nothing stored";
    EXPECT_EQ(LoadPosition(QRect(0, 0, 1920, 1080), 100), QPoint(1790, 30));

    qmtest::writeFile(configPath, "[App]\nLeft=12\nTop=-4\n");
    EXPECT_EQ(LoadPosition(QRect(0, 0, 1024, 768), 100), QPoint(12, -4));
    qmtest::writeFile(configPath, "[App]\nLeft=\nTop=500\n");
    EXPECT_EQ(LoadPosition(QRect(0, 0, 1024, 768), 100), QPoint(894, 30)) << "an empty Left is no place";
    qmtest::writeFile(configPath, "[App]\nLeft=abc\nTop=5\n");
    EXPECT_THROW(LoadPosition(QRect(0, 0, 1024, 768), 100), EConvertError);
}

TEST_F(ToolbarTest, EveryShowingGoesToTheStoredPlaceAndOnlyDestructionStoresIt)
{
    qmtest::writeFile(configPath, "[App]\nFlag=1\nLeft=40\nTop=50\n");
    {
        TFrmMain w(QStringList {});
        w.show();
        EXPECT_EQ(w.pos(), QPoint(40, 50));
        w.move(300, 200);
        w.hide();
        EXPECT_EQ(ReadConfig("App", "Left"), "40") << "nothing is written while the toolbar lives";
        w.show();
        EXPECT_EQ(w.pos(), QPoint(40, 50)) << "back to the stored place";
        w.move(310, 210);
        EXPECT_EQ(ReadConfig("App", "Left"), "40");
        EXPECT_EQ(ReadConfig("App", "Top"), "50");
    }
    EXPECT_EQ(ReadConfig("App", "Left"), "310");
    EXPECT_EQ(ReadConfig("App", "Top"), "210");
    EXPECT_EQ(FrmMain, nullptr);
}

TEST_F(ToolbarTest, StoredPlaceThatIsNoNumberIsReportedAndTheShowingStops)
{
    qmtest::writeFile(configPath, "[App]\nLeft=left\nTop=1\n");
    installPlayer();
    TFrmMain w(QStringList { dir.filePath("a.swf") });
    w.show();
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].icon, Prompts::Icon::Error);
    EXPECT_EQ(prompts.messages[0].caption, "Quillmoor");
    EXPECT_EQ(prompts.messages[0].text, "'left' is not a valid integer value");
    EXPECT_TRUE(w.FParamFile.isEmpty()) << "the command line waits for a showing that works";
    EXPECT_FALSE(w.TimerParam.isActive());
}

TEST_F(ToolbarTest, UnwritablePositionIsReportedWhenTheToolbarGoes)
{
    auto w = std::make_unique<TFrmMain>(QStringList {});
    QDir().mkdir(configPath); // the settings file cannot be written now
    w.reset();
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, "Unable to write to " + configPath);
}

TEST_F(ToolbarTest, RecentSaveFoldersAreBuiltOnceAtCreation)
{
    struct Row {
        const char* name;
        QByteArray settings;
        QStringList folders;
    };
    const Row rows[] = {
        { "no number", "[Finished]\nItem0=/a\n", {} },
        { "empty number", "[Finished]\nNumber=\nItem0=/a\n", {} },
        { "empty items skipped", "[Finished]\nNumber=3\nItem0=/a\nItem1=\nItem2=/c & d\nItem3=/d\n", { "/a", "/c & d" } },
        { "zero", "[Finished]\nNumber=0\nItem0=/a\n", {} },
        { "negative", "[Finished]\nNumber=-2\nItem0=/a\n", {} },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        qmtest::writeFile(configPath, row.settings);
        TFrmMain w(QStringList {});
        for (QMenu* menu : { w.Opendownloadfolder1, w.Opendownloadfolder2 }) {
            QStringList captions, hints;
            for (QAction* item : menu->actions()) {
                captions << item->text();
                hints << item->toolTip();
            }
            EXPECT_EQ(hints, row.folders);
            QStringList shown;
            for (QString c : captions)
                shown << c.replace("&&", "&");
            EXPECT_EQ(shown, row.folders) << "a folder's & is a character, not a shortcut mark";
        }
        // Folders saved later in the run appear at the next start only.
        UpdateRecentFolders(configPath, "/new");
        w.UpdateCommands();
        EXPECT_EQ(w.Opendownloadfolder1->actions().size(), row.folders.size());
    }
}

TEST_F(ToolbarTest, RecentFolderCountThatIsNoNumberFailsTheCreation)
{
    qmtest::writeFile(configPath, "[Finished]\nNumber=many\n");
    EXPECT_THROW(TFrmMain w(QStringList {}), EConvertError);
    EXPECT_EQ(FrmMain, nullptr);
}

TEST_F(ToolbarTest, HugeRecentFolderCountIsReadOnlyUpToTheLimit)
{
    qmtest::writeFile(configPath, "[Finished]\nNumber=2000000000\nItem0=/a\nItem99=/z\nItem100=/beyond\n");
    const QStringList folders = LoadDownloadFolders();
    EXPECT_EQ(folders, (QStringList { "/a", "/z" }));
}

TEST_F(ToolbarTest, RecentFolderEntryPlaysItsMovies)
{
    const QString folder = makeFolder("saved", { "one.swf", "notes.txt" });
    const QString empty = makeFolder("empty", { "notes.txt" });
    qmtest::writeFile(configPath, QStringLiteral("[Finished]\nNumber=3\nItem0=%1\nItem1=%2\nItem2=%3\n")
                                      .arg(folder, empty, dir.filePath("gone"))
                                      .toUtf8());
    installPlayer();
    TFrmMain w(QStringList {});
    w.UpdateCommands();
    ASSERT_EQ(w.Opendownloadfolder2->actions().size(), 3);
    for (QAction* item : w.Opendownloadfolder2->actions())
        EXPECT_TRUE(item->isEnabled());
    w.Opendownloadfolder2->actions()[2]->trigger(); // missing folder
    w.Opendownloadfolder2->actions()[1]->trigger(); // no movies
    EXPECT_TRUE(played.empty());
    w.Opendownloadfolder1->actions()[0]->trigger();
    ASSERT_EQ(played.size(), 1u);
    EXPECT_EQ(played[0], (QStringList { folder + "/one.swf" }));
}

TEST_F(ToolbarTest, FavoriteFolderIsPlayedChosenAndShownInTheCaptions)
{
    const QString favorite = makeFolder("fav", { "b.swf" });
    installPlayer();
    TFrmMain w(QStringList {});
    EXPECT_EQ(w.OpenFavoriteFolder1->text(), "Open Favorite Folder:");

    w.OpenFavoriteFolder2->trigger(); // none stored
    EXPECT_TRUE(played.empty());

    prompts.folderChoices.push_back(QString()); // cancelled
    w.SelectFavoriteFolder1->trigger();
    EXPECT_EQ(ReadConfig("Preview", "FavoriteDir"), "");

    prompts.folderChoices.push_back(favorite);
    w.SelectFavoriteFolder2->trigger();
    EXPECT_EQ(ReadConfig("Preview", "FavoriteDir"), favorite);
    EXPECT_EQ(w.OpenFavoriteFolder1->text(), "Open Favorite Folder:" + favorite);
    EXPECT_EQ(w.OpenFavoriteFolder2->text(), "Open Favorite Folder:" + favorite);

    w.OpenFavoriteFolder1->trigger();
    ASSERT_EQ(played.size(), 1u);
    EXPECT_EQ(played[0], QStringList { favorite + "/b.swf" });
    EXPECT_TRUE(toolbarHiddenWhilePlaying[0]);

    // Chosen elsewhere (the Options dialog): used at once, the captions stay.
    const QString other = makeFolder("other", { "c.SWF" });
    WriteConfig("Preview", "FavoriteDir", other);
    w.OpenFavoriteFolder2->trigger();
    ASSERT_EQ(played.size(), 2u);
    EXPECT_EQ(played[1], QStringList { other + "/c.SWF" });
    EXPECT_EQ(w.OpenFavoriteFolder2->text(), "Open Favorite Folder:" + favorite);
}

TEST_F(ToolbarTest, RefusedFavoriteWriteIsReported)
{
    TFrmMain w(QStringList {});
    QDir().mkdir(configPath);
    prompts.folderChoices.push_back(dir.path());
    w.SelectFavoriteFolder2->trigger();
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, "Unable to write to " + configPath);
    EXPECT_EQ(w.OpenFavoriteFolder2->text(), "Open Favorite Folder:");
    QDir().rmdir(configPath);
}

TEST_F(ToolbarTest, OpenDialogFilesArePlayedInTheDialogsOrder)
{
    installPlayer();
    TFrmMain w(QStringList {});
    w.show();
    const QStringList chosen { "/m/z.swf", "/m/a.swf", "/m/Q.swf" };
    prompts.fileChoices.push_back(chosen);
    w.OpenSwfFiles2->trigger();
    ASSERT_EQ(played.size(), 1u);
    EXPECT_EQ(played[0], chosen);
    EXPECT_TRUE(toolbarHiddenWhilePlaying[0]);
    EXPECT_TRUE(w.isVisible()) << "the toolbar is back when the player has closed";

    w.OpenSwffiles1->trigger(); // cancelled: nothing
    EXPECT_EQ(played.size(), 1u);
}

TEST_F(ToolbarTest, ToolbarComesBackEvenWhenThePlayerFails)
{
    FrmMainHooks().playFiles = [](const QStringList&) { throw EFOpenError("player failed"); };
    TFrmMain w(QStringList {});
    w.show();
    prompts.fileChoices.push_back({ "/m/a.swf" });
    w.OpenSwfFiles2->trigger();
    EXPECT_TRUE(w.isVisible());
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, "player failed");
}

TEST_F(ToolbarTest, WithoutThePlayerNothingIsPlayed)
{
    TFrmMain w(QStringList {});
    w.show();
    prompts.fileChoices.push_back({ "/m/a.swf" });
    w.OpenSwfFiles2Click();
    w.PlayFiles({ "/m/a.swf" });
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(prompts.fileChoices.size(), 1u) << "no dialog for a command that cannot play";
}

TEST_F(ToolbarTest, DroppedFilesAndFoldersArePlayedInDropOrder)
{
    const QString clips = makeFolder("clips", { "x.swf", "y.Swf", "z.SWF", "readme.txt" });
    const QString dotted = makeFolder("a.b", { "w.swf" });
    QStringList clipFiles;
    GetSwfFiles(clips, clipFiles);
    ASSERT_EQ(clipFiles.size(), 3);

    // A path far longer than the old 179-character cut arrives whole.
    QString longFolder = dir.path();
    while (longFolder.size() < 300)
        longFolder += "/a-rather-long-folder-name";
    const QString longFile = longFolder + "/Cartoon With Spaces.swf";

    struct Row {
        const char* name;
        QStringList dropped;
        QStringList expected;
    };
    const Row rows[] = {
        { "two files and a folder", { dir.filePath("one.swf"), clips, dir.filePath("TWO.SWF") },
          QStringList { dir.filePath("one.swf") } + clipFiles + QStringList { dir.filePath("TWO.SWF") } },
        { "folder with a dot", { dotted }, {} },
        { "other files", { dir.filePath("notes.txt"), dir.filePath("missing") }, {} },
        { "upper-case extension", { dir.filePath("MOVIE.SWF") }, { dir.filePath("MOVIE.SWF") } },
        { "long path", { longFile }, { longFile } },
    };
    installPlayer();
    TFrmMain w(QStringList {});
    w.show();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        played.clear();
        QMimeData data;
        QList<QUrl> urls;
        for (const QString& p : row.dropped)
            urls << QUrl::fromLocalFile(p);
        urls << QUrl("https://example.org/web.swf"); // not a file: ignored
        data.setUrls(urls);
        ASSERT_TRUE(data.hasFormat("text/uri-list"));

        QDragEnterEvent enter(QPoint(50, 35), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&w, &enter);
        EXPECT_TRUE(enter.isAccepted());
        QDropEvent drop(QPointF(50, 35), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&w, &drop);
        EXPECT_TRUE(played.empty()) << "the player opens after the drop has finished";
        if (row.expected.isEmpty()) {
            QCoreApplication::processEvents();
            EXPECT_TRUE(played.empty());
        } else {
            ASSERT_TRUE(waitUntil([&] { return !played.empty(); }));
            EXPECT_EQ(played[0], row.expected);
        }
    }
}

TEST_F(ToolbarTest, DropsAreRefusedWhileThereIsNoPlayer)
{
    TFrmMain w(QStringList {});
    QMimeData data;
    data.setUrls({ QUrl::fromLocalFile("/m/a.swf") });
    QDragEnterEvent enter(QPoint(50, 35), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    enter.setAccepted(false);
    QCoreApplication::sendEvent(&w, &enter);
    EXPECT_FALSE(enter.isAccepted());
}

TEST_F(ToolbarTest, CommandLineFileKeepsItsCaseAndPlaysOnce)
{
    installPlayer();
    const QString movie = dir.filePath("Movies/Cat.SWF"); // need not exist
    TFrmMain w(QStringList { movie, "/ignored/second.swf" });
    EXPECT_FALSE(w.TimerParam.isActive());
    w.show();
    EXPECT_EQ(w.FParamFile, movie);
    EXPECT_TRUE(w.TimerParam.isActive());
    EXPECT_EQ(w.TimerParam.interval(), 100);
    EXPECT_TRUE(played.empty()) << "the file is played from the timer, not from the showing";

    ASSERT_TRUE(waitUntil([&] { return !played.empty(); }));
    EXPECT_FALSE(w.TimerParam.isActive());
    ASSERT_EQ(played.size(), 1u);
    EXPECT_EQ(played[0], QStringList { movie });
    EXPECT_TRUE(w.isVisible());

    // Showings after the player closed do not open the parameter again.
    w.hide();
    w.show();
    EXPECT_FALSE(w.TimerParam.isActive());
    EXPECT_EQ(played.size(), 1u);
}

TEST_F(ToolbarTest, CommandLineFolderPlaysItsMovies)
{
    const QString folder = makeFolder("My Films", { "Intro.swf", "b.txt" });
    installPlayer();
    TFrmMain w(QStringList { folder });
    w.show();
    w.TimerParamTimer();
    ASSERT_EQ(played.size(), 1u);
    EXPECT_EQ(played[0], QStringList { folder + "/Intro.swf" });

    EXPECT_EQ(ParamFiles(dir.filePath("NoSuchFolder")), QStringList());
    EXPECT_EQ(ParamFiles(""), QStringList());
    EXPECT_EQ(ParamFiles("/x/Upper.Swf.Folder"), QStringList { "/x/Upper.Swf.Folder" })
        << "a name that holds .swf anywhere is taken as a file";
}

TEST_F(ToolbarTest, RelativeParameterIsTakenFromTheWorkingFolder)
{
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    const QStringList files = ParamFiles("Cat.swf");
    QDir::setCurrent(previous);
    EXPECT_EQ(files, QStringList { QFileInfo(dir.path() + "/Cat.swf").absoluteFilePath() });
}

TEST_F(ToolbarTest, HelpHomePageAndLibraryDialogs)
{
    TFrmMain w(QStringList {});
    w.Help1->trigger();
    w.HomePage1->trigger();
    ASSERT_EQ(shell.opened.size(), 2);
    EXPECT_EQ(shell.opened[0], QUrl::fromLocalFile(GetAppPath() + "help.html").toString());
    EXPECT_EQ(shell.opened[1], HomePageUrl());

    // No dialog library beside the tests: the commands do nothing, silently.
    w.Settingoptions1->trigger();
    w.About2->trigger();
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(ToolbarTest, OtherWindowsAreOpenedThroughTheirHooks)
{
    int webInputs = 0;
    std::vector<int> builderKinds;
    FrmMainHooks().webInput = [&] { ++webInputs; };
    FrmMainHooks().media = [&](int kind) { builderKinds.push_back(kind); };
    FrmMainHooks().tempInteger = [](QStringList& list) {
        EXPECT_TRUE(list.isEmpty()) << "the list is cleared before the finder opens";
        list << "/cache/a.swf" << "/cache/b.swf";
    };
    installPlayer();
    TFrmMain w(QStringList {});
    w.FFileList << "/stale.swf";
    w.UpdateCommands();

    w.About1->trigger();
    w.CaptureFlashfromWebpage1->trigger();
    EXPECT_EQ(webInputs, 2);

    w.MakeFlashhtml1->trigger();
    w.Create1->trigger();
    w.MakeFlash1->trigger();
    EXPECT_EQ(builderKinds, (std::vector<int> { 2, 0, 1 }));

    w.CaptureTemporaryInternetFlashFiles1->trigger();
    ASSERT_EQ(played.size(), 1u);
    EXPECT_EQ(played[0], (QStringList { "/cache/a.swf", "/cache/b.swf" }));

    FrmMainHooks().tempInteger = [](QStringList&) {}; // nothing chosen
    w.Openswffilesfrom1->trigger();
    EXPECT_EQ(played.size(), 1u);
}

TEST_F(ToolbarTest, MinimizedMinimizesTheToolbar)
{
    TFrmMain w(QStringList {});
    w.show();
    w.HideMe1->trigger();
    EXPECT_TRUE(w.isMinimized());
}

// ---- The toolbar as the program's main window ----

namespace {

int runProgram(const QString& lockPath)
{
    StartupOptions options;
    options.lockPath = lockPath;
    int argc = 1;
    char name[] = "quillmoor";
    char* argv[] = { name, nullptr };
    return RunProgram(argc, argv, options);
}

} // namespace

TEST_F(ToolbarTest, TheEntryShowsTheToolbarAndItsCloseEndsTheRun)
{
    qmtest::writeFile(configPath, "[App]\nFlag=1\n");
    bool shown = false;
    QPoint shownAt;
    QTimer::singleShot(0, [&] {
        ASSERT_NE(FrmMain, nullptr);
        shown = FrmMain->isVisible();
        shownAt = FrmMain->pos();
        FrmMain->move(123, 45);
        FrmMain->Close1->trigger();
    });
    EXPECT_EQ(runProgram(dir.filePath("instance.lock")), 0);
    EXPECT_TRUE(shown);
    EXPECT_EQ(shownAt, DefaultToolbarPosition(QGuiApplication::primaryScreen()->geometry(), 100));
    EXPECT_EQ(FrmMain, nullptr) << "the toolbar goes with the run";
    EXPECT_EQ(ReadConfig("App", "Left"), "123");
    EXPECT_EQ(ReadConfig("App", "Top"), "45");
    EXPECT_TRUE(prompts.messages.empty());
    QCoreApplication::removePostedEvents(qApp, QEvent::Quit);
}

TEST_F(ToolbarTest, ToolbarThatCannotBeMadeIsAFailedStart)
{
    qmtest::writeFile(configPath, "[App]\nFlag=1\n[Finished]\nNumber=five\n");
    EXPECT_EQ(runProgram(dir.filePath("instance.lock")), 1);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, FailedStartMessage());
    EXPECT_EQ(shell.opened, QStringList { PlayerHelpAddress() });
    EXPECT_EQ(ReadConfig("App", "Left"), "") << "a toolbar never made stores no place";
}
