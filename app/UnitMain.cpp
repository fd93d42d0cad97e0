#include "app/UnitMain.h"

#include "app/DllUnit.h"
#include "app/SwfFiles.h"
#include "control/ImgList.h"
#include "control/KvSkinForm.h"
#include "control/kvImgBtn.h"
#include "shared/Prompts.h"
#include "shared/Share.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QCursor>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>
#include <QMimeData>
#include <QScreen>
#include <QShowEvent>
#include <QUrl>

#include <algorithm>

TFrmMain* FrmMain = nullptr;

TFrmMainHooks& FrmMainHooks()
{
    static TFrmMainHooks hooks;
    return hooks;
}

// ---- Decisions without a window ----

QPoint DefaultToolbarPosition(const QRect& screen, int windowWidth)
{
    return QPoint(screen.x() + screen.width() - windowWidth - 30, screen.y() + 30);
}

QPoint LoadPosition(const QRect& screen, int windowWidth)
{
    const QString left = ReadConfig(QStringLiteral("App"), QStringLiteral("Left"));
    if (left.isEmpty())
        return DefaultToolbarPosition(screen, windowWidth);
    const int x = StrToInt(left);
    const int y = StrToInt(ReadConfig(QStringLiteral("App"), QStringLiteral("Top")));
    return QPoint(x, y);
}

QStringList LoadDownloadFolders()
{
    QStringList folders;
    const QString section = QStringLiteral("Finished");
    const QString number = ReadConfig(section, QStringLiteral("Number"));
    if (number.isEmpty())
        return folders;
    // A damaged count must not have the toolbar read the settings file for ever.
    const int count = std::min(StrToInt(number), TFrmMain::kMaxDownloadFolders);
    for (int i = 0; i < count; ++i) {
        const QString folder = ReadConfig(section, QStringLiteral("Item%1").arg(i));
        if (!folder.isEmpty())
            folders << folder;
    }
    return folders;
}

QStringList ParamFiles(const QString& param)
{
    if (param.isEmpty())
        return {};
    // Linux names are case-sensitive: only the test looks at lower case, the path keeps
    // its letters.
    const QString path = QFileInfo(param).absoluteFilePath();
    if (param.toLower().contains(QLatin1String(".swf")))
        return { path };
    QStringList files;
    GetSwfFiles(path, files);
    return files;
}

namespace {

// Menu captions show '&' as a shortcut mark; a folder's own '&' must stay a character.
QString MenuText(const QString& text)
{
    QString escaped = text;
    escaped.replace(QLatin1Char('&'), QLatin1String("&&"));
    return escaped;
}

QString FavoriteDir()
{
    return ReadConfig(QStringLiteral("Preview"), QStringLiteral("FavoriteDir"));
}

const QString kFavoriteCaption = QStringLiteral("Open Favorite Folder:");

} // namespace

// ---- The window ----

QStringList TFrmMain::DefaultCommandLine()
{
    return QCoreApplication::arguments().mid(1);
}

TFrmMain::TFrmMain(const QStringList& commandLine)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
    , FCommandLine(commandLine)
{
    setObjectName(QStringLiteral("FrmMain"));
    setWindowTitle(AppTitle());

    KvSkinForm1 = new TKvSkinForm(this);
    KvSkinForm1->setObjectName(QStringLiteral("KvSkinForm1"));
    KvSkinForm1->SetTransparentColor(Qt::black);
    KvSkinForm1->SetGlyph(QImage(QStringLiteral(":/art/toolbar.png")));
    KvSkinForm1->setGeometry(0, 0, 100, 70);
    setFixedSize(100, 70);

    LstImgMenu = new TImageList(16, 16, this);
    LstImgMenu->AddNumbered(QStringLiteral(":/art/menu/"));

    const auto makeButton = [this](const char* name, const char* picture, const QRect& bounds) {
        auto* button = new TKvImgBtn(this);
        button->setObjectName(QLatin1String(name));
        const QString base = QStringLiteral(":/art/btn/%1-").arg(QLatin1String(picture));
        button->SetPicIdle(QPixmap(base + QStringLiteral("idle.png")));
        button->SetPicDown(QPixmap(base + QStringLiteral("down.png")));
        button->SetPicUp(QPixmap(base + QStringLiteral("up.png")));
        button->setGeometry(bounds);
        return button;
    };
    BtnDownload = makeButton("BtnDownload", "download", QRect(12, 6, 16, 16));
    BtnOpen = makeButton("BtnOpen", "open", QRect(31, 6, 18, 16));
    BtnShouchang = makeButton("BtnShouchang", "favorite", QRect(53, 6, 16, 16));
    BtnExit = makeButton("BtnExit", "exit", QRect(72, 6, 16, 16));

    CreateMenus();
    KvSkinForm1->SetPopupMenu(PopupMenu1);
    for (TKvImgBtn* button : { BtnDownload, BtnOpen, BtnShouchang, BtnExit })
        button->SetPopupMenu(PopupMenu1);
    connect(BtnDownload, &TKvImgBtn::OnClick, this, &TFrmMain::BtnDownloadClick);
    connect(BtnOpen, &TKvImgBtn::OnClick, this, &TFrmMain::BtnOpenClick);
    connect(BtnShouchang, &TKvImgBtn::OnClick, this, &TFrmMain::BtnShouchangClick);
    connect(BtnExit, &TKvImgBtn::OnClick, this, &TFrmMain::BtnExitClick);

    TimerParam.setInterval(100);
    TimerParam.setSingleShot(false);
    connect(&TimerParam, &QTimer::timeout, this, &TFrmMain::TimerParamTimer);

    // FormCreate
    InitHints();
    setAcceptDrops(true);
    LoadDownloadFolders();
    UpdateCommands();
    FrmMain = this;
}

