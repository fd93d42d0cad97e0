#include "swf/render/TextRender.h"

#include "swf/render/HtmlText.h"
#include "swf/render/Renderer.h"
#include "swf/render/ShapeGeometry.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPainterPath>

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
        s.clear();
        const auto paragraphs = parseHtmlText(text, HtmlStyle{}, HtmlParagraphFormat{});
        for (std::size_t i = 0; i < paragraphs.size(); ++i) {
            if (i)
                s += QLatin1Char('\n');
            for (const HtmlRun& r : paragraphs[i].runs)
                s += r.text;
        }
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

// One font at one height that edit text is drawn in: embedded glyphs or a device font.
struct TextRender::Face {
    double height = 0;
    const DefineFont* font = nullptr;
    bool outlines = false; // embedded glyphs; otherwise a device font
    std::unordered_map<char16_t, std::uint32_t> codeToGlyph;
    double emScale = 0, ascent = 0, descent = 0;
    QFont deviceFont;
    std::optional<QFontMetricsF> metrics;
};

namespace {

bool hasOutlines(const DefineFont* f) { return f && !f->glyphs.empty() && !f->codes.empty(); }

// Distinct fonts one HTML text is drawn in; further ones draw in the first.
constexpr std::size_t maxHtmlFaces = 256;

struct HtmlPiece {
    int face = -1; // none: the run has no height and is not drawn
    Rgba color;
    bool underline = false;
    QString text;
};

// A line of HTML text: its runs, where it starts and its metrics, all in twips.
struct HtmlLine {
    std::vector<HtmlPiece> pieces;
    double x = 0, ascent = 0, descent = 0, leading = 0;
    // The first line of a list item carries the bullet.
    int bulletFace = -1;
    double bulletX = 0;
    Rgba bulletColor;
};

} // namespace

// How an edit text lays out its text: the font, the metrics and the lines after hard
// breaks and word wrap. Shared by drawing and by scrolling.
struct TextRender::EditLayout {
    QRectF box;
    // Plain text: one face for all of it.
    double height = 0;
    Face face;
    double lineHeight = 0;
    double left = 0, right = 0, avail = 0;
    EditTextLayout margins;
    std::vector<QString> lines;
    // HTML text: a face per style, lines of styled pieces.
    bool html = false;
    std::vector<Face> faces;
    std::unordered_map<QString, int> faceIndex;
    std::vector<HtmlLine> htmlLines;
};

void TextRender::setUpOutlines(Face& face, const DefineFont& f, double height)
{
    face.height = height;
    face.font = &f;
    face.outlines = true;
    for (std::uint32_t i = 0; i < f.codes.size() && i < f.glyphs.size(); ++i)
        face.codeToGlyph.emplace(static_cast<char16_t>(f.codes[i]), i);
    face.emScale = height / f.emSquare();
    if (f.layout && f.layout->ascent > 0) {
        face.ascent = f.layout->ascent * face.emScale;
        face.descent = f.layout->descent * face.emScale;
    } else {
        face.ascent = height * 0.9;
        face.descent = height * 0.2;
    }
}

void TextRender::setUpDevice(Face& face, const QString& family, double height, bool bold, bool italic)
{
    face.height = height;
    face.outlines = false;
    face.deviceFont = QFont(family);
    face.deviceFont.setPixelSize(std::max(1, static_cast<int>(std::lround(height))));
    face.deviceFont.setBold(bold);
    face.deviceFont.setItalic(italic);
    face.deviceFont.setHintingPreference(QFont::PreferNoHinting);
    face.metrics.emplace(face.deviceFont);
    face.ascent = face.metrics->ascent();
    face.descent = face.metrics->descent();
}

