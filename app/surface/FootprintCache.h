// CFootprintCache: the pixels a wide pen sets for a segment, worked out once per direction, length
// and width by letting the painter stroke the segment into a scratch image, and then written
// straight into the target's scan lines wherever the segment lies.
#pragma once

#include "figures/DrawSurface.h"

#include <QImage>

#include <array>
#include <cstdint>
#include <unordered_map>
#include <vector>

// The pixels a wide pen sets for a segment from one pixel centre to another, as runs per row
// relative to the start pixel. The painter's stroke moves with the segment by whole pixels.
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

    // The footprint stays where it is until Trim.
    CFootprintView Get(int dx, int dy, const CPen& pen);
    // Between paintings: empties the cache when it holds more than its limit.
    void Trim();
    size_t GetRows() const { return m_nRows; }
    int GetDrops() const { return m_nDrops; }

    // Segments up to this long on either axis are looked up; longer ones go to the painter.
    static constexpr int kMaxExtent = 2048;

private:
    void Make(int dx, int dy, const CPen& pen, CFootprint& f);

    static constexpr int kFrontBits = 14;
    struct CSlot {
        std::uint64_t key = 0;
        bool filled = false;
        CFootprintView view; // map nodes stay put until the map is cleared
    };
    size_t m_nMaxRows;
    std::array<CSlot, size_t(1) << kFrontBits> m_front{};
    std::unordered_map<std::uint64_t, CFootprint> m_map;
    size_t m_nRows = 0;
    int m_nDrops = 0;
    QImage m_scratch;
};
