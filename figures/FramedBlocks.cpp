// The TeXDraw blocks of the framed figures: rectangle, rhomb, ellipse, Bezier curve and the
// text blocks that wrap a shape block around a centred text.
#include "figures/BezierCurve.h"
#include "figures/Ellipse.h"
#include "figures/FramedFigure.h"
#include "figures/Rectangle.h"
#include "figures/StyleTeX.h"
#include "figures/TeXFormat.h"
#include "figures/TextFigures.h"

namespace {

template <class P> void Command(std::string& out, const char* name, const P& p) {
    out += name;
    AppendTeXPoint(out, p);
    out += '\n';
}

// Four separate strokes, each edge once: left, top, right, bottom of an unturned frame.
void RectangleBlock(std::string& s, const CFramedFigure& f) {
    s += "\n%begin rectangle\n";
    AppendStylePrologue(s, f);
    if (f.m_style.fillGrey) {
        Command(s, "\\move", f.m_pt1);
        Command(s, "\\lvec", f.m_pt3);
        Command(s, "\\lvec", f.m_pt2);
        Command(s, "\\lvec", f.m_pt4);
        Command(s, "\\lvec", f.m_pt1);
        AppendFill(s, *f.m_style.fillGrey);
    }
    Command(s, "\\move", f.m_pt1);
    Command(s, "\\lvec", f.m_pt4);
    Command(s, "\\move", f.m_pt1);
    Command(s, "\\lvec", f.m_pt3);
    Command(s, "\\move", f.m_pt2);
    Command(s, "\\lvec", f.m_pt3);
    Command(s, "\\move", f.m_pt2);
    Command(s, "\\lvec", f.m_pt4);
    AppendStyleEpilogue(s, f);
    s += "%end rectangle\n";
}

// One closed path through the edge midpoints, where the rhomb is drawn on screen.
void RhombBlock(std::string& s, const CFramedFigure& f) {
    const CDoublePoint top = (f.m_pt1 + f.m_pt3) * 0.5;
    s += "\n%begin rhomb\n";
    AppendStylePrologue(s, f);
    // A fill goes under the outline: the same path, filled first.
    for (int pass = f.m_style.fillGrey ? 0 : 1; pass < 2; ++pass) {
        Command(s, "\\move", top);
        Command(s, "\\lvec", (f.m_pt3 + f.m_pt2) * 0.5);
        Command(s, "\\lvec", (f.m_pt4 + f.m_pt2) * 0.5);
        Command(s, "\\lvec", (f.m_pt1 + f.m_pt4) * 0.5);
        Command(s, "\\lvec", top);
        if (pass == 0)
            AppendFill(s, *f.m_style.fillGrey);
    }
    AppendStyleEpilogue(s, f);
    s += "%end rhomb\n";
}

// The same four arcs as on screen, from the corners rounded to whole page units.
void EllipseBlock(std::string& s, const CFramedFigure& f) {
    const auto q = MakeEllipseBezier(
        f.GetHandlePoint(kHandleStart, 1.0), f.GetHandlePoint(kHandleTopRight, 1.0),
        f.GetHandlePoint(kHandleEnd, 1.0), f.GetHandlePoint(kHandleBottomLeft, 1.0));
    s += "\n%begin ellipse\n";
    AppendStylePrologue(s, f);
    // A fill is one closed path of the four arcs, under the outline.
    if (f.m_style.fillGrey) {
        Command(s, "\\move", q[0]);
        for (int arc = 0; arc < 4; ++arc) {
            s += "\\clvec";
            for (int i = 1; i <= 3; ++i)
                AppendTeXPoint(s, q[3 * arc + i]);
            s += '\n';
        }
        AppendFill(s, *f.m_style.fillGrey);
    }
    for (int arc = 0; arc < 4; ++arc) {
        Command(s, "\\move", q[3 * arc]);
        s += "\\clvec";
        for (int i = 1; i <= 3; ++i)
            AppendTeXPoint(s, q[3 * arc + i]);
        s += '\n';
    }
    AppendStyleEpilogue(s, f);
    s += "%end ellipse\n";
}

// The shape's block, then the text unchanged at the figure's centre.
void TextBlock(std::string& s, const CFramedFigure& f, const char* kind,
               void (*shape)(std::string&, const CFramedFigure&), const std::string& text) {
    s += "%begin ";
    s += kind;
    s += '\n';
    shape(s, f);
    s += "\n\\textref h:C v:C\n\\htext ";
    AppendTeXPair(s, 0.005 * (f.m_pt1.x + f.m_pt2.x), -0.005 * (f.m_pt1.y + f.m_pt2.y));
    s += '{';
    s += text;
    s += "}\n%end ";
    s += kind;
    s += '\n';
}

} // namespace

void CFramedFigure::AppendTeX(std::string& out) const {
    RectangleBlock(out, *this);
}

void CRhomb::AppendTeX(std::string& out) const {
    RhombBlock(out, *this);
}

void CEllipse::AppendTeX(std::string& out) const {
    EllipseBlock(out, *this);
}

void CBezierCurve::AppendTeX(std::string& s) const {
    s += "\n%begin bz\n";
    AppendStylePrologue(s, *this);
    Command(s, "\\move", GetHandlePoint(kHandleStart, 1.0));
    s += "\\clvec";
    AppendTeXPoint(s, GetHandlePoint(kHandleTopRight, 1.0));
    AppendTeXPoint(s, GetHandlePoint(kHandleBottomLeft, 1.0));
    AppendTeXPoint(s, GetHandlePoint(kHandleEnd, 1.0));
    s += '\n';
    // A head is a vector as long as the head, along the curve's tangent at that end.
    const auto head = [&](int handle, bool atEnd) {
        s += "\\move";
        AppendFineTeXPoint(s, GetTangentTail(atEnd));
        s += '\n';
        Command(s, "\\avec", GetHandlePoint(handle, 1.0));
    };
    if (m_style.HasHeadAtEnd())
        head(kHandleEnd, true);
    if (m_style.HasHeadAtStart())
        head(kHandleStart, false);
    AppendStyleEpilogue(s, *this);
    s += "%end bz\n";
}

void CTextRectangle::AppendTeX(std::string& out) const {
    TextBlock(out, *this, "textrectangle", RectangleBlock, m_strText);
}

void CTextEllipse::AppendTeX(std::string& out) const {
    TextBlock(out, *this, "textellipse", EllipseBlock, m_strText);
}

void CTextRhomb::AppendTeX(std::string& out) const {
    TextBlock(out, *this, "textrhomb", RhombBlock, m_strText);
}
