#include "shared/kvZipUnit.h"

#include "shared/Errors.h"
#include "shared/ZlibStream.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStringList>


#include <algorithm>
#include <array>
#include <optional>
#include <vector>

namespace {

constexpr qint64 kChunk = 64 * 1024;
constexpr int kSizeFieldBytes = 8;

QString quoted(const QString& path)
{
    return QLatin1Char('"') + QDir::toNativeSeparators(path) + QLatin1Char('"');
}

[[noreturn]] void raiseOpen(const QString& path, const QFileDevice& file)
{
    throw EFOpenError(QStringLiteral("Cannot open file %1. %2").arg(quoted(path), file.errorString()));
}

[[noreturn]] void raiseCreate(const QString& path, const QFileDevice& file)
{
    throw EFOpenError(QStringLiteral("Cannot create file %1. %2").arg(quoted(path), file.errorString()));
}

[[noreturn]] void raiseWrite(const QString& path, const QFileDevice& file)
{
    throw EFOpenError(QStringLiteral("Cannot write file %1. %2").arg(quoted(path), file.errorString()));
}

// Restores the compressed file that occupies `length` bytes at `offset` of `in` into `dest`.
// The stream is inflated chunk by chunk, so the declared size never sizes an allocation, and
// the output goes through a temporary file that only replaces `dest` once it is complete.
void decompressRange(QFile& in, qint64 offset, qint64 length, const QString& sourceName, const QString& dest)
{
    if (length < kSizeFieldBytes || !in.seek(offset))
        throw EReadError(QStringLiteral("%1 is too short for a compressed file.").arg(quoted(sourceName)));
    std::array<uchar, kSizeFieldBytes> field {};
    if (in.read(reinterpret_cast<char*>(field.data()), kSizeFieldBytes) != kSizeFieldBytes)
        throw EReadError(QStringLiteral("%1 is too short for a compressed file.").arg(quoted(sourceName)));

    // Only the low half counts, read as a signed 32-bit size.
    const quint32 low = quint32(field[0]) | quint32(field[1]) << 8 | quint32(field[2]) << 16 | quint32(field[3]) << 24;
    if (low > quint32(kMaxCompressedFileSize))
        throw EReadError(QStringLiteral("%1 declares %2 bytes, more than a compressed file can hold.")
                             .arg(quoted(sourceName))
                             .arg(low));
    const qint64 size = low;

    QSaveFile out(dest);
    if (!out.open(QIODevice::WriteOnly))
        raiseCreate(dest, out);

    InflateStream stream;
    std::vector<uchar> inBuf(kChunk);
    std::vector<uchar> outBuf(kChunk);
    qint64 inputLeft = length - kSizeFieldBytes;
    qint64 produced = 0;
    while (produced < size) {
        if (stream.z.avail_in == 0) {
            if (inputLeft == 0)
                throw EReadError(QStringLiteral("%1 ends after %2 of its %3 bytes.")
                                     .arg(quoted(sourceName))
                                     .arg(produced)
                                     .arg(size));
            const qint64 got = in.read(reinterpret_cast<char*>(inBuf.data()), std::min(kChunk, inputLeft));
            if (got <= 0)
                throw EReadError(QStringLiteral("%1 could not be read. %2").arg(quoted(sourceName), in.errorString()));
            inputLeft -= got;
            stream.z.next_in = inBuf.data();
            stream.z.avail_in = uInt(got);
        }
        const uInt room = uInt(std::min(kChunk, size - produced));
        stream.z.next_out = outBuf.data();
        stream.z.avail_out = room;
        const int rc = inflate(&stream.z, Z_NO_FLUSH);
        const qint64 made = room - stream.z.avail_out;
        if (rc == Z_DATA_ERROR || rc == Z_NEED_DICT || rc == Z_MEM_ERROR || rc == Z_STREAM_ERROR)
            throw EZDecompressionError(QStringLiteral("%1 holds a damaged compressed stream.").arg(quoted(sourceName)));
        if (made > 0 && out.write(reinterpret_cast<const char*>(outBuf.data()), made) != made)
            raiseWrite(dest, out);
        produced += made;
        if (rc == Z_STREAM_END && produced < size)
            throw EReadError(QStringLiteral("%1 ends after %2 of its %3 bytes.")
                                 .arg(quoted(sourceName))
                                 .arg(produced)
                                 .arg(size));
    }
    if (!out.commit())
        raiseWrite(dest, out);
}

// The value of key `key` in an index line. Fields end at "#" and at any blank or control
// character; keys match without regard to case; the first match wins.
std::optional<QString> indexValue(const QString& line, QLatin1String key)
{
    qsizetype start = 0;
    const qsizetype n = line.size();
    while (start < n) {
        qsizetype end = start;
        while (end < n && line[end] != QLatin1Char('#') && line[end].unicode() > 0x20)
            ++end;
        const QStringView field = QStringView(line).mid(start, end - start);
        const qsizetype eq = field.indexOf(QLatin1Char('='));
        if (eq >= 0 && field.left(eq).compare(key, Qt::CaseInsensitive) == 0)
            return field.mid(eq + 1).toString();
        start = end + 1;
    }
    return std::nullopt;
}

// A non-negative decimal number of at most 18 digits.
std::optional<qint64> decimalSize(const QString& text)
{
    if (text.isEmpty() || text.size() > 18)
        return std::nullopt;
    qint64 value = 0;
    for (QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
        value = value * 10 + (c.unicode() - '0');
    }
    return value;
}

// A name that stays inside the destination folder: one plain path component.
bool isPlainFileName(const QString& name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..")
        && !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\'));
}

void unpackFrom(QFile& in, const QString& archive, const QString& folder)
{
    const qint64 archiveSize = in.size();
    if (archiveSize < 4 || !in.seek(archiveSize - 4))
        return;
    std::array<uchar, 4> tail {};
    if (in.read(reinterpret_cast<char*>(tail.data()), 4) != 4)
        return;
    const qint32 n = qint32(quint32(tail[0]) | quint32(tail[1]) << 8 | quint32(tail[2]) << 16 | quint32(tail[3]) << 24);
    if (n == 0 || n < 4 || n > archiveSize)
        return;
    if (!in.seek(archiveSize - n))
        return;
    const QByteArray indexBytes = in.read(n - 4);
    if (indexBytes.size() != n - 4)
        return;

    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    QStringList lines = QString::fromUtf8(indexBytes).split(lineBreak);
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast(); // the break that ends the last line starts no new one

    qint64 distance = n; // from the end of the archive to the start of the current entry
    for (auto it = lines.crbegin(); it != lines.crend(); ++it) {
        const std::optional<QString> nameValue = indexValue(*it, QLatin1String("FileName"));
        const std::optional<QString> sizeValue = indexValue(*it, QLatin1String("FileSize"));
        if (!sizeValue)
            return;
        const std::optional<qint64> size = decimalSize(*sizeValue);
        if (!size || *size > archiveSize - distance)
            return;
        distance += *size;
        // The stored name carries a four-character suffix (".Tmp") that extraction drops.
        const QString name = nameValue && nameValue->size() > 4 ? nameValue->chopped(4) : QString();
        if (!isPlainFileName(name))
            return;
        decompressRange(in, archiveSize - distance, *size, archive, folder + QLatin1Char('/') + name);
        if (QCoreApplication::instance())
            QCoreApplication::processEvents();
    }
}

} // namespace

