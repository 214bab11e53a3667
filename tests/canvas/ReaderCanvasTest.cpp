// Drawings made by random gestures through the canvas, saved, read back and put into a fresh
// canvas, save to the same text again.
#include "canvas/FakeHost.h"
#include "texdraw/ReaderTestUtil.h"

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
                CFigure* made = f.canvas.GetFigures().GetFirstSelected();
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

} // namespace
