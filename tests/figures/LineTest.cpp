// Lines and arrows: the minimum-size rule, pens, the arrowhead, hit tests and bounds.
#include "figures/Line.h"
#include "common/GeometryPrinters.h"
#include "common/RecordingSurface.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(Line, NewLineHandlesAndCentre) {
    CLine line;
    EXPECT_EQ((CRect{237, 237, 244, 244}), line.GetHandleRect(kHandleStart, 1.0));
    EXPECT_EQ((CRect{337, 337, 344, 344}), line.GetHandleRect(kHandleEnd, 1.0));
    EXPECT_EQ((CPoint{290, 290}), line.GetHandlePoint(kHandleCenter, 1.0));
}

TEST(Line, DraggedEndKeepsItsMinimumDistance) {
    struct Case {
        double zoom;
        CDoublePoint start, end;
        int handle;
        CPoint drag; // page pixels
        CDoublePoint expStart, expEnd;
    };
    const CDoublePoint s{240, 240}, e{340, 340};
    const Case cases[] = {
        {2.0, {100, 100}, e, kHandleEnd, {206, 204}, {100, 100}, {105, 105}},
        {1.0, s, e, kHandleEnd, {243, 242}, s, {245, 245}},
        {1.0, s, e, kHandleEnd, {243, 250}, s, {243, 250}}, // 10 down is far enough
        {1.0, s, e, kHandleEnd, {250, 241}, s, {250, 241}},
        {1.0, s, e, kHandleEnd, {238, 238}, s, {235, 235}},
        {1.0, s, e, kHandleEnd, {240, 240}, s, {245, 245}}, // same point: right and down
        {1.0, s, e, kHandleEnd, {236, 244}, s, {235, 245}}, // exactly 4 away: still too close
        {1.0, s, e, kHandleEnd, {235, 244}, s, {235, 244}}, // exactly 5 away is enough
        {1.0, s, e, kHandleStart, {338, 341}, {335, 345}, e},
        {1.0, s, e, kHandleCenter, {0, 0}, s, e}, // not a line handle: nothing changes
        {1.0, s, e, 4, {0, 0}, s, e},
    };
    for (const Case& c : cases) {
        CLine line;
        line.m_pt1 = c.start;
        line.m_pt2 = c.end;
        line.SetHandlePoint(c.handle, c.drag.x, c.drag.y, c.zoom);
        EXPECT_EQ(c.expStart, line.m_pt1)
            << "drag " << c.handle << " to " << c.drag.x << "," << c.drag.y;
        EXPECT_EQ(c.expEnd, line.m_pt2)
            << "drag " << c.handle << " to " << c.drag.x << "," << c.drag.y;
    }

    // A click-sized creation drag ends as a 5 x 5 line once the release sets the end.
    CLine created;
    created.SetPoints(100, 100, 101, 101, 1.0);
    created.SetHandlePoint(kHandleEnd, 101, 101, 1.0);
    EXPECT_EQ((CDoublePoint{105, 105}), created.m_pt2);
}

TEST(Line, PenFollowsStyleAndZoom) {
    struct Case {
        int style;
        double zoom;
        CPen pen;
    };
    const COLORREF red = RGB(200, 0, 0);
    const Case cases[] = {
        {0, 1.0, {EPenStyle::Solid, 1, red}},  {0, 2.6, {EPenStyle::Solid, 3, red}},
        {0, 2.4, {EPenStyle::Solid, 2, red}},  {0, 0.4, {EPenStyle::Solid, 0, red}},
        {0, 0.5, {EPenStyle::Solid, 1, red}},  {2, 1.0, {EPenStyle::Dotted, 1, red}},
        {2, 2.6, {EPenStyle::Dotted, 1, red}}, {2, 4.0, {EPenStyle::Dotted, 1, red}},
    };
    for (const Case& c : cases) {
        CLine line;
        line.m_nPenStyle = c.style;
        line.m_crColor = red;
        CRecordingSurface dc;
        line.Draw(dc, c.zoom, 10, 20);
        ASSERT_EQ(2u, dc.calls.size());
        EXPECT_EQ(CDrawCall::Line, dc.calls[0].kind);
        EXPECT_EQ(c.pen, dc.calls[0].pen) << "style " << c.style << " zoom " << c.zoom;
        const CPoint s = ToPixel(line.m_pt1, c.zoom), e = ToPixel(line.m_pt2, c.zoom);
        EXPECT_EQ((CPoint{s.x + 10, s.y + 20}), dc.calls[0].points[0]);
        EXPECT_EQ((CPoint{e.x + 10, e.y + 20}), dc.calls[0].points[1]);
        // The end pixel, which the line leaves out, is set red.
        EXPECT_EQ(CDrawCall::Pixel, dc.calls[1].kind);
        EXPECT_EQ(dc.calls[0].points[1], dc.calls[1].points[0]);
        EXPECT_EQ(std::optional<COLORREF>(0x0000FF), dc.calls[1].fill);
    }
}

