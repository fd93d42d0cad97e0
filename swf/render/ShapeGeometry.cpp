#include "swf/render/ShapeGeometry.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <unordered_map>

namespace swf::render {
namespace {

struct Edge {
    QPointF a, c, b; // start, control (curves), end
    bool curved = false;

    Edge reversed() const { return Edge{b, c, a, curved}; }
};

struct PointKey {
    std::uint64_t x, y;
    bool operator==(const PointKey&) const = default;
};

struct PointKeyHash {
    std::size_t operator()(const PointKey& k) const noexcept
    {
        return static_cast<std::size_t>(k.x * 0x9E3779B97F4A7C15ull ^ (k.y + 0x632BE59BD9B4E019ull + (k.x << 6)));
    }
};

PointKey keyOf(QPointF p)
{
    // + 0.0 folds -0 into 0 so that the two meet.
    return PointKey{std::bit_cast<std::uint64_t>(p.x() + 0.0), std::bit_cast<std::uint64_t>(p.y() + 0.0)};
}

void emitEdge(QPainterPath& path, const Edge& e)
{
    if (e.curved)
        path.quadTo(e.c, e.b);
    else
        path.lineTo(e.b);
}

// Joins directed edges (the fill on their right-hand side, once fill-0 edges are turned
// round) into closed contours by matching end points to start points.
void assemble(const std::vector<Edge>& edges, QPainterPath& path)
{
    const std::size_t n = edges.size();
    if (n == 0)
        return;
    std::vector<char> used(n, 0);
    std::unordered_map<PointKey, std::vector<std::uint32_t>, PointKeyHash> byStart;
    byStart.reserve(n);
    for (std::size_t i = n; i-- > 0;)
        byStart[keyOf(edges[i].a)].push_back(static_cast<std::uint32_t>(i));

    auto next = [&](QPointF p, std::size_t hint) -> std::ptrdiff_t {
        if (hint < n && !used[hint] && edges[hint].a == p)
            return static_cast<std::ptrdiff_t>(hint);
        const auto it = byStart.find(keyOf(p));
        if (it == byStart.end())
            return -1;
        auto& list = it->second;
        while (!list.empty() && used[list.back()])
            list.pop_back();
        return list.empty() ? -1 : static_cast<std::ptrdiff_t>(list.back());
    };

    for (std::size_t i = 0; i < n; ++i) {
        if (used[i])
            continue;
        const QPointF start = edges[i].a;
        path.moveTo(start);
        std::size_t cur = i;
        for (;;) {
            used[cur] = 1;
            emitEdge(path, edges[cur]);
            const QPointF end = edges[cur].b;
            if (end == start) {
                path.closeSubpath();
                break;
            }
            const std::ptrdiff_t nx = next(end, cur + 1);
            if (nx < 0)
                break; // an open contour; filling closes it with a straight line
            cur = static_cast<std::size_t>(nx);
        }
    }
}

struct LineState {
    QPainterPath path;
    QPointF subpathStart;
    QPointF pen;
    bool open = false; // a subpath has been started
    bool hasEdges = false;
    bool noClose = false;
};

class Builder {
public:
    Builder(bool windingRule, std::size_t edgeLimit, bool glyphMode)
        : winding_(windingRule), limit_(edgeLimit), glyph_(glyphMode)
    {
    }

    void startGroup(std::vector<FillStyle> fills, std::vector<LineStyle> lines)
    {
        finishGroup();
        StyleGroup g;
        g.fills = std::move(fills);
        g.lines = std::move(lines);
        fillEdges_.assign(glyph_ ? 1 : g.fills.size(), {});
        lineStates_.assign(g.lines.size(), {});
        for (std::size_t i = 0; i < g.lines.size(); ++i)
            lineStates_[i].noClose = g.lines[i].noClose;
        geo_.groups.push_back(std::move(g));
        fill0_ = fill1_ = line_ = 0;
    }

    void setFill0(std::uint32_t s) { fill0_ = s; }
    void setFill1(std::uint32_t s) { fill1_ = s; }
    void setLine(std::uint32_t s) { line_ = s; }

