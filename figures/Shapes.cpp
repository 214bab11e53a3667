#include "figures/Shapes.h"

#include "figures/StyleTeX.h"
#include "figures/StyledDraw.h"
#include "figures/TeXFormat.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr double kRadiansPerDegree = std::numbers::pi / 180.0;
// No radius reaches beyond the page's reach twice over: whatever is drawn stays writable.
constexpr double kMaxRadius = 2.0 * kPageReach;

double Radius(double v) {
    return std::isfinite(v) ? std::min(WrittenLength(std::fabs(v)), kMaxRadius) : 0.0;
}

// An angle in whole degrees within [0, 360).
double WholeDegrees(double degrees) {
    double a = std::fmod(std::nearbyint(degrees), 360.0);
    if (a < 0.0)
        a += 360.0;
    return a == 0.0 ? 0.0 : a; // never -0
}

void Radii(std::string& s, const char* command, const CRoundFigure& f, const char* fill) {
    s += command;
    if (fill) {
        s += fill;
        s += ' ';
    }
    s += "rx:";
    AppendTeXNumber(s, 0.01 * f.m_dRadiusX);
    s += " ry:";
    AppendTeXNumber(s, 0.01 * f.m_dRadiusY);
    s += '\n';
}

std::string FillArg(double grey) {
    std::string s = "f:";
    AppendTeXNumber(s, grey);
    return s;
}

void Move(std::string& s, const CDoublePoint& p) {
    s += "\\move";
    AppendTeXPoint(s, p);
    s += '\n';
}

} // namespace

// --- CRoundFigure

bool CRoundFigure::HasSameOwnState(const CFigure& other) const {
    const auto* o = dynamic_cast<const CRoundFigure*>(&other);
    return o && SameBits(m_dRadiusX, o->m_dRadiusX) && SameBits(m_dRadiusY, o->m_dRadiusY) &&
           CFigure::HasSameOwnState(other);
}

void CRoundFigure::CopyFrom(const CFigure& src) {
    if (const auto* r = dynamic_cast<const CRoundFigure*>(&src)) {
        m_dRadiusX = r->m_dRadiusX;
        m_dRadiusY = r->m_dRadiusY;
    }
    CFigure::CopyFrom(src);
}

void CRoundFigure::SetPoints(int x1, int y1, int x2, int y2, double zoom) {
    const CDoublePoint c = ToPageUnits(x1, y1, zoom);
    if (!IsWithinReach(c))
        return;
    m_pt1 = m_pt2 = c;
    SetRadiusFrom(kHandleEnd, ToPageUnits(x2, y2, zoom) - c);
}

void CRoundFigure::SetRadiusFrom(int, CDoublePoint v) {
    m_dRadiusX = m_dRadiusY = Radius(std::hypot(v.x, v.y));
}

// A handle dragged onto the centre leaves the radius it had: only the drag that makes the figure
// may end without one (and then makes none).
void CRoundFigure::SetHandlePoint(int handle, int x, int y, double zoom) {
    const std::vector<int> handles = Handles();
    if (std::find(handles.begin(), handles.end(), handle) == handles.end())
        return;
    const double rx = m_dRadiusX, ry = m_dRadiusY;
    SetRadiusFrom(handle, ToPageUnits(x, y, zoom) - m_pt1);
    if ((m_dRadiusX == 0.0 || m_dRadiusY == 0.0) && rx > 0.0 && ry > 0.0) {
        m_dRadiusX = rx;
        m_dRadiusY = ry;
    }
}

CDoublePoint CRoundFigure::PointAt(double degrees) const {
    const double a = degrees * kRadiansPerDegree;
    return m_pt1 + CDoublePoint{m_dRadiusX * std::cos(a), -m_dRadiusY * std::sin(a)};
}

CPoint CRoundFigure::GetHandlePoint(int handle, double zoom) const {
    switch (handle) {
    case kHandleRight:
        return ToPixel(m_pt1 + CDoublePoint{m_dRadiusX, 0.0}, zoom);
    case kHandleBottom:
        return ToPixel(m_pt1 + CDoublePoint{0.0, m_dRadiusY}, zoom);
    case kHandleEnd:
        // The circle's radius handle lies on its outline; the ellipse's on its box's corner.
        return ToPixel(
            m_pt1 + CDoublePoint{m_dRadiusX, m_strType == kTypeCircle ? 0.0 : m_dRadiusY}, zoom);
    default:
        return ToPixel(m_pt1, zoom);
    }
}

int CRoundFigure::HitTestHandles(CPoint pt, double zoom) const {
    int hit = kHandleNone;
    for (int h : Handles())
        if (GetHandleRect(h, zoom).Contains(pt))
            hit = h;
    return hit;
}

