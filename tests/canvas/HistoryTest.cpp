// Undo and redo through the fake window: random editing sessions undone and redone all the way,
// copy and paste, Escape during a drag, and the history's depth, merging and saved state.
#include "FakeHost.h"

#include "figures/BezierCurve.h"
#include "figures/FigureFactory.h"
#include "figures/FramedFigure.h"
#include "figures/Label.h"
#include "figures/Line.h"
#include "figures/Polyline.h"
#include "figures/Rectangle.h"
#include "figures/RotatableFigures.h"
#include "figures/Shapes.h"
#include "figures/TextFigures.h"
#include "texdraw/Reader.h"

#include <gtest/gtest.h>

#include <ostream>
#include <random>

namespace {

// The figures exactly: the saved document byte for byte, then every point to the last bit.
std::string Figures(const CQuodra& canvas) {
    std::string s = canvas.GetTeXDrawDocument();
    const CFigureList& list = canvas.GetFigures();
    for (int i = 0; i < list.GetCount(); ++i) {
        const CFigure* f = list.GetAt(i);
        if (!f->m_strTag.empty())
            continue; // grid lines: shown or hidden by a switch that is no step
        const auto* framed = dynamic_cast<const CFramedFigure*>(f);
        const CDoublePoint points[] = {f->m_pt1, f->m_pt2, framed ? framed->m_pt3 : CDoublePoint{},
                                       framed ? framed->m_pt4 : CDoublePoint{}};
        s += '\n' + f->m_strType + ' ';
        s.append(reinterpret_cast<const char*>(points), sizeof points);
        if (const auto* polyline = dynamic_cast<const CPolyline*>(f)) {
            s.append(reinterpret_cast<const char*>(polyline->m_vOffsets.data()),
                     polyline->m_vOffsets.size() * sizeof(CDoublePoint));
            for (const CPieceCurve& c : polyline->m_vCurves)
                if (c.bCurved)
                    s.append(reinterpret_cast<const char*>(&c.c1), 2 * sizeof(CDoublePoint));
        }
        if (const auto* round = dynamic_cast<const CRoundFigure*>(f)) {
            const double radii[] = {round->m_dRadiusX, round->m_dRadiusY};
            s.append(reinterpret_cast<const char*>(radii), sizeof radii);
        }
    }
    return s;
}

std::string Selection(const CQuodra& canvas) {
    std::string s;
    for (int i : canvas.GetFigures().SelectedPositions())
        s += std::to_string(i) + " ";
    return s;
}

struct SState {
    std::string figures;
    std::string selection;
    bool operator==(const SState&) const = default;
};

// The points as hexadecimal bytes, so that a failure can be read.
void PrintTo(const SState& s, std::ostream* os) {
    static const char kHex[] = "0123456789abcdef";
    for (unsigned char c : s.figures) {
        if (c >= ' ' && c < 127)
            *os << c;
        else if (c == '\n')
            *os << '\n';
        else
            *os << kHex[c >> 4] << kHex[c & 15];
    }
    *os << " selected: " << s.selection;
}

SState StateOf(const CQuodra& canvas) {
    return {Figures(canvas), Selection(canvas)};
}

std::unique_ptr<CFigure> MakeTool(int kind) {
    switch (kind) {
    case 0:
        return std::make_unique<CLine>();
    case 1: {
        auto line = std::make_unique<CLine>();
        line->m_nPenStyle = 2;
        return line;
    }
    case 2:
        return std::make_unique<CTextRectangle>();
    case 3:
        return std::make_unique<CTextRhomb>();
    case 4:
        return std::make_unique<CTextEllipse>();
    case 5:
        return std::make_unique<CBezierCurve>();
    case 6:
        return std::make_unique<CArrow>();
    case 7:
        return std::make_unique<CRotatableRectangle>();
    case 8:
        return std::make_unique<CRotatableEllipse>();
    default:
        return std::make_unique<CRectangle>();
    }
}

// A user at work: random gestures and commands. Each step's states are kept: the state it left
// (what redo must give back) and the state the next step started from (what undo must give
// back; selection clicks in between change only the selection).
class CSession {
public:
    explicit CSession(unsigned seed) : m_rng(seed) {
        // Painted once on creation; the drawing calls of later repaints are not what is tested.
        m_f.host.canvas = nullptr;
        m_f.SnapSwitches(Chance(2), Chance(2), Chance(4));
        m_after.push_back(StateOf(m_f.canvas));
        m_before.push_back(m_after.back());
    }

