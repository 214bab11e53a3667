// Drawing figures that have a style of their own: outlines of any width, pattern and grey, fills
// under them and TeXDraw's five arrowheads, all at the zoom, so the canvas shows what LaTeX
// prints. Points are surface pixels as doubles; figures in their kind's default style never come
// here and keep their own pixel rules.
#pragma once

#include "figures/DrawSurface.h"
#include "figures/Style.h"

#include <vector>

struct CStyledPen {
    int width = 1;              // pixels, at least one
    COLORREF color = 0;         // the grey
    std::vector<double> dashes; // pixels, line and gap alternating; empty for solid
};

// The colour of a TeXDraw grey (0 black, 1 white).
COLORREF GreyColor(double grey);
// The pen of an outline of the style at the zoom, with the given pattern (page units).
CStyledPen MakeStyledPen(const CStyle& style, const std::vector<double>& pattern, double zoom);

// Strokes the path, its pattern running on from one piece to the next and starting afresh on
// each path, as PostScript dashes a path.
void StrokePath(CDrawSurface& dc, const std::vector<CDoublePoint>& path, const CStyledPen& pen);
// Fills the polygon with the colour.
void FillPath(CDrawSurface& dc, const std::vector<CDoublePoint>& path, COLORREF color);
// The points of a cubic Bezier curve, enough of them that no piece is longer than a few pixels;
// appended to out, the first point only when out is empty.
void AppendBezierPoints(std::vector<CDoublePoint>& out, CDoublePoint p0, CDoublePoint p1,
                        CDoublePoint p2, CDoublePoint p3);
// An arrowhead of the style's type and size at tip, pointing from `from` towards tip. Returns
// where the line leading to it ends: at the tip for an open V head, at the head's base for the
// others (an H head is open, but the line stops short of it).
CDoublePoint DrawArrowHead(CDrawSurface& dc, CDoublePoint tip, CDoublePoint from,
                           const CStyle& style, double zoom, const CStyledPen& pen);
// Where the line leading to such a head ends, without drawing it.
CDoublePoint ArrowShaftEnd(CDoublePoint tip, CDoublePoint from, const CStyle& style, double zoom);
// Is the pixel inside the polygon (even-odd)?
bool IsInsidePolygon(const std::vector<CDoublePoint>& polygon, CDoublePoint p);
// The pixel distance from p to the path's nearest piece.
double DistanceToPath(const std::vector<CDoublePoint>& path, CDoublePoint p);