std::vector<CDoublePoint> CRoundFigure::GetOutline(double zoom, CDoublePoint d) const {
    const CDoublePoint c = AsDouble(ToPixel(m_pt1, zoom)) + d;
    const double rx = m_dRadiusX * zoom, ry = m_dRadiusY * zoom;
    const double from = StartDegrees(), sweep = EndDegrees() - from;
    // Pieces of about three pixels: closer to the curve than a pixel.
    const double length = sweep * kRadiansPerDegree * std::max(rx, ry);
    const int n = std::isfinite(length) ? std::clamp(static_cast<int>(length / 3.0), 8, 4096) : 8;
    std::vector<CDoublePoint> path;
    path.reserve(static_cast<std::size_t>(n) + 1);
    for (int i = 0; i <= n; ++i) {
        const double a = (from + sweep * i / n) * kRadiansPerDegree;
        path.push_back(c + CDoublePoint{rx * std::cos(a), -ry * std::sin(a)});
    }
    if (IsClosed())
        path.back() = path.front();
    return path;
}

void CRoundFigure::Draw(CDrawSurface& dc, double zoom, int dx, int dy) const {
    const std::vector<CDoublePoint> path = GetOutline(zoom, AsDouble({dx, dy}));
    if (IsClosed() && m_style.fillGrey) {
        FillPath(dc, path, GreyColor(*m_style.fillGrey));
        if (!m_style.HasOutline()) {
            // A disc too small to cover a pixel's centre still shows as its centre pixel.
            if (std::min(m_dRadiusX, m_dRadiusY) * zoom < 1.0) {
                const CPoint c = ToPixel(m_pt1, zoom);
                dc.SetPixel({c.x + dx, c.y + dy}, GreyColor(*m_style.fillGrey));
            }
            return;
        }
    }
    StrokePath(dc, path, MakeStyledPen(m_style, GetLinePattern(), zoom));
}

void CRoundFigure::DrawHandles(CDrawSurface& dc, double zoom, int dx, int dy) const {
    const CPen black{EPenStyle::Solid, 1, 0};
    for (int h : Handles())
        dc.Rectangle(GetHandleRect(h, zoom).Offset(dx, dy), black, kHandleFillColor);
}

CRect CRoundFigure::GetBoundingRect(double zoom) const {
    const CPoint a = ToPixel(m_pt1 - CDoublePoint{m_dRadiusX, m_dRadiusY}, zoom);
    const CPoint b = ToPixel(m_pt1 + CDoublePoint{m_dRadiusX, m_dRadiusY}, zoom);
    return {a.x, a.y, b.x, b.y};
}

bool CRoundFigure::IntersectsRect(const CRect& rect, double zoom) const {
    const std::vector<CDoublePoint> path = GetOutline(zoom, {});
    for (std::size_t i = 1; i < path.size(); ++i)
        if (SegmentInRect(path[i - 1].ToPoint(), path[i].ToPoint(), rect))
            return true;
    return false;
}

bool CRoundFigure::HitTest(CPoint pt, double zoom) const {
    const std::vector<CDoublePoint> path = GetOutline(zoom, {});
    const double reach = std::max(3.0, 0.5 * m_style.dLineWidth * zoom);
    if (DistanceToPath(path, AsDouble(pt)) <= reach)
        return true;
    return IsClosed() && m_style.fillGrey && IsInsidePolygon(path, AsDouble(pt));
}

bool CRoundFigure::SnapToKeyPoint(CPoint& pt, double zoom) const {
    const int t = RoundHalf(zoom * 16);
    for (double a : {-1.0, 0.0, 90.0, 180.0, 270.0}) {
        const CPoint k = ToPixel(a < 0.0 ? m_pt1 : PointAt(a), zoom);
        if (std::hypot(double(k.x) - pt.x, double(k.y) - pt.y) <= t) {
            pt = k;
            return true;
        }
    }
    return false;
}

// The centre places the figure; the box's corners are there for the moves that keep a
// selection within reach.
int CRoundFigure::ReadPoints(CDoublePoint* out) const {
    out[0] = m_pt1;
    out[1] = m_pt1 - CDoublePoint{m_dRadiusX, m_dRadiusY};
    out[2] = m_pt1 + CDoublePoint{m_dRadiusX, m_dRadiusY};
    return 3;
}

void CRoundFigure::WritePoints(const CDoublePoint* in) {
    m_pt1 = m_pt2 = in[0];
}

std::string CRoundFigure::WhyNotDrawable() const {
    if (m_dRadiusX > 0.0 && m_dRadiusY > 0.0)
        return {};
    return "No " + GetFigureUserName(*this) + " was drawn: its radius is zero";
}

// --- CCircle

std::unique_ptr<CFigure> CCircle::Clone() const {
    auto copy = std::make_unique<CCircle>();
    copy->CopyFrom(*this);
    return copy;
}

