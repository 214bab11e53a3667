// CPainterCallCache: what the painter itself draws (lines cut where they leave the sight, the wide
// pieces of a curve that cannot be written from footprints, filled arrowheads), as the runs of
// pixels the call set, by the very call: the same lines or corners, pen, translation and device
// size. The painter's result for such a call depends on where it lies on the device, so nothing
// is moved or reused across positions; but the same call comes again on every frame while the
// view stays put. A call is kept only when it comes a second time: the first painting of a view
// (a scroll or zoom step, which may be the only one) leaves it to the painter, which draws it
// faster than drawing it aside and reading its runs back.
#pragma once

#include "app/surface/PixelTypes.h"

#include <QImage>
#include <QList>
#include <QPointF>
#include <QSize>

#include <array>
#include <cstdint>
#include <unordered_map>
#include <utility>
#include <vector>

class CPainterCallCache {
public:
    using CRun = CPixelRun; // device pixels, sorted by row

    // What is drawn: lines stroked with a pen, or a polygon filled (pen unused then).
    struct CCall {
        bool fill = false;
        QList<QPointF> points; // two per line, or the polygon's corners
        int width = 0;
        bool dotted = false;
        QPoint translation;
        QSize device;       // in device pixels
        double ratio = 1.0; // device pixels a unit
        bool operator==(const CCall&) const = default;
    };

    // Devices up to this many pixels are served.
    static constexpr qint64 kMaxDevicePixels = qint64(1) << 25;

    // Past maxRuns kept runs, the cache is emptied at the next Trim.
    explicit CPainterCallCache(size_t maxRuns) : m_nMaxRuns(maxRuns) {}

    // A call to fill in and look up: its points keep their room from one call to the next.
    CCall& Scratch() { return m_scratchCall; }

    // The runs, which stay until Trim; null when the call is new (seen for the first time), would
    // take too long to look over, or another call holds its place, and is better made on the
    // painter straight away.
    const std::vector<CRun>* Get(const CCall& call);
    // Between paintings: empties the cache when it holds more than its limit.
    void Trim();
    size_t GetRuns() const { return m_nRuns; }
    int GetDrops() const { return m_nDrops; }

private:
    struct CEntry {
        CCall call;
        std::vector<CRun> runs;
    };
    static constexpr long long kMaxScan = 1 << 22; // pixels looked at for one entry

    // Widens the columns of row y to reach [lo, hi), counting the pixels to look at in scan.
    void Reach(int y, int lo, int hi, long long& scan);
    bool Make(CEntry& e);

    static constexpr int kFrontBits = 14;
    struct CSlot {
        std::uint64_t key = 0;
        CEntry* entry = nullptr; // map nodes stay put until the map is cleared
    };
    size_t m_nMaxRuns;
    std::array<CSlot, size_t(1) << kFrontBits> m_front{};
    // The keys of calls seen once, by their top bits: a call is made when its key is found here.
    static constexpr int kSeenBits = 16;
    std::vector<std::uint64_t> m_seen = std::vector<std::uint64_t>(size_t(1) << kSeenBits);
    std::unordered_map<std::uint64_t, CEntry> m_map;
    size_t m_nRuns = 0;
    int m_nDrops = 0;
    QImage m_scratch;
    std::vector<std::pair<int, int>> m_rows;
    CCall m_scratchCall;
};
