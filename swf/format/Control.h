#pragma once
// Control, metadata and AVM2 tags: frames and labels, background, attributes, assets,
// scripts limits and the tags this reader keeps without interpreting.
#include "swf/format/Units.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace swf {

struct ShowFrame {};
struct End {};

struct SetBackgroundColor {
    Rgba color;
};

struct FrameLabel {
    std::string name;
    bool namedAnchor = false;
};

struct FileAttributes {
    bool useDirectBlit = false, useGpu = false, hasMetadata = false;
    bool actionScript3 = false, useNetwork = false;
};

struct Metadata {
    std::string xml;
};

struct SymbolName {
    std::uint16_t id = 0;
    std::string name;
};

// ExportAssets and SymbolClass share this layout.
struct ExportAssets {
    std::vector<SymbolName> symbols;
};

struct SymbolClass {
    std::vector<SymbolName> symbols;
};

// ImportAssets (version 1) and ImportAssets2.
struct ImportAssets {
    std::uint8_t version = 1;
    std::string url;
    std::vector<SymbolName> symbols;
};

struct ScriptLimits {
    std::uint16_t maxRecursionDepth = 0;
    std::uint16_t timeoutSeconds = 0;
};

struct SetTabIndex {
    std::uint16_t depth = 0;
    std::uint16_t tabIndex = 0;
};

// Protect, EnableDebugger and EnableDebugger2: an optional MD5 password hash.
struct Protect {
    std::string passwordHash;
};

struct EnableDebugger {
    std::uint8_t version = 1;
    std::string passwordHash;
};

struct EnableTelemetry {
    Bytes passwordHash; // SHA-256, or empty
};

struct DebugId {
    Bytes uuid;
};

// ProductInfo: the authoring tool that wrote the movie.
struct ProductInfo {
    std::uint32_t product = 0;
    std::uint32_t edition = 0;
    std::uint8_t major = 0, minor = 0;
    std::uint64_t build = 0;
    std::uint64_t compileDateMs = 0; // milliseconds since 1970, 0 if absent
};

struct SceneEntry {
    std::uint32_t frame = 0;
    std::string name;
};

struct DefineSceneAndFrameLabelData {
    std::vector<SceneEntry> scenes;
    std::vector<SceneEntry> frameLabels;
};

// DoABC (flags and name) and the older DoABC without them. The byte code is kept.
struct DoAbc {
    bool lazyInitialize = false;
    std::string name;
    Bytes abc;
};

struct DefineBinaryData {
    std::uint16_t id = 0;
    Bytes data;
};

// Any tag this reader does not interpret; its code is in the tag.
struct UnknownTag {
    Bytes data;
};

} // namespace swf
