#include "swf/render/Scanline.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace swf::render {
namespace {

// Edge ends are snapped to a 1/256 pixel grid before sampling, as the movies' player does;
// ties between an edge and a pixel centre are then decided on the snapped positions.
constexpr std::int64_t unitsPerPixel = 256;
constexpr std::int64_t halfPixel = unitsPerPixel / 2;
// Curves are cut into lines at most this far (in pixels) from them.
constexpr double curveTolerance = 0.1;
constexpr int maxCurveSegments = 256;
// Coordinates beyond this (in grid units) are clamped; keeps the products of the exact
// crossing test (coordinate times height) well inside 64 bits.
constexpr double coordLimit = 1.0e8;
// Rows times edges one path may cost; past it Qt's own filling takes over.
constexpr std::uint64_t maxScanWork = 64ull << 20;

struct Edge {
    std::int64_t xt, yt, xb, yb; // upper and lower end, yt < yb
    int dir;                     // +1 going down, -1 going up
};

struct Point {
    std::int64_t x, y;
};

Point toGrid(QPointF p)
{
    auto c = [](double v) {
        if (!std::isfinite(v))
            return std::int64_t{0};
        return static_cast<std::int64_t>(std::llround(std::clamp(v * double(unitsPerPixel), -coordLimit, coordLimit)));
    };
    return Point{c(p.x()), c(p.y())};
}

void addEdge(std::vector<Edge>& edges, Point a, Point b)
{
    if (a.y == b.y)
        return;
    if (a.y < b.y)
        edges.push_back(Edge{a.x, a.y, b.x, b.y, 1});
    else
        edges.push_back(Edge{b.x, b.y, a.x, a.y, -1});
}

// Curve flattening. A quadratic curve is cut where equal steps of the integral of the square
// root of its curvature fall (the parabola method): segments then keep about the same
// distance from the curve, and their ends are where the movies' player puts them, which is
// what decides the pixels along curves at quality low. Segment count from a closed-form
// approximation of that integral; cut points from the integral itself.

// The square root of the curvature of y = x^2 along x: (1 + 4x^2)^(-1/4).
double parabolaRootCurvature(double x) { return 1 / std::sqrt(std::sqrt(1 + 4 * x * x)); }

// Its integral from 0 far out, where it behaves like sqrt(2x) plus falling terms.
double parabolaIntegralTail(double x)
{
    const double root2 = std::sqrt(2.0);
    return std::sqrt(2 * x) + 1 / (24 * root2 * x * std::sqrt(x)) - 5 / (1792 * root2 * std::pow(x, 3.5));
}

// Integral over [0, x] of parabolaRootCurvature. A table of exact values (Gauss-Legendre
// per step, built once) with cubic Hermite steps between them, since curve cutting asks
// for it several times per cut; past the table the tail series, good to 1e-10 there.
double parabolaIntegral(double x)
{
    constexpr int stepsPerUnit = 64;
    constexpr int tableEnd = 64;
    constexpr int size = stepsPerUnit * tableEnd + 1;
    struct Node {
        double value, slope;
    };
    static const std::vector<Node> table = [] {
        static constexpr double nodes[2] = {0.3399810435848563, 0.8611363115940526};
        static constexpr double weights[2] = {0.6521451548625461, 0.3478548451374538};
        std::vector<Node> t(size);
        t[0] = Node{0, 1};
        const double half = 0.5 / stepsPerUnit;
        for (int i = 1; i < size; ++i) {
            const double mid = (i - 0.5) / stepsPerUnit;
            double step = 0;
            for (int k = 0; k < 2; ++k)
                step += weights[k] * (parabolaRootCurvature(mid - half * nodes[k]) + parabolaRootCurvature(mid + half * nodes[k]));
            t[i] = Node{t[i - 1].value + step * half, parabolaRootCurvature(double(i) / stepsPerUnit)};
        }
        return t;
    }();
    const double ax = std::abs(x);
    double value;
    if (!(ax < tableEnd)) {
        value = std::isfinite(ax) ? table[size - 1].value + parabolaIntegralTail(ax) - parabolaIntegralTail(tableEnd)
                                  : ax;
    } else {
        const double pos = ax * stepsPerUnit;
        const int i = std::min(static_cast<int>(pos), size - 2);
        const double t = pos - i, h = 1.0 / stepsPerUnit;
        const Node& a = table[i];
        const Node& b = table[i + 1];
        const double t2 = t * t, t3 = t2 * t;
        value = (2 * t3 - 3 * t2 + 1) * a.value + (t3 - 2 * t2 + t) * a.slope * h + (3 * t2 - 2 * t3) * b.value +
                (t3 - t2) * b.slope * h;
    }
    return x < 0 ? -value : value;
}

// Closed-form approximations of the integral and its inverse (good to about 1%).
double approxParabolaIntegral(double x)
{
    constexpr double d = 0.67;
    return x / (1 - d + std::sqrt(std::sqrt(d * d * d * d + 0.25 * x * x)));
}

double approxParabolaInverse(double v)
{
    constexpr double b = 0.39;
    return v * (1 - b + std::sqrt(b * b + 0.25 * v * v));
}

// x with parabolaIntegral(x) == v, by Newton's method from the approximation.
double parabolaInverse(double v)
{
    double x = approxParabolaInverse(v);
    for (int i = 0; i < 8; ++i) {
        const double step = (parabolaIntegral(x) - v) / parabolaRootCurvature(x);
        x -= step;
        if (!(std::abs(step) > 1e-10))
            break;
    }
    return x;
}

} // namespace