TEST(Arrow, HeadCorners) {
    struct Case {
        double zoom;
        CDoublePoint start, end; // page units
        int dx, dy;
        CPoint w1, tip, w2;
    };
    const Case cases[] = {
        {1.0, {100, 100}, {200, 100}, 0, 0, {184, 96}, {200, 100}, {184, 104}},
        {1.0, {60, 70}, {160, 70}, 40, 30, {184, 96}, {200, 100}, {184, 104}}, // offset included
        {2.0, {50, 50}, {150, 50}, 0, 0, {268, 92}, {300, 100}, {268, 108}},
        // Corners at negative coordinates round toward zero: -16 gives -15 and -4 gives -3.
        {1.0, {-100, 0}, {0, 0}, 0, 0, {-15, -3}, {0, 0}, {-15, 4}},
        // Ten pixels long: the head's base lies six pixels behind the start.
        {1.0, {100, 100}, {110, 100}, 0, 0, {94, 96}, {110, 100}, {94, 104}},
        // Pointing up: the head lies below the tip.
        {1.0, {50, 100}, {50, 0}, 0, 0, {46, 16}, {50, 0}, {54, 16}},
    };
    for (const Case& c : cases) {
        CArrow arrow;
        arrow.m_pt1 = c.start;
        arrow.m_pt2 = c.end;
        arrow.m_nPenStyle = 2;            // ignored by arrows
        arrow.m_crColor = RGB(0, 128, 0); // the shaft's colour; the head stays black
        CRecordingSurface dc;
        arrow.Draw(dc, c.zoom, c.dx, c.dy);
        ASSERT_EQ(3u, dc.calls.size());
        EXPECT_EQ((CPen{EPenStyle::Solid, RoundHalf(c.zoom), RGB(0, 128, 0)}), dc.calls[0].pen);
        EXPECT_EQ(c.tip, dc.calls[0].points[1]);
        EXPECT_EQ(CDrawCall::Pixel, dc.calls[1].kind);
        const CDrawCall& head = dc.calls[2];
        ASSERT_EQ(CDrawCall::Polygon, head.kind);
        EXPECT_EQ((std::vector<CPoint>{c.w1, c.tip, c.w2}), head.points);
        EXPECT_EQ(std::optional<COLORREF>(0), head.fill);
    }
}

TEST(Arrow, EndsOnOnePixelDrawTheShaftWithoutAHead) {
    for (const auto& [p1, p2] :
         {std::pair<CDoublePoint, CDoublePoint>{{10, 10}, {10, 10}}, {{10.2, 10.1}, {9.8, 10.4}}}) {
        CArrow arrow;
        arrow.m_pt1 = p1;
        arrow.m_pt2 = p2;
        CRecordingSurface dc;
        arrow.Draw(dc, 1.0, 0, 0);
        ASSERT_EQ(2u, dc.calls.size());
        EXPECT_EQ(CDrawCall::Line, dc.calls[0].kind);
        EXPECT_EQ(CDrawCall::Pixel, dc.calls[1].kind);
        EXPECT_EQ((CPoint{10, 10}), dc.calls[1].points[0]);
    }
}

TEST(Arrow, HugeGeometryStaysInsideTheIntRange) {
    CArrow arrow;
    arrow.m_pt1 = {-1e15, 3};
    arrow.m_pt2 = {1e15, 5};
    CRecordingSurface dc;
    arrow.Draw(dc, 4.0, INT_MAX, INT_MIN);
    ASSERT_EQ(3u, dc.calls.size());
    EXPECT_EQ((CPoint{INT_MAX, INT_MIN + 20}), dc.calls[0].points[1]);
}

