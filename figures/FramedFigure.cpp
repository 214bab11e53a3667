#include "figures/FramedFigure.h"

#include "figures/StyledDraw.h"

#include <algorithm>
#include <cmath>

namespace {

bool IsFinite(const CDoublePoint& p) {
    return std::isfinite(p.x) && std::isfinite(p.y);
}

// Sets `corner` to the crossing of the two lines; a corner whose lines are parallel keeps its
// place. Returns whether it moved.
bool MoveToCrossing(CDoublePoint& corner, CDoublePoint p, CDoublePoint d1, CDoublePoint q,
                    CDoublePoint d2) {
    const std::optional<CDoublePoint> x = IntersectLines(p, d1, q, d2);
    if (!x || !IsFinite(*x))
        return false;
    corner = *x;
    return true;
}

} // namespace

std::unique_ptr<CFigure> CFramedFigure::Clone() const {
    auto copy = std::make_unique<CFramedFigure>();
    copy->CopyFrom(*this);
    return copy;
}

bool CFramedFigure::HasSameOwnState(const CFigure& other) const {
    const auto* o = dynamic_cast<const CFramedFigure*>(&other);
    return o && SameBits(m_pt3, o->m_pt3) && SameBits(m_pt4, o->m_pt4) &&
           CFigure::HasSameOwnState(other);
}

void CFramedFigure::CopyFrom(const CFigure& src) {
    // Clone always passes a figure of the same class; the check keeps a wrong caller harmless.
    if (const auto* framed = dynamic_cast<const CFramedFigure*>(&src)) {
        m_pt3 = framed->m_pt3;
        m_pt4 = framed->m_pt4;
    }
    CFigure::CopyFrom(src);
}

void CFramedFigure::SetHandlePoint(int handle, int x, int y, double zoom) {
    if (handle < kHandleStart || handle > kHandleLeft)
        return;
    ResizeFrame(handle, ToPageUnits(x, y, zoom));
}

CPoint CFramedFigure::GetHandlePoint(int handle, double zoom) const {
    // Midpoints are formed in page units and rounded once, so a midpoint handle is the rounded
    // midpoint rather than the midpoint of two rounded corners.
    switch (handle) {
    case kHandleTop:
        return ToPixel((m_pt1 + m_pt3) * 0.5, zoom);
    case kHandleTopRight:
        return ToPixel(m_pt3, zoom);
    case kHandleRight:
        return ToPixel((m_pt3 + m_pt2) * 0.5, zoom);
    case kHandleBottom:
        return ToPixel((m_pt4 + m_pt2) * 0.5, zoom);
    case kHandleBottomLeft:
        return ToPixel(m_pt4, zoom);
    case kHandleLeft:
        return ToPixel((m_pt1 + m_pt4) * 0.5, zoom);
    default:
        return CFigure::GetHandlePoint(handle, zoom);
    }
}

void CFramedFigure::EnforceMinimumSize(int, CDoublePoint&) {}

int CFramedFigure::HitTestHandles(CPoint pt, double zoom) const {
    return HitTestHandleList(pt, zoom, {2, 3, 4, 5, 6, 7, 8, 9});
}

void CFramedFigure::SetPoints(int x1, int y1, int x2, int y2, double zoom) {
    const double r = 1.0 / zoom;
    if (!IsWithinReach({x1 * r, y1 * r}) || !IsWithinReach({x2 * r, y2 * r}))
        return; // as CFigure::SetPoints: a point out of reach is not taken
    m_pt3 = {x2 * r, y1 * r};
    m_pt4 = {x1 * r, y2 * r};
    CFigure::SetPoints(x1, y1, x2, y2, zoom);
}

void CFramedFigure::Draw(CDrawSurface& dc, double zoom, int dx, int dy) const {
    if (!HasPlainStyle())
        return DrawStyled(dc, zoom, dx, dy);
    DrawHandleLoop(dc, zoom, dx, dy, kHandleStart, kHandleTopRight, kHandleEnd, kHandleBottomLeft);
}

