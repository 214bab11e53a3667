#include "texdraw/Interpreter.h"

#include "texdraw/TeXLexer.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>

namespace {

// TeXDraw keeps positions as whole "pixels" of 1/300 in: \sppix 300/in makes one pixel
// (4736286 + 150) / 300 sp, TeX's inch being 4736286 sp; the PostScript it writes is scaled by
// 0.24 bp per pixel, so a pixel draws as exactly 1/300 in, a third of a page unit.
constexpr long long kSpPerPixel = 15788;
constexpr double kPixelsPerPageUnit = 3.0;
constexpr double kSpPerPt = 65536.0;
// TeX refuses dimensions from 2^30 sp on ("Dimension too large").
constexpr double kMaxDimen = 1073741823.0;
// The page's reach in pixels: farther points are refused.
constexpr double kMaxPixels = kReadableReach * kPixelsPerPageUnit;

struct CUnit {
    std::string_view m_strName;
    double m_dSp;
};

// TeX's units in sp; em and ex are Computer Modern's at 10 pt, px is pdfTeX's default 1 bp.
constexpr CUnit kUnits[] = {
    {"in", 72.27 * kSpPerPt},
    {"cm", 72.27 / 2.54 * kSpPerPt},
    {"mm", 72.27 / 25.4 * kSpPerPt},
    {"pt", kSpPerPt},
    {"bp", 72.27 / 72.0 * kSpPerPt},
    {"pc", 12.0 * kSpPerPt},
    {"dd", 1238.0 / 1157.0 * kSpPerPt},
    {"cc", 12.0 * 1238.0 / 1157.0 * kSpPerPt},
    {"sp", 1.0},
    {"px", 72.27 / 72.0 * kSpPerPt},
    {"nd", 0.375 * 72.27 / 25.4 * kSpPerPt},
    {"nc", 12.0 * 0.375 * 72.27 / 25.4 * kSpPerPt},
    {"em", 10.0 * kSpPerPt},
    {"ex", 4.30554 * kSpPerPt},
};

// TeX reads a decimal fraction to the nearest 2^-16.
double Quantise(double v) {
    const double whole = std::trunc(v);
    return whole + std::round((v - whole) * 65536.0) / 65536.0;
}

std::string_view Trim(std::string_view s) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
    while (!s.empty() && blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && blank(s.back()))
        s.remove_suffix(1);
    return s;
}

// One pair of braces around the whole of s goes, as TeX strips them from an argument.
std::string_view StripBraces(std::string_view s) {
    s = Trim(s);
    if (s.size() < 2 || s.front() != '{' || s.back() != '}')
        return s;
    int depth = 0;
    for (std::size_t i = 0; i + 1 < s.size(); ++i) {
        depth += s[i] == '{' ? 1 : s[i] == '}' ? -1 : 0;
        if (depth == 0)
            return s; // the first brace closes before the end: "{a}{b}"
    }
    return Trim(s.substr(1, s.size() - 2));
}

// A number as TeX reads one before a unit: signs (blanks between them), digits, and a decimal
// point or comma: "-.5", "2.", "+1", "1,5", "- -3".
bool ParseTeXNumber(std::string_view s, double& value) {
    s = StripBraces(s);
    bool negative = false;
    std::size_t i = 0;
    while (i < s.size() && (s[i] == '+' || s[i] == '-' || s[i] == ' ' || s[i] == '\t')) {
        negative ^= s[i] == '-';
        ++i;
    }
    double v = 0.0;
    bool digits = false, point = false;
    double scale = 1.0;
    for (; i < s.size(); ++i) {
        const char c = s[i];
        if (c >= '0' && c <= '9') {
            digits = true;
            if (point) {
                scale /= 10.0;
                v += (c - '0') * scale;
            } else {
                v = v * 10.0 + (c - '0');
            }
        } else if ((c == '.' || c == ',') && !point) {
            point = true;
        } else {
            return false;
        }
    }
    if (!digits && !point)
        return false;
    if (!std::isfinite(v))
        return false;
    value = negative ? -v : v;
    return true;
}

// Blank-separated items, as TeXDraw splits "(x y)" and \lpatt's list.
std::vector<std::string_view> SplitBlanks(std::string_view s) {
    std::vector<std::string_view> items;
    std::size_t i = 0;
    while (i < s.size()) {
        while (i < s.size() && (s[i] == ' ' || s[i] == '\t' || s[i] == '\n' || s[i] == '\r'))
            ++i;
        const std::size_t start = i;
        int depth = 0;
        while (i < s.size() &&
               (depth > 0 || !(s[i] == ' ' || s[i] == '\t' || s[i] == '\n' || s[i] == '\r'))) {
            depth += s[i] == '{' ? 1 : s[i] == '}' ? -1 : 0;
            ++i;
        }
        if (i > start)
            items.push_back(StripBraces(s.substr(start, i - start)));
    }
    return items;
}

std::string TokenText(const CTeXToken& t) {
    switch (t.m_eType) {
    case ETeXToken::ControlSequence:
        return "\\" + std::string(t.m_str);
    case ETeXToken::Space:
        return " ";
    case ETeXToken::Par:
        return "\n\n";
    default:
        return std::string(t.m_str);
    }
}

// A macro of the file's own: the tokens before its first parameter, each parameter's delimiter
// (empty for an undelimited one), and its replacement.
struct CMacro {
    std::vector<CTeXToken> m_prefix;
    std::vector<std::vector<CTeXToken>> m_delimiters;
    std::vector<CTeXToken> m_body;
};

// What a control sequence means: TeXDraw's or TeX's own (by its name), a macro of the file's own,
// a character it was \let to, or nothing.
struct CMeaning {
    enum class EKind : unsigned char {
        Undefined,
        Builtin,
        Macro,
        Token
    } m_eKind = EKind::Undefined;
    std::string m_strName;
    std::shared_ptr<const CMacro> m_pMacro;
    CTeXToken m_token;

    friend bool operator==(const CMeaning& a, const CMeaning& b) {
        if (a.m_eKind != b.m_eKind)
            return false;
        switch (a.m_eKind) {
        case EKind::Builtin:
            return a.m_strName == b.m_strName;
        case EKind::Macro:
            return a.m_pMacro == b.m_pMacro;
        case EKind::Token:
            return SameToken(a.m_token, b.m_token);
        default:
            return true;
        }
    }
};

enum class ECommand : unsigned char {
    Move,
    RMove,
    LVec,
    RLVec,
    AVec,
    RAVec,
    CLVec,
    LCir,
    FCir,
    LEllip,
    FEllip,
    LArc,
    LFill,
    IFill,
    LineWd,
    LPatt,
    SetGray,
    ArrowHeadType,
    ArrowHeadSize,
    TextRef,
    HText,
    VText,
    RText,
    DrawDim,
    SetUnitScale,
    RelUnitScale,
    SetSegScale,
    RelSegScale,
    BSegment,
    ESegment,
    SaveCurrPos,
    SavePos,
    DrawBB,
    // TeX's own, followed inside macros and conditionals.
    Def,
    Let,
    FutureLet,
    IfX,
    IfTrue,
    IfFalse,
    OtherIf,
    Else,
    Fi,
    Relax,
    NewCommand,
};

struct CCommandName {
    std::string_view m_strName;
    ECommand m_eCommand;
    ETeXDrawStatement m_eKind;
};

