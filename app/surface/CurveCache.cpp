#include "app/surface/CurveCache.h"

#include "app/surface/FootprintCache.h"
#include "figures/SegmentWalk.h"

#include <QPolygonF>

#include <algorithm>
#include <array>
#include <cstdlib>

CCurveCache::CEntry& CCurveCache::Get(const std::vector<CPoint>& points) {
    const auto [it, added] = m_map.try_emplace(points);
    if (added) {
        Flatten(points, it->second);
        m_nPoints += points.size() + it->second.pixels.size();
    }
    return it->second;
}

CCurveCache::CEntry& CCurveCache::GetLines(const std::vector<CPoint>& ends) {
    const auto [it, added] = m_lines.try_emplace(ends);
    if (added) {
        CEntry& e = it->second;
        for (size_t i = 0; i + 1 < ends.size(); i += 2) {
            if (e.pixels.empty() || e.pixels.back() != ends[i]) {
                if (!e.pixels.empty())
                    e.breaks.push_back(e.pixels.size());
                e.pixels.push_back(ends[i]);
            }
            e.pixels.push_back(ends[i + 1]);
        }
        e.pixels.shrink_to_fit();
        m_nPoints += ends.size() + e.pixels.size();
    }
    return it->second;
}

void CCurveCache::Trim() {
    if (m_nPoints <= m_nMaxPoints)
        return;
    m_map.clear();
    m_lines.clear();
    m_nPoints = 0;
    ++m_nDrops;
}

void CCurveCache::Flatten(const std::vector<CPoint>& points, CEntry& e) {
    m_path.clear();
    m_path.moveTo(points[0].x, points[0].y);
    for (size_t i = 1; i + 2 < points.size(); i += 3)
        m_path.cubicTo(points[i].x, points[i].y, points[i + 1].x, points[i + 1].y, points[i + 2].x,
                       points[i + 2].y);
    for (const QPolygonF& poly : m_path.toSubpathPolygons()) {
        if (!e.pixels.empty())
            e.breaks.push_back(e.pixels.size());
        const size_t start = e.pixels.size();
        for (const QPointF& q : poly) {
            const CPoint p{RoundHalf(q.x()), RoundHalf(q.y())};
            if (e.pixels.size() == start || e.pixels.back() != p)
                e.pixels.push_back(p);
        }
    }
    e.pixels.shrink_to_fit();
}

const CCurveCache::CWalk* CCurveCache::Walk(CEntry& e, bool dotted, qsizetype stride) {
    for (const CWalk& w : e.walks)
        if (w.dotted == dotted && w.stride == stride)
            return w.usable ? &w : nullptr;
    CWalk& w = e.walks.emplace_back();
    w.dotted = dotted;
    w.stride = stride;
    MakeWalk(e, w);
    m_nPoints += w.offsets.size() / 2 + 1;
    return w.usable ? &w : nullptr;
}

void CCurveCache::MakeWalk(const CEntry& e, CWalk& w) {
    const qsizetype stride = w.stride;
    std::vector<CPoint> points;
    e.ForEachPiece([&](CPoint a, CPoint b) {
        const CSegmentWalk walk(a, b);
        walk.Visit(0, walk.Count(), [&](CPoint p, long long i) {
            if (!w.dotted || i % 2 == 0)
                points.push_back(p);
        });
    });
    if (points.empty())
        return;
    w.first = points[0];
    w.left = w.right = w.first.x;
    w.top = w.bottom = w.first.y;
    for (const CPoint p : points) {
        w.left = std::min<long long>(w.left, p.x);
        w.right = std::max<long long>(w.right, p.x + 1LL);
        w.top = std::min<long long>(w.top, p.y);
        w.bottom = std::max<long long>(w.bottom, p.y + 1LL);
    }
    if ((w.bottom - w.top) * (stride + 1) + (w.right - w.left) >= (1LL << 30))
        return;
    w.offsets.reserve(points.size());
    for (const CPoint p : points)
        w.offsets.push_back(
            static_cast<std::int32_t>((p.y - 0LL - w.first.y) * stride + (p.x - 0LL - w.first.x)));
    w.usable = true;
}

const CCurveCache::CWide& CCurveCache::Wide(CEntry& e, const CPen& pen, const CScale& scale,
                                            CFootprintCache& footprints) {
    for (const CWide& w : e.wides)
        if (w.width == pen.width && w.ratio == scale.ratio)
            return w;
    CWide& w = e.wides.emplace_back();
    w.width = pen.width;
    w.ratio = scale.ratio;
    const long long unit = scale.PeriodPixels(); // device pixels a unit
    ++m_nPoints;
    if (e.pixels.empty())
        return w;
    const CPoint p0 = e.pixels[0];
    // Relative to p0, as [y, left, right) spans; everything stays near p0 or the curve is left to
    // the pieces.
    constexpr long long kFar = 1LL << 29;
    std::vector<std::array<long long, 3>> spans;
    bool served = true;
    e.ForEachPiece([&](CPoint a, CPoint b) {
        const long long dx = b.x - 0LL - a.x, dy = b.y - 0LL - a.y;
        const long long ax = a.x - 0LL - p0.x, ay = a.y - 0LL - p0.y;
        if (!served || std::llabs(dx) > CFootprintCache::kMaxExtent ||
            std::llabs(dy) > CFootprintCache::kMaxExtent || std::llabs(ax) > kFar ||
            std::llabs(ay) > kFar) {
            served = false;
            return;
        }
        const CFootprintView f = footprints.Get(int(dx), int(dy), pen, scale);
        served = f.usable;
        for (size_t i = 0; served && i < f.count; ++i) {
            const long long x = ax * unit + f.rows[i].left;
            spans.push_back(
                {ay * unit + f.top + static_cast<long long>(i), x, x + f.rows[i].count});
        }
    });
    if (!served || spans.empty())
        return w;
    std::sort(spans.begin(), spans.end());
    for (const auto& [y, lo, hi] : spans) {
        if (!w.runs.empty() && w.runs.back().y == y &&
            lo <= w.runs.back().x + w.runs.back().count) {
            CWide::CRun& last = w.runs.back();
            last.count = std::max<int>(last.count, int(hi - last.x));
        } else {
            w.runs.push_back({int(y), int(lo), int(hi - lo)});
        }
    }
    w.runs.shrink_to_fit();
    w.left = w.right = w.runs[0].x;
    w.top = w.runs.front().y;
    w.bottom = w.runs.back().y + 1LL;
    for (const CWide::CRun& r : w.runs) {
        w.left = std::min<long long>(w.left, r.x);
        w.right = std::max<long long>(w.right, r.x + 0LL + r.count);
    }
    w.pointsLeft = w.pointsRight = w.pointsTop = w.pointsBottom = 0;
    for (const CPoint p : e.pixels) {
        w.pointsLeft = std::min(w.pointsLeft, p.x - 0LL - p0.x);
        w.pointsRight = std::max(w.pointsRight, p.x - 0LL - p0.x);
        w.pointsTop = std::min(w.pointsTop, p.y - 0LL - p0.y);
        w.pointsBottom = std::max(w.pointsBottom, p.y - 0LL - p0.y);
    }
    w.usable = true;
    m_nPoints += w.runs.size();
    return w;
}
