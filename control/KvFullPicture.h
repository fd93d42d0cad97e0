#pragma once
// A panel whose face is a picture repeated over its whole area from the top-left corner, or
// its colour when it has no picture. Child widgets lie on top; the caption is never drawn.
#include <QColor>
#include <QPixmap>
#include <QString>
#include <QWidget>

class TKvFullPicture : public QWidget {
    Q_OBJECT
public:
    explicit TKvFullPicture(QWidget* parent = nullptr);
    ~TKvFullPicture() override;

    const QPixmap& KvLoadPicture() const { return FPicture; }
    void SetKvLoadPicture(const QPixmap& picture);

    QColor Color() const { return FColor; }
    void SetColor(const QColor& color);

    QString Caption() const { return FCaption; }
    void SetCaption(const QString& caption);

    // The face as painted: the tiled picture, or the colour when there is no picture (or
    // one with no area), at the panel's size.
    QImage RenderFace() const;

signals:
    void OnClick();
    void OnMouseDown(Qt::MouseButton button, const QPoint& pos);
    void OnResize();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QPixmap FPicture;
    QColor FColor;
    QString FCaption;
    bool FPressed = false;
};

// The top-left corners at which a tile of `tile` size is drawn to cover `area`; none when
// either has no area.
QList<QPoint> TilePositions(const QSize& area, const QSize& tile);
