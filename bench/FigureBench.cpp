// Hit testing cost: one long line (near and far from the point), and a drawing of 1000 lines
// searched from the top as a click does.
#include "figures/FigureList.h"
#include "figures/Line.h"

#include <benchmark/benchmark.h>

#include <climits>

namespace {

void BM_LineHitTest(benchmark::State& state) {
    CLine line;
    line.m_pt1 = {0, 0};
    line.m_pt2 = {static_cast<double>(state.range(0)), state.range(0) / 3.0};
    // Just beside the middle of the line: the search has to find the run near the point.
    const CPoint miss{static_cast<int>(state.range(0) / 2),
                      static_cast<int>(state.range(0) / 6) + 5};
    for (auto _ : state)
        benchmark::DoNotOptimize(line.HitTest(miss, 1.0));
}
BENCHMARK(BM_LineHitTest)->Arg(1000)->Arg(100000)->Arg(INT_MAX / 2);

void BM_ListHitTestFromTheTop(benchmark::State& state) {
    CFigureList list;
    for (int i = 0; i < 1000; ++i) {
        auto line = std::make_unique<CLine>();
        line->m_pt1 = {double(i % 37) * 10, double(i % 41) * 10};
        line->m_pt2 = {line->m_pt1.x + 300, line->m_pt1.y + 120};
        list.Add(std::move(line));
    }
    // A point that no figure passes through: every figure is tested.
    for (auto _ : state)
        benchmark::DoNotOptimize(list.HitTest(-50, -50, 1.0));
}
BENCHMARK(BM_ListHitTestFromTheTop);

} // namespace
