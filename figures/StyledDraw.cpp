#include "figures/StyledDraw.h"

#include <algorithm>
#include <cmath>

namespace {

// A pixel point rounded by the one rule, pinned into the int range.
CPoint Px(CDoublePoint p) {
    return p.ToPoint();
}

double Length(CDoublePoint v) {
    return std::sqrt(v.x * v.x + v.y * v.y);
}

bool IsFinite(CDoublePoint p) {
    return std::isfinite(p.x) && std::isfinite(p.y);
}

// A box round every pixel that a line of the given width between the two points can set.
CRect PieceBox(CDoublePoint a, CDoublePoint b, int width) {
    const double m = width + 3.0;
    const auto pin = [](double v) { return static_cast<int>(std::clamp(v, -2.0e9, 2.0e9)); };
    return {pin(std::floor(std::min(a.x, b.x) - m)), pin(std::floor(std::min(a.y, b.y) - m)),
            pin(std::ceil(std::max(a.x, b.x) + m) + 1), pin(std::ceil(std::max(a.y, b.y) + m) + 1)};
}

// Far beyond any window: a path this far out of sight is not worth walking in dashes.
constexpr double kMaxDashedLength = 1.0e6;

} // namespace

COLORREF GreyColor(double grey) {
    const int g = std::clamp(RoundHalf(255.0 * grey), 0, 255);
    return RGB(g, g, g);
}

CStyledPen MakeStyledPen(const CStyle& style, const std::vector<double>& pattern, double zoom) {
    CStyledPen pen;
    // Never thinner than a pixel, so a hairline still shows.
    pen.width = std::max(1, RoundHalf(style.dLineWidth * zoom));
    pen.color = GreyColor(style.dLineGrey);
    for (double v : pattern)
        pen.dashes.push_back(v * zoom);
    return pen;
}

void StrokePath(CDrawSurface& dc, const std::vector<CDoublePoint>& path, const CStyledPen& pen) {
    if (path.size() < 2)
        return;
    const CPen solid{EPenStyle::Solid, pen.width, pen.color};
    // The pieces' ends, two a piece, handed to the surface at once: a wide pen's pieces overlap,
    // and the surface may set each pixel of the path once.
    thread_local std::vector<CPoint> ends;
    ends.clear();
    double cycle = 0.0;
    for (double d : pen.dashes)
        cycle += d;
    double total = 0.0; // the path's length, which only a pattern needs
    if (cycle > 0.0)
        for (std::size_t i = 1; i < path.size(); ++i)
            total += Length(path[i] - path[i - 1]);
    if (pen.dashes.empty() || !(cycle > 0.0) || !(total / cycle < kMaxDashedLength)) {
        for (std::size_t i = 1; i < path.size(); ++i)
            if (IsFinite(path[i - 1]) && IsFinite(path[i])) {
                ends.push_back(Px(path[i - 1]));
                ends.push_back(Px(path[i]));
            }
        dc.Lines(ends, solid);
        return;
    }
    std::size_t dash = 0;        // which length of the pattern is running
    double left = pen.dashes[0]; // how much of it is left
    for (std::size_t i = 1; i < path.size(); ++i) {
        const CDoublePoint a = path[i - 1], b = path[i];
        const double len = Length(b - a);
        if (!(len > 0.0) || !std::isfinite(len))
            continue;
        // A piece whose dashes would not be seen only moves the pattern on.
        const bool unseen = dc.Misses(PieceBox(a, b, pen.width));
        double at = 0.0;
        while (at < len) {
            const double step = std::min(left, len - at);
            if (dash % 2 == 0 && !unseen) {
                const CPoint from = Px(a + (b - a) * (at / len));
                CPoint to = Px(a + (b - a) * ((at + step) / len));
                // A dash shorter than a pixel (a dot) still shows as one.
                if (to == from)
                    to.x += 1;
                ends.push_back(from);
                ends.push_back(to);
            }
            at += step;
            left -= step;
            if (left <= 1e-9) {
                dash = (dash + 1) % pen.dashes.size();
                left = pen.dashes[dash];
            }
        }
    }
    dc.Lines(ends, solid);
}