TFrmMain::~TFrmMain()
{
    if (FrmMain == this)
        FrmMain = nullptr;
    TimerParam.stop();
    setAcceptDrops(false);
    // The position is stored only here, at the end of the run: every showing in between
    // goes back to the place stored by the previous run.
    try {
        WriteConfig(QStringLiteral("App"), QStringLiteral("Left"), QString::number(pos().x()));
        WriteConfig(QStringLiteral("App"), QStringLiteral("Top"), QString::number(pos().y()));
    } catch (const std::exception& e) {
        prompts().message(nullptr, Prompts::Icon::Error, AppTitle(), QString::fromUtf8(e.what()));
    }
}

QAction* TFrmMain::AddItem(QMenu* menu, const char* name, const QString& caption, int imageIndex)
{
    QAction* item = menu->addAction(caption);
    item->setObjectName(QLatin1String(name));
    if (imageIndex >= 0) {
        item->setIcon(QIcon(LstImgMenu->Pixmap(imageIndex)));
        item->setProperty("ImageIndex", imageIndex);
    }
    return item;
}

QAction* TFrmMain::AddSeparator(QMenu* menu, const char* name)
{
    QAction* item = menu->addSeparator();
    item->setObjectName(QLatin1String(name));
    return item;
}

void TFrmMain::CreateMenus()
{
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    About1 = AddItem(PopupMenu1, "About1", QStringLiteral("Capture Flash from Web page"), 9);
    Openswffilesfrom1 = AddItem(PopupMenu1, "Openswffilesfrom1", QStringLiteral("Capture Temporary Internet Flash Files"), 5);
    OpenSwffiles1 = AddItem(PopupMenu1, "OpenSwffiles1", QStringLiteral("Open Flash Files from folder"), 4);
    Opendownloadfolder1 = PopupMenu1->addMenu(QStringLiteral("Open download folder"));
    Opendownloadfolder1->setObjectName(QStringLiteral("Opendownloadfolder1"));
    Opendownloadfolder1->menuAction()->setObjectName(QStringLiteral("Opendownloadfolder1"));
    MenuFavorite = PopupMenu1->addMenu(QIcon(LstImgMenu->Pixmap(15)), QStringLiteral("Favorite"));
    MenuFavorite->setObjectName(QStringLiteral("MenuFavorite"));
    MenuFavorite->menuAction()->setObjectName(QStringLiteral("MenuFavorite"));
    MenuFavorite->menuAction()->setProperty("ImageIndex", 15);
    OpenFavoriteFolder1 = AddItem(MenuFavorite, "OpenFavoriteFolder1", QStringLiteral("Open Favorite Folder"), 23);
    SelectFavoriteFolder1 = AddItem(MenuFavorite, "SelectFavoriteFolder1", QStringLiteral("Select Favorite Folder"));
    AddSeparator(PopupMenu1, "Open1");
    Create1 = AddItem(PopupMenu1, "Create1", QStringLiteral("Make Flash Screensaver(.scr)"), 12);
    MakeFlash1 = AddItem(PopupMenu1, "MakeFlash1", QStringLiteral("Aggregate Flash Files(.exe)"), 11);
    MakeFlashhtml1 = AddItem(PopupMenu1, "MakeFlashhtml1", QStringLiteral("Make Flash Webpage(.htm)"), 13);
    Create1->setProperty("Tag", 0);
    MakeFlash1->setProperty("Tag", 1);
    MakeFlashhtml1->setProperty("Tag", 2);
    AddSeparator(PopupMenu1, "N1");
    HideMe1 = AddItem(PopupMenu1, "HideMe1", QStringLiteral("Minimized"));
    AddSeparator(PopupMenu1, "N2");
    Settingoptions1 = AddItem(PopupMenu1, "Settingoptions1", QStringLiteral("Setting options"), 17);
    AddSeparator(PopupMenu1, "N3");
    Help1 = AddItem(PopupMenu1, "Help1", QStringLiteral("Help"));
    HomePage1 = AddItem(PopupMenu1, "HomePage1", QStringLiteral("Home Page"), 7);
    AddSeparator(PopupMenu1, "N4");
    About2 = AddItem(PopupMenu1, "About2", QStringLiteral("About"));
    Close1 = AddItem(PopupMenu1, "Close1", QStringLiteral("Close"), 16);

    PopupMenuCapture = new QMenu(this);
    PopupMenuCapture->setObjectName(QStringLiteral("PopupMenuCapture"));
    CaptureFlashfromWebpage1 = AddItem(PopupMenuCapture, "CaptureFlashfromWebpage1", QStringLiteral("Capture Flash from Web page"), 9);
    CaptureTemporaryInternetFlashFiles1 = AddItem(PopupMenuCapture, "CaptureTemporaryInternetFlashFiles1",
                                                  QStringLiteral("Capture Temporary Internet Flash Files"), 5);

    PopupMenuOpen = new QMenu(this);
    PopupMenuOpen->setObjectName(QStringLiteral("PopupMenuOpen"));
    OpenSwfFiles2 = AddItem(PopupMenuOpen, "OpenSwfFiles2", QStringLiteral("Open Flash Files from folder"), 4);
    Opendownloadfolder2 = PopupMenuOpen->addMenu(QStringLiteral("Open download  folder"));
    Opendownloadfolder2->setObjectName(QStringLiteral("Opendownloadfolder2"));
    Opendownloadfolder2->menuAction()->setObjectName(QStringLiteral("Opendownloadfolder2"));

    PopupMenuFavorite = new QMenu(this);
    PopupMenuFavorite->setObjectName(QStringLiteral("PopupMenuFavorite"));
    OpenFavoriteFolder2 = AddItem(PopupMenuFavorite, "OpenFavoriteFolder2", QStringLiteral("Open Favorite Folder"), 23);
    SelectFavoriteFolder2 = AddItem(PopupMenuFavorite, "SelectFavoriteFolder2", QStringLiteral("Select Favorite Folder"));

    const auto on = [this](QAction* item, void (TFrmMain::*handler)()) {
        connect(item, &QAction::triggered, this, [this, handler] { Guarded([this, handler] { (this->*handler)(); }); });
    };
    on(About1, &TFrmMain::CaptureFlashfromWebpage1Click);
    on(CaptureFlashfromWebpage1, &TFrmMain::CaptureFlashfromWebpage1Click);
    on(Openswffilesfrom1, &TFrmMain::Openswffilesfrom1Click);
    on(CaptureTemporaryInternetFlashFiles1, &TFrmMain::Openswffilesfrom1Click);
    on(OpenSwffiles1, &TFrmMain::OpenSwfFiles2Click);
    on(OpenSwfFiles2, &TFrmMain::OpenSwfFiles2Click);
    on(OpenFavoriteFolder1, &TFrmMain::OpenFavoriteFolder2Click);
    on(OpenFavoriteFolder2, &TFrmMain::OpenFavoriteFolder2Click);
    on(SelectFavoriteFolder1, &TFrmMain::SelectFavoriteFolder2Click);
    on(SelectFavoriteFolder2, &TFrmMain::SelectFavoriteFolder2Click);
    on(HideMe1, &TFrmMain::HideMe1Click);
    on(Settingoptions1, &TFrmMain::Settingoptions1Click);
    on(Help1, &TFrmMain::Help1Click);
    on(HomePage1, &TFrmMain::HomePage1Click);
    on(About2, &TFrmMain::About2Click);
    on(Close1, &TFrmMain::BtnExitClick);
    for (QAction* item : { Create1, MakeFlash1, MakeFlashhtml1 }) {
        connect(item, &QAction::triggered, this, [this, item] {
            Guarded([this, item] { Create1Click(item->property("Tag").toInt()); });
        });
    }
    // A hook set after the toolbar was made counts from the next opening of a menu.
    for (QMenu* menu : { PopupMenu1, PopupMenuCapture, PopupMenuOpen, PopupMenuFavorite })
        connect(menu, &QMenu::aboutToShow, this, &TFrmMain::UpdateCommands);
}

