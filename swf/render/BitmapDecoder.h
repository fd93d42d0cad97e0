#pragma once
// Decoding of the bitmap tags into premultiplied ARGB pictures, and a cache of decoded
// pictures bounded by bytes so that long image sequences do not grow memory.
#include "swf/format/Bitmaps.h"

#include <QImage>

#include <cstddef>
#include <cstdint>
#include <list>
#include <unordered_map>

namespace swf::render {

// Bitmaps with more pixels than this are not decoded (a claim of 32768 × 32768 pixels
// would need 4 GiB).
inline constexpr std::uint64_t maxBitmapPixels = 64ull << 20;

// Null on any failure (broken data, unsupported format, too many pixels).
QImage decodeJpegBitmap(const DefineBitsJpeg& tag, const JpegTables* tables);
QImage decodeLosslessBitmap(const DefineBitsLossless& tag);

// Removes what the old tools put around JPEG data: a leading FF D9 FF D8, and the end
// and start markers between the table segments and the image segments.
QByteArray cleanJpeg(const std::uint8_t* data, std::size_t size);

// Inflates zlib data, giving up beyond `limit` bytes. Returns false on a broken stream;
// `out` then holds what could be inflated.
bool inflateLimited(const Bytes& in, std::uint64_t limit, std::vector<std::uint8_t>& out);

class BitmapCache {
public:
    explicit BitmapCache(std::size_t budgetBytes = 192u << 20)
        : budget_(budgetBytes)
    {
    }

    // The cached picture of `id`, or null when not cached.
    const QImage* find(std::uint16_t id);
    // Stores a picture (a null one records a failed decode) and returns it.
    const QImage* insert(std::uint16_t id, QImage image);
    void clear();

    std::size_t bytes() const { return bytes_; }
    std::size_t count() const { return entries_.size(); }

private:
    struct Entry {
        QImage image;
        std::list<std::uint16_t>::iterator order;
    };
    static std::size_t costOf(const QImage& image) { return 64 + static_cast<std::size_t>(image.sizeInBytes()); }
    void evict();

    std::size_t budget_;
    std::size_t bytes_ = 0;
    std::list<std::uint16_t> order_; // most recently used first
    std::unordered_map<std::uint16_t, Entry> entries_;
};

} // namespace swf::render
