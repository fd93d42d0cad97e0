#include "swf/render/Renderer.h"

#include "swf/render/BitmapDecoder.h"
#include "swf/render/Brushes.h"
#include "swf/render/ColorTransform.h"
#include "swf/render/Filters.h"
#include "swf/render/Scanline.h"
#include "swf/render/AliasedStroke.h"
#include "swf/render/ShapeGeometry.h"
#include "swf/render/TextRender.h"

#include <QPainterPath>
#include <QPainterPathStroker>
#include <QPen>

#include <algorithm>
#include <array>
#include <cmath>
#include <list>
#include <map>
#include <unordered_map>

namespace swf::render {

QTransform toQTransform(const Matrix& m)
{
    return QTransform(m.scaleX.toDouble(), m.rotateSkew0.toDouble(), m.rotateSkew1.toDouble(), m.scaleY.toDouble(),
                      m.translateX.value, m.translateY.value);
}

namespace {

// What an edit text shows: its current text, or the text it was defined with.
QString shownText(const DisplayNode& node, const DefineEditText& edit)
{
    return node.text.isEmpty() && edit.initialText ? QString::fromStdString(*edit.initialText) : node.text;
}

// Aliased drawing moves everything by this much up and left (see Renderer::draw).
constexpr double aliasedTieShift = 1.0 / 64;

// Sprites inside sprites deeper than this are not drawn (the tree comes from the movie).
constexpr int maxNestingDepth = 64;
// Morph shapes kept at different ratios at once.
constexpr std::size_t maxMorphEntries = 256;
// Nine-sliced shapes kept at different scales at once, and the memory they may hold.
constexpr std::size_t maxSlicedEntries = 256;
constexpr std::size_t maxSlicedCost = 32u << 20;
// Off-screen layers alive at once (masks inside masks, blends inside blends); beyond
// this the effect is left out and the content drawn directly.
constexpr std::size_t maxLayerBytes = 256u << 20;

// Where drawing goes: the caller's painter or an off-screen layer. Device coordinates are
// those of the caller's painter; a layer covers `rect` of them.
struct Target {
    QPainter* painter = nullptr;
    QRect rect;

    QTransform toLocal(const QTransform& toDevice) const
    {
        return toDevice * QTransform::fromTranslate(-rect.x(), -rect.y());
    }
};

// An off-screen picture of part of the device, cleared to transparent.
struct Layer {
    QImage image;
    QPainter painter;
    Target target;

    Layer(const QRect& rect, bool antialias)
        : image(rect.size(), QImage::Format_ARGB32_Premultiplied)
    {
        image.fill(Qt::transparent);
        painter.begin(&image);
        painter.setRenderHint(QPainter::Antialiasing, antialias);
        painter.setRenderHint(QPainter::SmoothPixmapTransform, antialias);
        target.painter = &painter;
        target.rect = rect;
    }
};

bool isFinite(const QTransform& m)
{
    return std::isfinite(m.m11()) && std::isfinite(m.m12()) && std::isfinite(m.m21()) && std::isfinite(m.m22()) &&
        std::isfinite(m.dx()) && std::isfinite(m.dy()) && std::abs(m.dx()) < 1e9 && std::abs(m.dy()) < 1e9;
}

double transformScale(const QTransform& m)
{
    return std::sqrt(std::abs(m.determinant()));
}

// Nine-slice scaling along one axis of a sprite's space: the parts before the first grid
// line and after the second are drawn at `corner` times their size (one over the
// sprite's scale, so that they keep their size on the stage), the part between them is
// stretched to fill what remains of the bounds. The bounds' ends stay where they are.
struct SliceAxis {
    double lo = 0, gridLo = 0, gridHi = 0, hi = 0;
    double corner = 1, middle = 1;

    // False when there is nothing to slice (no room between the grid lines, no size).
    bool setUp(double boundsLo, double boundsHi, double grid0, double grid1, double scale)
    {
        lo = boundsLo;
        hi = boundsHi;
        gridLo = std::clamp(grid0, lo, hi);
        gridHi = std::clamp(grid1, lo, hi);
        if (!(gridHi > gridLo) || !(scale > 1e-9) || !std::isfinite(scale))
            return false;
        const double size = hi - lo;
        const double edges = (gridLo - lo) + (hi - gridHi);
        corner = 1.0 / scale;
        // Scaled below what the corners need: they shrink together and the middle
        // vanishes, rather than overlapping.
        if (edges * corner > size)
            corner = size / edges;
        middle = std::max(0.0, size - edges * corner) / (gridHi - gridLo);
        return true;
    }

    double map(double v) const
    {
        if (v <= gridLo)
            return lo + (v - lo) * corner;
        if (v >= gridHi)
            return hi - (hi - v) * corner;
        return lo + (gridLo - lo) * corner + (v - gridLo) * middle;
    }
};

struct Slicing {
    SliceAxis x, y;

