#include "swf/render/BitmapDecoder.h"

#include <QBuffer>
#include <QImageReader>

#include <zlib.h>

#include <algorithm>
#include <cstring>

namespace swf::render {
namespace {

bool startsWith(const Bytes& b, std::initializer_list<std::uint8_t> sig)
{
    if (b.size() < sig.size())
        return false;
    return std::equal(sig.begin(), sig.end(), b.begin());
}

bool isPng(const Bytes& b) { return startsWith(b, {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A}); }
bool isGif(const Bytes& b) { return startsWith(b, {0x47, 0x49, 0x46, 0x38}); }

// Decodes with Qt after checking the size the file claims.
QImage decodeImage(const QByteArray& data, const char* format)
{
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    reader.setAutoTransform(false);
    const QSize size = reader.size();
    if (!size.isValid() || size.isEmpty())
        return {};
    if (static_cast<std::uint64_t>(size.width()) * static_cast<std::uint64_t>(size.height()) > maxBitmapPixels)
        return {};
    QImage image;
    if (!reader.read(&image))
        return {};
    return image;
}

} // namespace

QByteArray cleanJpeg(const std::uint8_t* data, std::size_t size)
{
    std::size_t pos = 0;
    if (size >= 4 && data[0] == 0xFF && data[1] == 0xD9 && data[2] == 0xFF && data[3] == 0xD8)
        pos = 4; // the erroneous header of early DefineBitsJPEG2 tags
    QByteArray out;
    out.reserve(static_cast<qsizetype>(size + 2));
    out.append(char(0xFF));
    out.append(char(0xD8));
    while (pos + 1 < size) {
        if (data[pos] != 0xFF) {
            // Not a marker where one must be: keep the rest as it is and let the decoder judge.
            out.append(reinterpret_cast<const char*>(data + pos), static_cast<qsizetype>(size - pos));
            return out;
        }
        const std::uint8_t marker = data[pos + 1];
        if (marker == 0xFF) { // fill byte
            ++pos;
            continue;
        }
        if (marker == 0xD8 || marker == 0xD9) { // start or end of image between the segments
            pos += 2;
            continue;
        }
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
            out.append(reinterpret_cast<const char*>(data + pos), 2);
            pos += 2;
            continue;
        }
        if (marker == 0xDA) { // start of scan: the entropy-coded data follows to the end
            out.append(reinterpret_cast<const char*>(data + pos), static_cast<qsizetype>(size - pos));
            return out;
        }
        if (pos + 4 > size)
            break;
        const std::size_t len = (std::size_t(data[pos + 2]) << 8) | data[pos + 3];
        const std::size_t segment = std::min(size - pos, len + 2);
        out.append(reinterpret_cast<const char*>(data + pos), static_cast<qsizetype>(segment));
        pos += segment;
    }
    out.append(char(0xFF));
    out.append(char(0xD9));
    return out;
}

bool inflateLimited(const Bytes& in, std::uint64_t limit, std::vector<std::uint8_t>& out)
{
    out.clear();
    if (in.empty())
        return false;
    z_stream z{};
    if (inflateInit(&z) != Z_OK)
        return false;
    out.resize(static_cast<std::size_t>(std::min<std::uint64_t>(limit, 1u << 20)));
    z.next_in = const_cast<Bytef*>(in.data());
    z.avail_in = static_cast<uInt>(std::min<std::size_t>(in.size(), 0xFFFFFFFFu));
    std::size_t produced = 0;
    int rc = Z_OK;
    while (true) {
        if (produced == out.size()) {
            if (out.size() >= limit)
                break;
            out.resize(static_cast<std::size_t>(std::min<std::uint64_t>(limit, out.size() * 2)));
        }
        z.next_out = out.data() + produced;
        z.avail_out = static_cast<uInt>(std::min<std::size_t>(out.size() - produced, 0xFFFFFFFFu));
        rc = inflate(&z, Z_NO_FLUSH);
        produced = out.size() - z.avail_out;
        if (rc == Z_STREAM_END || rc != Z_OK)
            break;
    }
    inflateEnd(&z);
    out.resize(produced);
    return rc == Z_STREAM_END || rc == Z_OK || rc == Z_BUF_ERROR;
}

