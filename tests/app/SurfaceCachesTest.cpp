// A window's surface caches driven past their limits: paintings that fill them beyond what they
// may keep, frame after frame, in two fonts, still give the plain surface's pixels, and every
// cache is emptied between frames.
#include "app/surface/SurfaceCaches.h"
#include "app/PlainQtSurface.h"
#include "app/surface/QtSurface.h"
#include "common/RandomDrawing.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

#include <string>

namespace {

void PaintFrame(CDrawSurface& dc, const CFigureList& list, double zoom, CPoint shift) {
    dc.FillRect({-10, -10, 2000, 2000}, RGB(255, 255, 255));
    list.DrawAll(dc, zoom, shift.x, shift.y);
    // Cut by the image's edges: what the painter draws itself, kept by call.
    dc.Line({-300, 20}, {900, 500}, {EPenStyle::Solid, 3, RGB(0, 0, 200)});
    dc.Line({-40, 380}, {700, -90}, {EPenStyle::Dotted, 1, 0});
    // Labels, more than the texts kept, at every angle and reference, some cut by the edges.
    for (int i = 0; i < 8; ++i)
        dc.DrawTextAt({i * 90 - 20, 60 + i * 50}, "label " + std::to_string(i), "LCR"[i % 3],
                      "TCB"[i / 3 % 3], i * 40.0, 10 + i);
}

TEST(SurfaceCaches, PastTheirLimitsTheyEmptyBetweenFramesAndKeepThePixels) {
    CSurfaceCaches::CLimits limits;
    limits.footprintRows = 200;
    limits.curvePoints = 200;
    limits.painterRuns = 200;
    limits.texts = 5;
    CSurfaceCaches caches(limits);
    CRandomDrawing gen(31);
    CFigureList list;
    gen.AddTo(list, 120);
    QFont serif("Serif");
    serif.setPointSize(11);
    const QFont fonts[] = {QFont(), serif};
    int frame = 0;
    for (const double zoom : {1.0, 2.0, 4.0, 2.0, 1.0, 5.0})
        for (const bool batched : {true, false}) {
            const CPoint shift{320 - RoundHalf(340 * zoom), 240 - RoundHalf(400 * zoom)};
            const QFont& font = fonts[frame++ % 2];
            const auto render = [&](auto paint) {
                QImage image(640, 480, QImage::Format_RGB32);
                image.fill(Qt::black);
                QPainter painter(&image);
                painter.setFont(font);
                paint(painter);
                painter.end();
                return image;
            };
            const QImage plain = render([&](QPainter& painter) {
                CPlainQtSurface surface(painter);
                PaintFrame(surface, list, zoom, shift);
            });
            const QImage fast = render([&](QPainter& painter) {
                CQtSurface surface(painter, caches,
                                   batched ? CQtSurface::EWrites::Batched
                                           : CQtSurface::EWrites::Immediate);
                PaintFrame(surface, list, zoom, shift);
            });
            EXPECT_TRUE(plain == fast) << "zoom " << zoom << (batched ? ", held" : "");
            // Between frames nothing is kept past a limit.
            EXPECT_LE(caches.Footprints().GetRows(), limits.footprintRows);
            EXPECT_LE(caches.Curves().GetPoints(), limits.curvePoints);
            EXPECT_LE(caches.PainterCalls().GetRuns(), limits.painterRuns);
            EXPECT_LE(caches.Texts().GetTexts(), limits.texts);
            EXPECT_LE(caches.TextsAt().GetTexts(), limits.texts);
        }
    EXPECT_GT(caches.Footprints().GetDrops(), 0);
    EXPECT_GT(caches.Curves().GetDrops(), 0);
    EXPECT_GT(caches.PainterCalls().GetDrops(), 0);
    EXPECT_GT(caches.Texts().GetDrops(), 0);
}

} // namespace
