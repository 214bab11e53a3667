// What the user does to one figure among many, with what it changed painted again as the canvas
// window paints it (only the damaged rectangles): a drag step and an arrow-key nudge of one
// figure among 10,000 at one and two device pixels a unit, the undo and redo of a move, the
// pointer hovering over the drawing, and a drag step among 100,000 figures at zoom 4, where most
// of them lie out of sight. The 100,000 figures are a third of the usual size, so that the page
// holds about as much ink per unit as with 10,000 and a damaged rectangle meets about as many
// figures as it would at zoom 1 (ten times as many of the usual size would meet ten times as
// many wherever they are).
#include "BenchWindow.h"

#include <benchmark/benchmark.h>

#include <cmath>

namespace {

enum class EStep { Drag, Nudge, UndoRedo, Hover };

void DamagedRepaint(benchmark::State& state, EStep step, double ratio, double zoom = 1.0,
                    double size = 1.0, bool paint = true) {
    CBenchCanvas b(static_cast<int>(state.range(0)), ratio, zoom, size);
    if (!paint)
        b.window.canvas = nullptr; // the canvas's own work alone
    CQuodra& canvas = b.canvas;
    CFigureList& list = canvas.GetDrawing().EditFigures();
    // A rectangle in sight, grabbed on its top side a quarter along, away from the handles: a
    // drag moves it.
    const int pick = b.PickShown("Rectangle");
    const CRect box = list.GetAt(pick)->GetBoundingRect(canvas.GetZoom());
    const CPoint at = b.ClientOf({box.left + (box.right - box.left) / 4, box.top});
    b.window.pointer = at;
    switch (step) {
    case EStep::Drag:
        canvas.OnLButtonDown(at, false);
        if (canvas.GetGrabbedHandle() != kHandleNone)
            state.SkipWithError("the press grabbed no figure's body");
        break;
    case EStep::Nudge:
        list.GetAt(pick)->m_bSelected = true;
        break;
    case EStep::UndoRedo:
        // One move of the figure, kept in the history.
        canvas.OnLButtonDown(at, false);
        b.window.pointer = {at.x + 5, at.y + 3};
        canvas.OnMouseMove(b.window.pointer);
        canvas.OnLButtonUp(b.window.pointer);
        break;
    case EStep::Hover:
        break;
    }
    const int wholeBefore = b.window.wholePaintings;
    int i = 0;
    for (auto _ : state) {
        const bool back = i++ % 2;
        switch (step) {
        case EStep::Drag:
            // The pointer goes where the mouse is, so the canvas has no reason to move it.
            b.window.pointer = {at.x + (back ? 0 : 3), at.y + (back ? 0 : 2)};
            canvas.OnMouseMove(b.window.pointer);
            break;
        case EStep::Nudge:
            canvas.OnKeyDown(back ? EKey::Left : EKey::Right);
            break;
        case EStep::UndoRedo:
            if (back)
                canvas.Redo();
            else
                canvas.Undo();
            break;
        case EStep::Hover:
            // On the figure's side and away from it, and the cursor that goes with each.
            b.window.pointer = {at.x + (back ? 0 : 12), at.y + (back ? 0 : 9)};
            canvas.OnMouseMove(b.window.pointer);
            canvas.OnSetCursor();
            break;
        }
    }
    // Whole paintings in the measured steps: none, when only the damage is painted.
    state.counters["whole_paintings"] = b.window.wholePaintings - wholeBefore;
    if (step == EStep::Drag)
        canvas.OnLButtonUp(b.window.pointer);
}

void BM_PaintDamageDragStep(benchmark::State& state) {
    DamagedRepaint(state, EStep::Drag, 1.0);
}
void BM_PaintDamageNudge(benchmark::State& state) {
    DamagedRepaint(state, EStep::Nudge, 1.0);
}
void BM_PaintDamageDragStepRatio2(benchmark::State& state) {
    DamagedRepaint(state, EStep::Drag, 2.0);
}
void BM_PaintDamageNudgeRatio2(benchmark::State& state) {
    DamagedRepaint(state, EStep::Nudge, 2.0);
}
void BM_PaintDamageUndoRedoMove(benchmark::State& state) {
    DamagedRepaint(state, EStep::UndoRedo, 1.0);
}
void BM_PaintDamageHover(benchmark::State& state) {
    DamagedRepaint(state, EStep::Hover, 1.0);
}
void BM_PaintDamageDragStepZoom4(benchmark::State& state) {
    DamagedRepaint(state, EStep::Drag, 1.0, 4.0, 1.0 / std::sqrt(10.0));
}
// The same without the painting: what the canvas itself does in a step.
void BM_DragStepUnpainted(benchmark::State& state) {
    DamagedRepaint(state, EStep::Drag, 1.0, 4.0, 1.0 / std::sqrt(10.0), false);
}
BENCHMARK(BM_DragStepUnpainted)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

BENCHMARK(BM_PaintDamageDragStep)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PaintDamageNudge)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PaintDamageDragStepRatio2)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PaintDamageNudgeRatio2)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PaintDamageUndoRedoMove)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PaintDamageHover)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PaintDamageDragStepZoom4)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
