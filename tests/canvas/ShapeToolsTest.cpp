// The tools of TeXDraw's own shapes through the fake window: what each gesture makes, what it
// refuses (and says why), the polyline's corner clicks and the corner commands, and snapping to
// the shapes' key points and pieces.
#include "FakeHost.h"

#include "figures/FigureFactory.h"
#include "figures/Label.h"
#include "figures/Line.h"
#include "figures/Polyline.h"
#include "figures/Shapes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

namespace {

struct CShapeFixture : CCanvasFixture {
    CShapeFixture() {
        RemovePicture();
        SnapSwitches(false, false, false);
    }
    int Count() const { return canvas.GetFigures().GetCount(); }
    CFigure* Last() { return canvas.GetDrawing().EditFigures().GetLast(); }
    void Tool(ETool tool) { canvas.SetToolFigure(MakeToolFigure(tool)); }
    void Drag(CPoint from, CPoint to) { CCanvasFixture::Drag(ClientOf(from), ClientOf(to)); }
    void ClickAt(CPoint page) {
        Move(ClientOf(page));
        Click(ClientOf(page));
    }
};

TEST(ShapeTools, RoundShapesAndLabelsAreMadeOrRefusedWithAReason) {
    CShapeFixture f;
    const int start = f.Count();
    f.Tool(ETool::Circle);
    f.Drag({200, 200}, {230, 240});
    ASSERT_EQ(f.Count(), start + 1);
    auto* circle = dynamic_cast<CCircle*>(f.Last());
    ASSERT_NE(circle, nullptr);
    EXPECT_EQ(circle->m_pt1, (CDoublePoint{200, 200}));
    EXPECT_EQ(circle->m_dRadiusX, 50.0);
    EXPECT_TRUE(circle->m_bSelected);
    EXPECT_EQ(f.canvas.GetMode(), kModeSelect); // back to Select after a figure
    EXPECT_EQ(f.canvas.GetUndoName(), "Draw Circle");

    // A drag that ends on its centre, and a click, make none; the tool stays.
    f.Tool(ETool::AxisEllipse);
    f.Drag({300, 300}, {300, 300});
    f.Click(f.ClientOf({310, 310}));
    EXPECT_EQ(f.Count(), start + 1);
    EXPECT_EQ(f.host.messages.back(), "No ellipse was drawn: its radius is zero");
    EXPECT_EQ(f.canvas.GetMode(), kModeDraw);
    f.Drag({300, 300}, {340, 320});
    auto* ellipse = dynamic_cast<CAxisEllipse*>(f.Last());
    ASSERT_NE(ellipse, nullptr);
    EXPECT_EQ(ellipse->m_dRadiusX, 40.0);
    EXPECT_EQ(ellipse->m_dRadiusY, 20.0);

    // The arc: radius from the drag, then its angle handles turn its ends.
    f.Tool(ETool::Arc);
    f.Drag({400, 400}, {400, 450});
    auto* arc = dynamic_cast<CArc*>(f.Last());
    ASSERT_NE(arc, nullptr);
    EXPECT_EQ(arc->m_dRadiusX, 50.0);
    f.Drag({450, 400}, {400, 460}); // the start handle, from 0 down to 270 degrees
    EXPECT_EQ(arc->m_dStartAngle, 270.0);
    f.Drag({400, 350}, {350, 400}); // the end handle, from 90 to 180
    EXPECT_EQ(arc->m_dEndAngle, 180.0);
    EXPECT_EQ(f.canvas.GetUndoName(), "Turn");

    // A label: the click places its reference point, the dialog gives its text.
    f.Tool(ETool::Label);
    f.host.setTextAnswers.push_back("");
    f.ClickAt({100, 600});
    EXPECT_EQ(f.host.messages.back(), "No label was placed: its text is empty");
    f.host.setTextAnswers.push_back("$\\alpha$\nnext");
    f.ClickAt({100, 600});
    auto* label = dynamic_cast<CLabel*>(f.Last());
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->m_strText, "$\\alpha$ next");
    EXPECT_EQ(label->m_pt1, (CDoublePoint{100, 600}));
    EXPECT_EQ(f.canvas.GetMode(), kModeSelect);
    // The text figures' double-click edits it.
    f.host.propertiesAnswers.push_back("beta");
    f.canvas.OnLButtonDblClk(f.ClientOf({104, 596}));
    EXPECT_EQ(label->m_strText, "beta");

