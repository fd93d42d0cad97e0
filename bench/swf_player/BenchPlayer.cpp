// The player's share of a frame (timeline tick and the scene for the renderer) and whole
// frames drawn at 1920x1080 (anti-aliased and at quality low), on corpus movies.
#include "swf/format/Reader.h"
#include "swf/player/MovieStage.h"
#include "swf/player/Player.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

namespace {

const std::string kCorpus = QM_CORPUS_DIR;

void timelineOnly(benchmark::State& state, const std::string& file)
{
    const swf::Movie movie = swf::readMovieFile(kCorpus + "/real/" + file);
    swf::player::MovieStage stage(movie);
    stage.start();
    swf::DisplayNode scene;
    for (auto _ : state) {
        stage.advanceFrame();
        stage.buildScene(scene);
        benchmark::DoNotOptimize(scene.children.data());
    }
}

void wholeFrame(benchmark::State& state, const std::string& file, swf::Quality quality = swf::Quality::High)
{
    swf::Player player;
    player.setQuality(quality);
    if (!player.load(QString::fromStdString(kCorpus + "/real/" + file))) {
        state.SkipWithError("corpus movie missing");
        return;
    }
    QImage image(1920, 1080, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        player.advanceFrame();
        QPainter painter(&image);
        player.render(painter, image.rect());
    }
}

BENCHMARK_CAPTURE(timelineOnly, image_sequence, std::string("shumway__acid-large.swf"));
BENCHMARK_CAPTURE(timelineOnly, race, std::string("shumway__race.swf"));
BENCHMARK_CAPTURE(timelineOnly, logo, std::string("ruffle__logo-anim.swf"));
BENCHMARK_CAPTURE(wholeFrame, race_1080p, std::string("shumway__race.swf"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(wholeFrame, food_1080p, std::string("shumway__food.swf"))->Unit(benchmark::kMillisecond);
// Quality low: every fill goes through the aliased scanline filling and its curve cutting.
BENCHMARK_CAPTURE(wholeFrame, race_1080p_low, std::string("shumway__race.swf"), swf::Quality::Low)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(wholeFrame, food_1080p_low, std::string("shumway__food.swf"), swf::Quality::Low)
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
