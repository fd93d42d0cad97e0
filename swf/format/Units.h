#pragma once
// Units of the movie format as small value types, so that a twip never meets a pixel
// and a fixed-point number never meets an integer by accident.
#include <cstdint>
#include <string>
#include <vector>

namespace swf {

using Bytes = std::vector<std::uint8_t>;

// A length in twips (1/20 of a pixel).
struct Twips {
    std::int32_t value = 0;

    static constexpr Twips fromPixels(double px) { return Twips{static_cast<std::int32_t>(px * 20.0)}; }
    constexpr double toPixels() const { return value / 20.0; }
    constexpr bool operator==(const Twips&) const = default;
};

// 8.8 fixed point (frame rate, filter strength, focal point, deblocking, miter limit).
// The raw value is wider than 16 bits so that signed and unsigned fields both fit.
struct Fixed8 {
    std::int32_t raw = 0;

    static constexpr Fixed8 fromDouble(double v) { return Fixed8{static_cast<std::int32_t>(v * 256.0)}; }
    constexpr double toDouble() const { return raw / 256.0; }
    constexpr bool operator==(const Fixed8&) const = default;
};

// Signed 16.16 fixed point (matrix scale and skew, filter blur, angle and distance).
struct Fixed16 {
    std::int32_t raw = 0;

    static constexpr Fixed16 fromDouble(double v) { return Fixed16{static_cast<std::int32_t>(v * 65536.0)}; }
    constexpr double toDouble() const { return raw / 65536.0; }
    constexpr bool operator==(const Fixed16&) const = default;
};

// A colour; records without alpha read as opaque.
struct Rgba {
    std::uint8_t r = 0, g = 0, b = 0, a = 255;
    constexpr bool operator==(const Rgba&) const = default;
};

struct Rect {
    Twips xMin, xMax, yMin, yMax;

    constexpr Twips width() const { return Twips{xMax.value - xMin.value}; }
    constexpr Twips height() const { return Twips{yMax.value - yMin.value}; }
    constexpr bool operator==(const Rect&) const = default;
};

// The affine placement of a character: x' = scaleX*x + rotateSkew1*y + translateX,
// y' = rotateSkew0*x + scaleY*y + translateY.
struct Matrix {
    Fixed16 scaleX{65536}, scaleY{65536};
    Fixed16 rotateSkew0{0}, rotateSkew1{0};
    Twips translateX, translateY;
    constexpr bool operator==(const Matrix&) const = default;
};

// A colour transform: channel' = channel * mult / 256 + add. Multipliers are 8.8 fixed
// point; records without alpha leave alpha at its identity.
struct ColorTransform {
    Fixed8 redMult{256}, greenMult{256}, blueMult{256}, alphaMult{256};
    std::int16_t redAdd = 0, greenAdd = 0, blueAdd = 0, alphaAdd = 0;

    constexpr bool isIdentity() const { return *this == ColorTransform{}; }
    constexpr bool operator==(const ColorTransform&) const = default;
};

} // namespace swf
