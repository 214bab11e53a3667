// The canvas window paints again only what changed: after every step of random sessions over
// every gesture and command, the image it keeps equals the whole canvas painted afresh.
#include "AppFixture.h"

#include "../common/RandomDrawing.h"
#include "figures/FigureFactory.h"

#include <QImage>

#include <cstring>
#include <random>
#include <string>

namespace {

std::string FirstDifference(const QImage& kept, const QImage& whole) {
    if (kept.size() != whole.size())
        return "sizes differ";
    const auto bytes = static_cast<std::size_t>(kept.width()) * 4;
    for (int y = 0; y < kept.height(); ++y) {
        if (std::memcmp(kept.constScanLine(y), whole.constScanLine(y), bytes) == 0)
            continue;
        int x = 0;
        while (kept.pixel(x, y) == whole.pixel(x, y))
            ++x;
        return "first at raster pixel (" + std::to_string(x) + ", " + std::to_string(y) + ")";
    }
    return {};
}

class CDamageSession {
public:
    CDamageSession(CCanvasWidget& widget, unsigned seed) : m_widget(widget), m_rng(seed) {
        m_widget.m_fnSetTextDialog = [this] { return std::optional<std::string>(Text()); };
        m_widget.m_fnPropertiesDialog = [this](const std::string&, bool) {
            return std::optional<std::string>(Text());
        };
    }
    ~CDamageSession() {
        m_widget.m_fnSetTextDialog = nullptr;
        m_widget.m_fnPropertiesDialog = nullptr;
    }
    CDamageSession(const CDamageSession&) = delete;
    CDamageSession& operator=(const CDamageSession&) = delete;

    // One step; returns what it did, for the failure message.
    std::string Step() {
        CQuodra& c = m_widget.GetCanvas();
        const int pick = Int(0, 99);
        if (pick < 40) {
            // A whole gesture, checked after every event of it: press, moves, release.
            // Every tool: those that drag, the label's click and the polyline's corners, with
            // their prompts, handles and marks.
            if (Int(0, 3) == 0) {
                const int tool = Int(0, 2) == 0 ? Int(int(ETool::Polyline), int(ETool::Label))
                                                : Int(0, int(ETool::Label));
                c.SetToolFigure(MakeToolFigure(static_cast<ETool>(tool)));
            } else
                c.SetMode(Int(0, 9) == 0 ? kModeZoom : kModeSelect);
            m_nPending = 2 + Int(0, 4);
            c.OnLButtonDown(Point(), Int(0, 3) == 0);
            return "press";
        }
        if (m_nPending > 0) {
            if (--m_nPending == 0) {
                c.OnLButtonUp(Point());
                return "release";
            }
            c.OnMouseMove(Point());
            return "move";
        }
        if (pick < 55) {
            static constexpr EKey kKeys[] = {EKey::Left,   EKey::Up,     EKey::Right, EKey::Down,
                                             EKey::Delete, EKey::Escape, EKey::Enter};
            c.OnKeyDown(kKeys[Int(0, 6)]);
            return "key";
        }
        switch (pick % 12) {
        case 0:
            c.Undo();
            return "undo";
        case 1:
            c.Redo();
            return "redo";
        case 2:
            c.Duplicate();
            return "duplicate";
        case 3:
            c.SelectAll();
            return "select all";
        case 4:
            c.GetClipboard().Cut();
            return "cut";
        case 5:
            c.GetClipboard().Paste();
            return "paste";
        case 6:
            c.ChangeText();
            return "change text";
        case 7:
            c.OnLButtonDblClk(Point());
            return "double-click";
        case 8:
            if (Int(0, 1))
                c.ZoomIn();
            else
                c.ZoomOut();
            return "zoom";
        case 9:
            c.OnVScroll(EScrollRequest::ThumbPosition, Int(0, 600));
            return "scroll";
        case 10:
            c.Undo();
            c.Undo();
            return "undo twice";
        default:
            c.OnLButtonDown(Point(), false);
            c.OnKeyDown(EKey::Escape);
            c.OnLButtonUp(Point());
            return "press, escape, release";
        }
    }

private:
    int Int(int lo, int hi) { return std::uniform_int_distribution<>(lo, hi)(m_rng); }

    // Mostly on or beside a figure's handle, where gestures grab, move and reshape.
    CPoint Point() {
        CQuodra& c = m_widget.GetCanvas();
        const CFigureList& list = c.GetFigures();
        if (Int(0, 2) > 0 && list.GetCount() > 0) {
            const CFigure& f = *list.GetAt(Int(0, list.GetCount() - 1));
            const CPoint h = f.GetHandlePoint(2 + Int(0, 7), c.GetZoom());
            return c.AreaToClient(c.PageToArea({h.x + Int(-3, 3), h.y + Int(-3, 3)}));
        }
        const CSize size = m_widget.GetClientSize();
        return {Int(-20, size.cx + 20), Int(-20, size.cy + 20)};
    }

    std::string Text() {
        static const char* kTexts[] = {
            "", "a", "x = 1", "50% {off}", "\\alpha & \\beta", "a longer text than the box holds"};
        return kTexts[Int(0, 5)];
    }

    CCanvasWidget& m_widget;
    std::mt19937 m_rng;
    int m_nPending = 0;
};

} // namespace

TEST_F(CAppTest, KeptCanvasEqualsAWholePaintingAfterEveryStep) {
    for (unsigned seed = 1; seed <= 3; ++seed) {
        CFigureList drawing;
        CRandomDrawing gen(seed);
        gen.AddTo(drawing, 80);
        // A third of them with styles of their own: wide pens, heads of every size, fills.
        gen.StyleEvery(drawing, 0, 3);
        // TeXDraw's own shapes among them, labels with their texts too.
        for (int i = 0; i < 18; ++i)
            drawing.Add(gen.Make(static_cast<EFigureKind>(int(EFigureKind::Circle) + i % 6)));
        Canvas().ReplaceFigures(std::move(drawing));
        Canvas().SetMode(kModeSelect);
        CDamageSession session(*m_widget, seed);
        for (int step = 0; step < 300; ++step) {
            const std::string what = session.Step();
            // A move off the window scrolls without painting; the next painting then paints
            // everything, as the canvas knows its view changed.
            if (Canvas().IsViewChangedSincePaint())
                continue;
            const std::string diff =
                FirstDifference(m_widget->GetBackBuffer(), m_widget->PaintWhole());
            ASSERT_EQ(diff, "") << "seed " << seed << ", step " << step << ": " << what;
        }
    }
}
