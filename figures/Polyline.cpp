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
    // The control points keep their places on the page.
    const CDoublePoint shift = m_pt1 - corners.front();
    for (CPieceCurve& c : m_vCurves) {
        c.c1 = c.c1 + shift;
        c.c2 = c.c2 + shift;
    }
    m_pt1 = m_pt2 = corners.front();
    m_vOffsets.clear();
    for (std::size_t i = 1; i < corners.size(); ++i)
        m_vOffsets.push_back(corners[i] - corners.front());
    TrimCurves();
}

void CPolyline::TrimCurves() {
    if (m_vCurves.size() > static_cast<std::size_t>(std::max(GetPieceCount(), 0)))
        m_vCurves.resize(static_cast<std::size_t>(std::max(GetPieceCount(), 0)));
    while (!m_vCurves.empty() && !m_vCurves.back().bCurved)
        m_vCurves.pop_back();
}

// A corner dragged onto the others so that all lie on one point stays where it was: the figure
// would draw nothing and could no longer be written.
void CPolyline::SetCorner(int i, CDoublePoint p) {
    if (i < 0 || i >= GetCornerCount() || !IsWithinReach(p))
        return;
    std::vector<CDoublePoint> corners = GetCorners();
    const bool drawable = WhyNotDrawable().empty();
    const CDoublePoint delta = p - corners[i];
    corners[i] = p;
    if (drawable && std::all_of(corners.begin(), corners.end(),
                                [&](const CDoublePoint& c) { return c == corners.front(); }))
        return;
    if (i > 0)
        m_vOffsets[i - 1] = p - m_pt1;
    else
        SetCorners(corners);
    // The control points beside the corner go with it, so the curves keep their tangents there.
    const int before = i > 0 ? i - 1 : (m_bClosed ? GetPieceCount() - 1 : -1);
    if (IsCurved(before))
        m_vCurves[before].c2 = m_vCurves[before].c2 + delta;
    if (i < GetPieceCount() && IsCurved(i))
        m_vCurves[i].c1 = m_vCurves[i].c1 + delta;
}

bool CPolyline::InsertCorner(int after) {
    if (after < 0 || after >= GetCornerCount() || GetCornerCount() >= kMaxCorners)
        return false;
    if (after == GetCornerCount() - 1 && !m_bClosed)
        return false; // no piece after the last corner of an open polyline
    std::vector<CDoublePoint> corners = GetCorners();
    std::vector<CPieceCurve> curves = GetCurves();
    const CDoublePoint next = corners[(after + 1) % corners.size()];
    CDoublePoint mid = (corners[after] + next) * 0.5;
    CPieceCurve second;
    if (curves[after].bCurved) {
        // The curve cut in two at its middle (de Casteljau): both halves draw what it drew.
        CPieceCurve& first = curves[after];
        const CDoublePoint q = (first.c1 + first.c2) * 0.5;
        const CDoublePoint a = (corners[after] + first.c1) * 0.5, b = (first.c2 + next) * 0.5;
        const CDoublePoint l = (a + q) * 0.5, r = (q + b) * 0.5;
        mid = (l + r) * 0.5;
        second = {true, r, b};
        first = {true, a, l};
    }
    corners.insert(corners.begin() + after + 1, mid);
    curves.insert(curves.begin() + after + 1, second);
    SetCorners(corners);
    SetCurves(curves);
    return true;
}

bool CPolyline::DeleteCorner(int i) {
    if (i < 0 || i >= GetCornerCount() || GetCornerCount() <= (m_bClosed ? 3 : 2))
        return false;
    std::vector<CDoublePoint> corners = GetCorners();
    std::vector<CPieceCurve> curves = GetCurves();
    const int n = GetCornerCount(), pieces = GetPieceCount();
    // The two pieces that met at the corner become one, curved when either was.
    const int before = i > 0 ? i - 1 : (m_bClosed ? pieces - 1 : -1);
    if (before >= 0 && i < pieces) {
        const CPieceCurve &a = curves[before], &b = curves[i];
        const CDoublePoint from = corners[before], at = corners[i], to = corners[(i + 1) % n];
        if (a.bCurved || b.bCurved)
            curves[before] = {true, a.bCurved ? a.c1 : from + (at - from) * (1.0 / 3.0),
                              b.bCurved ? b.c2 : at + (to - at) * (2.0 / 3.0)};
    }
    curves.erase(curves.begin() + std::min(i, pieces - 1));
    corners.erase(corners.begin() + i);
    if (std::all_of(corners.begin(), corners.end(),
                    [&](const CDoublePoint& c) { return c == corners.front(); }))
        return false; // what is left would be one point
    SetCorners(corners);
    SetCurves(curves);
    return true;
}

