// Drawings made by random gestures through the canvas, saved, read back and put into a fresh
// canvas, save to the same text again.
#include "canvas/FakeHost.h"
#include "texdraw/ReaderTestUtil.h"

#include <cstdio>
#include <fstream>
#include <functional>
#include <random>

namespace {

using CMakeTool = std::function<std::unique_ptr<CFigure>()>;

template <class T> CMakeTool Tool(int penStyle = 0) {
    return [penStyle] {
        auto f = std::make_unique<T>();
        f->m_nPenStyle = penStyle;
        return f;
    };
}

TEST(ReaderCanvas, RandomGesturesComeBackThroughANewCanvas) {
    const std::vector<CMakeTool> tools{Tool<CLine>(),
                                       Tool<CLine>(2),
                                       Tool<CArrow>(),
                                       Tool<CTextRectangle>(),
                                       Tool<CTextEllipse>(),
                                       Tool<CTextRhomb>(),
                                       Tool<CBezierCurve>(),
                                       Tool<CRectangle>(),
                                       Tool<CRotatableRectangle>(),
                                       Tool<CRotatableEllipse>()};
    const std::vector<std::string> texts{"A", "$x^2$", "{", "Grüße", "50% & }{"};
    std::mt19937 rng(7);
    int kinds[2] = {0, 0}; // turned figures and text figures read back, so the test means something
    for (int round = 0; round < 40; ++round) {
        CCanvasFixture f;
        f.SnapSwitches(rng() % 2, rng() % 2, rng() % 2);
        for (int z = int(rng() % 4); z > 0; --z)
            rng() % 2 ? f.canvas.ZoomIn() : f.canvas.ZoomOut();
        const double zoom = f.canvas.GetZoom();
        auto somewhere = [&] {
            return f.ClientOf({int(rng() % int(681 * zoom)), int(rng() % int(801 * zoom))});
        };
        for (int step = 0; step < 12; ++step) {
            switch (rng() % 5) {
            case 0:
            case 1: { // draw with a tool, then sometimes name it or turn it
                f.canvas.SetToolFigure(tools[rng() % tools.size()]());
                f.Drag(somewhere(), somewhere());
                CFigure* made = f.canvas.GetDrawing().EditFigures().GetFirstSelected();
                if (made && GetFigureText(*made) && rng() % 2) {
                    f.host.setTextAnswers.push_back(texts[rng() % texts.size()]);
                    f.canvas.ChangeText();
                }
                if (made && (dynamic_cast<CRotatableRectangle*>(made) ||
                             dynamic_cast<CRotatableEllipse*>(made)))
                    f.Drag(f.ClientOf(made->GetHandlePoint(kHandleTopRight, zoom)), somewhere());
                break;
            }
            case 2: // a drag in select mode: moves, resizes or selects whatever it meets
                f.canvas.SetMode(kModeSelect);
                f.Drag(somewhere(), somewhere());
                break;
            case 3:
                f.canvas.OnKeyDown(rng() % 2 ? EKey::Right : EKey::Down);
                break;
            default:
                f.canvas.Duplicate();
                break;
            }
        }
        const std::string saved = f.canvas.GetTeXDrawDocument();

        CFigureList read;
        const CTeXDrawReadResult r = ReadTeXDrawText(saved, "gestures.txt", read);
        ASSERT_TRUE(r.ok) << r.error;
        EXPECT_EQ(r.nUnrecognised, 0);
        for (int i = 0; i < read.GetCount(); ++i) {
            const auto* framed = dynamic_cast<const CFramedFigure*>(read.GetAt(i));
            kinds[0] += framed && !dynamic_cast<const CBezierCurve*>(framed) &&
                        framed->m_pt1.y != framed->m_pt3.y;
            kinds[1] += GetFigureText(*read.GetAt(i)) != nullptr;
        }
        CCanvasFixture again;
        again.canvas.ReplaceFigures(std::move(read));
        const std::string resaved = again.canvas.GetTeXDrawDocument();
        // Only a turned ellipse or a rhomb off whole units may differ, within rounding.
        if (r.nApproximated == 0)
            EXPECT_EQ(resaved, saved) << "round " << round;
        else
            ExpectSameWithin(resaved, saved, 0.02);
    }
    EXPECT_GT(kinds[0], 5);
    EXPECT_GT(kinds[1], 20);
}

// A file with a line 6,000 in left of the page, one on it and one 6,000 in right of it (the
// reader takes up to 10,000 in), all selected and dragged by the line on the page in every
// direction and at two zooms: the far lines never go farther out, the line on the page is not
// thrown, and every save opens again.
TEST(ReaderCanvas, FarFiguresDraggedWithTheRestStayReadable) {
    const std::string path = testing::TempDir() + "/far-lines.txt";
    std::string blocks;
    for (const double x : {-600100.0, 100.0, 600000.0}) {
        CLine line;
        line.m_pt1 = {x, 300.0};
        line.m_pt2 = {x + 100.0, 300.0};
        blocks += line.ExportTeX();
    }
    std::ofstream(path) << MakeTeXDrawDocument(blocks);
    CFigureList read;
    ASSERT_TRUE(ReadTeXDrawFile(path, read).ok);
    CCanvasFixture f;
    f.canvas.ReplaceFigures(std::move(read));
    const CFigureList& list = f.canvas.GetFigures();
    const int first = list.GetCount() - 3;
    f.canvas.SelectAll();
    std::mt19937 rng(11);
    for (int drag = 0; drag < 24; ++drag) {
        if (drag == 12)
            f.canvas.ZoomIn();
        const double zoom = f.canvas.GetZoom();
        const CFigure* onPage = list.GetAt(first + 1);
        const CDoublePoint was = onPage->m_pt1;
        const CPoint from = f.ClientOf(ToPixel((onPage->m_pt1 + onPage->m_pt2) * 0.5, zoom));
        const int reach = drag % 3 == 0 ? 5000 : 10;
        const CPoint by{int(rng() % 3) - 1, int(rng() % 3) - 1};
        f.Drag(from, {from.x + by.x * reach, from.y + by.y * reach});
        // Neither far line may move outward, so nothing moves sideways.
        EXPECT_EQ(was.x, onPage->m_pt1.x) << "drag " << drag;
        EXPECT_GE(list.GetAt(first)->m_pt1.x, -600100.0);
        EXPECT_LE(list.GetAt(first + 2)->m_pt2.x, 600100.0);
        std::string error;
        ASSERT_TRUE(f.canvas.WriteTeXDrawFile(path, error)) << error;
        CFigureList again;
        const CTeXDrawReadResult r = ReadTeXDrawFile(path, again);
        ASSERT_TRUE(r.ok) << "drag " << drag << ": " << r.error;
    }
    // The drags did move the selection up and down.
    EXPECT_NE(300.0, list.GetAt(first + 1)->m_pt1.y);
    std::remove(path.c_str());
}

} // namespace