void TFrmMain::InitHints()
{
    BtnDownload->setToolTip(QStringLiteral("Capture Flash "));
    BtnOpen->setToolTip(QStringLiteral("Open Swf Files..."));
    BtnShouchang->setToolTip(QStringLiteral("Open Favorite Folder"));
    BtnExit->setToolTip(QStringLiteral("Close"));
    KvSkinForm1->setToolTip(QStringLiteral("Drag and drop Flash files or folder hear. \nRight click to view menu."));
    SetFavoriteCaptions(FavoriteDir());
}

void TFrmMain::SetFavoriteCaptions(const QString& folder)
{
    const QString caption = MenuText(kFavoriteCaption + folder);
    OpenFavoriteFolder1->setText(caption);
    OpenFavoriteFolder2->setText(caption);
}

void TFrmMain::LoadDownloadFolders()
{
    for (const QString& folder : ::LoadDownloadFolders()) {
        for (QMenu* menu : { Opendownloadfolder1, Opendownloadfolder2 }) {
            QAction* item = menu->addAction(MenuText(folder));
            item->setToolTip(folder);
            item->setStatusTip(folder);
            connect(item, &QAction::triggered, this, [this, item] { Guarded([this, item] { DownloadFolderClick(item); }); });
            FDownloadFolderItems << item;
        }
    }
    Opendownloadfolder1->setToolTipsVisible(true);
    Opendownloadfolder2->setToolTipsVisible(true);
}

