#include "app/surface/FootprintCache.h"

#include "app/surface/PixelTypes.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

CFootprintView CFootprintCache::Get(int dx, int dy, const CPen& pen) {
    const std::uint64_t key = (std::uint64_t(std::uint32_t(dx) & 0xFFFFF) << 40) |
                              (std::uint64_t(std::uint32_t(dy) & 0xFFFFF) << 20) |
                              std::uint64_t(pen.width & 0xFFFFF);
    // A table in front of the map answers most lookups with one probe; it is sized for the
    // segments of a crowded view, which would push each other out of a smaller one.
    CSlot& slot = m_front[(key * 0x9E3779B97F4A7C15ull) >> (64 - kFrontBits)];
    if (slot.filled && slot.key == key)
        return slot.view;
    auto it = m_map.find(key);
    if (it == m_map.end()) {
        it = m_map.try_emplace(key).first;
        Make(dx, dy, pen, it->second);
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

void CFootprintCache::Make(int dx, int dy, const CPen& cpen, CFootprint& f) {
    const QPen pen = WidePen(cpen);
    const int pad = pen.width() + 4;
    const int width = std::abs(dx) + 2 * pad + 1, height = std::abs(dy) + 2 * pad + 1;
    if (m_scratch.width() < width || m_scratch.height() < height) {
        m_scratch = QImage(std::max(width, m_scratch.width()), std::max(height, m_scratch.height()),
                           QImage::Format_ARGB32_Premultiplied);
        m_scratch.fill(0);
    }
    const int sx = pad + std::max(0, -dx), sy = pad + std::max(0, -dy);
    {
        QPainter painter(&m_scratch);
        painter.setRenderHint(QPainter::Antialiasing, false);
        QPen black = pen;
        black.setColor(Qt::black);
        painter.setPen(black);
        painter.drawLine(QLineF(sx + 0.5, sy + 0.5, sx + dx + 0.5, sy + dy + 0.5));
    }
    // Each row is searched near the segment only, and cleared again for the next stroke.
    f.usable = true;
    f.top = 0;
    f.rows.clear();
    bool started = false;
    for (int y = 0; y < height; ++y) {
        const double t0 = dy == 0 ? 0.0 : std::clamp((y - pad - sy) / double(dy), 0.0, 1.0);
        const double t1 = dy == 0 ? 1.0 : std::clamp((y + pad - sy) / double(dy), 0.0, 1.0);
        const double xa = sx + t0 * dx, xb = sx + t1 * dx;
        const int lo = std::max(0, static_cast<int>(std::min(xa, xb)) - pad - 1);
        const int hi = std::min(width, static_cast<int>(std::max(xa, xb)) + pad + 2);
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
            f.top = y - sy;
        }
        f.rows.push_back(
            {static_cast<std::int16_t>(first - sx), static_cast<std::int16_t>(last - first + 1)});
        f.left = f.rows.size() == 1 ? first - sx : std::min(f.left, first - sx);
        f.right = f.rows.size() == 1 ? last + 1 - sx : std::max(f.right, last + 1 - sx);
    }
}
