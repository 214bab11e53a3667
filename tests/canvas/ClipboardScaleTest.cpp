// The history and the clipboard across drawings of other unit scales: what is copied comes back
// as the same blocks, and lengths and texts keep the size they print at.
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

TEST(CanvasHistory, CopyThenPasteGivesTheSameBlocksAndGarbageChangesNothing) {
    CCanvasFixture f;
    f.RemovePicture();
    auto* a = f.Add<CTextEllipse>(100, 100, 180, 150);
    a->m_strText = "a $x^2$";
    f.Add<CLine>(20, 20, 60, 90);
    auto* c = f.Add<CBezierCurve>(300, 300, 400, 380);
    a->m_bSelected = c->m_bSelected = true;
    ASSERT_TRUE(f.canvas.GetClipboard().Copy());
    const std::string copied = f.host.clipboard;
    EXPECT_EQ(a->ExportTeX() + c->ExportTeX(), copied);

    CCanvasFixture empty;
    empty.RemovePicture();
    empty.host.clipboard = copied;
    ASSERT_TRUE(empty.canvas.GetClipboard().Paste());
    EXPECT_EQ("Paste", empty.canvas.GetUndoName());
    // Both moved 10 units on, selected alone; moved back they write the copied blocks.
    CFigureList& list = empty.canvas.GetDrawing().EditFigures();
    ASSERT_EQ(32, list.GetCount());
    EXPECT_TRUE(list.GetAt(30)->m_bSelected && list.GetAt(31)->m_bSelected);
    EXPECT_EQ((CDoublePoint{110, 110}), list.GetAt(30)->m_pt1);
    list.GetAt(30)->MoveBy(-10, -10);
    list.GetAt(31)->MoveBy(-10, -10);
    EXPECT_EQ(copied, empty.canvas.GetClipboard().GetSelectionTeXDrawText());

    // What no block of this editor is in, or what is broken, changes nothing and says why.
    const std::string before = empty.canvas.GetTeXDrawDocument();
    for (std::string junk : {std::string(), std::string("hello"), std::string("\0\xff\x80", 3),
                             std::string("%begin line\n\\move(1 2)\n"), std::string(300000, '%'),
                             std::string("\\end{texdraw}\n")}) {
        empty.host.messages.clear();
        EXPECT_FALSE(empty.canvas.GetClipboard().PasteText(junk));
        EXPECT_EQ(1u, empty.host.messages.size());
        EXPECT_EQ(before, empty.canvas.GetTeXDrawDocument());
    }
    EXPECT_EQ(1, empty.canvas.GetHistory().GetUndoCount());
    // Blocks among other text paste, the rest kept as it stands.
    EXPECT_TRUE(empty.canvas.GetClipboard().PasteText("Some words\n" + copied));
    EXPECT_EQ(35, list.GetCount());
    EXPECT_EQ("RawTeX", list.GetAt(32)->m_strType);
    EXPECT_FALSE(list.GetAt(32)->m_bSelected);
}

// Lengths of a style go on the clipboard as they print: copied from a drawing of scale 0.6 they
// are what prints, and pasted into a drawing of scale 1 or 2 they print as large again.
TEST(CanvasHistory, StyleLengthsCrossTheClipboardAtTheSizeTheyPrint) {
    CCanvasFixture f;
    f.RemovePicture();
    auto* line = f.Add<CArrow>(100, 100, 300, 100);
    CStyle style = line->m_style;
    style.dLineWidth = 3.0;
    style.pattern = {6.0, 3.0};
    line->ApplyStyle(style, kStyleOutline | kStylePattern | kStyleHeads);
    const double head = line->m_style.dHeadLength;
    // Widths keep the size they print at: at scale 0.6 they are kept 1 / 0.6 times as long.
    ASSERT_TRUE(f.canvas.GetStyles().SetUnitScale(0.6));
    line->m_bSelected = true;
    ASSERT_TRUE(f.canvas.GetClipboard().Copy());
    EXPECT_NE(f.host.clipboard.find("\\linewd 0.03\n"), std::string::npos) << f.host.clipboard;
    EXPECT_NE(f.host.clipboard.find("\\lpatt(0.06 0.03)"), std::string::npos);
    for (const double scale : {1.0, 2.0}) {
        CCanvasFixture other;
        other.RemovePicture();
        if (scale != 1.0) {
            ASSERT_TRUE(other.canvas.GetStyles().SetUnitScale(scale));
        }
        other.host.clipboard = f.host.clipboard;
        ASSERT_TRUE(other.canvas.GetClipboard().Paste());
        const CStyle& pasted = other.canvas.GetFigures().GetLast()->m_style;
        EXPECT_NEAR(pasted.dLineWidth * scale, 3.0, 1e-3);
        EXPECT_NEAR(pasted.dHeadLength * scale, head, 1e-3);
    }
}

// A label's text prints at its font's size whatever the unit scale, while the geometry prints at
// the scale: on the canvas it is 1 / scale as large, whether the label was there before the scale
// changed, placed after it, read back from the file, pasted from a drawing of another scale or
// brought back by undo.
TEST(CanvasHistory, LabelsShowAtTheSizeTheyPrintAtAnyUnitScale) {
    CCanvasFixture f;
    f.RemovePicture();
    auto* old = f.Add<CLabel>(100, 100, 100, 100);
    old->m_strText = "Old";
    const CRect atOne = old->GetBoundingRect(1.0);
    ASSERT_TRUE(f.canvas.GetStyles().SetUnitScale(0.5));
    f.canvas.SetToolFigure(std::make_unique<CLabel>());
    f.host.setTextAnswers.push_back("New");
    f.Press(f.ClientOf({300, 300}));
    f.Release(f.ClientOf({300, 300}));
    const CFigureList& list = f.canvas.GetFigures();
    const auto* placed = dynamic_cast<const CLabel*>(list.GetLast());
    ASSERT_NE(placed, nullptr);
    for (const CLabel* label : {static_cast<const CLabel*>(old), placed})
        EXPECT_DOUBLE_EQ(label->m_dEm, 2 * kLabelEm);
    const CRect atHalf = old->GetBoundingRect(1.0);
    EXPECT_NEAR(atHalf.Width(), 2 * atOne.Width(), 2);
    EXPECT_NEAR(atHalf.Height(), 2 * atOne.Height(), 2);

    CFigureList read;
    ASSERT_TRUE(ReadTeXDrawText(f.canvas.GetTeXDrawDocument(), "half.txt", read).ok);
    ASSERT_EQ(2, read.GetCount());
    EXPECT_DOUBLE_EQ(dynamic_cast<const CLabel*>(read.GetLast())->m_dEm, 2 * kLabelEm);

    f.canvas.SelectAll();
    ASSERT_TRUE(f.canvas.GetClipboard().Copy());
    CCanvasFixture other;
    other.RemovePicture();
    ASSERT_TRUE(other.canvas.GetStyles().SetUnitScale(2.0));
    other.host.clipboard = f.host.clipboard;
    ASSERT_TRUE(other.canvas.GetClipboard().Paste());
    EXPECT_DOUBLE_EQ(dynamic_cast<const CLabel*>(other.canvas.GetFigures().GetLast())->m_dEm,
                     kLabelEm / 2);

    f.canvas.Undo(); // the new label
    f.canvas.Undo(); // the scale
    EXPECT_DOUBLE_EQ(old->m_dEm, kLabelEm);
    EXPECT_EQ(atOne, old->GetBoundingRect(1.0));
}

} // namespace
