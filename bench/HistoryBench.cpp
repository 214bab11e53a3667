// The undo history on a large drawing: one step that moves one figure among 10,000, recorded,
// undone and redone (the goal is 0.05 of a 120 Hz frame, 0.4 ms), the memory that 1,000 such
// steps keep (the goal is at most 1 MB), and the memory that 1,000 drags of all 10,000 figures
// keep (the goal is at most 64 MB).
#include "canvas/History.h"
#include "figures/Line.h"
#include "figures/TextFigures.h"

#include <benchmark/benchmark.h>

#include <malloc.h>

namespace {

constexpr int kFigures = 10000;

void Fill(CFigureList& list) {
    for (int i = 0; i < kFigures; ++i) {
        std::unique_ptr<CFigure> f;
        if (i % 2)
            f = std::make_unique<CLine>();
        else
            f = std::make_unique<CTextRectangle>();
        const int x = 20 + (i * 37) % 600;
        const int y = 20 + (i * 53) % 700;
        f->SetPoints(x, y, x + 10 + i % 17, y + 3 + i % 29, 1.0);
        list.Add(std::move(f));
    }
}

// One figure moved as a drag moves it: the step is opened, the figure kept and moved, the step
// closed.
void MoveOne(CHistory& history, CFigureList& list, int index, int dx) {
    history.Begin("Move");
    history.Touch(index);
    list.GetAt(index)->MoveByPixels(dx, 0, 1.0);
    history.Commit();
}

void BM_RecordUndoRedoOneFigureMove(benchmark::State& state) {
    CFigureList list;
    Fill(list);
    CHistory history(list);
    const int index = kFigures / 2;
    list.GetAt(index)->m_bSelected = true;
    int dx = 1;
    for (auto _ : state) {
        MoveOne(history, list, index, dx);
        history.Undo();
        history.Redo();
        dx = -dx;
    }
    benchmark::DoNotOptimize(list.GetAt(index)->m_pt1);
}
BENCHMARK(BM_RecordUndoRedoOneFigureMove)->Unit(benchmark::kMicrosecond);

// Heap bytes in use, as the C library counts them.
long long HeapInUse() {
    return static_cast<long long>(mallinfo2().uordblks);
}

void BM_MemoryOfThousandMoves(benchmark::State& state) {
    CFigureList list;
    Fill(list);
    const int index = kFigures / 2;
    list.GetAt(index)->m_bSelected = true;
    long long bytes = 0;
    for (auto _ : state) {
        const long long before = HeapInUse();
        {
            CHistory history(list);
            for (int i = 0; i < 1000; ++i)
                MoveOne(history, list, index, i % 2 ? -1 : 1);
            bytes = HeapInUse() - before;
            benchmark::DoNotOptimize(history.GetUndoCount());
        }
    }
    state.counters["history_bytes"] = static_cast<double>(bytes);
    state.counters["bytes_per_step"] = static_cast<double>(bytes) / 1000.0;
}
BENCHMARK(BM_MemoryOfThousandMoves)->Unit(benchmark::kMillisecond)->Iterations(3);

// Select all and drag, a thousand times: each step moves every figure as a drag does (a few mouse
// moves), through the history as the canvas calls it.
void BM_MemoryOfThousandMovesOfAll(benchmark::State& state) {
    CFigureList list;
    Fill(list);
    std::vector<int> all(kFigures);
    for (int i = 0; i < kFigures; ++i) {
        all[static_cast<size_t>(i)] = i;
        list.GetAt(i)->m_bSelected = true;
    }
    long long bytes = 0;
    for (auto _ : state) {
        const long long before = HeapInUse();
        {
            CHistory history(list);
            for (int i = 0; i < 1000; ++i) {
                history.Begin("Move");
                for (int dx : {3, -1, i % 2 ? -3 : -1})
                    history.MoveByPixels(all, dx, 1 - i % 2 * 2, 1.0);
                history.Commit();
            }
            bytes = HeapInUse() - before;
            benchmark::DoNotOptimize(history.GetUndoCount());
        }
    }
    state.counters["history_bytes"] = static_cast<double>(bytes);
    state.counters["bytes_per_step"] = static_cast<double>(bytes) / 1000.0;
}
BENCHMARK(BM_MemoryOfThousandMovesOfAll)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
