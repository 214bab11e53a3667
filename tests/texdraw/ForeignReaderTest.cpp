// Drawings that people and other programs wrote: every one opens, saves back byte for byte, the
// figures the editor has become figures, a changed figure changes only its own text, and LaTeX
// prints the same picture when every recognised figure is written in the editor's own words.
#include "texdraw/HandWrittenDrawings.h"
#include "texdraw/ReaderTestUtil.h"
#include "texdraw/Surroundings.h"
#include "texdraw/TypesetInk.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string_view>

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
     "\\btexdraw \\move(0 0) \\lvec(1 1) \\etexdraw\r\n"), // A labelled axis plot: heads, ticks by
                                                           // relative vectors, labels, a styled
                                                           // polyline, marks.
    R"TD(\begin{texdraw}
\drawdim cm \setunitscale 0.8
\arrowheadtype t:V \arrowheadsize l:0.3 w:0.2
\move(0 0) \avec(6 0)
\move(0 0) \avec(0 4)
\textref h:C v:T \htext(6 -0.2){$x$}
\move(1 0) \rlvec(0 -0.1) \htext(1 -0.2){1}
\move(2 0) \rlvec(0 -0.1) \htext(2 -0.2){2}
\move(3 0) \rlvec(0 -0.1) \htext(3 -0.2){3}
\move(4 0) \rlvec(0 -0.1) \htext(4 -0.2){4}
\move(5 0) \rlvec(0 -0.1) \htext(5 -0.2){5}
\textref h:R v:C \htext(-0.2 4){$y$}
\move(0 1) \rlvec(-0.1 0) \htext(-0.2 1){1}
\move(0 2) \rlvec(-0.1 0) \htext(-0.2 2){2}
\move(0 3) \rlvec(-0.1 0) \htext(-0.2 3){3}
\linewd 0.03 \setgray 0.3
\move(0 0.5) \lvec(1 1.2) \lvec(2 1.6) \lvec(3 2.4) \lvec(4 2.9) \lvec(5 3.5)
\setgray 0 \linewd 0.01
\move(1 1.2) \lcir r:0.06
\move(3 2.4) \lcir r:0.06
\move(5 3.5) \lcir r:0.06
\lpatt(0.1 0.1)
\move(0 3.5) \lvec(5.5 3.5)
\lpatt()
\textref h:L v:B \rtext td:35 (2.2 2.1){measured}
\end{texdraw}
)TD",
    // A flowchart: boxes and a decision as polygons, one filled, arrows, labels, a curve.
    R"TD(\begin{figure}[ht]
\centering
\begin{texdraw}
\drawdim in \setunitscale 1.2
\textref h:C v:C
\move(0 0) \lvec(1.2 0) \lvec(1.2 0.5) \lvec(0 0.5) \lvec(0 0)
\htext(0.6 0.25){Start}
\move(0.6 0) \avec(0.6 -0.4)
\move(0 -0.4) \rlvec(1.2 0) \rlvec(0 -0.5) \rlvec(-1.2 0) \rlvec(0 0.5)
\htext(0.6 -0.65){Read $n$}
\move(0.6 -0.9) \avec(0.6 -1.3)
\move(0.6 -1.3) \lvec(1.2 -1.6) \lvec(0.6 -1.9) \lvec(0 -1.6) \lvec(0.6 -1.3) \ifill f:0.95
\move(0.6 -1.3) \lvec(1.2 -1.6) \lvec(0.6 -1.9) \lvec(0 -1.6) \lvec(0.6 -1.3)
\htext(0.6 -1.6){$n>0$?}
\move(1.2 -1.6) \avec(1.8 -1.6)
\htext(1.5 -1.5){\small yes}
\move(1.8 -1.35) \lvec(3 -1.35) \lvec(3 -1.85) \lvec(1.8 -1.85) \lvec(1.8 -1.35)
\lfill f:0.9
\htext(2.4 -1.6){Print $n$}
\move(2.4 -1.85) \lvec(2.4 -2.3) \avec(0.6 -2.3)
\move(0.6 -1.9) \avec(0.6 -2.6)
\htext(0.75 -2.1){\small no}
\move(0.6 -2.85) \lellip rx:0.6 ry:0.25
\htext(0.6 -2.85){Stop}
\move(1.2 0.25) \clvec(2.4 0.25)(3.2 -0.2)(2.4 -1.35)
\end{texdraw}
\caption{The loop.}
\end{figure}
)TD",
    // Circles (one filled under its outline), arcs, an ellipse in a scaled segment, a saved
    // position, dashes.
    R"TD(\begin{texdraw}
