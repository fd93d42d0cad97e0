// Shapes drawn from hand-made records: fill sides, holes, style arrays, lines, limits.
#include "tests/swf_render/RenderTestSupport.h"

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
