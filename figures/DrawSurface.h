// The one interface through which figures and the canvas draw. Every call carries its own pen or
// fill, so a surface never has to remember a selected object.
#pragma once

#include "figures/Geometry.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

enum class EPenStyle { Solid, Dotted };

struct CPen {
    EPenStyle style = EPenStyle::Solid;
    int width = 1; // 0 also draws one pixel wide
    COLORREF color = 0;
    friend bool operator==(const CPen&, const CPen&) = default;
};

constexpr COLORREF kEndPixelColor = 0x0000FF;   // pure red
constexpr COLORREF kHandleFillColor = 0xFF0000; // pure blue

class CDrawSurface {
public:
    virtual ~CDrawSurface() = default;

    // A straight line from `from` to `to`; the pixel `to` itself is left out.
    virtual void Line(CPoint from, CPoint to, const CPen& pen) = 0;
    // Lines of one pen, from ends[2i] to ends[2i + 1] each, as Line draws them; all their pixels
    // have the pen's colour, so a surface may set them in any order, and each only once.
    virtual void Lines(const std::vector<CPoint>& ends, const CPen& pen) {
        for (std::size_t i = 0; i + 1 < ends.size(); i += 2)
            Line(ends[i], ends[i + 1], pen);
    }
    virtual void SetPixel(CPoint p, COLORREF color) = 0;
    // Outline with the pen and, when given, a solid fill; right and bottom edges exclusive.
    virtual void Rectangle(const CRect& r, const CPen& pen, std::optional<COLORREF> fill) = 0;
    // Solid fill without an outline; right and bottom edges exclusive.
    virtual void FillRect(const CRect& r, COLORREF color) = 0;
    // A cubic Bezier poly-line of 1 + 3k points.
    virtual void PolyBezier(const std::vector<CPoint>& points, const CPen& pen) = 0;
    // A closed polygon filled with the colour, no separate outline.
    virtual void FillPolygon(const std::vector<CPoint>& points, COLORREF color) = 0;
    // UTF-8 text on one line, centred both ways in r and clipped to it, transparent background,
    // the surface's default font, black.
    virtual void DrawText(const CRect& r, const std::string& text) = 0;
    // UTF-8 text on one line in the surface's default font at the pixel size, black, transparent
    // background, its reference point at `at`: hAlign 'L', 'C' or 'R' puts the point at the left,
    // the middle or the right of the text, vAlign 'T', 'C' or 'B' at its top, middle or bottom
    // (the baseline), and the text turns counterclockwise by `degrees` about that point.
    virtual void DrawTextAt(CPoint at, const std::string& text, char hAlign, char vAlign,
                            double degrees, int pixelSize) = 0;
    // The image file stretched into r; a missing or unreadable file draws nothing.
    virtual void DrawImage(const std::string& path, const CRect& r) = 0;
    // Dotted one-pixel outline of r in an XOR-like mix (the rubber band), right/bottom exclusive.
    virtual void XorRectangle(const CRect& r) = 0;
    // Shifts everything drawn afterwards by -origin (the surface shows area pixels from origin).
    virtual void SetOrigin(CPoint origin) = 0;
    // Would nothing drawn inside r (right/bottom exclusive, in the coordinates the calls use) be
    // seen? A figure may then leave out what it would draw there. False when unsure.
    virtual bool Misses(const CRect& r) const {
        (void)r;
        return false;
    }
};

// Every straight piece of an outline: the line, then its end pixel set red, whatever the pen.
inline void DrawSegment(CDrawSurface& dc, CPoint from, CPoint to, const CPen& pen) {
    dc.Line(from, to, pen);
    dc.SetPixel(to, kEndPixelColor);
}
