// Real pixels from the QPainter surface: figures painted into an image and read back.
#include "app/QtSurface.h"
#include "common/GeometryPrinters.h"
#include "figures/Line.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

#include <climits>

namespace {

constexpr QRgb kWhite = 0xFFFFFFFF;
constexpr QRgb kBlack = 0xFF000000;
constexpr QRgb kRed = 0xFFFF0000;
constexpr QRgb kBlue = 0xFF0000FF;

class QtSurfaceTest : public ::testing::Test {
protected:
    QtSurfaceTest() : m_image(400, 300, QImage::Format_RGB32) { m_image.fill(Qt::white); }

    // Runs draw on a fresh painter over the image.
    template <class F> void Paint(F&& draw) {
        QPainter painter(&m_image);
        CQtSurface surface(painter);
        draw(surface);
    }
    QRgb At(int x, int y) const { return m_image.pixel(x, y); }
    int CountNonWhite(QRect r) const {
        int n = 0;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                n += At(x, y) != kWhite;
        return n;
    }
    int CountNonWhiteInColumn(int x) const {
        return CountNonWhite(QRect(x, 0, 1, m_image.height()));
    }
    int CountNonWhiteInRow(int y) const { return CountNonWhite(QRect(0, y, m_image.width(), 1)); }

    QImage m_image;
};

TEST_F(QtSurfaceTest, OnePixelLineLeavesOutItsEnd) {
    Paint([](CDrawSurface& dc) {
        dc.Line({10, 10}, {20, 10}, {});
        dc.Line({10, 30}, {20, 35}, {});
    });
    for (int x = 10; x < 20; ++x)
        EXPECT_EQ(kBlack, At(x, 10)) << x;
    EXPECT_EQ(kWhite, At(20, 10));
    EXPECT_EQ(kWhite, At(9, 10));
    EXPECT_EQ(10, CountNonWhiteInRow(10));
    // The pixels are the walk the hit tests use.
    int n = 0;
    WalkSegment({10, 30}, {20, 35}, [&](CPoint p) {
        EXPECT_EQ(kBlack, At(p.x, p.y)) << p.x << "," << p.y;
        ++n;
    });
    EXPECT_EQ(n, CountNonWhite(QRect(0, 25, 400, 20)));
}

TEST_F(QtSurfaceTest, EveryLineAndArrowSegmentEndsInARedPixel) {
    struct Case {
        CDoublePoint a, b;
        bool arrow;
        double zoom;
    };
    const Case cases[] = {
        {{10, 10}, {100, 40}, false, 1.0}, {{100, 60}, {10, 90}, false, 1.0},
        {{50, 10}, {50, 80}, true, 1.0},   {{10, 20}, {60, 70}, true, 2.0},
        {{30, 30}, {80, 30}, false, 2.6},
    };
    for (const Case& c : cases) {
        m_image.fill(Qt::white);
        const std::unique_ptr<CLine> f =
            c.arrow ? std::make_unique<CArrow>() : std::make_unique<CLine>();
        f->m_pt1 = c.a;
        f->m_pt2 = c.b;
        Paint([&](CDrawSurface& dc) { f->Paint(dc, c.zoom, 5, 7); });
        const CPoint e = ToPixel(c.b, c.zoom) + CPoint{5, 7};
        EXPECT_EQ(kRed, At(e.x, e.y)) << e.x << "," << e.y;
        const CPoint s = ToPixel(c.a, c.zoom) + CPoint{5, 7};
        EXPECT_EQ(kBlack, At(s.x, s.y));
    }
}

TEST_F(QtSurfaceTest, PenWidthThreeAtZoomTwoPointSix) {
    CLine line;
    line.m_pt1 = {10, 20};
    line.m_pt2 = {100, 20}; // pixels (26, 52) to (260, 52)
    Paint([&](CDrawSurface& dc) { line.Paint(dc, 2.6, 0, 0); });
    EXPECT_EQ(3, CountNonWhiteInColumn(150));
    EXPECT_EQ(kBlack, At(150, 51));
    EXPECT_EQ(kBlack, At(150, 52));
    EXPECT_EQ(kBlack, At(150, 53));

    m_image.fill(Qt::white);
    line.m_pt2 = {10, 100}; // vertical
    Paint([&](CDrawSurface& dc) { line.Paint(dc, 2.6, 0, 0); });
    EXPECT_EQ(3, CountNonWhiteInRow(150));
}

TEST_F(QtSurfaceTest, DottedLineIsOnePixelWideAtEveryZoom) {
    for (double zoom : {1.0, 3.0}) {
        m_image.fill(Qt::white);
        CLine line;
        line.m_nPenStyle = 2;
        line.m_pt1 = {5, 40};
        line.m_pt2 = {120, 40};
        Paint([&](CDrawSurface& dc) { line.Paint(dc, zoom, 0, 0); });
        const int y = RoundHalf(40 * zoom);
        const int x0 = RoundHalf(5 * zoom), x1 = RoundHalf(120 * zoom);
        int dots = 0;
        for (int x = x0 + 1; x < x1 - 1; ++x) {
            EXPECT_EQ(0, CountNonWhiteInColumn(x) - (At(x, y) != kWhite))
                << x; // nothing off the line
            dots += At(x, y) == kBlack;
        }
        // Dotted: about half of the pixels set, never two neighbours.
        EXPECT_NEAR((x1 - x0) / 2, dots, 2);
        for (int x = x0; x < x1 - 1; ++x)
            EXPECT_FALSE(At(x, y) == kBlack && At(x + 1, y) == kBlack) << x;
        EXPECT_EQ(kRed, At(x1, y));
    }
}

TEST_F(QtSurfaceTest, ArrowHeadIsFilledBlack) {
    CArrow arrow;
    arrow.m_pt1 = {100, 100};
    arrow.m_pt2 = {200, 100};
    arrow.m_crColor = RGB(0, 160, 0);
    Paint([&](CDrawSurface& dc) { arrow.Paint(dc, 1.0, 0, 0); });
    // Inside the triangle (184, 96), (200, 100), (184, 104).
    for (const QPoint p : {QPoint(185, 97), QPoint(185, 103), QPoint(190, 98), QPoint(195, 100),
                           QPoint(190, 101), QPoint(186, 100)})
        EXPECT_EQ(kBlack, At(p.x(), p.y())) << p.x() << "," << p.y();
    EXPECT_EQ(kWhite, At(184, 94));
    EXPECT_EQ(kWhite, At(184, 106));
    EXPECT_EQ(kWhite, At(202, 100));
    EXPECT_EQ(qRgb(0, 160, 0), At(150, 100)); // the shaft keeps its colour
    EXPECT_EQ(kRed, At(200, 100));
}

TEST_F(QtSurfaceTest, HandleSquaresAreSevenPixelsBlackAroundBlue) {
    CLine line;
    line.m_pt1 = {20, 20};
    line.m_pt2 = {60, 20};
    line.m_bSelected = true;
    Paint([&](CDrawSurface& dc) { line.Paint(dc, 1.0, 0, 0); });
    // Square (17, 17, 24, 24): outline on 17 and 23, blue inside, nothing at 24.
    for (int i = 17; i <= 23; ++i) {
        EXPECT_EQ(kBlack, At(i, 17)) << i;
        EXPECT_EQ(kBlack, At(i, 23)) << i;
        EXPECT_EQ(kBlack, At(17, i)) << i;
        EXPECT_EQ(kBlack, At(23, i)) << i;
    }
    for (int y = 18; y <= 22; ++y)
        for (int x = 18; x <= 22; ++x)
            EXPECT_EQ(kBlue, At(x, y)) << x << "," << y;
    EXPECT_EQ(kWhite, At(24, 18));
    EXPECT_EQ(kWhite, At(18, 24));
    EXPECT_EQ(kWhite, At(16, 18));
    EXPECT_EQ(49 * 2 + 40 - 7, CountNonWhite(QRect(0, 0, 400, 300))); // squares + bare line
}

TEST_F(QtSurfaceTest, TextStaysInsideItsRectangle) {
    Paint([](CDrawSurface& dc) {
        dc.DrawText({50, 50, 250, 90}, "Quodra \xC3\xA4");
        // Far too long for its box: clipped.
        dc.DrawText({50, 150, 80, 170}, "a very long text that cannot fit into thirty pixels");
    });
    const int inside = CountNonWhite(QRect(50, 50, 200, 40));
    EXPECT_GT(inside, 20);
    EXPECT_EQ(inside, CountNonWhite(QRect(0, 0, 400, 140)));
    // Centred: ink on both sides of the middle.
    EXPECT_GT(CountNonWhite(QRect(100, 50, 50, 40)), 0);
    EXPECT_GT(CountNonWhite(QRect(150, 50, 50, 40)), 0);
    EXPECT_EQ(0, CountNonWhite(QRect(50, 50, 40, 40)));
    EXPECT_GT(CountNonWhite(QRect(50, 150, 30, 20)), 0);
    EXPECT_EQ(CountNonWhite(QRect(50, 150, 30, 20)), CountNonWhite(QRect(0, 140, 400, 160)));
}

TEST_F(QtSurfaceTest, ImagesStretchAndMissingFilesDrawNothing) {
    const QString path = QString::fromUtf8(::testing::TempDir().c_str()) + "/quodra-surface.png";
    QImage small(2, 1, QImage::Format_RGB32);
    small.setPixel(0, 0, qRgb(255, 0, 0));
    small.setPixel(1, 0, qRgb(0, 0, 255));
    ASSERT_TRUE(small.save(path));
    Paint([&](CDrawSurface& dc) {
        dc.DrawImage("/nonexistent/quodra/none.gif", {0, 0, 400, 300});
        dc.DrawImage(path.toStdString(), {10, 10, 30, 20});
    });
    EXPECT_EQ(kRed, At(12, 12));
    EXPECT_EQ(kBlue, At(28, 18));
    EXPECT_EQ(200, CountNonWhite(QRect(0, 0, 400, 300)));
}

TEST_F(QtSurfaceTest, XorBandIsDottedAndUndoesItself) {
    Paint([](CDrawSurface& dc) {
        dc.FillRect({100, 100, 120, 110}, RGB(0, 0, 0));
        dc.XorRectangle({90, 90, 150, 130});
    });
    int dots = 0;
    for (int x = 90; x < 150; ++x)
        dots += At(x, 90) == kBlack;
    EXPECT_EQ(30, dots);
    EXPECT_EQ(kWhite, At(150, 90));
    EXPECT_EQ(kBlack, At(110, 105)); // inside untouched
    Paint([](CDrawSurface& dc) { dc.XorRectangle({90, 90, 150, 130}); });
    EXPECT_EQ(0, CountNonWhite(QRect(0, 0, 400, 300)) - 200);
}

TEST_F(QtSurfaceTest, OriginShiftsAndHugeGeometryIsCut) {
    Paint([](CDrawSurface& dc) {
        dc.SetOrigin({1000, 2000});
        dc.Line({1010, 2010}, {1020, 2010}, {});
        dc.SetOrigin({0, 0});
        // Ends at the limits of int: only the visible run is drawn, at once.
        dc.Line({INT_MIN, 200}, {INT_MAX, 200}, {});
        dc.Line({INT_MIN, 250}, {INT_MAX, 250}, {EPenStyle::Solid, 3, 0});
        dc.FillPolygon({{INT_MIN, 270}, {INT_MAX, 270}, {0, INT_MAX}}, RGB(0, 0, 0));
    });
    EXPECT_EQ(kBlack, At(10, 10));
    EXPECT_EQ(kWhite, At(20, 10));
    EXPECT_EQ(kBlack, At(399, 200));
    EXPECT_EQ(kBlack, At(0, 251));
    EXPECT_EQ(kWhite, At(0, 269));
    EXPECT_EQ(kBlack, At(0, 270));
    EXPECT_EQ(kBlack, At(399, 299));
}

// On a high-density device one unit covers more than one raster pixel: a solid one-pixel line
// must still show as a solid line, with ink in every raster column (or row) along it.
TEST(QtSurfaceHiDpi, SolidOnePixelLinesHaveNoGaps) {
    for (const double ratio : {1.0, 1.5, 2.0}) {
        QImage image(QSize(200, 200) * ratio, QImage::Format_RGB32);
        image.setDevicePixelRatio(ratio);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            CQtSurface surface(painter);
            surface.Line({10, 20}, {190, 20}, {});
            surface.Line({20, 30}, {20, 190}, {});
            surface.Line({40, 40}, {180, 110}, {});
        }
        const auto inkAt = [&](int x, int y) { return (image.pixel(x, y) & 0xFFFFFF) == 0; };
        const auto columnHasInk = [&](int x, int y0, int y1) {
            for (int y = y0; y <= y1; ++y)
                if (inkAt(x, y))
                    return true;
            return false;
        };
        const auto rowHasInk = [&](int y, int x0, int x1) {
            for (int x = x0; x <= x1; ++x)
                if (inkAt(x, y))
                    return true;
            return false;
        };
        const auto dev = [ratio](double v) { return static_cast<int>(v * ratio); };
        for (int x = dev(10) + 1; x < dev(189); ++x)
            EXPECT_TRUE(columnHasInk(x, dev(19), dev(22))) << "ratio " << ratio << " x " << x;
        for (int y = dev(30) + 1; y < dev(189); ++y)
            EXPECT_TRUE(rowHasInk(y, dev(19), dev(22))) << "ratio " << ratio << " y " << y;
        for (int x = dev(40) + 1; x < dev(179); ++x) {
            const double y = 40 + (x / ratio - 40) * 0.5;
            EXPECT_TRUE(columnHasInk(x, dev(y - 2), dev(y + 2))) << "ratio " << ratio << " x " << x;
        }
    }
}

} // namespace
