#include "control/KvFullPicture.h"

#include <QPainter>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

const QColor Marker(255, 0, 0);
const QColor Body(0, 0, 255);
const QColor Edge(0, 255, 0);

// A tile whose top-left pixel is the marker and whose last column is the edge colour, so
// that a painted face shows where every copy starts and whether it was cut off.
QPixmap tile(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Body);
    for (int y = 0; y < h; ++y)
        img.setPixelColor(w - 1, y, Edge);
    img.setPixelColor(0, 0, Marker);
    return QPixmap::fromImage(img);
}

int countMarkers(const QImage& img)
{
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            n += img.pixelColor(x, y) == Marker;
    return n;
}

} // namespace

TEST(TKvFullPicture, TilesFromTheTopLeftCorner)
{
    struct Case {
        QSize panel;
        QSize picture;
        int copies;
        bool lastColumnCut; // the panel's last column is not a tile's edge column
    };
    const std::vector<Case> cases = {
        {{100, 19}, {10, 19}, 10, false},
        {{100, 19}, {30, 19}, 4, true},
        {{100, 40}, {30, 19}, 12, true},
        {{5, 5}, {10, 19}, 1, true},
    };
    for (const Case& c : cases) {
        TKvFullPicture panel;
        panel.resize(c.panel);
        panel.SetKvLoadPicture(tile(c.picture.width(), c.picture.height()));
        const QImage face = panel.grab().toImage();
        ASSERT_EQ(face.size(), c.panel);
        EXPECT_EQ(countMarkers(face), c.copies) << c.panel.width() << "x" << c.panel.height();
        const QColor last = face.pixelColor(c.panel.width() - 1, c.panel.height() - 1);
        EXPECT_EQ(last != Edge, c.lastColumnCut);
        EXPECT_EQ(int(TilePositions(c.panel, c.picture).size()), c.copies);
    }
}

TEST(TKvFullPicture, ThirtyWideTilesCutTheFourthCopy)
{
    TKvFullPicture panel;
    panel.resize(100, 19);
    panel.SetKvLoadPicture(tile(30, 19));
    const QImage face = panel.grab().toImage();
    EXPECT_EQ(face.pixelColor(90, 0), Marker);
    EXPECT_EQ(face.pixelColor(89, 5), Edge);
    EXPECT_EQ(face.pixelColor(99, 5), Body); // tenth column of the fourth copy
}

TEST(TKvFullPicture, WithoutPictureOnlyTheColourShowsNeverTheCaption)
{
    TKvFullPicture panel;
    panel.resize(60, 20);
    panel.SetColor(QColor(232, 232, 232));
    panel.SetCaption("Panel caption");
    const QImage face = panel.grab().toImage();
    for (int y = 0; y < face.height(); ++y)
        for (int x = 0; x < face.width(); ++x)
            ASSERT_EQ(face.pixelColor(x, y), QColor(232, 232, 232)) << x << "," << y;
}

TEST(TKvFullPicture, PictureWithoutAreaShowsTheColour)
{
    EXPECT_TRUE(TilePositions(QSize(100, 19), QSize(0, 19)).isEmpty());
    EXPECT_TRUE(TilePositions(QSize(100, 19), QSize(10, 0)).isEmpty());
    EXPECT_TRUE(TilePositions(QSize(0, 0), QSize(10, 10)).isEmpty());

    TKvFullPicture panel;
    panel.resize(30, 10);
    panel.SetColor(Qt::darkGreen);
    panel.SetKvLoadPicture(QPixmap(0, 19));
    const QImage face = panel.RenderFace();
    EXPECT_EQ(face.pixelColor(0, 0), QColor(Qt::darkGreen));
    EXPECT_EQ(face.pixelColor(29, 9), QColor(Qt::darkGreen));
}

TEST(TKvFullPicture, ResizeRaisesOnResize)
{
    TKvFullPicture panel;
    QSignalSpy resized(&panel, &TKvFullPicture::OnResize);
    panel.show();
    panel.resize(50, 50);
    QCoreApplication::processEvents();
    EXPECT_GE(resized.count(), 1);
    EXPECT_EQ(panel.RenderFace().size(), QSize(50, 50));
}
