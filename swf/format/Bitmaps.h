#pragma once
// Bitmap tags. Image data stays encoded (JPEG, PNG, GIF or zlib); the renderer decodes it
// when it first draws the bitmap, so reading a movie never allocates for pixels.
#include "swf/format/Units.h"

#include <cstdint>

namespace swf {

// JPEGTables: the encoding tables shared by every DefineBits of the movie.
struct JpegTables {
    Bytes data;
};

// DefineBits (version 1: tables in JpegTables), DefineBitsJPEG2, 3 and 4.
struct DefineBitsJpeg {
    std::uint8_t version = 1;
    std::uint16_t id = 0;
    Bytes imageData; // JPEG, or from version 2 on also PNG or GIF
    Bytes alphaData; // versions 3 and 4: zlib-compressed 8-bit alpha plane, may be empty
    Fixed8 deblocking; // version 4
};

enum class LosslessFormat : std::uint8_t {
    ColorMapped8 = 3, // palette of colorTableSize entries, rows padded to 4 bytes
    Rgb15 = 4,        // DefineBitsLossless only
    Rgb32 = 5,        // XRGB, or premultiplied ARGB in DefineBitsLossless2
};

// DefineBitsLossless (version 1) and DefineBitsLossless2 (version 2, with alpha).
struct DefineBitsLossless {
    std::uint8_t version = 1;
    std::uint16_t id = 0;
    LosslessFormat format = LosslessFormat::Rgb32;
    std::uint16_t width = 0;
    std::uint16_t height = 0;
    std::uint16_t colorTableSize = 0; // entries (1..256), colour-mapped only
    Bytes zlibData;                   // colour table and pixels, compressed

    // Bytes the inflated data must hold: the palette plus rows padded to 32 bits.
    std::uint64_t expectedDataSize() const;
};

} // namespace swf
