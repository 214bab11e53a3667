// The LaTeX file that typesets a TeXDraw document the way the editor shows it: the editor's own
// drawing after the user's preamble, or a drawing written elsewhere in what stands around it (a
// whole document with its own class and preamble, or the definitions before it). The drawing's box
// is shipped out as the only page, with paper to spare around the editor's page on every side,
// so that no ink beyond the page or text beyond TeXDraw's box is cut.
#pragma once

#include <string>

// The editor's page in page units (a hundredth of an inch, TeXDraw's default unit).
inline constexpr int kTypesetPageWidth = 681;
inline constexpr int kTypesetPageHeight = 801;

struct CTypesetLayout {
    // The page as it prints, page units.
    int nPageWidth = kTypesetPageWidth;
    int nPageHeight = kTypesetPageHeight;
    // Where the drawing's own origin lies on the page, page units as printed: a drawing written
    // elsewhere may have been moved onto the page.
    double dOriginX = 0, dOriginY = 0;
    // The document is a whole file written elsewhere, its drawing among its own text.
    bool bWholeFile = false;
};

struct CTypesetSource {
    std::string strText;
    int nPreambleLine = 0;  // first line of the user's preamble (lines count from 1)
    int nPreambleLines = 0; // how many lines it has
    int nDocumentLine = 0;  // first line of the TeXDraw document
    int nDocumentLines = 0;
    // The file brings its own \documentclass: it starts from LaTeX's own format.
    bool bOwnClass = false;
    // The page lies this far inside the paper on every side; page units.
    int nMargin = 0;
};

// The source for latex.
CTypesetSource MakeTypesetSource(const std::string& preamble, const std::string& document,
                                 const CTypesetLayout& layout = {});
