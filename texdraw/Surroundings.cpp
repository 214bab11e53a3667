#include "texdraw/Surroundings.h"

#include "texdraw/TeXLexer.h"

#include <algorithm>
#include <vector>

namespace {

int LineOf(std::string_view text, std::size_t pos) {
    return 1 + static_cast<int>(std::count(text.begin(), text.begin() + pos, '\n'));
}

bool IsDefinition(const CTeXToken& t) {
    return t.IsCs("def") || t.IsCs("gdef") || t.IsCs("edef") || t.IsCs("xdef");
}

bool IsLaTeXDefinition(const CTeXToken& t) {
    return t.IsCs("newcommand") || t.IsCs("renewcommand") || t.IsCs("providecommand") ||
           t.IsCs("newenvironment") || t.IsCs("renewenvironment") || t.IsCs("DeclareRobustCommand");
}

// Passes over the rest of a group whose opening brace was read; false when it never closes.
bool SkipGroup(CTeXLexer& lx) {
    int depth = 1;
    CTeXToken t;
    while (lx.Next(t)) {
        if (t.m_eType == ETeXToken::BeginGroup)
            ++depth;
        else if (t.m_eType == ETeXToken::EndGroup && --depth == 0)
            return true;
    }
    return false;
}

// Passes over a definition's name, parameters and body, so that drawing delimiters inside a macro
// are not taken for the drawing.
void SkipDefinition(CTeXLexer& lx, const CTeXToken& head) {
    CTeXToken t;
    if (IsDefinition(head)) {
        if (!lx.Next(t)) // the name
            return;
        while (lx.Next(t))
            if (t.m_eType == ETeXToken::BeginGroup) {
                SkipGroup(lx);
                return;
            }
        return;
    }
    // \newcommand*{\name}[n][default]{body}, \newenvironment{name}{begin}{end}.
    bool first = true;
    while (lx.Peek(t)) {
        if (t.m_eType == ETeXToken::Space || (first && t.IsChar('*'))) {
            lx.Next(t);
        } else if (t.m_eType == ETeXToken::BeginGroup) {
            lx.Next(t);
            if (!SkipGroup(lx))
                return;
        } else if (t.IsChar('[')) {
            while (lx.Next(t) && !t.IsChar(']')) {
            }
        } else if (first && t.m_eType == ETeXToken::ControlSequence) {
            lx.Next(t);
        } else {
            return;
        }
        first = false;
    }
}

// Passes over "\let\name = \other": the token it copies (a drawing's delimiter, say) is no
// delimiter there.
void SkipLet(CTeXLexer& lx) {
    CTeXToken t;
    if (!lx.Next(t)) // the name
        return;
    while (lx.Peek(t) && t.m_eType == ETeXToken::Space)
        lx.Next(t);
    if (lx.Peek(t) && t.IsChar('=')) {
        lx.Next(t);
        if (lx.Peek(t) && t.m_eType == ETeXToken::Space)
            lx.Next(t);
    }
    lx.Next(t);
}

// The name in "{name}" after \begin or \end, and the byte after its closing brace; empty when
// what follows is not such a group.
std::string_view ReadEnvironmentName(CTeXLexer& lx, std::size_t& end) {
    CTeXLexer look = lx;
    CTeXToken t;
    while (look.Next(t) && t.m_eType == ETeXToken::Space) {
    }
    if (t.m_eType != ETeXToken::BeginGroup)
        return {};
    const std::size_t nameBegin = t.m_nEnd;
    while (look.Next(t)) {
        if (t.m_eType == ETeXToken::EndGroup) {
            lx = look;
            end = t.m_nEnd;
            return lx.GetText().substr(nameBegin, t.m_nBegin - nameBegin);
        }
        if (t.m_eType != ETeXToken::Character)
            return {};
    }
    return {};
}

struct CFound {
    bool m_bFound = false; // false with no error: there is no drawing
    std::string m_strError;
    std::size_t m_nErrorPos = 0;
    ETeXDrawForm m_eForm = ETeXDrawForm::Environment;
    bool m_bCentreBefore = false;
    CTeXDrawRange m_open, m_body, m_close;
};

CFound Fail(CFound f, std::size_t pos, std::string reason) {
    f.m_strError = std::move(reason);
    f.m_nErrorPos = pos;
    return f;
}

std::string Named(std::string_view name) {
    return std::string(name);
}

// Reads the body of a drawing opened at f.m_open up to its closing delimiter.
CFound ReadBody(CTeXLexer& lx, CFound f) {
    const std::string_view text = lx.GetText();
    const std::string opened = " begun on line " + std::to_string(LineOf(text, f.m_open.m_nBegin));
    f.m_body.m_nBegin = f.m_open.m_nEnd;
    struct COpenEnvironment {
        std::string_view m_strName;
        std::size_t m_nPos;
    };
    std::vector<COpenEnvironment> environments;
    int depth = f.m_eForm == ETeXDrawForm::CentredMacro ? 1 : 0;
    CTeXToken t;
    auto close = [&](std::size_t begin, std::size_t end) {
        if (!environments.empty())
            return Fail(f, environments.back().m_nPos,
                        "\\begin{" + Named(environments.back().m_strName) +
                            "} is not ended inside the drawing" + opened);
        f.m_body.m_nEnd = begin;
        f.m_close = {begin, end};
        f.m_bFound = true;
        return f;
    };
    while (lx.Next(t)) {
        if (t.m_eType == ETeXToken::BeginGroup) {
            ++depth;
        } else if (t.m_eType == ETeXToken::EndGroup) {
            if (--depth == 0 && f.m_eForm == ETeXDrawForm::CentredMacro)
                return close(t.m_nBegin, t.m_nEnd);
            if (depth < 0)
                return Fail(f, t.m_nBegin,
                            "a group opened before the drawing" + opened + " closes inside it");
        } else if (IsDefinition(t) || IsLaTeXDefinition(t)) {
            SkipDefinition(lx, t);
        } else if (t.IsCs("let")) {
            SkipLet(lx);
        } else if (t.IsCs("btexdraw") || t.IsCs("centertexdraw")) {
            return Fail(f, t.m_nBegin, "a drawing begins inside the drawing" + opened);
        } else if (t.IsCs("etexdraw")) {
            // \begin{texdraw} is \btexdraw in a group, and TeX draws the drawing whichever way
            // it is closed.
            if (f.m_eForm == ETeXDrawForm::CentredMacro)
                return Fail(f, t.m_nBegin, "\\etexdraw ends a drawing it did not begin" + opened);
            if (depth != 0)
                return Fail(f, t.m_nBegin,
                            "a group is still open where the drawing" + opened + " ends");
            return close(t.m_nBegin, t.m_nEnd);
        } else if (t.IsCs("begin") || t.IsCs("end")) {
            const bool begin = t.IsCs("begin");
            std::size_t end = 0;
            const std::string_view name = ReadEnvironmentName(lx, end);
            if (name.empty())
                continue;
            if (begin && name == "texdraw")
                return Fail(f, t.m_nBegin, "a drawing begins inside the drawing" + opened);
            if (begin) {
                environments.push_back({name, t.m_nBegin});
            } else if (name == "texdraw") {
                if (f.m_eForm == ETeXDrawForm::CentredMacro)
                    return Fail(f, t.m_nBegin,
                                "\\end{texdraw} ends a drawing it did not begin" + opened);
                if (depth != 0)
                    return Fail(f, t.m_nBegin,
                                "a group is still open where the drawing" + opened + " ends");
                return close(t.m_nBegin, end);
            } else if (environments.empty() || environments.back().m_strName != name) {
                return Fail(f, t.m_nBegin,
                            "\\end{" + Named(name) + "} crosses the drawing" + opened);
            } else {
                environments.pop_back();
            }
        }
    }
    return Fail(f, f.m_open.m_nBegin, "the drawing" + opened + " never ends");
}

// Finds the next drawing from the lexer's place on.
CFound FindDrawing(CTeXLexer& lx) {
    CFound f;
    bool centreJustBefore = false;
    CTeXToken t;
    while (lx.Next(t)) {
        if (t.m_eType == ETeXToken::Space || t.m_eType == ETeXToken::Par)
            continue;
        const bool wasCentre = centreJustBefore;
        centreJustBefore = false;
        f.m_bCentreBefore = wasCentre;
        if (IsDefinition(t) || IsLaTeXDefinition(t)) {
            SkipDefinition(lx, t);
        } else if (t.IsCs("let")) {
            SkipLet(lx);
        } else if (t.IsCs("btexdraw")) {
            f.m_eForm = ETeXDrawForm::Plain;
            f.m_open = {t.m_nBegin, t.m_nEnd};
            return ReadBody(lx, f);
        } else if (t.IsCs("centertexdraw")) {
            CTeXToken brace;
            while (lx.Next(brace) && brace.m_eType == ETeXToken::Space) {
            }
            if (brace.m_eType != ETeXToken::BeginGroup || brace.m_nBegin < t.m_nEnd)
                return Fail(f, t.m_nBegin, "\\centertexdraw is not followed by its {");
            f.m_eForm = ETeXDrawForm::CentredMacro;
            f.m_open = {t.m_nBegin, brace.m_nEnd};
            return ReadBody(lx, f);
        } else if (t.IsCs("etexdraw")) {
            return Fail(f, t.m_nBegin, "\\etexdraw ends a drawing that was never begun");
        } else if (t.IsCs("begin") || t.IsCs("end")) {
            std::size_t end = 0;
            const std::string_view name = ReadEnvironmentName(lx, end);
            if (name == "texdraw" && t.IsCs("end"))
                return Fail(f, t.m_nBegin, "\\end{texdraw} ends a drawing that was never begun");
            if (name == "texdraw") {
                f.m_eForm = ETeXDrawForm::Environment;
                f.m_open = {t.m_nBegin, end};
                return ReadBody(lx, f);
            }
            centreJustBefore = t.IsCs("begin") && name == "center";
        }
    }
    return f;
}

bool CentreEndsRightAfter(CTeXLexer lx) {
    CTeXToken t;
    while (lx.Next(t) && (t.m_eType == ETeXToken::Space || t.m_eType == ETeXToken::Par)) {
    }
    std::size_t end = 0;
    return t.IsCs("end") && ReadEnvironmentName(lx, end) == "center";
}

} // namespace

