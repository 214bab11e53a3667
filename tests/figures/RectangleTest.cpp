#include "figures/Rectangle.h"
#include "common/RecordingSurface.h"
#include "figures/FrameTestUtil.h"
#include "figures/RotatableFigures.h"
#include "figures/TextFigures.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <random>

#include <unistd.h>

namespace {

TEST(Rectangle, LimitPushesOutOfTheBandAroundTheAnchor) {
    CRectangle f;
    SetCorners(f, {100, 50}, {200, 50}, {200, 150}, {100, 150}); // anchor of handle 6 = (100, 50)
    const struct {
        CDoublePoint in, out;
    } cases[] = {
        {{100, 50}, {85, 35}},     // on the anchor: the lower side
        {{101, 60}, {115, 65}},    // just above: the upper side
        {{84.9, 20}, {84.9, 20}},  // already outside
        {{85, 65}, {85, 65}},      // on the band's edges already
        {{115.5, 34}, {115.5, 34}} // outside on both axes
    };
    for (const auto& c : cases) {
        CDoublePoint m = c.in;
        f.LimitHandlePoint(6, m);
        EXPECT_EQ(m, c.out) << "from " << c.in;
    }
}

TEST(Rectangle, EachHandleIsLimitedAroundItsOwnAnchor) {
    CRectangle f;
    SetUnitFrame(f);
    const CDoublePoint anchors[] = {{100, 50}, {50, 50}, {0, 50},  {0, 25},
                                    {0, 0},    {50, 0},  {100, 0}, {100, 25}};
    for (int h = 2; h <= 9; ++h) {
        const CDoublePoint k = anchors[h - 2];
        CDoublePoint m = k;
        f.LimitHandlePoint(h, m);
        EXPECT_EQ(m, (CDoublePoint{k.x - 15, k.y - 15})) << "handle " << h;
    }
}

struct DragCase {
    int x1, y1, x2, y2; // creation drag, then release at (x2, y2) on handle 6
    CDoublePoint p1, p3, p2, p4;
};

TEST(Rectangle, ShortCreationDragsKeepTheMinimumSize) {
    const DragCase cases[] = {
        {10, 10, 15, 15, {10, 10}, {25, 10}, {25, 25}, {10, 25}},
        {40, 40, 30, 35, {40, 40}, {25, 40}, {25, 25}, {40, 25}}, // mirrored on both axes
        // No height: the neighbours cannot be found, so only handle 6 moves.
        {10, 10, 30, 10, {10, 10}, {30, 10}, {30, -5}, {10, 10}},
    };
    for (const auto& c : cases) {
        CRectangle f;
        f.SetPoints(c.x1, c.y1, c.x2, c.y2, 1.0);
        f.SetHandlePoint(6, c.x2, c.y2, 1.0);
        EXPECT_EQ(f.m_pt1, c.p1) << c.x2 << "," << c.y2;
        EXPECT_EQ(f.m_pt3, c.p3) << c.x2 << "," << c.y2;
        EXPECT_EQ(f.m_pt2, c.p2) << c.x2 << "," << c.y2;
        EXPECT_EQ(f.m_pt4, c.p4) << c.x2 << "," << c.y2;
    }
}

TEST(Rectangle, FrameWithoutHeightDrawsThreeSegments) {
    CRectangle f;
    f.SetPoints(10, 10, 30, 10, 1.0);
    f.SetHandlePoint(6, 30, 10, 1.0);
    CRecordingSurface dc;
    f.Draw(dc, 1.0, 0, 0);
    const auto lines = dc.OfKind(CDrawCall::Line);
    ASSERT_EQ(lines.size(), 4u);
    // Page y -5 is shown at pixel -4: -4.5 truncates toward zero.
    const CPoint from[] = {{10, 10}, {30, 10}, {30, -4}, {10, 10}};
    const CPoint to[] = {{30, 10}, {30, -4}, {10, 10}, {10, 10}}; // the last has no length
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(lines[i].points[0], from[i]);
        EXPECT_EQ(lines[i].points[1], to[i]);
    }
}

