// The canvas's page layout, scroll bars, zoom operations and painting, driven through the fake
// window.
#include "FakeHost.h"

#include "figures/Line.h"
#include "figures/Rectangle.h"

#include <gtest/gtest.h>

namespace {

constexpr COLORREF kGrid = RGB(138, 130, 255);

TEST(CanvasLayout, ScrollBarsAndCentringFollowTheWindowSize) {
    struct Case {
        CSize client;
        bool h, v;
        int centerLeft, centerRight, centerTop, centerBottom;
    };
    // The paper is 695 x 815 pixels at zoom 1.
    const Case cases[] = {
        {{1000, 900}, false, false, 153, 152, 43, 42}, {{500, 900}, true, false, 0, 0, 43, 42},
        {{1000, 600}, false, true, 153, 152, 0, 0},    {{695, 815}, false, false, 0, 0, 0, 0},
        {{694, 814}, true, true, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.client.cx << " x " << c.client.cy);
        CCanvasFixture f(c.client);
        EXPECT_EQ(c.h, f.canvas.IsHScrollEnabled());
        EXPECT_EQ(c.v, f.canvas.IsVScrollEnabled());
        EXPECT_EQ(c.h, f.host.bars[0].enabled);
        EXPECT_EQ(c.v, f.host.bars[1].enabled);
        EXPECT_EQ(c.centerLeft, f.canvas.GetCenterLeft());
        EXPECT_EQ(c.centerRight, f.canvas.GetCenterRight());
        EXPECT_EQ(c.centerTop, f.canvas.GetCenterTop());
        EXPECT_EQ(c.centerBottom, f.canvas.GetCenterBottom());
        if (c.h) {
            EXPECT_EQ(694, f.host.bars[0].max);
            EXPECT_EQ(c.client.cx, f.host.bars[0].page);
        }
        // The page starts inside the left and top margins.
        EXPECT_EQ((CPoint{c.centerLeft + 7, c.centerTop + 7}), f.canvas.GetPageOrigin());
    }
}

TEST(CanvasLayout, ResizeScrollsBackToTheTopLeft) {
    CCanvasFixture f({500, 500});
    f.canvas.OnHScroll(EScrollRequest::ThumbTrack, 100);
    f.canvas.OnVScroll(EScrollRequest::ThumbPosition, 200);
    EXPECT_EQ((CPoint{100, 200}), f.canvas.ClientToArea({0, 0}));
    f.host.client = {400, 450};
    f.canvas.OnResize();
    EXPECT_EQ(0, f.host.bars[0].pos);
    EXPECT_EQ(0, f.host.bars[1].pos);
    EXPECT_EQ(400, f.host.bars[0].page);
    EXPECT_EQ(450, f.host.bars[1].page);
    // Growing past the paper turns the bars off and centres the paper again.
    f.host.client = {1000, 900};
    f.canvas.OnResize();
    EXPECT_FALSE(f.canvas.IsHScrollEnabled());
    EXPECT_EQ(153, f.canvas.GetCenterLeft());
}

TEST(CanvasLayout, ScrollRequestsStepAndClamp) {
    CCanvasFixture f({500, 500}); // range 0..694, page 500: the last position is 195
    struct Step {
        EScrollRequest request;
        int track;
        int pos;
    };
    const Step steps[] = {
        {EScrollRequest::LineDown, 0, 1},     {EScrollRequest::LineDown, 0, 2},
        {EScrollRequest::LineUp, 0, 1},       {EScrollRequest::Top, 0, 0},
        {EScrollRequest::LineUp, 0, 0},       {EScrollRequest::PageDown, 0, 195},
        {EScrollRequest::LineDown, 0, 195},   {EScrollRequest::PageUp, 0, 0},
        {EScrollRequest::ThumbTrack, 77, 77}, {EScrollRequest::EndScroll, 0, 77},
        {EScrollRequest::Bottom, 0, 195},
    };
    for (const Step& s : steps) {
        const int paints = f.host.paints;
        f.canvas.OnHScroll(s.request, s.track);
        EXPECT_EQ(s.pos, f.host.bars[0].pos);
        EXPECT_EQ(s.pos, f.canvas.ClientToArea({0, 0}).x);
        EXPECT_EQ(paints + 1, f.host.paints);
        // The picture is shown from the scroll position.
        EXPECT_EQ((CPoint{s.pos, 0}), f.host.lastPaint.calls.at(0).points.at(0));
    }
    // A bar that the window does not need ignores requests.
    CCanvasFixture big;
    big.canvas.OnHScroll(EScrollRequest::LineDown);
    EXPECT_EQ(0, big.host.bars[0].pos);
}

TEST(CanvasZoom, ZoomInStopsAtTheMaximumAndZoomOutAtTheFloor) {
    CCanvasFixture f;
    const double expectIn[] = {2.0, 4.0, 8.0, 8.0}; // 16 would pass the maximum of 10
    for (double z : expectIn) {
        f.canvas.OnKeyDown(EKey::NumPlus);
        EXPECT_DOUBLE_EQ(z, f.canvas.GetZoom());
    }
    EXPECT_EQ(RoundHalf(681 * 8.0), f.canvas.GetPageSizePx().cx);
    f.canvas.ActualSize();
    for (int i = 0; i < 12; ++i)
        f.canvas.OnKeyDown(EKey::NumMinus);
    // 1/64 is the last halving above the floor of 0.01.
    EXPECT_DOUBLE_EQ(1.0 / 64, f.canvas.GetZoom());
    EXPECT_EQ(11, f.canvas.GetPageSizePx().cx);
    EXPECT_EQ(1, f.canvas.GetGridStepPx().cx);
}

TEST(CanvasZoom, FitOperations) {
    struct Case {
        CSize client;
        void (CQuodra::*op)();
        double zoom;
        bool hScroll;
    };
    const Case cases[] = {
        // The paper is then exactly as wide as the window: no horizontal bar.
        {{1000, 900}, &CQuodra::FitWidth, 1000.0 / 695, false},
        {{1000, 900}, &CQuodra::FitHeight, 900.0 / 815, false},
        // Fit page ends with the fit-height zoom, also when the page is then wider than the window.
        {{1000, 900}, &CQuodra::FitPage, 900.0 / 815, false},
        {{400, 900}, &CQuodra::FitPage, 900.0 / 815, true},
        {{695, 500}, &CQuodra::FitWidth, 1.0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.client.cx << " x " << c.client.cy << " " << c.zoom);
        CCanvasFixture f(c.client);
        (f.canvas.*c.op)();
        EXPECT_DOUBLE_EQ(c.zoom, f.canvas.GetZoom());
        EXPECT_EQ(c.hScroll, f.canvas.IsHScrollEnabled());
    }
    // A window of no height (minimised) cannot be fitted: the zoom stays usable.
    CCanvasFixture f({1000, 0});
    f.canvas.FitHeight();
    EXPECT_DOUBLE_EQ(1.0, f.canvas.GetZoom());
}

TEST(CanvasZoom, FitsInATinyWindowStopAtTheFloor) {
    for (void (CQuodra::*op)() : {&CQuodra::FitWidth, &CQuodra::FitHeight, &CQuodra::FitPage}) {
        CCanvasFixture f({3, 4}); // 3 / 695 and 4 / 815 lie below the floor
        (f.canvas.*op)();
        EXPECT_DOUBLE_EQ(f.canvas.GetViewport().m_dZoomMin, f.canvas.GetZoom());
    }
}

TEST(CanvasZoom, FitAndActualSizeScaleTheScrollPositions) {
    CCanvasFixture f({500, 500});
    f.canvas.OnVScroll(EScrollRequest::ThumbTrack, 100);
    f.canvas.FitWidth(); // 500 / 695
    EXPECT_EQ(RoundHalf(500.0 / 695 * 100), f.host.bars[1].pos);
    const int v = f.host.bars[1].pos;
    f.canvas.ActualSize();
    EXPECT_DOUBLE_EQ(1.0, f.canvas.GetZoom());
    EXPECT_EQ(RoundHalf(695.0 / 500 * v), f.host.bars[1].pos);
}

TEST(CanvasZoom, ZoomRectangleDraggedEitherWay) {
    struct Case {
        CPoint from, to;
    };
    const Case cases[] = {
        {{200, 100}, {400, 250}}, {{400, 250}, {200, 100}}, {{200, 250}, {400, 100}}};
    for (const Case& c : cases) {
        CCanvasFixture f;
        f.canvas.SetMode(kModeZoom);
        f.Press(c.from);
        f.Move(c.to);
        // The dotted rectangle and the red square the zoom will use.
        const auto xr = f.host.lastPaint.OfKind(CDrawCall::XorRect);
        ASSERT_EQ(1u, xr.size());
        EXPECT_EQ((CRect{200, 100, 400, 250}), xr[0].rect);
        const auto outlines = f.host.lastPaint.OfKind(CDrawCall::Rectangle);
        ASSERT_FALSE(outlines.empty());
        EXPECT_EQ((CRect{200, 100, 350, 250}), outlines.back().rect);
        EXPECT_EQ(RGB(255, 0, 0), outlines.back().pen.color);
        f.Release(c.to);
        // Square of side 150 in a 900-pixel window: t = 6, its image centred in the window.
        EXPECT_DOUBLE_EQ(6.0, f.canvas.GetZoom());
        EXPECT_EQ((200 - 153) * 6 - (500 - 450), f.host.bars[0].pos);
        EXPECT_EQ((100 - 43) * 6, f.host.bars[1].pos);
        EXPECT_FALSE(f.canvas.IsRubberBandShown());
        EXPECT_TRUE(f.host.lastPaint.OfKind(CDrawCall::XorRect).empty());
    }
}

TEST(CanvasZoom, RefusedZoomRectanglesChangeNothing) {
    CCanvasFixture f;
    f.canvas.SetMode(kModeZoom);
    const int paints = f.host.paints;
    f.Click({300, 300}); // a click without a drag
    EXPECT_EQ(paints, f.host.paints);
    f.Drag({300, 300}, {340, 380}); // t = 900 / 40 would pass the maximum
    EXPECT_DOUBLE_EQ(1.0, f.canvas.GetZoom());
    EXPECT_FALSE(f.canvas.ZoomToRect({10, 10, 10, 50}, false));
    EXPECT_FALSE(f.canvas.ZoomToRect({10, 10, 50, 10}, true));
    EXPECT_EQ(153, f.canvas.GetCenterLeft());
}

TEST(CanvasPaint, FirstPaintCreatesGridAndPictureOnce) {
    CCanvasFixture f;
    const CFigureList& list = f.canvas.GetFigures();
    ASSERT_EQ(31, list.GetCount());
    for (int i = 0; i < 30; ++i) {
        const CFigure* g = list.GetAt(i);
        const bool vertical = i < 14;
        SCOPED_TRACE(i);
        EXPECT_EQ(vertical ? "VertGridLine" : "HorizGridLine", g->m_strTag);
        EXPECT_EQ("Line", g->m_strType);
        EXPECT_EQ(kGrid, g->m_crColor);
        EXPECT_EQ(0xFF828Au, g->m_crColor);
        EXPECT_FALSE(g->m_bSelectable);
        const int at = 2 + 51 * (vertical ? i : i - 14);
        const CPoint a = g->GetHandlePoint(kHandleStart, 1.0);
        const CPoint b = g->GetHandlePoint(kHandleEnd, 1.0);
        EXPECT_EQ(vertical ? (CPoint{at, 0}) : (CPoint{0, at}), a);
        EXPECT_EQ(vertical ? (CPoint{at, 801}) : (CPoint{681, at}), b);
    }
    EXPECT_EQ(665, list.GetAt(13)->GetHandlePoint(kHandleStart, 1.0).x);
    EXPECT_EQ(767, list.GetAt(29)->GetHandlePoint(kHandleStart, 1.0).y);
    const CFigure* picture = list.GetAt(30);
    EXPECT_EQ("HappyNewYear :)", picture->m_strType);
    EXPECT_EQ((CDoublePoint{7, 4}), picture->m_pt1);
    EXPECT_EQ((CDoublePoint{49, 49}), picture->m_pt2);
    EXPECT_TRUE(picture->m_bSelectable);
    EXPECT_EQ(1, f.host.focusRequests);
    f.host.RepaintNow();
    f.canvas.FitPage();
    EXPECT_EQ(31, list.GetCount());
    EXPECT_FALSE(f.canvas.IsModified());
}

TEST(CanvasPaint, FillsThenFiguresInListOrder) {
    CCanvasFixture f;
    f.RemovePicture();
    auto* below = f.Add<CRectangle>(100, 100, 200, 200);
    auto* above = f.Add<CRectangle>(150, 150, 250, 250);
    below->m_bSelected = true;
    f.host.RepaintNow();
    const auto& calls = f.host.lastPaint.calls;
    ASSERT_GE(calls.size(), 4u);
    EXPECT_EQ(CDrawCall::Origin, calls[0].kind);
    EXPECT_EQ((CRect{0, 0, 1000, 900}), calls[1].rect);
    EXPECT_EQ(f.canvas.m_clrOutside, calls[1].fill);
    EXPECT_EQ((CRect{153, 43, 848, 858}), calls[2].rect);
    EXPECT_EQ(RGB(144, 153, 174), calls[2].fill);
    EXPECT_EQ((CRect{160, 50, 841, 851}), calls[3].rect);
    EXPECT_EQ(RGB(255, 255, 255), calls[3].fill);
    // The selected figure keeps its place: its handles come before the upper figure's outline.
    size_t firstHandle = 0, upperOutline = 0;
    for (size_t i = 0; i < calls.size(); ++i) {
        if (!firstHandle && calls[i].kind == CDrawCall::Rectangle)
            firstHandle = i;
        if (!upperOutline && calls[i].kind == CDrawCall::Line &&
            calls[i].points[0] == CPoint{160 + 150, 50 + 150})
            upperOutline = i;
    }
    EXPECT_GT(firstHandle, 0u);
    EXPECT_LT(firstHandle, upperOutline);
    (void)above;
}

TEST(CanvasPaint, GridShowAndHide) {
    CCanvasFixture f;
    const auto gridLines = [&f] {
        int n = 0;
        for (const auto& c : f.host.lastPaint.OfKind(CDrawCall::Line))
            n += c.pen.color == kGrid;
        return n;
    };
    EXPECT_EQ(30, gridLines());
    f.canvas.HideGrid(); // command 150 leaves the switch alone
    EXPECT_EQ(0, gridLines());
    EXPECT_TRUE(f.canvas.IsGridSwitchOn());
    f.canvas.SetGridVisible(true);
    EXPECT_EQ(30, gridLines());
    f.canvas.SetGridVisible(false);
    EXPECT_EQ(0, gridLines());
    // A hidden grid still attracts.
    CPoint p{60, 58};
    f.canvas.Snap(p);
    EXPECT_EQ((CPoint{53, 53}), p);
}

TEST(CanvasPaint, DraggedRectangleInSelectModeIsOnlyDotted) {
    CCanvasFixture f;
    f.Press({600, 500});
    f.Move({700, 520});
    EXPECT_EQ(1u, f.host.lastPaint.OfKind(CDrawCall::XorRect).size());
    EXPECT_TRUE(f.host.lastPaint.OfKind(CDrawCall::Rectangle).empty());
    f.Release({700, 520});
    EXPECT_TRUE(f.host.lastPaint.OfKind(CDrawCall::XorRect).empty());
}

TEST(CanvasLayout, PointTests) {
    CCanvasFixture f; // page origin (160, 50), page 681 x 801, paper from (153, 43)
    struct Case {
        CPoint area, clamped;
        bool outsidePaper;
    };
    const Case cases[] = {
        {{160, 50}, {160, 50}, false},   {{159, 49}, {160, 50}, false},
        {{153, 43}, {160, 50}, false},   {{152, 43}, {160, 50}, true},
        {{841, 851}, {840, 850}, false}, {{848, 858}, {840, 850}, true},
        {{2000, -5}, {840, 50}, true},   {{500, 400}, {500, 400}, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.clamped, f.canvas.ClampToPage(c.area));
        EXPECT_EQ(c.outsidePaper, f.canvas.IsOutsidePaper(c.area));
    }
}

TEST(CanvasDrawing, ResetAndReplace) {
    CCanvasFixture f;
    f.canvas.SetToolFigure(std::make_unique<CLine>());
    f.Drag({300, 300}, {400, 420});
    EXPECT_TRUE(f.canvas.IsModified());
    f.canvas.OnKeyDown(EKey::NumPlus);
    f.canvas.ResetDrawing();
    EXPECT_EQ(31, f.canvas.GetFigures().GetCount());
    EXPECT_DOUBLE_EQ(1.0, f.canvas.GetZoom());
    EXPECT_FALSE(f.canvas.IsModified());

    f.canvas.SetGridVisible(false);
    CFigureList read;
    auto line = std::make_unique<CLine>();
    line->SetPoints(10, 20, 30, 40, 1.0);
    read.Add(std::move(line));
    read.Add(std::make_unique<CRectangle>());
    f.canvas.ReplaceFigures(std::move(read));
    const CFigureList& list = f.canvas.GetFigures();
    ASSERT_EQ(32, list.GetCount());
    EXPECT_EQ("VertGridLine", list.GetAt(0)->m_strTag);
    EXPECT_FALSE(list.GetAt(0)->m_bVisible);
    EXPECT_EQ("HorizGridLine", list.GetAt(29)->m_strTag);
    EXPECT_EQ((CDoublePoint{10, 20}), list.GetAt(30)->m_pt1);
    EXPECT_EQ("Rectangle", list.GetAt(31)->m_strType);
    EXPECT_FALSE(f.canvas.IsModified());
}

TEST(CanvasDrawing, ReplaceBeforeTheFirstPaintAddsNoSecondGrid) {
    CFakeHost host;
    CQuodra canvas(host);
    host.canvas = &canvas;
    CFigureList read;
    read.Add(std::make_unique<CRectangle>());
    canvas.ReplaceFigures(std::move(read));
    host.RepaintNow();
    EXPECT_EQ(31, canvas.GetFigures().GetCount());
    EXPECT_EQ("Rectangle", canvas.GetFigures().GetLast()->m_strType);
}

} // namespace
