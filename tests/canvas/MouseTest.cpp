// The gesture state machine: the decision table on its own, then drawing, selecting, moving,
// resizing, zooming, the cursor and the keys driven by client-pixel events.
#include "FakeHost.h"

#include "figures/Line.h"
#include "figures/Rectangle.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace {

TEST(CanvasDecision, ActionCodes) {
    struct Case {
        int mode, state, prev, grabbed;
        bool ctrl;
        int action;
    };
    const Case cases[] = {
        // Zoom mode: drag shows the rectangle, release zooms, anything else nothing.
        {kModeZoom, 0x1010, 0x1000, 0, false, 1},
        {kModeZoom, 0x1011, 0x1010, 0, false, 2},
        {kModeZoom, 0x1001, 0x1000, 0, false, 0},
        {kModeZoom, 0x1000, 0x0010, -1, true, 0},
        // Drawing: the first move of the drag creates, later moves reshape, release finishes.
        {kModeDraw, 0x1010, 0x1000, 0, false, 3},
        {kModeDraw, 0x1010, 0x1010, 0, false, 4},
        {kModeDraw, 0x1011, 0x1010, 0, false, 5},
        {kModeDraw, 0x1001, 0x1000, 0, false, 0},
        {kModeDraw, 0x0010, 0x0000, 0, false, 0},
        // Select: press on a handle, a body, empty paper, with and without Ctrl.
        {kModeSelect, 0x1000, 0x0010, 6, false, 7},
        {kModeSelect, 0x1000, 0x0010, 6, true, 7},
        {kModeSelect, 0x1000, 0x0010, 0, false, 7},
        {kModeSelect, 0x1000, 0x0010, 0, true, 8},
        {kModeSelect, 0x1000, 0x0000, -1, false, 6},
        {kModeSelect, 0x1000, 0x0000, -1, true, 9},
        // Dragging from paper, a body, a handle.
        {kModeSelect, 0x1010, 0x1000, -1, false, 10},
        {kModeSelect, 0x1010, 0x1010, -1, true, 11},
        {kModeSelect, 0x1010, 0x1010, 0, false, 14},
        {kModeSelect, 0x1010, 0x1010, 3, true, 15},
        // Releasing a band; other releases and the second press do nothing.
        {kModeSelect, 0x1011, 0x1010, -1, false, 12},
        {kModeSelect, 0x1011, 0x1010, -1, true, 13},
        {kModeSelect, 0x1011, 0x1010, 0, false, 0},
        {kModeSelect, 0x1001, 0x1000, -1, false, 0},
        {kModeSelect, 0x1100, 0x1000, -1, false, 0},
        {kModeSelect, 0x0010, 0x0000, 0, false, 0},
        {7, 0x1010, 0x1000, 0, false, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.action, CQuodra::DecideAction(EMode(c.mode), EMouseState(c.state),
                                                  EMouseState(c.prev), c.grabbed, c.ctrl))
            << "mode " << c.mode << " state " << std::hex << c.state << " prev " << c.prev
            << std::dec << " grabbed " << c.grabbed << " ctrl " << c.ctrl;
    }
}

TEST(CanvasGesture, StatesOfAGesture) {
    CCanvasFixture f;
    f.Move({600, 600});
    EXPECT_EQ(0x0010, f.canvas.GetMouseState());
    f.Press({600, 600});
    EXPECT_EQ(0x1000, f.canvas.GetMouseState());
    EXPECT_TRUE(f.host.captured);
    f.canvas.OnLButtonDown({600, 600}, false); // a second press without a release
    EXPECT_EQ(0x1100, f.canvas.GetMouseState());
    f.Release({600, 600});
    EXPECT_EQ(0, f.canvas.GetMouseState());
    EXPECT_EQ(0x1100, f.canvas.GetPrevMouseState());
    EXPECT_FALSE(f.host.captured);
}

struct DrawCase {
    const char* name;
    std::function<std::unique_ptr<CFigure>()> tool;
    CPoint from, to; // page pixels; the release point
    bool snap;
    CDoublePoint pt1, pt2;
};

