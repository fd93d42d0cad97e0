// Shapes: every kind of fill and line style, edges and style changes with new style
// arrays that change the widths of later index fields.
#include "swf/format/Reader.h"
#include "tests/swf_format/FixtureWriter.h"

#include <gtest/gtest.h>

using namespace swf;
using fixture::BitWriter;

namespace {

template <class T>
const T& record(const Shape& s, std::size_t i)
{
    const T* r = std::get_if<T>(&s.records.at(i));
    if (!r)
        throw std::runtime_error("record " + std::to_string(i) + " has another type");
    return *r;
}

} // namespace

TEST(Shapes, DefineShape3StylesEdgesAndNewStyleArrays)
{
    BitWriter w;
    w.u16(7).rect(-100, 2000, -300, 400, 13);
    w.u8(3);                                    // three fill styles
    w.u8(0x00).rgba(255, 0, 0, 128);            // solid
    w.u8(0x10).identity();                      // linear gradient, reflect, linear RGB
    w.u8((1 << 6) | (1 << 4) | 2).u8(0).rgba(0, 0, 0, 255).u8(255).rgba(255, 255, 255, 0);
    w.u8(0x41).u16(5).translate(20, 40, 8);     // clipped bitmap
    w.u8(1).u16(40).rgba(0, 0, 255, 255);       // one line style
    w.ub(2, 4).ub(1, 4);                        // 2 fill bits, 1 line bit
    // Style change: move to (100, -200), fill1 = 3, line = 1.
    w.ub(0, 1).ub(0b01101, 5).ub(11, 5).sb(100, 11).sb(-200, 11).ub(3, 2).ub(1, 1);
    w.ub(1, 1).ub(1, 1).ub(5, 4).ub(1, 1).sb(50, 7).sb(-60, 7); // general line
    w.ub(1, 1).ub(1, 1).ub(3, 4).ub(0, 1).ub(1, 1).sb(-10, 5);  // vertical line
    w.ub(1, 1).ub(1, 1).ub(3, 4).ub(0, 1).ub(0, 1).sb(15, 5);   // horizontal line
    w.ub(1, 1).ub(0, 1).ub(6, 4).sb(100, 8).sb(-100, 8).sb(127, 8).sb(-128, 8); // curve
    // Style change with new styles and fill0 = 2 (still 2 bits), then 5 fill bits.
    w.ub(0, 1).ub(0b10010, 5).ub(2, 2);
    w.u8(1).u8(0x00).rgba(1, 2, 3, 4).u8(0);
    w.ub(5, 4).ub(0, 4);
    w.ub(0, 1).ub(0b00100, 5).ub(17, 5); // fill1 = 17 needs the new width
    w.ub(0, 1).ub(0, 5);                 // end
    const Movie m = fixture::readTags(8, fixture::tag(32, w.data()));
    ASSERT_TRUE(m.ok()) << m.error->describe();
    const DefineShape* s = fixture::bodyAt<DefineShape>(m);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->version, 3);
    EXPECT_EQ(s->id, 7);
    EXPECT_EQ(s->bounds.xMin.value, -100);
    EXPECT_EQ(s->bounds.yMax.value, 400);

    ASSERT_EQ(s->styles.fills.size(), 3u);
    EXPECT_EQ(s->styles.fills[0].type, FillType::Solid);
    EXPECT_EQ(s->styles.fills[0].color, (Rgba{255, 0, 0, 128}));
    const Gradient& g = s->styles.fills[1].gradient;
    EXPECT_EQ(s->styles.fills[1].type, FillType::LinearGradient);
    EXPECT_EQ(g.spread, SpreadMode::Reflect);
    EXPECT_EQ(g.interpolation, InterpolationMode::Linear);
    ASSERT_EQ(g.records.size(), 2u);
    EXPECT_EQ(g.records[1].ratio, 255);
    EXPECT_EQ(g.records[1].color, (Rgba{255, 255, 255, 0}));
    EXPECT_EQ(s->styles.fills[2].type, FillType::ClippedBitmap);
    EXPECT_EQ(s->styles.fills[2].bitmapId, 5);
    EXPECT_EQ(s->styles.fills[2].bitmapMatrix.translateY.value, 40);
    ASSERT_EQ(s->styles.lines.size(), 1u);
    EXPECT_EQ(s->styles.lines[0].width.value, 40);
    EXPECT_EQ(s->styles.lines[0].color, (Rgba{0, 0, 255, 255}));

    const Shape& sh = s->shape;
    ASSERT_EQ(sh.records.size(), 7u);
    const auto& first = record<StyleChangeRecord>(sh, 0);
    ASSERT_TRUE(first.moveTo);
    EXPECT_EQ(first.moveTo->first.value, 100);
    EXPECT_EQ(first.moveTo->second.value, -200);
    EXPECT_FALSE(first.fillStyle0);
    EXPECT_EQ(first.fillStyle1, 3u);
    EXPECT_EQ(first.lineStyle, 1u);
    EXPECT_EQ(record<StraightEdgeRecord>(sh, 1), (StraightEdgeRecord{Twips{50}, Twips{-60}}));
    EXPECT_EQ(record<StraightEdgeRecord>(sh, 2), (StraightEdgeRecord{Twips{0}, Twips{-10}}));
    EXPECT_EQ(record<StraightEdgeRecord>(sh, 3), (StraightEdgeRecord{Twips{15}, Twips{0}}));
    EXPECT_EQ(record<CurvedEdgeRecord>(sh, 4), (CurvedEdgeRecord{Twips{100}, Twips{-100}, Twips{127}, Twips{-128}}));
    const auto& change = record<StyleChangeRecord>(sh, 5);
    EXPECT_EQ(change.fillStyle0, 2u);
    ASSERT_TRUE(change.newStyles);
    ASSERT_EQ(change.newStyles->fills.size(), 1u);
    EXPECT_EQ(change.newStyles->fills[0].color, (Rgba{1, 2, 3, 4}));
    EXPECT_TRUE(change.newStyles->lines.empty());
    EXPECT_EQ(record<StyleChangeRecord>(sh, 6).fillStyle1, 17u);
}