    QPointF map(QPointF p) const { return QPointF(x.map(p.x()), y.map(p.y())); }
    // An axis-aligned box stays one under the mapping (each axis is monotonic).
    QRectF map(const QRectF& r) const { return QRectF(map(r.topLeft()), map(r.bottomRight())); }
};

// `path` (in a child's space, which `toSprite` maps to the sprite's) with every point
// moved by the slicing. Curves are moved by their control points.
QPainterPath slicePath(const QPainterPath& path, const Slicing& slicing, const QTransform& toSprite,
                       const QTransform& fromSprite)
{
    QPainterPath out = path;
    for (int i = 0; i < out.elementCount(); ++i) {
        const QPainterPath::Element e = out.elementAt(i);
        const QPointF p = fromSprite.map(slicing.map(toSprite.map(QPointF(e.x, e.y))));
        out.setElementPositionAt(i, p.x(), p.y());
    }
    return out;
}

Qt::PenCapStyle toQt(CapStyle c)
{
    switch (c) {
    case CapStyle::None: return Qt::FlatCap;
    case CapStyle::Square: return Qt::SquareCap;
    default: return Qt::RoundCap;
    }
}

Qt::PenJoinStyle toQt(JoinStyle j)
{
    switch (j) {
    case JoinStyle::Bevel: return Qt::BevelJoin;
    case JoinStyle::Miter: return Qt::SvgMiterJoin; // the limit is a ratio to the width, as in movies
    default: return Qt::RoundJoin;
    }
}

} // namespace

struct Renderer::Impl : BitmapProvider {
    explicit Impl(const CharacterLibrary& l)
        : lib(l)
        , text(l)
    {
    }

    const CharacterLibrary& lib;
    bool antialias = true;
    bool maskMode = false; // drawing the shape of a mask: every fill is opaque
    bool inBlendGroup = false; // drawing into the layer of a parent with a blend mode
    std::size_t layerBytes = 0;  // held by the layers alive now

    // Reserves room for `count` layers of `rect`; false when over the budget.
    bool reserveLayers(const QRect& rect, int count)
    {
        const std::size_t bytes = static_cast<std::size_t>(rect.width()) * static_cast<std::size_t>(rect.height()) * 4u
            * static_cast<std::size_t>(count);
        if (layerBytes + bytes > maxLayerBytes)
            return false;
        layerBytes += bytes;
        return true;
    }
    void releaseLayers(const QRect& rect, int count)
    {
        layerBytes -= static_cast<std::size_t>(rect.width()) * static_cast<std::size_t>(rect.height()) * 4u
            * static_cast<std::size_t>(count);
    }
    double stagePixelScale = 1.0; // device pixels per stage pixel

    std::unordered_map<const TagBody*, std::unique_ptr<ShapeGeometry>> shapes;
    using MorphKey = std::pair<const TagBody*, std::uint16_t>;
    std::list<MorphKey> morphOrder; // most recently used first
    std::map<MorphKey, std::pair<std::unique_ptr<ShapeGeometry>, std::list<MorphKey>::iterator>> morphs;

    // Shapes moved by a nine-slice grid, for the grid and placement they were last drawn
    // with; the least recently used go first.
    struct SliceKey {
        const TagBody* body = nullptr;
        std::uint16_t ratio = 0;
        std::array<double, 6> matrix{};
        std::array<double, 12> axes{};
        auto operator<=>(const SliceKey&) const = default;
    };
    struct Sliced {
        ShapeGeometry geometry;
        QRectF bounds; // what it may cover, in the shape's space
        std::list<SliceKey>::iterator order;
    };
    std::list<SliceKey> sliceOrder; // most recently used first
    std::map<SliceKey, Sliced> sliced;
    std::size_t slicedCost = 0;
    // The grid of the sprite whose children are being drawn (or hit), if it slices them.
    const Slicing* parentSlicing = nullptr;
    // From the device back to twips of the stage, for the scale a sprite is shown at.
    QTransform deviceToStage;
    bool slicingPossible = true;

    BitmapCache bitmaps;
    TextRender text;

    const QImage* bitmap(std::uint16_t id) override
    {
        if (const QImage* cached = bitmaps.find(id))
            return cached->isNull() ? nullptr : cached;
        const TagBody* body = lib.find(id);
        QImage image;
        if (!body)
            return nullptr;
        if (const auto* j = std::get_if<DefineBitsJpeg>(body))
            image = decodeJpegBitmap(*j, lib.jpegTables);
        else if (const auto* l = std::get_if<DefineBitsLossless>(body))
            image = decodeLosslessBitmap(*l);
        else
            return nullptr;
        const QImage* stored = bitmaps.insert(id, std::move(image));
        return stored->isNull() ? nullptr : stored;
    }

    BitmapCache clampedBitmaps{64u << 20};

    const QImage* clampedBitmap(std::uint16_t id) override
    {
        if (const QImage* cached = clampedBitmaps.find(id))
            return cached->isNull() ? nullptr : cached;
        const QImage* plain = bitmap(id);
        const QImage* stored = clampedBitmaps.insert(id, plain ? padImage(*plain, 1) : QImage());
        return stored->isNull() ? nullptr : stored;
    }

    static bool isBitmapTag(const TagBody* body)
    {
        return body && (std::holds_alternative<DefineBitsJpeg>(*body) || std::holds_alternative<DefineBitsLossless>(*body));
    }

