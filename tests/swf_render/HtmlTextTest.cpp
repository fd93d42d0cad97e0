// HTML edit text: the markup read into runs and paragraphs, and how they are drawn.
#include "tests/swf_render/RenderTestSupport.h"

#include "swf/render/HtmlText.h"
#include "swf/render/TextRender.h"

#include <gtest/gtest.h>

#include <cstdio>

using namespace rt;
using swf::render::HtmlParagraph;
using swf::render::HtmlParagraphFormat;
using swf::render::HtmlStyle;

namespace {

HtmlStyle baseStyle()
{
    HtmlStyle s;
    s.size = 240; // 12 pixels
    s.color = Rgba{0, 0, 0, 255};
    return s;
}

// The paragraphs in a short form: "P" with the format where it is not the default, then
// each run as [text] with its style where it differs from the base one; paragraphs are
// separated by " / ".
std::string describe(const std::vector<HtmlParagraph>& paragraphs)
{
    const HtmlStyle base = baseStyle();
    std::string out;
    for (const HtmlParagraph& p : paragraphs) {
        if (!out.empty())
            out += " / ";
        out += "P";
        static const char* aligns[] = {"", ":right", ":center", ":justify"};
        out += aligns[static_cast<int>(p.format.align)];
        if (p.format.bullet)
            out += " li";
        auto length = [&](const char* name, double v) {
            if (v != 0)
                out += " " + std::string(name) + "=" + std::to_string(static_cast<int>(v));
        };
        length("lm", p.format.leftMargin);
        length("rm", p.format.rightMargin);
        length("in", p.format.indent);
        length("ld", p.format.leading);
        length("bi", p.format.blockIndent);
        for (const auto& r : p.runs) {
            out += " [" + r.text.toStdString() + "]";
            const HtmlStyle& s = r.style;
            if (s.bold)
                out += "b";
            if (s.italic)
                out += "i";
            if (s.underline)
                out += "u";
            if (s.face != base.face)
                out += "{" + s.face.toStdString() + "}";
            if (s.size != base.size)
                out += "@" + std::to_string(static_cast<int>(s.size));
            if (!(s.color == base.color)) {
                char hex[16];
                std::snprintf(hex, sizeof hex, "#%02x%02x%02x", s.color.r, s.color.g, s.color.b);
                out += hex;
            }
        }
    }
    return out;
}

TEST(HtmlText, ParsesRunsParagraphsAndEntities)
{
    const struct {
        const char* html;
        const char* expected;
    } cases[] = {
        {"plain", "P [plain]"},
        {"", "P"},
        {"<p align=\"center\"><font face=\"_serif, Times\" size=\"20\" color=\"#FF0000\">a</font>b</p><p>c</p>",
         "P:center [a]{_serif}@400#ff0000 [b] / P [c]"},
        {"<P ALIGN='right'>r</P><p align=justify>j</p><p align=\"sideways\">s</p>", "P:right [r] / P:justify [j] / P [s]"},
        // Entities, named and numeric; unknown or invalid ones stay as they are.
        {"a&lt;b&gt;&amp;&quot;&apos;&nbsp;&#65;&#x42;&#x1F600;&bogus;&#0;&#xD800;&#99999999;&amp",
         "P [a<b>&\"'\u00A0AB\U0001F600&bogus;&#0;&#xD800;&#99999999;&amp]"},
        // Nesting: a closing tag closes what was opened inside it; strays are ignored.
        {"<b>x<i>y</b>z</i></u></font>", "P [x]b [y]bi [z]"},
        {"<u><a href=\"http://x\">link</a></u><a>k</a>", "P [link]u [k]"},
        // Sizes in pixels, relative ones from the size in force, all within 1..1000 pixels.
        {"<font size=\"+10\">a<font size=\"-99999\">b</font><font size=\"99999\">c</font>"
         "<font size=\"abc\" color=\"nonsense\">d</font><font size=\"-5\" color=\"#12\">e</font></font>",
         "P [a]@440 [b]@20 [c]@20000 [d]@440 [e]@340#000012"},
        {"<font size=\"-3\">a</font><font size=\"0\">b</font>", "P [a]@180 [b]@20"},
        // Breaks: <br>, raw line ends and the end of a paragraph; none at the very end.
        {"a<br>b\r\nc\rd\ne<br/></p>", "P [a] / P [b] / P [c] / P [d] / P [e] / P"},
        {"<p>a</p>", "P [a]"},
        {"<p></p><p>b</p>", "P / P [b]"},
        // Unknown tags are skipped, their text kept; a '<' that opens no tag is text.
        {"x<span class='c'>y</span><img src=\"i\"/>z", "P [xyz]"},
        {"a < b", "P [a < b]"},
        {"a > b <", "P [a > b <]"},
        {"<li>one</li><li>two</li>after", "P li [one] / P li [two] / P [after]"},
        {"<textformat leftmargin=\"5\" rightmargin=\"-3\" indent=\"-2\" leading=\"4\" blockindent=\"99999\">t</textformat>",
         "P lm=100 in=-40 ld=80 bi=40000 [t]"},
    };
    HtmlParagraphFormat format;
    for (const auto& c : cases)
        EXPECT_EQ(describe(swf::render::parseHtmlText(QString::fromUtf8(c.html), baseStyle(), format)), c.expected)
            << c.html;
}

TEST(HtmlText, HostileMarkupIsBounded)
{
    // Deep nesting, endless tags, runs and paragraphs: the reading stops at its caps.
    QString nested;
    for (int i = 0; i < 100000; ++i)
        nested += QStringLiteral("<font size=\"+7\" color=\"#%1\"><b>x").arg(i % 0xFFFFFF, 6, 16, QLatin1Char('0'));
    const auto deep = swf::render::parseHtmlText(nested, baseStyle(), {});
    ASSERT_EQ(deep.size(), 1u);
    EXPECT_LE(deep[0].runs.size(), swf::render::maxHtmlRuns);
    for (const auto& r : deep[0].runs)
        EXPECT_LE(r.style.size, swf::render::maxHtmlFontSize);

    const auto breaks = swf::render::parseHtmlText(QString(QStringLiteral("a<br>")).repeated(50000), baseStyle(), {});
    EXPECT_EQ(breaks.size(), swf::render::maxHtmlParagraphs);

    const auto opens = swf::render::parseHtmlText(QString(3 << 20, QLatin1Char('<')), baseStyle(), {});
    ASSERT_EQ(opens.size(), 1u);
    ASSERT_EQ(opens[0].runs.size(), 1u);
    EXPECT_EQ(opens[0].runs[0].text.size(), swf::render::maxHtmlChars);
}

// HTML edit text 1 in a device font: black, 12 pixels high, multiline, in `w` x `h` pixels.
DefineEditText htmlEdit(double w, double h)
{
    DefineEditText edit;
    edit.id = 1;
    edit.bounds = rectPx(0, 0, w, h);
    edit.fontHeight = px(12);
    edit.textColor = Rgba{0, 0, 0, 255};
    edit.html = true;
    edit.multiline = true;
    return edit;
}

QImage drawHtml(const QString& html, DefineEditText edit = htmlEdit(120, 80))
{
    Scene s;
    s.add(1, edit);
    s.place(1, 1).text = html;
    return s.render(static_cast<int>(edit.bounds.xMax.value / 20), static_cast<int>(edit.bounds.yMax.value / 20));
}

// The box around the pixels that are not white (empty when all are).
QRect inked(const QImage& img)
{
    QRect r;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixel(x, y) != qRgb(255, 255, 255))
                r |= QRect(x, y, 1, 1);
    return r;
}

