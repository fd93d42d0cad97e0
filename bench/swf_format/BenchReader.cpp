// Reading throughput over the corpus, in bytes of uncompressed tag data per second:
// whole files as stored (inflating included) and pre-inflated bodies (tag reading alone).
#include "swf/format/Reader.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Corpus {
    std::vector<swf::Bytes> files;       // as stored
    std::vector<swf::Bytes> uncompressed; // FWS form
    std::int64_t tagBytes = 0;            // uncompressed bytes after the movie headers
};

const Corpus& corpus()
{
    static const Corpus c = [] {
        Corpus c;
        for (const char* sub : {"parse", "conformance", "real"}) {
            std::error_code ec;
            for (fs::recursive_directory_iterator it(fs::path(QM_CORPUS_DIR) / sub, ec), end; !ec && it != end;
                 it.increment(ec)) {
                if (!it->is_regular_file() || it->path().extension() != ".swf")
                    continue;
                std::ifstream in(it->path(), std::ios::binary);
                swf::Bytes data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
                swf::Bytes plain;
                const swf::Movie m = swf::readMovie(data);
                if (!m.headerValid || m.tags.empty() || !swf::uncompressMovie(data, plain))
                    continue;
                c.tagBytes += static_cast<std::int64_t>(m.bodySize - m.tags.front().offset);
                c.files.push_back(std::move(data));
                c.uncompressed.push_back(std::move(plain));
            }
        }
        return c;
    }();
    return c;
}

void run(benchmark::State& state, const std::vector<swf::Bytes>& movies)
{
    if (movies.empty()) {
        state.SkipWithError("corpus not found");
        return;
    }
    std::size_t tags = 0;
    for (auto _ : state) {
        for (const swf::Bytes& file : movies) {
            const swf::Movie m = swf::readMovie(file);
            tags += m.tags.size();
            benchmark::DoNotOptimize(m);
        }
    }
    state.SetBytesProcessed(state.iterations() * corpus().tagBytes);
    state.counters["movies"] = static_cast<double>(movies.size());
    state.counters["tags/s"] = benchmark::Counter(static_cast<double>(tags), benchmark::Counter::kIsRate);
}

void BM_ReadCorpusFiles(benchmark::State& state)
{
    run(state, corpus().files);
}

void BM_ReadCorpusUncompressed(benchmark::State& state)
{
    run(state, corpus().uncompressed);
}

} // namespace

BENCHMARK(BM_ReadCorpusFiles)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadCorpusUncompressed)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
