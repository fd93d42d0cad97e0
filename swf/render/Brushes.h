#pragma once
// Fill styles as QBrushes in the shape's coordinates (twips), with a colour transform
// applied to colours and gradient stops.
#include "swf/format/Shapes.h"
#include "swf/render/ColorTransform.h"

#include <QBrush>
#include <QGradient>
#include <QImage>

#include <cstdint>

namespace swf::render {

// Gives decoded bitmaps by character id; null when there is none.
class BitmapProvider {
public:
    virtual ~BitmapProvider() = default;
    virtual const QImage* bitmap(std::uint16_t id) = 0;
    // The bitmap with a one-pixel border repeating its edge pixels, for clipped fills:
    // a texture brush repeats, and this keeps the far edge from bleeding into the near one.
    virtual const QImage* clampedBitmap(std::uint16_t id) = 0;
};

// `image` with a border of `pad` pixels copying its edge pixels.
QImage padImage(const QImage& image, int pad);

struct FillBrush {
    QBrush brush;
    bool valid = false;  // false: nothing to draw (a missing bitmap, no gradient stops)
    bool smooth = true;  // bitmap fills: whether to filter the pixels
    bool bitmap = false;
};

FillBrush makeBrush(const FillStyle& fill, const ColorXf& cx, BitmapProvider* bitmaps);

QGradientStops gradientStops(const Gradient& g, const ColorXf& cx);

// A copy of `image` (premultiplied ARGB) with the colour transform applied per pixel.
QImage transformImage(const QImage& image, const ColorXf& cx);

} // namespace swf::render
