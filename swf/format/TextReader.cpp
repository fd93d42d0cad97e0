#include "swf/format/TagReaders.h"

#include <algorithm>

namespace swf::detail {

namespace {

// Reads one glyph outline from a byte range of a font tag. Some writers end an outline
// with the range instead of an end record; what was read is kept.
Shape readGlyph(const BitReader& r, std::size_t start, std::size_t end)
{
    BitReader g(std::span<const std::uint8_t>(r.data() + start, end - start));
    if (g.atEnd())
        return Shape{};
    return readShapeRecords(g, 1, false, true);
}

// Glyph offsets need not be in order; each outline ends where the next one (by offset)
// begins, or at areaEnd. Glyphs sharing an offset are read once, and the copies are
// bounded so a table of repeated offsets cannot multiply one outline without limit.
std::vector<Shape> readGlyphs(const BitReader& r, std::size_t tableStart, const std::vector<std::size_t>& offsets,
                              std::size_t areaEnd)
{
    if (areaEnd > r.size() || areaEnd < tableStart)
        throw ReadError("glyph table outside the font");
    std::vector<std::size_t> starts;
    starts.reserve(offsets.size());
    for (std::size_t off : offsets) {
        if (off > areaEnd - tableStart)
            throw ReadError("glyph offset outside the font");
        starts.push_back(tableStart + off);
    }
    std::vector<std::size_t> sorted = starts;
    std::sort(sorted.begin(), sorted.end());
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
    std::vector<Shape> distinct(sorted.size());
    std::vector<bool> done(sorted.size(), false);
    std::vector<Shape> glyphs;
    glyphs.reserve(starts.size());
    std::size_t records = 0;
    const std::size_t budget = r.size() * 8 + 1024;
    for (std::size_t start : starts) {
        const std::size_t i = std::lower_bound(sorted.begin(), sorted.end(), start) - sorted.begin();
        if (!done[i]) {
            const std::size_t end = i + 1 < sorted.size() ? sorted[i + 1] : areaEnd;
            distinct[i] = readGlyph(r, start, end);
            done[i] = true;
        }
        records += distinct[i].records.size();
        if (records > budget)
            throw ReadError("glyph table repeats its outlines too often");
        glyphs.push_back(distinct[i]);
    }
    return glyphs;
}

} // namespace

DefineFont readDefineFont1(BitReader& r)
{
    DefineFont f;
    f.version = 1;
    f.id = r.u16();
    if (r.atEnd())
        return f;
    const std::size_t tableStart = r.position();
    const std::uint16_t first = r.u16();
    const std::size_t count = first / 2;
    std::vector<std::size_t> offsets{first};
    for (std::size_t i = 1; i < count; ++i)
        offsets.push_back(r.u16());
    f.glyphs = readGlyphs(r, tableStart, offsets, r.size());
    return f;
}

DefineFont readDefineFont23(BitReader& r, int version)
{
    DefineFont f;
    f.version = static_cast<std::uint8_t>(version);
    f.id = r.u16();
    const std::uint8_t flags = r.u8();
    const bool hasLayout = flags & 0x80;
    f.shiftJis = flags & 0x40;
    f.smallText = flags & 0x20;
    f.ansi = flags & 0x10;
    const bool wideOffsets = flags & 0x08;
    f.wideCodes = flags & 0x04;
    f.italic = flags & 0x02;
    f.bold = flags & 0x01;
    f.language = r.u8();
    f.name = r.fixedString(r.u8());
    const std::uint16_t count = r.u16();
    const std::size_t tableStart = r.position();
    std::vector<std::size_t> offsets;
    for (std::uint16_t i = 0; i < count; ++i)
        offsets.push_back(wideOffsets ? r.u32() : r.u16());
    // A font without glyphs may end right here, without the code table offset.
    if (count == 0 && r.atEnd())
        return f;
    const std::size_t codeTableOffset = wideOffsets ? r.u32() : r.u16();
    f.glyphs = readGlyphs(r, tableStart, offsets, std::min(r.size(), tableStart + codeTableOffset));
    r.seek(std::min(r.size(), tableStart + codeTableOffset));
    for (std::uint16_t i = 0; i < count; ++i)
        f.codes.push_back(f.wideCodes ? r.u16() : r.u8());
    if (hasLayout) {
        FontLayout l;
        l.ascent = r.s16();
        l.descent = r.s16();
        l.leading = r.s16();
        for (std::uint16_t i = 0; i < count; ++i)
            l.advances.push_back(r.s16());
        for (std::uint16_t i = 0; i < count; ++i)
            l.bounds.push_back(r.rect());
        const std::uint16_t kerningCount = r.u16();
        for (std::uint16_t i = 0; i < kerningCount; ++i) {
            KerningRecord k;
            k.code1 = f.wideCodes ? r.u16() : r.u8();
            k.code2 = f.wideCodes ? r.u16() : r.u8();
            k.adjustment = r.s16();
            l.kerning.push_back(k);
        }
        f.layout = std::move(l);
    }
    return f;
}

DefineFont4 readDefineFont4(BitReader& r)
{
    DefineFont4 f;
    f.id = r.u16();
    const std::uint8_t flags = r.u8();
    const bool hasFontData = flags & 0x04;
    f.italic = flags & 0x02;
    f.bold = flags & 0x01;
    f.name = r.string();
    if (hasFontData)
        f.fontData = r.copyRest();
    return f;
}

DefineFontInfo readDefineFontInfo(BitReader& r, int version)
{
    DefineFontInfo f;
    f.version = static_cast<std::uint8_t>(version);
    f.fontId = r.u16();
    f.name = r.fixedString(r.u8());
    const std::uint8_t flags = r.u8();
    f.smallText = flags & 0x20;
    f.shiftJis = flags & 0x10;
    f.ansi = flags & 0x08;
    f.italic = flags & 0x04;
    f.bold = flags & 0x02;
    f.wideCodes = (flags & 0x01) || version >= 2;
    if (version >= 2)
        f.language = r.u8();
    while (r.remaining() >= (f.wideCodes ? 2u : 1u))
        f.codes.push_back(f.wideCodes ? r.u16() : r.u8());
    return f;
}

DefineFontAlignZones readDefineFontAlignZones(BitReader& r)
{
    DefineFontAlignZones z;
    z.fontId = r.u16();
    z.csmTableHint = static_cast<std::uint8_t>(r.u8() >> 6);
    while (!r.atEnd()) {
        GlyphZones g;
        const std::uint8_t count = r.u8();
        for (unsigned i = 0; i < count; ++i) {
            AlignZone zone;
            zone.alignment = r.f16();
            zone.range = r.f16();
            g.zones.push_back(zone);
        }
        const std::uint8_t mask = r.u8();
        g.maskY = mask & 0x02;
        g.maskX = mask & 0x01;
        z.glyphs.push_back(std::move(g));
    }
    return z;
}

DefineFontName readDefineFontName(BitReader& r)
{
    DefineFontName n;
    n.fontId = r.u16();
    n.name = r.string();
    n.copyright = r.string();
    return n;
}

CsmTextSettings readCsmTextSettings(BitReader& r)
{
    CsmTextSettings s;
    s.textId = r.u16();
    s.useFlashType = static_cast<std::uint8_t>(r.ub(2));
    s.gridFit = static_cast<std::uint8_t>(r.ub(3));
    r.align();
    s.thickness = r.f32();
    s.sharpness = r.f32();
    return s;
}

DefineText readDefineText(BitReader& r, int version)
{
    DefineText t;
    t.version = static_cast<std::uint8_t>(version);
    t.id = r.u16();
    t.bounds = r.rect();
    t.matrix = r.matrix();
    const unsigned glyphBits = r.u8();
    const unsigned advanceBits = r.u8();
    // The record list ends with a zero byte; some writers end the tag instead.
    while (!r.atEnd()) {
        const std::uint8_t flags = r.u8();
        if (flags == 0)
            break;
        TextRecord rec;
        if (flags & 0x08)
            rec.fontId = r.u16();
        if (flags & 0x04)
            rec.color = version >= 2 ? r.rgba() : r.rgb();
        if (flags & 0x01)
            rec.xOffset = Twips{r.s16()};
        if (flags & 0x02)
            rec.yOffset = Twips{r.s16()};
        if (flags & 0x08)
            rec.height = Twips{r.u16()};
        const std::uint8_t count = r.u8();
        rec.glyphs.reserve(count);
        for (unsigned i = 0; i < count; ++i) {
            GlyphEntry g;
            g.index = r.ub(glyphBits);
            g.advance = r.sb(advanceBits);
            rec.glyphs.push_back(g);
        }
        r.align();
        t.records.push_back(std::move(rec));
    }
    return t;
}

DefineEditText readDefineEditText(BitReader& r)
{
    DefineEditText e;
    e.id = r.u16();
    e.bounds = r.rect();
    const std::uint8_t f1 = r.u8();
    const std::uint8_t f2 = r.u8();
    const bool hasText = f1 & 0x80;
    e.wordWrap = f1 & 0x40;
    e.multiline = f1 & 0x20;
    e.password = f1 & 0x10;
    e.readOnly = f1 & 0x08;
    const bool hasTextColor = f1 & 0x04;
    const bool hasMaxLength = f1 & 0x02;
    const bool hasFont = f1 & 0x01;
    const bool hasFontClass = f2 & 0x80;
    e.autoSize = f2 & 0x40;
    const bool hasLayout = f2 & 0x20;
    e.noSelect = f2 & 0x10;
    e.border = f2 & 0x08;
    e.wasStatic = f2 & 0x04;
    e.html = f2 & 0x02;
    e.useOutlines = f2 & 0x01;
    if (hasFont)
        e.fontId = r.u16();
    if (hasFontClass)
        e.fontClass = r.string();
    if (hasFont || hasFontClass)
        e.fontHeight = Twips{r.u16()};
    if (hasTextColor)
        e.textColor = r.rgba();
    if (hasMaxLength)
        e.maxLength = r.u16();
    if (hasLayout) {
        EditTextLayout l;
        l.align = static_cast<TextAlign>(r.u8());
        l.leftMargin = Twips{r.u16()};
        l.rightMargin = Twips{r.u16()};
        l.indent = Twips{r.u16()};
        l.leading = Twips{r.s16()};
        e.layout = l;
    }
    e.variableName = r.string();
    if (hasText)
        e.initialText = r.string();
    return e;
}

} // namespace swf::detail
