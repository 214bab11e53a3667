// CQtSurface's curves, polygons, texts, pictures and the rubber band; the lines, pixels and fills
// are in QtSurface.cpp.
#include "app/surface/QtSurface.h"

#include "app/surface/SurfaceCaches.h"
#include "app/surface/TextAt.h"

#include <QImage>
#include <QPaintEngine>
#include <QPolygonF>
#include <QTextLine>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

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
    if (xe->x < v.left || xs->x >= v.right || ye->y < v.top || ys->y >= v.bottom ||
        OutsideLimit(xs->x, ys->y, xe->x + 1LL, ye->y + 1LL, std::max(pen.width, 1) + 4))
        return;
    // Flattened into pixel segments so the curve follows the same pixel and clipping rules as
    // straight lines.
    CCurveCache::CEntry& curve = m_caches.Curves().Get(points);
    const bool pixels = pen.width <= 1 && IsPixelExact();
    const bool dotted = pen.style == EPenStyle::Dotted;
    if (pixels && m_writer.IsValid()) {
        // Inside the image, the pixels the walk sets are written from their offsets.
        const qsizetype stride = m_writer.GetStride() / qsizetype(sizeof(QRgb));
        const CCurveCache::CWalk* walk = m_caches.Curves().Walk(curve, dotted, stride);
        if (walk && WritableArea().Contains({walk->left, walk->top, walk->right, walk->bottom}) &&
            LimitHolds(walk->left + m_nShiftX, walk->top + m_nShiftY, walk->right + m_nShiftX,
                       walk->bottom + m_nShiftY)) {
            CWriteOp op;
            op.kind = CWriteOp::EKind::Offsets;
            op.color = ToRgb(pen.color);
            op.pixels = {Row(m_nShiftY + walk->first.y) + m_nShiftX + walk->first.x,
                         walk->offsets.data(), walk->offsets.size()};
            op.top = static_cast<int>(walk->top + m_nShiftY);
            op.bottom = static_cast<int>(walk->bottom + m_nShiftY);
            Write(op);
            return;
        }
    }
    if (!pixels && CanMergeWidePieces(pen) && WriteWidePieces(curve, pen))
        return;
    m_lines.clear();
    curve.ForEachPiece([&](CPoint a, CPoint b) {
        QLineF line;
        if (pixels) {
            if (!OutsideLimit(std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x) + 1LL,
                              std::max(a.y, b.y) + 1LL, 1))
                WalkPixels(a, b, dotted, pen.color);
        } else if (!WriteWide(a, b, pen) && ClipWide(a, b, pen, line))
            m_lines.append(line);
    });
    // One colour, no end pixels in between: the pieces are stroked together.
    if (!m_lines.isEmpty())
        Stroke(m_lines, pen);
}

bool CQtSurface::CanMergeWidePieces(const CPen& pen) const {
    const int w = std::max(pen.width, 1);
    const int narrowest = m_bScaled ? 1 : 3; // as WriteWide takes them
    return m_bFootprints && pen.style == EPenStyle::Solid && w >= narrowest && w <= 1000 &&
           m_scale.period == 1;
}

bool CQtSurface::WriteWidePieces(CCurveCache::CEntry& curve, const CPen& pen) {
    // Where every piece would be written from its footprint, whole and uncut (what WriteWide
    // asks of each piece), the merged footprints give the same pixels, each written once.
    const int w = std::max(pen.width, 1);
    const CCurveCache::CWide& wide =
        m_caches.Curves().Wide(curve, pen, m_scale, m_caches.Footprints());
    const CPoint p0 = curve.pixels.empty() ? CPoint{} : curve.pixels[0];
    const CArea v = VisibleArea(w + 2);
    const CArea writable = WritableArea();
    const long long x = DevicePixelX(p0.x), y = DevicePixelY(p0.y);
    // In the image: on a scaled device all of it; otherwise the rows from the top edge on.
    const bool inside = m_bScaled ? x + wide.left >= 0 && x + wide.right <= m_writer.GetWidth() &&
                                        y + wide.top >= 0 && y + wide.bottom <= m_writer.GetHeight()
                                  : p0.y + wide.pointsTop - w - 2 >= writable.top &&
                                        writable.Contains({p0.x + wide.left, p0.y + wide.top,
                                                           p0.x + wide.right, p0.y + wide.bottom});
    if (!wide.usable || p0.x + wide.pointsLeft < v.left || p0.x + wide.pointsRight >= v.right ||
        p0.y + wide.pointsTop < v.top || p0.y + wide.pointsBottom >= v.bottom || !inside)
        return false;
    CWriteOp op;
    op.kind = CWriteOp::EKind::Runs;
    op.color = ToRgb(pen.color);
    op.whole = true;
    op.runs = {x, y, wide.runs.data(), wide.runs.size(), 0, m_writer.GetWidth()};
    op.top = static_cast<int>(y + wide.top);
    op.bottom = static_cast<int>(y + wide.bottom);
    Write(op);
    return true;
}