    // A bitmap placed by itself covers its pixels at 20 twips each.
    QRectF bitmapBounds(const DisplayNode& node)
    {
        if (const auto* l = std::get_if<DefineBitsLossless>(node.character))
            return QRectF(0, 0, l->width * 20.0, l->height * 20.0);
        if (const QImage* img = bitmap(node.characterId))
            return QRectF(0, 0, img->width() * 20.0, img->height() * 20.0);
        return {};
    }

    const ShapeGeometry* shapeOf(const DisplayNode& node)
    {
        const TagBody* body = node.character;
        if (!body)
            return nullptr;
        if (const auto* s = std::get_if<DefineShape>(body)) {
            auto& slot = shapes[body];
            if (!slot)
                slot = std::make_unique<ShapeGeometry>(buildShape(s->styles, s->shape, s->usesFillWindingRule));
            return slot.get();
        }
        if (const auto* m = std::get_if<DefineMorphShape>(body)) {
            const MorphKey key{body, node.ratio};
            const auto it = morphs.find(key);
            if (it != morphs.end()) {
                morphOrder.splice(morphOrder.begin(), morphOrder, it->second.second);
                return it->second.first.get();
            }
            auto geo = std::make_unique<ShapeGeometry>(buildMorph(*m, node.ratio / 65535.0));
            morphOrder.push_front(key);
            const ShapeGeometry* result = geo.get();
            morphs.emplace(key, std::make_pair(std::move(geo), morphOrder.begin()));
            while (morphs.size() > maxMorphEntries) {
                morphs.erase(morphOrder.back());
                morphOrder.pop_back();
            }
            return result;
        }
        return nullptr;
    }

    static bool isShapeTag(const TagBody* body)
    {
        return body && (std::holds_alternative<DefineShape>(*body) || std::holds_alternative<DefineMorphShape>(*body));
    }

    // ---- nine-slice scaling --------------------------------------------------------

    struct SlicingScope {
        Impl* d;
        const Slicing* saved;
        SlicingScope(Impl* impl, const Slicing* s)
            : d(impl)
            , saved(impl->parentSlicing)
        {
            d->parentSlicing = s;
        }
        ~SlicingScope() { d->parentSlicing = saved; }
        SlicingScope(const SlicingScope&) = delete;
        SlicingScope& operator=(const SlicingScope&) = delete;
    };

    // How the shapes directly inside `node` are sliced when it is shown with `toStage`
    // (its accumulated matrix to twips of the stage), or nothing when they draw as they
    // are: no grid, not scaled, turned or skewed, or a grid with no middle within the
    // bounds.
    std::optional<Slicing> slicingFor(const DisplayNode& node, const QTransform& toStage, int level)
    {
        const Rect* grid = node.children.empty() ? nullptr : lib.scalingGrid(node.characterId);
        if (!grid)
            return std::nullopt;
        if (std::abs(toStage.m12()) > 1e-9 || std::abs(toStage.m21()) > 1e-9)
            return std::nullopt;
        const double sx = std::abs(toStage.m11());
        const double sy = std::abs(toStage.m22());
        if (std::abs(sx - 1.0) < 1e-9 && std::abs(sy - 1.0) < 1e-9)
            return std::nullopt;
        const QRectF b = localBounds(node, level);
        if (b.isEmpty())
            return std::nullopt;
        Slicing s;
        if (!s.x.setUp(b.left(), b.right(), grid->xMin.value, grid->xMax.value, sx) ||
            !s.y.setUp(b.top(), b.bottom(), grid->yMin.value, grid->yMax.value, sy))
            return std::nullopt;
        return s;
    }

    // The shape of `node` (a direct child of a sliced sprite) moved by `s`, kept for the
    // next frames; null when its matrix cannot be undone.
    const Sliced* slicedShape(const DisplayNode& node, const ShapeGeometry& g, const Slicing& s)
    {
        const QTransform toSprite = toQTransform(node.matrix);
        bool invertible = false;
        const QTransform fromSprite = toSprite.inverted(&invertible);
        if (!invertible)
            return nullptr;
        const SliceKey key{node.character,
                           node.ratio,
                           {toSprite.m11(), toSprite.m12(), toSprite.m21(), toSprite.m22(), toSprite.dx(), toSprite.dy()},
                           {s.x.lo, s.x.gridLo, s.x.gridHi, s.x.hi, s.x.corner, s.x.middle, s.y.lo, s.y.gridLo,
                            s.y.gridHi, s.y.hi, s.y.corner, s.y.middle}};
        const auto found = sliced.find(key);
        if (found != sliced.end()) {
            sliceOrder.splice(sliceOrder.begin(), sliceOrder, found->second.order);
            return &found->second;
        }
        Sliced entry;
        ShapeGeometry& out = entry.geometry;
        out.cut = g.cut;
        out.edges = g.edges;
        out.groups.reserve(g.groups.size());
        for (const StyleGroup& group : g.groups) {
            StyleGroup copy; // without the flattened and stroked paths of the unsliced shape
            copy.fills = group.fills;
            copy.lines = group.lines;
            for (const QPainterPath& p : group.fillPaths)
                copy.fillPaths.push_back(slicePath(p, s, toSprite, fromSprite));
            for (const QPainterPath& p : group.linePaths)
                copy.linePaths.push_back(slicePath(p, s, toSprite, fromSprite));
            out.groups.push_back(std::move(copy));
        }
        const auto sliceRect = [&](const QRectF& r) { return fromSprite.mapRect(s.map(toSprite.mapRect(r))); };
        out.bounds = sliceRect(g.bounds);
        // Lines keep their width, so what the shape covers reaches past its sliced
        // edges by as much as it did past the unsliced ones.
        const QRectF whole = localBounds(node, 0);
        const double margin = std::max({0.0, g.bounds.left() - whole.left(), g.bounds.top() - whole.top(),
                                        whole.right() - g.bounds.right(), whole.bottom() - g.bounds.bottom()});
        entry.bounds = out.bounds.adjusted(-margin, -margin, margin, margin);
        sliceOrder.push_front(key);
        entry.order = sliceOrder.begin();
        slicedCost += out.memoryCost();
        const Sliced* result = &sliced.emplace(key, std::move(entry)).first->second;
        while (sliced.size() > 1 && (sliced.size() > maxSlicedEntries || slicedCost > maxSlicedCost)) {
            const auto oldest = sliced.find(sliceOrder.back());
            slicedCost -= oldest->second.geometry.memoryCost();
            sliced.erase(oldest);
            sliceOrder.pop_back();
        }
        return result;
    }

