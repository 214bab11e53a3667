#include "figures/Ellipse.h"

#include "figures/StyledDraw.h"

namespace {

// Midpoints in doubles, so no integer difference can overflow.
CPoint Mid(CPoint a, CPoint b) {
    return {RoundHalf((double(a.x) + b.x) * 0.5), RoundHalf((double(a.y) + b.y) * 0.5)};
}

} // namespace

// In doubles, so no integer difference can overflow.
double EllipseSide(CPoint a, CPoint b) {
    const double dx = double(b.x) - a.x;
    const double dy = double(b.y) - a.y;
    return std::sqrt(dx * dx + dy * dy);
}

int EllipseArmLength(double side1, double side2) {
    // Half the quarter-circle factor 4/3 (sqrt 2 - 1), because it is applied to a full side.
    const double k = 0.2761423749154;
    return RoundHalf((side1 < side2 ? side1 : side2) * k);
}

// An edge of zero length has no direction; the arm along it is then zero, which flattens the
// ellipse into a line.
CPoint EllipseArm(CPoint from, CPoint to, int len) {
    const double d = EllipseSide(from, to);
    if (d == 0.0)
        return {};
    return {RoundHalf((double(to.x) - from.x) / d * len),
            RoundHalf((double(to.y) - from.y) / d * len)};
}

std::array<CPoint, 13> MakeEllipseBezier(CPoint c1, CPoint c2, CPoint c3, CPoint c4) {
    const CPoint t = Mid(c1, c2);
    const CPoint b = Mid(c4, c3);
    const CPoint l = Mid(c1, c4);
    const CPoint r = Mid(c2, c3);

    const int kw = EllipseArmLength(EllipseSide(c1, c2), EllipseSide(c4, c3)); // top, bottom
    const int kh = EllipseArmLength(EllipseSide(c2, c3), EllipseSide(c1, c4)); // right, left

    const CPoint u = EllipseArm(l, c1, kh); // along the left edge, towards c1
    const CPoint v = EllipseArm(t, c2, kw); // along the top edge, towards c2

    return {l, l + u, t - v, t, t + v, r + u, r, r - u, b + v, b, b - v, l - u, l};
}

std::unique_ptr<CFigure> CEllipse::Clone() const {
    auto copy = std::make_unique<CEllipse>();
    copy->CopyFrom(*this);
    return copy;
}

void CEllipse::Draw(CDrawSurface& dc, double zoom, int dx, int dy) const {
    if (!HasPlainStyle())
        return DrawStyled(dc, zoom, dx, dy);
    const CPen pen{EPenStyle::Solid, OutlineWidth(zoom), m_crColor};
    const CPoint d{dx, dy};
    const auto q = MakeEllipseBezier(
        GetHandlePoint(kHandleStart, zoom) + d, GetHandlePoint(kHandleTopRight, zoom) + d,
        GetHandlePoint(kHandleEnd, zoom) + d, GetHandlePoint(kHandleBottomLeft, zoom) + d);
    dc.PolyBezier(std::vector<CPoint>(q.begin(), q.end()), pen);
}

std::vector<std::vector<CDoublePoint>> CEllipse::GetStrokePaths(double zoom, CDoublePoint d) const {
    // Four arcs, each a stroke of its own.
    const auto q = MakeEllipseBezier(
        GetHandlePoint(kHandleStart, zoom), GetHandlePoint(kHandleTopRight, zoom),
        GetHandlePoint(kHandleEnd, zoom), GetHandlePoint(kHandleBottomLeft, zoom));
    const auto at = [&](int i) { return CDoublePoint{double(q[i].x), double(q[i].y)} + d; };
    std::vector<std::vector<CDoublePoint>> arcs(4);
    for (int arc = 0; arc < 4; ++arc)
        AppendBezierPoints(arcs[arc], at(3 * arc), at(3 * arc + 1), at(3 * arc + 2),
                           at(3 * arc + 3));
    return arcs;
}

std::vector<CDoublePoint> CEllipse::GetFillOutline(double zoom, CDoublePoint d) const {
    std::vector<CDoublePoint> outline;
    for (const auto& arc : GetStrokePaths(zoom, d))
        outline.insert(outline.end(), arc.begin() + (outline.empty() ? 0 : 1), arc.end());
    return outline;
}
