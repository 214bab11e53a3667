#include "figures/Figure.h"

#include "figures/BezierCurve.h"
#include "figures/Ellipse.h"
#include "figures/ForeignBlock.h"
#include "figures/Label.h"
#include "figures/SegmentWalk.h"

#include <algorithm>
#include <cmath>

namespace {
// a + b kept inside the int range, for points that a hand-edited drawing put near its limits.
int AddPinned(int a, long long b) {
    return static_cast<int>(
        std::clamp(a + b, static_cast<long long>(INT_MIN), static_cast<long long>(INT_MAX)));
}
} // namespace

void CFigure::CopyFrom(const CFigure& src) {
    m_pt1 = src.m_pt1;
    m_pt2 = src.m_pt2;
    m_nMinWidth = src.m_nMinWidth;
    m_nMinHeight = src.m_nMinHeight;
    m_strType = src.m_strType;
    m_strTag = src.m_strTag;
    m_bSelected = src.m_bSelected;
    m_bSelectable = src.m_bSelectable;
    m_bVisible = src.m_bVisible;
    m_bEditing = src.m_bEditing;
    m_nPenStyle = src.m_nPenStyle;
    m_crColor = src.m_crColor;
    m_style = src.m_style;
    m_strReadBlock = src.m_strReadBlock;
    m_strRecoveredBlock = src.m_strRecoveredBlock;
    m_pForeignFrame = src.m_pForeignFrame;
}

// Ellipses and curves write their corners rounded to whole page units as pixels are rounded,
// half up and then towards zero, which on a negative coordinate (where a foreign drawing's own
// origin puts many) lands one unit off. Such a corner is put half a unit below the whole unit
// it is nearest to, which that rounding takes to the unit itself.
void KeepCornersRoundingToTheNearest(CFigure& f) {
    if (!dynamic_cast<CEllipse*>(&f) && !dynamic_cast<CBezierCurve*>(&f))
        return;
    CDoublePoint p[CFigure::kMaxPoints];
    const int n = f.ReadPoints(p);
    const auto fix = [](double& v) {
        const double nearest = std::floor(v + 0.5);
        if (nearest < 0)
            v = nearest - 0.5;
    };
    for (int i = 0; i < n; ++i) {
        fix(p[i].x);
        fix(p[i].y);
    }
    f.WritePoints(p);
}

namespace {
// A text's size at the unit scales a drawing may have.
constexpr double kTextSizeMin = kLabelEm / kMaxUnitScale;
constexpr double kTextSizeMax = kLabelEm / kMinUnitScale;
} // namespace

bool HasStyleLengths(const CFigure& f) {
    return f.GetStyleCaps() != 0 || const_cast<CFigure&>(f).GetTextSize() != nullptr;
}

void ScaleStyleLengths(CFigure& f, double k) {
    if (double* em = f.GetTextSize(); em && std::isfinite(k) && k > 0)
        *em = std::clamp(*em * k, kTextSizeMin, kTextSizeMax);
    const unsigned caps = f.GetStyleCaps();
    if (caps == 0 || k == 1.0)
        return;
    CStyle s = f.m_style;
    s.dLineWidth *= k;
    for (double& v : s.pattern)
        v *= k;
    s.dHeadLength *= k;
    s.dHeadWidth *= k;
    f.m_style = Bounded(s);
    // A dotted line's dots keep their size too: it becomes a line of that pattern.
    if (f.m_nPenStyle == kPenStyleDotted && (caps & kStylePattern)) {
        CStyle dots = f.m_style;
        dots.pattern = {kDottedDash * k, kDottedGap * k};
        f.ApplyStyle(dots, kStylePattern);
    }
}

std::string CFigure::GetTeXDrawBlock() const {
    std::string block = ExportTeX();
    if (IsAsRead(block))
        return m_strReadBlock;
    if (m_pForeignFrame) {
        const CForeignFrame& frame = *m_pForeignFrame;
        std::string own;
        if (AppendForeignBlock(own, *this, frame))
            return own;
        // The block in the editor's words, from the frame's origin, inside what sets that frame.
        const std::unique_ptr<CFigure> placed = Clone();
        placed->MoveBy(-frame.ptOrigin.x, -frame.ptOrigin.y);
        KeepCornersRoundingToTheNearest(*placed);
        // What writes nothing (a grid line) writes no frame either.
        std::string written = placed->ExportTeX();
        if (written.empty())
            return written;
        written = frame.strBefore + written + frame.strAfter;
        DropEmptyLines(written);
        return written;
    }
    return block;
}