bool CPolyline::HasCurves() const {
    return std::any_of(m_vCurves.begin(), m_vCurves.end(),
                       [](const CPieceCurve& c) { return c.bCurved; });
}

void CPolyline::SetControl(int piece, int which, CDoublePoint p) {
    if (!IsCurved(piece) || !IsWithinReach(p))
        return;
    (which == 0 ? m_vCurves[piece].c1 : m_vCurves[piece].c2) = p - m_pt1;
}

std::vector<CPieceCurve> CPolyline::GetCurves() const {
    std::vector<CPieceCurve> curves(static_cast<std::size_t>(std::max(GetPieceCount(), 0)));
    for (int i = 0; i < static_cast<int>(curves.size()); ++i)
        if (IsCurved(i))
            curves[i] = {true, GetControl(i, 0), GetControl(i, 1)};
    return curves;
}

void CPolyline::SetCurves(const std::vector<CPieceCurve>& curves) {
    m_vCurves.clear();
    for (std::size_t i = 0; i < curves.size(); ++i)
        if (curves[i].bCurved) {
            m_vCurves.resize(i + 1);
            m_vCurves[i] = {true, curves[i].c1 - m_pt1, curves[i].c2 - m_pt1};
        }
    TrimCurves();
}

bool CPolyline::MakePieceCurved(int piece) {
    if (piece < 0 || piece >= GetPieceCount() || IsCurved(piece))
        return false;
    const CDoublePoint from = GetCorner(piece), to = GetCorner((piece + 1) % GetCornerCount());
    if (m_vCurves.size() <= static_cast<std::size_t>(piece))
        m_vCurves.resize(static_cast<std::size_t>(piece) + 1);
    m_vCurves[piece] = {true, from + (to - from) * (1.0 / 3.0) - m_pt1,
                        from + (to - from) * (2.0 / 3.0) - m_pt1};
    MakePath();
    return true;
}

bool CPolyline::MakePieceStraight(int piece) {
    if (!IsCurved(piece))
        return false;
    std::vector<CPieceCurve> curves = GetCurves();
    curves[piece].bCurved = false;
    SetCurves(curves);
    return true;
}

