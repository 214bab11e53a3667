// Number and point formatting for TeXDraw text: "%.2f" semantics without the C locale, so a
// decimal-comma locale can never leak into the output.
#pragma once

#include "figures/Geometry.h"

#include <string>

// v with two decimals, fixed notation, "-0.00" for negative zero and small negatives.
std::string FormatFixed2(double v);
// "(a b)" with both numbers as FormatFixed2.
std::string TeXPair(double a, double b);
// A page point (x, y) as the TeXDraw point "(0.01 x  -0.01 y)".
std::string TeXPoint(const CDoublePoint& p);
inline std::string TeXPoint(const CPoint& p) {
    return TeXPoint(CDoublePoint{double(p.x), double(p.y)});
}
