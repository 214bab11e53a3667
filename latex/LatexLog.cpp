#include "latex/LatexLog.h"

#include "figures/FigureList.h"
#include "figures/TextFigures.h"
#include "latex/TextChecks.h"
#include "texdraw/Document.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <climits>

namespace {

// TeX breaks log lines at this width unless told otherwise.
constexpr std::size_t kTeXLogWidth = 79;

std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t nl = text.find('\n');
        std::string_view line = text.substr(0, nl);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.push_back(line);
        if (nl == std::string_view::npos)
            break;
        text.remove_prefix(nl + 1);
    }
    return lines;
}

bool ParseInt(std::string_view s, int& out) {
    if (s.empty())
        return false;
    const auto r = std::from_chars(s.data(), s.data() + s.size(), out);
    return r.ec == std::errc() && r.ptr == s.data() + s.size();
}

// "./main.tex:12: Undefined control sequence." → file, line, message. The file may be any file
// TeX reads (a package, an \input file), named as TeX opened it: with a folder or an extension.
bool SplitFileLineError(std::string_view line, CLatexError& e) {
    const std::size_t colon = line.find(": ");
    if (colon == std::string_view::npos)
        return false;
    const std::size_t numEnd = colon;
    const std::size_t fileEnd = line.rfind(':', numEnd == 0 ? 0 : numEnd - 1);
    if (fileEnd == std::string_view::npos || fileEnd == 0)
        return false;
    const std::string_view file = line.substr(0, fileEnd);
    if (file.find(' ') != std::string_view::npos ||
        (file.find('/') == std::string_view::npos && file.find('.') == std::string_view::npos))
        return false;
    int n = 0;
    if (!ParseInt(line.substr(fileEnd + 1, numEnd - fileEnd - 1), n))
        return false;
    e.strFile = std::string(file);
    e.nLine = n;
    e.strMessage = std::string(line.substr(colon + 2));
    return true;
}

bool Contains(const std::string& s, std::string_view what) {
    return s.find(what) != std::string::npos;
}

// The last control word in text ("\foo"), empty when there is none.
std::string LastControlWord(const std::string& text) {
    const std::size_t slash = text.rfind('\\');
    if (slash == std::string::npos)
        return {};
    std::size_t end = slash + 1;
    while (end < text.size() &&
           (std::isalpha(static_cast<unsigned char>(text[end])) || text[end] == '@'))
        ++end;
    return end > slash + 1 ? text.substr(slash, end - slash) : std::string();
}

} // namespace

std::optional<CLatexError> ParseLatexLog(std::string_view log) {
    const std::vector<std::string_view> lines = SplitLines(log);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        CLatexError e;
        const std::string_view line = lines[i];
        if (line.starts_with("! "))
            e.strMessage = std::string(line.substr(2));
        else if (!SplitFileLineError(line, e))
            continue;
        // A message TeX broke at its log width goes on in the next line.
        if (line.size() == kTeXLogWidth && i + 1 < lines.size())
            e.strMessage += std::string(lines[i + 1]);
        if (i + 1 < lines.size())
            e.strContext = std::string(lines[i + 1]);
        // The context: "l.<n> <text read so far>" and, on the next line, what was still unread.
        for (std::size_t j = i + 1; j < lines.size() && j < i + 40; ++j) {
            const std::string_view l = lines[j];
            CLatexError next;
            if (l.starts_with("! "))
                break;
            if (SplitFileLineError(l, next)) {
                // A file TeX could not find stops the run at the line that asked for it.
                if (next.strMessage.starts_with("Emergency stop") && e.nLine == 0) {
                    e.nLine = next.nLine;
                    e.strFile = next.strFile;
                    continue;
                }
                break;
            }
            if (!l.starts_with("l."))
                continue;
            const std::size_t space = l.find(' ');
            int n = 0;
            if (ParseInt(l.substr(2, space == std::string_view::npos ? l.npos : space - 2), n)) {
                if (e.nLine == 0)
                    e.nLine = n;
                e.strBefore =
                    space == std::string_view::npos ? "" : std::string(l.substr(space + 1));
                if (j + 1 < lines.size()) {
                    std::string_view after = lines[j + 1];
                    while (!after.empty() && after.front() == ' ')
                        after.remove_prefix(1);
                    e.strAfter = std::string(after);
                }
            }
            break;
        }
        return e;
    }
    return std::nullopt;
}

bool IsGroupingError(const CLatexError& error) {
    static constexpr std::array<std::string_view, 8> kGrouping{
        "Missing } inserted",     "Extra }, or forgotten",
        "Runaway argument",       "File ended while scanning",
        "Paragraph ended before", "ended by \\end",
        "Missing { inserted",     "Too many }'s"};
    return std::any_of(kGrouping.begin(), kGrouping.end(),
                       [&](std::string_view k) { return Contains(error.strMessage, k); });
}

