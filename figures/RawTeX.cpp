#include "figures/RawTeX.h"

#include "figures/Label.h"
#include "figures/StyledDraw.h"
#include "figures/TeXFormat.h"

#include <algorithm>
#include <cmath>

namespace {

// The grey that says "drawn by text kept as it was written, not by a figure of the editor's".
constexpr double kShownGrey = 0.6;

// What f gives of the text set as a label.
template <class F> auto WithLabel(const CShownText& t, CDoublePoint moved, F f) {
    CLabel label;
    label.m_pt1 = label.m_pt2 = t.ptAt + moved;
    label.m_strText = t.strText;
    label.m_cHRef = t.cHRef;
    label.m_cVRef = t.cVRef;
    label.m_dAngle = t.dAngle;
    return f(static_cast<const CLabel&>(label));
}

// The path moved by `moved` (page units) in pixels at the zoom, shifted by d pixels.
std::vector<CDoublePoint> PixelPath(const std::vector<CDoublePoint>& path, CDoublePoint moved,
                                    double zoom, CDoublePoint d) {
    std::vector<CDoublePoint> out;
    out.reserve(path.size());
    for (const CDoublePoint& p : path)
        out.push_back(AsDouble(ToPixel(p + moved, zoom)) + d);
    return out;
}

// Names of saved positions that only a moved stretch's segments use.
constexpr const char* kOrigin = "(*qdOx *qdOy)";
constexpr const char* kBefore = "(*qdPx *qdPy)";
constexpr const char* kShiftedOrigin = "(*qdDx *qdDy)";
constexpr const char* kShiftedBefore = "(*qdQx *qdQy)";
constexpr const char* kShiftedAfter = "(*qdEx *qdEy)";
constexpr const char* kAfter = "(*qdFx *qdFy)";

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
        m_bMovable = raw->m_bMovable;
        m_dSegScale = raw->m_dSegScale;
        m_ptMoved = raw->m_ptMoved;
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
    m_pt1 = lo + m_ptMoved;
    m_pt2 = hi + m_ptMoved;
}

void CRawTeXFigure::MoveBy(double dx, double dy) {
    if (!m_bMovable)
        return;
    CFigure::MoveBy(dx, dy);
    m_ptMoved = m_ptMoved + CDoublePoint{dx, dy};
    // Moved back to where it was, it writes its text alone again.
    if (std::abs(m_ptMoved.x) < 1e-9 && std::abs(m_ptMoved.y) < 1e-9)
        m_ptMoved = {};
}

int CRawTeXFigure::ReadPoints(CDoublePoint* out) const {
    if (!HasShownDrawing())
        return 0;
    out[0] = m_ptMoved;
    return 1;
}

void CRawTeXFigure::WritePoints(const CDoublePoint* in) {
    if (!HasShownDrawing())
        return;
    const CDoublePoint d = in[0] - m_ptMoved;
    m_pt1 = m_pt1 + d;
    m_pt2 = m_pt2 + d;
    m_ptMoved = in[0];
}

void CRawTeXFigure::MoveByPixels(int dx, int dy, double zoom) {
    if (!m_bMovable)
        return;
    const CDoublePoint before = m_pt1;
    CFigure::MoveByPixels(dx, dy, zoom);
    m_ptMoved = m_ptMoved + (m_pt1 - before);
    if (std::abs(m_ptMoved.x) < 1e-9 && std::abs(m_ptMoved.y) < 1e-9)
        m_ptMoved = {};
}

void CRawTeXFigure::Draw(CDrawSurface& dc, double zoom, int dx, int dy) const {
    const CStyledPen pen{1, GreyColor(kShownGrey), {}};
    const CDoublePoint d{double(dx), double(dy)};
    for (const auto& path : m_shownPaths)
        StrokePath(dc, PixelPath(path, m_ptMoved, zoom, d), pen);
    for (const CShownText& t : m_shownTexts)
        WithLabel(t, m_ptMoved, [&](const CLabel& l) { l.Draw(dc, zoom, dx, dy); });
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
        r = Union(
            r, WithLabel(t, m_ptMoved, [&](const CLabel& l) { return l.GetBoundingRect(zoom); }));
    return r;
}