class CanvasDraw : public testing::TestWithParam<DrawCase> {};

TEST_P(CanvasDraw, DragCreatesOneFigureAndReturnsToSelectMode) {
    const DrawCase& c = GetParam();
    CCanvasFixture f;
    f.RemovePicture();
    f.SnapSwitches(c.snap, c.snap, false);
    f.canvas.SetToolFigure(c.tool());
    EXPECT_EQ(kModeDraw, f.canvas.GetMode());
    f.Press(f.ClientOf(c.from));
    f.Move(f.ClientOf({(c.from.x + c.to.x) / 2, (c.from.y + c.to.y) / 2}));
    f.Move(f.ClientOf(c.to));
    f.Release(f.ClientOf(c.to));
    const CFigureList& list = f.canvas.GetFigures();
    ASSERT_EQ(31, list.GetCount());
    const CFigure* fig = list.GetLast();
    EXPECT_EQ(c.pt1, fig->m_pt1);
    EXPECT_EQ(c.pt2, fig->m_pt2);
    EXPECT_TRUE(fig->m_bSelected);
    EXPECT_FALSE(fig->m_bEditing);
    EXPECT_EQ(kModeSelect, f.canvas.GetMode());
    EXPECT_TRUE(f.canvas.IsModified());
}

const DrawCase kDrawCases[] = {
    // A one-pixel drag: the line keeps its ends 5 units apart on both axes.
    {"OnePixelLine",
     [] { return std::make_unique<CLine>(); },
     {100, 100},
     {101, 101},
     false,
     {100, 100},
     {105, 105}},
    {"LineLeavingThePage",
     [] { return std::make_unique<CLine>(); },
     {600, 700},
     {900, 1000},
     false,
     {600, 700},
     {680, 800}},
    {"LineLeavingTopLeft",
     [] { return std::make_unique<CLine>(); },
     {100, 100},
     {-50, -80},
     false,
     {100, 100},
     {0, 0}},
    {"RectangleSnapsToGrid",
     [] { return std::make_unique<CRectangle>(); },
     {100, 98},
     {210, 160},
     true,
     {104, 104},
     {206, 155}},
    // Drawn near its own start, a new line must not snap onto itself.
    {"NoSnapToItself",
     [] { return std::make_unique<CLine>(); },
     {325, 325},
     {334, 336},
     true,
     {325, 325},
     {334, 336}},
};

