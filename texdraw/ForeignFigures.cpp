#include "texdraw/ForeignFigures.h"

#include "figures/BezierCurve.h"
#include "figures/Label.h"
#include "figures/Line.h"
#include "figures/Polyline.h"
#include "figures/Shapes.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace {

// A figure's block writes points to 0.01 in (a page unit), which TeXDraw then takes to its
// 1/300 in; lengths go to 0.00001 in and then to 1/300 in.
constexpr double kPointSlack = 0.5 + 1.0 / 3.0 + 1e-6;
constexpr double kLengthSlack = 1.0 / 3.0 + 1e-6;
constexpr double kValueSlack = 1e-4;
// Beyond the page's reach, within TeX's: every point of a figure is positive once moved by it.
constexpr double kVerifyShift = 10000.0;

// One thing TeXDraw puts on the page, in a form two drawings of it share however their commands
// spell it: a stroked piece, a filled region, an arrow, a round outline or disc, an arc, a text.
struct CMark {
    char cKind = 0;
    std::vector<CDoublePoint> points;
    std::vector<double> lengths; // page units
    std::vector<double> values;  // greys, angles, letters
    std::string text;
};

bool Near(const CDoublePoint& a, const CDoublePoint& b, double slack) {
    return std::fabs(a.x - b.x) <= slack && std::fabs(a.y - b.y) <= slack;
}

bool Same(const CMark& a, const CMark& b) {
    if (a.cKind != b.cKind || a.text != b.text || a.points.size() != b.points.size() ||
        a.lengths.size() != b.lengths.size() || a.values.size() != b.values.size())
        return false;
    for (std::size_t i = 0; i < a.points.size(); ++i)
        if (!Near(a.points[i], b.points[i], kPointSlack))
            return false;
    for (std::size_t i = 0; i < a.lengths.size(); ++i)
        if (!(std::fabs(a.lengths[i] - b.lengths[i]) <= kLengthSlack))
            return false;
    for (std::size_t i = 0; i < a.values.size(); ++i)
        if (!(std::fabs(a.values[i] - b.values[i]) <= kValueSlack))
            return false;
    return true;
}

double Degrees(double a) {
    double d = std::fmod(a, 360.0);
    return d < 0.0 ? d + 360.0 : d;
}

// The line style a mark is stroked in.
void AddStyle(CMark& m, const CTeXDrawStyle& s) {
    m.lengths.push_back(s.m_dWidth);
    m.lengths.insert(m.lengths.end(), s.m_dashes.begin(), s.m_dashes.end());
    m.values.push_back(s.m_dGray);
    m.values.push_back(static_cast<double>(s.m_dashes.size()));
}

