#include "swf/format/BitReader.h"

#include <cmath>

namespace swf {

float BitReader::f16()
{
    const std::uint16_t h = u16();
    const int sign = (h >> 15) ? -1 : 1;
    const int exponent = (h >> 10) & 0x1F;
    const int mantissa = h & 0x3FF;
    if (exponent == 0)
        return sign * std::ldexp(static_cast<float>(mantissa), -24);
    if (exponent == 31)
        return mantissa ? NAN : sign * INFINITY;
    return sign * std::ldexp(static_cast<float>(mantissa | 0x400), exponent - 25);
}

Rect BitReader::rect()
{
    align();
    const unsigned n = ub(5);
    Rect r;
    r.xMin = Twips{sb(n)};
    r.xMax = Twips{sb(n)};
    r.yMin = Twips{sb(n)};
    r.yMax = Twips{sb(n)};
    align();
    return r;
}

Matrix BitReader::matrix()
{
    align();
    Matrix m;
    if (flag()) {
        const unsigned n = ub(5);
        m.scaleX = Fixed16{sb(n)};
        m.scaleY = Fixed16{sb(n)};
    }
    if (flag()) {
        const unsigned n = ub(5);
        m.rotateSkew0 = Fixed16{sb(n)};
        m.rotateSkew1 = Fixed16{sb(n)};
    }
    const unsigned n = ub(5);
    m.translateX = Twips{sb(n)};
    m.translateY = Twips{sb(n)};
    align();
    return m;
}

ColorTransform BitReader::colorTransform(bool withAlpha)
{
    align();
    ColorTransform c;
    const bool hasAdd = flag();
    const bool hasMult = flag();
    const unsigned n = ub(4);
    if (hasMult) {
        c.redMult = Fixed8{sb(n)};
        c.greenMult = Fixed8{sb(n)};
        c.blueMult = Fixed8{sb(n)};
        if (withAlpha)
            c.alphaMult = Fixed8{sb(n)};
    }
    if (hasAdd) {
        c.redAdd = static_cast<std::int16_t>(sb(n));
        c.greenAdd = static_cast<std::int16_t>(sb(n));
        c.blueAdd = static_cast<std::int16_t>(sb(n));
        if (withAlpha)
            c.alphaAdd = static_cast<std::int16_t>(sb(n));
    }
    align();
    return c;
}

Rgba BitReader::rgb()
{
    const auto b = bytes(3);
    return Rgba{b[0], b[1], b[2], 255};
}

Rgba BitReader::rgba()
{
    const auto b = bytes(4);
    return Rgba{b[0], b[1], b[2], b[3]};
}

Rgba BitReader::argb()
{
    const auto b = bytes(4);
    return Rgba{b[1], b[2], b[3], b[0]};
}

} // namespace swf