constexpr CCommandName kCommands[] = {
    {"move", ECommand::Move, ETeXDrawStatement::Move},
    {"rmove", ECommand::RMove, ETeXDrawStatement::Move},
    {"lvec", ECommand::LVec, ETeXDrawStatement::Line},
    {"rlvec", ECommand::RLVec, ETeXDrawStatement::Line},
    {"avec", ECommand::AVec, ETeXDrawStatement::Arrow},
    {"ravec", ECommand::RAVec, ETeXDrawStatement::Arrow},
    {"clvec", ECommand::CLVec, ETeXDrawStatement::Curve},
    {"lcir", ECommand::LCir, ETeXDrawStatement::Circle},
    {"fcir", ECommand::FCir, ETeXDrawStatement::Circle},
    {"lellip", ECommand::LEllip, ETeXDrawStatement::Ellipse},
    {"fellip", ECommand::FEllip, ETeXDrawStatement::Ellipse},
    {"larc", ECommand::LArc, ETeXDrawStatement::Arc},
    {"lfill", ECommand::LFill, ETeXDrawStatement::Fill},
    {"ifill", ECommand::IFill, ETeXDrawStatement::Fill},
    {"linewd", ECommand::LineWd, ETeXDrawStatement::Style},
    {"lpatt", ECommand::LPatt, ETeXDrawStatement::Style},
    {"setgray", ECommand::SetGray, ETeXDrawStatement::Style},
    {"arrowheadtype", ECommand::ArrowHeadType, ETeXDrawStatement::Style},
    {"arrowheadsize", ECommand::ArrowHeadSize, ETeXDrawStatement::Style},
    {"textref", ECommand::TextRef, ETeXDrawStatement::Style},
    {"htext", ECommand::HText, ETeXDrawStatement::Text},
    {"vtext", ECommand::VText, ETeXDrawStatement::Text},
    {"rtext", ECommand::RText, ETeXDrawStatement::Text},
    {"drawdim", ECommand::DrawDim, ETeXDrawStatement::Units},
    {"setunitscale", ECommand::SetUnitScale, ETeXDrawStatement::Units},
    {"relunitscale", ECommand::RelUnitScale, ETeXDrawStatement::Units},
    {"setsegscale", ECommand::SetSegScale, ETeXDrawStatement::Units},
    {"relsegscale", ECommand::RelSegScale, ETeXDrawStatement::Units},
    {"bsegment", ECommand::BSegment, ETeXDrawStatement::SegmentBegin},
    {"esegment", ECommand::ESegment, ETeXDrawStatement::SegmentEnd},
    {"savecurrpos", ECommand::SaveCurrPos, ETeXDrawStatement::SavePosition},
    {"savepos", ECommand::SavePos, ETeXDrawStatement::SavePosition},
    {"drawbb", ECommand::DrawBB, ETeXDrawStatement::BoundingBox},
    {"def", ECommand::Def, ETeXDrawStatement::Unknown},
    {"gdef", ECommand::Def, ETeXDrawStatement::Unknown},
    {"edef", ECommand::Def, ETeXDrawStatement::Unknown},
    {"xdef", ECommand::Def, ETeXDrawStatement::Unknown},
    {"let", ECommand::Let, ETeXDrawStatement::Unknown},
    {"futurelet", ECommand::FutureLet, ETeXDrawStatement::Unknown},
    {"ifx", ECommand::IfX, ETeXDrawStatement::Unknown},
    {"iftrue", ECommand::IfTrue, ETeXDrawStatement::Unknown},
    {"iffalse", ECommand::IfFalse, ETeXDrawStatement::Unknown},
    {"else", ECommand::Else, ETeXDrawStatement::Unknown},
    {"fi", ECommand::Fi, ETeXDrawStatement::Unknown},
    {"relax", ECommand::Relax, ETeXDrawStatement::Unknown},
    {"newcommand", ECommand::NewCommand, ETeXDrawStatement::Unknown},
    {"renewcommand", ECommand::NewCommand, ETeXDrawStatement::Unknown},
    {"providecommand", ECommand::NewCommand, ETeXDrawStatement::Unknown},
};

const CCommandName* FindCommand(std::string_view name) {
    static const std::unordered_map<std::string_view, const CCommandName*> byName = [] {
        std::unordered_map<std::string_view, const CCommandName*> m;
        for (const CCommandName& c : kCommands)
            m.emplace(c.m_strName, &c);
        return m;
    }();
    const auto it = byName.find(name);
    return it == byName.end() ? nullptr : it->second;
}

bool IsConditional(const CTeXToken& t) {
    return t.m_eType == ETeXToken::ControlSequence && t.m_str.size() >= 2 &&
           t.m_str.substr(0, 2) == "if";
}

// The tokens a statement reads: the body's, and in front of them what macros expanded to.
class CInput {
public:
    explicit CInput(std::string_view text) : m_lexer(text) {}

    bool Next(CTeXToken& t) {
        while (!m_stack.empty()) {
            CList& top = m_stack.back();
            if (top.m_nNext < top.m_tokens.size()) {
                t = top.m_tokens[top.m_nNext++];
                // A macro that ends by calling another does not deepen the stack.
                if (top.m_nNext == top.m_tokens.size())
                    m_stack.pop_back();
                return true;
            }
            m_stack.pop_back();
        }
        return m_lexer.Next(t);
    }
    bool Peek(CTeXToken& t) const {
        for (auto it = m_stack.rbegin(); it != m_stack.rend(); ++it)
            if (it->m_nNext < it->m_tokens.size()) {
                t = it->m_tokens[it->m_nNext];
                return true;
            }
        return m_lexer.Peek(t);
    }
    void Push(std::vector<CTeXToken> tokens) {
        if (!tokens.empty())
            m_stack.push_back({std::move(tokens), 0});
    }
    bool IsExpanding() const {
        return std::any_of(m_stack.begin(), m_stack.end(),
                           [](const CList& l) { return l.m_nNext < l.m_tokens.size(); });
    }
    std::size_t GetDepth() const { return m_stack.size(); }
    void DropExpansions() { m_stack.clear(); }
    CTeXLexer& GetLexer() { return m_lexer; }

private:
    struct CList {
        std::vector<CTeXToken> m_tokens;
        std::size_t m_nNext = 0;
    };
    CTeXLexer m_lexer;
    std::vector<CList> m_stack;
};

// TeXDraw's state that segments keep local: TeX's side (units, scales, position, arrowheads,
// text reference) and PostScript's gsave/grestore side (the line style).
struct CState {
    double m_dUnitSp = kUnits[0].m_dSp; // \drawdim
    double m_dUnitScale = 1.0;          // \u@nitsc
    double m_dSegScale = 1.0;           // \s@egsc
    double m_dScale = 1.0;              // \d@sc, their product
    long long m_nSegX = 0, m_nSegY = 0; // the segment's origin, pixels
    long long m_nX = 0, m_nY = 0;       // the current point, pixels
    long long m_nHeadLength = 48, m_nHeadWidth = 24;
    char m_cHeadType = 'T';
    char m_cHRef = 'L', m_cVRef = 'B';
    CTeXDrawStyle m_style;
    int m_nStyle = -1; // m_style's index in the program's styles, -1 until something is drawn
};

// Lets names be looked up by string_view without building a string for each.
struct CNameHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
};

struct CSegment {
    CState m_state;
    int m_nLine = 0;
};

class CInterpreter {
public:
    CInterpreter(std::string_view body, const CTeXDrawInterpretOptions& options)
        : m_body(body), m_options(options), m_input(body),
          // Macros may expand to 32 tokens for each byte of the body, within bounds that keep a
          // small file's macros free and a huge file's time in seconds.
          m_nBudget(
              std::clamp<long long>(32 * static_cast<long long>(body.size()), 1 << 16, 1 << 26)) {}

    CTeXDrawProgram Run();

private:
    // Statement framing.
    void RunStatement();
    void KeepRestAsUnknown(std::size_t from, std::string message);
    std::size_t StatementTail(std::size_t pos) const;
    int LineAt(std::size_t pos);

    // Dispatch.
    void Execute(const CTeXToken& t, bool head);
    std::string RunCommand(ECommand c);
    CMeaning MeaningOf(const CTeXToken& t) const;
    void SkipUnknownArguments();
    bool SkipGroupRest();
    bool SkipConditional(bool stopAtElse, bool& stoppedAtElse);
    std::string ExpandMacro(const CMacro& m, std::string_view name);
    std::string ReadDefinition(bool latex);
    std::string ReadLet(bool future);
    std::string RunIf(ECommand c);

