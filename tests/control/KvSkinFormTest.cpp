#include "control/KvSkinForm.h"

#include <QMouseEvent>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

const QColor C(0, 0, 0);          // the transparent colour
const QColor X(0x25, 0x64, 0x8B); // any other colour

// A bitmap from rows of 'C' and 'X'.
QImage bitmapOf(const std::vector<std::string>& rows)
{
    const int h = int(rows.size());
    const int w = h ? int(rows[0].size()) : 0;
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixelColor(x, y, rows[size_t(y)][size_t(x)] == 'C' ? C : X);
    return img;
}

QRegion regionOf(const std::vector<QRect>& rects)
{
    QRegion r;
    for (const QRect& rc : rects)
        r += rc;
    return r;
}

struct RegionCase {
    const char* name;
    std::vector<std::string> rows;
    std::vector<QRect> expected; // (x, y, width, height)
};

} // namespace

TEST(BuildSkinRegion, RunsOfNonTransparentPixels)
{
    const std::vector<RegionCase> cases = {
        {"inner run", {"CXXC"}, {QRect(1, 0, 2, 1)}},
        {"last pixel included", {"XCX"}, {QRect(0, 0, 1, 1), QRect(2, 0, 1, 1)}},
        {"no transparent pixel", {"XXX", "XXX"}, {QRect(0, 0, 3, 2)}},
        {"only transparent", {"CCC", "CCC"}, {}},
        {"rows differ", {"CXXC", "XXXX", "XCCX"},
         {QRect(1, 0, 2, 1), QRect(0, 1, 4, 1), QRect(0, 2, 1, 1), QRect(3, 2, 1, 1)}},
        {"single pixel", {"X"}, {QRect(0, 0, 1, 1)}},
    };
    for (const RegionCase& c : cases) {
        const QRegion got = BuildSkinRegion(bitmapOf(c.rows), C);
        EXPECT_EQ(got, regionOf(c.expected)) << c.name;
    }
}

TEST(BuildSkinRegion, ComparesTheExactColourValue)
{
    QImage img = bitmapOf({"CCCC"});
    img.setPixelColor(1, 0, QColor(1, 0, 0));  // almost black stays
    img.setPixelColor(2, 0, QColor(0, 0, 1));
    EXPECT_EQ(BuildSkinRegion(img, C), QRegion(1, 0, 2, 1));
    // A colour that names no value (here: invalid) matches no pixel.
    EXPECT_EQ(BuildSkinRegion(img, QColor()), QRegion(0, 0, 4, 1));
    // Alpha is not part of the colour value.
    QImage argb(2, 1, QImage::Format_ARGB32);
    argb.setPixel(0, 0, qRgba(0, 0, 0, 0x80));
    argb.setPixel(1, 0, qRgba(0xFF, 0, 0, 0xFF));
    EXPECT_EQ(BuildSkinRegion(argb, C), QRegion(1, 0, 1, 1));
    EXPECT_TRUE(BuildSkinRegion(QImage(), C).isEmpty());
}

TEST(BuildSkinRegion, RoundedPictureOnBlackLosesItsCorners)
{
    // A 100 × 70 picture: a rounded rectangle on black, the corners cut away.
    QImage img(100, 70, QImage::Format_RGB32);
    img.fill(Qt::black);
    for (int y = 0; y < 70; ++y)
        for (int x = 0; x < 100; ++x) {
            const int dx = x < 8 ? 8 - x : (x > 91 ? x - 91 : 0);
            const int dy = y < 8 ? 8 - y : (y > 61 ? y - 61 : 0);
            if (dx * dx + dy * dy <= 64)
                img.setPixelColor(x, y, X);
        }
    const QRegion r = BuildSkinRegion(img, Qt::black);
    EXPECT_EQ(r.boundingRect(), QRect(0, 0, 100, 70));
    for (const QPoint corner : {QPoint(0, 0), QPoint(99, 0), QPoint(0, 69), QPoint(99, 69)})
        EXPECT_FALSE(r.contains(corner)) << corner.x() << "," << corner.y();
    EXPECT_TRUE(r.contains(QPoint(50, 0)));
    EXPECT_TRUE(r.contains(QPoint(0, 35)));
    EXPECT_TRUE(r.contains(QRect(8, 8, 84, 54)));
}

