#include "app/UnitSwf.h"
#include "shared/Errors.h"
#include "tests/support/TestSupport.h"

#include <QTemporaryDir>
#include <sys/resource.h>
#include <gtest/gtest.h>
#include <zlib.h>

#include <array>
#include <cmath>
#include <optional>

namespace {

// Two bytes; QByteArray's brace form would read them as a count and a fill character.
QByteArray twoBytes(int first, int second)
{
    QByteArray out;
    out.append(char(first));
    out.append(char(second));
    return out;
}
QByteArray le16(quint16 v) { return twoBytes(v & 0xFF, v >> 8); }
QByteArray le32(quint32 v) { return le16(quint16(v & 0xFFFF)) + le16(quint16(v >> 16)); }

// A frame rectangle: Nbits in five bits, then the four coordinates, padded to whole bytes.
QByteArray rect(int nbits, quint32 xmin, quint32 xmax, quint32 ymin, quint32 ymax)
{
    std::vector<int> bits;
    auto put = [&](quint32 value, int width) {
        for (int i = width - 1; i >= 0; --i)
            bits.push_back(int((value >> i) & 1));
    };
    put(quint32(nbits), 5);
    for (quint32 v : { xmin, xmax, ymin, ymax })
        put(v, nbits);
    QByteArray out((qsizetype(bits.size()) + 7) / 8, '\0');
    for (size_t i = 0; i < bits.size(); ++i)
        if (bits[i])
            out[qsizetype(i / 8)] = char(out[qsizetype(i / 8)] | (0x80 >> (i % 8)));
    return out;
}

// The common 550 x 400 rectangle.
const QByteArray kRect550x400 = QByteArray::fromHex("7800055F00000FA000");

// Rectangle, frame rate (fraction, integer) and frame count.
QByteArray headerBody(const QByteArray& rectangle, quint8 fraction, quint8 integer, quint16 frames)
{
    return rectangle + twoBytes(fraction, integer) + le16(frames);
}

QByteArray fws(const QByteArray& body, quint8 version = 6, quint32 length = 1234)
{
    return QByteArray("FWS") + char(version) + le32(length) + body;
}

QByteArray zlibStream(const QByteArray& data)
{
    uLongf size = compressBound(uLong(data.size()));
    QByteArray out(qsizetype(size), '\0');
    compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(data.constData()),
              uLong(data.size()), 9);
    out.resize(qsizetype(size));
    return out;
}

QByteArray cws(const QByteArray& body, quint8 version = 10, quint32 length = 5000)
{
    return QByteArray("CWS") + char(version) + le32(length) + zlibStream(body);
}

enum class Raises { Nothing, OpenError, ReadError, DecompressionError };

using Six = std::array<const char*, 6>; // nullptr: left as it was

struct HeaderCase {
    const char* what;
    QByteArray file;
    Raises raises;
    Six expected;
};

void PrintTo(const HeaderCase& c, std::ostream* os) { *os << c.what; }

class HeaderCases : public ::testing::TestWithParam<HeaderCase> {};

TEST_P(HeaderCases, GiveTheseTexts)
{
    const HeaderCase& c = GetParam();
    QTemporaryDir dir;
    const QString path = dir.filePath("movie.swf");
    qmtest::writeFile(path, c.file);

    std::array<QString, 6> got;
    got.fill(QStringLiteral("previous"));
    Raises raised = Raises::Nothing;
    try {
        ReadSwfHeader(path, got[0], got[1], got[2], got[3], got[4], got[5]);
    } catch (const EFOpenError&) {
        raised = Raises::OpenError;
    } catch (const EReadError&) {
        raised = Raises::ReadError;
    } catch (const EZDecompressionError&) {
        raised = Raises::DecompressionError;
    }
    EXPECT_EQ(raised, c.raises);
    const char* names[6] = { "Version", "FileLength", "Width", "Height", "FrameRate", "FrameCount" };
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(got[i], QString::fromUtf8(c.expected[i] ? c.expected[i] : "previous")) << names[i];
}

const QByteArray kBigBody = [] {
    QByteArray b = headerBody(kRect550x400, 0, 24, 100);
    for (int i = 0; i < 200000; ++i)
        b.append(char((i * 7919) >> 3));
    return b;
}();

QByteArray cwsWithBadChecksum()
{
    QByteArray f = cws(kBigBody);
    f[f.size() - 1] = char(f[f.size() - 1] ^ 0x55); // damage far behind the header
    return f;
}