    // False once the edge limit is reached.
    bool add(const Edge& e)
    {
        if (geo_.edges >= limit_) {
            geo_.cut = true;
            return false;
        }
        ++geo_.edges;
        extend(e.a);
        extend(e.b);
        if (e.curved)
            extend(e.c);
        if (auto* list = fillList(fill0_))
            list->push_back(e.reversed());
        if (auto* list = fillList(fill1_))
            list->push_back(e);
        if (line_ != 0 && line_ <= lineStates_.size()) {
            LineState& ls = lineStates_[line_ - 1];
            if (!ls.open || ls.pen != e.a) {
                closeIfReturned(ls);
                ls.path.moveTo(e.a);
                ls.subpathStart = e.a;
                ls.open = true;
                ls.hasEdges = false;
            }
            emitEdge(ls.path, e);
            ls.pen = e.b;
            ls.hasEdges = true;
        }
        return true;
    }

    ShapeGeometry finish()
    {
        finishGroup();
        if (!haveBounds_)
            geo_.bounds = QRectF();
        else
            geo_.bounds = QRectF(QPointF(minX_, minY_), QPointF(maxX_, maxY_));
        return std::move(geo_);
    }

private:
    std::vector<Edge>* fillList(std::uint32_t style)
    {
        if (style == 0 || fillEdges_.empty())
            return nullptr;
        if (glyph_)
            return &fillEdges_[0];
        return style <= fillEdges_.size() ? &fillEdges_[style - 1] : nullptr;
    }

    static void closeIfReturned(LineState& ls)
    {
        if (ls.open && ls.hasEdges && !ls.noClose && ls.pen == ls.subpathStart)
            ls.path.closeSubpath();
    }

    void finishGroup()
    {
        if (geo_.groups.empty())
            return;
        StyleGroup& g = geo_.groups.back();
        if (!g.fillPaths.empty() || !g.linePaths.empty())
            return; // already finished
        g.fillPaths.resize(fillEdges_.size());
        for (std::size_t i = 0; i < fillEdges_.size(); ++i) {
            QPainterPath& p = g.fillPaths[i];
            p.setFillRule(winding_ ? Qt::WindingFill : Qt::OddEvenFill);
            assemble(fillEdges_[i], p);
        }
        g.linePaths.resize(lineStates_.size());
        for (std::size_t i = 0; i < lineStates_.size(); ++i) {
            closeIfReturned(lineStates_[i]);
            g.linePaths[i] = std::move(lineStates_[i].path);
        }
        fillEdges_.clear();
        lineStates_.clear();
    }

    void extend(QPointF p)
    {
        if (!haveBounds_) {
            minX_ = maxX_ = p.x();
            minY_ = maxY_ = p.y();
            haveBounds_ = true;
            return;
        }
        minX_ = std::min(minX_, p.x());
        maxX_ = std::max(maxX_, p.x());
        minY_ = std::min(minY_, p.y());
        maxY_ = std::max(maxY_, p.y());
    }

