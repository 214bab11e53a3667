// Running the body of a TeXDraw drawing that a person or another program wrote as TeXDraw's own
// macros would, into statements that keep every byte and say what each drew, in page units.
#pragma once

#include "figures/Geometry.h"
#include "figures/TeXDrawSettings.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

enum class ETeXDrawPrimitive : unsigned char {
    Line,    // m_pt1 -> m_pt2, a piece of path m_nPath
    Curve,   // m_pt1, m_ptControl1, m_ptControl2, m_pt2: a cubic Bezier piece of path m_nPath
    Arrow,   // tail m_pt1, tip m_pt2, m_cHeadType, m_dHeadLength, m_dHeadWidth
    Circle,  // centre m_pt1, radius m_dRadiusX (= m_dRadiusY); m_bFilled with m_dFillGray
    Ellipse, // centre m_pt1, axis-parallel radii m_dRadiusX, m_dRadiusY; m_bFilled, m_dFillGray
    Arc,     // centre m_pt1, radius m_dRadiusX, from m_dStartDeg to m_dEndDeg
    Text,    // anchor m_pt1, m_cHRef, m_cVRef, m_dAngle, m_strText
};

// What a statement drew, in page units: 0.01 in, x to the right, y DOWNWARD (TeXDraw's y grows
// upward: the page point (x, y) is TeXDraw's (0.01x -0.01y) in inches at unit scale 1).
// Angles are TeXDraw's, in degrees counter-clockwise as drawn (an arc runs counter-clockwise
// from m_dStartDeg to m_dEndDeg like PostScript's arc, which on the page, y downward, turns
// the other way round).
struct CTeXDrawPrimitive {
    ETeXDrawPrimitive m_eKind = ETeXDrawPrimitive::Line;
    int m_nStyle = 0;         // index into CTeXDrawProgram::m_styles
    int m_nPath = -1;         // lines and curves: index into CTeXDrawProgram::m_paths
    bool m_bExpanded = false; // drawn by a macro of the file's own (or a conditional), not by
                              // TeXDraw's commands themselves
    CDoublePoint m_pt1, m_pt2;
    CDoublePoint m_ptControl1, m_ptControl2;
    double m_dRadiusX = 0.0, m_dRadiusY = 0.0;
    double m_dStartDeg = 0.0, m_dEndDeg = 0.0;
    bool m_bFilled = false;
    double m_dFillGray = 0.0;
    // \arrowheadtype's letter: F filled, T open triangle, W white-filled, V vee at the tip, H
    // (or anything else) vee with the shaft stopping short. Sizes in page units.
    char m_cHeadType = 'T';
    double m_dHeadLength = 0.0, m_dHeadWidth = 0.0;
    // \textref: h is L, C or R; v is T, C or B (TeXDraw takes any other letter as L or B).
    char m_cHRef = 'L', m_cVRef = 'B';
    double m_dAngle = 0.0;
    std::string m_strText; // the TeX source of the text, without its braces
};

// A path: the lines and curves drawn one after another with no move, style change, arrow, fill
// or segment boundary between them. \lfill fills it (closed) and strokes it as drawn (not
// closed); \ifill only fills.
struct CTeXDrawPath {
    int m_nFirstStatement = 0;
    bool m_bFilled = false;
    double m_dFillGray = 0.0;
    bool m_bStroked = true;
    int m_nFillStatement = -1; // the \lfill or \ifill, -1 when not filled
};

// Where TeXDraw stands between two statements: the current point, and the frame coordinates are
// read in. A point (u v) written there is the page point m_ptOrigin + (u, -v) * m_dUnit.
struct CTeXDrawPlace {
    CDoublePoint m_ptCurrent; // page units
    CDoublePoint m_ptOrigin;  // the segment's origin, page units
    double m_dUnit = 100.0;   // one drawing unit (\drawdim times both scales) in page units
    double m_dUnitSp = 0.0;   // one drawing unit before the scales, in TeX's sp
    int m_nSegmentDepth = 0;  // segments open
    int m_nOpenPath = -1;     // the path being drawn, which a move would end; -1 for none
    int m_nSettings = 0;      // index into CTeXDrawProgram::m_settings
    double m_dSegScale = 1.0; // \setsegscale's, which a segment begun here would reset
};

