// One figure of every kind exported into one document, and that document typeset by LaTeX's
// texdraw package (latex, then dvips) when TeX is installed: a block TeX rejects fails here.
#include "common/AddFigure.h"
#include "figures/BezierCurve.h"
#include "figures/FigureList.h"
#include "figures/Line.h"
#include "figures/Rectangle.h"
#include "figures/RotatableFigures.h"
#include "figures/TextFigures.h"
#include "texdraw/Document.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <unistd.h>

namespace {

void FillWithEveryKind(CFigureList& list) {
    AddFigure<CPictureFigure>(list, 7, 4, 49, 49);
    AddFigure<CLine>(list, 60, 20, 200, 60);
    AddFigure<CLine>(list, 60, 80, 200, 120).m_nPenStyle = kPenStyleDotted;
    AddFigure<CArrow>(list, 60, 140, 200, 180);
    AddFigure<CTextRectangle>(list, 240, 20, 400, 80).SetText("Quodra");
    AddFigure<CTextEllipse>(list, 240, 100, 400, 180).SetText("$x^2$");
    AddFigure<CTextRhomb>(list, 240, 200, 400, 280).SetText("Rhomb");
    AddFigure<CBezierCurve>(list, 60, 200, 200, 280);
    AddFigure<CRectangle>(list, 440, 20, 600, 80);
    AddFigure<CRotatableRectangle>(list, 440, 120, 600, 180).SetHandlePoint(4, 560, 90, 1.0);
    AddFigure<CRotatableEllipse>(list, 440, 220, 600, 280).SetHandlePoint(4, 620, 200, 1.0);
}

int Count(const std::string& text, const std::string& what) {
    int n = 0;
    for (auto pos = text.find(what); pos != std::string::npos; pos = text.find(what, pos + 1))
        ++n;
    return n;
}

TEST(EveryFigureDocument, HoldsOneBlockPerFigure) {
    CFigureList list;
    FillWithEveryKind(list);
    const std::string doc = MakeTeXDrawDocument(list);
    const struct {
        const char* marker;
        int count;
    } cases[] = {
        {"%begin line\n", 2},
        {"\\lpatt(0.03 0.05)\n", 1},
        {"%begin arrow\n", 1},
        {"%begin textrectangle\n", 1},
        {"%begin textellipse\n", 1},
        {"%begin textrhomb\n", 1},
        {"%begin rhomb\n", 1},
        {"%begin bz\n", 1},
        {"%begin ellipse\n", 2},
        {"%begin rectangle\n", 4}, // text rectangle, picture, plain and turned rectangle
        {"\\htext (3.20 -0.50){Quodra}\n", 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Count(doc, c.marker), c.count) << c.marker;
}

// Runs a command in `dir`, its output into `log`; true when it exits with 0.
bool RunIn(const std::filesystem::path& dir, const std::string& command, const char* log) {
    const std::string line = "cd '" + dir.string() + "' && " + command + " >" + log + " 2>&1";
    return std::system(line.c_str()) == 0;
}

std::string ReadFile(const std::filesystem::path& p) {
    std::ifstream in(p);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST(EveryFigureDocument, TypesetsWithLatexAndDvips) {
    if (std::system("command -v latex >/dev/null 2>&1 && command -v dvips >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "latex or dvips is not installed; the TeXDraw output is not typeset";

    CFigureList list;
    FillWithEveryKind(list);
    // QUODRA_LATEX_DIR keeps the files (main.tex, figures.tex, main.ps) for a look.
    const char* keep = std::getenv("QUODRA_LATEX_DIR");
    const auto dir = keep ? std::filesystem::path(keep)
                          : std::filesystem::temp_directory_path() /
                                ("quodra-latex-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    std::ofstream(dir / "figures.tex") << MakeTeXDrawDocument(list) << "\n";
    std::ofstream(dir / "main.tex") << "\\documentclass{article}\n"
                                       "\\usepackage{texdraw}\n"
                                       "\\begin{document}\n"
                                       "\\input{figures}\n"
                                       "\\end{document}\n";

    const bool latex =
        RunIn(dir, "latex -interaction=nonstopmode -halt-on-error main.tex", "latex.out");
    EXPECT_TRUE(latex) << ReadFile(dir / "latex.out");
    if (latex) {
        const bool dvips = RunIn(dir, "dvips -q -o main.ps main.dvi", "dvips.out");
        EXPECT_TRUE(dvips) << ReadFile(dir / "dvips.out");
        EXPECT_GT(std::filesystem::file_size(dir / "main.ps"), 0u);
    }
    if (HasFailure())
        ADD_FAILURE() << "the files are kept in " << dir;
    else if (!keep)
        std::filesystem::remove_all(dir);
}

} // namespace