\drawdim mm \setunitscale 1.5
\linewd 0.3
\move(0 0) \fcir f:0.8 r:6 \lcir r:6
\textref h:C v:C \htext(0 0){$O$}
\move(40 0) \lcir r:6 \htext(40 0){$P$}
\move(6 0) \avec(34 0)
\move(0 0) \larc r:12 sd:0 ed:60
\move(20 20) \bsegment
  \setsegscale 2
  \move(0 0) \lellip rx:5 ry:3
  \move(-5 0) \lvec(5 0)
  \move(0 0) \larc r:4 sd:200 ed:340
\esegment
\move(20 20) \rmove(0 -10) \lcir r:2
\linewd 0.15 \lpatt(1 1)
\move(0 0) \lvec(20 20) \lvec(40 0)
\lpatt()
\savecurrpos(*p *q)
\move(*p *q) \rlvec(0 -15) \rlvec(-40 0) \rlvec(0 15)
\move(40 -15) \fellip f:0.5 rx:8 ry:4 \lellip rx:8 ry:4
\move(30 -25) \fcir f:0 r:1.5 \move(10 -25) \fellip f:0.3 rx:3 ry:2
\move(-10 -30) \lvec(0 -30) \lvec(-5 -22) \ifill f:0.6
\end{texdraw}
)TD",
};

std::string GnuplotDrawing(const std::string& plot) {
    const fs::path dir = fs::temp_directory_path() / ("quodra-gnuplot-" + std::to_string(getpid()));
    fs::create_directories(dir);
    const std::string command = "cd '" + dir.string() +
                                "' && gnuplot -e \"set terminal texdraw; set output 'plot.tex'; " +
                                plot + "\" >/dev/null 2>&1";
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
    set.insert(set.end(), std::begin(kHandWrittenDrawings), std::end(kHandWrittenDrawings));
    // A plot of lines and points, and one of filled boxes (each a path filled alone).
    for (const char* plot : {"plot sin(x), x*x/20 with linespoints",
                             "set style fill solid 0.5; plot [0:5] x**2 with boxes"})
        if (const std::string drawing = GnuplotDrawing(plot); !drawing.empty())
            set.push_back(drawing);
    return set;
}

int CountFigures(const CFigureList& list) {
    int n = 0;
    for (int i = 0; i < list.GetCount(); ++i)
        n += dynamic_cast<const CRawTeXFigure*>(list.GetAt(i)) ? 0 : 1;
    return n;
}

// TeXDraw's drawing commands in a text: what puts ink on the page or moves to where it goes.
std::size_t DrawingCommands(const std::string& text) {
    static const std::regex kCommand(
        R"(\\(r?move|r?lvec|r?avec|clvec|lcir|fcir|lellip|fellip|larc|lfill|ifill|htext|vtext|rtext)(?![A-Za-z]))");
    return static_cast<std::size_t>(std::distance(
        std::sregex_iterator(text.begin(), text.end(), kCommand), std::sregex_iterator()));
}

// The drawing commands of the list's drawing body kept as text, and of the whole body.
std::pair<std::size_t, std::size_t> VerbatimCommands(const CFigureList& list) {
    std::size_t kept = 0;
    for (int i = 0; i < list.GetCount(); ++i)
        if (const auto* raw = dynamic_cast<const CRawTeXFigure*>(list.GetAt(i)))
            kept += DrawingCommands(raw->m_strText);
    return {kept, DrawingCommands(list.GetTeXDrawText())};
}

