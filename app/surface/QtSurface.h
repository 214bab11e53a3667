// CQtSurface: the draw surface over a QPainter, with the pixel rules of the figures (aliased,
// integer pixels, lines that leave out their end pixel, right/bottom-exclusive rectangles). It
// decides, call by call, what can be written straight into the image's pixels (by its pixel
// writer, from the window's caches) and what the painter has to draw.
#pragma once

#include "app/surface/CurveCache.h"
#include "app/surface/PixelWriter.h"
#include "figures/DrawSurface.h"

#include <QPainter>

#include <algorithm>
#include <functional>
#include <memory>

class CHeldWrites;
class CSurfaceCaches;

class CQtSurface : public CDrawSurface {
public:
    // When the surface writes the image's pixels.
    enum class EWrites {
        Immediate, // each call has set its pixels when it returns
        // Writes are held back, and all made by Flush() or when the surface ends. On a machine
        // with a second processor, a helper thread makes those that fall into the lower half of
        // the image while the calls go on, and the two threads share the upper half at the end.
        // Every pixel gets its writes in the order they were asked for, so the image is the one
        // Immediate paints. Until the writes are made, the painter must not be drawn on, ended
        // or handed to another surface.
        Batched,
    };

    // The painter must stay alive and active while the surface is used. Its transform and clip
    // are read here: what is visible is decided once, for the life of the surface. What it keeps
    // for later paintings goes into caches, which must outlive the surface; without them, into
    // caches of its own that go with it.
    CQtSurface(QPainter& painter, CSurfaceCaches& caches, EWrites writes = EWrites::Immediate);
    explicit CQtSurface(QPainter& painter, EWrites writes = EWrites::Immediate);
    ~CQtSurface() override;
    CQtSurface(const CQtSurface&) = delete;
    CQtSurface& operator=(const CQtSurface&) = delete;

    // Makes the writes held back so far.
    void Flush();

    // From now on, what the surface writes straight into the image's pixels stays inside these
    // image pixels; what it has the painter draw is not limited (a clip would change how the
    // painter rounds what it cuts). The canvas window paints what changed this way into an image
    // it copies the rectangle from. Only for writes made at once, before anything is drawn.
    void LimitWrites(const QRect& imagePixels);

    void Line(CPoint from, CPoint to, const CPen& pen) override;
    void Lines(const std::vector<CPoint>& ends, const CPen& pen) override;
    void SetPixel(CPoint p, COLORREF color) override;
    void Rectangle(const CRect& r, const CPen& pen, std::optional<COLORREF> fill) override;
    void FillRect(const CRect& r, COLORREF color) override;
    void PolyBezier(const std::vector<CPoint>& points, const CPen& pen) override;
    void FillPolygon(const std::vector<CPoint>& points, COLORREF color) override;
    void DrawText(const CRect& r, const std::string& text) override;
    void DrawTextAt(CPoint at, const std::string& text, char h, char v, double degrees,
                    int pixelSize) override;
    void DrawImage(const std::string& path, const CRect& r) override;
    void XorRectangle(const CRect& r) override;
    void SetOrigin(CPoint origin) override;
    bool Misses(const CRect& r) const override;

private:
    // A rectangle in drawing coordinates (before the origin is taken off), wide enough for any
    // int point plus or minus any origin.
    struct CArea {
        long long left, top, right, bottom; // right and bottom exclusive
        bool IsEmpty() const { return left >= right || top >= bottom; }
        bool Contains(CPoint p) const {
            return p.x >= left && p.x < right && p.y >= top && p.y < bottom;
        }
        bool Contains(const CArea& a) const {
            return a.left >= left && a.right <= right && a.top >= top && a.bottom <= bottom;
        }
        CArea Intersected(const CArea& a) const {
            return {std::max(left, a.left), std::max(top, a.top), std::min(right, a.right),
                    std::min(bottom, a.bottom)};
        }
    };

