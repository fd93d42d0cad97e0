#include "swf/render/Scanline.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace swf::render {
namespace {

constexpr double twipsPerPixel = 20.0;
// Coordinates beyond this (in device twips) are clamped; keeps the products of the exact
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

Point toTwips(QPointF p)
{
    auto c = [](double v) {
        if (!std::isfinite(v))
            return std::int64_t{0};
        return static_cast<std::int64_t>(std::llround(std::clamp(v * twipsPerPixel, -coordLimit, coordLimit)));
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

// Edges of the path in device twips; curves become lines a tenth of a pixel from them.
std::vector<Edge> edgesOf(const QPainterPath& path, const QTransform& m)
{
    std::vector<Edge> edges;
    edges.reserve(static_cast<std::size_t>(path.elementCount()));
    QPointF start, pen;
    Point startT{0, 0}, penT{0, 0};
    bool open = false;
    auto closeFigure = [&] {
        if (open)
            addEdge(edges, penT, startT);
        open = false;
    };
    const int count = path.elementCount();
    for (int i = 0; i < count; ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        if (e.type == QPainterPath::MoveToElement) {
            closeFigure();
            start = pen = m.map(QPointF(e));
            startT = penT = toTwips(pen);
            open = true;
        } else if (e.type == QPainterPath::LineToElement) {
            const QPointF p = m.map(QPointF(e));
            const Point t = toTwips(p);
            addEdge(edges, penT, t);
            pen = p;
            penT = t;
        } else if (e.type == QPainterPath::CurveToElement && i + 2 < count) {
            const QPointF c1 = m.map(QPointF(e));
            const QPointF c2 = m.map(QPointF(path.elementAt(i + 1)));
            const QPointF end = m.map(QPointF(path.elementAt(i + 2)));
            i += 2;
            const QPointF d1 = pen - 2 * c1 + c2, d2 = c1 - 2 * c2 + end;
            const double dd = std::max(std::hypot(d1.x(), d1.y()), std::hypot(d2.x(), d2.y()));
            const int n = std::clamp(static_cast<int>(std::ceil(std::sqrt(0.75 * dd / 0.1))), 1, 256);
            for (int k = 1; k <= n; ++k) {
                const double t = static_cast<double>(k) / n, u = 1 - t;
                const QPointF p = k == n ? end : pen * (u * u * u) + c1 * (3 * u * u * t) + c2 * (3 * u * t * t) + end * (t * t * t);
                const Point pt = toTwips(p);
                addEdge(edges, penT, pt);
                penT = pt;
            }
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

// The first pixel whose centre (20 x + 10) is at or right of `x` twips.
std::int64_t firstPixelFrom(std::int64_t x)
{
    return -floorDiv(-(x - 10), 20);
}

// The first pixel whose centre is at or right of where `e` crosses the line y = yc, found
// exactly: the crossing xt + (yc - yt) (xb - xt) / (yb - yt) is a fraction, and rounding
// it to a whole twip first moves pixels whose centres lie within a twip of the edge.
std::int64_t firstPixelRightOf(const Edge& e, std::int64_t yc)
{
    const std::int64_t dy = e.yb - e.yt; // > 0
    const std::int64_t num = (e.xt - 10) * dy + (yc - e.yt) * (e.xb - e.xt);
    return -floorDiv(-num, 20 * dy); // ceil(num / (20 dy))
}

} // namespace

bool scanlineRegion(const QPainterPath& path, const QTransform& toDevice, const QRect& clip, QRegion& region)
{
    region = QRegion();
    if (clip.isEmpty())
        return true;
    std::vector<Edge> edges = edgesOf(path, toDevice);
    if (edges.empty())
        return true;
    std::sort(edges.begin(), edges.end(), [](const Edge& a, const Edge& b) { return a.yt < b.yt; });

    std::int64_t minY = edges.front().yt, maxY = minY;
    for (const Edge& e : edges)
        maxY = std::max(maxY, e.yb);
    // Rows whose centre 20 y + 10 lies in [minY, maxY).
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
        const std::int64_t yc = std::int64_t(row) * 20 + 10;
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
