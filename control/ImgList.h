#pragma once
// A list of equally sized pictures shared by the controls that show them by index (list
// boxes, menus). Pictures of another size are scaled to the list's size when added.
#include <QColor>
#include <QImage>
#include <QList>
#include <QObject>
#include <QPixmap>
#include <QSize>

class QPainter;

class TImageList : public QObject {
    Q_OBJECT
public:
    explicit TImageList(int width = 16, int height = 16, QObject* parent = nullptr);

    int Width() const { return FSize.width(); }
    int Height() const { return FSize.height(); }
    QSize Size() const { return FSize; }
    int Count() const { return int(FImages.size()); }

    // Index of the added picture.
    int Add(const QPixmap& picture);
    // Adds the picture with every pixel of `transparent` made see-through.
    int AddMasked(const QImage& picture, const QColor& transparent);
    // Adds every picture named prefix + two-digit index + ".png" (00, 01, …) until one is
    // missing; returns how many were added.
    int AddNumbered(const QString& prefix);
    void Clear();

    // A null pixmap for an index out of range.
    QPixmap Pixmap(int index) const;
    // Draws picture `index` with its top-left at (x, y); nothing for an index out of range.
    void Draw(QPainter& painter, int x, int y, int index) const;

signals:
    void Changed();

private:
    QSize FSize;
    QList<QPixmap> FImages;
};