int countColor(const QImage& img, QRgb c)
{
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            n += img.pixel(x, y) == c;
    return n;
}

TEST(HtmlTextRender, RunsDrawInTheirOwnColours)
{
    const QImage img = drawHtml(QStringLiteral("HH<font color=\"#0000FF\">HH</font>HH"));
    const int blue = countColor(img, qRgb(0, 0, 255)), black = countColor(img, qRgb(0, 0, 0));
    EXPECT_GT(blue, 20);
    EXPECT_GT(black, 2 * blue - 10); // the black runs either side together about twice as much
    // The blue run lies between the black ones.
    int firstBlue = img.width(), lastBlack = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            if (img.pixel(x, y) == qRgb(0, 0, 255))
                firstBlue = std::min(firstBlue, x);
            if (img.pixel(x, y) == qRgb(0, 0, 0))
                lastBlack = std::max(lastBlack, x);
        }
    EXPECT_GT(lastBlack, firstBlue);
}

TEST(HtmlTextRender, BiggerFontIsTallerAndBoldIsWider)
{
    const QRect regular = inked(drawHtml(QStringLiteral("HHHH")));
    const QRect big = inked(drawHtml(QStringLiteral("<font size=\"30\">HHHH</font>")));
    ASSERT_FALSE(regular.isEmpty());
    EXPECT_GE(big.height(), 2 * regular.height());
    // Bold letters step further (at 40 pixels, where the whole-pixel advances differ).
    const QRect large = inked(drawHtml(QStringLiteral("<font size=\"40\">HHHH</font>"), htmlEdit(200, 80)));
    const QRect bold = inked(drawHtml(QStringLiteral("<font size=\"40\"><b>HHHH</b></font>"), htmlEdit(200, 80)));
    EXPECT_GT(bold.width(), large.width() + 2);
    EXPECT_EQ(bold.top(), large.top());
    // The field's own size comes through where the markup gives none.
    EXPECT_EQ(inked(drawHtml(QStringLiteral("<font size=\"12\">HHHH</font>"))), regular);
}

