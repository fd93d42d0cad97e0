#pragma once
// The program's file-open dialog: Qt's own (non-native) file dialog with a preview area at
// its right that shows the selected picture, Flash movie or video before the choice is
// confirmed. TMediaPreview holds the decisions; the dialog only carries them out.
#include "shared/Prompts.h"

#include <QFileDialog>
#include <QFrame>
#include <QImage>
#include <QPointer>
#include <QString>

#include <functional>
#include <vector>

class QLabel;
class QMediaPlayer;
class QAudioOutput;
class QToolButton;
class QVideoWidget;
class TMyFlash;

// ---- Kinds of files ----

struct TMediaKindRow {
    const char* extension; // lower case, with the dot
    const char* kind;      // "Image", "Flash" or "Movie"
};

// The extensions the preview knows, by kind.
const std::vector<TMediaKindRow>& MediaKindTable();
// The kind of a file by its extension in any letter case: "Image", "Flash", "Movie" or "".
QString FFileKind(const QString& fileName);

// ---- The decisions of the preview area ----

// What the preview area can be told to do; the dialog implements it, tests record it.
class TMediaPreviewView {
public:
    virtual ~TMediaPreviewView() = default;
    // Hides the picture, empties and hides the Flash control, closes the video.
    virtual void StopPreviews() = 0;
    virtual void SetPictureLabel(const QString& text) = 0;
    virtual void SetPanelCaption(const QString& text) = 0;
    virtual void ClearPicture() = 0;
    virtual void SetPreviewButtonEnabled(bool enabled) = 0;
    // Each returns false when the file cannot be shown so.
    virtual bool ShowImage(const QString& path) = 0;
    virtual bool ShowFlash(const QString& path) = 0;
    virtual bool ShowMovie(const QString& path) = 0;
};

class TMediaPreview {
public:
    static QString NoneCaption() { return QStringLiteral("(None)"); }
    static QString InvalidImageCaption() { return QStringLiteral("Invalid image"); }

    explicit TMediaPreview(TMediaPreviewView& view);

    // The dialog shows: nothing previewed, "(None)".
    void Reset();
    // A new current file. The same name again changes nothing (the preview keeps running);
    // a name that does not exist stops the old preview and shows nothing new.
    void SelectionChanged(const QString& fileName);
    // The preview failed after it had started (a video that turned out unplayable).
    void PreviewFailed();
    // Drawing the preview area failed.
    void PaintFailed();
    // The dialog closes, confirmed or not.
    void Close();

    QString LastFile() const { return FLastFile; }
    QString LastKind() const { return FLastKind; }

private:
    void ShowNone();

    TMediaPreviewView& FView;
    QString FLastFile;
    QString FLastKind;
};

// ---- The widgets ----

// A panel whose painting cannot fail: when drawing raises an error, the error goes no
// further and the panel says "Invalid image". It draws its caption and, when shown, the
// picture (proportional, stretched, centred).
class TSilentPaintPanel : public QFrame {
    Q_OBJECT
public:
    explicit TSilentPaintPanel(QWidget* parent = nullptr);

    QString Caption() const { return FCaption; }
    void SetCaption(const QString& caption);

    const QImage& Picture() const { return FPicture; }
    bool PictureShown() const { return FPictureShown; }
    void SetPicture(const QImage& picture);
    void SetPictureShown(bool shown);

    // Called after a failed painting (the caption already says so).
    std::function<void()> OnPaintFailed;

protected:
    void paintEvent(QPaintEvent* event) override;
    // The drawing itself; may throw.
    virtual void PaintContent(QPainter& painter);

private:
    QString FCaption;
    QImage FPicture;
    bool FPictureShown = false;
};

class TOpenMediaDialog : public QFileDialog, private TMediaPreviewView {
    Q_OBJECT
public:
    explicit TOpenMediaDialog(QWidget* parent = nullptr);
    ~TOpenMediaDialog() override;

    // Qt's filter of every picture format it reads.
    static QString AllPicturesFilter();

    // The old-style dialog has no preview area.
    bool OldStyleDialog() const { return FOldStyleDialog; }
    void SetOldStyleDialog(bool on) { FOldStyleDialog = on; }

    // Runs the dialog; true when the user confirms.
    bool Execute();
    QStringList Files() const { return selectedFiles(); }
    QString FileName() const;

    // The preview area's parts, by their names.
    QFrame* PicturePanel() const { return FPicturePanel; }
    QLabel* PictureLabel() const { return FPictureLabel; }
    QToolButton* PreviewButton() const { return FPreviewButton; }
    TSilentPaintPanel* PaintPanel() const { return FPaintPanel; }
    TMyFlash* Flash() const { return FFlash; }
    QMediaPlayer* MediaPlayer() const { return FMediaPlayer; }
    const TMediaPreview& Preview() const { return FPreview; }

    // What a selection change does (Qt's currentChanged is wired to it).
    void DoSelectionChange(const QString& fileName);

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    void StopPreviews() override;
    void SetPictureLabel(const QString& text) override;
    void SetPanelCaption(const QString& text) override;
    void ClearPicture() override;
    void SetPreviewButtonEnabled(bool enabled) override;
    bool ShowImage(const QString& path) override;
    bool ShowFlash(const QString& path) override;
    bool ShowMovie(const QString& path) override;

    void EnsureMediaPlayer();
    void PreviewDblClick() {}

    TMediaPreview FPreview;
    bool FOldStyleDialog = false;
    QFrame* FPicturePanel = nullptr;
    QLabel* FPictureLabel = nullptr;
    QToolButton* FPreviewButton = nullptr;
    TSilentPaintPanel* FPaintPanel = nullptr;
    TMyFlash* FFlash = nullptr;
    QPointer<QVideoWidget> FVideo;
    QMediaPlayer* FMediaPlayer = nullptr;
    QAudioOutput* FAudio = nullptr;
};

// The real dialogs with this open dialog for choosing files.
class TMediaPrompts : public WidgetPrompts {
public:
    QStringList openFiles(QWidget* parent, const QString& caption, const QString& folder,
                          const QString& filter, bool multiple) override;
};
