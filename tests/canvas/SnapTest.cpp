// The snap sequence: key points, grid crossings and line intersections, their order, thresholds
// and candidates.
#include "FakeHost.h"

#include "figures/Line.h"
#include "figures/Rectangle.h"

#include <gtest/gtest.h>

namespace {

struct SnapCase {
    const char* name;
    int zoomInSteps; // keypad plus presses from 1.0
    bool keyPoints, grid, intersections;
    CPoint in, out; // page pixels
};

class CanvasSnap : public testing::TestWithParam<SnapCase> {};

// Figures: a line (60,60)-(200,200) whose end sits near the grid crossing (53,53); a horizontal
// line (100,300)-(150,300) and a vertical one (300,100)-(300,150) that cross at (300,300),
// outside both; and a second horizontal line, parallel to the first.
TEST_P(CanvasSnap, MovesThePointAsTheSwitchesSay) {
    const SnapCase& c = GetParam();
    CCanvasFixture f;
    f.RemovePicture();
    f.Add<CLine>(60, 60, 200, 200);
    f.Add<CLine>(100, 300, 150, 300);
    f.Add<CLine>(300, 100, 300, 150);
    f.Add<CLine>(400, 600, 450, 600);
    for (int i = 0; i < c.zoomInSteps; ++i)
        f.canvas.ZoomIn();
    f.SnapSwitches(c.keyPoints, c.grid, c.intersections);
    CPoint p = c.in;
    f.canvas.Snap(p);
    EXPECT_EQ(c.out, p);
}

const SnapCase kSnapCases[] = {
    {"AllOff", 0, false, false, false, {61, 59}, {61, 59}},
    // Grid threshold: 16 pixels at zoom 1, 32 at zoom 2; crossings at 53 units.
    {"GridAt16", 0, false, true, false, {53 + 16, 53}, {53, 53}},
    {"GridAt17", 0, false, true, false, {53 + 17, 53}, {53 + 17, 53}},
    {"GridDiagonalJustOutside", 0, false, true, false, {53 + 12, 53 + 12}, {65, 65}},
    {"GridZoom2At32", 1, false, true, false, {106 + 32, 106}, {106, 106}},
    {"GridZoom2At33", 1, false, true, false, {106 + 33, 106}, {139, 106}},
    {"GridFirstColumnWins", 0, false, true, false, {2 + 10, 2}, {2, 2}},
    // The key point (60,60) pulls the point; the grid step then moves it on to (53,53).
    {"KeyPointOnly", 0, true, false, false, {70, 62}, {60, 60}},
    {"GridAfterKeyPoint", 0, true, true, false, {70, 62}, {53, 53}},
    {"GridAloneTooFar", 0, false, true, false, {70, 62}, {70, 62}},
    // The crossing of the two short lines lies outside both segments.
    {"IntersectionOutsideSegments", 0, false, false, true, {310, 305}, {300, 300}},
    {"IntersectionTooFar", 0, false, false, true, {317, 300}, {317, 300}},
    {"IntersectionZoom2", 1, false, false, true, {600 + 30, 600}, {600, 600}},
    // Parallel lines (y = 300 and y = 600) never cross; the vertical line meets y = 600 at
    // (300,600), far from this point.
    {"ParallelLinesNoCandidate", 0, false, false, true, {125, 450}, {125, 450}},
    {"IntersectionWinsOverGrid", 0, false, true, true, {298, 302}, {300, 300}},
};

INSTANTIATE_TEST_SUITE_P(Cases, CanvasSnap, testing::ValuesIn(kSnapCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CanvasSnapCandidates, GridLinesAndTheEditedFigureDoNotAttract) {
    CCanvasFixture f;
    f.RemovePicture();
    f.SnapSwitches(true, false, true);
    // Grid lines cross everywhere but are no candidates.
    CPoint p{54, 54};
    f.canvas.Snap(p);
    EXPECT_EQ((CPoint{54, 54}), p);
    CFigure* a = f.Add<CLine>(100, 300, 150, 300);
    CFigure* b = f.Add<CLine>(300, 100, 300, 150);
    b->m_bEditing = true;
    p = {302, 302};
    f.canvas.Snap(p);
    EXPECT_EQ((CPoint{302, 302}), p);
    b->m_bEditing = false;
    a->m_bSelectable = false;
    f.canvas.Snap(p);
    EXPECT_EQ((CPoint{302, 302}), p);
    a->m_bSelectable = true;
    f.canvas.Snap(p);
    EXPECT_EQ((CPoint{300, 300}), p);
}

TEST(CanvasSnapCandidates, TopmostKeyPointWins) {
    CCanvasFixture f;
    f.RemovePicture();
    f.SnapSwitches(true, false, false);
    f.Add<CLine>(300, 300, 400, 400);
    f.Add<CLine>(306, 300, 500, 300);
    CPoint p{303, 300};
    f.canvas.Snap(p);
    EXPECT_EQ((CPoint{306, 300}), p);
}

} // namespace
