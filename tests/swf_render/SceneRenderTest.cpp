// Display trees: masks, blend modes, filters, text, hit tests, bounds and limits.
#include "tests/swf_render/RenderTestSupport.h"

#include "swf/render/Filters.h"
#include "swf/render/TextRender.h"

#include <gtest/gtest.h>

using namespace rt;

namespace {

const Rgba red{255, 0, 0, 255};
const Rgba blue{0, 0, 255, 255};
const Rgba black{0, 0, 0, 255};

void addRect(Scene& s, std::uint16_t id, double x0, double y0, double x1, double y1, Rgba color)
{
    ShapeMaker m;
    m.styles(std::nullopt, 1).rect(x0, y0, x1, y1);
    s.addShape(id, {{solid(color)}, {}}, m.shape, rectPx(x0, y0, x1, y1));
}

TEST(MaskRender, ClipDepthMasksTheFollowingSiblingsOnly)
{
    Scene s;
    addRect(s, 1, 0, 0, 50, 100, black);  // the mask: left half
    addRect(s, 2, 0, 0, 100, 50, red);    // masked: top band
    addRect(s, 3, 0, 50, 100, 100, blue); // above the clip depth: not masked
    s.place(1, 1).clipDepth = 2;
    s.place(2, 2);
    s.place(3, 3);
    const QImage img = s.render();
    EXPECT_EQ(at(img, 25, 25), qRgb(255, 0, 0));     // inside the mask
    EXPECT_EQ(at(img, 75, 25), qRgb(255, 255, 255)); // outside it: cut away
    EXPECT_EQ(at(img, 75, 75), qRgb(0, 0, 255));     // not masked at all
    EXPECT_NE(at(img, 25, 75), qRgb(0, 0, 0));       // the mask itself is not drawn
}

TEST(MaskRender, MaskLinesDoNotWidenTheMask)
{
    Scene s;
    ShapeMaker m;
    m.styles(std::nullopt, 1, 1).rect(20, 20, 80, 80);
    s.addShape(1, {{solid(black)}, {line(20, black)}}, m.shape);
    addRect(s, 2, 0, 0, 100, 100, red);
    s.place(1, 1).clipDepth = 2;
    s.place(2, 2);
    const QImage img = s.render();
    EXPECT_EQ(at(img, 50, 50), qRgb(255, 0, 0));
    EXPECT_EQ(at(img, 15, 50), qRgb(255, 255, 255));
}

TEST(MaskRender, DeeplyNestedMasksStayWithinTheLayerBudget)
{
    // Each level masks the next: the renderer may leave masks out past its budget,
    // but draws and returns.
    Scene s;
    addRect(s, 1, 0, 0, 100, 100, black);
    addRect(s, 2, 10, 10, 90, 90, red);
    DefineSprite sprite;
    sprite.id = 3;
    s.add(3, sprite);
    DisplayNode* parent = &s.root;
    for (int level = 0; level < 60; ++level) {
        parent->children.reserve(3);
        s.placeIn(*parent, 1, 1).clipDepth = 3;
        s.placeIn(*parent, 2, 2);
        parent = &s.placeIn(*parent, 3, 3);
    }
    swf::render::Renderer r(s.library);
    const QImage img = s.renderWith(r, 1000, 1000, true);
    EXPECT_EQ(at(img, 50, 50), qRgb(255, 0, 0));
}

TEST(BlendRender, MultiplyAndScreenOverTheBackground)
{
    struct Case {
        BlendMode mode;
        QRgb expected;
    };
    // Red over a grey background.
    const Case cases[] = {
        {BlendMode::Normal, qRgb(255, 0, 0)},
        {BlendMode::Multiply, qRgb(128, 0, 0)},
        {BlendMode::Screen, qRgb(255, 128, 128)},
        {BlendMode::Difference, qRgb(127, 128, 128)},
        {BlendMode::Add, qRgb(255, 128, 128)},
        {BlendMode::Subtract, qRgb(0, 128, 128)},
        {BlendMode::Invert, qRgb(127, 127, 127)},
    };
    for (const Case& c : cases) {
        Scene s;
        addRect(s, 1, 0, 0, 100, 100, red);
        s.place(1, 1).blendMode = c.mode;
        const QImage img = s.render(100, 100, false, QColor(128, 128, 128));
        const QRgb p = at(img, 50, 50);
        EXPECT_NEAR(qRed(p), qRed(c.expected), 2) << int(c.mode);
        EXPECT_NEAR(qGreen(p), qGreen(c.expected), 2) << int(c.mode);
        EXPECT_NEAR(qBlue(p), qBlue(c.expected), 2) << int(c.mode);
    }
}

TEST(BlendRender, EraseCutsIntoALayeredParentOnly)
{
    auto render = [](BlendMode parentMode) {
        Scene s;
        addRect(s, 1, 0, 0, 100, 100, blue);
        addRect(s, 2, 25, 25, 75, 75, red);
        DefineSprite sprite;
        sprite.id = 3;
        s.add(3, sprite);
        DisplayNode& group = s.place(3, 1);
        group.blendMode = parentMode;
        s.placeIn(group, 1, 1);
        s.placeIn(group, 2, 2).blendMode = BlendMode::Erase;
        return s.render();
    };
    EXPECT_EQ(at(render(BlendMode::Layer), 50, 50), qRgb(255, 255, 255)); // erased to the stage
    EXPECT_EQ(at(render(BlendMode::Normal), 50, 50), qRgb(0, 0, 255));    // no layer: nothing erased
}

TEST(BlendRender, LayerFadesTheGroupAsAWhole)
{
    Scene s;
    addRect(s, 1, 0, 0, 60, 100, black);
    addRect(s, 2, 40, 0, 100, 100, black);
    DefineSprite sprite;
    sprite.id = 3;
    s.add(3, sprite);
    DisplayNode& group = s.place(3, 1);
    group.blendMode = BlendMode::Layer;
    group.colorTransform.alphaMult = Fixed8::fromDouble(0.5);
    s.placeIn(group, 1, 1);
    s.placeIn(group, 2, 2);
    const QImage img = s.render();
    // The overlap is no darker than the rest.
    EXPECT_NEAR(qRed(at(img, 50, 50)), qRed(at(img, 20, 50)), 2);
}

TEST(FilterRender, BlurSpreadsAndShadowFalls)
{
    Scene s;
    addRect(s, 1, 40, 40, 60, 60, black);
    DisplayNode& blurred = s.place(1, 1);
    BlurFilter blur;
    blur.blurX = blur.blurY = Fixed16::fromDouble(10);
    blurred.filters = {blur};
    const QImage img = s.render();
    EXPECT_LT(qRed(at(img, 37, 50)), 250); // spread beyond the square
    EXPECT_GT(qRed(at(img, 41, 50)), 0);   // softened inside the edge

    Scene d;
    addRect(d, 1, 20, 20, 40, 40, red);
    DropShadowFilter shadow;
    shadow.color = black;
    shadow.distance = Fixed16::fromDouble(30);
    shadow.angle = Fixed16::fromDouble(0); // to the right
    shadow.strength = Fixed8::fromDouble(1);
    shadow.compositeSource = true;
    d.place(1, 1).filters = {shadow};
    const QImage simg = d.render();
    EXPECT_EQ(at(simg, 30, 30), qRgb(255, 0, 0));
    EXPECT_EQ(at(simg, 60, 30), qRgb(0, 0, 0));
}

TEST(FilterRender, BlurIsABoxAsWideAsItsSize)
{
    // One opaque pixel blurred along x: a box of `blur` pixels, parts of pixels at its
    // ends when the size is not odd; narrow blurs of two or more take three whole pixels.
    struct Case {
        double blur;
        std::vector<int> alphas; // at the pixel and 1, 2, ... to its side
    } cases[] = {
        {1, {255, 0}},
        {2, {85, 85, 0}},
        {4, {63, 63, 31, 0}},
        {5, {51, 51, 51, 0}},
        {20, {12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 6, 0}},
    };
    for (const Case& c : cases) {
        QImage line(41, 1, QImage::Format_ARGB32_Premultiplied);
        line.fill(Qt::transparent);
        line.setPixel(20, 0, qRgba(255, 255, 255, 255));
        swf::render::boxBlur(line, c.blur, 0, 1);
        for (std::size_t i = 0; i < c.alphas.size(); ++i) {
            EXPECT_EQ(qAlpha(line.pixel(20 + int(i), 0)), c.alphas[i]) << c.blur << " at +" << i;
            EXPECT_EQ(qAlpha(line.pixel(20 - int(i), 0)), c.alphas[i]) << c.blur << " at -" << i;
        }
    }
}

TEST(FilterRender, OuterBevelShowsThroughASeeThroughObjectOnce)
{
    // A half-transparent black square with a blue highlight falling inside its right edge:
    // the object drawn over the bevel halves it once (blue well above red there), it is not
    // also cut by the object's alpha beforehand.
    Scene s;
    addRect(s, 1, 30, 30, 70, 70, Rgba{0, 0, 0, 128});
    BevelFilter bevel;
    bevel.highlightColor = blue;
    bevel.shadowColor = red;
    bevel.blurX = bevel.blurY = Fixed16::fromDouble(2);
    bevel.distance = Fixed16::fromDouble(4);
    bevel.angle = Fixed16::fromDouble(0);
    bevel.strength = Fixed8::fromDouble(1);
    bevel.compositeSource = true;
    s.place(1, 1).filters = {bevel};
    const QImage img = s.render();
    const QRgb inside = at(img, 67, 50);
    EXPECT_GT(qBlue(inside) - qRed(inside), 50);
    EXPECT_NEAR(qRed(at(img, 50, 50)), 127, 2); // the middle: just the object over white
}

TEST(FilterRender, GradientGlowAndBevelTakeTheirColoursFromTheGradient)
{
    // Glow: transparent far out, red where the glow is strongest, the black square on top.
    GradientFilter glow;
    glow.colors = {Rgba{255, 0, 0, 0}, Rgba{255, 0, 0, 255}};
    glow.ratios = {0, 255};
    glow.blurX = glow.blurY = Fixed16::fromDouble(6);
    glow.strength = Fixed8::fromDouble(2);
    glow.compositeSource = true;
    Scene g;
    addRect(g, 1, 40, 40, 60, 60, black);
    g.place(1, 1).filters = {glow};
    const QImage gi = g.render();
    EXPECT_EQ(at(gi, 50, 50), qRgb(0, 0, 0));
    EXPECT_EQ(at(gi, 20, 50), qRgb(255, 255, 255));
    const QRgb near = at(gi, 61, 50);
    EXPECT_EQ(qRed(near), 255);
    EXPECT_LT(qGreen(near), 200); // reddened

    // Inner bevel, light along x: one inner edge takes the first colour (white), the
    // other the last (blue); the middle ratio is transparent, so the centre stays black.
    GradientFilter bevel;
    bevel.bevel = true;
    bevel.inner = true;
    bevel.colors = {Rgba{255, 255, 255, 255}, Rgba{0, 0, 0, 0}, Rgba{0, 0, 255, 255}};
    bevel.ratios = {0, 128, 255};
    bevel.blurX = bevel.blurY = Fixed16::fromDouble(3);
    bevel.distance = Fixed16::fromDouble(3);
    bevel.angle = Fixed16::fromDouble(0);
    bevel.strength = Fixed8::fromDouble(1);
    bevel.compositeSource = true;
    Scene b;
    addRect(b, 1, 30, 30, 70, 70, black);
    b.place(1, 1).filters = {bevel};
    const QImage bi = b.render();
    EXPECT_EQ(at(bi, 50, 50), qRgb(0, 0, 0));
    EXPECT_GT(qGreen(at(bi, 68, 50)), 100);                      // white side
    EXPECT_GT(qBlue(at(bi, 31, 50)), qGreen(at(bi, 31, 50)) + 50); // blue side
    EXPECT_EQ(at(bi, 20, 50), qRgb(255, 255, 255));               // nothing outside
}

TEST(FilterRender, ConvolutionMovesAndCostLimits)
{
    auto draw = [](const ConvolutionFilter& f) {
        Scene s;
        addRect(s, 1, 40, 40, 60, 60, black);
        s.place(1, 1).filters = {f};
        return s.render();
    };
    Scene plainScene;
    addRect(plainScene, 1, 40, 40, 60, 60, black);
    plainScene.place(1, 1);
    const QImage plain = plainScene.render();

    ConvolutionFilter identity;
    identity.matrixX = identity.matrixY = 3;
    identity.matrix = {0, 0, 0, 0, 1, 0, 0, 0, 0};
    EXPECT_EQ(draw(identity), plain);

    // One row taking the left neighbour: the square moves a pixel to the right.
    ConvolutionFilter shift;
    shift.matrixX = 3;
    shift.matrixY = 1;
    shift.matrix = {1, 0, 0};
    const QImage moved = draw(shift);
    EXPECT_EQ(at(moved, 40, 50), qRgb(255, 255, 255));
    EXPECT_EQ(at(moved, 60, 50), qRgb(0, 0, 0));

    // A matrix of the wrong size, a zero divisor and a matrix too costly to run: the object
    // is still drawn.
    ConvolutionFilter broken = identity;
    broken.matrix.pop_back();
    EXPECT_EQ(draw(broken), plain);
    ConvolutionFilter zero = identity;
    zero.divisor = 0;
    EXPECT_EQ(draw(zero), plain);
    ConvolutionFilter huge;
    huge.matrixX = huge.matrixY = 255;
    huge.matrix.assign(255 * 255, 1.0f);
    Scene big;
    addRect(big, 1, 0, 0, 400, 400, black);
    big.place(1, 1).filters = {huge};
    EXPECT_EQ(at(big.render(100, 100), 50, 50), qRgb(0, 0, 0));
}

TEST(FilterRender, FilteredAndCachedObjectsSitOnWholePixels)
{
    // A square at 20.3 px: drawn plainly its left column is partly covered; through a
    // filter or cached as a bitmap its bounds start on pixel 20 exactly.
    ColorMatrixFilter identity;
    for (int i = 0; i < 4; ++i)
        identity.matrix[i * 6] = 1;
    auto draw = [&](int how) {
        Scene s;
        addRect(s, 1, 20, 20, 40, 40, black);
        DisplayNode& n = s.place(1, 1, translate(0.3, 0.3));
        if (how == 1)
            n.filters = {identity};
        else if (how == 2)
            n.cacheAsBitmap = true;
        return s.render(100, 100, true);
    };
    const QImage plain = draw(0);
    EXPECT_GT(qRed(at(plain, 20, 30)), 0);
    EXPECT_LT(qRed(at(plain, 20, 30)), 255);
    for (int how : {1, 2}) {
        const QImage img = draw(how);
        EXPECT_EQ(at(img, 20, 30), qRgb(0, 0, 0)) << how;
        EXPECT_EQ(at(img, 19, 30), qRgb(255, 255, 255)) << how;
        EXPECT_EQ(at(img, 39, 39), qRgb(0, 0, 0)) << how;
        EXPECT_EQ(at(img, 40, 30), qRgb(255, 255, 255)) << how;
    }
}

TEST(FilterRender, HugeFiltersAreClampedAndStillDraw)
{
    Scene s;
    addRect(s, 1, 40, 40, 60, 60, red);
    BlurFilter blur;
    blur.blurX = blur.blurY = Fixed16::fromDouble(30000);
    blur.passes = 255;
    GlowFilter glow;
    glow.color = blue;
    glow.blurX = glow.blurY = Fixed16::fromDouble(30000);
    glow.strength = Fixed8::fromDouble(255);
    glow.passes = 255;
    s.place(1, 1).filters = {blur, glow};
    const QImage img = s.render(200, 200);
    EXPECT_FALSE(img.isNull());
}

TEST(TextRender, StaticTextFromEmbeddedGlyphs)
{
    Scene s;
    DefineFont font;
    font.version = 2;
    font.id = 1;
    ShapeMaker glyph; // a square em: 1024 units wide, standing on the baseline
    glyph.styles(std::nullopt, 1).rect(0, -51.2, 51.2, 0);
    font.glyphs = {glyph.shape};
    font.codes = {'A'};
    s.add(1, font);
    DefineText text;
    text.id = 2;
    text.bounds = rectPx(0, 0, 100, 100);
    TextRecord rec;
    rec.fontId = 1;
    rec.height = px(20);
    rec.color = blue;
    rec.xOffset = px(10);
    rec.yOffset = px(50);
    rec.glyphs = {{0, static_cast<std::int32_t>(px(30).value)}, {0, 0}};
    text.records = {rec};
    s.add(2, text);
    s.place(2, 1);
    const QImage img = s.render();
    EXPECT_EQ(at(img, 20, 40), qRgb(0, 0, 255)); // first glyph
    EXPECT_EQ(at(img, 50, 40), qRgb(0, 0, 255)); // second, one advance further
    EXPECT_EQ(at(img, 35, 40), qRgb(255, 255, 255));
    EXPECT_EQ(at(img, 20, 55), qRgb(255, 255, 255)); // below the baseline
}

// Edit text 1 in a device font: black, `height` pixels high, in `bounds` (pixels).
DefineEditText deviceEdit(double x0, double y0, double x1, double y1, double height)
{
    DefineEditText edit;
    edit.id = 1;
    edit.bounds = rectPx(x0, y0, x1, y1);
    edit.fontHeight = px(height);
    edit.textColor = black;
    return edit;
}

TEST(TextRender, EditTextFrameBackgroundAndDeviceText)
{
    Scene s;
    DefineEditText edit = deviceEdit(10, 10, 90, 60, 20);
    edit.border = true;
    s.add(1, edit);
    DisplayNode& n = s.place(1, 1);
    n.text = QStringLiteral("HHHH");
    const QImage img = s.render(100, 100, false, QColor(128, 128, 128));
    EXPECT_EQ(at(img, 10, 10), qRgb(0, 0, 0));         // frame
    EXPECT_EQ(at(img, 85, 55), qRgb(255, 255, 255));   // background
    EXPECT_EQ(at(img, 5, 5), qRgb(128, 128, 128));     // outside
    int dark = 0;
    for (int y = 12; y < 40; ++y)
        for (int x = 12; x < 88; ++x)
            dark += qRed(at(img, x, y)) < 100;
    EXPECT_GT(dark, 20); // some text was drawn
}

TEST(TextRender, DeviceTextAtQualityLowIsFilledOutlinesAtWholePixelSteps)
{
    // "HHHH" in a device font at several sizes: at quality low only pure text or background
    // colours (filled outlines, no grey edges), and each H is the one before moved by the
    // same whole number of pixels.
    for (double height = 14; height < 24; height += 0.7) {
        Scene s;
        s.add(1, deviceEdit(0, 0, 100, 40, height));
        s.place(1, 1).text = QStringLiteral("HHHH");
        const QImage img = s.render(100, 40);
        std::vector<int> columns; // left edges of dark runs on a row through the stems
        for (int y = 0; y < 40 && columns.size() != 8; ++y) {
            columns.clear();
            bool dark = false;
            for (int x = 0; x < 100; ++x) {
                const int r = qRed(at(img, x, y));
                EXPECT_TRUE(r == 0 || r == 255) << x << "," << y;
                if (r == 0 && !dark)
                    columns.push_back(x);
                dark = r == 0;
            }
        }
        ASSERT_EQ(columns.size(), 8u) << height; // two stems per H
        for (std::size_t i = 2; i < columns.size(); ++i)
            EXPECT_EQ(columns[i] - columns[i - 2], columns[2] - columns[0]) << height << " letter " << i / 2;
    }
}

TEST(TextRender, ScrolledEditTextShowsItsLaterLinesAtTheTop)
{
    // A box one line high: three lines, one shown, scrolling down to the third. Scrolled
    // to line 2, it looks exactly like the same box holding only "two" and "three".
    auto picture = [](const QString& text, int scroll, swf::render::EditTextLines* lines = nullptr) {
        Scene s;
        DefineEditText edit = deviceEdit(0, 0, 80, 20, 12);
        edit.multiline = true;
        s.add(1, edit);
        DisplayNode& n = s.place(1, 1);
        n.text = text;
        n.scroll = scroll;
        if (lines) {
            swf::render::Renderer r(s.library);
            *lines = r.editTextLines(n);
        }
        return s.render(80, 20);
    };
    swf::render::EditTextLines lines;
    const QImage first = picture(QStringLiteral("one\rtwo\rthree"), 1, &lines);
    EXPECT_EQ(lines.count, 3);
    EXPECT_EQ(lines.visible, 1);
    EXPECT_EQ(lines.maxScroll(), 3);
    const QImage second = picture(QStringLiteral("one\rtwo\rthree"), 2);
    EXPECT_NE(first, second);
    EXPECT_EQ(second, picture(QStringLiteral("two\rthree"), 1));
    EXPECT_EQ(picture(QStringLiteral("one\rtwo\rthree"), 99), picture(QStringLiteral("three"), 1)); // clamped
}

TEST(TextRender, HtmlIsReducedToItsText)
{
    DefineEditText edit;
    edit.html = true;
    edit.multiline = true;
    EXPECT_EQ(swf::render::TextRender::visibleText(edit, QStringLiteral("<p><b>a&amp;b</b></p><p>c</p>")),
              QStringLiteral("a&b\nc"));
    edit.multiline = false;
    edit.html = false;
    EXPECT_EQ(swf::render::TextRender::visibleText(edit, QStringLiteral("a\r\nb")), QStringLiteral("a b"));
    edit.password = true;
    EXPECT_EQ(swf::render::TextRender::visibleText(edit, QStringLiteral("abc")), QStringLiteral("***"));
}

TEST(HitTestAndBounds, ShapesSpritesAndText)
{
    Scene s;
    addRect(s, 1, 10, 10, 50, 50, red);
    DefineSprite sprite;
    sprite.id = 2;
    s.add(2, sprite);
    DisplayNode& sp = s.place(2, 1, translate(100, 0));
    s.placeIn(sp, 1, 1);
    s.placeIn(sp, 1, 2, translate(100, 100));
    swf::render::Renderer r(s.library);
    const QTransform toStage = swf::render::toQTransform(sp.matrix);
    EXPECT_TRUE(r.hitTest(sp, toStage, QPointF(120 * 20, 20 * 20)));
    EXPECT_FALSE(r.hitTest(sp, toStage, QPointF(20 * 20, 20 * 20)));
    EXPECT_TRUE(r.hitTest(sp, toStage, QPointF(220 * 20, 120 * 20)));
    EXPECT_FALSE(r.hitTest(sp, toStage, QPointF(180 * 20, 80 * 20)));
    EXPECT_EQ(r.bounds(sp), QRectF(200, 200, 2800, 2800));
}

TEST(QualityLow, DrawsWithoutAntiAliasing)
{
    Scene s;
    ShapeMaker m;
    m.styles(std::nullopt, 1).moveTo(10, 10).lineTo(90, 30).lineTo(30, 90).lineTo(10, 10);
    s.addShape(1, {{solid(black)}, {}}, m.shape);
    s.place(1, 1);
    auto greys = [](const QImage& img) {
        int n = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                n += qRed(img.pixel(x, y)) != 0 && qRed(img.pixel(x, y)) != 255;
        return n;
    };
    EXPECT_EQ(greys(s.render(100, 100, false)), 0);
    EXPECT_GT(greys(s.render(100, 100, true)), 0);
}

} // namespace
