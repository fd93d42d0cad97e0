#include "swf/render/AliasedStroke.h"

#include "swf/render/Scanline.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace swf::render {
namespace {

// Pieces stay within this many device pixels of the true line, as curve cutting does.
constexpr double tolerance = 0.1;
constexpr int maxCurveSegments = 256;
constexpr int maxCircleSegments = 256;
// Points one line may turn into; a line past it (a huge pen on a long path) is stroked the
// plain way instead.
constexpr std::size_t maxStrokePoints = 1u << 19;

using Polyline = std::vector<QPointF>;

double lengthOf(QPointF v) { return std::hypot(v.x(), v.y()); }

double cross(QPointF a, QPointF b) { return a.x() * b.y() - a.y() * b.x(); }

// Adds `points` as a closed polygon turning the positive way round (in the shape's space).
void addPolygon(QPainterPath& out, std::vector<QPointF> points)
{
    if (points.size() < 3 || out.elementCount() > static_cast<int>(maxStrokePoints))
        return;
    double area = 0;
    for (std::size_t i = 0; i < points.size(); ++i)
        area += cross(points[i], points[(i + 1) % points.size()]);
    if (!(std::abs(area) > 0))
        return;
    if (area < 0)
        std::reverse(points.begin(), points.end());
    out.moveTo(points[0]);
    for (std::size_t i = 1; i < points.size(); ++i)
        out.lineTo(points[i]);
    out.closeSubpath();
}

class StrokeBuilder {
public:
    StrokeBuilder(const QPen& pen, Qt::PenCapStyle endCap, const QTransform& toDevice)
        : toDevice_(toDevice), halfWidth_(pen.widthF() / 2), cap_(pen.capStyle()), endCap_(endCap),
          join_(pen.joinStyle()),
          miterLimit_(pen.miterLimit())
    {
        const double scale = std::sqrt(std::abs(toDevice.determinant()));
        const double radius = halfWidth_ * (std::isfinite(scale) ? scale : 0);
        // Circle segments so that each chord stays within the tolerance.
        circleSegments_ = 8;
        if (radius > tolerance) {
            const double step = std::acos(1 - tolerance / radius);
            if (step > 0)
                circleSegments_ = std::clamp(static_cast<int>(std::ceil(std::numbers::pi / step)), 8, maxCircleSegments);
        }
    }

    void addLine(const Polyline& points, bool closed)
    {
        if (points.empty() || !(halfWidth_ > 0))
            return;
        if (points.size() == 1) {
            // A line of no length shows as its caps.
            if (cap_ == Qt::RoundCap)
                disc(points[0]);
            else if (cap_ == Qt::SquareCap)
                addPolygon(out_, {points[0] + QPointF(-halfWidth_, -halfWidth_), points[0] + QPointF(halfWidth_, -halfWidth_),
                                  points[0] + QPointF(halfWidth_, halfWidth_), points[0] + QPointF(-halfWidth_, halfWidth_)});
            return;
        }
        const std::size_t n = points.size();
        for (std::size_t i = 0; i + 1 < n; ++i)
            segment(points[i], points[i + 1]);
        for (std::size_t i = 1; i + 1 < n; ++i)
            join(points[i - 1], points[i], points[i + 1]);
        if (closed) {
            join(points[n - 2], points[0], points[1]);
        } else {
            cap(points[1], points[0], cap_);
            cap(points[n - 2], points[n - 1], endCap_);
        }
    }

    bool take(QPainterPath& area)
    {
        if (out_.elementCount() > static_cast<int>(maxStrokePoints))
            return false;
        out_.setFillRule(Qt::WindingFill);
        area = std::move(out_);
        return true;
    }

private:
    QPointF normal(QPointF from, QPointF to) const
    {
        const QPointF d = to - from;
        const double len = lengthOf(d);
        return QPointF(-d.y(), d.x()) * (halfWidth_ / len);
    }

    void segment(QPointF a, QPointF b)
    {
        const QPointF n = normal(a, b);
        addPolygon(out_, {a + n, b + n, b - n, a - n});
    }

    void disc(QPointF c)
    {
        std::vector<QPointF> points;
        points.reserve(static_cast<std::size_t>(circleSegments_));
        for (int k = 0; k < circleSegments_; ++k) {
            const double a = 2 * std::numbers::pi * k / circleSegments_;
            points.push_back(c + QPointF(std::cos(a), std::sin(a)) * halfWidth_);
        }
        addPolygon(out_, std::move(points));
    }

