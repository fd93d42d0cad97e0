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
        const swf::Movie m = swf::readMovieFile(p.string());
        if (!m.ok()) {
            failures.push_back(fs::relative(p, root).string() + ": " + (m.error ? m.error->describe() : "bad header"));
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