    // The bounds of `node` as drawn inside a parent that slices it with `slicing`.
    QRectF drawnBounds(const DisplayNode& node, int level, const Slicing* slicing)
    {
        if (slicing && isShapeTag(node.character))
            if (const ShapeGeometry* g = shapeOf(node))
                if (const Sliced* sl = slicedShape(node, *g, *slicing))
                    return sl->bounds;
        return localBounds(node, level);
    }

    // ---- bounds --------------------------------------------------------------------

    QRectF localBounds(const DisplayNode& node, int level)
    {
        QRectF r;
        if (level > maxNestingDepth)
            return r;
        if (const TagBody* body = node.character) {
            if (const auto* s = std::get_if<DefineShape>(body)) {
                r = rectOf(s->bounds);
            } else if (const auto* m = std::get_if<DefineMorphShape>(body)) {
                r = rectOf(m->startBounds).united(rectOf(m->endBounds));
            } else if (const auto* t = std::get_if<DefineText>(body)) {
                r = toQTransform(t->matrix).mapRect(rectOf(t->bounds));
            } else if (const auto* e = std::get_if<DefineEditText>(body)) {
                r = rectOf(e->bounds);
            } else if (isBitmapTag(body)) {
                r = bitmapBounds(node);
            }
        }
        for (const DisplayNode& c : node.children) {
            const QRectF cb = localBounds(c, level + 1);
            if (!cb.isEmpty())
                r = r.united(toQTransform(c.matrix).mapRect(cb));
        }
        return r;
    }

    static QRectF rectOf(const Rect& r)
    {
        return QRectF(QPointF(r.xMin.value, r.yMin.value), QPointF(r.xMax.value, r.yMax.value)).normalized();
    }

    static QRect deviceRect(const QRectF& local, const QTransform& toDevice, const QRect& within, int margin = 2)
    {
        if (local.isEmpty())
            return {};
        const QRectF d = toDevice.mapRect(local);
        if (!std::isfinite(d.left()) || !std::isfinite(d.right()) || !std::isfinite(d.top()) || !std::isfinite(d.bottom()))
            return {};
        const QRectF clipped = d.adjusted(-margin, -margin, margin, margin).intersected(QRectF(within));
        return clipped.toAlignedRect().intersected(within);
    }

    // ---- drawing -------------------------------------------------------------------

    void drawChildren(Target& t, const std::vector<DisplayNode>& children, std::size_t begin, std::size_t end,
                      const QTransform& toDevice, const ColorXf& cx, int level)
    {
        for (std::size_t i = begin; i < end; ++i) {
            const DisplayNode& c = children[i];
            if (c.clipDepth > 0 && !maskMode) {
                std::size_t j = i + 1;
                while (j < end && children[j].depth <= c.clipDepth)
                    ++j;
                drawMasked(t, c, children, i + 1, j, toDevice, cx, level);
                i = j - 1;
                continue;
            }
            drawNode(t, c, toDevice, cx, level);
        }
    }

    void drawMasked(Target& t, const DisplayNode& mask, const std::vector<DisplayNode>& siblings, std::size_t begin,
                    std::size_t end, const QTransform& toDevice, const ColorXf& cx, int level)
    {
        if (begin >= end)
            return;
        const QTransform maskToDevice = toQTransform(mask.matrix) * toDevice;
        const QRect rect = deviceRect(drawnBounds(mask, level + 1, parentSlicing), maskToDevice, t.rect);
        if (rect.isEmpty())
            return;
        if (!reserveLayers(rect, 2)) {
            drawChildren(t, siblings, begin, end, toDevice, cx, level);
            return;
        }
        struct Release {
            Impl* d;
            QRect r;
            ~Release() { d->releaseLayers(r, 2); }
        } release{this, rect};
        Layer content(rect, antialias);
        drawChildren(content.target, siblings, begin, end, toDevice, cx, level);
        Layer shape(rect, antialias);
        const bool wasMask = maskMode;
        maskMode = true;
        drawNode(shape.target, mask, toDevice, cx, level, true);
        maskMode = wasMask;
        shape.painter.end();
        content.painter.resetTransform();
        content.painter.setOpacity(1.0);
        content.painter.setCompositionMode(QPainter::CompositionMode_DestinationIn);
        content.painter.drawImage(0, 0, shape.image);
        content.painter.end();
        composite(t, rect, content.image, QPainter::CompositionMode_SourceOver, 1.0);
    }

