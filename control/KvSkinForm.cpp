#include "control/KvSkinForm.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

QRegion BuildSkinRegion(const QImage& bitmap, const QColor& transparent)
{
    QRegion region;
    if (bitmap.isNull())
        return region;
    const QImage img = bitmap.convertToFormat(QImage::Format_RGB32);
    // An invalid colour names no pixel value; an impossible key keeps every pixel.
    const bool hasKey = transparent.isValid();
    const QRgb key = hasKey ? (transparent.rgb() & 0x00FFFFFFu) : 0u;
    const int w = img.width();
    const int h = img.height();
    for (int y = 0; y < h; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        int first = -1;
        for (int x = 0; x < w; ++x) {
            const bool cut = hasKey && (line[x] & 0x00FFFFFFu) == key;
            if (!cut) {
                if (first < 0)
                    first = x;
            } else if (first >= 0) {
                region += QRect(first, y, x - first, 1);
                first = -1;
            }
        }
        if (first >= 0)
            region += QRect(first, y, w - first, 1);
    }
    return region;
}

void BuildSkinRegion(QWidget* window, const QImage& bitmap, const QColor& transparent)
{
    if (!window)
        return;
    const QRegion region = BuildSkinRegion(bitmap, transparent);
    if (region.isEmpty()) {
        // Qt treats an empty mask as "no mask" (the whole window shows). A picture made only
        // of the transparent colour must hide every pixel, so mask to a rectangle that lies
        // outside the window: the window exists but nothing of it is visible.
        window->setMask(QRegion(-1, -1, 1, 1));
    } else {
        window->setMask(region);
    }
    window->update();
}

TKvSkinForm::TKvSkinForm(QWidget* owner)
    : QWidget(owner)
    , FTransparentColor(QColor(0xFF, 0x00, 0xFF))
{
    if (owner && owner->isWindow()) {
        FOwnerForm = owner;
        owner->setWindowFlag(Qt::FramelessWindowHint, true);
    }
    resize(200, 100);
    // The face lies beneath every other control of the window, whenever they were made.
    lower();
}

TKvSkinForm::~TKvSkinForm() = default;

void TKvSkinForm::SetGlyph(const QImage& glyph)
{
    if (!FOwnerForm)
        return;
    FGlyph = glyph;
    ApplySkin();
    update();
}

void TKvSkinForm::SetTransparentColor(const QColor& color)
{
    FTransparentColor = color;
    ApplySkin();
    update();
}

void TKvSkinForm::ApplySkin()
{
    if (!FOwnerForm || FGlyph.isNull())
        return;
    BuildSkinRegion(FOwnerForm, FGlyph, FTransparentColor);
    if (FGlyph.width() != 0 && FGlyph.height() != 0)
        resize(FGlyph.size());
    move(0, 0);
    FOwnerForm->resize(size());
    emit OnRegionChanged(this);
}

void TKvSkinForm::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    if (FGlyph.width() != 0 && FGlyph.height() != 0) {
        p.drawImage(0, 0, FGlyph);
    } else {
        p.setPen(Qt::black);
        p.setBrush(Qt::NoBrush);
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

void TKvSkinForm::mousePressEvent(QMouseEvent* event)
{
    FPressed = true;
    emit OnMouseDown(event->button(), event->position().toPoint());
    if (event->button() != Qt::LeftButton || !FOwnerForm)
        return;
    // The window manager moves the window while the left button stays down; when it takes
    // over, the release goes to it and no click follows.
    if (QWindow* handle = FOwnerForm->windowHandle()) {
        if (handle->startSystemMove())
            FPressed = false;
    }
}

void TKvSkinForm::mouseMoveEvent(QMouseEvent* event)
{
    emit OnMouseMove(event->position().toPoint());
}

void TKvSkinForm::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click = FPressed && event->button() == Qt::LeftButton
        && rect().contains(event->position().toPoint());
    FPressed = false;
    if (click)
        emit OnClick();
    emit OnMouseUp(event->button(), event->position().toPoint());
}

void TKvSkinForm::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        emit OnDblClick();
    mousePressEvent(event);
}

void TKvSkinForm::contextMenuEvent(QContextMenuEvent* event)
{
    if (FPopupMenu) {
        FPopupMenu->popup(event->globalPos());
        event->accept();
    } else {
        QWidget::contextMenuEvent(event);
    }
}
