// Styled figures of every kind, at every unit scale the panel offers: each block reads back into a
// figure of the same class and style (never kept as text), and the drawing saves to the same bytes;
// a figure in its kind's default style writes exactly the block it always wrote.
#include "common/RandomDrawing.h"
#include "figures/StyleTeX.h"
#include "texdraw/ReaderTestUtil.h"

#include <gtest/gtest.h>

namespace {

// The values of a figure's style that its block writes: heads' type and size only with heads.
CStyle Written(const CFigure& f) {
    CStyle s = f.m_style;
    if (s.eHeads == EArrowHeads::None)
        s.cHeadType = kDefaultHeadType, s.dHeadLength = kDefaultHeadLength,
        s.dHeadWidth = kDefaultHeadWidth;
    return s;
}

TEST(StyleRoundTrip, EveryStyledFigureReadsBackIntoTheSameBytes) {
    CRandomDrawing gen(20261208);
    for (int round = 0; round < 300; ++round) {
        CFigureList list;
        list.m_dUnitScale = std::vector{1.0, 0.3, 0.5, 2.0}[round % 4];
        for (int i = 0; i < kFigureKinds; ++i) {
            auto f = gen.Make(static_cast<EFigureKind>(i));
            f->ApplyStyle(gen.RandomStyle(), gen.Int(0, 1) ? kStyleAll : 1u + gen.Int(0, 126));
            list.Add(std::move(f));
        }
        const std::string saved = MakeTeXDrawDocument(list);
        CReadBack r = ReadBack(saved);
        ASSERT_TRUE(r.result.ok) << r.result.error;
        ASSERT_EQ(r.result.nUnrecognised, 0)
            << "line " << r.result.unrecognisedLines.front() << " of\n"
            << saved;
        ASSERT_EQ(r.list.GetCount(), list.GetCount()) << saved;
        EXPECT_EQ(r.list.m_dUnitScale, list.m_dUnitScale);
        // Every value comes back as it was given (a head at the start alone is read as one at
        // the end of the line turned round).
        for (int i = 0; i < list.GetCount(); ++i)
            if (list.GetAt(i)->m_style.eHeads != EArrowHeads::Start) {
                EXPECT_TRUE(Written(*r.list.GetAt(i)) == Written(*list.GetAt(i))) << saved;
            }
        ASSERT_EQ(MakeTeXDrawDocument(r.list), saved);
    }
}

TEST(StyleRoundTrip, DefaultStylesWriteNoStyleLinesAndStrangeOnesStayText) {
    CRandomDrawing gen(7);
    for (int i = 0; i < 12; ++i) {
        const auto f = gen.Make(static_cast<EFigureKind>(i));
        std::string prologue;
        AppendStylePrologue(prologue, *f);
        // The dotted line's own pattern line is the only one a default figure writes.
        EXPECT_EQ(prologue, i == 1 ? "\\lpatt(0.03 0.05)\n" : "") << i;
    }
    // A width of another form, a grey above white, an unknown head type: kept as written.
    for (const char* line : {"\\linewd 0.012345678\n", "\\setgray 1.5\n", "\\linewd -1\n"}) {
        const std::string block = std::string("\n%begin line\n") + line +
                                  "\\move (1.00 -1.00)\n\\lvec (2.00 -2.00)\n%end line\n";
        CReadBack r = ReadBack(MakeTeXDrawDocument(block));
        ASSERT_TRUE(r.result.ok);
        EXPECT_EQ(r.result.nUnrecognised, 1) << line;
        EXPECT_EQ(MakeTeXDrawDocument(r.list), MakeTeXDrawDocument(block));
    }
}

} // namespace