TEST(Rectangle, MinimumIsInPageUnitsAtZoomTwo) {
    CRectangle f;
    f.SetPoints(0, 0, 80, 80, 2.0);   // 40 x 40 units
    f.SetHandlePoint(5, 20, 40, 2.0); // 10 units from the left edge
    EXPECT_DOUBLE_EQ(f.m_pt2.x - f.m_pt1.x, 15.0);
    EXPECT_EQ(f.GetHandlePoint(5, 2.0), (CPoint{30, 40}));
}

TEST(Rectangle, EdgeHandleDragIsLimitedOnItsOwnAxisOnly) {
    CRectangle f;
    SetUnitFrame(f);
    f.SetHandlePoint(3, 50, 45, 1.0); // anchor (50, 50): y goes to 35, x has no effect
    EXPECT_EQ(f.m_pt1, (CDoublePoint{0, 35}));
    EXPECT_EQ(f.m_pt3, (CDoublePoint{100, 35}));
    f.SetHandlePoint(14, 1, 1, 1.0);
    f.SetHandlePoint(11, 1, 1, 1.0);
    EXPECT_EQ(f.m_pt1, (CDoublePoint{0, 35}));
}

TEST(Rectangle, CloneIsARectangleWithTheSameFrame) {
    CRectangle f;
    SetUnitFrame(f);
    auto copy = f.Clone();
    copy->SetHandlePoint(6, 5, 5, 1.0); // still limited like a rectangle
    auto& c = static_cast<CRectangle&>(*copy);
    EXPECT_EQ(c.m_pt2, (CDoublePoint{15, 15}));
    EXPECT_EQ(c.m_strType, "Rectangle");
}

TEST(Rhomb, DrawsThroughTheEdgeMidpointsAndIsHitOnItsFrame) {
    CRhomb f;
    f.SetPoints(0, 0, 100, 50, 1.0);
    CRecordingSurface dc;
    f.Draw(dc, 1.0, 0, 0);
    const CPoint v[] = {{50, 0}, {100, 25}, {50, 50}, {0, 25}};
    ASSERT_EQ(dc.calls.size(), 8u);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(dc.calls[2 * i].kind, CDrawCall::Line);
        EXPECT_EQ(dc.calls[2 * i].points[0], v[i]);
        EXPECT_EQ(dc.calls[2 * i].points[1], v[(i + 1) % 4]);
        EXPECT_EQ(dc.calls[2 * i + 1].points[0], v[(i + 1) % 4]);
        EXPECT_EQ(dc.calls[2 * i + 1].fill, std::optional<COLORREF>(kEndPixelColor));
    }
    EXPECT_TRUE(f.HitTest({0, 0}, 1.0));
    EXPECT_FALSE(f.HitTest({75, 12}, 1.0));
    EXPECT_EQ(f.Clone()->m_strType, "Rectangle");
}

class PictureFigure : public ::testing::Test {
protected:
    void SetUp() override {
        // One file per test and process: ctest may run these tests side by side.
        const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        path = (std::filesystem::temp_directory_path() /
                ("quodra-picture-" + name + "-" + std::to_string(::getpid()) + ".gif"))
                   .string();
        std::ofstream(path) << "GIF89a";
    }
    void TearDown() override { std::filesystem::remove(path); }
    std::string path;
};

TEST_F(PictureFigure, DrawsTheImageFileStretchedIntoTheFrame) {
    CPictureFigure f;
    EXPECT_EQ(f.m_strType, "HappyNewYear :)");
    EXPECT_EQ(f.m_strImagePath, "res/hny.gif");
    f.m_strImagePath = path;
    f.SetPoints(7, 4, 49, 49, 1.0);
    CRecordingSurface dc;
    f.Draw(dc, 2.0, 3, 1);
    ASSERT_EQ(dc.calls.size(), 1u);
    EXPECT_EQ(dc.calls[0].kind, CDrawCall::Image);
    EXPECT_EQ(dc.calls[0].text, path);
    EXPECT_EQ(dc.calls[0].rect, (CRect{17, 9, 101, 99}));
}