void CFigure::AppendTeXDrawBlock(std::string& out) const {
    if (m_strReadBlock.empty() && !m_pForeignFrame)
        AppendTeX(out);
    else
        out += GetTeXDrawBlock();
}

std::vector<double> CFigure::GetLinePattern() const {
    // Only lines are ever dotted; an arrow is solid whatever its pen style says.
    if (m_nPenStyle == kPenStyleDotted && m_strType == kTypeLine)
        return {kDottedDash, kDottedGap};
    return m_style.pattern;
}

void CFigure::ApplyStyle(const CStyle& given, unsigned parts) {
    CopyStyleParts(m_style, Bounded(given), parts & GetStyleCaps());
    if (!TakesFillAlone())
        m_style.bOutline = true;
}

void CFigure::SetHandlePoint(int, int, int, double) {}

CPoint CFigure::GetHandlePoint(int handle, double zoom) const {
    switch (handle) {
    case kHandleStart:
        return ToPixel(m_pt1, zoom);
    case kHandleEnd:
        return ToPixel(m_pt2, zoom);
    case kHandleCenter:
        return ((m_pt1 * zoom + m_pt2 * zoom) * 0.5).ToPoint();
    default:
        return {};
    }
}

CRect CFigure::GetHandleRect(int handle, double zoom) const {
    const CPoint p = GetHandlePoint(handle, zoom);
    return {AddPinned(p.x, -3), AddPinned(p.y, -3), AddPinned(p.x, 4), AddPinned(p.y, 4)};
}

void CFigure::EnforceMinimumSize(int, CDoublePoint&) {}

int CFigure::HitTestHandles(CPoint pt, double zoom) const {
    return HitTestHandleList(pt, zoom, {kHandleStart, kHandleEnd});
}

void CFigure::SetPoints(int x1, int y1, int x2, int y2, double zoom) {
    const CDoublePoint p1 = ToPageUnits(x1, y1, zoom), p2 = ToPageUnits(x2, y2, zoom);
    // A point out of reach (a gesture point left over from another zoom) is not taken.
    if (!IsWithinReach(p1) || !IsWithinReach(p2))
        return;
    m_pt1 = p1;
    m_pt2 = p2;
}

void CFigure::Paint(CDrawSurface& dc, double zoom, int dx, int dy) const {
    if (!m_bVisible)
        return;
    Draw(dc, zoom, dx, dy);
    if (m_bSelected && m_bSelectable)
        DrawHandles(dc, zoom, dx, dy);
}

void CFigure::DrawHandles(CDrawSurface& dc, double zoom, int dx, int dy) const {
    DrawHandleSquares(dc, zoom, dx, dy, {kHandleStart, kHandleEnd});
}

void CFigure::MoveByPixels(int dx, int dy, double zoom) {
    const double r = 1.0 / zoom;
    m_pt1 = (m_pt1 * zoom + CDoublePoint{double(dx), double(dy)}) * r;
    m_pt2 = (m_pt2 * zoom + CDoublePoint{double(dx), double(dy)}) * r;
}

CRect CFigure::GetBoundingRect(double zoom) const {
    const CPoint s = GetHandlePoint(kHandleStart, zoom);
    const CPoint e = GetHandlePoint(kHandleEnd, zoom);
    return {std::min(s.x, e.x), std::min(s.y, e.y), std::max(s.x, e.x), std::max(s.y, e.y)};
}

CRect CFigure::GetPaintExtent(double zoom) const {
    const CRect r = GetBoundingRect(zoom);
    // Handle squares reach 3 pixels up and left of their point and 4 right and down; a pen of
    // width w reaches w / 2 from its line either way, and the painter's rounding may add one.
    long long reach = 8LL + OutlineWidth(zoom);
    if (!HasPlainStyle()) {
        // A style of its own: the pen as wide as it is, and heads as long and wide as they are.
        double extra = std::max(1.0, m_style.dLineWidth * zoom);
        if ((GetStyleCaps() & kStyleHeads) && m_style.eHeads != EArrowHeads::None)
            extra += std::hypot(m_style.dHeadLength, m_style.dHeadWidth) * zoom;
        reach += static_cast<long long>(std::min(std::ceil(extra), 1.0e9));
    }
    return {AddPinned(r.left, -reach), AddPinned(r.top, -reach), AddPinned(r.right, reach),
            AddPinned(r.bottom, reach)};
}

double CFigure::PaintReach(double zoom) const {
    const CRect r = GetBoundingRect(zoom), e = GetPaintExtent(zoom);
    return std::max({double(r.left) - e.left, double(r.top) - e.top, double(e.right) - r.right,
                     double(e.bottom) - r.bottom});
}

