#pragma once
// The player window: the movie, the playlist beside it and the playback controls. The
// toolbar creates it, fills its playlist, shows it modally and frees it.
#include "app/PlaybackSession.h"
#include "app/Playlist.h"

#include <QDialog>
#include <QPointer>
#include <QRect>
#include <QTimer>
#include <functional>
#include <memory>

class QAction;
class QComboBox;
class QLabel;
class QMenu;
class QSlider;
class QSplitter;
class QToolButton;
class TImageList;
class TKvFullPicture;
class TKvImgBtn;
class TkvListBox;
class TMyFlash;

// The movie area: the Flash control (a child of PnlFlash, owned by the window; its mouse
// table is the player's) and the operations playback uses on it.
struct PlayerMovie {
    TMyFlash* widget = nullptr;
    MovieControl* control = nullptr;
    // Sets the stage background (BGR, blue in bits 16–23); may be empty.
    std::function<void(quint32)> setBackgroundColor;
};
using PlayerMovieFactory = std::function<PlayerMovie(QWidget* parent)>;

// The player's movie area on the engine: a TMyFlash with the control's operations.
PlayerMovie CreateFlashMovie(QWidget* parent);

// Opens the player on `paths` (the toolbar's PlayFiles): fills it, shows it modally and
// frees it; `toolbar` is shown again as the player goes.
void ShowPlayer(const QStringList& paths, QWidget* toolbar);

class TFrmPreviewFlash : public QDialog {
    Q_OBJECT
public:
    // The colour box's "none": the background is left as the movie has it.
    static constexpr quint32 kColorNone = 0x1FFFFFFF;
    static constexpr int kDesignWidth = 610;
    static constexpr int kDesignHeight = 480;

    TFrmPreviewFlash(const PlayerMovieFactory& createMovie, QWidget* toolbar = nullptr);
    ~TFrmPreviewFlash() override;

    Playlist& playlist() { return m_playlist; }
    PlaybackSession& playback() { return *m_playback; }

    // ---- Commands (menus, buttons, timers) ----
    void SetFullScreen(bool on);
    bool FullScreen() const { return FFullScreen; }
    void BlkColorChange(quint32 color);
    // The play-order menu item with this Tag was chosen, or the box changed to this index.
    void PlayorderisSequential1Click(int tag);
    void ComBoxOrderChange(int index);
    // The stored order shown in the box and the menu (part of LoadSettings).
    void ShowStoredOrder();
    void UpdateFileCount();
    void TimerPnlTimer();
    // In full screen the bottom and right panels show while the cursor is near those edges.
    void ShowPanelsForCursor(const QPoint& cursor, const QSize& screen);

    // ---- Components (named as in the window's design) ----
    TKvFullPicture* PnlTop = nullptr;
    QLabel* Lbltitle = nullptr;
    QToolButton* BtnOption = nullptr;
    QWidget* PnlFlash = nullptr;
    QWidget* PnlRight = nullptr;
    QLabel* LblProperties = nullptr;
    TkvListBox* kvListBox1 = nullptr;
    QWidget* PnlBottom = nullptr;
    QLabel* LblFileName = nullptr;
    QLabel* PnlPostion = nullptr;
    QSlider* RzTrackBarSwf = nullptr;
    TKvImgBtn* BtnPause = nullptr;
    TKvImgBtn* Btnplay = nullptr;
    TKvImgBtn* BtnStop = nullptr;
    TKvImgBtn* BtnTop = nullptr;
    TKvImgBtn* BtnLast = nullptr;
    TKvImgBtn* BtnPre = nullptr;
    TKvImgBtn* BtnNext = nullptr;
    TKvImgBtn* BtnSoundOpen = nullptr;
    TKvImgBtn* BtnSoundClose = nullptr;
    QSlider* RzTrackBarSound = nullptr;
    QComboBox* BlkColor = nullptr;
    QComboBox* ComBoxOrder = nullptr;
    QMenu* PopupMenuFlash = nullptr;
    QMenu* PopupMenuList = nullptr;
    QMenu* PopupMenuOption = nullptr;
    QAction* FullInScreen1 = nullptr;
    QAction* MenuExitFull = nullptr;
    QAction* PlayorderisSequential1 = nullptr;
    QAction* PlayorderisRandom1 = nullptr;
    QAction* PlayLoop1 = nullptr;
    QTimer TimerControl;
    QTimer TimerPnl;

    TMyFlash* FFlash = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormShow();
    void LoadSettings();
    void BuildTop();
    void BuildMiddle();
    void BuildBottom();
    void BuildMenus();
    void SetButtonHints();
    void SyncListBox();
    void ApplyOrderChecks(int order);
    TKvImgBtn* MakeButton(QWidget* parent, const QString& art, int x, int y);
    void PnlFlashResize();
    void RunGuarded(const std::function<void()>& step);
    void EscapePressed();

    Playlist m_playlist;
    PlayerMovie m_movie;
    std::unique_ptr<PlaybackSession> m_playback;
    QPointer<QWidget> m_toolbar;
    TImageList* ImageList1 = nullptr;
    bool FModeSwitched = false;
    bool FFullScreen = false;
    bool m_switching = false;
    bool m_shownOnce = false;
    QRect m_savedBounds;
};
