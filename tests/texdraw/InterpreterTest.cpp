// TeXDraw written by people and by other programs: the drawing found in its file, and its body run
// as TeXDraw's macros would run it, checked against page coordinates worked out by hand, against
// a model of the current point over random programs, and against gnuplot's own output.
#include "texdraw/Interpreter.h"
#include "common/RandomDrawing.h"
#include "texdraw/Document.h"
#include "texdraw/Surroundings.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <regex>
#include <sstream>
#include <string>
#include <unistd.h>

namespace {

using ::testing::HasSubstr;

// Every byte of the body in exactly one statement, in order, with lines that never go back.
void ExpectTiles(const CTeXDrawProgram& p, std::string_view body) {
    std::size_t at = 0;
    int line = 0;
    for (const CTeXDrawStatement& s : p.m_statements) {
        ASSERT_EQ(at, s.m_nBegin);
        ASSERT_LT(s.m_nBegin, s.m_nEnd);
        ASSERT_LE(line, s.m_nLine);
        at = s.m_nEnd;
        line = s.m_nLine;
    }
    EXPECT_EQ(body.size(), at);
}

CTeXDrawInterpretOptions FromLine(int line) {
    CTeXDrawInterpretOptions options;
    options.m_nFirstLine = line;
    return options;
}

std::string_view Source(const CTeXDrawStatement& s, std::string_view body) {
    return body.substr(s.m_nBegin, s.m_nEnd - s.m_nBegin);
}

TEST(TeXDrawSurroundings, FindsTheDrawingWhateverSurroundsItAndRefusesBrokenDelimiters) {
    struct CCase {
        const char* text;
        ETeXDrawForm form;
        const char* body;
        bool centred;
        int further;
    };
    const CCase cases[] = {
        {"\\begin{center}\n\\begin{texdraw}\n\\lvec(1 1)\n\\end{texdraw}\n\\end{center}",
         ETeXDrawForm::Environment, "\n\\lvec(1 1)\n", true, 0},
        // Comments and macro bodies hold delimiters that do not count; a further drawing stays.
        {"% \\begin{texdraw} in a comment\n\\input texdraw\n\\def\\pic{\\btexdraw\\etexdraw}\n"
         "\\newcommand{\\other}{\\begin{texdraw}}\ntext\\btexdraw\\move(0 "
         "0)%\\etexdraw\n\\etexdraw "
         "after \\centertexdraw{ \\lvec(1 0) } \\btexdraw",
         ETeXDrawForm::Plain, "\\move(0 0)%\\etexdraw\n", false, 2},
        {"\\centertexdraw {\\htext{a {b} \\}}%}\n}\n}", ETeXDrawForm::CentredMacro,
         "\\htext{a {b} \\}}%}\n", false, 0},
        {"\\begin{texdraw}\\begin{small}\\end{small}\\end{texdraw}\\begin{texdraw}\\end{texdraw}",
         ETeXDrawForm::Environment, "\\begin{small}\\end{small}", false, 1},
        // TeX draws a drawing closed the other way, and one whose closing was redefined first.
        {"\\begin{texdraw}\n\\etexdraw", ETeXDrawForm::Environment, "\n", false, 0},
        {"\\btexdraw\n\n\\end{texdraw}", ETeXDrawForm::Plain, "\n\n", false, 0},
        {"\\let\\et=\\etexdraw \\def\\etexdraw{\\drawbb\\et}\n\\btexdraw\\lvec(1 1)\\etexdraw",
         ETeXDrawForm::Plain, "\\lvec(1 1)", false, 0},
    };
    for (const CCase& c : cases) {
        SCOPED_TRACE(c.text);
        const CTeXDrawSurroundings s = FindTeXDrawSurroundings(c.text);
        ASSERT_TRUE(s.m_bOk) << s.m_strError;
        const std::string_view text = c.text;
        EXPECT_EQ(c.form, s.m_eForm);
        EXPECT_EQ(c.body, s.m_body.Of(text));
        EXPECT_EQ(c.centred, s.m_bCentred);
        EXPECT_EQ(c.further, s.m_nFurtherDrawings);
        EXPECT_EQ(std::string(text),
                  std::string(s.m_prefix.Of(text)) + std::string(s.m_open.Of(text)) +
                      std::string(s.m_body.Of(text)) + std::string(s.m_close.Of(text)) +
                      std::string(s.m_suffix.Of(text)));
    }

    struct CBad {
        const char* text;
        int line;
        const char* reason;
    };
    const CBad bad[] = {
        {"a\n\\begin{texdraw}\n\\lvec(1 1)\n", 2, "never ends"},
        {"\\centertexdraw{\n\\etexdraw}", 2, "did not begin"},
        {"\\begin{center}\\begin{texdraw}\n\\end{center}\\end{texdraw}", 2, "crosses"},
        {"{\\btexdraw\n}\\etexdraw", 2, "closes inside it"},
        {"\\btexdraw\n\\btexdraw", 2, "inside the drawing"},
        {"\\centertexdraw{\n\\lvec(1 1)", 1, "never ends"},
        {"no drawing % \\btexdraw", 1, "no TeXDraw drawing"},
    };
    for (const CBad& b : bad) {
        SCOPED_TRACE(b.text);
        const CTeXDrawSurroundings s = FindTeXDrawSurroundings(b.text);
        EXPECT_FALSE(s.m_bOk);
        EXPECT_EQ(b.line, s.m_nErrorLine);
        EXPECT_THAT(s.m_strError, HasSubstr(b.reason));
        EXPECT_EQ(0u, s.m_strError.rfind("line " + std::to_string(b.line) + ": ", 0));
    }
}

// The manual's idioms, every command at least once; the page values are worked out by hand
// (1 in = 300 TeXDraw pixels = 100 page units, y downward).
TEST(TeXDrawInterpreter, RunsTheManualsIdiomsToHandComputedPageValues) {
    const std::string body = "\n"
                             "\\linewd 0.02 \\setgray 0.5\n"
                             "\\move (0 0) \\lvec (1 0) \\lvec (1 0.5)\n"
                             "\\lfill f:0.8\n"
                             "\\move(0 1)\\rlvec(.5 -0.25)%E0 kept data\n"
                             "\\avec (2 1)\n"
                             "\\arrowheadtype t:F \\arrowheadsize l:0.2 w:0.1\n"
                             "\\ravec ( -1,5  +0 )\n"
                             "\\lpatt (0.05 0.03)\n"
                             "\\clvec (1 1)(2 2)(3 1) \\ifill f:0.25\n"
                             "\\lpatt ()\n"
                             "\\move (1 1) \\lcir r:0.25 \\fcir f:0.3 r:.1\n"
                             "\\lellip rx:0.5 ry:0.25 \\fellip f:1 rx:0.2 ry:0.1\n"
                             "\\larc r:0.5 sd:0 ed:90\n"
                             "\\textref h:C v:T \\htext (2 2){A {\\bf b} % not text\n}\n"
                             "\\vtext{up}\n"
                             "\\rtext td:45 (1 1){tilted}\n"
                             "\\setunitscale 2 \\move(1 1)\n"
                             "\\relunitscale 0.5 \\move(1 1)\n"
                             "\\drawdim cm \\move(2.54 0) \\drawdim pt \\move(72.27 0)\n"
                             "\\drawdim bp \\move (72 0) \\drawdim mm \\move (-25.4 -25.4)\n"
                             "\\drawdim in\n"
                             "\\move (1 1)\n"
                             "\\bsegment\n"
                             "  \\setsegscale 2 \\linewd 0.05\n"
                             "  \\lvec (0.5 0)\n"
                             "  \\savecurrpos (*a *b)\n"
                             "  \\relsegscale 0.5 \\move (1 1)\n"
                             "\\esegment\n"
                             "\\lvec (*a *b)\n"
                             "\\savepos (0.5 0.5)(*c *d)\n"
                             "\\move (*c 0) \\ifill f:0.5\n"
                             "\\def\\tick#1{\\rlvec(0 #1)\\rmove(0.1 0)}\n"
                             "\\tick{0.5}\\tick{-.5}\n"
                             "\\writeps{0 setlinecap} \\bf\n"
                             "\\drawbb\n";
    const CTeXDrawProgram p = InterpretTeXDraw(body, FromLine(2));
    ExpectTiles(p, body);
    EXPECT_TRUE(p.m_messages.empty()) << p.m_messages.front().m_strText;

    struct CExpected {
        ETeXDrawPrimitive kind;
        double x1, y1, x2, y2;
    };
    using K = ETeXDrawPrimitive;
    const CExpected expected[] = {
        {K::Line, 0, 0, 100, 0},          {K::Line, 100, 0, 100, -50},
        {K::Line, 0, -100, 50, -75},      {K::Arrow, 50, -75, 200, -100},
        {K::Arrow, 200, -100, 50, -100},  {K::Curve, 50, -100, 300, -100},
        {K::Circle, 100, -100, 0, 0},     {K::Circle, 100, -100, 0, 0},
        {K::Ellipse, 100, -100, 0, 0},    {K::Ellipse, 100, -100, 0, 0},
        {K::Arc, 100, -100, 0, 0},        {K::Text, 200, -200, 0, 0},
        {K::Text, 200, -200, 0, 0},       {K::Text, 100, -100, 0, 0},
        {K::Line, 100, -100, 200, -100},  {K::Line, 100, -100, 200, -100},
        {K::Line, 50, 0, 50, -50},        {K::Line, 60, -50, 60, 0},
        {K::Line, -100, 100, -100, -200}, {K::Line, -100, -200, 300, -200},
        {K::Line, 300, -200, 300, 100},   {K::Line, 300, 100, -100, 100},
    };
    ASSERT_EQ(std::size(expected), p.m_primitives.size());
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        SCOPED_TRACE(i);
        const CTeXDrawPrimitive& q = p.m_primitives[i];
        const CExpected& e = expected[i];
        EXPECT_EQ(e.kind, q.m_eKind);
        EXPECT_NEAR(e.x1, q.m_pt1.x, 1e-9);
        EXPECT_NEAR(e.y1, q.m_pt1.y, 1e-9);
        if (e.kind == K::Line || e.kind == K::Arrow || e.kind == K::Curve) {
            EXPECT_NEAR(e.x2, q.m_pt2.x, 1e-9);
            EXPECT_NEAR(e.y2, q.m_pt2.y, 1e-9);
        }
    }
    const auto& q = p.m_primitives;
    const auto style = [&](int i) { return p.m_styles[static_cast<std::size_t>(q[i].m_nStyle)]; };
    // One path of two lines, filled and stroked; the \ifill after a move fills nothing.
    EXPECT_EQ(q[0].m_nPath, q[1].m_nPath);
    const CTeXDrawPath& filled = p.m_paths[static_cast<std::size_t>(q[0].m_nPath)];
    EXPECT_TRUE(filled.m_bFilled && filled.m_bStroked);
    EXPECT_DOUBLE_EQ(0.8, filled.m_dFillGray);
    EXPECT_EQ(2.0, style(0).m_dWidth);
    EXPECT_EQ(0.5, style(0).m_dGray);
    EXPECT_NE(q[0].m_nPath, q[2].m_nPath);
    // Arrowheads: the default T, 0.16 in by 0.08 in, then F, 0.2 by 0.1.
    EXPECT_EQ('T', q[3].m_cHeadType);
    EXPECT_EQ(16.0, q[3].m_dHeadLength);
    EXPECT_EQ(8.0, q[3].m_dHeadWidth);
    EXPECT_EQ('F', q[4].m_cHeadType);
    EXPECT_EQ(20.0, q[4].m_dHeadLength);
    EXPECT_EQ(10.0, q[4].m_dHeadWidth);
    EXPECT_EQ((CDoublePoint{100, -100}), q[5].m_ptControl1);
    EXPECT_EQ((CDoublePoint{200, -200}), q[5].m_ptControl2);
    EXPECT_EQ((std::vector<double>{5, 3}), style(5).m_dashes);
    const CTeXDrawPath& curve = p.m_paths[static_cast<std::size_t>(q[5].m_nPath)];
    EXPECT_TRUE(curve.m_bFilled && !curve.m_bStroked); // \ifill fills without stroking
    EXPECT_EQ(0.25, curve.m_dFillGray);
    EXPECT_TRUE(style(6).m_dashes.empty());
    EXPECT_EQ(25.0, q[6].m_dRadiusX);
    EXPECT_TRUE(!q[6].m_bFilled && q[7].m_bFilled);
    EXPECT_DOUBLE_EQ(0.3, q[7].m_dFillGray);
    EXPECT_EQ(50.0, q[8].m_dRadiusX);
    EXPECT_EQ(25.0, q[8].m_dRadiusY);
    EXPECT_EQ(1.0, q[9].m_dFillGray);
    EXPECT_EQ(90.0, q[10].m_dEndDeg);
    EXPECT_EQ("A {\\bf b} % not text\n", q[11].m_strText);
    EXPECT_EQ('C', q[11].m_cHRef);
    EXPECT_EQ('T', q[11].m_cVRef);
    EXPECT_EQ(90.0, q[12].m_dAngle);
    EXPECT_EQ(45.0, q[13].m_dAngle);
    // The segment: scale 2 from the point (1 1); afterwards the point and the width come back.
    EXPECT_EQ(10.0, style(14).m_dWidth); // \linewd 0.05 at segment scale 2
    EXPECT_EQ(2.0, style(15).m_dWidth);
    EXPECT_TRUE(q[16].m_bExpanded && q[17].m_bExpanded && !q[15].m_bExpanded);
    // \drawbb: the extent from the first move, lines 1/300 in wide.
    EXPECT_EQ((CDoublePoint{-100, -200}), p.m_ptMin);
    EXPECT_EQ((CDoublePoint{300, 100}), p.m_ptMax);
    EXPECT_NEAR(1.0 / 3, style(18).m_dWidth, 1e-12);

