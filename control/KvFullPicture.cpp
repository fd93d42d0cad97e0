#include "control/KvFullPicture.h"

#include <QMouseEvent>
#include <QPainter>

QList<QPoint> TilePositions(const QSize& area, const QSize& tile)
{
    QList<QPoint> points;
    if (tile.width() <= 0 || tile.height() <= 0 || area.width() <= 0 || area.height() <= 0)
        return points;
    for (int y = 0; y < area.height(); y += tile.height())
        for (int x = 0; x < area.width(); x += tile.width())
            points.append(QPoint(x, y));
    return points;
}

TKvFullPicture::TKvFullPicture(QWidget* parent)
    : QWidget(parent)
    , FColor(palette().color(QPalette::Window))
{
    // The paint covers every pixel, so the background is never erased first (no flicker
    // while resizing).
    setAttribute(Qt::WA_OpaquePaintEvent);
}

TKvFullPicture::~TKvFullPicture() = default;

void TKvFullPicture::SetKvLoadPicture(const QPixmap& picture)
{
    FPicture = picture;
    update();
}

void TKvFullPicture::SetColor(const QColor& color)
{
    FColor = color;
    update();
}

void TKvFullPicture::SetCaption(const QString& caption)
{
    FCaption = caption;
    update();
}

QImage TKvFullPicture::RenderFace() const
{
    QImage face(size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    QPainter p(&face);
    const QSize tile = FPicture.isNull() ? QSize() : FPicture.deviceIndependentSize().toSize();
    const QList<QPoint> points = TilePositions(size(), tile);
    if (points.isEmpty()) {
        p.fillRect(face.rect(), FColor);
    } else {
        // Pictures with transparent parts show the colour through them.
        p.fillRect(face.rect(), FColor);
        for (const QPoint& pt : points)
            p.drawPixmap(pt, FPicture);
    }
    p.end();
    return face;
}

void TKvFullPicture::paintEvent(QPaintEvent*)
{
    if (width() <= 0 || height() <= 0)
        return;
    const QImage face = RenderFace();
    QPainter p(this);
    p.drawImage(0, 0, face);
}

void TKvFullPicture::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    emit OnResize();
    update();
}

void TKvFullPicture::mousePressEvent(QMouseEvent* event)
{
    FPressed = event->button() == Qt::LeftButton;
    emit OnMouseDown(event->button(), event->position().toPoint());
}

void TKvFullPicture::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click = FPressed && event->button() == Qt::LeftButton
        && rect().contains(event->position().toPoint());
    FPressed = false;
    if (click)
        emit OnClick();
}
