// Delete, duplicate and the two ways of editing a text, driven through the fake window.
#include "FakeHost.h"

#include "common/RandomDrawing.h"
#include "figures/Line.h"
#include "figures/TextFigures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

namespace {

TEST(CanvasDelete, RemovesEverySelectedFigureAndKeepsTheOrder) {
    CCanvasFixture f;
    f.RemovePicture();
    auto* a = f.Add<CLine>(100, 100, 200, 100);
    auto* b = f.Add<CLine>(100, 110, 200, 110);
    auto* c = f.Add<CLine>(100, 120, 200, 120);
    auto* d = f.Add<CLine>(100, 130, 200, 130);
    b->m_bSelected = c->m_bSelected = true;
    f.canvas.OnKeyDown(EKey::Delete);
    const CFigureList& list = f.canvas.GetFigures();
    ASSERT_EQ(32, list.GetCount());
    EXPECT_EQ(a, list.GetAt(30));
    EXPECT_EQ(d, list.GetAt(31));
    EXPECT_TRUE(f.canvas.IsModified());
    // Nothing selected: nothing goes, grid lines included.
    f.canvas.DeleteSelected();
    EXPECT_EQ(32, list.GetCount());
}

// Random drawings and selections: one delete leaves exactly the unselected figures in their order,
// undo brings every figure back to its place with the selection, redo deletes them again.
TEST(CanvasDelete, ManyAtOnceAsOneByOneAndUndone) {
    CRandomDrawing gen(3);
    for (int round = 0; round < 20; ++round) {
        CCanvasFixture f;
        CFigureList& list = f.canvas.GetDrawing().EditFigures();
        gen.AddTo(list, gen.Int(1, 300));
        std::vector<const CFigure*> before, kept;
        for (int i = 0; i < list.GetCount(); ++i) {
            CFigure* fig = list.GetAt(i);
            fig->m_bSelected = fig->m_bSelectable && gen.Int(0, 2) == 0;
            before.push_back(fig);
            if (!fig->m_bSelected)
                kept.push_back(fig);
        }
        const auto figures = [&list] {
            std::vector<const CFigure*> v;
            for (int i = 0; i < list.GetCount(); ++i)
                v.push_back(list.GetAt(i));
            return v;
        };
        f.canvas.DeleteSelected();
        EXPECT_EQ(kept, figures());
        f.canvas.Undo();
        EXPECT_EQ(before, figures());
        for (int i = 0; i < list.GetCount(); ++i)
            EXPECT_EQ(std::find(kept.begin(), kept.end(), list.GetAt(i)) == kept.end(),
                      list.GetAt(i)->m_bSelected);
        f.canvas.Redo();
        EXPECT_EQ(kept.size(), figures().size());
    }
}

TEST(CanvasDuplicate, CopiesMoveTenUnitsWhenTheyFitAndStayOtherwise) {
    struct Case {
        CRect source; // page units
        bool shifted;
    };
    const Case cases[] = {
        {{100, 100, 200, 150}, true},
        // The fit test looks 5 pixels ahead: 670 + 5 is still inside the page bounds 0..680.
        {{600, 700, 670, 790}, true},
        // 675 + 5 reaches the bounds' right edge, which counts as outside: the copy stays on
        // its source.
        {{600, 700, 675, 790}, false},
        {{600, 700, 660, 795}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.source.right << ", " << c.source.bottom);
        CCanvasFixture f;
        f.RemovePicture();
        auto* src =
            f.Add<CTextRectangle>(c.source.left, c.source.top, c.source.right, c.source.bottom);
        src->m_strText = "x";
        src->m_bSelected = true;
        f.canvas.Duplicate();
        const CFigureList& list = f.canvas.GetFigures();
        ASSERT_EQ(32, list.GetCount());
        auto* copy = static_cast<const CTextRectangle*>(list.GetLast());
        const double d = c.shifted ? 10.0 : 0.0;
        EXPECT_EQ((CDoublePoint{c.source.left + d, c.source.top + d}), copy->m_pt1);
        EXPECT_EQ((CDoublePoint{c.source.right + d, c.source.bottom + d}), copy->m_pt2);
        EXPECT_EQ("x", copy->m_strText);
        EXPECT_TRUE(copy->m_bSelected);
        EXPECT_FALSE(src->m_bSelected);
    }
}

TEST(CanvasDuplicate, TwiceCopiesTheCopiesInSourceOrder) {
    CCanvasFixture f;
    f.RemovePicture();
    auto* a = f.Add<CLine>(100, 100, 200, 100);
    f.Add<CLine>(100, 200, 200, 200);
    auto* c = f.Add<CLine>(100, 300, 200, 300);
    a->m_bSelected = c->m_bSelected = true;
    f.canvas.Duplicate();
    f.canvas.Duplicate();
    const CFigureList& list = f.canvas.GetFigures();
    ASSERT_EQ(37, list.GetCount());
    const double expectY[] = {100, 200, 300, 110, 310, 120, 320}; // from index 30 up
    for (int i = 0; i < 7; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(expectY[i], list.GetAt(30 + i)->m_pt1.y);
        EXPECT_EQ(i >= 5, list.GetAt(30 + i)->m_bSelected);
    }
    EXPECT_EQ(120.0, list.GetAt(35)->m_pt1.x);
}

TEST(CanvasDuplicate, NothingSelectedDoesNothing) {
    CCanvasFixture f;
    const int paints = f.host.paints;
    f.canvas.Duplicate();
    EXPECT_EQ(31, f.canvas.GetFigures().GetCount());
    EXPECT_EQ(paints, f.host.paints);
    EXPECT_FALSE(f.canvas.IsModified());
}

TEST(CanvasText, DoubleClick) {
    struct Case {
        const char* type;
        bool enabled;
    };
    const Case cases[] = {
        {"TextRectangle", true}, {"TextEllipse", true}, {"TextRhomb", true}, {"Line", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        CCanvasFixture f;
        f.RemovePicture();
        std::unique_ptr<CFigure> fig;
        if (std::string(c.type) == "TextRectangle")
            fig = std::make_unique<CTextRectangle>();
        else if (std::string(c.type) == "TextEllipse")
            fig = std::make_unique<CTextEllipse>();
        else if (std::string(c.type) == "TextRhomb")
            fig = std::make_unique<CTextRhomb>();
        else
            fig = std::make_unique<CLine>();
        fig->SetPoints(200, 200, 300, 300, 1.0);
        CFigure* raw = fig.get();
        f.canvas.GetDrawing().EditFigures().Add(std::move(fig));
        if (std::string* text = GetFigureText(*raw))
            *text = "old";
        // On the line, or on the top edge of the frame.
        const CPoint at =
            f.ClientOf(raw->m_strType == "Line" ? CPoint{250, 250} : CPoint{250, 200});

        // Cancelled: nothing changes.
        f.Click(at);
        f.canvas.OnLButtonDblClk(at);
        f.Release(at);
        ASSERT_EQ(1u, f.host.propertiesCalls.size());
        EXPECT_EQ(c.enabled, f.host.propertiesCalls[0].enabled);
        EXPECT_EQ(c.enabled ? "old" : "", f.host.propertiesCalls[0].text);
        // Applied: the text figures take the new text, the others stay as they are.
        f.host.propertiesAnswers.push_back("new {&%}");
        f.canvas.OnLButtonDblClk(at);
        // The release after the double-click finds the gesture idle and does nothing.
        const int paints = f.host.paints;
        f.Release(at);
        EXPECT_EQ(paints, f.host.paints);
        EXPECT_EQ(0, f.canvas.GetMouseState());
        if (std::string* text = GetFigureText(*raw)) {
            EXPECT_EQ("new {&%}", *text);
        }
        EXPECT_EQ(c.enabled, f.canvas.IsModified());
    }
}

TEST(CanvasText, DoubleClickOnEmptyPaperOpensNothing) {
    CCanvasFixture f;
    f.canvas.OnLButtonDblClk(f.ClientOf({400, 400}));
    f.canvas.OnLButtonDblClk({2, 2}); // outside the paper
    EXPECT_TRUE(f.host.propertiesCalls.empty());
}

TEST(CanvasText, ChangeTextGoesToTheFirstSelectedTextRectangleOrEllipse) {
    CCanvasFixture f;
    f.RemovePicture();
    auto* rect1 = f.Add<CTextRectangle>(100, 100, 200, 200);
    auto* rect2 = f.Add<CTextRectangle>(300, 100, 400, 200);
    auto* ellipse = f.Add<CTextEllipse>(100, 300, 200, 400);
    auto* rhomb = f.Add<CTextRhomb>(300, 300, 400, 400);

    // Two text rectangles selected: only the lower one (created first) changes.
    rect1->m_bSelected = rect2->m_bSelected = true;
    f.host.setTextAnswers.push_back("A");
    f.canvas.ChangeText();
    EXPECT_EQ("A", rect1->m_strText);
    EXPECT_EQ("", rect2->m_strText);

    // A cancelled dialog leaves the text alone.
    f.canvas.ChangeText();
    EXPECT_EQ("A", rect1->m_strText);

    f.canvas.GetDrawing().ClearSelection();
    ellipse->m_bSelected = true;
    f.host.setTextAnswers.push_back("E");
    f.canvas.ChangeText();
    EXPECT_EQ("E", ellipse->m_strText);

    // A rhomb is not served by this command.
    f.canvas.GetDrawing().ClearSelection();
    rhomb->m_bSelected = true;
    rhomb->m_strText = "R";
    f.host.setTextAnswers.push_back("changed");
    f.canvas.ChangeText();
    EXPECT_EQ("R", rhomb->m_strText);

    // Nothing selected: the dialog runs, nothing changes.
    f.canvas.GetDrawing().ClearSelection();
    f.host.setTextAnswers.push_back("changed");
    f.canvas.ChangeText();
    EXPECT_EQ(5, f.host.setTextCalls);
    EXPECT_EQ("A", rect1->m_strText);
}

} // namespace

// A restyle tells exactly the figures it restyled, and the window paints again only what they
// covered before and cover after: never the whole window, never another figure's place alone.
TEST(CanvasStyle, ARestyleDamagesOnlyItsFigures) {
    struct CListener : CDrawingListener {
        std::vector<CChangeRecord> told;
        void OnDrawingChanged(const CChangeRecord& change) override { told.push_back(change); }
    };
    for (unsigned seed = 1; seed <= 30; ++seed) {
        CCanvasFixture f;
        CRandomDrawing random(seed);
        std::mt19937 rng(seed);
        CDrawing& drawing = f.canvas.GetDrawing();
        const int first = drawing.GetFigures().GetCount();
        for (int i = 0; i < 40; ++i)
            drawing.EditFigures().Add(random.Make(random.NextKind()));
        drawing.NoteChangedOutside();
        f.host.RepaintNow();
        f.canvas.SelectFigure(drawing.GetFigures().GetAt(first + static_cast<int>(rng() % 40)));
        for (int k = static_cast<int>(rng() % 3); k > 0; --k)
            drawing.Select(first + static_cast<int>(rng() % 40), true);
        f.host.RepaintNow();
        drawing.Notify();
        CListener listener;
        drawing.AddListener(&listener);
        std::vector<const CFigure*> restyled;
        for (const int i : drawing.GetFigures().SelectedPositions())
            if (drawing.GetFigures().GetAt(i)->GetStyleCaps() & kStyleWidth)
                restyled.push_back(drawing.GetFigures().GetAt(i));
        f.host.invalidated.clear();
        const int paints = f.host.paints, partial = f.host.partialPaints;
        CStyle style;
        style.dLineWidth = 0.5 + static_cast<double>(rng() % 40) / 10.0;
        f.canvas.GetStyles().ApplyStyleToSelection(style, kStyleWidth, "Line Width");

        ASSERT_EQ(listener.told.size(), 1u) << "seed " << seed;
        const CChangeRecord& told = listener.told.front();
        std::vector<const CFigure*> noted;
        CRect covered;
        for (const CChangeRecord::SFigure& n : told.figures) {
            noted.push_back(n.pFigure);
            covered = UnionRect(covered, UnionRect(n.before, n.after));
        }
        EXPECT_EQ(noted, restyled) << "seed " << seed;
        EXPECT_EQ(f.host.paints - paints, f.host.partialPaints - partial) << "seed " << seed;
        for (const CRect& r : f.host.invalidated)
            EXPECT_EQ(UnionRect(covered, r), covered) << "seed " << seed;
    }
}
