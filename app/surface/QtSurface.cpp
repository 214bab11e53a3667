#include "app/surface/QtSurface.h"

#include "app/surface/SurfaceCaches.h"
#include "figures/Figure.h"
#include "figures/SegmentWalk.h"

#include <QImage>
#include <QPaintEngine>
#include <QPolygonF>
#include <QTextLine>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

CQtSurface::CQtSurface(QPainter& painter, EWrites writes)
    : m_pOwnCaches(std::make_unique<CSurfaceCaches>()), m_caches(*m_pOwnCaches), m_painter(painter),
      m_penOriginal(painter.pen()), m_brushOriginal(painter.brush()),
      m_bgModeOriginal(painter.backgroundMode()) {
    Start(writes);
}

CQtSurface::CQtSurface(QPainter& painter, CSurfaceCaches& caches, EWrites writes)
    : m_caches(caches), m_painter(painter), m_penOriginal(painter.pen()),
      m_brushOriginal(painter.brush()), m_bgModeOriginal(painter.backgroundMode()) {
    Start(writes);
}

void CQtSurface::Start(EWrites writes) {
    m_caches.OpenFrame();
    m_fnTextPainter = [this]() -> QPainter* {
        if (!m_painter.isActive())
            return nullptr;
        UseTextPen();
        return &m_painter;
    };
    m_painter.setRenderHint(QPainter::Antialiasing, false);
    m_painter.setRenderHint(QPainter::TextAntialiasing, true);
    QPaintDevice* device = m_painter.device();
    const QPaintEngine* engine = m_painter.paintEngine();
    if (!device || !engine)
        return;
    const QTransform& t = m_painter.transform();
    // A device with more than one raster pixel per unit (a high-density screen) scales lines
    // just as a scaling transform does: they are not walked pixel by pixel but written as the
    // painter strokes them.
    const double ratio = device->devicePixelRatio();
    const bool translated =
        engine->type() == QPaintEngine::Raster && t.type() <= QTransform::TxTranslate;
    m_bPixelExact = translated && ratio == 1.0;
    m_scale = CScale::Of(ratio);

    QRectF area = t.inverted().mapRect(QRectF(0, 0, device->width(), device->height()));
    if (m_painter.hasClipping())
        area = area.intersected(m_painter.clipBoundingRect());
    m_nVisLeft = static_cast<long long>(std::floor(area.left()));
    m_nVisTop = static_cast<long long>(std::floor(area.top()));
    m_nVisRight = static_cast<long long>(std::ceil(area.right()));
    m_nVisBottom = static_cast<long long>(std::ceil(area.bottom()));

    if (!translated || m_scale.period == 0 || device->devType() != QInternal::Image ||
        t.dx() != std::floor(t.dx()) || t.dy() != std::floor(t.dy()) || std::abs(t.dx()) > 1e9 ||
        std::abs(t.dy()) > 1e9 ||
        m_painter.compositionMode() != QPainter::CompositionMode_SourceOver ||
        m_painter.opacity() != 1.0 ||
        // A clip's edges fall on device pixels only at a whole number of them a unit.
        (ratio != std::floor(ratio) && m_painter.hasClipping()))
        return;
    auto* image = static_cast<QImage*>(device);
    const QImage::Format format = image->format();
    if (format != QImage::Format_RGB32 && format != QImage::Format_ARGB32 &&
        format != QImage::Format_ARGB32_Premultiplied)
        return;
    const int tx = static_cast<int>(t.dx()), ty = static_cast<int>(t.dy());
    QRect writable(0, 0, static_cast<int>(image->width() / ratio),
                   static_cast<int>(image->height() / ratio));
    if (m_painter.hasClipping()) {
        const QRegion clip = m_painter.clipRegion();
        if (clip.rectCount() > 1)
            return; // a clip of several pieces is left to the painter
        writable &= clip.boundingRect().translated(tx, ty);
    }
    m_bScaled = ratio != 1.0;
    m_bFootprints = !m_painter.hasClipping();
    m_writer = CPixelWriter(*image);
    m_nTy = ty;
    m_rcWritable = {writable.left() - tx, writable.top() - ty, writable.right() + 1LL - tx,
                    writable.bottom() + 1LL - ty};
    if (writable.isEmpty())
        m_rcWritable = {0, 0, 0, 0};
    m_nShiftX = tx;
    m_nShiftY = ty;
    // Held writes are made over the whole image, so only a painter with no clip holds them; and
    // one surface at a time.
    if (writes == EWrites::Batched && m_bFootprints) {
        m_pHeld = m_caches.TakeHeldWrites();
        if (m_pHeld)
            m_pHeld->Begin(
                {m_writer, tx, ty, format, image->dotsPerMeterX(), image->dotsPerMeterY(),
                 m_painter.font().toString(), m_painter.layoutDirection(), device->logicalDpiX(),
                 device->logicalDpiY(), ratio, static_cast<int>(m_scale.PeriodPixels())});
    }
}

