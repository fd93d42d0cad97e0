// Gradient and bitmap fills and colour transforms, checked by pixels.
#include "tests/swf_render/RenderTestSupport.h"

#include "swf/render/BitmapDecoder.h"

#include <QBuffer>

#include <gtest/gtest.h>

#include <zlib.h>

using namespace rt;

namespace {

const Rgba red{255, 0, 0, 255};
const Rgba blue{0, 0, 255, 255};

// A gradient whose square spans x = x0..x1 pixels.
FillStyle gradient(FillType type, double x0, double x1, SpreadMode spread = SpreadMode::Pad)
{
    FillStyle f;
    f.type = type;
    f.gradient.records = {{0, red}, {255, blue}};
    f.gradient.spread = spread;
    const double w = (x1 - x0) * 20.0;
    f.gradient.matrix = scale(w / 32768.0, w / 32768.0, (x0 + x1) / 2, 50);
    return f;
}

QImage fillRect(const FillStyle& f, Scene& s, Matrix placement = {})
{
    ShapeMaker m;
    m.styles(std::nullopt, 1).rect(0, 0, 100, 100);
    s.addShape(1, {{f}, {}}, m.shape);
    s.place(1, 1, placement);
    return s.render();
}

bool isRedish(QRgb p) { return qRed(p) > 200 && qBlue(p) < 60; }
bool isBlueish(QRgb p) { return qBlue(p) > 200 && qRed(p) < 60; }

TEST(GradientRender, LinearEndsCarryTheEndColours)
{
    Scene s;
    const QImage img = fillRect(gradient(FillType::LinearGradient, 0, 100), s);
    EXPECT_TRUE(isRedish(at(img, 1, 50)));
    EXPECT_TRUE(isBlueish(at(img, 98, 50)));
    const QRgb mid = at(img, 50, 50);
    EXPECT_NEAR(qRed(mid), 128, 8);
    EXPECT_NEAR(qBlue(mid), 128, 8);
}

TEST(GradientRender, SpreadModesBeyondTheSquare)
{
    // The square covers x = 0..50; beyond it pad keeps blue, reflect comes back to red
    // and repeat starts over at red.
    struct Case {
        SpreadMode spread;
        bool (*at60)(QRgb);
        bool (*at95)(QRgb);
    };
    const Case cases[] = {
        {SpreadMode::Pad, isBlueish, isBlueish},
        {SpreadMode::Reflect, isBlueish, isRedish},
        {SpreadMode::Repeat, isRedish, isBlueish},
    };
    for (const Case& c : cases) {
        Scene s;
        const QImage img = fillRect(gradient(FillType::LinearGradient, 0, 50, c.spread), s);
        EXPECT_TRUE(c.at60(at(img, 52, 50))) << int(c.spread) << " " << std::hex << at(img, 52, 50);
        EXPECT_TRUE(c.at95(at(img, 98, 50))) << int(c.spread) << " " << std::hex << at(img, 98, 50);
    }
}

TEST(GradientRender, RadialCentreAndFocalPoint)
{
    Scene s;
    const QImage img = fillRect(gradient(FillType::RadialGradient, 0, 100), s);
    EXPECT_TRUE(isRedish(at(img, 50, 50)));
    EXPECT_TRUE(isBlueish(at(img, 2, 2)));

    // A focal point near the right edge moves the first colour there.
    Scene f;
    FillStyle focal = gradient(FillType::FocalRadialGradient, 0, 100);
    focal.gradient.focalPoint = Fixed8::fromDouble(0.9);
    const QImage fimg = fillRect(focal, f);
    EXPECT_TRUE(isRedish(at(fimg, 94, 50)));
    EXPECT_FALSE(isRedish(at(fimg, 50, 50)));
}

TEST(GradientRender, RecordsSharingARatioMakeBands)
{
    // A square 256 pixels wide: one pixel per step of the ratio table.
    Scene s;
    FillStyle f = gradient(FillType::LinearGradient, 0, 256);
    const Rgba green{0, 255, 0, 255};
    f.gradient.records = {{100, red}, {100, green}, {100, blue}};
    ShapeMaker m;
    m.styles(std::nullopt, 1).rect(0, 0, 256, 100);
    s.addShape(1, {{f}, {}}, m.shape, rectPx(0, 0, 256, 100));
    s.place(1, 1);
    const QImage bands = s.render(256, 100);
    EXPECT_TRUE(isRedish(at(bands, 99, 50)));
    EXPECT_EQ(at(bands, 101, 50), qRgb(0, 255, 0));
    EXPECT_TRUE(isBlueish(at(bands, 103, 50)));
}

TEST(ColorTransformRender, AppliesToSolidsAndGradientStopsDownTheTree)
{
    Scene s;
    ShapeMaker m;
    m.styles(std::nullopt, 1).rect(0, 0, 50, 100);
    ShapeMaker g;
    g.styles(std::nullopt, 1).rect(50, 0, 100, 100);
    s.addShape(1, {{solid(red)}, {}}, m.shape);
    s.addShape(2, {{gradient(FillType::LinearGradient, 50, 100)}, {}}, g.shape);
    DefineSprite sprite;
    sprite.id = 3;
    s.add(3, sprite);
    DisplayNode& outer = s.place(3, 1);
    // The parent halves red; the child turns red into green for the solid.
    outer.colorTransform.redMult = Fixed8::fromDouble(0.5);
    DisplayNode& solidNode = s.placeIn(outer, 1, 1);
    solidNode.colorTransform.greenAdd = 200;
    s.placeIn(outer, 2, 2);
    const QImage img = s.render();
    const QRgb p = at(img, 25, 50);
    EXPECT_NEAR(qRed(p), 127, 1);
    EXPECT_EQ(qGreen(p), 200);
    // The gradient's red end is halved too, its blue end untouched.
    EXPECT_NEAR(qRed(at(img, 51, 50)), 127, 8);
    EXPECT_TRUE(isBlueish(at(img, 98, 50)));
}

TEST(ColorTransformRender, AlphaMultiplierFadesOverTheBackground)
{
    Scene s;
    ShapeMaker m;
    m.styles(std::nullopt, 1).rect(0, 0, 100, 100);
    s.addShape(1, {{solid(Rgba{0, 0, 0, 255})}, {}}, m.shape);
    s.place(1, 1).colorTransform.alphaMult = Fixed8::fromDouble(0.5);
    const QImage img = s.render();
    EXPECT_NEAR(qRed(at(img, 50, 50)), 128, 2);
}

// Lossless bitmap data compressed as the tag stores it.
DefineBitsLossless lossless(std::uint8_t version, LosslessFormat format, int w, int h, std::uint16_t tableSize,
                            const std::vector<std::uint8_t>& raw)
{
    DefineBitsLossless b;
    b.version = version;
    b.id = 5;
    b.format = format;
    b.width = static_cast<std::uint16_t>(w);
    b.height = static_cast<std::uint16_t>(h);
    b.colorTableSize = tableSize;
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    b.zlibData.resize(size);
    compress(b.zlibData.data(), &size, raw.data(), static_cast<uLong>(raw.size()));
    b.zlibData.resize(size);
    return b;
}

TEST(BitmapDecode, LosslessFormats)
{
    // 3 × 2 pictures; palette rows are padded to 4 bytes, 15-bit rows to 4 bytes.
    struct Case {
        const char* name;
        DefineBitsLossless tag;
        QRgb topLeft, bottomRight;
    };
    const std::vector<std::uint8_t> palette1 = {255, 0, 0, 0, 0, 255, // red, blue
                                                0, 1, 0, 0, 0, 1, 1, 0};
    const std::vector<std::uint8_t> palette2 = {255, 0, 0, 255, 0, 0, 128, 128, // red, half blue (premultiplied)
                                                0, 1, 0, 0, 0, 1, 1, 0};
    // 0RRRRRGG GGGBBBBB: red 0x7C00, blue 0x001F.
    const std::vector<std::uint8_t> rgb15 = {0x7C, 0x00, 0x00, 0x1F, 0x7C, 0x00, 0, 0,
                                             0x00, 0x1F, 0x7C, 0x00, 0x00, 0x1F, 0, 0};
    const std::vector<std::uint8_t> xrgb = {0, 255, 0, 0, 0, 0, 0, 255, 0, 255, 0, 0,
                                            0, 0, 0, 255, 0, 255, 0, 0, 0, 0, 0, 255};
    const std::vector<std::uint8_t> argb = {255, 255, 0, 0, 0, 0, 0, 0, 255, 255, 0, 0,
                                            0, 0, 0, 0, 255, 255, 0, 0, 128, 0, 0, 128};
    const Case cases[] = {
        {"palette", lossless(1, LosslessFormat::ColorMapped8, 3, 2, 2, palette1), qRgb(255, 0, 0), qRgb(0, 0, 255)},
        {"palette alpha", lossless(2, LosslessFormat::ColorMapped8, 3, 2, 2, palette2), qRgba(255, 0, 0, 255), qRgba(0, 0, 128, 128)},
        {"rgb15", lossless(1, LosslessFormat::Rgb15, 3, 2, 0, rgb15), qRgb(255, 0, 0), qRgb(0, 0, 255)},
        {"xrgb", lossless(1, LosslessFormat::Rgb32, 3, 2, 0, xrgb), qRgb(255, 0, 0), qRgb(0, 0, 255)},
        {"argb", lossless(2, LosslessFormat::Rgb32, 3, 2, 0, argb), qRgba(255, 0, 0, 255), qRgba(0, 0, 128, 128)},
    };
    for (const Case& c : cases) {
        const QImage img = swf::render::decodeLosslessBitmap(c.tag);
        ASSERT_EQ(img.size(), QSize(3, 2)) << c.name;
        EXPECT_EQ(img.pixel(0, 0), c.topLeft) << c.name;
        EXPECT_EQ(img.format(), QImage::Format_ARGB32_Premultiplied) << c.name;
        EXPECT_EQ(reinterpret_cast<const QRgb*>(img.constScanLine(1))[2], c.bottomRight) << c.name;
    }
}

TEST(BitmapDecode, HugeClaimsAndBrokenDataGiveNothing)
{
    DefineBitsLossless huge = lossless(1, LosslessFormat::Rgb32, 1, 1, 0, {0, 1, 2, 3});
    huge.width = 32767;
    huge.height = 32767; // about a billion pixels
    EXPECT_TRUE(swf::render::decodeLosslessBitmap(huge).isNull());

    DefineBitsLossless broken = lossless(1, LosslessFormat::Rgb32, 2, 2, 0, {1, 2, 3});
    broken.zlibData.resize(broken.zlibData.size() / 2);
    const QImage partial = swf::render::decodeLosslessBitmap(broken); // short data: zero-filled
    EXPECT_EQ(partial.size(), QSize(2, 2));

    DefineBitsJpeg junk;
    junk.version = 2;
    junk.imageData = {0xFF, 0xD8, 0xFF, 0xC0, 0x00, 0x11, 0x08, 0x7F, 0xFF, 0x7F, 0xFF};
    EXPECT_TRUE(swf::render::decodeJpegBitmap(junk, nullptr).isNull());
    junk.imageData.clear();
    EXPECT_TRUE(swf::render::decodeJpegBitmap(junk, nullptr).isNull());
}

TEST(BitmapDecode, InflateStopsAtItsLimit)
{
    std::vector<std::uint8_t> zeros(1 << 20, 0);
    DefineBitsLossless b = lossless(1, LosslessFormat::Rgb32, 1, 1, 0, zeros);
    std::vector<std::uint8_t> out;
    swf::render::inflateLimited(b.zlibData, 1000, out);
    EXPECT_EQ(out.size(), 1000u);
}

QByteArray encoded(const QImage& image, const char* format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, 100);
    return bytes;
}

