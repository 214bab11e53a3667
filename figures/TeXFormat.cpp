#include "figures/TeXFormat.h"

#include <charconv>
#include <cmath>
#include <cstdint>

namespace {

// Room for the longest fixed-notation double with two decimals.
constexpr size_t kMaxFixed2 = 400;

// Writes v as FormatFixed2 does and returns the end. Numbers of a drawing take the short way: the
// exact binary value times 100, rounded half to even, in integers; others go to std::to_chars.
char* WriteFixed2(char* out, double v) {
    if (!(std::fabs(v) < 1e15))
        return std::to_chars(out, out + kMaxFixed2, v, std::chars_format::fixed, 2).ptr;
    int e = 0;
    const double m = std::frexp(std::fabs(v), &e); // |v| = m 2^e, m in [0.5, 1) or 0
    const auto mantissa = static_cast<std::uint64_t>(std::ldexp(m, 53));
    const int shift = 53 - e; // 100 |v| = 100 mantissa / 2^shift, and shift >= 3 here
    std::uint64_t hundredths = 0;
    if (shift < 128) {
        const unsigned __int128 scaled = static_cast<unsigned __int128>(mantissa) * 100;
        const unsigned __int128 rest = scaled & ((static_cast<unsigned __int128>(1) << shift) - 1);
        const unsigned __int128 half = static_cast<unsigned __int128>(1) << (shift - 1);
        hundredths = static_cast<std::uint64_t>(scaled >> shift);
        if (rest > half || (rest == half && (hundredths & 1)))
            ++hundredths;
    }
    if (std::signbit(v))
        *out++ = '-';
    out = std::to_chars(out, out + 24, hundredths / 100).ptr;
    *out++ = '.';
    *out++ = static_cast<char>('0' + hundredths % 100 / 10);
    *out++ = static_cast<char>('0' + hundredths % 10);
    return out;
}

} // namespace

std::string FormatFixed2(double v) {
    char buf[kMaxFixed2];
    return std::string(buf, WriteFixed2(buf, v));
}

void AppendFixed2(std::string& out, double v) {
    char buf[kMaxFixed2];
    out.append(buf, WriteFixed2(buf, v));
}

void AppendTeXPair(std::string& out, double a, double b) {
    char buf[2 * kMaxFixed2 + 3];
    char* p = buf;
    *p++ = '(';
    p = WriteFixed2(p, a);
    *p++ = ' ';
    p = WriteFixed2(p, b);
    *p++ = ')';
    out.append(buf, p);
}

std::string TeXPair(double a, double b) {
    std::string s;
    AppendTeXPair(s, a, b);
    return s;
}

std::string TeXPoint(const CDoublePoint& p) {
    return TeXPair(0.01 * p.x, -0.01 * p.y);
}
