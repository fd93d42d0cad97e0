// Fonts and texts: DefineFont3 glyphs in twips, glyph tables out of order, text records
// with odd glyph and advance widths, edit texts.
#include "swf/format/Reader.h"
#include "tests/swf_format/FixtureWriter.h"

#include <gtest/gtest.h>

using namespace swf;
using fixture::BitWriter;

namespace {

// A glyph: move to (x, y), fill 1, one horizontal line of length dx.
Bytes glyph(int x, int y, int dx)
{
    BitWriter g;
    g.ub(1, 4).ub(0, 4);
    g.ub(0, 1).ub(0b00101, 5).ub(16, 5).sb(x, 16).sb(y, 16).ub(1, 1);
    g.ub(1, 1).ub(1, 1).ub(14, 4).ub(0, 1).ub(0, 1).sb(dx, 16);
    g.ub(0, 1).ub(0, 5);
    return g.data();
}

// DefineFont2/3 with wide codes and the given glyphs, offsets in table order.
Bytes font23(std::uint16_t id, const std::vector<Bytes>& glyphs, const std::vector<std::uint16_t>& codes, bool layout)
{
    BitWriter w;
    w.u16(id).u8((layout ? 0x80 : 0) | 0x04 | 0x01).u8(1).u8(4).bytes({'S', 'a', 'n', 's'});
    w.u16(static_cast<std::uint16_t>(glyphs.size()));
    std::uint16_t offset = static_cast<std::uint16_t>(2 * glyphs.size() + 2);
    for (const Bytes& g : glyphs) {
        w.u16(offset);
        offset = static_cast<std::uint16_t>(offset + g.size());
    }
    w.u16(offset);
    for (const Bytes& g : glyphs)
        w.bytes(g);
    for (std::uint16_t c : codes)
        w.u16(c);
    if (layout) {
        w.u16(18000).u16(4000).u16(200);
        w.u16(12000).u16(10000);
        w.rect(0, 10240, -14336, 0, 16).rect(0, 0, 0, 0, 1);
        w.u16(1).u16('A').u16('B').u16(static_cast<std::uint16_t>(-300));
    }
    return w.data();
}

} // namespace

TEST(Text, DefineFont3KeepsTwipCoordinatesOnA20480EmSquare)
{
    const Bytes tags = fixture::concat({
        fixture::tag(75, font23(4, {glyph(0, -14336, 10240), glyph(0, 0, 0)}, {'A', 'B'}, true)),
        fixture::tag(48, font23(5, {glyph(0, -717, 512)}, {'A'}, false)),
    });
    const Movie m = fixture::readTags(9, tags);
    ASSERT_TRUE(m.ok()) << m.error->describe();
    const DefineFont* f3 = fixture::bodyAt<DefineFont>(m, 0);
    ASSERT_NE(f3, nullptr);
    EXPECT_EQ(f3->version, 3);
    EXPECT_EQ(f3->emSquare(), 20480);
    EXPECT_EQ(f3->name, "Sans");
    EXPECT_TRUE(f3->bold);
    EXPECT_FALSE(f3->italic);
    EXPECT_TRUE(f3->wideCodes);
    EXPECT_EQ(f3->language, 1);
    ASSERT_EQ(f3->glyphs.size(), 2u);
    const auto& move = std::get<StyleChangeRecord>(f3->glyphs[0].records.at(0));
    EXPECT_EQ(move.moveTo->second.value, -14336); // 0.7 em, in twips
    EXPECT_EQ(std::get<StraightEdgeRecord>(f3->glyphs[0].records.at(1)).dx.value, 10240);
    EXPECT_EQ(f3->codes, (std::vector<std::uint16_t>{'A', 'B'}));
    ASSERT_TRUE(f3->layout);
    EXPECT_EQ(f3->layout->ascent, 18000);
    EXPECT_EQ(f3->layout->descent, 4000);
    EXPECT_EQ(f3->layout->leading, 200);
    EXPECT_EQ(f3->layout->advances, (std::vector<std::int16_t>{12000, 10000}));
    ASSERT_EQ(f3->layout->bounds.size(), 2u);
    EXPECT_EQ(f3->layout->bounds[0].yMin.value, -14336);
    ASSERT_EQ(f3->layout->kerning.size(), 1u);
    EXPECT_EQ(f3->layout->kerning[0].code2, 'B');
    EXPECT_EQ(f3->layout->kerning[0].adjustment, -300);

    const DefineFont* f2 = fixture::bodyAt<DefineFont>(m, 1);
    ASSERT_NE(f2, nullptr);
    EXPECT_EQ(f2->emSquare(), 1024);
    EXPECT_FALSE(f2->layout);
}