Bytes toBytes(const QByteArray& a) { return Bytes(a.begin(), a.end()); }

QImage solidPicture(QColor c, int w = 16, int h = 16)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(c);
    return img;
}

TEST(BitmapDecode, JpegVariants)
{
    const QByteArray jpeg = encoded(solidPicture(QColor(0, 200, 0)), "JPG");
    ASSERT_GT(jpeg.size(), 4);
    auto greenish = [](const QImage& img) { return !img.isNull() && qGreen(img.pixel(8, 8)) > 180 && qRed(img.pixel(8, 8)) < 40; };

    DefineBitsJpeg plain;
    plain.version = 2;
    plain.imageData = toBytes(jpeg);
    EXPECT_TRUE(greenish(swf::render::decodeJpegBitmap(plain, nullptr)));

    // The erroneous header of old tools before the picture.
    DefineBitsJpeg quirk = plain;
    quirk.imageData.insert(quirk.imageData.begin(), {0xFF, 0xD9, 0xFF, 0xD8});
    EXPECT_TRUE(greenish(swf::render::decodeJpegBitmap(quirk, nullptr)));

    // DefineBits: the tables in JPEGTables, the rest in the tag, each with its own markers.
    const qsizetype sos = jpeg.indexOf(QByteArray("\xFF\xDA", 2));
    ASSERT_GT(sos, 2);
    JpegTables tables;
    tables.data = toBytes(jpeg.left(sos) + QByteArray("\xFF\xD9", 2));
    DefineBitsJpeg v1;
    v1.version = 1;
    v1.imageData = toBytes(QByteArray("\xFF\xD8", 2) + jpeg.mid(sos));
    EXPECT_TRUE(greenish(swf::render::decodeJpegBitmap(v1, &tables)));

    // JPEG3: an alpha plane of its own.
    DefineBitsJpeg withAlpha = plain;
    withAlpha.version = 3;
    std::vector<std::uint8_t> alpha(16 * 16, 0);
    uLongf size = compressBound(static_cast<uLong>(alpha.size()));
    withAlpha.alphaData.resize(size);
    compress(withAlpha.alphaData.data(), &size, alpha.data(), static_cast<uLong>(alpha.size()));
    withAlpha.alphaData.resize(size);
    const QImage transparent = swf::render::decodeJpegBitmap(withAlpha, nullptr);
    ASSERT_FALSE(transparent.isNull());
    EXPECT_EQ(qAlpha(transparent.pixel(8, 8)), 0);

    // PNG and GIF data in a JPEG tag.
    for (const char* format : {"PNG", "GIF"}) {
        DefineBitsJpeg other;
        other.version = 2;
        other.imageData = toBytes(encoded(solidPicture(QColor(0, 200, 0)), format));
        if (other.imageData.empty())
            continue; // no writer for this format here
        EXPECT_TRUE(greenish(swf::render::decodeJpegBitmap(other, nullptr))) << format;
    }
}

