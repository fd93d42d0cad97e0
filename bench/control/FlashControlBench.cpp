// The Flash control as its windows use it: loading a movie by writing Movie, a thumbnail
// of one frame (the builders and the download dialog), and one tick of a playing movie
// drawn at the player's size.
#include "control/ShockwaveFlash.h"

#include <QString>
#include <benchmark/benchmark.h>

#include <cmath>

namespace {

QString movie(const char* name)
{
    return QStringLiteral(QM_CORPUS_DIR "/real/") + QLatin1String(name);
}

const char* const kMovies[] = { "ruffle__logo-anim.swf", "shumway__carsite.swf", "shumway__acid-large.swf" };

} // namespace

static void BM_WriteMovie(benchmark::State& state)
{
    const QString path = movie(kMovies[state.range(0)]);
    TShockwaveFlash flash;
    for (auto _ : state) {
        flash.SetMovie(path);
        benchmark::DoNotOptimize(flash.TotalFrames());
    }
    state.SetLabel(kMovies[state.range(0)]);
}
BENCHMARK(BM_WriteMovie)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

static void BM_Thumbnail96x72(benchmark::State& state)
{
    TShockwaveFlash flash;
    flash.SetMovie(movie(kMovies[state.range(0)]));
    flash.Stop();
    flash.GotoFrame(flash.TotalFrames() / 2);
    for (auto _ : state)
        benchmark::DoNotOptimize(flash.RenderToImage(QSize(96, 72)));
    state.SetLabel(kMovies[state.range(0)]);
}
BENCHMARK(BM_Thumbnail96x72)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);

static void BM_PlayingTick640x480(benchmark::State& state)
{
    TShockwaveFlash flash;
    flash.SetMovie(movie(kMovies[state.range(0)]));
    const int frameMs = int(std::ceil(1000.0 / flash.FrameRate()));
    for (auto _ : state) {
        flash.AdvanceBy(frameMs);
        if (flash.CurrentFrame() + 1 >= flash.TotalFrames())
            flash.GotoFrame(0);
        benchmark::DoNotOptimize(flash.RenderToImage(QSize(640, 480)));
    }
    state.SetLabel(kMovies[state.range(0)]);
}
BENCHMARK(BM_PlayingTick640x480)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
