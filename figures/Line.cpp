#include "figures/Line.h"

#include "figures/StyledDraw.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace {
// A page pixel shifted to the drawing surface, kept inside the int range.
CPoint Shifted(CPoint p, int dx, int dy) {
    const auto pin = [](long long v) {
        return static_cast<int>(
            std::clamp(v, static_cast<long long>(INT_MIN), static_cast<long long>(INT_MAX)));
    };
    return {pin(static_cast<long long>(p.x) + dx), pin(static_cast<long long>(p.y) + dy)};
}
} // namespace

std::unique_ptr<CFigure> CLine::Clone() const {
    auto copy = std::make_unique<CLine>();
    copy->CopyFrom(*this);
    return copy;
}

void CLine::SetHandlePoint(int handle, int x, int y, double zoom) {
    CDoublePoint* p = nullptr;
    if (handle == kHandleStart)
        p = &m_pt1;
    else if (handle == kHandleEnd)
        p = &m_pt2;
    else
        return;
    CDoublePoint next = ToPageUnits(x, y, zoom);
    EnforceMinimumSize(handle, next);
    if (IsWithinReach(next)) // a point out of reach is not taken
        *p = next;
}

void CLine::EnforceMinimumSize(int handle, CDoublePoint& p) {
    // The end that stays put.
    const CDoublePoint* q = nullptr;
    if (handle == kHandleStart)
        q = &m_pt2;
    else if (handle == kHandleEnd)
        q = &m_pt1;
    else
        return;
    // Only when the ends are close in both directions at once: a short horizontal or vertical
    // line is fine, two ends almost on top of each other could no longer be told apart.
    if (std::abs(q->x - p.x) < m_nMinWidth && std::abs(q->y - p.y) < m_nMinHeight) {
        p.x = p.x < q->x ? q->x - m_nMinWidth : q->x + m_nMinWidth;
        p.y = p.y < q->y ? q->y - m_nMinHeight : q->y + m_nMinHeight;
    }
}

int CLine::HitTestHandles(CPoint pt, double zoom) const {
    // The end wins when the two squares overlap, so a squeezed line can still be stretched.
    return HitTestHandleList(pt, zoom, {kHandleStart, kHandleEnd});
}

void CLine::Draw(CDrawSurface& dc, double zoom, int dx, int dy) const {
    if (!HasPlainStyle())
        return DrawStyled(dc, zoom, dx, dy);
    // Dots stay one pixel wide at every zoom; solid lines grow with the zoom.
    const CPen pen = m_nPenStyle == kPenStyleDotted
                         ? CPen{EPenStyle::Dotted, 1, m_crColor}
                         : CPen{EPenStyle::Solid, OutlineWidth(zoom), m_crColor};
    DrawSegment(dc, Shifted(GetHandlePoint(kHandleStart, zoom), dx, dy),
                Shifted(GetHandlePoint(kHandleEnd, zoom), dx, dy), pen);
}

void CLine::DrawHandles(CDrawSurface& dc, double zoom, int dx, int dy) const {
    DrawHandleSquares(dc, zoom, dx, dy, {kHandleStart, kHandleEnd});
}

CRect CLine::GetBoundingRect(double zoom) const {
    // Just the two ends: neither the pen width nor an arrowhead counts.
    return CFigure::GetBoundingRect(zoom);
}

bool CLine::IntersectsRect(const CRect& rect, double zoom) const {
    return SegmentInRect(GetHandlePoint(kHandleStart, zoom), GetHandlePoint(kHandleEnd, zoom),
                         rect);
}

bool CLine::MissesRect(const CRect& page, double zoom) const {
    // Everything a line draws (its pen, its heads, its handles) lies within the paint reach of
    // the segment between its ends.
    const double reach = PaintReach(zoom) + 1.0;
    if (!(reach < 1.0e6))
        return false;
    const CPoint a = GetHandlePoint(kHandleStart, zoom), b = GetHandlePoint(kHandleEnd, zoom);
    return !SegmentMeetsBox({double(a.x), double(a.y)}, {double(b.x), double(b.y)},
                            page.left - reach, page.top - reach, page.right + reach,
                            page.bottom + reach);
}

bool CLine::HitTest(CPoint pt, double zoom) const {
    // Three pixels either side in the plain style, whatever the zoom; a wide line of a style of
    // its own is hit anywhere on its ink.
    const int reach = HasPlainStyle() ? 3 : std::max(3, RoundHalf(0.5 * m_style.dLineWidth * zoom));
    return SegmentHit(GetHandlePoint(kHandleStart, zoom), GetHandlePoint(kHandleEnd, zoom), pt,
                      std::min(reach, 1000));
}