void TFrmMain::UpdateCommands()
{
    const TFrmMainHooks& hooks = FrmMainHooks();
    const bool canPlay = bool(hooks.playFiles);
    for (QAction* item : { OpenSwffiles1, OpenSwfFiles2, OpenFavoriteFolder1, OpenFavoriteFolder2 })
        item->setEnabled(canPlay);
    for (QAction* item : FDownloadFolderItems)
        item->setEnabled(canPlay);
    About1->setEnabled(bool(hooks.webInput));
    CaptureFlashfromWebpage1->setEnabled(bool(hooks.webInput));
    // The finder's files are played, so it needs the player too.
    const bool canFind = bool(hooks.tempInteger) && canPlay;
    Openswffilesfrom1->setEnabled(canFind);
    CaptureTemporaryInternetFlashFiles1->setEnabled(canFind);
    for (QAction* item : { Create1, MakeFlash1, MakeFlashhtml1 })
        item->setEnabled(bool(hooks.media));
}

void TFrmMain::Guarded(const std::function<void()>& handler)
{
    try {
        handler();
    } catch (const std::exception& e) {
        prompts().message(this, Prompts::Icon::Error, AppTitle(), QString::fromUtf8(e.what()));
    }
}

// ---- Showing ----

void TFrmMain::showEvent(QShowEvent* event)
{
    // A window restored from the task bar is not shown anew.
    if (!event->spontaneous())
        FormShow();
    QWidget::showEvent(event);
}

void TFrmMain::FormShow()
{
    QScreen* screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->geometry() : QRect(0, 0, 1024, 768);
    try {
        move(::LoadPosition(area, width()));
    } catch (const std::exception& e) {
        // A stored place that is not a number: said, and the rest of this showing skipped.
        prompts().message(this, Prompts::Icon::Error, AppTitle(), QString::fromUtf8(e.what()));
        return;
    }
    if (!FParamFile.isEmpty())
        return;
    if (!FCommandLine.isEmpty() && !FCommandLine.first().isEmpty()) {
        FParamFile = FCommandLine.first();
        TimerParam.start();
    }
}

void TFrmMain::TimerParamTimer()
{
    TimerParam.stop();
    const QStringList files = ParamFiles(FParamFile);
    if (!files.isEmpty())
        PlayFiles(files);
}

void TFrmMain::closeEvent(QCloseEvent* event)
{
    // Closing the toolbar by the window manager ends the run, as its Close command does.
    event->accept();
    BtnExitClick();
}

// ---- Playing ----