    // Statements keep their line and trailing comment; what is not TeXDraw is kept and listed.
    const CTeXDrawStatement* rlvec = nullptr;
    for (const CTeXDrawStatement& s : p.m_statements)
        if (s.m_strName == "rlvec" && !rlvec)
            rlvec = &s;
    ASSERT_NE(nullptr, rlvec);
    EXPECT_EQ("\\rlvec(.5 -0.25)%E0 kept data\n", Source(*rlvec, body));
    EXPECT_EQ(6, rlvec->m_nLine);
    EXPECT_EQ(ETeXDrawStatement::Line, rlvec->m_eKind);
    EXPECT_EQ((std::vector<int>{35, 36, 36, 37, 37}), p.m_unknownLines);
    EXPECT_EQ(5, p.m_nUnknown);
}

TEST(TeXDrawInterpreter, KeepsWhatItCannotReadWithTheLineAndNeverRunsAway) {
    struct CCase {
        std::string body;
        int line;
        const char* reason;
    };
    std::string deep, far = "\\drawdim pt";
    for (int i = 0; i < 50; ++i)
        far += "\\rlvec(16000 0)";
    for (int i = 0; i < 5000; ++i)
        deep += "\\bsegment\\lvec(0.01 0)\n";
    for (int i = 0; i < 5000; ++i)
        deep += "\\esegment\n";
    const CCase cases[] = {
        {"\\lvec(1 1)\n\\esegment", 2, "no segment to end"},
        {"\n\\bsegment", 2, "never ended"},
        {deep, kMaxTeXDrawSegmentDepth + 1, "nest deeper"},
        {"\\move(10001 0)", 1, "too large"},
        {far, 1, "farther than 1e6"},
        {"\\def\\a{x\\a}\\a", 1, "expansion stopped"},
        {"\\setunitscale 16384", 1, "scale is too large"},
        {"\\lvec(nan 1)", 1, "is not a number"},
        {"\\lvec(1e3 1)", 1, "is not a number"},
        {"\\lvec(1 2 3)", 1, "two coordinates"},
        {"\n\\lvec(1\n\n2)", 2, "blank line"},
        {"\\lvec(*x 0)", 1, "never saved"},
        {"\\drawdim furlong", 1, "not a unit"},
        {"\\htext(1 1){open", 1, "never closed"},
        {"}", 1, "closes no group"},
        {"\\def\\a{\\a\\a}\\a", 1, "expansion stopped"},
        {"\\def\\a{\\a x}\\a", 1, "expansion stopped"},
        {"\\def\\p(#1){\\lvec(#1)}\\p 1", 1, "does not match"},
        {"\\iftrue\\lvec(1 1)", 1, "no \\fi"},
        {std::string(100000, '{'), 1, "never closed"},
        {std::string(20000, '(') + "\\lvec(" + std::string(20000, '('), 1, ""},
    };
    for (const CCase& c : cases) {
        SCOPED_TRACE(c.body.substr(0, 60));
        const CTeXDrawProgram p = InterpretTeXDraw(c.body);
        ExpectTiles(p, c.body);
        for (const CTeXDrawPrimitive& q : p.m_primitives)
            EXPECT_TRUE(std::fabs(q.m_pt1.x) <= 1e6 && std::fabs(q.m_pt2.y) <= 1e6);
        if (*c.reason == 0)
            continue;
        ASSERT_FALSE(p.m_messages.empty());
        EXPECT_EQ(c.line, p.m_messages.front().m_nLine);
        EXPECT_THAT(p.m_messages.front().m_strText, HasSubstr(c.reason));
    }
}

