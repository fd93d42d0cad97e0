#include "swf/render/Filters.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace swf::render {
namespace {

int clampPasses(int passes) { return std::clamp(passes, 1, maxBlurPasses); }

// Blur sizes stay in device pixels whatever the view's scale (as the movies' own player
// draws them); distances do scale.
double clampBlur(double v, double)
{
    if (!std::isfinite(v) || v <= 0)
        return 0;
    return std::min(v, maxBlurPixels);
}

// Blurs are boxes `blur` pixels wide: whole taps `radius` to each side of a pixel, and a
// part of the next pixel on both ends when the width is not an odd whole number.
struct BoxKernel {
    int radius = 0;
    std::uint32_t endWeight = 0; // of the pixels at radius + 1, in 1/65536
    std::uint64_t total = 1;     // the weights' sum, in 1/65536
};

BoxKernel kernelOf(double width)
{
    BoxKernel k;
    if (!(width > 1))
        return k;
    if (width < 3) {
        // Narrow blurs take whole pixels: three of them from a width of two (as the
        // recorded pictures show), none below.
        k.radius = width >= 2 ? 1 : 0;
        k.total = std::uint64_t(2 * k.radius + 1) << 16;
        return k;
    }
    k.radius = static_cast<int>(std::floor((width - 1) / 2));
    const double end = (width - (2 * k.radius + 1)) / 2;
    k.endWeight = static_cast<std::uint32_t>(std::lround(std::clamp(end, 0.0, 1.0) * 65536));
    k.total = (std::uint64_t(2 * k.radius + 1) << 16) + 2 * std::uint64_t(k.endWeight);
    return k;
}

// How far a blur of `width` reaches to each side, in pixels.
int reachOf(double width)
{
    const BoxKernel k = kernelOf(width);
    return k.radius + (k.endWeight > 0 ? 1 : 0);
}

void blurLine(std::uint8_t* data, int count, std::ptrdiff_t stride, const BoxKernel& k, std::vector<std::uint32_t>& tmp)
{
    // Sliding window over the four channels, zero outside the picture: the line is copied
    // between zeros as wide as the box reaches.
    if ((k.radius <= 0 && k.endWeight == 0) || count <= 0)
        return;
    const int pad = k.radius + 1;
    tmp.assign(static_cast<std::size_t>(count + 2 * pad) * 4, 0);
    for (int i = 0; i < count; ++i)
        for (int c = 0; c < 4; ++c)
            tmp[std::size_t(i + pad) * 4 + c] = data[std::ptrdiff_t(i) * stride + c];
    const std::uint32_t* at = tmp.data() + std::size_t(pad) * 4; // at[i * 4 + c], i from -pad
    const std::uint32_t window = static_cast<std::uint32_t>(2 * k.radius + 1);
    std::uint64_t sum[4] = {0, 0, 0, 0};
    for (int i = -k.radius; i < k.radius; ++i)
        for (int c = 0; c < 4; ++c)
            sum[c] += at[std::ptrdiff_t(i) * 4 + c];
    for (int i = 0; i < count; ++i) {
        const std::uint32_t* add = at + std::ptrdiff_t(i + k.radius) * 4;
        const std::uint32_t* drop = at + std::ptrdiff_t(i - k.radius) * 4;
        const std::uint32_t* before = at + std::ptrdiff_t(i - k.radius - 1) * 4;
        const std::uint32_t* after = at + std::ptrdiff_t(i + k.radius + 1) * 4;
        for (int c = 0; c < 4; ++c) {
            sum[c] += add[c];
            std::uint64_t value;
            if (k.endWeight == 0) // whole taps only: the plain average
                value = static_cast<std::uint32_t>(sum[c]) / window;
            else
                value = ((sum[c] << 16) + std::uint64_t(before[c] + after[c]) * k.endWeight) / k.total;
            data[std::ptrdiff_t(i) * stride + c] = static_cast<std::uint8_t>(std::min<std::uint64_t>(255, value));
            sum[c] -= drop[c];
        }
    }
}

QPointF offsetOf(Fixed16 angle, Fixed16 distance, double scale)
{
    const double d = std::clamp(distance.toDouble(), -2000.0, 2000.0) * std::clamp(scale, 0.0, 16.0);
    const double a = angle.toDouble();
    return QPointF(std::cos(a) * d, std::sin(a) * d);
}

// The picture's alpha, coloured, blurred, strengthened and moved: the shadow or glow.
QImage shadowOf(const QImage& src, const Rgba& color, double blurX, double blurY, int passes, double strength,
                bool inner, QPointF offset)
{
    QImage shadow(src.size(), QImage::Format_ARGB32_Premultiplied);
    shadow.fill(Qt::transparent);
    {
        // Alpha of the source (inner: of the space around it).
        QImage alpha = src.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        if (inner) {
            for (int y = 0; y < alpha.height(); ++y) {
                auto* line = reinterpret_cast<QRgb*>(alpha.scanLine(y));
                for (int x = 0; x < alpha.width(); ++x) {
                    const int a = 255 - qAlpha(line[x]);
                    line[x] = qRgba(a, a, a, a);
                }
            }
        }
        QPainter p(&shadow);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(offset, alpha);
        if (inner) {
            // Outside the picture counts as empty space, which casts an inner shadow too.
            const QRectF moved = QRectF(alpha.rect()).translated(offset);
            QPainterPath outside;
            outside.addRect(QRectF(shadow.rect()).adjusted(-1, -1, 1, 1));
            QPainterPath inside;
            inside.addRect(moved);
            p.fillPath(outside.subtracted(inside), Qt::white);
        }
    }
    boxBlur(shadow, blurX, blurY, passes);
    const double k = std::clamp(strength, 0.0, 255.0);
    for (int y = 0; y < shadow.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(shadow.scanLine(y));
        for (int x = 0; x < shadow.width(); ++x) {
            const int a = std::min(255, static_cast<int>(qAlpha(line[x]) * k));
            const int fa = a * color.a / 255;
            line[x] = qRgba(color.r * fa / 255, color.g * fa / 255, color.b * fa / 255, fa);
        }
    }
    return shadow;
}

void applyShadow(QImage& image, const Rgba& color, double blurX, double blurY, int passes, double strength, bool inner,
                 bool knockout, bool compositeSource, QPointF offset)
{
    QImage shadow = shadowOf(image, color, blurX, blurY, passes, strength, inner, offset);
    QPainter p(&shadow);
    if (inner) {
        // Keep the shadow only over the object, then put it on top of the object.
        p.setCompositionMode(QPainter::CompositionMode_DestinationIn);
        p.drawImage(0, 0, image);
        if (!knockout && compositeSource) {
            p.setCompositionMode(QPainter::CompositionMode_DestinationOver);
            p.drawImage(0, 0, image);
        }
    } else if (knockout) {
        p.setCompositionMode(QPainter::CompositionMode_DestinationOut);
        p.drawImage(0, 0, image);
    } else if (compositeSource) {
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
        p.drawImage(0, 0, image);
    }
    p.end();
    image = shadow;
}

// Both sides of a bevel: the object's alpha moved along and against the light, blurred;
// where they differ the highlight or the shadow shows.
// Puts a filter's effect together with the object: inner effects stay on the object and
// lie over it, outer ones lie behind it (the object drawn over them hides them as far as it
// is opaque), "on top" ones over it; knockout leaves the effect alone (outer ones with the
// object cut out).
void composeEffect(QImage& image, QImage& effect, bool inner, bool knockout, bool onTop)
{
    QPainter p(&effect);
    if (inner) {
        p.setCompositionMode(QPainter::CompositionMode_DestinationIn);
        p.drawImage(0, 0, image);
    }
    if (knockout) {
        if (!inner) {
            p.setCompositionMode(QPainter::CompositionMode_DestinationOut);
            p.drawImage(0, 0, image);
        }
    } else if (inner || onTop) {
        p.setCompositionMode(QPainter::CompositionMode_DestinationOver);
        p.drawImage(0, 0, image);
    } else {
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
        p.drawImage(0, 0, image);
    }
    p.end();
    image = effect;
}

// The object's picture moved by `offset` and blurred: what bevels compare on both sides.
QImage movedBlurredAlpha(const QImage& image, QPointF offset, double blurX, double blurY, int passes)
{
    QImage out(image.size(), QImage::Format_ARGB32_Premultiplied);
    out.fill(Qt::transparent);
    QPainter p(&out);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(offset, image);
    p.end();
    boxBlur(out, blurX, blurY, passes);
    return out;
}

void applyBevel(QImage& image, const BevelFilter& f, double blurX, double blurY, QPointF offset)
{
    const QSize size = image.size();
    const QImage along = movedBlurredAlpha(image, offset, blurX, blurY, f.passes);
    const QImage against = movedBlurredAlpha(image, -offset, blurX, blurY, f.passes);
    const double k = std::clamp(f.strength.toDouble(), 0.0, 255.0);
    QImage bevel(size, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < size.height(); ++y) {
        const auto* a = reinterpret_cast<const QRgb*>(along.constScanLine(y));
        const auto* b = reinterpret_cast<const QRgb*>(against.constScanLine(y));
        auto* out = reinterpret_cast<QRgb*>(bevel.scanLine(y));
        for (int x = 0; x < size.width(); ++x) {
            const int diff = static_cast<int>((qAlpha(a[x]) - qAlpha(b[x])) * k);
            const int amount = std::min(255, std::abs(diff));
            const Rgba& c = diff > 0 ? f.highlightColor : f.shadowColor;
            const int alpha = amount * c.a / 255;
            out[x] = qRgba(c.r * alpha / 255, c.g * alpha / 255, c.b * alpha / 255, alpha);
        }
    }
    composeEffect(image, bevel, f.inner, f.knockout, f.onTop);
}

// The 256 colours of a gradient filter by ratio, premultiplied: stops interpolated in
// straight (not premultiplied) colour, the ends held beyond the first and last stop.
std::array<QRgb, 256> filterPalette(const GradientFilter& f)
{
    std::array<QRgb, 256> palette{};
    const std::size_t n = std::min(f.colors.size(), f.ratios.size());
    if (n == 0)
        return palette; // all transparent
    for (int i = 0; i < 256; ++i) {
        std::size_t hi = 0;
        while (hi < n && f.ratios[hi] < i)
            ++hi;
        const Rgba& a = f.colors[hi == 0 ? 0 : hi - 1];
        const Rgba& b = f.colors[std::min(hi, n - 1)];
        double t = 0;
        if (hi > 0 && hi < n && f.ratios[hi] > f.ratios[hi - 1])
            t = double(i - f.ratios[hi - 1]) / double(f.ratios[hi] - f.ratios[hi - 1]);
        auto mix = [t](int x, int y) { return static_cast<int>(std::lround(x + (y - x) * t)); };
        const int alpha = hi >= n ? f.colors[n - 1].a : mix(a.a, b.a);
        const int r = hi >= n ? f.colors[n - 1].r : mix(a.r, b.r);
        const int g = hi >= n ? f.colors[n - 1].g : mix(a.g, b.g);
        const int bl = hi >= n ? f.colors[n - 1].b : mix(a.b, b.b);
        palette[std::size_t(i)] = qRgba(r * alpha / 255, g * alpha / 255, bl * alpha / 255, alpha);
    }
    return palette;
}

// A glow or shadow whose colour follows a gradient by how strong it is at each pixel.
void applyGradientGlow(QImage& image, const GradientFilter& f, double blurX, double blurY, QPointF offset)
{
    QImage effect = shadowOf(image, Rgba{255, 255, 255, 255}, blurX, blurY, f.passes, f.strength.toDouble(), f.inner,
                             offset);
    const std::array<QRgb, 256> palette = filterPalette(f);
    for (int y = 0; y < effect.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(effect.scanLine(y));
        for (int x = 0; x < effect.width(); ++x)
            line[x] = palette[std::size_t(qAlpha(line[x]))];
    }
    composeEffect(image, effect, f.inner, f.knockout, f.onTop);
}

// A bevel whose colour follows a gradient: the middle ratio where the two sides agree,
// low ratios towards the light, high ones away from it.
void applyGradientBevel(QImage& image, const GradientFilter& f, double blurX, double blurY, QPointF offset)
{
    const QImage along = movedBlurredAlpha(image, offset, blurX, blurY, f.passes);
    const QImage against = movedBlurredAlpha(image, -offset, blurX, blurY, f.passes);
    const double k = std::clamp(f.strength.toDouble(), 0.0, 255.0);
    const std::array<QRgb, 256> palette = filterPalette(f);
    QImage effect(image.size(), QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < image.height(); ++y) {
        const auto* a = reinterpret_cast<const QRgb*>(along.constScanLine(y));
        const auto* b = reinterpret_cast<const QRgb*>(against.constScanLine(y));
        auto* out = reinterpret_cast<QRgb*>(effect.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const double diff = (qAlpha(a[x]) - qAlpha(b[x])) * k;
            const int ratio = std::clamp(static_cast<int>(std::lround(128 - diff / 2)), 0, 255);
            out[x] = palette[std::size_t(ratio)];
        }
    }
    composeEffect(image, effect, f.inner, f.knockout, f.onTop);
}

// A convolution over the straight (not premultiplied) colours. Out of the picture the
// edge pixels repeat (clamp) or the default colour stands in.
void applyConvolution(QImage& image, const ConvolutionFilter& f)
{
    const int mx = f.matrixX, my = f.matrixY;
    if (mx <= 0 || my <= 0 || f.matrix.size() != std::size_t(mx) * std::size_t(my))
        return;
    const int w = image.width(), h = image.height();
    if (std::uint64_t(w) * std::uint64_t(h) * std::uint64_t(mx) * std::uint64_t(my) > maxConvolutionWork)
        return; // too costly: the object is drawn without it
    const double divisor = std::isfinite(f.divisor) && f.divisor != 0 ? f.divisor : 1.0;
    const double bias = std::isfinite(f.bias) ? f.bias : 0.0;
    std::vector<float> weights(f.matrix.begin(), f.matrix.end());
    for (float& v : weights)
        if (!std::isfinite(v))
            v = 0;
    // Straight colours, with the default colour outside.
    std::vector<float> straight(std::size_t(w) * std::size_t(h) * 4);
    for (int y = 0; y < h; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            const QRgb px = line[x];
            const int a = qAlpha(px);
            float* o = &straight[(std::size_t(y) * std::size_t(w) + std::size_t(x)) * 4];
            o[0] = a ? qRed(px) * 255.0f / a : 0;
            o[1] = a ? qGreen(px) * 255.0f / a : 0;
            o[2] = a ? qBlue(px) * 255.0f / a : 0;
            o[3] = static_cast<float>(a);
        }
    }
    const float outside[4] = {float(f.defaultColor.r), float(f.defaultColor.g), float(f.defaultColor.b),
                              float(f.defaultColor.a)};
    const int cx = (mx - 1) / 2, cy = (my - 1) / 2;
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < w; ++x) {
            double sum[4] = {0, 0, 0, 0};
            for (int j = 0; j < my; ++j) {
                int sy = y + j - cy;
                for (int i = 0; i < mx; ++i) {
                    const float weight = weights[std::size_t(j) * std::size_t(mx) + std::size_t(i)];
                    if (weight == 0)
                        continue;
                    int sx = x + i - cx;
                    const float* px = outside;
                    if (f.clamp || (sx >= 0 && sx < w && sy >= 0 && sy < h)) {
                        const int qx = std::clamp(sx, 0, w - 1), qy = std::clamp(sy, 0, h - 1);
                        px = &straight[(std::size_t(qy) * std::size_t(w) + std::size_t(qx)) * 4];
                    }
                    for (int c = 0; c < 4; ++c)
                        sum[c] += double(weight) * px[c];
                }
            }
            int o[4];
            for (int c = 0; c < 4; ++c)
                o[c] = std::clamp(static_cast<int>(std::lround(sum[c] / divisor + bias)), 0, 255);
            if (f.preserveAlpha)
                o[3] = qAlpha(line[x]);
            line[x] = qRgba(o[0] * o[3] / 255, o[1] * o[3] / 255, o[2] * o[3] / 255, o[3]);
        }
    }
}