    static void composite(Target& t, const QRect& rect, const QImage& image, QPainter::CompositionMode mode, double opacity)
    {
        QPainter& p = *t.painter;
        p.save();
        p.resetTransform();
        p.setOpacity(opacity);
        p.setCompositionMode(mode);
        p.drawImage(rect.topLeft() - t.rect.topLeft(), image);
        p.restore();
    }

    void drawNode(Target& t, const DisplayNode& node, const QTransform& parentToDevice, const ColorXf& parentCx,
                  int level, bool ignoreVisibility = false)
    {
        // The slicing of the parent applies to this node only, not to what lies inside it.
        const Slicing* slicing = parentSlicing;
        const SlicingScope scope(this, nullptr);
        if ((!node.visible && !ignoreVisibility) || level > maxNestingDepth)
            return;
        QTransform toDevice = toQTransform(node.matrix) * parentToDevice;
        if (!isFinite(toDevice))
            return; // scales multiplied past what a double holds
        const ColorXf cx = maskMode ? parentCx : parentCx.then(ColorXf::from(node.colorTransform));
        if (!maskMode && cx.mult[3] <= 0.0f && cx.add[3] <= 0.0f)
            return; // fully transparent

        const BlendMode blend = node.blendMode;
        const bool filtered = !maskMode && hasDrawnFilter(node.filters);
        if (filtered || (!maskMode && node.cacheAsBitmap))
            toDevice = snappedToPixels(toDevice, drawnBounds(node, level, slicing));
        if (!maskMode && (blend == BlendMode::Alpha || blend == BlendMode::Erase) && !inBlendGroup)
            return; // these act on the layer of a blended parent; without one they show nothing
        const bool layered = !maskMode && (blend >= BlendMode::Layer || filtered);
        if (!layered) {
            drawContent(t, node, toDevice, cx, level, slicing);
            return;
        }
        const QMargins margins = filtered ? filterMargins(node.filters, stagePixelScale) : QMargins();
        // The layer reaches beyond the target by the filter margins, so that blurs near
        // the edge see what lies just outside.
        const QRect within = t.rect.marginsAdded(margins);
        const QRect rect = deviceRect(drawnBounds(node, level, slicing), toDevice, within, 2).marginsAdded(margins).intersected(within);
        if (rect.isEmpty() || !rect.intersects(t.rect))
            return;
        // The group is drawn opaque and faded as a whole.
        ColorXf inner = cx;
        const double opacity = std::clamp(static_cast<double>(cx.mult[3]), 0.0, 1.0);
        inner.mult[3] = 1.0f;
        if (!reserveLayers(rect, 1)) {
            drawContent(t, node, toDevice, cx, level, slicing);
            return;
        }
        struct Release {
            Impl* d;
            QRect r;
            ~Release() { d->releaseLayers(r, 1); }
        } release{this, rect};
        Layer layer(rect, antialias);
        const bool wasGroup = inBlendGroup;
        inBlendGroup = blend >= BlendMode::Layer;
        drawContent(layer.target, node, toDevice, inner, level, slicing);
        inBlendGroup = wasGroup;
        layer.painter.end();
        if (filtered)
            applyFilters(layer.image, node.filters, stagePixelScale);
        compositeBlend(t, rect, layer.image, blend, opacity);
    }

    // Objects drawn through a bitmap of their own (filters, cached as bitmap) are placed
    // by the movies' player with the top left of their bounds on a whole device pixel, so
    // their edges move by up to half a pixel against where the plain object would be.
    QTransform snappedToPixels(const QTransform& toDevice, const QRectF& bounds) const
    {
        if (bounds.isEmpty())
            return toDevice;
        // Aliased drawing is moved by the tie shift (see Renderer::draw); round without it.
        const double tie = antialias ? 0.0 : aliasedTieShift;
        const QPointF origin = toDevice.mapRect(bounds).topLeft() + QPointF(tie, tie);
        if (!std::isfinite(origin.x()) || !std::isfinite(origin.y()))
            return toDevice;
        return toDevice * QTransform::fromTranslate(std::round(origin.x()) - origin.x(), std::round(origin.y()) - origin.y());
    }

    // Every kind of filter is drawn, so any filter puts the object through a layer.
    static bool hasDrawnFilter(const std::vector<Filter>& filters) { return !filters.empty(); }

