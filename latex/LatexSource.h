// The LaTeX file that typesets a TeXDraw document the way the editor shows it: the user's
// preamble, then the document exactly as saved, set on a page the size of the editor's page with
// the page's top-left corner at the TeXDraw origin.
#pragma once

#include <string>

// The editor's page in page units (a hundredth of an inch, TeXDraw's default unit).
inline constexpr int kTypesetPageWidth = 681;
inline constexpr int kTypesetPageHeight = 801;

struct CTypesetSource {
    std::string strText;
    int nPreambleLine = 0;  // first line of the user's preamble (lines count from 1)
    int nPreambleLines = 0; // how many lines it has
    int nDocumentLine = 0;  // first line of the TeXDraw document
    int nDocumentLines = 0;
};

// The source for latex. pageWidth and pageHeight are in page units.
CTypesetSource MakeTypesetSource(const std::string& preamble, const std::string& document,
                                 int pageWidth = kTypesetPageWidth,
                                 int pageHeight = kTypesetPageHeight);
