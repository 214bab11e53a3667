// Text carried over from another drawing (the clipboard): blocks alone or a whole document, with
// either line end; a reason for the user counts lines in the text as the user has it.
#include "texdraw/Fragment.h"
#include "common/AddFigure.h"
#include "figures/FigureList.h"
#include "figures/Line.h"
#include "figures/TextFigures.h"
#include "texdraw/Document.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

std::string WithCrLf(const std::string& text) {
    std::string out;
    for (char c : text)
        out += c == '\n' ? std::string("\r\n") : std::string(1, c);
    return out;
}

TEST(TeXDrawFragment, ReadsBlocksOrDocumentsWithEitherLineEndAndCountsLinesInTheText) {
    CFigureList drawing;
    AddFigure<CLine>(drawing, 10, 20, 110, 60);
    AddFigure<CTextRectangle>(drawing, 100, 100, 300, 160).SetText("A");
    const std::string blocks = drawing.GetTeXDrawText();
    const std::string document = MakeTeXDrawDocument(drawing);
    for (const std::string& text : {blocks, WithCrLf(blocks), document, WithCrLf(document)}) {
        CFigureList read;
        const CTeXDrawReadResult result = ReadTeXDrawFragment(text, "the clipboard", read);
        ASSERT_TRUE(result.ok) << result.error;
        EXPECT_EQ(0, result.nUnrecognised);
        EXPECT_EQ(blocks, read.GetTeXDrawText());
    }
    // Binary data after the two blocks: the reason names its line in the text given.
    const std::string binary("x\0y\n", 4);
    const int line = 1 + static_cast<int>(std::count(blocks.begin(), blocks.end(), '\n'));
    for (const std::string& text : {blocks + binary, WithCrLf(blocks + binary)}) {
        CFigureList read;
        const CTeXDrawReadResult result = ReadTeXDrawFragment(text, "the clipboard", read);
        EXPECT_FALSE(result.ok);
        EXPECT_EQ(0, read.GetCount());
        EXPECT_EQ(0u, result.error.rfind("the clipboard, line " + std::to_string(line) + ":", 0))
            << result.error;
    }
}

} // namespace
