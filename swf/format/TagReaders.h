#pragma once
// Internal to the reader: one function per tag or record kind, grouped by area in
// ShapeReader.cpp, TextReader.cpp, DisplayReader.cpp, MediaReader.cpp, ActionReader.cpp.
// Each reads from a BitReader bounded to the tag body and throws ReadError when the
// body is too short or holds a value the format does not allow.
#include "swf/format/BitReader.h"
#include "swf/format/Movie.h"

#include <cstdint>

namespace swf::detail {

// Shapes (shapeVersion 1..4 selects colours with alpha and the second line style).
FillStyle readFillStyle(BitReader& r, int shapeVersion);
ShapeStyles readShapeStyles(BitReader& r, int shapeVersion);
// endsWithData: the records may stop at the end of the data without an end record.
Shape readShapeRecords(BitReader& r, int shapeVersion, bool allowNewStyles, bool endsWithData = false);
DefineShape readDefineShape(BitReader& r, int version);
DefineMorphShape readDefineMorphShape(BitReader& r, int version);

// Fonts and texts.
DefineFont readDefineFont1(BitReader& r);
DefineFont readDefineFont23(BitReader& r, int version);
DefineFont4 readDefineFont4(BitReader& r);
DefineFontInfo readDefineFontInfo(BitReader& r, int version);
DefineFontAlignZones readDefineFontAlignZones(BitReader& r);
DefineFontName readDefineFontName(BitReader& r);
CsmTextSettings readCsmTextSettings(BitReader& r);
DefineText readDefineText(BitReader& r, int version);
DefineEditText readDefineEditText(BitReader& r);

// Display list and buttons (swfVersion decides the width of clip event flags).
std::vector<Filter> readFilters(BitReader& r);
PlaceObject readPlaceObject(BitReader& r, int version, std::uint8_t swfVersion);
DefineButton readDefineButton(BitReader& r, int version, std::uint8_t swfVersion);
DefineButtonSound readDefineButtonSound(BitReader& r);

// Bitmaps, sounds, video.
DefineBitsJpeg readDefineBitsJpeg(BitReader& r, int version);
DefineBitsLossless readDefineBitsLossless(BitReader& r, int version);
SoundInfo readSoundInfo(BitReader& r);
DefineSound readDefineSound(BitReader& r);
SoundStreamHead readSoundStreamHead(BitReader& r, int version);
DefineVideoStream readDefineVideoStream(BitReader& r);
VideoFrame readVideoFrame(BitReader& r);

// Action blocks: keeps the bytes, decodes what it can; never throws.
ActionBlock readActionBlock(std::span<const std::uint8_t> bytes, std::uint8_t swfVersion);

} // namespace swf::detail
