// CCurveCache: curves flattened into pixel polylines, by their control points. A drawing is
// painted again and again with most curves unchanged (every frame of a drag, every hover), and
// flattening is the costly part of a curve; the cached polyline is the very result of the
// painter's flattening.
#pragma once

#include "app/surface/PixelTypes.h"

#include <QPainterPath>

#include <cstdint>
#include <deque>
#include <unordered_map>
#include <vector>

class CFootprintCache;

class CCurveCache {
public:
    // The pixels a one-pixel pen sets along the polyline (each piece walked with its end left out,
    // every other pixel of a piece when dotted), as offsets from the first of them in an image
    // whose rows are stride pixels apart, with the box they lie in.
    struct CWalk {
        bool dotted = false;
        qsizetype stride = 0;
        bool usable = false; // false: no pixel at all, or too far apart for the offsets
        CPoint first;
        long long left = 0, top = 0, right = 0, bottom = 0; // right and bottom exclusive
        std::vector<std::int32_t> offsets;
    };

    // What a wide solid pen sets along the polyline when every piece is written from its
    // footprint: the footprints' rows merged into runs of device pixels, relative to the first
    // point's device pixel, with the box of the runs and the box of the points (in units).
    struct CWide {
        int width = 0;
        double ratio = 1.0;
        bool usable = false;    // false: a piece the footprints do not serve
        using CRun = CPixelRun; // sorted by row
        std::vector<CRun> runs;
        long long left = 0, top = 0, right = 0, bottom = 0; // runs; right, bottom exclusive
        long long pointsLeft = 0, pointsTop = 0, pointsRight = 0, pointsBottom = 0; // inclusive
    };

    // The pixel points of the flattened curve (a start point and three points per piece), with a
    // point that repeats the one before it left out; breaks holds where each further sub-path
    // starts. Walks and wides are added, never changed, so that what a held write points at stays.
    struct CEntry {
        std::vector<CPoint> pixels;
        std::vector<size_t> breaks;
        std::deque<CWalk> walks;
        std::deque<CWide> wides;

        // Calls piece(a, b) for each piece of the polyline.
        template <class F> void ForEachPiece(F&& piece) const {
            size_t next = 0; // the next break between sub-paths
            for (size_t i = 1; i < pixels.size(); ++i) {
                if (next < breaks.size() && breaks[next] == i) {
                    ++next;
                    continue;
                }
                piece(pixels[i - 1], pixels[i]);
            }
        }
    };

    // Past maxPoints kept points, the cache is emptied at the next Trim.
    explicit CCurveCache(size_t maxPoints) : m_nMaxPoints(maxPoints) {}

    // The entry of the curve through points (1 + 3k of them); it stays until Trim.
    CEntry& Get(const std::vector<CPoint>& points);
    // The entry of the lines from ends[2i] to ends[2i + 1], every piece kept as it is (one of no
    // length too) and chained to the one before where it starts at its end; it stays until Trim.
    CEntry& GetLines(const std::vector<CPoint>& ends);
    // The merged footprints of entry e's pieces for pen (solid, up to 1000 units wide) at a scale
    // whose period is one unit.
    const CWide& Wide(CEntry& e, const CPen& pen, const CScale& scale, CFootprintCache& footprints);
    // Entry e's walk for a one-pixel pen in an image with rows stride pixels apart; null when the
    // curve sets no pixel or spans too much of such an image for the offsets.
    const CWalk* Walk(CEntry& e, bool dotted, qsizetype stride);
    // Between paintings: empties the cache when it holds more than its limit.
    void Trim();
    size_t GetPoints() const { return m_nPoints; }
    int GetDrops() const { return m_nDrops; }

private:
    struct CPointsHash {
        size_t operator()(const std::vector<CPoint>& points) const {
            CKeyHash hash(points.size());
            for (const CPoint p : points)
                hash.Add(p);
            return static_cast<size_t>(hash.Value());
        }
    };
    void Flatten(const std::vector<CPoint>& points, CEntry& e);
    static void MakeWalk(const CEntry& e, CWalk& w);

    size_t m_nMaxPoints;
    std::unordered_map<std::vector<CPoint>, CEntry, CPointsHash> m_map;
    std::unordered_map<std::vector<CPoint>, CEntry, CPointsHash> m_lines; // by their ends
    size_t m_nPoints = 0;
    int m_nDrops = 0;
    QPainterPath m_path;
};
