// CQuodra: snapping a point to key points, grid crossings and line intersections.
#include "canvas/Quodra.h"

#include <vector>

namespace {

bool IsCandidate(const CFigure& f) {
    return f.m_bSelectable && !f.m_bEditing;
}

// Distances in doubles: an intersection far off the page must not overflow an int difference.
bool WithinThreshold(CPoint pt, double x, double y, int r) {
    const double dx = x - pt.x;
    const double dy = y - pt.y;
    return dx * dx + dy * dy <= double(r) * r;
}

bool SnapToKeyPoints(const CFigureList& figures, CPoint& pt, double zoom) {
    for (int i = figures.GetCount() - 1; i >= 0; --i) {
        const CFigure* f = figures.GetAt(i);
        if (IsCandidate(*f) && f->SnapToKeyPoint(pt, zoom))
            return true;
    }
    return false;
}

// The grid lines lead the list: all vertical ones, then all horizontal ones. Crossings are tried
// column by column from the left, each column from the top; the first within r wins.
bool SnapToGrid(const CFigureList& figures, CPoint& pt, double zoom, int r) {
    int count = 0;
    int firstHoriz = -1;
    for (int i = 0; i < figures.GetCount(); ++i) {
        const CFigure* f = figures.GetAt(i);
        if (!f->IsGridLine())
            continue;
        ++count;
        if (firstHoriz < 0 && f->m_strTag == kHorizGridLineTag)
            firstHoriz = i;
    }
    if (firstHoriz <= 0)
        return false;
    std::vector<int> rows;
    for (int k = firstHoriz; k < count; ++k)
        rows.push_back(figures.GetAt(k)->GetHandlePoint(kHandleStart, zoom).y);
    for (int i = 0; i < firstHoriz; ++i) {
        const int x = figures.GetAt(i)->GetHandlePoint(kHandleStart, zoom).x;
        for (int y : rows) {
            if (WithinThreshold(pt, x, y, r)) {
                pt = {x, y};
                return true;
            }
        }
    }
    return false;
}

struct SLine {
    const CFigure* figure;
    CDoublePoint p; // handle 2
    CDoublePoint d; // handle 2 - handle 6
};

// Does the infinite line through p with direction d (not zero) pass within `limit` of pt?
bool PassesWithin(const SLine& line, CPoint pt, double limit) {
    const double cross = line.d.x * (pt.y - line.p.y) - line.d.y * (pt.x - line.p.x);
    return cross * cross <= limit * limit * (line.d.x * line.d.x + line.d.y * line.d.y);
}

// Every ordered pair of candidate lines, both from the topmost down; the first pair whose
// crossing (anywhere on the infinite lines) lies within r wins, not the nearest one.
// A crossing that snaps lies on both lines and, before it is rounded to a pixel (less than
// 1.5 pixels away), within r + 1.5 of the point; so only the lines that pass within r + 2 of the
// point can form such a pair, and the pairs are tried among those alone, in the same order.
// A line of zero length has no direction and crosses nothing.
bool SnapToIntersections(const CFigureList& figures, CPoint& pt, double zoom, int r) {
    std::vector<SLine> lines;
    std::vector<std::pair<CPoint, CPoint>> pieces;
    for (int i = figures.GetCount() - 1; i >= 0; --i) {
        const CFigure* f = figures.GetAt(i);
        if (!IsCandidate(*f))
            continue;
        pieces.clear();
        f->AppendSnapLines(pieces, zoom);
        for (const auto& [a, b] : pieces) {
            const SLine line{f, {double(a.x), double(a.y)}, {double(a.x) - b.x, double(a.y) - b.y}};
            if ((line.d.x != 0.0 || line.d.y != 0.0) && PassesWithin(line, pt, r + 2.0))
                lines.push_back(line);
        }
    }
    for (const SLine& n : lines) {
        for (const SLine& m : lines) {
            // Two pieces of one figure cross at their shared corner, which is a key point already.
            if (m.figure == n.figure)
                continue;
            const auto c = IntersectLines(n.p, n.d, m.p, m.d);
            if (!c)
                continue;
            const CPoint q = c->ToPoint();
            if (WithinThreshold(pt, q.x, q.y, r)) {
                pt = q;
                return true;
            }
        }
    }
    return false;
}

} // namespace

void CQuodra::Snap(CPoint& pt) const {
    const int r = RoundHalf(Zoom() * 16);
    if (m_bSnapKeyPoints)
        SnapToKeyPoints(m_figures, pt, Zoom());
    if (m_bSnapGrid)
        SnapToGrid(m_figures, pt, Zoom(), r);
    if (m_bSnapIntersections)
        SnapToIntersections(m_figures, pt, Zoom(), r);
}
