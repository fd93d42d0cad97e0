#include "app/UnitSwf.h"

#include "shared/Errors.h"
#include "shared/ZlibStream.h"

#include <QByteArray>
#include <QDir>
#include <QFile>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {

constexpr qsizetype kFixedHeader = 8;      // signature, version, file length
constexpr qsizetype kMaxRectBytes = 17;    // Nbits = 31: ceil((5 + 4 * 31) / 8)
constexpr qsizetype kMaxHeaderBody = kMaxRectBytes + 4; // rectangle, frame rate, frame count
constexpr qint64 kChunk = 64 * 1024;

QString quoted(const QString& path)
{
    return QLatin1Char('"') + QDir::toNativeSeparators(path) + QLatin1Char('"');
}

// Inflates the zlib stream from the file's current position to its end and returns the
// first kMaxHeaderBody bytes of the output. The whole stream is checked, so damage behind
// the header is still reported, but memory stays constant whatever the body's size.
QByteArray inflateHeaderBody(QFile& in, const QString& fileName)
{
    InflateStream stream;
    std::vector<uchar> inBuf(kChunk);
    std::vector<uchar> outBuf(kChunk);
    QByteArray head;
    int rc = Z_OK;
    while (rc != Z_STREAM_END) {
        if (stream.z.avail_in == 0) {
            const qint64 got = in.read(reinterpret_cast<char*>(inBuf.data()), kChunk);
            if (got < 0)
                throw EReadError(QStringLiteral("%1 could not be read. %2").arg(quoted(fileName), in.errorString()));
            if (got == 0)
                throw EZDecompressionError(
                    QStringLiteral("The compressed body of %1 is cut off.").arg(quoted(fileName)));
            stream.z.next_in = inBuf.data();
            stream.z.avail_in = uInt(got);
        }
        stream.z.next_out = outBuf.data();
        stream.z.avail_out = uInt(kChunk);
        rc = inflate(&stream.z, Z_NO_FLUSH);
        if (rc == Z_DATA_ERROR || rc == Z_NEED_DICT || rc == Z_MEM_ERROR || rc == Z_STREAM_ERROR)
            throw EZDecompressionError(
                QStringLiteral("The compressed body of %1 is damaged.").arg(quoted(fileName)));
        const qsizetype made = qsizetype(kChunk - stream.z.avail_out);
        if (head.size() < kMaxHeaderBody)
            head.append(reinterpret_cast<const char*>(outBuf.data()),
                        std::min(made, kMaxHeaderBody - head.size()));
    }
    return head;
}

quint32 le32(const QByteArray& bytes, qsizetype at)
{
    const auto b = [&](qsizetype i) { return quint32(uchar(bytes[at + i])); };
    return b(0) | b(1) << 8 | b(2) << 16 | b(3) << 24;
}

} // namespace

quint32 ReadBits(QByteArrayView buffer, qint64 firstBit, int bitCount)
{
    if (bitCount < 0 || bitCount > 32 || firstBit < 0
        || firstBit + bitCount > qint64(buffer.size()) * 8)
        throw EReadError(QStringLiteral("Reading %1 bits at bit %2 goes past the end of %3 bytes.")
                             .arg(bitCount)
                             .arg(firstBit)
                             .arg(buffer.size()));
    quint32 value = 0;
    for (qint64 k = firstBit; k < firstBit + bitCount; ++k) {
        const uchar byte = uchar(buffer[k / 8]);
        value = (value << 1) | ((byte >> (7 - k % 8)) & 1u);
    }
    return value;
}

QString SwfFrameRateText(quint8 integer, quint8 fraction)
{
    const QString whole = QString::number(integer) + QLatin1Char('.');
    if (fraction == 0)
        return whole + QLatin1Char('0');
    // fraction / 256 has at most eight decimals; take the fewest digits whose nearest
    // value still rounds to the same 1/256 step, strictly inside its half-step.
    qint64 scale = 1;
    for (int digits = 1; digits <= 8; ++digits) {
        scale *= 10;
        const qint64 digitsValue = (qint64(fraction) * scale + 128) / 256;
        if (digitsValue >= scale)
            continue; // rounds up to the next whole number, which reads back differently
        if (std::llabs(digitsValue * 256 - qint64(fraction) * scale) * 2 < scale)
            return whole + QStringLiteral("%1").arg(digitsValue, digits, 10, QLatin1Char('0'));
    }
    return whole + QLatin1Char('0'); // not reached: eight digits are exact
}

void ReadSwfHeader(const QString& fileName, QString& Version, QString& FileLength, QString& Width,
                   QString& Height, QString& FrameRate, QString& FrameCount)
{
    QFile in(fileName);
    if (!in.open(QIODevice::ReadOnly))
        throw EFOpenError(QStringLiteral("Cannot open file %1. %2").arg(quoted(fileName), in.errorString()));

    // An uncompressed header never needs more than these first bytes.
    const QByteArray start = in.read(kFixedHeader + kMaxHeaderBody);
    const bool uncompressed = start.startsWith("FWS");
    if (!uncompressed && !start.startsWith("CWS"))
        return;
    if (start.size() < kFixedHeader)
        throw EReadError(QStringLiteral("%1 ends inside its 8-byte header.").arg(quoted(fileName)));

    Version = QString::number(uchar(start[3]));
    FileLength = QString::number(le32(start, 4));

    QByteArray body;
    if (uncompressed) {
        body = start.mid(kFixedHeader);
    } else {
        if (!in.seek(kFixedHeader))
            throw EReadError(QStringLiteral("%1 could not be read. %2").arg(quoted(fileName), in.errorString()));
        body = inflateHeaderBody(in, fileName);
    }

    const QString where = uncompressed ? QStringLiteral("%1").arg(quoted(fileName))
                                       : QStringLiteral("The decompressed body of %1").arg(quoted(fileName));
    if (body.isEmpty())
        throw EReadError(QStringLiteral("%1 ends before the frame rectangle.").arg(where));
    const int nbits = uchar(body[0]) >> 3;
    const qsizetype rectBytes = (5 + 4 * nbits + 7) / 8;
    if (body.size() < rectBytes + 4)
        throw EReadError(QStringLiteral("%1 ends inside the frame rectangle, frame rate or frame count.").arg(where));

    quint32 pixels[4];
    for (int k = 0; k < 4; ++k)
        pixels[k] = ReadBits(body, 5 + qint64(k) * nbits, nbits) / 20; // twips to whole pixels
    const quint8 fraction = uchar(body[rectBytes]);
    const quint8 integer = uchar(body[rectBytes + 1]);
    const quint32 frames = quint32(uchar(body[rectBytes + 2])) | quint32(uchar(body[rectBytes + 3])) << 8;

    // The frame size is reported as Xmax and Ymax, whatever Xmin and Ymin hold.
    Width = QString::number(pixels[1]);
    Height = QString::number(pixels[3]);
    FrameRate = SwfFrameRateText(integer, fraction);
    FrameCount = QString::number(frames);
}
