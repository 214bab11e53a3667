// The snap sequence: key points, grid crossings and line intersections, their order, thresholds
// and candidates.
#include "FakeHost.h"

#include "common/RandomDrawing.h"
#include "figures/Line.h"
#include "figures/Rectangle.h"

#include <gtest/gtest.h>

#include <optional>
#include <utility>
#include <vector>

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

// The intersection snap as first written: every ordered pair of candidate figures (the lines
// through their handles 2 and 6), both from the topmost down, the first crossing within r wins.
std::optional<CPoint> PlainPairScan(const CFigureList& list, CPoint pt, double zoom, int r) {
    std::vector<std::pair<CDoublePoint, CDoublePoint>> lines;
    for (int i = list.GetCount() - 1; i >= 0; --i) {
        const CFigure* f = list.GetAt(i);
        if (!f->m_bSelectable || f->m_bEditing)
            continue;
        const CPoint a = f->GetHandlePoint(kHandleStart, zoom);
        const CPoint b = f->GetHandlePoint(kHandleEnd, zoom);
        lines.push_back({{double(a.x), double(a.y)}, {double(a.x) - b.x, double(a.y) - b.y}});
    }
    for (size_t n = 0; n < lines.size(); ++n)
        for (size_t m = 0; m < lines.size(); ++m) {
            if (m == n)
                continue;
            const auto c =
                IntersectLines(lines[n].first, lines[n].second, lines[m].first, lines[m].second);
            if (!c)
                continue;
            const CPoint q = c->ToPoint();
            const double dx = double(q.x) - pt.x, dy = double(q.y) - pt.y;
            if (dx * dx + dy * dy <= double(r) * r)
                return q;
        }
    return std::nullopt;
}

// Random drawings of every kind (with short, long, near-parallel and zero-length lines, and
// figures that are not candidates) at several zooms, probed at random points and at points
// around crossings: the canvas snaps exactly where the plain scan of every pair does.
TEST(CanvasSnapIntersections, SameSnappedPointAsThePlainPairScan) {
    CRandomDrawing gen(99);
    int snapped = 0;
    for (int drawing = 0; drawing < 3000; ++drawing) {
        CCanvasFixture f;
        f.RemovePicture();
        f.SnapSwitches(false, false, true);
        const int steps = gen.Int(-1, 2);
        for (int i = 0; i < steps; ++i)
            f.canvas.ZoomIn();
        for (int i = 0; i > steps; --i)
            f.canvas.ZoomOut();
        CFigureList& list = f.canvas.GetDrawing().EditFigures();
        const int count = gen.Int(2, 25);
        for (int i = 0; i < count; ++i) {
            std::unique_ptr<CFigure> fig = gen.Next();
            switch (gen.Int(0, 9)) {
            case 0: // no length at all
                fig->m_pt2 = fig->m_pt1;
                break;
            case 1: // nearly parallel to the previous figure
                if (list.GetCount() > 0) {
                    const CFigure* prev = list.GetLast();
                    fig->m_pt2 = fig->m_pt1 + (prev->m_pt2 - prev->m_pt1) * gen.Uniform(0.5, 3) +
                                 CDoublePoint{gen.Uniform(-1, 1), 0};
                }
                break;
            case 2:
                fig->m_bSelectable = false;
                break;
            case 3:
                fig->m_bEditing = true;
                break;
            default:
                break;
            }
            list.Add(std::move(fig));
        }
        const double zoom = f.canvas.GetZoom();
        const int r = RoundHalf(zoom * 16);
        for (int probe = 0; probe < 12; ++probe) {
            CPoint p{gen.Int(-50, RoundHalf(730 * zoom)), gen.Int(-50, RoundHalf(850 * zoom))};
            if (probe % 2) {
                // Around the crossing of two random figures' lines.
                const CFigure* a = list.GetAt(gen.Int(0, list.GetCount() - 1));
                const CFigure* b = list.GetAt(gen.Int(0, list.GetCount() - 1));
                const CPoint a1 = a->GetHandlePoint(kHandleStart, zoom);
                const CPoint a2 = a->GetHandlePoint(kHandleEnd, zoom);
                const CPoint b1 = b->GetHandlePoint(kHandleStart, zoom);
                const CPoint b2 = b->GetHandlePoint(kHandleEnd, zoom);
                const auto c = IntersectLines(
                    {double(a1.x), double(a1.y)}, {double(a1.x) - a2.x, double(a1.y) - a2.y},
                    {double(b1.x), double(b1.y)}, {double(b1.x) - b2.x, double(b1.y) - b2.y});
                if (c && std::abs(c->x) < 1e6 && std::abs(c->y) < 1e6)
                    p = c->ToPoint() + CPoint{gen.Int(-r - 3, r + 3), gen.Int(-r - 3, r + 3)};
            }
            const std::optional<CPoint> expected = PlainPairScan(list, p, zoom, r);
            CPoint got = p;
            f.canvas.Snap(got);
            EXPECT_EQ(expected.value_or(p), got)
                << "drawing " << drawing << " probe " << p.x << "," << p.y << " zoom " << zoom;
            snapped += expected.has_value();
        }
    }
    EXPECT_GT(snapped, 1500); // the probes do reach crossings
}

} // namespace
