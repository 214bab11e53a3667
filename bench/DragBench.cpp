// One drawing drag step over many lines with every snap on, including the repaint that the step
// causes as the canvas window paints it (the damaged rectangles only), at one and two device
// pixels a unit. The pointer stays where no crossing of two lines comes near.
#include "BenchWindow.h"

#include <benchmark/benchmark.h>

namespace {

// Between grid crossings (35 pixels from the nearest) and more than 23 pixels from any crossing,
// line end or line centre.
constexpr CPoint kProbe{333, 435};

// One drawing drag step as the mouse delivers it, all three snaps on, near the probe: clamp,
// snap both points, reshape, and the repaint the step causes.
void DrawingDragStep(benchmark::State& state, double ratio) {
    CBenchWindow window(ratio);
    CQuodra canvas(window);
    window.canvas = &canvas;
    canvas.SetMode(kModeSelect);
    window.RepaintNow();
    for (int i = canvas.GetFigures().GetCount() - 1; i >= 0; --i)
        if (canvas.GetFigures().GetAt(i)->m_strType == "HappyNewYear :)")
            canvas.GetDrawing().EditFigures().RemoveAndDelete(i);
    AddLinesAwayFrom(canvas.GetDrawing().EditFigures(), static_cast<int>(state.range(0)), kProbe,
                     23, 11);
    canvas.GetDrawing().NoteChangedOutside();
    window.RepaintNow();
    canvas.m_bSnapKeyPoints = canvas.m_bSnapGrid = canvas.m_bSnapIntersections = true;
    canvas.SetToolFigure(std::make_unique<CLine>());
    const auto client = [&](CPoint page) { return canvas.AreaToClient(canvas.PageToArea(page)); };
    canvas.OnLButtonDown(client(kProbe), false);
    int i = 0;
    for (auto _ : state) {
        canvas.OnMouseMove(client(kProbe + CPoint{i % 2, i % 3}));
        ++i;
    }
    canvas.OnLButtonUp(client(kProbe));
    state.SetComplexityN(state.range(0));
}

void BM_DrawingDragStep(benchmark::State& state) {
    DrawingDragStep(state, 1.0);
}
BENCHMARK(BM_DrawingDragStep)
    ->Arg(500)
    ->Arg(1000)
    ->Arg(2000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Complexity();

void BM_DrawingDragStepRatio2(benchmark::State& state) {
    DrawingDragStep(state, 2.0);
}
BENCHMARK(BM_DrawingDragStepRatio2)->Arg(2000)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