void applyColorMatrix(QImage& image, const float (&m)[20])
{
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb px = line[x];
            const int a = qAlpha(px);
            double c[4] = {0, 0, 0, static_cast<double>(a)};
            if (a > 0) {
                c[0] = qRed(px) * 255.0 / a;
                c[1] = qGreen(px) * 255.0 / a;
                c[2] = qBlue(px) * 255.0 / a;
            }
            int o[4];
            for (int r = 0; r < 4; ++r) {
                const double v = m[r * 5] * c[0] + m[r * 5 + 1] * c[1] + m[r * 5 + 2] * c[2] + m[r * 5 + 3] * c[3] + m[r * 5 + 4];
                o[r] = std::clamp(static_cast<int>(std::lround(v)), 0, 255);
            }
            line[x] = qRgba(o[0] * o[3] / 255, o[1] * o[3] / 255, o[2] * o[3] / 255, o[3]);
        }
    }
}

} // namespace

void boxBlur(QImage& image, double blurX, double blurY, int passes)
{
    if (image.format() != QImage::Format_ARGB32_Premultiplied)
        image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const BoxKernel kx = kernelOf(blurX), ky = kernelOf(blurY);
    const bool blurAlongX = kx.radius > 0 || kx.endWeight > 0, blurAlongY = ky.radius > 0 || ky.endWeight > 0;
    if (!blurAlongX && !blurAlongY)
        return;
    const int w = image.width(), h = image.height();
    const std::ptrdiff_t bpl = image.bytesPerLine();
    std::uint8_t* bits = image.bits();
    std::vector<std::uint32_t> tmp;
    // Each pass costs the same whatever the radius; big pictures get fewer passes.
    const std::uint64_t pixels = std::uint64_t(w) * std::uint64_t(h);
    int allowed = clampPasses(passes);
    while (allowed > 1 && pixels * std::uint64_t(allowed) > maxBlurWork)
        --allowed;
    for (int pass = 0; pass < allowed; ++pass) {
        if (blurAlongX)
            for (int y = 0; y < h; ++y)
                blurLine(bits + bpl * y, w, 4, kx, tmp);
        if (blurAlongY)
            for (int x = 0; x < w; ++x)
                blurLine(bits + std::ptrdiff_t(x) * 4, h, bpl, ky, tmp);
    }
}