CQtSurface::~CQtSurface() {
    if (m_pHeld) {
        m_pHeld->End(m_fnTextPainter);
        m_caches.GiveBackHeldWrites();
        m_pHeld = nullptr;
    }
    // The painter gets back the pen and brush its owner gave it.
    if (m_bPenTouched && m_painter.isActive()) {
        m_painter.setPen(m_penOriginal);
        m_painter.setBrush(m_brushOriginal);
        m_painter.setBackgroundMode(m_bgModeOriginal);
    }
    // Nothing points into the caches any more: they may drop what they keep.
    m_caches.CloseFrame();
}

void CQtSurface::Flush() {
    if (m_pHeld)
        m_pHeld->Flush(m_fnTextPainter);
}

void CQtSurface::LimitWrites(const QRect& imagePixels) {
    m_bLimited = true;
    m_limit = {imagePixels.left(), imagePixels.top(), imagePixels.right() + 1LL,
               imagePixels.bottom() + 1LL};
    // The units (before the shift) whose device pixels meet the limit.
    const double ratio = m_scale.ratio;
    const auto lo = [ratio](long long pixel) {
        return static_cast<long long>(std::floor(static_cast<double>(pixel) / ratio));
    };
    const auto hi = [ratio](long long pixel) {
        return static_cast<long long>(std::ceil(static_cast<double>(pixel) / ratio));
    };
    m_limitUnits = {lo(m_limit.left), lo(m_limit.top), hi(m_limit.right), hi(m_limit.bottom)};
}

bool CQtSurface::OutsideLimit(long long left, long long top, long long right, long long bottom,
                              int margin) const {
    return m_bLimited && (right + margin <= m_limitUnits.left - m_nShiftX ||
                          left - margin >= m_limitUnits.right - m_nShiftX ||
                          bottom + margin <= m_limitUnits.top - m_nShiftY ||
                          top - margin >= m_limitUnits.bottom - m_nShiftY);
}

bool CQtSurface::Unseen(long long left, long long top, long long right, long long bottom,
                        int margin) const {
    const CArea v = VisibleArea(margin);
    return right <= v.left || left >= v.right || bottom <= v.top || top >= v.bottom ||
           OutsideLimit(left, top, right, bottom, margin);
}

bool CQtSurface::Misses(const CRect& r) const {
    return Unseen(r.left, r.top, r.right, r.bottom, 0);
}

bool CQtSurface::InkUnseen(const QRectF& ink) const {
    const auto usable = [](double v) { return std::isfinite(v) && std::abs(v) < 1e15; };
    if (!usable(ink.left()) || !usable(ink.top()) || !usable(ink.right()) || !usable(ink.bottom()))
        return false;
    return Unseen(static_cast<long long>(std::floor(ink.left())) + m_ptOrigin.x,
                  static_cast<long long>(std::floor(ink.top())) + m_ptOrigin.y,
                  static_cast<long long>(std::ceil(ink.right())) + m_ptOrigin.x,
                  static_cast<long long>(std::ceil(ink.bottom())) + m_ptOrigin.y, 1);
}

