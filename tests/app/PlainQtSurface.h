// CPlainQtSurface: the plain QPainter draw surface, one painter call per pixel run, kept unchanged
// as the reference that the fast app surface must match pixel for pixel.
#pragma once

#include "figures/DrawSurface.h"

#include <QPainter>

class CPlainQtSurface : public CDrawSurface {
public:
    // The painter must stay alive and active while the surface is used; its transform and clip
    // at each call decide what is visible.
    explicit CPlainQtSurface(QPainter& painter);

    void Line(CPoint from, CPoint to, const CPen& pen) override;
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

private:
    // A rectangle in drawing coordinates (before the origin is taken off), wide enough for any
    // int point plus or minus any origin.
    struct CArea {
        long long left, top, right, bottom; // right and bottom exclusive
        bool IsEmpty() const { return left >= right || top >= bottom; }
    };

    // The part of the drawing coordinates that can show on the device, grown by margin pixels.
    CArea VisibleArea(int margin) const;
    // Drawing coordinates to the painter's coordinates.
    QPointF ToDevice(double x, double y) const;
    QPoint ToDevice(CPoint p) const;
    // True when the painter maps one unit to one raster pixel, so single pixels can be set.
    bool IsPixelExact() const;
    // Pixels of the walk from a to b (end left out) that are visible; dotted keeps every other.
    void WalkPixels(CPoint a, CPoint b, bool dotted, const QColor& color);
    void FillArea(const CArea& r, const QColor& color);

    QPainter& m_painter;
    CPoint m_ptOrigin;
};
