// Every movie of the corpus reads without error.
#include "swf/format/Reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

fs::path corpusDir()
{
    const char* env = std::getenv("QM_CORPUS");
    return env && *env ? fs::path(env) : fs::path("../shared/corpus");
}

std::vector<fs::path> moviesUnder(const fs::path& dir)
{
    std::vector<fs::path> out;
    std::error_code ec;
    for (fs::recursive_directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec))
        if (it->is_regular_file() && it->path().extension() == ".swf")
            out.push_back(it->path());
    std::sort(out.begin(), out.end());
    return out;
}

// Counts the frames of a timeline as the player will: one per ShowFrame.
std::size_t showFrames(const std::vector<swf::Tag>& tags)
{
    return std::count_if(tags.begin(), tags.end(), [](const swf::Tag& t) { return t.code == 1; });
}

} // namespace

// Movies of the corpus that are broken on purpose: their tag runs past the end of the
// file. The player stops there too (their expected output shows nothing after it), so
// the reader must report exactly that tag and keep what came before.
struct BrokenOnPurpose {
    const char* path;
    std::uint16_t tagCode;
    std::uint64_t offset;
    std::size_t tagsKept;
};
const BrokenOnPurpose brokenOnPurpose[] = {
    {"conformance/trace/avm1__bad_swf_tag_past_eof/test.swf", 2, 0x20, 2},
    // Its DefineSceneAndFrameLabelData is shorter than its scene list; the next "tag"
    // is the rest of that list.
    {"conformance/trace/timeline__scene_count_oom/test.swf", 201, 0x57, 5},
};

TEST(Corpus, EveryMovieReadsWithoutError)
{
    const fs::path root = corpusDir();
    std::vector<fs::path> movies;
    for (const char* sub : {"parse", "conformance", "real"}) {
        const auto found = moviesUnder(root / sub);
        movies.insert(movies.end(), found.begin(), found.end());
    }
    ASSERT_GT(movies.size(), 3600u) << "corpus not found under " << root;

    std::vector<std::string> failures;
    std::size_t withFrames = 0;
    for (const fs::path& p : movies) {
        const std::string rel = fs::relative(p, root).generic_string();
        const swf::Movie m = swf::readMovieFile(p.string());
        const auto broken = std::find_if(std::begin(brokenOnPurpose), std::end(brokenOnPurpose),
                                         [&](const BrokenOnPurpose& b) { return rel == b.path; });
        if (broken != std::end(brokenOnPurpose)) {
            if (!m.headerValid || !m.error || m.error->tagCode != broken->tagCode || m.error->offset != broken->offset
                || m.tags.size() != broken->tagsKept)
                failures.push_back(rel + ": not the expected error, got "
                                   + (m.error ? m.error->describe() : std::string("no error")) + ", "
                                   + std::to_string(m.tags.size()) + " tags");
            continue;
        }
        if (!m.ok()) {
            failures.push_back(rel + ": " + (m.error ? m.error->describe() : "bad header"));
            continue;
        }
        if (showFrames(m.tags) > 0)
            ++withFrames;
    }
    std::string list;
    for (std::size_t i = 0; i < failures.size() && i < 40; ++i)
        list += "\n  " + failures[i];
    EXPECT_TRUE(failures.empty()) << failures.size() << " of " << movies.size() << " movies failed:" << list;
    // A reader that silently stopped at the header would pass the check above.
    EXPECT_GT(withFrames, movies.size() * 9 / 10);
}