QMargins filterMargins(const std::vector<Filter>& filters, double scale)
{
    double left = 0, top = 0, right = 0, bottom = 0;
    auto grow = [&](Fixed16 bx, Fixed16 by, int passes, QPointF offset) {
        const double ex = reachOf(clampBlur(bx.toDouble(), scale)) * clampPasses(passes);
        const double ey = reachOf(clampBlur(by.toDouble(), scale)) * clampPasses(passes);
        left += ex + std::max(0.0, -offset.x());
        right += ex + std::max(0.0, offset.x());
        top += ey + std::max(0.0, -offset.y());
        bottom += ey + std::max(0.0, offset.y());
    };
    for (const Filter& f : filters) {
        if (const auto* b = std::get_if<BlurFilter>(&f))
            grow(b->blurX, b->blurY, b->passes, {});
        else if (const auto* s = std::get_if<DropShadowFilter>(&f))
            grow(s->blurX, s->blurY, s->passes, s->inner ? QPointF() : offsetOf(s->angle, s->distance, scale));
        else if (const auto* g = std::get_if<GlowFilter>(&f))
            grow(g->blurX, g->blurY, g->passes, {});
        else if (const auto* b = std::get_if<BevelFilter>(&f)) {
            const QPointF o = offsetOf(b->angle, b->distance, scale);
            grow(b->blurX, b->blurY, b->passes, QPointF(std::abs(o.x()), std::abs(o.y())));
            grow(Fixed16{}, Fixed16{}, 1, -QPointF(std::abs(o.x()), std::abs(o.y())));
        } else if (const auto* g = std::get_if<GradientFilter>(&f)) {
            const QPointF o = offsetOf(g->angle, g->distance, scale);
            if (g->bevel) {
                grow(g->blurX, g->blurY, g->passes, QPointF(std::abs(o.x()), std::abs(o.y())));
                grow(Fixed16{}, Fixed16{}, 1, -QPointF(std::abs(o.x()), std::abs(o.y())));
            } else {
                grow(g->blurX, g->blurY, g->passes, g->inner ? QPointF() : o);
            }
        } else if (const auto* c = std::get_if<ConvolutionFilter>(&f)) {
            left += (c->matrixX - 1) / 2;
            right += c->matrixX / 2;
            top += (c->matrixY - 1) / 2;
            bottom += c->matrixY / 2;
        }
    }
    auto px = [](double v) { return static_cast<int>(std::ceil(std::min(v, maxFilterMargin))) + 1; };
    return QMargins(px(left), px(top), px(right), px(bottom));
}

