#include "app/surface/PixelWriter.h"

#include "figures/SegmentWalk.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace {

// Rows of the image this far ahead of a write are asked for early: a steep line reaches a new row,
// far from the last one, at every pixel, and the writes should not wait on them one by one.
constexpr qsizetype kRowsAhead = 8;

// count pixels from p set to color; the short runs of a wide stroke take two overlapping
// four-pixel stores instead of a loop.
inline void FillRun(QRgb* p, qsizetype count, QRgb color) {
    if (count < 4) {
        for (qsizetype i = 0; i < count; ++i)
            p[i] = color;
        return;
    }
    const QRgb quad[4] = {color, color, color, color};
    QRgb* const last = p + count - 4;
    for (; p < last; p += 4)
        std::memcpy(p, quad, sizeof(quad));
    std::memcpy(last, quad, sizeof(quad));
}

// Pixels first .. last - 1 of a walk of count pixels along the major axis (end left out), p being
// pixel first; dotted sets the even ones. Pixel i lies i major steps and
// k(i) = floor((2 i minor + count) / (2 count)) minor steps from the start, the closed form of the
// Bresenham walk, followed here step by step.
template <bool dotted>
void WriteSteps(QRgb* p, long long first, long long last, long long count, long long minor,
                qsizetype majorStep, qsizetype minorStep, QRgb color) {
    // A steep line reaches a new row of the image, far from the last one, at every pixel: the row
    // a few pixels on is asked for early, so that the writes do not wait on them one after another.
    const std::uintptr_t ahead = std::uintptr_t(kRowsAhead * majorStep * qsizetype(sizeof(QRgb)));
    // The remainder (2 first minor + count) mod 2 count, in unsigned arithmetic that cannot
    // overflow: first and minor are below 2^32.
    const auto n = static_cast<unsigned long long>(count);
    const unsigned long long product =
        static_cast<unsigned long long>(first) * static_cast<unsigned long long>(minor);
    long long rem = static_cast<long long>((n + 2 * (product % n)) % (2 * n));
    const long long twoN = 2 * count;
    for (long long i = first; i < last; ++i) {
        if (!dotted || (i & 1) == 0)
            *p = color;
        __builtin_prefetch(
            reinterpret_cast<const void*>(reinterpret_cast<std::uintptr_t>(p) + ahead), 1);
        p += majorStep;
        rem += 2 * minor;
        if (rem >= twoN) {
            rem -= twoN;
            p += minorStep;
        }
    }
}

} // namespace

void CPixelWriter::Prefetch(const CWriteOp& op, long long top) const {
    top = std::max<long long>(top, op.top);
    if (top >= op.bottom)
        return; // nothing of op lies in those rows
    // The first few lines of what the op reads: its rows or runs follow each other in memory.
    constexpr int kLines = 4, kLine = 64;
    switch (op.kind) {
    case CWriteOp::EKind::Footprint: {
        const auto* rows =
            reinterpret_cast<const char*>(op.footprint.rows + (top - op.footprint.top));
        const auto* end = reinterpret_cast<const char*>(op.footprint.rows + op.footprint.count);
        for (int i = 0; i < kLines && rows + i * kLine < end; ++i)
            __builtin_prefetch(rows + i * kLine);
        __builtin_prefetch(Row(top) + op.footprint.x, 1);
        return;
    }
    case CWriteOp::EKind::Runs:
        if (top == op.top) {
            const auto* runs = reinterpret_cast<const char*>(op.runs.runs);
            const auto* end = reinterpret_cast<const char*>(op.runs.runs + op.runs.count);
            for (int i = 0; i < kLines && runs + i * kLine < end; ++i)
                __builtin_prefetch(runs + i * kLine);
        }
        return;
    case CWriteOp::EKind::Offsets:
        __builtin_prefetch(op.pixels.offsets);
        return;
    default:
        return;
    }
}

