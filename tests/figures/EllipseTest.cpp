#include "figures/Ellipse.h"
#include "common/RecordingSurface.h"
#include "figures/FrameTestUtil.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

struct BezierCase {
    const char* name;
    CPoint c1, c2, c3, c4;
    std::vector<CPoint> q;
};

TEST(MakeEllipseBezier, ThirteenPointsByIntegerRounding) {
    // clang-format off
    const BezierCase cases[] = {
        // U is (0, -13), not (0, -14): -14 + 0.5 truncates toward zero.
        {"frame 100 x 50", {0, 0}, {100, 0}, {100, 50}, {0, 50},
         {{0, 25}, {0, 12}, {22, 0}, {50, 0}, {78, 0}, {100, 12}, {100, 25},
          {100, 38}, {78, 50}, {50, 50}, {22, 50}, {0, 38}, {0, 25}}},
        // Drawn from bottom-right to top-left: starts on the right and U points down.
        {"reversed frame", {100, 50}, {0, 50}, {0, 0}, {100, 0},
         {{100, 25}, {100, 39}, {77, 50}, {50, 50}, {23, 50}, {0, 39}, {0, 25},
          {0, 11}, {23, 0}, {50, 0}, {77, 0}, {100, 11}, {100, 25}}},
        // Edges of zero length give zero offsets: a flat, finite ellipse.
        {"no width", {0, 0}, {0, 0}, {0, 50}, {0, 50},
         {{0, 25}, {0, 12}, {0, 0}, {0, 0}, {0, 0}, {0, 12}, {0, 25},
          {0, 38}, {0, 50}, {0, 50}, {0, 50}, {0, 38}, {0, 25}}},
        {"no height", {0, 0}, {100, 0}, {100, 0}, {0, 0},
         {{0, 0}, {0, 0}, {22, 0}, {50, 0}, {78, 0}, {100, 0}, {100, 0},
          {100, 0}, {78, 0}, {50, 0}, {22, 0}, {0, 0}, {0, 0}}},
        {"a point", {7, 7}, {7, 7}, {7, 7}, {7, 7}, std::vector<CPoint>(13, CPoint{7, 7})},
    };
    // clang-format on
    for (const auto& c : cases) {
        const auto q = MakeEllipseBezier(c.c1, c.c2, c.c3, c.c4);
        EXPECT_EQ(std::vector<CPoint>(q.begin(), q.end()), c.q) << c.name;
    }
}

TEST(MakeEllipseBezier, MidpointsRoundUp) {
    const auto q = MakeEllipseBezier({0, 0}, {101, 0}, {101, 51}, {0, 51});
    EXPECT_EQ(q[3], (CPoint{51, 0}));  // top midpoint
    EXPECT_EQ(q[0], (CPoint{0, 26}));  // left midpoint
    EXPECT_EQ(q[12], (CPoint{0, 26})); // closed
}

// The TeXDraw reader finds a frame back from its arcs by comparing the two arms only, which is
// exact only while every arc point is a midpoint plus or minus an arm.
TEST(MakeEllipseBezier, ArcsAreTheEdgeMidpointsPlusOrMinusTwoArms) {
    std::mt19937 rng(11);
    std::uniform_int_distribution<int> coord(-3000, 3000), pick(0, 5);
    for (int n = 0; n < 20000; ++n) {
        CPoint c[4];
        for (int i = 0; i < 4; ++i) // now and then a corner on another, for flat frames
            c[i] = i > 0 && pick(rng) == 0 ? c[i - 1] : CPoint{coord(rng), coord(rng)};
        const auto q = MakeEllipseBezier(c[0], c[1], c[2], c[3]);
        const CPoint l = q[0], t = q[3], r = q[6], b = q[9];
        const CPoint u =
            EllipseArm(l, c[0], EllipseArmLength(EllipseSide(c[1], c[2]), EllipseSide(c[0], c[3])));
        const CPoint v =
            EllipseArm(t, c[1], EllipseArmLength(EllipseSide(c[0], c[1]), EllipseSide(c[3], c[2])));
        const std::array<CPoint, 13> want{l,     l + u, t - v, t,     t + v, r + u, r,
                                          r - u, b + v, b,     b - v, l - u, l};
        ASSERT_EQ(q, want) << n;
    }
}

TEST(Ellipse, DrawsOneBezierThroughTheCornerHandles) {
    CEllipse f;
    f.SetPoints(0, 0, 100, 50, 1.0);
    f.m_crColor = RGB(1, 2, 3);
    const struct {
        double zoom;
        int dx, dy;
        int width;
    } cases[] = {{1.0, 0, 0, 1}, {2.0, 0, 0, 2}, {0.4, 0, 0, 0}, {1.0, 30, 40, 1}};
    for (const auto& c : cases) {
        CRecordingSurface dc;
        f.Draw(dc, c.zoom, c.dx, c.dy);
        ASSERT_EQ(dc.calls.size(), 1u) << "zoom " << c.zoom; // no frame, no red end pixels
        EXPECT_EQ(dc.calls[0].kind, CDrawCall::Bezier);
        EXPECT_EQ(dc.calls[0].pen, (CPen{EPenStyle::Solid, c.width, RGB(1, 2, 3)}));
        const CPoint d{c.dx, c.dy};
        const auto q =
            MakeEllipseBezier(f.GetHandlePoint(2, c.zoom) + d, f.GetHandlePoint(4, c.zoom) + d,
                              f.GetHandlePoint(6, c.zoom) + d, f.GetHandlePoint(8, c.zoom) + d);
        EXPECT_EQ(dc.calls[0].points, std::vector<CPoint>(q.begin(), q.end()));
    }
    CRecordingSurface dc2;
    f.Draw(dc2, 2.0, 0, 0);
    EXPECT_EQ(dc2.calls[0].points[3], (CPoint{100, 0}));
    EXPECT_EQ(dc2.calls[0].points[6], (CPoint{200, 50}));
}

TEST(Ellipse, IsHitOnItsFrameNotOnItsCurve) {
    CEllipse f;
    f.SetPoints(0, 0, 200, 200, 1.0);
    EXPECT_FALSE(f.HitTest({29, 29}, 1.0)); // on the curve, far from the frame
    EXPECT_TRUE(f.HitTest({0, 0}, 1.0));    // frame corner outside the curve
    EXPECT_TRUE(f.HitTest({100, 2}, 1.0));
}

TEST(Ellipse, CloneAndSelectionBehaveLikeABox) {
    CEllipse f;
    SetUnitFrame(f);
    f.m_bSelected = true;
    const auto copy = f.Clone();
    EXPECT_EQ(copy->m_strType, "Ellipse");
    EXPECT_EQ(static_cast<const CEllipse&>(*copy).m_pt4, (CDoublePoint{0, 50}));
    CRecordingSurface dc;
    copy->Paint(dc, 1.0, 0, 0);
    EXPECT_EQ(dc.OfKind(CDrawCall::Bezier).size(), 1u);
    EXPECT_EQ(dc.OfKind(CDrawCall::Rectangle).size(), 8u);
    copy->SetHandlePoint(3, 50, 45, 1.0); // the 15-unit band of every box figure
    EXPECT_EQ(static_cast<const CEllipse&>(*copy).m_pt1, (CDoublePoint{0, 35}));
}

} // namespace
