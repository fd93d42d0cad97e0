#pragma once
// Reading whole movies into the typed model of Movie.h.
#include "swf/format/Actions.h"
#include "swf/format/BitReader.h"
#include "swf/format/Movie.h"

#include <cstdint>
#include <span>
#include <string>

namespace swf {

struct ReadLimits {
    std::uint64_t maxBodySize = 512ull << 20; // uncompressed file, header included
    int maxSpriteDepth = 64;                  // sprites inside sprites
};

// Reads a movie from the bytes of a .swf file (FWS, CWS or ZWS). Never throws for bad
// input: a file that is not a movie gives headerValid = false and an error; a broken
// tag ends reading with an error and keeps every tag read before it.
Movie readMovie(std::span<const std::uint8_t> file, const ReadLimits& limits = {});

// The same for a file on disk; a file that cannot be read gives an error.
Movie readMovieFile(const std::string& path, const ReadLimits& limits = {});

// The uncompressed form (FWS) of a movie file, for tools and benchmarks. Returns false if
// the bytes are not a movie, the body exceeds the limit or the compressed data is damaged.
bool uncompressMovie(std::span<const std::uint8_t> file, Bytes& out, const ReadLimits& limits = {});

// Reads only the header (decompressing as far as the frame count), for quick listings.
// Returns false if the bytes are not a movie.
bool readHeader(std::span<const std::uint8_t> file, Header& header);

// Decodes action records from `offset` of a block up to the first End record or the
// end of the bytes. Used by the reader for whole blocks and by the player to decode
// code at a jump target the linear pass did not reach.
void decodeActions(std::span<const std::uint8_t> bytes, std::uint32_t offset, std::uint8_t swfVersion,
                   std::vector<Action>& out, std::optional<std::uint32_t>& errorAt);

// Decodes one action record at `offset`; throws ReadError if it is cut short or its
// operands do not fit its length.
Action decodeAction(std::span<const std::uint8_t> bytes, std::uint32_t offset, std::uint8_t swfVersion);

} // namespace swf
