// A drag step and an arrow-key nudge of one figure in a generated drawing of 10,000 figures of
// every kind, with what the step changed painted again as the canvas window paints it (only the
// damaged rectangles, through its own painting function), into a full-HD image at one and at two
// device pixels a unit.
#include "app/CanvasWidget.h"
#include "app/surface/SurfaceCaches.h"
#include "canvas/FakeHost.h"
#include "common/RandomDrawing.h"

#include <QImage>
#include <QRegion>
#include <benchmark/benchmark.h>

#include <utility>

namespace {

// A window that keeps its image and paints only what the canvas marks, as CCanvasWidget does.
class CDamageHost : public CFakeHost {
public:
    QImage image{1920, 1080, QImage::Format_RGB32};
    CSurfaceCaches caches;
    QRegion damage;
    void RepaintNow() override {
        damage = QRegion();
        if (canvas)
            PaintCanvasImage(*canvas, caches, image, QRegion());
    }
    void InvalidateRect(const CRect& r) override {
        damage += QRect(r.left, r.top, r.right - r.left, r.bottom - r.top) &
                  QRect(0, 0, client.cx, client.cy);
    }
    void UpdateNow() override {
        if (canvas && !damage.isEmpty())
            PaintCanvasImage(*canvas, caches, image, std::exchange(damage, QRegion()));
    }
};

enum class EStep { Drag, Nudge };

void DamagedRepaint(benchmark::State& state, EStep step, double ratio) {
    CDamageHost host;
    host.image.setDevicePixelRatio(ratio);
    host.client = {RoundHalf(1920 / ratio), RoundHalf(1080 / ratio)};
    CQuodra canvas(host);
    host.canvas = &canvas;
    canvas.SetMode(kModeSelect);
    host.RepaintNow(); // lays the page out
    CFigureList& list = canvas.GetFigures();
    for (int i = list.GetCount() - 1; i >= 0; --i)
        if (list.GetAt(i)->m_strType == "HappyNewYear :)")
            list.RemoveAndDelete(i);
    CRandomDrawing(7).AddTo(list, static_cast<int>(state.range(0)));
    host.RepaintNow();
    // A rectangle near the middle of the list, grabbed at its first corner.
    int pick = list.GetCount() / 2;
    while (list.GetAt(pick)->m_strType != "Rectangle")
        ++pick;
    const CFigure& figure = *list.GetAt(pick);
    const CPoint corner = figure.GetHandlePoint(kHandleStart, canvas.GetZoom());
    const CPoint at = canvas.AreaToClient(canvas.PageToArea(corner));
    if (step == EStep::Drag) {
        host.pointer = at;
        canvas.OnLButtonDown(at, false);
    } else {
        list.GetAt(pick)->m_bSelected = true;
    }
    int i = 0;
    for (auto _ : state) {
        const bool back = i++ % 2;
        if (step == EStep::Drag) {
            // The pointer goes where the mouse is, so the canvas has no reason to move it.
            host.pointer = {at.x + (back ? 0 : 3), at.y + (back ? 0 : 2)};
            canvas.OnMouseMove(host.pointer);
        } else {
            canvas.OnKeyDown(back ? EKey::Left : EKey::Right);
        }
    }
    if (step == EStep::Drag)
        canvas.OnLButtonUp(host.pointer);
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
BENCHMARK(BM_PaintDamageDragStep)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PaintDamageNudge)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PaintDamageDragStepRatio2)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PaintDamageNudgeRatio2)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
