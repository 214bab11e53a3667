// The snap sequence with many lines. The probe point is one that no crossing of two lines comes
// near, so the intersection snap has to rule out every pair: the worst case a drag meets.
#include "canvas/FakeHost.h"
#include "common/RandomDrawing.h"

#include <benchmark/benchmark.h>

namespace {

// Between grid crossings (35 pixels from the nearest) and, by construction, more than 23 pixels
// from any crossing, line end or line centre.
constexpr CPoint kProbe{333, 435};

void AddClearLines(CCanvasFixture& f, int count) {
    f.RemovePicture();
    AddLinesAwayFrom(f.canvas.GetDrawing().EditFigures(), count, kProbe, 23, 11);
}

void SnapProbe(benchmark::State& state, bool keyPoints, bool grid) {
    CCanvasFixture f;
    AddClearLines(f, static_cast<int>(state.range(0)));
    f.SnapSwitches(keyPoints, grid, true);
    for (auto _ : state) {
        CPoint p = kProbe;
        f.canvas.Snap(p);
        benchmark::DoNotOptimize(p);
    }
    state.SetComplexityN(state.range(0));
}

void BM_SnapAllSwitches(benchmark::State& state) {
    SnapProbe(state, true, true);
}
BENCHMARK(BM_SnapAllSwitches)->RangeMultiplier(4)->Range(64, 1024)->Complexity();

// The intersection snap on its own.
void BM_IntersectionSnap(benchmark::State& state) {
    SnapProbe(state, false, false);
}
BENCHMARK(BM_IntersectionSnap)->Arg(500)->Arg(1000)->Arg(2000)->Arg(4000)->Complexity();

void BM_SnapKeyPointsAndGrid(benchmark::State& state) {
    CCanvasFixture f;
    AddClearLines(f, static_cast<int>(state.range(0)));
    f.SnapSwitches(true, true, false);
    for (auto _ : state) {
        CPoint p = kProbe;
        f.canvas.Snap(p);
        benchmark::DoNotOptimize(p);
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_SnapKeyPointsAndGrid)->RangeMultiplier(4)->Range(64, 1024)->Complexity();

} // namespace
