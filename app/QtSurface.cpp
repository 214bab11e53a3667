#include "app/QtSurface.h"

#include "app/ImageCache.h"
#include "figures/SegmentWalk.h"

#include <QGlyphRun>
#include <QImage>
#include <QPaintEngine>
#include <QPainterPath>
#include <QPolygonF>
#include <QTextLayout>

#include <algorithm>
#include <array>
#include <atomic>
#include <climits>
#include <cmath>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <system_error>
#include <thread>
#include <unordered_map>
#include <vector>

namespace {

QColor ToQColor(COLORREF c) {
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

// The opaque pixel value of a colour, as QColor::rgb() gives it.
QRgb ToRgb(COLORREF c) {
    return qRgb(GetRValue(c), GetGValue(c), GetBValue(c));
}

// The painter's pen for lines wider than one pixel: round ends and joins, as wide pens have
// always been drawn by this program.
QPen WidePen(const CPen& pen) {
    QPen p(ToQColor(pen.color));
    p.setWidth(std::max(pen.width, 1));
    p.setCapStyle(Qt::RoundCap);
    p.setJoinStyle(Qt::RoundJoin);
    if (pen.style == EPenStyle::Dotted)
        p.setStyle(Qt::DotLine);
    return p;
}

// The painter's pen for a line: dotted lines are one pixel wide whatever their width.
QPen PainterPen(const CPen& pen) {
    QPen p = WidePen(pen);
    if (pen.style == EPenStyle::Dotted)
        p.setWidth(1);
    return p;
}

// Cuts the segment a-b to the rectangle (Liang-Barsky); false when nothing of it is inside.
bool ClipSegment(double& ax, double& ay, double& bx, double& by, double left, double top,
                 double right, double bottom) {
    double t0 = 0.0, t1 = 1.0;
    const double dx = bx - ax, dy = by - ay;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {ax - left, right - ax, ay - top, bottom - ay};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0.0) {
            if (q[i] < 0.0)
                return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0.0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
        if (t0 > t1)
            return false;
    }
    const double nax = ax + t0 * dx, nay = ay + t0 * dy;
    bx = ax + t1 * dx;
    by = ay + t1 * dy;
    ax = nax;
    ay = nay;
    return true;
}

// The one cache of a kind that every surface shares: what one painting keeps serves the next.
template <class T> T& Shared() {
    static T cache;
    return cache;
}

// A running hash of the numbers that make up a cache key.
class CKeyHash {
public:
    explicit CKeyHash(std::uint64_t seed) : m_h(0xCBF29CE484222325ull ^ seed) {}
    // Each number is mixed on its own first, so that numbers differing only in their high bits
    // (the mantissas of coordinates) still spread over the whole hash.
    void Add(std::uint64_t v) {
        v ^= v >> 31;
        v *= 0x7FB5D329728EA185ull;
        v ^= v >> 27;
        v *= 0x81DADEF4BC2DD44Dull;
        v ^= v >> 33;
        m_h = (m_h ^ v) * 0x100000001B3ull;
    }
    void Add(double v) {
        std::uint64_t bits;
        std::memcpy(&bits, &v, sizeof(bits));
        Add(bits);
    }
    void Add(CPoint p) { Add(std::uint64_t(std::uint32_t(p.x)) << 32 | std::uint32_t(p.y)); }
    std::uint64_t Value() const { return m_h; }

private:
    std::uint64_t m_h;
};

// A run of pixels in one row: count pixels from column x in row y.
struct CPixelRun {
    int y, x, count;
};

// The batching surface whose held writes still point into the caches below, if any. A cache
// makes those writes before it drops or replaces an entry.
CQtSurface* g_pHolding = nullptr;
void FlushHolding() {
    if (g_pHolding)
        g_pHolding->Flush();
}

// The pixels a wide pen sets for a segment from one pixel centre to another, as runs per row
// relative to the start pixel. The painter's stroke moves with the segment by whole pixels, so it
// is worked out once per direction, length and width by letting the painter stroke the segment
// into a scratch image, and then written straight into the target's scan lines.
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
    CFootprintView Get(int dx, int dy, const CPen& pen) {
        const std::uint64_t key = (std::uint64_t(std::uint32_t(dx) & 0xFFFFF) << 40) |
                                  (std::uint64_t(std::uint32_t(dy) & 0xFFFFF) << 20) |
                                  std::uint64_t(pen.width & 0xFFFFF);
        // A table in front of the map answers most lookups with one probe; it is sized for the
        // segments of a crowded view, which would push each other out of a smaller one.
        CSlot& slot = m_front[(key * 0x9E3779B97F4A7C15ull) >> (64 - kFrontBits)];
        if (slot.filled && slot.key == key)
            return slot.view;
        auto it = m_map.find(key);
        if (it == m_map.end()) {
            if (m_nRows > kMaxRows) {
                FlushHolding();
                m_map.clear();
                m_front.fill({});
                m_nRows = 0;
            }
            it = m_map.try_emplace(key).first;
            Make(dx, dy, WidePen(pen), it->second);
            m_nRows += it->second.rows.size() + 1;
        }
        const CFootprint& f = it->second;
        slot = {key,
                true,
                {f.rows.data(), static_cast<std::uint32_t>(f.rows.size()), f.top, f.left, f.right,
                 f.usable}};
        return slot.view;
    }

    // Segments up to this long on either axis are looked up; longer ones go to the painter.
    static constexpr int kMaxExtent = 2048;

private:
    static constexpr size_t kMaxRows = 4u << 20;

    void Make(int dx, int dy, const QPen& pen, CFootprint& f) {
        const int pad = pen.width() + 4;
        const int width = std::abs(dx) + 2 * pad + 1, height = std::abs(dy) + 2 * pad + 1;
        if (m_scratch.width() < width || m_scratch.height() < height) {
            m_scratch =
                QImage(std::max(width, m_scratch.width()), std::max(height, m_scratch.height()),
                       QImage::Format_ARGB32_Premultiplied);
            m_scratch.fill(0);
        }
        const int sx = pad + std::max(0, -dx), sy = pad + std::max(0, -dy);
        {
            QPainter painter(&m_scratch);
            painter.setRenderHint(QPainter::Antialiasing, false);
            QPen black = pen;
            black.setColor(Qt::black);
            painter.setPen(black);
            painter.drawLine(QLineF(sx + 0.5, sy + 0.5, sx + dx + 0.5, sy + dy + 0.5));
        }
        // Each row is searched near the segment only, and cleared again for the next stroke.
        f.usable = true;
        f.top = 0;
        f.rows.clear();
        bool started = false;
        for (int y = 0; y < height; ++y) {
            const double t0 = dy == 0 ? 0.0 : std::clamp((y - pad - sy) / double(dy), 0.0, 1.0);
            const double t1 = dy == 0 ? 1.0 : std::clamp((y + pad - sy) / double(dy), 0.0, 1.0);
            const double xa = sx + t0 * dx, xb = sx + t1 * dx;
            const int lo = std::max(0, static_cast<int>(std::min(xa, xb)) - pad - 1);
            const int hi = std::min(width, static_cast<int>(std::max(xa, xb)) + pad + 2);
            auto* line = reinterpret_cast<QRgb*>(m_scratch.scanLine(y));
            int first = -1, last = -1, runs = 0;
            for (int x = lo; x < hi; ++x) {
                if (!line[x])
                    continue;
                if (x != last + 1 || first < 0)
                    ++runs, first = first < 0 ? x : first;
                last = x;
                line[x] = 0;
            }
            if (runs > 1)
                f.usable = false;
            if (first < 0) {
                if (started)
                    break;
                continue;
            }
            if (!started) {
                started = true;
                f.top = y - sy;
            }
            f.rows.push_back({static_cast<std::int16_t>(first - sx),
                              static_cast<std::int16_t>(last - first + 1)});
            f.left = f.rows.size() == 1 ? first - sx : std::min(f.left, first - sx);
            f.right = f.rows.size() == 1 ? last + 1 - sx : std::max(f.right, last + 1 - sx);
        }
    }

    static constexpr int kFrontBits = 14;
    struct CSlot {
        std::uint64_t key = 0;
        bool filled = false;
        CFootprintView view; // map nodes stay put until the map is cleared
    };
    std::array<CSlot, size_t(1) << kFrontBits> m_front{};
    std::unordered_map<std::uint64_t, CFootprint> m_map;
    size_t m_nRows = 0;
    QImage m_scratch;
};