    // Reads the painter and the device: what is visible, and whether pixels may be written.
    void Start(EWrites writes);
    // The part of the drawing coordinates that can show on the device, grown by margin pixels.
    CArea VisibleArea(int margin) const;
    // The part of the drawing coordinates whose pixels may be written straight into the image.
    CArea WritableArea() const {
        return {m_rcWritable.left + m_ptOrigin.x, m_rcWritable.top + m_ptOrigin.y,
                m_rcWritable.right + m_ptOrigin.x, m_rcWritable.bottom + m_ptOrigin.y};
    }
    // Drawing coordinates to the painter's coordinates.
    QPointF ToDevice(double x, double y) const;
    QPoint ToDevice(CPoint p) const;
    // One-pixel pens are drawn pixel by pixel when the painter maps one unit to one raster
    // pixel; anything else (a scaled printer page, a high-density screen) is stroked as QPen
    // strokes it, by the painter or from what it set before.
    bool IsPixelExact() const { return m_bPixelExact; }
    // Pixels of the walk from a to b (end left out) that are visible; dotted keeps every other.
    void WalkPixels(CPoint a, CPoint b, bool dotted, COLORREF color);
    // The same walk written straight into the image's scan lines.
    void WriteWalk(CPoint a, CPoint b, bool dotted, QRgb color);
    // A wide solid segment written into the scan lines from the pixels the painter's stroke of
    // it sets; false when it has to go to the painter.
    bool WriteWide(CPoint from, CPoint to, const CPen& pen);
    // The same on a device of more than one pixel a unit, where every solid pen is scaled.
    bool WriteScaledWide(CPoint from, CPoint to, const CPen& pen);
    // Can the pen's pieces be written from their footprints merged (solid, wide enough, at a
    // scale whose period is one unit, into an image with no clip)?
    bool CanMergeWidePieces(const CPen& pen) const;
    // The pieces of a cached polyline written as their merged footprints, each pixel once; false
    // when some piece would not be written whole from its footprint, and the pieces must be
    // drawn one by one.
    bool WriteWidePieces(CCurveCache::CEntry& curve, const CPen& pen);
    // The device pixels the painter fills for the units of r, written into the image.
    void WriteScaledFill(const CArea& r, QRgb color);
    // The device pixel where a unit (in drawing coordinates) starts, a multiple of the period.
    long long DevicePixelX(long long x) const { return m_scale.Pixels(x + m_nShiftX); }
    long long DevicePixelY(long long y) const { return m_scale.Pixels(y + m_nShiftY); }
    // The visible part of a wide or scaled line, in painter coordinates; false when none is.
    bool ClipWide(CPoint from, CPoint to, const CPen& pen, QLineF& line) const;
    // Lines stroked with pen as the painter strokes them in one call.
    void Stroke(const QList<QLineF>& lines, const CPen& pen);
    // Writes the pixels the painter sets when it strokes the points of the painter-call cache's
    // scratch call as lines (two points each) with pen, or fills them as a polygon in the pen's
    // colour, from what the same call set before; false when the painter has to draw them.
    bool WriteCached(bool fill, const CPen& pen);
    void UsePen(const CPen& pen);
    // Black, over a transparent background, as every text is drawn.
    void UseTextPen();
    void FillArea(const CArea& r, const QColor& color);

    // A write into the image's pixels, made now or held back for Flush.
    void Write(CWriteOp op);
    // Cuts op to the limit of LimitWrites; false when nothing of it is left.
    bool Limit(CWriteOp& op) const;
    // Does a call whose pixels lie within margin units of the drawing coordinates [left, right) x
    // [top, bottom) write nothing inside that limit? The painter is then not asked to draw it
    // either: what it would set outside the limit is not wanted.
    bool OutsideLimit(long long left, long long top, long long right, long long bottom,
                      int margin) const;
    // Would nothing drawn in [left, right) x [top, bottom) (drawing coordinates), grown by
    // margin, show: out of sight, or outside that limit?
    bool Unseen(long long left, long long top, long long right, long long bottom, int margin) const;
    // The same for glyphs whose pixels all lie in ink (painter coordinates); false when the box
    // is not usable.
    bool InkUnseen(const QRectF& ink) const;
    // Do the image pixels [left, right) x [top, bottom) lie within that limit?
    bool LimitHolds(long long left, long long top, long long right, long long bottom) const {
        return !m_bLimited || (left >= m_limit.left && right <= m_limit.right &&
                               top >= m_limit.top && bottom <= m_limit.bottom);
    }
    QRgb* Row(long long y) const { return m_writer.Row(y); }

    std::unique_ptr<CSurfaceCaches> m_pOwnCaches; // when no caches were given
    CSurfaceCaches& m_caches;
    QPainter& m_painter;
    CPoint m_ptOrigin;
    bool m_bPixelExact = false;
    // The painter's visible rectangle (device and clip), in painter coordinates.
    long long m_nVisLeft = 0, m_nVisTop = 0, m_nVisRight = 0, m_nVisBottom = 0;

    // Direct access to the image's pixels when the painter draws into a plain 32-bit image with
    // a whole-pixel translation and at most a rectangular clip; invalid otherwise.
    CPixelWriter m_writer;
    CArea m_rcWritable{0, 0, 0, 0};         // painter coordinates that may be written
    long long m_nShiftX = 0, m_nShiftY = 0; // drawing coordinates to image pixels
    bool m_bFootprints = false;             // wide strokes may be written from footprints
    bool m_bLimited = false;                // writes are kept inside m_limit (image pixels)
    CArea m_limit{0, 0, 0, 0};
    CArea m_limitUnits{0, 0, 0, 0}; // the units whose device pixels meet it, before the shift
    // Device pixels a unit; when more than one, what is written is scaled as the painter scales it.
    CScale m_scale;
    bool m_bScaled = false;
    int m_nTy = 0; // the painter's vertical translation

    // The writes held back, in the order they were asked for; null when writes are made at once.
    CHeldWrites* m_pHeld = nullptr;
    std::function<QPainter*()> m_fnTextPainter; // the painter, ready for held texts

    // The painter's pen as this surface last set it, and the one to give back at the end.
    std::optional<CPen> m_penSet;
    QPen m_penOriginal;
    QBrush m_brushOriginal;
    Qt::BGMode m_bgModeOriginal;
    bool m_bPenTouched = false;
    bool m_bTextPen = false; // the painter holds the pen and background mode of texts
    QList<QLineF> m_lines;   // the wide pieces of a curve
};
