#pragma once
// zlib stream states that end themselves, for the readers and writers of compressed data.
#include "shared/Errors.h"

#include <zlib.h>

struct InflateStream {
    z_stream z {};
    InflateStream()
    {
        if (inflateInit(&z) != Z_OK)
            throw EZDecompressionError(QStringLiteral("The decompressor could not be started."));
    }
    ~InflateStream() { inflateEnd(&z); }
    InflateStream(const InflateStream&) = delete;
    InflateStream& operator=(const InflateStream&) = delete;
};

struct DeflateStream {
    z_stream z {};
    explicit DeflateStream(int level)
    {
        if (deflateInit(&z, level) != Z_OK)
            throw EZDecompressionError(QStringLiteral("The compressor could not be started."));
    }
    ~DeflateStream() { deflateEnd(&z); }
    DeflateStream(const DeflateStream&) = delete;
    DeflateStream& operator=(const DeflateStream&) = delete;
};