bool CQtSurface::Limit(CWriteOp& op) const {
    op.top = static_cast<int>(std::max<long long>(op.top, m_limit.top));
    op.bottom = static_cast<int>(std::min<long long>(op.bottom, m_limit.bottom));
    if (op.top >= op.bottom)
        return false;
    // Columns are cut, and a write that was whole is looked at pixel by pixel unless it lies
    // inside the limit.
    switch (op.kind) {
    case CWriteOp::EKind::Fill:
        op.fill.left = static_cast<int>(std::max<long long>(op.fill.left, m_limit.left));
        op.fill.right = static_cast<int>(std::min<long long>(op.fill.right, m_limit.right));
        return op.fill.left < op.fill.right;
    case CWriteOp::EKind::Walk: {
        // A walk whose ends both lie inside the limit lies inside it whole.
        const auto inside = [this, &op](long long x, long long y) {
            x += op.walk.shiftX;
            y += op.walk.shiftY;
            return x >= m_limit.left && x < m_limit.right && y >= m_limit.top && y < m_limit.bottom;
        };
        op.whole = op.whole && inside(op.walk.ax, op.walk.ay) && inside(op.walk.bx, op.walk.by);
        op.walk.left = static_cast<int>(std::max<long long>(op.walk.left, m_limit.left));
        op.walk.right = static_cast<int>(std::min<long long>(op.walk.right, m_limit.right));
        return op.walk.left < op.walk.right;
    }
    case CWriteOp::EKind::Footprint:
        op.whole = false;
        op.footprint.left = std::max(op.footprint.left, m_limit.left);
        op.footprint.right = std::min(op.footprint.right, m_limit.right);
        return op.footprint.left < op.footprint.right;
    case CWriteOp::EKind::Runs:
        op.whole = false;
        op.runs.left = std::max(op.runs.left, m_limit.left);
        op.runs.right = std::min(op.runs.right, m_limit.right);
        return op.runs.left < op.runs.right;
    case CWriteOp::EKind::Offsets: // only made when the limit holds all of it
    case CWriteOp::EKind::Text:
        return true;
    }
    return true;
}