// Random programs over \move, \rmove, \lvec, \rlvec, segments, saved positions, a macro of the
// file's own and things TeXDraw does not know, laid out in every way TeX allows; a model of the
// current point says where each line must go, and the statements tile the body.
TEST(TeXDrawInterpreter, FollowsTheCurrentPointThroughRandomPrograms) {
    for (unsigned seed = 1; seed <= 60; ++seed) {
        std::mt19937 rng(seed);
        const auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
        const auto number = [&](int hundredths) {
            // The same value in TeX's many spellings.
            const int a = std::abs(hundredths);
            std::string s = hundredths < 0 ? "-" : pick(4) == 0 ? "+" : "";
            const std::string whole = std::to_string(a / 100), frac = std::to_string(a % 100 + 100);
            switch (pick(4)) {
            case 0:
                return s + whole + "." + frac.substr(1);
            case 1:
                return s + whole + "," + frac.substr(1);
            case 2:
                return a % 100 == 0 ? s + whole + "." : s + whole + "." + frac.substr(1) + "0";
            default:
                return a < 100 ? s + "." + frac.substr(1) : s + whole + "." + frac.substr(1);
            }
        };
        const auto blank = [&] { return std::string(pick(3) == 0 ? " " : ""); };
        std::string body = "\\def\\step{\\rlvec(0.1 0)}%\n";
        struct CPt {
            int x, y;
        };
        CPt at{0, 0};
        std::vector<CPt> origins{{0, 0}}, stack;
        std::vector<std::pair<CPt, CPt>> lines;
        bool saved = false;
        CPt savedAt{0, 0};
        const int n = 40 + pick(60);
        for (int i = 0; i < n; ++i) {
            const int dx = pick(401) - 200, dy = pick(401) - 200;
            const std::string pair =
                "(" + blank() + number(dx) + " " + blank() + number(dy) + blank() + ")";
            const CPt o = origins.back();
            switch (pick(10)) {
            case 0:
                body += "\\move" + blank() + pair;
                at = {o.x + dx, o.y + dy};
                break;
            case 1:
                body += "\\rmove" + pair;
                at = {at.x + dx, at.y + dy};
                break;
            case 2:
                body += "\\lvec " + pair;
                lines.push_back({at, {o.x + dx, o.y + dy}});
                at = lines.back().second;
                break;
            case 3:
                body += "\\rlvec" + pair;
                lines.push_back({at, {at.x + dx, at.y + dy}});
                at = lines.back().second;
                break;
            case 4:
                body += "\\bsegment";
                origins.push_back(at);
                stack.push_back(at);
                break;
            case 5:
                if (stack.empty())
                    continue;
                body += "\\esegment";
                at = stack.back();
                stack.pop_back();
                origins.pop_back();
                break;
            case 6:
                body += "\\savecurrpos (*p *q)";
                saved = true;
                savedAt = at;
                break;
            case 7:
                if (!saved)
                    continue;
                body += "\\lvec(*p *q)";
                lines.push_back({at, savedAt});
                at = savedAt;
                break;
            case 8:
                body += "\\step";
                lines.push_back({at, {at.x + 10, at.y}});
                at = lines.back().second;
                break;
            default: {
                const char* junk[] = {"\\foo{a}{b}", "\\writeps{1 setlinejoin}",
                                      "text",        "\\textref h:C v:C",
                                      "{\\bf x}",    "\\linewd 0.01"};
                body += junk[pick(6)];
            }
            }
            const char* after[] = {"\n", " ", "%E0 1 2 3\n", "\r\n", "\n\n", "  % note\n", ""};
            body += after[pick(7)];
            if (body.back() != '\n' && body.back() != ' ' && body.back() != '}')
                body += "\n";
        }
        while (!stack.empty()) {
            body += "\\esegment\n";
            at = stack.back();
            stack.pop_back();
        }
        SCOPED_TRACE(body);
        const CTeXDrawProgram p = InterpretTeXDraw(body);
        ExpectTiles(p, body);
        EXPECT_TRUE(p.m_messages.empty()) << p.m_messages.front().m_strText;
        // Hundredths of an inch are whole page units, exactly.
        std::vector<std::pair<CDoublePoint, CDoublePoint>> drawn;
        for (const CTeXDrawPrimitive& q : p.m_primitives)
            if (q.m_eKind == ETeXDrawPrimitive::Line)
                drawn.push_back({q.m_pt1, q.m_pt2});
        ASSERT_EQ(lines.size(), drawn.size());
        for (std::size_t i = 0; i < lines.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ((CDoublePoint{double(lines[i].first.x), -double(lines[i].first.y)}),
                      drawn[i].first);
            EXPECT_EQ((CDoublePoint{double(lines[i].second.x), -double(lines[i].second.y)}),
                      drawn[i].second);
        }
    }
}