void quadraticCutPoints(QPointF p0, QPointF c, QPointF p2, double tolerance, std::vector<double>& cuts)
{
    cuts.clear();
    const double ddx = 2 * c.x() - p0.x() - p2.x(), ddy = 2 * c.y() - p0.y() - p2.y();
    const double cross = (p2.x() - p0.x()) * ddy - (p2.y() - p0.y()) * ddx;
    // Map the curve onto a piece [x0, x2] of the parabola y = x^2.
    const double x0 = ((c.x() - p0.x()) * ddx + (c.y() - p0.y()) * ddy) / cross;
    const double x2 = ((p2.x() - c.x()) * ddx + (p2.y() - c.y()) * ddy) / cross;
    const double scale = std::abs(cross) / (std::hypot(ddx, ddy) * std::abs(x2 - x0));
    if (!std::isfinite(x0) || !std::isfinite(x2) || !std::isfinite(scale) || !(tolerance > 0))
        return; // a straight line (or points too close to tell)
    const double sqrtTol = std::sqrt(tolerance);
    const double da = std::abs(approxParabolaIntegral(x2) - approxParabolaIntegral(x0));
    double steps = 0;
    if ((x0 < 0) == (x2 < 0))
        steps = da * std::sqrt(scale);
    else // the sharpest point lies inside: bound it by the tolerance
        steps = sqrtTol * da / approxParabolaIntegral(sqrtTol / std::sqrt(scale));
    const double count = std::ceil(0.5 * steps / sqrtTol);
    const int n = count >= 1 ? static_cast<int>(std::min(count, double(maxCurveSegments))) : 1;
    if (n < 2)
        return;
    const double a0 = parabolaIntegral(x0), a2 = parabolaIntegral(x2);
    for (int i = 1; i < n; ++i) {
        const double x = parabolaInverse(a0 + (a2 - a0) * i / n);
        cuts.push_back(std::clamp((x - x0) / (x2 - x0), 0.0, 1.0));
    }
}

