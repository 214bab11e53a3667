// Someone else's drawing on the canvas: moved onto the page when its own origin would leave it
// off the page (and written back where it was), and what its stretches kept as text draw shown,
// so that a drawing made with its own macros does not open as an empty page.
#include "figures/FigureList.h"
#include "figures/Line.h"
#include "figures/RawTeX.h"
#include "texdraw/Document.h"
#include "texdraw/Interpreter.h"
#include "texdraw/Reader.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(ShownStretches, WhatAMacroDrawsIsShownAndTheStretchSelectableAsAWhole) {
    // Inches: one unit is 100 page units; TeXDraw's y grows upward, the page's downward.
    const std::string text = "\\def\\boxit#1{\\bsegment\\move(-1 -0.5)\\lvec(1 -0.5)\\lvec(1 0.5)"
                             "\\lvec(-1 0.5)\\lvec(-1 -0.5)\\htext(0 0){#1}\\esegment}\n"
                             "\\begin{texdraw}\n\\drawdim in\n"
                             "\\move(3 -3)\\boxit{Start}\n"
                             "\\def\\ring{\\bsegment\\lcir r:0.5 \\larc r:1 sd:0 ed:90\\esegment}\n"
                             "\\move(5 -3)\\ring\n"
                             "\\end{texdraw}\n";
    CFigureList list;
    const CTeXDrawReadResult r = ReadTeXDrawText(text, "boxes.tex", list);
    ASSERT_TRUE(r.ok) << r.error;
    const CRawTeXFigure* box = nullptr;
    std::vector<const CRawTeXFigure*> shown;
    for (int i = 0; i < list.GetCount(); ++i) {
        const auto* raw = dynamic_cast<const CRawTeXFigure*>(list.GetAt(i));
        if (!raw)
            continue;
        // A stretch is selectable exactly when it shows something.
        EXPECT_EQ(raw->m_bSelectable, raw->HasShownDrawing()) << raw->m_strText;
        if (raw->HasShownDrawing())
            shown.push_back(raw);
        if (raw->m_strText.find("boxit{Start}") != std::string::npos)
            box = raw;
    }
    ASSERT_NE(box, nullptr);
    ASSERT_TRUE(box->HasShownDrawing());
    ASSERT_EQ(box->m_shownTexts.size(), 1u);
    EXPECT_EQ(box->m_shownTexts[0].strText, "Start");
    EXPECT_EQ(box->m_shownTexts[0].ptAt, (CDoublePoint{300, 300}));
    // The box from (200, 250) to (400, 350) on the page: hit on its edge, not in its empty middle
    // away from the text, not outside; the rubber band finds it by its edge.
    EXPECT_EQ(box->GetBoundingRect(1.0).left, 200);
    EXPECT_TRUE(box->HitTest({202, 300}, 1.0));
    EXPECT_TRUE(box->HitTest({260, 349}, 1.0));
    EXPECT_FALSE(box->HitTest({230, 270}, 1.0));
    EXPECT_FALSE(box->HitTest({420, 300}, 1.0));
    EXPECT_TRUE(box->IntersectsRect({390, 340, 410, 360}, 1.0));
    EXPECT_TRUE(box->HitTest({802, 600}, 2.0)); // zoomed in, the edge is where it was drawn

    // The circle and the arc: paths with every point at their radius from the centre (500, 300).
    bool circle = false, arc = false;
    for (const CRawTeXFigure* raw : shown) {
        for (const auto& path : raw->m_shownPaths) {
            const auto radius = [](CDoublePoint p) { return std::hypot(p.x - 500, p.y - 300); };
            const double r0 = radius(path[0]);
            bool round = path.size() > 8;
            for (const CDoublePoint& p : path)
                round = round && std::abs(radius(p) - r0) < 1e-9;
            circle = circle || (round && std::abs(r0 - 50) < 1e-9 && path.back() == path[0]);
            arc = arc || (round && std::abs(r0 - 100) < 1e-9 && path.back().y < 201);
        }
    }
    EXPECT_TRUE(circle && arc);

    // Copies keep what they show.
    const auto copy = box->Clone();
    EXPECT_EQ(dynamic_cast<const CRawTeXFigure&>(*copy).m_shownPaths, box->m_shownPaths);
    EXPECT_TRUE(copy->m_bSelectable);
}

// The points of every figure that is not kept text, in page units.
std::vector<CDoublePoint> FigurePoints(const CFigureList& list) {
    std::vector<CDoublePoint> out;
    for (int i = 0; i < list.GetCount(); ++i) {
        CDoublePoint p[CFigure::kMaxPoints];
        const int n = list.GetAt(i)->ReadPoints(p);
        out.insert(out.end(), p, p + n);
    }
    return out;
}

