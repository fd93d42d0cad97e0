#pragma once
// Colour transforms as floating-point multipliers and offsets, so that the transforms of a
// node and all its parents combine into one without rounding at each level.
#include "swf/format/Units.h"

#include <QColor>

#include <algorithm>
#include <cmath>

namespace swf::render {

struct ColorXf {
    // Red, green, blue, alpha: channel' = channel * mult + add (channels 0..255).
    float mult[4] = {1, 1, 1, 1};
    float add[4] = {0, 0, 0, 0};

    static ColorXf from(const ColorTransform& c)
    {
        ColorXf x;
        x.mult[0] = c.redMult.raw / 256.0f;
        x.mult[1] = c.greenMult.raw / 256.0f;
        x.mult[2] = c.blueMult.raw / 256.0f;
        x.mult[3] = c.alphaMult.raw / 256.0f;
        x.add[0] = c.redAdd;
        x.add[1] = c.greenAdd;
        x.add[2] = c.blueAdd;
        x.add[3] = c.alphaAdd;
        return x;
    }

    // This transform applied after `inner`.
    ColorXf then(const ColorXf& inner) const
    {
        ColorXf r;
        for (int i = 0; i < 4; ++i) {
            r.mult[i] = mult[i] * inner.mult[i];
            r.add[i] = mult[i] * inner.add[i] + add[i];
        }
        return r;
    }

    bool isIdentity() const
    {
        for (int i = 0; i < 4; ++i)
            if (mult[i] != 1.0f || add[i] != 0.0f)
                return false;
        return true;
    }

    // Only the alpha multiplier differs from identity (drawable with painter opacity).
    bool isAlphaOnly() const
    {
        for (int i = 0; i < 3; ++i)
            if (mult[i] != 1.0f || add[i] != 0.0f)
                return false;
        return add[3] == 0.0f;
    }

    int channel(int i, int v) const
    {
        return std::clamp(static_cast<int>(std::floor(v * mult[i] + add[i])), 0, 255);
    }

    Rgba apply(const Rgba& c) const
    {
        return Rgba{static_cast<std::uint8_t>(channel(0, c.r)), static_cast<std::uint8_t>(channel(1, c.g)),
                    static_cast<std::uint8_t>(channel(2, c.b)), static_cast<std::uint8_t>(channel(3, c.a))};
    }

    QColor color(const Rgba& c) const
    {
        const Rgba o = apply(c);
        return QColor(o.r, o.g, o.b, o.a);
    }
};

inline QColor toQColor(const Rgba& c) { return QColor(c.r, c.g, c.b, c.a); }

} // namespace swf::render