const Six kUnassigned { nullptr, nullptr, nullptr, nullptr, nullptr, nullptr };

INSTANTIATE_TEST_SUITE_P(
    Table, HeaderCases,
    ::testing::Values(
        HeaderCase { "the common 550 x 400 header", fws(headerBody(kRect550x400, 0, 12, 1), 6, 1000), Raises::Nothing,
                     { "6", "1000", "550", "400", "12.0", "1" } },
        HeaderCase { "frame rate read at offset 17 behind the 9-byte rectangle",
                     fws(headerBody(kRect550x400, 0, 24, 0)), Raises::Nothing,
                     { "6", "1234", "550", "400", "24.0", "0" } },
        HeaderCase { "frame count FF FF", fws(headerBody(kRect550x400, 0, 25, 0xFFFF)), Raises::Nothing,
                     { "6", "1234", "550", "400", "25.0", "65535" } },
        HeaderCase { "file length 00 00 00 80 is unsigned", fws(headerBody(kRect550x400, 0, 12, 1), 255, 0x80000000u),
                     Raises::Nothing, { "255", "2147483648", "550", "400", "12.0", "1" } },
        HeaderCase { "file length FF FF FF FF", fws(headerBody(kRect550x400, 0, 12, 1), 0, 0xFFFFFFFFu),
                     Raises::Nothing, { "0", "4294967295", "550", "400", "12.0", "1" } },
        HeaderCase { "Nbits 0: a one-byte rectangle", fws(headerBody(QByteArray(1, '\0'), 0, 30, 7)), Raises::Nothing,
                     { "6", "1234", "0", "0", "30.0", "7" } },
        HeaderCase { "19 twips are 0 pixels, 39 are 1", fws(headerBody(rect(6, 0, 19, 0, 39), 0, 12, 1)),
                     Raises::Nothing, { "6", "1234", "0", "1", "12.0", "1" } },
        HeaderCase { "20 twips are 1 pixel", fws(headerBody(rect(5, 0, 20, 0, 20), 0, 12, 1)), Raises::Nothing,
                     { "6", "1234", "1", "1", "12.0", "1" } },
        HeaderCase { "width is Xmax alone", fws(headerBody(rect(15, 200, 11200, 300, 8300), 0, 12, 1)),
                     Raises::Nothing, { "6", "1234", "560", "415", "12.0", "1" } },
        HeaderCase { "Nbits 31, coordinates unsigned",
                     fws(headerBody(rect(31, 0x7FFFFFFF, 0x7FFFFFFF, 0, 0x40000000), 0, 12, 1)), Raises::Nothing,
                     { "6", "1234", "107374182", "53687091", "12.0", "1" } },
        HeaderCase { "fraction 248 gives 29.97", fws(headerBody(kRect550x400, 248, 29, 1)), Raises::Nothing,
                     { "6", "1234", "550", "400", "29.97", "1" } },
        HeaderCase { "fraction 128 gives .5", fws(headerBody(kRect550x400, 128, 7, 1)), Raises::Nothing,
                     { "6", "1234", "550", "400", "7.5", "1" } },
        HeaderCase { "fraction 1", fws(headerBody(kRect550x400, 1, 0, 1)), Raises::Nothing,
                     { "6", "1234", "550", "400", "0.004", "1" } },
        HeaderCase { "trailing bytes after the header are not read", fws(headerBody(kRect550x400, 0, 12, 2) + "xyz"),
                     Raises::Nothing, { "6", "1234", "550", "400", "12.0", "2" } },
        HeaderCase { "CWS", cws(headerBody(kRect550x400, 0, 24, 100), 10, 99999), Raises::Nothing,
                     { "10", "99999", "550", "400", "24.0", "100" } },
        HeaderCase { "CWS with a large body", cws(kBigBody), Raises::Nothing,
                     { "10", "5000", "550", "400", "24.0", "100" } },
        HeaderCase { "CWS with bytes behind its stream", cws(headerBody(kRect550x400, 0, 24, 3)) + "junk",
                     Raises::Nothing, { "10", "5000", "550", "400", "24.0", "3" } },
        HeaderCase { "fws", QByteArray("fws") + fws(headerBody(kRect550x400, 0, 12, 1)).mid(3), Raises::Nothing,
                     kUnassigned },
        HeaderCase { "cws", QByteArray("cws") + cws(headerBody(kRect550x400, 0, 12, 1)).mid(3), Raises::Nothing,
                     kUnassigned },
        HeaderCase { "ZWS", QByteArray("ZWS") + fws(headerBody(kRect550x400, 0, 12, 1)).mid(3), Raises::Nothing,
                     kUnassigned },
        HeaderCase { "GIF", QByteArray("GIF89a\1\0\1\0\0\0\0"), Raises::Nothing, kUnassigned },
        HeaderCase { "two bytes", QByteArray("FW"), Raises::Nothing, kUnassigned },
        HeaderCase { "empty file", QByteArray(), Raises::Nothing, kUnassigned },
        HeaderCase { "FWS shorter than 8 bytes", QByteArray("FWS\x06\x10\0", 6), Raises::ReadError, kUnassigned },
        HeaderCase { "FWS without a rectangle", fws({}), Raises::ReadError, { "6", "1234", nullptr, nullptr, nullptr, nullptr } },
        HeaderCase { "FWS ending inside the rectangle", fws(kRect550x400.left(5)), Raises::ReadError,
                     { "6", "1234", nullptr, nullptr, nullptr, nullptr } },
        HeaderCase { "FWS ending inside the frame count", fws(headerBody(kRect550x400, 0, 12, 1).chopped(1)),
                     Raises::ReadError, { "6", "1234", nullptr, nullptr, nullptr, nullptr } },
        HeaderCase { "CWS cut off inside the stream", cws(kBigBody).left(200), Raises::DecompressionError,
                     { "10", "5000", nullptr, nullptr, nullptr, nullptr } },
        HeaderCase { "CWS damaged behind the header", cwsWithBadChecksum(), Raises::DecompressionError,
                     { "10", "5000", nullptr, nullptr, nullptr, nullptr } },
        HeaderCase { "CWS without a body", cws({}).left(8), Raises::DecompressionError,
                     { "10", "5000", nullptr, nullptr, nullptr, nullptr } },
        HeaderCase { "CWS body not zlib", QByteArray("CWS\x0a\x10\0\0\0", 8) + headerBody(kRect550x400, 0, 12, 1),
                     Raises::DecompressionError, { "10", "16", nullptr, nullptr, nullptr, nullptr } },
        HeaderCase { "CWS body too short for the header", cws(kRect550x400), Raises::ReadError,
                     { "10", "5000", nullptr, nullptr, nullptr, nullptr } },
        HeaderCase { "CWS with an empty body", cws({}), Raises::ReadError,
                     { "10", "5000", nullptr, nullptr, nullptr, nullptr } }));

