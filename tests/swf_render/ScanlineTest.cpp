// The aliased filling rule: edge ends on a 1/256 pixel grid, pixel centres, left edges in,
// right edges out, crossings compared with the centres exactly; and where curves are cut.
#include "swf/render/Scanline.h"

#include <gtest/gtest.h>

#include <cmath>
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

TEST(Scanline, NearTiesAreDecidedOnTheSnappedEnds)
{
    // The left edge runs from (258.75, 81.95) to (261.85, 61.15). Exactly, it crosses row 63
    // 0.00024 px left of the centre of pixel 261; on the 1/256 grid its ends move and the
    // crossing lands 0.001 px right of it, so the pixel stays out.
    QPainterPath p;
    p.moveTo(261.85, 61.15);
    p.lineTo(290, 61.15);
    p.lineTo(290, 81.95);
    p.lineTo(258.75, 81.95);
    p.closeSubpath();
    QRegion r;
    ASSERT_TRUE(swf::render::scanlineRegion(p, QTransform(), QRect(0, 0, 400, 400), r));
    EXPECT_FALSE(r.contains(QPoint(261, 63)));
    EXPECT_TRUE(r.contains(QPoint(262, 63)));
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

double distanceToSegment(QPointF p, QPointF a, QPointF b)
{
    const QPointF d = b - a;
    const double len2 = QPointF::dotProduct(d, d);
    const double t = len2 > 0 ? std::clamp(QPointF::dotProduct(p - a, d) / len2, 0.0, 1.0) : 0.0;
    const QPointF q = a + t * d - p;
    return std::hypot(q.x(), q.y());
}

std::vector<double> cutsOf(QPointF p0, QPointF c, QPointF p2, double tolerance)
{
    std::vector<double> cuts{42.0}; // stale content is replaced
    swf::render::quadraticCutPoints(p0, c, p2, tolerance, cuts);
    return cuts;
}

QPointF quadAt(QPointF p0, QPointF c, QPointF p2, double t)
{
    const double u = 1 - t;
    return p0 * (u * u) + c * (2 * u * t) + p2 * (t * t);
}

TEST(CurveCuts, LinesStayWithinTheToleranceWithoutWastingSegments)
{
    struct Case {
        QPointF p0, c, p2;
    } cases[] = {
        {{0, 0}, {50, 100}, {100, 0}},       // symmetric arch
        {{0, 0}, {400, 0}, {0, 10}},         // hairpin: the sharpest point inside
        {{272.95, 93.45}, {274.8, 91.9}, {276.9, 91.85}}, // a glyph's shoulder
        {{0, 0}, {1000, 3}, {2000, 0}},      // nearly straight, long
    };
    for (const double tolerance : {0.1, 0.5}) {
        for (const Case& k : cases) {
            const std::vector<double> cuts = cutsOf(k.p0, k.c, k.p2, tolerance);
            std::vector<double> ts{0.0};
            ts.insert(ts.end(), cuts.begin(), cuts.end());
            ts.push_back(1.0);
            double worst = 0;
            for (std::size_t i = 0; i + 1 < ts.size(); ++i) {
                ASSERT_LT(ts[i], ts[i + 1]);
                const QPointF a = quadAt(k.p0, k.c, k.p2, ts[i]), b = quadAt(k.p0, k.c, k.p2, ts[i + 1]);
                for (int s = 1; s < 32; ++s)
                    worst = std::max(worst, distanceToSegment(quadAt(k.p0, k.c, k.p2, ts[i] + (ts[i + 1] - ts[i]) * s / 32), a, b));
            }
            EXPECT_LE(worst, tolerance * 1.05) << k.p2.x() << " tol " << tolerance;
            // Equal error per segment: halving the count would break the tolerance.
            EXPECT_GT(worst, tolerance / 8) << k.p2.x() << " tol " << tolerance << " segments " << ts.size() - 1;
        }
    }
}

TEST(CurveCuts, CutsCrowdWhereTheCurveBendsMost)
{
    // Symmetric arch: cuts mirror each other. Shoulder bending harder at its end: its single
    // cut lies past the middle (at about 0.509), unlike an equal split of the parameter.
    const std::vector<double> arch = cutsOf({0, 0}, {50, 100}, {100, 0}, 0.1);
    ASSERT_FALSE(arch.empty());
    for (std::size_t i = 0; i < arch.size(); ++i)
        EXPECT_NEAR(arch[i] + arch[arch.size() - 1 - i], 1.0, 1e-9);
    const std::vector<double> shoulder =
        cutsOf({272.95, 93.45}, {274.8, 91.9}, {276.9, 91.85}, 0.1);
    ASSERT_EQ(shoulder.size(), 1u);
    EXPECT_NEAR(shoulder[0], 0.509, 0.001);
}

TEST(CurveCuts, StraightAndBrokenCurvesGiveNoCuts)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_TRUE(cutsOf({0, 0}, {5, 5}, {10, 10}, 0.1).empty());
    EXPECT_TRUE(cutsOf({3, 3}, {3, 3}, {3, 3}, 0.1).empty());
    EXPECT_TRUE(cutsOf({0, 0}, {nan, 5}, {10, 0}, 0.1).empty());
    EXPECT_TRUE(cutsOf({0, 0}, {5, 5}, {10, 0}, 0.0).empty());
    EXPECT_LE(cutsOf({0, 0}, {1e15, 1e15}, {0, 1}, 0.1).size(), 255u);
}

} // namespace
