// Drawings of random statements in random frames (units, scales, segments) and styles: with every
// figure read from them written as changed, TeXDraw draws the same primitives, within the 0.01 in
// the editor writes points to.
#include "texdraw/Interpreter.h"
#include "texdraw/ReaderTestUtil.h"
#include "texdraw/TypesetInk.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>

#include <string>
#include <unistd.h>

namespace {

// Macros of a document's own that draw: one figure, a figure and more, a figure at a point given.
constexpr const char* kMacros = "\\def\\bdot{\\fcir f:0 r:0.3 }\n"
                                "\\def\\tick#1{\\rlvec(0 #1)}\n"
                                "\\def\\hd{\\clvec(1 1)(2 1)(3 0)\\avec(3.5 0)}\n"
                                "\\def\\Ldot#1{\\move(#1)\\fcir f:0 r:0.2 }\n"
                                "\\def\\lab#1{\\htext{\\tt #1}}\n"
                                "\\def\\wrap#1{#1}\n";

class CRandomDrawing {
public:
    // With macros, the drawing also calls the document's own macros and stands in a random
    // place of a paragraph: in math, in a box or in a macro's argument.
    explicit CRandomDrawing(unsigned seed, bool macros = false) : m_rng(seed), m_bMacros(macros) {}

    std::string Make() {
        if (!m_bMacros)
            return Body() + "\n";
        std::string s = kMacros;
        switch (m_rng() % 4) {
        case 0:
            return s + "Before " + Body() + " after.\n";
        case 1:
            return s + "$x = " + Body() + "$\n";
        case 2:
            return s + "\\hbox{" + Body() + "}\n";
        default:
            return s + "\\wrap{" + Body() + "}\n";
        }
    }

private:
    std::string Body() {
        std::string s = "\\begin{texdraw}\n\\drawdim " + Pick({"in", "cm", "mm", "pt"}) + "\n";
        if (Chance(2))
            s += "\\setunitscale " + Pick({"0.5", "0.8", "1.5", "2", "30"}) + "\n";
        // A saved position that drawings go back to.
        if (m_bMacros)
            s += "\\move" + Point() + "\\savecurrpos(*sx *sy)\n";
        int depth = 0;
        for (int i = 0; i < 24; ++i) {
            switch (m_rng() % 6) {
            case 0:
                s += Style();
                break;
            case 1:
                if (depth < 2 && Chance(2)) {
                    s += "\\bsegment \\setsegscale " + Pick({"0.5", "2", "1.5"}) + "\n";
                    ++depth;
                } else if (depth > 0) {
                    s += "\\esegment\n";
                    --depth;
                } else {
                    s += "\\rmove" + Point() + "\n";
                }
                break;
            default:
                s += Drawing();
                break;
            }
        }
        for (; depth > 0; --depth)
            s += "\\esegment\n";
        return s + "\\end{texdraw}";
    }

    std::mt19937 m_rng;
    bool m_bMacros = false;

    bool Chance(unsigned n) { return m_rng() % n == 0; }
    std::string Pick(std::initializer_list<const char*> items) {
        return *(items.begin() + m_rng() % items.size());
    }
    std::string Number(int range) {
        const int v = static_cast<int>(m_rng() % (2 * range + 1)) - range;
        std::string s = v < 0 ? "-" : "";
        s += std::to_string(std::abs(v) / 10);
        s += '.';
        s += std::to_string(std::abs(v) % 10);
        return s;
    }
    std::string Positive() { return std::to_string(m_rng() % 5) + ".5"; }
    std::string Point() {
        // Appended, as g++ 12 at -O3 warns falsely of a literal added to a temporary.
        std::string s = "(";
        s += Number(30);
        s += ' ';
        s += Number(30);
        s += ')';
        return s;
    }
    std::string Curve(const std::string& to) { return "\\clvec" + Point() + Point() + to; }
    std::string Relative() { return (Chance(2) ? "\\rlvec" : "\\lvec") + Point(); }

    std::string Style() {
        switch (m_rng() % 6) {
        case 0:
            return "\\linewd 0." + std::to_string(1 + m_rng() % 9) + "\n";
        case 1:
            return Chance(2) ? "\\lpatt()\n" : "\\lpatt(" + Positive() + " 1)\n";
        case 2:
            return "\\setgray " + Pick({"0", "0.3", "0.7"}) + "\n";
        case 3:
            return "\\arrowheadtype t:" + Pick({"F", "T", "W", "V"}) + "\n";
        case 4:
            return "\\arrowheadsize l:" + Positive() + " w:0.5\n";
        default:
            return "\\textref h:" + Pick({"L", "C", "R"}) + " v:" + Pick({"T", "C", "B"}) + "\n";
        }
    }

