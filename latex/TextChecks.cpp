#include "latex/TextChecks.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <string_view>

namespace {

bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// Environments in which & separates cells.
bool IsAlignment(std::string_view env) {
    static constexpr std::array<std::string_view, 14> kNames{
        "tabular", "tabular*", "array", "matrix",  "pmatrix",  "bmatrix", "Bmatrix",
        "vmatrix", "Vmatrix",  "cases", "aligned", "gathered", "split",   "tabularx"};
    return std::find(kNames.begin(), kNames.end(), env) != kNames.end();
}

// Commands whose braced argument is set as text even inside math, and the one that makes its
// argument math anywhere.
bool StartsText(std::string_view cmd) {
    return cmd.starts_with("text") || cmd == "mbox" || cmd == "hbox" || cmd == "fbox" ||
           cmd == "makebox" || cmd == "framebox" || cmd == "parbox" || cmd == "intertext";
}

// Commands that read or write files or hand PostScript to the printer: in a drawing from someone
// else they deserve a look before the drawing is typeset.
bool IsFileCommand(std::string_view cmd) {
    static constexpr std::string_view kCommands[] = {
        "input",         "include",         "InputIfFileExists",
        "openin",        "openout",         "read",
        "readline",      "write",           "special",
        "immediate",     "write18",         "includegraphics",
        "verbatiminput", "lstinputlisting", "pdfliteral",
        "directlua",
    };
    return std::find(std::begin(kCommands), std::end(kCommands), cmd) != std::end(kCommands);
}

class CScanner {
public:
    explicit CScanner(const std::string& text) : m_text(text) {}

    std::vector<CTextProblem> Run() {
        while (m_i < m_text.size())
            Step();
        for (const CFrame& f : m_frames) {
            if (f.eKind == EFrame::Brace)
                Add(ETextProblem::UnclosedBrace, f.nPos);
            else if (f.eKind == EFrame::Math)
                Add(ETextProblem::UnclosedMath, f.nPos);
        }
        std::stable_sort(
            m_problems.begin(), m_problems.end(),
            [](const CTextProblem& a, const CTextProblem& b) { return a.nPos < b.nPos; });
        return m_problems;
    }

private:
    // What is open: a brace group, an environment, or math opened by $, $$, \( or \[. Each
    // knows whether its inside is math and whether & separates cells there.
    enum class EFrame { Brace, Environment, Math };
    struct CFrame {
        EFrame eKind;
        std::size_t nPos;
        bool bMath;
        bool bAlignment;
        std::string strName; // the environment's name
    };

    bool InMath() const { return !m_frames.empty() && m_frames.back().bMath; }
    bool InAlignment() const {
        return std::any_of(m_frames.begin(), m_frames.end(),
                           [](const CFrame& f) { return f.bAlignment; });
    }
    void Add(ETextProblem kind, std::size_t pos) { m_problems.push_back({kind, pos}); }

    void Step() {
        const char c = m_text[m_i];
        switch (c) {
        case '\\':
            Command();
            return;
        case '%':
            // TeX ignores the rest of the line, braces and all.
            Add(ETextProblem::Percent, m_i);
            while (m_i < m_text.size() && m_text[m_i] != '\n')
                ++m_i;
            return;
        case '&':
            if (!InAlignment())
                Add(ETextProblem::Ampersand, m_i);
            break;
        case '#':
            Add(ETextProblem::Hash, m_i);
            break;
        case '_':
        case '^':
            if (!InMath())
                Add(c == '_' ? ETextProblem::Subscript : ETextProblem::Superscript, m_i);
            break;
        case '$': {
            const std::size_t pos = m_i;
            m_i += m_i + 1 < m_text.size() && m_text[m_i + 1] == '$' ? 2 : 1;
            ToggleMath(pos);
            m_strLastCommand.clear();
            return;
        }
        case '{':
            OpenBrace();
            break;
        case '}':
            CloseBrace();
            break;
        default:
            break;
        }
        if (c != ' ')
            m_strLastCommand.clear();
        ++m_i;
    }

    void ToggleMath(std::size_t pos) {
        if (!m_frames.empty() && m_frames.back().eKind == EFrame::Math)
            m_frames.pop_back();
        else
            m_frames.push_back({EFrame::Math, pos, true, false, {}});
    }