// Curves flattened into pixel polylines, by their control points. A drawing is painted again and
// again with most curves unchanged (every frame of a drag, every hover), and flattening is the
// costly part of a curve; the cached polyline is the very result of the painter's flattening.
class CCurveCache {
public:
    // The pixels a one-pixel pen sets along the polyline (each piece walked with its end left out,
    // every other pixel of a piece when dotted), as offsets from the first of them in an image
    // whose rows are stride pixels apart, with the box they lie in.
    struct CWalk {
        qsizetype stride = 0; // 0: not made yet, or too far apart for the offsets
        CPoint first;
        long long left = 0, top = 0, right = 0, bottom = 0; // right and bottom exclusive
        std::vector<std::int32_t> offsets;
    };

    // What a wide solid pen sets along the polyline when every piece is written from its
    // footprint: the footprints' rows merged into runs, relative to the first pixel point, with
    // the box of the runs and the box of the points. Made for one width at a time.
    struct CWide {
        int width = 0;          // 0: not made yet
        bool usable = false;    // false: a piece the footprints do not serve
        using CRun = CPixelRun; // sorted by row
        std::vector<CRun> runs;
        long long left = 0, top = 0, right = 0, bottom = 0; // runs; right, bottom exclusive
        long long pointsLeft = 0, pointsTop = 0, pointsRight = 0, pointsBottom = 0; // inclusive
    };

    // The pixel points of the flattened curve through key (a start point and three points per
    // piece), with a point that repeats the one before it left out; breaks holds where each
    // further sub-path starts.
    struct CEntry {
        std::vector<CPoint> key;
        std::vector<CPoint> pixels;
        std::vector<size_t> breaks;
        CWalk walks[2]; // solid, dotted
        CWide wide;

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

        // Makes the walk for a one-pixel pen in an image with rows stride pixels apart; null
        // when the curve sets no pixel or spans too much of such an image for the offsets.
        const CWalk* MakeWalk(bool dotted, qsizetype stride) {
            CWalk& w = walks[dotted ? 1 : 0];
            w.offsets.clear();
            w.stride = 0;
            std::vector<CPoint> points;
            ForEachPiece([&](CPoint a, CPoint b) {
                const CSegmentWalk walk(a, b);
                walk.Visit(0, walk.Count(), [&](CPoint p, long long i) {
                    if (!dotted || i % 2 == 0)
                        points.push_back(p);
                });
            });
            if (points.empty())
                return nullptr;
            w.first = points[0];
            w.left = w.right = w.first.x;
            w.top = w.bottom = w.first.y;
            for (const CPoint p : points) {
                w.left = std::min<long long>(w.left, p.x);
                w.right = std::max<long long>(w.right, p.x + 1LL);
                w.top = std::min<long long>(w.top, p.y);
                w.bottom = std::max<long long>(w.bottom, p.y + 1LL);
            }
            if ((w.bottom - w.top) * (stride + 1) + (w.right - w.left) >= (1LL << 30))
                return nullptr;
            w.offsets.reserve(points.size());
            for (const CPoint p : points)
                w.offsets.push_back(static_cast<std::int32_t>((p.y - 0LL - w.first.y) * stride +
                                                              (p.x - 0LL - w.first.x)));
            w.stride = stride;
            return &w;
        }
    };

    CEntry& Get(const std::vector<CPoint>& points) {
        CKeyHash hash(points.size());
        for (const CPoint p : points)
            hash.Add(p);
        const std::uint64_t h = hash.Value();
        auto it = m_map.find(h);
        if (it != m_map.end() && it->second.key == points)
            return it->second;
        // Held writes may point into an entry that is replaced or dropped.
        if (it != m_map.end() || m_nPoints > kMaxPoints)
            FlushHolding();
        if (it == m_map.end() && m_nPoints > kMaxPoints) {
            m_map.clear();
            m_nPoints = 0;
        }
        // A new curve, or another curve with the same hash, which then takes the place.
        CEntry& e = m_map[h];
        m_nPoints -= Size(e);
        Flatten(points, e);
        m_nPoints += Size(e);
        return e;
    }

    // The merged footprints of entry e's pieces for pen (solid, 3 to 1000 pixels wide).
    const CWide& Wide(CEntry& e, const CPen& pen) {
        CWide& w = e.wide;
        if (w.width == pen.width)
            return w;
        if (w.width != 0)
            FlushHolding();
        m_nPoints -= w.runs.size();
        w = CWide();
        w.width = pen.width;
        if (e.pixels.empty())
            return w;
        const CPoint p0 = e.pixels[0];
        // Relative to p0, as [y, left, right) spans; everything stays near p0 or the curve is
        // left to the pieces.
        constexpr long long kFar = 1LL << 29;
        std::vector<std::array<long long, 3>> spans;
        bool served = true;
        e.ForEachPiece([&](CPoint a, CPoint b) {
            const long long dx = b.x - 0LL - a.x, dy = b.y - 0LL - a.y;
            const long long ax = a.x - 0LL - p0.x, ay = a.y - 0LL - p0.y;
            if (!served || std::llabs(dx) > CFootprintCache::kMaxExtent ||
                std::llabs(dy) > CFootprintCache::kMaxExtent || std::llabs(ax) > kFar ||
                std::llabs(ay) > kFar) {
                served = false;
                return;
            }
            const CFootprintView f = Shared<CFootprintCache>().Get(int(dx), int(dy), pen);
            served = f.usable;
            for (size_t i = 0; served && i < f.count; ++i) {
                const long long x = ax + f.rows[i].left;
                spans.push_back({ay + f.top + static_cast<long long>(i), x, x + f.rows[i].count});
            }
        });
        if (!served || spans.empty())
            return w;
        std::sort(spans.begin(), spans.end());
        for (const auto& [y, lo, hi] : spans) {
            if (!w.runs.empty() && w.runs.back().y == y &&
                lo <= w.runs.back().x + w.runs.back().count) {
                CWide::CRun& last = w.runs.back();
                last.count = std::max<int>(last.count, int(hi - last.x));
            } else {
                w.runs.push_back({int(y), int(lo), int(hi - lo)});
            }
        }
        w.runs.shrink_to_fit();
        w.left = w.right = w.runs[0].x;
        w.top = w.runs.front().y;
        w.bottom = w.runs.back().y + 1LL;
        for (const CWide::CRun& r : w.runs) {
            w.left = std::min<long long>(w.left, r.x);
            w.right = std::max<long long>(w.right, r.x + 0LL + r.count);
        }
        w.pointsLeft = w.pointsRight = w.pointsTop = w.pointsBottom = 0;
        for (const CPoint p : e.pixels) {
            w.pointsLeft = std::min(w.pointsLeft, p.x - 0LL - p0.x);
            w.pointsRight = std::max(w.pointsRight, p.x - 0LL - p0.x);
            w.pointsTop = std::min(w.pointsTop, p.y - 0LL - p0.y);
            w.pointsBottom = std::max(w.pointsBottom, p.y - 0LL - p0.y);
        }
        w.usable = true;
        m_nPoints += w.runs.size();
        return w;
    }

    // Entry e's walk for a one-pixel pen in an image with rows stride pixels apart; null when
    // the curve sets no pixel or spans too much of such an image for the offsets.
    const CWalk* Walk(CEntry& e, bool dotted, qsizetype stride) {
        const CWalk& w = e.walks[dotted ? 1 : 0];
        if (w.stride == stride)
            return w.offsets.empty() ? nullptr : &w;
        if (w.stride != 0)
            FlushHolding();
        m_nPoints -= Size(e);
        const CWalk* made = e.MakeWalk(dotted, stride);
        m_nPoints += Size(e);
        return made;
    }

private:
    static constexpr size_t kMaxPoints = 4u << 20;

    // What an entry keeps, in points (two offsets count as one).
    static size_t Size(const CEntry& e) {
        return e.key.size() + e.pixels.size() +
               (e.walks[0].offsets.size() + e.walks[1].offsets.size()) / 2 + e.wide.runs.size();
    }

    void Flatten(const std::vector<CPoint>& points, CEntry& e) {
        e.key = points;
        e.pixels.clear();
        e.breaks.clear();
        e.walks[0] = e.walks[1] = CWalk();
        e.wide = CWide();
        m_path.clear();
        m_path.moveTo(points[0].x, points[0].y);
        for (size_t i = 1; i + 2 < points.size(); i += 3)
            m_path.cubicTo(points[i].x, points[i].y, points[i + 1].x, points[i + 1].y,
                           points[i + 2].x, points[i + 2].y);
        for (const QPolygonF& poly : m_path.toSubpathPolygons()) {
            if (!e.pixels.empty())
                e.breaks.push_back(e.pixels.size());
            const size_t start = e.pixels.size();
            for (const QPointF& q : poly) {
                const CPoint p{RoundHalf(q.x()), RoundHalf(q.y())};
                if (e.pixels.size() == start || e.pixels.back() != p)
                    e.pixels.push_back(p);
            }
        }
        e.pixels.shrink_to_fit();
    }

