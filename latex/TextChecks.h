// Checks of a figure's text as LaTeX will read it: characters that TeX treats specially where
// they stand, and braces or math that do not close. The text is never changed; these only warn.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

enum class ETextProblem {
    Percent,       // a bare % comments out the rest of the line, the closing brace included
    Ampersand,     // a bare & outside a table
    Hash,          // a bare #
    Subscript,     // _ outside math
    Superscript,   // ^ outside math
    UnclosedBrace, // a { that is never closed
    ExtraBrace,    // a } that closes nothing
    UnclosedMath,  // a $ (or \( \[) that is never closed
    FileAccess,    // \input, \openout, \special …: reads or writes files, or runs PostScript
};

struct CTextProblem {
    ETextProblem eKind;
    std::size_t nPos; // byte offset of the character in the text
};

// The problems of one text, in the order they occur. Empty for a text LaTeX reads as meant.
std::vector<CTextProblem> CheckLatexText(const std::string& text);

// One line of plain words per problem, for a tooltip or a message.
std::string DescribeTextProblem(ETextProblem kind);
std::string DescribeTextProblems(const std::vector<CTextProblem>& problems);