TEST(ReadSwfHeader, MissingFileRaisesOpenErrorAndAssignsNothing)
{
    QTemporaryDir dir;
    QString v = "x", l = "x", w = "x", h = "x", r = "x", c = "x";
    EXPECT_THROW(ReadSwfHeader(dir.filePath("missing.swf"), v, l, w, h, r, c), EFOpenError);
    EXPECT_EQ(QStringList({ v, l, w, h, r, c }), QStringList({ "x", "x", "x", "x", "x", "x" }));
}

TEST(ReadSwfHeader, ErrorNamesTheFile)
{
    QTemporaryDir dir;
    qmtest::writeFile(dir.filePath("cut.swf"), fws(kRect550x400.left(3)));
    QString v, l, w, h, r, c;
    try {
        ReadSwfHeader(dir.filePath("cut.swf"), v, l, w, h, r, c);
        FAIL() << "no error";
    } catch (const EReadError& e) {
        EXPECT_TRUE(e.message().contains("cut.swf")) << e.what();
    }
}

// Peak resident memory of this process so far, in KiB.
long peakResidentKiB()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

TEST(ReadSwfHeader, LargeCompressedBodyIsCheckedWithoutHoldingIt)
{
    // A 256 MiB body (the header, then zeros) compresses to a few hundred KiB.
    constexpr qint64 bodySize = qint64(256) << 20;
    const QByteArray head = headerBody(kRect550x400, 0, 30, 500);
    z_stream z {};
    ASSERT_EQ(deflateInit(&z, 1), Z_OK);
    QByteArray stream;
    QByteArray zeros(1 << 20, '\0');
    QByteArray out(1 << 20, '\0');
    for (qint64 fed = 0; fed < bodySize;) {
        const QByteArray& chunk = fed == 0 ? head + zeros.left(zeros.size() - head.size()) : zeros;
        fed += chunk.size();
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(chunk.constData()));
        z.avail_in = uInt(chunk.size());
        do {
            z.next_out = reinterpret_cast<Bytef*>(out.data());
            z.avail_out = uInt(out.size());
            deflate(&z, fed >= bodySize ? Z_FINISH : Z_NO_FLUSH);
            stream.append(out.constData(), out.size() - qsizetype(z.avail_out));
        } while (z.avail_out == 0);
    }
    deflateEnd(&z);

    QTemporaryDir dir;
    const QString path = dir.filePath("large.swf");
    qmtest::writeFile(path, QByteArray("CWS") + char(9) + le32(quint32(8 + bodySize)) + stream);
    const long before = peakResidentKiB();
    QString v, l, w, h, r, c;
    ReadSwfHeader(path, v, l, w, h, r, c);
    EXPECT_EQ(QStringList({ v, l, w, h, r, c }),
              QStringList({ "9", QString::number(8 + bodySize), "550", "400", "30.0", "500" }));
    EXPECT_LT(peakResidentKiB() - before, 64 * 1024) << "the body was held in memory";
}