    void join(QPointF prev, QPointF at, QPointF next)
    {
        const QPointF d0 = at - prev, d1 = next - at;
        const double turn = cross(d0, d1);
        if (std::abs(turn) <= 1e-12 * lengthOf(d0) * lengthOf(d1) && QPointF::dotProduct(d0, d1) > 0)
            return; // straight on: the two rectangles meet flush
        if (join_ == Qt::RoundJoin) {
            disc(at);
            return;
        }
        const QPointF n0 = normal(prev, at), n1 = normal(at, next);
        // The outer side is the one the line turns away from.
        const double side = QPointF::dotProduct(d1, n0) > 0 ? -1.0 : 1.0;
        const QPointF o0 = at + side * n0, o1 = at + side * n1;
        if (join_ == Qt::MiterJoin || join_ == Qt::SvgMiterJoin) {
            const double h2 = halfWidth_ * halfWidth_;
            const double denom = h2 + QPointF::dotProduct(n0, n1);
            if (denom > 1e-12 * h2) {
                const QPointF tip = at + side * (n0 + n1) * (h2 / denom);
                if (lengthOf(tip - at) <= miterLimit_ * 2 * halfWidth_) { // the limit counts in widths
                    addPolygon(out_, {at, o0, tip, o1});
                    return;
                }
            }
        }
        addPolygon(out_, {at, o0, o1});
    }

    // The cap at `end` of the piece coming from `from`.
    void cap(QPointF from, QPointF end, Qt::PenCapStyle style)
    {
        if (style == Qt::RoundCap) {
            disc(end);
        } else if (style == Qt::SquareCap) {
            const QPointF d = end - from;
            const QPointF ahead = d * (halfWidth_ / lengthOf(d));
            const QPointF n = normal(from, end);
            addPolygon(out_, {end + n, end + n + ahead, end - n + ahead, end - n});
        }
    }

    QTransform toDevice_;
    double halfWidth_;
    Qt::PenCapStyle cap_, endCap_;
    Qt::PenJoinStyle join_;
    double miterLimit_;
    int circleSegments_ = 8;
    QPainterPath out_;
};

QPointF quadAt(QPointF p0, QPointF c, QPointF p2, double t)
{
    const double u = 1 - t;
    return p0 * (u * u) + c * (2 * u * t) + p2 * (t * t);
}

// Appends the points of the curve after `from` to `line`, cut as fills cut theirs.
void appendCurve(Polyline& line, QPointF from, QPointF c1, QPointF c2, QPointF end, const QTransform& toDevice,
                 std::vector<double>& cuts)
{
    const QPointF q1 = (3 * c1 - from) / 2, q2 = (3 * c2 - end) / 2;
    const double span = std::max({std::abs(end.x() - from.x()), std::abs(end.y() - from.y()), 1e-9});
    if (std::abs(q1.x() - q2.x()) + std::abs(q1.y() - q2.y()) <= 1e-6 * span) {
        const QPointF q = (q1 + q2) / 2;
        quadraticCutPoints(toDevice.map(from), toDevice.map(q), toDevice.map(end), tolerance, cuts);
        for (double t : cuts)
            line.push_back(quadAt(from, q, end, t));
        line.push_back(end);
        return;
    }
    const QPointF a = toDevice.map(from), b = toDevice.map(c1), c = toDevice.map(c2), d = toDevice.map(end);
    const QPointF d1 = a - 2 * b + c, d2 = b - 2 * c + d;
    const double dd = std::max(lengthOf(d1), lengthOf(d2));
    const double count = std::ceil(std::sqrt(0.75 * dd / tolerance));
    const int n = std::isfinite(count) ? std::clamp(static_cast<int>(count), 1, maxCurveSegments) : 1;
    for (int k = 1; k < n; ++k) {
        const double t = static_cast<double>(k) / n, u = 1 - t;
        line.push_back(from * (u * u * u) + c1 * (3 * u * u * t) + c2 * (3 * u * t * t) + end * (t * t * t));
    }
    line.push_back(end);
}

} // namespace

bool aliasedStrokeArea(const QPainterPath& centre, const QPen& pen, Qt::PenCapStyle endCap, const QTransform& toDevice,
                       QPainterPath& area)
{
    StrokeBuilder builder(pen, endCap, toDevice);
    Polyline line;
    bool closed = false;
    std::vector<double> cuts;
    auto flush = [&] {
        // Repeated points make pieces of no length, which have no direction.
        line.erase(std::unique(line.begin(), line.end()), line.end());
        if (line.size() > 2 && line.front() == line.back()) {
            line.pop_back();
            closed = true;
        }
        if (closed && line.size() > 2) {
            line.push_back(line.front());
            builder.addLine(line, true);
        } else {
            builder.addLine(line, false);
        }
        line.clear();
        closed = false;
    };
    const int count = centre.elementCount();
    for (int i = 0; i < count; ++i) {
        const QPainterPath::Element e = centre.elementAt(i);
        if (e.type == QPainterPath::MoveToElement) {
            if (!line.empty())
                flush();
            line.push_back(QPointF(e));
        } else if (e.type == QPainterPath::LineToElement) {
            if (line.empty())
                line.push_back(QPointF(0, 0));
            line.push_back(QPointF(e));
        } else if (e.type == QPainterPath::CurveToElement && i + 2 < count) {
            if (line.empty())
                line.push_back(QPointF(0, 0));
            appendCurve(line, line.back(), QPointF(e), QPointF(centre.elementAt(i + 1)), QPointF(centre.elementAt(i + 2)),
                        toDevice, cuts);
            i += 2;
        }
    }
    if (!line.empty())
        flush();
    return builder.take(area);
}

} // namespace swf::render
