#include "swf/render/HtmlText.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>

namespace swf::render {
namespace {

// Margins and block indents set by the text stay within 0..2000 pixels, first-line
// indents and leading within -2000..2000: enough for any real layout, and no overflow
// when lines are placed.
constexpr double maxHtmlMargin = 40000;
// Attributes read from one tag, and the longest face name kept.
constexpr int maxAttributes = 32;
constexpr qsizetype maxFaceLength = 256;
// The longest entity looked for after '&' ("&#x10FFFF;" and the named ones fit).
constexpr qsizetype maxEntityLength = 10;

bool isSpace(QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r'); }

bool isNameChar(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') || u == '_' || u == '-' || u == ':';
}

// The character an entity stands for, given what lies between '&' and ';'.
std::optional<char32_t> entityValue(QStringView name)
{
    static const std::pair<const char*, char32_t> named[] = {
        {"lt", '<'}, {"gt", '>'}, {"amp", '&'}, {"quot", '"'}, {"apos", '\''}, {"nbsp", 0xA0},
    };
    for (const auto& [n, v] : named)
        if (name == QLatin1String(n))
            return v;
    if (name.size() < 2 || name[0] != QLatin1Char('#'))
        return std::nullopt;
    QStringView digits = name.mid(1);
    int base = 10;
    if (digits[0] == QLatin1Char('x') || digits[0] == QLatin1Char('X')) {
        base = 16;
        digits = digits.mid(1);
    }
    if (digits.isEmpty() || digits.size() > 8)
        return std::nullopt;
    bool ok = false;
    const qulonglong v = digits.toULongLong(&ok, base);
    // Not a character: nothing, a surrogate half, or beyond Unicode.
    if (!ok || v == 0 || v > 0x10FFFF || (v >= 0xD800 && v <= 0xDFFF))
        return std::nullopt;
    return static_cast<char32_t>(v);
}

QString decodeEntities(QStringView s)
{
    QString out;
    out.reserve(s.size());
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s[i] == QLatin1Char('&')) {
            const qsizetype semi = s.mid(i + 1, maxEntityLength).indexOf(QLatin1Char(';'));
            if (semi > 0) {
                if (const auto v = entityValue(s.mid(i + 1, semi))) {
                    const char32_t c = *v;
                    out += QString::fromUcs4(&c, 1);
                    i += semi + 1;
                    continue;
                }
            }
        }
        out += s[i];
    }
    return out;
}

struct Attribute {
    QString name; // lower case
    QString value;
};

struct Tag {
    QString name; // lower case
    bool closing = false;
    std::vector<Attribute> attributes;

