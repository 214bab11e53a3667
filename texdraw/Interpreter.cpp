#include "texdraw/InterpreterParts.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>

namespace texdraw_interpreter {

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
    s.m_after = Place();
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
        s.m_after = Place();
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
    s.m_after = Place();
    m_program.m_statements.push_back(std::move(s));
}

CTeXDrawPlace CInterpreter::Place() {
    CTeXDrawSettings settings;
    settings.m_style = m_state.m_style;
    settings.m_cHeadType = m_state.m_cHeadType;
    settings.m_dHeadLength = PageLength(m_state.m_nHeadLength);
    settings.m_dHeadWidth = PageLength(m_state.m_nHeadWidth);
    settings.m_cHRef = m_state.m_cHRef;
    settings.m_cVRef = m_state.m_cVRef;
    std::vector<CTeXDrawSettings>& all = m_program.m_settings;
    if (all.empty() || !(all.back() == settings))
        all.push_back(std::move(settings));
    CTeXDrawPlace place;
    place.m_ptCurrent = Page(m_state.m_nX, m_state.m_nY);
    place.m_ptOrigin = Page(m_state.m_nSegX, m_state.m_nSegY);
    place.m_dUnit = m_state.m_dUnitSp * Quantise(m_state.m_dScale) /
                    (static_cast<double>(kSpPerPixel) * kPixelsPerPageUnit);
    place.m_dUnitSp = m_state.m_dUnitSp;
    place.m_nSegmentDepth = static_cast<int>(m_segments.size());
    place.m_nOpenPath = m_nPath;
    place.m_nSettings = static_cast<int>(all.size()) - 1;
    place.m_dSegScale = m_state.m_dSegScale;
    return place;
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
    m_program.m_start = Place();
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
            error = Joined({"\\", t.m_str, ": ", error});
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
    const std::string mismatch = Joined({"the use of \\", name, " does not match its definition"});
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
                AppendTokenText(inside, t);
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

} // namespace texdraw_interpreter

CTeXDrawProgram InterpretTeXDraw(std::string_view body, const CTeXDrawInterpretOptions& options) {
    return texdraw_interpreter::CInterpreter(body, options).Run();
}
