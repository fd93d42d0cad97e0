// Nine-slice scaling: shapes directly inside a sprite with a scaling grid keep their
// corners when the sprite is scaled.
#include "tests/swf_render/RenderTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace rt;

namespace {

constexpr std::uint16_t cellsId = 1, spriteId = 10;

// The 3x3 cells of the test shape: columns 0-10, 10-30, 30-50 px, rows 0-10, 10-30,
// 30-40 px, each in a colour of its own. The grid runs along the inner cell edges.
const double cellX[] = {0, 10, 30, 50};
const double cellY[] = {0, 10, 30, 40};

Rgba cellColor(int col, int row)
{
    return Rgba{static_cast<std::uint8_t>(40 + 100 * col), static_cast<std::uint8_t>(40 + 100 * row), 128, 255};
}

void addCells(Scene& s)
{
    ShapeStyles styles;
    ShapeMaker m;
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 3; ++col) {
            styles.fills.push_back(solid(cellColor(col, row)));
            m.styles(std::nullopt, static_cast<std::uint32_t>(styles.fills.size()))
                .rect(cellX[col], cellY[row], cellX[col + 1], cellY[row + 1]);
        }
    s.addShape(cellsId, styles, m.shape, rectPx(0, 0, 50, 40));
}

// A sprite holding `child`, placed with `m`; with a grid when `grid` is given.
DisplayNode& placeSprite(Scene& s, std::uint16_t child, Matrix m, std::optional<Rect> grid)
{
    DefineSprite sprite;
    sprite.id = spriteId;
    s.add(spriteId, sprite);
    if (grid)
        s.library.scalingGrids[spriteId] = *grid;
    DisplayNode& node = s.place(spriteId, 1, m);
    s.placeIn(node, child, 1);
    return node;
}

QImage renderCells(Matrix m, std::optional<Rect> grid)
{
    Scene s;
    addCells(s);
    placeSprite(s, cellsId, m, grid);
    return s.render(160, 130);
}

Matrix rotated(double degrees, double sx, double sy, double x, double y)
{
    const double r = degrees * M_PI / 180;
    Matrix m = translate(x, y);
    m.scaleX = Fixed16::fromDouble(sx * std::cos(r));
    m.rotateSkew0 = Fixed16::fromDouble(sx * std::sin(r));
    m.rotateSkew1 = Fixed16::fromDouble(-sy * std::sin(r));
    m.scaleY = Fixed16::fromDouble(sy * std::cos(r));
    return m;
}

const Rect grid = rectPx(10, 10, 30, 30);

TEST(NineSliceRender, CornersKeepTheirSizeAndEdgesStretch)
{
    struct Case {
        const char* name;
        Matrix matrix;
        double xs[4]; // where the cells' columns end up on the stage, in pixels
        double ys[4];
    };
    const Case cases[] = {
        {"unscaled", scale(1, 1), {0, 10, 30, 50}, {0, 10, 30, 40}},
        {"3x wide", scale(3, 1), {0, 10, 130, 150}, {0, 10, 30, 40}},
        {"3x tall", scale(1, 3), {0, 10, 30, 50}, {0, 10, 110, 120}},
        // 25 px wide is less than the 30 px the corners need: they shrink alike and
        // the middle column goes. 20 px tall is just what the corners need.
        {"half size", scale(0.5, 0.5), {0, 25.0 / 3, 25.0 / 3, 25}, {0, 10, 10, 20}},
        // Mirrored: the left corner of the shape lies on the right, still 10 px wide.
        {"3x wide mirrored", scale(-3, 1, 150, 0), {150, 140, 20, 0}, {0, 10, 30, 40}},
    };
    for (const Case& c : cases) {
        const QImage img = renderCells(c.matrix, grid);
        for (int row = 0; row < 3; ++row)
            for (int col = 0; col < 3; ++col) {
                const double x0 = std::min(c.xs[col], c.xs[col + 1]), x1 = std::max(c.xs[col], c.xs[col + 1]);
                const double y0 = c.ys[row], y1 = c.ys[row + 1];
                if (x1 - x0 < 3 || y1 - y0 < 3)
                    continue; // squeezed away
                const Rgba e = cellColor(col, row);
                const QRgb expected = qRgb(e.r, e.g, e.b);
                // Just inside each corner of where the cell should be.
                for (const double x : {x0 + 1.5, x1 - 1.5})
                    for (const double y : {y0 + 1.5, y1 - 1.5})
                        EXPECT_EQ(at(img, int(x), int(y)), expected) << c.name << " cell " << col << "," << row
                                                                    << " at " << x << "," << y;
            }
        const double right = std::max(c.xs[0], c.xs[3]);
        EXPECT_EQ(at(img, int(right) + 1, 5), qRgb(255, 255, 255)) << c.name << ": covers only its scaled bounds";
    }
}

