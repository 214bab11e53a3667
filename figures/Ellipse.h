// CEllipse: the ellipse inscribed in a rectangle's frame, drawn as four cubic Bezier arcs, and
// the helper that computes those arcs (shared with the TeXDraw writer).
#pragma once

#include "figures/Rectangle.h"

#include <array>

// The 13 integer points (start, then three per arc) of the ellipse inscribed in the frame
// c1 (handle 2) -> c2 (handle 4) -> c3 (handle 6) -> c4 (handle 8).
std::array<CPoint, 13> MakeEllipseBezier(CPoint c1, CPoint c2, CPoint c3, CPoint c4);

// The pieces of those arcs, for a reader that searches for the frame of given arcs. The arcs
// are the edge midpoints l, t, r, b and the arms u = EllipseArm(l, c1, kh) along the left edge
// and v = EllipseArm(t, c2, kw) along the top edge: {l, l + u, t - v, t, t + v, r + u, r, r - u,
// b + v, b, b - v, l - u, l}, where kw = EllipseArmLength(top, bottom) and
// kh = EllipseArmLength(right, left) from the EllipseSide lengths of the edges.
double EllipseSide(CPoint a, CPoint b);
int EllipseArmLength(double side1, double side2);
CPoint EllipseArm(CPoint from, CPoint to, int len);

class CEllipse : public CRectangle {
public:
    CEllipse() { m_strType = kTypeEllipse; }
    std::unique_ptr<CFigure> Clone() const override;
    void Draw(CDrawSurface& dc, double zoom, int dx, int dy) const override;
    void AppendTeX(std::string& out) const override;
    std::vector<std::vector<CDoublePoint>> GetStrokePaths(double zoom,
                                                          CDoublePoint d) const override;
    std::vector<CDoublePoint> GetFillOutline(double zoom, CDoublePoint d) const override;
    bool MissesRect(const CRect& page, double zoom) const override {
        return MissesInsideEllipse(page, zoom);
    }
};
