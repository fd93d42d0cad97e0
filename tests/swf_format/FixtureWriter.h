#pragma once
// Builds small movies and records bit by bit for the reader's tests.
#include "swf/format/Units.h"

#include <lzma.h>
#include <zlib.h>

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <vector>

namespace fixture {

using swf::Bytes;

class BitWriter {
public:
    BitWriter& ub(std::uint32_t v, unsigned n)
    {
        for (unsigned i = n; i-- > 0;) {
            if (bitCount_ == 0)
                out_.push_back(0);
            if ((v >> i) & 1)
                out_.back() |= static_cast<std::uint8_t>(1u << (7 - bitCount_));
            bitCount_ = (bitCount_ + 1) % 8;
        }
        return *this;
    }
    BitWriter& sb(std::int32_t v, unsigned n) { return ub(static_cast<std::uint32_t>(v) & (n == 32 ? ~0u : ((1u << n) - 1)), n); }
    BitWriter& flag(bool b) { return ub(b ? 1 : 0, 1); }
    BitWriter& align()
    {
        bitCount_ = 0;
        return *this;
    }
    BitWriter& u8(std::uint8_t v)
    {
        align();
        out_.push_back(v);
        return *this;
    }
    BitWriter& u16(std::uint16_t v) { return u8(v & 0xFF).u8(v >> 8); }
    BitWriter& u32(std::uint32_t v) { return u16(v & 0xFFFF).u16(v >> 16); }
    BitWriter& f32(float f)
    {
        std::uint32_t b;
        std::memcpy(&b, &f, 4);
        return u32(b);
    }
    BitWriter& str(const std::string& s)
    {
        align();
        out_.insert(out_.end(), s.begin(), s.end());
        out_.push_back(0);
        return *this;
    }
    BitWriter& bytes(const Bytes& b)
    {
        align();
        out_.insert(out_.end(), b.begin(), b.end());
        return *this;
    }
    BitWriter& bytes(std::initializer_list<std::uint8_t> b) { return bytes(Bytes(b)); }
    BitWriter& rgb(std::uint8_t r, std::uint8_t g, std::uint8_t b) { return u8(r).u8(g).u8(b); }
    BitWriter& rgba(std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a) { return u8(r).u8(g).u8(b).u8(a); }
    BitWriter& rect(int xMin, int xMax, int yMin, int yMax, unsigned bits = 16)
    {
        align();
        ub(bits, 5).sb(xMin, bits).sb(xMax, bits).sb(yMin, bits).sb(yMax, bits);
        return align();
    }
    // A matrix with translation only.
    BitWriter& translate(int x, int y, unsigned bits = 16)
    {
        align();
        flag(false).flag(false).ub(bits, 5).sb(x, bits).sb(y, bits);
        return align();
    }
    BitWriter& identity() { return u8(0); } // no scale, no rotate, 0 translate bits

    std::size_t size() const { return out_.size(); }
    const Bytes& data() const { return out_; }

private:
    Bytes out_;
    unsigned bitCount_ = 0;
};

// A tag record: short form for bodies under 63 bytes unless longForm is asked for.
inline Bytes tag(std::uint16_t code, const Bytes& body, bool longForm = false)
{
    BitWriter w;
    if (body.size() < 63 && !longForm) {
        w.u16(static_cast<std::uint16_t>(code << 6 | body.size()));
    } else {
        w.u16(static_cast<std::uint16_t>(code << 6 | 0x3F)).u32(static_cast<std::uint32_t>(body.size()));
    }
    return w.bytes(body).data();
}

inline Bytes concat(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

// The frame header (rect 0..11000 x 0..8000 twips, 24.5 fps, frameCount) and the tags.
inline Bytes movieBody(const Bytes& tags, std::uint16_t frameCount = 1)
{
    BitWriter w;
    w.rect(0, 11000, 0, 8000, 15).u16(0x1880).u16(frameCount).bytes(tags);
    return w.data();
}

inline Bytes prefix(char sig, std::uint8_t version, std::uint32_t declared)
{
    BitWriter w;
    w.u8(static_cast<std::uint8_t>(sig)).u8('W').u8('S').u8(version).u32(declared);
    return w.data();
}

inline Bytes fws(std::uint8_t version, const Bytes& tags, std::uint16_t frameCount = 1)
{
    const Bytes body = movieBody(tags, frameCount);
    return concat({prefix('F', version, static_cast<std::uint32_t>(body.size() + 8)), body});
}

inline Bytes zlibCompress(const Bytes& data)
{
    uLongf size = compressBound(static_cast<uLong>(data.size()));
    Bytes out(size);
    if (compress2(out.data(), &size, data.data(), static_cast<uLong>(data.size()), 6) != Z_OK)
        throw std::runtime_error("compress2 failed");
    out.resize(size);
    return out;
}

inline Bytes cws(std::uint8_t version, const Bytes& tags, std::uint16_t frameCount = 1)
{
    const Bytes body = movieBody(tags, frameCount);
    return concat({prefix('C', version, static_cast<std::uint32_t>(body.size() + 8)), zlibCompress(body)});
}

// ZWS: compressed length, the 5 property bytes, then the raw stream. The .lzma form that
// liblzma writes has the same properties followed by an 8-byte size we drop.
inline Bytes zws(std::uint8_t version, const Bytes& tags, std::uint16_t frameCount = 1)
{
    const Bytes body = movieBody(tags, frameCount);
    lzma_options_lzma opt;
    lzma_lzma_preset(&opt, 6);
    lzma_stream s = LZMA_STREAM_INIT;
    if (lzma_alone_encoder(&s, &opt) != LZMA_OK)
        throw std::runtime_error("lzma encoder");
    Bytes out(body.size() + 1024);
    s.next_in = body.data();
    s.avail_in = body.size();
    s.next_out = out.data();
    s.avail_out = out.size();
    lzma_ret rc = lzma_code(&s, LZMA_FINISH);
    if (rc != LZMA_STREAM_END)
        throw std::runtime_error("lzma encode");
    out.resize(out.size() - s.avail_out);
    lzma_end(&s);
    const Bytes props(out.begin(), out.begin() + 5);
    const Bytes stream(out.begin() + 13, out.end());
    BitWriter w;
    w.bytes(prefix('Z', version, static_cast<std::uint32_t>(body.size() + 8)))
        .u32(static_cast<std::uint32_t>(stream.size()))
        .bytes(props)
        .bytes(stream);
    return w.data();
}

} // namespace fixture

#include "swf/format/Reader.h"

namespace fixture {

// Reads an uncompressed movie made of the given tags.
inline swf::Movie readTags(std::uint8_t version, const Bytes& tags)
{
    return swf::readMovie(fws(version, tags));
}

// The body of the movie's tag at index, or null if it has another type.
template <class T>
const T* bodyAt(const swf::Movie& m, std::size_t index = 0)
{
    return index < m.tags.size() ? std::get_if<T>(&m.tags[index].body) : nullptr;
}

} // namespace fixture
