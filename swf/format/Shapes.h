#pragma once
// Shapes and morph shapes: fill and line styles, edge records, the shape tags.
#include "swf/format/Units.h"

#include <cstdint>
#include <optional>
#include <variant>
#include <vector>

namespace swf {

enum class SpreadMode : std::uint8_t { Pad = 0, Reflect = 1, Repeat = 2, Reserved = 3 };
enum class InterpolationMode : std::uint8_t { Normal = 0, Linear = 1, Reserved2 = 2, Reserved3 = 3 };

struct GradientRecord {
    std::uint8_t ratio = 0;
    Rgba color;
    bool operator==(const GradientRecord&) const = default;
};

struct Gradient {
    Matrix matrix; // maps the gradient square (-16384..16384 twips) into shape space
    SpreadMode spread = SpreadMode::Pad;
    InterpolationMode interpolation = InterpolationMode::Normal;
    std::vector<GradientRecord> records;
    Fixed8 focalPoint; // focal radial gradients only; -1..1
    bool operator==(const Gradient&) const = default;
};

enum class FillType : std::uint8_t {
    Solid = 0x00,
    LinearGradient = 0x10,
    RadialGradient = 0x12,
    FocalRadialGradient = 0x13,
    RepeatingBitmap = 0x40,
    ClippedBitmap = 0x41,
    NonSmoothedRepeatingBitmap = 0x42,
    NonSmoothedClippedBitmap = 0x43,
};

constexpr bool isGradientFill(FillType t)
{
    return t == FillType::LinearGradient || t == FillType::RadialGradient || t == FillType::FocalRadialGradient;
}
constexpr bool isBitmapFill(FillType t)
{
    return static_cast<std::uint8_t>(t) >= 0x40 && static_cast<std::uint8_t>(t) <= 0x43;
}

struct FillStyle {
    FillType type = FillType::Solid;
    Rgba color;              // Solid
    Gradient gradient;       // gradient fills
    std::uint16_t bitmapId = 0; // bitmap fills; 0xFFFF means none
    Matrix bitmapMatrix;     // bitmap fills
    bool operator==(const FillStyle&) const = default;
};

enum class CapStyle : std::uint8_t { Round = 0, None = 1, Square = 2 };
enum class JoinStyle : std::uint8_t { Round = 0, Bevel = 1, Miter = 2 };

// Line styles of every shape version; the fields after color are those of the
// second line style record (shape 4) and keep their defaults otherwise.
struct LineStyle {
    Twips width;
    Rgba color;
    CapStyle startCap = CapStyle::Round;
    CapStyle endCap = CapStyle::Round;
    JoinStyle join = JoinStyle::Round;
    Fixed8 miterLimit{3 * 256};
    bool noHScale = false;
    bool noVScale = false;
    bool pixelHinting = false;
    bool noClose = false;
    std::optional<FillStyle> fill; // the line is filled with this style instead of color
    bool operator==(const LineStyle&) const = default;
};

struct ShapeStyles {
    std::vector<FillStyle> fills;
    std::vector<LineStyle> lines;
    bool operator==(const ShapeStyles&) const = default;
};

// Style indices are 1-based into the current style arrays; 0 means none.
struct StyleChangeRecord {
    std::optional<std::pair<Twips, Twips>> moveTo; // absolute position
    std::optional<std::uint32_t> fillStyle0;
    std::optional<std::uint32_t> fillStyle1;
    std::optional<std::uint32_t> lineStyle;
    std::optional<ShapeStyles> newStyles; // replaces the style arrays from here on
    bool operator==(const StyleChangeRecord&) const = default;
};

// Edges are relative to the current pen position.
struct StraightEdgeRecord {
    Twips dx, dy;
    bool operator==(const StraightEdgeRecord&) const = default;
};

struct CurvedEdgeRecord {
    Twips controlDx, controlDy; // control point, relative to the pen
    Twips anchorDx, anchorDy;   // anchor point, relative to the control point
    bool operator==(const CurvedEdgeRecord&) const = default;
};

using ShapeRecord = std::variant<StyleChangeRecord, StraightEdgeRecord, CurvedEdgeRecord>;

// A shape without style arrays of its own (glyphs, morph end edges).
struct Shape {
    std::vector<ShapeRecord> records;
    bool operator==(const Shape&) const = default;
};

// DefineShape, DefineShape2, DefineShape3, DefineShape4 (version 1..4).
struct DefineShape {
    std::uint8_t version = 1;
    std::uint16_t id = 0;
    Rect bounds;
    Rect edgeBounds; // version 4; equal to bounds otherwise
    bool usesFillWindingRule = false;
    bool usesNonScalingStrokes = false;
    bool usesScalingStrokes = false;
    ShapeStyles styles;
    Shape shape;
};

struct MorphGradientRecord {
    std::uint8_t startRatio = 0;
    Rgba startColor;
    std::uint8_t endRatio = 0;
    Rgba endColor;
};

struct MorphFillStyle {
    FillType type = FillType::Solid;
    Rgba startColor, endColor;
    Matrix startMatrix, endMatrix; // gradient or bitmap matrices
    SpreadMode spread = SpreadMode::Pad;
    InterpolationMode interpolation = InterpolationMode::Normal;
    std::vector<MorphGradientRecord> gradient;
    Fixed8 startFocalPoint, endFocalPoint;
    std::uint16_t bitmapId = 0;
};

struct MorphLineStyle {
    Twips startWidth, endWidth;
    Rgba startColor, endColor;
    CapStyle startCap = CapStyle::Round;
    CapStyle endCap = CapStyle::Round;
    JoinStyle join = JoinStyle::Round;
    Fixed8 miterLimit{3 * 256};
    bool noHScale = false;
    bool noVScale = false;
    bool pixelHinting = false;
    bool noClose = false;
    std::optional<MorphFillStyle> fill;
};

// DefineMorphShape (version 1) and DefineMorphShape2 (version 2).
struct DefineMorphShape {
    std::uint8_t version = 1;
    std::uint16_t id = 0;
    Rect startBounds, endBounds;
    Rect startEdgeBounds, endEdgeBounds; // version 2
    bool usesNonScalingStrokes = false;
    bool usesScalingStrokes = false;
    std::vector<MorphFillStyle> fills;
    std::vector<MorphLineStyle> lines;
    Shape startEdges;
    Shape endEdges;
};

// DefineScalingGrid: nine-slice scaling of a sprite or button.
struct DefineScalingGrid {
    std::uint16_t characterId = 0;
    Rect splitter;
};

} // namespace swf