    std::unordered_map<std::uint64_t, CEntry> m_map;
    size_t m_nPoints = 0;
    QPainterPath m_path;
};

// What the painter itself draws (lines cut where they leave the sight, the wide pieces of a curve
// that cannot be written from footprints, filled arrowheads), as the runs of pixels the call set,
// by the very call: the same lines or corners, pen, translation and device size. The painter's
// result for such a call depends on where it lies on the device, so nothing is moved or reused
// across positions; but the same call comes again on every frame while the view stays put.
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
        QSize device;
        bool operator==(const CCall&) const = default;
    };

    // Devices up to this many pixels are served.
    static constexpr qint64 kMaxDevicePixels = qint64(1) << 25;

    // A call to fill in and look up: its points keep their room from one call to the next.
    CCall& Scratch() { return m_scratchCall; }

    // The runs, or null when the call would take too long to look over and is better made on the
    // painter straight away.
    const std::vector<CRun>* Get(const CCall& call) {
        CKeyHash hash(call.points.size());
        for (const QPointF& p : call.points) {
            hash.Add(p.x());
            hash.Add(p.y());
        }
        hash.Add(std::uint64_t(std::uint32_t(call.width)) << 2 | call.dotted << 1 | call.fill);
        hash.Add(CPoint{call.translation.x(), call.translation.y()});
        hash.Add(CPoint{call.device.width(), call.device.height()});
        const std::uint64_t h = hash.Value();
        CSlot& slot = m_front[(h * 0x9E3779B97F4A7C15ull) >> (64 - kFrontBits)];
        if (slot.entry && slot.key == h && slot.entry->call == call)
            return &slot.entry->runs;
        auto it = m_map.find(h);
        if (it != m_map.end() && it->second.call == call) {
            slot = {h, &it->second};
            return &it->second.runs;
        }
        if (it != m_map.end() || m_nRuns > kMaxRuns)
            FlushHolding();
        if (it == m_map.end() && m_nRuns > kMaxRuns) {
            m_map.clear();
            m_front.fill({});
            m_nRuns = 0;
        }
        CEntry entry{call, {}};
        if (!Make(entry))
            return nullptr;
        CEntry& e = m_map[h];
        m_nRuns -= e.runs.size();
        e = std::move(entry);
        m_nRuns += e.runs.size();
        slot = {h, &e};
        return &e.runs;
    }

private:
    struct CEntry {
        CCall call;
        std::vector<CRun> runs;
    };
    static constexpr size_t kMaxRuns = 4u << 20;
    static constexpr long long kMaxScan = 1 << 22; // pixels looked at for one entry

    // Widens the columns of row y to reach [lo, hi), counting the pixels to look at in scan.
    void Reach(int y, int lo, int hi, long long& scan) {
        if (lo >= hi)
            return;
        auto& r = m_rows[size_t(y)];
        scan += hi - lo;
        r = {std::min(r.first, lo), std::max(r.second, hi)};
    }

    bool Make(CEntry& e) {
        const CCall& c = e.call;
        const int height = c.device.height(), width = c.device.width();
        m_rows.assign(size_t(height), {INT_MAX, INT_MIN});
        long long scan = 0;
        // The rows the call can reach, and the columns within each row: near each line, or the
        // polygon's box.
        const double grow = c.fill ? 2 : (c.dotted ? 1 : std::max(c.width, 1)) + 2;
        const auto clampX = [width](double x) { return int(std::clamp(x, 0.0, double(width))); };
        if (c.fill) {
            QRectF box = QPolygonF(c.points).boundingRect().translated(c.translation);
            box.adjust(-grow, -grow, grow + 1, grow + 1);
            const int top = int(std::clamp(std::floor(box.top()), 0.0, double(height)));
            const int bottom = int(std::clamp(std::ceil(box.bottom()), 0.0, double(height)));
            for (int y = top; y < bottom && scan <= kMaxScan; ++y)
                Reach(y, clampX(std::floor(box.left())), clampX(std::ceil(box.right())), scan);
        }
        for (qsizetype i = 0; !c.fill && i + 1 < c.points.size() && scan <= kMaxScan; i += 2) {
            const QLineF l = QLineF(c.points[i], c.points[i + 1]).translated(c.translation);
            const double top =
                std::clamp(std::floor(std::min(l.y1(), l.y2()) - grow), 0.0, double(height));
            const double bottom =
                std::clamp(std::ceil(std::max(l.y1(), l.y2()) + grow) + 1, 0.0, double(height));
            for (int y = int(top); y < int(bottom); ++y) {
                double t0 = 0, t1 = 1;
                if (l.dy() != 0) {
                    t0 = std::clamp((y - grow - l.y1()) / l.dy(), 0.0, 1.0);
                    t1 = std::clamp((y + 1 + grow - l.y1()) / l.dy(), 0.0, 1.0);
                }
                const double xa = l.x1() + t0 * l.dx(), xb = l.x1() + t1 * l.dx();
                Reach(y, clampX(std::floor(std::min(xa, xb) - grow)),
                      clampX(std::ceil(std::max(xa, xb) + grow) + 1), scan);
            }
        }
        if (scan > kMaxScan)
            return false;
        if (m_scratch.size() != c.device) {
            m_scratch = QImage(c.device, QImage::Format_Alpha8);
            m_scratch.fill(0);
        }
        {
            QPainter painter(&m_scratch);
            painter.setRenderHint(QPainter::Antialiasing, false);
            painter.translate(c.translation);
            if (c.fill) {
                painter.setPen(Qt::NoPen);
                painter.setBrush(Qt::black);
                painter.drawPolygon(QPolygonF(c.points));
            } else {
                painter.setPen(PainterPen(
                    {c.dotted ? EPenStyle::Dotted : EPenStyle::Solid, c.width, RGB(0, 0, 0)}));
                painter.drawLines(c.points.data(), int(c.points.size() / 2));
            }
        }
        // Each row is read where the call can reach it, and cleared again for the next entry.
        for (int y = 0; y < height; ++y) {
            const auto [lo, hi] = m_rows[size_t(y)];
            uchar* row = m_scratch.scanLine(y);
            for (int x = lo; x < hi; ++x) {
                if (!row[x])
                    continue;
                const int start = x;
                while (x < hi && row[x])
                    row[x++] = 0;
                e.runs.push_back({y, start, x - start});
            }
        }
        e.runs.shrink_to_fit();
        return true;
    }

    static constexpr int kFrontBits = 14;
    struct CSlot {
        std::uint64_t key = 0;
        CEntry* entry = nullptr; // map nodes stay put until the map is cleared
    };
    std::array<CSlot, size_t(1) << kFrontBits> m_front{};
    std::unordered_map<std::uint64_t, CEntry> m_map;
    size_t m_nRuns = 0;
    QImage m_scratch;
    std::vector<std::pair<int, int>> m_rows;
    CCall m_scratchCall;
};

// Texts laid out once for a font: shaping a text is the costly part of drawing it, and the same
// labels are drawn again on every frame. A text is laid out just as the painter lays out a
// centred single line: a line as wide as it needs at the top of the layout, its box as high as
// its ascent and descent.
class CTextCache {
public:
    // A cache that the painting thread's held writes point into lets them be made before it
    // drops its layouts; another thread's own cache does not.
    explicit CTextCache(bool shared = true) : m_bShared(shared) {}

    struct CText {
        QTextLayout layout;
        qreal height = 0;
        QRectF ink; // where the glyphs may set pixels, from the top left of the layout
        const std::string* key = nullptr; // the text, as the cache keeps it
    };