QImage decodeJpegBitmap(const DefineBitsJpeg& tag, const JpegTables* tables)
{
    const Bytes& data = tag.imageData;
    if (data.empty())
        return {};
    QImage image;
    bool fromJpeg = false;
    if (tag.version >= 2 && isPng(data)) {
        image = decodeImage(QByteArray(reinterpret_cast<const char*>(data.data()), static_cast<qsizetype>(data.size())), "png");
    } else if (tag.version >= 2 && isGif(data)) {
        image = decodeImage(QByteArray(reinterpret_cast<const char*>(data.data()), static_cast<qsizetype>(data.size())), "gif");
    } else {
        fromJpeg = true;
        QByteArray jpeg;
        if (tag.version == 1 && tables && !tables->data.empty()) {
            Bytes joined;
            joined.reserve(tables->data.size() + data.size());
            joined.insert(joined.end(), tables->data.begin(), tables->data.end());
            joined.insert(joined.end(), data.begin(), data.end());
            jpeg = cleanJpeg(joined.data(), joined.size());
        } else {
            jpeg = cleanJpeg(data.data(), data.size());
        }
        image = decodeImage(jpeg, "jpeg");
    }
    if (image.isNull())
        return {};
    if (fromJpeg && tag.version >= 3 && !tag.alphaData.empty()) {
        const std::uint64_t pixels = std::uint64_t(image.width()) * std::uint64_t(image.height());
        std::vector<std::uint8_t> alpha;
        inflateLimited(tag.alphaData, pixels, alpha);
        if (alpha.size() == pixels) {
            image = image.convertToFormat(QImage::Format_ARGB32);
            const int w = image.width();
            for (int y = 0; y < image.height(); ++y) {
                auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
                const std::uint8_t* a = alpha.data() + std::size_t(y) * std::size_t(w);
                for (int x = 0; x < w; ++x)
                    line[x] = qRgba(qRed(line[x]), qGreen(line[x]), qBlue(line[x]), a[x]);
            }
        }
    }
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

QImage decodeLosslessBitmap(const DefineBitsLossless& tag)
{
    const int w = tag.width, h = tag.height;
    if (w == 0 || h == 0 || std::uint64_t(w) * std::uint64_t(h) > maxBitmapPixels)
        return {};
    const std::uint64_t expected = tag.expectedDataSize();
    std::vector<std::uint8_t> raw;
    inflateLimited(tag.zlibData, expected, raw);
    if (raw.size() < expected) // a short stream: keep what arrived, the rest zero
        raw.resize(static_cast<std::size_t>(expected), 0);
    const bool alpha = tag.version >= 2;
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return {};
    switch (tag.format) {
    case LosslessFormat::ColorMapped8: {
        const int entries = tag.colorTableSize;
        const int entrySize = alpha ? 4 : 3;
        QRgb palette[256];
        std::fill(std::begin(palette), std::end(palette), qRgba(0, 0, 0, 0));
        for (int i = 0; i < entries && i < 256; ++i) {
            const std::uint8_t* e = raw.data() + std::size_t(i) * entrySize;
            if (alpha) { // premultiplied RGBA; colours above alpha are clamped
                const int a = e[3];
                palette[i] = qRgba(std::min<int>(e[0], a), std::min<int>(e[1], a), std::min<int>(e[2], a), a);
            } else {
                palette[i] = qRgb(e[0], e[1], e[2]);
            }
        }
        const std::size_t stride = (std::size_t(w) + 3) & ~std::size_t(3);
        const std::uint8_t* pixels = raw.data() + std::size_t(entries) * entrySize;
        for (int y = 0; y < h; ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            const std::uint8_t* row = pixels + stride * std::size_t(y);
            for (int x = 0; x < w; ++x)
                line[x] = palette[row[x]];
        }
        break;
    }
    case LosslessFormat::Rgb15: {
        const std::size_t stride = (std::size_t(w) * 2 + 3) & ~std::size_t(3);
        for (int y = 0; y < h; ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            const std::uint8_t* row = raw.data() + stride * std::size_t(y);
            for (int x = 0; x < w; ++x) {
                const unsigned v = (unsigned(row[x * 2]) << 8) | row[x * 2 + 1];
                const int r = (v >> 10) & 31, g = (v >> 5) & 31, b = v & 31;
                line[x] = qRgb(r << 3 | r >> 2, g << 3 | g >> 2, b << 3 | b >> 2);
            }
        }
        break;
    }
    case LosslessFormat::Rgb32: {
        for (int y = 0; y < h; ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            const std::uint8_t* row = raw.data() + std::size_t(w) * 4 * std::size_t(y);
            for (int x = 0; x < w; ++x) {
                const std::uint8_t* p = row + x * 4;
                if (alpha) {
                    const int a = p[0];
                    line[x] = qRgba(std::min<int>(p[1], a), std::min<int>(p[2], a), std::min<int>(p[3], a), a);
                } else {
                    line[x] = qRgb(p[1], p[2], p[3]);
                }
            }
        }
        break;
    }
    default:
        return {};
    }
    return image;
}

const QImage* BitmapCache::find(std::uint16_t id)
{
    const auto it = entries_.find(id);
    if (it == entries_.end())
        return nullptr;
    order_.splice(order_.begin(), order_, it->second.order);
    return &it->second.image;
}

const QImage* BitmapCache::insert(std::uint16_t id, QImage image)
{
    const auto old = entries_.find(id);
    if (old != entries_.end()) {
        bytes_ -= costOf(old->second.image);
        order_.erase(old->second.order);
        entries_.erase(old);
    }
    // Make room first, so the new picture is never the one evicted.
    bytes_ += costOf(image);
    order_.push_front(id);
    Entry& e = entries_[id];
    e.image = std::move(image);
    e.order = order_.begin();
    evict();
    return &entries_.find(id)->second.image;
}

void BitmapCache::evict()
{
    while (bytes_ > budget_ && order_.size() > 1) {
        const std::uint16_t victim = order_.back();
        order_.pop_back();
        const auto it = entries_.find(victim);
        bytes_ -= costOf(it->second.image);
        entries_.erase(it);
    }
}

void BitmapCache::clear()
{
    entries_.clear();
    order_.clear();
    bytes_ = 0;
}

} // namespace swf::render