TEST(HtmlTextRender, AlignmentMovesTheLine)
{
    const QRect left = inked(drawHtml(QStringLiteral("<p align=\"left\">HH</p>")));
    const QRect center = inked(drawHtml(QStringLiteral("<p align=\"center\">HH</p>")));
    const QRect right = inked(drawHtml(QStringLiteral("<p align=\"right\">HH</p>")));
    ASSERT_FALSE(left.isEmpty());
    EXPECT_LE(left.left(), 4);
    EXPECT_GE(right.right(), 120 - 4);
    EXPECT_NEAR(center.center().x(), 60, 2);
    EXPECT_EQ(left.width(), right.width());
    EXPECT_EQ(left.top(), center.top());
}

TEST(HtmlTextRender, BreaksAndParagraphsMakeNewLines)
{
    const QImage one = drawHtml(QStringLiteral("H"));
    const QImage br = drawHtml(QStringLiteral("H<br>H"));
    EXPECT_EQ(br, drawHtml(QStringLiteral("<p>H</p><p>H</p>")));
    const QRect a = inked(one), b = inked(br);
    EXPECT_EQ(b.top(), a.top());
    EXPECT_EQ(b.left(), a.left());
    EXPECT_GT(b.height(), 2 * a.height()); // a second H below the first
    // Not multiline: one line, the break read as a space.
    DefineEditText single = htmlEdit(120, 80);
    single.multiline = false;
    EXPECT_EQ(inked(drawHtml(QStringLiteral("H<br>H"), single)).height(), a.height());
}

TEST(HtmlTextRender, UnderlineIsALineBelowTheRun)
{
    const QRect plain = inked(drawHtml(QStringLiteral("HHHH")));
    const QImage img = drawHtml(QStringLiteral("<u>HHHH</u>"));
    const QRect under = inked(img);
    EXPECT_GT(under.bottom(), plain.bottom());
    EXPECT_LE(under.left(), plain.left()); // from the pen position, left of the H's ink
    EXPECT_GE(under.left(), plain.left() - 2);
    // The bottom row is one solid line across the run.
    int dark = 0;
    for (int x = 0; x < img.width(); ++x)
        dark += img.pixel(x, under.bottom()) == qRgb(0, 0, 0);
    EXPECT_GE(dark, plain.width() - 1);
}

