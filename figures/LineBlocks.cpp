// The TeXDraw blocks of lines and arrows.
#include "figures/Line.h"
#include "figures/StyleTeX.h"
#include "figures/TeXFormat.h"

#include <charconv>

namespace {

// A TeXDraw coordinate of the page value v as its block gives it: the number written, read.
double AsWritten(double v) {
    const std::string s = FormatFixed2(v);
    double read = 0.0;
    std::from_chars(s.data(), s.data() + s.size(), read);
    return read;
}

void Command(std::string& s, const char* name, const CDoublePoint& p) {
    s += name;
    AppendTeXPoint(s, p);
    s += '\n';
}

// The line's vectors: "\lvec" without heads, "\avec" towards each end that has one; a line
// with a head at both ends is two vectors from its middle.
void Vectors(std::string& s, const CFigure& f) {
    switch (f.m_style.eHeads) {
    case EArrowHeads::None:
        Command(s, "\\move", f.m_pt1);
        Command(s, "\\lvec", f.m_pt2);
        break;
    case EArrowHeads::End:
        Command(s, "\\move", f.m_pt1);
        Command(s, "\\avec", f.m_pt2);
        break;
    case EArrowHeads::Start:
        Command(s, "\\move", f.m_pt2);
        Command(s, "\\avec", f.m_pt1);
        break;
    case EArrowHeads::Both: {
        // The middle of the ends as they are written, so that it is found again from them.
        s += "\\move";
        AppendTeXPair(s, 0.5 * (AsWritten(0.01 * f.m_pt1.x) + AsWritten(0.01 * f.m_pt2.x)),
                      0.5 * (AsWritten(-0.01 * f.m_pt1.y) + AsWritten(-0.01 * f.m_pt2.y)));
        s += '\n';
        const std::string mid = s.substr(s.rfind("\\move"));
        Command(s, "\\avec", f.m_pt2);
        s += mid;
        Command(s, "\\avec", f.m_pt1);
        break;
    }
    }
}

} // namespace

void CLine::AppendTeX(std::string& s) const {
    // Coloured lines are the canvas's grid, which never goes into the drawing's text.
    if (m_crColor != 0)
        return;
    s += "\n%begin line\n";
    AppendStylePrologue(s, *this);
    Vectors(s, *this);
    AppendStyleEpilogue(s, *this);
    s += "%end line\n";
}

void CArrow::AppendTeX(std::string& s) const {
    s += "%begin arrow\n";
    AppendStylePrologue(s, *this);
    Vectors(s, *this);
    AppendStyleEpilogue(s, *this);
    s += "%end arrow\n";
}
