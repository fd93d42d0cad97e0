// Scenes made of random records, styles, matrices, filters and masks: the renderer must
// draw or skip them without crashing or allocating without bound.
#include "tests/swf_render/RenderTestSupport.h"

#include <gtest/gtest.h>

#include <random>

using namespace rt;

namespace {

class Random {
public:
    explicit Random(unsigned seed)
        : gen_(seed)
    {
    }
    int range(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(gen_); }
    bool chance(int percent) { return range(0, 99) < percent; }
    Twips twips() { return Twips{chance(10) ? range(-(1 << 30), 1 << 30) : range(-4000, 4000)}; }
    Rgba color() { return Rgba{std::uint8_t(range(0, 255)), std::uint8_t(range(0, 255)), std::uint8_t(range(0, 255)), std::uint8_t(range(0, 255))}; }
    Fixed16 fixed16() { return Fixed16{chance(10) ? range(-(1 << 30), 1 << 30) : range(-200000, 200000)}; }
    Matrix matrix()
    {
        Matrix m;
        m.scaleX = fixed16();
        m.scaleY = fixed16();
        m.rotateSkew0 = chance(30) ? fixed16() : Fixed16{};
        m.rotateSkew1 = chance(30) ? fixed16() : Fixed16{};
        m.translateX = twips();
        m.translateY = twips();
        return m;
    }

private:
    std::mt19937 gen_;
};

FillStyle randomFill(Random& r)
{
    FillStyle f;
    const FillType types[] = {FillType::Solid, FillType::LinearGradient, FillType::RadialGradient,
                              FillType::FocalRadialGradient, FillType::RepeatingBitmap, FillType::ClippedBitmap,
                              FillType::NonSmoothedRepeatingBitmap, FillType::NonSmoothedClippedBitmap};
    f.type = types[r.range(0, 7)];
    f.color = r.color();
    f.gradient.matrix = r.matrix();
    f.gradient.spread = static_cast<SpreadMode>(r.range(0, 3));
    f.gradient.interpolation = static_cast<InterpolationMode>(r.range(0, 3));
    f.gradient.focalPoint = Fixed8{r.range(-70000, 70000)};
    for (int i = r.range(0, 16); i > 0; --i)
        f.gradient.records.push_back({std::uint8_t(r.range(0, 255)), r.color()});
    f.bitmapId = static_cast<std::uint16_t>(r.range(0, 12));
    f.bitmapMatrix = r.matrix();
    return f;
}

LineStyle randomLine(Random& r)
{
    LineStyle l;
    l.width = Twips{r.chance(10) ? r.range(0, 1 << 20) : r.range(0, 400)};
    l.color = r.color();
    l.startCap = static_cast<CapStyle>(r.range(0, 2));
    l.join = static_cast<JoinStyle>(r.range(0, 2));
    l.miterLimit = Fixed8{r.range(-1000, 70000)};
    l.noHScale = r.chance(20);
    l.noVScale = r.chance(20);
    if (r.chance(20))
        l.fill = randomFill(r);
    return l;
}

ShapeStyles randomStyles(Random& r)
{
    ShapeStyles s;
    for (int i = r.range(0, 5); i > 0; --i)
        s.fills.push_back(randomFill(r));
    for (int i = r.range(0, 3); i > 0; --i)
        s.lines.push_back(randomLine(r));
    return s;
}

Shape randomShape(Random& r)
{
    Shape shape;
    for (int i = r.range(0, 200); i > 0; --i) {
        const int kind = r.range(0, 9);
        if (kind == 0) {
            StyleChangeRecord sc;
            if (r.chance(50))
                sc.moveTo = std::make_pair(r.twips(), r.twips());
            if (r.chance(50))
                sc.fillStyle0 = static_cast<std::uint32_t>(r.range(0, 7));
            if (r.chance(50))
                sc.fillStyle1 = static_cast<std::uint32_t>(r.range(0, 7));
            if (r.chance(50))
                sc.lineStyle = static_cast<std::uint32_t>(r.range(0, 4));
            if (r.chance(5))
                sc.newStyles = randomStyles(r);
            shape.records.push_back(sc);
        } else if (kind < 6) {
            shape.records.push_back(StraightEdgeRecord{r.twips(), r.twips()});
        } else {
            shape.records.push_back(CurvedEdgeRecord{r.twips(), r.twips(), r.twips(), r.twips()});
        }
    }
    return shape;
}

Filter randomFilter(Random& r)
{
    switch (r.range(0, 4)) {
    case 0: {
        BlurFilter b;
        b.blurX = r.fixed16();
        b.blurY = r.fixed16();
        b.passes = std::uint8_t(r.range(0, 255));
        return b;
    }
    case 1: {
        DropShadowFilter d;
        d.color = r.color();
        d.blurX = r.fixed16();
        d.blurY = r.fixed16();
        d.angle = r.fixed16();
        d.distance = r.fixed16();
        d.strength = Fixed8{r.range(-70000, 70000)};
        d.inner = r.chance(50);
        d.knockout = r.chance(50);
        d.passes = std::uint8_t(r.range(0, 3));
        return d;
    }
    case 2: {
        GlowFilter g;
        g.color = r.color();
        g.blurX = r.fixed16();
        g.blurY = r.fixed16();
        g.strength = Fixed8{r.range(-70000, 70000)};
        g.inner = r.chance(50);
        g.passes = std::uint8_t(r.range(0, 3));
        return g;
    }
    case 3: {
        BevelFilter b;
        b.blurX = r.fixed16();
        b.blurY = r.fixed16();
        b.distance = r.fixed16();
        b.angle = r.fixed16();
        b.strength = Fixed8{r.range(-70000, 70000)};
        b.inner = r.chance(50);
        b.onTop = r.chance(50);
        return b;
    }
    default: {
        ColorMatrixFilter c;
        for (float& v : c.matrix)
            v = static_cast<float>(r.range(-1000, 1000)) / 100.0f;
        return c;
    }
    }
}

void randomChildren(Random& r, Scene& s, DisplayNode& parent, int level)
{
    const int count = r.range(0, level > 3 ? 2 : 5);
    for (int i = 0; i < count; ++i) {
        const std::uint16_t id = static_cast<std::uint16_t>(r.range(1, 12));
        DisplayNode& n = s.placeIn(parent, id, static_cast<std::uint16_t>(i + 1), r.chance(70) ? scale(r.range(-3, 3), r.range(-3, 3), r.range(-50, 150), r.range(-50, 150)) : r.matrix());
        if (r.chance(15))
            n.clipDepth = static_cast<std::uint16_t>(r.range(0, 8));
        if (r.chance(15))
            n.blendMode = static_cast<BlendMode>(r.range(0, 14));
        if (r.chance(10))
            n.filters.push_back(randomFilter(r));
        n.ratio = static_cast<std::uint16_t>(r.range(0, 65535));
        n.colorTransform.redMult = Fixed8{r.range(-600, 600)};
        n.colorTransform.alphaAdd = static_cast<std::int16_t>(r.range(-300, 300));
        n.text = QStringLiteral("<p>random</p>\\n text");
        if (level < 6 && r.chance(40)) {
            n.children.reserve(8);
            randomChildren(r, s, n, level + 1);
        }
    }
}

TEST(HostileScenes, RandomScenesDrawWithoutCrashing)
{
    for (unsigned seed = 1; seed <= 40; ++seed) {
        Random r(seed);
        Scene s;
        for (std::uint16_t id = 1; id <= 6; ++id) {
            DefineShape shape;
            shape.id = id;
            shape.bounds = Rect{r.twips(), r.twips(), r.twips(), r.twips()};
            shape.styles = randomStyles(r);
            shape.shape = randomShape(r);
            shape.usesFillWindingRule = r.chance(50);
            s.add(id, shape);
        }
        DefineMorphShape morph;
        morph.id = 7;
        for (int i = r.range(0, 3); i > 0; --i) {
            MorphFillStyle f;
            f.type = FillType::LinearGradient;
            f.gradient.push_back({0, r.color(), 255, r.color()});
            morph.fills.push_back(f);
        }
        morph.startEdges = randomShape(r);
        morph.endEdges = randomShape(r);
        s.add(7, morph);
        DefineBitsLossless bits;
        bits.id = 8;
        bits.width = static_cast<std::uint16_t>(r.range(0, 65535));
        bits.height = static_cast<std::uint16_t>(r.range(0, 65535));
        bits.format = static_cast<LosslessFormat>(r.range(3, 5));
        bits.zlibData = {0x78, 0x9C, 0x03, 0x00};
        s.add(8, bits);
        DefineBitsJpeg jpeg;
        jpeg.id = 9;
        jpeg.version = 3;
        jpeg.imageData = {0xFF, 0xD9, 0xFF, 0xD8, 0xFF, 0xDB, 0x00};
        s.add(9, jpeg);
        DefineEditText edit;
        edit.id = 10;
        edit.bounds = Rect{r.twips(), r.twips(), r.twips(), r.twips()};
        edit.border = true;
        edit.html = r.chance(50);
        edit.wordWrap = true;
        edit.multiline = true;
        edit.fontHeight = Twips{r.range(-10, 5000)};
        edit.fontId = 12;
        s.add(10, edit);
        DefineSprite sprite;
        sprite.id = 11;
        s.add(11, sprite);
        DefineFont font;
        font.id = 12;
        font.glyphs = {randomShape(r), randomShape(r)};
        font.codes = {'r', 'a'};
        s.add(12, font);
        s.root.children.reserve(8);
        randomChildren(r, s, s.root, 0);
        swf::render::Renderer renderer(s.library);
        for (bool aa : {false, true}) {
            const QImage img = s.renderWith(renderer, 160, 120, aa);
            EXPECT_FALSE(img.isNull());
            for (const DisplayNode& c : s.root.children) {
                renderer.hitTest(c, swf::render::toQTransform(c.matrix), QPointF(r.range(-5000, 5000), r.range(-5000, 5000)));
                renderer.bounds(c);
            }
        }
    }
}

} // namespace
