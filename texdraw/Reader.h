// Reading a TeXDraw drawing that this editor wrote back into figures: the inverse of the document
// writer. Stretches it does not recognise are kept verbatim, in their place, as CRawTeXFigure.
#pragma once

#include "figures/Geometry.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

class CFigureList;

struct CTeXDrawReadResult {
    bool ok = false;
    // When not ok, a reason for the user that names the file and, where there is one, the line:
    // "<file>, line <n>: <reason>" or "<file>: <reason>".
    std::string error;
    // Stretches kept verbatim that hold more than white space, and the line each begins on.
    int nUnrecognised = 0;
    std::vector<int> unrecognisedLines;
    // Figures recognised only within rounding (a turned ellipse, a rhomb whose corners were off
    // whole page units): the next save writes some of their numbers 0.01 or so differently.
    int nApproximated = 0;
    // A drawing another program or a person wrote (not in this editor's own form): how many
    // drawings follow it in the file, kept as they stand.
    bool bForeign = false;
    int nFurtherDrawings = 0;
    // How many drawings come before the one read (the one asked for), kept as they stand.
    int nEarlierDrawings = 0;
};

// Larger files are refused unread.
inline constexpr std::size_t kMaxTeXDrawFileBytes = std::size_t{256} << 20;
// Coordinates farther than this from the page origin, in page units, make a file unreadable: the
// bound the editor keeps every point within.
inline constexpr double kMaxTeXDrawPageValue = kReadableReach;

// Reads the text of a document (fileName only names it in messages). On success out holds the
// figures read, bottom first, and nothing else; on failure out is left exactly as it was.
// Line feeds may be "\n" or, throughout, "\r\n"; white space after the last line is ignored.
// drawing chooses which drawing of a file that holds several is read (0 for the first); the
// others are kept as they stand and saved back unchanged.
CTeXDrawReadResult ReadTeXDrawText(std::string_view text, const std::string& fileName,
                                   CFigureList& out, int drawing = 0);
// The same for a file on disk; unreadable, special and oversized files are refused.
CTeXDrawReadResult ReadTeXDrawFile(const std::string& path, CFigureList& out, int drawing = 0);