    // Arguments.
    void SkipSpaces();
    bool ReadGroup(std::vector<CTeXToken>& tokens);
    std::string ReadParenthesised(std::string& text);
    std::string ReadKey(std::string_view key, std::string& value);
    std::string ReadSpaceDelimited(std::string& value);
    std::string ReadText(std::string& text);
    std::string ReadPoint(bool relative, long long& x, long long& y);
    std::string ReadCoordinate(std::string_view item, bool relative, bool isX, long long& pixels);
    std::string ReadLength(std::string_view text, long long& pixels);
    std::string ReadGray(std::string_view text, double& gray);

    // Drawing.
    std::string CoordToPixels(double v, long long& pixels) const;
    std::string Rescale(double unit, double seg);
    void MoveTo(long long x, long long y);
    void UpdateExtent(long long x, long long y);
    void Drew();
    CDoublePoint Page(long long x, long long y) const {
        return {static_cast<double>(x) / kPixelsPerPageUnit + m_options.m_ptPageOrigin.x,
                -static_cast<double>(y) / kPixelsPerPageUnit + m_options.m_ptPageOrigin.y};
    }
    static double PageLength(long long pixels) {
        return static_cast<double>(pixels) / kPixelsPerPageUnit;
    }
    void Add(CTeXDrawPrimitive p);
    void AddPathPiece(CTeXDrawPrimitive p);
    void EndPath() { m_nPath = -1; }
    void StyleChanged() {
        m_state.m_nStyle = -1;
        EndPath();
    }
    void Message(std::string text);

    std::string_view m_body;
    CTeXDrawInterpretOptions m_options;
    CInput m_input;
    CInput* m_pIn = &m_input;
    CTeXDrawProgram m_program;
    CState m_state;
    std::vector<CSegment> m_segments;
    int m_nRefusedSegments = 0;
    std::unordered_map<std::string, long long> m_saved; // "*name" -> absolute pixels
    std::unordered_map<std::string, CMeaning, CNameHash, std::equal_to<>> m_meanings;
    int m_nPath = -1;
    bool m_bPositionTaken = false; // TeXDraw's \ifp@osinit: the extent starts at the first move
    long long m_nMinX = 0, m_nMinY = 0, m_nMaxX = 0, m_nMaxY = 0;
    long long m_nBudget;         // tokens macros may still expand to
    int m_nOpenConditionals = 0; // \ifx ... \fi the statement is inside
    bool m_bExpanded = false;    // the statement runs a macro or a conditional of the file's own
    std::string m_strStatementError;
    std::size_t m_nNoCloserBefore = 0; // no ")" or "]" on the line before this byte
    int m_nLine = 1;
    std::size_t m_nLinePos = 0;
    int m_nStatementLine = 1;
};

// ---- Statement framing -----------------------------------------------------------------------

int CInterpreter::LineAt(std::size_t pos) {
    // Statements come in order, so lines are counted once.
    m_nLine +=
        static_cast<int>(std::count(m_body.begin() + m_nLinePos, m_body.begin() + pos, '\n'));
    m_nLinePos = pos;
    return m_nLine;
}

std::size_t CInterpreter::StatementTail(std::size_t pos) const {
    if (pos == 0 || m_body[pos - 1] == '\n')
        return pos;
    std::size_t q = pos;
    while (q < m_body.size() &&
           (m_body[q] == ' ' || m_body[q] == '\t' ||
            (m_body[q] == '\r' && q + 1 < m_body.size() && m_body[q + 1] != '\n')))
        ++q;
    if (q == m_body.size())
        return q;
    if (m_body[q] == '%' || m_body[q] == '\n' || m_body[q] == '\r')
        return EndOfLine(m_body, q);
    return q;
}

void CInterpreter::KeepRestAsUnknown(std::size_t from, std::string message) {
    CTeXDrawStatement s;
    s.m_eKind = ETeXDrawStatement::Unknown;
    s.m_nBegin = from;
    s.m_nEnd = m_body.size();
    s.m_nLine = LineAt(from);
    s.m_nFirstPrimitive = static_cast<int>(m_program.m_primitives.size());
    s.m_strMessage = message;
    m_program.m_messages.push_back(
        {s.m_nLine, "line " + std::to_string(s.m_nLine) + ": " + std::move(message)});
    m_program.m_statements.push_back(std::move(s));
    m_input.GetLexer().Seek(m_body.size(), true);
}

void CInterpreter::RunStatement() {
    CTeXLexer& lexer = m_input.GetLexer();
    const std::size_t start = lexer.GetPos();
    const bool lineStart = start == 0 || m_body[start - 1] == '\n';
    CTeXDrawStatement s;
    s.m_nBegin = start;
    s.m_nLine = m_nStatementLine = LineAt(start);
    s.m_nFirstPrimitive = static_cast<int>(m_program.m_primitives.size());

    std::size_t p = start;
    while (p < m_body.size() && (m_body[p] == ' ' || m_body[p] == '\t'))
        ++p;
    const bool lineEnd = p == m_body.size() || m_body[p] == '\n' ||
                         (m_body[p] == '\r' && p + 1 < m_body.size() && m_body[p + 1] == '\n');
    if (lineEnd || m_body[p] == '%') {
        s.m_eKind = lineEnd ? ETeXDrawStatement::Blank : ETeXDrawStatement::Comment;
        s.m_nEnd = EndOfLine(m_body, p);
        lexer.Seek(s.m_nEnd, true);
        m_program.m_statements.push_back(std::move(s));
        return;
    }

    lexer.Seek(p, lineStart);
    CTeXToken head;
    lexer.Next(head);
    m_bExpanded = false;
    m_strStatementError.clear();
    m_nOpenConditionals = 0;
    s.m_eKind = ETeXDrawStatement::Unknown;
    if (head.m_eType == ETeXToken::ControlSequence) {
        s.m_strName = std::string(head.m_str);
        if (const CCommandName* c = FindCommand(head.m_str); c && c->m_eCommand < ECommand::Def)
            s.m_eKind = c->m_eKind;
    }
    Execute(head, true);
    // A macro's expansion or an open conditional may read on into the body.
    CTeXToken t;
    while ((m_input.IsExpanding() || m_nOpenConditionals > 0) && m_input.Next(t))
        Execute(t, false);
    if (m_nOpenConditionals > 0)
        Message("the conditional begun here has no \\fi");
    m_input.DropExpansions();

    if (!m_strStatementError.empty()) {
        s.m_eKind = ETeXDrawStatement::Unknown;
        s.m_strMessage = m_strStatementError;
    }
    s.m_nEnd = StatementTail(lexer.GetPos());
    lexer.Seek(s.m_nEnd, s.m_nEnd == 0 || m_body[s.m_nEnd - 1] == '\n');
    s.m_nPrimitives = static_cast<int>(m_program.m_primitives.size()) - s.m_nFirstPrimitive;
    if (s.m_eKind == ETeXDrawStatement::Unknown) {
        ++m_program.m_nUnknown;
        m_program.m_unknownLines.push_back(s.m_nLine);
    }
    m_program.m_statements.push_back(std::move(s));
}

void CInterpreter::Message(std::string text) {
    m_program.m_messages.push_back(
        {m_nStatementLine, "line " + std::to_string(m_nStatementLine) + ": " + std::move(text)});
}

