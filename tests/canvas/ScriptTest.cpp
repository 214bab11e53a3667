// A whole editing session through the fake window (draw every kind of figure, band select, move,
// resize by a handle, duplicate, delete, zoom), checked against the exported document.
#include "FakeHost.h"

#include "figures/BezierCurve.h"
#include "figures/Line.h"
#include "figures/TextFigures.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>

namespace {

const char kHeader[] = "\\begin{center}\n\\begin{texdraw}\n%\\setunitscale 0.3\n\n"
                       "\\arrowheadtype t:F\n\n";
const char kFooter[] = "\\end{texdraw}\n\\end{center}";

std::string RectangleBlock(const char* a, const char* d, const char* b, const char* e) {
    return std::string("\n%begin rectangle\n") + "\\move(" + a + ")\n\\lvec(" + e + ")\n" +
           "\\move(" + a + ")\n\\lvec(" + d + ")\n" + "\\move(" + b + ")\n\\lvec(" + d + ")\n" +
           "\\move(" + b + ")\n\\lvec(" + e + ")\n%end rectangle\n";
}

std::string TextBlock(const char* kind, const std::string& shape, const char* centre,
                      const char* text) {
    return std::string("%begin ") + kind + "\n" + shape + "\n\\textref h:C v:C\n\\htext (" +
           centre + "){" + text + "}\n%end " + kind + "\n";
}

class CanvasScript : public testing::Test {
protected:
    CCanvasFixture f;

