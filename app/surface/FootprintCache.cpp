#include "app/surface/FootprintCache.h"

#include "app/surface/PixelTypes.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

CFootprintView CFootprintCache::Get(int dx, int dy, const CPen& pen, const CScale& scale,
                                    CPoint phase, bool again) {
    const CKey key{(std::uint64_t(std::uint32_t(dx) & 0xFFFFF) << 40) |
                       (std::uint64_t(std::uint32_t(dy) & 0xFFFFF) << 20) |
                       std::uint64_t(pen.width & 0xFFFFF),
                   std::uint32_t(phase.x) << 16 | std::uint32_t(phase.y), scale.ratio};
    // A table in front of the map answers most lookups with one probe; it is sized for the
    // segments of a crowded view, which would push each other out of a smaller one.
    const std::uint64_t mixed = key.segment ^ (std::uint64_t(key.phase) << 61) ^
                                (std::uint64_t(key.phase) >> 3) ^ (key.ratio == 1.0 ? 0 : 1);
    CSlot& slot = m_front[(mixed * 0x9E3779B97F4A7C15ull) >> (64 - kFrontBits)];
    if (slot.filled && slot.key == key)
        return slot.view;
    auto it = m_map.find(key);
    if (it == m_map.end()) {
        if (again) {
            const std::uint64_t mark = mixed * 0xC2B2AE3D27D4EB4Full | 1;
            std::uint64_t& seen = m_seen[(mark * 0x9E3779B97F4A7C15ull) >> (64 - kSeenBits)];
            if (seen != mark) {
                seen = mark; // kept the next time it is asked for
                return {};
            }
        }
        it = m_map.try_emplace(key).first;
        Make(dx, dy, pen, scale, phase, it->second);
        m_nRows += it->second.rows.size() + 1;
    }
    const CFootprint& f = it->second;
    slot = {key,
            true,
            {f.rows.data(), static_cast<std::uint32_t>(f.rows.size()), f.top, f.left, f.right,
             f.usable}};
    return slot.view;
}

void CFootprintCache::Trim() {
    if (m_nRows <= m_nMaxRows)
        return;
    m_map.clear();
    m_front.fill({});
    m_nRows = 0;
    ++m_nDrops;
}

void CFootprintCache::Make(int dx, int dy, const CPen& cpen, const CScale& scale, CPoint phase,
                           CFootprint& f) {
    const QPen pen = WidePen(cpen);
    const double ratio = scale.ratio;
    // In units: room around the segment, and where its start's period begins in the scratch
    // image (a multiple of the period, so that it starts on a whole device pixel).
    const int pad = pen.width() + 4;
    const auto periods = [&](int units) { return (units + scale.period - 1) / scale.period; };
    const int baseX = periods(pad + std::max(0, -dx)) * scale.period;
    const int baseY = periods(pad + std::max(0, -dy)) * scale.period;
    const int sx = baseX + phase.x, sy = baseY + phase.y;
    const int width = static_cast<int>(std::ceil((sx + std::max(0, dx) + pad + 1) * ratio));
    const int height = static_cast<int>(std::ceil((sy + std::max(0, dy) + pad + 1) * ratio));
    if (m_scratch.width() < width || m_scratch.height() < height ||
        m_scratch.devicePixelRatio() != ratio) {
        m_scratch = QImage(std::max(width, m_scratch.width()), std::max(height, m_scratch.height()),
                           QImage::Format_ARGB32_Premultiplied);
        m_scratch.setDevicePixelRatio(ratio);
        m_scratch.fill(0);
    }
    {
        QPainter painter(&m_scratch);
        painter.setRenderHint(QPainter::Antialiasing, false);
        QPen black = pen;
        black.setColor(Qt::black);
        painter.setPen(black);
        painter.drawLine(QLineF(sx + 0.5, sy + 0.5, sx + dx + 0.5, sy + dy + 0.5));
    }
    const long long originX = scale.Pixels(baseX), originY = scale.Pixels(baseY);
    // Each row is searched near the segment only, and cleared again for the next stroke.
    f.usable = true;
    f.top = 0;
    f.rows.clear();
    bool started = false;
    for (int y = 0; y < height; ++y) {
        const double units = y / ratio;
        const double t0 = dy == 0 ? 0.0 : std::clamp((units - pad - sy) / double(dy), 0.0, 1.0);
        const double t1 = dy == 0 ? 1.0 : std::clamp((units + 1 + pad - sy) / double(dy), 0.0, 1.0);
        const double xa = sx + t0 * dx, xb = sx + t1 * dx;
        const int lo =
            std::max(0, static_cast<int>(std::floor((std::min(xa, xb) - pad - 1) * ratio)));
        const int hi =
            std::min(width, static_cast<int>(std::ceil((std::max(xa, xb) + pad + 2) * ratio)) + 1);
        auto* line = reinterpret_cast<QRgb*>(m_scratch.scanLine(y));
        int first = -1, last = -1, runs = 0;
        for (int x = lo; x < hi; ++x) {
            if (!line[x])
                continue;
            if (x != last + 1 || first < 0)
                ++runs, first = first < 0 ? x : first;
            last = x;
            line[x] = 0;
        }
        if (runs > 1)
            f.usable = false;
        if (first < 0) {
            if (started)
                break;
            continue;
        }
        if (!started) {
            started = true;
            f.top = static_cast<int>(y - originY);
        }
        f.rows.push_back({static_cast<std::int16_t>(first - originX),
                          static_cast<std::int16_t>(last - first + 1)});
        const int left = static_cast<int>(first - originX),
                  right = static_cast<int>(last + 1 - originX);
        f.left = f.rows.size() == 1 ? left : std::min(f.left, left);
        f.right = f.rows.size() == 1 ? right : std::max(f.right, right);
    }
}
