// The figure list: ownership, the two walking orders and the flag operations.
#include "figures/FigureList.h"
#include "common/GeometryPrinters.h"
#include "common/RecordingSurface.h"
#include "figures/Line.h"

#include <gtest/gtest.h>

namespace {

// A line that counts its own destruction, to see that the list owns what it holds.
class CCountedLine : public CLine {
public:
    explicit CCountedLine(int* deaths) : m_pDeaths(deaths) {}
    ~CCountedLine() override { ++*m_pDeaths; }

private:
    int* m_pDeaths;
};

std::unique_ptr<CLine> MakeLine(CDoublePoint a, CDoublePoint b) {
    auto line = std::make_unique<CLine>();
    line->m_pt1 = a;
    line->m_pt2 = b;
    return line;
}

std::unique_ptr<CLine> MakeGridLine(bool vertical) {
    auto line = MakeLine({0, 10}, {600, 10});
    line->m_strTag = vertical ? "VertGridLine" : "HorizGridLine";
    line->m_crColor = 0xFF828A;
    line->m_bSelectable = false;
    return line;
}

TEST(FigureList, OwnsItsFigures) {
    int deaths = 0;
    {
        CFigureList list;
        for (int i = 0; i < 4; ++i)
            list.Add(std::make_unique<CCountedLine>(&deaths));
        list.Add(nullptr); // nothing to hold
        EXPECT_EQ(4, list.GetCount());
        CFigure* third = list.GetAt(2);
        list.RemoveAndDelete(1);
        EXPECT_EQ(1, deaths);
        EXPECT_EQ(third, list.GetAt(1)); // the figures above move down
        list.RemoveAndDelete(-1);
        list.RemoveAndDelete(3);
        EXPECT_EQ(1, deaths);
        EXPECT_EQ(3, list.GetCount());
        list.DeleteAll();
        EXPECT_EQ(4, deaths);
        EXPECT_EQ(0, list.GetCount());
        list.Add(std::make_unique<CCountedLine>(&deaths));
    }
    EXPECT_EQ(5, deaths); // the list's destruction deletes the rest
}

TEST(FigureList, AccessOutsideTheListGivesNone) {
    CFigureList list;
    EXPECT_EQ(nullptr, list.GetLast());
    EXPECT_EQ(nullptr, list.GetAt(0));
    list.SelectLast(); // nothing to select, nothing breaks
    list.Add(MakeLine({0, 0}, {10, 10}));
    list.Add(MakeLine({0, 0}, {20, 20}));
    EXPECT_EQ(nullptr, list.GetAt(-1));
    EXPECT_EQ(nullptr, list.GetAt(2));
    EXPECT_EQ(list.GetAt(1), list.GetLast());
    list.SelectLast();
    EXPECT_TRUE(list.GetAt(1)->m_bSelected);
    EXPECT_FALSE(list.GetAt(0)->m_bSelected);
}

TEST(FigureList, HitTestFromTheTopSkippingUnselectable) {
    CFigureList list;
    list.Add(MakeLine({0, 50}, {100, 50}));
    list.Add(MakeLine({0, 50}, {100, 50}));
    list.Add(MakeLine({0, 80}, {100, 80}));
    CFigure* lower = list.GetAt(0);
    CFigure* upper = list.GetAt(1);
    EXPECT_EQ(upper, list.HitTest(50, 52, 1.0));
    upper->m_bSelectable = false; // even on top, it is never picked
    EXPECT_EQ(lower, list.HitTest(50, 52, 1.0));
    EXPECT_EQ(nullptr, list.HitTest(50, 65, 1.0));
    EXPECT_EQ(list.GetAt(2), list.HitTest(100, 160, 2.0));
}

TEST(FigureList, SelectInRectOnlyAdds) {
    CFigureList list;
    list.Add(MakeLine({0, 0}, {100, 0}));   // crosses the rect
    list.Add(MakeLine({0, 50}, {100, 50})); // outside, but already selected
    list.Add(MakeLine({0, 10}, {100, 10})); // crosses, but not selectable
    list.Add(MakeLine({0, 90}, {100, 90})); // outside
    list.GetAt(1)->m_bSelected = true;
    list.GetAt(2)->m_bSelectable = false;
    list.SelectInRect({40, -5, 60, 20}, 1.0);
    EXPECT_TRUE(list.GetAt(0)->m_bSelected);
    EXPECT_TRUE(list.GetAt(1)->m_bSelected);
    EXPECT_FALSE(list.GetAt(2)->m_bSelected);
    EXPECT_FALSE(list.GetAt(3)->m_bSelected);
    list.ClearSelection();
    for (int i = 0; i < list.GetCount(); ++i)
        EXPECT_FALSE(list.GetAt(i)->m_bSelected) << i;
}

TEST(FigureList, FirstSelectedAndGrabbedSearchFromTheBottom) {
    CFigureList list;
    for (int i = 0; i < 4; ++i)
        list.Add(MakeLine({0, 0}, {10.0 * i, 10}));
    EXPECT_EQ(nullptr, list.GetFirstSelected());
    EXPECT_EQ(nullptr, list.GetGrabbed());
    list.GetAt(3)->m_bSelected = true;
    list.GetAt(1)->m_bSelected = true;
    list.GetAt(2)->m_bEditing = true;
    list.GetAt(3)->m_bEditing = true;
    EXPECT_EQ(list.GetAt(1), list.GetFirstSelected());
    EXPECT_EQ(list.GetAt(2), list.GetGrabbed());
    list.ClearGrabbed();
    EXPECT_EQ(nullptr, list.GetGrabbed());
    EXPECT_EQ(list.GetAt(1), list.GetFirstSelected());
}

TEST(FigureList, TeXDrawTextFromTheBottomUpWithoutGridLines) {
    CFigureList list;
    list.Add(MakeGridLine(true));
    list.Add(MakeGridLine(false));
    EXPECT_EQ("", list.GetTeXDrawText());
    list.Add(MakeLine({0, 0}, {1, 1}));
    auto arrow = std::make_unique<CArrow>();
    list.Add(std::move(arrow));
    const std::string text = list.GetTeXDrawText();
    EXPECT_EQ(list.GetAt(2)->ExportTeX() + list.GetAt(3)->ExportTeX(), text);
    EXPECT_LT(text.find("%begin line"), text.find("%begin arrow"));
}

TEST(FigureList, GridVisibilityTouchesOnlyGridLines) {
    CFigureList list;
    list.Add(MakeGridLine(true));
    list.Add(MakeLine({0, 0}, {1, 1}));
    list.Add(MakeGridLine(false));
    list.GetAt(1)->m_strTag = "VertGridLineX";
    list.SetGridVisible(false);
    EXPECT_FALSE(list.GetAt(0)->m_bVisible);
    EXPECT_TRUE(list.GetAt(1)->m_bVisible);
    EXPECT_FALSE(list.GetAt(2)->m_bVisible);
    list.SetGridVisible(true);
    EXPECT_TRUE(list.GetAt(0)->m_bVisible);
    EXPECT_TRUE(list.GetAt(2)->m_bVisible);
}

TEST(FigureList, DrawAllPaintsBottomUpAtTheOrigin) {
    CFigureList list;
    list.Add(MakeLine({0, 0}, {10, 0}));
    list.Add(MakeGridLine(true));
    list.Add(MakeLine({0, 5}, {10, 5}));
    list.GetAt(1)->m_bVisible = false;
    list.GetAt(2)->m_bSelected = true;
    CRecordingSurface dc;
    list.DrawAll(dc, 1.0, 100, 200);
    const auto lines = dc.OfKind(CDrawCall::Line);
    ASSERT_EQ(2u, lines.size());
    EXPECT_EQ((CPoint{100, 200}), lines[0].points[0]);
    EXPECT_EQ((CPoint{100, 205}), lines[1].points[0]);
    EXPECT_EQ(2u, dc.OfKind(CDrawCall::Rectangle).size());
    EXPECT_EQ(CDrawCall::Rectangle, dc.calls.back().kind);
}

TEST(FigureList, SwapExchangesTheFiguresWithTheirSelection) {
    CFigureList a, b;
    a.Add(MakeLine({0, 0}, {1, 1}));
    b.Add(MakeLine({0, 0}, {2, 2}));
    b.Add(MakeLine({0, 0}, {3, 3}));
    CFigure* bTop = b.GetLast();
    bTop->m_bSelected = true;
    a.Swap(b);
    EXPECT_EQ(2, a.GetCount());
    EXPECT_EQ(1, b.GetCount());
    EXPECT_EQ(bTop, a.GetLast());
    EXPECT_EQ(bTop->GetBoundingRect(1.0), a.SelectionBounds(1.0, 0, 0));
    EXPECT_EQ(std::nullopt, b.SelectionBounds(1.0, 0, 0));
}

TEST(FigureList, SelectionBoundsUniteTheShiftedRectanglesOfTheSelectedFigures) {
    CFigureList list;
    list.Add(MakeLine({10, 20}, {30, 25}));
    list.Add(MakeLine({50, 5}, {40, 60}));
    list.Add(MakeLine({0, 0}, {300, 300})); // not selected
    EXPECT_EQ(std::nullopt, list.SelectionBounds(1.0, 0, 0));
    list.GetAt(0)->m_bSelected = true;
    list.GetAt(1)->m_bSelected = true;
    EXPECT_EQ((CRect{25, 7, 105, 117}), list.SelectionBounds(2.0, 5, -3));
}

} // namespace
