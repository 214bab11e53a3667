// Random access to the Bresenham walk of a segment, so hit tests and drawing can look only at the
// part of a segment that lies inside a rectangle, however long the segment is.
#pragma once

#include "figures/Geometry.h"

#include <utility>

// The walk visits the same pixels, in the same order, as WalkSegment: from a up to, not
// including, b. Pixel i advances one step along the major axis; the minor axis follows by the
// closed form of the Bresenham error term, so any pixel can be reached without walking to it.
class CSegmentWalk {
public:
    CSegmentWalk(CPoint a, CPoint b);

    // Number of pixels walked (the larger of |dx| and |dy|).
    long long Count() const { return m_nMajor; }
    // Pixel i of the walk, 0 <= i < Count().
    CPoint At(long long i) const;
    // The walk indices [first, last) whose pixels lie in the rectangle left <= x < right,
    // top <= y < bottom. They are always contiguous; first == last when there are none.
    std::pair<long long, long long> RangeIn(long long left, long long top, long long right,
                                            long long bottom) const;

    // Calls visit(pixel, index) for the pixels first .. last - 1, stepping incrementally.
    template <class F> void Visit(long long first, long long last, F&& visit) const {
        if (first >= last)
            return;
        long long k = MinorSteps(first);
        long long rem = Remainder(first);
        for (long long i = first; i < last; ++i) {
            visit(MakePoint(i, k), i);
            rem += 2 * m_nMinor;
            if (rem >= 2 * m_nMajor) {
                rem -= 2 * m_nMajor;
                ++k;
            }
        }
    }

private:
    long long MinorSteps(long long i) const;
    long long Remainder(long long i) const;
    CPoint MakePoint(long long i, long long k) const;
    // The first index in [lo, hi) whose minor step count is at least k (hi when none).
    long long FirstWithMinorAtLeast(long long k, long long lo, long long hi) const;

    CPoint m_ptA;
    bool m_bXMajor = true;
    long long m_nMajor = 0; // pixels along the major axis
    long long m_nMinor = 0; // steps along the minor axis
    int m_nMajorStep = 1;
    int m_nMinorStep = 1;
};
