// The canvas window paints again only the rectangles that changed: at every device-pixel ratio,
// the image pixels those rectangles cover come out exactly as in a whole painting, and no other
// pixel of the image is touched. Random drawings of every kind and style, some selected, at random
// zooms, and random sets of rectangles.
#include "app/CanvasWidget.h"
#include "app/QtSurface.h"
#include "app/surface/SurfaceCaches.h"
#include "canvas/FakeHost.h"
#include "common/RandomDrawing.h"

#include <QImage>
#include <QPainter>
#include <QRegion>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

TEST(LimitedPaint, RepaintedRectanglesEqualTheWholePaintingAndNothingElseChanges) {
    std::mt19937 rng(20261208);
    const auto num = [&](int lo, int hi) { return std::uniform_int_distribution<>(lo, hi)(rng); };
    const QRgb garbage = qRgb(1, 2, 3);
    CSurfaceCaches caches;
    for (int round = 0; round < 25; ++round) {
        const double ratio = std::vector<double>{1.0, 1.25, 1.5, 2.0, 3.0}[round % 5];
        CFakeHost host;
        host.client = {640, 480};
        CQuodra canvas(host);
        canvas.SetMode(kModeSelect);
        CFigureList list;
        CRandomDrawing gen(static_cast<unsigned>(round));
        gen.AddEveryKindTo(list, 60, 2);
        for (int i = 0; i < list.GetCount(); i += 4)
            list.GetAt(i)->m_bSelected = true;
        canvas.ReplaceFigures(std::move(list));
        QImage whole(QSize(int(std::ceil(640 * ratio)), int(std::ceil(480 * ratio))),
                     QImage::Format_RGB32);
        whole.setDevicePixelRatio(ratio);
        PaintCanvasImage(canvas, caches, whole, QRegion()); // lays the canvas out
        canvas.ZoomAbout({num(0, 639), num(0, 479)}, std::vector{0.5, 1.0, 1.5, 4.0}[num(0, 3)]);
        PaintCanvasImage(canvas, caches, whole, QRegion());
        for (int k = 0; k < 3; ++k) {
            QRegion region;
            for (int n = num(1, 3); n > 0; --n)
                region += QRect(num(-20, 600), num(-20, 440), num(1, 200), num(1, 200));
            QImage part(whole.size(), QImage::Format_RGB32);
            part.setDevicePixelRatio(ratio);
            part.fill(garbage);
            PaintCanvasImage(canvas, caches, part, region);
            // A pixel that a rectangle covers even in part is painted; the others keep what they
            // had, or are painted as they are in the whole painting (rectangles close together
            // are painted as one).
            QImage want(whole.size(), QImage::Format_RGB32);
            want.fill(garbage);
            for (const QRect& r : region) {
                const QRect px = QRect(QPoint(int(std::floor(r.left() * ratio)),
                                              int(std::floor(r.top() * ratio))),
                                       QPoint(int(std::ceil((r.right() + 1) * ratio)) - 1,
                                              int(std::ceil((r.bottom() + 1) * ratio)) - 1)) &
                                 want.rect();
                for (int y = px.top(); y <= px.bottom(); ++y)
                    for (int x = px.left(); x <= px.right(); ++x)
                        want.setPixel(x, y, whole.pixel(x, y));
            }
            for (int y = 0; y < part.height(); ++y) {
                if (std::memcmp(part.constScanLine(y), want.constScanLine(y),
                                std::size_t(part.width()) * 4) == 0)
                    continue;
                int x = 0;
                while (x < part.width() &&
                       (part.pixel(x, y) == want.pixel(x, y) ||
                        (want.pixel(x, y) == garbage && part.pixel(x, y) == whole.pixel(x, y))))
                    ++x;
                if (x == part.width())
                    continue;
                FAIL() << "round " << round << ", zoom " << canvas.GetZoom() << ", ratio " << ratio
                       << ", pixel " << x << "," << y;
            }
        }
    }
}

// A figure that says it leaves a rectangle untouched (so that painting what changed can pass it
// over) sets no pixel there: figures of every kind and style, some selected, painted alone, and
// random rectangles inside their frames.
TEST(LimitedPaint, AFigureThatMissesARectangleSetsNoPixelInIt) {
    std::mt19937 rng(7);
    const auto num = [&](int lo, int hi) { return std::uniform_int_distribution<>(lo, hi)(rng); };
    CRandomDrawing gen(11);
    gen.SetSize(3.0);
    CFigureList list;
    gen.AddEveryKindTo(list, 400, 2);
    int missed = 0;
    for (int i = 0; i < list.GetCount(); ++i) {
        CFigure& f = *list.GetAt(i);
        f.m_bSelected = i % 5 == 0;
        const double zoom = std::vector{0.5, 1.0, 2.0}[num(0, 2)];
        const CRect box = f.GetBoundingRect(zoom);
        if (box.right - box.left > 2500 || box.bottom - box.top > 2500)
            continue;
        QImage image(box.right - box.left + 200, box.bottom - box.top + 200, QImage::Format_RGB32);
        image.fill(Qt::white);
        const CPoint shift{100 - box.left, 100 - box.top};
        {
            QPainter painter(&image);
            CQtSurface surface(painter);
            f.Paint(surface, zoom, shift.x, shift.y);
        }
        for (int k = 0; k < 30; ++k) {
            const int left = num(box.left - 20, box.right), top = num(box.top - 20, box.bottom);
            const CRect r{left, top, left + num(1, 120), top + num(1, 120)};
            if (!f.MissesRect(r, zoom))
                continue;
            ++missed;
            for (int y = std::max(r.top + shift.y, 0);
                 y < std::min(r.bottom + shift.y, image.height()); ++y)
                for (int x = std::max(r.left + shift.x, 0);
                     x < std::min(r.right + shift.x, image.width()); ++x)
                    ASSERT_EQ(image.pixel(x, y), qRgb(255, 255, 255))
                        << "figure " << i << " (" << f.m_strType << "), zoom " << zoom;
        }
    }
    EXPECT_GT(missed, 500); // the claim is put to the test often enough
}
