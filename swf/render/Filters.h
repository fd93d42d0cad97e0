#pragma once
// The bitmap filters of placed objects, applied to an off-screen picture of the object.
#include "swf/format/DisplayList.h"

#include <QImage>
#include <QMargins>

#include <cstdint>

#include <vector>

namespace swf::render {

// Blur sizes beyond this many pixels are clamped (the format allows up to 255).
inline constexpr double maxBlurPixels = 255.0;
inline constexpr int maxBlurPasses = 15;
// Filters reach at most this many pixels beyond an object.
inline constexpr double maxFilterMargin = 256.0;
// Pixels times passes one blur may cost; beyond it the passes are reduced.
inline constexpr std::uint64_t maxBlurWork = 24ull << 20;
// Pixels times matrix cells one convolution may cost; beyond it the filter is left out.
inline constexpr std::uint64_t maxConvolutionWork = 64ull << 20;

// How far the filters reach beyond the object, in device pixels at `scale` device pixels
// per stage pixel. Blur sizes are device pixels at any scale; distances scale.
QMargins filterMargins(const std::vector<Filter>& filters, double scale);

// Applies the filters in order to a premultiplied ARGB picture.
void applyFilters(QImage& image, const std::vector<Filter>& filters, double scale);

// Box blur of a premultiplied ARGB picture in place; radii in pixels.
void boxBlur(QImage& image, double blurX, double blurY, int passes);

} // namespace swf::render
