// The snap sequence on every mouse move of a drag: key points and grid are linear in the number
// of figures, the line-intersection step is quadratic. A point that finds no candidate walks
// every pair, which is the worst case a drag meets.
#include "canvas/FakeHost.h"
#include "figures/Line.h"

#include <benchmark/benchmark.h>

namespace {

// Short lines in many directions spread over the page.
void AddLines(CCanvasFixture& f, int count) {
    f.RemovePicture();
    for (int i = 0; i < count; ++i) {
        const int x = 20 + (i * 37) % 600;
        const int y = 20 + (i * 53) % 700;
        f.Add<CLine>(x, y, x + 10 + i % 17, y + 3 + i % 29);
    }
}

void BM_SnapAllSwitches(benchmark::State& state) {
    CCanvasFixture f;
    AddLines(f, static_cast<int>(state.range(0)));
    f.SnapSwitches(true, true, true);
    for (auto _ : state) {
        // Far off the page: a crossing this far out is rare, so nearly every pair is tried.
        CPoint p{-500, -500};
        f.canvas.Snap(p);
        benchmark::DoNotOptimize(p);
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_SnapAllSwitches)->RangeMultiplier(4)->Range(16, 1024)->Complexity();

void BM_SnapKeyPointsAndGrid(benchmark::State& state) {
    CCanvasFixture f;
    AddLines(f, static_cast<int>(state.range(0)));
    f.SnapSwitches(true, true, false);
    for (auto _ : state) {
        CPoint p{-500, -500};
        f.canvas.Snap(p);
        benchmark::DoNotOptimize(p);
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_SnapKeyPointsAndGrid)->RangeMultiplier(4)->Range(16, 1024)->Complexity();

// One drawing drag step as the mouse delivers it: clamp, snap both points, reshape, repaint
// into a recording surface.
void BM_DrawingDragMove(benchmark::State& state) {
    CCanvasFixture f;
    AddLines(f, static_cast<int>(state.range(0)));
    f.SnapSwitches(true, true, true);
    f.canvas.SetToolFigure(std::make_unique<CLine>());
    f.Press(f.ClientOf({300, 300}));
    int i = 0;
    for (auto _ : state) {
        f.Move(f.ClientOf({320 + i % 40, 340 + i % 30}));
        ++i;
    }
    f.Release(f.ClientOf({330, 350}));
}
BENCHMARK(BM_DrawingDragMove)->Arg(64)->Arg(256);

} // namespace
