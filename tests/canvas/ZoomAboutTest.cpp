// Zooming about a client point (Ctrl+wheel): the page point under it stays under it wherever the
// scroll bars can take the view, and the zoom stays within its limits.
#include "FakeHost.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {

// The page point, in page units, under a client point.
std::pair<double, double> UnitsAt(const CQuodra& c, CPoint client) {
    const CPoint p = c.AreaToPage(c.ClientToArea(client));
    return {p.x / c.GetZoom(), p.y / c.GetZoom()};
}

TEST(ZoomAbout, KeepsThePointUnderThePointerWithinItsLimits) {
    std::mt19937 rng(14);
    std::uniform_int_distribution<int> px(0, 599);
    std::uniform_int_distribution<int> notch(-3, 3);
    CCanvasFixture f({600, 500});
    for (int step = 0; step < 400; ++step) {
        const CPoint client{px(rng), px(rng) * 5 / 6};
        const double before = f.canvas.GetZoom();
        const auto [ux, uy] = UnitsAt(f.canvas, client);
        const double factor = std::pow(2.0, notch(rng) / 2.0);
        const bool changed = f.canvas.ZoomAbout(client, factor);
        const double zoom = f.canvas.GetZoom();
        SCOPED_TRACE(testing::Message() << "step " << step << " zoom " << before << " -> " << zoom);
        EXPECT_GE(zoom, f.canvas.GetViewport().m_dZoomMin);
        EXPECT_LE(zoom, f.canvas.GetViewport().m_dZoomMax);
        EXPECT_EQ(changed, zoom != before);
        EXPECT_EQ(zoom, std::clamp(before * factor, f.canvas.GetViewport().m_dZoomMin,
                                   f.canvas.GetViewport().m_dZoomMax));
        if (!changed)
            continue;
        // Where a bar can scroll far enough, the point is back under the pointer to the pixel.
        const CRect paper = f.canvas.GetPaperRect();
        const CSize client_size = f.host.GetClientSize();
        const auto [vx, vy] = UnitsAt(f.canvas, client);
        const bool roomX = f.canvas.IsHScrollEnabled() && f.host.bars[0].pos > 0 &&
                           f.host.bars[0].pos < paper.right - client_size.cx;
        const bool roomY = f.canvas.IsVScrollEnabled() && f.host.bars[1].pos > 0 &&
                           f.host.bars[1].pos < paper.bottom - client_size.cy;
        if (roomX) {
            EXPECT_NEAR(vx, ux, 1.0 / zoom + 1.0 / before);
        }
        if (roomY) {
            EXPECT_NEAR(vy, uy, 1.0 / zoom + 1.0 / before);
        }
    }
}

} // namespace