int ZlibLevel(TCompressionLevel level)
{
    switch (level) {
    case TCompressionLevel::clNone:
        return Z_NO_COMPRESSION;
    case TCompressionLevel::clFastest:
        return Z_BEST_SPEED;
    case TCompressionLevel::clDefault:
        return Z_DEFAULT_COMPRESSION;
    case TCompressionLevel::clMax:
        return Z_BEST_COMPRESSION;
    }
    return Z_DEFAULT_COMPRESSION;
}

void CompressFile(const QString& source, const QString& dest, TCompressionLevel level)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        raiseOpen(source, in);
    const qint64 size = in.size();
    if (size > kMaxCompressedFileSize)
        throw EReadError(QStringLiteral("%1 is too large to compress: %2 bytes, at most %3.")
                             .arg(quoted(source))
                             .arg(size)
                             .arg(kMaxCompressedFileSize));

    QSaveFile out(dest);
    if (!out.open(QIODevice::WriteOnly))
        raiseCreate(dest, out);
    std::array<char, kSizeFieldBytes> field {};
    for (int i = 0; i < kSizeFieldBytes; ++i)
        field[i] = char((quint64(size) >> (8 * i)) & 0xFF);
    if (out.write(field.data(), kSizeFieldBytes) != kSizeFieldBytes)
        raiseWrite(dest, out);

    DeflateStream stream(ZlibLevel(level));
    std::vector<uchar> inBuf(kChunk);
    std::vector<uchar> outBuf(kChunk);
    qint64 consumed = 0;
    int rc = Z_OK;
    while (rc != Z_STREAM_END) {
        if (stream.z.avail_in == 0 && consumed < size) {
            const qint64 got = in.read(reinterpret_cast<char*>(inBuf.data()), std::min(kChunk, size - consumed));
            if (got <= 0)
                throw EReadError(QStringLiteral("%1 could not be read to its end. %2").arg(quoted(source), in.errorString()));
            consumed += got;
            stream.z.next_in = inBuf.data();
            stream.z.avail_in = uInt(got);
        }
        const int flush = consumed == size ? Z_FINISH : Z_NO_FLUSH;
        stream.z.next_out = outBuf.data();
        stream.z.avail_out = uInt(kChunk);
        rc = deflate(&stream.z, flush);
        if (rc == Z_STREAM_ERROR)
            throw EZDecompressionError(QStringLiteral("%1 could not be compressed.").arg(quoted(source)));
        const qint64 made = kChunk - stream.z.avail_out;
        if (made > 0 && out.write(reinterpret_cast<const char*>(outBuf.data()), made) != made)
            raiseWrite(dest, out);
    }
    if (!out.commit())
        raiseWrite(dest, out);
}

void DecompressFile(const QString& source, const QString& dest)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        raiseOpen(source, in);
    decompressRange(in, 0, in.size(), source, dest);
}

void UnpackArchive(const QString& archive, const QString& destFolder)
{
    if (!QFileInfo::exists(archive))
        return;
    QString folder = destFolder;
    if (folder.endsWith(QLatin1Char('/')))
        folder.chop(1);
    QDir().mkdir(folder); // one level; an existing folder or a failure shows up later

    QFile in(archive);
    if (!in.open(QIODevice::ReadOnly))
        raiseOpen(archive, in);
    try {
        unpackFrom(in, archive, folder);
    } catch (const std::exception&) {
        // Extraction ends at the first failure; what was written so far stays.
    }
}
