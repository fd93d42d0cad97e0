#include "tests/kvzip/KvZipTestSupport.h"

#include <QDir>
#include <gtest/gtest.h>
#include <zlib.h>

namespace kvziptest {

QByteArray zlibStream(const QByteArray& data, int level)
{
    uLongf size = compressBound(uLong(data.size()));
    QByteArray out(qsizetype(size), '\0');
    const int rc = compress2(reinterpret_cast<Bytef*>(out.data()), &size,
                             reinterpret_cast<const Bytef*>(data.constData()), uLong(data.size()), level);
    EXPECT_EQ(rc, Z_OK);
    out.resize(qsizetype(size));
    return out;
}

QByteArray compressedFile(quint64 sizeField, const QByteArray& stream)
{
    QByteArray out;
    for (int i = 0; i < 8; ++i)
        out.append(char((sizeField >> (8 * i)) & 0xFF));
    return out + stream;
}

QByteArray compressedFile(const QByteArray& data)
{
    return compressedFile(quint64(data.size()), zlibStream(data));
}

QByteArray le32(quint32 value)
{
    QByteArray out;
    for (int i = 0; i < 4; ++i)
        out.append(char((value >> (8 * i)) & 0xFF));
    return out;
}

QByteArray inflateAll(const QByteArray& stream, bool* ok)
{
    z_stream z {};
    inflateInit(&z);
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(stream.constData()));
    z.avail_in = uInt(stream.size());
    QByteArray out;
    char buf[4096];
    int rc = Z_OK;
    while (rc == Z_OK) {
        z.next_out = reinterpret_cast<Bytef*>(buf);
        z.avail_out = sizeof buf;
        rc = inflate(&z, Z_NO_FLUSH);
        out.append(buf, qsizetype(sizeof buf - z.avail_out));
    }
    inflateEnd(&z);
    *ok = rc == Z_STREAM_END && z.avail_in == 0;
    return *ok ? out : QByteArray();
}

QByteArray pack(const std::vector<Entry>& entries, const QByteArray& lineEnd)
{
    QByteArray body;
    QByteArray index;
    for (const Entry& e : entries) {
        body += e.bytes;
        QString line = e.line.isEmpty() ? QStringLiteral("FileName=%1#FileSize=%SIZE%").arg(e.name) : e.line;
        line.replace(QLatin1String("%SIZE%"), QString::number(e.bytes.size()));
        index += line.toUtf8() + lineEnd;
    }
    return body + index + le32(quint32(index.size() + 4));
}

QStringList entriesOf(const QString& folder)
{
    QStringList names = QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    names.sort();
    return names;
}

} // namespace kvziptest