std::vector<CMark> MarksOf(const CTeXDrawProgram& pr, int first, int count) {
    std::vector<CMark> marks;
    int i = first;
    const int end = first + count;
    while (i < end) {
        const CTeXDrawPrimitive& p = pr.m_primitives[static_cast<std::size_t>(i)];
        const CTeXDrawStyle& style = pr.m_styles[static_cast<std::size_t>(p.m_nStyle)];
        CMark m;
        switch (p.m_eKind) {
        case ETeXDrawPrimitive::Line:
        case ETeXDrawPrimitive::Curve: {
            // The run of pieces of one path: its fill first, then its strokes.
            int j = i;
            while (j < end && pr.m_primitives[static_cast<std::size_t>(j)].m_nPath == p.m_nPath &&
                   pr.m_primitives[static_cast<std::size_t>(j)].m_eKind != ETeXDrawPrimitive::Arrow)
                ++j;
            const CTeXDrawPath* path =
                p.m_nPath >= 0 ? &pr.m_paths[static_cast<std::size_t>(p.m_nPath)] : nullptr;
            const CDoublePoint start = p.m_pt1;
            const CDoublePoint last = pr.m_primitives[static_cast<std::size_t>(j - 1)].m_pt2;
            if (path && path->m_bFilled) {
                CMark fill{'F', {}, {}, {path->m_dFillGray}, {}};
                for (int k = i; k < j; ++k) {
                    const CTeXDrawPrimitive& q = pr.m_primitives[static_cast<std::size_t>(k)];
                    if (q.m_eKind == ETeXDrawPrimitive::Curve)
                        fill.points.insert(fill.points.end(), {q.m_ptControl1, q.m_ptControl2});
                    fill.points.push_back(q.m_pt1);
                }
                if (!(last == start))
                    fill.points.push_back(last);
                marks.push_back(std::move(fill));
            }
            if (!path || path->m_bStroked) {
                for (int k = i; k < j; ++k) {
                    const CTeXDrawPrimitive& q = pr.m_primitives[static_cast<std::size_t>(k)];
                    CMark piece{
                        q.m_eKind == ETeXDrawPrimitive::Line ? 'L' : 'C', {q.m_pt1}, {}, {}, {}};
                    if (q.m_eKind == ETeXDrawPrimitive::Curve)
                        piece.points.insert(piece.points.end(), {q.m_ptControl1, q.m_ptControl2});
                    piece.points.push_back(q.m_pt2);
                    AddStyle(piece, style);
                    marks.push_back(std::move(piece));
                }
            }
            i = j;
            continue;
        }
        case ETeXDrawPrimitive::Arrow:
            m = {'A', {p.m_pt1, p.m_pt2}, {p.m_dHeadLength, p.m_dHeadWidth}, {}, {}};
            m.values.push_back(static_cast<double>(p.m_cHeadType));
            AddStyle(m, style);
            break;
        case ETeXDrawPrimitive::Circle:
        case ETeXDrawPrimitive::Ellipse:
            m = {p.m_bFilled ? 'D' : 'O', {p.m_pt1}, {p.m_dRadiusX, p.m_dRadiusY}, {}, {}};
            m.values.push_back(p.m_eKind == ETeXDrawPrimitive::Circle ? 1.0 : 2.0);
            if (p.m_bFilled)
                m.values.push_back(p.m_dFillGray);
            else
                AddStyle(m, style);
            break;
        case ETeXDrawPrimitive::Arc: {
            // PostScript's arc turns from the start until it reaches the end.
            double sweep = p.m_dEndDeg - p.m_dStartDeg;
            if (sweep < 0.0)
                sweep += 360.0 * std::ceil(-sweep / 360.0);
            m = {'R', {p.m_pt1}, {p.m_dRadiusX}, {Degrees(p.m_dStartDeg), sweep}, {}};
            AddStyle(m, style);
            break;
        }
        case ETeXDrawPrimitive::Text:
            m = {'T', {p.m_pt1}, {}, {}, p.m_strText};
            m.values = {static_cast<double>(p.m_cHRef), static_cast<double>(p.m_cVRef),
                        Degrees(p.m_dAngle)};
            break;
        }
        marks.push_back(std::move(m));
        ++i;
    }
    return marks;
}

CStyle StyleOf(const CTeXDrawStyle& s) {
    CStyle style;
    style.dLineWidth = s.m_dWidth;
    style.pattern = s.m_dashes;
    style.dLineGrey = s.m_dGray;
    return style;
}

void TakeHead(CStyle& style, const CTeXDrawPrimitive& arrow) {
    style.eHeads = EArrowHeads::End;
    style.cHeadType = arrow.m_cHeadType;
    style.dHeadLength = arrow.m_dHeadLength;
    style.dHeadWidth = arrow.m_dHeadWidth;
}

