#include "figures/RawTeX.h"

#include "figures/Label.h"
#include "figures/StyledDraw.h"

#include <algorithm>
#include <cmath>

namespace {

// The grey that says "drawn by text kept as it was written, not by a figure of the editor's".
constexpr double kShownGrey = 0.6;

// What f gives of the text set as a label.
template <class F> auto WithLabel(const CShownText& t, F f) {
    CLabel label;
    label.m_pt1 = label.m_pt2 = t.ptAt;
    label.m_strText = t.strText;
    label.m_cHRef = t.cHRef;
    label.m_cVRef = t.cVRef;
    label.m_dAngle = t.dAngle;
    return f(static_cast<const CLabel&>(label));
}

std::vector<CDoublePoint> PixelPath(const std::vector<CDoublePoint>& path, double zoom,
                                    CDoublePoint d) {
    std::vector<CDoublePoint> out;
    out.reserve(path.size());
    for (const CDoublePoint& p : path)
        out.push_back(AsDouble(ToPixel(p, zoom)) + d);
    return out;
}

CRect Union(const CRect& a, const CRect& b) {
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
            std::max(a.bottom, b.bottom)};
}

} // namespace

std::unique_ptr<CFigure> CRawTeXFigure::Clone() const {
    auto copy = std::make_unique<CRawTeXFigure>();
    copy->CopyFrom(*this);
    return copy;
}

void CRawTeXFigure::CopyFrom(const CFigure& src) {
    if (const auto* raw = dynamic_cast<const CRawTeXFigure*>(&src)) {
        m_strText = raw->m_strText;
        m_shownPaths = raw->m_shownPaths;
        m_shownTexts = raw->m_shownTexts;
    }
    CFigure::CopyFrom(src);
}

void CRawTeXFigure::SetShownDrawing(std::vector<std::vector<CDoublePoint>> paths,
                                    std::vector<CShownText> texts) {
    std::erase_if(paths, [](const std::vector<CDoublePoint>& p) { return p.empty(); });
    m_shownPaths = std::move(paths);
    m_shownTexts = std::move(texts);
    m_bSelectable = HasShownDrawing();
    // The handles mark the corners of what it draws.
    bool first = true;
    CDoublePoint lo, hi;
    const auto take = [&](CDoublePoint p) {
        lo = first ? p : CDoublePoint{std::min(lo.x, p.x), std::min(lo.y, p.y)};
        hi = first ? p : CDoublePoint{std::max(hi.x, p.x), std::max(hi.y, p.y)};
        first = false;
    };
    for (const auto& path : m_shownPaths)
        for (const CDoublePoint& p : path)
            take(p);
    for (const CShownText& t : m_shownTexts)
        take(t.ptAt);
    m_pt1 = lo;
    m_pt2 = hi;
}

void CRawTeXFigure::Draw(CDrawSurface& dc, double zoom, int dx, int dy) const {
    const CStyledPen pen{1, GreyColor(kShownGrey), {}};
    const CDoublePoint d{double(dx), double(dy)};
    for (const auto& path : m_shownPaths)
        StrokePath(dc, PixelPath(path, zoom, d), pen);
    for (const CShownText& t : m_shownTexts)
        WithLabel(t, [&](const CLabel& l) { l.Draw(dc, zoom, dx, dy); });
}

void CRawTeXFigure::DrawHandles(CDrawSurface& dc, double zoom, int dx, int dy) const {
    if (HasShownDrawing())
        CFigure::DrawHandles(dc, zoom, dx, dy);
}

CRect CRawTeXFigure::GetBoundingRect(double zoom) const {
    if (!HasShownDrawing())
        return {};
    CRect r = CFigure::GetBoundingRect(zoom);
    for (const CShownText& t : m_shownTexts)
        r = Union(r, WithLabel(t, [&](const CLabel& l) { return l.GetBoundingRect(zoom); }));
    return r;
}

CRect CRawTeXFigure::GetPaintExtent(double zoom) const {
    if (!HasShownDrawing())
        return {};
    CRect r = CFigure::GetPaintExtent(zoom);
    for (const CShownText& t : m_shownTexts)
        r = Union(r, WithLabel(t, [&](const CLabel& l) { return l.GetPaintExtent(zoom); }));
    return r;
}

void CRawTeXFigure::AppendTeX(std::string& out) const {
    out += m_strText;
}

bool CRawTeXFigure::IntersectsRect(const CRect& rect, double zoom) const {
    for (const auto& path : m_shownPaths) {
        const std::vector<CDoublePoint> px = PixelPath(path, zoom, {});
        if (px.size() == 1 && SegmentInRect(px[0].ToPoint(), px[0].ToPoint(), rect))
            return true;
        for (std::size_t i = 1; i < px.size(); ++i)
            if (SegmentInRect(px[i - 1].ToPoint(), px[i].ToPoint(), rect))
                return true;
    }
    return std::any_of(m_shownTexts.begin(), m_shownTexts.end(), [&](const CShownText& t) {
        return WithLabel(t, [&](const CLabel& l) { return l.IntersectsRect(rect, zoom); });
    });
}

bool CRawTeXFigure::HitTest(CPoint pt, double zoom) const {
    for (const auto& path : m_shownPaths)
        if (DistanceToPath(PixelPath(path, zoom, {}), AsDouble(pt)) <= 3.0)
            return true;
    return std::any_of(m_shownTexts.begin(), m_shownTexts.end(), [&](const CShownText& t) {
        return WithLabel(t, [&](const CLabel& l) { return l.HitTest(pt, zoom); });
    });
}