    void OpenBrace() {
        // The argument of \text…, \mbox … is text, that of \ensuremath math; other groups keep
        // the mode around them.
        bool math = InMath();
        if (StartsText(m_strLastCommand))
            math = false;
        else if (m_strLastCommand == "ensuremath")
            math = true;
        m_frames.push_back({EFrame::Brace, m_i, math, false, {}});
    }

    void CloseBrace() {
        if (m_frames.empty() || m_frames.back().eKind != EFrame::Brace) {
            Add(ETextProblem::ExtraBrace, m_i);
            return;
        }
        m_frames.pop_back();
    }

    void Command() {
        const std::size_t start = m_i;
        ++m_i;
        if (m_i >= m_text.size())
            return;
        if (!IsLetter(m_text[m_i])) {
            // A control symbol: \%, \&, \{, \\ and so on stand for themselves.
            const char s = m_text[m_i++];
            if (s == '(' || s == '[')
                m_frames.push_back({EFrame::Math, start, true, false, {}});
            else if ((s == ')' || s == ']') && !m_frames.empty() &&
                     m_frames.back().eKind == EFrame::Math)
                m_frames.pop_back();
            m_strLastCommand.clear();
            return;
        }
        std::size_t end = m_i;
        while (end < m_text.size() && IsLetter(m_text[end]))
            ++end;
        m_strLastCommand = m_text.substr(m_i, end - m_i);
        m_i = end;
        if (IsFileCommand(m_strLastCommand))
            Add(ETextProblem::FileAccess, start);
        if (m_strLastCommand == "begin" || m_strLastCommand == "end")
            Environment(m_strLastCommand == "begin", start);
    }

    // \begin{name} opens a frame that \end{name} closes; the braces around the name are read
    // here.
    void Environment(bool begin, std::size_t start) {
        std::size_t j = m_i;
        while (j < m_text.size() && m_text[j] == ' ')
            ++j;
        if (j >= m_text.size() || m_text[j] != '{')
            return;
        const std::size_t close = m_text.find('}', j);
        if (close == std::string::npos)
            return; // the lone brace is reported as unclosed
        const std::string name = m_text.substr(j + 1, close - j - 1);
        m_i = close + 1;
        m_strLastCommand.clear();
        if (begin) {
            const bool math = name == "math" || InMath();
            m_frames.push_back({EFrame::Environment, start, math, IsAlignment(name), name});
            return;
        }
        if (!m_frames.empty() && m_frames.back().eKind == EFrame::Environment &&
            m_frames.back().strName == name)
            m_frames.pop_back();
    }

    const std::string& m_text;
    std::size_t m_i = 0;
    std::vector<CFrame> m_frames;
    std::string m_strLastCommand;
    std::vector<CTextProblem> m_problems;
};

} // namespace

std::vector<CTextProblem> CheckLatexText(const std::string& text) {
    return CScanner(text).Run();
}

std::string DescribeTextProblem(ETextProblem kind) {
    switch (kind) {
    case ETextProblem::Percent:
        return "A bare % starts a TeX comment and hides the rest of the line, the closing brace "
               "included: write \\% for a percent sign.";
    case ETextProblem::Ampersand:
        return "A bare & is a table's cell separator: write \\& for an ampersand.";
    case ETextProblem::Hash:
        return "A bare # is a macro parameter: write \\# for a hash sign.";
    case ETextProblem::Subscript:
        return "_ makes a subscript and works only in math: write $a_1$, or \\_ for an "
               "underscore.";
    case ETextProblem::Superscript:
        return "^ makes a superscript and works only in math: write $a^2$, or \\^{} for a "
               "circumflex.";
    case ETextProblem::UnclosedBrace:
        return "A { is never closed: the braces do not pair up.";
    case ETextProblem::ExtraBrace:
        return "A } closes nothing: the braces do not pair up.";
    case ETextProblem::UnclosedMath:
        return "Math opened with $ is never closed: add the closing $.";
    case ETextProblem::FileAccess:
        return "The text reads or writes a file or runs PostScript (\\input, \\openout, "
               "\\special, ...). The preview and the export refuse every file outside their own "
               "folder; look at what the text does before you print the drawing elsewhere.";
    }
    return {};
}

std::string DescribeTextProblems(const std::vector<CTextProblem>& problems) {
    std::string out;
    std::vector<ETextProblem> seen;
    for (const CTextProblem& p : problems) {
        if (std::find(seen.begin(), seen.end(), p.eKind) != seen.end())
            continue;
        seen.push_back(p.eKind);
        if (!out.empty())
            out += '\n';
        out += DescribeTextProblem(p.eKind);
    }
    return out;
}
