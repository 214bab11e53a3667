#include "texdraw/BlockParser.h"

#include "figures/StyleCommands.h"

#include "texdraw/Reader.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <system_error>

namespace texdraw_reader {

namespace {

// A coordinate written by the editor never needs more characters than this.
constexpr std::size_t kMaxNumberChars = 40;

constexpr std::array<CKindName, 16> kKinds{{
    {"line", EKind::Line, true},
    {"arrow", EKind::Arrow, false},
    {"rectangle", EKind::Rectangle, true},
    {"ellipse", EKind::Ellipse, true},
    {"bz", EKind::Bezier, true},
    {"rhomb", EKind::Rhomb, true},
    {"textrectangle", EKind::TextRectangle, false},
    {"textellipse", EKind::TextEllipse, false},
    {"textrhomb", EKind::TextRhomb, false},
    {"circle", EKind::Circle, true},
    {"ellip", EKind::AxisEllipse, true},
    {"arc", EKind::Arc, true},
    {"polyline", EKind::Polyline, true, kMaxPolylineLines},
    {"polygon", EKind::Polygon, true, kMaxPolylineLines},
    {"path", EKind::Path, true, kMaxPolylineLines},
    {"label", EKind::Label, true},
}};

// The page value of a TeXDraw number: a hundred times it. A value written from a whole number of
// page units comes back as exactly that number (the sign of a zero is kept: it is written).
double PageValue(double texValue) {
    const double v = 100.0 * texValue;
    const double whole = std::nearbyint(v);
    return std::fabs(v - whole) < 1e-6 ? whole : v;
}

bool ReadShape(CBlockParser& p, EKind shape, CBlockData& d) {
    switch (shape) {
    case EKind::Rectangle:
        return p.Expect("%begin rectangle") && p.Body("%end rectangle", d);
    case EKind::Ellipse:
        return p.Expect("%begin ellipse") && p.Body("%end ellipse", d);
    case EKind::Rhomb:
        return p.Expect("%begin rhomb") && p.Body("%end rhomb", d);
    default:
        return false;
    }
}

// A number of a style command: plain decimal, finite, not negative.
bool StyleNumber(std::string_view tok, double& v) {
    if (tok.empty() || tok.size() > kMaxNumberChars)
        return false;
    const char* end = tok.data() + tok.size();
    const auto res = std::from_chars(tok.data(), end, v);
    return res.ec == std::errc() && res.ptr == end && std::isfinite(v) && v >= 0.0;
}

} // namespace

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

bool IsBlank(std::string_view s) {
    return std::all_of(s.begin(), s.end(), IsSpace);
}

std::string Quote(std::string_view s) {
    std::string q = "\"";
    for (std::size_t i = 0; i < s.size() && i < 40; ++i)
        q += static_cast<unsigned char>(s[i]) < 0x20 ? '?' : s[i];
    if (s.size() > 40)
        q += "...";
    return q + "\"";
}

bool NextLine(std::string_view text, CTextPosition& c, std::string_view& line) {
    if (c.pos >= text.size())
        return false;
    const std::size_t feed = text.find('\n', c.pos);
    const std::size_t end = feed == std::string_view::npos ? text.size() : feed;
    line = text.substr(c.pos, end - c.pos);
    c.pos = feed == std::string_view::npos ? text.size() : feed + 1;
    ++c.line;
    return true;
}

const CKindName* FindKind(std::string_view name) {
    for (const auto& k : kKinds)
        if (k.name == name)
            return &k;
    return nullptr;
}

bool CBlockParser::Expect(std::string_view want) {
    std::string_view line;
    return NextLine(m_body, m_at, line) && line == want;
}

bool CBlockParser::NextIs(std::string_view want) const {
    CTextPosition c = m_at;
    std::string_view line;
    return NextLine(m_body, c, line) && line == want;
}

bool CBlockParser::Points(std::string_view command, int n, CBlockData& d) {
    const int lineNo = m_at.line;
    std::string_view line;
    if (!NextLine(m_body, m_at, line) || line.substr(0, command.size()) != command)
        return false;
    line.remove_prefix(command.size());
    for (int i = 0; i < n; ++i) {
        double x = 0, y = 0;
        if (!Pair(line, lineNo, x, y, nullptr, nullptr))
            return false;
        d.points.push_back({PageValue(x), PageValue(-y)});
    }
    return line.empty();
}

bool CBlockParser::StyleLine(std::string_view line, CBlockData& d) {
    const auto after = [&](std::string_view prefix, std::string_view& rest) {
        if (line.substr(0, prefix.size()) != prefix)
            return false;
        rest = line.substr(prefix.size());
        return true;
    };
    // Only the first lines set the style; those after the path put the defaults back.
    const bool setting = d.commands.empty() && !d.style.fillGrey;
    std::string_view rest;
    double v = 0.0;
    if (after(StyleCommand(EStyleCommand::LineWd).strOpening, rest)) {
        if (!StyleNumber(rest, v))
            return false;
        if (setting)
            d.style.dLineWidth = WrittenLength(100.0 * v);
        return true;
    }
    if (after(StyleCommand(EStyleCommand::SetGray).strOpening, rest)) {
        if (!StyleNumber(rest, v))
            return false;
        if (setting)
            d.style.dLineGrey = v;
        return true;
    }
    if (after(StyleCommand(EStyleCommand::LPatt).strOpening, rest)) {
        if (rest.empty() || rest.back() != ')')
            return false;
        rest.remove_suffix(1);
        std::vector<double> pattern;
        while (!rest.empty()) {
            const std::size_t blank = rest.find(' ');
            if (!StyleNumber(rest.substr(0, blank), v) || pattern.size() >= kMaxPatternLengths)
                return false;
            pattern.push_back(WrittenLength(100.0 * v));
            rest = blank == std::string_view::npos ? std::string_view{} : rest.substr(blank + 1);
        }
        if (setting)
            d.style.pattern = std::move(pattern);
        return true;
    }
    if (after(StyleCommand(EStyleCommand::ArrowHeadType).strOpening, rest)) {
        if (rest.size() != 1)
            return false;
        if (setting)
            d.style.cHeadType = rest.front();
        return true;
    }
    if (after(StyleCommand(EStyleCommand::ArrowHeadSize).strOpening, rest)) {
        const std::size_t w = rest.find(" w:");
        double len = 0.0;
        if (w == std::string_view::npos || !StyleNumber(rest.substr(0, w), len) ||
            !StyleNumber(rest.substr(w + 3), v))
            return false;
        if (setting) {
            d.style.dHeadLength = WrittenLength(100.0 * len);
            d.style.dHeadWidth = WrittenLength(100.0 * v);
        }
        return true;
    }
    return false;
}

bool CBlockParser::RoundLine(std::string_view line, CBlockData& d) {
    // Each command with the keys of its numbers; a leading "f:" is the fill's grey.
    static constexpr struct {
        std::string_view name;
        std::array<std::string_view, 4> keys;
        bool fill;
    } kRound[] = {{"\\lcir", {"r:"}, false},
                  {"\\fcir", {"f:", "r:"}, true},
                  {"\\lellip", {"rx:", "ry:"}, false},
                  {"\\fellip", {"f:", "rx:", "ry:"}, true},
                  {"\\larc", {"r:", "sd:", "ed:"}, false}};
    for (const auto& c : kRound) {
        if (line.substr(0, c.name.size() + 1) != std::string(c.name) + " " || d.commands.empty() ||
            d.commands.front() != "\\move")
            continue;
        std::string_view rest = line.substr(c.name.size() + 1);
        std::vector<double> values;
        for (std::string_view key : c.keys) {
            if (key.empty())
                break;
            if (rest.substr(0, key.size()) != key)
                return false;
            rest.remove_prefix(key.size());
            const std::size_t blank = rest.find(' ');
            double v = 0.0;
            if (!StyleNumber(rest.substr(0, blank), v))
                return false;
            values.push_back(v);
            rest = blank == std::string_view::npos ? std::string_view{} : rest.substr(blank + 1);
        }
        if (!rest.empty())
            return false;
        if (c.fill) {
            if (d.style.fillGrey)
                return false;
            d.style.fillGrey = values.front();
            values.erase(values.begin());
        }
        d.numbers.insert(d.numbers.end(), values.begin(), values.end());
        d.commands.push_back(c.name);
        return true;
    }
    return false;
}

bool CBlockParser::Body(std::string_view end, CBlockData& d, int maxLines) {
    static constexpr struct {
        std::string_view name;
        int points;
    } kPathCommands[] = {{"\\move", 1}, {"\\lvec", 1}, {"\\avec", 1}, {"\\clvec", 3}};
    for (int i = 0; i < maxLines; ++i) {
        if (NextIs(end))
            return Expect(end);
        CTextPosition at = m_at;
        std::string_view line;
        if (!NextLine(m_body, at, line))
            return false;
        bool read = false;
        for (const auto& c : kPathCommands) {
            if (line.substr(0, c.name.size()) == c.name && line.substr(c.name.size(), 1) == "(") {
                if (!Points(c.name, c.points, d))
                    return false;
                d.commands.push_back(c.name);
                read = true;
                break;
            }
        }
        if (read)
            continue;
        constexpr std::string_view kFill = "\\ifill f:";
        double grey = 0.0;
        if (line.substr(0, kFill.size()) == kFill && !d.commands.empty() && !d.style.fillGrey &&
            StyleNumber(line.substr(kFill.size()), grey)) {
            // The path just read was the fill's; the outline follows.
            d.style.fillGrey = grey;
            d.fillPoints = std::move(d.points);
            d.points.clear();
            d.fillCommands = std::move(d.commands);
            d.commands.clear();
            m_at = at;
            continue;
        }
        if (!StyleLine(line, d) && !RoundLine(line, d))
            return false;
        m_at = at;
    }
    return false;
}

bool CBlockParser::LabelText(CBlockData& d, std::string_view end) {
    std::string_view line;
    constexpr std::string_view kRef = StyleCommand(EStyleCommand::TextRef).strOpening;
    if (!NextLine(m_body, m_at, line) || line.size() != kRef.size() + 5 ||
        line.substr(0, kRef.size()) != kRef || line.substr(kRef.size() + 1, 3) != " v:")
        return false;
    d.hRef = line[kRef.size()];
    d.vRef = line[kRef.size() + 4];
    const int lineNo = m_at.line;
    if (!NextLine(m_body, m_at, line))
        return false;
    constexpr std::string_view kRotated = "\\rtext td:";
    if (line.substr(0, 7) == "\\htext ") {
        d.angle = 0.0;
        line.remove_prefix(7);
    } else if (line.substr(0, 7) == "\\vtext ") {
        d.angle = 90.0;
        line.remove_prefix(7);
    } else if (line.substr(0, kRotated.size()) == kRotated) {
        line.remove_prefix(kRotated.size());
        const std::size_t blank = line.find(' ');
        if (blank == std::string_view::npos || !StyleNumber(line.substr(0, blank), d.angle))
            return false;
        line.remove_prefix(blank + 1);
    } else {
        return false;
    }
    double x = 0, y = 0;
    if (!Pair(line, lineNo, x, y, nullptr, nullptr))
        return false;
    d.points.push_back({PageValue(x), PageValue(-y)});
    return BracedText(line, d, end);
}

bool CBlockParser::BracedText(std::string_view line, CBlockData& d, std::string_view end) {
    if (line.empty() || line.front() != '{')
        return false;
    std::string text(line.substr(1));
    for (int more = 0;; ++more) {
        if (!text.empty() && text.back() == '}' && NextIs(end)) {
            text.pop_back();
            d.text = std::move(text);
            return true;
        }
        if (more >= kMaxTextLines || !NextLine(m_body, m_at, line))
            return false;
        text += '\n';
        text += line;
    }
}

bool CBlockParser::HText(CBlockData& d, std::string_view end) {
    const int lineNo = m_at.line;
    std::string_view line;
    constexpr std::string_view kCommand = "\\htext ";
    if (!NextLine(m_body, m_at, line) || line.substr(0, kCommand.size()) != kCommand)
        return false;
    line.remove_prefix(kCommand.size());
    if (!Pair(line, lineNo, d.texCentreX, d.texCentreY, &d.centreX, &d.centreY))
        return false;
    // A text with line breaks (earlier versions let a pasted one through) runs on over the next
    // lines, up to the closing brace before the block's end line.
    return BracedText(line, d, end);
}

bool CBlockParser::Pair(std::string_view& s, int lineNo, double& x, double& y,
                        std::string_view* tokX, std::string_view* tokY) {
    if (s.empty() || s.front() != '(')
        return false;
    const std::size_t blank = s.find(' ');
    const std::size_t close = s.find(')');
    if (blank == std::string_view::npos || close == std::string_view::npos || close < blank)
        return false;
    const std::string_view a = s.substr(1, blank - 1);
    const std::string_view b = s.substr(blank + 1, close - blank - 1);
    if (!Number(a, lineNo, x) || !Number(b, lineNo, y))
        return false;
    if (tokX)
        *tokX = a;
    if (tokY)
        *tokY = b;
    s.remove_prefix(close + 1);
    return true;
}

bool CBlockParser::Number(std::string_view tok, int lineNo, double& v) {
    if (tok.empty() || tok.size() > kMaxNumberChars)
        return false;
    const char* end = tok.data() + tok.size();
    const auto res = std::from_chars(tok.data(), end, v);
    if (res.ec == std::errc::invalid_argument || res.ptr != end)
        return false;
    if (res.ec == std::errc::result_out_of_range || !std::isfinite(v) ||
        std::fabs(v) * 100.0 > kMaxTeXDrawPageValue) {
        m_fatal = "line " + std::to_string(lineNo) + ": the number " + Quote(tok) +
                  " is not a coordinate on a page";
        return false;
    }
    return true;
}

bool ReadBlock(CBlockParser& p, const CKindName& k, CBlockData& d) {
    d.kind = k.kind;
    switch (k.kind) {
    case EKind::Line:
        return p.Expect("%begin line") && p.Body("%end line", d);
    case EKind::Arrow:
        return p.Expect("%begin arrow") && p.Body("%end arrow", d);
    case EKind::Rectangle:
    case EKind::Ellipse:
    case EKind::Rhomb:
        return ReadShape(p, k.kind, d);
    case EKind::Bezier:
        return p.Expect("%begin bz") && p.Body("%end bz", d);
    case EKind::Circle:
    case EKind::AxisEllipse:
    case EKind::Arc:
    case EKind::Polyline:
    case EKind::Polygon:
    case EKind::Path: {
        const std::string name(k.name);
        return p.Expect("%begin " + name) && p.Body("%end " + name, d, k.maxLines);
    }
    case EKind::Label:
        return p.Expect("%begin label") && p.LabelText(d, "%end label") && p.Expect("%end label");
    case EKind::TextRectangle:
    case EKind::TextEllipse:
    case EKind::TextRhomb: {
        const std::string begin = "%begin " + std::string(k.name);
        const std::string end = "%end " + std::string(k.name);
        return p.Expect(begin) && p.Expect("") && ReadShape(p, ShapeOf(k.kind), d) &&
               p.Expect("") && p.Expect("\\textref h:C v:C") && p.HText(d, end) && p.Expect(end);
    }
    }
    return false;
}

} // namespace texdraw_reader
