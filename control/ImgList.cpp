#include "control/ImgList.h"

#include <QFile>
#include <QPainter>

TImageList::TImageList(int width, int height, QObject* parent)
    : QObject(parent)
    , FSize(qMax(1, width), qMax(1, height))
{
}

int TImageList::Add(const QPixmap& picture)
{
    QPixmap p = picture;
    if (!p.isNull() && p.size() != FSize)
        p = p.scaled(FSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (p.isNull()) {
        p = QPixmap(FSize);
        p.fill(Qt::transparent);
    }
    FImages.append(p);
    emit Changed();
    return int(FImages.size()) - 1;
}

int TImageList::AddMasked(const QImage& picture, const QColor& transparent)
{
    QImage img = picture.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = transparent.rgb() & 0x00FFFFFFu;
    for (int y = 0; y < img.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x)
            if ((line[x] & 0x00FFFFFFu) == key)
                line[x] = 0;
    }
    return Add(QPixmap::fromImage(img));
}

int TImageList::AddNumbered(const QString& prefix)
{
    int added = 0;
    for (int i = 0; i < 100; ++i) {
        const QString name = prefix + QString::asprintf("%02d.png", i);
        if (!QFile::exists(name))
            break;
        Add(QPixmap(name));
        ++added;
    }
    return added;
}

void TImageList::Clear()
{
    FImages.clear();
    emit Changed();
}

QPixmap TImageList::Pixmap(int index) const
{
    if (index < 0 || index >= FImages.size())
        return QPixmap();
    return FImages.at(index);
}

void TImageList::Draw(QPainter& painter, int x, int y, int index) const
{
    if (index < 0 || index >= FImages.size())
        return;
    painter.drawPixmap(x, y, FImages.at(index));
}