CTeXDrawProgram CInterpreter::Run() {
    m_nLine = m_options.m_nFirstLine;
    // Definitions before the drawing: only they are taken, nothing there is drawn.
    if (!m_options.m_strPreamble.empty() && m_options.m_bExpandMacros) {
        CInput preamble(m_options.m_strPreamble);
        m_pIn = &preamble;
        CTeXToken t;
        while (preamble.Next(t)) {
            const CCommandName* c =
                t.m_eType == ETeXToken::ControlSequence ? FindCommand(t.m_str) : nullptr;
            if (c && (c->m_eCommand == ECommand::Def || c->m_eCommand == ECommand::NewCommand))
                ReadDefinition(c->m_eCommand == ECommand::NewCommand);
        }
        m_pIn = &m_input;
    }
    // \arrowheadsize l:0.16 w:0.08 in TeXDraw's defaults, in pixels at the default units.
    CoordToPixels(0.16, m_state.m_nHeadLength);
    CoordToPixels(0.08, m_state.m_nHeadWidth);
    while (m_input.GetLexer().GetPos() < m_body.size()) {
        const std::size_t pos = m_input.GetLexer().GetPos();
        if (m_program.m_statements.size() >= static_cast<std::size_t>(kMaxTeXDrawStatements) ||
            m_program.m_primitives.size() >= static_cast<std::size_t>(kMaxTeXDrawPrimitives)) {
            KeepRestAsUnknown(pos,
                              "the drawing holds too many commands; the rest is kept as it is");
            ++m_program.m_nUnknown;
            m_program.m_unknownLines.push_back(m_program.m_statements.back().m_nLine);
            break;
        }
        RunStatement();
    }
    for (const CSegment& seg : m_segments)
        m_program.m_messages.push_back(
            {seg.m_nLine, "line " + std::to_string(seg.m_nLine) + ": \\bsegment is never ended"});
    m_program.m_ptMin = Page(m_nMinX, m_nMaxY);
    m_program.m_ptMax = Page(m_nMaxX, m_nMinY);
    return std::move(m_program);
}

// ---- Dispatch --------------------------------------------------------------------------------

CMeaning CInterpreter::MeaningOf(const CTeXToken& t) const {
    CMeaning m;
    if (t.m_eType != ETeXToken::ControlSequence) {
        m.m_eKind = CMeaning::EKind::Token;
        m.m_token = t;
        return m;
    }
    if (auto it = m_meanings.find(t.m_str); it != m_meanings.end())
        return it->second;
    if (FindCommand(t.m_str)) {
        m.m_eKind = CMeaning::EKind::Builtin;
        m.m_strName = std::string(t.m_str);
    }
    return m;
}

void CInterpreter::Execute(const CTeXToken& t, bool head) {
    if (t.m_eType == ETeXToken::ControlSequence) {
        const CMeaning m = MeaningOf(t);
        std::string error;
        if (m.m_eKind == CMeaning::EKind::Builtin) {
            error = RunCommand(FindCommand(m.m_strName)->m_eCommand);
        } else if (m.m_eKind == CMeaning::EKind::Macro && m_options.m_bExpandMacros) {
            m_bExpanded = true;
            error = ExpandMacro(*m.m_pMacro, t.m_str);
        } else if (IsConditional(t)) {
            error = RunIf(ECommand::OtherIf);
        } else if (head) {
            SkipUnknownArguments();
        }
        if (!error.empty()) {
            error = "\\" + std::string(t.m_str) + ": " + error;
            if (head)
                m_strStatementError = error;
            Message(std::move(error));
        }
        return;
    }
    // Characters inside a macro are typeset, not drawn; at the head of a statement they are kept.
    if (!head)
        return;
    if (t.m_eType == ETeXToken::BeginGroup) {
        if (!SkipGroupRest())
            m_strStatementError = "the group begun here is never closed";
    } else if (t.m_eType == ETeXToken::EndGroup) {
        m_strStatementError = "this } closes no group";
    } else {
        CTeXToken n;
        while (m_pIn->Peek(n) &&
               (n.m_eType == ETeXToken::Character || n.m_eType == ETeXToken::Parameter))
            m_pIn->Next(n);
    }
    if (!m_strStatementError.empty())
        Message(m_strStatementError);
}

bool CInterpreter::SkipGroupRest() {
    int depth = 1;
    CTeXToken t;
    while (m_pIn->Next(t)) {
        if (t.m_eType == ETeXToken::BeginGroup)
            ++depth;
        else if (t.m_eType == ETeXToken::EndGroup && --depth == 0)
            return true;
    }
    return false;
}

// An unknown command at the head of a statement keeps the groups, [options] and (coordinates)
// that follow it on its line, so that a macro's arguments are never cut off from it.
void CInterpreter::SkipUnknownArguments() {
    CTeXLexer& lexer = m_input.GetLexer();
    for (;;) {
        CTeXLexer look = lexer;
        CTeXToken t;
        while (look.Next(t) && t.m_eType == ETeXToken::Space &&
               m_body.substr(t.m_nBegin, t.m_nEnd - t.m_nBegin).find('\n') ==
                   std::string_view::npos) {
        }
        if (t.m_nBegin == kNoSource || t.m_nBegin < lexer.GetPos())
            return;
        if (t.m_eType == ETeXToken::BeginGroup) {
            lexer = look;
            if (!SkipGroupRest())
                m_strStatementError = "the group begun here is never closed";
            continue;
        }
        if (!t.IsChar('(') && !t.IsChar('['))
            return;
        // The closer must be on the same line with balanced braces between; a line that has
        // none is not searched again.
        if (t.m_nBegin < m_nNoCloserBefore)
            return;
        const char closer = t.IsChar('(') ? ')' : ']';
        int depth = 0;
        std::size_t q = t.m_nEnd;
        for (; q < m_body.size() && m_body[q] != '\n'; ++q) {
            depth += m_body[q] == '{' ? 1 : m_body[q] == '}' ? -1 : 0;
            if (depth < 0 || (depth == 0 && m_body[q] == closer))
                break;
        }
        if (q >= m_body.size() || m_body[q] != closer || depth != 0) {
            m_nNoCloserBefore = q;
            return;
        }
        lexer.Seek(q + 1, false);
    }
}

bool CInterpreter::SkipConditional(bool stopAtElse, bool& stoppedAtElse) {
    stoppedAtElse = false;
    int depth = 0;
    CTeXToken t;
    while (m_pIn->Next(t)) {
        if (IsConditional(t)) {
            ++depth;
        } else if (t.IsCs("fi")) {
            if (depth-- == 0)
                return true;
        } else if (stopAtElse && depth == 0 && t.IsCs("else")) {
            stoppedAtElse = true;
            return true;
        }
    }
    return false;
}

std::string CInterpreter::RunIf(ECommand c) {
    bool atElse = false;
    // Conditionals other than \ifx, \iftrue and \iffalse are kept whole, not evaluated.
    if (!m_options.m_bExpandMacros || c == ECommand::OtherIf)
        return SkipConditional(false, atElse) ? "" : "the conditional has no \\fi";
    bool result = c == ECommand::IfTrue;
    if (c == ECommand::IfX) {
        CTeXToken a, b;
        if (!m_pIn->Next(a) || !m_pIn->Next(b))
            return "two tokens to compare should follow";
        result = MeaningOf(a) == MeaningOf(b);
    }
    m_bExpanded = true;
    if (!result) {
        if (!SkipConditional(true, atElse))
            return "the conditional has no \\fi";
        if (!atElse)
            return "";
    }
    ++m_nOpenConditionals;
    return "";
}

