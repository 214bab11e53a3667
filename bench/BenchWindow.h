// The canvas window as the painting benchmarks see it: a full-HD image of the given device-pixel
// ratio that is kept from one painting to the next, painted as the canvas widget paints it
// (PaintCanvasImage): everything on RepaintNow, only the marked rectangles on UpdateNow. The
// drawing: the grid, then generated figures of every kind, a fifth of them with styles of their
// own, the start-up picture taken out.
#pragma once

#include "app/CanvasWidget.h"
#include "app/surface/SurfaceCaches.h"
#include "canvas/FakeHost.h"
#include "common/RandomDrawing.h"

#include <QImage>
#include <QRegion>

#include <utility>

class CBenchWindow : public CFakeHost {
public:
    QImage image{1920, 1080, QImage::Format_RGB32};
    CSurfaceCaches caches;
    QRegion damage;
    int wholePaintings = 0; // RepaintNow's, which a step that changed little should not need

    explicit CBenchWindow(double ratio = 1.0) {
        image.setDevicePixelRatio(ratio);
        client = {RoundHalf(1920 / ratio), RoundHalf(1080 / ratio)};
    }
    void RepaintNow() override {
        damage = QRegion();
        ++wholePaintings;
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

// A canvas in a bench window with count generated figures (of `size` times the usual size),
// laid out and painted once, then zoomed about the window's centre.
struct CBenchCanvas {
    CBenchWindow window;
    CQuodra canvas{window};

    CBenchCanvas(int count, double ratio = 1.0, double zoom = 1.0, double size = 1.0)
        : window(ratio) {
        window.canvas = &canvas;
        canvas.SetMode(kModeSelect);
        window.RepaintNow(); // lays the page out and adds the grid
        CFigureList& list = canvas.GetDrawing().EditFigures();
        for (int i = list.GetCount() - 1; i >= 0; --i)
            if (list.GetAt(i)->m_strType == "HappyNewYear :)")
                list.RemoveAndDelete(i);
        CRandomDrawing gen(7);
        gen.SetSize(size);
        gen.AddEveryKindTo(list, count, 5);
        canvas.GetDrawing().NoteChangedOutside();
        if (zoom != 1.0)
            canvas.ZoomAbout({window.client.cx / 2, window.client.cy / 2}, zoom);
        window.RepaintNow();
    }
    CPoint ClientOf(CPoint page) const { return canvas.AreaToClient(canvas.PageToArea(page)); }
    // The first figure of the type from the middle of the list on, at least 40 pixels wide, whose
    // start point shows in the window's middle half.
    int PickShown(const char* type) const {
        const CFigureList& list = canvas.GetFigures();
        for (int i = list.GetCount() / 2, n = 0; n < list.GetCount();
             ++n, i = (i + 1) % list.GetCount()) {
            const CFigure& f = *list.GetAt(i);
            const CPoint c = ClientOf(f.GetHandlePoint(kHandleStart, canvas.GetZoom()));
            const CRect r = f.GetBoundingRect(canvas.GetZoom());
            if (f.m_strType == type && r.right - r.left >= 40 && c.x > window.client.cx / 4 &&
                c.x < window.client.cx * 3 / 4 && c.y > window.client.cy / 4 &&
                c.y < window.client.cy * 3 / 4)
                return i;
        }
        return list.GetCount() / 2;
    }
};