// The editor's own files are TeXDraw too: nothing in them is unknown, and every line's ends are
// where the figure's are, within the writer's 0.01.
TEST(TeXDrawInterpreter, ReadsTheEditorsOwnFilesWithNothingUnknown) {
    CFigureList list;
    CRandomDrawing(3).AddTo(list, 200);
    const std::string doc = MakeTeXDrawDocument(list);
    const CTeXDrawSurroundings s = FindTeXDrawSurroundings(doc);
    ASSERT_TRUE(s.m_bOk) << s.m_strError;
    EXPECT_TRUE(s.m_bCentred);
    const CTeXDrawProgram p = InterpretTeXDraw(s.m_body.Of(doc), FromLine(s.m_nBodyLine));
    ExpectTiles(p, s.m_body.Of(doc));
    EXPECT_EQ(0, p.m_nUnknown);
    EXPECT_TRUE(p.m_messages.empty());
    int lines = 0;
    for (int i = 0; i < list.GetCount(); ++i) {
        const auto* line = dynamic_cast<const CLine*>(list.GetAt(i));
        if (!line)
            continue;
        const auto near = [](CDoublePoint a, CDoublePoint b) {
            return std::fabs(a.x - b.x) < 0.7 && std::fabs(a.y - b.y) < 0.7;
        };
        const bool found = std::any_of(
            p.m_primitives.begin(), p.m_primitives.end(), [&](const CTeXDrawPrimitive& q) {
                return near(q.m_pt1, line->m_pt1) && near(q.m_pt2, line->m_pt2);
            });
        EXPECT_TRUE(found) << line->m_pt1.x << "," << line->m_pt1.y;
        ++lines;
    }
    EXPECT_GT(lines, 10);
}