std::string CInterpreter::ExpandMacro(const CMacro& m, std::string_view name) {
    if (m_nBudget < 0)
        return "not expanded: the file's macros have expanded too much already";
    if (m_pIn->GetDepth() > 200) {
        m_pIn->DropExpansions();
        m_nOpenConditionals = 0;
        return "macros call each other too deep; expansion stopped";
    }
    const std::string mismatch =
        "the use of \\" + std::string(name) + " does not match its definition";
    CTeXToken t;
    for (const CTeXToken& p : m.m_prefix)
        if (!m_pIn->Next(t) || !SameToken(t, p))
            return mismatch;
    std::vector<std::vector<CTeXToken>> args;
    for (const std::vector<CTeXToken>& delimiter : m.m_delimiters) {
        std::vector<CTeXToken> arg;
        if (delimiter.empty()) {
            do {
                if (!m_pIn->Next(t))
                    return mismatch;
            } while (t.m_eType == ETeXToken::Space);
            if (t.m_eType == ETeXToken::Par || t.m_eType == ETeXToken::EndGroup)
                return mismatch;
            if (t.m_eType == ETeXToken::BeginGroup) {
                int depth = 1;
                while (m_pIn->Next(t)) {
                    depth += t.m_eType == ETeXToken::BeginGroup ? 1
                             : t.m_eType == ETeXToken::EndGroup ? -1
                                                                : 0;
                    if (depth == 0)
                        break;
                    arg.push_back(t);
                }
                if (depth != 0)
                    return mismatch;
            } else {
                arg.push_back(t);
            }
        } else {
            int depth = 0;
            for (;;) {
                if (!m_pIn->Next(t) || t.m_eType == ETeXToken::Par ||
                    static_cast<long long>(arg.size()) > m_nBudget)
                    return mismatch;
                if (t.m_eType == ETeXToken::BeginGroup)
                    ++depth;
                else if (t.m_eType == ETeXToken::EndGroup && --depth < 0)
                    return mismatch;
                arg.push_back(t);
                if (depth == 0 && arg.size() >= delimiter.size() &&
                    std::equal(
                        delimiter.begin(), delimiter.end(), arg.end() - delimiter.size(),
                        [](const CTeXToken& a, const CTeXToken& b) { return SameToken(a, b); })) {
                    arg.resize(arg.size() - delimiter.size());
                    break;
                }
            }
            // Braces around the whole argument go, as in TeX.
            if (arg.size() >= 2 && arg.front().m_eType == ETeXToken::BeginGroup &&
                arg.back().m_eType == ETeXToken::EndGroup) {
                int d = 0;
                std::size_t i = 0;
                for (; i < arg.size(); ++i) {
                    d += arg[i].m_eType == ETeXToken::BeginGroup ? 1
                         : arg[i].m_eType == ETeXToken::EndGroup ? -1
                                                                 : 0;
                    if (d == 0)
                        break;
                }
                if (i + 1 == arg.size())
                    arg = std::vector<CTeXToken>(arg.begin() + 1, arg.end() - 1);
            }
        }
        args.push_back(std::move(arg));
    }
    std::vector<CTeXToken> out;
    for (std::size_t i = 0; i < m.m_body.size(); ++i) {
        const CTeXToken& b = m.m_body[i];
        if (b.m_eType == ETeXToken::Parameter && i + 1 < m.m_body.size()) {
            const CTeXToken& n = m.m_body[i + 1];
            if (n.m_eType == ETeXToken::Character && n.m_str[0] >= '1' && n.m_str[0] <= '9' &&
                static_cast<std::size_t>(n.m_str[0] - '1') < args.size()) {
                const std::vector<CTeXToken>& a = args[n.m_str[0] - '1'];
                out.insert(out.end(), a.begin(), a.end());
                ++i;
                continue;
            }
            if (n.m_eType == ETeXToken::Parameter) {
                out.push_back(n);
                ++i;
                continue;
            }
        }
        out.push_back(b);
    }
    m_nBudget -= static_cast<long long>(out.size()) + 1;
    if (m_nBudget < 0) {
        m_pIn->DropExpansions();
        m_nOpenConditionals = 0;
        return "the file's macros expand without end; expansion stopped";
    }
    m_pIn->Push(std::move(out));
    return "";
}

std::string CInterpreter::ReadDefinition(bool latex) {
    CTeXToken name, t;
    auto macro = std::make_shared<CMacro>();
    if (!latex) {
        if (!m_pIn->Next(name) || name.m_eType != ETeXToken::ControlSequence)
            return "a macro name should follow";
        std::size_t current = 0; // 0: the prefix, n: the n-th parameter's delimiter
        for (;;) {
            if (!m_pIn->Next(t))
                return "the definition never ends";
            if (t.m_eType == ETeXToken::BeginGroup)
                break;
            if (t.m_eType == ETeXToken::Parameter) {
                if (!m_pIn->Next(t) || t.m_eType != ETeXToken::Character || t.m_str[0] < '1' ||
                    t.m_str[0] > '9')
                    return "a parameter should be # and a digit";
                macro->m_delimiters.emplace_back();
                current = macro->m_delimiters.size();
                continue;
            }
            (current == 0 ? macro->m_prefix : macro->m_delimiters[current - 1]).push_back(t);
        }
    } else {
        // \newcommand*{\name}[n][default]{body}; an optional first argument is read as a plain
        // one.
        SkipSpaces();
        if (m_pIn->Peek(t) && t.IsChar('*'))
            m_pIn->Next(t);
        SkipSpaces();
        if (!m_pIn->Next(name))
            return "a macro name should follow";
        if (name.m_eType == ETeXToken::BeginGroup) {
            SkipSpaces();
            if (!m_pIn->Next(name) || !m_pIn->Next(t) || t.m_eType != ETeXToken::EndGroup)
                return "a macro name should follow";
        }
        if (name.m_eType != ETeXToken::ControlSequence)
            return "a macro name should follow";
        for (int option = 0; option < 2; ++option) {
            SkipSpaces();
            if (!m_pIn->Peek(t) || !t.IsChar('['))
                break;
            m_pIn->Next(t);
            std::string inside;
            while (m_pIn->Next(t) && !t.IsChar(']') && t.m_eType != ETeXToken::Par)
                inside += TokenText(t);
            double n = 0;
            if (option == 0 && ParseTeXNumber(inside, n) && n >= 1 && n <= 9)
                macro->m_delimiters.resize(static_cast<std::size_t>(n));
        }
        SkipSpaces();
        if (!m_pIn->Next(t) || t.m_eType != ETeXToken::BeginGroup)
            return "the definition's body should follow";
    }
    int depth = 1;
    while (m_pIn->Next(t)) {
        depth += t.m_eType == ETeXToken::BeginGroup ? 1 : t.m_eType == ETeXToken::EndGroup ? -1 : 0;
        if (depth == 0)
            break;
        macro->m_body.push_back(t);
    }
    if (depth != 0)
        return "the definition's body is never closed";
    // TeXDraw's own commands keep their meaning: the file cannot have redefined them for TeX
    // without this program's knowing.
    const CCommandName* builtin = FindCommand(name.m_str);
    if (!builtin || builtin->m_eCommand >= ECommand::Def) {
        CMeaning& m = m_meanings[std::string(name.m_str)];
        m.m_eKind = CMeaning::EKind::Macro;
        m.m_pMacro = std::move(macro);
    }
    return "";
}

std::string CInterpreter::ReadLet(bool future) {
    CTeXToken name, target;
    if (!m_pIn->Next(name) || name.m_eType != ETeXToken::ControlSequence)
        return "a control sequence should follow";
    if (future) {
        CTeXToken first;
        if (!m_pIn->Next(first) || !m_pIn->Peek(target))
            return "two tokens should follow";
        m_pIn->Push({first});
    } else {
        SkipSpaces();
        if (m_pIn->Peek(target) && target.IsChar('=')) {
            m_pIn->Next(target);
            if (m_pIn->Peek(target) && target.m_eType == ETeXToken::Space)
                m_pIn->Next(target);
        }
        if (!m_pIn->Next(target))
            return "a token should follow";
    }
    const CCommandName* builtin = FindCommand(name.m_str);
    if (!builtin || builtin->m_eCommand >= ECommand::Def)
        m_meanings[std::string(name.m_str)] = MeaningOf(target);
    return "";
}

// ---- Arguments -------------------------------------------------------------------------------

