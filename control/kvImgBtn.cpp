#include "control/kvImgBtn.h"

#include <QContextMenuEvent>
#include <QEnterEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>

TKvImgBtn::TKvImgBtn(QWidget* parent)
    : QWidget(parent)
{
    // Pictures carry their own transparency; nothing of the parent is painted over.
    setAttribute(Qt::WA_NoSystemBackground);
    setMouseTracking(true);
}

TKvImgBtn::~TKvImgBtn() = default;

void TKvImgBtn::SetPicture(const QPixmap& picture)
{
    FPicture = picture;
    if (FAutoSize && !FPicture.isNull())
        resize(FPicture.deviceIndependentSize().toSize());
    update();
}

void TKvImgBtn::SetPicIdle(const QPixmap& picture)
{
    FPicIdle = picture;
    SetPicture(picture);
}

void TKvImgBtn::SetAutoSize(bool on)
{
    FAutoSize = on;
    if (FAutoSize && !FPicture.isNull())
        resize(FPicture.deviceIndependentSize().toSize());
}

QSize TKvImgBtn::sizeHint() const
{
    return FPicture.isNull() ? QSize(16, 16) : FPicture.deviceIndependentSize().toSize();
}

void TKvImgBtn::paintEvent(QPaintEvent*)
{
    if (FPicture.isNull())
        return;
    QPainter p(this);
    p.drawPixmap(0, 0, FPicture);
}

void TKvImgBtn::MouseEntered(const QPoint& pos)
{
    if (!FSupported || FInside)
        return;
    FInside = true;
    SetPicture(FHeld ? FPicDown : FPicUp);
    emit OnMouseEnter(pos);
}

void TKvImgBtn::MouseLeft(const QPoint& pos)
{
    if (!FSupported || !FInside)
        return;
    FInside = false;
    SetPicture(FPicIdle);
    emit OnMouseLeave(pos);
}

void TKvImgBtn::enterEvent(QEnterEvent* event)
{
    QWidget::enterEvent(event);
    MouseEntered(event->position().toPoint());
}

void TKvImgBtn::leaveEvent(QEvent* event)
{
    QWidget::leaveEvent(event);
    // While the button is held Qt keeps the mouse grabbed and reports crossing the edge
    // through moves; the leave that follows the release outside is then already handled.
    MouseLeft(mapFromGlobal(QCursor::pos()));
}

void TKvImgBtn::mouseMoveEvent(QMouseEvent* event)
{
    // Qt delivers no enter or leave while a button holds the mouse grab, so crossing the edge
    // with the button held is seen here.
    const QPoint pos = event->position().toPoint();
    if (rect().contains(pos))
        MouseEntered(pos);
    else if (event->buttons() != Qt::NoButton)
        MouseLeft(pos);
}

void TKvImgBtn::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    FClickPending = true;
    if (!FSupported)
        return;
    FHeld = true;
    if (FInside)
        SetPicture(FPicDown);
    emit OnMouseDown(event->button(), event->position().toPoint());
}

void TKvImgBtn::mouseDoubleClickEvent(QMouseEvent* event)
{
    // A second press in quick succession is a press like any other.
    mousePressEvent(event);
}

void TKvImgBtn::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint pos = event->position().toPoint();
    const bool click = FClickPending && rect().contains(pos);
    FClickPending = false;
    if (click) {
        // The handler may hide or even delete the button (a button that opens a window).
        QPointer<TKvImgBtn> self(this);
        emit OnClick();
        if (!self)
            return;
    }
    if (!FSupported)
        return;
    FHeld = false;
    if (FInside)
        SetPicture(FPicUp);
    emit OnMouseUp(event->button(), pos);
}

void TKvImgBtn::contextMenuEvent(QContextMenuEvent* event)
{
    if (FPopupMenu) {
        FPopupMenu->popup(event->globalPos());
        event->accept();
    } else {
        QWidget::contextMenuEvent(event);
    }
}