enum class ETeXDrawStatement : unsigned char {
    Blank,        // blanks and a line end
    Comment,      // a line holding only a comment
    Move,         // \move, \rmove
    Line,         // \lvec, \rlvec
    Arrow,        // \avec, \ravec
    Curve,        // \clvec
    Circle,       // \lcir, \fcir
    Ellipse,      // \lellip, \fellip
    Arc,          // \larc
    Fill,         // \lfill, \ifill
    Style,        // \linewd, \lpatt, \setgray, \arrowheadtype, \arrowheadsize, \textref
    Text,         // \htext, \vtext, \rtext
    Units,        // \drawdim, \setunitscale, \relunitscale, \setsegscale, \relsegscale
    SegmentBegin, // \bsegment
    SegmentEnd,   // \esegment
    SavePosition, // \savecurrpos, \savepos
    BoundingBox,  // \drawbb
    Unknown,      // anything else, or a command that could not be read (m_strMessage says why)
};

struct CTeXDrawStatement {
    ETeXDrawStatement m_eKind = ETeXDrawStatement::Blank;
    // Bytes of the body: the command with its arguments, blanks around it, and when the line
    // goes on with a comment only, that comment and the line end (programs keep data there).
    std::size_t m_nBegin = 0, m_nEnd = 0;
    int m_nLine = 0;           // of m_nBegin, counted from CTeXDrawInterpretOptions::m_nFirstLine
    std::string m_strName;     // the control sequence without its backslash, "" for none
    int m_nFirstPrimitive = 0; // m_primitives[m_nFirstPrimitive, + m_nPrimitives)
    int m_nPrimitives = 0;
    std::string m_strMessage; // why an Unknown statement could not be read; "" for a macro or
                              // command this program does not know
    CTeXDrawPlace m_after;    // where the statement leaves TeXDraw
};

struct CTeXDrawMessage {
    int m_nLine = 0;
    std::string m_strText; // "line <n>: <reason>"
};

struct CTeXDrawProgram {
    std::vector<CTeXDrawStatement> m_statements; // in order; their bytes tile the body exactly
    std::vector<CTeXDrawPrimitive> m_primitives;
    std::vector<CTeXDrawPath> m_paths;
    std::vector<CTeXDrawStyle> m_styles;
    // The settings statements leave in force (CTeXDrawPlace::m_nSettings), each differing from the
    // one before; the first is TeXDraw's own at the start of a drawing.
    std::vector<CTeXDrawSettings> m_settings;
    // Where the drawing starts: before its first statement.
    CTeXDrawPlace m_start;
    // Where TeXDraw stands before statement i.
    const CTeXDrawPlace& PlaceBefore(std::size_t i) const {
        return i == 0 ? m_start : m_statements[i - 1].m_after;
    }
    // Unknown statements and the lines they begin on.
    int m_nUnknown = 0;
    std::vector<int> m_unknownLines;
    // What could not be read, or could be read only so far, in order.
    std::vector<CTeXDrawMessage> m_messages;
    // The drawing's extent as TeXDraw measures it (moves, ends of lines and curves, circles and
    // ellipses; not arcs, arrowheads, line widths or texts), page units.
    CDoublePoint m_ptMin, m_ptMax;
};

struct CTeXDrawInterpretOptions {
    // Line of the body's first byte in its file, for statements and messages.
    int m_nFirstLine = 1;
    // Text before the drawing whose macro definitions (\def, \newcommand) the body may use.
    std::string_view m_strPreamble;
    // Run the file's own macros (and \ifx conditionals) to record what they draw.
    bool m_bExpandMacros = true;
    // Where TeXDraw's origin lies on the page, page units: every point recorded is shifted by it.
    CDoublePoint m_ptPageOrigin;
};

// Reads the body between the drawing's delimiters. Never fails: what cannot be read becomes an
// Unknown statement with a message, and every byte of the body lies in exactly one statement.
// Time and memory grow linearly with the body (macro expansion has a budget in proportion).
CTeXDrawProgram InterpretTeXDraw(std::string_view body,
                                 const CTeXDrawInterpretOptions& options = {});

// The limits past which the rest of a body is kept as one Unknown statement.
inline constexpr int kMaxTeXDrawStatements = 1 << 20;
inline constexpr int kMaxTeXDrawPrimitives = 1 << 20;
// Segments nested deeper are not followed (their \bsegment and \esegment stay Unknown).
inline constexpr int kMaxTeXDrawSegmentDepth = 1000;
