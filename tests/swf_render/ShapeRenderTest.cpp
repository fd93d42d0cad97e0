// Shapes drawn from hand-made records: fill sides, holes, style arrays, lines, limits.
#include "tests/swf_render/RenderTestSupport.h"

#include "swf/render/ShapeGeometry.h"

#include <gtest/gtest.h>

using namespace rt;

namespace {

const Rgba red{255, 0, 0, 255};
const Rgba blue{0, 0, 255, 255};
const Rgba green{0, 255, 0, 255};
const Rgba black{0, 0, 0, 255};

TEST(ShapeRender, SolidSquareOnEitherFillSide)
{
    for (bool leftSide : {false, true}) {
        Scene s;
        ShapeMaker m;
        if (leftSide)
            m.styles(1, std::nullopt).rectCcw(10, 10, 50, 50);
        else
            m.styles(std::nullopt, 1).rect(10, 10, 50, 50);
        s.addShape(1, {{solid(red)}, {}}, m.shape);
        s.place(1, 1);
        const QImage img = s.render();
        EXPECT_EQ(at(img, 30, 30), qRgb(255, 0, 0)) << leftSide;
        EXPECT_EQ(at(img, 5, 5), qRgb(255, 255, 255)) << leftSide;
        EXPECT_EQ(at(img, 55, 30), qRgb(255, 255, 255)) << leftSide;
    }
}

TEST(ShapeRender, SquareWithHoleLeavesTheHoleEmpty)
{
    Scene s;
    ShapeMaker m;
    // Outer contour with the fill on its right, the hole drawn the other way round.
    m.styles(std::nullopt, 1).rect(10, 10, 90, 90).rectCcw(30, 30, 70, 70);
    s.addShape(1, {{solid(blue)}, {}}, m.shape);
    s.place(1, 1);
    const QImage img = s.render();
    EXPECT_EQ(at(img, 20, 20), qRgb(0, 0, 255));
    EXPECT_EQ(at(img, 50, 50), qRgb(255, 255, 255));
    EXPECT_EQ(at(img, 80, 50), qRgb(0, 0, 255));
}

TEST(ShapeRender, SharedEdgeBetweenTwoFillsLeavesNoGap)
{
    // Two squares side by side; the middle edge carries fill 1 on one side and fill 2
    // on the other, and the outer edges are given in scattered order.
    Scene s;
    ShapeMaker m;
    m.styles(0, 1).moveTo(10, 10).lineTo(50, 10);
    m.styles(0, 2).lineTo(90, 10).lineTo(90, 90).lineTo(50, 90);
    m.styles(0, 1).lineTo(10, 90).lineTo(10, 10);
    m.styles(2, 1).moveTo(50, 10).lineTo(50, 90);
    s.addShape(1, {{solid(red), solid(green)}, {}}, m.shape);
    s.place(1, 1);
    const QImage img = s.render(100, 100, true);
    EXPECT_EQ(at(img, 30, 50), qRgb(255, 0, 0));
    EXPECT_EQ(at(img, 70, 50), qRgb(0, 255, 0));
    // No background shows along the shared edge.
    for (int y = 12; y < 88; ++y) {
        EXPECT_EQ(qBlue(at(img, 49, y)), 0) << y;
        EXPECT_EQ(qBlue(at(img, 50, y)), 0) << y;
    }
}

TEST(ShapeRender, NewStyleArraysDrawOverEarlierOnes)
{
    Scene s;
    ShapeMaker m;
    m.styles(std::nullopt, 1).rect(10, 10, 90, 90);
    m.newStyles({{solid(green)}, {}}).styles(std::nullopt, 1).rect(40, 40, 60, 60);
    s.addShape(1, {{solid(red)}, {}}, m.shape);
    s.place(1, 1);
    const QImage img = s.render();
    EXPECT_EQ(at(img, 20, 20), qRgb(255, 0, 0));
    EXPECT_EQ(at(img, 50, 50), qRgb(0, 255, 0));
}

TEST(ShapeRender, CurvedEdgesBulge)
{
    Scene s;
    ShapeMaker m;
    m.styles(std::nullopt, 1).moveTo(10, 50).curveTo(50, -30, 90, 50).lineTo(10, 50);
    s.addShape(1, {{solid(red)}, {}}, m.shape);
    s.place(1, 1);
    const QImage img = s.render();
    EXPECT_EQ(at(img, 50, 20), qRgb(255, 0, 0));
    EXPECT_EQ(at(img, 15, 20), qRgb(255, 255, 255));
}

TEST(ShapeRender, PlacementMatrixMovesAndScales)
{
    Scene s;
    ShapeMaker m;
    m.styles(std::nullopt, 1).rect(0, 0, 10, 10);
    s.addShape(1, {{solid(red)}, {}}, m.shape);
    s.place(1, 1, scale(2, 3, 50, 20));
    const QImage img = s.render();
    EXPECT_EQ(at(img, 55, 25), qRgb(255, 0, 0));
    EXPECT_EQ(at(img, 69, 49), qRgb(255, 0, 0));
    EXPECT_EQ(at(img, 71, 25), qRgb(255, 255, 255));
    EXPECT_EQ(at(img, 55, 51), qRgb(255, 255, 255));
}

TEST(ShapeRender, SpriteChildrenUseTheParentMatrix)
{
    Scene s;
    ShapeMaker m;
    m.styles(std::nullopt, 1).rect(0, 0, 10, 10);
    s.addShape(1, {{solid(red)}, {}}, m.shape);
    DefineSprite sprite;
    sprite.id = 2;
    s.add(2, sprite);
    DisplayNode& sp = s.place(2, 1, translate(40, 40));
    s.placeIn(sp, 1, 1, translate(10, 0));
    const QImage img = s.render();
    EXPECT_EQ(at(img, 55, 45), qRgb(255, 0, 0));
    EXPECT_EQ(at(img, 45, 45), qRgb(255, 255, 255));
}

TEST(ShapeRender, AMillionEdgesAreCutAtTheLimitAndTheRestStillDraws)
{
    Scene s;
    ShapeMaker m;
    m.styles(std::nullopt, 1).rect(10, 10, 40, 40);
    // Then a zig-zag far beyond the edge limit.
    m.moveTo(60, 60);
    for (int i = 0; i < 1'000'000; ++i)
        m.shape.records.push_back(StraightEdgeRecord{Twips{i % 2 ? 1 : -1}, Twips{0}});
    s.addShape(1, {{solid(red)}, {}}, m.shape);
    s.place(1, 1);
    const QImage img = s.render();
    EXPECT_EQ(at(img, 20, 20), qRgb(255, 0, 0));
}

} // namespace