void CInterpreter::SkipSpaces() {
    CTeXToken t;
    while (m_pIn->Peek(t) && t.m_eType == ETeXToken::Space)
        m_pIn->Next(t);
}

bool CInterpreter::ReadGroup(std::vector<CTeXToken>& tokens) {
    CTeXToken t;
    int depth = 1;
    while (m_pIn->Next(t)) {
        depth += t.m_eType == ETeXToken::BeginGroup ? 1 : t.m_eType == ETeXToken::EndGroup ? -1 : 0;
        if (depth == 0)
            return true;
        tokens.push_back(t);
    }
    return false;
}

// "(...)" as TeXDraw's delimited arguments take it; blanks before "(" are allowed.
std::string CInterpreter::ReadParenthesised(std::string& text) {
    SkipSpaces();
    CTeXToken t;
    if (!m_pIn->Peek(t) || !t.IsChar('('))
        return "\"(\" should follow";
    m_pIn->Next(t);
    int depth = 0;
    while (m_pIn->Next(t)) {
        if (t.m_eType == ETeXToken::Par)
            return "a blank line comes before the closing \")\"";
        if (t.m_eType == ETeXToken::BeginGroup)
            ++depth;
        else if (t.m_eType == ETeXToken::EndGroup && --depth < 0)
            return "a } comes before the closing \")\"";
        else if (depth == 0 && t.IsChar(')'))
            return "";
        text += TokenText(t);
    }
    return "the \"(\" is never closed";
}

// A value delimited by a blank, as in "\linewd 0.01 "; it also ends before a command, a blank
// line or a closing brace, where TeX would run on into them.
std::string CInterpreter::ReadSpaceDelimited(std::string& value) {
    int depth = 0;
    CTeXToken t;
    while (m_pIn->Peek(t)) {
        if (depth == 0 && t.m_eType == ETeXToken::Space) {
            m_pIn->Next(t);
            break;
        }
        if (t.m_eType == ETeXToken::Par ||
            (depth == 0 &&
             (t.m_eType == ETeXToken::ControlSequence || t.m_eType == ETeXToken::EndGroup)))
            break;
        depth += t.m_eType == ETeXToken::BeginGroup ? 1 : t.m_eType == ETeXToken::EndGroup ? -1 : 0;
        value += TokenText(t);
        m_pIn->Next(t);
    }
    value = std::string(StripBraces(value));
    return value.empty() ? "a value should follow" : "";
}

// "key:value " as in "\lcir r:0.5 "; blanks after the colon are allowed.
std::string CInterpreter::ReadKey(std::string_view key, std::string& value) {
    SkipSpaces();
    CTeXToken t;
    for (const char c : std::string(key) + ":")
        if (!m_pIn->Next(t) || !t.IsChar(c))
            return "\"" + std::string(key) + ":\" should follow";
    SkipSpaces();
    return ReadSpaceDelimited(value);
}

std::string CInterpreter::ReadText(std::string& text) {
    SkipSpaces();
    CTeXToken t;
    const bool fromBody = !m_pIn->IsExpanding() && m_pIn == &m_input;
    if (!m_pIn->Next(t) || t.m_eType == ETeXToken::Par || t.m_eType == ETeXToken::EndGroup)
        return "the text should follow";
    if (t.m_eType != ETeXToken::BeginGroup) {
        text = TokenText(t);
        return "";
    }
    const std::size_t open = t.m_nEnd;
    std::vector<CTeXToken> tokens;
    if (!ReadGroup(tokens))
        return "the text's group is never closed";
    if (fromBody) {
        // The source as written, comments and all.
        text = std::string(m_body.substr(open, m_input.GetLexer().GetPos() - 1 - open));
    } else {
        for (const CTeXToken& k : tokens)
            text += TokenText(k);
    }
    return "";
}

std::string CInterpreter::CoordToPixels(double v, long long& pixels) const {
    // \coordtopix: \dimen0=#1\d@dim, \dimen2=\d@sc\dimen0, then sp to pixels rounding half
    // away from zero with TeX's integer division, not the editor's rounding.
    const double dimen0 = std::trunc(Quantise(v) * m_state.m_dUnitSp);
    const double dimen2 = std::trunc(Quantise(m_state.m_dScale) * dimen0);
    if (!(std::fabs(dimen0) <= kMaxDimen) || !(std::fabs(dimen2) <= kMaxDimen))
        return "the length is too large for TeX";
    const auto sp = static_cast<long long>(dimen2);
    pixels = (sp < 0 ? sp - kSpPerPixel / 2 : sp + kSpPerPixel / 2) / kSpPerPixel;
    return "";
}

std::string CInterpreter::ReadLength(std::string_view text, long long& pixels) {
    double v = 0.0;
    if (!ParseTeXNumber(text, v))
        return "\"" + std::string(text) + "\" is not a number";
    return CoordToPixels(v, pixels);
}

std::string CInterpreter::ReadGray(std::string_view text, double& gray) {
    if (!ParseTeXNumber(text, gray))
        return "\"" + std::string(text) + "\" is not a grey level";
    // PostScript's setgray takes the nearest level in 0..1.
    gray = std::clamp(gray, 0.0, 1.0);
    return "";
}

std::string CInterpreter::ReadCoordinate(std::string_view item, bool relative, bool isX,
                                         long long& pixels) {
    const long long origin = isX ? m_state.m_nSegX : m_state.m_nSegY;
    const long long current = isX ? m_state.m_nX : m_state.m_nY;
    long long value = 0;
    if (!item.empty() && item[0] == '*') {
        // A saved position is absolute; TeXDraw reads it relative to the segment's origin.
        const auto it = m_saved.find(std::string(item));
        if (it == m_saved.end())
            return "the position " + std::string(item) + " was never saved";
        value = it->second - origin;
    } else if (std::string e = ReadLength(item, value); !e.empty()) {
        return e;
    }
    pixels = (relative ? current : origin) + value;
    if (!(std::fabs(static_cast<double>(pixels)) <= kMaxPixels))
        return "the point lies farther than 1e6 page units from the origin";
    return "";
}

std::string CInterpreter::ReadPoint(bool relative, long long& x, long long& y) {
    std::string text;
    if (std::string e = ReadParenthesised(text); !e.empty())
        return e;
    const std::vector<std::string_view> items = SplitBlanks(text);
    if (items.size() != 2)
        return "\"(" + text + ")\" should hold two coordinates";
    if (std::string e = ReadCoordinate(items[0], relative, true, x); !e.empty())
        return e;
    return ReadCoordinate(items[1], relative, false, y);
}

// ---- Drawing ---------------------------------------------------------------------------------

// \realmult: a pt times b, read and printed back by TeX to the nearest 2^-16.
std::string RealMult(double a, double b, double& out) {
    const double d0 = std::round(Quantise(a) * 65536.0);
    const double d2 = std::trunc(Quantise(b) * d0);
    if (!(std::fabs(d0) <= kMaxDimen) || !(std::fabs(d2) <= kMaxDimen))
        return "the scale is too large for TeX";
    out = d2 / 65536.0;
    return "";
}

std::string CInterpreter::Rescale(double unit, double seg) {
    double product = 0.0;
    if (std::string e = RealMult(unit, seg, product); !e.empty())
        return e;
    m_state.m_dUnitScale = unit;
    m_state.m_dSegScale = seg;
    m_state.m_dScale = product;
    return "";
}

void CInterpreter::UpdateExtent(long long x, long long y) {
    m_nMinX = std::min(m_nMinX, x);
    m_nMaxX = std::max(m_nMaxX, x);
    m_nMinY = std::min(m_nMinY, y);
    m_nMaxY = std::max(m_nMaxY, y);
}

