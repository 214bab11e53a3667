#include "texdraw/FrameRecovery.h"

#include "figures/Ellipse.h"
#include "figures/TeXFormat.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace texdraw_reader {

namespace {

// Frames whose edge midpoints are top, right, bottom and left: the axis-parallel frame when the
// midpoints allow one (exact for every box figure), then the parallelogram through them.
void FramesFromMidpoints(CDoublePoint t, CDoublePoint r, CDoublePoint b, CDoublePoint l,
                         std::vector<CFrame>& out) {
    if (t.x == b.x && l.y == r.y)
        out.push_back({{l.x, t.y}, {r.x, t.y}, {r.x, b.y}, {l.x, b.y}});
    const CDoublePoint o = (t + r + b + l) * 0.25;
    out.push_back({l + t - o, t + r - o, r + b - o, l + b - o});
}

// A stored value that the blocks' rounding (int)(v + 0.5), toward zero, turns into n.
double UnroundedValue(int n) {
    return n >= 0 ? double(n) : double(n) - 1.0;
}

CDoublePoint Double(CPoint p) {
    return {double(p.x), double(p.y)};
}

// How far the arcs of the frame's ellipse lie from the arcs read, summed over all coordinates.
long long EllipseMiss(const std::array<CPoint, 4>& c, const std::array<CPoint, 13>& q) {
    const auto e = MakeEllipseBezier(c[0], c[1], c[2], c[3]);
    long long miss = 0;
    for (int i = 0; i < 13; ++i)
        miss += std::llabs(static_cast<long long>(e[i].x) - q[i].x) +
                std::llabs(static_cast<long long>(e[i].y) - q[i].y);
    return miss;
}

// The middle of two whole values as the ellipse construction rounds it.
int Mid(int a, int b) {
    return RoundHalf((double(a) + b) * 0.5);
}

// The values c with Mid(a, c) == m.
int Partners(int a, int m, std::array<int, 4>& out) {
    int n = 0;
    for (int s = 2 * m - 2; s <= 2 * m + 1; ++s)
        if (Mid(a, s - a) == m)
            out[n++] = s - a;
    return n;
}

// The arms u (along the left edge) and v (along the top edge) that an ellipse with the edge
// midpoints q[0], q[3], q[6] and q[9] needs to give exactly the arcs read; empty when no arms
// give them (MakeEllipseBezier builds every arc from those midpoints and the two arms).
std::optional<std::pair<CPoint, CPoint>> ArmsOfArcs(const std::array<CPoint, 13>& q) {
    const CPoint l = q[0], t = q[3], r = q[6], b = q[9];
    const CPoint u = q[1] - l, v = t - q[2];
    if (q[4] == t + v && q[5] == r + u && q[7] == r - u && q[8] == b + v && q[10] == b - v &&
        q[11] == l - u && q[12] == l)
        return std::pair{u, v};
    return std::nullopt;
}

// Whether the ellipse of the frame c (corners in the order of MakeEllipseBezier) gives exactly
// the arcs q, whose arms are `arms`: EllipseMiss(c, q) == 0, without building the arcs.
bool GivesArcs(const std::array<CPoint, 4>& c, const std::array<CPoint, 13>& q,
               const std::pair<CPoint, CPoint>& arms) {
    const auto mid = [](CPoint a, CPoint b) { return CPoint{Mid(a.x, b.x), Mid(a.y, b.y)}; };
    const CPoint l = mid(c[0], c[3]), t = mid(c[0], c[1]);
    if (l != q[0] || t != q[3] || mid(c[1], c[2]) != q[6] || mid(c[3], c[2]) != q[9])
        return false;
    const int kh = EllipseArmLength(EllipseSide(c[1], c[2]), EllipseSide(c[0], c[3]));
    if (EllipseArm(l, c[0], kh) != arms.first)
        return false;
    const int kw = EllipseArmLength(EllipseSide(c[0], c[1]), EllipseSide(c[3], c[2]));
    return EllipseArm(t, c[1], kw) == arms.second;
}

// The whole-unit frames whose ellipse has exactly the arcs read and whose first corner lies
// within two units of the estimate e (corners in the order of MakeEllipseBezier), the nearest few
// to e first. The midpoints fix each neighbour of a corner to a choice of two per axis; the
// candidates that meet all four midpoints are then checked arm by arm, the one along the left
// edge first, each side length worked out once for all candidates that share it.
std::vector<std::array<CPoint, 4>> ExactEllipseFrames(const std::array<CDoublePoint, 4>& e,
                                                      const std::array<CPoint, 13>& q) {
    const auto arms = ArmsOfArcs(q);
    if (!arms)
        return {};
    const auto [wantU, wantV] = *arms;
    const CPoint l = q[0], t = q[3], r = q[6], b = q[9];
    std::vector<std::pair<double, std::array<CPoint, 4>>> found;
    const CPoint e1 = Whole(e[0]);
    std::array<int, 4> x2s{}, y2s{}, x4s{}, y4s{}, x3s{}, y3s{};
    for (int dx = -2; dx <= 2; ++dx)
        for (int dy = -2; dy <= 2; ++dy) {
            const CPoint c1{e1.x + dx, e1.y + dy};
            const int nx2 = Partners(c1.x, t.x, x2s), ny2 = Partners(c1.y, t.y, y2s);
            const int nx4 = Partners(c1.x, l.x, x4s), ny4 = Partners(c1.y, l.y, y4s);
            std::array<double, 16> lefts{};
            for (int k = 0; k < nx4; ++k)
                for (int m = 0; m < ny4; ++m)
                    lefts[4 * k + m] = EllipseSide(c1, {x4s[k], y4s[m]});
            // The arm along the left edge for the last length asked, which repeats often.
            int lastKh = -1;
            CPoint lastU{};
            for (int i = 0; i < nx2; ++i)
                for (int j = 0; j < ny2; ++j) {
                    const CPoint c2{x2s[i], y2s[j]};
                    const int nx3 = Partners(c2.x, r.x, x3s), ny3 = Partners(c2.y, r.y, y3s);
                    const double top = EllipseSide(c1, c2);
                    std::array<double, 16> rights{};
                    for (int u = 0; u < nx3; ++u)
                        for (int v = 0; v < ny3; ++v)
                            rights[4 * u + v] = EllipseSide(c2, {x3s[u], y3s[v]});
                    for (int k = 0; k < nx4; ++k)
                        for (int m = 0; m < ny4; ++m) {
                            const CPoint c4{x4s[k], y4s[m]};
                            const double left = lefts[4 * k + m];
                            for (int u = 0; u < nx3; ++u)
                                for (int v = 0; v < ny3; ++v) {
                                    const CPoint c3{x3s[u], y3s[v]};
                                    if (Mid(c4.x, c3.x) != b.x || Mid(c4.y, c3.y) != b.y)
                                        continue;
                                    const int kh = EllipseArmLength(rights[4 * u + v], left);
                                    if (kh != lastKh) {
                                        lastKh = kh;
                                        lastU = EllipseArm(l, c1, kh);
                                    }
                                    if (lastU != wantU)
                                        continue;
                                    const int kw = EllipseArmLength(top, EllipseSide(c4, c3));
                                    if (EllipseArm(t, c2, kw) != wantV)
                                        continue;
                                    const std::array<CPoint, 4> c{c1, c2, c3, c4};
                                    double dist = 0;
                                    for (int z = 0; z < 4; ++z)
                                        dist += (c[z].x - e[z].x) * (c[z].x - e[z].x) +
                                                (c[z].y - e[z].y) * (c[z].y - e[z].y);
                                    found.push_back({dist, c});
                                }
                        }
                }
        }
    std::stable_sort(found.begin(), found.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<std::array<CPoint, 4>> frames;
    for (std::size_t i = 0; i < found.size() && i < 4; ++i)
        frames.push_back(found[i].second);
    return frames;
}

// The frame through the midpoints t, r, b (corners in the order of MakeEllipseBezier) that has
// its first corner at c1; empty when a corner would lie out of reach.
std::optional<std::array<CDoublePoint, 4>> FrameFrom(CDoublePoint c1, CDoublePoint t,
                                                     CDoublePoint r, CDoublePoint b) {
    const CDoublePoint c2 = t * 2.0 - c1, c3 = r * 2.0 - c2, c4 = b * 2.0 - c3;
    if (!IsWithinReach(c1) || !IsWithinReach(c2) || !IsWithinReach(c3) || !IsWithinReach(c4))
        return std::nullopt;
    return std::array<CDoublePoint, 4>{c1, c2, c3, c4};
}

// The first corner near start whose frame gives arcs nearest to those read, found in steps that
// halve from 256 units down to one.
CDoublePoint NearestFirstCorner(CDoublePoint start, CDoublePoint t, CDoublePoint r, CDoublePoint b,
                                const std::array<CPoint, 13>& q) {
    const auto miss = [&](CDoublePoint c1) {
        const auto f = FrameFrom(c1, t, r, b);
        return f ? EllipseMiss({Whole((*f)[0]), Whole((*f)[1]), Whole((*f)[2]), Whole((*f)[3])}, q)
                 : LLONG_MAX;
    };
    CDoublePoint best = start;
    long long bestMiss = miss(start);
    for (double step = 256; step >= 1; step *= 0.5)
        for (int round = 0; round < 16; ++round) {
            bool moved = false;
            for (const CDoublePoint d : {CDoublePoint{step, 0}, CDoublePoint{-step, 0},
                                         CDoublePoint{0, step}, CDoublePoint{0, -step}}) {
                const long long m = miss(best + d);
                if (m < bestMiss) {
                    bestMiss = m;
                    best = best + d;
                    moved = true;
                }
            }
            if (!moved)
                break;
        }
    return best;
}

// The whole-unit frame of the arcs read. The axis-parallel frame through the midpoints (when
// they allow one) is exact for every box figure on the page; otherwise the frame nearest to the
// parallelogram through the midpoints that gives exactly these arcs; failing that, the rounded
// parallelogram moved a unit at a time while that brings the arcs nearer.
// A text ellipse also tells its centre, which places the frame even when it is no parallelogram.
void FramesFromEllipse(const std::vector<CDoublePoint>& pts, const CDoublePoint* centre,
                       std::vector<CFrame>& out) {
    // Q0 and the three points of each arc; the \move before each arc repeats the last end.
    std::array<CPoint, 13> q{};
    q[0] = Whole(pts[0]);
    for (int arc = 0; arc < 4; ++arc)
        for (int i = 0; i < 3; ++i)
            q[1 + 3 * arc + i] = Whole(pts[4 * arc + 1 + i]);
    auto add = [&out](const std::array<CPoint, 4>& c) {
        out.push_back({Unrounded(c[0]), Unrounded(c[1]), Unrounded(c[2]), Unrounded(c[3])});
    };
    const CDoublePoint l = Double(q[0]), t = Double(q[3]), r = Double(q[6]), b = Double(q[9]);
    if (t.x == b.x && l.y == r.y) {
        // Midpoints of negative values round toward zero, so the edges may lie a unit or two
        // beyond them; and several frames can give the same arcs. The nearest few, nearest first
        // (a text's centre tells them apart).
        const CPoint lt = Whole({l.x, t.y}), rb = Whole({r.x, b.y});
        const auto arms = ArmsOfArcs(q);
        std::vector<std::pair<int, std::array<CPoint, 4>>> found;
        for (int x1 = lt.x - 2; x1 <= lt.x + 2; ++x1)
            for (int x2 = rb.x - 2; x2 <= rb.x + 2; ++x2)
                for (int y1 = lt.y - 2; y1 <= lt.y + 2; ++y1)
                    for (int y2 = rb.y - 2; y2 <= rb.y + 2; ++y2) {
                        const std::array<CPoint, 4> c{CPoint{x1, y1}, CPoint{x2, y1},
                                                      CPoint{x2, y2}, CPoint{x1, y2}};
                        if (arms && Mid(x1, x2) == t.x && Mid(y1, y2) == l.y &&
                            GivesArcs(c, q, *arms))
                            found.push_back({std::abs(x1 - lt.x) + std::abs(x2 - rb.x) +
                                                 std::abs(y1 - lt.y) + std::abs(y2 - rb.y),
                                             c});
                    }
        std::stable_sort(found.begin(), found.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        for (std::size_t i = 0; i < found.size() && i < 4; ++i)
            add(found[i].second);
        if (!found.empty())
            return;
    }
    const CDoublePoint o = (t + r + b + l) * 0.25;
    const std::array<CDoublePoint, 4> e{l + t - o, t + r - o, r + b - o, l + b - o};
    auto exact = ExactEllipseFrames(e, q);
    if (centre) {
        const CDoublePoint p1 = *centre + t - r;
        for (const auto& c :
             ExactEllipseFrames({p1, t * 2.0 - p1, *centre - t + r, l * 2.0 - p1}, q))
            exact.push_back(c);
    }
    if (exact.empty()) {
        // A frame that is no parallelogram (a collapsed frame dragged by one corner) is fixed by
        // its midpoints only together with its first corner. That corner lies where the arcs'
        // offsets along the left edge (Q1 - L) and the top edge (Q4 - T) point, or, on a
        // collapsed edge, on a midpoint or level with two of them.
        std::vector<CDoublePoint> starts{t, l, {l.x, t.y}, {t.x, l.y}};
        const auto x = IntersectLines(l, Double(q[1]) - l, t, Double(q[4]) - t);
        if (x && IsWithinReach(*x))
            starts.insert(starts.begin(), *x);
        for (const CDoublePoint& c1 : starts)
            if (const auto f = FrameFrom(c1, t, r, b); f && exact.empty())
                exact = ExactEllipseFrames(*f, q);
        // Failing that, the corner is searched for from each start.
        std::optional<std::array<CDoublePoint, 4>> nearest;
        for (const CDoublePoint& c1 : starts)
            if (const auto f = FrameFrom(NearestFirstCorner(c1, t, r, b, q), t, r, b);
                f && exact.empty()) {
                exact = ExactEllipseFrames(*f, q);
                if (!nearest)
                    nearest = f;
            }
        if (exact.empty() && nearest) {
            // The nearest frame found goes last, where the reader looks for a frame that is
            // near enough when none is exact.
            add({Whole((*nearest)[0]), Whole((*nearest)[1]), Whole((*nearest)[2]),
                 Whole((*nearest)[3])});
            return;
        }
    }
    for (const auto& c : exact)
        add(c);
    if (!exact.empty())
        return;
    std::array<CPoint, 4> c{Whole(e[0]), Whole(e[1]), Whole(e[2]), Whole(e[3])};
    long long best = EllipseMiss(c, q);
    for (int pass = 0; pass < 8 && best > 0; ++pass) {
        bool improved = false;
        for (int k = 0; k < 8; ++k)
            for (int step : {-1, 1}) {
                auto n = c;
                ((k & 1) ? n[k / 2].y : n[k / 2].x) += step;
                const long long miss = EllipseMiss(n, q);
                if (miss < best) {
                    best = miss;
                    c = n;
                    improved = true;
                }
            }
        if (!improved)
            break;
    }
    add(c);
}

// The candidate frames of a block's shape, most likely first.
std::vector<CFrame> ShapeFrames(EKind shape, const CBlockData& d, bool text) {
    std::vector<CFrame> frames;
    const auto& p = d.points;
    switch (shape) {
    case EKind::Rectangle: // A, E, A, D, B, D, B, E
        frames.push_back({p[0], p[3], p[4], p[1]});
        break;
    case EKind::Rhomb: // top, right, bottom, left, top
        FramesFromMidpoints(p[0], p[1], p[2], p[3], frames);
        break;
    case EKind::Ellipse: {
        const CDoublePoint centre{100.0 * d.texCentreX, -100.0 * d.texCentreY};
        FramesFromEllipse(p, text ? &centre : nullptr, frames);
    } break;
    default:
        break;
    }
    return frames;
}

// Values near a stored corner coordinate that its shape block writes the same way: the ellipse
// block rounds corners by (int)(v + 0.5), toward zero; the others write them with two decimals
// (sign -1 for y, which is written negated). Exact halves are among them: a drawing made at zoom
// 2 has corners on half units.
std::vector<double> SameWritten(EKind shape, double stored, double sign) {
    std::vector<double> values;
    const std::string written = FormatFixed2(sign * 0.01 * stored);
    for (double d : {0.0, -0.5, 0.5, -0.25, 0.25, -0.49, 0.49, -0.75, -1.0, -1.25, -1.49}) {
        const double v = stored + d;
        const bool same = shape == EKind::Ellipse ? RoundHalf(v) == RoundHalf(stored)
                                                  : FormatFixed2(sign * 0.01 * v) == written;
        if (same)
            values.push_back(v);
    }
    return values;
}

// Pairs (a', b') written as a and b are whose sum writes the centre coordinate as it was
// written (want); the pair (a, b) itself first when it does. A few are enough.
std::vector<std::pair<double, double>> CentredPairs(EKind shape, double a, double b,
                                                    std::string_view want, double sign) {
    std::vector<std::pair<double, double>> pairs;
    const auto as = SameWritten(shape, a, sign), bs = SameWritten(shape, b, sign);
    for (double a2 : as)
        for (double b2 : bs)
            if (pairs.size() < 4 && FormatFixed2(sign * 0.005 * (a2 + b2)) == want)
                pairs.push_back({a2, b2});
    return pairs;
}

// A text figure's centre is written from its stored corners, which its shape block gives only to
// whole units. Corners moved inside those units so that the centre comes out as written, too.
void AddCentredFrames(EKind shape, const CFrame& f, const CBlockData& d, std::vector<CFrame>& out) {
    const auto xs = CentredPairs(shape, f.p1.x, f.p2.x, d.centreX, 1.0);
    const auto ys = CentredPairs(shape, f.p1.y, f.p2.y, d.centreY, -1.0);
    for (const auto& [x1, x2] : xs)
        for (const auto& [y1, y2] : ys) {
            if (x1 == f.p1.x && x2 == f.p2.x && y1 == f.p1.y && y2 == f.p2.y)
                continue;
            // The corners that share a coordinate with m_pt1 or m_pt2 keep sharing it (the
            // rhomb's midpoints need that), or stay where they are (a zero's sign is written).
            CFrame n = f;
            n.p1 = {x1, y1};
            n.p2 = {x2, y2};
            out.push_back(n);
            n.p4.x = f.p4.x == f.p1.x ? x1 : f.p4.x == f.p2.x ? x2 : f.p4.x;
            n.p3.x = f.p3.x == f.p2.x ? x2 : f.p3.x == f.p1.x ? x1 : f.p3.x;
            n.p3.y = f.p3.y == f.p1.y ? y1 : f.p3.y == f.p2.y ? y2 : f.p3.y;
            n.p4.y = f.p4.y == f.p2.y ? y2 : f.p4.y == f.p1.y ? y1 : f.p4.y;
            out.push_back(n);
        }
}

} // namespace

CDoublePoint Unrounded(CPoint p) {
    return {UnroundedValue(p.x), UnroundedValue(p.y)};
}

CPoint Whole(CDoublePoint p) {
    return {static_cast<int>(std::nearbyint(p.x)), static_cast<int>(std::nearbyint(p.y))};
}

std::vector<CFrame> BlockFrames(const CBlockData& d) {
    const bool text = IsTextKind(d.kind);
    const EKind shape = ShapeOf(d.kind);
    // A block of fewer points than its shape is written with (pieces missing) has no frame.
    const std::size_t need = shape == EKind::Rectangle ? 5
                             : shape == EKind::Rhomb   ? 4
                             : shape == EKind::Ellipse ? 16
                                                       : 0;
    if (d.points.size() < need)
        return {};
    std::vector<CFrame> frames = ShapeFrames(shape, d, text);
    if (text) {
        const auto& p = d.points;
        const std::size_t n = frames.size();
        if (shape == EKind::Rhomb) {
            // A text rhomb's frame follows from its midpoints and its centre even when it is no
            // parallelogram (a frame squeezed flat and then dragged by a corner).
            const CDoublePoint c{200.0 * d.texCentreX * 0.5, -200.0 * d.texCentreY * 0.5};
            const CDoublePoint p1 = c + p[0] - p[1];
            const CDoublePoint p2 = c - p[0] + p[1];
            frames.push_back({p1, p[0] * 2.0 - p1, p2, p[3] * 2.0 - p1});
        }
        for (std::size_t i = 0; i < n; ++i) {
            const CFrame base = frames[i]; // frames grows below
            AddCentredFrames(shape, base, d, frames);
        }
    }
    return frames;
}

} // namespace texdraw_reader
