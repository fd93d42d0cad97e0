// Lines at quality low: rectangles per piece, caps and joins as polygons, filled together.
#include "swf/render/AliasedStroke.h"
#include "swf/render/Scanline.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

QRegion strokeRegion(const QPainterPath& centre, const QPen& pen, Qt::PenCapStyle endCap)
{
    const QTransform toDevice;
    QPainterPath area;
    EXPECT_TRUE(swf::render::aliasedStrokeArea(centre, pen, endCap, toDevice, area));
    QRegion r;
    EXPECT_TRUE(swf::render::scanlineRegion(area, toDevice, QRect(0, 0, 200, 200), r));
    return r;
}

QPen penOf(double width, Qt::PenCapStyle cap, Qt::PenJoinStyle join = Qt::RoundJoin)
{
    QPen pen(Qt::black, width, Qt::SolidLine, cap, join);
    pen.setMiterLimit(3);
    return pen;
}

TEST(AliasedStroke, CapsReachAsFarAsTheirShape)
{
    // A 4 px line from x 10 to 30 at y 10: rows 8..11; the caps decide the columns.
    QPainterPath line;
    line.moveTo(10, 10);
    line.lineTo(30, 10);
    struct Case {
        Qt::PenCapStyle start, end;
        QRect bounds;
    } cases[] = {
        {Qt::FlatCap, Qt::FlatCap, QRect(QPoint(10, 8), QPoint(29, 11))},
        {Qt::SquareCap, Qt::SquareCap, QRect(QPoint(8, 8), QPoint(31, 11))},
        {Qt::RoundCap, Qt::RoundCap, QRect(QPoint(8, 8), QPoint(31, 11))},
        {Qt::FlatCap, Qt::SquareCap, QRect(QPoint(10, 8), QPoint(31, 11))},
    };
    for (const Case& c : cases) {
        const QRegion r = strokeRegion(line, penOf(4, c.start), c.end);
        EXPECT_EQ(r.boundingRect(), c.bounds) << c.start << c.end;
        // The round cap leaves the corners of the square one out.
        EXPECT_EQ(r.contains(QPoint(8, 8)), c.start == Qt::SquareCap) << c.start;
    }
}

TEST(AliasedStroke, JoinsFillTheOuterCornerByTheirStyle)
{
    // An L turning at (50, 50) with a 10 px pen: the outer corner pixel (54, 45) is covered
    // by a miter only; a round join covers (53, 46) too, a bevel neither.
    QPainterPath l;
    l.moveTo(20, 50);
    l.lineTo(50, 50);
    l.lineTo(50, 80);
    struct Case {
        Qt::PenJoinStyle join;
        bool corner, nearCorner;
    } cases[] = {
        {Qt::MiterJoin, true, true},
        {Qt::RoundJoin, false, true},
        {Qt::BevelJoin, false, false},
    };
    for (const Case& c : cases) {
        const QRegion r = strokeRegion(l, penOf(10, Qt::FlatCap, c.join), Qt::FlatCap);
        EXPECT_EQ(r.contains(QPoint(54, 45)), c.corner) << c.join;
        EXPECT_EQ(r.contains(QPoint(53, 46)), c.nearCorner) << c.join;
        EXPECT_TRUE(r.contains(QPoint(50, 50))) << c.join;
    }
    // Past the miter limit a miter becomes a bevel: a sharp turn with a limit of 3.
    QPainterPath sharp;
    sharp.moveTo(20, 100);
    sharp.lineTo(100, 100);
    sharp.lineTo(20, 110);
    const QRegion r = strokeRegion(sharp, penOf(10, Qt::FlatCap, Qt::MiterJoin), Qt::FlatCap);
    EXPECT_LT(r.boundingRect().right(), 110);
}

TEST(AliasedStroke, ClosedOutlinesJoinAtTheirStartAndOverlapsStayFilled)
{
    // A closed square with miter joins has all four outer corners, no caps sticking out.
    QPainterPath square;
    square.moveTo(20, 20);
    square.lineTo(60, 20);
    square.lineTo(60, 60);
    square.lineTo(20, 60);
    square.closeSubpath();
    const QRegion r = strokeRegion(square, penOf(6, Qt::FlatCap, Qt::MiterJoin), Qt::FlatCap);
    EXPECT_EQ(r.boundingRect(), QRect(QPoint(17, 17), QPoint(62, 62)));
    EXPECT_TRUE(r.contains(QPoint(17, 17)));
    EXPECT_FALSE(r.contains(QPoint(40, 40)));
    // A line going back over itself: the pieces add up, they do not cancel out.
    QPainterPath back;
    back.moveTo(20, 100);
    back.lineTo(80, 100);
    back.lineTo(30, 100);
    const QRegion b = strokeRegion(back, penOf(6, Qt::FlatCap), Qt::FlatCap);
    EXPECT_TRUE(b.contains(QPoint(50, 100)));
    EXPECT_TRUE(b.contains(QPoint(25, 100)));
}

TEST(AliasedStroke, CurvedLinesFollowTheCurve)
{
    // A 2 px quarter circle-like curve: pixels on the curve are in, its inside is not.
    QPainterPath arc;
    arc.moveTo(100, 20);
    arc.quadTo(100, 100, 20, 100);
    const QRegion r = strokeRegion(arc, penOf(2, Qt::FlatCap), Qt::FlatCap);
    EXPECT_TRUE(r.contains(QPoint(79, 79)));
    EXPECT_FALSE(r.contains(QPoint(70, 70)));
    EXPECT_FALSE(r.contains(QPoint(90, 90)));
}

TEST(AliasedStroke, DotsAndHostileLines)
{
    QPainterPath dot;
    dot.moveTo(50, 50);
    dot.lineTo(50, 50);
    EXPECT_TRUE(strokeRegion(dot, penOf(6, Qt::RoundCap), Qt::RoundCap).contains(QPoint(50, 50)));
    EXPECT_TRUE(strokeRegion(dot, penOf(6, Qt::FlatCap), Qt::FlatCap).isEmpty());

    // A huge pen along a long zigzag would need millions of points: refused, not built.
    QPainterPath zigzag;
    zigzag.moveTo(0, 0);
    for (int i = 1; i < 20000; ++i)
        zigzag.lineTo(i * 10, (i % 2) * 10);
    QPainterPath area;
    EXPECT_FALSE(swf::render::aliasedStrokeArea(zigzag, penOf(5000, Qt::RoundCap), Qt::RoundCap, QTransform(), area));

    QPainterPath broken;
    broken.moveTo(0, 0);
    broken.lineTo(std::numeric_limits<double>::quiet_NaN(), 5);
    broken.lineTo(1e300, -1e300);
    EXPECT_TRUE(swf::render::aliasedStrokeArea(broken, penOf(3, Qt::RoundCap), Qt::RoundCap, QTransform(), area));
    QRegion r;
    swf::render::scanlineRegion(area, QTransform(), QRect(0, 0, 100, 100), r);
}

} // namespace
