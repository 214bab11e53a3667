#include "figures/RotatableFigures.h"

#include <cmath>

namespace {

CDoublePoint Turn(CDoublePoint q, CDoublePoint c, double cs, double sn) {
    return {(q.x - c.x) * cs - (q.y - c.y) * sn + c.x, (q.x - c.x) * sn + (q.y - c.y) * cs + c.y};
}

} // namespace

void TurnFrameToward(CFramedFigure& f, CDoublePoint p) {
    const CDoublePoint c = (f.m_pt1 + f.m_pt2) * 0.5;
    const CDoublePoint u = f.m_pt3 - c; // where the corner points now
    const CDoublePoint w = p - c;       // where it is to point
    const double uu = u.x * u.x + u.y * u.y;
    const double ww = w.x * w.x + w.y * w.y;
    // A corner or mouse on the pivot has no direction to turn to or from.
    if (!(uu > 0.01) || !(ww > 0.01) || !std::isfinite(uu) || !std::isfinite(ww))
        return;
    const double cosine = (w.x * u.x + w.y * u.y) / (std::sqrt(uu) * std::sqrt(ww));
    if (!(cosine >= -1.0 && cosine <= 1.0))
        return;
    double theta = std::acos(cosine);
    if (w.y * u.x - w.x * u.y < 0)
        theta = -theta;
    const double cs = std::cos(theta);
    const double sn = std::sin(theta);
    const CDoublePoint p1 = Turn(f.m_pt1, c, cs, sn), p2 = Turn(f.m_pt2, c, cs, sn),
                       p4 = Turn(f.m_pt4, c, cs, sn), p3 = Turn(f.m_pt3, c, cs, sn);
    // A frame near the edge of the reach may not turn a corner out of it.
    if (!IsWithinReach(p1) || !IsWithinReach(p2) || !IsWithinReach(p3) || !IsWithinReach(p4))
        return;
    f.m_pt1 = p1;
    f.m_pt2 = p2;
    f.m_pt4 = p4;
    f.m_pt3 = p3;
}

std::unique_ptr<CFigure> CRotatableRectangle::Clone() const {
    auto copy = std::make_unique<CRotatableRectangle>();
    copy->CopyFrom(*this);
    return copy;
}

void CRotatableRectangle::SetHandlePoint(int handle, int x, int y, double zoom) {
    if (handle == kHandleTopRight)
        TurnFrameToward(*this, ToPageUnits(x, y, zoom));
    else
        CFramedFigure::SetHandlePoint(handle, x, y, zoom);
}

std::unique_ptr<CFigure> CRotatableEllipse::Clone() const {
    auto copy = std::make_unique<CRotatableEllipse>();
    copy->CopyFrom(*this);
    return copy;
}

void CRotatableEllipse::SetHandlePoint(int handle, int x, int y, double zoom) {
    // The other handles resize without the 15-unit band that CEllipse would apply.
    if (handle == kHandleTopRight)
        TurnFrameToward(*this, ToPageUnits(x, y, zoom));
    else
        CFramedFigure::SetHandlePoint(handle, x, y, zoom);
}