void CPolyline::Close() {
    m_bClosed = true;
    if (!IsPath())
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

bool CPolyline::HasSameOwnState(const CFigure& other) const {
    const auto* o = dynamic_cast<const CPolyline*>(&other);
    const auto same = [](const CDoublePoint& a, const CDoublePoint& b) { return SameBits(a, b); };
    return o && m_bClosed == o->m_bClosed &&
           std::equal(m_vOffsets.begin(), m_vOffsets.end(), o->m_vOffsets.begin(),
                      o->m_vOffsets.end(), same) &&
           std::equal(m_vCurves.begin(), m_vCurves.end(), o->m_vCurves.begin(), o->m_vCurves.end(),
                      [](const CPieceCurve& u, const CPieceCurve& v) {
                          return u.bCurved == v.bCurved && SameBits(u.c1, v.c1) &&
                                 SameBits(u.c2, v.c2);
                      }) &&
           CFigure::HasSameOwnState(other);
}

void CPolyline::CopyFrom(const CFigure& src) {
    if (const auto* p = dynamic_cast<const CPolyline*>(&src)) {
        m_vOffsets = p->m_vOffsets;
        m_bClosed = p->m_bClosed;
        m_vCurves = p->m_vCurves;
    }
    CFigure::CopyFrom(src);
}

void CPolyline::SetPoints(int x1, int y1, int x2, int y2, double zoom) {
    const CDoublePoint a = ToPageUnits(x1, y1, zoom), b = ToPageUnits(x2, y2, zoom);
    if (IsWithinReach(a) && IsWithinReach(b))
        SetCorners({a, b});
}

void CPolyline::SetHandlePoint(int handle, int x, int y, double zoom) {
    if (handle >= kHandleControl) {
        SetControl((handle - kHandleControl) / 2, (handle - kHandleControl) % 2,
                   ToPageUnits(x, y, zoom));
        return;
    }
    if (handle == kHandleStart)
        handle = kHandleCorner;
    else if (handle == kHandleEnd)
        handle = kHandleCorner + GetCornerCount() - 1;
    SetCorner(handle - kHandleCorner, ToPageUnits(x, y, zoom));
}

CPoint CPolyline::GetHandlePoint(int handle, double zoom) const {
    if (handle >= kHandleControl) {
        const int piece = (handle - kHandleControl) / 2;
        return IsCurved(piece) ? ToPixel(GetControl(piece, (handle - kHandleControl) % 2), zoom)
                               : CPoint{};
    }
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
    std::vector<int> pieceOf;
    const std::vector<CDoublePoint> path = PixelPath(zoom, {}, &pieceOf);
    for (std::size_t i = 1; i < path.size(); ++i)
        if (SegmentHit(path[i - 1].ToPoint(), path[i].ToPoint(), pt))
            return pieceOf[i - 1];
    return -1;
}

int CPolyline::HitTestControl(CPoint pt, double zoom) const {
    for (int h = kHandleControl + 2 * static_cast<int>(m_vCurves.size()) - 1; h >= kHandleControl;
         --h)
        if (IsCurved((h - kHandleControl) / 2) && GetHandleRect(h, zoom).Contains(pt))
            return h;
    return kHandleNone;
}

int CPolyline::HitTestHandles(CPoint pt, double zoom) const {
    if (const int control = HitTestControl(pt, zoom); control != kHandleNone)
        return control;
    const int corner = HitTestCorner(pt, zoom);
    return corner < 0 ? kHandleNone : kHandleCorner + corner;
}

std::vector<CDoublePoint> CPolyline::PixelPath(double zoom, CDoublePoint d,
                                               std::vector<int>* pieceOf) const {
    const auto px = [&](CDoublePoint p) { return AsDouble(ToPixel(p, zoom)) + d; };
    std::vector<CDoublePoint> path;
    path.reserve(m_vOffsets.size() + 2);
    path.push_back(px(m_pt1));
    for (int i = 0; i < GetPieceCount(); ++i) {
        const CDoublePoint to = px(GetCorner((i + 1) % GetCornerCount()));
        if (IsCurved(i))
            AppendBezierPoints(path, path.back(), px(GetControl(i, 0)), px(GetControl(i, 1)), to);
        else
            path.push_back(to);
        if (pieceOf)
            pieceOf->resize(path.size() - 1, i);
    }
    return path;
}

std::vector<CDoublePoint> CPolyline::PixelStroke(const CStroke& stroke, double zoom,
                                                 CDoublePoint d) {
    const auto px = [&](CDoublePoint p) { return AsDouble(ToPixel(p, zoom)) + d; };
    std::vector<CDoublePoint> path;
    path.reserve(stroke.points.size());
    for (std::size_t i = 0; i < stroke.points.size(); ++i) {
        if (i > 0 && stroke.IsCurved(i - 1))
            AppendBezierPoints(path, path.back(), px(stroke.curves[i - 1].c1),
                               px(stroke.curves[i - 1].c2), px(stroke.points[i]));
        else
            path.push_back(px(stroke.points[i]));
    }
    return path;
}

std::vector<CPolyline::CStroke> CPolyline::GetStrokes() const {
    if (HasCurves())
        return GetCurvedStrokes();
    std::vector<CDoublePoint> c = GetCorners();
    if (m_bClosed) {
        c.push_back(c.front());
        return {{c, false, {}, false}};
    }
    const std::size_t n = c.size();
    switch (m_style.eHeads) {
    case EArrowHeads::None:
        return {{c, false, {}, false}};
    case EArrowHeads::End:
        return {{c, true, {}, false}};
    case EArrowHeads::Start:
        std::reverse(c.begin(), c.end());
        return {{c, true, {}, false}};
    case EArrowHeads::Both:
        // The first piece turned round towards the start, then the rest towards the end.
        if (n < 3)
            return {{c, true, {}, false}, {{c.back(), c.front()}, true, {}, false}};
        return {{{c[1], c[0]}, true, {}, false},
                {std::vector<CDoublePoint>(c.begin() + 1, c.end()), true, {}, false}};
    }
    return {{c, false, {}, false}};
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
        std::vector<CDoublePoint> path = PixelStroke(stroke, zoom, d);
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
    // A control point: a small handle joined to its corner by a thin line.
    const CPoint d{dx, dy};
    const CPen thin{EPenStyle::Solid, 1, 0x808080};
    for (int i = 0; i < GetPieceCount(); ++i) {
        if (!IsCurved(i))
            continue;
        const CPoint from = ToPixel(GetCorner(i), zoom) + d;
        const CPoint to = ToPixel(GetCorner((i + 1) % GetCornerCount()), zoom) + d;
        const CPoint c1 = ToPixel(GetControl(i, 0), zoom) + d;
        const CPoint c2 = ToPixel(GetControl(i, 1), zoom) + d;
        DrawSegment(dc, from, c1, thin);
        DrawSegment(dc, to, c2, thin);
        for (const CPoint c : {c1, c2})
            dc.Rectangle({c.x - 2, c.y - 2, c.x + 3, c.y + 3}, black, 0xFFFFFF);
    }
    for (int i = 0; i < GetCornerCount(); ++i)
        dc.Rectangle(GetHandleRect(kHandleCorner + i, zoom).Offset(dx, dy), black,
                     kHandleFillColor);
}

CRect CPolyline::GetBoundingRect(double zoom) const {
    const CPoint first = ToPixel(m_pt1, zoom);
    CRect r{first.x, first.y, first.x, first.y};
    const auto take = [&](CDoublePoint q) {
        const CPoint p = ToPixel(q, zoom);
        r = {std::min(r.left, p.x), std::min(r.top, p.y), std::max(r.right, p.x),
             std::max(r.bottom, p.y)};
    };
    ForEachBoundingPoint(take);
    return r;
}

void CPolyline::AppendTeX(std::string& s) const {
    if (!WhyNotDrawable().empty())
        return; // nothing the reader would take back as a figure
    const char* const name = IsPath() ? "path" : m_bClosed ? "polygon" : "polyline";
    s += "\n%begin ";
    s += name;
    s += '\n';
    AppendStylePrologue(s, *this);
    const auto path = [&](const CStroke& stroke) {
        for (std::size_t i = 0; i < stroke.points.size(); ++i) {
            if (i > 0 && stroke.IsCurved(i - 1)) {
                s += "\\clvec";
                AppendTeXPoint(s, stroke.curves[i - 1].c1);
                AppendTeXPoint(s, stroke.curves[i - 1].c2);
            } else {
                s += i == 0                                         ? "\\move"
                     : stroke.head && i + 1 == stroke.points.size() ? "\\avec"
                                                                    : "\\lvec";
            }
            if (i == 0 && stroke.tangent)
                AppendFineTeXPoint(s, stroke.points[i]);
            else
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
    s += "%end ";
    s += name;
    s += '\n';
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
    // A selected path's control points lie off it, and are grabbed there.
    if (m_bSelected && HitTestControl(pt, zoom) != kHandleNone)
        return true;
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
    std::vector<int> pieceOf;
    const std::vector<CDoublePoint> path = PixelPath(zoom, {}, &pieceOf);
    for (std::size_t i = 1; i < path.size(); ++i)
        if (!IsCurved(pieceOf[i - 1]))
            out.emplace_back(path[i - 1].ToPoint(), path[i].ToPoint());
}

// The first corner places the figure; the corners' box is there for the moves that keep a
// selection within reach.
int CPolyline::ReadPoints(CDoublePoint* out) const {
    CDoublePoint lo = m_pt1, hi = m_pt1;
    const auto take = [&](CDoublePoint c) {
        lo = {std::min(lo.x, c.x), std::min(lo.y, c.y)};
        hi = {std::max(hi.x, c.x), std::max(hi.y, c.y)};
    };
    ForEachBoundingPoint(take);
    out[0] = m_pt1;
    out[1] = lo;
    out[2] = hi;
    return 3;
}

void CPolyline::WritePoints(const CDoublePoint* in) {
    m_pt1 = m_pt2 = in[0];
}