unsigned CLine::GetStyleCaps() const {
    // The canvas's grid lines are not the drawing's.
    return m_crColor != 0 ? 0u : kStyleOutline | kStyleHeads;
}

void CLine::ApplyStyle(const CStyle& style, unsigned parts) {
    CFigure::ApplyStyle(style, parts);
    if (!(parts & GetStyleCaps() & kStylePattern) || m_strType != kTypeLine)
        return;
    const bool dotted = m_style.pattern == std::vector<double>{kDottedDash, kDottedGap};
    m_nPenStyle = dotted ? kPenStyleDotted : kPenStyleSolid;
    if (dotted)
        m_style.pattern.clear();
}

void CLine::DrawStyled(CDrawSurface& dc, double zoom, int dx, int dy) const {
    const CStyledPen pen = MakeStyledPen(m_style, GetLinePattern(), zoom);
    const auto at = [&](int handle) {
        const CPoint p = Shifted(GetHandlePoint(handle, zoom), dx, dy);
        return CDoublePoint{double(p.x), double(p.y)};
    };
    const CDoublePoint p1 = at(kHandleStart), p2 = at(kHandleEnd);
    // Drawn as it is written: one vector for a head at one end, two from the middle for both.
    const auto vector = [&](CDoublePoint tail, CDoublePoint tip, bool head) {
        if (!head)
            return StrokePath(dc, {tail, tip}, pen);
        StrokePath(dc, {tail, ArrowShaftEnd(tip, tail, m_style, zoom)}, pen);
        DrawArrowHead(dc, tip, tail, m_style, zoom, pen);
    };
    switch (m_style.eHeads) {
    case EArrowHeads::None:
    case EArrowHeads::End:
        vector(p1, p2, m_style.eHeads == EArrowHeads::End);
        break;
    case EArrowHeads::Start:
        vector(p2, p1, true);
        break;
    case EArrowHeads::Both: {
        const CDoublePoint mid = (p1 + p2) * 0.5;
        vector(mid, p2, true);
        vector(mid, p1, true);
        break;
    }
    }
}

std::unique_ptr<CFigure> CArrow::Clone() const {
    auto copy = std::make_unique<CArrow>();
    copy->CopyFrom(*this);
    return copy;
}

CRect CArrow::GetPaintExtent(double zoom) const {
    // The head's corners lie within sqrt(16^2 + 4^2) * zoom of its point, the end.
    const CRect r = CLine::GetPaintExtent(zoom);
    const CPoint e = GetHandlePoint(kHandleEnd, zoom);
    const double reach = 17.0 * zoom + 2.0;
    const auto pinned = [](double v) {
        return static_cast<int>(std::clamp(v, double(INT_MIN), double(INT_MAX)));
    };
    return {std::min(r.left, pinned(e.x - reach)), std::min(r.top, pinned(e.y - reach)),
            std::max(r.right, pinned(e.x + reach + 1.0)),
            std::max(r.bottom, pinned(e.y + reach + 1.0))};
}

void CArrow::Draw(CDrawSurface& dc, double zoom, int dx, int dy) const {
    if (!HasPlainStyle())
        return DrawStyled(dc, zoom, dx, dy);
    // An arrow is always solid, whatever its pen style says.
    const CPen pen{EPenStyle::Solid, OutlineWidth(zoom), m_crColor};
    const CPoint s = Shifted(GetHandlePoint(kHandleStart, zoom), dx, dy);
    const CPoint e = Shifted(GetHandlePoint(kHandleEnd, zoom), dx, dy);
    DrawSegment(dc, s, e, pen);

    // The head: a triangle 16 * zoom long and 8 * zoom wide at its base, its point on the end.
    const double ddx = static_cast<double>(e.x) - s.x;
    const double ddy = static_cast<double>(e.y) - s.y;
    const double len = std::sqrt(ddx * ddx + ddy * ddy);
    if (!(len > 0.0))
        return; // both ends on one pixel: the shaft has no direction to point the head along
    const double f = (len - 16 * zoom) / len;
    const double bx = s.x + f * ddx;
    const double by = s.y + f * ddy;
    const double k = (8 * zoom) / (2 * len);
    const double w1x = bx + k * ddy, w1y = by - k * ddx;
    const double w2x = bx - k * ddy, w2y = by + k * ddx;
    for (double v : {w1x, w1y, w2x, w2y})
        if (!std::isfinite(v))
            return;
    dc.FillPolygon({{RoundHalf(w1x), RoundHalf(w1y)}, e, {RoundHalf(w2x), RoundHalf(w2y)}},
                   RGB(0, 0, 0));
}
