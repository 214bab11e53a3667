#include "app/PlainQtSurface.h"

#include "app/surface/TextAt.h"

#include "figures/SegmentWalk.h"

#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QPaintEngine>
#include <QPainterPath>
#include <QPolygonF>

#include <algorithm>
#include <cmath>

namespace {

QColor ToQColor(COLORREF c) {
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
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

} // namespace

CPlainQtSurface::CPlainQtSurface(QPainter& painter) : m_painter(painter) {
    m_painter.setRenderHint(QPainter::Antialiasing, false);
    m_painter.setRenderHint(QPainter::TextAntialiasing, true);
}

void CPlainQtSurface::SetOrigin(CPoint origin) {
    m_ptOrigin = origin;
}

bool CPlainQtSurface::IsPixelExact() const {
    // A device of more raster pixels than units scales lines as a scaling transform does.
    const QPaintEngine* engine = m_painter.paintEngine();
    const QPaintDevice* device = m_painter.device();
    return engine && engine->type() == QPaintEngine::Raster && device &&
           device->devicePixelRatio() == 1.0 &&
           m_painter.transform().type() <= QTransform::TxTranslate;
}

CPlainQtSurface::CArea CPlainQtSurface::VisibleArea(int margin) const {
    QPaintDevice* device = m_painter.device();
    if (!device)
        return {0, 0, 0, 0};
    QRectF area =
        m_painter.transform().inverted().mapRect(QRectF(0, 0, device->width(), device->height()));
    if (m_painter.hasClipping())
        area = area.intersected(m_painter.clipBoundingRect());
    const auto lo = [](double v) { return static_cast<long long>(std::floor(v)); };
    const auto hi = [](double v) { return static_cast<long long>(std::ceil(v)); };
    return {lo(area.left()) - margin + m_ptOrigin.x, lo(area.top()) - margin + m_ptOrigin.y,
            hi(area.right()) + margin + m_ptOrigin.x, hi(area.bottom()) + margin + m_ptOrigin.y};
}

QPointF CPlainQtSurface::ToDevice(double x, double y) const {
    return {x - m_ptOrigin.x, y - m_ptOrigin.y};
}

QPoint CPlainQtSurface::ToDevice(CPoint p) const {
    // Only called for visible points, whose device coordinates are small.
    return {static_cast<int>(static_cast<long long>(p.x) - m_ptOrigin.x),
            static_cast<int>(static_cast<long long>(p.y) - m_ptOrigin.y)};
}

void CPlainQtSurface::WalkPixels(CPoint a, CPoint b, bool dotted, const QColor& color) {
    const CArea v = VisibleArea(1);
    const CSegmentWalk walk(a, b);
    const auto [first, last] = walk.RangeIn(v.left, v.top, v.right, v.bottom);
    if (first >= last)
        return;
    QPolygon pixels;
    pixels.reserve(static_cast<int>(last - first));
    // The dots keep their place along the line however much of it is visible.
    walk.Visit(first, last, [&](CPoint p, long long i) {
        if (!dotted || i % 2 == 0)
            pixels.append(ToDevice(p));
    });
    m_painter.save();
    QPen pen(color);
    pen.setWidth(0);
    m_painter.setPen(pen);
    m_painter.drawPoints(pixels);
    m_painter.restore();
}

void CPlainQtSurface::Line(CPoint from, CPoint to, const CPen& pen) {
    if (pen.width <= 1 && IsPixelExact()) {
        // Pixel by pixel, exactly the walk the hit tests use, so what is hit is what is seen.
        WalkPixels(from, to, pen.style == EPenStyle::Dotted, ToQColor(pen.color));
        return;
    }
    // Wide pens are centred on the pixel centres of the ends.
    const int w = std::max(pen.width, 1);
    const CArea v = VisibleArea(w + 2);
    double ax = from.x, ay = from.y, bx = to.x, by = to.y;
    if (!ClipSegment(ax, ay, bx, by, double(v.left), double(v.top), double(v.right),
                     double(v.bottom)))
        return;
    m_painter.save();
    QPen qpen = WidePen(pen);
    if (pen.style == EPenStyle::Dotted)
        qpen.setWidth(1);
    m_painter.setPen(qpen);
    m_painter.drawLine(QLineF(ToDevice(ax + 0.5, ay + 0.5), ToDevice(bx + 0.5, by + 0.5)));
    m_painter.restore();
}

void CPlainQtSurface::SetPixel(CPoint p, COLORREF color) {
    const CArea v = VisibleArea(0);
    if (p.x < v.left || p.x >= v.right || p.y < v.top || p.y >= v.bottom)
        return;
    m_painter.fillRect(QRect(ToDevice(p), QSize(1, 1)), ToQColor(color));
}

void CPlainQtSurface::FillArea(const CArea& r, const QColor& color) {
    const CArea v = VisibleArea(1);
    const CArea c{std::max(r.left, v.left), std::max(r.top, v.top), std::min(r.right, v.right),
                  std::min(r.bottom, v.bottom)};
    if (c.IsEmpty())
        return;
    m_painter.fillRect(
        QRect(static_cast<int>(c.left - m_ptOrigin.x), static_cast<int>(c.top - m_ptOrigin.y),
              static_cast<int>(c.right - c.left), static_cast<int>(c.bottom - c.top)),
        color);
}

void CPlainQtSurface::FillRect(const CRect& r, COLORREF color) {
    FillArea({r.left, r.top, r.right, r.bottom}, ToQColor(color));
}

void CPlainQtSurface::Rectangle(const CRect& rect, const CPen& pen, std::optional<COLORREF> fill) {
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

void CPlainQtSurface::PolyBezier(const std::vector<CPoint>& points, const CPen& pen) {
    if (points.size() < 4)
        return;
    QPainterPath path(QPointF(points[0].x, points[0].y));
    for (size_t i = 1; i + 2 < points.size(); i += 3)
        path.cubicTo(points[i].x, points[i].y, points[i + 1].x, points[i + 1].y, points[i + 2].x,
                     points[i + 2].y);
    // Flattened into pixel segments so the curve follows the same pixel and clipping rules as
    // straight lines.
    const QList<QPolygonF> polys = path.toSubpathPolygons();
    for (const QPolygonF& poly : polys) {
        for (qsizetype i = 1; i < poly.size(); ++i) {
            const CPoint a{RoundHalf(poly[i - 1].x()), RoundHalf(poly[i - 1].y())};
            const CPoint b{RoundHalf(poly[i].x()), RoundHalf(poly[i].y())};
            if (!(a == b))
                Line(a, b, pen);
        }
    }
}

void CPlainQtSurface::FillPolygon(const std::vector<CPoint>& points, COLORREF color) {
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
    m_painter.save();
    m_painter.setPen(Qt::NoPen);
    m_painter.setBrush(ToQColor(color));
    m_painter.drawPolygon(poly);
    m_painter.restore();
}

void CPlainQtSurface::DrawText(const CRect& rect, const std::string& text) {
    const CRect r = rect.Normalized();
    const CArea v = VisibleArea(0);
    const CArea clip{std::max<long long>(r.left, v.left), std::max<long long>(r.top, v.top),
                     std::min<long long>(r.right, v.right),
                     std::min<long long>(r.bottom, v.bottom)};
    if (text.empty() || clip.IsEmpty())
        return;
    m_painter.save();
    m_painter.setClipRect(QRectF(ToDevice(double(clip.left), double(clip.top)),
                                 ToDevice(double(clip.right), double(clip.bottom))),
                          Qt::IntersectClip);
    m_painter.setPen(Qt::black);
    m_painter.setBackgroundMode(Qt::TransparentMode);
    m_painter.drawText(QRectF(ToDevice(r.left, r.top), ToDevice(r.right, r.bottom)),
                       Qt::AlignCenter | Qt::TextSingleLine, QString::fromUtf8(text));
    m_painter.restore();
}

void CPlainQtSurface::DrawTextAt(CPoint at, const std::string& text, char h, char v, double degrees,
                                 int pixelSize) {
    const QPointF to = ToDevice(double(at.x), double(at.y));
    const QPointF unit = ToDevice(double(at.x) + 1.0, double(at.y));
    PaintTextAt(m_painter, to, text, h, v, degrees, pixelSize * (unit.x() - to.x()));
}

void CPlainQtSurface::DrawImage(const std::string& path, const CRect& rect) {
    const CRect r = rect.Normalized();
    if (r.Width() <= 0 || r.Height() <= 0 || path.empty())
        return;
    const CArea v = VisibleArea(1);
    const CArea c{std::max<long long>(r.left, v.left), std::max<long long>(r.top, v.top),
                  std::min<long long>(r.right, v.right), std::min<long long>(r.bottom, v.bottom)};
    if (c.IsEmpty())
        return;
    QImageReader reader(QString::fromUtf8(path));
    const QImage image = reader.read();
    if (image.isNull())
        return; // missing or unreadable: nothing is drawn
    // Only the visible part of the target is drawn, from the matching part of the image.
    const double sx = image.width() / double(r.Width());
    const double sy = image.height() / double(r.Height());
    const QRectF source((c.left - r.left) * sx, (c.top - r.top) * sy, (c.right - c.left) * sx,
                        (c.bottom - c.top) * sy);
    const QRectF target(ToDevice(double(c.left), double(c.top)),
                        ToDevice(double(c.right), double(c.bottom)));
    m_painter.drawImage(target, image, source);
}

void CPlainQtSurface::XorRectangle(const CRect& rect) {
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