TEST(TKvSkinForm, CreationMakesAFramelessWindowAndAMagentaKey)
{
    QWidget form;
    TKvSkinForm skin(&form);
    EXPECT_TRUE(form.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(skin.TransparentColor(), QColor(0xFF, 0x00, 0xFF));
    EXPECT_TRUE(skin.Glyph().isNull());
    EXPECT_EQ(skin.size(), QSize(200, 100));
    EXPECT_EQ(skin.OwnerForm(), &form);
}

TEST(TKvSkinForm, LiesBeneathTheOtherControls)
{
    QWidget form;
    QWidget button(&form);
    button.setGeometry(10, 5, 16, 16);
    TKvSkinForm skin(&form);
    EXPECT_EQ(form.childAt(12, 8), &button);
    EXPECT_EQ(form.childAt(50, 50), &skin);
}

TEST(TKvSkinForm, GlyphShapesAndSizesTheOwner)
{
    QWidget form;
    form.resize(300, 300);
    TKvSkinForm skin(&form);
    skin.move(5, 5);
    QSignalSpy changed(&skin, &TKvSkinForm::OnRegionChanged);

    // Setting the glyph applies the magenta key; setting black applies the outline again.
    skin.SetGlyph(bitmapOf({"CXXC", "XXXX"}));
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(form.mask(), QRegion(0, 0, 4, 2));
    skin.SetTransparentColor(C);
    EXPECT_EQ(changed.count(), 2);
    EXPECT_EQ(changed.last().at(0).value<TKvSkinForm*>(), &skin);
    EXPECT_EQ(form.mask(), regionOf({QRect(1, 0, 2, 1), QRect(0, 1, 4, 1)}));
    EXPECT_EQ(skin.pos(), QPoint(0, 0));
    EXPECT_EQ(skin.size(), QSize(4, 2));
    EXPECT_EQ(form.size(), QSize(4, 2));
}

TEST(TKvSkinForm, AllTransparentGlyphHidesEveryPixelButKeepsTheWindow)
{
    QWidget form;
    TKvSkinForm skin(&form);
    skin.SetTransparentColor(C);
    skin.SetGlyph(bitmapOf({"CCC", "CCC"}));
    EXPECT_FALSE(form.mask().isEmpty()) << "a mask is set";
    EXPECT_TRUE(form.mask().intersected(form.rect()).isEmpty()) << "nothing of the window shows";
    EXPECT_EQ(form.size(), QSize(3, 2));
}

TEST(TKvSkinForm, EmptyGlyphKeepsTheOutline)
{
    QWidget form;
    TKvSkinForm skin(&form);
    skin.SetTransparentColor(C);
    skin.SetGlyph(bitmapOf({"CX"}));
    QSignalSpy changed(&skin, &TKvSkinForm::OnRegionChanged);
    skin.SetGlyph(QImage());
    EXPECT_EQ(form.mask(), QRegion(1, 0, 1, 1));
    EXPECT_EQ(changed.count(), 0);
}

TEST(TKvSkinForm, OwnerThatIsNoWindowGetsNothing)
{
    QWidget form;
    QWidget inner(&form);
    TKvSkinForm skin(&inner);
    skin.SetGlyph(bitmapOf({"XX"}));
    EXPECT_TRUE(skin.Glyph().isNull());
    EXPECT_EQ(skin.OwnerForm(), nullptr);
    EXPECT_TRUE(inner.mask().isEmpty());
}

TEST(TKvSkinForm, PaintsTheGlyphOrAFrame)
{
    QWidget form;
    TKvSkinForm skin(&form);
    skin.resize(6, 4);
    QImage frame = skin.grab().toImage();
    EXPECT_EQ(frame.pixelColor(0, 0), QColor(Qt::black));
    EXPECT_EQ(frame.pixelColor(5, 3), QColor(Qt::black));

    skin.SetTransparentColor(C);
    skin.SetGlyph(bitmapOf({"CXXC", "XXXX"}));
    const QImage face = skin.grab().toImage();
    EXPECT_EQ(face.size(), QSize(4, 2));
    EXPECT_EQ(face.pixelColor(1, 0), X);
    EXPECT_EQ(face.pixelColor(0, 1), X);
}

TEST(TKvSkinForm, PressRaisesMouseDownWithEveryButton)
{
    QWidget form;
    TKvSkinForm skin(&form);
    skin.SetGlyph(bitmapOf({"XXXX", "XXXX"}));
    form.show();
    QSignalSpy down(&skin, &TKvSkinForm::OnMouseDown);
    QSignalSpy click(&skin, &TKvSkinForm::OnClick);
    for (Qt::MouseButton b : {Qt::LeftButton, Qt::RightButton}) {
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(1, 1), skin.mapToGlobal(QPointF(1, 1)),
                          b, b, Qt::NoModifier);
        QCoreApplication::sendEvent(&skin, &press);
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(1, 1),
                            skin.mapToGlobal(QPointF(1, 1)), b, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&skin, &release);
    }
    EXPECT_EQ(down.count(), 2);
    // Headless, no window manager takes the move over, so the left release is a click.
    EXPECT_EQ(click.count(), 1);
}
