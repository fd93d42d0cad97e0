// The aliased filling rule: pixel centres, left edges in, right edges out, crossings
// compared with the centres exactly.
#include "swf/render/Scanline.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

QRegion scan(const QPainterPath& path)
{
    QRegion r;
    EXPECT_TRUE(swf::render::scanlineRegion(path, QTransform(), QRect(0, 0, 100, 100), r));
    return r;
}

TEST(Scanline, EdgesThroughPixelCentresKeepTheLeftAndTopOnes)
{
    // A square from 10.5 to 20.5: centres 10.5 .. 19.5 are in, 20.5 is out.
    QPainterPath p;
    p.addRect(QRectF(10.5, 10.5, 10, 10));
    const QRegion r = scan(p);
    EXPECT_TRUE(r.contains(QPoint(10, 10)));
    EXPECT_TRUE(r.contains(QPoint(19, 19)));
    EXPECT_FALSE(r.contains(QPoint(20, 15)));
    EXPECT_FALSE(r.contains(QPoint(15, 20)));
    EXPECT_FALSE(r.contains(QPoint(9, 15)));
}

TEST(Scanline, SlopedEdgeJustRightOfACentreKeepsThePixel)
{
    // In twips: the right edge crosses row 264 (centre 5290) at 5710 + 11/23, just right
    // of the centre of pixel 285; a crossing rounded to whole twips would drop it.
    QPainterPath p;
    p.moveTo(5000, 5273);
    p.lineTo(5624, 5273);
    p.lineTo(5741, 5296);
    p.lineTo(5000, 5296);
    p.closeSubpath();
    QRegion r;
    ASSERT_TRUE(swf::render::scanlineRegion(p, QTransform::fromScale(0.05, 0.05), QRect(0, 0, 400, 400), r));
    EXPECT_TRUE(r.contains(QPoint(250, 264)));
    EXPECT_TRUE(r.contains(QPoint(285, 264)));
    EXPECT_FALSE(r.contains(QPoint(286, 264)));
    EXPECT_FALSE(r.contains(QPoint(249, 264)));
}

TEST(Scanline, WholePixelSquareCoversItsPixelsExactly)
{
    QPainterPath p;
    p.addRect(QRectF(10, 10, 10, 10));
    const QRegion r = scan(p);
    EXPECT_EQ(r.boundingRect(), QRect(10, 10, 10, 10));
    int count = 0;
    for (const QRect& rect : r)
        count += rect.width() * rect.height();
    EXPECT_EQ(count, 100);
}

TEST(Scanline, FillRules)
{
    // Two nested squares drawn the same way round: a hole with even-odd only.
    QPainterPath p;
    p.addRect(QRectF(10, 10, 40, 40));
    p.addRect(QRectF(20, 20, 20, 20));
    p.setFillRule(Qt::OddEvenFill);
    EXPECT_FALSE(scan(p).contains(QPoint(30, 30)));
    p.setFillRule(Qt::WindingFill);
    EXPECT_TRUE(scan(p).contains(QPoint(30, 30)));
}

TEST(Scanline, HugeAndBrokenCoordinatesDoNotOverflow)
{
    QPainterPath p;
    p.moveTo(-1e12, -1e12);
    p.lineTo(1e12, 5);
    p.lineTo(std::numeric_limits<double>::quiet_NaN(), 50);
    p.closeSubpath();
    QRegion r;
    swf::render::scanlineRegion(p, QTransform(), QRect(0, 0, 100, 100), r);
    EXPECT_TRUE(QRect(0, 0, 100, 100).contains(r.boundingRect()) || r.isEmpty());
}

} // namespace