    // The layout of text in font and direction; null for a text the painter would change before
    // laying it out (line breaks, tabs and other control characters), which is drawn plainly.
    const CText* Get(const std::string& text, const QFont& font, Qt::LayoutDirection direction,
                     int dpiX, int dpiY) {
        if (font != m_font || direction != m_direction || dpiX != m_nDpiX || dpiY != m_nDpiY ||
            m_map.size() >= kMaxTexts) {
            if (m_bShared)
                FlushHolding();
            m_map.clear();
            m_font = font;
            m_direction = direction;
            m_nDpiX = dpiX;
            m_nDpiY = dpiY;
        }
        auto it = m_map.find(text);
        if (it != m_map.end())
            return it->second.get();
        const auto added = m_map.try_emplace(text).first;
        std::unique_ptr<CText>& entry = added->second;
        const QString s = QString::fromUtf8(text);
        for (const QChar c : s)
            if (c.unicode() < 0x20 || (c.unicode() >= 0x7F && c.unicode() <= 0x9F) ||
                c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
                return nullptr;
        entry = std::make_unique<CText>();
        entry->key = &added->first;
        entry->layout.setText(s);
        entry->layout.setFont(font);
        QTextOption option;
        option.setTextDirection(direction);
        option.setAlignment(Qt::AlignLeft);
        entry->layout.setTextOption(option);
        entry->layout.setCacheEnabled(true);
        entry->layout.beginLayout();
        QTextLine line = entry->layout.createLine();
        if (line.isValid()) {
            line.setLineWidth(0x01000000);
            line.setPosition(QPointF(0, 0));
            entry->height = line.ascent() + line.descent();
        }
        const bool single = line.isValid() && !entry->layout.createLine().isValid();
        entry->layout.endLayout();
        // The outlines' box, grown for the pixels that hinting and smoothing add at its rim.
        for (const QGlyphRun& run : entry->layout.glyphRuns())
            entry->ink |= run.boundingRect();
        entry->ink.adjust(-3, -3, 3, 3);
        if (!single)
            entry.reset();
        return entry.get();
    }

private:
    static constexpr size_t kMaxTexts = 8192;

    bool m_bShared;
    std::unordered_map<std::string, std::unique_ptr<CText>> m_map;
    QFont m_font;
    Qt::LayoutDirection m_direction = Qt::LeftToRight;
    int m_nDpiX = 0, m_nDpiY = 0;
};

// Rows of the image this far ahead of a write are asked for early: a steep line reaches a new row,
// far from the last one, at every pixel, and the writes should not wait on them one by one.
constexpr qsizetype kRowsAhead = 8;

// Images with fewer rows are painted by the painting thread alone.
constexpr int kHelperRows = 128;
// Held ops this far ahead have what they read first asked for early.
constexpr unsigned kOpsAhead = 6;

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

// One write into the image: what it sets, and the rows it may touch, so that it can be made one
// band of rows at a time.
struct CQtSurface::CHeldOp {
    enum class EKind : std::uint8_t {
        Fill,      // a rectangle of pixels
        Walk,      // a one-pixel segment, end left out
        Offsets,   // pixels at offsets from a first one
        Footprint, // a wide segment's footprint rows
        Runs,      // runs of pixels, sorted by row
        Text,      // a laid-out text, drawn by the painter
    };
    EKind kind = EKind::Fill;
    bool dotted = false; // Walk: every other pixel
    bool whole = false;  // Walk: both ends in the image; Footprint: every run within the columns
    QRgb color = 0;
    int top = 0, bottom = 0; // the image rows it may write, bottom exclusive
    union {
        struct {
            int left, right; // image columns, right exclusive
        } fill;
        struct {
            int ax, ay, bx, by;       // drawing coordinates
            long long shiftX, shiftY; // drawing coordinates to image pixels
            int left, right;          // the image columns that may be written
        } walk;
        struct {
            QRgb* first;
            const std::int32_t* offsets;
            size_t count;
        } pixels;
        struct {
            long long x, top; // the image pixel the rows are relative to, and the first row's row
            const CFootprint::CRun* rows;
            size_t count;
            long long left, right; // the image columns that may be written
        } footprint;
        struct {
            long long x, y; // the image pixel the runs are relative to
            const CPixelRun* runs;
            size_t count;
        } runs;
        size_t text; // index into the held texts
    };
    CHeldOp() : fill{0, 0} {}
};

// A sequence that grows without moving what it holds, so that another thread can read the
// elements published to it while more are added.
template <class T> class CChunks {
public:
    static constexpr size_t kChunk = 4096, kMaxChunks = 1024;
    size_t Size() const { return m_nSize; }
    bool IsFull() const { return m_nSize == kChunk * kMaxChunks; }
    void Add(const T& v) {
        std::unique_ptr<T[]>& chunk = m_chunks[m_nSize / kChunk];
        if (!chunk)
            chunk = std::make_unique<T[]>(kChunk);
        chunk[m_nSize % kChunk] = v;
        ++m_nSize;
    }
    const T& operator[](size_t i) const { return m_chunks[i / kChunk][i % kChunk]; }
    void Clear() { m_nSize = 0; } // the chunks are kept for the next painting

private:
    std::array<std::unique_ptr<T[]>, kMaxChunks> m_chunks;
    size_t m_nSize = 0;
};

// Waits a moment for the other thread: a spin at first, then its turn given away, so that a long
// wait does not keep a processor busy.
inline void Relax(unsigned& spins) {
    if (++spins > 4096) {
        std::this_thread::yield();
        return;
    }
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#else
    std::this_thread::yield();
#endif
}

// The writes a batching surface holds back, and the helper thread that makes part of them.
//
// While the painting thread goes on asking for writes, the helper makes every published write
// that falls into the lower rows of the image (from split down), in order, and the writes that
// reach the rows above split are listed by band. When the writes are flushed, both threads take
// bands until none is left, each band getting all its writes in order. Every pixel is written by
// one thread, in the order its writes were asked for, so the image is the same as if one thread had
// made them all.
struct CQtSurface::CHeld {
    struct CText {
        const CTextCache::CText* laid = nullptr; // the painting thread's layout
        const std::string* text = nullptr;       // for the helper's own layout
        QPointF at;                              // where the line is drawn
        QRectF visible;                          // the clip, when clip
        bool clip = false;
    };
    CChunks<CHeldOp> ops;
    CChunks<CText> texts;
    // The rows above the helper's, in bands; the ops that reach each band, in order.
    static constexpr long long kBands = 4;
    std::array<std::vector<unsigned>, kBands> bandOps;

    // The one set of held writes, kept for the life of the program along with its helper.
    static CHeld& Get() {
        static CHeld* held = new CHeld;
        return *held;
    }

    // True when a second processor is there to run the helper.
    bool HasHelper() {
        if (!m_bStarted) {
            m_bStarted = true;
            if (std::thread::hardware_concurrency() >= 2) {
                try {
                    std::thread(&CHeld::Help, this).detach();
                    m_bHelper = true;
                } catch (const std::system_error&) {
                    // No thread to be had: the painting thread makes every write itself.
                }
            }
        }
        return m_bHelper;
    }

    // The job, set by the painting thread before it wakes the helper.
    CQtSurface* surface = nullptr;
    long long split = 0;    // the helper follows rows split .. height
    long long bandRows = 0; // rows in a band above split
    QString font;           // the painter's font, for the helper's own
    Qt::LayoutDirection direction = Qt::LeftToRight;
    int dpiX = 0, dpiY = 0;
    bool running = false;             // the helper is on a job (the painting thread's view)
    std::atomic<size_t> published{0}; // ops the helper may read
    std::atomic<bool> closed{false};  // no more ops come, and the bands are ready
    std::atomic<size_t> nextBand{0};
    std::atomic<bool> helperDone{true};

    std::mutex mutex;
    std::condition_variable wake;
    unsigned long long job = 0;

