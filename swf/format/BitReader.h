#pragma once
// Bounds-checked reading of bytes and bit fields. Every read that would pass the end
// throws ReadError; the movie reader turns that into a ParseError for the tag.
#include "swf/format/Units.h"

#include <cstdint>
#include <cstring>
#include <span>
#include <stdexcept>
#include <string>

namespace swf {

class ReadError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class BitReader {
public:
    BitReader() = default;
    explicit BitReader(std::span<const std::uint8_t> data) : data_(data.data()), size_(data.size()) {}

    std::size_t position() const { return pos_; }
    std::size_t size() const { return size_; }
    std::size_t remaining() const { return size_ - pos_; }
    bool atEnd() const { return pos_ >= size_; }
    const std::uint8_t* data() const { return data_; }

    // Moves to a byte position; the next bit read starts a fresh byte.
    void seek(std::size_t pos)
    {
        if (pos > size_)
            throw ReadError("seek past the end");
        pos_ = pos;
        bitCount_ = 0;
    }
    void skip(std::size_t n)
    {
        need(n);
        pos_ += n;
    }

    // Byte reads start at a byte boundary, as the format requires.
    void align() { bitCount_ = 0; }

    std::uint8_t u8()
    {
        align();
        need(1);
        return data_[pos_++];
    }
    std::uint16_t u16()
    {
        align();
        need(2);
        const std::uint16_t v = static_cast<std::uint16_t>(data_[pos_] | (data_[pos_ + 1] << 8));
        pos_ += 2;
        return v;
    }
    std::int16_t s16() { return static_cast<std::int16_t>(u16()); }
    std::uint32_t u32()
    {
        align();
        need(4);
        const std::uint32_t v = static_cast<std::uint32_t>(data_[pos_]) | (static_cast<std::uint32_t>(data_[pos_ + 1]) << 8)
            | (static_cast<std::uint32_t>(data_[pos_ + 2]) << 16) | (static_cast<std::uint32_t>(data_[pos_ + 3]) << 24);
        pos_ += 4;
        return v;
    }
    std::int32_t s32() { return static_cast<std::int32_t>(u32()); }
    std::uint64_t u64()
    {
        const std::uint64_t lo = u32();
        return lo | (static_cast<std::uint64_t>(u32()) << 32);
    }
    float f32()
    {
        const std::uint32_t bits = u32();
        float f;
        std::memcpy(&f, &bits, sizeof f);
        return f;
    }
    // IEEE half precision (alignment zones).
    float f16();
    // Little-endian IEEE double.
    double f64()
    {
        const std::uint64_t bits = u64();
        double d;
        std::memcpy(&d, &bits, sizeof d);
        return d;
    }
    // Variable-length unsigned integer of 1..5 bytes, 7 bits each.
    std::uint32_t encodedU32()
    {
        std::uint32_t v = 0;
        for (int i = 0; i < 5; ++i) {
            const std::uint8_t b = u8();
            v |= static_cast<std::uint32_t>(b & 0x7F) << (7 * i);
            if (!(b & 0x80))
                break;
        }
        return v;
    }
    // Null-terminated string; the terminator is consumed, not kept.
    std::string string()
    {
        align();
        const void* nul = pos_ < size_ ? std::memchr(data_ + pos_, 0, size_ - pos_) : nullptr;
        if (!nul)
            throw ReadError("string without terminator");
        const std::size_t len = static_cast<const std::uint8_t*>(nul) - (data_ + pos_);
        std::string s(reinterpret_cast<const char*>(data_ + pos_), len);
        pos_ += len + 1;
        return s;
    }
    // A string of a given byte length (font names); a trailing terminator is dropped.
    std::string fixedString(std::size_t len)
    {
        const std::span<const std::uint8_t> b = bytes(len);
        std::size_t n = b.size();
        while (n > 0 && b[n - 1] == 0)
            --n;
        return std::string(reinterpret_cast<const char*>(b.data()), n);
    }
    std::span<const std::uint8_t> bytes(std::size_t n)
    {
        align();
        need(n);
        const std::span<const std::uint8_t> s(data_ + pos_, n);
        pos_ += n;
        return s;
    }
    std::span<const std::uint8_t> rest() { return bytes(remaining()); }
    Bytes copy(std::size_t n)
    {
        const auto s = bytes(n);
        return Bytes(s.begin(), s.end());
    }
    Bytes copyRest() { return copy(remaining()); }

    // Unsigned bit field of n bits (0..32), most significant bit first.
    std::uint32_t ub(unsigned n)
    {
        if (n > 32)
            throw ReadError("bit field wider than 32 bits");
        std::uint64_t v = 0;
        while (n > 0) {
            if (bitCount_ == 0) {
                need(1);
                bitBuf_ = data_[pos_++];
                bitCount_ = 8;
            }
            const unsigned take = n < bitCount_ ? n : bitCount_;
            v = (v << take) | ((bitBuf_ >> (bitCount_ - take)) & ((1u << take) - 1));
            bitCount_ -= take;
            n -= take;
        }
        return static_cast<std::uint32_t>(v);
    }
    // Signed bit field, sign-extended from its top bit.
    std::int32_t sb(unsigned n)
    {
        if (n == 0)
            return 0;
        const std::uint32_t v = ub(n);
        if (n == 32)
            return static_cast<std::int32_t>(v);
        const std::uint32_t sign = 1u << (n - 1);
        return static_cast<std::int32_t>((v ^ sign) - sign);
    }
    bool flag() { return ub(1) != 0; }

    // Composite records.
    Rect rect();
    Matrix matrix();
    ColorTransform colorTransform(bool withAlpha);
    Rgba rgb();
    Rgba rgba();
    Rgba argb();

private:
    void need(std::size_t n) const
    {
        if (n > size_ - pos_)
            throw ReadError("read past the end of the data");
    }

    const std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t pos_ = 0;
    unsigned bitBuf_ = 0;
    unsigned bitCount_ = 0;
};

} // namespace swf