    void Run(int steps) {
        while (Count() < steps && m_actions < steps * 8) {
            ++m_actions;
            const int before = Count();
            const SState& was = m_before.back();
            const bool nudge = Act();
            if (HasFailure())
                return;
            SState now = StateOf(m_f.canvas);
            const int after = Count();
            if (after == before + 1) {
                m_after.push_back(now);
                m_before.push_back(std::move(now));
            } else {
                ASSERT_EQ(after, before) << "one action, one step";
                if (!nudge) {
                    ASSERT_EQ(now.figures, was.figures) << "a change without a step";
                }
                if (now.figures != was.figures && after > 0)
                    m_after.back() = now; // nudges that joined the step before
                m_before.back() = std::move(now);
            }
            ASSERT_FALSE(m_f.host.captured);
        }
    }

    void UndoAndRedoAll() {
        const int n = Count();
        ASSERT_EQ(n + 1, static_cast<int>(m_after.size()));
        for (int i = n; i > 0; --i) {
            ASSERT_TRUE(m_f.canvas.CanUndo());
            m_f.canvas.Undo();
            ASSERT_EQ(m_before[i - 1], StateOf(m_f.canvas)) << "undo to step " << i - 1;
        }
        EXPECT_FALSE(m_f.canvas.CanUndo());
        EXPECT_FALSE(m_f.canvas.IsModified());
        for (int i = 1; i <= n; ++i) {
            m_f.canvas.Redo();
            ASSERT_EQ(m_after[i], StateOf(m_f.canvas)) << "redo of step " << i;
        }
        EXPECT_FALSE(m_f.canvas.CanRedo());
        EXPECT_EQ(n > 0, m_f.canvas.IsModified());
    }

