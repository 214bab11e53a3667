#include "figures/TeXFormat.h"

#include <charconv>

std::string FormatFixed2(double v) {
    char buf[400];
    const auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 2);
    return std::string(buf, res.ptr);
}

std::string TeXPair(double a, double b) {
    std::string s;
    s.reserve(24);
    s += '(';
    s += FormatFixed2(a);
    s += ' ';
    s += FormatFixed2(b);
    s += ')';
    return s;
}

std::string TeXPoint(const CDoublePoint& p) {
    return TeXPair(0.01 * p.x, -0.01 * p.y);
}
