#pragma once
// Byte builders for compressed files and pack archives, written with zlib directly so that
// the tests do not rely on the code under test to make their fixtures.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

namespace kvziptest {

// One complete zlib stream of `data`.
QByteArray zlibStream(const QByteArray& data, int level = 9);
// A compressed file: the 8-byte little-endian size field, then `stream`.
QByteArray compressedFile(quint64 sizeField, const QByteArray& stream);
// A compressed file of `data` with its true size.
QByteArray compressedFile(const QByteArray& data);
// Little-endian bytes of a 32-bit value.
QByteArray le32(quint32 value);
// Inflates a whole zlib stream; empty with ok = false when it is not one.
QByteArray inflateAll(const QByteArray& stream, bool* ok);

struct Entry {
    QString name;          // stored name, suffix included ("a.txt.Tmp")
    QByteArray bytes;      // the entry as it lies in the archive
    QString line = {};     // index line without its CR LF, %SIZE% standing for the entry's size;
                           // empty: "FileName=<name>#FileSize=%SIZE%"
};
// Entries, then their index lines joined with `lineEnd`, then the index length.
QByteArray pack(const std::vector<Entry>& entries, const QByteArray& lineEnd = "\r\n");

// The names of the files (and folders) directly in `folder`, sorted.
QStringList entriesOf(const QString& folder);

} // namespace kvziptest
