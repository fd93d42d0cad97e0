#pragma once
// A whole movie as read: the header, the typed tags of the root timeline (sprites hold
// their own) and, if reading stopped early, why and where.
#include "swf/format/Bitmaps.h"
#include "swf/format/Buttons.h"
#include "swf/format/Control.h"
#include "swf/format/DisplayList.h"
#include "swf/format/Shapes.h"
#include "swf/format/Sounds.h"
#include "swf/format/TagCode.h"
#include "swf/format/Text.h"
#include "swf/format/Units.h"

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace swf {

struct Tag;

struct DefineSprite {
    std::uint16_t id = 0;
    std::uint16_t frameCount = 0;
    std::vector<Tag> tags;
};

using TagBody = std::variant<UnknownTag, End, ShowFrame, DefineShape, DefineMorphShape,
    DefineScalingGrid, JpegTables, DefineBitsJpeg, DefineBitsLossless, DefineFont,
    DefineFont4, DefineFontInfo, DefineFontAlignZones, DefineFontName, CsmTextSettings,
    DefineText, DefineEditText, DefineButton, DefineButtonCxform, DefineButtonSound,
    DefineSound, StartSound, SoundStreamHead, SoundStreamBlock, DefineVideoStream,
    VideoFrame, PlaceObject, RemoveObject, DoAction, DoInitAction, DefineSprite,
    SetBackgroundColor, FrameLabel, FileAttributes, Metadata, ExportAssets, SymbolClass,
    ImportAssets, ScriptLimits, SetTabIndex, Protect, EnableDebugger, EnableTelemetry,
    DebugId, ProductInfo, DefineSceneAndFrameLabelData, DoAbc, DefineBinaryData>;

struct Tag {
    std::uint16_t code = 0;   // the TagCode; several codes share one body type
    std::uint32_t offset = 0; // of the tag header in the uncompressed file
    std::uint32_t length = 0; // of the tag body
    TagBody body;

    TagCode tagCode() const { return static_cast<TagCode>(code); }
};

enum class Compression : std::uint8_t { None, Zlib, Lzma }; // FWS, CWS, ZWS

struct Header {
    Compression compression = Compression::None;
    std::uint8_t version = 0;
    std::uint32_t declaredLength = 0; // file length the header claims, uncompressed
    Rect frameRect;
    Fixed8 frameRate;
    std::uint16_t frameCount = 0;
};

// Why reading stopped. tagCode is absent when the header or body itself is broken.
struct ParseError {
    std::optional<std::uint16_t> tagCode;
    std::uint64_t offset = 0; // in the uncompressed file
    std::string message;

    std::string describe() const; // "DefineShape3 (32) at 0x1A2B: <message>"
};

struct Movie {
    bool headerValid = false; // false: not a movie at all; nothing else is set
    Header header;
    std::uint64_t bodySize = 0; // bytes of the uncompressed file that were available
    std::vector<Tag> tags;
    std::optional<ParseError> error;

    bool ok() const { return headerValid && !error; }
};

} // namespace swf
