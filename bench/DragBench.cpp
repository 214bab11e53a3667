// One drawing drag step over many lines with every snap on, including the repaint through the Qt
// surface that the step causes. The pointer stays where no crossing of two lines comes near.
#include "app/QtSurface.h"
#include "app/surface/SurfaceCaches.h"
#include "canvas/FakeHost.h"
#include "common/RandomDrawing.h"

#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>

namespace {

// Between grid crossings (35 pixels from the nearest) and more than 23 pixels from any crossing,
// line end or line centre.
constexpr CPoint kProbe{333, 435};

// A window whose repaint really paints the canvas through the Qt surface into a full-HD image.
class CImageHost : public CFakeHost {
public:
    QImage image{1920, 1080, QImage::Format_RGB32};
    CSurfaceCaches caches; // what the canvas window keeps from one painting to the next
    void RepaintNow() override {
        QPainter painter(&image);
        CQtSurface surface(painter, caches, CQtSurface::EWrites::Batched);
        if (canvas)
            canvas->OnPaint(surface);
    }
};

// One drawing drag step as the mouse delivers it, all three snaps on, near the probe: clamp,
// snap both points, reshape, and the repaint the step causes.
void BM_DrawingDragStep(benchmark::State& state) {
    CImageHost host;
    host.client = {1920, 1080};
    CQuodra canvas(host);
    host.canvas = &canvas;
    canvas.SetMode(kModeSelect);
    host.RepaintNow();
    for (int i = canvas.GetFigures().GetCount() - 1; i >= 0; --i)
        if (canvas.GetFigures().GetAt(i)->m_strType == "HappyNewYear :)")
            canvas.GetFigures().RemoveAndDelete(i);
    AddLinesAwayFrom(canvas.GetFigures(), static_cast<int>(state.range(0)), kProbe, 23, 11);
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
BENCHMARK(BM_DrawingDragStep)
    ->Arg(500)
    ->Arg(1000)
    ->Arg(2000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Complexity();

} // namespace
