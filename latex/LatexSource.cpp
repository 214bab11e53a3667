#include "latex/LatexSource.h"

#include <algorithm>

namespace {

// Page units as inches with two decimals, built without the C locale's help.
std::string Inches(int units) {
    const int u = std::max(units, 1);
    std::string s = std::to_string(u / 100);
    s += '.';
    if (u % 100 < 10)
        s += '0';
    s += std::to_string(u % 100);
    s += "in";
    return s;
}

// Appends every piece in turn: GCC 12 at -O3 warns falsely (-Wrestrict) on chains of operator+.
template <typename... T> void Append(std::string& s, const T&... pieces) {
    (s += ... += pieces);
}

int CountLines(const std::string& text) {
    return static_cast<int>(std::count(text.begin(), text.end(), '\n')) + 1;
}

} // namespace

CTypesetSource MakeTypesetSource(const std::string& preamble, const std::string& document,
                                 int pageWidth, int pageHeight) {
    const std::string w = Inches(pageWidth);
    const std::string h = Inches(pageHeight);
    CTypesetSource s;
    s.strText = "\\documentclass{article}\n"
                "\\usepackage{texdraw}\n";
    s.nPreambleLine = 3;
    s.nPreambleLines = CountLines(preamble);
    s.strText += preamble;
    s.strText += "\n";
    // The drawing goes into a box shipped out as the only page, its reference point at the
    // page's corner. Every texdraw picture starts by visiting the page's corners, so its box is
    // the page whatever is drawn; the centring around it is dropped, and with it the spaces of its
    // line ends.
    Append(s.strText,
           "\\renewenvironment{center}{\\ignorespaces}{\\unskip}\n"
           "\\everytexdraw{\\move(0 0)\\move(",
           w.substr(0, w.size() - 2), " -", h.substr(0, h.size() - 2),
           ")\\move(0 0)}\n"
           "\\begin{document}\n"
           "\\setbox0=\\hbox{%\n");
    s.nDocumentLine = CountLines(s.strText);
    s.nDocumentLines = CountLines(document);
    s.strText += document;
    Append(s.strText,
           "%\n}\\hoffset=-1in \\voffset=-1in\n"
           "\\shipout\\hbox{\\special{papersize=",
           w, ",", h,
           "}\\box0}\n"
           "\\end{document}\n");
    return s;
}
