#pragma once
// A picture-shaped window: the component paints its glyph as the face of the window that
// owns it, cuts every pixel of the transparent colour out of that window and lets a press
// anywhere on the picture move the window.
#include <QColor>
#include <QImage>
#include <QPointer>
#include <QRegion>
#include <QWidget>

#include <QMenu>

// The outline of `bitmap`: one rectangle per horizontal run of pixels whose RGB value is not
// exactly `transparent`, united into one region. An invalid colour matches no pixel, so the
// whole bitmap is kept. Alpha is ignored: the picture counts as an opaque bitmap.
QRegion BuildSkinRegion(const QImage& bitmap, const QColor& transparent);

// Gives `window` the outline of `bitmap` as its mask. A bitmap made only of the transparent
// colour leaves the window existing but with nothing visible of it.
void BuildSkinRegion(QWidget* window, const QImage& bitmap, const QColor& transparent);

class TKvSkinForm : public QWidget {
    Q_OBJECT
public:
    // `owner` must be a window (a widget without a parent, or a dialog); placed elsewhere the
    // component does nothing and keeps no glyph.
    explicit TKvSkinForm(QWidget* owner);
    ~TKvSkinForm() override;

    const QImage& Glyph() const { return FGlyph; }
    void SetGlyph(const QImage& glyph);

    QColor TransparentColor() const { return FTransparentColor; }
    void SetTransparentColor(const QColor& color);

    QMenu* PopupMenu() const { return FPopupMenu; }
    void SetPopupMenu(QMenu* menu) { FPopupMenu = menu; }

    // Cuts the owner window to the glyph and fits the sizes (nothing when the glyph is empty).
    void ApplySkin();

    // The window that gets the outline; null when the owner is not a window.
    QWidget* OwnerForm() const { return FOwnerForm; }

signals:
    void OnRegionChanged(TKvSkinForm* sender);
    void OnClick();
    void OnDblClick();
    void OnMouseDown(Qt::MouseButton button, const QPoint& pos);
    void OnMouseMove(const QPoint& pos);
    void OnMouseUp(Qt::MouseButton button, const QPoint& pos);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    QPointer<QWidget> FOwnerForm;
    QImage FGlyph;
    QColor FTransparentColor;
    QPointer<QMenu> FPopupMenu;
    bool FPressed = false;
};
