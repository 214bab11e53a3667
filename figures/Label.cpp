#include "figures/Label.h"

#include "figures/StyledDraw.h"
#include "figures/TeXFormat.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <numbers>

namespace {

// Characters, not bytes: UTF-8 continuation bytes do not count.
std::size_t CharCount(const std::string& s) {
    return static_cast<std::size_t>(std::count_if(
        s.begin(), s.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

CRect BoundsOf(const std::array<CDoublePoint, 4>& corners, double pad) {
    double l = corners[0].x, t = corners[0].y, r = l, b = t;
    for (const CDoublePoint& c : corners) {
        l = std::min(l, c.x);
        t = std::min(t, c.y);
        r = std::max(r, c.x);
        b = std::max(b, c.y);
    }
    const auto pin = [](double v) {
        return static_cast<int>(std::clamp(v, double(INT_MIN), double(INT_MAX)));
    };
    return {pin(std::floor(l - pad)), pin(std::floor(t - pad)), pin(std::ceil(r + pad)),
            pin(std::ceil(b + pad))};
}

} // namespace

std::string CLabel::WhyNotDrawable() const {
    if (m_strText.empty())
        return "No label was placed: its text is empty";
    return {};
}

std::unique_ptr<CFigure> CLabel::Clone() const {
    auto copy = std::make_unique<CLabel>();
    copy->CopyFrom(*this);
    return copy;
}

void CLabel::CopyFrom(const CFigure& src) {
    if (const auto* l = dynamic_cast<const CLabel*>(&src)) {
        m_strText = l->m_strText;
        m_cHRef = l->m_cHRef;
        m_cVRef = l->m_cVRef;
        m_dAngle = l->m_dAngle;
        m_dEm = l->m_dEm;
    }
    CFigure::CopyFrom(src);
}

void CLabel::SetPoints(int x1, int y1, int, int, double zoom) {
    const CDoublePoint p = ToPageUnits(x1, y1, zoom);
    if (IsWithinReach(p))
        m_pt1 = m_pt2 = p;
}

CPoint CLabel::GetHandlePoint(int handle, double zoom) const {
    if (handle == kHandleCenter) {
        const CRect r = GetBoundingRect(zoom);
        return {RoundHalf(0.5 * (double(r.left) + r.right)),
                RoundHalf(0.5 * (double(r.top) + r.bottom))};
    }
    return ToPixel(m_pt1, zoom);
}

std::array<CDoublePoint, 4> CLabel::GetBoxCorners(double zoom, double widthPerChar, double ascent,
                                                  double descent) const {
    const double em = m_dEm * zoom;
    const double w = widthPerChar * static_cast<double>(CharCount(m_strText)) * em;
    const double left = m_cHRef == 'L' ? 0.0 : m_cHRef == 'C' ? -0.5 * w : -w;
    const double h = (ascent + descent) * em;
    // y downward from the point: the top of the text, then its bottom.
    const double top = m_cVRef == 'T' ? 0.0 : m_cVRef == 'C' ? -0.5 * h : -ascent * em;
    const double a = m_dAngle * std::numbers::pi / 180.0;
    const double c = std::cos(a), s = std::sin(a);
    const CDoublePoint o = AsDouble(ToPixel(m_pt1, zoom));
    // Counterclockwise as seen, with y downward.
    const auto turned = [&](double x, double y) {
        return o + CDoublePoint{x * c + y * s, -x * s + y * c};
    };
    return {turned(left, top), turned(left + w, top), turned(left + w, top + h),
            turned(left, top + h)};
}

void CLabel::Draw(CDrawSurface& dc, double zoom, int dx, int dy) const {
    if (m_strText.empty())
        return;
    const CPoint at = ToPixel(m_pt1, zoom) + CPoint{dx, dy};
    dc.DrawTextAt(at, m_strText, m_cHRef, m_cVRef, m_dAngle,
                  std::clamp(RoundHalf(m_dEm * zoom), 1, 4000));
}

void CLabel::DrawHandles(CDrawSurface& dc, double zoom, int dx, int dy) const {
    DrawHandleSquares(dc, zoom, dx, dy, {kHandleStart});
}

CRect CLabel::GetBoundingRect(double zoom) const {
    return BoundsOf(GetBoxCorners(zoom, kLabelCharWidth, kLabelAscent, kLabelDescent), 0.0);
}

CRect CLabel::GetPaintExtent(double zoom) const {
    // Wider than the estimate: the widest letters take a whole em and more, and a font reaches
    // above and below its em.
    const CRect text = BoundsOf(GetBoxCorners(zoom, 1.5, 1.0, 0.5), 4.0 + 0.5 * m_dEm * zoom);
    const CRect base = CFigure::GetPaintExtent(zoom);
    return {std::min(text.left, base.left), std::min(text.top, base.top),
            std::max(text.right, base.right), std::max(text.bottom, base.bottom)};
}

bool CLabel::IntersectsRect(const CRect& rect, double zoom) const {
    const auto box = GetBoxCorners(zoom, kLabelCharWidth, kLabelAscent, kLabelDescent);
    for (int i = 0; i < 4; ++i)
        if (SegmentInRect(box[i].ToPoint(), box[(i + 1) % 4].ToPoint(), rect))
            return true;
    // A band wholly inside the box.
    return IsInsidePolygon({box.begin(), box.end()}, AsDouble(rect.TopLeft()));
}

bool CLabel::HitTest(CPoint pt, double zoom) const {
    const auto box = GetBoxCorners(zoom, kLabelCharWidth, kLabelAscent, kLabelDescent);
    const std::vector<CDoublePoint> loop{box[0], box[1], box[2], box[3], box[0]};
    return IsInsidePolygon(loop, AsDouble(pt)) || DistanceToPath(loop, AsDouble(pt)) <= 3.0;
}

bool CLabel::SnapToKeyPoint(CPoint& pt, double zoom) const {
    const CPoint k = ToPixel(m_pt1, zoom);
    if (std::hypot(double(k.x) - pt.x, double(k.y) - pt.y) <= RoundHalf(zoom * 16)) {
        pt = k;
        return true;
    }
    return false;
}

int CLabel::ReadPoints(CDoublePoint* out) const {
    out[0] = m_pt1;
    return 1;
}

void CLabel::WritePoints(const CDoublePoint* in) {
    m_pt1 = m_pt2 = in[0];
}

void CLabel::AppendTeX(std::string& s) const {
    if (!WhyNotDrawable().empty())
        return; // a label without a text is no figure
    s += "\n%begin label\n\\textref h:";
    s += m_cHRef;
    s += " v:";
    s += m_cVRef;
    s += '\n';
    if (m_dAngle == 0.0) {
        s += "\\htext ";
    } else if (m_dAngle == 90.0) {
        s += "\\vtext ";
    } else {
        s += "\\rtext td:";
        AppendTeXNumber(s, m_dAngle);
        s += ' ';
    }
    AppendTeXPoint(s, m_pt1);
    s += '{';
    s += m_strText;
    s += "}\n%end label\n";
}
