// CEllipse: the ellipse inscribed in a rectangle's frame, drawn as four cubic Bezier arcs, and
// the helper that computes those arcs (shared with the TeXDraw writer).
#pragma once

#include "figures/Rectangle.h"

#include <array>

// The 13 integer points (start, then three per arc) of the ellipse inscribed in the frame
// c1 (handle 2) -> c2 (handle 4) -> c3 (handle 6) -> c4 (handle 8).
std::array<CPoint, 13> MakeEllipseBezier(CPoint c1, CPoint c2, CPoint c3, CPoint c4);

class CEllipse : public CRectangle {
public:
    CEllipse() { m_strType = "Ellipse"; }
    std::unique_ptr<CFigure> Clone() const override;
    void Draw(CDrawSurface& dc, double zoom, int dx, int dy) const override;
    std::string ExportTeX() const override;
    void AppendTeX(std::string& out) const override;
};
