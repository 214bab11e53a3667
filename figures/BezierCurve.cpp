#include "figures/BezierCurve.h"

#include "figures/StyledDraw.h"

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
    if (!HasPlainStyle()) {
        const CDoublePoint d{double(dx), double(dy)};
        const CStyledPen pen = MakeStyledPen(m_style, GetLinePattern(), zoom);
        StrokePath(dc, GetStrokePaths(zoom, d).front(), pen);
        // A head follows the curve's tangent at its end.
        const auto head = [&](int handle, bool atEnd) {
            DrawArrowHead(dc, PixelAt(handle, zoom, d), GetTangentTail(atEnd) * zoom + d, m_style,
                          zoom, pen);
        };
        if (m_style.HasHeadAtEnd())
            head(kHandleEnd, true);
        if (m_style.HasHeadAtStart())
            head(kHandleStart, false);
        return;
    }
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

std::vector<std::vector<CDoublePoint>> CBezierCurve::GetStrokePaths(double zoom,
                                                                    CDoublePoint d) const {
    std::vector<CDoublePoint> path;
    AppendBezierPoints(path, PixelAt(kHandleStart, zoom, d), PixelAt(kHandleTopRight, zoom, d),
                       PixelAt(kHandleBottomLeft, zoom, d), PixelAt(kHandleEnd, zoom, d));
    return {path};
}

CDoublePoint CBezierCurve::GetTangentTail(bool atEnd) const {
    // The curve's points as its block writes them, in whole page units.
    const auto at = [&](int handle) {
        const CPoint p = GetHandlePoint(handle, 1.0);
        return CDoublePoint{double(p.x), double(p.y)};
    };
    const CDoublePoint tip = at(atEnd ? kHandleEnd : kHandleStart);
    // The nearest control point that is not on the end gives the tangent's direction.
    static constexpr int kFromEnd[] = {kHandleBottomLeft, kHandleTopRight, kHandleStart};
    static constexpr int kFromStart[] = {kHandleTopRight, kHandleBottomLeft, kHandleEnd};
    for (int handle : atEnd ? kFromEnd : kFromStart) {
        const CDoublePoint v = tip - at(handle);
        const double len = std::sqrt(v.x * v.x + v.y * v.y);
        if (len > 0.0)
            return tip - v * (WrittenLength(m_style.dHeadLength) / len);
    }
    return tip;
}
