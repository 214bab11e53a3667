// The canvas window's repaint of a generated drawing of every figure kind, through the canvas's
// own paint as the widget calls it (the paper, the page and its shadow, the grid, the figures,
// the handles of a third of them, selected) into a full-HD image, at actual size (the whole page
// shows) and at zoom 4 (the middle of the page fills the window); and the same window on a screen
// of two device pixels per unit (3840 x 2160 pixels); and the paintings of wheel steps at zoom 4.
// The drawing has every figure kind, a fifth of them (half, for the mixed styles) with styles of
// their own. The repaint writes its pixels as the calls come, as the window does; the Batched rows
// hold them back for the surface's helper thread, for comparison.
#include "app/QtSurface.h"
#include "app/surface/SurfaceCaches.h"
#include "canvas/FakeHost.h"
#include "common/RandomDrawing.h"

#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>

namespace {

void PaintDrawing(benchmark::State& state, double zoom, double ratio = 1.0, bool styled = false,
                  CQtSurface::EWrites writes = CQtSurface::EWrites::Immediate,
                  bool scrolling = false) {
    // A full-HD window: on a screen of two device pixels a unit, 3840 x 2160 pixels.
    QImage image(RoundHalf(1920 * ratio), RoundHalf(1080 * ratio), QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    // What the canvas window keeps from one painting to the next.
    CSurfaceCaches caches;
    CFakeHost host;
    host.client = {1920, 1080};
    CQuodra canvas(host);
    canvas.SetMode(kModeSelect);
    CFigureList& list = canvas.GetDrawing().EditFigures();
    for (int i = list.GetCount() - 1; i >= 0; --i)
        if (list.GetAt(i)->m_strType == "HappyNewYear :)")
            list.RemoveAndDelete(i);
    CRandomDrawing gen(7);
    gen.AddEveryKindTo(list, static_cast<int>(state.range(0)), 5);
    // A drawing of mixed styles: every other figure with a style of its own.
    if (styled)
        gen.StyleEvery(list, 0, 2);
    for (int i = 0; i < list.GetCount(); i += 3)
        list.GetAt(i)->m_bSelected = true;
    const auto paint = [&] {
        QPainter painter(&image);
        CQtSurface surface(painter, caches, writes);
        canvas.OnPaint(surface);
    };
    // The first painting lays the page out; then the page's centre goes to the window's centre.
    paint();
    if (zoom != 1.0)
        canvas.ZoomAbout({host.client.cx / 2, host.client.cy / 2}, zoom);
    // The window's repaints are measured, which find what the paintings before kept; the first
    // two of a view are not (the caches keep what comes a second time).
    paint();
    paint();
    // Scrolling: each painting is of a view one wheel notch further down, back to the top at the
    // end, a pixel further each time round, so that no view comes twice.
    const int top = canvas.GetViewport().ScrollPos(EScrollBar::Vertical);
    int shift = 0;
    for (auto _ : state) {
        if (scrolling) {
            const int before = canvas.GetViewport().ScrollPos(EScrollBar::Vertical);
            canvas.OnVScroll(EScrollRequest::ThumbPosition, before + 48);
            if (canvas.GetViewport().ScrollPos(EScrollBar::Vertical) == before)
                canvas.OnVScroll(EScrollRequest::ThumbPosition, top - 200 + (++shift % 48));
        }
        paint();
    }
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

void BM_PaintZoom1Batched(benchmark::State& state) {
    PaintDrawing(state, 1.0, 1.0, false, CQtSurface::EWrites::Batched);
}
BENCHMARK(BM_PaintZoom1Batched)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PaintZoom1Ratio2Batched(benchmark::State& state) {
    PaintDrawing(state, 1.0, 2.0, false, CQtSurface::EWrites::Batched);
}
BENCHMARK(BM_PaintZoom1Ratio2Batched)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PaintZoom4Ratio2Batched(benchmark::State& state) {
    PaintDrawing(state, 4.0, 2.0, false, CQtSurface::EWrites::Batched);
}
BENCHMARK(BM_PaintZoom4Ratio2Batched)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();

// A wheel notch's painting at zoom 4: the whole window painted at a view it has not shown before.
void BM_PaintScrollStepZoom4(benchmark::State& state) {
    PaintDrawing(state, 4.0, 1.0, false, CQtSurface::EWrites::Immediate, true);
}
BENCHMARK(BM_PaintScrollStepZoom4)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PaintScrollStepZoom4Ratio2(benchmark::State& state) {
    PaintDrawing(state, 4.0, 2.0, false, CQtSurface::EWrites::Immediate, true);
}
BENCHMARK(BM_PaintScrollStepZoom4Ratio2)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PaintMixedStylesZoom1(benchmark::State& state) {
    PaintDrawing(state, 1.0, 1.0, true);
}
BENCHMARK(BM_PaintMixedStylesZoom1)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PaintMixedStylesZoom4(benchmark::State& state) {
    PaintDrawing(state, 4.0, 1.0, true);
}
BENCHMARK(BM_PaintMixedStylesZoom4)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