// The figure the primitives look like; whether it draws them is checked afterwards.
std::unique_ptr<CFigure> Candidate(const CTeXDrawProgram& pr, int first, int count) {
    const auto at = [&](int k) -> const CTeXDrawPrimitive& {
        return pr.m_primitives[static_cast<std::size_t>(first + k)];
    };
    const CTeXDrawPrimitive& p = at(0);
    CStyle style = StyleOf(pr.m_styles[static_cast<std::size_t>(p.m_nStyle)]);
    switch (p.m_eKind) {
    case ETeXDrawPrimitive::Text: {
        auto label = std::make_unique<CLabel>();
        label->m_pt1 = label->m_pt2 = p.m_pt1;
        label->m_strText = p.m_strText;
        label->m_cHRef = p.m_cHRef;
        label->m_cVRef = p.m_cVRef;
        label->m_dAngle = Degrees(p.m_dAngle);
        return count == 1 ? std::move(label) : nullptr;
    }
    case ETeXDrawPrimitive::Circle:
    case ETeXDrawPrimitive::Ellipse:
    case ETeXDrawPrimitive::Arc: {
        // An outline alone, a disc alone, or a disc under the outline of the same shape.
        const CTeXDrawPrimitive& outline = at(count - 1);
        const bool discAlone = count == 1 && p.m_bFilled && p.m_eKind != ETeXDrawPrimitive::Arc;
        if (count > 2 || (outline.m_bFilled && !discAlone) || (count == 2 && !p.m_bFilled))
            return nullptr;
        std::unique_ptr<CRoundFigure> round;
        if (p.m_eKind == ETeXDrawPrimitive::Arc) {
            // The editor's arc turns less than a whole turn, and by something.
            const double sweep = p.m_dEndDeg - p.m_dStartDeg;
            if (!(sweep > 0.0 && sweep < 360.0) && !(sweep < 0.0 && std::fmod(sweep, 360.0) != 0.0))
                return nullptr;
            auto arc = std::make_unique<CArc>();
            arc->m_dStartAngle = Degrees(p.m_dStartDeg);
            arc->m_dEndAngle = Degrees(p.m_dEndDeg);
            round = std::move(arc);
        } else if (p.m_eKind == ETeXDrawPrimitive::Circle) {
            round = std::make_unique<CCircle>();
        } else {
            round = std::make_unique<CAxisEllipse>();
        }
        style = StyleOf(pr.m_styles[static_cast<std::size_t>(outline.m_nStyle)]);
        if (count == 2 || discAlone)
            style.fillGrey = p.m_dFillGray;
        style.bOutline = !discAlone;
        round->m_pt1 = round->m_pt2 = p.m_pt1;
        round->m_dRadiusX = p.m_dRadiusX;
        round->m_dRadiusY = p.m_dRadiusY;
        round->m_style = Bounded(style);
        return round;
    }
    case ETeXDrawPrimitive::Arrow: {
        if (count != 1)
            return nullptr;
        auto arrow = std::make_unique<CArrow>();
        arrow->m_pt1 = p.m_pt1;
        arrow->m_pt2 = p.m_pt2;
        TakeHead(style, p);
        arrow->m_style = Bounded(style);
        return arrow;
    }
    case ETeXDrawPrimitive::Curve: {
        // One curve alone is a Bezier curve; more pieces are a path.
        if (count != 1 || pr.m_paths[static_cast<std::size_t>(p.m_nPath)].m_bFilled)
            break;
        auto curve = std::make_unique<CBezierCurve>();
        curve->m_pt1 = p.m_pt1;
        curve->m_pt3 = p.m_ptControl1;
        curve->m_pt4 = p.m_ptControl2;
        curve->m_pt2 = p.m_pt2;
        curve->m_style = Bounded(style);
        return curve;
    }
    case ETeXDrawPrimitive::Line:
        break;
    }
    // Straight and curved pieces of one path, perhaps with an arrow from its end (or, after a
    // curve, along its tangent to the end), or the fill of a closed path (\ifill) and then its
    // outline, or such a fill alone.
    const CTeXDrawPath* fill = &pr.m_paths[static_cast<std::size_t>(p.m_nPath)];
    int under = 0;
    bool fillAlone = false;
    if (fill->m_bFilled && !fill->m_bStroked) {
        while (under < count && at(under).m_nPath == p.m_nPath)
            ++under;
        if (under == count) {
            fillAlone = true;
            under = 0;
            fill = nullptr;
        }
    } else {
        fill = nullptr;
    }
    const CTeXDrawPrimitive& o = at(under);
    if (o.m_eKind != ETeXDrawPrimitive::Line && o.m_eKind != ETeXDrawPrimitive::Curve)
        return nullptr;
    style = StyleOf(pr.m_styles[static_cast<std::size_t>(o.m_nStyle)]);
    const bool head = count - under >= 2 && at(count - 1).m_eKind == ETeXDrawPrimitive::Arrow;
    const int pieces = (head ? count - 1 : count) - under;
    std::vector<CDoublePoint> corners{o.m_pt1};
    std::vector<CPieceCurve> curves;
    for (int k = under; k < under + pieces; ++k) {
        const CTeXDrawPrimitive& q = at(k);
        if (q.m_eKind == ETeXDrawPrimitive::Arrow || q.m_nPath != o.m_nPath)
            return nullptr;
        curves.push_back({q.m_eKind == ETeXDrawPrimitive::Curve, q.m_ptControl1, q.m_ptControl2});
        corners.push_back(q.m_pt2);
    }
    const bool curved =
        std::any_of(curves.begin(), curves.end(), [](const CPieceCurve& c) { return c.bCurved; });
    const CTeXDrawPath& path = pr.m_paths[static_cast<std::size_t>(o.m_nPath)];
    if ((fill && (head || path.m_bFilled)))
        return nullptr;
    if (head) {
        // A vector on from the last corner is the path's last piece; one to the end of a curve
        // is the head the path puts there.
        const CTeXDrawPrimitive& arrow = at(count - 1);
        if (!curves.back().bCurved || arrow.m_pt1 == corners.back()) {
            corners.push_back(arrow.m_pt2);
            curves.push_back({});
        } else if (!Near(arrow.m_pt2, corners.back(), kPointSlack)) {
            return nullptr;
        }
        TakeHead(style, arrow);
    }
    if (count == 1 && !path.m_bFilled && !curved) {
        auto line = std::make_unique<CLine>();
        line->m_pt1 = o.m_pt1;
        line->m_pt2 = o.m_pt2;
        line->m_style = Bounded(style);
        return line;
    }
    auto poly = std::make_unique<CPolyline>();
    // A filled path that does not come back to its start is filled as if closed but stroked
    // open: an open polyline with a fill.
    const bool closed = !head && pieces >= 3 && corners.back() == o.m_pt1;
    if (closed && corners.back() == o.m_pt1)
        corners.pop_back();
    poly->SetCorners(corners);
    if (curved)
        poly->MakePath();
    if (closed)
        poly->Close();
    poly->SetCurves(curves); // after Close, which gives the closing piece
    if (path.m_bFilled || fill) {
        if (head || pieces < 2)
            return nullptr;
        style.fillGrey = fill ? fill->m_dFillGray : path.m_dFillGray;
        style.bOutline = !fillAlone;
    }
    poly->m_style = Bounded(style);
    return poly;
}

} // namespace