// gnuplot's texdraw terminal defines \path and \cpath with \futurelet and \ifx; run, they draw
// the plot, each point where its numbers put it (drawing units pt at unit scale 0.24).
TEST(TeXDrawInterpreter, DrawsGnuplotsOutputThroughItsOwnMacros) {
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("quodra-gnuplot-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const std::string out = (dir / "plot.tex").string();
    const std::string command = "gnuplot -e 'set terminal texdraw; set output \"" + out +
                                "\"; set arrow from 1,0.5 to 2,0; set label \"peak\" at 1.6,1; "
                                "plot [0:6.28] sin(x) with lines, cos(x) with points' 2>&1";
    if (std::system(command.c_str()) != 0) {
        std::filesystem::remove_all(dir);
        GTEST_SKIP() << "gnuplot is not installed";
    }
    std::ifstream in(out);
    std::stringstream ss;
    ss << in.rdbuf();
    const std::string text = ss.str();
    std::filesystem::remove_all(dir);

    const CTeXDrawSurroundings s = FindTeXDrawSurroundings(text);
    ASSERT_TRUE(s.m_bOk) << s.m_strError;
    EXPECT_EQ(ETeXDrawForm::Plain, s.m_eForm);
    const std::string_view body = s.m_body.Of(text);
    const CTeXDrawProgram p = InterpretTeXDraw(body, FromLine(s.m_nBodyLine));
    ExpectTiles(p, body);
    EXPECT_TRUE(p.m_messages.empty()) << p.m_messages.front().m_strText;

    // A gnuplot coordinate v is v pt times 0.24 (which TeX reads as 15729 / 65536), rounded to
    // a TeXDraw pixel of 15788 sp that draws as 1/300 in (1/3 page unit).
    const auto page = [](double v) { return v * 15729 / 15788 / 3; };
    const std::regex pair(R"(\((-?\d+) (-?\d+)\))");
    int paths = 0, pieces = 0, arrows = 0, texts = 0;
    for (const CTeXDrawStatement& st : p.m_statements) {
        const std::string src(Source(st, body));
        if (st.m_strName == "path" || st.m_strName == "cpath") {
            ++paths;
            EXPECT_EQ(ETeXDrawStatement::Unknown, st.m_eKind);
            std::vector<CDoublePoint> points;
            for (auto it = std::sregex_iterator(src.begin(), src.end(), pair);
                 it != std::sregex_iterator(); ++it)
                points.push_back({page(std::stod((*it)[1])), -page(std::stod((*it)[2]))});
            // \path moves to its first point; \cpath draws from the current point.
            const std::size_t first = st.m_strName == "path" ? 1 : 0;
            ASSERT_EQ(points.size() - first, static_cast<std::size_t>(st.m_nPrimitives)) << src;
            for (int i = 0; i < st.m_nPrimitives; ++i) {
                const CTeXDrawPrimitive& q = p.m_primitives[st.m_nFirstPrimitive + i];
                EXPECT_TRUE(q.m_bExpanded);
                EXPECT_NEAR(points[first + i].x, q.m_pt2.x, 1.0 / 6 + 1e-6) << src;
                EXPECT_NEAR(points[first + i].y, q.m_pt2.y, 1.0 / 6 + 1e-6) << src;
                ++pieces;
            }
        }
        if (st.m_eKind == ETeXDrawStatement::Arrow)
            ++arrows;
        if (st.m_eKind == ETeXDrawStatement::Text)
            ++texts;
    }
    // Without expansion the same statements are kept, with nothing drawn for the macros.
    CTeXDrawInterpretOptions plain = FromLine(s.m_nBodyLine);
    plain.m_bExpandMacros = false;
    const CTeXDrawProgram kept = InterpretTeXDraw(body, plain);
    ExpectTiles(kept, body);
    EXPECT_EQ(p.m_statements.size(), kept.m_statements.size());
    EXPECT_EQ(p.m_unknownLines, kept.m_unknownLines);
    EXPECT_TRUE(std::none_of(kept.m_primitives.begin(), kept.m_primitives.end(),
                             [](const CTeXDrawPrimitive& q) { return q.m_bExpanded; }));
    EXPECT_GT(paths, 20);
    EXPECT_GT(pieces, 100);
    EXPECT_EQ(1, arrows);
    EXPECT_GT(texts, 20);
    // The frame, drawn last, is one path of four lines.
    const CTeXDrawStatement* frame = nullptr;
    for (const CTeXDrawStatement& st : p.m_statements)
        if (st.m_strName == "path")
            frame = &st;
    ASSERT_NE(nullptr, frame);
    ASSERT_EQ(4, frame->m_nPrimitives);
    const int path = p.m_primitives[frame->m_nFirstPrimitive].m_nPath;
    EXPECT_EQ(4, std::count_if(p.m_primitives.begin(), p.m_primitives.end(),
                               [&](const CTeXDrawPrimitive& q) { return q.m_nPath == path; }));
}

} // namespace
