// Which texts warn before typesetting and which do not.
#include "latex/TextChecks.h"

#include <gtest/gtest.h>

namespace {

using P = ETextProblem;

TEST(TextChecks, WarnAboutWhatTeXReadsOtherwise) {
    const struct {
        const char* text;
        std::vector<P> problems;
    } cases[] = {
        {"Label", {}},
        {"$a_1$", {}},
        {"a_1", {P::Subscript}},
        {"$x^2$ and y^2", {P::Superscript}},
        {"\\(a_1\\) \\[b^2\\]", {}},
        {"50%", {P::Percent}},
        {"50\\% \\& \\# \\_ \\{\\}", {}},
        {"A & B", {P::Ampersand}},
        {"\\begin{tabular}{cc}a & b\\end{tabular}", {}},
        {"$\\begin{matrix}1 & 2\\end{matrix}$", {}},
        {"#1", {P::Hash}},
        {"\\textbf{x", {P::UnclosedBrace}},
        {"x}", {P::ExtraBrace}},
        {"{a}{b}", {}},
        {"$x", {P::UnclosedMath}},
        {"\\input{/etc/hostname}", {P::FileAccess}},
        {"\\special{ps: 1 0 0 setrgbcolor} \\inputx", {P::FileAccess}},
        {"$$x_1$$", {}},
        {"$\\text{a_b}$", {P::Subscript}},
        {"\\ensuremath{a_1}", {}},
        {"\\\\%", {P::Percent}},      // a line break, then a comment
        {"100% {sure", {P::Percent}}, // the rest of the line is a comment, brace and all
        {"50%\n{x}", {P::Percent}},
        {"a_b & c", {P::Subscript, P::Ampersand}},
    };
    for (const auto& c : cases) {
        std::vector<P> kinds;
        for (const CTextProblem& p : CheckLatexText(c.text))
            kinds.push_back(p.eKind);
        EXPECT_EQ(kinds, c.problems) << c.text;
    }
    const auto found = CheckLatexText("ab_c");
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].nPos, 2u);
    EXPECT_NE(DescribeTextProblems(CheckLatexText("50%")).find("\\%"), std::string::npos);
}

// Any text at all is scanned without running off its end, whatever it holds.
TEST(TextChecks, ScanAnyBytes) {
    unsigned seed = 7;
    const std::string alphabet = "\\{}$%&#_^ab\n[]()begin";
    for (int n = 0; n < 2000; ++n) {
        std::string text;
        for (int i = 0; i < n % 40; ++i) {
            seed = seed * 1103515245u + 12345u;
            text += alphabet[(seed >> 16) % alphabet.size()];
        }
        for (const CTextProblem& p : CheckLatexText(text))
            EXPECT_LT(p.nPos, text.size()) << text;
    }
}

} // namespace
