// A painting clipped to one rectangle, as the canvas window paints what changed, sets the pixels
// inside it exactly as the whole painting does and leaves the rest alone: random drawings of every
// kind and style, at random zooms, device-pixel ratios and rectangles.
//
// Disabled until it passes. What it finds: a wide segment that the clip cuts is cut by the
// surface where it leaves the clip (VisibleArea) instead of where it leaves the device, and the
// painter strokes the cut segment a pixel differently (round 0: zoom 2, ratio 1, clip 493,306
// 99x112, pixel 509,415); cutting at the device instead fixes that one. Past it, clipped
// paintings differ inside the clip at two device pixels a unit (round 4, zoom 1.5, clip 502,405
// 98x230, device pixel 1073,951) and at 1.25, where a clipped painting goes all to the painter.
// A partial repaint of the canvas window can then leave pixels that a whole painting would not.
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
            // The clip in device pixels; a pixel it covers in part is left out of the comparison.
            const double left = clip.left() * ratio, right = (clip.right() + 1) * ratio;
            const double top = clip.top() * ratio, bottom = (clip.bottom() + 1) * ratio;
            for (int y = 0; y < part.height(); ++y)
                for (int x = 0; x < part.width(); ++x) {
                    const bool in = x >= left && x + 1 <= right && y >= top && y + 1 <= bottom;
                    const bool out = x + 1 <= left || x >= right || y + 1 <= top || y >= bottom;
                    if (!in && !out)
                        continue;
                    const QRgb want = in ? whole.pixel(x, y) : qRgb(1, 2, 3);
                    ASSERT_EQ(part.pixel(x, y), want)
                        << "round " << round << ", zoom " << zoom << ", ratio " << ratio
                        << ", pixel " << x << "," << y << ", clip " << clip.x() << "," << clip.y()
                        << " " << clip.width() << "x" << clip.height();
                }
        }
    }
}

} // namespace
