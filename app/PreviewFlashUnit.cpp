#include "app/PreviewFlashUnit.h"

#include "control/ImgList.h"
#include "control/MyFlash.h"
#include "control/KvFullPicture.h"
#include "control/cmpGFXListBox.h"
#include "control/kvImgBtn.h"
#include "shared/Share.h"

#include <QAction>
#include <QApplication>
#include <QBoxLayout>
#include <QColorDialog>
#include <QComboBox>
#include <QCursor>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>
#include <QShortcut>
#include <QSlider>
#include <QSplitter>
#include <QToolButton>
#include <exception>

namespace {

const QColor kPanelGrey(232, 232, 232);
const QColor kListBlue(37, 100, 139);

QPixmap art(const QString& name)
{
    return QPixmap(QStringLiteral(":/art/") + name);
}

QIcon menuIcon(int index)
{
    return QIcon(QStringLiteral(":/art/menu/%1.png").arg(index, 2, 10, QLatin1Char('0')));
}

// A disabled menu item for a command that a later version of the player brings.
QAction* laterItem(QMenu* menu, const QString& caption, int icon = -1)
{
    QAction* a = menu->addAction(caption);
    if (icon >= 0)
        a->setIcon(menuIcon(icon));
    a->setEnabled(false);
    return a;
}

// The colours offered for the stage background, as BGR values; "none" leaves the movie's own.
struct NamedColor {
    const char* name;
    quint32 bgr;
};
const NamedColor kColors[] = {
    { "none", TFrmPreviewFlash::kColorNone }, { "Black", 0x000000 }, { "White", 0xFFFFFF },
    { "Gray", 0x808080 }, { "Silver", 0xC0C0C0 }, { "Navy", 0x800000 }, { "Blue", 0xFF0000 },
    { "Teal", 0x808000 }, { "Green", 0x008000 }, { "Olive", 0x008080 }, { "Maroon", 0x000080 },
    { "Red", 0x0000FF }, { "Purple", 0x800080 }, { "Yellow", 0x00FFFF },
};

QColor fromBgr(quint32 bgr)
{
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

quint32 toBgr(const QColor& c)
{
    return quint32(c.red()) | quint32(c.green()) << 8 | quint32(c.blue()) << 16;
}

// The Flash control's operations as playback uses them.
class FlashMovieControl : public QObject, public MovieControl {
public:
    explicit FlashMovieControl(TShockwaveFlash* flash)
        : QObject(flash)
        , m_flash(flash)
    {
    }
    void setMovie(const QString& path) override { m_flash->SetMovie(path); }
    void play() override { m_flash->Play(); }
    void stop() override { m_flash->Stop(); }
    void zoom(int factor) override { m_flash->Zoom(factor); }
    void gotoFrame(int frame) override { m_flash->GotoFrame(frame); }
    int currentFrame() override { return m_flash->CurrentFrame(); }
    int totalFrames() override { return m_flash->TotalFrames(); }

private:
    TShockwaveFlash* m_flash;
};

} // namespace

PlayerMovie CreateFlashMovie(QWidget* parent)
{
    auto* flash = new TMyFlash(TMyFlashHost::PreviewFlash, parent);
    flash->SetQuality(1);
    PlayerMovie movie;
    movie.widget = flash;
    movie.control = new FlashMovieControl(flash);
    movie.setBackgroundColor = [flash](quint32 bgr) { flash->SetBackgroundColor(int(bgr)); };
    return movie;
}

void ShowPlayer(const QStringList& paths, QWidget* toolbar)
{
    TFrmPreviewFlash form(CreateFlashMovie, toolbar);
    form.playlist().Fill(paths);
    form.exec();
}

TFrmPreviewFlash::TFrmPreviewFlash(const PlayerMovieFactory& createMovie, QWidget* toolbar)
    : QDialog(nullptr, Qt::Window)
    , m_toolbar(toolbar)
{
    setObjectName(QStringLiteral("FrmPreviewFlash"));
    setWindowTitle(QStringLiteral("Preview Flash"));
    setMinimumSize(kDesignWidth, kDesignHeight);
    resize(kDesignWidth, kDesignHeight);
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    setSizeGripEnabled(true);

    ImageList1 = new TImageList(16, 16, this);
    ImageList1->AddNumbered(QStringLiteral(":/art/playlist/"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    BuildTop();
    BuildMiddle();
    BuildBottom();
    layout->addWidget(PnlTop);
    layout->addWidget(PnlFlash->parentWidget(), 1);
    layout->addWidget(PnlBottom);
    BuildMenus();
    SetButtonHints();

    // Esc leaves full screen while this window has the focus; no key is taken from others.
    auto* esc = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    esc->setContext(Qt::WindowShortcut);
    connect(esc, &QShortcut::activated, this, &TFrmPreviewFlash::EscapePressed);

    TimerControl.setSingleShot(true);
    TimerControl.setInterval(10);
    connect(&TimerControl, &QTimer::timeout, this, [this] {
        TimerControl.stop();
        RunGuarded([this] { SetFullScreen(FFullScreen); });
    });
    TimerPnl.setSingleShot(true);
    TimerPnl.setInterval(100);
    connect(&TimerPnl, &QTimer::timeout, this, &TFrmPreviewFlash::TimerPnlTimer);

    m_movie = createMovie(PnlFlash);
    FFlash = m_movie.widget;
    FFlash->setParent(PnlFlash);
    FFlash->SetPopupMenu(PopupMenuFlash);
    connect(FFlash, &TMyFlash::OnFullScreenRequest, this, [this] {
        if (!FFullScreen)
            SetFullScreen(true);
    });
    PnlFlash->installEventFilter(this);
    kvListBox1->SetCheckWidth(13);
    m_playback = std::make_unique<PlaybackSession>(m_playlist, *m_movie.control, this);

    connect(m_playback.get(), &PlaybackSession::playButtonVisibleChanged, Btnplay, &QWidget::setVisible);
    connect(m_playback.get(), &PlaybackSession::seekBarChanged, this, [this](int maximum, int position) {
        if (RzTrackBarSwf->isSliderDown())
            return;
        const QSignalBlocker block(RzTrackBarSwf);
        RzTrackBarSwf->setMaximum(qMax(0, maximum));
        RzTrackBarSwf->setValue(position);
    });
    connect(m_playback.get(), &PlaybackSession::timeCaptionChanged, PnlPostion, &QLabel::setText);
    connect(m_playback.get(), &PlaybackSession::fileCaptionChanged, LblFileName, &QLabel::setText);
    // Every entry played goes through the playlist; the list box follows its marks.
    m_playlist.setPlayCallback([this](const QString& path) {
        m_playback->PlayFile(path);
        SyncListBox();
    });
    LblFileName->setText(QString(9, QLatin1Char(' ')));
}

TFrmPreviewFlash::~TFrmPreviewFlash()
{
    if (m_toolbar)
        m_toolbar->show();
    m_playback->Shutdown();
    TimerControl.stop();
    TimerPnl.stop();
    if (FFlash) {
        delete FFlash;
        FFlash = nullptr;
    }
    QFile::remove(GetTempDir() + QStringLiteral("temp.bmp"));
}

// ---- Layout ----

TKvImgBtn* TFrmPreviewFlash::MakeButton(QWidget* parent, const QString& name, int x, int y)
{
    auto* b = new TKvImgBtn(parent);
    b->SetPicIdle(art(QStringLiteral("btn/%1-idle.png").arg(name)));
    b->SetPicUp(art(QStringLiteral("btn/%1-up.png").arg(name)));
    b->SetPicDown(art(QStringLiteral("btn/%1-down.png").arg(name)));
    b->SetAutoSize(true);
    b->move(x, y);
    return b;
}

void TFrmPreviewFlash::BuildTop()
{
    PnlTop = new TKvFullPicture(this);
    PnlTop->SetColor(kPanelGrey);
    PnlTop->setFixedHeight(40);
    auto* image2 = new QLabel(PnlTop);
    image2->setPixmap(art(QStringLiteral("product-32.png")));
    image2->setGeometry(15, 2, 32, 32);
    Lbltitle = new QLabel(PnlTop);
    QFont title(QStringLiteral("Arial"));
    title.setPixelSize(19);
    title.setBold(true);
    Lbltitle->setFont(title);
    Lbltitle->setStyleSheet(QStringLiteral("color: navy;"));
    Lbltitle->move(54, 9);
    auto* right = new TKvFullPicture(PnlTop);
    right->SetColor(kPanelGrey);
    right->setFixedWidth(136);
    BtnOption = new QToolButton(right);
    BtnOption->setText(QStringLiteral("&Open Menu"));
    BtnOption->setGeometry(10, 6, 118, 26);
    BtnOption->setPopupMode(QToolButton::InstantPopup);
    BtnOption->setAutoRaise(true);
    auto* topLayout = new QHBoxLayout(PnlTop);
    topLayout->setContentsMargins(0, 0, 0, 1);
    topLayout->addStretch(1);
    topLayout->addWidget(right);
}

void TFrmPreviewFlash::BuildMiddle()
{
    auto* panel3 = new QSplitter(Qt::Horizontal, this);
    panel3->setObjectName(QStringLiteral("Panel3"));
    panel3->setHandleWidth(7);
    panel3->setStyleSheet(QStringLiteral("QSplitter::handle { background: #173f5a; }"));
    panel3->setChildrenCollapsible(false);
    PnlFlash = new QWidget(panel3);
    PnlFlash->setObjectName(QStringLiteral("PnlFlash"));
    PnlFlash->setAutoFillBackground(true);
    QPalette black = PnlFlash->palette();
    black.setColor(QPalette::Window, Qt::black);
    PnlFlash->setPalette(black);

    PnlRight = new QWidget(panel3);
    PnlRight->setObjectName(QStringLiteral("PnlRight"));
    PnlRight->setAutoFillBackground(true);
    PnlRight->setPalette(black);
    auto* rightLayout = new QVBoxLayout(PnlRight);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    rightLayout->setSpacing(0);
    auto* panel6 = new TKvFullPicture(PnlRight);
    panel6->SetKvLoadPicture(art(QStringLiteral("panel/title-mid.png")));
    panel6->setFixedHeight(19);
    LblProperties = new QLabel(panel6);
    LblProperties->move(12, 2);
    LblProperties->setStyleSheet(QStringLiteral("color: white; background: transparent;"));
    kvListBox1 = new TkvListBox(PnlRight);
    kvListBox1->setObjectName(QStringLiteral("kvListBox1"));
    kvListBox1->SetImageList(ImageList1);
    kvListBox1->SetItemHeight(20);
    QPalette listPalette = kvListBox1->palette();
    listPalette.setColor(QPalette::Base, kListBlue);
    listPalette.setColor(QPalette::Text, Qt::white);
    kvListBox1->setPalette(listPalette);
    rightLayout->addWidget(panel6);
    rightLayout->addWidget(kvListBox1, 1);
    panel3->addWidget(PnlFlash);
    panel3->addWidget(PnlRight);
    panel3->setStretchFactor(0, 1);
    panel3->setSizes({ kDesignWidth - 185, 185 });

    connect(kvListBox1, &QListWidget::currentRowChanged, this, [this](int row) { m_playlist.setHighlighted(row); });
    connect(kvListBox1, &QListWidget::itemDoubleClicked, this, [this] {
        RunGuarded([this] { m_playlist.PlayHighlighted(); });
    });
    connect(kvListBox1, &TkvListBox::OnStateChange, this, [this](int index, bool&) {
        // The box has not stored the new state yet: the model follows once it has.
        QTimer::singleShot(0, this, [this, index] {
            m_playlist.setCheck(index, static_cast<Playlist::CheckState>(kvListBox1->State(index)));
        });
    });
}

void TFrmPreviewFlash::BuildBottom()
{
    PnlBottom = new QWidget(this);
    PnlBottom->setFixedHeight(105);
    auto* bottomLayout = new QVBoxLayout(PnlBottom);
    bottomLayout->setContentsMargins(0, 0, 0, 0);
    bottomLayout->setSpacing(0);

    auto* picture1 = new TKvFullPicture(PnlBottom);
    picture1->SetKvLoadPicture(art(QStringLiteral("panel/strip19.png")));
    picture1->setFixedHeight(19);
    auto* fileRow = new QHBoxLayout(picture1);
    fileRow->setContentsMargins(0, 0, 0, 0);
    LblFileName = new QLabel(picture1);
    LblFileName->setStyleSheet(QStringLiteral("color: yellow; background: transparent;"));
    auto* image1 = new QLabel(LblFileName);
    image1->setPixmap(art(QStringLiteral("product-16.png")));
    image1->move(3, 1);
    PnlPostion = new QLabel(picture1);
    PnlPostion->setFixedWidth(88);
    PnlPostion->setAlignment(Qt::AlignCenter);
    PnlPostion->setFrameShape(QFrame::StyledPanel);
    PnlPostion->setStyleSheet(QStringLiteral("color: black; background: transparent;"));
    fileRow->addWidget(LblFileName, 1);
    fileRow->addWidget(PnlPostion);

    auto* pnlBtm = new TKvFullPicture(PnlBottom);
    pnlBtm->SetKvLoadPicture(art(QStringLiteral("panel/bottom.png")));
    RzTrackBarSwf = new QSlider(Qt::Horizontal, pnlBtm);
    RzTrackBarSwf->setObjectName(QStringLiteral("RzTrackBarSwf"));
    RzTrackBarSwf->setMaximum(0);
    RzTrackBarSwf->setTracking(false);
    auto* btmLayout = new QVBoxLayout(pnlBtm);
    btmLayout->setContentsMargins(8, 0, 8, 0);
    btmLayout->addWidget(RzTrackBarSwf);
    btmLayout->addStretch(1);
    RzTrackBarSwf->setFixedHeight(32);

    BtnPause = MakeButton(pnlBtm, QStringLiteral("pause"), 9, 35);
    Btnplay = MakeButton(pnlBtm, QStringLiteral("play"), 9, 35);
    BtnStop = MakeButton(pnlBtm, QStringLiteral("stop"), 67, 43);
    BtnTop = MakeButton(pnlBtm, QStringLiteral("first"), 101, 43);
    BtnLast = MakeButton(pnlBtm, QStringLiteral("last"), 121, 43);
    BtnPre = MakeButton(pnlBtm, QStringLiteral("prev"), 149, 43);
    BtnNext = MakeButton(pnlBtm, QStringLiteral("next"), 169, 43);
    BtnSoundOpen = MakeButton(pnlBtm, QStringLiteral("sound"), 199, 42);
    BtnSoundClose = MakeButton(pnlBtm, QStringLiteral("mute"), 199, 42);
    BtnSoundClose->hide();
    RzTrackBarSound = new QSlider(Qt::Horizontal, pnlBtm);
    RzTrackBarSound->setGeometry(223, 36, 98, 29);
    RzTrackBarSound->setMaximum(255);
    // Sound comes with the engine's audio output; until then the volume controls rest.
    BtnSoundOpen->setEnabled(false);
    RzTrackBarSound->setEnabled(false);

    BlkColor = new QComboBox(pnlBtm);
    BlkColor->setGeometry(324, 42, 112, 22);
    for (const NamedColor& c : kColors) {
        QPixmap swatch(12, 12);
        swatch.fill(c.bgr == kColorNone ? QColor(Qt::transparent) : fromBgr(c.bgr));
        BlkColor->addItem(QIcon(swatch), QString::fromLatin1(c.name), c.bgr);
    }
    BlkColor->addItem(QStringLiteral("Custom..."), kColorNone);
    ComBoxOrder = new QComboBox(pnlBtm);
    ComBoxOrder->setGeometry(449, 42, 144, 22);
    ComBoxOrder->addItems({ QStringLiteral("Play order Sequential"), QStringLiteral("Play order random"),
                            QStringLiteral("Loop play a flash file") });
    ComBoxOrder->setCurrentIndex(-1);

    auto* picture3 = new TKvFullPicture(PnlBottom);
    picture3->SetKvLoadPicture(art(QStringLiteral("panel/strip10.png")));
    picture3->setFixedHeight(10);
    bottomLayout->addWidget(picture1);
    bottomLayout->addWidget(pnlBtm, 1);
    bottomLayout->addWidget(picture3);

    connect(Btnplay, &TKvImgBtn::OnClick, this, [this] { RunGuarded([this] { m_playback->BtnplayClick(); }); });
    connect(BtnPause, &TKvImgBtn::OnClick, this, [this] { RunGuarded([this] { m_playback->BtnPauseClick(); }); });
    connect(BtnStop, &TKvImgBtn::OnClick, this, [this] { RunGuarded([this] { m_playback->BtnStopClick(); }); });
    connect(BtnTop, &TKvImgBtn::OnClick, this, [this] { RunGuarded([this] { m_playlist.First(); }); });
    connect(BtnLast, &TKvImgBtn::OnClick, this, [this] { RunGuarded([this] { m_playlist.Last(); }); });
    connect(BtnPre, &TKvImgBtn::OnClick, this, [this] { RunGuarded([this] { m_playlist.Previous(); }); });
    connect(BtnNext, &TKvImgBtn::OnClick, this, [this] { RunGuarded([this] { m_playlist.Next(); }); });
    connect(RzTrackBarSwf, &QSlider::sliderPressed, this, [this] { m_playback->SeekPressed(); });
    connect(RzTrackBarSwf, &QSlider::sliderReleased, this, [this] {
        RunGuarded([this] { m_playback->SeekReleased(RzTrackBarSwf->sliderPosition()); });
    });
    connect(BlkColor, &QComboBox::activated, this, [this](int index) {
        quint32 bgr = BlkColor->itemData(index).toUInt();
        if (index == BlkColor->count() - 1) {
            const QColor chosen = QColorDialog::getColor(Qt::white, this, QStringLiteral("Flash background Color"));
            if (!chosen.isValid())
                return;
            bgr = toBgr(chosen);
        }
        BlkColorChange(bgr);
    });
    connect(ComBoxOrder, &QComboBox::activated, this, [this](int index) { RunGuarded([=, this] { ComBoxOrderChange(index); }); });
}

void TFrmPreviewFlash::BuildMenus()
{
    PopupMenuFlash = new QMenu(this);
    FullInScreen1 = PopupMenuFlash->addAction(menuIcon(24), QStringLiteral("Full in Screen"));
    connect(FullInScreen1, &QAction::triggered, this, [this] { SetFullScreen(true); });
    PopupMenuFlash->addSeparator();
    connect(PopupMenuFlash->addAction(QStringLiteral("Play Next...")), &QAction::triggered, this,
            [this] { RunGuarded([this] { m_playlist.Next(); }); });
    connect(PopupMenuFlash->addAction(QStringLiteral("Play Previous...")), &QAction::triggered, this,
            [this] { RunGuarded([this] { m_playlist.Previous(); }); });
    connect(PopupMenuFlash->addAction(QStringLiteral("Play Top")), &QAction::triggered, this,
            [this] { RunGuarded([this] { m_playlist.First(); }); });
    connect(PopupMenuFlash->addAction(QStringLiteral("Play Last")), &QAction::triggered, this,
            [this] { RunGuarded([this] { m_playlist.Last(); }); });
    PopupMenuFlash->addSeparator();
    laterItem(PopupMenuFlash, QStringLiteral("Capture Screen to Image"), 25);
    QMenu* wallpaper = PopupMenuFlash->addMenu(QStringLiteral("Capture Screen To Wallpaper"));
    for (const char* caption : { "Center", "Tile", "Stretch" })
        laterItem(wallpaper, QString::fromLatin1(caption));
    wallpaper->addSeparator();
    laterItem(wallpaper, QStringLiteral("Clear"));
    wallpaper->setEnabled(false);
    PopupMenuFlash->addSeparator();
    MenuExitFull = PopupMenuFlash->addAction(QStringLiteral("Exit the Full Screen"));
    MenuExitFull->setEnabled(false);
    connect(MenuExitFull, &QAction::triggered, this, [this] { SetFullScreen(false); });
    connect(PopupMenuFlash->addAction(menuIcon(16), QStringLiteral("Close")), &QAction::triggered, this,
            &QDialog::close);

    PopupMenuList = new QMenu(this);
    connect(PopupMenuList->addAction(menuIcon(0), QStringLiteral("Play the select file")), &QAction::triggered,
            this, [this] { RunGuarded([this] { m_playlist.PlayHighlighted(); }); });
    QMenu* edit = PopupMenuList->addMenu(QStringLiteral("Edit"));
    laterItem(edit, QStringLiteral("Delete"), 14);
    laterItem(edit, QStringLiteral("Rename"), 19);
    laterItem(edit, QStringLiteral("Copy to..."), 20);
    PopupMenuList->addSeparator();
    connect(PopupMenuList->addAction(QStringLiteral("Remove the select file")), &QAction::triggered, this, [this] {
        if (m_playlist.count() == 0)
            return;
        m_playlist.RemoveChecked();
        SyncListBox();
        UpdateFileCount();
    });
    connect(PopupMenuList->addAction(QStringLiteral("Remove All Files")), &QAction::triggered, this, [this] {
        m_playlist.RemoveAll();
        SyncListBox();
        UpdateFileCount();
    });
    PopupMenuList->addSeparator();
    laterItem(PopupMenuList, QStringLiteral("Add any swf files"), 10);
    laterItem(PopupMenuList, QStringLiteral("Load the swf files from Folder"), 22);
    PopupMenuList->addSeparator();
    PlayorderisSequential1 = PopupMenuList->addAction(QStringLiteral("Play order Sequential..."));
    PlayorderisRandom1 = PopupMenuList->addAction(QStringLiteral("Play order Random..."));
    PlayLoop1 = PopupMenuList->addAction(QStringLiteral("Loop Play a flash file"));
    int tag = 0;
    for (QAction* a : { PlayorderisSequential1, PlayorderisRandom1, PlayLoop1 }) {
        a->setCheckable(true);
        a->setData(tag++);
        connect(a, &QAction::triggered, this, [this, a] {
            RunGuarded([this, a] { PlayorderisSequential1Click(a->data().toInt()); });
        });
    }
    PlayorderisSequential1->setChecked(true);
    PopupMenuList->addSeparator();
    laterItem(PopupMenuList, QStringLiteral("Properties"), 21);
    kvListBox1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(kvListBox1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { PopupMenuList->popup(kvListBox1->viewport()->mapToGlobal(at)); });

    // The other windows of the program open from here as they are built.
    PopupMenuOption = new QMenu(this);
    laterItem(PopupMenuOption, QStringLiteral("Capture Flash from Web page"), 9);
    laterItem(PopupMenuOption, QStringLiteral("Capture Temporary Internet Flash Files"), 5);
    PopupMenuOption->addSeparator();
    laterItem(PopupMenuOption, QStringLiteral("Setting options"), 17);
    PopupMenuOption->addSeparator();
    laterItem(PopupMenuOption, QStringLiteral("Make Flash Screensaver(.scr)"), 12);
    laterItem(PopupMenuOption, QStringLiteral("Aggregate Flash Files(.exe)"), 11);
    laterItem(PopupMenuOption, QStringLiteral("Make Flash Webpage(.htm)"), 13);
    PopupMenuOption->addSeparator();
    laterItem(PopupMenuOption, QStringLiteral("Help"), 8);
    laterItem(PopupMenuOption, QStringLiteral("Home page"), 7);
    laterItem(PopupMenuOption, QStringLiteral("About"), 18);
    PopupMenuOption->addSeparator();
    connect(PopupMenuOption->addAction(menuIcon(16), QStringLiteral("Exit")), &QAction::triggered, this,
            &QDialog::close);
    BtnOption->setMenu(PopupMenuOption);
}

void TFrmPreviewFlash::SetButtonHints()
{
    BlkColor->setToolTip(QStringLiteral("Flash background Color"));
    BtnLast->setToolTip(QStringLiteral("Play Last"));
    BtnNext->setToolTip(QStringLiteral("Play Next"));
    BtnPause->setToolTip(QStringLiteral("Pause"));
    Btnplay->setToolTip(QStringLiteral("Play"));
    BtnPre->setToolTip(QStringLiteral("Play Previous"));
    BtnSoundClose->setToolTip(QStringLiteral("Sound Mute"));
    BtnSoundOpen->setToolTip(QStringLiteral("Sound Open"));
    BtnStop->setToolTip(QStringLiteral("Stop"));
    BtnTop->setToolTip(QStringLiteral("Play Top"));
    RzTrackBarSound->setToolTip(QStringLiteral("Volume Control"));
}

// ---- Showing ----

void TFrmPreviewFlash::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!m_shownOnce) {
        m_shownOnce = true;
        FormShow();
    }
    QTimer::singleShot(0, this, [this] { PnlFlashResize(); });
}

void TFrmPreviewFlash::RunGuarded(const std::function<void()>& step)
{
    try {
        step();
    } catch (const std::exception& e) {
        // As every handler: the error box, and only this handler ends.
        ShowMsg(1, QString::fromUtf8(e.what()));
    }
}

void TFrmPreviewFlash::FormShow()
{
    SyncListBox();
    // A failing step ends the first showing there; the window stays.
    RunGuarded([this] {
        m_playback->PlayFirst();
        SyncListBox();
        LoadSettings();
        if (m_playlist.count() > 0)
            m_playback->StartPoll();
        UpdateFileCount();
    });
}

void TFrmPreviewFlash::LoadSettings()
{
    Lbltitle->setText(AppTitle());
    Lbltitle->adjustSize();
    FFullScreen = ReadConfig(QStringLiteral("Preview"), QStringLiteral("IsMax")) == QLatin1String("1");
    if (FFullScreen)
        TimerControl.start();
    ShowStoredOrder();
}

void TFrmPreviewFlash::UpdateFileCount()
{
    LblProperties->setText(m_playlist.countCaption());
    LblProperties->adjustSize();
}

void TFrmPreviewFlash::SyncListBox()
{
    const QSignalBlocker block(kvListBox1);
    if (kvListBox1->count() != m_playlist.count()) {
        kvListBox1->clear();
        for (const Playlist::Entry& e : m_playlist.entries())
            kvListBox1->addItem(e.name);
    }
    for (int i = 0; i < m_playlist.count(); ++i) {
        const Playlist::Entry& e = m_playlist.entry(i);
        kvListBox1->item(i)->setText(e.name);
        kvListBox1->SetImageIndex(i, e.picture);
        if (kvListBox1->State(i) != e.check)
            kvListBox1->SetState(i, e.check);
    }
    const int highlighted = m_playlist.highlighted();
    kvListBox1->setCurrentRow(highlighted >= 0 && highlighted < kvListBox1->count() ? highlighted : -1);
}

// ---- Play order ----

void TFrmPreviewFlash::ApplyOrderChecks(int order)
{
    PlayorderisSequential1->setChecked(order == Playlist::Sequential);
    PlayorderisRandom1->setChecked(order == Playlist::Random);
    PlayLoop1->setChecked(order == Playlist::LoopOne);
}

void TFrmPreviewFlash::PlayorderisSequential1Click(int tag)
{
    ApplyOrderChecks(-1);
    ComBoxOrder->setCurrentIndex(tag >= 0 && tag < ComBoxOrder->count() ? tag : -1);
    if (Playlist::StoreOrder(tag))
        ApplyOrderChecks(tag);
}

void TFrmPreviewFlash::ComBoxOrderChange(int index)
{
    ApplyOrderChecks(-1);
    if (Playlist::StoreOrder(index))
        ApplyOrderChecks(index);
}

void TFrmPreviewFlash::ShowStoredOrder()
{
    ApplyOrderChecks(-1);
    const int order = Playlist::StoredOrder();
    ComBoxOrder->setCurrentIndex(order >= 0 && order < ComBoxOrder->count() ? order : -1);
    ApplyOrderChecks(order);
}

// ---- Background ----

void TFrmPreviewFlash::BlkColorChange(quint32 color)
{
    if (color == kColorNone)
        return;
    if (m_movie.setBackgroundColor)
        m_movie.setBackgroundColor(color);
}

// ---- Full screen ----

void TFrmPreviewFlash::SetFullScreen(bool on)
{
    FModeSwitched = true;
    FFullScreen = on;
    m_switching = true;
    if (on) {
        if (!isFullScreen())
            m_savedBounds = geometry();
        showFullScreen();
    } else if (isFullScreen() || isMaximized()) {
        showNormal();
        if (m_savedBounds.isValid())
            setGeometry(m_savedBounds);
    }
    m_switching = false;
    PnlBottom->setVisible(!on);
    PnlTop->setVisible(!on);
    PnlRight->setVisible(!on);
    FullInScreen1->setEnabled(!on);
    MenuExitFull->setEnabled(on);
    if (on)
        TimerPnl.start();
    else
        TimerPnl.stop();
}

void TFrmPreviewFlash::TimerPnlTimer()
{
    TimerPnl.stop();
    const QScreen* screen = this->screen();
    ShowPanelsForCursor(QCursor::pos(), screen ? screen->geometry().size() : QSize());
    if (FFullScreen)
        TimerPnl.start();
}

void TFrmPreviewFlash::ShowPanelsForCursor(const QPoint& cursor, const QSize& screen)
{
    PnlBottom->setVisible(cursor.y() > screen.height() - 110);
    PnlRight->setVisible(cursor.x() > screen.width() - 185);
}

void TFrmPreviewFlash::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    // The maximize button enters full screen instead.
    if (event->type() == QEvent::WindowStateChange && !m_switching && (windowState() & Qt::WindowMaximized)
        && !FFullScreen) {
        QTimer::singleShot(0, this, [this] { SetFullScreen(true); });
    }
}

void TFrmPreviewFlash::EscapePressed()
{
    FFullScreen = false;
    TimerControl.start();
}

void TFrmPreviewFlash::keyPressEvent(QKeyEvent* event)
{
    // Esc leaves full screen; it never closes the player as it would close a dialog.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        EscapePressed();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TFrmPreviewFlash::PnlFlashResize()
{
    if (!FFlash)
        return;
    FFlash->setGeometry(PnlFlash->rect());
    m_movie.control->zoom(100);
    FFlash->update();
}

bool TFrmPreviewFlash::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == PnlFlash && event->type() == QEvent::Resize)
        PnlFlashResize();
    return QDialog::eventFilter(watched, event);
}