    int Count() const { return m_f.canvas.GetHistory().GetUndoCount(); }
    static bool HasFailure() { return testing::Test::HasFatalFailure(); }

private:
    bool Chance(int n) { return Pick(n) == 0; }
    int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_rng); }
    CPoint PagePoint() { return {Pick(681), Pick(801)}; }
    CPoint Client(CPoint page) { return m_f.ClientOf(page); }

    // A point on or near a user figure, where a press grabs a handle or the body.
    CPoint NearFigure() {
        const CFigureList& list = m_f.canvas.GetFigures();
        std::vector<const CFigure*> user;
        for (int i = 0; i < list.GetCount(); ++i)
            if (list.GetAt(i)->m_bSelectable)
                user.push_back(list.GetAt(i));
        if (user.empty())
            return PagePoint();
        const CFigure* f = user[static_cast<size_t>(Pick(static_cast<int>(user.size())))];
        const double z = m_f.canvas.GetZoom();
        const CPoint a = f->GetHandlePoint(kHandleStart, z);
        const CPoint b = f->GetHandlePoint(Chance(2) ? kHandleEnd : kHandleTopRight, z);
        switch (Pick(3)) {
        case 0:
            return a;
        case 1:
            return b;
        default:
            return {a.x + (b.x - a.x) / 4, a.y + (b.y - a.y) / 4};
        }
    }

    void DragFrom(CPoint page, bool ctrl = false) {
        const CPoint to{page.x + Pick(121) - 60, page.y + Pick(121) - 60};
        m_f.Press(Client(page), ctrl);
        for (int k = Pick(3); k >= 0; --k)
            m_f.Move(Client(
                {page.x + (to.x - page.x) * (3 - k) / 3, page.y + (to.y - page.y) * (3 - k) / 3}));
        if (Chance(10)) {
            // Escape in the middle: everything goes back to the press, nothing is recorded.
            m_f.canvas.OnKeyDown(EKey::Escape);
            m_f.Move(Client(to));
        }
        m_f.Release(Client(to));
    }

    // TeXDraw's own shapes with their tools: a round one dragged from its centre, a label clicked
    // (its text sometimes empty), or a polyline or a path clicked corner by corner (a path's
    // nodes sometimes dragged smooth) and then finished by Enter, a double-click or a click on
    // its first corner, or dropped by Escape; a corner or a curve put in or taken out.
    void DrawShape() {
        CQuodra& c = m_f.canvas;
        switch (Pick(5)) {
        case 4: {
            // A corner put in or taken out where a figure is (often not a polyline).
            const CPoint p = Client(NearFigure());
            switch (Pick(4)) {
            case 0:
                c.GetCornerEdits().InsertCorner(p);
                break;
            case 1:
                c.GetCornerEdits().DeleteCorner(p);
                break;
            default:
                c.GetCornerEdits().CurvePiece(p, Chance(3));
            }
            return;
        }
        case 0:
            c.SetToolFigure(MakeToolFigure(
                std::vector{ETool::Circle, ETool::AxisEllipse, ETool::Arc}[Pick(3)]));
            DragFrom(PagePoint());
            return;
        case 1:
            c.SetToolFigure(MakeToolFigure(ETool::Label));
            m_f.host.setTextAnswers.push_back(Chance(4) ? "" : "L" + std::to_string(Pick(9)));
            m_f.Click(Client(Chance(2) ? PagePoint() : NearFigure()));
            m_f.host.setTextAnswers.clear();
            return;
        default:
            break;
        }
        const bool path = Chance(2);
        c.SetToolFigure(MakeToolFigure(path ? ETool::Path : ETool::Polyline));
        const CPoint first = PagePoint();
        CPoint last = first;
        m_f.Click(Client(first));
        // Once a click closed it, the rest of the action is no longer about it.
        for (int k = Pick(5); k >= 0 && c.IsPlacingCorners(); --k) {
            last = Chance(4) ? NearFigure() : PagePoint();
            m_f.Move(Client(last));
            if (path && Chance(2)) {
                m_f.Press(Client(last));
                m_f.Move(Client({last.x + Pick(61) - 30, last.y + Pick(61) - 30}));
                m_f.Release(Client(last));
            } else {
                m_f.Click(Client(last));
            }
        }
        if (!c.IsPlacingCorners())
            return;
        switch (Pick(4)) {
        case 0:
            c.OnKeyDown(EKey::Enter);
            break;
        case 1:
            c.OnLButtonDblClk(Client(last));
            m_f.Release(Client(last));
            break;
        case 2:
            m_f.Click(Client(first));
            if (c.IsPlacingCorners())
                c.OnKeyDown(EKey::Enter); // that closed nothing
            break;
        default:
            c.OnKeyDown(EKey::Escape);
        }
    }

    // One action; true when it was a nudge (which may join the step before).
    bool Act() {
        CQuodra& c = m_f.canvas;
        switch (Pick(17)) {
        case 0:
        case 1:
        case 2:
            c.SetToolFigure(MakeTool(Pick(10)));
            DragFrom(PagePoint());
            break;
        case 3:
        case 4:
        case 5:
            DragFrom(NearFigure(), Chance(6));
            break;
        case 6:
            m_f.Click(Client(Chance(3) ? PagePoint() : NearFigure()), Chance(3));
            break;
        case 7:
            for (int k = Pick(3); k >= 0; --k)
                c.OnKeyDown(static_cast<EKey>(Pick(4)));
            return true;
        case 8:
            c.Duplicate();
            break;
        case 9:
            if (Chance(2))
                c.OnKeyDown(EKey::Delete);
            else
                c.GetClipboard().Cut();
            break;
        case 10: {
            // The double-click after the click that came first (an action of its own).
            const CPoint p = Client(NearFigure());
            m_f.host.propertiesAnswers.push_back("t" + std::to_string(Pick(3)));
            c.OnLButtonDblClk(p);
            m_f.Release(p);
            m_f.host.propertiesAnswers.clear();
            break;
        }
        case 11:
            m_f.host.setTextAnswers.push_back(Chance(2) ? "" : "{x}");
            c.ChangeText();
            break;
        case 12:
            c.GetClipboard().Copy();
            [[fallthrough]];
        case 13:
            if (Chance(8))
                m_f.host.clipboard = std::string("\x01\xff%begin line\n\\move(", 19);
            c.GetClipboard().Paste();
            break;
        case 14:
            c.SelectAll();
            break;
        case 15:
            DrawShape();
            break;
        default:
            switch (Pick(4)) {
            case 0:
                c.ZoomIn();
                break;
            case 1:
                c.ZoomOut();
                break;
            case 2:
                c.ActualSize();
                break;
            default:
                c.SetGridVisible(!c.IsGridSwitchOn());
            }
        }
        return false;
    }

    std::mt19937 m_rng;
    CCanvasFixture m_f;
    int m_actions = 0;
    std::vector<SState> m_after;
    std::vector<SState> m_before;
};

