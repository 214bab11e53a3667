// Logs of real latex runs (tests/latex/data, captured from the typesetting source of the drawing
// built below): the first error, its plain words, and the figure it is traced back to.
#include "latex/LatexLog.h"
#include "common/AddFigure.h"
#include "figures/FigureList.h"
#include "figures/Line.h"
#include "figures/TextFigures.h"
#include "latex/LatexSource.h"
#include "texdraw/Document.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

std::string ReadData(const std::string& name) {
    std::ifstream in("tests/latex/data/" + name, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// The drawing the logs were captured from: the text under test is figure 2.
void MakeDrawing(CFigureList& list, const std::string& text) {
    AddFigure<CLine>(list, 20, 20, 200, 60);
    AddFigure<CTextRectangle>(list, 100, 100, 300, 160).SetText("Fine");
    AddFigure<CTextRectangle>(list, 100, 200, 300, 260).SetText(text);
    AddFigure<CTextEllipse>(list, 100, 300, 300, 360).SetText("$x$");
}

TEST(LatexLog, FirstErrorTracedToItsFigure) {
    const struct {
        const char* name;
        const char* text;
        const char* preamble;
        const char* message; // TeX's words, empty for a clean run
        const char* plain;   // part of the explanation
        int figure;          // -1: no figure to blame
    } cases[] = {
        {"ok", "$\\alpha^2$", "\\usepackage{amsmath}", "", "", -1},
        {"percent", "50%", "", "Paragraph ended before", "\\%", 2},
        {"brace", "{x", "", "Paragraph ended before", "braces", 2},
        {"undefined", "\\foo{x}", "", "Undefined control sequence.", "Unknown command \\foo", 2},
        {"subscript", "a_1", "", "Missing $ inserted.", "outside $...$", 2},
        {"ampersand", "A & B", "", "Misplaced alignment tab character &.", "\\&", 2},
        {"package", "x", "\\usepackage{nosuchpackage}", "File `nosuchpackage.sty' not found",
         "nosuchpackage.sty is not installed", -1},
        // A file a text asks for and may not read stops TeX at the text's line.
        {"input", "\\input{/etc/hostname}", "", "File `/etc/hostname.tex' not found",
         "/etc/hostname", 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CFigureList list;
        MakeDrawing(list, c.text);
        const CTeXDrawLineMap map(list);
        const CTypesetSource source = MakeTypesetSource(c.preamble, map.GetDocument());
        // The captured logs belong to this source; a changed source needs them captured again.
        EXPECT_EQ(ReadData(std::string("latex-") + c.name + ".tex"), source.strText);
        const auto error = ParseLatexLog(ReadData(std::string("latex-") + c.name + ".log"));
        if (*c.message == 0) {
            EXPECT_FALSE(error.has_value());
            continue;
        }
        ASSERT_TRUE(error.has_value());
        EXPECT_NE(error->strMessage.find(c.message), std::string::npos) << error->strMessage;
        EXPECT_NE(ExplainLatexError(*error).find(c.plain), std::string::npos)
            << ExplainLatexError(*error);
        const int line = error->nLine - source.nDocumentLine + 1;
        const int figure = error->nLine == 0 ? -1 : FindErrorFigure(list, map, *error, line);
        EXPECT_EQ(figure, c.figure) << "source line " << error->nLine;
    }
}

TEST(LatexLog, LogBrokenAtTeXsWidthAndWithoutFileNames) {
    const auto error = ParseLatexLog(ReadData("latex-percent-wrapped.log"));
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->strMessage, "Paragraph ended before \\t@cmd was complete.");
    EXPECT_EQ(error->nLine, 52);
    EXPECT_TRUE(error->strFile.empty());
    EXPECT_TRUE(IsGroupingError(*error));
}

// Every line of every block maps back to the figure that wrote it, the header and footer to none,
// and the document is the writer's.
TEST(LatexLog, LineMapCoversEveryBlock) {
    CFigureList list;
    MakeDrawing(list, "two\nlines");
    auto grid = std::make_unique<CLine>();
    grid->m_crColor = 0xFF828A; // writes nothing
    list.Add(std::move(grid));
    AddFigure<CArrow>(list, 5, 5, 50, 50);
    const CTeXDrawLineMap map(list);
    ASSERT_EQ(map.GetDocument(), MakeTeXDrawDocument(list));
    std::istringstream doc(map.GetDocument());
    std::string line;
    int n = 0;
    int current = -1;
    std::vector<int> seen;
    while (std::getline(doc, line)) {
        ++n;
        if (line.starts_with("%begin ") && (current == -1 || map.FigureAt(n) != current)) {
            current = map.FigureAt(n);
            seen.push_back(current);
            EXPECT_EQ(map.FirstLineOf(current) <= n, true);
        }
        if (line == "\\begin{texdraw}" || line == "\\end{texdraw}") {
            EXPECT_EQ(map.FigureAt(n), -1) << n;
        } else if (line.starts_with("\\move") || line.starts_with("\\htext") || line == "lines}") {
            EXPECT_NE(map.FigureAt(n), -1) << n << ": " << line;
        }
    }
    EXPECT_EQ(n, map.GetLineCount());
    EXPECT_EQ(seen, (std::vector<int>{0, 1, 2, 3, 5}));
    EXPECT_EQ(map.FirstLineOf(4), 0);
    EXPECT_EQ(map.FigureAt(0), -1);
    EXPECT_EQ(map.FigureAt(n + 5), -1);
}

} // namespace