void CFramedFigure::DrawHandleLoop(CDrawSurface& dc, double zoom, int dx, int dy, int h1, int h2,
                                   int h3, int h4) const {
    const CPen pen{EPenStyle::Solid, OutlineWidth(zoom), m_crColor};
    const CPoint d{dx, dy};
    const CPoint p1 = GetHandlePoint(h1, zoom) + d;
    const CPoint p2 = GetHandlePoint(h2, zoom) + d;
    const CPoint p3 = GetHandlePoint(h3, zoom) + d;
    const CPoint p4 = GetHandlePoint(h4, zoom) + d;
    DrawSegment(dc, p1, p2, pen);
    DrawSegment(dc, p2, p3, pen);
    DrawSegment(dc, p3, p4, pen);
    DrawSegment(dc, p4, p1, pen);
}

void CFramedFigure::DrawHandles(CDrawSurface& dc, double zoom, int dx, int dy) const {
    DrawHandleSquares(dc, zoom, dx, dy, {2, 3, 4, 5, 6, 7, 8, 9});
}

void CFramedFigure::MoveByPixels(int dx, int dy, double zoom) {
    const double r = 1.0 / zoom;
    const CDoublePoint d{double(dx), double(dy)};
    m_pt4 = (m_pt4 * zoom + d) * r;
    m_pt3 = (m_pt3 * zoom + d) * r;
    CFigure::MoveByPixels(dx, dy, zoom);
}

CRect CFramedFigure::GetBoundingRect(double zoom) const {
    const CPoint p[4] = {GetHandlePoint(kHandleStart, zoom), GetHandlePoint(kHandleEnd, zoom),
                         GetHandlePoint(kHandleTopRight, zoom),
                         GetHandlePoint(kHandleBottomLeft, zoom)};
    CRect r{p[0].x, p[0].y, p[0].x, p[0].y};
    for (const CPoint& q : p) {
        r.left = std::min(r.left, q.x);
        r.top = std::min(r.top, q.y);
        r.right = std::max(r.right, q.x);
        r.bottom = std::max(r.bottom, q.y);
    }
    return r;
}

namespace {

// The frame's edges in the order the outline tests walk them: top, left, bottom, right.
template <class Test> bool AnyFrameEdge(const CFramedFigure& f, double zoom, Test&& test) {
    const CPoint p2 = f.GetHandlePoint(kHandleStart, zoom);
    const CPoint p6 = f.GetHandlePoint(kHandleEnd, zoom);
    const CPoint p8 = f.GetHandlePoint(kHandleBottomLeft, zoom);
    const CPoint p4 = f.GetHandlePoint(kHandleTopRight, zoom);
    return test(p2, p4) || test(p2, p8) || test(p8, p6) || test(p4, p6);
}

} // namespace

bool CFramedFigure::IntersectsRect(const CRect& rect, double zoom) const {
    return AnyFrameEdge(*this, zoom, [&](CPoint a, CPoint b) { return SegmentInRect(a, b, rect); });
}

bool CFramedFigure::HitTest(CPoint pt, double zoom) const {
    if (AnyFrameEdge(*this, zoom, [&](CPoint a, CPoint b) { return SegmentHit(a, b, pt, 3); }))
        return true;
    if (HasPlainStyle())
        return false;
    // A filled figure is hit inside its fill, a wide outline anywhere on its ink.
    const CDoublePoint p{double(pt.x), double(pt.y)};
    if (m_style.fillGrey && (GetStyleCaps() & kStyleFill) &&
        IsInsidePolygon(GetFillOutline(zoom, {}), p))
        return true;
    const double reach = std::max(3.0, 0.5 * m_style.dLineWidth * zoom);
    for (const auto& path : GetStrokePaths(zoom, {}))
        if (DistanceToPath(path, p) <= reach)
            return true;
    return false;
}

std::vector<std::vector<CDoublePoint>> CFramedFigure::GetStrokePaths(double zoom,
                                                                     CDoublePoint d) const {
    // Left, top, right and bottom edges, each a stroke of its own.
    const CDoublePoint a = PixelAt(kHandleStart, zoom, d), b = PixelAt(kHandleEnd, zoom, d);
    const CDoublePoint c = PixelAt(kHandleTopRight, zoom, d);
    const CDoublePoint e = PixelAt(kHandleBottomLeft, zoom, d);
    return {{a, e}, {a, c}, {b, c}, {b, e}};
}