TEST(Line, HitTestAndIntersectsRect) {
    struct Case {
        CPoint pt;
        bool hit;
    };
    // A horizontal line from (0, 0) to (100, 0): the walk covers x = 0 .. 99.
    const Case cases[] = {
        {{50, 3}, true},  {{50, -3}, true}, {{50, 4}, false}, {{50, -4}, false},
        {{-3, 0}, true},  {{-4, 0}, false}, {{102, 0}, true}, {{103, 0}, false},
        {{102, 3}, true}, {{-3, -3}, true}, {{-3, 4}, false},
    };
    for (const bool arrow : {false, true}) {
        const std::unique_ptr<CLine> line =
            arrow ? std::make_unique<CArrow>() : std::make_unique<CLine>();
        line->m_pt1 = {0, 0};
        line->m_pt2 = {100, 0};
        for (const Case& c : cases)
            EXPECT_EQ(c.hit, line->HitTest(c.pt, 1.0)) << c.pt.x << "," << c.pt.y;
        // The head does not count: a point beside the head but off the shaft misses.
        EXPECT_FALSE(line->HitTest({90, 5}, 1.0));

        EXPECT_TRUE(line->IntersectsRect({99, 0, 100, 1}, 1.0));
        EXPECT_FALSE(line->IntersectsRect({100, 0, 101, 1}, 1.0)); // only the unwalked end
        EXPECT_TRUE(line->IntersectsRect({-10, -10, 1, 1}, 1.0));
        EXPECT_FALSE(line->IntersectsRect({10, 1, 90, 20}, 1.0));
        EXPECT_FALSE(line->IntersectsRect({20, -5, 20, 5}, 1.0)); // empty rect
    }
    // The hit test works in pixels of the zoom.
    CLine line;
    line.m_pt1 = {0, 0};
    line.m_pt2 = {100, 0};
    EXPECT_TRUE(line.HitTest({150, 3}, 2.0));
    EXPECT_FALSE(line.HitTest({150, 3}, 1.0));
    // In the plain style the reach stays 3 pixels at every zoom; a wide line of a style of its
    // own is hit anywhere on its ink.
    for (const double zoom : {7.0, 8.0, 16.0}) {
        EXPECT_TRUE(line.HitTest({RoundHalf(50 * zoom), 3}, zoom)) << zoom;
        EXPECT_FALSE(line.HitTest({RoundHalf(50 * zoom), 4}, zoom)) << zoom;
    }
    line.m_style.dLineWidth = 2.0;
    EXPECT_TRUE(line.HitTest({400, 8}, 8.0));
}

TEST(Line, EndSquareWinsWhenTheSquaresOverlap) {
    CLine line;
    line.m_pt1 = {100, 100};
    line.m_pt2 = {102, 100};
    EXPECT_EQ(kHandleEnd, line.HitTestHandles({101, 100}, 1.0));
    EXPECT_EQ(kHandleStart, line.HitTestHandles({97, 100}, 1.0));
    EXPECT_EQ(kHandleEnd, line.HitTestHandles({104, 103}, 1.0));
    EXPECT_EQ(kHandleNone, line.HitTestHandles({106, 100}, 1.0));
}

TEST(Line, BoundingRectIsTheNormalisedEnds) {
    CArrow arrow;
    arrow.m_pt1 = {340, 100};
    arrow.m_pt2 = {240.4, 300.6};
    EXPECT_EQ((CRect{240, 100, 340, 301}), arrow.GetBoundingRect(1.0));
    EXPECT_EQ((CRect{481, 200, 680, 601}), arrow.GetBoundingRect(2.0));
}

TEST(Line, SelectedGridLineDrawsNoHandles) {
    CLine grid;
    grid.m_strTag = "VertGridLine";
    grid.m_crColor = 0xFF828A;
    grid.m_bSelectable = false;
    grid.m_bSelected = true;
    CRecordingSurface dc;
    grid.Paint(dc, 1.0, 0, 0);
    EXPECT_EQ(0u, dc.OfKind(CDrawCall::Rectangle).size());
    EXPECT_EQ(1u, dc.OfKind(CDrawCall::Line).size());
}

} // namespace