    // Page points in whole units at zoom 1.
    void Draw(std::unique_ptr<CFigure> tool, CPoint from, CPoint to) {
        f.canvas.SetToolFigure(std::move(tool));
        f.Press(f.ClientOf(from));
        f.Move(f.ClientOf({(from.x + to.x) / 2, (from.y + to.y) / 2}));
        f.Move(f.ClientOf(to));
        f.Release(f.ClientOf(to));
        ASSERT_EQ(kModeSelect, f.canvas.GetMode());
    }
};

TEST_F(CanvasScript, SessionExportsTheExpectedDocument) {
    // Default switches: key points and grid. Every point below is either on purpose near a grid
    // crossing (crossings every 51 units from 2) or at least 17 units off every crossing.
    CFigureList& list = f.canvas.GetDrawing().EditFigures();

    // The start-up picture: click its left edge, Delete.
    f.Click(f.ClientOf({7, 20}));
    ASSERT_TRUE(list.GetLast()->m_bSelected);
    f.canvas.OnKeyDown(EKey::Delete);
    ASSERT_EQ(30, list.GetCount());

    // A line whose ends snap to the crossings (104,104) and (206,155).
    Draw(std::make_unique<CLine>(), {100, 100}, {205, 148});
    auto dotted = std::make_unique<CLine>();
    dotted->m_nPenStyle = 2;
    Draw(std::move(dotted), {130, 300}, {240, 300});
    Draw(std::make_unique<CArrow>(), {300, 130}, {430, 130});

    // Text rectangle, text set by double-click.
    Draw(std::make_unique<CTextRectangle>(), {130, 400}, {230, 470});
    f.host.propertiesAnswers.push_back("Hello");
    f.Click(f.ClientOf({180, 400}));
    f.canvas.OnLButtonDblClk(f.ClientOf({180, 400}));
    f.Release(f.ClientOf({180, 400}));

    // Text rhomb, text set by double-click on its frame.
    Draw(std::make_unique<CTextRhomb>(), {130, 560}, {230, 620});
    f.host.propertiesAnswers.push_back("R");
    f.canvas.OnLButtonDblClk(f.ClientOf({130, 600}));

    // Text ellipse, text set by the change-text command on the new (selected) figure.
    Draw(std::make_unique<CTextEllipse>(), {330, 400}, {440, 480});
    f.host.setTextAnswers.push_back("E");
    f.canvas.ChangeText();

    Draw(std::make_unique<CBezierCurve>(), {330, 560}, {440, 640});
    Draw(std::make_unique<CRectangle>(), {480, 560}, {585, 640});
    ASSERT_EQ(38, list.GetCount());

    // Band from empty paper around the two lines, then drag the dotted line: both move.
    f.Drag(f.ClientOf({90, 90}), f.ClientOf({250, 320}));
    ASSERT_TRUE(list.GetAt(30)->m_bSelected);
    ASSERT_TRUE(list.GetAt(31)->m_bSelected);
    ASSERT_FALSE(list.GetAt(32)->m_bSelected);
    f.Drag(f.ClientOf({180, 300}), f.ClientOf({200, 330}));

    // Stretch the arrow by its end handle.
    f.Drag(f.ClientOf({430, 130}), f.ClientOf({470, 180}));
    ASSERT_TRUE(list.GetAt(32)->m_bSelected);
    ASSERT_FALSE(list.GetAt(30)->m_bSelected);

    // Duplicate the arrow; delete the plain rectangle.
    f.canvas.Duplicate();
    f.Click(f.ClientOf({500, 560}));
    ASSERT_EQ("Rectangle", list.GetAt(37)->m_strType);
    ASSERT_TRUE(list.GetAt(37)->m_bSelected);
    f.canvas.OnKeyDown(EKey::Delete);

    // Zoom in and draw one more line: the page units follow the zoom.
    f.canvas.OnKeyDown(EKey::NumPlus);
    ASSERT_DOUBLE_EQ(2.0, f.canvas.GetZoom());
    f.canvas.SetToolFigure(std::make_unique<CLine>());
    f.Drag({100, 100}, {300, 150});

    // The blocks whose numbers need the ellipse and Bezier constructions come from figures made
    // directly with the corners the gestures must have produced.
    CTextEllipse ellipse;
    ellipse.SetPoints(330, 400, 440, 480, 1.0);
    ellipse.SetText("E");
    CBezierCurve bezier;
    bezier.SetPoints(330, 560, 440, 640, 1.0);
    bezier.SetHandlePoint(kHandleEnd, 440, 640, 1.0);

    const std::string expected =
        std::string(kHeader) +
        // the snapped line, moved by (20, 30)
        "\n%begin line\n\\move(1.24 -1.34)\n\\lvec(2.26 -1.85)\n%end line\n"
        // the dotted line, moved with it
        "\n%begin line\n\\lpatt(0.03 0.05)\n\\move(1.50 -3.30)\n\\lvec(2.60 -3.30)\n"
        "\\lpatt()\n%end line\n"
        // the arrow, its end dragged to (470, 180)
        "%begin arrow\n\\move(3.00 -1.30)\n\\avec(4.70 -1.80)\n%end arrow\n" +
        TextBlock("textrectangle",
                  RectangleBlock("1.30 -4.00", "2.30 -4.00", "2.30 -4.70", "1.30 -4.70"),
                  "1.80 -4.35", "Hello") +
        // A rhomb is written as the closed path through its edge midpoints.
        TextBlock("textrhomb",
                  "\n%begin rhomb\n\\move(1.80 -5.60)\n\\lvec(2.30 -5.90)\n\\lvec(1.80 -6.20)\n"
                  "\\lvec(1.30 -5.90)\n\\lvec(1.80 -5.60)\n%end rhomb\n",
                  "1.80 -5.90", "R") +
        ellipse.ExportTeX() + bezier.ExportTeX() +
        // the arrow's copy, 10 units lower right
        "%begin arrow\n\\move(3.10 -1.40)\n\\avec(4.80 -1.90)\n%end arrow\n"
        // drawn at zoom 2: client (100,100) is page pixel (280,450), that is (140, 225) units
        "\n%begin line\n\\move(1.40 -2.25)\n\\lvec(2.40 -2.50)\n%end line\n" +
        kFooter;
    EXPECT_EQ(expected, f.canvas.GetTeXDrawDocument());
    EXPECT_TRUE(f.canvas.IsModified());

    // A failed write keeps the drawing marked as changed; a good one clears the mark.
    std::string error;
    EXPECT_FALSE(f.canvas.WriteTeXDrawFile(testing::TempDir() + "/no-such-folder/x.txt", error));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(f.canvas.IsModified());
    const std::string path = testing::TempDir() + "/canvas-session.txt";
    ASSERT_TRUE(f.canvas.WriteTeXDrawFile(path, error)) << error;
    EXPECT_FALSE(f.canvas.IsModified());
    std::ifstream in(path, std::ios::binary);
    const std::string written((std::istreambuf_iterator<char>(in)),
                              std::istreambuf_iterator<char>());
    EXPECT_EQ(expected, written);
    std::remove(path.c_str());
}

} // namespace