TEST(Text, GlyphOffsetsOutOfOrderStillFindTheirOwnOutlines)
{
    // Outlines stored as glyph 2, glyph 0, glyph 1, with the offset table in glyph order.
    const std::vector<Bytes> stored = {glyph(300, 0, 3), glyph(100, 0, 1), glyph(200, 0, 2)};
    BitWriter w;
    w.u16(6).u8(0x04).u8(0).u8(1).u8('F').u16(3);
    const std::uint16_t base = 2 * 3 + 2;
    const std::uint16_t at2 = base, at0 = static_cast<std::uint16_t>(base + stored[0].size()),
                        at1 = static_cast<std::uint16_t>(at0 + stored[1].size()),
                        codes = static_cast<std::uint16_t>(at1 + stored[2].size());
    w.u16(at0).u16(at1).u16(at2).u16(codes);
    for (const Bytes& g : stored)
        w.bytes(g);
    w.u16('a').u16('b').u16('c');
    const Movie m = fixture::readTags(8, fixture::tag(48, w.data()));
    ASSERT_TRUE(m.ok()) << m.error->describe();
    const DefineFont* f = fixture::bodyAt<DefineFont>(m);
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(f->glyphs.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(std::get<StyleChangeRecord>(f->glyphs[i].records.at(0)).moveTo->first.value, 100 * (i + 1));
        EXPECT_EQ(f->glyphs[i].records.size(), 2u);
    }
}

TEST(Text, DefineFontOneWithGlyphsEndingAtTheirRange)
{
    // DefineFont: the offset table gives the glyph count; the last outline has no end record.
    Bytes g0 = glyph(10, 10, 5);
    Bytes g1 = glyph(20, 20, 6);
    g1.pop_back(); // drop the byte holding the end record
    BitWriter w;
    w.u16(2).u16(4).u16(static_cast<std::uint16_t>(4 + g0.size())).bytes(g0).bytes(g1);
    const Movie m = fixture::readTags(1, fixture::tag(10, w.data()));
    ASSERT_TRUE(m.ok()) << m.error->describe();
    const DefineFont* f = fixture::bodyAt<DefineFont>(m);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->version, 1);
    ASSERT_EQ(f->glyphs.size(), 2u);
    EXPECT_EQ(std::get<StyleChangeRecord>(f->glyphs[1].records.at(0)).moveTo->first.value, 20);
}

TEST(Text, DefineTextRecordsWithOddGlyphAndAdvanceWidths)
{
    BitWriter w;
    w.u16(8).rect(0, 2000, 0, 400, 12).translate(10, 20, 6).u8(5).u8(9);
    w.u8(0x8F).u16(4).rgb(10, 20, 30).u16(100).u16(static_cast<std::uint16_t>(-200)).u16(240).u8(3);
    w.ub(1, 5).sb(200, 9).ub(31, 5).sb(-256, 9).ub(0, 5).sb(255, 9).align();
    w.u8(0x81).u16(500).u8(1).ub(2, 5).sb(10, 9).align();
    w.u8(0);
    const Movie m = fixture::readTags(4, fixture::tag(11, w.data()));
    ASSERT_TRUE(m.ok()) << m.error->describe();
    const DefineText* t = fixture::bodyAt<DefineText>(m);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->matrix.translateY.value, 20);
    ASSERT_EQ(t->records.size(), 2u);
    const TextRecord& a = t->records[0];
    EXPECT_EQ(a.fontId, 4);
    EXPECT_EQ(a.color, (Rgba{10, 20, 30, 255}));
    EXPECT_EQ(a.xOffset->value, 100);
    EXPECT_EQ(a.yOffset->value, -200);
    EXPECT_EQ(a.height->value, 240);
    ASSERT_EQ(a.glyphs.size(), 3u);
    EXPECT_EQ(a.glyphs[0].index, 1u);
    EXPECT_EQ(a.glyphs[0].advance, 200);
    EXPECT_EQ(a.glyphs[1].index, 31u);
    EXPECT_EQ(a.glyphs[1].advance, -256);
    EXPECT_EQ(a.glyphs[2].advance, 255);
    const TextRecord& b = t->records[1];
    EXPECT_FALSE(b.fontId);
    EXPECT_FALSE(b.yOffset);
    EXPECT_EQ(b.xOffset->value, 500);
    ASSERT_EQ(b.glyphs.size(), 1u);
    EXPECT_EQ(b.glyphs[0].index, 2u);
}