TEST(ForeignDrawings, OpenSaveBackByteForByteAndAChangeStaysInItsFigure) {
    const std::vector<int> wantFigures{6, 3, 2, 26, 18, 16};
    const auto set = TestSet();
    std::size_t kept = 0, body = 0;
    for (std::size_t d = 0; d < set.size(); ++d) {
        CReadBack r = ReadBack(set[d], "foreign.tex");
        ASSERT_TRUE(r.result.ok) << d << ": " << r.result.error;
        EXPECT_TRUE(r.result.bForeign);
        EXPECT_EQ(MakeTeXDrawDocument(r.list), set[d]) << d;
        if (d < wantFigures.size()) {
            EXPECT_EQ(CountFigures(r.list), wantFigures[d]) << d;
        }
        const auto [k, b] = VerbatimCommands(r.list);
        kept += k;
        body += b;
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
    // The drawing commands that stay text, over the drawings' bodies (a user macro's call counts
    // for what it draws only where the macro is defined in the drawing).
    const double share = double(kept) / double(body);
    std::printf("verbatim share: %zu of %zu drawing commands (%.3f) over %zu drawings\n", kept,
                body, share, set.size());
    EXPECT_LE(share, 0.10);
}

// A file of several drawings: any of them opens, listed by its first statements; a change to it
// leaves the others, before and after, byte for byte.
TEST(ForeignDrawings, AnyDrawingOfAFileOpensAndTheOthersStayAsTheyAre) {
    const std::string text = "Intro.\n\\begin{texdraw}\n\\move(0 0)\\lvec(1 1)\n\\end{texdraw}\n"
                             "Middle.\n\\btexdraw \\drawdim cm\n\\move(0 0)\\lcir r:1\n\\etexdraw\n"
                             "\\centertexdraw{\\move(2 2)\\avec(3 3)}\nEnd.\n";
    const std::vector<CTeXDrawListing> listed = ListTeXDrawDrawings(text);
    ASSERT_EQ(listed.size(), 3u);
    EXPECT_EQ(listed[1].m_nLine, 6);
    EXPECT_EQ(listed[1].m_strFirstLine, "\\drawdim cm");
    EXPECT_EQ(listed[2].m_strFirstLine, "\\move(2 2)\\avec(3 3)");
    const char* const kinds[] = {"Line", "Circle", "Arrow"};
    for (int d = 0; d < 3; ++d) {
        CFigureList list;
        const CTeXDrawReadResult r = ReadTeXDrawText(text, "three.tex", list, d);
        ASSERT_TRUE(r.ok) << r.error;
        EXPECT_EQ(r.nEarlierDrawings, d);
        EXPECT_EQ(r.nFurtherDrawings, 2 - d);
        EXPECT_EQ(MakeTeXDrawDocument(list), text);
        CFigure* figure = nullptr;
        for (int i = 0; i < list.GetCount() && !figure; ++i)
            if (!dynamic_cast<CRawTeXFigure*>(list.GetAt(i)))
                figure = list.GetAt(i);
        ASSERT_NE(figure, nullptr);
        EXPECT_EQ(ClassOf(figure), kinds[d]);
        const std::string before = figure->GetTeXDrawBlock();
        figure->MoveBy(20, 0);
        const std::string saved = MakeTeXDrawDocument(list);
        const std::size_t at = text.find(before);
        ASSERT_NE(at, std::string::npos);
        EXPECT_EQ(saved.substr(0, at), text.substr(0, at));
        const std::size_t tail = text.size() - at - before.size();
        EXPECT_EQ(saved.substr(saved.size() - tail), text.substr(text.size() - tail));
    }
    CFigureList none;
    const CTeXDrawReadResult r = ReadTeXDrawText(text, "three.tex", none, 3);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.error.find("holds 3 drawing(s), not 4"), std::string::npos) << r.error;
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

// Chained curves are paths; the editor's state in a comment after each stays with its path, and
// goes only with the path's own text once that path is changed.
TEST(ForeignDrawings, PathsKeepTheCommentsThatFollowThem) {
    const std::string drawing = *std::find_if(
        std::begin(kHandWrittenDrawings), std::end(kHandWrittenDrawings),
        [](const char* d) { return std::string_view(d).find("%S0{") != std::string_view::npos; });
    CReadBack r = ReadBack(drawing, "foreign.tex");
    ASSERT_TRUE(r.result.ok);
    std::vector<CFigure*> paths;
    for (int i = 0; i < r.list.GetCount(); ++i)
        if (r.list.GetAt(i)->m_strType == kTypePath)
            paths.push_back(r.list.GetAt(i));
    ASSERT_EQ(paths.size(), 3u);
    for (int i = 0; i < 3; ++i)
        EXPECT_NE(paths[i]->GetTeXDrawBlock().find("%S" + std::to_string(i) + "{"),
                  std::string::npos);
    paths[1]->MoveBy(10, 0);
    const std::string saved = MakeTeXDrawDocument(r.list);
    EXPECT_NE(saved.find("%S0{\"type\":\"roundrect\",\"r\":0.5}\n"), std::string::npos);
    EXPECT_NE(saved.find(" %S2{\"type\":\"lens\"}\n"), std::string::npos);
    EXPECT_EQ(saved.find("\\clvec(5.5 1)"), std::string::npos);
}

// A figure moved in a drawing of its own frame (centimetres, a unit scale, a segment with its own
// scale and style) prints at its new place, and everything after it where it was, in its style.
TEST(ForeignDrawings, AMovedFigurePrintsThereAndLeavesTheRestInPlace) {
    if (std::system("command -v latex >/dev/null 2>&1 && command -v dvips >/dev/null 2>&1 && "
                    "command -v gs >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "the LaTeX toolchain is not installed";
    const std::string drawing = R"TD(\begin{texdraw}
\drawdim cm \setunitscale 0.5
\move(0 0) \lvec(12 0) \lvec(12 8) \lvec(0 8) \lvec(0 0)
\move(2 2) \bsegment \setsegscale 2
  \linewd 0.04 \lpatt(0.5 0.5)
  \move(0 0) \lvec(2 1)
  \rmove(0 1) \rlvec(2 1)
  \lcir r:0.5
\esegment
\move(6 6) \lcir r:1
\end{texdraw})TD";
    // The line moved by 0.5 in, 1.27 of the segment's centimetres, written by hand.
    std::string expected = drawing;
    const std::string line = "\\move(0 0) \\lvec(2 1)";
    expected.replace(expected.find(line), line.size(), "\\move(1.27 0) \\lvec(3.27 1) \\move(2 1)");
    CReadBack r = ReadBack(drawing, "foreign.tex");
    ASSERT_TRUE(r.result.ok);
    CFigure* moved = nullptr;
    for (int i = 0; i < r.list.GetCount(); ++i)
        if (r.list.GetAt(i)->GetTeXDrawBlock().find(line) != std::string::npos)
            moved = r.list.GetAt(i);
    ASSERT_NE(moved, nullptr);
    ASSERT_EQ(ClassOf(moved), "Line");
    moved->MoveBy(50.0, 0.0);
    const fs::path dir = fs::temp_directory_path() / ("quodra-moved-" + std::to_string(getpid()));
    const auto before = Typeset(drawing, dir / "a");
    const auto after = Typeset(MakeTeXDrawDocument(r.list), dir / "b");
    const auto want = Typeset(expected, dir / "c");
    ASSERT_FALSE(before.empty() || after.empty() || want.empty());
    EXPECT_EQ(InkAlone(after, want), 0);
    EXPECT_EQ(InkAlone(want, after), 0);
    EXPECT_GT(InkAlone(before, after), 0);
    fs::remove_all(dir);
}

} // namespace