void CQtSurface::Write(CWriteOp op) {
    if (op.top >= op.bottom)
        return;
    if (m_bLimited && !Limit(op))
        return;
    if (!m_pHeld) {
        m_writer.Execute(op, 0, m_writer.GetHeight());
        return;
    }
    if (m_pHeld->IsFull())
        Flush();
    m_pHeld->Add(op);
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
    CWriteOp op;
    op.kind = CWriteOp::EKind::Walk;
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
    if (m_writer.IsValid()) {
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
    if (m_bScaled)
        return WriteScaledWide(from, to, pen);
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
        m_caches.Footprints().Get(static_cast<int>(dx), static_cast<int>(dy), pen, {}, {}, true);
    if (!f.usable)
        return false;
    CWriteOp op;
    op.kind = CWriteOp::EKind::Footprint;
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

bool CQtSurface::WriteScaledWide(CPoint from, CPoint to, const CPen& pen) {
    // Every solid pen strokes a convex shape, and a segment moved by whole periods moves its
    // stroke by whole device pixels: its footprint is kept by phase. Where a unit is not a whole
    // number of device pixels (1.25, 1.5), the painter's stroke of a pen wider than one unit
    // puts a pixel here or there differently from one place to the next, whatever the phase:
    // those go to the painter.
    const int w = std::max(pen.width, 1);
    if (!m_bFootprints || pen.style != EPenStyle::Solid || w > 1000 ||
        (m_scale.period > 1 && w > 1))
        return false;
    const long long dx = static_cast<long long>(to.x) - from.x;
    const long long dy = static_cast<long long>(to.y) - from.y;
    const CArea v = VisibleArea(w + 2);
    if (std::llabs(dx) > CFootprintCache::kMaxExtent ||
        std::llabs(dy) > CFootprintCache::kMaxExtent || !v.Contains(from) || !v.Contains(to))
        return false;
    const CPoint phase{m_scale.Phase(from.x + m_nShiftX), m_scale.Phase(from.y + m_nShiftY)};
    const CFootprintView f = m_caches.Footprints().Get(static_cast<int>(dx), static_cast<int>(dy),
                                                       pen, m_scale, phase, true);
    if (!f.usable)
        return false;
    // Only strokes wholly inside the image: the painter rounds a stroke it cuts differently.
    const long long x = DevicePixelX(from.x - 0LL - phase.x);
    const long long top = DevicePixelY(from.y - 0LL - phase.y) + f.top;
    if (x + f.left < 0 || x + f.right > m_writer.GetWidth() || top < 0 ||
        top + static_cast<long long>(f.count) > m_writer.GetHeight())
        return false;
    CWriteOp op;
    op.kind = CWriteOp::EKind::Footprint;
    op.color = ToRgb(pen.color);
    op.whole = true;
    op.footprint = {x, top, f.rows, f.count, 0, m_writer.GetWidth()};
    op.top = static_cast<int>(top);
    op.bottom = static_cast<int>(top + static_cast<long long>(f.count));
    Write(op);
    return true;
}

void CQtSurface::Line(CPoint from, CPoint to, const CPen& pen) {
    if (OutsideLimit(std::min(from.x, to.x), std::min(from.y, to.y), std::max(from.x, to.x) + 1LL,
                     std::max(from.y, to.y) + 1LL, std::max(pen.width, 1) + 2))
        return;
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
    QList<QPointF>& points = m_caches.PainterCalls().Scratch().points;
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
    CPainterCallCache::CCall& call = m_caches.PainterCalls().Scratch();
    call.fill = fill;
    call.width = fill ? 0 : pen.width;
    call.dotted = !fill && pen.style == EPenStyle::Dotted;
    call.translation = QPoint(int(t.dx()), int(t.dy()));
    call.device = QSize(device->width(), device->height());
    call.ratio = m_scale.ratio;
    const std::vector<CPainterCallCache::CRun>* runs = m_caches.PainterCalls().Get(call);
    if (!runs)
        return false;
    if (runs->empty())
        return true;
    CWriteOp op;
    op.kind = CWriteOp::EKind::Runs;
    op.color = ToRgb(pen.color);
    op.whole = true;
    op.runs = {0, 0, runs->data(), runs->size(), 0, m_writer.GetWidth()};
    op.top = runs->front().y;
    op.bottom = runs->back().y + 1;
    Write(op);
    return true;
}

void CQtSurface::SetPixel(CPoint p, COLORREF color) {
    const CArea v = VisibleArea(0);
    if (p.x < v.left || p.x >= v.right || p.y < v.top || p.y >= v.bottom)
        return;
    if (m_bScaled && m_writer.IsValid()) {
        WriteScaledFill({p.x, p.y, p.x + 1LL, p.y + 1LL}, ToRgb(color));
        return;
    }
    if (m_writer.IsValid()) {
        if (WritableArea().Contains(p)) {
            CWriteOp op;
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
    if (m_bScaled && m_writer.IsValid()) {
        WriteScaledFill(c, color.rgb());
        return;
    }
    if (m_writer.IsValid()) {
        // An opaque fill of whole pixels is the colour written into every pixel of the area.
        const CArea w = c.Intersected(WritableArea());
        if (w.IsEmpty())
            return;
        CWriteOp op;
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

void CQtSurface::WriteScaledFill(const CArea& r, QRgb color) {
    // The painter fills the device pixels between its rectangle's scaled edges, each rounded
    // (halves up) to a whole pixel.
    const double ratio = m_scale.ratio;
    const auto edge = [ratio](long long units, int limit) {
        return std::clamp<long long>(qRound(ratio * static_cast<double>(units)), 0, limit);
    };
    CWriteOp op;
    op.color = color;
    op.fill = {static_cast<int>(edge(r.left + m_nShiftX, m_writer.GetWidth())),
               static_cast<int>(edge(r.right + m_nShiftX, m_writer.GetWidth()))};
    op.top = static_cast<int>(edge(r.top + m_nShiftY, m_writer.GetHeight()));
    op.bottom = static_cast<int>(edge(r.bottom + m_nShiftY, m_writer.GetHeight()));
    if (op.fill.left < op.fill.right)
        Write(op);
}

void CQtSurface::FillRect(const CRect& r, COLORREF color) {
    FillArea({r.left, r.top, r.right, r.bottom}, ToQColor(color));
}

void CQtSurface::Rectangle(const CRect& rect, const CPen& pen, std::optional<COLORREF> fill) {
    const CRect r = rect.Normalized();
    const CArea a{r.left, r.top, r.right, r.bottom};
    if (a.IsEmpty() || OutsideLimit(a.left, a.top, a.right, a.bottom, std::max(pen.width, 1) + 2))
        return;
    const QColor color = ToQColor(pen.color);
    if (fill && pen.width <= 1 && pen.style == EPenStyle::Solid) {
        // The ring of the outline and the fill inside it: the whole rectangle in the outline's
        // colour, then what lies inside the ring (two writes where five would set the same).
        FillArea(a, color);
        if (a.right - a.left > 2 && a.bottom - a.top > 2)
            FillArea({a.left + 1, a.top + 1, a.right - 1, a.bottom - 1}, ToQColor(*fill));
        return;
    }
    if (fill)
        FillArea(a, ToQColor(*fill));
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