void applyFilters(QImage& image, const std::vector<Filter>& filters, double scale)
{
    for (const Filter& f : filters) {
        if (const auto* b = std::get_if<BlurFilter>(&f)) {
            boxBlur(image, clampBlur(b->blurX.toDouble(), scale), clampBlur(b->blurY.toDouble(), scale), b->passes);
        } else if (const auto* s = std::get_if<DropShadowFilter>(&f)) {
            applyShadow(image, s->color, clampBlur(s->blurX.toDouble(), scale), clampBlur(s->blurY.toDouble(), scale),
                        s->passes, s->strength.toDouble(), s->inner, s->knockout, s->compositeSource,
                        offsetOf(s->angle, s->distance, scale));
        } else if (const auto* g = std::get_if<GlowFilter>(&f)) {
            applyShadow(image, g->color, clampBlur(g->blurX.toDouble(), scale), clampBlur(g->blurY.toDouble(), scale),
                        g->passes, g->strength.toDouble(), g->inner, g->knockout, g->compositeSource, QPointF());
        } else if (const auto* b = std::get_if<BevelFilter>(&f)) {
            applyBevel(image, *b, clampBlur(b->blurX.toDouble(), scale), clampBlur(b->blurY.toDouble(), scale),
                       offsetOf(b->angle, b->distance, scale));
        } else if (const auto* c = std::get_if<ColorMatrixFilter>(&f)) {
            applyColorMatrix(image, c->matrix);
        } else if (const auto* g = std::get_if<GradientFilter>(&f)) {
            const double bx = clampBlur(g->blurX.toDouble(), scale), by = clampBlur(g->blurY.toDouble(), scale);
            const QPointF o = offsetOf(g->angle, g->distance, scale);
            if (g->bevel)
                applyGradientBevel(image, *g, bx, by, o);
            else
                applyGradientGlow(image, *g, bx, by, o);
        } else if (const auto* c = std::get_if<ConvolutionFilter>(&f)) {
            applyConvolution(image, *c);
        }
    }
}

} // namespace swf::render