TEST(ForeignOnThePage, ADrawingOffThePageIsMovedOntoItAndWhatIsWrittenAnewGoesBack) {
    // TeXDraw's y grows upward: these lie above the page's top edge where their origin is.
    const std::string text = "\\begin{texdraw}\n\\move(0 0)\\lvec(2 1)\n"
                             "\\move(1 1)\\clvec(1.5 2)(2 0)(3 1)\n\\move(0 2)\\avec(1 2)\n"
                             "\\end{texdraw}\n";
    CFigureList list;
    ASSERT_TRUE(ReadTeXDrawText(text, "up.tex", list).ok);
    EXPECT_EQ(MakeTeXDrawDocument(list), text);
    const CDoublePoint origin = list.m_ptTeXDrawOrigin;
    EXPECT_GT(origin.y, 200.0);
    const std::vector<CDoublePoint> read = FigurePoints(list);
    ASSERT_EQ(read.size(), 8u);
    for (const CDoublePoint& p : read)
        EXPECT_TRUE(p.x >= 0 && p.y >= 0) << p.x << " " << p.y;

    // Every figure written anew, and one more drawn at a page point: read again, each is where
    // it was on the page.
    for (int i = 0; i < list.GetCount(); ++i)
        list.GetAt(i)->m_strReadBlock.clear();
    auto line = std::make_unique<CLine>();
    line->m_pt1 = origin + CDoublePoint{100, 0};
    line->m_pt2 = origin + CDoublePoint{300, -100};
    const CLine& added = *line;
    list.Add(std::move(line));
    const std::string written = MakeTeXDrawDocument(list);
    CFigureList again;
    ASSERT_TRUE(ReadTeXDrawText(written, "up.tex", again).ok);
    EXPECT_EQ(again.m_ptTeXDrawOrigin, origin);
    std::vector<CDoublePoint> expected = read;
    expected.push_back(added.m_pt1);
    expected.push_back(added.m_pt2);
    const std::vector<CDoublePoint> back = FigurePoints(again);
    ASSERT_EQ(back.size(), expected.size());
    for (std::size_t i = 0; i < back.size(); ++i) {
        EXPECT_NEAR(back[i].x, expected[i].x, 0.5) << i;
        EXPECT_NEAR(back[i].y, expected[i].y, 0.5) << i;
    }
}

TEST(ForeignOnThePage, KeptTextMovedAsAWholeDrawsTheSameThereAndLeavesTheRestWhereItWas) {
    // In centimetres at half the segment scale: a box from the file's own macro, then a line
    // that goes on from where the box leaves the current point.
    const std::string body =
        "\\def\\boxit#1{\\bsegment\\move(-1 -1)\\lvec(1 -1)\\lvec(1 1)\\htext(0 0){#1}"
        "\\esegment\\rmove(1 0)}\n\\drawdim cm \\setsegscale 0.5\n\\move(0 0)\\lvec(1 0)\n"
        "\\move(2 -2)\\boxit{A}\n\\rlvec(2 0)\\lvec(6 1)\n";
    const std::string text = "\\begin{texdraw}\n" + body + "\\end{texdraw}\n";
    CFigureList list;
    ASSERT_TRUE(ReadTeXDrawText(text, "box.tex", list).ok);
    CRawTeXFigure* box = nullptr;
    for (int i = 0; i < list.GetCount(); ++i)
        if (auto* raw = dynamic_cast<CRawTeXFigure*>(list.GetAt(i)))
            if (raw->m_strText.find("boxit") != std::string::npos)
                box = raw;
    ASSERT_NE(box, nullptr);
    ASSERT_TRUE(box->m_bMovable) << box->m_strText;
    const CDoublePoint d{37, -23};
    box->MoveBy(d.x, d.y);
    // A line added to the drawing draws where it is on the page, whatever units it ends in.
    auto line = std::make_unique<CLine>();
    line->m_pt1 = {100, 100};
    line->m_pt2 = {250, 180};
    list.Add(std::move(line));
    const std::string written = MakeTeXDrawDocument(list);
    const auto bodyOf = [](const std::string& t) {
        const std::size_t b = t.find("\\begin{texdraw}") + 15, e = t.find("\\end{texdraw}");
        return t.substr(b, e - b);
    };
    const CTeXDrawProgram was = InterpretTeXDraw(bodyOf(text));
    const CTeXDrawProgram now = InterpretTeXDraw(bodyOf(written));
    EXPECT_TRUE(now.m_messages.empty()) << now.m_messages.front().m_strText;
    ASSERT_EQ(now.m_primitives.size(), was.m_primitives.size() + 1) << written;
    const CTeXDrawPrimitive& added = now.m_primitives.back();
    const CDoublePoint origin = list.m_ptTeXDrawOrigin;
    EXPECT_NEAR(added.m_pt1.x, 100 - origin.x, 0.34);
    EXPECT_NEAR(added.m_pt1.y, 100 - origin.y, 0.34);
    EXPECT_NEAR(added.m_pt2.x, 250 - origin.x, 0.34);
    EXPECT_NEAR(added.m_pt2.y, 180 - origin.y, 0.34);
    // The box's two pieces and text (after the first line) moved by d (within TeXDraw's 1/300 in),
    // the lines after it not.
    for (std::size_t i = 0; i < was.m_primitives.size(); ++i) {
        const CDoublePoint shift = i >= 1 && i < 4 ? d : CDoublePoint{};
        for (auto pick : {&CTeXDrawPrimitive::m_pt1, &CTeXDrawPrimitive::m_pt2}) {
            if (pick == &CTeXDrawPrimitive::m_pt2 &&
                was.m_primitives[i].m_eKind == ETeXDrawPrimitive::Text)
                continue;
            EXPECT_NEAR((now.m_primitives[i].*pick).x, (was.m_primitives[i].*pick).x + shift.x,
                        0.34)
                << i << written;
            EXPECT_NEAR((now.m_primitives[i].*pick).y, (was.m_primitives[i].*pick).y + shift.y,
                        0.34)
                << i;
        }
    }
    // Moved back, it writes its text alone again.
    box->MoveBy(-d.x, -d.y);
    list.RemoveAndDelete(list.GetCount() - 1);
    EXPECT_EQ(MakeTeXDrawDocument(list), text);
}

} // namespace
