#pragma once
// Fonts and texts. Strings are kept as the movie stores them: UTF-8 from version 6 on,
// the author's code page before.
#include "swf/format/Shapes.h"
#include "swf/format/Units.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace swf {

struct KerningRecord {
    std::uint16_t code1 = 0, code2 = 0;
    std::int16_t adjustment = 0;
};

struct FontLayout {
    std::int16_t ascent = 0; // in glyph units (see DefineFont::emSquare)
    std::int16_t descent = 0;
    std::int16_t leading = 0;
    std::vector<std::int16_t> advances;
    std::vector<Rect> bounds;
    std::vector<KerningRecord> kerning;
};

// DefineFont (version 1: glyphs only), DefineFont2 and DefineFont3.
struct DefineFont {
    std::uint8_t version = 1;
    std::uint16_t id = 0;
    std::vector<Shape> glyphs; // glyph outlines on an em square of emSquare() units
    // Versions 2 and 3 (version 1 gets these from DefineFontInfo).
    std::string name;
    bool shiftJis = false, smallText = false, ansi = false;
    bool italic = false, bold = false, wideCodes = false;
    std::uint8_t language = 0;
    std::vector<std::uint16_t> codes; // character code of each glyph
    std::optional<FontLayout> layout;

    // DefineFont3 stores glyphs in twips, twenty times finer than the others.
    int emSquare() const { return version == 3 ? 20480 : 1024; }
};

// DefineFont4: an embedded CFF font for the text engine of AVM2 movies.
struct DefineFont4 {
    std::uint16_t id = 0;
    bool italic = false, bold = false;
    std::string name;
    Bytes fontData; // empty when the font is a device-font reference
};

// DefineFontInfo and DefineFontInfo2 (version 2: language, always wide codes).
struct DefineFontInfo {
    std::uint8_t version = 1;
    std::uint16_t fontId = 0;
    std::string name;
    bool smallText = false, shiftJis = false, ansi = false;
    bool italic = false, bold = false, wideCodes = false;
    std::uint8_t language = 0;
    std::vector<std::uint16_t> codes;
};

struct AlignZone {
    float alignment = 0; // start and size of the zone, per axis
    float range = 0;
};

struct GlyphZones {
    std::vector<AlignZone> zones; // usually two: x, then y
    bool maskX = false, maskY = false;
};

struct DefineFontAlignZones {
    std::uint16_t fontId = 0;
    std::uint8_t csmTableHint = 0; // 0 thin, 1 medium, 2 thick
    std::vector<GlyphZones> glyphs;
};

struct DefineFontName {
    std::uint16_t fontId = 0;
    std::string name;
    std::string copyright;
};

struct CsmTextSettings {
    std::uint16_t textId = 0;
    std::uint8_t useFlashType = 0; // 0 normal, 1 advanced anti-aliasing
    std::uint8_t gridFit = 0;      // 0 none, 1 pixel, 2 sub-pixel
    float thickness = 0;
    float sharpness = 0;
};

struct GlyphEntry {
    std::uint32_t index = 0; // into the font's glyphs
    std::int32_t advance = 0; // twips
};

struct TextRecord {
    std::optional<std::uint16_t> fontId;
    std::optional<Rgba> color;
    std::optional<Twips> xOffset;
    std::optional<Twips> yOffset;
    std::optional<Twips> height; // present with fontId
    std::vector<GlyphEntry> glyphs;
};

// DefineText (version 1, RGB colours) and DefineText2 (version 2, RGBA).
struct DefineText {
    std::uint8_t version = 1;
    std::uint16_t id = 0;
    Rect bounds;
    Matrix matrix;
    std::vector<TextRecord> records;
};

enum class TextAlign : std::uint8_t { Left = 0, Right = 1, Center = 2, Justify = 3 };

struct EditTextLayout {
    TextAlign align = TextAlign::Left;
    Twips leftMargin, rightMargin, indent;
    Twips leading;
};

struct DefineEditText {
    std::uint16_t id = 0;
    Rect bounds;
    bool wordWrap = false, multiline = false, password = false, readOnly = false;
    bool autoSize = false, noSelect = false, border = false, wasStatic = false;
    bool html = false, useOutlines = false;
    std::optional<std::uint16_t> fontId;
    std::string fontClass;
    std::optional<Twips> fontHeight;
    std::optional<Rgba> textColor;
    std::optional<std::uint16_t> maxLength;
    std::optional<EditTextLayout> layout;
    std::string variableName;
    std::optional<std::string> initialText;
};

} // namespace swf
