#include "figures/Polyline.h"

#include "figures/StyleTeX.h"
#include "figures/StyledDraw.h"
#include "figures/TeXFormat.h"

#include <algorithm>
#include <cmath>

std::vector<CDoublePoint> CPolyline::GetCorners() const {
    std::vector<CDoublePoint> corners;
    corners.reserve(m_vOffsets.size() + 1);
    for (int i = 0; i < GetCornerCount(); ++i)
        corners.push_back(GetCorner(i));
    return corners;
}

void CPolyline::SetCorners(const std::vector<CDoublePoint>& corners) {
    if (corners.empty())
        return;
    m_pt1 = m_pt2 = corners.front();
    m_vOffsets.clear();
    for (std::size_t i = 1; i < corners.size(); ++i)
        m_vOffsets.push_back(corners[i] - corners.front());
}

// A corner dragged onto the others so that all lie on one point stays where it was: the figure
// would draw nothing and could no longer be written.
void CPolyline::SetCorner(int i, CDoublePoint p) {
    if (i < 0 || i >= GetCornerCount() || !IsWithinReach(p))
        return;
    std::vector<CDoublePoint> corners = GetCorners();
    const bool drawable = WhyNotDrawable().empty();
    corners[i] = p;
    if (drawable && std::all_of(corners.begin(), corners.end(),
                                [&](const CDoublePoint& c) { return c == corners.front(); }))
        return;
    if (i > 0) {
        m_vOffsets[i - 1] = p - m_pt1;
        return;
    }
    SetCorners(corners);
}

bool CPolyline::InsertCorner(int after) {
    if (after < 0 || after >= GetCornerCount() || GetCornerCount() >= kMaxCorners)
        return false;
    if (after == GetCornerCount() - 1 && !m_bClosed)
        return false; // no piece after the last corner of an open polyline
    std::vector<CDoublePoint> corners = GetCorners();
    const CDoublePoint next = corners[(after + 1) % corners.size()];
    corners.insert(corners.begin() + after + 1, (corners[after] + next) * 0.5);
    SetCorners(corners);
    return true;
}

bool CPolyline::DeleteCorner(int i) {
    if (i < 0 || i >= GetCornerCount() || GetCornerCount() <= (m_bClosed ? 3 : 2))
        return false;
    std::vector<CDoublePoint> corners = GetCorners();
    corners.erase(corners.begin() + i);
    if (std::all_of(corners.begin(), corners.end(),
                    [&](const CDoublePoint& c) { return c == corners.front(); }))
        return false; // what is left would be one point
    SetCorners(corners);
    return true;
}

void CPolyline::Close() {
    m_bClosed = true;
    m_strType = kTypePolygon;
    // A polygon carries no heads.
    m_style.eHeads = EArrowHeads::None;
}

std::string CPolyline::WhyNotDrawable() const {
    const int need = m_bClosed ? 3 : 2;
    if (GetCornerCount() < need)
        return "No " + GetFigureUserName(*this) + " was drawn: it needs at least " +
               (m_bClosed ? "three" : "two") + " corners";
    const std::vector<CDoublePoint> corners = GetCorners();
    if (std::all_of(corners.begin(), corners.end(),
                    [&](const CDoublePoint& c) { return c == corners.front(); }))
        return "No " + GetFigureUserName(*this) + " was drawn: all its corners are one point";
    return {};
}

std::unique_ptr<CFigure> CPolyline::Clone() const {
    auto copy = std::make_unique<CPolyline>();
    copy->CopyFrom(*this);
    return copy;
}

void CPolyline::CopyFrom(const CFigure& src) {
    if (const auto* p = dynamic_cast<const CPolyline*>(&src)) {
        m_vOffsets = p->m_vOffsets;
        m_bClosed = p->m_bClosed;
    }
    CFigure::CopyFrom(src);
}

void CPolyline::SetPoints(int x1, int y1, int x2, int y2, double zoom) {
    const CDoublePoint a = ToPageUnits(x1, y1, zoom), b = ToPageUnits(x2, y2, zoom);
    if (IsWithinReach(a) && IsWithinReach(b))
        SetCorners({a, b});
}

void CPolyline::SetHandlePoint(int handle, int x, int y, double zoom) {
    if (handle == kHandleStart)
        handle = kHandleCorner;
    else if (handle == kHandleEnd)
        handle = kHandleCorner + GetCornerCount() - 1;
    SetCorner(handle - kHandleCorner, ToPageUnits(x, y, zoom));
}