std::string ExplainLatexError(const CLatexError& error) {
    const std::string& m = error.strMessage;
    std::string plain;
    if (Contains(m, "Undefined control sequence")) {
        // TeX shows the unknown command at the end of the first line of context.
        std::string cmd = LastControlWord(error.strContext);
        if (cmd.empty())
            cmd = LastControlWord(error.strBefore);
        plain = "Unknown command" + (cmd.empty() ? std::string() : " " + cmd) +
                ": it is misspelt, or the package that defines it is missing from the LaTeX "
                "preamble.";
    } else if (Contains(m, "Missing $ inserted")) {
        plain = "A sign that works only in math (_, ^ or a math command) stands outside $...$.";
    } else if (IsGroupingError(error)) {
        plain = "The braces do not pair up, or a bare % hides the closing brace (write \\% for a "
                "percent sign).";
    } else if (Contains(m, "Misplaced alignment tab character")) {
        plain = DescribeTextProblem(ETextProblem::Ampersand);
    } else if (Contains(m, "macro parameter character #") ||
               Contains(m, "Illegal parameter number")) {
        plain = DescribeTextProblem(ETextProblem::Hash);
    } else if (Contains(m, "Double superscript") || Contains(m, "Double subscript")) {
        plain = "Two superscripts or two subscripts in a row: group them with braces, as in "
                "$x^{a^b}$.";
    } else if (Contains(m, "LaTeX Error: File `")) {
        const std::size_t a = m.find('`') + 1;
        const std::size_t b = m.find('\'', a);
        const std::string file = m.substr(a, b == std::string::npos ? b : b - a);
        // A name with a folder, "..", "~" or a variable is refused before it is looked for.
        if (file.find('/') != std::string::npos || file.find('~') != std::string::npos ||
            file.find('$') != std::string::npos || file.starts_with(".")) {
            plain = "LaTeX may not read " + file +
                    ": a drawing's texts read only files that TeX Live finds by their name (put "
                    "a file of your own into ~/texmf/tex/latex/ and name it without a folder).";
        } else {
            plain = "The LaTeX file " + file + " is not installed";
            if (file == "texdraw.sty")
                plain += " (Debian package texlive-pictures)";
            plain += ".";
        }
    } else if (Contains(m, "Unable to read an entire line")) {
        plain = "A text is longer than LaTeX can read on one line; split it into several texts.";
    } else {
        plain = "LaTeX stopped with an error.";
    }
    return plain + " [LaTeX: " + m + "]";
}

// --- Lines of the document

CTeXDrawLineMap::CTeXDrawLineMap(const CFigureList& figures) {
    const auto lines = [](const std::string& text) {
        return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
    };
    std::string blocks;
    // The editor's header has six lines; a drawing written elsewhere keeps the text before it.
    int line = figures.m_bForeign ? 1 + lines(figures.m_strBefore) : 7;
    std::string block;
    for (int i = 0; i < figures.GetCount(); ++i) {
        block.clear();
        if (figures.m_bForeign)
            AppendForeignFigureText(figures, i, block);
        else
            block = figures.GetAt(i)->GetTeXDrawBlock();
        if (block.empty())
            continue;
        const int n = lines(block) + (block.back() == '\n' ? 0 : 1);
        m_starts.emplace_back(line, i);
        m_lineCounts.push_back(n);
        line += lines(block);
        blocks += block;
    }
    // A drawing written elsewhere is typeset as it stands, in what stands around it; the editor's
    // own goes in with its scale: LaTeX prints it as large as the saved file does.
    m_bWholeFile = figures.m_bForeign;
    m_nDrawing = figures.m_bForeign ? figures.m_nDrawing : 0;
    m_strDocument = figures.m_bForeign ? figures.m_strBefore + blocks + figures.m_strAfter
                                       : MakeTeXDrawDocument(blocks, figures.m_dUnitScale);
    m_nLines = lines(m_strDocument) + 1;
}

int CTeXDrawLineMap::FigureAt(int line) const {
    auto it = std::upper_bound(m_starts.begin(), m_starts.end(), std::make_pair(line, INT_MAX));
    if (it == m_starts.begin())
        return -1;
    --it;
    const std::size_t k = static_cast<std::size_t>(it - m_starts.begin());
    return line < it->first + m_lineCounts[k] ? it->second : -1;
}

int CTeXDrawLineMap::FirstLineOf(int figure) const {
    for (const auto& [line, index] : m_starts)
        if (index == figure)
            return line;
    return 0;
}

int FindErrorFigure(const CFigureList& figures, const CTeXDrawLineMap& map,
                    const CLatexError& error, int documentLine) {
    const int at = map.FigureAt(documentLine);
    // An error that TeX noticed only where a group finally closed, or outside every block (in
    // the footer, after the drawing), comes from a text that left a group or math open.
    if (IsGroupingError(error) || at == -1) {
        for (int i = 0; i < figures.GetCount(); ++i) {
            const int first = map.FirstLineOf(i);
            if (first == 0 || first > documentLine)
                continue;
            const std::string* text = GetFigureTextOf(*figures.GetAt(i));
            if (!text)
                continue;
            for (const CTextProblem& p : CheckLatexText(*text)) {
                if (p.eKind == ETextProblem::Percent || p.eKind == ETextProblem::UnclosedBrace ||
                    p.eKind == ETextProblem::ExtraBrace || p.eKind == ETextProblem::UnclosedMath)
                    return i;
            }
        }
    }
    return at;
}

std::string DescribeFigure(const CFigure& figure) {
    std::string out = "the " + GetFigureUserName(figure);
    if (const std::string* text = GetFigureTextOf(figure)) {
        constexpr std::size_t kShown = 40;
        std::string shown = text->substr(0, kShown);
        std::replace(shown.begin(), shown.end(), '\n', ' ');
        out += " \u201c" + shown + (text->size() > kShown ? "..." : "") + "\u201d";
    }
    return out;
}