TEST(CanvasHistory, RandomSessionsUndoAndRedoAllTheWayExactly) {
    int steps = 0;
    for (unsigned seed = 1; seed <= 1000; ++seed) {
        SCOPED_TRACE(testing::Message() << "seed " << seed);
        CSession session(seed);
        session.Run(40);
        ASSERT_FALSE(CSession::HasFailure());
        session.UndoAndRedoAll();
        ASSERT_FALSE(CSession::HasFailure());
        steps += session.Count();
    }
    // The sessions are long enough to mean something.
    EXPECT_GT(steps, 1000 * 35);
}

// Escape during each kind of drag: drawing, moving, a handle, the selection band and the zoom
// square. The figures and the selection are as at the press, no step, the capture released.
TEST(CanvasHistory, EscapeCancelsEveryDrag) {
    for (int kind = 0; kind < 5; ++kind) {
        SCOPED_TRACE(kind);
        CCanvasFixture f;
        f.RemovePicture();
        auto* line = f.Add<CLine>(100, 100, 300, 100);
        f.Add<CTextRectangle>(400, 400, 500, 470)->m_bSelected = true;
        const SState start = StateOf(f.canvas);
        const double zoom = f.canvas.GetZoom();
        CPoint from{200, 100}; // the line's body
        if (kind == 0)
            f.canvas.SetToolFigure(std::make_unique<CTextEllipse>());
        if (kind == 2)
            from = {300, 100}; // its end handle
        if (kind >= 3)
            from = {200, 300}; // empty paper
        if (kind == 4)
            f.canvas.SetMode(kModeZoom);
        f.Press(f.ClientOf(from));
        f.Move(f.ClientOf({from.x + 40, from.y + 60}));
        f.Move(f.ClientOf({from.x + 80, from.y + 90}));
        EXPECT_TRUE(f.host.captured);
        f.canvas.OnKeyDown(EKey::Escape);
        EXPECT_FALSE(f.host.captured);
        EXPECT_FALSE(f.canvas.IsRubberBandShown());
        EXPECT_EQ(start, StateOf(f.canvas));
        // The rest of the drag, with the button still down, does nothing.
        f.Move(f.ClientOf({from.x + 90, from.y + 95}));
        f.Release(f.ClientOf({from.x + 90, from.y + 95}));
        EXPECT_EQ(start, StateOf(f.canvas));
        EXPECT_EQ(zoom, f.canvas.GetZoom());
        EXPECT_FALSE(f.canvas.CanUndo());
        EXPECT_FALSE(f.canvas.IsModified());
        EXPECT_EQ((CDoublePoint{300, 100}), line->m_pt2);
    }
}