namespace {

// A horizontal line from (20, 50) to (80, 50), ten pixels wide, with the given caps.
QImage lineWithCap(CapStyle cap)
{
    Scene s;
    ShapeMaker m;
    m.styles(std::nullopt, std::nullopt, 1).moveTo(20, 50).lineTo(80, 50);
    LineStyle l = line(10, black);
    l.startCap = l.endCap = cap;
    s.addShape(1, {{}, {l}}, m.shape);
    s.place(1, 1);
    return s.render();
}

TEST(LineRender, CapsReachBeyondTheEndsAsTheyShould)
{
    const QImage round = lineWithCap(CapStyle::Round);
    const QImage none = lineWithCap(CapStyle::None);
    const QImage square = lineWithCap(CapStyle::Square);
    // Along the line every cap is drawn alike.
    for (const QImage* img : {&round, &none, &square})
        EXPECT_EQ(at(*img, 50, 50), qRgb(0, 0, 0));
    // Past the end on the axis: round and square caps reach, no cap does not.
    EXPECT_EQ(at(round, 17, 50), qRgb(0, 0, 0));
    EXPECT_EQ(at(square, 17, 50), qRgb(0, 0, 0));
    EXPECT_EQ(at(none, 17, 50), qRgb(255, 255, 255));
    // The corner of a square cap is covered, that of a round cap is not.
    EXPECT_EQ(at(square, 15, 45), qRgb(0, 0, 0));
    EXPECT_EQ(at(round, 15, 45), qRgb(255, 255, 255));
}

TEST(LineRender, MiterJoinsAreCutAtTheMiterLimit)
{
    // A sharp V; the miter of the tip reaches far unless the limit cuts it.
    auto render = [](double limit) {
        Scene s;
        ShapeMaker m;
        m.styles(std::nullopt, std::nullopt, 1).moveTo(20, 20).lineTo(50, 80).lineTo(80, 20);
        LineStyle l = line(6, black);
        l.join = JoinStyle::Miter;
        l.miterLimit = Fixed8::fromDouble(limit);
        s.addShape(1, {{}, {l}}, m.shape);
        s.place(1, 1);
        return s.render();
    };
    const QImage longMiter = render(10);
    const QImage cut = render(1);
    EXPECT_EQ(at(longMiter, 50, 85), qRgb(0, 0, 0));
    EXPECT_EQ(at(cut, 50, 85), qRgb(255, 255, 255));
}

TEST(LineRender, HairlinesAndThinLinesStayOnePixelWide)
{
    for (double scaleFactor : {1.0, 0.05}) {
        Scene s;
        ShapeMaker m;
        m.styles(std::nullopt, std::nullopt, 1).moveTo(0, 1000).lineTo(2000, 1000);
        s.addShape(1, {{}, {line(0, black)}}, m.shape, rectPx(0, 0, 2000, 2000));
        // Scaled so that the line lies at y = 50 either way.
        s.place(1, 1, scale(scaleFactor, scaleFactor, 0, 50 - 1000 * scaleFactor));
        const QImage img = s.render();
        int dark = 0;
        for (int y = 40; y < 60; ++y)
            dark += qRed(at(img, 50, y)) < 128;
        EXPECT_EQ(dark, 1) << scaleFactor;
    }
}

TEST(LineRender, NonScalingLinesKeepTheirWidth)
{
    Scene s;
    ShapeMaker m;
    m.styles(std::nullopt, std::nullopt, 1).moveTo(0, 10).lineTo(20, 10);
    LineStyle l = line(2, black);
    l.noHScale = l.noVScale = true;
    s.addShape(1, {{}, {l}}, m.shape);
    s.place(1, 1, scale(4, 4)); // the line lies at y = 40, still two pixels wide
    const QImage img = s.render();
    int dark = 0;
    for (int y = 30; y < 50; ++y)
        dark += qRed(at(img, 40, y)) < 128;
    EXPECT_EQ(dark, 2);
}

TEST(LineRender, LineFilledWithAGradient)
{
    Scene s;
    ShapeMaker m;
    m.styles(std::nullopt, std::nullopt, 1).moveTo(0, 50).lineTo(100, 50);
    LineStyle l = line(10, black);
    FillStyle g;
    g.type = FillType::LinearGradient;
    g.gradient.records = {{0, red}, {255, blue}};
    g.gradient.matrix = scale(2000.0 / 32768, 1, 50, 0);
    l.fill = g;
    s.addShape(1, {{}, {l}}, m.shape);
    s.place(1, 1);
    const QImage img = s.render();
    EXPECT_GT(qRed(at(img, 3, 50)), 200);
    EXPECT_GT(qBlue(at(img, 97, 50)), 200);
}

DefineMorphShape growingSquare()
{
    // A square from 10..20 growing to 10..90, red turning blue.
    DefineMorphShape m;
    m.id = 1;
    m.startBounds = rectPx(10, 10, 20, 20);
    m.endBounds = rectPx(10, 10, 90, 90);
    MorphFillStyle f;
    f.type = FillType::Solid;
    f.startColor = red;
    f.endColor = blue;
    m.fills = {f};
    ShapeMaker start;
    start.styles(std::nullopt, 1).rect(10, 10, 20, 20);
    ShapeMaker end;
    end.rect(10, 10, 90, 90);
    m.startEdges = start.shape;
    m.endEdges = end.shape;
    return m;
}

TEST(MorphRender, StartHalfAndEnd)
{
    struct Case {
        std::uint16_t ratio;
        bool coversFifty;
        bool coversSixty;
        QRgb color; // at (15, 15)
    };
    const Case cases[] = {
        {0, false, false, qRgb(255, 0, 0)},
        {32768, true, false, qRgb(127, 0, 128)},
        {65535, true, true, qRgb(0, 0, 255)},
    };
    for (const Case& c : cases) {
        Scene s;
        s.add(1, growingSquare());
        s.place(1, 1).ratio = c.ratio;
        const QImage img = s.render();
        EXPECT_EQ(at(img, 48, 48) != qRgb(255, 255, 255), c.coversFifty) << c.ratio;
        EXPECT_EQ(at(img, 60, 60) != qRgb(255, 255, 255), c.coversSixty) << c.ratio;
        const QRgb px = at(img, 15, 15);
        EXPECT_NEAR(qRed(px), qRed(c.color), 2) << c.ratio;
        EXPECT_NEAR(qBlue(px), qBlue(c.color), 2) << c.ratio;
    }
}

TEST(MorphRender, StraightStartEdgeMeetsCurvedEndEdge)
{
    DefineMorphShape m = growingSquare();
    ShapeMaker end;
    end.moveTo(10, 10).curveTo(50, -30, 90, 10).lineTo(90, 90).lineTo(10, 90).lineTo(10, 10);
    m.endEdges = end.shape;
    Scene s;
    s.add(1, m);
    s.place(1, 1).ratio = 65535;
    const QImage img = s.render();
    EXPECT_EQ(at(img, 50, 5), qRgb(0, 0, 255)); // inside the bulge of the end shape
}

TEST(ShapeLimits, EdgeLimitCutsTheShapeButKeepsWhatCameBefore)
{
    ShapeMaker m;
    m.styles(std::nullopt, 1).rect(0, 0, 10, 10).rect(20, 0, 30, 10);
    const swf::render::ShapeGeometry g = swf::render::buildShape({{solid(red)}, {}}, m.shape, false, 4);
    EXPECT_TRUE(g.cut);
    EXPECT_EQ(g.edges, 4u);
    ASSERT_EQ(g.groups.size(), 1u);
    EXPECT_TRUE(g.groups[0].fillPaths[0].contains(QPointF(100, 100)));
    EXPECT_FALSE(g.groups[0].fillPaths[0].contains(QPointF(500, 100)));
}

TEST(ShapeLimits, StyleIndicesBeyondTheArraysAreIgnored)
{
    Scene s;
    ShapeMaker m;
    m.styles(7, 9, 12).rect(10, 10, 50, 50);
    s.addShape(1, {{solid(red)}, {line(1, black)}}, m.shape);
    s.place(1, 1);
    const QImage img = s.render();
    EXPECT_EQ(at(img, 30, 30), qRgb(255, 255, 255));
}

} // namespace