CPoint CPolyline::GetHandlePoint(int handle, double zoom) const {
    if (handle >= kHandleCorner && handle < kHandleCorner + GetCornerCount())
        return ToPixel(GetCorner(handle - kHandleCorner), zoom);
    switch (handle) {
    case kHandleStart:
        return ToPixel(m_pt1, zoom);
    case kHandleEnd:
        return ToPixel(GetCorner(GetCornerCount() - 1), zoom);
    case kHandleCenter: {
        const CRect r = GetBoundingRect(zoom);
        return {RoundHalf(0.5 * (double(r.left) + r.right)),
                RoundHalf(0.5 * (double(r.top) + r.bottom))};
    }
    default:
        return {};
    }
}

int CPolyline::HitTestCorner(CPoint pt, double zoom) const {
    for (int i = GetCornerCount() - 1; i >= 0; --i)
        if (GetHandleRect(kHandleCorner + i, zoom).Contains(pt))
            return i;
    return -1;
}

int CPolyline::HitTestPiece(CPoint pt, double zoom) const {
    const std::vector<CDoublePoint> path = PixelPath(zoom, {});
    for (std::size_t i = 1; i < path.size(); ++i)
        if (SegmentHit(path[i - 1].ToPoint(), path[i].ToPoint(), pt))
            return static_cast<int>(i - 1);
    return -1;
}

int CPolyline::HitTestHandles(CPoint pt, double zoom) const {
    const int corner = HitTestCorner(pt, zoom);
    return corner < 0 ? kHandleNone : kHandleCorner + corner;
}

std::vector<CDoublePoint> CPolyline::PixelPath(double zoom, CDoublePoint d) const {
    std::vector<CDoublePoint> path;
    path.reserve(m_vOffsets.size() + 2);
    for (int i = 0; i < GetCornerCount(); ++i)
        path.push_back(AsDouble(ToPixel(GetCorner(i), zoom)) + d);
    if (m_bClosed)
        path.push_back(path.front());
    return path;
}

std::vector<CPolyline::CStroke> CPolyline::GetStrokes() const {
    std::vector<CDoublePoint> c = GetCorners();
    if (m_bClosed) {
        c.push_back(c.front());
        return {{c, false}};
    }
    const std::size_t n = c.size();
    switch (m_style.eHeads) {
    case EArrowHeads::None:
        return {{c, false}};
    case EArrowHeads::End:
        return {{c, true}};
    case EArrowHeads::Start:
        std::reverse(c.begin(), c.end());
        return {{c, true}};
    case EArrowHeads::Both:
        // The first piece turned round towards the start, then the rest towards the end.
        if (n < 3)
            return {{c, true}, {{c.back(), c.front()}, true}};
        return {{{c[1], c[0]}, true}, {std::vector<CDoublePoint>(c.begin() + 1, c.end()), true}};
    }
    return {{c, false}};
}

void CPolyline::Draw(CDrawSurface& dc, double zoom, int dx, int dy) const {
    const CDoublePoint d{double(dx), double(dy)};
    if (IsFilled()) {
        FillPath(dc, PixelPath(zoom, d), GreyColor(*m_style.fillGrey));
        if (!m_style.HasOutline())
            return;
    }
    const CStyledPen pen = MakeStyledPen(m_style, GetLinePattern(), zoom);
    for (const CStroke& stroke : GetStrokes()) {
        std::vector<CDoublePoint> path;
        path.reserve(stroke.points.size());
        for (const CDoublePoint& p : stroke.points)
            path.push_back(AsDouble(ToPixel(p, zoom)) + d);
        if (stroke.head && path.size() >= 2) {
            const CDoublePoint tip = path.back(), from = path[path.size() - 2];
            path.back() = ArrowShaftEnd(tip, from, m_style, zoom);
            StrokePath(dc, path, pen);
            DrawArrowHead(dc, tip, from, m_style, zoom, pen);
        } else {
            StrokePath(dc, path, pen);
        }
    }
}

void CPolyline::DrawHandles(CDrawSurface& dc, double zoom, int dx, int dy) const {
    const CPen black{EPenStyle::Solid, 1, 0};
    for (int i = 0; i < GetCornerCount(); ++i)
        dc.Rectangle(GetHandleRect(kHandleCorner + i, zoom).Offset(dx, dy), black,
                     kHandleFillColor);
}

