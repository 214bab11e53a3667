// Finding the drawing in a TeXDraw file that a person or another program wrote: the text before
// and after it (kept verbatim), its delimiters, its body, and how many more drawings follow.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Bytes [m_nBegin, m_nEnd) of the file's text.
struct CTeXDrawRange {
    std::size_t m_nBegin = 0;
    std::size_t m_nEnd = 0;
    std::size_t GetLength() const { return m_nEnd - m_nBegin; }
    std::string_view Of(std::string_view text) const {
        return text.substr(m_nBegin, m_nEnd - m_nBegin);
    }
    friend bool operator==(const CTeXDrawRange&, const CTeXDrawRange&) = default;
};

// How the drawing is delimited.
enum class ETeXDrawForm : unsigned char {
    Environment,  // \begin{texdraw} ... \end{texdraw}
    Plain,        // \btexdraw ... \etexdraw
    CentredMacro, // \centertexdraw{ ... }
};

struct CTeXDrawSurroundings {
    bool m_bOk = false;
    // When not ok: "line <n>: <reason>", and the line alone.
    std::string m_strError;
    int m_nErrorLine = 0;

    ETeXDrawForm m_eForm = ETeXDrawForm::Environment;
    // Inside \begin{center} ... \end{center}, with only blanks and comments between.
    bool m_bCentred = false;
    // prefix + open + body + close + suffix is the whole text.
    CTeXDrawRange m_prefix, m_open, m_body, m_close, m_suffix;
    // The line the body's first byte is on (1 for the first line of the file).
    int m_nBodyLine = 1;
    // Drawings after this one; they stay in the suffix as they are.
    int m_nFurtherDrawings = 0;
    // Drawings before it (the one asked for), which stay in the prefix as they are.
    int m_nEarlierDrawings = 0;
};

// A drawing of a file, for a chooser: the line it begins on and that line's text.
struct CTeXDrawListing {
    int m_nLine = 1;
    std::string m_strFirstLine;
};

// Finds the first drawing in text. Comments never open or close anything, nor do the bodies of
// macro definitions. A drawing that never ends, a drawing inside a drawing, and delimiters that
// cross (\begin{texdraw} closed by \etexdraw, an environment or group opened inside the drawing
// and closed after it) are refused with the line; so is a text with no drawing at all.
CTeXDrawSurroundings FindTeXDrawSurroundings(std::string_view text, int drawing = 0);
// The same for the drawing-th drawing of the file (0 for the first); the ones before it are
// found the same way and must be whole.

// The drawings of a file, in order, as far as they can be found.
std::vector<CTeXDrawListing> ListTeXDrawDrawings(std::string_view text);