TEST(Shapes, DefineShape4LineStylesFocalGradientAndFlags)
{
    BitWriter w;
    w.u16(9).rect(0, 100, 0, 100, 8).rect(5, 95, 5, 95, 8);
    w.ub(0, 5).flag(true).flag(false).flag(true);
    w.u8(1).u8(0x13).identity().u8(0x01).u8(128).rgba(9, 8, 7, 6).u16(static_cast<std::uint16_t>(-128));
    w.u8(2);
    // Square start cap, miter join, no fill, no horizontal scale, pixel hinting, no close, no end cap.
    w.u16(60).ub(2, 2).ub(2, 2).flag(false).flag(true).flag(false).flag(true).ub(0, 5).flag(true).ub(1, 2);
    w.u16(0x0280).rgba(10, 20, 30, 40);
    // Round caps, bevel join, filled with a solid style.
    w.u16(20).ub(0, 2).ub(1, 2).flag(true).flag(false).flag(false).flag(false).ub(0, 5).flag(false).ub(0, 2);
    w.u8(0x00).rgba(50, 60, 70, 80);
    w.ub(1, 4).ub(2, 4);
    w.ub(0, 1).ub(0b01000, 5).ub(2, 2);                            // line = 2
    w.ub(1, 1).ub(1, 1).ub(0, 4).ub(1, 1).sb(1, 2).sb(-1, 2);      // tiny general line
    w.ub(0, 1).ub(0, 5);
    const Movie m = fixture::readTags(10, fixture::tag(83, w.data()));
    ASSERT_TRUE(m.ok()) << m.error->describe();
    const DefineShape* s = fixture::bodyAt<DefineShape>(m);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->version, 4);
    EXPECT_EQ(s->edgeBounds.xMin.value, 5);
    EXPECT_TRUE(s->usesFillWindingRule);
    EXPECT_FALSE(s->usesNonScalingStrokes);
    EXPECT_TRUE(s->usesScalingStrokes);
    ASSERT_EQ(s->styles.fills.size(), 1u);
    EXPECT_EQ(s->styles.fills[0].type, FillType::FocalRadialGradient);
    EXPECT_DOUBLE_EQ(s->styles.fills[0].gradient.focalPoint.toDouble(), -0.5);
    EXPECT_EQ(s->styles.fills[0].gradient.interpolation, InterpolationMode::Normal);
    ASSERT_EQ(s->styles.lines.size(), 2u);
    const LineStyle& a = s->styles.lines[0];
    EXPECT_EQ(a.startCap, CapStyle::Square);
    EXPECT_EQ(a.endCap, CapStyle::None);
    EXPECT_EQ(a.join, JoinStyle::Miter);
    EXPECT_DOUBLE_EQ(a.miterLimit.toDouble(), 2.5);
    EXPECT_TRUE(a.noHScale);
    EXPECT_FALSE(a.noVScale);
    EXPECT_TRUE(a.pixelHinting);
    EXPECT_TRUE(a.noClose);
    EXPECT_EQ(a.color, (Rgba{10, 20, 30, 40}));
    EXPECT_FALSE(a.fill);
    const LineStyle& b = s->styles.lines[1];
    EXPECT_EQ(b.join, JoinStyle::Bevel);
    ASSERT_TRUE(b.fill);
    EXPECT_EQ(b.fill->color, (Rgba{50, 60, 70, 80}));
    ASSERT_EQ(s->shape.records.size(), 2u);
    EXPECT_EQ(record<StyleChangeRecord>(s->shape, 0).lineStyle, 2u);
    EXPECT_EQ(record<StraightEdgeRecord>(s->shape, 1), (StraightEdgeRecord{Twips{1}, Twips{-1}}));
}