ECursor CFigure::GetHandleCursor(int handle, double zoom) const {
    if (handle == 0 || handle == 1)
        return ECursor::None;
    const CPoint h = GetHandlePoint(handle, zoom);
    const CPoint c = GetHandlePoint(kHandleCenter, zoom);
    const long long dx = static_cast<long long>(h.x) - c.x;
    const long long dy = static_cast<long long>(h.y) - c.y;
    double X, Y;
    if (-dy >= 0) {
        X = static_cast<double>(dx);
        Y = static_cast<double>(-dy);
    } else {
        X = static_cast<double>(-dx);
        Y = static_cast<double>(dy);
    }
    return CursorForAngle(std::acos(X / std::sqrt(X * X + Y * Y)) * 57.29577951308232);
}

ECursor CursorForAngle(double a) {
    if (a >= 0 && a < 4)
        return ECursor::SizeWE;
    if (a >= 4 && a < 88)
        return ECursor::SizeNESW;
    if (a >= 88 && a < 92)
        return ECursor::SizeNS;
    if (a >= 92 && a < 178)
        return ECursor::SizeNWSE;
    return ECursor::SizeWE; // 178..180, or no angle when the handle lies on the centre
}

bool CFigure::IntersectsRect(const CRect&, double) const {
    return false;
}

bool CFigure::HitTest(CPoint, double) const {
    return false;
}

bool CFigure::SnapToKeyPoint(CPoint& pt, double zoom) const {
    const int t = RoundHalf(zoom * 16);
    for (int key : {kHandleStart, kHandleEnd, kHandleCenter}) {
        const CPoint k = GetHandlePoint(key, zoom);
        const double ddx = static_cast<double>(k.x) - pt.x;
        const double ddy = static_cast<double>(k.y) - pt.y;
        if (std::sqrt(ddx * ddx + ddy * ddy) <= t) {
            pt = k;
            return true;
        }
    }
    return false;
}

void CFigure::MoveBy(double dx, double dy) {
    m_pt1 = m_pt1 + CDoublePoint{dx, dy};
    m_pt2 = m_pt2 + CDoublePoint{dx, dy};
}

int CFigure::ReadPoints(CDoublePoint* out) const {
    out[0] = m_pt1;
    out[1] = m_pt2;
    return 2;
}

void CFigure::WritePoints(const CDoublePoint* in) {
    m_pt1 = in[0];
    m_pt2 = in[1];
}

void CFigure::DrawHandleSquares(CDrawSurface& dc, double zoom, int dx, int dy,
                                std::initializer_list<int> handles) const {
    const CPen black{EPenStyle::Solid, 1, 0};
    for (int h : handles)
        dc.Rectangle(GetHandleRect(h, zoom).Offset(dx, dy), black, kHandleFillColor);
}

int CFigure::HitTestHandleList(CPoint pt, double zoom, std::initializer_list<int> handles) const {
    int hit = kHandleNone;
    for (int h : handles)
        if (GetHandleRect(h, zoom).Contains(pt))
            hit = h;
    return hit;
}

// Both tests look only at the run of the walk inside the relevant rectangle, so a segment that
// spans the whole int range costs no more than a short one; the answer is the same as walking
// every pixel.
bool SegmentHit(CPoint a, CPoint b, CPoint pt, int tolerance) {
    // The square around a walked pixel p holds pt exactly when p lies within `tolerance` of pt
    // on both axes.
    const long long t = tolerance;
    const auto [first, last] =
        CSegmentWalk(a, b).RangeIn(pt.x - t, pt.y - t, pt.x + t + 1LL, pt.y + t + 1LL);
    return first < last;
}

bool ClipSegment(double& ax, double& ay, double& bx, double& by, double left, double top,
                 double right, double bottom) {
    double t0 = 0.0, t1 = 1.0;
    const double dx = bx - ax, dy = by - ay;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {ax - left, right - ax, ay - top, bottom - ay};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0.0) {
            if (q[i] < 0.0)
                return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0.0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
        if (t0 > t1)
            return false;
    }
    const double nax = ax + t0 * dx, nay = ay + t0 * dy;
    bx = ax + t1 * dx;
    by = ay + t1 * dy;
    ax = nax;
    ay = nay;
    return true;
}

bool SegmentMeetsBox(CDoublePoint a, CDoublePoint b, double left, double top, double right,
                     double bottom) {
    return ClipSegment(a.x, a.y, b.x, b.y, left, top, right, bottom);
}

bool SegmentInRect(CPoint a, CPoint b, const CRect& rect) {
    const auto [first, last] =
        CSegmentWalk(a, b).RangeIn(rect.left, rect.top, rect.right, rect.bottom);
    return first < last;
}
