#pragma once
// The HTML that edit texts may hold, read into paragraphs of styled runs: <p>, <br>,
// <font>, <b>, <i>, <u>, <a>, <li> and <textformat>; other tags are skipped. The text comes
// from the movie, so every step is bounded: nesting, runs, paragraphs and characters have
// caps, sizes and margins are clamped, and malformed markup reads as text or is ignored.
#include "swf/format/Text.h"
#include "swf/format/Units.h"

#include <QString>
#include <QStringView>

#include <vector>

namespace swf::render {

struct HtmlStyle {
    QString face;     // empty: the field's own font
    double size = 0;  // twips
    Rgba color;
    bool bold = false, italic = false, underline = false;

    bool operator==(const HtmlStyle&) const = default;
};

// Lengths in twips.
struct HtmlParagraphFormat {
    TextAlign align = TextAlign::Left;
    double leftMargin = 0, rightMargin = 0, indent = 0, leading = 0, blockIndent = 0;
    bool bullet = false;

    bool operator==(const HtmlParagraphFormat&) const = default;
};

struct HtmlRun {
    QString text;
    HtmlStyle style;
};

struct HtmlParagraph {
    HtmlParagraphFormat format;
    HtmlStyle style; // where the paragraph began; gives an empty paragraph its height
    std::vector<HtmlRun> runs;
};

// Caps on what one text is read into; anything beyond is dropped.
constexpr int maxHtmlNesting = 64;
constexpr std::size_t maxHtmlRuns = 20000;
constexpr std::size_t maxHtmlParagraphs = 10000;
constexpr qsizetype maxHtmlChars = 1 << 20;
// Font sizes set by the text are kept within 1..1000 pixels: a movie asking for more
// would only make the outlines and their caches huge.
constexpr double minHtmlFontSize = 20, maxHtmlFontSize = 20000;

// `style` and `format` are the field's own (its font, height, colour and layout). Raw line
// ends (CR, LF, CR LF) also break paragraphs. A text that ends with a paragraph break gets
// no empty last paragraph. Never returns an empty list.
std::vector<HtmlParagraph> parseHtmlText(QStringView html, const HtmlStyle& style, const HtmlParagraphFormat& format);

} // namespace swf::render
