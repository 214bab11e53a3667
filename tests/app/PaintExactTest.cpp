// The fast Qt surface against the plain one it replaced: a generated drawing of every figure kind,
// selected and not, with lines cut by the image edges, painted through both at every zoom step a
// user reaches, must give the same image pixel for pixel.
#include "app/PlainQtSurface.h"
#include "app/QtSurface.h"
#include "common/RandomDrawing.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

#include <climits>

namespace {

// The drawing plus what the canvas draws around it: fills, a long grid-coloured line across the
// whole image, lines reaching the int limits, a dotted band and a solid zoom square.
void PaintScene(CDrawSurface& dc, const CFigureList& list, double zoom, CPoint shift) {
    dc.FillRect({-50, -50, 4000, 4000}, RGB(160, 160, 160));
    dc.FillRect(
        {shift.x, shift.y, shift.x + RoundHalf(681 * zoom), shift.y + RoundHalf(801 * zoom)},
        RGB(255, 255, 255));
    list.DrawAll(dc, zoom, shift.x, shift.y);
    dc.Line({-3000, 20}, {5000, 700}, {EPenStyle::Solid, 1, RGB(138, 130, 255)});
    dc.Line({INT_MIN, 333}, {INT_MAX, 340}, {EPenStyle::Dotted, 1, 0});
    dc.Line({40, INT_MIN}, {45, INT_MAX}, {EPenStyle::Solid, OutlineWidth(zoom), 0});
    dc.XorRectangle({30, 40, 611, 523});
    dc.Rectangle({30, 40, 513, 523}, {EPenStyle::Solid, 1, RGB(255, 0, 0)}, std::nullopt);
    dc.SetOrigin({7, -3});
    DrawSegment(dc, {100, 100}, {-200, 900}, {EPenStyle::Solid, OutlineWidth(zoom), 0});
    dc.SetOrigin({0, 0});
}

template <class Surface>
QImage Render(const CFigureList& list, double zoom, CPoint shift, QImage::Format format) {
    QImage image(1000, 700, format);
    image.fill(Qt::black);
    QPainter painter(&image);
    Surface surface(painter);
    PaintScene(surface, list, zoom, shift);
    painter.end();
    return image;
}

// Where two images differ, for the failure message.
std::string FirstDifference(const QImage& a, const QImage& b) {
    int count = 0;
    std::string first;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y) && count++ == 0)
                first = std::to_string(x) + "," + std::to_string(y);
    return std::to_string(count) + " pixels differ, first at " + first;
}

TEST(PaintExact, FastSurfaceMatchesThePlainOneAtEveryZoom) {
    CRandomDrawing gen(2024);
    CFigureList list;
    gen.AddTo(list, 600);
    for (int i = 0; i < list.GetCount(); ++i)
        list.GetAt(i)->m_bSelected = i % 3 == 0;
    int step = 0;
    for (double zoom : {0.25, 0.5, 1.0, 1.5, 2.0, 2.6, 4.0, 5.0, 8.0, 10.0}) {
        // The middle of the page in the middle of the image, so figures are cut at every edge.
        const CPoint shift{500 - RoundHalf(340 * zoom), 350 - RoundHalf(400 * zoom)};
        const QImage::Format format =
            step++ % 2 ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;
        const QImage plain = Render<CPlainQtSurface>(list, zoom, shift, format);
        const QImage fast = Render<CQtSurface>(list, zoom, shift, format);
        EXPECT_TRUE(plain == fast) << "zoom " << zoom << ": " << FirstDifference(plain, fast);
    }
}

} // namespace