CRect CPolyline::GetBoundingRect(double zoom) const {
    const CPoint first = ToPixel(m_pt1, zoom);
    CRect r{first.x, first.y, first.x, first.y};
    for (int i = 1; i < GetCornerCount(); ++i) {
        const CPoint p = ToPixel(GetCorner(i), zoom);
        r = {std::min(r.left, p.x), std::min(r.top, p.y), std::max(r.right, p.x),
             std::max(r.bottom, p.y)};
    }
    return r;
}

void CPolyline::AppendTeX(std::string& s) const {
    if (!WhyNotDrawable().empty())
        return; // nothing the reader would take back as a figure
    s += m_bClosed ? "\n%begin polygon\n" : "\n%begin polyline\n";
    AppendStylePrologue(s, *this);
    const auto path = [&](const CStroke& stroke) {
        for (std::size_t i = 0; i < stroke.points.size(); ++i) {
            s += i == 0                                         ? "\\move"
                 : stroke.head && i + 1 == stroke.points.size() ? "\\avec"
                                                                : "\\lvec";
            AppendTeXPoint(s, stroke.points[i]);
            s += '\n';
        }
    };
    const std::vector<CStroke> strokes = GetStrokes();
    if (IsFilled()) {
        // The fill goes under the outline: the same path, filled first.
        path(strokes.front());
        AppendFill(s, *m_style.fillGrey);
    }
    if (!IsFilled() || m_style.HasOutline())
        for (const CStroke& stroke : strokes)
            path(stroke);
    AppendStyleEpilogue(s, *this);
    s += m_bClosed ? "%end polygon\n" : "%end polyline\n";
}

bool CPolyline::IntersectsRect(const CRect& rect, double zoom) const {
    const std::vector<CDoublePoint> path = PixelPath(zoom, {});
    if (path.size() == 1)
        return SegmentInRect(path[0].ToPoint(), path[0].ToPoint(), rect);
    for (std::size_t i = 1; i < path.size(); ++i)
        if (SegmentInRect(path[i - 1].ToPoint(), path[i].ToPoint(), rect))
            return true;
    return false;
}

bool CPolyline::HitTest(CPoint pt, double zoom) const {
    const std::vector<CDoublePoint> path = PixelPath(zoom, {});
    const double reach = std::max(3.0, 0.5 * m_style.dLineWidth * zoom);
    if (DistanceToPath(path, AsDouble(pt)) <= reach)
        return true;
    if (!IsFilled())
        return false;
    std::vector<CDoublePoint> area = path;
    if (!m_bClosed)
        area.push_back(area.front()); // the fill closes it
    return IsInsidePolygon(area, AsDouble(pt));
}

bool CPolyline::SnapToKeyPoint(CPoint& pt, double zoom) const {
    const int t = RoundHalf(zoom * 16);
    for (int i = 0; i < GetCornerCount(); ++i) {
        const CPoint k = ToPixel(GetCorner(i), zoom);
        if (std::hypot(double(k.x) - pt.x, double(k.y) - pt.y) <= t) {
            pt = k;
            return true;
        }
    }
    return false;
}

void CPolyline::AppendSnapLines(std::vector<std::pair<CPoint, CPoint>>& out, double zoom) const {
    const std::vector<CDoublePoint> path = PixelPath(zoom, {});
    for (std::size_t i = 1; i < path.size(); ++i)
        out.emplace_back(path[i - 1].ToPoint(), path[i].ToPoint());
}

// The first corner places the figure; the corners' box is there for the moves that keep a
// selection within reach.
int CPolyline::ReadPoints(CDoublePoint* out) const {
    CDoublePoint lo = m_pt1, hi = m_pt1;
    for (int i = 1; i < GetCornerCount(); ++i) {
        const CDoublePoint c = GetCorner(i);
        lo = {std::min(lo.x, c.x), std::min(lo.y, c.y)};
        hi = {std::max(hi.x, c.x), std::max(hi.y, c.y)};
    }
    out[0] = m_pt1;
    out[1] = lo;
    out[2] = hi;
    return 3;
}

void CPolyline::WritePoints(const CDoublePoint* in) {
    m_pt1 = m_pt2 = in[0];
}