std::unique_ptr<CFigure> FigureOfPrimitives(const CTeXDrawProgram& program, int first, int count) {
    if (count <= 0)
        return nullptr;
    std::unique_ptr<CFigure> figure = Candidate(program, first, count);
    if (!figure || !figure->WhyNotDrawable().empty())
        return nullptr;
    CDoublePoint points[CFigure::kMaxPoints];
    const int n = figure->ReadPoints(points);
    for (int j = 0; j < n; ++j)
        if (!IsWithinReach(points[j]))
            return nullptr;
    // The figure's own block, where heads are filled unless it says otherwise, must draw the
    // same as the statements it stands for. It is written where all its points are positive (a
    // curve's block rounds negative ones its own way) and then moved back.
    const std::unique_ptr<CFigure> shifted = figure->Clone();
    shifted->MoveBy(kVerifyShift, kVerifyShift);
    CTeXDrawInterpretOptions options;
    options.m_bExpandMacros = false;
    const CTeXDrawProgram mine =
        InterpretTeXDraw("\\arrowheadtype t:F\n" + shifted->ExportTeX(), options);
    if (mine.m_nUnknown > 0)
        return nullptr;
    const std::vector<CMark> want = MarksOf(program, first, count);
    std::vector<CMark> got = MarksOf(mine, 0, static_cast<int>(mine.m_primitives.size()));
    for (CMark& m : got)
        for (CDoublePoint& q : m.points)
            q = q - CDoublePoint{kVerifyShift, kVerifyShift};
    if (want.size() != got.size())
        return nullptr;
    for (std::size_t i = 0; i < want.size(); ++i)
        if (!Same(want[i], got[i]))
            return nullptr;
    return figure;
}