// The printed scale changed while a button is down (a gesture holds the step open) is marked
// modified at once, is one step with the gesture, and undoing it is the saved state again.
TEST(CanvasHistory, ScaleChangedDuringAGestureIsMarked) {
    CCanvasFixture f;
    f.Press(f.ClientOf({200, 300}));
    ASSERT_TRUE(f.canvas.GetStyles().SetUnitScale(0.5));
    EXPECT_TRUE(f.canvas.IsModified());
    f.Release(f.ClientOf({200, 300}));
    EXPECT_TRUE(f.canvas.IsModified());
    ASSERT_TRUE(f.canvas.CanUndo());
    f.canvas.Undo();
    EXPECT_FALSE(f.canvas.IsModified());
}

// Moves of many figures at zooms where an offset taken back in floating point does not give the
// same point (the step keeps offsets, not figures): drags, nudges and a cancelled drag, then undo
// to the start and redo to the end, to the last bit at every step.
TEST(CanvasHistory, MovesAtAnyZoomUndoToTheLastBit) {
    std::mt19937 rng(5);
    for (int round = 0; round < 12; ++round) {
        SCOPED_TRACE(round);
        CCanvasFixture f;
        f.RemovePicture();
        const double odd = 1.0 + static_cast<double>(rng() % 1000) / 337.0;
        for (int k = 0; k < 40; ++k) {
            auto figure = MakeTool(static_cast<int>(rng() % 10));
            const int x = 150 + static_cast<int>(rng() % 300),
                      y = 150 + static_cast<int>(rng() % 300);
            figure->SetPoints(x, y, x + 5 + static_cast<int>(rng() % 60),
                              y + static_cast<int>(rng() % 60), odd);
            f.canvas.GetDrawing().EditFigures().Add(std::move(figure));
        }
        CLine* grab = f.Add<CLine>(200, 200, 300, 200);
        f.canvas.ZoomAbout(f.ClientOf({300, 300}), 1.0 + static_cast<double>(rng() % 1000) / 213.0);
        f.canvas.SelectAll();
        std::vector<SState> states{StateOf(f.canvas)};
        for (int action = 0; action < 12; ++action) {
            const double zoom = f.canvas.GetZoom();
            if (action % 3 == 2) {
                for (int k = 0; k < 3; ++k)
                    f.canvas.OnKeyDown(static_cast<EKey>(rng() % 4));
            } else {
                const CPoint from = f.ClientOf(ToPixel((grab->m_pt1 + grab->m_pt2) * 0.5, zoom));
                f.Press(from);
                for (int k = 0; k < 4; ++k)
                    f.Move({from.x + static_cast<int>(rng() % 41) - 20,
                            from.y + static_cast<int>(rng() % 41) - 20});
                if (action == 4)
                    f.canvas.OnKeyDown(EKey::Escape);
                f.Release(f.host.pointer);
            }
            if (f.canvas.GetHistory().GetUndoCount() + 1 == static_cast<int>(states.size()))
                states.back() = StateOf(f.canvas); // nothing moved, or nudges that joined
            else
                states.push_back(StateOf(f.canvas));
            ASSERT_EQ(f.canvas.GetHistory().GetUndoCount() + 1, static_cast<int>(states.size()));
        }
        for (int i = static_cast<int>(states.size()) - 2; i >= 0; --i) {
            f.canvas.Undo();
            ASSERT_EQ(states[static_cast<size_t>(i)].figures, StateOf(f.canvas).figures)
                << "undo to " << i;
        }
        for (size_t i = 1; i < states.size(); ++i) {
            f.canvas.Redo();
            ASSERT_EQ(states[i].figures, StateOf(f.canvas).figures) << "redo of " << i;
        }
    }
}

