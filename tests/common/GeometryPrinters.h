// Readable failure messages for the geometry types: gtest prints "(x, y)" instead of raw bytes.
#pragma once

#include "figures/Geometry.h"

#include <ostream>

inline void PrintTo(const CPoint& p, std::ostream* os) {
    *os << "(" << p.x << ", " << p.y << ")";
}
inline void PrintTo(const CDoublePoint& p, std::ostream* os) {
    *os << "(" << p.x << ", " << p.y << ")";
}
inline void PrintTo(const CRect& r, std::ostream* os) {
    *os << "(" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ")";
}
