// The shared figure rules: rounding, handle squares, resize cursors, key-point snapping, painting.
#include "common/GeometryPrinters.h"
#include "common/RecordingSurface.h"
#include "figures/Line.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

TEST(Rounding, HalfUpTruncatedTowardZero) {
    struct Case {
        double v;
        int expected;
    };
    const Case cases[] = {{2.5, 3},         {2.49, 2},         {0.0, 0},         {-0.4, 0},
                          {-0.6, 0},        {-1.6, -1},        {-27.6, -27},     {-4.0, -3},
                          {1e300, INT_MAX}, {-1e300, INT_MIN}, {std::nan(""), 0}};
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, RoundHalf(c.v)) << c.v;
    // Page value to pixel at a zoom, and back (reciprocal first).
    EXPECT_EQ((CPoint{0, -1}), ToPixel({-0.6, -1.6}, 1.0));
    EXPECT_EQ((CPoint{259, 125}), ToPixel({99.6, 48.1}, 2.6));
    EXPECT_EQ((CDoublePoint{206 * (1.0 / 3.0), 3 * (1.0 / 3.0)}), ToPageUnits(206, 3, 3.0));
}

TEST(FigureBase, DefaultsAndHandleSquares) {
    CLine f;
    EXPECT_EQ((CDoublePoint{240, 240}), f.m_pt1);
    EXPECT_EQ((CDoublePoint{340, 340}), f.m_pt2);
    EXPECT_EQ(5, f.m_nMinWidth);
    EXPECT_EQ(5, f.m_nMinHeight);
    EXPECT_EQ("Line", f.m_strType);
    EXPECT_EQ("", f.m_strTag);
    EXPECT_FALSE(f.m_bSelected);
    EXPECT_TRUE(f.m_bSelectable);
    EXPECT_TRUE(f.m_bVisible);
    EXPECT_FALSE(f.m_bEditing);
    EXPECT_EQ(0, f.m_nPenStyle);
    EXPECT_EQ(0u, f.m_crColor);
    EXPECT_EQ((CPoint{290, 290}), f.GetHandlePoint(kHandleCenter, 1.0));
    EXPECT_EQ("Arrow", CArrow().m_strType);

    f.m_pt1 = {10, 10};
    EXPECT_EQ((CRect{7, 7, 14, 14}), f.GetHandleRect(kHandleStart, 1.0));
    EXPECT_EQ(kHandleStart, f.HitTestHandles({13, 13}, 1.0));
    EXPECT_EQ(kHandleStart, f.HitTestHandles({7, 7}, 1.0));
    EXPECT_EQ(kHandleNone, f.HitTestHandles({14, 10}, 1.0));
    EXPECT_EQ(kHandleNone, f.HitTestHandles({10, 6}, 1.0));

    // Squares at the edge of the int range stay inside it.
    f.m_pt2 = {1e12, -1e12};
    EXPECT_EQ((CRect{INT_MAX - 3, INT_MIN, INT_MAX, INT_MIN + 4}),
              f.GetHandleRect(kHandleEnd, 1.0));
}

TEST(FigureBase, HandleCursorFollowsTheAngleFromTheCentre) {
    // Handle 6 of a line from the origin lies at (X, -Y) from the centre when the end is
    // (2X, -2Y): X to the right, Y upward.
    struct Case {
        int x, y;
        ECursor expected;
    };
    const Case cases[] = {
        {100, 0, ECursor::SizeWE},       // right
        {1000, 69, ECursor::SizeWE},     // 3.95 degrees
        {1000, 70, ECursor::SizeNESW},   // 4.004 degrees
        {100, 100, ECursor::SizeNESW},   // up-right
        {35, 1000, ECursor::SizeNESW},   // 87.995 degrees
        {34, 1000, ECursor::SizeNS},     // 88.05 degrees
        {0, 100, ECursor::SizeNS},       // straight up
        {-34, 1000, ECursor::SizeNS},    // 91.95 degrees
        {-35, 1000, ECursor::SizeNWSE},  // 92.005 degrees
        {-100, 100, ECursor::SizeNWSE},  // up-left
        {-1000, 35, ECursor::SizeNWSE},  // 178.0 less a little
        {-1000, 34, ECursor::SizeWE},    // beyond 178
        {-100, 0, ECursor::SizeWE},      // left
        {-100, -100, ECursor::SizeNESW}, // down-left is the same diagonal as up-right
        {100, -100, ECursor::SizeNWSE},  // down-right
        {0, -100, ECursor::SizeNS},      // straight down
        {0, 0, ECursor::SizeWE},         // squeezed onto the centre: no angle
    };
    for (const Case& c : cases) {
        CLine f;
        f.m_pt1 = {0, 0};
        f.m_pt2 = {2.0 * c.x, -2.0 * c.y};
        EXPECT_EQ(c.expected, f.GetHandleCursor(kHandleEnd, 1.0)) << c.x << "," << c.y;
    }
    CLine f;
    EXPECT_EQ(ECursor::None, f.GetHandleCursor(0, 1.0));
    EXPECT_EQ(ECursor::None, f.GetHandleCursor(1, 1.0));
    EXPECT_EQ(ECursor::SizeNWSE, f.GetHandleCursor(kHandleStart, 1.0));

    // The table's edges themselves (integer handles never land exactly on them).
    struct AngleCase {
        double a;
        ECursor expected;
    };
    const AngleCase angles[] = {{0.0, ECursor::SizeWE},       {3.999, ECursor::SizeWE},
                                {4.0, ECursor::SizeNESW},     {87.999, ECursor::SizeNESW},
                                {88.0, ECursor::SizeNS},      {92.0, ECursor::SizeNWSE},
                                {177.999, ECursor::SizeNWSE}, {178.0, ECursor::SizeWE},
                                {180.0, ECursor::SizeWE},     {std::nan(""), ECursor::SizeWE}};
    for (const AngleCase& c : angles)
        EXPECT_EQ(c.expected, CursorForAngle(c.a)) << c.a;
}

