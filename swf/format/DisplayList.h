#pragma once
// Display list tags: placing, changing and removing characters, their filters, blend
// modes and clip actions.
#include "swf/format/Actions.h"
#include "swf/format/Units.h"

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace swf {

enum class BlendMode : std::uint8_t {
    Normal = 0, // 0 and 1 both mean normal
    Layer = 2, Multiply = 3, Screen = 4, Lighten = 5, Darken = 6, Difference = 7,
    Add = 8, Subtract = 9, Invert = 10, Alpha = 11, Erase = 12, Overlay = 13, HardLight = 14,
};

struct DropShadowFilter {
    Rgba color;
    Fixed16 blurX, blurY, angle, distance;
    Fixed8 strength;
    bool inner = false, knockout = false, compositeSource = false;
    std::uint8_t passes = 1;
};

struct BlurFilter {
    Fixed16 blurX, blurY;
    std::uint8_t passes = 1;
};

struct GlowFilter {
    Rgba color;
    Fixed16 blurX, blurY;
    Fixed8 strength;
    bool inner = false, knockout = false, compositeSource = false;
    std::uint8_t passes = 1;
};

struct BevelFilter {
    Rgba shadowColor, highlightColor;
    Fixed16 blurX, blurY, angle, distance;
    Fixed8 strength;
    bool inner = false, knockout = false, compositeSource = false, onTop = false;
    std::uint8_t passes = 1;
};

// GradientGlow (bevel = false) and GradientBevel (bevel = true).
struct GradientFilter {
    bool bevel = false;
    std::vector<Rgba> colors;
    std::vector<std::uint8_t> ratios;
    Fixed16 blurX, blurY, angle, distance;
    Fixed8 strength;
    bool inner = false, knockout = false, compositeSource = false, onTop = false;
    std::uint8_t passes = 1;
};

struct ConvolutionFilter {
    std::uint8_t matrixX = 0, matrixY = 0;
    float divisor = 1, bias = 0;
    std::vector<float> matrix; // matrixX * matrixY values, row by row
    Rgba defaultColor;
    bool clamp = false, preserveAlpha = false;
};

struct ColorMatrixFilter {
    float matrix[20] = {};
};

using Filter = std::variant<DropShadowFilter, BlurFilter, GlowFilter, BevelFilter,
    GradientFilter, ConvolutionFilter, ColorMatrixFilter>;

// Clip event bits, laid out as in the 32-bit records of version 6 and later. Movies of
// version 5 and earlier store only the first 16 of them.
namespace ClipEvent {
inline constexpr std::uint32_t KeyUp = 1u << 7, KeyDown = 1u << 6, MouseUp = 1u << 5,
    MouseDown = 1u << 4, MouseMove = 1u << 3, Unload = 1u << 2, EnterFrame = 1u << 1,
    Load = 1u << 0, DragOver = 1u << 15, RollOut = 1u << 14, RollOver = 1u << 13,
    ReleaseOutside = 1u << 12, Release = 1u << 11, Press = 1u << 10, Initialize = 1u << 9,
    Data = 1u << 8, Construct = 1u << 18, KeyPress = 1u << 17, DragOut = 1u << 16;
}

struct ClipAction {
    std::uint32_t events = 0; // ClipEvent bits
    std::uint8_t keyCode = 0; // with ClipEvent::KeyPress
    ActionBlock actions;
};

// PlaceObject (version 1), PlaceObject2 and PlaceObject3. Absent fields keep what the
// object at that depth already has.
struct PlaceObject {
    std::uint8_t version = 1;
    std::uint16_t depth = 0;
    bool move = false; // modify the object at depth instead of placing a new one
    std::optional<std::uint16_t> characterId;
    std::optional<std::string> className; // version 3
    std::optional<Matrix> matrix;
    std::optional<ColorTransform> colorTransform;
    std::optional<std::uint16_t> ratio;
    std::optional<std::string> name;
    std::optional<std::uint16_t> clipDepth;
    std::optional<std::vector<Filter>> filters;
    std::optional<BlendMode> blendMode;
    std::optional<bool> cacheAsBitmap;
    std::optional<bool> visible;
    std::optional<Rgba> backgroundColor;
    bool hasImage = false;
    std::vector<ClipAction> clipActions;
};

// RemoveObject (version 1, with the character id) and RemoveObject2.
struct RemoveObject {
    std::uint8_t version = 1;
    std::uint16_t characterId = 0;
    std::uint16_t depth = 0;
};

} // namespace swf