void CQtSurface::Lines(const std::vector<CPoint>& ends, const CPen& pen) {
    const bool pixels = pen.width <= 1 && IsPixelExact();
    if (ends.size() >= 4 && !pixels && CanMergeWidePieces(pen)) {
        long long left = ends[0].x, top = ends[0].y, right = left, bottom = top;
        for (const CPoint p : ends) {
            left = std::min<long long>(left, p.x);
            top = std::min<long long>(top, p.y);
            right = std::max<long long>(right, p.x);
            bottom = std::max<long long>(bottom, p.y);
        }
        // No piece reaches what can be seen, as Line would find for each.
        if (Unseen(left, top, right + 1, bottom + 1, std::max(pen.width, 1) + 2))
            return;
        if (WriteWidePieces(m_caches.Curves().GetLines(ends), pen))
            return;
    }
    CDrawSurface::Lines(ends, pen);
}

void CQtSurface::FillPolygon(const std::vector<CPoint>& points, COLORREF color) {
    if (points.size() < 3)
        return;
    const auto [xs, xe] = std::minmax_element(points.begin(), points.end(),
                                              [](CPoint a, CPoint b) { return a.x < b.x; });
    const auto [ys, ye] = std::minmax_element(points.begin(), points.end(),
                                              [](CPoint a, CPoint b) { return a.y < b.y; });
    if (OutsideLimit(xs->x, ys->y, xe->x + 1LL, ye->y + 1LL, 2))
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
    QList<QPointF>& corners = m_caches.PainterCalls().Scratch().points;
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

// The painter draws it; the text caches hold centred texts only.
void CQtSurface::DrawTextAt(CPoint at, const std::string& text, char h, char v, double degrees,
                            int pixelSize) {
    const QPointF to = ToDevice(double(at.x), double(at.y));
    const QPointF unit = ToDevice(double(at.x) + 1.0, double(at.y));
    const double size = pixelSize * (unit.x() - to.x());
    if (text.empty() || !(size >= 1.0))
        return;
    const QFont font = TextAtFont(m_painter.font(), size);
    const CTextAtMeasure& m = m_caches.TextsAt().Get(text, font);
    if (InkUnseen(TextAtReach(m, to, h, v, degrees)))
        return;
    Flush();
    DrawMeasuredTextAt(m_painter, font, m, to, QString::fromUtf8(text), h, v, degrees);
}

void CQtSurface::DrawText(const CRect& rect, const std::string& text) {
    const CRect r = rect.Normalized();
    const CArea v = VisibleArea(0);
    const CArea clip{std::max<long long>(r.left, v.left), std::max<long long>(r.top, v.top),
                     std::min<long long>(r.right, v.right),
                     std::min<long long>(r.bottom, v.bottom)};
    if (text.empty() || clip.IsEmpty() || OutsideLimit(r.left, r.top, r.right, r.bottom, 1))
        return;
    const QRectF box(ToDevice(r.left, r.top), ToDevice(r.right, r.bottom));
    const QRectF visible(ToDevice(double(clip.left), double(clip.top)),
                         ToDevice(double(clip.right), double(clip.bottom)));
    const QPaintDevice* device = m_painter.device();
    const CTextCache::CText* laid =
        IsPixelExact() || (m_bScaled && m_writer.IsValid())
            ? m_caches.Texts().Get(text, m_painter.font(), m_painter.layoutDirection(),
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
    if (InkUnseen(ink))
        return;
    // Every pixel the glyphs can set lies inside the box and in sight: no clip is needed.
    const bool cut = !visible.contains(ink);
    if (m_pHeld) {
        if (m_pHeld->IsFull())
            Flush();
        // The rows the glyphs can reach, in the image.
        const QRectF reach = cut ? ink.intersected(visible) : ink;
        if (reach.isEmpty())
            return;
        CWriteOp op;
        op.kind = CWriteOp::EKind::Text;
        const double ratio = m_scale.ratio, height = m_writer.GetHeight();
        op.top = static_cast<int>(
            std::clamp(std::floor((std::floor(reach.top()) + m_nTy) * ratio), 0.0, height));
        op.bottom = static_cast<int>(
            std::clamp(std::ceil((std::ceil(reach.bottom()) + m_nTy) * ratio), 0.0, height));
        if (op.top >= op.bottom)
            return;
        op.text = m_pHeld->AddText({laid, laid->key, at, visible, cut});
        m_pHeld->Add(op);
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
    if (c.IsEmpty() || OutsideLimit(c.left, c.top, c.right, c.bottom, 1))
        return;
    const QImage& image = m_caches.Images().Get(QString::fromUtf8(path));
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
