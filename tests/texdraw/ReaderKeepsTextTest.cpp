// Text the reader does not recognise is kept as it stands, in its place, and written back
// unchanged; only stretches with more than white space are counted.
#include "ReaderTestUtil.h"

namespace {

const std::string kLine = "\n%begin line\n\\move(1.00 -1.00)\n\\lvec(2.00 -2.00)\n%end line\n";
const std::string kArrow = "%begin arrow\n\\move(1.00 -1.00)\n\\avec(2.00 -2.00)\n%end arrow\n";
const std::string kText = "%begin textrectangle\n\n%begin rectangle\n"
                          "\\move(1.00 -1.00)\n\\lvec(1.00 -1.50)\n\\move(1.00 -1.00)\n"
                          "\\lvec(2.00 -1.00)\n\\move(2.00 -1.50)\n\\lvec(2.00 -1.00)\n"
                          "\\move(2.00 -1.50)\n\\lvec(1.00 -1.50)\n%end rectangle\n\n"
                          "\\textref h:C v:C\n\\htext (1.50 -1.25){Label}\n%end textrectangle\n";

struct CKeepCase {
    const char* name;
    std::string body;
    std::vector<std::string> classes;
    std::vector<int> keptLines; // first line of each counted stretch; the body starts on line 7
};

class ReaderKeepsText : public testing::TestWithParam<CKeepCase> {};

TEST_P(ReaderKeepsText, KeepsItInPlaceAndWritesItBack) {
    const CKeepCase& c = GetParam();
    const std::string text = TestDocument(c.body);
    CReadBack back = ReadBack(text);
    ASSERT_TRUE(back.result.ok) << back.result.error;
    EXPECT_EQ(ClassesOf(back.list), c.classes);
    EXPECT_EQ(back.result.unrecognisedLines, c.keptLines);
    EXPECT_EQ(back.result.nUnrecognised, static_cast<int>(c.keptLines.size()));
    EXPECT_EQ(MakeTeXDrawDocument(back.list), text);
    for (int i = 0; i < back.list.GetCount(); ++i) {
        CFigure* f = back.list.GetAt(i);
        if (ClassOf(f) != "Raw")
            continue;
        // Kept text takes no part in anything on the canvas.
        EXPECT_FALSE(f->m_bSelectable);
        EXPECT_FALSE(f->HitTest({0, 0}, 1.0));
        EXPECT_FALSE(f->IntersectsRect({-10000, -10000, 10000, 10000}, 1.0));
        CPoint p{0, 0};
        EXPECT_FALSE(f->SnapToKeyPoint(p, 1.0));
        EXPECT_EQ(f->Clone()->ExportTeX(), f->ExportTeX());
    }
}

const CKeepCase kKeepCases[] = {
    {"EditorOutput", kLine + kArrow + kText, {"Line", "Arrow", "TextRectangle"}, {}},
    {"CommentBeforeEverything", "% drawn by hand\n" + kLine, {"Raw", "Line"}, {7}},
    {"OtherCommandsBetweenBlocks",
     kLine + "\\linewd 0.05\n\\move(0 0)\\lvec(1 1)\n" + kArrow,
     {"Line", "Raw", "Arrow"},
     {12}},
    {"UnknownBlockKind", "%begin foo\n\\move(0 0)\n%end foo\n" + kArrow, {"Raw", "Arrow"}, {7}},
    // White space alone is kept (so the bytes stay) but not counted.
    {"ExtraEmptyLines", "\n\n" + kLine + "\n  \n" + kArrow, {"Raw", "Line", "Raw", "Arrow"}, {}},
    // The writer puts an empty line before a line block; without it the block is another one's.
    {"LineBlockWithoutItsEmptyLine", kLine.substr(1) + kArrow, {"Raw", "Arrow"}, {7}},
    // Numbers written otherwise than the editor writes them: kept as they stand.
    {"HandWrittenNumbers",
     "\n%begin line\n\\move(1.5 -2)\n\\lvec(2.00 -2.00)\n%end line\n" + kArrow,
     {"Raw", "Arrow"},
     {7}},
    {"NotANumber",
     "\n%begin line\n\\move(abc -2.00)\n\\lvec(2.00 -2.00)\n%end line\n",
     {"Raw"},
     {7}},
    // A block that lost its end is kept; the next blocks are still recognised.
    {"BlockWithoutItsEnd",
     "\n%begin line\n\\move(1.00 -1.00)\n" + kLine + kArrow,
     {"Raw", "Line", "Arrow"},
     {7}},
    // A text block changed by hand stays text as a whole: its rectangle is not taken out of it.
    {"ChangedTextBlock",
     kText.substr(0, kText.find("\\textref")) + "\\textref h:L v:C\n\\htext (1.50 -1.25){Label}\n" +
         "%end textrectangle\n" + kLine,
     {"Raw", "Line"},
     {7}},
    {"UnbalancedBracesOutsideBlocks",
     "{{{ \\foo}\n" + kText + "}}\n",
     {"Raw", "TextRectangle", "Raw"},
     {7, 24}},
    // Shapes with pieces missing (an ellipse of two arcs, a rhomb of two sides) stay text.
    {"ShapesWithPiecesMissing",
     "\n%begin ellipse\n\\move(3.07 -3.50)\n\\clvec(2.01 -3.39)(2.14 -3.16)(2.30 -3.47)\n"
     "%end ellipse\n\n%begin rhomb\n\\move(1.00 -1.00)\n\\lvec(2.00 -2.00)\n%end rhomb\n" +
         kArrow,
     {"Raw", "Arrow"},
     {7}},
    {"NonAsciiOutsideBlocks", "% Zeichnung für Anna – ½\n" + kArrow, {"Raw", "Arrow"}, {7}},
};

INSTANTIATE_TEST_SUITE_P(Cases, ReaderKeepsText, testing::ValuesIn(kKeepCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Files from another system: carriage return and line feed throughout, a final line feed after
// the footer. Both are read; the next save writes line feeds only and stops at the footer.
TEST(ReaderLineEnds, CarriageReturnsAndFinalLineFeedAreAccepted) {
    const std::string unix = TestDocument(kLine + kText);
    std::string dos;
    for (char ch : unix + "\n") {
        if (ch == '\n')
            dos += '\r';
        dos += ch;
    }
    for (const std::string& text : {dos, unix + "\n", unix + "\n\n  \t"}) {
        CReadBack back = ReadBack(text);
        ASSERT_TRUE(back.result.ok) << back.result.error;
        EXPECT_EQ(ClassesOf(back.list), (std::vector<std::string>{"Line", "TextRectangle"}));
        EXPECT_EQ(MakeTeXDrawDocument(back.list), unix);
    }
}

} // namespace
