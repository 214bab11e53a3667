// Painting a generated drawing of every figure kind through the Qt surface into a full-HD image,
// at actual size (the whole page shows) and at zoom 4 (the middle of the page fills the image);
// and the same on a screen of two device pixels per unit, whose full-HD image shows half as many
// units each way.
#include "app/QtSurface.h"
#include "app/surface/SurfaceCaches.h"
#include "common/RandomDrawing.h"

#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>

namespace {

void PaintDrawing(benchmark::State& state, double zoom, double ratio = 1.0) {
    CFigureList list;
    CRandomDrawing(7).AddTo(list, static_cast<int>(state.range(0)));
    QImage image(1920, 1080, QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    // What the canvas window keeps from one painting to the next.
    CSurfaceCaches caches;
    // The page's centre in the image's centre.
    const int dx = RoundHalf(960 / ratio) - RoundHalf(681 * zoom / 2);
    const int dy = RoundHalf(540 / ratio) - RoundHalf(801 * zoom / 2);
    const auto paint = [&] {
        image.fill(Qt::white);
        QPainter painter(&image);
        CQtSurface surface(painter, caches, CQtSurface::EWrites::Batched);
        list.DrawAll(surface, zoom, dx, dy);
    };
    // The window's repaints are measured, which find what the first painting kept; the first
    // one of a view is not.
    paint();
    for (auto _ : state)
        paint();
    state.SetComplexityN(state.range(0));
}

void BM_PaintZoom1(benchmark::State& state) {
    PaintDrawing(state, 1.0);
}
BENCHMARK(BM_PaintZoom1)
    ->Arg(625)
    ->Arg(2500)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Complexity();

void BM_PaintZoom4(benchmark::State& state) {
    PaintDrawing(state, 4.0);
}
BENCHMARK(BM_PaintZoom4)
    ->Arg(625)
    ->Arg(2500)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Complexity();

void BM_PaintZoom1Ratio2(benchmark::State& state) {
    PaintDrawing(state, 1.0, 2.0);
}
BENCHMARK(BM_PaintZoom1Ratio2)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PaintZoom4Ratio2(benchmark::State& state) {
    PaintDrawing(state, 4.0, 2.0);
}
BENCHMARK(BM_PaintZoom4Ratio2)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
