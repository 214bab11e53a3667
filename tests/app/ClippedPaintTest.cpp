// A painting clipped to one rectangle, as the canvas window paints what changed, sets the pixels
// inside it exactly as the whole painting does and leaves the rest alone: random drawings of every
// kind and style, at random zooms, device-pixel ratios and rectangles.
//
// Disabled until it passes: the painter rasterises a two-pixel diagonal line that a clip cuts
// differently from the whole line, a pixel off near the clip's edge (seed 0 of this test: a
// rotated rectangle at zoom 2, ratio 1, clip 493,306 99x112, pixel 509,415). A partial repaint of
// the canvas window can then leave a pixel that a whole painting would not.
#include "app/QtSurface.h"
#include "app/surface/SurfaceCaches.h"
#include "common/RandomDrawing.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

QImage Paint(const CFigureList& list, double zoom, double ratio, CSurfaceCaches& caches,
             const QRect* clip) {
    QImage image(QSize(640, 480) * ratio, QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(QColor(1, 2, 3));
    QPainter painter(&image);
    if (clip)
        painter.setClipRect(*clip);
    {
        CQtSurface surface(painter, caches);
        list.DrawAll(surface, zoom, 10, 10);
    }
    painter.end();
    return image;
}

TEST(ClippedPaint, DISABLED_SetsThePixelsOfTheWholePaintingInsideTheClipAndNoOthers) {
    std::mt19937 rng(20261208);
    const auto num = [&](int lo, int hi) { return std::uniform_int_distribution<>(lo, hi)(rng); };
    CSurfaceCaches caches;
    for (int round = 0; round < 40; ++round) {
        CFigureList list;
        CRandomDrawing gen(static_cast<unsigned>(round));
        gen.AddEveryKindTo(list, 60, 2);
        for (int i = 0; i < list.GetCount(); i += 4)
            list.GetAt(i)->m_bSelected = true;
        const double zoom = std::vector<double>{0.5, 1.0, 1.5, 2.0, 4.0}[num(0, 4)];
        const double ratio = std::vector<double>{1.0, 1.25, 2.0}[num(0, 2)];
        const QImage whole = Paint(list, zoom, ratio, caches, nullptr);
        for (int k = 0; k < 4; ++k) {
            const QRect clip(num(-20, 600), num(-20, 440), num(1, 300), num(1, 300));
            const QImage part = Paint(list, zoom, ratio, caches, &clip);
            const QRect inside(clip.topLeft() * ratio, clip.size() * ratio);
            for (int y = 0; y < part.height(); ++y)
                for (int x = 0; x < part.width(); ++x) {
                    const QRgb want = inside.contains(x, y) ? whole.pixel(x, y) : qRgb(1, 2, 3);
                    ASSERT_EQ(part.pixel(x, y), want)
                        << "round " << round << ", zoom " << zoom << ", ratio " << ratio
                        << ", pixel " << x << "," << y << ", clip " << clip.x() << "," << clip.y()
                        << " " << clip.width() << "x" << clip.height();
                }
        }
    }
}

} // namespace