CRect CRawTeXFigure::GetPaintExtent(double zoom) const {
    if (!HasShownDrawing())
        return {};
    CRect r = CFigure::GetPaintExtent(zoom);
    for (const CShownText& t : m_shownTexts)
        r = Union(r,
                  WithLabel(t, m_ptMoved, [&](const CLabel& l) { return l.GetPaintExtent(zoom); }));
    return r;
}

void CRawTeXFigure::AppendTeX(std::string& out) const {
    if (m_ptMoved == CDoublePoint{}) {
        out += m_strText;
        return;
    }
    // The text runs in a segment whose origin is the drawing's origin moved by m_ptMoved, from
    // its current point moved as much; the positions are worked out in inches in segments of
    // their own (saved positions are absolute and outlive segments), and afterwards the current
    // point is where the text itself would have left it.
    // "(x y)" in inches, y upward, as fine as TeXDraw itself reads a position.
    const auto inInches = [](CDoublePoint d) {
        std::string s = "(";
        // + 0.0 turns a negative zero into "0.00", not "-0.00".
        AppendTeXNumber(s, 0.01 * d.x + 0.0);
        s += ' ';
        AppendTeXNumber(s, -0.01 * d.y + 0.0);
        return s + ')';
    };
    const std::string shift = inInches(m_ptMoved), back = inInches(CDoublePoint{} - m_ptMoved);
    const std::string inches = "\\bsegment\\drawdim in \\setunitscale 1 ";
    // On a line of its own, and never after an empty one: the drawing may stand where an empty
    // line is a \\par.
    if (!out.empty() && out.back() != '\n')
        out += '\n';
    out += "\\savepos(0 0)";
    out += kOrigin;
    out += "\\savecurrpos";
    out += kBefore;
    out += '\n' + inches + "\\move" + kOrigin + "\\rmove" + shift + "\\savecurrpos" +
           kShiftedOrigin + "\\move" + kBefore + "\\rmove" + shift + "\\savecurrpos" +
           kShiftedBefore + "\\esegment\n";
    out += std::string("\\move") + kShiftedOrigin + "\\bsegment";
    if (m_dSegScale != 1.0) {
        out += "\\setsegscale ";
        AppendTeXNumber(out, m_dSegScale);
        out += ' ';
    }
    out += std::string("\\move") + kShiftedBefore;
    out += m_strText;
    out += std::string("\\savecurrpos") + kShiftedAfter + "\\esegment\n";
    out += inches + "\\move" + kShiftedAfter + "\\rmove" + back + "\\savecurrpos" + kAfter +
           "\\esegment\\move" + kAfter + '\n';
}

bool CRawTeXFigure::IntersectsRect(const CRect& rect, double zoom) const {
    for (const auto& path : m_shownPaths) {
        const std::vector<CDoublePoint> px = PixelPath(path, m_ptMoved, zoom, {});
        if (px.size() == 1 && SegmentInRect(px[0].ToPoint(), px[0].ToPoint(), rect))
            return true;
        for (std::size_t i = 1; i < px.size(); ++i)
            if (SegmentInRect(px[i - 1].ToPoint(), px[i].ToPoint(), rect))
                return true;
    }
    return std::any_of(m_shownTexts.begin(), m_shownTexts.end(), [&](const CShownText& t) {
        return WithLabel(t, m_ptMoved,
                         [&](const CLabel& l) { return l.IntersectsRect(rect, zoom); });
    });
}

bool CRawTeXFigure::HitTest(CPoint pt, double zoom) const {
    for (const auto& path : m_shownPaths)
        if (DistanceToPath(PixelPath(path, m_ptMoved, zoom, {}), AsDouble(pt)) <= 3.0)
            return true;
    return std::any_of(m_shownTexts.begin(), m_shownTexts.end(), [&](const CShownText& t) {
        return WithLabel(t, m_ptMoved, [&](const CLabel& l) { return l.HitTest(pt, zoom); });
    });
}