    // Its reference point and angle: one undo step each, a turn taken modulo 360, and with
    // nothing selected they go to the labels still to come.
    EXPECT_TRUE(f.canvas.GetStyles().ApplyLabelPlacement({'R', 'T', 0}, true));
    EXPECT_EQ(f.canvas.GetUndoName(), "Label Reference");
    EXPECT_TRUE(f.canvas.GetStyles().ApplyLabelPlacement({'L', 'B', -30}, false));
    EXPECT_EQ((std::tuple{label->m_cHRef, label->m_cVRef, label->m_dAngle}),
              (std::tuple{'R', 'T', 330.0}));
    EXPECT_FALSE(
        f.canvas.GetStyles().ApplyLabelPlacement({'R', 'T', 690}, false)); // 690 = 330: no change
    EXPECT_FALSE(f.canvas.GetStyles().ApplyLabelPlacement({'X', 'T', 0}, true));
    EXPECT_FALSE(f.canvas.GetStyles().ApplyLabelPlacement({'R', 'T', std::nan("")}, false));
    f.canvas.Undo();
    EXPECT_EQ(label->m_dAngle, 0.0);
    f.ClickAt({700, 100}); // on nothing: the selection is cleared
    ASSERT_FALSE(f.canvas.HasSelection());
    f.canvas.GetStyles().ApplyLabelPlacement({'C', 'C', 0}, true);
    f.canvas.GetStyles().ApplyLabelPlacement({'C', 'C', 90}, false);
    EXPECT_EQ(label->m_cHRef, 'R'); // the drawn label keeps its own
    f.Tool(ETool::Label);
    f.host.setTextAnswers.push_back("up");
    f.ClickAt({300, 600});
    auto* upright = dynamic_cast<CLabel*>(f.Last());
    ASSERT_NE(upright, nullptr);
    EXPECT_EQ((std::tuple{upright->m_cHRef, upright->m_cVRef, upright->m_dAngle}),
              (std::tuple{'C', 'C', 90.0}));
    EXPECT_EQ(f.canvas.GetStyles().GetSelectionLabels().nCount, 1);

    // Undone all the way, the drawing is as it began.
    while (f.canvas.CanUndo())
        f.canvas.Undo();
    EXPECT_EQ(f.Count(), start);
}