std::vector<CDoublePoint> CFramedFigure::GetFillOutline(double zoom, CDoublePoint d) const {
    return {PixelAt(kHandleStart, zoom, d), PixelAt(kHandleTopRight, zoom, d),
            PixelAt(kHandleEnd, zoom, d), PixelAt(kHandleBottomLeft, zoom, d)};
}

namespace {

// Does the figure draw nothing but its outline (and the end pixels along it)?
bool DrawsOnlyItsOutline(const CFigure& f) {
    return !f.m_bSelected && !(f.m_style.fillGrey && (f.GetStyleCaps() & kStyleFill));
}

} // namespace

bool CFramedFigure::MissesInsidePolygon(const CRect& page, double zoom,
                                        std::initializer_list<int> corners) const {
    if (!DrawsOnlyItsOutline(*this))
        return false;
    const double margin = PaintReach(zoom) + 2.0;
    std::vector<CDoublePoint> q;
    for (int h : corners) {
        const CPoint p = GetHandlePoint(h, zoom);
        q.push_back({double(p.x), double(p.y)});
    }
    double area = 0.0;
    for (std::size_t i = 0; i < q.size(); ++i) {
        const CDoublePoint a = q[i], b = q[(i + 1) % q.size()];
        area += a.x * b.y - b.x * a.y;
    }
    if (!(std::abs(area) > 0.0) || !(margin < 1.0e6))
        return false;
    const double sign = area > 0 ? 1.0 : -1.0;
    const CDoublePoint box[4] = {{double(page.left), double(page.top)},
                                 {double(page.right), double(page.top)},
                                 {double(page.right), double(page.bottom)},
                                 {double(page.left), double(page.bottom)}};
    for (std::size_t i = 0; i < q.size(); ++i) {
        const CDoublePoint a = q[i], e = q[(i + 1) % q.size()] - a;
        const double len = std::sqrt(e.x * e.x + e.y * e.y);
        if (!(len > 0.0))
            return false;
        // Every corner of the rectangle on the inner side of the edge, farther than the margin.
        for (const CDoublePoint& p : box)
            if (!(sign * (e.x * (p.y - a.y) - e.y * (p.x - a.x)) / len >= margin))
                return false;
    }
    return true;
}

bool CFramedFigure::MissesInsideEllipse(const CRect& page, double zoom) const {
    if (!DrawsOnlyItsOutline(*this))
        return false;
    const CPoint s = GetHandlePoint(kHandleStart, zoom), e = GetHandlePoint(kHandleEnd, zoom);
    const CPoint tr = GetHandlePoint(kHandleTopRight, zoom);
    const CPoint bl = GetHandlePoint(kHandleBottomLeft, zoom);
    // A frame with its edges along the page only.
    if (tr.y != s.y || tr.x != e.x || bl.x != s.x || bl.y != e.y)
        return false;
    const double cx = 0.5 * (double(s.x) + e.x), cy = 0.5 * (double(s.y) + e.y);
    const double a = 0.5 * std::abs(double(e.x) - s.x), b = 0.5 * std::abs(double(e.y) - s.y);
    // The ellipse shrunk about its centre by the factor k lies at least (1 - k) times the
    // shorter half axis inside it: that far beyond the reach (and the curves' own error).
    const double margin = PaintReach(zoom) + 3.0 + 0.002 * std::max(a, b);
    const double k = 1.0 - margin / std::min(a, b);
    if (!(k > 0.0) || !(margin < 1.0e6))
        return false;
    for (const double x : {double(page.left), double(page.right)})
        for (const double y : {double(page.top), double(page.bottom)}) {
            const double u = (x - cx) / a, v = (y - cy) / b;
            if (!(u * u + v * v < k * k))
                return false;
        }
    return true;
}

void CFramedFigure::DrawStyled(CDrawSurface& dc, double zoom, int dx, int dy) const {
    const CDoublePoint d{double(dx), double(dy)};
    if (m_style.fillGrey && (GetStyleCaps() & kStyleFill))
        FillPath(dc, GetFillOutline(zoom, d), GreyColor(*m_style.fillGrey));
    const CStyledPen pen = MakeStyledPen(m_style, GetLinePattern(), zoom);
    for (const auto& path : GetStrokePaths(zoom, d))
        StrokePath(dc, path, pen);
}

