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

// The same, written onto the end of out.
void AppendFixed2(std::string& out, double v);
void AppendTeXPair(std::string& out, double a, double b);
inline void AppendTeXPoint(std::string& out, const CDoublePoint& p) {
    AppendTeXPair(out, 0.01 * p.x, -0.01 * p.y);
}
inline void AppendTeXPoint(std::string& out, const CPoint& p) {
    AppendTeXPoint(out, CDoublePoint{double(p.x), double(p.y)});
}

// v with up to five decimals and at least two, trailing zeros dropped: "0.01107", "0.50",
// "1.00". Lengths of a style are written this way, fine enough that a width given in points
// comes back to the hundredth of a point.
void AppendTeXNumber(std::string& out, double v);
std::string FormatTeXNumber(double v);