TEST(FigureBase, SnapToKeyPoint) {
    struct Case {
        double zoom;
        CPoint in;
        bool snaps;
        CPoint out;
    };
    // Start (100, 100), end (120, 100) page units: at zoom 0.5 the pixels (50, 50), (60, 50)
    // and the centre (55, 50); the threshold is 8 pixels there and 16 at zoom 1.
    const Case cases[] = {
        {0.5, {42, 50}, true, {50, 50}},  // exactly 8 from the start
        {0.5, {41, 50}, false, {41, 50}}, // 9 away
        {0.5, {53, 50}, true, {50, 50}},  // close to start, end and centre: the start wins
        {0.5, {62, 56}, true, {60, 50}},  // end before centre
        {1.0, {100, 116}, true, {100, 100}}, {1.0, {90, 113}, false, {90, 113}}, // sqrt(269) > 16
        {1.0, {110, 108}, true, {100, 100}},
    };
    for (const Case& c : cases) {
        CLine f;
        f.m_pt1 = {100, 100};
        f.m_pt2 = {120, 100};
        CPoint p = c.in;
        EXPECT_EQ(c.snaps, f.SnapToKeyPoint(p, c.zoom)) << c.in.x << "," << c.in.y;
        EXPECT_EQ(c.out, p);
    }
    CLine fresh;
    CPoint p{292, 289};
    EXPECT_TRUE(fresh.SnapToKeyPoint(p, 1.0));
    EXPECT_EQ((CPoint{290, 290}), p);
}

TEST(FigureBase, PaintSkipsHiddenFiguresAndHandlesOfUnselectableOnes) {
    struct Case {
        bool visible, selectable, selected;
        size_t lines, handles;
    };
    const Case cases[] = {
        {true, true, false, 1, 0}, {true, true, true, 1, 2},   {false, true, true, 0, 0},
        {true, false, true, 1, 0}, {false, false, true, 0, 0},
    };
    for (const Case& c : cases) {
        CLine f;
        f.m_bVisible = c.visible;
        f.m_bSelectable = c.selectable;
        f.m_bSelected = c.selected;
        CRecordingSurface dc;
        f.Paint(dc, 1.0, 5, 7);
        EXPECT_EQ(c.lines, dc.OfKind(CDrawCall::Line).size());
        const auto squares = dc.OfKind(CDrawCall::Rectangle);
        ASSERT_EQ(c.handles, squares.size());
        if (c.handles == 2) {
            EXPECT_EQ((CRect{242, 244, 249, 251}), squares[0].rect);
            EXPECT_EQ((CRect{342, 344, 349, 351}), squares[1].rect);
            for (const auto& s : squares) {
                EXPECT_EQ((CPen{EPenStyle::Solid, 1, 0}), s.pen);
                EXPECT_EQ(std::optional<COLORREF>(0xFF0000), s.fill);
            }
            // Handles come after the figure so they stay on top.
            EXPECT_EQ(CDrawCall::Rectangle, dc.calls.back().kind);
        }
    }
}

TEST(FigureBase, CloneCopiesEverythingIncludingTheFlags) {
    CArrow a;
    a.m_pt1 = {1.5, 2.5};
    a.m_pt2 = {-3, 4};
    a.m_strTag = "tag";
    a.m_bSelected = true;
    a.m_bEditing = true;
    a.m_bSelectable = false;
    a.m_bVisible = false;
    a.m_nPenStyle = 2;
    a.m_crColor = RGB(1, 2, 3);
    a.m_nMinWidth = 9;
    const auto c = a.Clone();
    EXPECT_EQ("Arrow", c->m_strType);
    EXPECT_EQ(a.m_pt1, c->m_pt1);
    EXPECT_EQ(a.m_pt2, c->m_pt2);
    EXPECT_EQ("tag", c->m_strTag);
    EXPECT_TRUE(c->m_bSelected);
    EXPECT_TRUE(c->m_bEditing);
    EXPECT_FALSE(c->m_bSelectable);
    EXPECT_FALSE(c->m_bVisible);
    EXPECT_EQ(2, c->m_nPenStyle);
    EXPECT_EQ(RGB(1, 2, 3), c->m_crColor);
    EXPECT_EQ(9, c->m_nMinWidth);
    // Still an arrow: it draws a head.
    c->m_bVisible = true;
    CRecordingSurface dc;
    c->Paint(dc, 1.0, 0, 0);
    EXPECT_EQ(1u, dc.OfKind(CDrawCall::Polygon).size());
}

TEST(FigureBase, MovingByPixelsAndPageUnits) {
    CLine f;
    f.MoveByPixels(3, -5, 2.0);
    EXPECT_EQ((CDoublePoint{241.5, 237.5}), f.m_pt1);
    EXPECT_EQ((CDoublePoint{341.5, 337.5}), f.m_pt2);
    f.MoveBy(-1.5, 2.5);
    EXPECT_EQ((CDoublePoint{240, 240}), f.m_pt1);
    f.SetPoints(10, 20, 5, 4, 2.0);
    EXPECT_EQ((CDoublePoint{5, 10}), f.m_pt1);
    EXPECT_EQ((CDoublePoint{2.5, 2}), f.m_pt2);
}

} // namespace