INSTANTIATE_TEST_SUITE_P(Cases, CanvasDraw, testing::ValuesIn(kDrawCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CanvasGesture, ClickInDrawingModeCreatesNothing) {
    CCanvasFixture f;
    f.canvas.SetToolFigure(std::make_unique<CLine>());
    f.Click(f.ClientOf({300, 300}));
    EXPECT_EQ(31, f.canvas.GetFigures().GetCount());
    EXPECT_EQ(kModeDraw, f.canvas.GetMode());
    EXPECT_NE(nullptr, f.canvas.GetToolFigure());
}

TEST(CanvasGesture, DrawingAtZoomTwoKeepsPageUnits) {
    CCanvasFixture f;
    f.RemovePicture();
    f.SnapSwitches(false, false, false);
    f.canvas.ZoomIn();
    ASSERT_DOUBLE_EQ(2.0, f.canvas.GetZoom());
    f.canvas.SetToolFigure(std::make_unique<CLine>());
    f.Drag(f.ClientOf({400, 600}), f.ClientOf({801, 1000}));
    EXPECT_EQ((CDoublePoint{200, 300}), f.canvas.GetFigures().GetLast()->m_pt1);
    EXPECT_EQ((CDoublePoint{400.5, 500}), f.canvas.GetFigures().GetLast()->m_pt2);
}

// The press point snapped to a key point off the page stays there for the whole drag: later
// moves snap it again but do not pull it back onto the page first (from the page edge, the
// other end of that line would be the first key point within reach).
TEST(CanvasGesture, PressSnappedOffThePageStaysThereWhileDragging) {
    CCanvasFixture f;
    f.RemovePicture();
    f.SnapSwitches(true, false, false);
    const CPoint key = f.Add<CLine>(8, 300, -12, 290)->GetHandlePoint(kHandleEnd, 1.0);
    const CDoublePoint start{double(key.x), double(key.y)};
    f.canvas.SetToolFigure(std::make_unique<CLine>());
    f.Press(f.ClientOf({0, 280}));
    f.Move(f.ClientOf({100, 350}));
    EXPECT_EQ(start, f.canvas.GetFigures().GetLast()->m_pt1);
    f.Move(f.ClientOf({200, 400}));
    f.Release(f.ClientOf({200, 400}));
    EXPECT_EQ(start, f.canvas.GetFigures().GetLast()->m_pt1);
    EXPECT_EQ((CDoublePoint{200, 400}), f.canvas.GetFigures().GetLast()->m_pt2);
}

// Ctrl+S while the button is still held: the rest of the drag is a change the file has not seen.
TEST(CanvasGesture, SavingInTheMiddleOfADrawingDragLeavesTheRestMarked) {
    CCanvasFixture f;
    f.SnapSwitches(false, false, false);
    const std::string path = testing::TempDir() + "/mid-drag.txt";
    std::string error;
    f.canvas.SetToolFigure(std::make_unique<CLine>());
    f.Press(f.ClientOf({100, 100}));
    f.Move(f.ClientOf({200, 200}));
    ASSERT_TRUE(f.canvas.WriteTeXDrawFile(path, error)) << error;
    f.Move(f.ClientOf({300, 250}));
    EXPECT_TRUE(f.canvas.IsModified());
    ASSERT_TRUE(f.canvas.WriteTeXDrawFile(path, error)) << error;
    f.Release(f.ClientOf({400, 300}));
    EXPECT_TRUE(f.canvas.IsModified());
    EXPECT_EQ((CDoublePoint{400, 300}), f.canvas.GetFigures().GetLast()->m_pt2);
}

// Pointer positions near the int limits (a captured pointer far off the window, or a broken
// event) stay on their side of the page when the scroll position is added and the move taken.
TEST(CanvasGesture, PointerNearTheIntLimitsStaysOnItsSide) {
    CCanvasFixture f({300, 300});
    f.RemovePicture();
    f.SnapSwitches(false, false, false);
    f.canvas.OnHScroll(EScrollRequest::ThumbTrack, 100);
    f.canvas.OnVScroll(EScrollRequest::ThumbTrack, 100);
    f.canvas.SetToolFigure(std::make_unique<CLine>());
    f.Press(f.ClientOf({150, 150}));
    f.Move({INT_MAX, INT_MAX});
    f.Release({INT_MAX, INT_MAX});
    CFigure* line = f.canvas.GetDrawing().EditFigures().GetLast();
    EXPECT_EQ((CDoublePoint{150, 150}), line->m_pt1);
    EXPECT_EQ((CDoublePoint{680, 800}), line->m_pt2);
    // Dragged by its middle far up and left, it stops at the page's top left corner.
    f.Press(f.ClientOf({415, 475}));
    f.Move({INT_MIN, INT_MIN});
    f.Release({INT_MIN, INT_MIN});
    EXPECT_EQ((CDoublePoint{0, 0}), line->m_pt1);
    EXPECT_EQ((CDoublePoint{530, 650}), line->m_pt2);
}

TEST(CanvasSelect, ClicksAndCtrlClicks) {
    CCanvasFixture f;
    f.RemovePicture();
    auto* a = f.Add<CRectangle>(100, 100, 200, 200);
    auto* b = f.Add<CRectangle>(300, 100, 400, 200);
    // On the top edges, away from the handles.
    const CPoint aBody = f.ClientOf({130, 100});
    const CPoint bBody = f.ClientOf({330, 100});

    f.Click(aBody);
    EXPECT_TRUE(a->m_bSelected);
    f.Click(bBody, true); // Ctrl adds
    EXPECT_TRUE(a->m_bSelected);
    EXPECT_TRUE(b->m_bSelected);
    f.Click(f.ClientOf({600, 600}), true); // Ctrl on empty paper keeps the selection
    EXPECT_TRUE(a->m_bSelected);
    EXPECT_TRUE(b->m_bSelected);
    f.Click(f.ClientOf({400, 200}), true); // Ctrl on a handle does not toggle
    EXPECT_TRUE(b->m_bSelected);
    f.Click(bBody, true); // Ctrl on a selected body deselects
    EXPECT_FALSE(b->m_bSelected);
    EXPECT_TRUE(a->m_bSelected);
    f.Click(f.ClientOf({600, 600})); // empty paper clears
    EXPECT_FALSE(a->m_bSelected);
    // Grid lines are never hit: a click on one is a click on empty paper.
    f.Click(f.ClientOf({53, 600}));
    for (int i = 0; i < f.canvas.GetFigures().GetCount(); ++i)
        EXPECT_FALSE(f.canvas.GetFigures().GetAt(i)->m_bSelected);
}

TEST(CanvasSelect, PressOnAnOverlappingFigureSelectsOnlyTheTopmost) {
    CCanvasFixture f;
    f.RemovePicture();
    auto* lower = f.Add<CRectangle>(100, 100, 200, 200);
    auto* upper = f.Add<CRectangle>(150, 100, 250, 200); // shares the top edge 150..200
    lower->m_bSelected = true;
    f.Click(f.ClientOf({175, 100}));
    EXPECT_TRUE(upper->m_bSelected);
    EXPECT_FALSE(lower->m_bSelected);
}

TEST(CanvasSelect, BandAddsEveryTouchedSelectableFigure) {
    CCanvasFixture f;
    auto* a = f.Add<CLine>(100, 300, 200, 300);
    auto* b = f.Add<CLine>(100, 400, 200, 400);
    auto* far = f.Add<CLine>(500, 600, 600, 600);
    far->m_bSelected = true;
    // With Ctrl the earlier selection stays; dragged from bottom-right to top-left.
    f.Drag(f.ClientOf({250, 450}), f.ClientOf({150, 250}), true);
    EXPECT_TRUE(a->m_bSelected);
    EXPECT_TRUE(b->m_bSelected);
    EXPECT_TRUE(far->m_bSelected);
    // Without Ctrl the press on paper cleared it first; the whole page touches no grid line.
    f.Drag(f.ClientOf({-5, -5}), f.ClientOf({690, 810}));
    int selected = 0;
    for (int i = 0; i < f.canvas.GetFigures().GetCount(); ++i) {
        const CFigure* fig = f.canvas.GetFigures().GetAt(i);
        selected += fig->m_bSelected;
        EXPECT_TRUE(fig->m_bSelectable || !fig->m_bSelected);
    }
    EXPECT_EQ(4, selected); // the picture and the three lines
}

TEST(CanvasMove, GroupStopsAtTheRightEdgeAndThePointerStaysOnTheGrabbedFigure) {
    CCanvasFixture f;
    f.RemovePicture();
    auto* a = f.Add<CRectangle>(500, 100, 600, 200);
    auto* b = f.Add<CRectangle>(550, 300, 650, 400);
    a->m_bSelected = b->m_bSelected = true;
    const CPoint grab = f.ClientOf({520, 100}); // on a's top edge, 20 from its corner
    f.Press(grab);
    EXPECT_TRUE(a->m_bSelected); // pressing a selected figure keeps the group
    EXPECT_TRUE(b->m_bSelected);
    f.Move(grab + CPoint{20, 10});
    EXPECT_EQ((CDoublePoint{520, 110}), a->m_pt1);
    EXPECT_EQ(0, f.host.pointerWarps);
    // Far to the right: the group stops with b's right edge on the bounds' right edge (680).
    f.Move(grab + CPoint{200, 10});
    EXPECT_EQ((CDoublePoint{680, 410}), b->m_pt2);
    EXPECT_EQ((CDoublePoint{530, 110}), a->m_pt1);
    // The pointer is put back onto the grabbed spot of a, and the move the warp causes is
    // swallowed.
    EXPECT_EQ(1, f.host.pointerWarps);
    EXPECT_EQ(f.ClientOf({550, 110}), f.host.pointer);
    EXPECT_EQ(f.canvas.ClientToArea(f.host.pointer), f.canvas.GetCurrentPoint());
    f.canvas.OnMouseMove(f.host.pointer);
    EXPECT_EQ(0x1010, f.canvas.GetMouseState());
    EXPECT_EQ((CDoublePoint{530, 110}), a->m_pt1);
    // Moving back left works from the pinned spot.
    f.Move(f.ClientOf({540, 110}));
    EXPECT_EQ((CDoublePoint{520, 110}), a->m_pt1);
    f.Release(f.ClientOf({540, 110}));
    EXPECT_TRUE(f.canvas.IsModified());
    EXPECT_EQ((CDoublePoint{670, 410}), b->m_pt2);
}

// Random drags of selections near and past the page's edges, some wider than the page: every
// figure moves by the drag corrected per axis as the page's bounds (0 .. 680, 0 .. 800) say: a
// box that would leave on the left (top) is put on that edge, else one that would leave on the
// right (bottom) on that one.
TEST(CanvasMove, DragsNearTheEdgesMoveAsThePageBoundsSay) {
    std::mt19937 rng(7);
    const auto coord = [&](int lo, int hi) { return lo + static_cast<int>(rng() % (hi - lo + 1)); };
    for (int round = 0; round < 200; ++round) {
        CCanvasFixture f;
        f.RemovePicture();
        std::vector<CLine*> lines;
        const int n = 1 + static_cast<int>(rng() % 3);
        for (int i = 0; i < n; ++i) {
            lines.push_back(
                f.Add<CLine>(coord(-60, 740), coord(-60, 860), coord(-60, 740), coord(-60, 860)));
            lines.back()->m_bSelected = true;
        }
        CRect u = lines[0]->GetBoundingRect(1.0);
        for (const CLine* l : lines) {
            const CRect r = l->GetBoundingRect(1.0);
            u = {std::min(u.left, r.left), std::min(u.top, r.top), std::max(u.right, r.right),
                 std::max(u.bottom, r.bottom)};
        }
        const auto correct = [](int d, int lo, int hi, int last) {
            return lo + d < 0 ? -lo : hi + d > last ? last - hi : d;
        };
        const int dx = coord(-200, 200), dy = coord(-200, 200);
        const CPoint want{correct(dx, u.left, u.right, 680), correct(dy, u.top, u.bottom, 800)};
        const CDoublePoint before = lines[0]->m_pt1;
        const CPoint grab = ToPixel((lines[0]->m_pt1 + lines[0]->m_pt2) * 0.5, 1.0);
        // A press on a handle would resize instead.
        const bool onHandle = std::any_of(lines.begin(), lines.end(), [&](const CLine* l) {
            return l->HitTestHandles(grab, 1.0) != kHandleNone;
        });
        if (onHandle)
            continue;
        f.Press(f.ClientOf(grab));
        f.Move(f.ClientOf(grab) + CPoint{dx, dy});
        SCOPED_TRACE(round);
        EXPECT_EQ(before.x + want.x, lines[0]->m_pt1.x);
        EXPECT_EQ(before.y + want.y, lines[0]->m_pt1.y);
        f.Release(f.host.pointer);
    }
}

TEST(CanvasResize, HandleDragUsesCrossCursorClampAndSnap) {
    CCanvasFixture f;
    f.RemovePicture();
    f.SnapSwitches(true, false, false);
    auto* line = f.Add<CLine>(300, 300, 400, 300);
    auto* other = f.Add<CLine>(300, 500, 500, 500);
    f.Press(f.ClientOf({400, 300}));
    EXPECT_EQ(6, f.canvas.GetGrabbedHandle());
    EXPECT_TRUE(line->m_bSelected);
    // Near its own centre (350, 300): the dragged line does not snap to itself.
    f.Move(f.ClientOf({360, 305}));
    EXPECT_EQ(ECursor::Cross, f.host.cursor);
    EXPECT_EQ((CDoublePoint{360, 305}), line->m_pt2);
    // Near the other line's start it snaps there.
    f.Move(f.ClientOf({310, 490}));
    EXPECT_EQ((CDoublePoint{300, 500}), line->m_pt2);
    // Off the page: clamped to the last page pixel.
    f.Move(f.ClientOf({750, 900}));
    EXPECT_EQ((CDoublePoint{680, 800}), line->m_pt2);
    f.Release(f.ClientOf({750, 900}));
    EXPECT_EQ((CDoublePoint{300, 300}), line->m_pt1);
    EXPECT_EQ((CDoublePoint{300, 500}), other->m_pt1);
}

TEST(CanvasKeys, NudgeIsAllOrNothing) {
    CCanvasFixture f;
    f.RemovePicture();
    auto* a = f.Add<CRectangle>(0, 100, 100, 200);
    auto* b = f.Add<CRectangle>(300, 100, 400, 200);
    // Nothing selected: nothing moves.
    f.canvas.OnKeyDown(EKey::Right);
    EXPECT_EQ((CDoublePoint{0, 100}), a->m_pt1);
    EXPECT_FALSE(f.canvas.IsModified());
    a->m_bSelected = b->m_bSelected = true;
    struct Step {
        EKey key;
        CDoublePoint a, b;
    };
    const Step steps[] = {
        {EKey::Left, {0, 100}, {300, 100}}, // a would leave the page: neither moves
        {EKey::Right, {1, 100}, {301, 100}}, {EKey::Down, {1, 101}, {301, 101}},
        {EKey::Up, {1, 100}, {301, 100}},    {EKey::Left, {0, 100}, {300, 100}},
        {EKey::Other, {0, 100}, {300, 100}},
    };
    for (const Step& s : steps) {
        f.canvas.OnKeyDown(s.key);
        EXPECT_EQ(s.a, a->m_pt1);
        EXPECT_EQ(s.b, b->m_pt1);
    }
    f.canvas.OnKeyDown(EKey::Delete);
    EXPECT_EQ(30, f.canvas.GetFigures().GetCount());
}

TEST(CanvasKeys, NudgeAtZoomTwoMovesOneUnit) {
    CCanvasFixture f;
    f.RemovePicture();
    auto* a = f.Add<CRectangle>(100, 100, 200, 200);
    a->m_bSelected = true;
    f.canvas.ZoomIn();
    f.canvas.OnKeyDown(EKey::Down);
    EXPECT_EQ((CDoublePoint{100, 101}), a->m_pt1);
}

TEST(CanvasCursor, ShapeFollowsModeAndHoveredHandle) {
    CCanvasFixture f;
    f.RemovePicture();
    f.Add<CLine>(300, 300, 400, 300);
    struct Case {
        CPoint page;
        ECursor cursor;
    };
    const Case cases[] = {
        {{400, 300}, ECursor::SizeWE}, // the end handle of a horizontal line
        {{350, 300}, ECursor::Arrow},  // its body
        {{500, 500}, ECursor::Arrow},  // paper
    };
    for (const Case& c : cases) {
        f.Move(f.ClientOf(c.page));
        f.canvas.OnSetCursor();
        EXPECT_EQ(c.cursor, f.host.cursor);
        EXPECT_EQ(c.cursor, f.canvas.GetCursor());
    }
    f.canvas.SetToolFigure(std::make_unique<CLine>());
    f.Move(f.ClientOf({400, 300}));
    f.canvas.OnSetCursor();
    EXPECT_EQ(ECursor::Cross, f.host.cursor);
}

TEST(CanvasAutoScroll, DraggingOutsideTheWindowScrolls) {
    CCanvasFixture f({500, 500});
    f.Press({200, 200});
    f.Move({520, 510}); // 20 right of and 10 below the client rectangle
    EXPECT_EQ(20, f.host.bars[0].pos);
    EXPECT_EQ(10, f.host.bars[1].pos);
    f.Move({-5, 300});
    EXPECT_EQ(15, f.host.bars[0].pos);
    f.Release({-5, 300});
}

} // namespace