    const QString* attribute(const char* n) const
    {
        for (const Attribute& a : attributes)
            if (a.name == QLatin1String(n))
                return &a.value;
        return nullptr;
    }
};

// What lies between '<' and '>'.
Tag readTag(QStringView s)
{
    Tag t;
    qsizetype i = 0;
    auto skipSpace = [&] {
        while (i < s.size() && isSpace(s[i]))
            ++i;
    };
    skipSpace();
    if (i < s.size() && s[i] == QLatin1Char('/')) {
        t.closing = true;
        ++i;
    }
    const qsizetype nameStart = i;
    while (i < s.size() && isNameChar(s[i]))
        ++i;
    t.name = s.mid(nameStart, i - nameStart).toString().toLower();
    while (i < s.size() && static_cast<int>(t.attributes.size()) < maxAttributes) {
        while (i < s.size() && (isSpace(s[i]) || s[i] == QLatin1Char('/')))
            ++i;
        const qsizetype an = i;
        while (i < s.size() && !isSpace(s[i]) && s[i] != QLatin1Char('=') && s[i] != QLatin1Char('/'))
            ++i;
        if (i == an) {
            if (i < s.size())
                ++i; // a lone '=': step over it
            continue;
        }
        Attribute a;
        a.name = s.mid(an, i - an).toString().toLower();
        skipSpace();
        if (i < s.size() && s[i] == QLatin1Char('=')) {
            ++i;
            skipSpace();
            qsizetype vs = i, ve = i;
            if (i < s.size() && (s[i] == QLatin1Char('"') || s[i] == QLatin1Char('\''))) {
                const QChar quote = s[i];
                vs = ++i;
                while (i < s.size() && s[i] != quote)
                    ++i;
                ve = i;
                if (i < s.size())
                    ++i;
            } else {
                while (i < s.size() && !isSpace(s[i]))
                    ++i;
                ve = i;
            }
            a.value = decodeEntities(s.mid(vs, ve - vs));
        }
        t.attributes.push_back(std::move(a));
    }
    return t;
}

std::optional<double> number(const QString& s)
{
    bool ok = false;
    const double v = s.trimmed().toDouble(&ok);
    return ok && std::isfinite(v) ? std::optional<double>(v) : std::nullopt;
}

// "#RRGGBB" (also without '#', or with "0x"); anything else is not a colour.
std::optional<Rgba> colorValue(const QString& s, std::uint8_t alpha)
{
    QStringView v = QStringView(s).trimmed();
    if (v.startsWith(QLatin1Char('#')))
        v = v.mid(1);
    else if (v.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        v = v.mid(2);
    if (v.isEmpty() || v.size() > 6)
        return std::nullopt;
    bool ok = false;
    const uint rgb = v.toUInt(&ok, 16);
    if (!ok)
        return std::nullopt;
    return Rgba{static_cast<std::uint8_t>(rgb >> 16), static_cast<std::uint8_t>(rgb >> 8), static_cast<std::uint8_t>(rgb),
                alpha};
}

class Parser {
public:
    Parser(const HtmlStyle& style, const HtmlParagraphFormat& format)
        : style_(style)
        , format_(format)
    {
        paragraphs_.push_back(HtmlParagraph{format_, style_, {}});
    }

    std::vector<HtmlParagraph> parse(QStringView html)
    {
        qsizetype nextGt = -2; // not yet searched
        qsizetype i = 0;
        while (i < html.size() && !full_) {
            const qsizetype lt = html.indexOf(QLatin1Char('<'), i);
            if (lt < 0) {
                text(html.mid(i));
                break;
            }
            if (lt > i)
                text(html.mid(i, lt - i));
            // One search for each '>' over the whole text, however many '<' there are.
            if (nextGt != -1 && nextGt <= lt)
                nextGt = html.indexOf(QLatin1Char('>'), lt + 1);
            if (nextGt < 0) { // a '<' that opens no tag is text
                text(html.mid(lt));
                break;
            }
            tag(readTag(html.mid(lt + 1, nextGt - lt - 1)));
            i = nextGt + 1;
        }
        if (paragraphs_.size() > 1 && paragraphs_.back().runs.empty())
            paragraphs_.pop_back(); // the last paragraph's end adds no empty line
        return std::move(paragraphs_);
    }

private:
    struct Frame {
        QString tag;
        HtmlStyle style; // as before the tag opened
        HtmlParagraphFormat format;
    };

    void text(QStringView raw)
    {
        const QString s = decodeEntities(raw);
        for (qsizetype i = 0; i < s.size() && !full_; ++i) {
            const QChar c = s[i];
            if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
                if (c == QLatin1Char('\r') && i + 1 < s.size() && s[i + 1] == QLatin1Char('\n'))
                    ++i;
                paragraphBreak();
                continue;
            }
            if (chars_ >= maxHtmlChars) {
                full_ = true;
                break;
            }
            auto& runs = paragraphs_.back().runs;
            if (runs.empty() || !(runs.back().style == style_)) {
                if (runCount_ >= maxHtmlRuns) {
                    if (runs.empty())
                        continue; // no run left to carry it
                } else {
                    runs.push_back(HtmlRun{{}, style_});
                    ++runCount_;
                }
            }
            runs.back().text += c;
            ++chars_;
        }
    }

    void paragraphBreak()
    {
        if (paragraphs_.size() >= maxHtmlParagraphs) {
            full_ = true;
            return;
        }
        paragraphs_.push_back(HtmlParagraph{format_, style_, {}});
    }

    // A block tag starts its own paragraph.
    void blockStart()
    {
        if (!paragraphs_.back().runs.empty())
            paragraphBreak();
    }

    void tag(const Tag& t)
    {
        const QString& n = t.name;
        const bool block = n == QLatin1String("p") || n == QLatin1String("li");
        if (t.closing) {
            close(n);
            if (block)
                paragraphBreak();
        } else if (n == QLatin1String("br")) {
            paragraphBreak();
        } else if (block || n == QLatin1String("font") || n == QLatin1String("b") || n == QLatin1String("i") ||
                   n == QLatin1String("u") || n == QLatin1String("a") || n == QLatin1String("textformat")) {
            if (block)
                blockStart();
            open(t);
        }
        // A paragraph without text yet takes the format and style now in force.
        HtmlParagraph& p = paragraphs_.back();
        if (p.runs.empty()) {
            p.format = format_;
            p.style = style_;
        }
    }

    void open(const Tag& t)
    {
        if (static_cast<int>(stack_.size()) >= maxHtmlNesting)
            return; // too deep: the tag is ignored
        stack_.push_back(Frame{t.name, style_, format_});
        const QString& n = t.name;
        if (n == QLatin1String("b")) {
            style_.bold = true;
        } else if (n == QLatin1String("i")) {
            style_.italic = true;
        } else if (n == QLatin1String("u")) {
            style_.underline = true;
        } else if (n == QLatin1String("font")) {
            if (const QString* face = t.attribute("face")) {
                const QString first = face->section(QLatin1Char(','), 0, 0).trimmed().left(maxFaceLength);
                if (!first.isEmpty())
                    style_.face = first;
            }
            if (const QString* size = t.attribute("size")) {
                const QString v = size->trimmed();
                const bool relative = v.startsWith(QLatin1Char('+')) || v.startsWith(QLatin1Char('-'));
                if (const auto px = number(v)) {
                    const double twips = relative ? style_.size + *px * 20 : *px * 20;
                    style_.size = std::clamp(twips, minHtmlFontSize, maxHtmlFontSize);
                }
            }
            if (const QString* color = t.attribute("color"))
                if (const auto c = colorValue(*color, style_.color.a))
                    style_.color = *c;
        } else if (n == QLatin1String("p")) {
            if (const QString* align = t.attribute("align")) {
                const QString a = align->trimmed().toLower();
                if (a == QLatin1String("left"))
                    format_.align = TextAlign::Left;
                else if (a == QLatin1String("right"))
                    format_.align = TextAlign::Right;
                else if (a == QLatin1String("center"))
                    format_.align = TextAlign::Center;
                else if (a == QLatin1String("justify"))
                    format_.align = TextAlign::Justify;
            }
        } else if (n == QLatin1String("li")) {
            format_.bullet = true;
        } else if (n == QLatin1String("textformat")) {
            auto set = [&](const char* name, double& field, double lowest) {
                if (const QString* v = t.attribute(name))
                    if (const auto px = number(*v))
                        field = std::clamp(*px * 20, lowest, maxHtmlMargin);
            };
            set("leftmargin", format_.leftMargin, 0);
            set("rightmargin", format_.rightMargin, 0);
            set("blockindent", format_.blockIndent, 0);
            set("indent", format_.indent, -maxHtmlMargin);
            set("leading", format_.leading, -maxHtmlMargin);
        }
    }

    // Closes the innermost open tag of that name and all opened after it; a closing tag
    // with nothing to close is ignored.
    void close(const QString& name)
    {
        for (std::size_t k = stack_.size(); k-- > 0;) {
            if (stack_[k].tag == name) {
                style_ = stack_[k].style;
                format_ = stack_[k].format;
                stack_.resize(k);
                return;
            }
        }
    }

    HtmlStyle style_;
    HtmlParagraphFormat format_;
    std::vector<Frame> stack_;
    std::vector<HtmlParagraph> paragraphs_;
    std::size_t runCount_ = 0;
    qsizetype chars_ = 0;
    bool full_ = false;
};

} // namespace

std::vector<HtmlParagraph> parseHtmlText(QStringView html, const HtmlStyle& style, const HtmlParagraphFormat& format)
{
    return Parser(style, format).parse(html);
}

} // namespace swf::render
