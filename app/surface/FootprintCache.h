// CFootprintCache: the pixels a wide pen sets for a segment, worked out once per direction, length,
// width, device scale and phase by letting the painter stroke the segment into a scratch image,
// and then written straight into the target's scan lines wherever the segment lies.
#pragma once

#include "app/surface/PixelTypes.h"

#include <QImage>

#include <array>
#include <cstdint>
#include <unordered_map>
#include <vector>

// The device pixels a wide pen sets for a segment from one unit's centre to another, as runs per
// row relative to the device pixel where the start unit's period starts. The painter's stroke
// moves with the segment by whole device pixels.
struct CFootprint {
    int top = 0; // first row, relative to the start pixel
    // Segments reach at most kMaxExtent pixels and pens 1000 pixels, so a run fits in 16 bits;
    // half the size is half the memory a painting reads.
    struct CRun {
        std::int16_t left;
        std::int16_t count;
    };
    std::vector<CRun> rows;  // one run per row: the stroke of a segment is convex
    int left = 0, right = 0; // the columns the runs cover, right exclusive
    bool usable = false;     // false: a row with a gap, drawn by the painter instead
};

// What the users of a footprint read, kept in the table in front of the footprint map so that a
// lookup that hits the table touches nothing else.
struct CFootprintView {
    const CFootprint::CRun* rows = nullptr;
    std::uint32_t count = 0;
    int top = 0, left = 0, right = 0;
    bool usable = false;
};

class CFootprintCache {
public:
    // Past maxRows kept rows, the cache is emptied at the next Trim.
    explicit CFootprintCache(size_t maxRows) : m_nMaxRows(maxRows) {}

    // The footprint of a segment dx, dy units long starting at phase (x, y) of scale; it stays
    // where it is until Trim. With `again`, a footprint not kept yet is made only when it is
    // asked for the second time, and is not usable the first: a segment stroked once (in the
    // first painting of a zoom) is stroked faster by the painter than made and written.
    CFootprintView Get(int dx, int dy, const CPen& pen, const CScale& scale = {}, CPoint phase = {},
                       bool again = false);
    // Between paintings: empties the cache when it holds more than its limit.
    void Trim();
    size_t GetRows() const { return m_nRows; }
    int GetDrops() const { return m_nDrops; }

    // Segments up to this long on either axis are looked up; longer ones go to the painter.
    static constexpr int kMaxExtent = 2048;

private:
    struct CKey {
        std::uint64_t segment = 0; // dx, dy and width
        std::uint32_t phase = 0;
        double ratio = 1.0;
        bool operator==(const CKey&) const = default;
    };
    struct CKeyHasher {
        size_t operator()(const CKey& k) const {
            CKeyHash hash(k.phase);
            hash.Add(k.segment);
            hash.Add(k.ratio);
            return static_cast<size_t>(hash.Value());
        }
    };
    void Make(int dx, int dy, const CPen& pen, const CScale& scale, CPoint phase, CFootprint& f);

    // The keys of footprints asked for once with `again`, by the bits of their mix.
    static constexpr int kSeenBits = 16;
    std::vector<std::uint64_t> m_seen = std::vector<std::uint64_t>(size_t(1) << kSeenBits);

    static constexpr int kFrontBits = 14;
    struct CSlot {
        CKey key;
        bool filled = false;
        CFootprintView view; // map nodes stay put until the map is cleared
    };
    size_t m_nMaxRows;
    std::array<CSlot, size_t(1) << kFrontBits> m_front{};
    std::unordered_map<CKey, CFootprint, CKeyHasher> m_map;
    size_t m_nRows = 0;
    int m_nDrops = 0;
    QImage m_scratch;
};