namespace {

// Edges of the path in grid units. Quadratic curves (stored as cubics by QPainterPath) are
// cut as above; other cubics (stroke outlines) into equal steps a tenth of a pixel from them.
std::vector<Edge> edgesOf(const QPainterPath& path, const QTransform& m, const QRect& clip)
{
    // A curve whose control points all lie on one side of the clip (with a pixel to spare)
    // can be a straight line: nothing between it and the line reaches a sampled centre.
    const double left = clip.left() - 1.0, right = clip.right() + 2.0, top = clip.top() - 1.0,
                 bottom = clip.bottom() + 2.0;
    auto outside = [&](std::initializer_list<QPointF> points) {
        bool l = true, r = true, t = true, b = true;
        for (const QPointF& p : points) {
            l = l && p.x() < left;
            r = r && p.x() > right;
            t = t && p.y() < top;
            b = b && p.y() > bottom;
        }
        return l || r || t || b;
    };
    std::vector<Edge> edges;
    edges.reserve(static_cast<std::size_t>(path.elementCount()));
    QPointF start, pen;
    Point startG{0, 0}, penG{0, 0};
    std::vector<double> cuts;
    bool open = false;
    auto closeFigure = [&] {
        if (open)
            addEdge(edges, penG, startG);
        open = false;
    };
    auto lineTo = [&](QPointF p) {
        const Point g = toGrid(p);
        addEdge(edges, penG, g);
        penG = g;
    };
    const int count = path.elementCount();
    for (int i = 0; i < count; ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        if (e.type == QPainterPath::MoveToElement) {
            closeFigure();
            start = pen = m.map(QPointF(e));
            startG = penG = toGrid(pen);
            open = true;
        } else if (e.type == QPainterPath::LineToElement) {
            pen = m.map(QPointF(e));
            lineTo(pen);
        } else if (e.type == QPainterPath::CurveToElement && i + 2 < count) {
            const QPointF c1 = m.map(QPointF(e));
            const QPointF c2 = m.map(QPointF(path.elementAt(i + 1)));
            const QPointF end = m.map(QPointF(path.elementAt(i + 2)));
            i += 2;
            if (outside({pen, c1, c2, end})) {
                lineTo(end);
                pen = end;
                continue;
            }
            // A quadratic curve raised to a cubic has both controls pointing at one point.
            const QPointF q1 = (3 * c1 - pen) / 2, q2 = (3 * c2 - end) / 2;
            const double span = std::max({std::abs(end.x() - pen.x()), std::abs(end.y() - pen.y()), 1.0});
            if (std::abs(q1.x() - q2.x()) + std::abs(q1.y() - q2.y()) <= 1e-6 * span) {
                const QPointF q = (q1 + q2) / 2;
                quadraticCutPoints(pen, q, end, curveTolerance, cuts);
                for (double t : cuts) {
                    const double u = 1 - t;
                    lineTo(pen * (u * u) + q * (2 * u * t) + end * (t * t));
                }
                lineTo(end);
                pen = end;
                continue;
            }
            const QPointF d1 = pen - 2 * c1 + c2, d2 = c1 - 2 * c2 + end;
            const double dd = std::max(std::hypot(d1.x(), d1.y()), std::hypot(d2.x(), d2.y()));
            const int n = std::clamp(static_cast<int>(std::ceil(std::sqrt(0.75 * dd / curveTolerance))), 1,
                                     maxCurveSegments);
            for (int k = 1; k < n; ++k) {
                const double t = static_cast<double>(k) / n, u = 1 - t;
                lineTo(pen * (u * u * u) + c1 * (3 * u * u * t) + c2 * (3 * u * t * t) + end * (t * t * t));
            }
            lineTo(end);
            pen = end;
        }
    }
    closeFigure();
    return edges;
}

// Floor division for a positive divisor.
std::int64_t floorDiv(std::int64_t a, std::int64_t b)
{
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

// The first pixel whose centre is at or right of `x` (in grid units).
std::int64_t firstPixelFrom(std::int64_t x)
{
    return -floorDiv(-(x - halfPixel), unitsPerPixel);
}

// The first pixel whose centre is at or right of where `e` crosses the line y = yc, found
// exactly: the crossing xt + (yc - yt) (xb - xt) / (yb - yt) is a fraction, and rounding
// it to the grid first would move pixels whose centres lie within a grid step of the edge.
std::int64_t firstPixelRightOf(const Edge& e, std::int64_t yc)
{
    const std::int64_t dy = e.yb - e.yt; // > 0
    const std::int64_t num = (e.xt - halfPixel) * dy + (yc - e.yt) * (e.xb - e.xt);
    return -floorDiv(-num, unitsPerPixel * dy); // ceil(num / (unitsPerPixel dy))
}

} // namespace

bool scanlineRegion(const QPainterPath& path, const QTransform& toDevice, const QRect& clip, QRegion& region)
{
    region = QRegion();
    if (clip.isEmpty())
        return true;
    std::vector<Edge> edges = edgesOf(path, toDevice, clip);
    if (edges.empty())
        return true;
    std::sort(edges.begin(), edges.end(), [](const Edge& a, const Edge& b) { return a.yt < b.yt; });

    std::int64_t minY = edges.front().yt, maxY = minY;
    for (const Edge& e : edges)
        maxY = std::max(maxY, e.yb);
    // Rows whose centre lies in [minY, maxY).
    const int rowFirst = static_cast<int>(std::max<std::int64_t>(clip.top(), firstPixelFrom(minY)));
    const int rowLast = static_cast<int>(std::min<std::int64_t>(clip.bottom(), firstPixelFrom(maxY) - 1));
    const bool evenOdd = path.fillRule() == Qt::OddEvenFill;
    if (rowLast >= rowFirst && std::uint64_t(rowLast - rowFirst + 1) * edges.size() > maxScanWork)
        return false;

    std::vector<QRect> rects;
    std::vector<const Edge*> active;
    std::vector<std::pair<std::int64_t, int>> crossings;
    std::size_t next = 0;
    for (int row = rowFirst; row <= rowLast; ++row) {
        const std::int64_t yc = std::int64_t(row) * unitsPerPixel + halfPixel;
        while (next < edges.size() && edges[next].yt <= yc)
            active.push_back(&edges[next++]);
        active.erase(std::remove_if(active.begin(), active.end(), [yc](const Edge* e) { return e->yb <= yc; }),
                     active.end());
        crossings.clear();
        for (const Edge* e : active) {
            if (e->yt > yc)
                continue;
            // Crossings in the same pixel gap leave nothing between them to fill, so the
            // pixel index orders them well enough.
            crossings.emplace_back(firstPixelRightOf(*e, yc), e->dir);
        }
        if (crossings.size() < 2)
            continue;
        std::sort(crossings.begin(), crossings.end());
        int winding = 0;
        for (std::size_t i = 0; i + 1 < crossings.size(); ++i) {
            winding += evenOdd ? 1 : crossings[i].second;
            const bool inside = evenOdd ? (winding & 1) != 0 : winding != 0;
            if (!inside)
                continue;
            const std::int64_t x0 = std::max<std::int64_t>(crossings[i].first, clip.left());
            const std::int64_t x1 = std::min<std::int64_t>(crossings[i + 1].first, std::int64_t(clip.right()) + 1);
            if (x1 <= x0)
                continue;
            if (!rects.empty() && rects.back().top() == row && rects.back().right() + 1 >= x0) {
                rects.back().setRight(std::max<int>(rects.back().right(), static_cast<int>(x1 - 1)));
                continue; // touching the span before: one span
            }
            rects.emplace_back(static_cast<int>(x0), row, static_cast<int>(x1 - x0), 1);
        }
    }
    if (!rects.empty())
        region.setRects(rects.data(), static_cast<int>(rects.size()));
    return true;
}

} // namespace swf::render
