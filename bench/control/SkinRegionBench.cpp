// The outline of a skin picture: the toolbar's own picture, and a large picture with many
// runs per row to show how the run-by-run union grows.
#include "control/KvSkinForm.h"

#include <QApplication>
#include <QPainter>
#include <benchmark/benchmark.h>

static void BM_ToolbarOutline(benchmark::State& state)
{
    const QImage tb(":/art/toolbar.png");
    for (auto _ : state)
        benchmark::DoNotOptimize(BuildSkinRegion(tb, Qt::black));
}
BENCHMARK(BM_ToolbarOutline);

static void BM_LargeOutline(benchmark::State& state)
{
    const int side = int(state.range(0));
    QImage img(side, side, QImage::Format_RGB32);
    img.fill(Qt::black);
    QPainter p(&img);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x25, 0x64, 0x8B));
    p.drawEllipse(QRect(0, 0, side, side));
    // holes: a few runs per row
    p.setBrush(Qt::black);
    for (int i = 1; i < 4; ++i)
        p.drawEllipse(QPoint(side * i / 4, side / 2), side / 12, side / 3);
    p.end();
    for (auto _ : state)
        benchmark::DoNotOptimize(BuildSkinRegion(img, Qt::black));
}
BENCHMARK(BM_LargeOutline)->Arg(256)->Arg(1024);

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv); // the Flash control is a widget
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