    std::string Drawing() {
        const std::string move = (Chance(3) ? "\\rmove" : "\\move") + Point() + " ";
        switch (m_rng() % 10) {
        case 0:
            return move + Relative() + "\n";
        case 1:
            return move + Relative() + Relative() + (Chance(2) ? "\\avec" + Point() : "") + "\n";
        case 2:
            return move + (Chance(2) ? "\\avec" : "\\ravec") + Point() + "\n";
        case 3: {
            if (!Chance(3))
                return move + Curve(Point()) + "\n";
            // A path of curves and straight pieces, closed and filled at times.
            const std::string a = Point();
            std::string path = "\\move" + a + " ";
            for (int n = 2 + static_cast<int>(m_rng() % 2); n > 0; --n)
                path += Chance(3) ? "\\lvec" + Point() : Curve(Point());
            if (Chance(3))
                return path + "\n";
            path += Curve(a);
            // \\lfill is rewritten as a fill and an outline: other primitives, the same ink.
            return m_bMacros && Chance(2) ? path + "\\lfill f:0.7\n"
                                          : path + "\\ifill f:0.7\n" + path + "\n";
        }
        case 4: {
            const std::string r = Positive();
            return move + (Chance(2) ? "\\fcir f:0.5 r:" + r + " " : "") + "\\lcir r:" + r + "\n";
        }
        case 5:
            return move + "\\lellip rx:" + Positive() + " ry:" + Positive() + "\n";
        case 6:
            return move + "\\larc r:" + Positive() + " sd:" + std::to_string(m_rng() % 360) +
                   " ed:" + std::to_string(m_rng() % 360) + "\n";
        case 7: {
            // A fill and then the outline over it.
            const std::string a = Point(),
                              path = "\\lvec" + Point() + "\\lvec" + Point() + "\\lvec" + a + " ";
            return "\\move" + a + path + "\\ifill f:0.8\n\\move" + a + path + "\n";
        }
        case 8:
            if (m_bMacros) {
                switch (m_rng() % 7) {
                case 6:
                    return "\\move(*sx *sy)" + Relative() + "\n";
                case 0:
                    return move + "\\bdot\n";
                case 1:
                    return move + "\\tick{1.5}\n";
                case 2:
                    return move + "\\hd\n";
                case 3:
                    return "\\Ldot{" + Number(30) + " 1}\n";
                case 4:
                    return move + "\\lab{h:C v:C}\n";
                default:
                    return move + "\\lvec" + Point() + "\\lvec" + Point() + "\\lfill f:0.5\n";
                }
            }
            [[fallthrough]];
        default:
            return (Chance(2) ? move + (Chance(2) ? "\\htext{$a$}" : "\\htext{\\tt h:C v:C}")
                              : "\\rtext td:30 " + Point() + "{b}") +
                   "\n";
        }
    }
};

CTeXDrawProgram RunBody(const std::string& document) {
    const std::string open = "\\begin{texdraw}", close = "\\end{texdraw}";
    const std::size_t from = document.find(open) + open.size();
    return InterpretTeXDraw(std::string_view(document).substr(from, document.find(close) - from));
}

TEST(ForeignFrames, EveryFigureWrittenAsChangedDrawsWhatItWasReadFrom) {
    int figures = 0, drawing = 0;
    for (unsigned seed = 1; seed <= 60; ++seed) {
        const std::string text = CRandomDrawing(seed).Make();
        CReadBack r = ReadBack(text, "random.tex");
        ASSERT_TRUE(r.result.ok) << text;
        for (int i = 0; i < r.list.GetCount(); ++i) {
            CFigure* f = r.list.GetAt(i);
            if (!dynamic_cast<CRawTeXFigure*>(f)) {
                ++figures;
                f->m_strReadBlock.clear();
            }
        }
        const std::string written = MakeTeXDrawDocument(r.list);
        const CTeXDrawProgram a = RunBody(text), b = RunBody(written);
        for (const CTeXDrawStatement& st : a.m_statements)
            drawing += st.m_nPrimitives > 0;
        ASSERT_EQ(a.m_nUnknown, b.m_nUnknown) << written;
        ASSERT_EQ(a.m_primitives.size(), b.m_primitives.size()) << text << "\n" << written;
        for (std::size_t k = 0; k < a.m_primitives.size(); ++k) {
            const CTeXDrawPrimitive &p = a.m_primitives[k], &q = b.m_primitives[k];
            const CTeXDrawStyle &ps = a.m_styles[p.m_nStyle], &qs = b.m_styles[q.m_nStyle];
            // A curve's block rounds negative coordinates toward zero: up to a unit more.
            const double slack = p.m_eKind == ETeXDrawPrimitive::Curve ? 1.6 : 1.0;
            const auto near = [&](CDoublePoint u, CDoublePoint v) {
                return std::fabs(u.x - v.x) < slack && std::fabs(u.y - v.y) < slack;
            };
            SCOPED_TRACE(text + "\n" + written + "\nprimitive " + std::to_string(k));
            ASSERT_EQ(p.m_eKind, q.m_eKind);
            EXPECT_TRUE(near(p.m_pt1, q.m_pt1) && near(p.m_pt2, q.m_pt2) &&
                        near(p.m_ptControl1, q.m_ptControl1) &&
                        near(p.m_ptControl2, q.m_ptControl2));
            EXPECT_NEAR(p.m_dRadiusX, q.m_dRadiusX, 0.4);
            EXPECT_NEAR(p.m_dRadiusY, q.m_dRadiusY, 0.4);
            EXPECT_EQ(p.m_bFilled, q.m_bFilled);
            // The line style of what is stroked.
            if (p.m_eKind != ETeXDrawPrimitive::Text && !p.m_bFilled) {
                EXPECT_NEAR(ps.m_dWidth, qs.m_dWidth, 0.4);
                EXPECT_EQ(ps.m_dashes.size(), qs.m_dashes.size());
                EXPECT_NEAR(ps.m_dGray, qs.m_dGray, 1e-4);
            }
            if (p.m_eKind == ETeXDrawPrimitive::Arrow) {
                EXPECT_EQ(p.m_cHeadType, q.m_cHeadType);
                EXPECT_NEAR(p.m_dHeadLength, q.m_dHeadLength, 0.4);
            }
            if (p.m_eKind == ETeXDrawPrimitive::Text) {
                EXPECT_EQ(p.m_strText, q.m_strText);
                EXPECT_EQ(std::string({p.m_cHRef, p.m_cVRef}), std::string({q.m_cHRef, q.m_cVRef}));
            }
            if (p.m_eKind == ETeXDrawPrimitive::Arc) {
                EXPECT_NEAR(std::fmod(p.m_dEndDeg - p.m_dStartDeg + 720.0, 360.0),
                            std::fmod(q.m_dEndDeg - q.m_dStartDeg + 720.0, 360.0), 1e-6);
            }
        }
    }
    // Most of what the drawings draw is read as figures.
    EXPECT_GT(2 * figures, drawing) << figures << " figures of " << drawing << " statements";
}

// The same with the document's own macros and the drawing in math, a box or a macro's argument,
// typeset by LaTeX: the untouched save gives the file back, and with every figure written as
// changed it still compiles, prints the same ink and holds no empty line (a \par there).
TEST(ForeignFrames, EveryFigureRewrittenPrintsTheSameWhereverTheDrawingStands) {
    if (!HasLatexToolchain())
        GTEST_SKIP() << "the LaTeX toolchain is not installed";
    const auto dir =
        std::filesystem::temp_directory_path() / ("quodra-frames-" + std::to_string(::getpid()));
    int typeset = 0;
    std::vector<std::string> texts{
        // A drawing of no size, and a width in points.
        "\\begin{texdraw}\\move(0 0)\\lvec(0 0)\\end{texdraw}\n",
        "\\begin{texdraw}\\drawdim pt \\linewd 0.4 \\move(0 0)\\lvec(100 0)\\end{texdraw}\n"};
    for (unsigned seed = 1; seed <= 12; ++seed)
        texts.push_back(CRandomDrawing(seed, true).Make());
    for (const std::string& text : texts) {
        CReadBack r = ReadBack(text, "random.tex");
        ASSERT_TRUE(r.result.ok) << text;
        ASSERT_EQ(MakeTeXDrawDocument(r.list), text);
        const auto original = Typeset(text, dir / "a");
        if (original.empty())
            continue; // TeX itself refuses it (a point too far for its dimensions)
        ++typeset;
        for (int i = 0; i < r.list.GetCount(); ++i)
            r.list.GetAt(i)->m_strReadBlock.clear();
        const std::string written = MakeTeXDrawDocument(r.list);
        // What did not change keeps its words: the width in points stays "0.4".
        if (text.find("\\linewd 0.4 ") != std::string::npos) {
            EXPECT_NE(written.find("\\linewd 0.4\n"), std::string::npos);
            EXPECT_NE(written.find("\\lvec(100 0)"), std::string::npos);
        }
        SCOPED_TRACE(text + "\n----\n" + written);
        EXPECT_EQ(written.find("\n\n"), std::string::npos);
        const auto rewritten = Typeset(written, dir / "b");
        ASSERT_FALSE(rewritten.empty()) << "LaTeX failed on the rewritten drawing";
        EXPECT_EQ(InkAlone(original, rewritten), 0);
        EXPECT_EQ(InkAlone(rewritten, original), 0);
    }
    std::printf("typeset %d of %zu drawings, each again with every figure rewritten\n", typeset,
                texts.size());
    EXPECT_GE(typeset, 8);
    std::filesystem::remove_all(dir);
}

} // namespace