TEST(ShapeTools, PolylinesGoCornerByCornerAndCornersComeAndGo) {
    CShapeFixture f;
    const int start = f.Count();
    f.Tool(ETool::Polyline);
    for (CPoint p : {CPoint{100, 100}, CPoint{200, 100}, CPoint{200, 200}})
        f.ClickAt(p);
    EXPECT_TRUE(f.canvas.IsPlacingCorners());
    EXPECT_EQ(f.Count(), start); // nothing in the drawing until it is finished
    f.canvas.OnKeyDown(EKey::Enter);
    auto* open = dynamic_cast<CPolyline*>(f.Last());
    ASSERT_NE(open, nullptr);
    EXPECT_EQ(open->GetCorners(), (std::vector<CDoublePoint>{{100, 100}, {200, 100}, {200, 200}}));
    EXPECT_FALSE(open->m_bClosed);
    EXPECT_EQ(f.canvas.GetUndoName(), "Draw Polyline");
    EXPECT_EQ(f.canvas.GetMode(), kModeSelect);

    // A click on the first corner closes it; a double-click ends an open one where it was.
    f.Tool(ETool::Polyline);
    for (CPoint p : {CPoint{300, 300}, CPoint{400, 300}, CPoint{350, 380}, CPoint{302, 302}})
        f.ClickAt(p);
    auto* polygon = dynamic_cast<CPolyline*>(f.Last());
    ASSERT_NE(polygon, nullptr);
    EXPECT_TRUE(polygon->m_bClosed);
    EXPECT_EQ(polygon->m_strType, kTypePolygon);
    EXPECT_EQ(polygon->GetCornerCount(), 3);
    f.Tool(ETool::Polyline);
    f.ClickAt({500, 500});
    f.ClickAt({550, 500});
    f.canvas.OnLButtonDblClk(f.ClientOf({550, 500}));
    f.Release(f.ClientOf({550, 500}));
    ASSERT_EQ(f.Count(), start + 3);
    EXPECT_EQ(dynamic_cast<CPolyline&>(*f.Last()).GetCornerCount(), 2);

    // Escape drops the corners; one corner is no polyline, and the status bar says so.
    f.Tool(ETool::Polyline);
    f.ClickAt({600, 600});
    f.ClickAt({650, 600});
    f.canvas.OnKeyDown(EKey::Escape);
    EXPECT_FALSE(f.canvas.IsPlacingCorners());
    f.ClickAt({600, 600});
    f.canvas.OnKeyDown(EKey::Enter);
    EXPECT_EQ(f.host.messages.back(), "No polyline was drawn: it needs at least two corners");
    EXPECT_EQ(f.Count(), start + 3);
    EXPECT_TRUE(f.canvas.IsPlacingCorners() == false && f.canvas.GetMode() == kModeDraw);
    f.canvas.SetMode(kModeSelect);

    // A corner in the middle of a piece, and taken out again; never below three for a polygon.
    const CPoint piece = f.ClientOf({350, 300});
    EXPECT_TRUE(f.canvas.GetCornerEdits().CanInsertCorner(piece));
    EXPECT_TRUE(f.canvas.GetCornerEdits().InsertCorner(piece));
    EXPECT_EQ(polygon->GetCornerCount(), 4);
    EXPECT_EQ(polygon->GetCorner(1), (CDoublePoint{350, 300}));
    EXPECT_EQ(f.canvas.GetUndoName(), "Insert Corner");
    EXPECT_TRUE(f.canvas.GetCornerEdits().DeleteCorner(f.ClientOf({400, 300})));
    EXPECT_EQ(polygon->GetCorners(),
              (std::vector<CDoublePoint>{{300, 300}, {350, 300}, {350, 380}}));
    EXPECT_FALSE(f.canvas.GetCornerEdits().CanDeleteCorner(f.ClientOf({350, 380})));
    f.canvas.Undo();
    EXPECT_EQ(polygon->GetCornerCount(), 4);

    // Moved with the selection, every corner goes along, and undo puts each back.
    f.canvas.GetDrawing().ClearSelection();
    f.Drag({200, 150}, {220, 160});
    EXPECT_EQ(open->GetCorners(), (std::vector<CDoublePoint>{{120, 110}, {220, 110}, {220, 210}}));
    f.canvas.Undo();
    EXPECT_EQ(open->GetCorner(2), (CDoublePoint{200, 200}));
}

// A path: a drag from a node makes it smooth (control points opposite along the drag), a node
// dragged takes its control points along, and a piece is made straight or curved as one step.
TEST(ShapeTools, PathsGetSmoothNodesByADragAndPiecesTurnStraightOrCurved) {
    CShapeFixture f;
    f.Tool(ETool::Path);
    f.ClickAt({100, 100});
    f.Move(f.ClientOf({200, 100}));
    f.CCanvasFixture::Drag(f.ClientOf({200, 100}), f.ClientOf({240, 100}));
    f.ClickAt({200, 200});
    f.canvas.OnKeyDown(EKey::Enter);
    auto* path = dynamic_cast<CPolyline*>(f.Last());
    ASSERT_NE(path, nullptr);
    EXPECT_EQ(f.canvas.GetUndoName(), "Draw Path");
    EXPECT_EQ(path->m_strType, kTypePath);
    ASSERT_EQ(path->GetCornerCount(), 3);
    ASSERT_TRUE(path->IsCurved(0) && path->IsCurved(1));
    EXPECT_EQ(path->GetControl(0, 1), (CDoublePoint{160, 100}));
    EXPECT_EQ(path->GetControl(1, 0), (CDoublePoint{240, 100}));
    EXPECT_NE(path->ExportTeX().find("%begin path\n\\move(1.00 -1.00)\n\\clvec("),
              std::string::npos);

    f.Drag({200, 100}, {210, 110});
    EXPECT_EQ(path->GetCorner(1), (CDoublePoint{210, 110}));
    EXPECT_EQ(path->GetControl(0, 1), (CDoublePoint{170, 110}));
    EXPECT_EQ(path->GetControl(1, 0), (CDoublePoint{250, 110}));
    // A control point's own handle moves it alone.
    f.Drag({250, 110}, {250, 150});
    EXPECT_EQ(path->GetControl(1, 0), (CDoublePoint{250, 150}));
    EXPECT_EQ(path->GetCorner(1), (CDoublePoint{210, 110}));

    // The first piece's middle, (100 + 3 * 133.3 + 3 * 170 + 210) / 8 across.
    const CPoint middle = f.ClientOf({152, 105});
    EXPECT_FALSE(f.canvas.GetCornerEdits().CanCurvePiece(middle, true));
    ASSERT_TRUE(f.canvas.GetCornerEdits().CurvePiece(middle, false));
    EXPECT_EQ(f.canvas.GetUndoName(), "Make Piece Straight");
    EXPECT_FALSE(path->IsCurved(0));
    ASSERT_TRUE(f.canvas.GetCornerEdits().CurvePiece(f.ClientOf({155, 105}), true));
    EXPECT_EQ(f.canvas.GetUndoName(), "Make Piece Curved");
    f.canvas.Undo();
    f.canvas.Undo();
    EXPECT_EQ(path->GetControl(0, 1), (CDoublePoint{170, 110}));
}

