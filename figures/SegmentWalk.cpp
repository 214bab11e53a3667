#include "figures/SegmentWalk.h"

#include <algorithm>

// After i major steps the walk has taken floor((2 i m + n) / (2 n)) minor steps, where n and m
// are the major and minor extents. The products need more than 64 bits for segments that span
// the whole int range, hence the 128-bit arithmetic (g++ and clang both provide it).
using Wide = __int128;

CSegmentWalk::CSegmentWalk(CPoint a, CPoint b) : m_ptA(a) {
    const long long dx = std::llabs(static_cast<long long>(b.x) - a.x);
    const long long dy = std::llabs(static_cast<long long>(b.y) - a.y);
    m_bXMajor = dx >= dy;
    m_nMajor = m_bXMajor ? dx : dy;
    m_nMinor = m_bXMajor ? dy : dx;
    const int sx = a.x < b.x ? 1 : -1;
    const int sy = a.y < b.y ? 1 : -1;
    m_nMajorStep = m_bXMajor ? sx : sy;
    m_nMinorStep = m_bXMajor ? sy : sx;
}

long long CSegmentWalk::MinorSteps(long long i) const {
    if (m_nMajor == 0)
        return 0;
    const Wide num = Wide(2) * i * m_nMinor + m_nMajor;
    return static_cast<long long>(num / (Wide(2) * m_nMajor));
}

long long CSegmentWalk::Remainder(long long i) const {
    if (m_nMajor == 0)
        return 0;
    const Wide num = Wide(2) * i * m_nMinor + m_nMajor;
    return static_cast<long long>(num % (Wide(2) * m_nMajor));
}

CPoint CSegmentWalk::MakePoint(long long i, long long k) const {
    const long long major = (m_bXMajor ? m_ptA.x : m_ptA.y) + m_nMajorStep * i;
    const long long minor = (m_bXMajor ? m_ptA.y : m_ptA.x) + m_nMinorStep * k;
    // Every walked pixel lies between the two ends, so both values fit an int.
    return m_bXMajor ? CPoint{static_cast<int>(major), static_cast<int>(minor)}
                     : CPoint{static_cast<int>(minor), static_cast<int>(major)};
}

CPoint CSegmentWalk::At(long long i) const {
    return MakePoint(i, MinorSteps(i));
}

long long CSegmentWalk::FirstWithMinorAtLeast(long long k, long long lo, long long hi) const {
    while (lo < hi) {
        const long long mid = lo + (hi - lo) / 2;
        if (MinorSteps(mid) >= k)
            hi = mid;
        else
            lo = mid + 1;
    }
    return lo;
}

std::pair<long long, long long> CSegmentWalk::RangeIn(long long left, long long top,
                                                      long long right, long long bottom) const {
    const long long majorLo = m_bXMajor ? left : top;
    const long long majorHi = (m_bXMajor ? right : bottom) - 1; // inclusive
    const long long minorLo = m_bXMajor ? top : left;
    const long long minorHi = (m_bXMajor ? bottom : right) - 1;
    const long long majorA = m_bXMajor ? m_ptA.x : m_ptA.y;
    const long long minorA = m_bXMajor ? m_ptA.y : m_ptA.x;
    if (m_nMajor == 0 || majorLo > majorHi || minorLo > minorHi)
        return {0, 0};

    // Indices whose major coordinate majorA + step * i lies in [majorLo, majorHi].
    long long first, last; // inclusive here
    if (m_nMajorStep > 0) {
        first = majorLo - majorA;
        last = majorHi - majorA;
    } else {
        first = majorA - majorHi;
        last = majorA - majorLo;
    }
    first = std::max(first, 0LL);
    last = std::min(last, m_nMajor - 1);
    if (first > last)
        return {0, 0};

    // The minor step count never decreases along the walk, so the indices whose minor
    // coordinate is in range form one run; find it by bisection.
    long long kLo, kHi;
    if (m_nMinorStep > 0) {
        kLo = minorLo - minorA;
        kHi = minorHi - minorA;
    } else {
        kLo = minorA - minorHi;
        kHi = minorA - minorLo;
    }
    if (kHi < 0 || kLo > m_nMinor)
        return {0, 0};
    const long long begin = FirstWithMinorAtLeast(kLo, first, last + 1);
    const long long end =
        kHi >= m_nMinor ? last + 1 : FirstWithMinorAtLeast(kHi + 1, begin, last + 1);
    if (begin >= end)
        return {0, 0};
    return {begin, end};
}