void FillPath(CDrawSurface& dc, const std::vector<CDoublePoint>& path, COLORREF color) {
    if (path.size() < 3)
        return;
    std::vector<CPoint> points;
    points.reserve(path.size());
    for (const CDoublePoint& p : path) {
        if (!IsFinite(p))
            return;
        points.push_back(Px(p));
    }
    dc.FillPolygon(points, color);
}

void AppendBezierPoints(std::vector<CDoublePoint>& out, CDoublePoint p0, CDoublePoint p1,
                        CDoublePoint p2, CDoublePoint p3) {
    const double hull = Length(p1 - p0) + Length(p2 - p1) + Length(p3 - p2);
    const int steps = std::isfinite(hull) ? std::clamp(static_cast<int>(hull / 4.0), 4, 256) : 4;
    if (out.empty())
        out.push_back(p0);
    for (int i = 1; i <= steps; ++i) {
        const double t = double(i) / steps, u = 1.0 - t;
        out.push_back(p0 * (u * u * u) + p1 * (3 * u * u * t) + p2 * (3 * u * t * t) +
                      p3 * (t * t * t));
    }
}

CDoublePoint DrawArrowHead(CDrawSurface& dc, CDoublePoint tip, CDoublePoint from,
                           const CStyle& style, double zoom, const CStyledPen& pen) {
    const CDoublePoint v = tip - from;
    const double len = Length(v);
    if (!(len > 0.0) || !std::isfinite(len))
        return tip; // no direction to point the head along
    const CDoublePoint dir = v * (1.0 / len);
    const CDoublePoint normal{-dir.y, dir.x};
    const CDoublePoint base = tip - dir * (style.dHeadLength * zoom);
    const double half = 0.5 * style.dHeadWidth * zoom;
    const CDoublePoint w1 = base + normal * half, w2 = base - normal * half;
    CStyledPen solid = pen;
    solid.dashes.clear(); // heads are drawn whole, as the line's pattern leaves them
    switch (style.cHeadType) {
    case 'F':
        FillPath(dc, {w1, tip, w2}, pen.color);
        return base;
    case 'W':
        FillPath(dc, {w1, tip, w2}, RGB(255, 255, 255));
        StrokePath(dc, {w1, tip, w2, w1}, solid);
        return base;
    case 'T':
        StrokePath(dc, {w1, tip, w2, w1}, solid);
        return base;
    case 'V':
        StrokePath(dc, {w1, tip, w2}, solid);
        return tip;
    default: // 'H'
        StrokePath(dc, {w1, tip, w2}, solid);
        return base;
    }
}

CDoublePoint ArrowShaftEnd(CDoublePoint tip, CDoublePoint from, const CStyle& style, double zoom) {
    const CDoublePoint v = tip - from;
    const double len = Length(v);
    if (!(len > 0.0) || !std::isfinite(len) || style.cHeadType == 'V')
        return tip;
    // A head longer than the line leaves no line at all.
    const double back = std::min(style.dHeadLength * zoom, len);
    return tip - v * (back / len);
}

bool IsInsidePolygon(const std::vector<CDoublePoint>& polygon, CDoublePoint p) {
    bool inside = false;
    for (std::size_t i = 0, j = polygon.size() - 1; i < polygon.size(); j = i++) {
        const CDoublePoint a = polygon[i], b = polygon[j];
        if ((a.y > p.y) != (b.y > p.y) && p.x < (b.x - a.x) * (p.y - a.y) / (b.y - a.y) + a.x)
            inside = !inside;
    }
    return inside;
}

double DistanceToPath(const std::vector<CDoublePoint>& path, CDoublePoint p) {
    double best = INFINITY;
    for (std::size_t i = 1; i < path.size(); ++i) {
        const CDoublePoint a = path[i - 1], d = path[i] - a;
        const double dd = d.x * d.x + d.y * d.y;
        double t = dd > 0.0 ? ((p.x - a.x) * d.x + (p.y - a.y) * d.y) / dd : 0.0;
        t = std::clamp(t, 0.0, 1.0);
        best = std::min(best, Length(a + d * t - p));
    }
    if (path.size() == 1)
        best = Length(path[0] - p);
    return best;
}
