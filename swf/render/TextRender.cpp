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

namespace swf::render {
namespace {

// Edit text keeps this much space between its bounds and the text (two pixels).
constexpr double gutter = 40.0;

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

void TextRender::drawEdit(QPainter& p, const DefineEditText& edit, const QString& rawText, const QTransform& toPainter,
                          const ColorXf& cx, bool solidMask, const GlyphFill& fill)
{
    const QRectF box = QRectF(QPointF(edit.bounds.xMin.value, edit.bounds.yMin.value),
                              QPointF(edit.bounds.xMax.value, edit.bounds.yMax.value)).normalized();
    if (edit.border)
        drawBorder(p, box, toPainter, cx, solidMask);
    const QString text = visibleText(edit, rawText);
    if (text.isEmpty())
        return;

    const double height = edit.fontHeight ? std::max(0, edit.fontHeight->value) : 240.0;
    if (height <= 0)
        return;
    const QColor color = solidMask ? QColor(Qt::black) : cx.color(edit.textColor.value_or(Rgba{0, 0, 0, 255}));
    const DefineFont* f = edit.fontId ? font(*edit.fontId) : nullptr;
    const EditTextLayout layout = edit.layout.value_or(EditTextLayout{});

    // Embedded outlines when asked for and present; otherwise a device font.
    const bool outlines = edit.useOutlines && f && !f->glyphs.empty() && !f->codes.empty();
    std::unordered_map<char16_t, std::uint32_t> codeToGlyph;
    double emScale = 0, ascent = 0, descent = 0;
    QFont qfont;
    if (outlines) {
        for (std::uint32_t i = 0; i < f->codes.size() && i < f->glyphs.size(); ++i)
            codeToGlyph.emplace(static_cast<char16_t>(f->codes[i]), i);
        emScale = height / f->emSquare();
        if (f->layout && f->layout->ascent > 0) {
            ascent = f->layout->ascent * emScale;
            descent = f->layout->descent * emScale;
        } else {
            ascent = height * 0.9;
            descent = height * 0.2;
        }
    } else {
        qfont = QFont(deviceFamily(f ? fontName(*f) : QString()));
        qfont.setPixelSize(std::max(1, static_cast<int>(std::lround(height))));
        if (f) {
            qfont.setBold(f->bold);
            qfont.setItalic(f->italic);
        }
        qfont.setHintingPreference(QFont::PreferNoHinting);
        const QFontMetricsF fm(qfont);
        ascent = fm.ascent();
        descent = fm.descent();
    }
    const QFontMetricsF fm(qfont);

    auto advanceOf = [&](QChar c) -> double {
        if (!outlines) // device text steps by whole pixels (20 twips), as the movies' player lays it out
            return std::round(fm.horizontalAdvance(c) / 20.0) * 20.0;
        const auto it = codeToGlyph.find(c.unicode());
        if (it == codeToGlyph.end())
            return c == QLatin1Char(' ') ? height / 4 : 0.0;
        if (f->layout && it->second < f->layout->advances.size())
            return f->layout->advances[it->second] * emScale;
        const QPainterPath* g = glyph(*f, it->second);
        return g ? g->boundingRect().right() * emScale : 0.0;
    };
    auto widthOf = [&](QStringView s) {
        double w = 0;
        for (QChar c : s)
            w += advanceOf(c);
        return w;
    };

    // Lines: hard breaks, then word wrap within the width.
    const double left = box.left() + gutter + layout.leftMargin.value;
    const double right = box.right() - gutter - layout.rightMargin.value;
    const double avail = std::max(0.0, right - left);
    std::vector<QString> lines;
    for (const QString& para : text.split(QLatin1Char('\n'))) {
        if (!edit.wordWrap || avail <= 0) {
            lines.push_back(para);
            continue;
        }
        QString line;
        const QStringList words = para.split(QLatin1Char(' '));
        for (qsizetype i = 0; i < words.size(); ++i) {
            const QString candidate = line.isEmpty() && i == 0 ? words[i] : line + QLatin1Char(' ') + words[i];
            if (!line.isEmpty() && widthOf(candidate) > avail) {
                lines.push_back(line);
                line = words[i];
            } else {
                line = candidate;
            }
        }
        lines.push_back(line);
    }

    p.save();
    p.setTransform(toPainter);
    p.setClipRect(box, Qt::IntersectClip);
    const double lineHeight = ascent + descent + layout.leading.value;
    double baseline = box.top() + gutter + ascent;
    for (std::size_t li = 0; li < lines.size() && li < 10000; ++li) {
        const QString& line = lines[li];
        const double w = widthOf(line);
        double x = left + (li == 0 ? layout.indent.value : 0);
        if (layout.align == TextAlign::Right)
            x = right - w;
        else if (layout.align == TextAlign::Center)
            x = left + (avail - w) / 2;
        if (outlines) {
            for (QChar c : line) {
                const auto it = codeToGlyph.find(c.unicode());
                if (it != codeToGlyph.end()) {
                    if (const QPainterPath* g = glyph(*f, it->second); g && !g->isEmpty()) {
                        fill(*g, color, QTransform(emScale, 0, 0, emScale, x, baseline) * toPainter);
                        p.setTransform(toPainter);
                    }
                }
                x += advanceOf(c);
            }
        } else {
            // Device text as outlines filled like any shape, so that quality low gives
            // the same edge pixels as the movies' player and no hinted bitmap glyphs.
            // Character by character at the rounded advances (no kerning or joining).
            QPainterPath outlines;
            for (QChar c : line) {
                outlines.addText(QPointF(x, baseline), qfont, QString(c));
                x += advanceOf(c);
            }
            if (!outlines.isEmpty()) {
                fill(outlines, color, toPainter);
                p.setTransform(toPainter);
            }
        }
        baseline += lineHeight;
        if (baseline - ascent > box.bottom())
            break;
    }
    p.restore();
}

} // namespace swf::render