// In another's drawing, deleting any one figure (and undoing it) leaves every other figure
// printing where it did: statements after it that go on from its end point, or in the style it
// set, keep their meaning.
TEST(ReaderCanvas, DeletingAFigureOfAnothersDrawingLeavesTheOthersWhereTheyPrint) {
    const std::string drawing = "\\begin{texdraw}\n\\drawdim cm \\linewd 0.02\n"
                                "\\move(0 0) \\lvec(1 0)\n"
                                "\\rmove(0 0.5) \\rlvec(0 1)\n"
                                "\\linewd 0.05 \\rmove(1 0) \\rlvec(1 1)\n"
                                "\\rmove(0 0.5) \\ravec(1 0)\n"
                                "\\move(4 0) \\lcir r:0.5\n"
                                "\\rmove(1 1) \\rlvec(1 1)\n"
                                "\\end{texdraw}\n";
    const auto shapes = [](const CFigureList& list) {
        std::vector<std::string> out;
        CDoublePoint p[CFigure::kMaxPoints];
        for (int i = 0; i < list.GetCount(); ++i) {
            const CFigure* f = list.GetAt(i);
            if (dynamic_cast<const CRawTeXFigure*>(f) || f->IsGridLine())
                continue;
            std::string s = f->m_strType + " w" + std::to_string(f->m_style.dLineWidth);
            for (int k = f->ReadPoints(p) - 1; k >= 0; --k)
                s += " " + std::to_string(std::lround(p[k].x * 100)) + "," +
                     std::to_string(std::lround(p[k].y * 100));
            out.push_back(s);
        }
        return out;
    };
    CFigureList first;
    ASSERT_TRUE(ReadTeXDrawText(drawing, "theirs.tex", first).ok);
    const std::vector<std::string> all = shapes(first);
    ASSERT_EQ(all.size(), 6u);
    for (std::size_t gone = 0; gone < all.size(); ++gone) {
        SCOPED_TRACE(gone);
        CCanvasFixture f;
        CFigureList list;
        ASSERT_TRUE(ReadTeXDrawText(drawing, "theirs.tex", list).ok);
        f.canvas.ReplaceFigures(std::move(list));
        // Opened and saved unchanged: the very bytes (the canvas's grid lines write nothing).
        ASSERT_EQ(f.canvas.GetTeXDrawDocument(), drawing);
        std::size_t n = 0;
        for (int i = 0; i < f.canvas.GetFigures().GetCount(); ++i) {
            CFigure* g = f.canvas.GetDrawing().EditFigures().GetAt(i);
            if (!dynamic_cast<CRawTeXFigure*>(g) && !g->IsGridLine())
                g->m_bSelected = n++ == gone;
        }
        f.canvas.DeleteSelected();
        CFigureList read;
        ASSERT_TRUE(ReadTeXDrawText(f.canvas.GetTeXDrawDocument(), "theirs.tex", read).ok);
        std::vector<std::string> want = all;
        want.erase(want.begin() + static_cast<std::ptrdiff_t>(gone));
        EXPECT_EQ(shapes(read), want);
        f.canvas.Undo();
        EXPECT_EQ(f.canvas.GetTeXDrawDocument(), drawing);
    }
}
