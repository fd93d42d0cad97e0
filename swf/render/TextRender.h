#pragma once
// Static text from embedded font glyphs, and edit text with device fonts or embedded
// outlines; HTML edit text in the fonts, sizes, colours and paragraph formats its markup
// asks for. Glyph outlines are built once per font and kept.
#include "swf/render/ColorTransform.h"
#include "swf/render/Scene.h"

#include <QPainter>
#include <QPainterPath>
#include <QString>
#include <QTransform>

#include <algorithm>
#include <functional>
#include <unordered_map>
#include <vector>

namespace swf::render {

// The lines an edit text breaks its text into, and how many of them its box shows.
struct EditTextLines {
    int count = 0;
    int visible = 1;
    // The highest first line to scroll to (from 1), as the `maxscroll` property.
    int maxScroll() const { return std::max(1, count - visible + 1); }
};

class TextRender {
public:
    // Fills a glyph outline given in coordinates that `toPainter` maps to the painter's.
    using GlyphFill = std::function<void(const QPainterPath& path, const QColor& color, const QTransform& toPainter)>;

    explicit TextRender(const CharacterLibrary& library)
        : lib_(library)
    {
    }

    // `toPainter` maps the text's own twips to the painter's coordinates. `solidMask`
    // draws every glyph opaque black (for masks).
    void drawStatic(QPainter& p, const DefineText& text, const QTransform& toPainter, const ColorXf& cx, bool solidMask,
                    const GlyphFill& fill);
    // `scroll` is the first line shown, from 1 (clamped to the lines there are).
    void drawEdit(QPainter& p, const DefineEditText& edit, const QString& text, int scroll, const QTransform& toPainter,
                  const ColorXf& cx, bool solidMask, const GlyphFill& fill);
    EditTextLines editLines(const DefineEditText& edit, const QString& text);

    void clear() { glyphs_.clear(); }

    // The characters an edit text shows: HTML reduced to its text (see HtmlText.h), line
    // ends as '\n'.
    static QString visibleText(const DefineEditText& edit, const QString& text);

private:
    struct Face;
    struct EditLayout;
    bool layoutEdit(const DefineEditText& edit, const QString& text, EditLayout& layout);
    bool layoutHtml(const DefineEditText& edit, const QString& text, EditLayout& layout);
    void drawHtml(QPainter& p, EditLayout& layout, int scroll, const QTransform& toPainter, const ColorXf& cx,
                  bool solidMask, const GlyphFill& fill);
    void setUpOutlines(Face& face, const DefineFont& font, double height);
    void setUpDevice(Face& face, const QString& family, double height, bool bold, bool italic);
    double advanceOf(const Face& face, QChar c);
    // The embedded font of that name (with glyphs) whose style fits best, else `fallback`.
    const DefineFont* embeddedFont(const QString& name, bool bold, bool italic, const DefineFont* fallback) const;
    void drawBorder(QPainter& p, const QRectF& box, const QTransform& toPainter, const ColorXf& cx, bool solidMask);
    const QPainterPath* glyph(const DefineFont& font, std::uint32_t index);
    const DefineFont* font(std::uint16_t id) const;
    QString fontName(const DefineFont& f) const;

    const CharacterLibrary& lib_;
    std::unordered_map<const DefineFont*, std::vector<QPainterPath>> glyphs_;
};

} // namespace swf::render