void CInterpreter::MoveTo(long long x, long long y) {
    m_state.m_nX = x;
    m_state.m_nY = y;
    UpdateExtent(x, y);
    if (!m_bPositionTaken) {
        // The first move, before anything is drawn, is where the drawing's extent starts.
        m_bPositionTaken = true;
        m_nMinX = m_nMaxX = x;
        m_nMinY = m_nMaxY = y;
    }
    EndPath();
}

void CInterpreter::Drew() {
    m_bPositionTaken = true;
}

void CInterpreter::Add(CTeXDrawPrimitive p) {
    if (m_program.m_primitives.size() >= static_cast<std::size_t>(kMaxTeXDrawPrimitives)) {
        // A macro drawing without end stops here; the statements after it are kept unread.
        m_input.DropExpansions();
        m_nOpenConditionals = 0;
        return;
    }
    if (m_state.m_nStyle < 0) {
        std::vector<CTeXDrawStyle>& styles = m_program.m_styles;
        if (styles.empty() || !(styles.back() == m_state.m_style))
            styles.push_back(m_state.m_style);
        m_state.m_nStyle = static_cast<int>(styles.size()) - 1;
    }
    p.m_nStyle = m_state.m_nStyle;
    p.m_bExpanded = m_bExpanded;
    m_program.m_primitives.push_back(std::move(p));
}

void CInterpreter::AddPathPiece(CTeXDrawPrimitive p) {
    if (m_nPath < 0) {
        m_nPath = static_cast<int>(m_program.m_paths.size());
        CTeXDrawPath path;
        path.m_nFirstStatement = static_cast<int>(m_program.m_statements.size());
        m_program.m_paths.push_back(path);
    }
    p.m_nPath = m_nPath;
    Add(std::move(p));
}

