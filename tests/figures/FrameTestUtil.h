// Small helpers for the framed-figure tests: setting the four corners directly and printing
// points so that a failing comparison shows the values.
#pragma once

#include "figures/FramedFigure.h"

#include <ostream>

inline void SetCorners(CFramedFigure& f, CDoublePoint p1, CDoublePoint p3, CDoublePoint p2,
                       CDoublePoint p4) {
    f.m_pt1 = p1;
    f.m_pt3 = p3;
    f.m_pt2 = p2;
    f.m_pt4 = p4;
}

// The frame (0, 0) -> (100, 0) -> (100, 50) -> (0, 50) as m_pt1, m_pt3, m_pt2, m_pt4.
inline void SetUnitFrame(CFramedFigure& f) {
    SetCorners(f, {0, 0}, {100, 0}, {100, 50}, {0, 50});
}

inline std::ostream& operator<<(std::ostream& os, const CDoublePoint& p) {
    return os << "(" << p.x << ", " << p.y << ")";
}
inline std::ostream& operator<<(std::ostream& os, const CPoint& p) {
    return os << "(" << p.x << ", " << p.y << ")";
}
inline std::ostream& operator<<(std::ostream& os, const CRect& r) {
    return os << "(" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ")";
}
