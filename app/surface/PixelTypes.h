// What the rooms of the Qt surface share: the pen and colour conversions, the hash that cache keys
// are made with, and a run of pixels in one row.
#pragma once

#include "figures/DrawSurface.h"

#include <QColor>
#include <QPen>
#include <QRgb>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

inline QColor ToQColor(COLORREF c) {
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

// The opaque pixel value of a colour, as QColor::rgb() gives it.
inline QRgb ToRgb(COLORREF c) {
    return qRgb(GetRValue(c), GetGValue(c), GetBValue(c));
}

// The painter's pen for lines wider than one pixel: round ends and joins, as wide pens have
// always been drawn by this program.
inline QPen WidePen(const CPen& pen) {
    QPen p(ToQColor(pen.color));
    p.setWidth(std::max(pen.width, 1));
    p.setCapStyle(Qt::RoundCap);
    p.setJoinStyle(Qt::RoundJoin);
    if (pen.style == EPenStyle::Dotted)
        p.setStyle(Qt::DotLine);
    return p;
}

// The painter's pen for a line: dotted lines are one pixel wide whatever their width.
inline QPen PainterPen(const CPen& pen) {
    QPen p = WidePen(pen);
    if (pen.style == EPenStyle::Dotted)
        p.setWidth(1);
    return p;
}

// A running hash of the numbers that make up a cache key.
class CKeyHash {
public:
    explicit CKeyHash(std::uint64_t seed) : m_h(0xCBF29CE484222325ull ^ seed) {}
    // Each number is mixed on its own first, so that numbers differing only in their high bits
    // (the mantissas of coordinates) still spread over the whole hash.
    void Add(std::uint64_t v) {
        v ^= v >> 31;
        v *= 0x7FB5D329728EA185ull;
        v ^= v >> 27;
        v *= 0x81DADEF4BC2DD44Dull;
        v ^= v >> 33;
        m_h = (m_h ^ v) * 0x100000001B3ull;
    }
    void Add(double v) {
        std::uint64_t bits;
        std::memcpy(&bits, &v, sizeof(bits));
        Add(bits);
    }
    void Add(CPoint p) { Add(std::uint64_t(std::uint32_t(p.x)) << 32 | std::uint32_t(p.y)); }
    std::uint64_t Value() const { return m_h; }

private:
    std::uint64_t m_h;
};

// A run of pixels in one row: count pixels from column x in row y.
struct CPixelRun {
    int y, x, count;
};

// How the painter maps units to device pixels: ratio device pixels a unit. period units make a
// whole number of device pixels, so a drawing moved by a multiple of period units is the same
// drawing moved by whole device pixels; within a period, phase says where a unit lies.
struct CScale {
    double ratio = 1.0;
    int period = 1;

    // The scale of a ratio with a period of at most 8 units; period 0 when it has none.
    static CScale Of(double ratio) {
        for (int p = 1; p <= 8; ++p)
            if (std::abs(ratio * p - RoundHalf(ratio * p)) < 1e-9)
                return {ratio, p};
        return {ratio, 0};
    }
    // The device pixels of period units.
    long long PeriodPixels() const { return RoundHalf(ratio * period); }
    // The unit's place within its period, from 0 to period - 1.
    int Phase(long long unit) const {
        return static_cast<int>(((unit % period) + period) % period);
    }
    // The device pixel where a unit starts that is a multiple of period.
    long long Pixels(long long units) const { return units / period * PeriodPixels(); }
    bool operator==(const CScale&) const = default;
};
