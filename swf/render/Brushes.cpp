#include "swf/render/Brushes.h"

#include "swf/render/Renderer.h"

#include <QLinearGradient>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>

namespace swf::render {
namespace {

// Half the side of the square every gradient is defined on, in twips.
constexpr double gradientHalf = 16384.0;

double toLinear(double c)
{
    c /= 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

int fromLinear(double c)
{
    c = c <= 0.0031308 ? c * 12.92 : 1.055 * std::pow(c, 1.0 / 2.4) - 0.055;
    return std::clamp(static_cast<int>(std::lround(c * 255.0)), 0, 255);
}

QColor mixLinear(const QColor& a, const QColor& b, double t)
{
    auto ch = [t](int x, int y) { return fromLinear(toLinear(x) + (toLinear(y) - toLinear(x)) * t); };
    return QColor(ch(a.red(), b.red()), ch(a.green(), b.green()), ch(a.blue(), b.blue()),
                  std::clamp(static_cast<int>(std::lround(a.alpha() + (b.alpha() - a.alpha()) * t)), 0, 255));
}

} // namespace

QGradientStops gradientStops(const Gradient& g, const ColorXf& cx)
{
    QGradientStops stops;
    const std::size_t n = g.records.size();
    stops.reserve(static_cast<qsizetype>(n * 2));
    double last = 0.0;
    auto add = [&](double ratio, const QColor& c) {
        if (ratio >= 256.0 && !stops.isEmpty())
            return; // past the last step of the table; the colour before it pads

        // Ratios must not go back; a record out of order is drawn at the last position.
        const double pos = std::clamp(std::max(last, ratio / 256.0), 0.0, 1.0);
        stops.append({pos, c});
        last = pos;
    };
    for (std::size_t i = 0; i < n;) {
        std::size_t j = i;
        while (j < n && g.records[j].ratio == g.records[i].ratio)
            ++j;
        // Records that share a ratio each get a band one step wide, one after the other,
        // as the movies' own player shows them.
        // Step i of the table covers ratios i to i + 1; a lone record's colour sits in the
        // middle of its step.
        const double r = g.records[i].ratio;
        if (j - i == 1) {
            add(r + 0.5, cx.color(g.records[i].color));
        } else {
            for (std::size_t k = i; k < j; ++k) {
                const QColor c = cx.color(g.records[k].color);
                add(r + static_cast<double>(k - i), c);
                add(r + static_cast<double>(k - i) + 0.99, c);
            }
        }
        i = j;
    }
    if (g.interpolation == InterpolationMode::Linear && stops.size() > 1) {
        // Qt mixes in sRGB; approximate linear-RGB mixing with stops in between.
        QGradientStops fine;
        constexpr int steps = 32;
        for (qsizetype i = 0; i + 1 < stops.size(); ++i) {
            const auto& a = stops[i];
            const auto& b = stops[i + 1];
            for (int s = 0; s < steps; ++s) {
                const double t = static_cast<double>(s) / steps;
                fine.append({a.first + (b.first - a.first) * t, mixLinear(a.second, b.second, t)});
            }
        }
        fine.append(stops.back());
        stops = fine;
    }
    return stops;
}

FillBrush makeBrush(const FillStyle& fill, const ColorXf& cx, BitmapProvider* bitmaps)
{
    FillBrush out;
    if (fill.type == FillType::Solid) {
        out.brush = QBrush(cx.color(fill.color));
        out.valid = true;
        return out;
    }
    if (isGradientFill(fill.type)) {
        const Gradient& g = fill.gradient;
        if (g.records.empty())
            return out;
        QGradientStops stops = gradientStops(g, cx);
        QGradient grad;
        if (fill.type == FillType::LinearGradient) {
            grad = QLinearGradient(-gradientHalf, 0.0, gradientHalf, 0.0);
        } else {
            double focal = 0.0;
            if (fill.type == FillType::FocalRadialGradient)
                focal = std::clamp(g.focalPoint.toDouble(), -0.98, 0.98) * gradientHalf;
            grad = QRadialGradient(QPointF(0, 0), gradientHalf, QPointF(focal, 0));
        }
        switch (g.spread) {
        case SpreadMode::Reflect: grad.setSpread(QGradient::ReflectSpread); break;
        case SpreadMode::Repeat: grad.setSpread(QGradient::RepeatSpread); break;
        default: grad.setSpread(QGradient::PadSpread); break;
        }
        if (stops.size() == 1)
            stops.append({1.0, stops.front().second});
        if (stops.front().first > 0.0)
            stops.prepend({0.0, stops.front().second});
        if (stops.back().first < 1.0)
            stops.append({1.0, stops.back().second});
        grad.setStops(stops);
        grad.setInterpolationMode(QGradient::ComponentInterpolation);
        out.brush = QBrush(grad);
        out.brush.setTransform(toQTransform(g.matrix));
        out.valid = true;
        return out;
    }
    if (isBitmapFill(fill.type)) {
        const bool clipped = fill.type == FillType::ClippedBitmap || fill.type == FillType::NonSmoothedClippedBitmap;
        const QImage* image = nullptr;
        if (bitmaps)
            image = clipped ? bitmaps->clampedBitmap(fill.bitmapId) : bitmaps->bitmap(fill.bitmapId);
        if (!image || image->isNull())
            return out;
        out.bitmap = true;
        out.smooth = fill.type == FillType::RepeatingBitmap || fill.type == FillType::ClippedBitmap;
        out.brush = QBrush(cx.isIdentity() ? *image : transformImage(*image, cx));
        QTransform m = toQTransform(fill.bitmapMatrix);
        if (clipped)
            m = QTransform::fromTranslate(-1, -1) * m;
        out.brush.setTransform(m);
        out.valid = true;
        return out;
    }
    return out;
}

QImage padImage(const QImage& image, int pad)
{
    const QImage src = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QImage out(src.width() + 2 * pad, src.height() + 2 * pad, QImage::Format_ARGB32_Premultiplied);
    if (out.isNull() || src.isNull())
        return {};
    const int w = src.width(), h = src.height();
    for (int y = 0; y < out.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(src.constScanLine(std::clamp(y - pad, 0, h - 1)));
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x)
            line[x] = in[std::clamp(x - pad, 0, w - 1)];
    }
    return out;
}

QImage transformImage(const QImage& image, const ColorXf& cx)
{
    QImage out = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const int w = out.width(), h = out.height();
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const QRgb p = line[x];
            const int a = qAlpha(p);
            int r = 0, g = 0, b = 0;
            if (a > 0) { // unpremultiply, transform, premultiply
                r = qRed(p) * 255 / a;
                g = qGreen(p) * 255 / a;
                b = qBlue(p) * 255 / a;
            }
            const int na = cx.channel(3, a);
            const int nr = cx.channel(0, r), ng = cx.channel(1, g), nb = cx.channel(2, b);
            line[x] = qRgba(nr * na / 255, ng * na / 255, nb * na / 255, na);
        }
    }
    return out;
}

} // namespace swf::render
