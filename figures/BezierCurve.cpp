#include "figures/BezierCurve.h"

std::unique_ptr<CFigure> CBezierCurve::Clone() const {
    auto copy = std::make_unique<CBezierCurve>();
    copy->CopyFrom(*this);
    return copy;
}

void CBezierCurve::SetHandlePoint(int handle, int x, int y, double zoom) {
    // Free placement: no minimum size and no frame rules, the other three points stay.
    const CDoublePoint p = ToPageUnits(x, y, zoom);
    if (!IsWithinReach(p)) // not a number, or out of reach of the page
        return;
    switch (handle) {
    case kHandleStart:
        m_pt1 = p;
        break;
    case kHandleTopRight:
        m_pt3 = p;
        break;
    case kHandleEnd:
        m_pt2 = p;
        break;
    case kHandleBottomLeft:
        m_pt4 = p;
        break;
    default:
        break;
    }
}

int CBezierCurve::HitTestHandles(CPoint pt, double zoom) const {
    return HitTestHandleList(pt, zoom, {2, 4, 6, 8});
}

void CBezierCurve::Draw(CDrawSurface& dc, double zoom, int dx, int dy) const {
    // One pixel wide at every zoom, unlike the outlines of the other figures.
    const CPen pen{EPenStyle::Solid, 1, m_crColor};
    const CPoint d{dx, dy};
    dc.PolyBezier(
        {GetHandlePoint(kHandleStart, zoom) + d, GetHandlePoint(kHandleTopRight, zoom) + d,
         GetHandlePoint(kHandleBottomLeft, zoom) + d, GetHandlePoint(kHandleEnd, zoom) + d},
        pen);
}

void CBezierCurve::DrawHandles(CDrawSurface& dc, double zoom, int dx, int dy) const {
    const CPen dotted{EPenStyle::Dotted, 1, 0xFF0000};
    const CPoint d{dx, dy};
    DrawSegment(dc, GetHandlePoint(kHandleStart, zoom) + d,
                GetHandlePoint(kHandleTopRight, zoom) + d, dotted);
    DrawSegment(dc, GetHandlePoint(kHandleBottomLeft, zoom) + d,
                GetHandlePoint(kHandleEnd, zoom) + d, dotted);
    DrawHandleSquares(dc, zoom, dx, dy, {2, 4, 6, 8});
}
