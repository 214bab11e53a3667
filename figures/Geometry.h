// Integer pixel types, the page-unit point, the one rounding rule, colours, cursors and the
// small geometric tools (segment pixel walk, line intersection) that figures and canvas share.
#pragma once

#include <bit>

#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <utility>

// Page value to pixel: v + 0.5 truncated toward zero, so -27.6 gives -27 (not -28).
// Values that do not fit an int (or are not numbers) are pinned so the cast stays defined.
inline int RoundHalf(double v) {
    const double r = v + 0.5;
    if (!(r == r))
        return 0;
    if (r >= 2147483647.0)
        return INT_MAX;
    if (r <= -2147483648.0)
        return INT_MIN;
    return static_cast<int>(r);
}

struct CPoint {
    int x = 0;
    int y = 0;
    friend bool operator==(const CPoint&, const CPoint&) = default;
    CPoint operator+(const CPoint& o) const { return {x + o.x, y + o.y}; }
    CPoint operator-(const CPoint& o) const { return {x - o.x, y - o.y}; }
};

struct CSize {
    int cx = 0;
    int cy = 0;
    friend bool operator==(const CSize&, const CSize&) = default;
};

// (left, top, right, bottom); containment includes left/top and excludes right/bottom.
struct CRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    friend bool operator==(const CRect&, const CRect&) = default;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool Contains(CPoint p) const {
        return p.x >= left && p.x < right && p.y >= top && p.y < bottom;
    }
    CRect Offset(int dx, int dy) const { return {left + dx, top + dy, right + dx, bottom + dy}; }
    CRect Normalized() const {
        CRect r = *this;
        if (r.left > r.right)
            std::swap(r.left, r.right);
        if (r.top > r.bottom)
            std::swap(r.top, r.bottom);
        return r;
    }
    CPoint TopLeft() const { return {left, top}; }
    CPoint BottomRight() const { return {right, bottom}; }
};

// A point in page units (doubles, y downward).
struct CDoublePoint {
    double x = 0.0;
    double y = 0.0;
    friend bool operator==(const CDoublePoint&, const CDoublePoint&) = default;
    CPoint ToPoint() const { return {RoundHalf(x), RoundHalf(y)}; }
    CDoublePoint operator*(double k) const { return {x * k, y * k}; }
    CDoublePoint operator+(const CDoublePoint& o) const { return {x + o.x, y + o.y}; }
    CDoublePoint operator-(const CDoublePoint& o) const { return {x - o.x, y - o.y}; }
};

// Bit for bit: -0.0 is not 0.0 here, as the saved text tells them apart.
inline bool SameBits(double a, double b) {
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}
inline bool SameBits(const CDoublePoint& a, const CDoublePoint& b) {
    return SameBits(a.x, b.x) && SameBits(a.y, b.y);
}

// How far from the page origin a figure's point may lie, in page units: ten page sizes, far
// beyond anything drawn on the page. A change that would put a point farther away (or make it
// no number) is not applied, so every point stays writable, readable and convertible to pixels.
inline constexpr double kPageReach = 8010.0;

// How far from the page origin any point of a drawing may lie, in page units (10,000 in): the
// reader refuses a file with a number farther out. Points between the two reaches come only from
// a file; a change never takes a point beyond kPageReach unless it was already there, and then
// only back toward the page, so whatever was read can always be saved and read again.
inline constexpr double kReadableReach = 1.0e6;

inline bool IsWithinReach(const CDoublePoint& p) {
    return std::fabs(p.x) <= kPageReach && std::fabs(p.y) <= kPageReach;
}

// Length of an integer vector.
inline double VectorLength(int dx, int dy) {
    return std::sqrt(static_cast<double>(dx) * dx + static_cast<double>(dy) * dy);
}

// Colours are 0x00BBGGRR, red in the low byte.
using COLORREF = std::uint32_t;
constexpr COLORREF RGB(int r, int g, int b) {
    return static_cast<COLORREF>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr int GetRValue(COLORREF c) {
    return static_cast<int>(c & 0xFF);
}
constexpr int GetGValue(COLORREF c) {
    return static_cast<int>((c >> 8) & 0xFF);
}
constexpr int GetBValue(COLORREF c) {
    return static_cast<int>((c >> 16) & 0xFF);
}

enum class ECursor { None, Arrow, Cross, SizeWE, SizeNS, SizeNESW, SizeNWSE };

// Visits the integer points of the segment a -> b in Bresenham order, from a up to but not
// including b (a segment of length zero visits nothing).
template <class F> void WalkSegment(CPoint a, CPoint b, F&& visit) {
    const long long dx = std::llabs(static_cast<long long>(b.x) - a.x);
    const long long dy = -std::llabs(static_cast<long long>(b.y) - a.y);
    const int sx = a.x < b.x ? 1 : -1;
    const int sy = a.y < b.y ? 1 : -1;
    long long err = dx + dy;
    long long x = a.x, y = a.y;
    while (!(x == b.x && y == b.y)) {
        visit(CPoint{static_cast<int>(x), static_cast<int>(y)});
        const long long e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
        }
    }
}

// Intersection of the lines (p, d1) and (q, d2); none when they are parallel (det exactly 0).
inline std::optional<CDoublePoint> IntersectLines(CDoublePoint p, CDoublePoint d1, CDoublePoint q,
                                                  CDoublePoint d2) {
    const double det = d1.x * d2.y - d2.x * d1.y;
    if (det == 0.0)
        return std::nullopt;
    const double g = d1.x * p.y - d1.y * p.x;
    const double h = d2.x * q.y - d2.y * q.x;
    return CDoublePoint{(d2.x * g - d1.x * h) / det, (d2.y * g - d1.y * h) / det};
}
