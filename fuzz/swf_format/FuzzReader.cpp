// Fuzzes the movie reader: whole movies, the header-only read, and action decoding
// started at every offset of the first bytes of each action block, as a player does at
// jump targets.
#include "swf/format/Reader.h"

#include <cstddef>
#include <cstdint>

namespace {

void decodeEverywhere(const swf::ActionBlock& b)
{
    const std::size_t n = b.bytes.size() < 64 ? b.bytes.size() : 64;
    for (std::size_t i = 0; i < n; ++i) {
        std::vector<swf::Action> actions;
        std::optional<std::uint32_t> error;
        swf::decodeActions(b.bytes, static_cast<std::uint32_t>(i), 8, actions, error);
    }
}

void visit(const std::vector<swf::Tag>& tags)
{
    for (const swf::Tag& t : tags) {
        if (const auto* s = std::get_if<swf::DefineSprite>(&t.body))
            visit(s->tags);
        else if (const auto* a = std::get_if<swf::DoAction>(&t.body))
            decodeEverywhere(a->actions);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::span<const std::uint8_t> file(data, size);
    // A smaller body limit than the player's keeps each run quick; the limit code is the same.
    swf::ReadLimits limits;
    limits.maxBodySize = 64u << 20;
    const swf::Movie movie = swf::readMovie(file, limits);
    visit(movie.tags);
    swf::Header header;
    swf::readHeader(file, header);
    return 0;
}
