// The canvas finds the figures to paint in a damaged rectangle, and the figure under the pointer,
// through a spatial index that it keeps up to date as the drawing changes (drag steps change it
// in place, everything else builds it again). Over random sessions on drawings of every figure
// kind and style, after every step, both answers are what a walk over the whole list gives.
#include "canvas/GestureSession.h"
#include "common/RandomDrawing.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

// The plain walk: the visible figures whose paint extent meets the rectangle, bottom first.
std::vector<int> PlainFiguresMeeting(const CFigureList& list, double zoom, const CRect& page) {
    std::vector<int> out;
    for (int i = 0; i < list.GetCount(); ++i)
        if (const CFigure* f = list.GetAt(i);
            f->m_bVisible && RectsMeet(f->GetPaintExtent(zoom), page))
            out.push_back(i);
    return out;
}

TEST(FigureIndex, AnswersAsTheWalkOverTheWholeListAfterEveryStep) {
    std::mt19937 rng(20261208);
    const auto num = [&](int lo, int hi) { return std::uniform_int_distribution<>(lo, hi)(rng); };
    std::vector<std::uint8_t> bytes;
    std::vector<int> indexed;
    for (int s = 0; s < 300; ++s) {
        CCanvasFixture f;
        CFigureList drawing;
        CRandomDrawing gen(static_cast<unsigned>(s));
        gen.AddTo(drawing, num(0, 120));
        for (int i = 0; i < num(0, 12); ++i)
            drawing.Add(gen.Make(static_cast<EFigureKind>(num(0, kFigureKinds - 1))));
        gen.StyleEvery(drawing, num(0, 2), 3);
        f.canvas.ReplaceFigures(std::move(drawing));
        bytes.resize(40 + rng() % 200);
        for (auto& b : bytes)
            b = static_cast<std::uint8_t>(rng());
        CSessionBytes in(bytes.data(), bytes.size());
        CGestureSession session(f, in);
        int step = 0;
        do {
            const CFigureList& list = f.canvas.GetFigures();
            const double zoom = f.canvas.GetZoom();
            for (int q = 0; q < 6; ++q) {
                // Near a figure's handle most times (where the pointer and the damage are), or
                // anywhere on and around the page; points one pixel wide up to whole windows.
                CPoint at{num(-200, 1500), num(-200, 1500)};
                if (list.GetCount() > 0 && q % 3 != 0) {
                    const CPoint h =
                        list.GetAt(num(0, list.GetCount() - 1))->GetHandlePoint(num(2, 9), zoom);
                    at = {h.x + num(-12, 12), h.y + num(-12, 12)};
                }
                const CRect rect{at.x, at.y, at.x + num(1, q == 5 ? 2000 : 40),
                                 at.y + num(1, q == 5 ? 2000 : 40)};
                f.canvas.FiguresMeeting(rect, indexed);
                ASSERT_EQ(indexed, PlainFiguresMeeting(list, zoom, rect))
                    << "session " << s << ", step " << step;
                ASSERT_EQ(f.canvas.FigureAt(at), list.HitTest(at.x, at.y, zoom))
                    << "session " << s << ", step " << step << " at " << at.x << ", " << at.y;
            }
            ++step;
        } while (session.Step());
    }
}

} // namespace
