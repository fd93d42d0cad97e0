#pragma once
// The program's two zlib-based storage formats.
//
// Compressed file: 8-byte little-endian uncompressed size (readers use its low 32 bits as a
// signed size), then one zlib stream.
// Pack archive: compressed files one after another, then a text index (one CR LF line per
// entry, "FileName=<name>.Tmp#FileSize=<bytes in the archive>"), then the 4-byte
// little-endian index length N (index text + 4).
#include <QString>

enum class TCompressionLevel {
    clNone,    // zlib level 0
    clFastest, // 1
    clDefault, // zlib's default (-1)
    clMax,     // 9
};

// zlib's level for a TCompressionLevel.
int ZlibLevel(TCompressionLevel level);

// Largest uncompressed size the format can carry: readers take the size as a signed 32-bit number.
constexpr qint64 kMaxCompressedFileSize = 0x7FFFFFFF;

// Writes `source` to `dest` in the compressed-file format. Raises EFOpenError when a file
// cannot be opened, created or written and EReadError when the source is too large; the
// destination is left untouched then.
void CompressFile(const QString& source, const QString& dest, TCompressionLevel level);

// Restores a compressed file. Raises EFOpenError (open/create/write), EReadError (a short
// file or stream, a size beyond 2^31 - 1) or EZDecompressionError (a damaged stream); the
// destination is left untouched then.
void DecompressFile(const QString& source, const QString& dest);

// Extracts every entry of a pack archive into `destFolder` (with or without a trailing
// delimiter), the entry before the index first. A missing archive does nothing; one that
// cannot be opened raises EFOpenError. Any other failure ends the extraction silently,
// keeping the entries already written. Names that would leave the folder count as failures.
void UnpackArchive(const QString& archive, const QString& destFolder);