double TextRender::advanceOf(const Face& l, QChar c)
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
    if (edit.html)
        return layoutHtml(edit, rawText, l);
    const QString text = visibleText(edit, rawText);
    if (text.isEmpty())
        return false;
    l.height = edit.fontHeight ? std::max(0, edit.fontHeight->value) : 240.0;
    if (l.height <= 0)
        return false;
    const DefineFont* f = edit.fontId ? font(*edit.fontId) : nullptr;
    l.margins = edit.layout.value_or(EditTextLayout{});

    // Embedded outlines when asked for and present; otherwise a device font.
    if (edit.useOutlines && hasOutlines(f))
        setUpOutlines(l.face, *f, l.height);
    else
        setUpDevice(l.face, deviceFamily(f ? fontName(*f) : QString()), l.height, f && f->bold, f && f->italic);
    l.lineHeight = l.face.ascent + l.face.descent + l.margins.leading.value;

    auto widthOf = [&](QStringView s) {
        double w = 0;
        for (QChar c : s)
            w += advanceOf(l.face, c);
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

const DefineFont* TextRender::embeddedFont(const QString& name, bool bold, bool italic, const DefineFont* fallback) const
{
    // The font of that name whose style fits best; the lowest id among equals, so that
    // the choice does not depend on the order of the library.
    const DefineFont* best = nullptr;
    int bestScore = -1;
    for (const auto& [id, body] : lib_.characters) {
        const auto* f = body ? std::get_if<DefineFont>(body) : nullptr;
        if (!hasOutlines(f) || fontName(*f).compare(name, Qt::CaseInsensitive) != 0)
            continue;
        const int score = (f->bold == bold) * 2 + (f->italic == italic);
        if (score > bestScore || (score == bestScore && f->id < best->id)) {
            best = f;
            bestScore = score;
        }
    }
    return best ? best : fallback;
}

bool TextRender::layoutHtml(const DefineEditText& edit, const QString& rawText, EditLayout& l)
{
    l.html = true;
    const DefineFont* f = edit.fontId ? font(*edit.fontId) : nullptr;
    const EditTextLayout m = edit.layout.value_or(EditTextLayout{});
    HtmlStyle base;
    base.size = edit.fontHeight ? std::clamp(double(edit.fontHeight->value), 0.0, maxHtmlFontSize) : 240.0;
    base.color = edit.textColor.value_or(Rgba{0, 0, 0, 255});
    base.bold = f && f->bold;
    base.italic = f && f->italic;
    HtmlParagraphFormat format;
    format.align = m.align;
    format.leftMargin = m.leftMargin.value;
    format.rightMargin = m.rightMargin.value;
    format.indent = m.indent.value;
    format.leading = m.leading.value;
    std::vector<HtmlParagraph> paragraphs = parseHtmlText(rawText, base, format);

    if (!edit.multiline) { // one line: paragraph breaks read as spaces
        HtmlParagraph& one = paragraphs.front();
        for (std::size_t i = 1; i < paragraphs.size(); ++i) {
            HtmlParagraph& p = paragraphs[i];
            one.runs.push_back(HtmlRun{QStringLiteral(" "), p.runs.empty() ? p.style : p.runs.front().style});
            for (HtmlRun& r : p.runs)
                one.runs.push_back(std::move(r));
        }
        paragraphs.resize(1);
    }
    bool any = false;
    for (HtmlParagraph& p : paragraphs)
        for (HtmlRun& r : p.runs) {
            if (edit.password)
                r.text = QString(r.text.size(), QLatin1Char('*'));
            any = any || !r.text.isEmpty();
        }
    if (!any)
        return false;

    auto faceOf = [&](const HtmlStyle& s) -> int {
        if (s.size <= 0)
            return -1;
        const QString key = QStringLiteral("%1|%2|%3%4").arg(s.face).arg(s.size).arg(int(s.bold)).arg(int(s.italic));
        if (const auto it = l.faceIndex.find(key); it != l.faceIndex.end())
            return it->second;
        if (l.faces.size() >= maxHtmlFaces)
            return 0;
        // Embedded glyphs when the field draws with them and has the font; the device font
        // of that name otherwise.
        const DefineFont* embedded = nullptr;
        if (edit.useOutlines)
            embedded = s.face.isEmpty() ? (hasOutlines(f) ? embeddedFont(fontName(*f), s.bold, s.italic, f) : nullptr)
                                        : embeddedFont(s.face, s.bold, s.italic, nullptr);
        Face face;
        if (embedded)
            setUpOutlines(face, *embedded, s.size);
        else
            setUpDevice(face, deviceFamily(s.face.isEmpty() ? (f ? fontName(*f) : QString()) : s.face), s.size, s.bold,
                        s.italic);
        l.faces.push_back(std::move(face));
        const int index = static_cast<int>(l.faces.size()) - 1;
        l.faceIndex.emplace(key, index);
        return index;
    };

    for (const HtmlParagraph& p : paragraphs) {
        if (l.htmlLines.size() >= maxEditLines)
            break;
        // The paragraph as one string, each character with its run and advance.
        QString text;
        std::vector<std::uint32_t> runOf;
        std::vector<int> runFace(p.runs.size());
        for (std::size_t r = 0; r < p.runs.size(); ++r) {
            runFace[r] = faceOf(p.runs[r].style);
            text += p.runs[r].text;
            runOf.insert(runOf.end(), static_cast<std::size_t>(p.runs[r].text.size()), static_cast<std::uint32_t>(r));
        }
        std::vector<double> adv(static_cast<std::size_t>(text.size()));
        for (qsizetype i = 0; i < text.size(); ++i) {
            const int fi = runFace[runOf[i]];
            adv[i] = fi >= 0 ? advanceOf(l.faces[fi], text[i]) : 0.0;
        }
        const HtmlStyle& firstStyle = p.runs.empty() ? p.style : p.runs.front().style;
        const int firstFace = faceOf(firstStyle);
        const HtmlParagraphFormat& fm = p.format;
        const double start = l.box.left() + gutter + fm.leftMargin + fm.blockIndent;
        // List items: the bullet at the start, the text one and a half heights in.
        const double bulletIndent = fm.bullet ? 1.5 * (firstFace >= 0 ? l.faces[firstFace].height : 240.0) : 0.0;
        const double left = start + bulletIndent;
        const double right = l.box.right() - gutter - fm.rightMargin;
        const double avail = std::max(0.0, right - left);

        auto addLine = [&](qsizetype a, qsizetype b, bool first) {
            HtmlLine line;
            double width = 0;
            for (qsizetype i = a; i < b; ++i) {
                const std::uint32_t r = runOf[i];
                if (i == a || runOf[i - 1] != r) {
                    const HtmlRun& run = p.runs[r];
                    line.pieces.push_back(HtmlPiece{runFace[r], run.style.color, run.style.underline, {}});
                    if (const int fi = runFace[r]; fi >= 0) {
                        line.ascent = std::max(line.ascent, l.faces[fi].ascent);
                        line.descent = std::max(line.descent, l.faces[fi].descent);
                    }
                }
                line.pieces.back().text += text[i];
                width += adv[i];
            }
            if (line.pieces.empty() && firstFace >= 0) { // an empty line is as high as its font
                line.ascent = l.faces[firstFace].ascent;
                line.descent = l.faces[firstFace].descent;
            }
            line.leading = fm.leading;
            const double indent = first ? fm.indent : 0.0;
            if (fm.align == TextAlign::Right)
                line.x = right - width;
            else if (fm.align == TextAlign::Center)
                line.x = left + indent + (avail - indent - width) / 2;
            else // justified text is drawn left-aligned
                line.x = left + indent;
            if (first && fm.bullet) {
                line.bulletFace = firstFace;
                line.bulletX = start + fm.indent;
                line.bulletColor = firstStyle.color;
            }
            l.htmlLines.push_back(std::move(line));
        };

        const qsizetype n = text.size();
        if (!edit.wordWrap || avail <= 0) {
            addLine(0, n, true);
            continue;
        }
        // Word wrap across runs, breaking at spaces; the space at a break is not shown.
        qsizetype ls = 0, le = -1, ws = 0;
        double lineWidth = 0;
        bool first = true;
        while (l.htmlLines.size() < maxEditLines) {
            qsizetype we = text.indexOf(QLatin1Char(' '), ws);
            if (we < 0)
                we = n;
            double candidate = lineWidth;
            if (le >= 0)
                candidate += adv[le]; // the space before the word
            for (qsizetype k = ws; k < we; ++k)
                candidate += adv[k];
            const double room = first ? std::max(0.0, avail - fm.indent) : avail;
            if (le > ls && candidate > room) {
                addLine(ls, le, first);
                first = false;
                ls = ws;
                lineWidth = 0;
                for (qsizetype k = ws; k < we; ++k)
                    lineWidth += adv[k];
            } else {
                lineWidth = candidate;
            }
            le = we;
            if (we >= n)
                break;
            ws = we + 1;
        }
        if (l.htmlLines.size() < maxEditLines)
            addLine(ls, std::max(ls, le), first);
    }
    return true;
}

EditTextLines TextRender::editLines(const DefineEditText& edit, const QString& rawText)
{
    EditLayout l;
    if (!layoutEdit(edit, rawText, l))
        return {};
    EditTextLines out;
    if (l.html) {
        // Lines of their own heights: as many as fit counted from the last one, so that
        // the highest scroll shows the end of the text; at least one.
        out.count = static_cast<int>(l.htmlLines.size());
        const double room = l.box.height() - 2 * gutter;
        double used = 0;
        int fit = 0;
        for (std::size_t i = l.htmlLines.size(); i-- > 0;) {
            const HtmlLine& line = l.htmlLines[i];
            used += line.ascent + line.descent + (i + 1 < l.htmlLines.size() ? line.leading : 0.0);
            if (used > room)
                break;
            ++fit;
        }
        out.visible = std::max(1, fit);
        return out;
    }
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
    if (l.html) {
        drawHtml(p, l, scroll, toPainter, cx, solidMask, fill);
        return;
    }
    const QColor color = solidMask ? QColor(Qt::black) : cx.color(edit.textColor.value_or(Rgba{0, 0, 0, 255}));

    p.save();
    p.setTransform(toPainter);
    p.setClipRect(l.box, Qt::IntersectClip);
    // Scrolled: the first line shown is line `scroll` (from 1), at the top.
    const std::size_t first = static_cast<std::size_t>(std::clamp(scroll, 1, std::max(1, int(l.lines.size())))) - 1;
    double baseline = l.box.top() + gutter + l.face.ascent;
    for (std::size_t li = first; li < l.lines.size(); ++li) {
        const QString& line = l.lines[li];
        double w = 0;
        for (QChar c : line)
            w += advanceOf(l.face, c);
        double x = l.left + (li == 0 ? l.margins.indent.value : 0);
        if (l.margins.align == TextAlign::Right)
            x = l.right - w;
        else if (l.margins.align == TextAlign::Center)
            x = l.left + (l.avail - w) / 2;
        if (l.face.outlines) {
            for (QChar c : line) {
                const auto it = l.face.codeToGlyph.find(c.unicode());
                if (it != l.face.codeToGlyph.end()) {
                    if (const QPainterPath* g = glyph(*l.face.font, it->second); g && !g->isEmpty()) {
                        fill(*g, color, QTransform(l.face.emScale, 0, 0, l.face.emScale, x, baseline) * toPainter);
                        p.setTransform(toPainter);
                    }
                }
                x += advanceOf(l.face, c);
            }
        } else {
            // Device text as outlines filled like any shape, so that quality low gives
            // the same edge pixels as the movies' player and no hinted bitmap glyphs.
            // Character by character at the rounded advances (no kerning or joining).
            QPainterPath outlines;
            for (QChar c : line) {
                outlines.addText(QPointF(x, baseline), l.face.deviceFont, QString(c));
                x += advanceOf(l.face, c);
            }
            if (!outlines.isEmpty()) {
                fill(outlines, color, toPainter);
                p.setTransform(toPainter);
            }
        }
        baseline += l.lineHeight;
        if (baseline - l.face.ascent > l.box.bottom())
            break;
    }
    p.restore();
}

void TextRender::drawHtml(QPainter& p, EditLayout& l, int scroll, const QTransform& toPainter, const ColorXf& cx,
                          bool solidMask, const GlyphFill& fill)
{
    const auto& lines = l.htmlLines;
    if (lines.empty())
        return;
    auto colorOf = [&](Rgba c) { return solidMask ? QColor(Qt::black) : cx.color(c); };
    // Glyphs wholly outside the box are skipped; a glyph may reach this far past its advance.
    auto outside = [&](double x, double advance, double height) {
        return x > l.box.right() || x + advance + 2 * height < l.box.left();
    };
    auto drawChars = [&](const Face& face, QStringView s, double& x, double baseline, const QColor& color) {
        if (face.outlines) {
            for (QChar c : s) {
                const double advance = advanceOf(face, c);
                const auto it = face.codeToGlyph.find(c.unicode());
                if (it != face.codeToGlyph.end() && !outside(x, advance, face.height) && color.alpha() > 0) {
                    if (const QPainterPath* g = glyph(*face.font, it->second); g && !g->isEmpty()) {
                        fill(*g, color, QTransform(face.emScale, 0, 0, face.emScale, x, baseline) * toPainter);
                        p.setTransform(toPainter);
                    }
                }
                x += advance;
            }
            return;
        }
        // Device text the same way as plain text: outlines at whole-pixel advances.
        QPainterPath outlines;
        for (QChar c : s) {
            const double advance = advanceOf(face, c);
            if (!outside(x, advance, face.height))
                outlines.addText(QPointF(x, baseline), face.deviceFont, QString(c));
            x += advance;
        }
        if (!outlines.isEmpty() && color.alpha() > 0) {
            fill(outlines, color, toPainter);
            p.setTransform(toPainter);
        }
    };

    p.save();
    p.setTransform(toPainter);
    p.setClipRect(l.box, Qt::IntersectClip);
    const std::size_t first = static_cast<std::size_t>(std::clamp(scroll, 1, int(lines.size()))) - 1;
    double baseline = l.box.top() + gutter + lines[first].ascent;
    for (std::size_t li = first; li < lines.size(); ++li) {
        const HtmlLine& line = lines[li];
        if (li > first)
            baseline += lines[li - 1].descent + lines[li - 1].leading + line.ascent;
        if (baseline - line.ascent > l.box.bottom())
            break;
        if (line.bulletFace >= 0) {
            // The bullet in the device font of the item's size; embedded fonts seldom have it.
            const Face& bf = l.faces[line.bulletFace];
            Face device;
            const Face* use = &bf;
            if (bf.outlines) {
                setUpDevice(device, deviceFamily(QString()), bf.height, false, false);
                use = &device;
            }
            double bx = line.bulletX;
            drawChars(*use, u"\u2022", bx, baseline, colorOf(line.bulletColor));
        }
        double x = line.x;
        for (const HtmlPiece& piece : line.pieces) {
            if (piece.face < 0)
                continue;
            const Face& face = l.faces[piece.face];
            const QColor color = colorOf(piece.color);
            const double x0 = x;
            drawChars(face, piece.text, x, baseline, color);
            if (piece.underline && x > x0 && color.alpha() > 0) {
                // A line one pixel high, about half the descent below the baseline.
                const double y = baseline + std::max(20.0, std::round(face.descent / 40.0) * 20.0);
                QPainterPath bar;
                bar.addRect(QRectF(x0, y, x - x0, 20.0));
                fill(bar, color, toPainter);
                p.setTransform(toPainter);
            }
        }
    }
    p.restore();
}

} // namespace swf::render