// Steps that keep much (here deleted figures with long texts) are dropped, oldest first, when
// they would take more than the history's bytes; the newest stays, and so does the rest of the
// history's bookkeeping.
TEST(CanvasHistory, MemoryBoundDropsTheOldestSteps) {
    CFigureList list;
    for (int i = 0; i < 50; ++i) {
        auto f = std::make_unique<CTextRectangle>();
        f->m_strText = std::string(4000, 'a');
        list.Add(std::move(f));
    }
    CHistory history(list, CHistory::kDefaultDepth, 40000);
    for (int i = 0; i < 50; ++i) {
        history.Begin("Delete");
        history.Remove(0);
        ASSERT_TRUE(history.Commit());
        EXPECT_LE(history.GetByteCount(), 40000u + 5000u); // the newest may be over alone
    }
    EXPECT_GE(history.GetUndoCount(), 5);
    EXPECT_LE(history.GetUndoCount(), 10);
    const int kept = history.GetUndoCount();
    while (history.Undo()) {
    }
    EXPECT_EQ(kept, list.GetCount());
    EXPECT_TRUE(history.IsModified()); // the state opened with went with the oldest steps
}

// The history alone: the oldest steps go first, nudges of one selection merge, and the saved
// state is known until the step that led to it is gone.
TEST(CanvasHistory, DepthMergingAndTheSavedState) {
    CFigureList list;
    CHistory history(list, 3);
    for (int i = 0; i < 5; ++i) {
        history.Begin("Add");
        history.Insert(i, std::make_unique<CLine>());
        EXPECT_TRUE(history.Commit());
        if (i == 1)
            history.MarkSaved();
    }
    EXPECT_EQ(3, history.GetUndoCount());
    EXPECT_TRUE(history.Undo());
    EXPECT_TRUE(history.Undo());
    EXPECT_TRUE(history.IsModified()); // the state after the second step was saved
    EXPECT_TRUE(history.Undo());
    EXPECT_FALSE(history.CanUndo());
    EXPECT_EQ(2, list.GetCount());
    // Saved again here, then a branch of its own ends the steps that could be redone.
    history.MarkSaved();
    list.GetAt(0)->m_bSelected = true;
    for (int k = 0; k < 3; ++k) {
        history.Begin("Move", "nudge");
        history.Touch(0);
        list.GetAt(0)->MoveBy(1, 0);
        EXPECT_TRUE(history.Commit());
    }
    // The first nudge after the save is a step of its own; the next two join it.
    EXPECT_EQ(1, history.GetUndoCount());
    EXPECT_EQ(0, history.GetRedoCount());
    EXPECT_EQ(243.0, list.GetAt(0)->m_pt1.x);
    history.Undo();
    EXPECT_EQ(240.0, list.GetAt(0)->m_pt1.x);
    EXPECT_FALSE(history.IsModified());
    // A touch that ends where it began is no step.
    history.Begin("Move");
    history.Touch(0);
    list.GetAt(0)->MoveBy(5, 0);
    list.GetAt(0)->MoveBy(-5, 0);
    EXPECT_FALSE(history.Commit());
    EXPECT_TRUE(history.CanRedo());
}

} // namespace

// Dragging the turning handle of a turnable figure is a turn; its other handles resize.
TEST(CanvasHistory, TheTurningHandleMakesATurnStep) {
    CCanvasFixture f;
    f.RemovePicture();
    f.SnapSwitches(false, false, false);
    auto* r = f.Add<CRotatableRectangle>(100, 100, 300, 200);
    r->m_bSelected = true;
    for (const int handle : {kHandleTopRight, kHandleBottom}) {
        const CPoint h = r->GetHandlePoint(handle, f.canvas.GetZoom());
        f.Drag(f.ClientOf(h), f.ClientOf({h.x + 30, h.y + 40}));
        EXPECT_EQ(handle == kHandleTopRight ? "Turn" : "Resize", f.canvas.GetUndoName());
    }
}
