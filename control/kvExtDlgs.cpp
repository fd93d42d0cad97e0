#include "control/kvExtDlgs.h"

#include "control/MyFlash.h"

#include <QAudioOutput>
#include <QFileInfo>
#include <QGridLayout>
#include <QImageReader>
#include <QLabel>
#include <QMediaPlayer>
#include <QPainter>
#include <QShowEvent>
#include <QToolButton>
#include <QToolTip>
#include <QVBoxLayout>
#include <QVideoWidget>

#include <stdexcept>

// ---- Kinds of files ----

const std::vector<TMediaKindRow>& MediaKindTable()
{
    static const std::vector<TMediaKindRow> table = {
        { ".gif", "Image" }, { ".jpg", "Image" }, { ".jpeg", "Image" }, { ".bmp", "Image" },
        { ".swf", "Flash" },
        { ".avi", "Movie" }, { ".asf", "Movie" }, { ".mpg", "Movie" }, { ".mpeg", "Movie" },
        { ".wm", "Movie" }, { ".wmv", "Movie" },
    };
    return table;
}

QString FFileKind(const QString& fileName)
{
    // The extension is what follows the last dot of the name, not of a folder on the way.
    const QString name = QFileInfo(fileName).fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        return QString();
    const QString ext = name.mid(dot).toLower();
    for (const TMediaKindRow& row : MediaKindTable()) {
        if (ext == QLatin1String(row.extension))
            return QLatin1String(row.kind);
    }
    return QString();
}

// ---- TMediaPreview ----

TMediaPreview::TMediaPreview(TMediaPreviewView& view)
    : FView(view)
{
}

void TMediaPreview::Reset()
{
    FView.ClearPicture();
    FLastFile.clear();
    FLastKind.clear();
    FView.SetPanelCaption(NoneCaption());
}

void TMediaPreview::SelectionChanged(const QString& fileName)
{
    if (fileName == FLastFile)
        return; // the preview on show keeps running
    const QString kind = FFileKind(fileName);
    FView.StopPreviews();
    FLastFile = fileName;
    FLastKind.clear();
    if (fileName.isEmpty() || !QFileInfo::exists(fileName))
        return;

    FView.SetPictureLabel(fileName);
    FView.SetPanelCaption(QString());
    FLastKind = kind;
    bool shown = true;
    if (kind == QLatin1String("Image"))
        shown = FView.ShowImage(fileName);
    else if (kind == QLatin1String("Flash"))
        shown = FView.ShowFlash(fileName);
    else if (kind == QLatin1String("Movie"))
        shown = FView.ShowMovie(fileName);
    if (!shown)
        ShowNone();
}

void TMediaPreview::PreviewFailed()
{
    if (FLastKind.isEmpty())
        return;
    FView.StopPreviews();
    ShowNone();
}

void TMediaPreview::PaintFailed()
{
    FView.ClearPicture();
    FView.SetPanelCaption(InvalidImageCaption());
}

void TMediaPreview::Close()
{
    FView.StopPreviews();
    FLastKind.clear();
}

void TMediaPreview::ShowNone()
{
    FLastKind.clear();
    FView.SetPictureLabel(QString());
    FView.SetPreviewButtonEnabled(false);
    FView.ClearPicture();
    FView.SetPanelCaption(NoneCaption());
}

// ---- TSilentPaintPanel ----

TSilentPaintPanel::TSilentPaintPanel(QWidget* parent)
    : QFrame(parent)
{
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(2);
}

void TSilentPaintPanel::SetCaption(const QString& caption)
{
    FCaption = caption;
    update();
}

void TSilentPaintPanel::SetPicture(const QImage& picture)
{
    FPicture = picture;
    update();
}

void TSilentPaintPanel::SetPictureShown(bool shown)
{
    FPictureShown = shown;
    if (!shown)
        FPicture = QImage();
    update();
}

void TSilentPaintPanel::paintEvent(QPaintEvent* event)
{
    QFrame::paintEvent(event);
    bool failed = false;
    try {
        QPainter painter(this);
        PaintContent(painter);
    } catch (...) {
        failed = true;
    }
    if (!failed)
        return;
    FPictureShown = false;
    FPicture = QImage();
    FCaption = TMediaPreview::InvalidImageCaption();
    QPainter painter(this);
    painter.drawText(contentsRect(), Qt::AlignCenter | Qt::TextWordWrap, FCaption);
    if (OnPaintFailed)
        OnPaintFailed();
}

