#include "app/surface/PainterCallCache.h"

#include <QPainter>
#include <QPolygonF>

#include <algorithm>
#include <climits>
#include <cmath>

const std::vector<CPainterCallCache::CRun>* CPainterCallCache::Get(const CCall& call) {
    CKeyHash hash(call.points.size());
    for (const QPointF& p : call.points) {
        hash.Add(p.x());
        hash.Add(p.y());
    }
    hash.Add(std::uint64_t(std::uint32_t(call.width)) << 2 | call.dotted << 1 | call.fill);
    hash.Add(CPoint{call.translation.x(), call.translation.y()});
    hash.Add(CPoint{call.device.width(), call.device.height()});
    hash.Add(call.ratio);
    const std::uint64_t h = hash.Value();
    CSlot& slot = m_front[(h * 0x9E3779B97F4A7C15ull) >> (64 - kFrontBits)];
    if (slot.entry && slot.key == h && slot.entry->call == call)
        return &slot.entry->runs;
    auto it = m_map.find(h);
    if (it != m_map.end()) {
        if (!(it->second.call == call))
            return nullptr; // another call with the same hash keeps its place
        slot = {h, &it->second};
        return &it->second.runs;
    }
    // Seen once: kept the next time it comes (a clash of two keys only delays that).
    std::uint64_t& seen = m_seen[h >> (64 - kSeenBits)];
    if (seen != h) {
        seen = h;
        return nullptr;
    }
    CEntry entry{call, {}};
    if (!Make(entry))
        return nullptr;
    CEntry& e = m_map.try_emplace(h, std::move(entry)).first->second;
    m_nRuns += e.runs.size() + 1;
    slot = {h, &e};
    return &e.runs;
}

void CPainterCallCache::Trim() {
    if (m_nRuns <= m_nMaxRuns)
        return;
    m_map.clear();
    m_front.fill({});
    m_nRuns = 0;
    ++m_nDrops;
}

void CPainterCallCache::Reach(int y, int lo, int hi, long long& scan) {
    if (lo >= hi)
        return;
    auto& r = m_rows[size_t(y)];
    scan += hi - lo;
    r = {std::min(r.first, lo), std::max(r.second, hi)};
}

bool CPainterCallCache::Make(CEntry& e) {
    const CCall& c = e.call;
    const int height = c.device.height(), width = c.device.width();
    m_rows.assign(size_t(height), {INT_MAX, INT_MIN});
    long long scan = 0;
    // The rows the call can reach, and the columns within each row: near each line, or the
    // polygon's box.
    const double ratio = c.ratio;
    const double grow = (c.fill ? 2 : (c.dotted ? 1 : std::max(c.width, 1)) + 2) * ratio;
    const auto clampX = [width](double x) { return int(std::clamp(x, 0.0, double(width))); };
    if (c.fill) {
        const QRectF units = QPolygonF(c.points).boundingRect().translated(c.translation);
        QRectF box(units.topLeft() * ratio, units.bottomRight() * ratio);
        box.adjust(-grow, -grow, grow + 1, grow + 1);
        const int top = int(std::clamp(std::floor(box.top()), 0.0, double(height)));
        const int bottom = int(std::clamp(std::ceil(box.bottom()), 0.0, double(height)));
        for (int y = top; y < bottom && scan <= kMaxScan; ++y)
            Reach(y, clampX(std::floor(box.left())), clampX(std::ceil(box.right())), scan);
    }
    for (qsizetype i = 0; !c.fill && i + 1 < c.points.size() && scan <= kMaxScan; i += 2) {
        const QLineF l((c.points[i] + c.translation) * ratio,
                       (c.points[i + 1] + c.translation) * ratio);
        const double top =
            std::clamp(std::floor(std::min(l.y1(), l.y2()) - grow), 0.0, double(height));
        const double bottom =
            std::clamp(std::ceil(std::max(l.y1(), l.y2()) + grow) + 1, 0.0, double(height));
        for (int y = int(top); y < int(bottom); ++y) {
            double t0 = 0, t1 = 1;
            if (l.dy() != 0) {
                t0 = std::clamp((y - grow - l.y1()) / l.dy(), 0.0, 1.0);
                t1 = std::clamp((y + 1 + grow - l.y1()) / l.dy(), 0.0, 1.0);
            }
            const double xa = l.x1() + t0 * l.dx(), xb = l.x1() + t1 * l.dx();
            Reach(y, clampX(std::floor(std::min(xa, xb) - grow)),
                  clampX(std::ceil(std::max(xa, xb) + grow) + 1), scan);
        }
    }
    if (scan > kMaxScan)
        return false;
    if (m_scratch.size() != c.device || m_scratch.devicePixelRatio() != ratio) {
        m_scratch = QImage(c.device, QImage::Format_Alpha8);
        m_scratch.setDevicePixelRatio(ratio);
        m_scratch.fill(0);
    }
    {
        QPainter painter(&m_scratch);
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.translate(c.translation);
        if (c.fill) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(Qt::black);
            painter.drawPolygon(QPolygonF(c.points));
        } else {
            painter.setPen(PainterPen(
                {c.dotted ? EPenStyle::Dotted : EPenStyle::Solid, c.width, RGB(0, 0, 0)}));
            painter.drawLines(c.points.data(), int(c.points.size() / 2));
        }
    }
    // Each row is read where the call can reach it, and cleared again for the next entry.
    for (int y = 0; y < height; ++y) {
        const auto [lo, hi] = m_rows[size_t(y)];
        uchar* row = m_scratch.scanLine(y);
        for (int x = lo; x < hi; ++x) {
            if (!row[x])
                continue;
            const int start = x;
            while (x < hi && row[x])
                row[x++] = 0;
            e.runs.push_back({y, start, x - start});
        }
    }
    e.runs.shrink_to_fit();
    return true;
}