    bool winding_;
    std::size_t limit_;
    bool glyph_;
    ShapeGeometry geo_;
    std::vector<std::vector<Edge>> fillEdges_;
    std::vector<LineState> lineStates_;
    std::uint32_t fill0_ = 0, fill1_ = 0, line_ = 0;
    bool haveBounds_ = false;
    double minX_ = 0, maxX_ = 0, minY_ = 0, maxY_ = 0;
};

void applyStyleChange(Builder& b, const StyleChangeRecord& sc, bool glyphMode)
{
    if (sc.newStyles && !glyphMode)
        b.startGroup(sc.newStyles->fills, sc.newStyles->lines);
    if (sc.fillStyle0)
        b.setFill0(*sc.fillStyle0);
    if (sc.fillStyle1)
        b.setFill1(*sc.fillStyle1);
    if (sc.lineStyle)
        b.setLine(*sc.lineStyle);
}

// Walks shape records keeping the pen in absolute twips.
struct Pen {
    double x = 0, y = 0;
};

Edge edgeOf(const ShapeRecord& r, Pen& pen)
{
    Edge e;
    e.a = QPointF(pen.x, pen.y);
    if (const auto* s = std::get_if<StraightEdgeRecord>(&r)) {
        pen.x += s->dx.value;
        pen.y += s->dy.value;
        e.b = QPointF(pen.x, pen.y);
        e.c = (e.a + e.b) / 2;
    } else {
        const auto& c = std::get<CurvedEdgeRecord>(r);
        const double cx = pen.x + c.controlDx.value, cy = pen.y + c.controlDy.value;
        pen.x = cx + c.anchorDx.value;
        pen.y = cy + c.anchorDy.value;
        e.c = QPointF(cx, cy);
        e.b = QPointF(pen.x, pen.y);
        e.curved = true;
    }
    return e;
}

double lerp(double a, double b, double t) { return a + (b - a) * t; }

std::uint8_t lerp8(std::uint8_t a, std::uint8_t b, double t)
{
    return static_cast<std::uint8_t>(std::clamp(std::lround(lerp(a, b, t)), 0l, 255l));
}

Rgba lerpColor(const Rgba& a, const Rgba& b, double t)
{
    return Rgba{lerp8(a.r, b.r, t), lerp8(a.g, b.g, t), lerp8(a.b, b.b, t), lerp8(a.a, b.a, t)};
}

Fixed16 lerpFixed16(Fixed16 a, Fixed16 b, double t)
{
    return Fixed16{static_cast<std::int32_t>(std::lround(lerp(a.raw, b.raw, t)))};
}

Twips lerpTwips(Twips a, Twips b, double t)
{
    return Twips{static_cast<std::int32_t>(std::lround(lerp(a.value, b.value, t)))};
}

Matrix lerpMatrix(const Matrix& a, const Matrix& b, double t)
{
    Matrix m;
    m.scaleX = lerpFixed16(a.scaleX, b.scaleX, t);
    m.scaleY = lerpFixed16(a.scaleY, b.scaleY, t);
    m.rotateSkew0 = lerpFixed16(a.rotateSkew0, b.rotateSkew0, t);
    m.rotateSkew1 = lerpFixed16(a.rotateSkew1, b.rotateSkew1, t);
    m.translateX = lerpTwips(a.translateX, b.translateX, t);
    m.translateY = lerpTwips(a.translateY, b.translateY, t);
    return m;
}

} // namespace

QPainterPath flattenPath(const QPainterPath& path, double tolerance)
{
    QPainterPath out;
    out.setFillRule(path.fillRule());
    tolerance = std::max(tolerance, 1e-6);
    QPointF pen;
    const int count = path.elementCount();
    for (int i = 0; i < count; ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        switch (e.type) {
        case QPainterPath::MoveToElement:
            out.moveTo(e);
            pen = e;
            break;
        case QPainterPath::LineToElement:
            out.lineTo(e);
            pen = e;
            break;
        case QPainterPath::CurveToElement: {
            if (i + 2 >= count)
                return out;
            const QPointF c1 = e, c2 = path.elementAt(i + 1), end = path.elementAt(i + 2);
            i += 2;
            // Uniform steps; the second differences bound how far a chord strays.
            const QPointF d1 = pen - 2 * c1 + c2, d2 = c1 - 2 * c2 + end;
            const double dd = std::max(std::hypot(d1.x(), d1.y()), std::hypot(d2.x(), d2.y()));
            const int n = std::clamp(static_cast<int>(std::ceil(std::sqrt(0.75 * dd / tolerance))), 1, 100);
            for (int k = 1; k < n; ++k) {
                const double t = static_cast<double>(k) / n, u = 1 - t;
                out.lineTo(pen * (u * u * u) + c1 * (3 * u * u * t) + c2 * (3 * u * t * t) + end * (t * t * t));
            }
            out.lineTo(end);
            pen = end;
            break;
        }
        default:
            break;
        }
    }
    return out;
}

FillStyle morphFill(const MorphFillStyle& f, double t)
{
    FillStyle s;
    s.type = f.type;
    s.color = lerpColor(f.startColor, f.endColor, t);
    s.bitmapId = f.bitmapId;
    const Matrix m = lerpMatrix(f.startMatrix, f.endMatrix, t);
    if (isGradientFill(f.type)) {
        s.gradient.matrix = m;
        s.gradient.spread = f.spread;
        s.gradient.interpolation = f.interpolation;
        s.gradient.focalPoint = Fixed8{static_cast<std::int32_t>(
            std::lround(lerp(f.startFocalPoint.raw, f.endFocalPoint.raw, t)))};
        for (const auto& g : f.gradient)
            s.gradient.records.push_back(GradientRecord{lerp8(g.startRatio, g.endRatio, t),
                                                        lerpColor(g.startColor, g.endColor, t)});
    } else if (isBitmapFill(f.type)) {
        s.bitmapMatrix = m;
    }
    return s;
}

LineStyle morphLine(const MorphLineStyle& l, double t)
{
    LineStyle s;
    s.width = lerpTwips(l.startWidth, l.endWidth, t);
    s.color = lerpColor(l.startColor, l.endColor, t);
    s.startCap = l.startCap;
    s.endCap = l.endCap;
    s.join = l.join;
    s.miterLimit = l.miterLimit;
    s.noHScale = l.noHScale;
    s.noVScale = l.noVScale;
    s.pixelHinting = l.pixelHinting;
    s.noClose = l.noClose;
    if (l.fill)
        s.fill = morphFill(*l.fill, t);
    return s;
}

ShapeGeometry buildShape(const ShapeStyles& styles, const Shape& shape, bool windingRule, std::size_t edgeLimit)
{
    Builder b(windingRule, edgeLimit, false);
    b.startGroup(styles.fills, styles.lines);
    Pen pen;
    for (const ShapeRecord& r : shape.records) {
        if (const auto* sc = std::get_if<StyleChangeRecord>(&r)) {
            applyStyleChange(b, *sc, false);
            if (sc->moveTo) {
                pen.x = sc->moveTo->first.value;
                pen.y = sc->moveTo->second.value;
            }
            continue;
        }
        if (!b.add(edgeOf(r, pen)))
            break;
    }
    return b.finish();
}

QPainterPath buildGlyph(const Shape& glyph, std::size_t edgeLimit)
{
    Builder b(false, edgeLimit, true);
    b.startGroup({}, {});
    Pen pen;
    bool styled = false;
    for (const ShapeRecord& r : glyph.records) {
        if (const auto* sc = std::get_if<StyleChangeRecord>(&r)) {
            applyStyleChange(b, *sc, true);
            styled = styled || (sc->fillStyle0 && *sc->fillStyle0) || (sc->fillStyle1 && *sc->fillStyle1);
            if (sc->moveTo) {
                pen.x = sc->moveTo->first.value;
                pen.y = sc->moveTo->second.value;
            }
            continue;
        }
        if (!styled) {
            // Glyphs are filled whatever style index they name, even none.
            b.setFill1(1);
            styled = true;
        }
        if (!b.add(edgeOf(r, pen)))
            break;
    }
    ShapeGeometry g = b.finish();
    if (g.groups.empty() || g.groups.front().fillPaths.empty())
        return {};
    return g.groups.front().fillPaths.front();
}

ShapeGeometry buildMorph(const DefineMorphShape& morph, double t, std::size_t edgeLimit)
{
    t = std::clamp(t, 0.0, 1.0);
    std::vector<FillStyle> fills;
    fills.reserve(morph.fills.size());
    for (const auto& f : morph.fills)
        fills.push_back(morphFill(f, t));
    std::vector<LineStyle> lines;
    lines.reserve(morph.lines.size());
    for (const auto& l : morph.lines)
        lines.push_back(morphLine(l, t));

    Builder b(false, edgeLimit, false);
    b.startGroup(std::move(fills), std::move(lines));
    Pen startPen, endPen;
    const auto& endRecords = morph.endEdges.records;
    std::size_t ei = 0;

    for (const ShapeRecord& r : morph.startEdges.records) {
        if (const auto* sc = std::get_if<StyleChangeRecord>(&r)) {
            applyStyleChange(b, *sc, true); // morphs have one set of style arrays
            if (sc->moveTo) {
                startPen.x = sc->moveTo->first.value;
                startPen.y = sc->moveTo->second.value;
            }
            continue;
        }
        // The matching end edge; style changes on the end side only move its pen.
        while (ei < endRecords.size()) {
            const auto* esc = std::get_if<StyleChangeRecord>(&endRecords[ei]);
            if (!esc)
                break;
            if (esc->moveTo) {
                endPen.x = esc->moveTo->first.value;
                endPen.y = esc->moveTo->second.value;
            }
            ++ei;
        }
        const Edge s = edgeOf(r, startPen);
        Edge e = s;
        if (ei < endRecords.size())
            e = edgeOf(endRecords[ei++], endPen);
        Edge m;
        m.a = QPointF(lerp(s.a.x(), e.a.x(), t), lerp(s.a.y(), e.a.y(), t));
        m.b = QPointF(lerp(s.b.x(), e.b.x(), t), lerp(s.b.y(), e.b.y(), t));
        m.c = QPointF(lerp(s.c.x(), e.c.x(), t), lerp(s.c.y(), e.c.y(), t));
        m.curved = s.curved || e.curved;
        if (!b.add(m))
            break;
    }
    return b.finish();
}

} // namespace swf::render