void CPixelWriter::Execute(const CWriteOp& op, long long top, long long bottom) const {
    const bool within = op.top >= top && op.bottom <= bottom; // all of op's rows are in the band
    top = std::max<long long>(top, op.top);
    bottom = std::min<long long>(bottom, op.bottom);
    if (top >= bottom)
        return;
    const QRgb color = op.color;
    switch (op.kind) {
    case CWriteOp::EKind::Fill:
        for (long long y = top; y < bottom; ++y)
            std::fill(Row(y) + op.fill.left, Row(y) + op.fill.right, color);
        return;
    case CWriteOp::EKind::Walk: {
        const auto& w = op.walk;
        const CSegmentWalk walk({w.ax, w.ay}, {w.bx, w.by});
        auto [first, last] = op.whole && within
                                 ? std::pair<long long, long long>(0, walk.Count())
                                 : walk.RangeIn(w.left - w.shiftX, top - w.shiftY,
                                                w.right - w.shiftX, bottom - w.shiftY);
        if (first >= last)
            return;
        const CPoint p = walk.At(first);
        QRgb* pixel = Row(p.y + w.shiftY) + (p.x + w.shiftX);
        const long long dx = std::llabs(w.bx - 0LL - w.ax), dy = std::llabs(w.by - 0LL - w.ay);
        const qsizetype sx = w.ax < w.bx ? 1 : -1;
        const qsizetype sy = (w.ay < w.by ? 1 : -1) * (m_nStride / qsizetype(sizeof(QRgb)));
        const bool xMajor = dx >= dy;
        const long long count = xMajor ? dx : dy, minor = xMajor ? dy : dx;
        const qsizetype majorStep = xMajor ? sx : sy, minorStep = xMajor ? sy : sx;
        if (op.dotted)
            WriteSteps<true>(pixel, first, last, count, minor, majorStep, minorStep, color);
        else
            WriteSteps<false>(pixel, first, last, count, minor, majorStep, minorStep, color);
        return;
    }
    case CWriteOp::EKind::Offsets: {
        const auto& w = op.pixels;
        QRgb* const first = w.first;
        if (within) {
            size_t i = 0;
            for (; i + kRowsAhead < w.count; ++i) {
                __builtin_prefetch(first + w.offsets[i + kRowsAhead], 1);
                first[w.offsets[i]] = color;
            }
            for (; i < w.count; ++i)
                first[w.offsets[i]] = color;
            return;
        }
        // Only the pixels whose address lies in the band's rows.
        const QRgb* const lo = Row(top);
        const QRgb* const hi = Row(bottom);
        for (size_t i = 0; i < w.count; ++i) {
            QRgb* const q = first + w.offsets[i];
            if (q >= lo && q < hi)
                *q = color;
        }
        return;
    }
    case CWriteOp::EKind::Footprint: {
        const auto& f = op.footprint;
        const std::uintptr_t ahead = std::uintptr_t(kRowsAhead * m_nStride);
        for (long long y = top; y < bottom; ++y) {
            const CFootprint::CRun run = f.rows[static_cast<size_t>(y - f.top)];
            QRgb* const row = Row(y) + f.x;
            if (op.whole) {
                __builtin_prefetch(reinterpret_cast<const void*>(
                                       reinterpret_cast<std::uintptr_t>(row + run.left) + ahead),
                                   1);
                FillRun(row + run.left, run.count, color);
                continue;
            }
            const long long left = std::max<long long>(f.left - f.x, run.left);
            const long long right = std::min<long long>(f.right - f.x, run.left + run.count);
            if (left < right)
                std::fill(row + left, row + right, color);
        }
        return;
    }
    case CWriteOp::EKind::Runs: {
        const auto& r = op.runs;
        const CPixelRun* run = r.runs;
        const CPixelRun* const end = r.runs + r.count;
        if (!within)
            run = std::lower_bound(run, end, top - r.y,
                                   [](const CPixelRun& a, long long y) { return a.y < y; });
        for (; run != end && run->y + r.y < bottom; ++run) {
            const long long x = r.x + run->x;
            if (op.whole) {
                FillRun(Row(run->y + r.y) + x, run->count, color);
                continue;
            }
            const long long left = std::max(r.left, x), right = std::min(r.right, x + run->count);
            if (left < right)
                FillRun(Row(run->y + r.y) + left, right - left, color);
        }
        return;
    }
    case CWriteOp::EKind::Text:
        return;
    }
}
