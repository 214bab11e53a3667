// The interpreter's reading of command arguments and its running of TeXDraw's commands.
#include "texdraw/InterpreterParts.h"

#include <cmath>
#include <string>
#include <utility>

namespace texdraw_interpreter {

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
        AppendTokenText(text, t);
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
        AppendTokenText(value, t);
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
            return Joined({"\"", key, ":\" should follow"});
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
            AppendTokenText(text, k);
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
        return Joined({"\"", text, "\" is not a number"});
    return CoordToPixels(v, pixels);
}

std::string CInterpreter::ReadGray(std::string_view text, double& gray) {
    if (!ParseTeXNumber(text, gray))
        return Joined({"\"", text, "\" is not a grey level"});
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
            return Joined({"the position ", item, " was never saved"});
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

} // namespace texdraw_interpreter
