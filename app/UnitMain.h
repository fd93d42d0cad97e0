#pragma once
// The toolbar: the program's main window, a small picture-shaped window that stays on top,
// with four image buttons and the menus from which everything else is opened.
#include <QPoint>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <functional>

class QAction;
class QMenu;
class TImageList;
class TKvImgBtn;
class TKvSkinForm;

// The windows the toolbar opens that live in other units. Each one left empty keeps its
// commands visible but disabled.
struct TFrmMainHooks {
    // Fills the player with `paths`, shows it modally and returns when it has closed.
    std::function<void(const QStringList& paths)> playFiles;
    // The web page capture window, modal.
    std::function<void()> webInput;
    // The browser-cache finder, modal; it puts the paths the user chose into `fileList`.
    std::function<void(QStringList& fileList)> tempInteger;
    // The builder window, modal, with its output kind (0 screensaver, 1 program, 2 web page).
    std::function<void(int kind)> media;
};
TFrmMainHooks& FrmMainHooks();

// ---- What the toolbar decides without a window ----

// 30 pixels from the top and from the right edge of `screen`.
QPoint DefaultToolbarPosition(const QRect& screen, int windowWidth);
// The stored place ("App"/"Left", "App"/"Top"), else the default one. Throws EConvertError
// when a stored value is not a number.
QPoint LoadPosition(const QRect& screen, int windowWidth);
// The recent save folders ("Finished"/"Number", "Item0"…), empty values skipped. Throws
// EConvertError when the number is not a number.
QStringList LoadDownloadFolders();
// The files to play for the command-line parameter: the parameter itself when it names a
// .swf file (in any letter case), else the .swf files of that folder. The path keeps its
// letters; relative paths are taken from the working folder.
QStringList ParamFiles(const QString& param);

class TFrmMain : public QWidget {
    Q_OBJECT
public:
    static constexpr int kMaxDownloadFolders = 100;

    // `commandLine`: the program's parameters (without the program itself).
    explicit TFrmMain(const QStringList& commandLine = DefaultCommandLine());
    ~TFrmMain() override;

    static QStringList DefaultCommandLine();

    // Opens the player with the paths and returns when it has closed.
    void PlayFiles(const QStringList& paths);

    // Paths the finder hands back.
    QStringList FFileList;
    // The first command-line parameter, once the window has been shown with one.
    QString FParamFile;

    // ---- Components ----
    TKvSkinForm* KvSkinForm1 = nullptr;
    TKvImgBtn* BtnDownload = nullptr;
    TKvImgBtn* BtnOpen = nullptr;
    TKvImgBtn* BtnShouchang = nullptr;
    TKvImgBtn* BtnExit = nullptr;
    TImageList* LstImgMenu = nullptr;
    QTimer TimerParam;

    QMenu* PopupMenu1 = nullptr;
    QAction* About1 = nullptr;
    QAction* Openswffilesfrom1 = nullptr;
    QAction* OpenSwffiles1 = nullptr;
    QMenu* Opendownloadfolder1 = nullptr;
    QMenu* MenuFavorite = nullptr;
    QAction* OpenFavoriteFolder1 = nullptr;
    QAction* SelectFavoriteFolder1 = nullptr;
    QAction* Create1 = nullptr;
    QAction* MakeFlash1 = nullptr;
    QAction* MakeFlashhtml1 = nullptr;
    QAction* HideMe1 = nullptr;
    QAction* Settingoptions1 = nullptr;
    QAction* Help1 = nullptr;
    QAction* HomePage1 = nullptr;
    QAction* About2 = nullptr;
    QAction* Close1 = nullptr;

    QMenu* PopupMenuCapture = nullptr;
    QAction* CaptureFlashfromWebpage1 = nullptr;
    QAction* CaptureTemporaryInternetFlashFiles1 = nullptr;
    QMenu* PopupMenuOpen = nullptr;
    QAction* OpenSwfFiles2 = nullptr;
    QMenu* Opendownloadfolder2 = nullptr;
    QMenu* PopupMenuFavorite = nullptr;
    QAction* OpenFavoriteFolder2 = nullptr;
    QAction* SelectFavoriteFolder2 = nullptr;

    // ---- Handlers ----
    void BtnDownloadClick();
    void BtnOpenClick();
    void BtnShouchangClick();
    void BtnExitClick();
    void CaptureFlashfromWebpage1Click();
    void Openswffilesfrom1Click();
    void OpenSwfFiles2Click();
    void Create1Click(int tag);
    void HideMe1Click();
    void Settingoptions1Click();
    void About2Click();
    void Help1Click();
    void HomePage1Click();
    void OpenFavoriteFolder2Click();
    void SelectFavoriteFolder2Click();
    void DownloadFolderClick(QAction* item);
    void TimerParamTimer();

    // Enables the commands whose windows exist (the hooks that are set).
    void UpdateCommands();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void FormShow();
    void InitHints();
    void CreateMenus();
    void LoadDownloadFolders();
    QAction* AddItem(QMenu* menu, const char* name, const QString& caption, int imageIndex = -1);
    QAction* AddSeparator(QMenu* menu, const char* name);
    // Steps 2–6 of PlayFiles: hide, the player, shown again.
    void ShowPlayer(const QStringList& paths);
    void PlayFolder(const QString& folder);
    void SetFavoriteCaptions(const QString& folder);
    // Runs a handler; an error it raises is shown in the application's error box.
    void Guarded(const std::function<void()>& handler);

    QStringList FCommandLine;
    QList<QAction*> FDownloadFolderItems;
};

// The one toolbar of the run (null when none exists).
extern TFrmMain* FrmMain;