std::string CInterpreter::RunCommand(ECommand c) {
    CTeXDrawPrimitive p;
    long long x = 0, y = 0;
    std::string a, b, d;
    std::string e;
    const CDoublePoint here = Page(m_state.m_nX, m_state.m_nY);
    switch (c) {
    case ECommand::Move:
    case ECommand::RMove:
        if (!(e = ReadPoint(c == ECommand::RMove, x, y)).empty())
            return e;
        MoveTo(x, y);
        return "";
    case ECommand::LVec:
    case ECommand::RLVec:
    case ECommand::AVec:
    case ECommand::RAVec: {
        if (!(e = ReadPoint(c == ECommand::RLVec || c == ECommand::RAVec, x, y)).empty())
            return e;
        const bool arrow = c == ECommand::AVec || c == ECommand::RAVec;
        p.m_eKind = arrow ? ETeXDrawPrimitive::Arrow : ETeXDrawPrimitive::Line;
        p.m_pt1 = here;
        p.m_pt2 = Page(x, y);
        m_state.m_nX = x;
        m_state.m_nY = y;
        UpdateExtent(x, y);
        Drew();
        if (arrow) {
            // The arrow is stroked on its own; the path goes on from its tip as a new one.
            EndPath();
            p.m_cHeadType = m_state.m_cHeadType;
            p.m_dHeadLength = PageLength(m_state.m_nHeadLength);
            p.m_dHeadWidth = PageLength(m_state.m_nHeadWidth);
            Add(std::move(p));
        } else {
            AddPathPiece(std::move(p));
        }
        return "";
    }
    case ECommand::CLVec: {
        long long x1 = 0, y1 = 0, x2 = 0, y2 = 0;
        if (!(e = ReadPoint(false, x1, y1)).empty() || !(e = ReadPoint(false, x2, y2)).empty() ||
            !(e = ReadPoint(false, x, y)).empty())
            return e;
        p.m_eKind = ETeXDrawPrimitive::Curve;
        p.m_pt1 = here;
        p.m_ptControl1 = Page(x1, y1);
        p.m_ptControl2 = Page(x2, y2);
        p.m_pt2 = Page(x, y);
        m_state.m_nX = x;
        m_state.m_nY = y;
        UpdateExtent(x, y);
        Drew();
        AddPathPiece(std::move(p));
        return "";
    }
    case ECommand::LCir:
    case ECommand::FCir:
    case ECommand::LEllip:
    case ECommand::FEllip: {
        const bool filled = c == ECommand::FCir || c == ECommand::FEllip;
        const bool circle = c == ECommand::LCir || c == ECommand::FCir;
        if (filled && (!(e = ReadKey("f", d)).empty() || !(e = ReadGray(d, p.m_dFillGray)).empty()))
            return e;
        if (!(e = ReadKey(circle ? "r" : "rx", a)).empty() || !(e = ReadLength(a, x)).empty())
            return e;
        y = x;
        if (!circle && (!(e = ReadKey("ry", b)).empty() || !(e = ReadLength(b, y)).empty()))
            return e;
        x = std::llabs(x);
        y = std::llabs(y);
        if (!(static_cast<double>(x) <= kMaxPixels && static_cast<double>(y) <= kMaxPixels))
            return "the radius is larger than 1e6 page units";
        p.m_eKind = circle ? ETeXDrawPrimitive::Circle : ETeXDrawPrimitive::Ellipse;
        p.m_pt1 = here;
        p.m_dRadiusX = PageLength(x);
        p.m_dRadiusY = PageLength(y);
        p.m_bFilled = filled;
        Drew();
        UpdateExtent(m_state.m_nX + x, m_state.m_nY + y);
        UpdateExtent(m_state.m_nX - x, m_state.m_nY - y);
        Add(std::move(p));
        return "";
    }
    case ECommand::LArc:
        if (!(e = ReadKey("r", a)).empty() || !(e = ReadLength(a, x)).empty() ||
            !(e = ReadKey("sd", b)).empty() || !(e = ReadKey("ed", d)).empty())
            return e;
        if (!ParseTeXNumber(b, p.m_dStartDeg) || !ParseTeXNumber(d, p.m_dEndDeg) ||
            !(std::fabs(p.m_dStartDeg) <= 1e9 && std::fabs(p.m_dEndDeg) <= 1e9))
            return "the angles \"" + b + "\" and \"" + d + "\" are not both numbers";
        if (!(static_cast<double>(std::llabs(x)) <= kMaxPixels))
            return "the radius is larger than 1e6 page units";
        p.m_eKind = ETeXDrawPrimitive::Arc;
        p.m_pt1 = here;
        p.m_dRadiusX = p.m_dRadiusY = PageLength(std::llabs(x));
        Drew();
        Add(std::move(p));
        return "";
    case ECommand::LFill:
    case ECommand::IFill: {
        double gray = 0.0;
        if (!(e = ReadKey("f", a)).empty() || !(e = ReadGray(a, gray)).empty())
            return e;
        Drew();
        if (m_nPath >= 0) {
            CTeXDrawPath& path = m_program.m_paths[static_cast<std::size_t>(m_nPath)];
            path.m_bFilled = true;
            path.m_dFillGray = gray;
            // \ifill starts a new path without stroking the filled one.
            path.m_bStroked = c == ECommand::LFill;
            path.m_nFillStatement = static_cast<int>(m_program.m_statements.size());
        }
        EndPath();
        return "";
    }
    case ECommand::LineWd:
        if (!(e = ReadSpaceDelimited(a)).empty() || !(e = ReadLength(a, x)).empty())
            return e;
        if (!(static_cast<double>(std::llabs(x)) <= kMaxPixels))
            return "the width is larger than 1e6 page units";
        m_state.m_style.m_dWidth = PageLength(x);
        StyleChanged();
        return "";
    case ECommand::LPatt: {
        if (!(e = ReadParenthesised(a)).empty())
            return e;
        std::vector<double> dashes;
        for (std::string_view item : SplitBlanks(a)) {
            if (!(e = ReadLength(item, x)).empty())
                return e;
            if (!(static_cast<double>(std::llabs(x)) <= kMaxPixels))
                return "a dash is longer than 1e6 page units";
            dashes.push_back(PageLength(x));
        }
        m_state.m_style.m_dashes = std::move(dashes);
        StyleChanged();
        return "";
    }
    case ECommand::SetGray:
        if (!(e = ReadSpaceDelimited(a)).empty() ||
            !(e = ReadGray(a, m_state.m_style.m_dGray)).empty())
            return e;
        StyleChanged();
        return "";
    case ECommand::ArrowHeadType:
        if (!(e = ReadKey("t", a)).empty())
            return e;
        // PostScript compares the whole string with F, T, W and V; anything else is a vee
        // that the shaft stops short of.
        m_state.m_cHeadType =
            a.size() == 1 && std::string_view("FTWV").find(a[0]) != std::string_view::npos ? a[0]
                                                                                           : 'H';
        return "";
    case ECommand::ArrowHeadSize:
        if (!(e = ReadKey("l", a)).empty() || !(e = ReadLength(a, x)).empty() ||
            !(e = ReadKey("w", b)).empty() || !(e = ReadLength(b, y)).empty())
            return e;
        if (!(static_cast<double>(std::llabs(x)) <= kMaxPixels &&
              static_cast<double>(std::llabs(y)) <= kMaxPixels))
            return "the arrowhead is larger than 1e6 page units";
        m_state.m_nHeadLength = x;
        m_state.m_nHeadWidth = y;
        return "";
    case ECommand::TextRef:
        if (!(e = ReadKey("h", a)).empty() || !(e = ReadKey("v", b)).empty())
            return e;
        m_state.m_cHRef = a == "R" ? 'R' : a == "C" ? 'C' : 'L';
        m_state.m_cVRef = b == "T" ? 'T' : b == "C" ? 'C' : 'B';
        return "";
    case ECommand::HText:
    case ECommand::VText:
    case ECommand::RText: {
        p.m_dAngle = c == ECommand::VText ? 90.0 : 0.0;
        if (c == ECommand::RText) {
            if (!(e = ReadKey("td", a)).empty())
                return e;
            if (!ParseTeXNumber(a, p.m_dAngle) || !(std::fabs(p.m_dAngle) <= 1e9))
                return "the angle \"" + a + "\" is not a number";
        }
        SkipSpaces();
        CTeXToken t;
        const bool at = m_pIn->Peek(t) && t.IsChar('(');
        if (at && !(e = ReadPoint(false, x, y)).empty())
            return e;
        if (!(e = ReadText(p.m_strText)).empty())
            return e;
        if (at)
            MoveTo(x, y);
        p.m_eKind = ETeXDrawPrimitive::Text;
        p.m_pt1 = Page(m_state.m_nX, m_state.m_nY);
        p.m_cHRef = m_state.m_cHRef;
        p.m_cVRef = m_state.m_cVRef;
        Add(std::move(p));
        return "";
    }
    case ECommand::DrawDim: {
        if (!(e = ReadSpaceDelimited(a)).empty())
            return e;
        std::string unit;
        for (const char ch : a)
            unit += static_cast<char>(ch >= 'A' && ch <= 'Z' ? ch - 'A' + 'a' : ch);
        if (unit.rfind("true", 0) == 0)
            unit.erase(0, 4);
        for (const CUnit& u : kUnits)
            if (u.m_strName == unit) {
                m_state.m_dUnitSp = u.m_dSp;
                return "";
            }
        return "\"" + a + "\" is not a unit of TeX's";
    }
    case ECommand::SetUnitScale:
    case ECommand::RelUnitScale:
    case ECommand::SetSegScale:
    case ECommand::RelSegScale: {
        double v = 0.0;
        if (!(e = ReadSpaceDelimited(a)).empty())
            return e;
        if (!ParseTeXNumber(a, v))
            return "\"" + a + "\" is not a number";
        double unit = m_state.m_dUnitScale, seg = m_state.m_dSegScale;
        double& target = c == ECommand::SetUnitScale || c == ECommand::RelUnitScale ? unit : seg;
        if (c == ECommand::RelUnitScale || c == ECommand::RelSegScale) {
            if (!(e = RealMult(v, target, target)).empty())
                return e;
        } else {
            target = v;
        }
        return Rescale(unit, seg);
    }
    case ECommand::BSegment:
        if (m_nRefusedSegments > 0 ||
            m_segments.size() >= static_cast<std::size_t>(kMaxTeXDrawSegmentDepth)) {
            ++m_nRefusedSegments;
            return "segments nest deeper than " + std::to_string(kMaxTeXDrawSegmentDepth);
        }
        EndPath();
        m_segments.push_back({m_state, m_nStatementLine});
        m_state.m_nSegX = m_state.m_nX;
        m_state.m_nSegY = m_state.m_nY;
        return Rescale(m_state.m_dUnitScale, 1.0);
    case ECommand::ESegment:
        if (m_nRefusedSegments > 0) {
            --m_nRefusedSegments;
            return "it ends a segment nested too deep to follow";
        }
        if (m_segments.empty())
            return "there is no segment to end";
        // TeX's group ends: units, scales, arrowheads, text reference and the current point
        // come back, and PostScript's grestore brings the line style back.
        EndPath();
        m_state = m_segments.back().m_state;
        m_segments.pop_back();
        return "";
    case ECommand::SaveCurrPos:
    case ECommand::SavePos: {
        if (c == ECommand::SavePos) {
            if (!(e = ReadPoint(false, x, y)).empty())
                return e;
        } else {
            x = m_state.m_nX;
            y = m_state.m_nY;
        }
        if (!(e = ReadParenthesised(a)).empty())
            return e;
        const std::vector<std::string_view> names = SplitBlanks(a);
        const auto symbolic = [](std::string_view n) { return !n.empty() && n[0] == '*'; };
        if (names.size() != 2 || !symbolic(names[0]) || !symbolic(names[1]))
            return "\"(" + a + ")\" should hold two names beginning with *";
        m_saved[std::string(names[0])] = x;
        m_saved[std::string(names[1])] = y;
        return "";
    }
    case ECommand::DrawBB: {
        // \drawbb: a segment with lines 0.24 bp wide (at the unit scale) round the extent.
        const CState saved = m_state;
        m_state.m_dUnitSp = kUnits[4].m_dSp;
        m_state.m_dScale = m_state.m_dUnitScale;
        if (CoordToPixels(0.24, x).empty())
            m_state.m_style.m_dWidth = PageLength(x);
        m_state.m_nStyle = -1;
        Drew();
        EndPath();
        const CDoublePoint corners[] = {Page(m_nMinX, m_nMinY), Page(m_nMinX, m_nMaxY),
                                        Page(m_nMaxX, m_nMaxY), Page(m_nMaxX, m_nMinY)};
        for (int i = 0; i < 4; ++i) {
            p.m_pt1 = corners[i];
            p.m_pt2 = corners[(i + 1) % 4];
            AddPathPiece(p);
        }
        EndPath();
        m_state = saved;
        return "";
    }
    case ECommand::Def:
    case ECommand::NewCommand:
        return ReadDefinition(c == ECommand::NewCommand);
    case ECommand::Let:
    case ECommand::FutureLet:
        return ReadLet(c == ECommand::FutureLet);
    case ECommand::IfX:
    case ECommand::IfTrue:
    case ECommand::IfFalse:
    case ECommand::OtherIf:
        return RunIf(c);
    case ECommand::Else:
        if (m_nOpenConditionals == 0)
            return "there is no conditional to continue";
        {
            bool atElse = false;
            --m_nOpenConditionals;
            return SkipConditional(false, atElse) ? "" : "the conditional has no \\fi";
        }
    case ECommand::Fi:
        if (m_nOpenConditionals == 0)
            return "there is no conditional to end";
        --m_nOpenConditionals;
        return "";
    case ECommand::Relax:
        return "";
    }
    return "";
}

} // namespace

CTeXDrawProgram InterpretTeXDraw(std::string_view body, const CTeXDrawInterpretOptions& options) {
    return CInterpreter(body, options).Run();
}