    // The helper thread's loop: a job at a time.
    void Help();

private:
    bool m_bStarted = false, m_bHelper = false;
};

// The helper's own painter over the same pixels, and its own layouts in its own font: a font and
// its glyph caches belong to one thread.
struct CQtSurface::CHelperTexts {
    CQtSurface& surface;
    CTextCache& layouts;
    const QFont& font;
    QImage view;
    std::optional<QPainter> painter;
    void Draw(const CHeldOp& op, long long top, long long bottom);
};

CQtSurface::CQtSurface(QPainter& painter, EWrites writes)
    : m_painter(painter), m_penOriginal(painter.pen()), m_brushOriginal(painter.brush()),
      m_bgModeOriginal(painter.backgroundMode()) {
    // Another surface's held writes come before anything this one draws.
    FlushHolding();
    m_painter.setRenderHint(QPainter::Antialiasing, false);
    m_painter.setRenderHint(QPainter::TextAntialiasing, true);
    QPaintDevice* device = m_painter.device();
    const QPaintEngine* engine = m_painter.paintEngine();
    if (!device || !engine)
        return;
    const QTransform& t = m_painter.transform();
    // A device with more than one raster pixel per unit (a high-density screen) scales lines
    // just as a scaling transform does.
    m_bPixelExact = engine->type() == QPaintEngine::Raster && t.type() <= QTransform::TxTranslate &&
                    device->devicePixelRatio() == 1.0;

    QRectF area = t.inverted().mapRect(QRectF(0, 0, device->width(), device->height()));
    if (m_painter.hasClipping())
        area = area.intersected(m_painter.clipBoundingRect());
    m_nVisLeft = static_cast<long long>(std::floor(area.left()));
    m_nVisTop = static_cast<long long>(std::floor(area.top()));
    m_nVisRight = static_cast<long long>(std::ceil(area.right()));
    m_nVisBottom = static_cast<long long>(std::ceil(area.bottom()));

    if (!m_bPixelExact || device->devType() != QInternal::Image || t.dx() != std::floor(t.dx()) ||
        t.dy() != std::floor(t.dy()) || std::abs(t.dx()) > 1e9 || std::abs(t.dy()) > 1e9 ||
        m_painter.compositionMode() != QPainter::CompositionMode_SourceOver ||
        m_painter.opacity() != 1.0)
        return;
    auto* image = static_cast<QImage*>(device);
    const QImage::Format format = image->format();
    if (format != QImage::Format_RGB32 && format != QImage::Format_ARGB32 &&
        format != QImage::Format_ARGB32_Premultiplied)
        return;
    const int tx = static_cast<int>(t.dx()), ty = static_cast<int>(t.dy());
    QRect writable = image->rect();
    if (m_painter.hasClipping()) {
        const QRegion clip = m_painter.clipRegion();
        if (clip.rectCount() > 1)
            return; // a clip of several pieces is left to the painter
        writable &= clip.boundingRect().translated(tx, ty);
    }
    m_bFootprints = !m_painter.hasClipping();
    m_pBits = image->bits();
    m_nStride = image->bytesPerLine();
    m_nWidth = image->width();
    m_nHeight = image->height();
    m_nTx = tx;
    m_nTy = ty;
    m_rcWritable = {writable.left() - tx, writable.top() - ty, writable.right() + 1LL - tx,
                    writable.bottom() + 1LL - ty};
    if (writable.isEmpty())
        m_rcWritable = {0, 0, 0, 0};
    m_nShiftX = tx;
    m_nShiftY = ty;
    // Held writes are made over the whole image, so only a painter with no clip holds them; and
    // one surface at a time.
    m_nFormat = static_cast<int>(format);
    m_nDpmX = image->dotsPerMeterX();
    m_nDpmY = image->dotsPerMeterY();
    if (writes == EWrites::Batched && m_bFootprints && !g_pHolding) {
        m_pHeld = &CHeld::Get();
        g_pHolding = this;
    }
}

CQtSurface::~CQtSurface() {
    if (m_pHeld) {
        Flush();
        g_pHolding = nullptr;
        m_pHeld = nullptr;
    }
    // The painter gets back the pen and brush its owner gave it.
    if (m_bPenTouched && m_painter.isActive()) {
        m_painter.setPen(m_penOriginal);
        m_painter.setBrush(m_brushOriginal);
        m_painter.setBackgroundMode(m_bgModeOriginal);
    }
}

void CQtSurface::Flush() {
    if (!m_pHeld || m_pHeld->ops.Size() == 0)
        return;
    CHeld& h = *m_pHeld;
    const size_t count = h.ops.Size();
    if (!h.running) {
        // Alone: every op over the whole image, in order.
        Replay(
            0, count, [](size_t i) { return i; }, 0, m_nHeight, nullptr);
    } else {
        // The helper makes the rows it followed, then both threads take the bands above them.
        h.published.store(count, std::memory_order_release);
        h.closed.store(true, std::memory_order_release);
        for (size_t b = h.nextBand.fetch_add(1); b < CHeld::kBands; b = h.nextBand.fetch_add(1))
            ExecuteBand(b, nullptr);
        for (unsigned spins = 0; !h.helperDone.load(std::memory_order_acquire);)
            Relax(spins);
        h.running = false;
        for (std::vector<unsigned>& band : h.bandOps)
            band.clear();
    }
    h.ops.Clear();
    h.texts.Clear();
}

void CQtSurface::ExecuteBand(size_t band, CHelperTexts* helper) {
    const CHeld& h = *m_pHeld;
    const long long top = static_cast<long long>(band) * h.bandRows;
    const long long bottom = std::min<long long>(top + h.bandRows, h.split);
    const std::vector<unsigned>& ops = h.bandOps[band];
    Replay(
        0, ops.size(), [&ops](size_t k) { return ops[k]; }, top, bottom, helper);
}

template <class Index>
void CQtSurface::Replay(size_t first, size_t last, Index index, long long top, long long bottom,
                        CHelperTexts* helper) {
    const CHeld& h = *m_pHeld;
    for (size_t k = first; k < last; ++k) {
        // What an op a few places on reads is asked for now: the op itself two steps ahead, its
        // rows or runs one step ahead, once the op is at hand. They lie all over memory, and
        // each would otherwise be waited for in turn.
        if (k + 2 * kOpsAhead < last)
            __builtin_prefetch(&h.ops[index(k + 2 * kOpsAhead)]);
        if (k + kOpsAhead < last)
            Prefetch(h.ops[index(k + kOpsAhead)], top);
        Execute(h.ops[index(k)], top, bottom, helper);
    }
}

void CQtSurface::StartHelper() {
    CHeld& h = *m_pHeld;
    // A few rows are not worth handing over.
    if (m_nHeight < kHelperRows || !h.HasHelper())
        return;
    h.surface = this;
    h.split = m_nHeight / 2;
    h.bandRows = (h.split + static_cast<long long>(CHeld::kBands) - 1) / CHeld::kBands;
    h.font = m_painter.font().toString();
    h.direction = m_painter.layoutDirection();
    h.dpiX = m_painter.device()->logicalDpiX();
    h.dpiY = m_painter.device()->logicalDpiY();
    h.published.store(0, std::memory_order_relaxed);
    h.closed.store(false, std::memory_order_relaxed);
    h.nextBand.store(0, std::memory_order_relaxed);
    h.helperDone.store(false, std::memory_order_relaxed);
    h.running = true;
    {
        const std::lock_guard<std::mutex> lock(h.mutex);
        ++h.job;
    }
    h.wake.notify_one();
}

void CQtSurface::CHeld::Help() {
    unsigned long long seen = 0;
    CTextCache layouts(false);
    QString fontKey;
    QFont base;
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(mutex);
            wake.wait(lock, [&] { return job != seen; });
            seen = job;
        }
        CQtSurface& s = *surface;
        if (font != fontKey || fontKey.isEmpty()) {
            fontKey = font;
            base = QFont();
            base.fromString(fontKey);
        }
        CHelperTexts texts{s, layouts, base, {}, {}};
        const long long height = s.m_nHeight;
        size_t i = 0;
        unsigned spins = 0;
        for (;;) {
            const bool last = closed.load(std::memory_order_acquire);
            const size_t n = published.load(std::memory_order_acquire);
            if (i < n)
                spins = 0;
            s.Replay(
                i, n, [](size_t k) { return k; }, split, height, &texts);
            i = n;
            if (last)
                break;
            Relax(spins);
        }
        for (size_t b = nextBand.fetch_add(1); b < kBands; b = nextBand.fetch_add(1))
            s.ExecuteBand(b, &texts);
        texts.painter.reset();
        helperDone.store(true, std::memory_order_release);
    }
}

void CQtSurface::CHelperTexts::Draw(const CHeldOp& op, long long top, long long bottom) {
    CQtSurface& s = surface;
    const CHeld& h = *s.m_pHeld;
    if (!painter) {
        view = QImage(s.m_pBits, s.m_nWidth, s.m_nHeight, s.m_nStride,
                      static_cast<QImage::Format>(s.m_nFormat));
        view.setDotsPerMeterX(s.m_nDpmX);
        view.setDotsPerMeterY(s.m_nDpmY);
        painter.emplace(&view);
        painter->translate(s.m_nTx, s.m_nTy);
        painter->setRenderHint(QPainter::Antialiasing, false);
        painter->setRenderHint(QPainter::TextAntialiasing, true);
        painter->setFont(font);
        painter->setLayoutDirection(h.direction);
        painter->setPen(Qt::black);
        painter->setBackgroundMode(Qt::TransparentMode);
    }
    const CTextCache::CText* laid =
        layouts.Get(*h.texts[op.text].text, painter->font(), h.direction, h.dpiX, h.dpiY);
    if (laid)
        s.ExecuteText(op, top, bottom, *painter, laid->layout.lineAt(0));
}

void CQtSurface::Prefetch(const CHeldOp& op, long long top) const {
    top = std::max<long long>(top, op.top);
    if (top >= op.bottom)
        return; // nothing of op lies in those rows
    // The first few lines of what the op reads: its rows or runs follow each other in memory.
    constexpr int kLines = 4, kLine = 64;
    switch (op.kind) {
    case CHeldOp::EKind::Footprint: {
        const auto* rows =
            reinterpret_cast<const char*>(op.footprint.rows + (top - op.footprint.top));
        const auto* end = reinterpret_cast<const char*>(op.footprint.rows + op.footprint.count);
        for (int i = 0; i < kLines && rows + i * kLine < end; ++i)
            __builtin_prefetch(rows + i * kLine);
        __builtin_prefetch(Row(top) + op.footprint.x, 1);
        return;
    }
    case CHeldOp::EKind::Runs:
        if (top == op.top) {
            const auto* runs = reinterpret_cast<const char*>(op.runs.runs);
            const auto* end = reinterpret_cast<const char*>(op.runs.runs + op.runs.count);
            for (int i = 0; i < kLines && runs + i * kLine < end; ++i)
                __builtin_prefetch(runs + i * kLine);
        }
        return;
    case CHeldOp::EKind::Offsets:
        __builtin_prefetch(op.pixels.offsets);
        return;
    default:
        return;
    }
}