TEST_F(PictureFigure, MissingFileDrawsNothingButKeepsTheFrame) {
    CPictureFigure f;
    f.m_strImagePath = path + ".missing";
    f.SetPoints(7, 4, 49, 49, 1.0);
    f.m_bSelected = true;
    CRecordingSurface dc;
    f.Paint(dc, 1.0, 0, 0);
    EXPECT_EQ(dc.OfKind(CDrawCall::Image).size(), 0u);
    EXPECT_EQ(dc.OfKind(CDrawCall::Rectangle).size(), 8u); // the handles are still shown
    EXPECT_TRUE(f.HitTest({9, 20}, 1.0));
    EXPECT_FALSE(f.HitTest({28, 26}, 1.0));
}

TEST_F(PictureFigure, CloneCopiesTheFrameButNotThePath) {
    CPictureFigure f;
    f.m_strImagePath = path;
    f.SetPoints(7, 4, 49, 49, 1.0);
    const auto copy = f.Clone();
    const auto& c = static_cast<const CPictureFigure&>(*copy);
    EXPECT_EQ(c.m_strImagePath, "res/hny.gif");
    EXPECT_EQ(c.m_pt4, (CDoublePoint{7, 49}));
    EXPECT_EQ(c.m_strType, "HappyNewYear :)");
}

// A short creation drag that starts at the page's last pixel leaves a lopsided frame (the release
// is pushed out of the 15-unit band, the other corners cannot follow). Its edges are then nearly
// parallel, and a resize would cross them millions of units away.
TEST(Rectangle, NearlyParallelEdgesNeverThrowACornerOutOfReach) {
    const auto inReach = [](const CFramedFigure& f) {
        return IsWithinReach(f.m_pt1) && IsWithinReach(f.m_pt2) && IsWithinReach(f.m_pt3) &&
               IsWithinReach(f.m_pt4);
    };
    CTextRectangle f;
    f.SetPoints(680, 800, 678, 800, 1.0);
    f.SetHandlePoint(kHandleEnd, 678, 800, 1.0);
    f.SetHandlePoint(kHandleStart, 4, 769, 1.0);
    f.SetHandlePoint(kHandleRight, 358, 736, 1.0);
    ASSERT_TRUE(inReach(f)) << f.m_pt1 << f.m_pt3 << f.m_pt2 << f.m_pt4;
    const CDoublePoint before[4] = {f.m_pt1, f.m_pt3, f.m_pt2, f.m_pt4};
    f.SetHandlePoint(kHandleBottomLeft, 109, 428, 1.0); // would cross at about 2.5 million
    EXPECT_EQ(before[0], f.m_pt1);
    EXPECT_EQ(before[1], f.m_pt3);
    EXPECT_EQ(before[2], f.m_pt2);
    EXPECT_EQ(before[3], f.m_pt4);

    // Any lopsided start, any box figure, any handle drags on the page.
    std::mt19937 rng(15);
    for (int trial = 0; trial < 3000; ++trial) {
        std::unique_ptr<CFramedFigure> g;
        switch (trial % 4) {
        case 0:
            g = std::make_unique<CTextRectangle>();
            break;
        case 1:
            g = std::make_unique<CTextEllipse>();
            break;
        case 2:
            g = std::make_unique<CTextRhomb>();
            break;
        default:
            g = std::make_unique<CRotatableEllipse>();
            break;
        }
        const int x = 660 + int(rng() % 21), y = 780 + int(rng() % 21);
        g->SetPoints(680, 800, x, y, 1.0);
        g->SetHandlePoint(kHandleEnd, x, y, 1.0);
        for (int step = 0; step < 6; ++step) {
            g->SetHandlePoint(2 + int(rng() % 8), int(rng() % 681), int(rng() % 801), 1.0);
            ASSERT_TRUE(inReach(*g)) << "trial " << trial << " step " << step;
        }
    }
}

} // namespace
