// Bit fields of odd widths, composite records and bounds checks.
#include "swf/format/BitReader.h"
#include "tests/swf_format/FixtureWriter.h"

#include <gtest/gtest.h>

#include <cmath>

using swf::BitReader;
using swf::ReadError;

TEST(BitReader, UnsignedAndSignedFieldsOfOddWidthsCrossByteBoundaries)
{
    struct Field {
        unsigned bits;
        std::int64_t value;
        bool isSigned;
    };
    // Widths that straddle bytes in every position; signed values at their extremes.
    const std::vector<Field> fields = {
        {3, 5, false}, {5, -16, true}, {7, 127, false}, {1, 1, false}, {11, -1, true},
        {13, 4095, true}, {2, 0, false}, {17, -65536, true}, {31, 0x7FFFFFFF, false},
        {32, 0xDEADBEEF, false}, {9, -200, true}, {4, 9, false},
    };
    fixture::BitWriter w;
    for (const Field& f : fields) {
        if (f.isSigned)
            w.sb(static_cast<std::int32_t>(f.value), f.bits);
        else
            w.ub(static_cast<std::uint32_t>(f.value), f.bits);
    }
    BitReader r(w.data());
    for (const Field& f : fields) {
        SCOPED_TRACE(f.bits);
        if (f.isSigned)
            EXPECT_EQ(r.sb(f.bits), f.value);
        else
            EXPECT_EQ(r.ub(f.bits), static_cast<std::uint32_t>(f.value));
    }
    EXPECT_TRUE(r.atEnd());
}

TEST(BitReader, ByteReadsStartAtTheNextByte)
{
    const swf::Bytes data = {0xA0, 0x34, 0x12, 0xFF};
    BitReader r(data);
    EXPECT_EQ(r.ub(3), 5u);
    EXPECT_EQ(r.u16(), 0x1234);
    EXPECT_EQ(r.ub(4), 0xFu); // a fresh byte after the aligned read
    EXPECT_EQ(r.sb(0), 0);
}

TEST(BitReader, ReadsPastTheEndThrowInsteadOfReading)
{
    const swf::Bytes data = {0x01, 0x02, 0x03};
    BitReader r(data);
    EXPECT_THROW(r.u32(), ReadError);
    EXPECT_EQ(r.position(), 0u); // nothing consumed by the failed read
    EXPECT_EQ(r.u16(), 0x0201);
    EXPECT_THROW(r.ub(9), ReadError);
    EXPECT_THROW(r.ub(33), ReadError);
    BitReader s(data);
    EXPECT_THROW(s.string(), ReadError); // no terminator
    EXPECT_THROW(s.bytes(4), ReadError);
    EXPECT_THROW(s.seek(4), ReadError);
    BitReader empty;
    EXPECT_THROW(empty.u8(), ReadError);
    EXPECT_THROW(empty.rect(), ReadError);
}

TEST(BitReader, RectMatrixAndColourTransform)
{
    fixture::BitWriter w;
    w.rect(-20, 11000, 7, 8000, 15);
    // Matrix: scale 1.5 x 0.5 in 19 bits, rotate/skew -0.25 and 2.0 in 20 bits, translate in 7 bits.
    w.flag(true).ub(19, 5).sb(0x18000, 19).sb(0x8000, 19);
    w.flag(true).ub(20, 5).sb(-0x4000, 20).sb(0x20000, 20);
    w.ub(7, 5).sb(-64, 7).sb(63, 7).align();
    // Colour transform with alpha: add and mult terms in 10 bits.
    w.flag(true).flag(true).ub(10, 4).sb(256, 10).sb(128, 10).sb(-256, 10).sb(64, 10);
    w.sb(255, 10).sb(-255, 10).sb(0, 10).sb(-1, 10).align();
    // The same without alpha.
    w.flag(false).flag(true).ub(9, 4).sb(200, 9).sb(100, 9).sb(50, 9).align();

    BitReader r(w.data());
    const swf::Rect rect = r.rect();
    EXPECT_EQ(rect.xMin.value, -20);
    EXPECT_EQ(rect.xMax.value, 11000);
    EXPECT_EQ(rect.yMin.value, 7);
    EXPECT_EQ(rect.yMax.value, 8000);
    EXPECT_DOUBLE_EQ(rect.width().toPixels(), 551.0);

    const swf::Matrix m = r.matrix();
    EXPECT_DOUBLE_EQ(m.scaleX.toDouble(), 1.5);
    EXPECT_DOUBLE_EQ(m.scaleY.toDouble(), 0.5);
    EXPECT_DOUBLE_EQ(m.rotateSkew0.toDouble(), -0.25);
    EXPECT_DOUBLE_EQ(m.rotateSkew1.toDouble(), 2.0);
    EXPECT_EQ(m.translateX.value, -64);
    EXPECT_EQ(m.translateY.value, 63);

    const swf::ColorTransform c = r.colorTransform(true);
    EXPECT_EQ(c.redMult.raw, 256);
    EXPECT_EQ(c.greenMult.raw, 128);
    EXPECT_EQ(c.blueMult.raw, -256);
    EXPECT_EQ(c.alphaMult.raw, 64);
    EXPECT_EQ(c.redAdd, 255);
    EXPECT_EQ(c.greenAdd, -255);
    EXPECT_EQ(c.blueAdd, 0);
    EXPECT_EQ(c.alphaAdd, -1);

    const swf::ColorTransform noAlpha = r.colorTransform(false);
    EXPECT_EQ(noAlpha.redMult.raw, 200);
    EXPECT_EQ(noAlpha.alphaMult.raw, 256); // identity where the record has no alpha
    EXPECT_EQ(noAlpha.redAdd, 0);
    EXPECT_TRUE(r.atEnd());
}

TEST(BitReader, MatrixWithoutScaleOrRotationIsIdentityPlusTranslation)
{
    fixture::BitWriter w;
    w.translate(400, -20, 12);
    BitReader r(w.data());
    const swf::Matrix m = r.matrix();
    EXPECT_EQ(m.scaleX.raw, 65536);
    EXPECT_EQ(m.scaleY.raw, 65536);
    EXPECT_EQ(m.rotateSkew0.raw, 0);
    EXPECT_EQ(m.translateX.value, 400);
    EXPECT_EQ(m.translateY.value, -20);
}

TEST(BitReader, EncodedU32AndHalfFloats)
{
    struct Case {
        swf::Bytes bytes;
        std::uint32_t value;
    };
    const std::vector<Case> cases = {
        {{0x00}, 0}, {{0x7F}, 127}, {{0x80, 0x01}, 128}, {{0xFF, 0xFF, 0x03}, 0xFFFF},
        {{0xFF, 0xFF, 0xFF, 0xFF, 0x0F}, 0xFFFFFFFF},
    };
    for (const Case& c : cases) {
        BitReader r(c.bytes);
        EXPECT_EQ(r.encodedU32(), c.value);
        EXPECT_TRUE(r.atEnd());
    }
    const swf::Bytes halves = {0x00, 0x3C, 0x00, 0xC0, 0x00, 0x38, 0x01, 0x00};
    BitReader h(halves);
    EXPECT_FLOAT_EQ(h.f16(), 1.0f);
    EXPECT_FLOAT_EQ(h.f16(), -2.0f);
    EXPECT_FLOAT_EQ(h.f16(), 0.5f);
    EXPECT_FLOAT_EQ(h.f16(), std::ldexp(1.0f, -24)); // smallest subnormal
}