    void compositeBlend(Target& t, const QRect& rect, QImage& image, BlendMode blend, double opacity)
    {
        using CM = QPainter::CompositionMode;
        CM mode = CM::CompositionMode_SourceOver;
        switch (blend) {
        case BlendMode::Multiply: mode = CM::CompositionMode_Multiply; break;
        case BlendMode::Screen: mode = CM::CompositionMode_Screen; break;
        case BlendMode::Lighten: mode = CM::CompositionMode_Lighten; break;
        case BlendMode::Darken: mode = CM::CompositionMode_Darken; break;
        case BlendMode::Difference: mode = CM::CompositionMode_Difference; break;
        case BlendMode::Add: mode = CM::CompositionMode_Plus; break;
        case BlendMode::Overlay: mode = CM::CompositionMode_Overlay; break;
        case BlendMode::HardLight: mode = CM::CompositionMode_HardLight; break;
        case BlendMode::Alpha: mode = CM::CompositionMode_DestinationIn; break;
        case BlendMode::Erase: mode = CM::CompositionMode_DestinationOut; break;
        case BlendMode::Invert: {
            // Difference with white where the object covers: 255 − background.
            QPainter ip(&image);
            ip.setCompositionMode(CM::CompositionMode_SourceIn);
            ip.fillRect(image.rect(), Qt::white);
            ip.end();
            mode = CM::CompositionMode_Difference;
            break;
        }
        case BlendMode::Subtract:
            if (subtractInto(t, rect, image, opacity))
                return;
            mode = CM::CompositionMode_Difference;
            break;
        default: break;
        }
        composite(t, rect, image, mode, opacity);
    }

    // background − object, clamped; only where the target is a picture we can read.
    static bool subtractInto(Target& t, const QRect& rect, const QImage& image, double opacity)
    {
        QPaintDevice* dev = t.painter->device();
        if (!dev || dev->devType() != QInternal::Image)
            return false;
        auto* dst = static_cast<QImage*>(dev);
        if (dst->format() != QImage::Format_ARGB32_Premultiplied && dst->format() != QImage::Format_RGB32)
            return false;
        const QRect onDst = rect.translated(-t.rect.topLeft()).intersected(dst->rect());
        const int ox = rect.x() - t.rect.x(), oy = rect.y() - t.rect.y();
        const int k = std::clamp(static_cast<int>(opacity * 256), 0, 256);
        for (int y = onDst.top(); y <= onDst.bottom(); ++y) {
            auto* d = reinterpret_cast<QRgb*>(dst->scanLine(y));
            const auto* s = reinterpret_cast<const QRgb*>(image.constScanLine(y - oy));
            for (int x = onDst.left(); x <= onDst.right(); ++x) {
                const QRgb sp = s[x - ox];
                const QRgb dp = d[x];
                d[x] = qRgba(std::max(0, qRed(dp) - qRed(sp) * k / 256), std::max(0, qGreen(dp) - qGreen(sp) * k / 256),
                             std::max(0, qBlue(dp) - qBlue(sp) * k / 256), qAlpha(dp));
            }
        }
        return true;
    }

    void drawContent(Target& t, const DisplayNode& node, const QTransform& toDevice, const ColorXf& cx, int level,
                     const Slicing* slicing)
    {
        if (const TagBody* body = node.character) {
            if (isShapeTag(body)) {
                if (const ShapeGeometry* g = shapeOf(node)) {
                    const Sliced* sl = slicing ? slicedShape(node, *g, *slicing) : nullptr;
                    drawGeometry(t, sl ? sl->geometry : *g, toDevice, cx);
                }
            } else if (const auto* st = std::get_if<DefineText>(body)) {
                text.drawStatic(*t.painter, *st, t.toLocal(toDevice), cx, maskMode, glyphFill(t));
            } else if (const auto* et = std::get_if<DefineEditText>(body)) {
                text.drawEdit(*t.painter, *et, shownText(node, *et), node.scroll, t.toLocal(toDevice), cx, maskMode,
                              glyphFill(t));
            } else if (isBitmapTag(body)) {
                drawBitmap(t, node, toDevice, cx);
            }
        }
        if (!node.children.empty()) {
            std::optional<Slicing> own;
            if (slicingPossible)
                own = slicingFor(node, toDevice * deviceToStage, level);
            const SlicingScope scope(this, own ? &*own : nullptr);
            drawChildren(t, node.children, 0, node.children.size(), toDevice, cx, level + 1);
        }
    }

    void drawBitmap(Target& t, const DisplayNode& node, const QTransform& toDevice, const ColorXf& cx)
    {
        QPainter& p = *t.painter;
        p.setTransform(QTransform::fromScale(20, 20) * t.toLocal(toDevice));
        if (maskMode) {
            const QRectF r = bitmapBounds(node);
            p.fillRect(QRectF(0, 0, r.width() / 20, r.height() / 20), Qt::black);
            return;
        }
        const QImage* img = bitmap(node.characterId);
        if (!img)
            return;
        p.setRenderHint(QPainter::SmoothPixmapTransform, antialias);
        if (cx.isIdentity()) {
            p.drawImage(0, 0, *img);
        } else if (cx.isAlphaOnly()) {
            p.save();
            p.setOpacity(std::clamp(static_cast<double>(cx.mult[3]), 0.0, 1.0));
            p.drawImage(0, 0, *img);
            p.restore();
        } else {
            p.drawImage(0, 0, transformImage(*img, cx));
        }
    }

    TextRender::GlyphFill glyphFill(Target& t)
    {
        return [this, &t](const QPainterPath& path, const QColor& color, const QTransform& toLocal) {
            t.painter->setTransform(toLocal);
            fillLocal(t, path, QBrush(color), toLocal);
        };
    }