void CCircle::AppendTeX(std::string& s) const {
    // One still being dragged out from its centre is no figure of the drawing yet.
    if (!WhyNotDrawable().empty())
        return;
    s += "\n%begin circle\n";
    AppendStylePrologue(s, *this);
    Move(s, m_pt1);
    if (m_style.fillGrey) {
        s += "\\fcir " + FillArg(*m_style.fillGrey) + " r:";
        AppendTeXNumber(s, 0.01 * m_dRadiusX);
        s += '\n';
    }
    if (m_style.HasOutline()) {
        s += "\\lcir r:";
        AppendTeXNumber(s, 0.01 * m_dRadiusX);
        s += '\n';
    }
    AppendStyleEpilogue(s, *this);
    s += "%end circle\n";
}

// --- CAxisEllipse

std::unique_ptr<CFigure> CAxisEllipse::Clone() const {
    auto copy = std::make_unique<CAxisEllipse>();
    copy->CopyFrom(*this);
    return copy;
}

void CAxisEllipse::SetRadiusFrom(int handle, CDoublePoint v) {
    if (handle != kHandleBottom)
        m_dRadiusX = Radius(v.x);
    if (handle != kHandleRight)
        m_dRadiusY = Radius(v.y);
}

void CAxisEllipse::AppendTeX(std::string& s) const {
    // One still being dragged out from its centre is no figure of the drawing yet.
    if (!WhyNotDrawable().empty())
        return;
    s += "\n%begin ellip\n";
    AppendStylePrologue(s, *this);
    Move(s, m_pt1);
    if (m_style.fillGrey) {
        const std::string fill = FillArg(*m_style.fillGrey);
        Radii(s, "\\fellip ", *this, fill.c_str());
    }
    if (m_style.HasOutline())
        Radii(s, "\\lellip ", *this, nullptr);
    AppendStyleEpilogue(s, *this);
    s += "%end ellip\n";
}

// --- CArc

std::unique_ptr<CFigure> CArc::Clone() const {
    auto copy = std::make_unique<CArc>();
    copy->CopyFrom(*this);
    return copy;
}

void CArc::CopyFrom(const CFigure& src) {
    if (const auto* a = dynamic_cast<const CArc*>(&src)) {
        m_dStartAngle = a->m_dStartAngle;
        m_dEndAngle = a->m_dEndAngle;
    }
    CRoundFigure::CopyFrom(src);
}

// PostScript's arc runs counterclockwise from the start to the first end angle past it.
double CArc::EndDegrees() const {
    double e = m_dEndAngle;
    while (e <= m_dStartAngle)
        e += 360.0;
    return e;
}

void CArc::SetHandlePoint(int handle, int x, int y, double zoom) {
    if (handle != kHandleArcStart && handle != kHandleArcEnd)
        return CRoundFigure::SetHandlePoint(handle, x, y, zoom);
    const CDoublePoint v = ToPageUnits(x, y, zoom) - m_pt1;
    if (v.x == 0.0 && v.y == 0.0)
        return; // on the centre: no direction
    const double a = WholeDegrees(std::atan2(-v.y, v.x) / kRadiansPerDegree);
    // An arc whose ends meet would draw nothing; that end stays where it was.
    double& moved = handle == kHandleArcStart ? m_dStartAngle : m_dEndAngle;
    const double other = handle == kHandleArcStart ? m_dEndAngle : m_dStartAngle;
    if (a != other)
        moved = a;
}

CPoint CArc::GetHandlePoint(int handle, double zoom) const {
    switch (handle) {
    case kHandleArcStart:
        return ToPixel(PointAt(m_dStartAngle), zoom);
    case kHandleArcEnd:
        return ToPixel(PointAt(m_dEndAngle), zoom);
    case kHandleEnd:
        return ToPixel(PointAt(0.5 * (StartDegrees() + EndDegrees())), zoom);
    default:
        return CRoundFigure::GetHandlePoint(handle, zoom);
    }
}

bool CArc::SnapToKeyPoint(CPoint& pt, double zoom) const {
    const int t = RoundHalf(zoom * 16);
    std::vector<CDoublePoint> keys{m_pt1, PointAt(m_dStartAngle), PointAt(m_dEndAngle)};
    for (double a : {90.0, 180.0, 270.0, 360.0, 450.0, 540.0, 630.0})
        if (a > StartDegrees() && a < EndDegrees())
            keys.push_back(PointAt(a));
    for (const CDoublePoint& key : keys) {
        const CPoint k = ToPixel(key, zoom);
        if (std::hypot(double(k.x) - pt.x, double(k.y) - pt.y) <= t) {
            pt = k;
            return true;
        }
    }
    return false;
}

void CArc::AppendTeX(std::string& s) const {
    // One still being dragged out from its centre is no figure of the drawing yet.
    if (!WhyNotDrawable().empty())
        return;
    s += "\n%begin arc\n";
    AppendStylePrologue(s, *this);
    Move(s, m_pt1);
    s += "\\larc r:";
    AppendTeXNumber(s, 0.01 * m_dRadiusX);
    s += " sd:";
    AppendTeXNumber(s, m_dStartAngle);
    s += " ed:";
    AppendTeXNumber(s, m_dEndAngle);
    s += '\n';
    AppendStyleEpilogue(s, *this);
    s += "%end arc\n";
}
