#include "swf/render/Filters.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
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
void applyBevel(QImage& image, const BevelFilter& f, double blurX, double blurY, QPointF offset)
{
    const QSize size = image.size();
    auto shifted = [&](QPointF by) {
        QImage out(size, QImage::Format_ARGB32_Premultiplied);
        out.fill(Qt::transparent);
        QPainter p(&out);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(by, image);
        p.end();
        boxBlur(out, blurX, blurY, f.passes);
        return out;
    };
    const QImage along = shifted(offset);
    const QImage against = shifted(-offset);
    const double k = std::clamp(f.strength.toDouble(), 0.0, 255.0);
    QImage bevel(size, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < size.height(); ++y) {
        const auto* a = reinterpret_cast<const QRgb*>(along.constScanLine(y));
        const auto* b = reinterpret_cast<const QRgb*>(against.constScanLine(y));
        const auto* src = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        auto* out = reinterpret_cast<QRgb*>(bevel.scanLine(y));
        for (int x = 0; x < size.width(); ++x) {
            const int diff = static_cast<int>((qAlpha(a[x]) - qAlpha(b[x])) * k);
            const int amount = std::min(255, std::abs(diff));
            const Rgba& c = diff > 0 ? f.highlightColor : f.shadowColor;
            // Inner bevels stay on the object. Outer ones lie behind it: the object drawn
            // over them hides them as far as it is opaque (masking them by the object's
            // alpha as well would hide them twice under see-through parts).
            const int cover = f.inner ? qAlpha(src[x]) : 255;
            const int alpha = amount * c.a / 255 * cover / 255;
            out[x] = qRgba(c.r * alpha / 255, c.g * alpha / 255, c.b * alpha / 255, alpha);
        }
    }
    QPainter p(&bevel);
    if (f.knockout) {
        // Only the bevel remains.
    } else if (f.inner || f.onTop) {
        p.setCompositionMode(QPainter::CompositionMode_DestinationOver);
        p.drawImage(0, 0, image);
    } else {
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
        p.drawImage(0, 0, image);
    }
    p.end();
    image = bevel;
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
        }
    }
}

} // namespace swf::render
