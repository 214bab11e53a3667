#include "figures/Ellipse.h"

namespace {

// Lengths and midpoints in doubles, so no integer difference can overflow.
double Distance(CPoint a, CPoint b) {
    const double dx = double(b.x) - a.x;
    const double dy = double(b.y) - a.y;
    return std::sqrt(dx * dx + dy * dy);
}

CPoint Mid(CPoint a, CPoint b) {
    return {RoundHalf((double(a.x) + b.x) * 0.5), RoundHalf((double(a.y) + b.y) * 0.5)};
}

// The vector from `from` towards `to` with the integer length `len`. An edge of zero length
// has no direction; the offset along it is then zero, which flattens the ellipse into a line.
CPoint Offset(CPoint from, CPoint to, int len) {
    const double d = Distance(from, to);
    if (d == 0.0)
        return {};
    return {RoundHalf((double(to.x) - from.x) / d * len),
            RoundHalf((double(to.y) - from.y) / d * len)};
}

} // namespace

std::array<CPoint, 13> MakeEllipseBezier(CPoint c1, CPoint c2, CPoint c3, CPoint c4) {
    const CPoint t = Mid(c1, c2);
    const CPoint b = Mid(c4, c3);
    const CPoint l = Mid(c1, c4);
    const CPoint r = Mid(c2, c3);

    const double top = Distance(c1, c2);
    const double bottom = Distance(c4, c3);
    const double right = Distance(c2, c3);
    const double left = Distance(c1, c4);
    const double w = top < bottom ? top : bottom;
    const double h = right < left ? right : left;

    // Half the quarter-circle factor 4/3 (sqrt 2 - 1), because it is applied to a full side.
    const double k = 0.2761423749154;
    const int kw = RoundHalf(w * k);
    const int kh = RoundHalf(h * k);

    const CPoint u = Offset(l, c1, kh); // along the left edge, towards c1
    const CPoint v = Offset(t, c2, kw); // along the top edge, towards c2

    return {l, l + u, t - v, t, t + v, r + u, r, r - u, b + v, b, b - v, l - u, l};
}

std::unique_ptr<CFigure> CEllipse::Clone() const {
    auto copy = std::make_unique<CEllipse>();
    copy->CopyFrom(*this);
    return copy;
}

void CEllipse::Draw(CDrawSurface& dc, double zoom, int dx, int dy) const {
    const CPen pen{EPenStyle::Solid, OutlineWidth(zoom), m_crColor};
    const CPoint d{dx, dy};
    const auto q = MakeEllipseBezier(
        GetHandlePoint(kHandleStart, zoom) + d, GetHandlePoint(kHandleTopRight, zoom) + d,
        GetHandlePoint(kHandleEnd, zoom) + d, GetHandlePoint(kHandleBottomLeft, zoom) + d);
    dc.PolyBezier(std::vector<CPoint>(q.begin(), q.end()), pen);
}