void TFrmMain::PlayFiles(const QStringList& paths)
{
    if (!FrmMainHooks().playFiles)
        return;
    raise();
    activateWindow();
    ShowPlayer(paths);
}

void TFrmMain::ShowPlayer(const QStringList& paths)
{
    const auto player = FrmMainHooks().playFiles;
    if (!player || paths.isEmpty())
        return;
    hide();
    // Whatever the player does, the toolbar comes back: it is the only way to the program.
    struct ShowAgain {
        TFrmMain* toolbar;
        ~ShowAgain()
        {
            if (!toolbar->isVisible())
                toolbar->show();
        }
    } showAgain { this };
    player(paths);
}

void TFrmMain::PlayFolder(const QString& folder)
{
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        return;
    QStringList files;
    GetSwfFiles(folder, files);
    if (!files.isEmpty())
        PlayFiles(files);
}

// ---- Drops ----

void TFrmMain::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls() && FrmMainHooks().playFiles)
        event->acceptProposedAction();
}

void TFrmMain::dragMoveEvent(QDragMoveEvent* event)
{
    if (event->mimeData()->hasUrls() && FrmMainHooks().playFiles)
        event->acceptProposedAction();
}

void TFrmMain::dropEvent(QDropEvent* event)
{
    QStringList dropped;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile())
            dropped << url.toLocalFile(); // whole, however long
    }
    event->acceptProposedAction();
    const QStringList files = CollectDroppedSwfFiles(dropped);
    if (files.isEmpty())
        return;
    // The file manager waits for the drop to finish; the player is modal, so it opens
    // once the drop is over.
    QTimer::singleShot(0, this, [this, files] { Guarded([this, files] { PlayFiles(files); }); });
}

// ---- Commands ----

void TFrmMain::BtnDownloadClick()
{
    UpdateCommands();
    PopupMenuCapture->popup(QCursor::pos());
}

void TFrmMain::BtnOpenClick()
{
    UpdateCommands();
    PopupMenuOpen->popup(QCursor::pos());
}

void TFrmMain::BtnShouchangClick()
{
    UpdateCommands();
    PopupMenuFavorite->popup(QCursor::pos());
}

void TFrmMain::BtnExitClick()
{
    QCoreApplication::exit(0);
}

void TFrmMain::CaptureFlashfromWebpage1Click()
{
    if (FrmMainHooks().webInput)
        FrmMainHooks().webInput();
}

void TFrmMain::Openswffilesfrom1Click()
{
    const auto finder = FrmMainHooks().tempInteger;
    if (!finder || !FrmMainHooks().playFiles)
        return;
    FFileList.clear();
    finder(FFileList);
    if (!FFileList.isEmpty())
        ShowPlayer(FFileList);
}

void TFrmMain::OpenSwfFiles2Click()
{
    if (!FrmMainHooks().playFiles)
        return;
    const QStringList files = prompts().openFiles(this, QStringLiteral("Open"), QString(),
                                                  QStringLiteral("Swf Flash (*.swf)"), true);
    if (!files.isEmpty())
        ShowPlayer(files);
}

void TFrmMain::Create1Click(int tag)
{
    if (FrmMainHooks().media)
        FrmMainHooks().media(tag);
}

void TFrmMain::HideMe1Click()
{
    showMinimized();
}

void TFrmMain::Settingoptions1Click()
{
    ShowDllForm(QStringLiteral("ShowFrmOption"));
}

void TFrmMain::About2Click()
{
    ShowDllForm(QStringLiteral("ShowFrmAbout"));
}

void TFrmMain::Help1Click()
{
    ShellOpen(this, GetAppPath() + QStringLiteral("help.html"));
}

void TFrmMain::HomePage1Click()
{
    ShellOpen(this, HomePageUrl());
}

void TFrmMain::OpenFavoriteFolder2Click()
{
    PlayFolder(FavoriteDir());
}

void TFrmMain::SelectFavoriteFolder2Click()
{
    const QString current = FavoriteDir();
    const QString start = !current.isEmpty() && QFileInfo(current).isDir() ? current : QString();
    const QString chosen = prompts().chooseFolder(this, QStringLiteral("Select Folder"), start);
    if (chosen.isEmpty())
        return;
    WriteConfig(QStringLiteral("Preview"), QStringLiteral("FavoriteDir"), chosen);
    SetFavoriteCaptions(chosen);
}

void TFrmMain::DownloadFolderClick(QAction* item)
{
    if (item)
        PlayFolder(item->toolTip());
}
