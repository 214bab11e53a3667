// The first error of a LaTeX run read from its log, said in plain words, and the figure of the
// drawing that caused it.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class CFigure;
class CFigureList;

struct CLatexError {
    std::string strMessage; // TeX's own words: "Undefined control sequence."
    std::string strFile;    // the file TeX was reading ("./main.tex"), empty when not named
    int nLine = 0;          // the line TeX was reading, 0 when the log names none
    std::string strBefore;  // that line up to where TeX stopped, as the log shows it
    std::string strAfter;   // the rest of the line
    std::string strContext; // the log's first line of context after the message
};

// The first error of a log written with -file-line-error (or without it: "! message" lines);
// nothing when the log holds no error.
std::optional<CLatexError> ParseLatexLog(std::string_view log);

// What went wrong in words a user of the editor understands, with TeX's words after them.
std::string ExplainLatexError(const CLatexError& error);

// Errors that TeX notices only where an open group or argument finally ends (a bare % hiding a
// closing brace, unbalanced braces): the line it names is not where the fault is.
bool IsGroupingError(const CLatexError& error);

// Which figure wrote each line of a TeXDraw document, built from the same blocks the document is.
class CTeXDrawLineMap {
public:
    explicit CTeXDrawLineMap(const CFigureList& figures);

    // The text MakeTeXDrawDocument gives for the same figures.
    const std::string& GetDocument() const { return m_strDocument; }
    // The document is a whole file written elsewhere (the drawing among its own text), not the
    // editor's header, blocks and footer.
    bool IsWholeFile() const { return m_bWholeFile; }
    // Which drawing of the whole file the figures are (0 for the first).
    int GetDrawing() const { return m_nDrawing; }
    int GetLineCount() const { return m_nLines; }
    // The index in the figure list of the figure that wrote a line of the document (counting
    // from 1), or -1 for the header, the footer and lines beyond the end.
    int FigureAt(int line) const;
    // The first line of a figure's block, 0 when it writes nothing.
    int FirstLineOf(int figure) const;

private:
    std::string m_strDocument;
    bool m_bWholeFile = false;
    int m_nDrawing = 0;
    int m_nLines = 0;
    std::vector<std::pair<int, int>> m_starts; // (first line, figure index), by line
    std::vector<int> m_lineCounts;             // lines of each start's block
};

// The figure to blame for an error TeX reported at a line of the document (which may lie past
// its end when TeX noticed the fault only after the drawing): for a grouping error, or one on a
// line no figure wrote, the first text up to that line whose braces, % or math do not close;
// otherwise the figure that wrote the line. -1 when no figure is to blame.
int FindErrorFigure(const CFigureList& figures, const CTeXDrawLineMap& map,
                    const CLatexError& error, int documentLine);

// "the text rectangle “50%”", "the line": the figure as a user would name it.
std::string DescribeFigure(const CFigure& figure);
