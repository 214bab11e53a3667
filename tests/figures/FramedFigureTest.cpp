#include "figures/FramedFigure.h"
#include "common/RecordingSurface.h"
#include "figures/FrameTestUtil.h"

#include <gtest/gtest.h>

namespace {

TEST(FramedFigure, SetPointsKeepsTheDragDirection) {
    CFramedFigure f;
    f.SetPoints(100, 50, 20, 10, 1.0);
    EXPECT_EQ(f.m_pt1, (CDoublePoint{100, 50}));
    EXPECT_EQ(f.m_pt3, (CDoublePoint{20, 50}));
    EXPECT_EQ(f.m_pt2, (CDoublePoint{20, 10}));
    EXPECT_EQ(f.m_pt4, (CDoublePoint{100, 10}));
    EXPECT_EQ(f.GetHandlePoint(3, 1.0), (CPoint{60, 50}));
    EXPECT_EQ(f.GetBoundingRect(1.0), (CRect{20, 10, 100, 50}));
}

TEST(FramedFigure, MidpointHandlesAreRoundedOnce) {
    CFramedFigure f;
    f.SetPoints(0, 0, 3, 3, 1.0);
    EXPECT_EQ(f.GetHandlePoint(3, 1.0), (CPoint{2, 0}));
    EXPECT_EQ(f.GetHandlePoint(14, 1.0), (CPoint{2, 2}));
    // At zoom 2 the page midpoint 1.5 is scaled before rounding: 3, not 2 x 2 = 4.
    EXPECT_EQ(f.GetHandlePoint(3, 2.0), (CPoint{3, 0}));
    const CPoint expected[] = {{0, 0}, {2, 0}, {3, 0}, {3, 2}, {3, 3}, {2, 3}, {0, 3}, {0, 2}};
    for (int h = 2; h <= 9; ++h)
        EXPECT_EQ(f.GetHandlePoint(h, 1.0), expected[h - 2]) << "handle " << h;
}

struct ResizeCase {
    int handle, x, y;
    CDoublePoint p1, p3, p2, p4;
};

class FrameResize : public ::testing::TestWithParam<ResizeCase> {};

TEST_P(FrameResize, MovesTheDraggedHandleAlongTheEdgeLines) {
    const ResizeCase& c = GetParam();
    CFramedFigure f;
    SetUnitFrame(f);
    f.SetHandlePoint(c.handle, c.x, c.y, 1.0);
    EXPECT_EQ(f.m_pt1, c.p1);
    EXPECT_EQ(f.m_pt3, c.p3);
    EXPECT_EQ(f.m_pt2, c.p2);
    EXPECT_EQ(f.m_pt4, c.p4);
}

INSTANTIATE_TEST_SUITE_P(
    UnitFrame, FrameResize,
    ::testing::Values(
        ResizeCase{2, 10, 20, {10, 20}, {100, 20}, {100, 50}, {10, 50}},
        ResizeCase{3, 37, 5, {0, 5}, {100, 5}, {100, 50}, {0, 50}},
        ResizeCase{3, 50, 80, {0, 80}, {100, 80}, {100, 50}, {0, 50}}, // mirrored, same numbers
        ResizeCase{4, 120, -10, {0, -10}, {120, -10}, {120, 50}, {0, 50}},
        ResizeCase{5, 130, 0, {0, 0}, {130, 0}, {130, 50}, {0, 50}},
        ResizeCase{6, 150, 80, {0, 0}, {150, 0}, {150, 80}, {0, 80}},
        ResizeCase{7, 3, 60, {0, 0}, {100, 0}, {100, 60}, {0, 60}},
        ResizeCase{8, -10, 70, {-10, 0}, {100, 0}, {100, 70}, {-10, 70}},
        ResizeCase{9, -20, 999, {-20, 0}, {100, 0}, {100, 50}, {-20, 50}},
        ResizeCase{14, 7, 7, {0, 0}, {100, 0}, {100, 50}, {0, 50}},
        ResizeCase{1, 7, 7, {0, 0}, {100, 0}, {100, 50}, {0, 50}},
        ResizeCase{10, 7, 7, {0, 0}, {100, 0}, {100, 50}, {0, 50}}));

TEST(FramedFigure, MirroredTopEdgeKeepsItsHandleNumbers) {
    CFramedFigure f;
    SetUnitFrame(f);
    f.SetHandlePoint(3, 50, 80, 1.0);
    EXPECT_GT(f.GetHandlePoint(2, 1.0).y, f.GetHandlePoint(8, 1.0).y);
    EXPECT_GT(f.GetHandlePoint(3, 1.0).y, f.GetHandlePoint(7, 1.0).y);
    EXPECT_GT(f.GetHandlePoint(4, 1.0).y, f.GetHandlePoint(6, 1.0).y);
}

TEST(FramedFigure, ResizeAtZoomTwoWorksInPageUnits) {
    CFramedFigure f;
    SetUnitFrame(f);
    f.SetHandlePoint(6, 300, 120, 2.0);
    EXPECT_EQ(f.m_pt2, (CDoublePoint{150, 60}));
    EXPECT_EQ(f.m_pt3, (CDoublePoint{150, 0}));
    EXPECT_EQ(f.m_pt4, (CDoublePoint{0, 60}));
}

TEST(FramedFigure, ZeroWidthFrameMovesOnlyTheDraggedCorner) {
    CFramedFigure f;
    f.SetPoints(0, 0, 0, 50, 1.0);
    f.SetHandlePoint(2, 10, 10, 1.0);
    EXPECT_EQ(f.m_pt1, (CDoublePoint{10, 10}));
    EXPECT_EQ(f.m_pt3, (CDoublePoint{0, 0}));
    EXPECT_EQ(f.m_pt4, (CDoublePoint{0, 50}));
    EXPECT_EQ(f.m_pt2, (CDoublePoint{0, 50}));
}

TEST(FramedFigure, ResizeKeepsTheDirectionsOfATurnedFrame) {
    // A diamond-shaped square: dragging corner 6 keeps both edge directions.
    CFramedFigure f;
    SetCorners(f, {0, 50}, {50, 0}, {100, 50}, {50, 100});
    f.SetHandlePoint(6, 120, 50, 1.0);
    EXPECT_EQ(f.m_pt2, (CDoublePoint{120, 50}));
    EXPECT_EQ(f.m_pt3, (CDoublePoint{60, -10}));
    EXPECT_EQ(f.m_pt4, (CDoublePoint{60, 110}));
    EXPECT_EQ(f.m_pt1, (CDoublePoint{0, 50}));
}

TEST(FramedFigure, OverlappingHandleSquaresGiveTheHigherNumber) {
    CFramedFigure f;
    f.SetPoints(0, 0, 4, 4, 1.0);
    const struct {
        CPoint pt;
        int handle;
    } cases[] = {{{2, 2}, 9}, {{6, 6}, 6}, {{7, -2}, 4}, {{-3, -3}, 2}, {{8, 8}, 0}, {{2, 8}, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(f.HitTestHandles(c.pt, 1.0), c.handle) << c.pt;
}

TEST(FramedFigure, SnapsSixHandlesWithinSixteenPixelsAtAnyZoom) {
    CFramedFigure f;
    f.SetPoints(0, 0, 200, 100, 0.5); // handles 2 (0,0), 4 (200,0), 6 (200,100), 8 (0,100)
    const struct {
        double zoom;
        CPoint pt;
        bool snapped;
        CPoint result;
    } cases[] = {
        {0.5, {200, 12}, true, {200, 0}}, // handle 4: fixed 16 pixels
        {0.5, {0, 12}, false, {0, 12}},   // handle 2: 8 pixels at zoom 0.5
        {0.5, {0, 8}, true, {0, 0}},
        {0.5, {100, 116}, true, {100, 100}}, // handle 7 exactly 16 away
        {0.5, {100, 117}, false, {100, 117}},
        {0.5, {190, 5}, true, {200, 0}}, // within 16 of handle 4 and of nothing earlier
    };
    for (const auto& c : cases) {
        CPoint pt = c.pt;
        EXPECT_EQ(f.SnapToKeyPoint(pt, c.zoom), c.snapped) << c.pt;
        EXPECT_EQ(pt, c.result) << c.pt;
    }
    // Within 16 pixels of both handle 4 and handle 3: handle 4 is tried first.
    CFramedFigure small;
    small.SetPoints(0, 0, 20, 20, 1.0); // handle 4 (20,0), handle 3 (10,0), handle 2 (0,0)
    CPoint pt{14, 1};
    EXPECT_TRUE(small.SnapToKeyPoint(pt, 1.0));
    EXPECT_EQ(pt, (CPoint{20, 0}));
}

TEST(FramedFigure, HitTestFollowsTheFrameEdgesOnly) {
    CFramedFigure f;
    SetUnitFrame(f);
    const struct {
        CPoint pt;
        bool hit;
    } cases[] = {{{50, 25}, false}, {{50, 3}, true},   {{50, 4}, false},   {{50, -3}, true},
                 {{50, -4}, false}, {{103, 25}, true}, {{104, 25}, false}, {{0, 0}, true},
                 {{100, 50}, true}, {{-3, 25}, true},  {{50, 53}, true},   {{4, 46}, false}};
    for (const auto& c : cases)
        EXPECT_EQ(f.HitTest(c.pt, 1.0), c.hit) << c.pt;
}

TEST(FramedFigure, IntersectsRectWhenAnEdgePixelIsInside) {
    CFramedFigure f;
    SetUnitFrame(f);
    const struct {
        CRect rect;
        bool hit;
    } cases[] = {
        {{10, 10, 90, 40}, false},   // inside, touching no edge
        {{40, -5, 60, 1}, true},     // across the top edge
        {{95, 20, 120, 30}, true},   // across the right edge
        {{-10, -10, 110, 60}, true}, // around everything
        {{100, 50, 101, 51}, false}, // corner 6 is the end of both walks that reach it
        {{99, 50, 100, 51}, true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(f.IntersectsRect(c.rect, 1.0), c.hit) << c.rect;
}

TEST(FramedFigure, DrawsFourSolidSegmentsWithRedEnds) {
    CFramedFigure f;
    SetUnitFrame(f);
    f.m_crColor = RGB(0, 128, 0);
    f.m_nPenStyle = 2; // outlines of framed figures are always solid
    CRecordingSurface dc;
    f.Draw(dc, 2.0, 10, 20);
    const CPen pen{EPenStyle::Solid, 2, RGB(0, 128, 0)};
    const CPoint p2{10, 20}, p4{210, 20}, p6{210, 120}, p8{10, 120};
    const CPoint from[] = {p2, p4, p6, p8};
    const CPoint to[] = {p4, p6, p8, p2};
    ASSERT_EQ(dc.calls.size(), 8u);
    for (int i = 0; i < 4; ++i) {
        const CDrawCall& line = dc.calls[2 * i];
        const CDrawCall& pixel = dc.calls[2 * i + 1];
        EXPECT_EQ(line.kind, CDrawCall::Line);
        EXPECT_EQ(line.points[0], from[i]);
        EXPECT_EQ(line.points[1], to[i]);
        EXPECT_EQ(line.pen, pen);
        EXPECT_EQ(pixel.kind, CDrawCall::Pixel);
        EXPECT_EQ(pixel.points[0], to[i]);
        EXPECT_EQ(pixel.fill, std::optional<COLORREF>(kEndPixelColor));
    }
}

TEST(FramedFigure, PaintDrawsTheEightHandlesWhenSelected) {
    CFramedFigure f;
    SetUnitFrame(f);
    f.m_bSelected = true;
    CRecordingSurface dc;
    f.Paint(dc, 1.0, 5, 5);
    const auto squares = dc.OfKind(CDrawCall::Rectangle);
    ASSERT_EQ(squares.size(), 8u);
    for (int h = 2; h <= 9; ++h) {
        EXPECT_EQ(squares[h - 2].rect, f.GetHandleRect(h, 1.0).Offset(5, 5)) << "handle " << h;
        EXPECT_EQ(squares[h - 2].fill, std::optional<COLORREF>(kHandleFillColor));
    }
    f.m_bSelectable = false;
    CRecordingSurface unselectable;
    f.Paint(unselectable, 1.0, 0, 0);
    EXPECT_EQ(unselectable.OfKind(CDrawCall::Rectangle).size(), 0u);
}

TEST(FramedFigure, MovesAllFourCorners) {
    CFramedFigure f;
    SetUnitFrame(f);
    f.MoveByPixels(10, -4, 2.0);
    EXPECT_EQ(f.m_pt1, (CDoublePoint{5, -2}));
    EXPECT_EQ(f.m_pt3, (CDoublePoint{105, -2}));
    EXPECT_EQ(f.m_pt2, (CDoublePoint{105, 48}));
    EXPECT_EQ(f.m_pt4, (CDoublePoint{5, 48}));
    f.MoveBy(-5, 2.5);
    EXPECT_EQ(f.m_pt1, (CDoublePoint{0, 0.5}));
    EXPECT_EQ(f.m_pt3, (CDoublePoint{100, 0.5}));
    EXPECT_EQ(f.m_pt2, (CDoublePoint{100, 50.5}));
    EXPECT_EQ(f.m_pt4, (CDoublePoint{0, 50.5}));
}

TEST(FramedFigure, CloneCopiesAllCornersAndFields) {
    CFramedFigure f;
    SetCorners(f, {1, 2}, {3, 4}, {5, 6}, {7, 8});
    f.m_strTag = "tag";
    f.m_bSelected = true;
    f.m_crColor = 0x123456;
    const auto copy = f.Clone();
    const auto& c = static_cast<const CFramedFigure&>(*copy);
    EXPECT_EQ(c.m_pt1, f.m_pt1);
    EXPECT_EQ(c.m_pt3, f.m_pt3);
    EXPECT_EQ(c.m_pt2, f.m_pt2);
    EXPECT_EQ(c.m_pt4, f.m_pt4);
    EXPECT_EQ(c.m_strType, "Rectangle");
    EXPECT_EQ(c.m_strTag, "tag");
    EXPECT_TRUE(c.m_bSelected);
    EXPECT_EQ(c.m_crColor, 0x123456u);
}

} // namespace
