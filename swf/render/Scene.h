#pragma once
// What the renderer draws: the characters of a movie and a snapshot of the display list
// as a tree of placed characters. The player builds the tree; the renderer only reads it.
#include "swf/format/Movie.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

namespace swf {

// The characters of one movie by id, and what the old JPEG bitmaps share. The pointers
// point into the Movie the player keeps; they stay valid while that movie is loaded.
struct CharacterLibrary {
    // DefineShape, DefineMorphShape, DefineBitsJpeg, DefineBitsLossless, DefineFont,
    // DefineText, DefineEditText, DefineButton, DefineSprite, DefineVideoStream, ...
    std::unordered_map<std::uint16_t, const TagBody*> characters;
    // Font names and flags of version-1 fonts (DefineFontInfo), by font id.
    std::unordered_map<std::uint16_t, const DefineFontInfo*> fontInfo;
    // Nine-slice grids (DefineScalingGrid) of sprites and buttons, by character id, in
    // twips of the character's own space.
    std::unordered_map<std::uint16_t, Rect> scalingGrids;
    const JpegTables* jpegTables = nullptr;
    std::uint8_t swfVersion = 0;

    const TagBody* find(std::uint16_t id) const
    {
        const auto it = characters.find(id);
        return it == characters.end() ? nullptr : it->second;
    }

    const Rect* scalingGrid(std::uint16_t id) const
    {
        const auto it = scalingGrids.find(id);
        return it == scalingGrids.end() ? nullptr : &it->second;
    }
};

// One placed character. Matrix and colour transform are relative to the parent node.
struct DisplayNode {
    std::uint16_t depth = 0;
    std::uint16_t characterId = 0;
    const TagBody* character = nullptr; // null for the root of the stage
    Matrix matrix;
    ColorTransform colorTransform;
    std::uint16_t ratio = 0;     // morph shapes: 0 = start shape, 65535 = end shape
    std::uint16_t clipDepth = 0; // non-zero: a mask over the siblings at depths up to this
    BlendMode blendMode = BlendMode::Normal;
    std::vector<Filter> filters;
    bool visible = true;
    bool cacheAsBitmap = false;
    std::optional<Rgba> opaqueBackground;
    QString text;   // edit text: the text it shows now
    int scroll = 1; // edit text: the first line shown, from 1
    // Sprites and buttons: their own display list (for a button, its current state),
    // sorted by depth, bottom first.
    std::vector<DisplayNode> children;
};

} // namespace swf
