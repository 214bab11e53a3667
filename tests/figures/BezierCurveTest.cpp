#include "figures/BezierCurve.h"
#include "common/RecordingSurface.h"
#include "figures/FrameTestUtil.h"

#include <gtest/gtest.h>

namespace {

// The curve dragged from (100, 100) to (200, 150) at zoom 1.
void SetCurve(CBezierCurve& f) {
    f.SetPoints(100, 100, 200, 150, 1.0);
}

TEST(BezierCurve, CreationGivesAnSStepAcrossTheDrag) {
    CBezierCurve f;
    SetCurve(f);
    EXPECT_EQ(f.m_strType, "BezierCurve");
    EXPECT_EQ(f.m_pt1, (CDoublePoint{100, 100}));
    EXPECT_EQ(f.m_pt3, (CDoublePoint{200, 100}));
    EXPECT_EQ(f.m_pt4, (CDoublePoint{100, 150}));
    EXPECT_EQ(f.m_pt2, (CDoublePoint{200, 150}));
    f.SetHandlePoint(6, 210, 160, 1.0); // the release moves only the end
    EXPECT_EQ(f.m_pt2, (CDoublePoint{210, 160}));
    EXPECT_EQ(f.m_pt3, (CDoublePoint{200, 100}));
    EXPECT_EQ(f.m_pt4, (CDoublePoint{100, 150}));
}

TEST(BezierCurve, EachHandleMovesOnlyItsOwnPointWithoutLimits) {
    const struct {
        int handle;
        CDoublePoint p1, p3, p2, p4;
    } cases[] = {
        {2, {101, 101}, {200, 100}, {200, 150}, {100, 150}}, // onto nothing in particular
        {4, {100, 100}, {101, 101}, {200, 150}, {100, 150}},
        {6, {100, 100}, {200, 100}, {101, 101}, {100, 150}}, // almost onto the start
        {8, {100, 100}, {200, 100}, {200, 150}, {101, 101}},
        {3, {100, 100}, {200, 100}, {200, 150}, {100, 150}}, // midpoints never move anything
        {5, {100, 100}, {200, 100}, {200, 150}, {100, 150}},
        {14, {100, 100}, {200, 100}, {200, 150}, {100, 150}},
    };
    for (const auto& c : cases) {
        CBezierCurve f;
        SetCurve(f);
        f.SetHandlePoint(c.handle, 202, 202, 2.0);
        EXPECT_EQ(f.m_pt1, c.p1) << "handle " << c.handle;
        EXPECT_EQ(f.m_pt3, c.p3) << "handle " << c.handle;
        EXPECT_EQ(f.m_pt2, c.p2) << "handle " << c.handle;
        EXPECT_EQ(f.m_pt4, c.p4) << "handle " << c.handle;
    }
}

TEST(BezierCurve, DrawsOnePixelWideAtEveryZoom) {
    CBezierCurve f;
    SetCurve(f);
    CRecordingSurface dc;
    f.Draw(dc, 2.0, 5, 6);
    ASSERT_EQ(dc.calls.size(), 1u);
    EXPECT_EQ(dc.calls[0].kind, CDrawCall::Bezier);
    EXPECT_EQ(dc.calls[0].pen, (CPen{EPenStyle::Solid, 1, 0}));
    const std::vector<CPoint> expected{{205, 206}, {405, 206}, {205, 306}, {405, 306}};
    EXPECT_EQ(dc.calls[0].points, expected);
}

TEST(BezierCurve, SelectedShowsControlLinesAndFourSquares) {
    CBezierCurve f;
    SetCurve(f);
    f.m_bSelected = true;
    CRecordingSurface dc;
    f.Paint(dc, 1.0, 0, 0);
    ASSERT_EQ(dc.calls.size(), 9u);
    const CPen dotted{EPenStyle::Dotted, 1, 0xFF0000};
    EXPECT_EQ(dc.calls[1].kind, CDrawCall::Line);
    EXPECT_EQ(dc.calls[1].pen, dotted);
    EXPECT_EQ(dc.calls[1].points, (std::vector<CPoint>{{100, 100}, {200, 100}}));
    EXPECT_EQ(dc.calls[2].points, (std::vector<CPoint>{{200, 100}})); // red end pixel
    EXPECT_EQ(dc.calls[2].fill, std::optional<COLORREF>(kEndPixelColor));
    EXPECT_EQ(dc.calls[3].pen, dotted);
    EXPECT_EQ(dc.calls[3].points, (std::vector<CPoint>{{100, 150}, {200, 150}}));
    EXPECT_EQ(dc.calls[4].points, (std::vector<CPoint>{{200, 150}}));
    const int handles[] = {2, 4, 6, 8};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(dc.calls[5 + i].kind, CDrawCall::Rectangle);
        EXPECT_EQ(dc.calls[5 + i].rect, f.GetHandleRect(handles[i], 1.0));
        EXPECT_EQ(dc.calls[5 + i].pen, (CPen{EPenStyle::Solid, 1, 0}));
        EXPECT_EQ(dc.calls[5 + i].fill, std::optional<COLORREF>(kHandleFillColor));
    }
}

TEST(BezierCurve, OnlyTheFourPointHandlesAreHit) {
    CBezierCurve f;
    SetCurve(f);
    EXPECT_EQ(f.HitTestHandles({200, 100}, 1.0), 4);
    EXPECT_EQ(f.HitTestHandles({100, 150}, 1.0), 8);
    EXPECT_EQ(f.HitTestHandles({150, 100}, 1.0), 0); // handle 3 of the frame
    EXPECT_EQ(f.HitTestHandles({200, 125}, 1.0), 0); // handle 5
    // Handles dragged onto each other: the later in the order 2, 4, 6, 8 wins.
    f.SetHandlePoint(8, 100, 100, 1.0);
    EXPECT_EQ(f.HitTestHandles({100, 100}, 1.0), 8);
}

TEST(BezierCurve, IsHitOnItsControlPolygonNotOnTheCurve) {
    CBezierCurve f;
    SetCorners(f, {0, 0}, {200, 0}, {200, 200}, {0, 200}); // strongly bent through (100, 100)
    EXPECT_FALSE(f.HitTest({100, 100}, 1.0));
    EXPECT_TRUE(f.HitTest({150, 0}, 1.0)); // start -> first control point, where no curve is
    EXPECT_TRUE(f.IntersectsRect({190, 90, 210, 110}, 1.0));
    EXPECT_FALSE(f.IntersectsRect({90, 90, 110, 110}, 1.0));
}

TEST(BezierCurve, StartHandleOfAHorizontalCurveGetsTheHorizontalCursor) {
    CBezierCurve f;
    f.SetPoints(100, 100, 200, 100, 1.0);
    EXPECT_EQ(f.GetHandleCursor(2, 1.0), ECursor::SizeWE);
    EXPECT_EQ(f.Clone()->m_strType, "BezierCurve");
}

} // namespace
