#pragma once
// Shape records turned into drawable paths: one closed path per fill style and one open
// path per line style, grouped by the style arrays they were drawn with (DefineShape2 and
// later may start new arrays halfway; each group draws over the one before).
#include "swf/format/Shapes.h"
#include "swf/format/Text.h"

#include <QPainterPath>
#include <QRectF>

#include <cstddef>
#include <vector>

namespace swf::render {

struct StyleGroup {
    std::vector<FillStyle> fills;
    std::vector<LineStyle> lines;
    std::vector<QPainterPath> fillPaths; // fillPaths[i] belongs to fills[i]; may be empty
    std::vector<QPainterPath> linePaths; // linePaths[i] belongs to lines[i]

    // The outline of each line at the width it was last drawn with, so that a shape
    // drawn at the same scale frame after frame is stroked once.
    struct Stroke {
        double width = -1;
        int scaleStep = 0; // of the flattening, as for flatFills
        QPainterPath outline;
    };
    mutable std::vector<Stroke> strokes;

    // The fill paths with curves replaced by lines fine enough for the scale they were
    // last drawn at (Qt would otherwise subdivide every curve on every draw).
    mutable std::vector<QPainterPath> flatFills;
    mutable int flatScaleStep = 0x7FFFFFFF;
};

struct ShapeGeometry {
    std::vector<StyleGroup> groups;
    QRectF bounds;      // of the edges, in twips
    bool cut = false;   // the shape had more edges than the limit and was cut
    std::size_t edges = 0;

    // A rough figure of the memory the paths hold, for cache budgets.
    std::size_t memoryCost() const { return 256 + edges * 64; }
};

// More edges than this in one shape are dropped; what came before still draws.
inline constexpr std::size_t maxShapeEdges = 1u << 18;

ShapeGeometry buildShape(const ShapeStyles& styles, const Shape& shape, bool windingRule,
                         std::size_t edgeLimit = maxShapeEdges);

// A morph shape between its start (t = 0) and end (t = 1) shapes.
ShapeGeometry buildMorph(const DefineMorphShape& morph, double t, std::size_t edgeLimit = maxShapeEdges);

// The outline of one font glyph, in glyph units.
QPainterPath buildGlyph(const Shape& glyph, std::size_t edgeLimit = maxShapeEdges);

// `path` with every curve replaced by straight lines that stay within `tolerance` of it.
QPainterPath flattenPath(const QPainterPath& path, double tolerance);

// Styles of a morph shape at t.
FillStyle morphFill(const MorphFillStyle& f, double t);
LineStyle morphLine(const MorphLineStyle& l, double t);

} // namespace swf::render
