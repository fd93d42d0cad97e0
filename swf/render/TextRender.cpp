#include "swf/render/TextRender.h"

#include "swf/render/Renderer.h"
#include "swf/render/ShapeGeometry.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPainterPath>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <functional>
#include <optional>

namespace swf::render {
namespace {

// Edit text keeps this much space between its bounds and the text (two pixels).
constexpr double gutter = 40.0;
// Lines one edit text is broken into at most; the rest is not shown.
constexpr std::size_t maxEditLines = 10000;

QString decodeEntities(QString s)
{
    s.replace(QLatin1String("&lt;"), QLatin1String("<"));
    s.replace(QLatin1String("&gt;"), QLatin1String(">"));
    s.replace(QLatin1String("&quot;"), QLatin1String("\""));
    s.replace(QLatin1String("&apos;"), QLatin1String("'"));
    s.replace(QLatin1String("&nbsp;"), QString(QChar(0xA0)));
    s.replace(QLatin1String("&amp;"), QLatin1String("&"));
    return s;
}

// The family device text is drawn in. The generic names get the Noto families (installed
// with the program) so that text looks the same on every machine; a named font that is
// not installed falls back to the sans one, as it would in the movies' player.
QString deviceFamily(const QString& name)
{
    auto pick = [](const char* preferred, const char* generic) {
        const QString family = QString::fromLatin1(preferred);
        return QFontDatabase::hasFamily(family) ? family : QString::fromLatin1(generic);
    };
    static const QString sans = pick("Noto Sans", "sans-serif");
    static const QString serif = pick("Noto Serif", "serif");
    static const QString mono = pick("Noto Sans Mono", "monospace");
    if (name.isEmpty() || name == QLatin1String("_sans"))
        return sans;
    if (name == QLatin1String("_serif"))
        return serif;
    if (name == QLatin1String("_typewriter"))
        return mono;
    return QFontDatabase::hasFamily(name) ? name : sans;
}

} // namespace

QString TextRender::visibleText(const DefineEditText& edit, const QString& text)
{
    QString s = text;
    if (edit.html) {
        static const QRegularExpression lineBreaks(QStringLiteral("<\\s*(br\\s*/?|/p|/li)\\s*>"),
                                                   QRegularExpression::CaseInsensitiveOption);
        static const QRegularExpression tags(QStringLiteral("<[^>]*>"));
        s.replace(lineBreaks, QStringLiteral("\n"));
        s.remove(tags);
        s = decodeEntities(s);
        if (s.endsWith(QLatin1Char('\n')))
            s.chop(1); // the closing paragraph adds no empty line
    }
    s.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    if (!edit.multiline)
        s.replace(QLatin1Char('\n'), QLatin1Char(' '));
    if (edit.password)
        s = QString(s.size(), QLatin1Char('*'));
    return s;
}

const DefineFont* TextRender::font(std::uint16_t id) const
{
    const TagBody* b = lib_.find(id);
    return b ? std::get_if<DefineFont>(b) : nullptr;
}

QString TextRender::fontName(const DefineFont& f) const
{
    std::string name = f.name;
    if (name.empty()) {
        const auto it = lib_.fontInfo.find(f.id);
        if (it != lib_.fontInfo.end() && it->second)
            name = it->second->name;
    }
    while (!name.empty() && name.back() == '\0')
        name.pop_back();
    return lib_.swfVersion >= 6 ? QString::fromStdString(name) : QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
}

const QPainterPath* TextRender::glyph(const DefineFont& font, std::uint32_t index)
{
    if (index >= font.glyphs.size())
        return nullptr;
    auto& list = glyphs_[&font];
    if (list.empty())
        list.resize(font.glyphs.size());
    QPainterPath& p = list[index];
    if (p.isEmpty() && !font.glyphs[index].records.empty())
        p = buildGlyph(font.glyphs[index]);
    return &p;
}

void TextRender::drawStatic(QPainter&, const DefineText& text, const QTransform& toPainter, const ColorXf& cx,
                            bool solidMask, const GlyphFill& fill)
{
    const QTransform base = toQTransform(text.matrix) * toPainter;
    const DefineFont* f = nullptr;
    double height = 0, x = 0, y = 0;
    QColor color = Qt::black;
    for (const TextRecord& r : text.records) {
        if (r.fontId)
            f = font(*r.fontId);
        if (r.height)
            height = r.height->value;
        if (r.color)
            color = solidMask ? QColor(Qt::black) : cx.color(*r.color);
        if (r.xOffset)
            x = r.xOffset->value;
        if (r.yOffset)
            y = r.yOffset->value;
        if (!f) {
            for (const GlyphEntry& g : r.glyphs)
                x += g.advance;
            continue;
        }
        const double s = height / f->emSquare();
        for (const GlyphEntry& g : r.glyphs) {
            if (const QPainterPath* path = glyph(*f, g.index); path && !path->isEmpty() && color.alpha() > 0) {
                fill(*path, color, QTransform(s, 0, 0, s, x, y) * base);
            }
            x += g.advance;
        }
    }
}

void TextRender::drawBorder(QPainter& p, const QRectF& box, const QTransform& toPainter, const ColorXf& cx,
                            bool solidMask)
{
    const QColor background = solidMask ? QColor(Qt::black) : cx.color(Rgba{255, 255, 255, 255});
    const QColor border = solidMask ? QColor(Qt::black) : cx.color(Rgba{0, 0, 0, 255});
    if (toPainter.isAffine() && toPainter.m12() == 0 && toPainter.m21() == 0) {
        // Unrotated: a one-pixel frame on whole pixels, the right and bottom lines on the
        // pixels just inside the far edges, the far corner left out.
        const QRectF d = toPainter.mapRect(box);
        const int x0 = qRound(d.left()), y0 = qRound(d.top()), x1 = qRound(d.right()), y1 = qRound(d.bottom());
        if (x1 <= x0 || y1 <= y0)
            return;
        p.save();
        p.resetTransform();
        p.fillRect(QRect(x0, y0, x1 - x0, y1 - y0), background);
        p.fillRect(QRect(x0, y0, x1 - x0 + 1, 1), border);
        p.fillRect(QRect(x0, y0, 1, y1 - y0 + 1), border);
        p.fillRect(QRect(x1, y0, 1, y1 - y0), border);
        p.fillRect(QRect(x0, y1, x1 - x0, 1), border);
        p.restore();
        return;
    }
    p.setTransform(toPainter);
    p.fillRect(box, background);
    QPen pen(border);
    pen.setCosmetic(true);
    pen.setWidthF(1.0);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawRect(box);
}

// How an edit text lays out its text: the font, the metrics and the lines after hard
// breaks and word wrap. Shared by drawing and by scrolling.
struct TextRender::EditLayout {
    QRectF box;
    double height = 0;
    const DefineFont* font = nullptr;
    bool outlines = false; // embedded glyphs; otherwise a device font
    std::unordered_map<char16_t, std::uint32_t> codeToGlyph;
    double emScale = 0, ascent = 0, descent = 0, lineHeight = 0;
    QFont deviceFont;
    std::optional<QFontMetricsF> metrics;
    double left = 0, right = 0, avail = 0;
    EditTextLayout margins;
    std::vector<QString> lines;
};

double TextRender::advanceOf(EditLayout& l, QChar c)
{
    if (!l.outlines) // device text steps by whole pixels (20 twips), as the movies' player lays it out
        return std::round(l.metrics->horizontalAdvance(c) / 20.0) * 20.0;
    const auto it = l.codeToGlyph.find(c.unicode());
    if (it == l.codeToGlyph.end())
        return c == QLatin1Char(' ') ? l.height / 4 : 0.0;
    if (l.font->layout && it->second < l.font->layout->advances.size())
        return l.font->layout->advances[it->second] * l.emScale;
    const QPainterPath* g = glyph(*l.font, it->second);
    return g ? g->boundingRect().right() * l.emScale : 0.0;
}

bool TextRender::layoutEdit(const DefineEditText& edit, const QString& rawText, EditLayout& l)
{
    l.box = QRectF(QPointF(edit.bounds.xMin.value, edit.bounds.yMin.value),
                   QPointF(edit.bounds.xMax.value, edit.bounds.yMax.value))
                .normalized();
    const QString text = visibleText(edit, rawText);
    if (text.isEmpty())
        return false;
    l.height = edit.fontHeight ? std::max(0, edit.fontHeight->value) : 240.0;
    if (l.height <= 0)
        return false;
    const DefineFont* f = edit.fontId ? font(*edit.fontId) : nullptr;
    l.font = f;
    l.margins = edit.layout.value_or(EditTextLayout{});

    // Embedded outlines when asked for and present; otherwise a device font.
    l.outlines = edit.useOutlines && f && !f->glyphs.empty() && !f->codes.empty();
    if (l.outlines) {
        for (std::uint32_t i = 0; i < f->codes.size() && i < f->glyphs.size(); ++i)
            l.codeToGlyph.emplace(static_cast<char16_t>(f->codes[i]), i);
        l.emScale = l.height / f->emSquare();
        if (f->layout && f->layout->ascent > 0) {
            l.ascent = f->layout->ascent * l.emScale;
            l.descent = f->layout->descent * l.emScale;
        } else {
            l.ascent = l.height * 0.9;
            l.descent = l.height * 0.2;
        }
    } else {
        l.deviceFont = QFont(deviceFamily(f ? fontName(*f) : QString()));
        l.deviceFont.setPixelSize(std::max(1, static_cast<int>(std::lround(l.height))));
        if (f) {
            l.deviceFont.setBold(f->bold);
            l.deviceFont.setItalic(f->italic);
        }
        l.deviceFont.setHintingPreference(QFont::PreferNoHinting);
        l.metrics.emplace(l.deviceFont);
        l.ascent = l.metrics->ascent();
        l.descent = l.metrics->descent();
    }
    l.lineHeight = l.ascent + l.descent + l.margins.leading.value;

    auto widthOf = [&](QStringView s) {
        double w = 0;
        for (QChar c : s)
            w += advanceOf(l, c);
        return w;
    };
    // Lines: hard breaks, then word wrap within the width.
    l.left = l.box.left() + gutter + l.margins.leftMargin.value;
    l.right = l.box.right() - gutter - l.margins.rightMargin.value;
    l.avail = std::max(0.0, l.right - l.left);
    for (const QString& para : text.split(QLatin1Char('\n'))) {
        if (l.lines.size() >= maxEditLines)
            break;
        if (!edit.wordWrap || l.avail <= 0) {
            l.lines.push_back(para);
            continue;
        }
        QString line;
        const QStringList words = para.split(QLatin1Char(' '));
        for (qsizetype i = 0; i < words.size(); ++i) {
            const QString candidate = line.isEmpty() && i == 0 ? words[i] : line + QLatin1Char(' ') + words[i];
            if (!line.isEmpty() && widthOf(candidate) > l.avail) {
                l.lines.push_back(line);
                line = words[i];
            } else {
                line = candidate;
            }
        }
        l.lines.push_back(line);
    }
    return true;
}

EditTextLines TextRender::editLines(const DefineEditText& edit, const QString& rawText)
{
    EditLayout l;
    if (!layoutEdit(edit, rawText, l))
        return {};
    EditTextLines out;
    out.count = static_cast<int>(l.lines.size());
    // Lines whose whole height fits between the gutters; at least one.
    const double room = l.box.height() - 2 * gutter + l.margins.leading.value;
    const double fit = l.lineHeight > 0 ? std::floor(room / l.lineHeight) : 1.0;
    out.visible = std::isfinite(fit) ? static_cast<int>(std::clamp(fit, 1.0, double(maxEditLines))) : 1;
    return out;
}

void TextRender::drawEdit(QPainter& p, const DefineEditText& edit, const QString& rawText, int scroll,
                          const QTransform& toPainter, const ColorXf& cx, bool solidMask, const GlyphFill& fill)
{
    EditLayout l;
    const bool hasText = layoutEdit(edit, rawText, l);
    if (edit.border)
        drawBorder(p, l.box, toPainter, cx, solidMask);
    if (!hasText)
        return;
    const QColor color = solidMask ? QColor(Qt::black) : cx.color(edit.textColor.value_or(Rgba{0, 0, 0, 255}));

    p.save();
    p.setTransform(toPainter);
    p.setClipRect(l.box, Qt::IntersectClip);
    // Scrolled: the first line shown is line `scroll` (from 1), at the top.
    const std::size_t first = static_cast<std::size_t>(std::clamp(scroll, 1, std::max(1, int(l.lines.size())))) - 1;
    double baseline = l.box.top() + gutter + l.ascent;
    for (std::size_t li = first; li < l.lines.size(); ++li) {
        const QString& line = l.lines[li];
        double w = 0;
        for (QChar c : line)
            w += advanceOf(l, c);
        double x = l.left + (li == 0 ? l.margins.indent.value : 0);
        if (l.margins.align == TextAlign::Right)
            x = l.right - w;
        else if (l.margins.align == TextAlign::Center)
            x = l.left + (l.avail - w) / 2;
        if (l.outlines) {
            for (QChar c : line) {
                const auto it = l.codeToGlyph.find(c.unicode());
                if (it != l.codeToGlyph.end()) {
                    if (const QPainterPath* g = glyph(*l.font, it->second); g && !g->isEmpty()) {
                        fill(*g, color, QTransform(l.emScale, 0, 0, l.emScale, x, baseline) * toPainter);
                        p.setTransform(toPainter);
                    }
                }
                x += advanceOf(l, c);
            }
        } else {
            // Device text as outlines filled like any shape, so that quality low gives
            // the same edge pixels as the movies' player and no hinted bitmap glyphs.
            // Character by character at the rounded advances (no kerning or joining).
            QPainterPath outlines;
            for (QChar c : line) {
                outlines.addText(QPointF(x, baseline), l.deviceFont, QString(c));
                x += advanceOf(l, c);
            }
            if (!outlines.isEmpty()) {
                fill(outlines, color, toPainter);
                p.setTransform(toPainter);
            }
        }
        baseline += l.lineHeight;
        if (baseline - l.ascent > l.box.bottom())
            break;
    }
    p.restore();
}

} // namespace swf::render
