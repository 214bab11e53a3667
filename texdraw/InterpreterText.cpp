// TeX's numbers and texts as the interpreter reads them, and the table of the commands it knows.
#include "texdraw/InterpreterParts.h"

#include "figures/StyleCommands.h"

#include <cmath>

namespace texdraw_interpreter {

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
        return Joined({"\\", t.m_str});
    case ETeXToken::Space:
        return " ";
    case ETeXToken::Par:
        return "\n\n";
    default:
        return std::string(t.m_str);
    }
}

void AppendTokenText(std::string& out, const CTeXToken& t) {
    const std::string text = TokenText(t);
    const auto letter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
    if (!text.empty() && letter(text.front())) {
        // Does out end with a control word: letters after a backslash that is not itself escaped?
        std::size_t i = out.size();
        while (i > 0 && letter(out[i - 1]))
            --i;
        std::size_t slashes = 0;
        while (i > slashes && out[i - 1 - slashes] == '\\')
            ++slashes;
        if (i < out.size() && slashes % 2 == 1)
            out += ' '; // TeX dropped it when reading "\tt h"; without it the text says "\tth"
    }
    out += text;
}

// \realmult: a pt times b, read and printed back by TeX to the nearest 2^-16.
std::string RealMult(double a, double b, double& out) {
    const double d0 = std::round(Quantise(a) * 65536.0);
    const double d2 = std::trunc(Quantise(b) * d0);
    if (!(std::fabs(d0) <= kMaxDimen) || !(std::fabs(d2) <= kMaxDimen))
        return "the scale is too large for TeX";
    out = d2 / 65536.0;
    return "";
}

const CCommandName kCommands[] = {
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
    {StyleCommand(EStyleCommand::LineWd).strName, ECommand::LineWd, ETeXDrawStatement::Style},
    {StyleCommand(EStyleCommand::LPatt).strName, ECommand::LPatt, ETeXDrawStatement::Style},
    {StyleCommand(EStyleCommand::SetGray).strName, ECommand::SetGray, ETeXDrawStatement::Style},
    {StyleCommand(EStyleCommand::ArrowHeadType).strName, ECommand::ArrowHeadType,
     ETeXDrawStatement::Style},
    {StyleCommand(EStyleCommand::ArrowHeadSize).strName, ECommand::ArrowHeadSize,
     ETeXDrawStatement::Style},
    {StyleCommand(EStyleCommand::TextRef).strName, ECommand::TextRef, ETeXDrawStatement::Style},
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

} // namespace texdraw_interpreter