TEST(HtmlTextRender, FaceNamesAnEmbeddedFontWhenTheFieldUsesOutlines)
{
    // Two embedded fonts of one glyph 'A' each: a full square ("Block") and a thin bar at
    // its left ("Bar"), the field's own. <font face="Block"> draws the square.
    Scene s;
    auto addFont = [&](std::uint16_t id, const char* name, double width) {
        DefineFont f;
        f.version = 2;
        f.id = id;
        f.name = name;
        ShapeMaker g;
        g.styles(std::nullopt, 1).rect(0, -51.2, width, 0);
        f.glyphs = {g.shape};
        f.codes = {'A'};
        s.add(id, f);
    };
    addFont(2, "Bar", 5);
    addFont(3, "Block", 51.2);
    DefineEditText edit = htmlEdit(120, 80);
    edit.fontId = 2;
    edit.fontHeight = px(20);
    edit.useOutlines = true;
    s.add(1, edit);
    DisplayNode& n = s.place(1, 1);
    n.text = QStringLiteral("A<br><font face=\"block\">A</font><br><font face=\"Missing\" color=\"#0000ff\">A</font>");
    const QImage img = s.render(120, 80);
    auto blackIn = [&](int y0, int y1) {
        QRect r;
        for (int y = y0; y < y1; ++y)
            for (int x = 0; x < img.width(); ++x)
                if (img.pixel(x, y) == qRgb(0, 0, 0))
                    r |= QRect(x, y, 1, 1);
        return r;
    };
    const QRect bar = blackIn(0, 22), block = blackIn(22, 44);
    EXPECT_LE(bar.width(), 2);
    EXPECT_GE(block.width(), 18);
    // A face not embedded is drawn in the device font.
    EXPECT_GT(countColor(img, qRgb(0, 0, 255)), 10);
}

TEST(HtmlTextRender, ScrollingCountsLinesOfTheirOwnHeights)
{
    // A box for about two small lines: one tall line, then three small ones. The highest
    // scroll shows the last two small lines.
    Scene s;
    s.add(1, htmlEdit(100, 40));
    DisplayNode& n = s.place(1, 1);
    n.text = QStringLiteral("<font size=\"40\">Big</font><br>a<br>b<br>c");
    swf::render::Renderer r(s.library);
    const swf::render::EditTextLines lines = r.editTextLines(n);
    EXPECT_EQ(lines.count, 4);
    EXPECT_EQ(lines.visible, 2);
    EXPECT_EQ(lines.maxScroll(), 3);
    n.scroll = 3;
    const QImage scrolled = s.render(100, 40);
    Scene t;
    t.add(1, htmlEdit(100, 40));
    t.place(1, 1).text = QStringLiteral("b<br>c");
    EXPECT_EQ(scrolled, t.render(100, 40));
}

TEST(HtmlTextRender, HostileFieldDrawsBounded)
{
    // Huge and negative sizes, unparsable colours, deep nesting and a long text draw
    // within the box and return.
    QString html;
    for (int i = 0; i < 2000; ++i)
        html += QStringLiteral("<font size=\"99999\" color=\"#zz\"><p align=\"center\"><u><li>W ");
    html += QStringLiteral("<font size=\"-99999\">tiny</font>");
    html += QString(QStringLiteral("word ")).repeated(50000);
    DefineEditText edit = htmlEdit(100, 60);
    edit.wordWrap = true;
    Scene s;
    s.add(1, edit);
    DisplayNode& n = s.place(1, 1);
    n.text = html;
    swf::render::Renderer r(s.library);
    const swf::render::EditTextLines lines = r.editTextLines(n);
    EXPECT_GE(lines.count, 1);
    EXPECT_LE(lines.count, 10000);
    n.scroll = lines.maxScroll();
    QImage img(120, 80, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::white);
    QPainter p(&img);
    r.draw(p, s.root, QTransform::fromScale(0.05, 0.05), false);
    p.end();
    EXPECT_EQ(inked(img) & QRect(100, 0, 20, 80), QRect()); // nothing outside the box
    EXPECT_EQ(inked(img) & QRect(0, 60, 120, 20), QRect());
}

} // namespace