void CQtSurface::Write(const CHeldOp& op) {
    if (op.top >= op.bottom)
        return;
    if (!m_pHeld) {
        Execute(op, 0, m_nHeight, nullptr);
        return;
    }
    CHeld& h = *m_pHeld;
    if (h.ops.IsFull())
        Flush();
    if (h.ops.Size() == 0)
        StartHelper();
    if (h.running) {
        // Listed under the bands above the helper's rows that it reaches.
        const auto index = static_cast<unsigned>(h.ops.Size());
        const long long end = std::min<long long>(op.bottom, h.split);
        for (long long b = op.top / h.bandRows; op.top < end && b * h.bandRows < end; ++b)
            h.bandOps[b].push_back(index);
        h.ops.Add(op);
        h.published.store(h.ops.Size(), std::memory_order_release);
    } else {
        h.ops.Add(op);
    }
}

void CQtSurface::Execute(const CHeldOp& op, long long top, long long bottom, CHelperTexts* helper) {
    const bool within = op.top >= top && op.bottom <= bottom; // all of op's rows are in the band
    top = std::max<long long>(top, op.top);
    bottom = std::min<long long>(bottom, op.bottom);
    if (top >= bottom)
        return;
    const QRgb color = op.color;
    switch (op.kind) {
    case CHeldOp::EKind::Fill:
        for (long long y = top; y < bottom; ++y)
            std::fill(Row(y) + op.fill.left, Row(y) + op.fill.right, color);
        return;
    case CHeldOp::EKind::Walk: {
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
    case CHeldOp::EKind::Offsets: {
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
    case CHeldOp::EKind::Footprint: {
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
    case CHeldOp::EKind::Runs: {
        const auto& r = op.runs;
        const CPixelRun* run = r.runs;
        const CPixelRun* const end = r.runs + r.count;
        if (!within)
            run = std::lower_bound(run, end, top - r.y,
                                   [](const CPixelRun& a, long long y) { return a.y < y; });
        for (; run != end && run->y + r.y < bottom; ++run)
            FillRun(Row(run->y + r.y) + r.x + run->x, run->count, color);
        return;
    }
    case CHeldOp::EKind::Text:
        if (helper) {
            helper->Draw(op, top, bottom);
        } else if (m_painter.isActive()) {
            UseTextPen();
            ExecuteText(op, top, bottom, m_painter, m_pHeld->texts[op.text].laid->layout.lineAt(0));
        }
        return;
    }
}

void CQtSurface::ExecuteText(const CHeldOp& op, long long top, long long bottom, QPainter& painter,
                             const QTextLine& line) const {
    const CHeld::CText& t = m_pHeld->texts[op.text];
    if (!t.clip && top == op.top && bottom == op.bottom) {
        line.draw(&painter, t.at);
        return;
    }
    // Drawn once for each band it reaches, cut to the band.
    QRectF clip(-m_nTx, double(top - m_nTy), m_nWidth, double(bottom - top));
    if (t.clip)
        clip = clip.intersected(t.visible);
    painter.save();
    painter.setClipRect(clip, Qt::IntersectClip);
    line.draw(&painter, t.at);
    painter.restore();
}

void CQtSurface::SetOrigin(CPoint origin) {
    m_nShiftX += m_ptOrigin.x - static_cast<long long>(origin.x);
    m_nShiftY += m_ptOrigin.y - static_cast<long long>(origin.y);
    m_ptOrigin = origin;
}

CQtSurface::CArea CQtSurface::VisibleArea(int margin) const {
    return {m_nVisLeft - margin + m_ptOrigin.x, m_nVisTop - margin + m_ptOrigin.y,
            m_nVisRight + margin + m_ptOrigin.x, m_nVisBottom + margin + m_ptOrigin.y};
}

QPointF CQtSurface::ToDevice(double x, double y) const {
    return {x - m_ptOrigin.x, y - m_ptOrigin.y};
}

QPoint CQtSurface::ToDevice(CPoint p) const {
    // Only called for visible points, whose device coordinates are small.
    return {static_cast<int>(static_cast<long long>(p.x) - m_ptOrigin.x),
            static_cast<int>(static_cast<long long>(p.y) - m_ptOrigin.y)};
}

void CQtSurface::WriteWalk(CPoint a, CPoint b, bool dotted, QRgb color) {
    const CArea w = WritableArea();
    if (w.IsEmpty())
        return;
    CHeldOp op;
    op.kind = CHeldOp::EKind::Walk;
    op.dotted = dotted;
    op.color = color;
    // Every pixel lies between the ends: with both in the image there is no test per pixel.
    op.whole = w.Contains(a) && w.Contains(b);
    op.walk = {a.x,
               a.y,
               b.x,
               b.y,
               m_nShiftX,
               m_nShiftY,
               static_cast<int>(w.left + m_nShiftX),
               static_cast<int>(w.right + m_nShiftX)};
    op.top = static_cast<int>(std::max(std::min<long long>(a.y, b.y), w.top) + m_nShiftY);
    op.bottom = static_cast<int>(std::min(std::max<long long>(a.y, b.y) + 1, w.bottom) + m_nShiftY);
    Write(op);
}

void CQtSurface::WalkPixels(CPoint a, CPoint b, bool dotted, COLORREF color) {
    if (m_pBits) {
        WriteWalk(a, b, dotted, ToRgb(color));
        return;
    }
    const CArea v = VisibleArea(1);
    const CSegmentWalk walk(a, b);
    const auto [first, last] = walk.RangeIn(v.left, v.top, v.right, v.bottom);
    if (first >= last)
        return;
    QPolygon pixels;
    pixels.reserve(static_cast<int>(last - first));
    walk.Visit(first, last, [&](CPoint p, long long i) {
        if (!dotted || i % 2 == 0)
            pixels.append(ToDevice(p));
    });
    m_painter.save();
    QPen pen(ToQColor(color));
    pen.setWidth(0);
    m_painter.setPen(pen);
    m_painter.drawPoints(pixels);
    m_painter.restore();
}

void CQtSurface::UsePen(const CPen& pen) {
    if (m_penSet && *m_penSet == pen)
        return;
    m_painter.setPen(PainterPen(pen));
    m_penSet = pen;
    m_bPenTouched = true;
    m_bTextPen = false;
}

bool CQtSurface::ClipWide(CPoint from, CPoint to, const CPen& pen, QLineF& line) const {
    // Wide pens are centred on the pixel centres of the ends.
    const int w = std::max(pen.width, 1);
    const CArea v = VisibleArea(w + 2);
    double ax = from.x, ay = from.y, bx = to.x, by = to.y;
    if (!ClipSegment(ax, ay, bx, by, double(v.left), double(v.top), double(v.right),
                     double(v.bottom)))
        return false;
    line = QLineF(ToDevice(ax + 0.5, ay + 0.5), ToDevice(bx + 0.5, by + 0.5));
    return true;
}

bool CQtSurface::WriteWide(CPoint from, CPoint to, const CPen& pen) {
    // Solid pens only, whose strokes are convex. A two-pixel pen puts the edges of its stroke
    // exactly through pixel centres in many directions, where the painter's rounding depends on
    // the position; it is left to the painter.
    const int w = std::max(pen.width, 1);
    if (!m_bFootprints || pen.style != EPenStyle::Solid || w < 3 || w > 1000)
        return false;
    const long long dx = static_cast<long long>(to.x) - from.x;
    const long long dy = static_cast<long long>(to.y) - from.y;
    if (std::llabs(dx) > CFootprintCache::kMaxExtent ||
        std::llabs(dy) > CFootprintCache::kMaxExtent)
        return false;
    // The painter strokes a segment that reaches far out of sight only in part (cut where it
    // leaves the visible area), and starts the rows of a stroke that crosses the top edge at that
    // edge: both round differently from the whole stroke, so those strokes go to the painter.
    const CArea v = VisibleArea(w + 2);
    const CArea writable = WritableArea();
    if (!v.Contains(from) || !v.Contains(to) || std::min(from.y, to.y) - w - 2LL < writable.top)
        return false;
    const CFootprintView f =
        Shared<CFootprintCache>().Get(static_cast<int>(dx), static_cast<int>(dy), pen);
    if (!f.usable)
        return false;
    CHeldOp op;
    op.kind = CHeldOp::EKind::Footprint;
    op.color = ToRgb(pen.color);
    op.whole = from.x + 0LL + f.left >= writable.left && from.x + 0LL + f.right <= writable.right;
    const long long top = from.y + 0LL + f.top + m_nShiftY;
    op.footprint = {from.x + m_nShiftX,        top, f.rows, f.count, writable.left + m_nShiftX,
                    writable.right + m_nShiftX};
    op.top = static_cast<int>(std::max(top, writable.top + m_nShiftY));
    op.bottom = static_cast<int>(
        std::min(top + static_cast<long long>(f.count), writable.bottom + m_nShiftY));
    Write(op);
    return true;
}

void CQtSurface::Line(CPoint from, CPoint to, const CPen& pen) {
    if (pen.width <= 1 && IsPixelExact()) {
        // Pixel by pixel, exactly the walk the hit tests use, so what is hit is what is seen.
        WalkPixels(from, to, pen.style == EPenStyle::Dotted, pen.color);
        return;
    }
    if (WriteWide(from, to, pen))
        return;
    QLineF line;
    if (!ClipWide(from, to, pen, line))
        return;
    m_lines.clear();
    m_lines.append(line);
    Stroke(m_lines, pen);
}

void CQtSurface::Stroke(const QList<QLineF>& lines, const CPen& pen) {
    QList<QPointF>& points = Shared<CPainterCallCache>().Scratch().points;
    points.clear();
    for (const QLineF& l : lines)
        points << l.p1() << l.p2();
    if (WriteCached(false, pen))
        return;
    Flush();
    UsePen(pen);
    m_painter.drawLines(lines);
}

bool CQtSurface::WriteCached(bool fill, const CPen& pen) {
    // No clip, a whole-pixel translation, an image: the painter would set exactly these runs of
    // the image's pixels.
    if (!m_bFootprints)
        return false;
    const QTransform& t = m_painter.transform();
    const QPaintDevice* device = m_painter.device();
    // The cache draws into a scratch image of the device's size, which a huge device would make
    // costly to keep.
    if (qint64(device->width()) * device->height() > CPainterCallCache::kMaxDevicePixels)
        return false;
    CPainterCallCache::CCall& call = Shared<CPainterCallCache>().Scratch();
    call.fill = fill;
    call.width = fill ? 0 : pen.width;
    call.dotted = !fill && pen.style == EPenStyle::Dotted;
    call.translation = QPoint(int(t.dx()), int(t.dy()));
    call.device = QSize(device->width(), device->height());
    const std::vector<CPainterCallCache::CRun>* runs = Shared<CPainterCallCache>().Get(call);
    if (!runs)
        return false;
    if (runs->empty())
        return true;
    CHeldOp op;
    op.kind = CHeldOp::EKind::Runs;
    op.color = ToRgb(pen.color);
    op.runs = {0, 0, runs->data(), runs->size()};
    op.top = runs->front().y;
    op.bottom = runs->back().y + 1;
    Write(op);
    return true;
}

void CQtSurface::SetPixel(CPoint p, COLORREF color) {
    const CArea v = VisibleArea(0);
    if (p.x < v.left || p.x >= v.right || p.y < v.top || p.y >= v.bottom)
        return;
    if (m_pBits) {
        if (WritableArea().Contains(p)) {
            CHeldOp op;
            op.color = ToRgb(color);
            op.fill = {static_cast<int>(p.x + m_nShiftX), static_cast<int>(p.x + m_nShiftX + 1)};
            op.top = static_cast<int>(p.y + m_nShiftY);
            op.bottom = op.top + 1;
            Write(op);
        }
        return;
    }
    m_painter.fillRect(QRect(ToDevice(p), QSize(1, 1)), ToQColor(color));
}

void CQtSurface::FillArea(const CArea& r, const QColor& color) {
    const CArea v = VisibleArea(1);
    const CArea c{std::max(r.left, v.left), std::max(r.top, v.top), std::min(r.right, v.right),
                  std::min(r.bottom, v.bottom)};
    if (c.IsEmpty())
        return;
    if (m_pBits) {
        // An opaque fill of whole pixels is the colour written into every pixel of the area.
        const CArea w = c.Intersected(WritableArea());
        if (w.IsEmpty())
            return;
        CHeldOp op;
        op.color = color.rgb();
        op.fill = {static_cast<int>(w.left + m_nShiftX), static_cast<int>(w.right + m_nShiftX)};
        op.top = static_cast<int>(w.top + m_nShiftY);
        op.bottom = static_cast<int>(w.bottom + m_nShiftY);
        Write(op);
        return;
    }
    m_painter.fillRect(
        QRect(static_cast<int>(c.left - m_ptOrigin.x), static_cast<int>(c.top - m_ptOrigin.y),
              static_cast<int>(c.right - c.left), static_cast<int>(c.bottom - c.top)),
        color);
}

void CQtSurface::FillRect(const CRect& r, COLORREF color) {
    FillArea({r.left, r.top, r.right, r.bottom}, ToQColor(color));
}

void CQtSurface::Rectangle(const CRect& rect, const CPen& pen, std::optional<COLORREF> fill) {
    const CRect r = rect.Normalized();
    const CArea a{r.left, r.top, r.right, r.bottom};
    if (a.IsEmpty())
        return;
    if (fill)
        FillArea(a, ToQColor(*fill));
    const QColor color = ToQColor(pen.color);
    if (pen.width <= 1 && pen.style == EPenStyle::Solid) {
        // The outline is the outermost ring of pixels inside the rectangle.
        FillArea({a.left, a.top, a.right, a.top + 1}, color);
        FillArea({a.left, a.bottom - 1, a.right, a.bottom}, color);
        FillArea({a.left, a.top, a.left + 1, a.bottom}, color);
        FillArea({a.right - 1, a.top, a.right, a.bottom}, color);
        return;
    }
    // Wide or dotted outlines: the four edges through the outermost pixel centres.
    const CPoint tl{r.left, r.top}, tr{r.right - 1, r.top}, br{r.right - 1, r.bottom - 1},
        bl{r.left, r.bottom - 1};
    Line(tl, tr, pen);
    Line(tr, br, pen);
    Line(br, bl, pen);
    Line(bl, tl, pen);
    SetPixel(tl, pen.color); // the one corner that no edge ends on
}

void CQtSurface::PolyBezier(const std::vector<CPoint>& points, const CPen& pen) {
    if (points.size() < 4)
        return;
    // The curve lies inside the box of its points: a curve whose box stays out of sight draws
    // nothing and is not flattened at all.
    const CArea v = VisibleArea(std::max(pen.width, 1) + 4);
    const auto [xs, xe] = std::minmax_element(points.begin(), points.end(),
                                              [](CPoint a, CPoint b) { return a.x < b.x; });
    const auto [ys, ye] = std::minmax_element(points.begin(), points.end(),
                                              [](CPoint a, CPoint b) { return a.y < b.y; });
    if (xe->x < v.left || xs->x >= v.right || ye->y < v.top || ys->y >= v.bottom)
        return;
    // Flattened into pixel segments so the curve follows the same pixel and clipping rules as
    // straight lines.
    CCurveCache::CEntry& curve = Shared<CCurveCache>().Get(points);
    const bool pixels = pen.width <= 1 && IsPixelExact();
    const bool dotted = pen.style == EPenStyle::Dotted;
    if (pixels && m_pBits) {
        // Inside the image, the pixels the walk sets are written from their offsets.
        const qsizetype stride = m_nStride / qsizetype(sizeof(QRgb));
        const CCurveCache::CWalk* walk = Shared<CCurveCache>().Walk(curve, dotted, stride);
        if (walk && WritableArea().Contains({walk->left, walk->top, walk->right, walk->bottom})) {
            CHeldOp op;
            op.kind = CHeldOp::EKind::Offsets;
            op.color = ToRgb(pen.color);
            op.pixels = {Row(m_nShiftY + walk->first.y) + m_nShiftX + walk->first.x,
                         walk->offsets.data(), walk->offsets.size()};
            op.top = static_cast<int>(walk->top + m_nShiftY);
            op.bottom = static_cast<int>(walk->bottom + m_nShiftY);
            Write(op);
            return;
        }
    }
    const int w = std::max(pen.width, 1);
    if (!pixels && m_bFootprints && pen.style == EPenStyle::Solid && w >= 3 && w <= 1000) {
        // Where every piece would be written from its footprint, whole and uncut (what WriteWide
        // asks of each piece), the merged footprints give the same pixels, each written once.
        const CCurveCache::CWide& wide = Shared<CCurveCache>().Wide(curve, pen);
        const CPoint p0 = curve.pixels.empty() ? CPoint{} : curve.pixels[0];
        const CArea v = VisibleArea(w + 2);
        const CArea writable = WritableArea();
        if (wide.usable && p0.x + wide.pointsLeft >= v.left && p0.x + wide.pointsRight < v.right &&
            p0.y + wide.pointsTop >= v.top && p0.y + wide.pointsBottom < v.bottom &&
            p0.y + wide.pointsTop - w - 2 >= writable.top &&
            writable.Contains(
                {p0.x + wide.left, p0.y + wide.top, p0.x + wide.right, p0.y + wide.bottom})) {
            CHeldOp op;
            op.kind = CHeldOp::EKind::Runs;
            op.color = ToRgb(pen.color);
            op.runs = {p0.x + m_nShiftX, p0.y + m_nShiftY, wide.runs.data(), wide.runs.size()};
            op.top = static_cast<int>(p0.y + m_nShiftY + wide.top);
            op.bottom = static_cast<int>(p0.y + m_nShiftY + wide.bottom);
            Write(op);
            return;
        }
    }
    m_lines.clear();
    curve.ForEachPiece([&](CPoint a, CPoint b) {
        QLineF line;
        if (pixels)
            WalkPixels(a, b, dotted, pen.color);
        else if (!WriteWide(a, b, pen) && ClipWide(a, b, pen, line))
            m_lines.append(line);
    });
    // One colour, no end pixels in between: the pieces are stroked together.
    if (!m_lines.isEmpty())
        Stroke(m_lines, pen);
}

void CQtSurface::FillPolygon(const std::vector<CPoint>& points, COLORREF color) {
    if (points.size() < 3)
        return;
    QPolygonF poly;
    for (const CPoint& p : points)
        poly.append(ToDevice(p.x, p.y));
    // Far-away corners (a huge arrowhead) are cut to what can be seen before rasterising.
    const CArea v = VisibleArea(4);
    const QRectF visible(ToDevice(double(v.left), double(v.top)),
                         ToDevice(double(v.right), double(v.bottom)));
    if (!visible.contains(poly.boundingRect()))
        poly = poly.intersected(QPolygonF(visible));
    if (poly.isEmpty())
        return;
    QList<QPointF>& corners = Shared<CPainterCallCache>().Scratch().points;
    corners.resize(poly.size());
    std::copy(poly.begin(), poly.end(), corners.begin());
    if (WriteCached(true, {EPenStyle::Solid, 0, color}))
        return;
    Flush();
    m_painter.save();
    m_painter.setPen(Qt::NoPen);
    m_painter.setBrush(ToQColor(color));
    m_painter.drawPolygon(poly);
    m_painter.restore();
}

void CQtSurface::DrawText(const CRect& rect, const std::string& text) {
    const CRect r = rect.Normalized();
    const CArea v = VisibleArea(0);
    const CArea clip{std::max<long long>(r.left, v.left), std::max<long long>(r.top, v.top),
                     std::min<long long>(r.right, v.right),
                     std::min<long long>(r.bottom, v.bottom)};
    if (text.empty() || clip.IsEmpty())
        return;
    const QRectF box(ToDevice(r.left, r.top), ToDevice(r.right, r.bottom));
    const QRectF visible(ToDevice(double(clip.left), double(clip.top)),
                         ToDevice(double(clip.right), double(clip.bottom)));
    const QPaintDevice* device = m_painter.device();
    const CTextCache::CText* laid =
        IsPixelExact()
            ? Shared<CTextCache>().Get(text, m_painter.font(), m_painter.layoutDirection(),
                                       device->logicalDpiX(), device->logicalDpiY())
            : nullptr;
    if (!laid) {
        Flush();
        m_painter.save();
        m_painter.setClipRect(visible, Qt::IntersectClip);
        m_painter.setPen(Qt::black);
        m_painter.setBackgroundMode(Qt::TransparentMode);
        m_painter.drawText(box, Qt::AlignCenter | Qt::TextSingleLine, QString::fromUtf8(text));
        m_painter.restore();
        return;
    }
    // Centred in the box as the painter centres it.
    const QTextLine line = laid->layout.lineAt(0);
    const QPointF at(box.x() + (box.width() - line.horizontalAdvance()) / 2,
                     box.y() + (box.height() - laid->height) / 2);
    const QRectF ink = laid->ink.translated(at);
    // Every pixel the glyphs can set lies inside the box and in sight: no clip is needed.
    const bool cut = !visible.contains(ink);
    if (m_pHeld) {
        if (m_pHeld->ops.IsFull() || m_pHeld->texts.IsFull())
            Flush();
        // The rows the glyphs can reach, in the image.
        const QRectF reach = cut ? ink.intersected(visible) : ink;
        if (reach.isEmpty())
            return;
        CHeldOp op;
        op.kind = CHeldOp::EKind::Text;
        op.text = m_pHeld->texts.Size();
        op.top =
            static_cast<int>(std::clamp(std::floor(reach.top()) + m_nTy, 0.0, double(m_nHeight)));
        op.bottom =
            static_cast<int>(std::clamp(std::ceil(reach.bottom()) + m_nTy, 0.0, double(m_nHeight)));
        if (op.top >= op.bottom)
            return;
        m_pHeld->texts.Add({laid, laid->key, at, visible, cut});
        Write(op);
        return;
    }
    UseTextPen();
    if (!cut) {
        line.draw(&m_painter, at);
        return;
    }
    m_painter.save();
    m_painter.setClipRect(visible, Qt::IntersectClip);
    line.draw(&m_painter, at);
    m_painter.restore();
}

void CQtSurface::UseTextPen() {
    if (m_bTextPen)
        return;
    m_painter.setPen(Qt::black);
    m_painter.setBackgroundMode(Qt::TransparentMode);
    m_penSet.reset();
    m_bPenTouched = true;
    m_bTextPen = true;
}

void CQtSurface::DrawImage(const std::string& path, const CRect& rect) {
    const CRect r = rect.Normalized();
    if (r.Width() <= 0 || r.Height() <= 0 || path.empty())
        return;
    const CArea v = VisibleArea(1);
    const CArea c{std::max<long long>(r.left, v.left), std::max<long long>(r.top, v.top),
                  std::min<long long>(r.right, v.right), std::min<long long>(r.bottom, v.bottom)};
    if (c.IsEmpty())
        return;
    const QImage& image = CImageCache::Shared().Get(QString::fromUtf8(path));
    if (image.isNull())
        return; // missing or unreadable: nothing is drawn
    Flush();
    // Only the visible part of the target is drawn, from the matching part of the image.
    const double sx = image.width() / double(r.Width());
    const double sy = image.height() / double(r.Height());
    const QRectF source((c.left - r.left) * sx, (c.top - r.top) * sy, (c.right - c.left) * sx,
                        (c.bottom - c.top) * sy);
    const QRectF target(ToDevice(double(c.left), double(c.top)),
                        ToDevice(double(c.right), double(c.bottom)));
    m_painter.drawImage(target, image, source);
}

void CQtSurface::XorRectangle(const CRect& rect) {
    const CRect r = rect.Normalized();
    if (r.Width() <= 0 || r.Height() <= 0)
        return;
    // The ring of outermost pixels, each once (a second XOR would undo it), every other one
    // set; the dots are placed by position so that drawing the band again removes it.
    const CArea v = VisibleArea(0);
    QPolygon dots;
    const auto add = [&](long long x, long long y) {
        if (x >= v.left && x < v.right && y >= v.top && y < v.bottom && ((x + y) & 1) == 0)
            dots.append(
                QPoint(static_cast<int>(x - m_ptOrigin.x), static_cast<int>(y - m_ptOrigin.y)));
    };
    const long long l = r.left, t = r.top, rt = r.right - 1LL, b = r.bottom - 1LL;
    for (long long x = std::max(l, v.left); x <= std::min(rt, v.right - 1); ++x) {
        add(x, t);
        if (b != t)
            add(x, b);
    }
    for (long long y = std::max(t + 1, v.top); y <= std::min(b - 1, v.bottom - 1); ++y) {
        add(l, y);
        if (rt != l)
            add(rt, y);
    }
    if (dots.isEmpty())
        return;
    Flush();
    m_painter.save();
    QPen pen(Qt::black);
    pen.setWidth(0);
    m_painter.setPen(pen);
    const QPaintEngine* engine = m_painter.paintEngine();
    if (engine && engine->hasFeature(QPaintEngine::RasterOpModes))
        m_painter.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
    m_painter.drawPoints(dots);
    m_painter.restore();
}