bool CFramedFigure::SnapToKeyPoint(CPoint& pt, double zoom) const {
    // These six snap within a fixed 16 pixels; the corners 2, 6 and the centre use the base
    // class's zoom-scaled distance.
    for (int handle : {4, 8, 3, 5, 7, 9}) {
        const CPoint k = GetHandlePoint(handle, zoom);
        if (VectorLength(k.x - pt.x, k.y - pt.y) <= 16.0) {
            pt = k;
            return true;
        }
    }
    return CFigure::SnapToKeyPoint(pt, zoom);
}

void CFramedFigure::MoveBy(double dx, double dy) {
    const CDoublePoint d{dx, dy};
    m_pt3 = m_pt3 + d;
    m_pt4 = m_pt4 + d;
    CFigure::MoveBy(dx, dy);
}

int CFramedFigure::ReadPoints(CDoublePoint* out) const {
    CFigure::ReadPoints(out);
    out[2] = m_pt3;
    out[3] = m_pt4;
    return 4;
}

void CFramedFigure::WritePoints(const CDoublePoint* in) {
    CFigure::WritePoints(in);
    m_pt3 = in[2];
    m_pt4 = in[3];
}

void CFramedFigure::ResizeFrame(int handle, CDoublePoint m) {
    if (!IsFinite(m))
        return;
    // Every direction comes from the corners as they were before the drag step.
    const CDoublePoint p1 = m_pt1, p2 = m_pt2, p3 = m_pt3, p4 = m_pt4;
    MoveFrameCorners(handle, m, p1, p2, p3, p4);
    // Edges that are nearly parallel cross far away: a step that would throw a corner out of
    // reach is not applied, and the frame keeps the corners it had.
    if (!IsWithinReach(m_pt1) || !IsWithinReach(m_pt2) || !IsWithinReach(m_pt3) ||
        !IsWithinReach(m_pt4)) {
        m_pt1 = p1;
        m_pt2 = p2;
        m_pt3 = p3;
        m_pt4 = p4;
    }
}

void CFramedFigure::MoveFrameCorners(int handle, CDoublePoint m, CDoublePoint p1, CDoublePoint p2,
                                     CDoublePoint p3, CDoublePoint p4) {
    switch (handle) {
    case kHandleStart:
        // A neighbour that cannot be found (an edge of zero length) leaves both neighbours in
        // place, so only the dragged corner moves.
        m_pt1 = m;
        if (MoveToCrossing(m_pt4, p2, p4 - p2, m, p4 - p1))
            MoveToCrossing(m_pt3, p2, p3 - p2, m, p3 - p1);
        break;
    case kHandleTopRight:
        m_pt3 = m;
        if (MoveToCrossing(m_pt1, p4, p1 - p4, m, p1 - p3))
            MoveToCrossing(m_pt2, p4, p2 - p4, m, p2 - p3);
        break;
    case kHandleEnd:
        m_pt2 = m;
        if (MoveToCrossing(m_pt4, p1, p4 - p1, m, p4 - p2))
            MoveToCrossing(m_pt3, p1, p3 - p1, m, p3 - p2);
        break;
    case kHandleBottomLeft:
        m_pt4 = m;
        if (MoveToCrossing(m_pt1, p3, p1 - p3, m, p1 - p4))
            MoveToCrossing(m_pt2, p3, p2 - p3, m, p2 - p4);
        break;
    case kHandleTop:
        MoveToCrossing(m_pt1, m, p3 - p1, p1, p1 - p4);
        MoveToCrossing(m_pt3, m, p3 - p1, p3, p3 - p2);
        break;
    case kHandleBottom:
        MoveToCrossing(m_pt4, m, p2 - p4, p4, p4 - p1);
        MoveToCrossing(m_pt2, m, p2 - p4, p2, p2 - p3);
        break;
    case kHandleLeft:
        MoveToCrossing(m_pt4, m, p1 - p4, p4, p4 - p2);
        MoveToCrossing(m_pt1, m, p1 - p4, p1, p1 - p3);
        break;
    case kHandleRight:
        MoveToCrossing(m_pt2, m, p3 - p2, p2, p2 - p4);
        MoveToCrossing(m_pt3, m, p3 - p2, p3, p3 - p1);
        break;
    default:
        break;
    }
}
