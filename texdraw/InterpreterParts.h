// The parts of the TeXDraw interpreter that its files share: TeX's units and numbers, the
// command table, the token input with macro expansion, the state segments keep, and the
// interpreter itself. Only texdraw/Interpreter*.cpp include it.
#pragma once

#include "texdraw/Interpreter.h"
#include "texdraw/TeXLexer.h"

#include <algorithm>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace texdraw_interpreter {

// The parts one after another. (g++ 12 at -O3 warns falsely of overlapping copies in a literal
// added to a temporary string; appending does not.)
inline std::string Joined(std::initializer_list<std::string_view> parts) {
    std::string s;
    for (std::string_view p : parts)
        s += p;
    return s;
}

// TeXDraw keeps positions as whole "pixels" of 1/300 in: \sppix 300/in makes one pixel
// (4736286 + 150) / 300 sp, TeX's inch being 4736286 sp; the PostScript it writes is scaled by
// 0.24 bp per pixel, so a pixel draws as exactly 1/300 in, a third of a page unit.
inline constexpr long long kSpPerPixel = 15788;
inline constexpr double kPixelsPerPageUnit = 3.0;
inline constexpr double kSpPerPt = 65536.0;
// TeX refuses dimensions from 2^30 sp on ("Dimension too large").
inline constexpr double kMaxDimen = 1073741823.0;
// The page's reach in pixels: farther points are refused.
inline constexpr double kMaxPixels = kReadableReach * kPixelsPerPageUnit;

struct CUnit {
    std::string_view m_strName;
    double m_dSp;
};

// TeX's units in sp; em and ex are Computer Modern's at 10 pt, px is pdfTeX's default 1 bp.
inline constexpr CUnit kUnits[] = {
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
double Quantise(double v);
std::string_view Trim(std::string_view s);
// One pair of braces around the whole of s goes, as TeX strips them from an argument.
std::string_view StripBraces(std::string_view s);
// A number as TeX reads one before a unit: signs (blanks between them), digits, and a decimal
// point or comma: "-.5", "2.", "+1", "1,5", "- -3".
bool ParseTeXNumber(std::string_view s, double& value);
// Blank-separated items, as TeXDraw splits "(x y)" and \lpatt's list.
std::vector<std::string_view> SplitBlanks(std::string_view s);
std::string TokenText(const CTeXToken& t);
// Appends t's text to a text made of tokens, with the blank that keeps a control word apart from a
// letter after it.
void AppendTokenText(std::string& out, const CTeXToken& t);
// \realmult: a pt times b, read and printed back by TeX to the nearest 2^-16.
std::string RealMult(double a, double b, double& out);

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

const CCommandName* FindCommand(std::string_view name);
bool IsConditional(const CTeXToken& t);

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
    // Where TeXDraw stands now, its settings entered in the program's table.
    CTeXDrawPlace Place();

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

} // namespace texdraw_interpreter