CTeXDrawSurroundings FindTeXDrawSurroundings(std::string_view text, int drawing) {
    CTeXDrawSurroundings s;
    CTeXLexer lx(text);
    CFound f = FindDrawing(lx);
    // The drawings before the one asked for are passed over whole.
    for (; f.m_bFound && s.m_nEarlierDrawings < drawing; ++s.m_nEarlierDrawings) {
        lx.Seek(f.m_close.m_nEnd, false);
        f = FindDrawing(lx);
        if (!f.m_bFound && f.m_strError.empty())
            f.m_strError = "the file holds " + std::to_string(s.m_nEarlierDrawings + 1) +
                           " drawing(s), not " + std::to_string(drawing + 1);
    }
    if (!f.m_bFound) {
        s.m_nErrorLine = f.m_strError.empty() ? 1 : LineOf(text, f.m_nErrorPos);
        s.m_strError =
            "line " + std::to_string(s.m_nErrorLine) + ": " +
            (f.m_strError.empty() ? "there is no TeXDraw drawing in the text" : f.m_strError);
        return s;
    }
    s.m_bOk = true;
    s.m_eForm = f.m_eForm;
    s.m_prefix = {0, f.m_open.m_nBegin};
    s.m_open = f.m_open;
    s.m_body = f.m_body;
    s.m_close = f.m_close;
    s.m_suffix = {f.m_close.m_nEnd, text.size()};
    s.m_nBodyLine = LineOf(text, f.m_body.m_nBegin);
    lx.Seek(f.m_close.m_nEnd, false);
    s.m_bCentred = f.m_bCentreBefore && CentreEndsRightAfter(lx);
    // Later drawings are counted, not read: a broken one still counts and ends the count.
    for (;;) {
        const CFound next = FindDrawing(lx);
        if (next.m_open.m_nEnd == 0) // no drawing, or only a stray closing delimiter
            break;
        ++s.m_nFurtherDrawings;
        if (!next.m_bFound)
            break;
    }
    return s;
}

std::vector<CTeXDrawListing> ListTeXDrawDrawings(std::string_view text) {
    std::vector<CTeXDrawListing> found;
    CTeXLexer lx(text);
    for (CFound f = FindDrawing(lx); f.m_bFound; f = FindDrawing(lx)) {
        // The first line of the drawing that says something: its first statements.
        const std::string_view body = f.m_body.Of(text);
        const std::size_t from = body.find_first_not_of(" \t\r\n");
        std::string line;
        if (from != std::string_view::npos)
            line = std::string(body.substr(from, body.find_first_of("\r\n", from) - from));
        constexpr std::size_t kShown = 80;
        if (line.size() > kShown) {
            line.resize(kShown);
            // Not in the middle of a UTF-8 character.
            while (!line.empty() && (static_cast<unsigned char>(line.back()) & 0xC0) == 0x80)
                line.pop_back();
            if (!line.empty() && (static_cast<unsigned char>(line.back()) & 0x80))
                line.pop_back();
            line += "...";
        }
        found.push_back({LineOf(text, f.m_open.m_nBegin), std::move(line)});
        lx.Seek(f.m_close.m_nEnd, false);
    }
    return found;
}