TEST(BitmapCacheTest, EvictsTheLeastRecentlyUsedBeyondItsBudget)
{
    swf::render::BitmapCache cache(3 * (64 + 100 * 100 * 4));
    for (std::uint16_t id = 1; id <= 3; ++id)
        cache.insert(id, QImage(100, 100, QImage::Format_ARGB32_Premultiplied));
    ASSERT_NE(cache.find(1), nullptr); // 1 is now the most recent
    cache.insert(4, QImage(100, 100, QImage::Format_ARGB32_Premultiplied));
    EXPECT_EQ(cache.count(), 3u);
    EXPECT_NE(cache.find(1), nullptr);
    EXPECT_EQ(cache.find(2), nullptr);
    EXPECT_LE(cache.bytes(), 3u * (64 + 100 * 100 * 4));
}

TEST(BitmapFillRender, RepeatingAndClippedSmoothedOrNot)
{
    // A 2 × 1 bitmap, red then blue, each pixel 20 stage pixels wide.
    const std::vector<std::uint8_t> raw = {0, 255, 0, 0, 0, 0, 0, 255};
    struct Case {
        FillType type;
        QRgb at50; // past the bitmap's right edge
    };
    const Case cases[] = {
        {FillType::NonSmoothedRepeatingBitmap, qRgb(255, 0, 0)},
        {FillType::NonSmoothedClippedBitmap, qRgb(0, 0, 255)},
    };
    for (const Case& c : cases) {
        Scene s;
        s.add(5, lossless(1, LosslessFormat::Rgb32, 2, 1, 0, raw));
        FillStyle f;
        f.type = c.type;
        f.bitmapId = 5;
        f.bitmapMatrix = scale(20 * 20, 20 * 20); // 20 pixels (400 twips) per bitmap pixel
        const QImage img = fillRect(f, s);
        EXPECT_EQ(at(img, 10, 10), qRgb(255, 0, 0)) << int(c.type);
        EXPECT_EQ(at(img, 30, 10), qRgb(0, 0, 255)) << int(c.type);
        EXPECT_EQ(at(img, 50, 10), c.at50) << int(c.type);
    }
    // Smoothed: the border between the two pixels is blended when drawn anti-aliased.
    Scene s;
    s.add(5, lossless(1, LosslessFormat::Rgb32, 2, 1, 0, raw));
    FillStyle f;
    f.type = FillType::ClippedBitmap;
    f.bitmapId = 5;
    f.bitmapMatrix = scale(400, 400);
    ShapeMaker m;
    m.styles(std::nullopt, 1).rect(0, 0, 40, 20);
    s.addShape(1, {{f}, {}}, m.shape);
    s.place(1, 1);
    const QImage smooth = s.render(100, 100, true);
    const QRgb mid = at(smooth, 20, 10);
    EXPECT_GT(qRed(mid), 40);
    EXPECT_GT(qBlue(mid), 40);
}

TEST(BitmapFillRender, MissingBitmapDrawsNothing)
{
    Scene s;
    FillStyle f;
    f.type = FillType::RepeatingBitmap;
    f.bitmapId = 0xFFFF;
    const QImage img = fillRect(f, s);
    EXPECT_EQ(at(img, 50, 50), qRgb(255, 255, 255));
}

} // namespace
