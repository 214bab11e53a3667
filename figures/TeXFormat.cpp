#include "figures/TeXFormat.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace {

// Room for the longest fixed-notation double with two decimals.
constexpr size_t kMaxFixed2 = 400;

// Writes v as FormatFixed2 does and returns the end. Numbers of a drawing take the short way: the
// exact binary value times 100, rounded half to even, in integers; others go to std::to_chars.
char* WriteFixed2(char* out, double v) {
    if (!(std::fabs(v) < 1e15))
        return std::to_chars(out, out + kMaxFixed2, v, std::chars_format::fixed, 2).ptr;
    // |v| = mantissa 2^-shift; below 1e15 the shift is at least 2, and 100 mantissa < 2^60.
    const auto bits = std::bit_cast<std::uint64_t>(v);
    const int exponent = static_cast<int>((bits >> 52) & 0x7FF);
    std::uint64_t mantissa = bits & ((std::uint64_t{1} << 52) - 1);
    int shift = 1074;
    if (exponent != 0) {
        mantissa |= std::uint64_t{1} << 52;
        shift = 1075 - exponent;
    }
    std::uint64_t hundredths = 0;
    if (shift < 64) {
        const std::uint64_t scaled = mantissa * 100;
        const std::uint64_t rest = scaled & ((std::uint64_t{1} << shift) - 1);
        const std::uint64_t half = std::uint64_t{1} << (shift - 1);
        hundredths = scaled >> shift;
        if (rest > half || (rest == half && (hundredths & 1)))
            ++hundredths;
    }
    if (bits >> 63)
        *out++ = '-';
    // Two digits at a time, from a table of the hundred pairs.
    static constexpr char kPairs[] =
        "00010203040506070809101112131415161718192021222324252627282930"
        "31323334353637383940414243444546474849505152535455565758596061"
        "62636465666768697071727374757677787980818283848586878889909192"
        "93949596979899";
    char digits[24];
    char* d = digits + sizeof digits;
    std::uint64_t whole = hundredths / 100;
    for (; whole >= 100; whole /= 100) {
        d -= 2;
        std::memcpy(d, kPairs + 2 * (whole % 100), 2);
    }
    if (whole >= 10) {
        d -= 2;
        std::memcpy(d, kPairs + 2 * whole, 2);
    } else {
        *--d = static_cast<char>('0' + whole);
    }
    while (d < digits + sizeof digits)
        *out++ = *d++;
    *out++ = '.';
    std::memcpy(out, kPairs + 2 * (hundredths % 100), 2);
    return out + 2;
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

void AppendTeXNumber(std::string& out, double v) {
    char buf[kMaxFixed2];
    char* end = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 5).ptr;
    // At least "x.yy" stays: five decimals, of which the last three may go.
    for (int i = 0; i < 3 && end[-1] == '0'; ++i)
        --end;
    out.append(buf, end);
}

std::string FormatTeXNumber(double v) {
    std::string s;
    AppendTeXNumber(s, v);
    return s;
}