    void fillShapePath(Target& t, const QPainterPath& path, const QBrush& brush, const QTransform& toDevice)
    {
        fillLocal(t, path, brush, t.toLocal(toDevice));
    }

    // Anti-aliased: Qt fills. Aliased: the pixels the movies' rules pick (Scanline.h).
    // The painter's transform is `toLocal`.
    void fillLocal(Target& t, const QPainterPath& path, const QBrush& brush, const QTransform& toLocal)
    {
        QPainter& p = *t.painter;
        if (antialias) {
            p.fillPath(path, brush);
            return;
        }
        QRegion region;
        if (!scanlineRegion(path, toLocal * QTransform::fromTranslate(aliasedTieShift, aliasedTieShift),
                            QRect(QPoint(0, 0), t.rect.size()), region)) {
            p.fillPath(path, brush);
            return;
        }
        if (region.isEmpty())
            return;
        p.save();
        p.resetTransform();
        p.setClipRegion(region, Qt::IntersectClip);
        QBrush local = brush;
        if (brush.style() != Qt::SolidPattern)
            local.setTransform(brush.transform() * toLocal);
        p.fillRect(region.boundingRect(), local);
        p.restore();
    }

    void drawGeometry(Target& t, const ShapeGeometry& g, const QTransform& toDevice, const ColorXf& cx)
    {
        QPainter& p = *t.painter;
        p.setTransform(t.toLocal(toDevice));
        const double scale = transformScale(toDevice);
        const bool flatten = antialias && scale > 0 && std::isfinite(scale);
        // Four steps per doubling of the scale; curves within a fifth of a pixel.
        const int step = flatten ? static_cast<int>(std::floor(std::log2(scale) * 4)) : 0;
        const double tolerance = flatten ? 0.2 / std::exp2((step + 1) / 4.0) : 0;
        for (const StyleGroup& group : g.groups) {
            if (flatten && group.flatScaleStep != step) {
                group.flatFills.resize(group.fillPaths.size());
                for (std::size_t i = 0; i < group.fillPaths.size(); ++i)
                    group.flatFills[i] = flattenPath(group.fillPaths[i], tolerance);
                group.flatScaleStep = step;
            }
            for (std::size_t i = 0; i < group.fillPaths.size() && i < group.fills.size(); ++i) {
                const QPainterPath& path = flatten ? group.flatFills[i] : group.fillPaths[i];
                if (path.isEmpty())
                    continue;
                if (maskMode) {
                    fillShapePath(t, path, QBrush(Qt::black), toDevice);
                    continue;
                }
                const FillBrush b = makeBrush(group.fills[i], cx, this);
                if (!b.valid)
                    continue;
                if (b.bitmap)
                    p.setRenderHint(QPainter::SmoothPixmapTransform, b.smooth && antialias);
                fillShapePath(t, path, b.brush, toDevice);
            }
            if (maskMode)
                continue; // a mask is the area of its fills; its lines do not count
            for (std::size_t i = 0; i < group.linePaths.size() && i < group.lines.size(); ++i) {
                const QPainterPath& path = group.linePaths[i];
                if (path.isEmpty())
                    continue;
                QPen pen;
                if (!makePen(group.lines[i], cx, toDevice, pen))
                    continue;
                // Filled as an outline: Qt draws pens of one pixel or less with a line
                // algorithm whose pixels differ from those of the same outline filled.
                QPainterPath area;
                if (!antialias &&
                    aliasedStrokeArea(path, pen, toQt(group.lines[i].endCap), t.toLocal(toDevice), area)) {
                    // Aliased: pieces, joins and caps as polygons (AliasedStroke.h).
                    fillShapePath(t, area, pen.brush(), toDevice);
                    continue;
                }
                if (group.strokes.size() != group.linePaths.size())
                    group.strokes.resize(group.linePaths.size());
                StyleGroup::Stroke& stroke = group.strokes[i];
                if (stroke.width != pen.widthF() || stroke.scaleStep != step) {
                    QPainterPathStroker stroker(pen);
                    stroke.outline = stroker.createStroke(path);
                    if (flatten)
                        stroke.outline = flattenPath(stroke.outline, tolerance);
                    stroke.width = pen.widthF();
                    stroke.scaleStep = step;
                }
                fillShapePath(t, stroke.outline, pen.brush(), toDevice);
            }
        }
    }

    bool makePen(const LineStyle& l, const ColorXf& cx, const QTransform& toDevice, QPen& pen)
    {
        QBrush brush;
        if (maskMode) {
            brush = QBrush(Qt::black);
        } else if (l.fill) {
            const FillBrush b = makeBrush(*l.fill, cx, this);
            if (!b.valid)
                return false;
            brush = b.brush;
        } else {
            brush = QBrush(cx.color(l.color));
        }
        pen = QPen(brush, 1.0, Qt::SolidLine, toQt(l.startCap), toQt(l.join));
        if (l.join == JoinStyle::Miter)
            pen.setMiterLimit(std::max(1.0, l.miterLimit.toDouble()));
        const double twips = std::max(0, l.width.value);
        // Width in device pixels; lines never get thinner than one pixel.
        double device = twips * transformScale(toDevice);
        const bool fixedWidth = l.noHScale || l.noVScale;
        if (fixedWidth)
            device = twips / 20.0 * stagePixelScale;
        // Lines are stroked as outlines in the shape's space (not as cosmetic pens) so
        // that aliased drawing puts their pixels where the fills expect them.
        const double scale = transformScale(toDevice);
        if (scale <= 0.0 || !std::isfinite(scale))
            return false;
        if (device < 1.0)
            pen.setWidthF(1.0 / scale);
        else if (fixedWidth)
            pen.setWidthF(device / scale);
        else
            pen.setWidthF(twips);
        return true;
    }