TEST(Shapes, OldShapesUseRgbAndShortStyleCounts)
{
    // DefineShape: 0xFF fill styles is a plain count, not the marker of a 16-bit count,
    // and colours have no alpha. One solid style keeps the fixture small: count 1.
    BitWriter w;
    w.u16(1).rect(0, 10, 0, 10, 6).u8(1).u8(0x00).rgb(1, 2, 3).u8(1).u16(20).rgb(4, 5, 6);
    w.ub(1, 4).ub(1, 4).ub(0, 1).ub(0, 5);
    const Movie m = fixture::readTags(1, fixture::tag(2, w.data()));
    ASSERT_TRUE(m.ok()) << m.error->describe();
    const DefineShape* s = fixture::bodyAt<DefineShape>(m);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->styles.fills[0].color, (Rgba{1, 2, 3, 255}));
    EXPECT_EQ(s->styles.lines[0].color, (Rgba{4, 5, 6, 255}));

    // DefineShape2: 0xFF announces a 16-bit count.
    BitWriter w2;
    w2.u16(2).rect(0, 10, 0, 10, 6).u8(0xFF).u16(2).u8(0x00).rgb(1, 1, 1).u8(0x00).rgb(2, 2, 2).u8(0);
    w2.ub(2, 4).ub(0, 4).ub(0, 1).ub(0, 5);
    const Movie m2 = fixture::readTags(3, fixture::tag(22, w2.data()));
    ASSERT_TRUE(m2.ok()) << m2.error->describe();
    EXPECT_EQ(fixture::bodyAt<DefineShape>(m2)->styles.fills.size(), 2u);
}

TEST(Shapes, UnknownFillTypeEndsReadingAtThatTag)
{
    BitWriter w;
    w.u16(1).rect(0, 10, 0, 10, 6).u8(1).u8(0x20).u8(0);
    const Movie m = fixture::readTags(8, fixture::concat({fixture::tag(1, {}), fixture::tag(32, w.data())}));
    ASSERT_TRUE(m.error);
    EXPECT_EQ(m.error->tagCode, 32);
    EXPECT_EQ(m.error->offset, 8u + 9u + 4u + 2u); // prefix, frame rect, rate and count, ShowFrame
    ASSERT_EQ(m.tags.size(), 1u);            // the ShowFrame before it is kept
    EXPECT_EQ(m.tags[0].code, 1);
}

TEST(Shapes, DefineMorphShape2FindsEndEdgesByOffset)
{
    BitWriter head;
    head.u16(3).rect(0, 10, 0, 10, 6).rect(0, 20, 0, 20, 6).rect(1, 9, 1, 9, 6).rect(1, 19, 1, 19, 6);
    head.ub(0, 6).flag(true).flag(false);
    BitWriter styles;
    styles.u8(1).u8(0x00).rgba(1, 1, 1, 1).rgba(2, 2, 2, 2);
    styles.u8(1).u16(20).u16(40).ub(0, 2).ub(0, 2).flag(false).flag(false).flag(false).flag(false).ub(0, 5).flag(false).ub(0, 2);
    styles.rgba(3, 3, 3, 3).rgba(4, 4, 4, 4);
    styles.ub(1, 4).ub(1, 4).ub(0, 1).ub(0b00011, 5).ub(4, 5).sb(5, 4).sb(-5, 4).ub(1, 1);
    styles.ub(1, 1).ub(1, 1).ub(2, 4).ub(1, 1).sb(7, 4).sb(-7, 4).ub(0, 1).ub(0, 5).align();
    styles.u8(0xEE); // padding a writer left before the end edges
    BitWriter end;
    end.ub(0, 4).ub(0, 4).ub(0, 1).ub(0b00001, 5).ub(5, 5).sb(9, 5).sb(-9, 5);
    end.ub(1, 1).ub(0, 1).ub(0, 4).sb(1, 2).sb(1, 2).sb(-1, 2).sb(-1, 2).ub(0, 1).ub(0, 5);
    BitWriter w;
    w.bytes(head.data()).u32(static_cast<std::uint32_t>(styles.size())).bytes(styles.data()).bytes(end.data());
    const Movie m = fixture::readTags(8, fixture::tag(84, w.data()));
    ASSERT_TRUE(m.ok()) << m.error->describe();
    const DefineMorphShape* s = fixture::bodyAt<DefineMorphShape>(m);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->version, 2);
    EXPECT_EQ(s->endEdgeBounds.xMax.value, 19);
    EXPECT_TRUE(s->usesNonScalingStrokes);
    ASSERT_EQ(s->fills.size(), 1u);
    EXPECT_EQ(s->fills[0].endColor, (Rgba{2, 2, 2, 2}));
    ASSERT_EQ(s->lines.size(), 1u);
    EXPECT_EQ(s->lines[0].endWidth.value, 40);
    EXPECT_EQ(s->lines[0].endColor, (Rgba{4, 4, 4, 4}));
    ASSERT_EQ(s->startEdges.records.size(), 2u);
    EXPECT_EQ(record<StraightEdgeRecord>(s->startEdges, 1), (StraightEdgeRecord{Twips{7}, Twips{-7}}));
    ASSERT_EQ(s->endEdges.records.size(), 2u);
    EXPECT_EQ(record<StyleChangeRecord>(s->endEdges, 0).moveTo->first.value, 9);
    EXPECT_EQ(record<CurvedEdgeRecord>(s->endEdges, 1).anchorDy.value, -1);
}