TEST(Text, DefineEditTextOptionalFields)
{
    BitWriter w;
    w.u16(12).rect(-40, 4000, -40, 600, 14);
    w.u8(0x80 | 0x40 | 0x04 | 0x02 | 0x01).u8(0x20 | 0x02 | 0x01);
    w.u16(3).u16(360).rgba(1, 2, 3, 4).u16(80);
    w.u8(2).u16(40).u16(60).u16(0).u16(static_cast<std::uint16_t>(-20));
    w.str("_root.score").str("<b>0</b>");
    const Movie m = fixture::readTags(6, fixture::tag(37, w.data()));
    ASSERT_TRUE(m.ok()) << m.error->describe();
    const DefineEditText* e = fixture::bodyAt<DefineEditText>(m);
    ASSERT_NE(e, nullptr);
    EXPECT_TRUE(e->wordWrap);
    EXPECT_FALSE(e->multiline);
    EXPECT_TRUE(e->html);
    EXPECT_TRUE(e->useOutlines);
    EXPECT_FALSE(e->readOnly);
    EXPECT_EQ(e->fontId, 3);
    EXPECT_EQ(e->fontHeight->value, 360);
    EXPECT_EQ(e->textColor, (Rgba{1, 2, 3, 4}));
    EXPECT_EQ(e->maxLength, 80);
    ASSERT_TRUE(e->layout);
    EXPECT_EQ(e->layout->align, TextAlign::Center);
    EXPECT_EQ(e->layout->rightMargin.value, 60);
    EXPECT_EQ(e->layout->leading.value, -20);
    EXPECT_EQ(e->variableName, "_root.score");
    EXPECT_EQ(e->initialText, "<b>0</b>");
}

TEST(Text, FontInfoAlignZonesNameAndTextSettings)
{
    BitWriter info;
    info.u16(4).u8(5).bytes({'A', 'r', 'i', 'a', 'l'}).u8(0x04 | 0x02).u8(2).u16('x').u16(0x4E2D);
    BitWriter zones;
    zones.u16(4).u8(1 << 6).u8(2).u16(0x3C00).u16(0x3800).u16(0x0000).u16(0x4000).u8(0x03);
    BitWriter name;
    name.u16(4).str("Arial").str("(c) nobody");
    BitWriter csm;
    csm.u16(12).u8((1 << 6) | (2 << 3)).f32(-50.0f).f32(25.5f).u8(0);
    const Movie m = fixture::readTags(8, fixture::concat({fixture::tag(62, info.data()), fixture::tag(73, zones.data()),
                                                          fixture::tag(88, name.data()), fixture::tag(74, csm.data())}));
    ASSERT_TRUE(m.ok()) << m.error->describe();
    const DefineFontInfo* fi = fixture::bodyAt<DefineFontInfo>(m, 0);
    ASSERT_NE(fi, nullptr);
    EXPECT_EQ(fi->version, 2);
    EXPECT_EQ(fi->name, "Arial");
    EXPECT_TRUE(fi->italic);
    EXPECT_TRUE(fi->bold);
    EXPECT_TRUE(fi->wideCodes);
    EXPECT_EQ(fi->language, 2);
    EXPECT_EQ(fi->codes, (std::vector<std::uint16_t>{'x', 0x4E2D}));
    const DefineFontAlignZones* z = fixture::bodyAt<DefineFontAlignZones>(m, 1);
    ASSERT_NE(z, nullptr);
    EXPECT_EQ(z->csmTableHint, 1);
    ASSERT_EQ(z->glyphs.size(), 1u);
    ASSERT_EQ(z->glyphs[0].zones.size(), 2u);
    EXPECT_FLOAT_EQ(z->glyphs[0].zones[0].alignment, 1.0f);
    EXPECT_FLOAT_EQ(z->glyphs[0].zones[0].range, 0.5f);
    EXPECT_FLOAT_EQ(z->glyphs[0].zones[1].range, 2.0f);
    EXPECT_TRUE(z->glyphs[0].maskX);
    EXPECT_TRUE(z->glyphs[0].maskY);
    const DefineFontName* n = fixture::bodyAt<DefineFontName>(m, 2);
    ASSERT_NE(n, nullptr);
    EXPECT_EQ(n->copyright, "(c) nobody");
    const CsmTextSettings* c = fixture::bodyAt<CsmTextSettings>(m, 3);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->useFlashType, 1);
    EXPECT_EQ(c->gridFit, 2);
    EXPECT_FLOAT_EQ(c->thickness, -50.0f);
    EXPECT_FLOAT_EQ(c->sharpness, 25.5f);
}
