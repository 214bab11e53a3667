// Drawings that people and other programs wrote: every one opens, saves back byte for byte, the
// figures the editor has become figures, a changed figure changes only its own text, and LaTeX
// prints the same picture when every recognised figure is written in the editor's own words.
#include "texdraw/ReaderTestUtil.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// Hand-written in the idioms of TeXDraw's manual, with what stands around drawings in documents.
const char* const kDrawings[] = {
    // Lines, arrows and a curve in inches, a comment a program keeps its data in, text before.
    ("% A figure for chapter 2\n\\def\\mybox{\\lvec(1 0)\\lvec(1 1)}\n"
     "\\begin{center}\n\\begin{texdraw}\n\\drawdim in\n\\arrowheadtype t:F\n"
     "\\move (0 0) \\lvec (1 0.5)\n\\move(0 1)\\avec(1.5 1) %E0 12 4\n"
     "\\move (0.2 -0.5) \\clvec (0.5 0)(1 -1)(1.5 -.5)\n\\textref h:C v:C \\htext (0.75 "
     "1.3){$x^2$}\n"
     "\\lcir r:0.3\n\\move(2 0)\\mybox\n\\end{texdraw}\n\\end{center}\nMore text.\n"),
    // The centred macro, centimetres, segments and saved positions, a filled polygon.
    ("\\centertexdraw{\n  \\drawdim cm \\linewd 0.02\n  \\move(0 0) \\lvec(2 0) \\lvec(2 2) "
     "\\lvec(0 2) \\lfill f:0.8\n  \\bsegment \\move(1 1) \\avec(2 2) \\esegment\n"
     "  \\savecurrpos (*a *b)\n  \\move(*a *b) \\larc r:1 sd:0 ed:90\n}\n"),
    // Plain delimiters, two drawings (the second is kept as it stands), CRLF line ends.
    ("\\btexdraw\r\n\\move(0 0)\\lvec(.5 .5)\r\n\\move(1 0) \\lvec(1,5 -0.5)\r\n\\etexdraw\r\n"
     "\\btexdraw \\move(0 0) \\lvec(1 1) \\etexdraw\r\n"),
};