// With the snap on, as it starts: a click on the first corner's square, or one the snap puts on
// the first corner, closes the polygon.
TEST(ShapeTools, AClickOnTheFirstCornerClosesThePolygonWhereverTheSnapPutsIt) {
    CCanvasFixture f;
    f.RemovePicture();
    const auto tool = [&] { f.canvas.SetToolFigure(MakeToolFigure(ETool::Polyline)); };
    const auto click = [&](CPoint page) {
        f.Move(f.ClientOf(page));
        f.Click(f.ClientOf(page));
    };
    // Where the snap puts a first corner clicked at (300, 300).
    tool();
    for (CPoint p : {CPoint{300, 300}, CPoint{400, 300}, CPoint{350, 380}})
        click(p);
    f.canvas.OnKeyDown(EKey::Enter);
    const CPoint first = ToPixel(
        dynamic_cast<CPolyline&>(*f.canvas.GetDrawing().EditFigures().GetLast()).GetCorner(0), 1.0);
    for (const int off : {0, 3, 6, 15}) {
        tool();
        for (CPoint p : {first, CPoint{430, 320}, CPoint{370, 420}, first + CPoint{off, 0}})
            click(p);
        EXPECT_FALSE(f.canvas.IsPlacingCorners()) << off;
        const auto* polygon =
            dynamic_cast<CPolyline*>(f.canvas.GetDrawing().EditFigures().GetLast());
        ASSERT_NE(polygon, nullptr);
        EXPECT_TRUE(polygon->m_bClosed) << off;
        EXPECT_EQ(polygon->GetCornerCount(), 3) << off;
    }
}

TEST(ShapeTools, ShapesOfferTheirKeyPointsAndPiecesToTheSnap) {
    CShapeFixture f;
    f.Add<CCircle>(200, 200, 250, 200);
    auto* label = f.Add<CLabel>(400, 100, 0, 0);
    label->m_strText = "A";
    auto* polyline = f.Add<CPolyline>(100, 500, 300, 500);
    polyline->InsertCorner(0);
    polyline->SetCorner(1, {200, 400});
    f.Add<CLine>(150, 350, 150, 550);
    f.SnapSwitches(true, false, false);
    for (const auto& [near, want] :
         std::vector<std::pair<CPoint, CPoint>>{
             {{253, 203}, {250, 200}},  // the circle's right
             {{199, 146}, {200, 150}},  // its top
             {{201, 201}, {200, 200}},  // its centre
             {{404, 98}, {400, 100}},   // the label's reference point
             {{198, 405}, {200, 400}}}) // a corner
    {
        CPoint p = near;
        f.canvas.Snap(p);
        EXPECT_EQ(p, want) << near.x << "," << near.y;
    }
    // A polyline's piece crosses a line.
    f.SnapSwitches(false, false, true);
    CPoint p{152, 452};
    f.canvas.Snap(p);
    EXPECT_EQ(p, (CPoint{150, 450}));
}

} // namespace