    // ---- hit tests -----------------------------------------------------------------

    bool hit(const DisplayNode& node, const QTransform& toStage, QPointF point, int level,
             const Slicing* slicing = nullptr)
    {
        if (level > maxNestingDepth)
            return false;
        bool invertible = false;
        const QTransform inv = toStage.inverted(&invertible);
        if (invertible && node.character) {
            const QPointF local = inv.map(point);
            const TagBody* body = node.character;
            if (isShapeTag(body)) {
                if (const ShapeGeometry* g = shapeOf(node)) {
                    const Sliced* sl = slicing ? slicedShape(node, *g, *slicing) : nullptr;
                    const ShapeGeometry& shown = sl ? sl->geometry : *g;
                    if (shown.bounds.adjusted(-400, -400, 400, 400).contains(local) && hitGeometry(shown, local))
                        return true;
                }
            } else if (std::holds_alternative<DefineText>(*body) || std::holds_alternative<DefineEditText>(*body) ||
                       isBitmapTag(body)) {
                if (localBounds(node, level).contains(local))
                    return true;
            }
        }
        const std::optional<Slicing> own = slicingFor(node, toStage, level);
        for (const DisplayNode& c : node.children) {
            if (!c.visible || c.clipDepth > 0)
                continue;
            if (hit(c, toQTransform(c.matrix) * toStage, point, level + 1, own ? &*own : nullptr))
                return true;
        }
        return false;
    }

    static bool hitGeometry(const ShapeGeometry& g, QPointF local)
    {
        for (const StyleGroup& group : g.groups) {
            for (const QPainterPath& p : group.fillPaths)
                if (!p.isEmpty() && p.contains(local))
                    return true;
            for (std::size_t i = 0; i < group.linePaths.size() && i < group.lines.size(); ++i) {
                const QPainterPath& p = group.linePaths[i];
                if (p.isEmpty())
                    continue;
                QPainterPathStroker stroker;
                stroker.setWidth(std::max(20, group.lines[i].width.value));
                if (stroker.createStroke(p).contains(local))
                    return true;
            }
        }
        return false;
    }
};

Renderer::Renderer(const CharacterLibrary& library)
    : d(std::make_unique<Impl>(library))
{
}

Renderer::~Renderer() = default;

void Renderer::draw(QPainter& painter, const DisplayNode& root, const QTransform& stageToDevice, bool antialias)
{
    QPaintDevice* dev = painter.device();
    if (!dev)
        return;
    painter.save();
    const QTransform base = painter.worldTransform();
    d->antialias = antialias;
    d->maskMode = false;
    d->inBlendGroup = false;
    d->layerBytes = 0;
    d->stagePixelScale = transformScale(stageToDevice * base) * 20.0;
    painter.setRenderHint(QPainter::Antialiasing, antialias);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, antialias);
    Target t;
    t.painter = &painter;
    t.rect = QRect(0, 0, dev->width(), dev->height());
    QTransform toDevice = stageToDevice * base;
    if (!antialias) {
        // Aliased drawing fills a pixel whose centre lies on a left or top edge and not
        // one on a right or bottom edge; Qt decides ties the other way round. A shift
        // smaller than a twip moves the ties without moving anything else.
        toDevice *= QTransform::fromTranslate(-aliasedTieShift, -aliasedTieShift);
    }
    bool invertible = false;
    d->deviceToStage = toDevice.inverted(&invertible);
    d->slicingPossible = invertible;
    d->parentSlicing = nullptr;
    d->drawNode(t, root, toDevice, ColorXf{}, 0);
    painter.restore();
}

bool Renderer::hitTest(const DisplayNode& node, const QTransform& nodeToStage, QPointF stagePoint)
{
    return d->hit(node, nodeToStage, stagePoint, 0);
}

QRectF Renderer::bounds(const DisplayNode& node)
{
    return d->localBounds(node, 0);
}

EditTextLines Renderer::editTextLines(const DisplayNode& node)
{
    const auto* edit = node.character ? std::get_if<DefineEditText>(node.character) : nullptr;
    return edit ? d->text.editLines(*edit, shownText(node, *edit)) : EditTextLines{0, 1};
}

void Renderer::clear()
{
    d->shapes.clear();
    d->bitmaps.clear();
    d->clampedBitmaps.clear();
    d->text.clear();
    d->morphs.clear();
    d->morphOrder.clear();
    d->sliced.clear();
    d->sliceOrder.clear();
    d->slicedCost = 0;
}

} // namespace swf::render