TEST(NineSliceRender, DrawsAsWithoutAGridWhereSlicingDoesNotApply)
{
    struct Case {
        const char* name;
        Matrix matrix;
        Rect grid;
    };
    const Case cases[] = {
        {"turned", rotated(30, 2, 1, 60, 10), grid},
        {"skewed", [] {
             Matrix m = scale(2, 1, 20, 10);
             m.rotateSkew1 = Fixed16::fromDouble(0.5);
             return m;
         }(),
         grid},
        {"empty grid", scale(3, 1), rectPx(20, 10, 20, 30)},
        {"inverted grid", scale(3, 1), rectPx(30, 30, 10, 10)},
        {"grid outside the bounds", scale(3, 1), rectPx(60, 10, 80, 30)},
    };
    for (const Case& c : cases) {
        const QImage plain = renderCells(c.matrix, std::nullopt);
        EXPECT_EQ(renderCells(c.matrix, c.grid), plain) << c.name;
    }
}

TEST(NineSliceRender, OnlyShapesDirectlyInsideTheGridSpriteAreSliced)
{
    // The shape sits in a sprite inside the grid sprite: drawn scaled as a whole.
    auto render = [](std::optional<Rect> g) {
        Scene s;
        addCells(s);
        DefineSprite inner;
        inner.id = 20;
        s.add(20, inner);
        DisplayNode& outer = placeSprite(s, 20, scale(3, 1), g);
        s.placeIn(outer.children.back(), cellsId, 1);
        return s.render(160, 130);
    };
    EXPECT_EQ(render(grid), render(std::nullopt));
}

TEST(NineSliceRender, SlicedShapesFollowTheScaleFromFrameToFrame)
{
    // One renderer draws the sprite wide, then tall: the second picture is not the
    // first one's sliced shape over again.
    Scene s;
    addCells(s);
    DisplayNode& sprite = placeSprite(s, cellsId, scale(3, 1), grid);
    swf::render::Renderer r(s.library);
    s.renderWith(r, 160, 130, false);
    sprite.matrix = scale(1, 3);
    const QImage tall = s.renderWith(r, 160, 130, false);
    EXPECT_EQ(tall, renderCells(scale(1, 3), grid));
}

TEST(NineSliceRender, HitTestsFollowTheSlicedShape)
{
    // A frame 10 px thick on the left, 20 px on the right, around a hole at 10-30 px.
    Scene s;
    ShapeMaker m;
    m.styles(std::nullopt, 1).rect(0, 0, 50, 40).rectCcw(10, 10, 30, 30);
    s.addShape(cellsId, {{solid(Rgba{0, 0, 0, 255})}, {}}, m.shape, rectPx(0, 0, 50, 40));
    DisplayNode& sprite = placeSprite(s, cellsId, scale(3, 1), grid);
    swf::render::Renderer r(s.library);
    const QTransform toStage = swf::render::toQTransform(sprite.matrix);
    auto hits = [&](double x, double y) { return r.hitTest(sprite, toStage, QPointF(x * 20, y * 20)); };
    EXPECT_TRUE(hits(5, 20));    // the left border, still 10 px
    EXPECT_FALSE(hits(20, 20));  // scaled as a whole this would be the border
    EXPECT_FALSE(hits(120, 20)); // the hole reaches to 20 px before the right end
    EXPECT_TRUE(hits(140, 20));
    EXPECT_TRUE(hits(75, 5)); // the top border spans the width
}

} // namespace