std::string GnuplotDrawing() {
    const fs::path dir = fs::temp_directory_path() / ("quodra-gnuplot-" + std::to_string(getpid()));
    fs::create_directories(dir);
    const std::string command = "cd '" + dir.string() +
                                "' && gnuplot -e \"set terminal texdraw; set output 'plot.tex'; "
                                "plot sin(x), x*x/20 with linespoints\" >/dev/null 2>&1";
    std::string text;
    if (std::system(command.c_str()) == 0) {
        std::ifstream in(dir / "plot.tex", std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        text = s.str();
    }
    fs::remove_all(dir);
    return text;
}

std::vector<std::string> TestSet() {
    std::vector<std::string> set(std::begin(kDrawings), std::end(kDrawings));
    if (const std::string plot = GnuplotDrawing(); !plot.empty())
        set.push_back(plot);
    return set;
}

int CountFigures(const CFigureList& list) {
    int n = 0;
    for (int i = 0; i < list.GetCount(); ++i)
        n += dynamic_cast<const CRawTeXFigure*>(list.GetAt(i)) ? 0 : 1;
    return n;
}

TEST(ForeignDrawings, OpenSaveBackByteForByteAndAChangeStaysInItsFigure) {
    const std::vector<int> wantFigures{6, 3, 2};
    const auto set = TestSet();
    for (std::size_t d = 0; d < set.size(); ++d) {
        CReadBack r = ReadBack(set[d], "foreign.tex");
        ASSERT_TRUE(r.result.ok) << d << ": " << r.result.error;
        EXPECT_TRUE(r.result.bForeign);
        EXPECT_EQ(MakeTeXDrawDocument(r.list), set[d]) << d;
        if (d < wantFigures.size()) {
            EXPECT_EQ(CountFigures(r.list), wantFigures[d]) << d;
        }
        // Moving one figure changes its own text and nothing around it.
        for (int i = 0; i < r.list.GetCount(); ++i) {
            CFigure* f = r.list.GetAt(i);
            if (dynamic_cast<CRawTeXFigure*>(f))
                continue;
            const std::string before = f->GetTeXDrawBlock();
            f->MoveBy(10, 0);
            const std::string saved = MakeTeXDrawDocument(r.list);
            const std::size_t at = set[d].find(before);
            ASSERT_NE(at, std::string::npos);
            EXPECT_EQ(saved.substr(0, at), set[d].substr(0, at)) << d;
            const std::size_t tail = set[d].size() - at - before.size();
            EXPECT_EQ(saved.substr(saved.size() - tail), set[d].substr(set[d].size() - tail)) << d;
            EXPECT_NE(f->GetTeXDrawBlock(), before);
            break;
        }
    }
    EXPECT_EQ(ReadBack(kDrawings[2]).result.nFurtherDrawings, 1);
}

// The ink of a TeXDraw text typeset by latex, dvips and Ghostscript at 100 dpi, as rows of
// 0/1 (empty when the toolchain failed).
std::vector<std::string> Typeset(const std::string& drawing, const fs::path& dir) {
    fs::create_directories(dir);
    std::ofstream(dir / "drawing.tex", std::ios::binary) << drawing << "\n";
    std::ofstream(dir / "main.tex") << "\\documentclass{article}\\usepackage{texdraw}"
                                       "\\pagestyle{empty}\\begin{document}\\input{drawing}"
                                       "\\end{document}\n";
    const std::string command =
        "cd '" + dir.string() +
        "' && latex -interaction=nonstopmode -halt-on-error main.tex >latex.out 2>&1 && "
        "dvips -q -o main.ps main.dvi >dvips.out 2>&1 && gs -q -dSAFER -dBATCH -dNOPAUSE "
        "-sDEVICE=pbmraw -r100 -sOutputFile=main.pbm main.ps >gs.out 2>&1";
    if (std::system(command.c_str()) != 0)
        return {};
    std::ifstream in(dir / "main.pbm", std::ios::binary);
    // "P4", comment lines, the width and the height, one blank, then the rows.
    std::string token;
    std::vector<int> size;
    while (size.size() < 2 && in >> token) {
        if (token.front() == '#')
            std::getline(in, token);
        else if (token != "P4")
            size.push_back(std::atoi(token.c_str()));
    }
    in.get();
    if (size.size() < 2)
        return {};
    const int w = size[0], h = size[1];
    std::vector<std::string> rows(h, std::string(w, '0'));
    const int stride = (w + 7) / 8;
    std::vector<unsigned char> row(stride);
    for (int y = 0; y < h; ++y) {
        in.read(reinterpret_cast<char*>(row.data()), stride);
        for (int x = 0; x < w; ++x)
            rows[y][x] = (row[x / 8] >> (7 - x % 8)) & 1 ? '1' : '0';
    }
    return rows;
}

// Pixels of a with no ink of b within 2 pixels.
int InkAlone(const std::vector<std::string>& a, const std::vector<std::string>& b) {
    int alone = 0;
    for (int y = 0; y < int(a.size()); ++y)
        for (int x = 0; x < int(a[y].size()); ++x) {
            if (a[y][x] != '1')
                continue;
            bool near = false;
            for (int dy = -2; dy <= 2 && !near; ++dy)
                for (int dx = -2; dx <= 2 && !near; ++dx) {
                    const int yy = y + dy, xx = x + dx;
                    near = yy >= 0 && yy < int(b.size()) && xx >= 0 && xx < int(b[yy].size()) &&
                           b[yy][xx] == '1';
                }
            alone += !near;
        }
    return alone;
}

TEST(ForeignDrawings, PrintTheSamePictureWithEveryFigureInTheEditorsWords) {
    if (std::system("command -v latex >/dev/null 2>&1 && command -v dvips >/dev/null 2>&1 && "
                    "command -v gs >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "the LaTeX toolchain is not installed";
    const fs::path dir = fs::temp_directory_path() / ("quodra-foreign-" + std::to_string(getpid()));
    const auto set = TestSet();
    for (std::size_t d = 0; d < set.size(); ++d) {
        if (set[d].find("\\etexdraw\r\n\\btexdraw") != std::string::npos)
            continue; // two drawings: both print, the second is not the editor's
        CReadBack r = ReadBack(set[d], "foreign.tex");
        ASSERT_TRUE(r.result.ok);
        for (int i = 0; i < r.list.GetCount(); ++i)
            r.list.GetAt(i)->m_strReadBlock.clear(); // as if every figure had been changed
        const auto original = Typeset(set[d], dir / "a");
        const auto rewritten = Typeset(MakeTeXDrawDocument(r.list), dir / "b");
        ASSERT_FALSE(original.empty()) << d;
        ASSERT_FALSE(rewritten.empty()) << d;
        EXPECT_EQ(InkAlone(original, rewritten), 0) << d;
        EXPECT_EQ(InkAlone(rewritten, original), 0) << d;
    }
    fs::remove_all(dir);
}

} // namespace
