// The TeXDraw blocks of lines and arrows.
#include "figures/Line.h"
#include "figures/TeXFormat.h"

void CLine::AppendTeX(std::string& s) const {
    // Coloured lines are the canvas's grid, which never goes into the drawing's text.
    if (m_crColor != 0)
        return;
    const bool dotted = m_nPenStyle == kPenStyleDotted;
    s += "\n%begin line\n";
    if (dotted)
        s += "\\lpatt(0.03 0.05)\n";
    s += "\\move";
    AppendTeXPoint(s, m_pt1);
    s += "\n\\lvec";
    AppendTeXPoint(s, m_pt2);
    s += '\n';
    if (dotted)
        s += "\\lpatt()\n";
    s += "%end line\n";
}

void CArrow::AppendTeX(std::string& s) const {
    s += "%begin arrow\n";
    s += "\\move";
    AppendTeXPoint(s, m_pt1);
    s += "\n\\avec";
    AppendTeXPoint(s, m_pt2);
    s += '\n';
    s += "%end arrow\n";
}
