// Whole-drawing work on generated drawings of every figure kind: the TeXDraw text, opening a
// file (reading and putting it into the canvas), deleting half of the figures, and the hover hit
// test at the largest zoom.
#include "canvas/FakeHost.h"
#include "common/RandomDrawing.h"
#include "texdraw/Document.h"
#include "texdraw/Reader.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#if defined(__x86_64__) || defined(__i386__)
#include <emmintrin.h>
#endif

namespace {

// Takes every line of each figure up to its flags out of every cache level. Filling a scratch
// buffer is not enough on a processor whose last-level cache is larger than the buffer: the small
// drawings would stay there and look cheaper per figure.
void EvictFigures(const CFigureList& list) {
#if defined(__x86_64__) || defined(__i386__)
    constexpr std::uintptr_t kLine = 64;
    const auto flush = [](const void* from, const void* to) {
        for (auto p = reinterpret_cast<std::uintptr_t>(from) & ~(kLine - 1);
             p <= reinterpret_cast<std::uintptr_t>(to); p += kLine)
            _mm_clflush(reinterpret_cast<const void*>(p));
    };
    for (int i = 0; i < list.GetCount(); ++i) {
        const CFigure* f = list.GetAt(i);
        flush(f, &f->m_bEditing);
    }
    _mm_mfence();
#else
    (void)list;
#endif
}

CFigureList MakeDrawing(int count) {
    CFigureList list;
    CRandomDrawing(5).AddTo(list, count);
    return list;
}

// A canvas whose window does not paint, so only the work itself is measured.
struct CQuietCanvas {
    CFakeHost host;
    CQuodra canvas{host};
    CQuietCanvas() { canvas.SetMode(kModeSelect); }
};

void BM_TeXDrawText(benchmark::State& state) {
    const CFigureList list = MakeDrawing(static_cast<int>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(list.GetTeXDrawText());
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_TeXDrawText)
    ->Arg(12500)
    ->Arg(25000)
    ->Arg(50000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

void BM_OpenFile(benchmark::State& state) {
    const std::string text = MakeTeXDrawDocument(MakeDrawing(static_cast<int>(state.range(0))));
    CQuietCanvas c;
    for (auto _ : state) {
        CFigureList figures;
        const CTeXDrawReadResult result = ReadTeXDrawText(text, "drawing.txt", figures);
        if (!result.ok)
            state.SkipWithError(result.error.c_str());
        c.canvas.ReplaceFigures(std::move(figures));
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_OpenFile)
    ->Arg(25000)
    ->Arg(50000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

void BM_DeleteEveryOther(benchmark::State& state) {
    const CFigureList drawing = MakeDrawing(static_cast<int>(state.range(0)));
    CQuietCanvas c;
    std::vector<char> scratch(64 << 20);
    for (auto _ : state) {
        state.PauseTiming();
        CFigureList figures;
        for (int i = 0; i < drawing.GetCount(); ++i)
            figures.Add(drawing.GetAt(i)->Clone());
        c.canvas.ReplaceFigures(std::move(figures));
        CFigureList& list = c.canvas.GetDrawing().EditFigures();
        for (int i = 0; i < list.GetCount(); i += 2)
            list.GetAt(i)->m_bSelected = true;
        // Every size starts from cold caches, as a delete after other work does; otherwise the
        // small drawings, still cached from being made, would look cheaper per figure.
        std::fill(scratch.begin(), scratch.end(), static_cast<char>(scratch[0] + 1));
        benchmark::DoNotOptimize(scratch.data());
        EvictFigures(list);
        state.ResumeTiming();
        c.canvas.DeleteSelected();
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_DeleteEveryOther)
    ->Arg(25000)
    ->Arg(50000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

// The hover hit test at zoom 10 on a point that no figure is near: every figure is tested.
void BM_HoverHitTest(benchmark::State& state) {
    const CFigureList list = MakeDrawing(static_cast<int>(state.range(0)));
    CPoint miss{0, 0};
    for (int y = 0; y < 8000 && miss.x == 0; y += 37)
        for (int x = 3000; x < 7000; x += 41)
            if (!list.HitTest(x, y, 10.0)) {
                miss = {x, y};
                break;
            }
    for (auto _ : state)
        benchmark::DoNotOptimize(list.HitTest(miss.x, miss.y, 10.0));
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_HoverHitTest)->Arg(2500)->Arg(5000)->Arg(10000)->Complexity();

} // namespace