// ---- ReadBits ----

struct BitsCase {
    QByteArray buffer;
    qint64 first;
    int count;
    quint32 value;
};

class ReadBitsCases : public ::testing::TestWithParam<BitsCase> {};

TEST_P(ReadBitsCases, ReadsBigEndianBitsFromTheTopBit)
{
    const BitsCase& c = GetParam();
    EXPECT_EQ(ReadBits(c.buffer, c.first, c.count), c.value);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ReadBitsCases,
    ::testing::Values(BitsCase { QByteArray::fromHex("78"), 0, 5, 15 }, BitsCase { kRect550x400, 5, 15, 0 },
                      BitsCase { kRect550x400, 20, 15, 11000 }, BitsCase { kRect550x400, 35, 15, 0 },
                      BitsCase { kRect550x400, 50, 15, 8000 }, BitsCase { QByteArray::fromHex("80"), 0, 1, 1 },
                      BitsCase { QByteArray::fromHex("01"), 7, 1, 1 }, BitsCase { QByteArray::fromHex("FF"), 3, 0, 0 },
                      BitsCase { QByteArray::fromHex("FFFFFFFF"), 0, 32, 0xFFFFFFFFu },
                      BitsCase { QByteArray::fromHex("0FFFFFFFF0"), 4, 32, 0xFFFFFFFFu },
                      BitsCase { QByteArray::fromHex("0000"), 16, 0, 0 }));

TEST(ReadBits, BitsPastTheEndRaise)
{
    const QByteArray two = QByteArray::fromHex("FFFF");
    EXPECT_THROW(ReadBits(two, 10, 7), EReadError);
    EXPECT_THROW(ReadBits(two, 16, 1), EReadError);
    EXPECT_THROW(ReadBits(QByteArray(), 0, 1), EReadError);
    EXPECT_THROW(ReadBits(two, -1, 1), EReadError);
    EXPECT_THROW(ReadBits(QByteArray(8, '\0'), 0, 33), EReadError);
    EXPECT_EQ(ReadBits(two, 10, 6), 0x3Fu);
}

// ---- Frame-rate text ----

TEST(SwfFrameRateText, EveryFractionReadsBackAndIsShortest)
{
    for (int integer : { 0, 29, 255 }) {
        for (int fraction = 0; fraction < 256; ++fraction) {
            const QString text = SwfFrameRateText(quint8(integer), quint8(fraction));
            SCOPED_TRACE(text.toStdString());
            const qsizetype point = text.indexOf('.');
            ASSERT_GT(point, 0);
            EXPECT_EQ(text.left(point), QString::number(integer));
            const QString digits = text.mid(point + 1);
            ASSERT_FALSE(digits.isEmpty());
            if (fraction == 0) {
                EXPECT_EQ(digits, "0");
                continue;
            }
            // Reads back: the nearest 1/256 step of the decimal fraction is the fraction byte.
            const double value = ("0." + digits).toDouble();
            EXPECT_EQ(std::lround(value * 256), fraction);
            // Shortest: one digit fewer never reads back.
            const int n = int(digits.size());
            if (n > 1) {
                const double scale = std::pow(10.0, n - 1);
                for (long d = 0; d < long(scale); ++d)
                    ASSERT_NE(std::lround(d / scale * 256), fraction) << "shorter: " << d;
            }
        }
    }
    EXPECT_EQ(SwfFrameRateText(29, 248), "29.97");
    EXPECT_EQ(SwfFrameRateText(12, 0), "12.0");
    EXPECT_EQ(SwfFrameRateText(0, 64), "0.25");
    EXPECT_EQ(SwfFrameRateText(23, 250), "23.977");
}

} // namespace