void TSilentPaintPanel::PaintContent(QPainter& painter)
{
    const QRect area = contentsRect();
    if (FPictureShown && !FPicture.isNull()) {
        // Proportional and stretched: as large as fits, small pictures grow too; centred.
        const QSize fitted = FPicture.size().scaled(area.size(), Qt::KeepAspectRatio);
        if (fitted.isEmpty())
            throw std::runtime_error("picture does not fit");
        const QImage scaled = FPicture.scaled(fitted, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        if (scaled.isNull())
            throw std::runtime_error("picture cannot be drawn");
        QRect place(QPoint(0, 0), fitted);
        place.moveCenter(area.center());
        painter.drawImage(place, scaled);
        return;
    }
    if (!FCaption.isEmpty())
        painter.drawText(area, Qt::AlignCenter | Qt::TextWordWrap, FCaption);
}

// ---- TOpenMediaDialog ----

TOpenMediaDialog::TOpenMediaDialog(QWidget* parent)
    : QFileDialog(parent)
    , FPreview(*this)
{
    setOption(QFileDialog::DontUseNativeDialog, true);
    setFileMode(QFileDialog::ExistingFile);
    setNameFilter(AllPicturesFilter());

    FPicturePanel = new QFrame(this);
    FPicturePanel->setObjectName(QStringLiteral("PicturePanel"));
    FPicturePanel->setFixedWidth(181);
    auto* panelLayout = new QVBoxLayout(FPicturePanel);
    panelLayout->setContentsMargins(6, 6, 6, 6);
    panelLayout->setSpacing(4);

    FPreviewButton = new QToolButton(FPicturePanel);
    FPreviewButton->setObjectName(QStringLiteral("PreviewButton"));
    FPreviewButton->setToolTip(QStringLiteral("Preview"));
    FPreviewButton->setEnabled(false);
    FPreviewButton->hide();
    connect(FPreviewButton, &QToolButton::clicked, this, [this] { PreviewDblClick(); });

    FPaintPanel = new TSilentPaintPanel(FPicturePanel);
    FPaintPanel->setObjectName(QStringLiteral("PaintPanel"));
    FPaintPanel->setMinimumSize(157, 157);
    FPaintPanel->OnPaintFailed = [this] { FPreview.PaintFailed(); };
    auto* paintLayout = new QVBoxLayout(FPaintPanel);
    paintLayout->setContentsMargins(2, 2, 2, 2);

    FFlash = new TMyFlash(TMyFlashHost::ExtDlgs, FPaintPanel);
    FFlash->setObjectName(QStringLiteral("FFlash"));
    FFlash->SetQuality(1);
    FFlash->hide();
    paintLayout->addWidget(FFlash);
    panelLayout->addWidget(FPaintPanel, 1);

    FPictureLabel = new QLabel(FPicturePanel);
    FPictureLabel->setObjectName(QStringLiteral("PictureLabel"));
    FPictureLabel->setWordWrap(true);
    FPictureLabel->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    FPictureLabel->setFixedHeight(100);
    panelLayout->addWidget(FPictureLabel);

    // The standard controls keep the left; the preview area takes a column of its own.
    if (auto* grid = qobject_cast<QGridLayout*>(layout()))
        grid->addWidget(FPicturePanel, 0, grid->columnCount(), grid->rowCount(), 1);
    else if (layout())
        layout()->addWidget(FPicturePanel);

    connect(this, &QFileDialog::currentChanged, this, &TOpenMediaDialog::DoSelectionChange);
}

TOpenMediaDialog::~TOpenMediaDialog()
{
    if (FMediaPlayer)
        FMediaPlayer->stop();
}

QString TOpenMediaDialog::AllPicturesFilter()
{
    QStringList patterns;
    QStringList entries;
    for (const QByteArray& format : QImageReader::supportedImageFormats()) {
        const QString ext = QString::fromLatin1(format).toLower();
        patterns << QStringLiteral("*.") + ext;
        entries << QStringLiteral("%1 image (*.%2)").arg(ext.toUpper(), ext);
    }
    entries.prepend(QStringLiteral("All pictures (%1)").arg(patterns.join(QLatin1Char(' '))));
    return entries.join(QStringLiteral(";;"));
}

bool TOpenMediaDialog::Execute()
{
    return exec() == QDialog::Accepted;
}

QString TOpenMediaDialog::FileName() const
{
    const QStringList files = selectedFiles();
    return files.isEmpty() ? QString() : files.first();
}

void TOpenMediaDialog::DoSelectionChange(const QString& fileName)
{
    if (!FOldStyleDialog)
        FPreview.SelectionChanged(fileName);
}

void TOpenMediaDialog::showEvent(QShowEvent* event)
{
    if (!event->spontaneous()) {
        FPicturePanel->setVisible(!FOldStyleDialog);
        FPreview.Reset();
    }
    QFileDialog::showEvent(event);
}

void TOpenMediaDialog::done(int result)
{
    QFileDialog::done(result);
    FPreview.Close();
    QToolTip::hideText();
}

void TOpenMediaDialog::StopPreviews()
{
    FPaintPanel->SetPictureShown(false);
    FFlash->SetMovie(TShockwaveFlash::UnloadPath());
    FFlash->hide();
    if (FMediaPlayer && !FMediaPlayer->source().isEmpty()) {
        FMediaPlayer->stop();
        FMediaPlayer->setSource(QUrl());
    }
    if (FVideo)
        FVideo->hide();
}

void TOpenMediaDialog::SetPictureLabel(const QString& text)
{
    FPictureLabel->setText(text);
}

void TOpenMediaDialog::SetPanelCaption(const QString& text)
{
    FPaintPanel->SetCaption(text);
}

void TOpenMediaDialog::ClearPicture()
{
    FPaintPanel->SetPictureShown(false);
}

void TOpenMediaDialog::SetPreviewButtonEnabled(bool enabled)
{
    FPreviewButton->setEnabled(enabled);
}

bool TOpenMediaDialog::ShowImage(const QString& path)
{
    QImageReader reader(path);
    reader.setAutoTransform(true);
    const QImage picture = reader.read();
    if (picture.isNull())
        return false;
    FPaintPanel->SetPicture(picture);
    FPaintPanel->SetPictureShown(true);
    return true;
}

bool TOpenMediaDialog::ShowFlash(const QString& path)
{
    FFlash->show();
    FFlash->SetMovie(path);
    if (FFlash->ReadyState() != 4) {
        FFlash->hide();
        return false;
    }
    FFlash->Zoom(100);
    FFlash->Play();
    return true;
}

void TOpenMediaDialog::EnsureMediaPlayer()
{
    if (FMediaPlayer)
        return;
    // Made on the first video only: most dialogs never show one.
    FVideo = new QVideoWidget(FPaintPanel);
    FPaintPanel->layout()->addWidget(FVideo);
    FVideo->hide();
    FMediaPlayer = new QMediaPlayer(this);
    FAudio = new QAudioOutput(this);
    FMediaPlayer->setAudioOutput(FAudio);
    FMediaPlayer->setVideoOutput(FVideo);
    connect(FMediaPlayer, &QMediaPlayer::errorOccurred, this, [this](QMediaPlayer::Error error, const QString&) {
        if (error != QMediaPlayer::NoError && FPreview.LastKind() == QLatin1String("Movie"))
            FPreview.PreviewFailed();
    });
    connect(FMediaPlayer, &QMediaPlayer::mediaStatusChanged, this, [this](QMediaPlayer::MediaStatus status) {
        if (status == QMediaPlayer::InvalidMedia && FPreview.LastKind() == QLatin1String("Movie"))
            FPreview.PreviewFailed();
    });
}

bool TOpenMediaDialog::ShowMovie(const QString& path)
{
    EnsureMediaPlayer();
    FVideo->show();
    FMediaPlayer->setSource(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()));
    FMediaPlayer->play();
    return true;
}

// ---- TMediaPrompts ----

QStringList TMediaPrompts::openFiles(QWidget* parent, const QString& caption, const QString& folder,
                                     const QString& filter, bool multiple)
{
    TOpenMediaDialog dialog(parent);
    if (!caption.isEmpty())
        dialog.setWindowTitle(caption);
    if (!folder.isEmpty())
        dialog.setDirectory(folder);
    if (!filter.isEmpty())
        dialog.setNameFilter(filter);
    dialog.setFileMode(multiple ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    if (!dialog.Execute())
        return {};
    return dialog.Files();
}
