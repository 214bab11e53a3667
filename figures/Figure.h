// CFigure: the root of every drawable figure, with the data all figures share, the virtual
// interface the canvas and the TeXDraw writer use, and the shared handle and snapping rules.
#pragma once

#include "figures/DrawSurface.h"
#include "figures/FigureKind.h"
#include "figures/Geometry.h"
#include "figures/Style.h"
#include "figures/TeXDrawSettings.h"

#include <cstddef>
#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

// Handle numbers: 0 none, 2 first point, 6 second point, 14 centre; framed figures add the rest.
enum : int {
    kHandleNone = 0,
    kHandleStart = 2,
    kHandleTop = 3,
    kHandleTopRight = 4,
    kHandleRight = 5,
    kHandleEnd = 6,
    kHandleBottom = 7,
    kHandleBottomLeft = 8,
    kHandleLeft = 9,
    kHandleCenter = 14,
};

// How a tool makes a figure of the kind: by a drag (press at one point, release at the other), by
// one click (a label, whose text a dialog then asks for) or click by click (a polyline's corners).
enum class ECreation { Drag, Click, Corners };

// Pen styles (m_nPenStyle). The numbers are those the drawings have always stored; only lines
// are ever dotted.
enum : int {
    kPenStyleSolid = 0,
    kPenStyleDotted = 2,
};

// The tags of the canvas's grid lines (m_strTag): plain lines that only the canvas makes.
inline constexpr const char* kVertGridLineTag = "VertGridLine";
inline constexpr const char* kHorizGridLineTag = "HorizGridLine";

// Where a figure read from a drawing someone else wrote stands in it: that drawing's own frame
// (its units, scales and segment origin) and the style in force there. Once changed, the figure
// writes its block shifted so that ptOrigin is its origin, between strBefore, which sets the
// frame and style the block is written in, and strAfter, which gives the statements after it
// back what they had (their current point, their style).
struct CForeignFrame {
    CDoublePoint ptOrigin;
    std::string strBefore, strAfter;
    // What the statements after the figure rely on it for (the style its statements leave, the
    // point they end at), written where it stood when it is deleted; empty when nothing.
    std::string strCarried;

    // The same figure written again in the drawing's own words (figures/ForeignBlock.h): where
    // it stood, no segment and no change of units, its own style statements kept for what was not
    // changed. Unused while dUnit is 0 (a figure added to the drawing).
    // One of the drawing's units there, and its frame's origin (a point (u v) is the page point
    // ptFrameOrigin + (u, -v) * dUnit), page units.
    double dUnit = 0.0;
    CDoublePoint ptFrameOrigin;
    // Decimals the numbers are written with: as many as the figure's own had, and enough for
    // TeXDraw's 1/300 in.
    int nDecimals = 2;
    // What was in force before its statements, and what they leave for the statements after.
    CTeXDrawSettings inForce, left;
    CDoublePoint ptLeft; // the current point they leave
    // Its own style statements, as written: which parts of the settings each sets (kSay* bits),
    // the settings after it, its text.
    struct CSaying {
        unsigned nParts = 0;
        CTeXDrawSettings after;
        std::string strText;
    };
    std::vector<CSaying> sayings;
};

// The parts of TeXDraw's settings a style statement sets.
enum : unsigned {
    kSayWidth = 1,     // \linewd
    kSayPattern = 2,   // \lpatt
    kSayGray = 4,      // \setgray
    kSayHeadType = 8,  // \arrowheadtype
    kSayHeadSize = 16, // \arrowheadsize
    kSayTextRef = 32,  // \textref
};

class CFigure {
public:
    CFigure() = default;
    CFigure(const CFigure&) = delete;
    CFigure& operator=(const CFigure&) = delete;
    virtual ~CFigure() = default;

    CDoublePoint m_pt1{240.0, 240.0};
    CDoublePoint m_pt2{340.0, 340.0};
    int m_nMinWidth = 5;
    int m_nMinHeight = 5;
    std::string m_strType = kTypeLine;
    std::string m_strTag;
    bool m_bSelected = false;
    bool m_bSelectable = true;
    bool m_bVisible = true;
    bool m_bEditing = false;
    int m_nPenStyle = kPenStyleSolid; // kPenStyleSolid or kPenStyleDotted
    COLORREF m_crColor = 0;
    // How the figure is printed and drawn: its kind's default style unless the user chose
    // another. Only the parts GetStyleCaps names count.
    CStyle m_style;

    // What of a style the figure takes (kStyleOutline, kStyleFill, kStyleHeads bits).
    virtual unsigned GetStyleCaps() const { return 0; }
    // The text the figure carries (the text figures' and a label's); nullptr for the others.
    virtual std::string* GetTextField() { return nullptr; }
    // The size in page units of a text that prints at its font's size whatever the drawing's unit
    // scale, so that it shrinks on the canvas as the scale grows (a label's em); nullptr for the
    // figures whose text keeps its size on the screen, and for those without text.
    virtual double* GetTextSize() { return nullptr; }
    // Can the figure be a fill without its outline (CStyle::bOutline)?
    virtual bool TakesFillAlone() const { return false; }
    // The style a new figure of this kind starts with: TeXDraw's defaults, and for an arrow a
    // head at its end.
    virtual CStyle GetDefaultStyle() const { return {}; }
    // Is it drawn and written as every figure of its kind always was?
    bool HasPlainStyle() const { return m_style == GetDefaultStyle(); }
    // The outline's pattern in page units: the dotted line's own, or the style's.
    std::vector<double> GetLinePattern() const;
    // Takes what of the style this figure can take (the rest of its style stays).
    virtual void ApplyStyle(const CStyle& style, unsigned parts);

    // A figure read from a block whose rounded numbers it cannot write again exactly keeps that
    // block (m_strReadBlock) and the block it wrote itself when it was read: while it still
    // writes the latter, nothing was changed, and the file gets the block it was read from.
    std::string m_strReadBlock;
    std::string m_strRecoveredBlock;
    // Is the figure, which now writes exported (its ExportTeX), as it was read? It then writes
    // the block it was read from.
    bool IsAsRead(const std::string& exported) const {
        return !m_strReadBlock.empty() && exported == m_strRecoveredBlock;
    }
    // Set for a figure read from someone else's drawing: the frame a changed block is written in.
    std::shared_ptr<const CForeignFrame> m_pForeignFrame;
    // The figure's block in the file: ExportTeX, or the block it was read from while unchanged;
    // changed, a figure of someone else's drawing writes ExportTeX in its frame.
    std::string GetTeXDrawBlock() const;
    // The same written onto the end of out.
    void AppendTeXDrawBlock(std::string& out) const;

    // A new figure of the same class, default-constructed and then CopyFrom(*this).
    virtual std::unique_ptr<CFigure> Clone() const = 0;
    // Copies every field of CFigure, both strings included; subclasses copy theirs first.
    virtual void CopyFrom(const CFigure& src);
    // Do the numbers only this figure's class keeps (beyond the fields above) equal other's, to
    // the last bit? other is of the same class.
    virtual bool HasSameOwnState(const CFigure& other) const {
        (void)other;
        return true;
    }
    // About how many bytes the class's own lists take beyond the figure itself.
    virtual std::size_t GetOwnByteCount() const { return 0; }
    // Moves the point under the handle to the page-pixel point (x, y).
    virtual void SetHandlePoint(int handle, int x, int y, double zoom);
    virtual CPoint GetHandlePoint(int handle, double zoom) const;
    virtual CRect GetHandleRect(int handle, double zoom) const;
    virtual void EnforceMinimumSize(int handle, CDoublePoint& p);
    virtual int HitTestHandles(CPoint pt, double zoom) const;
    virtual void SetPoints(int x1, int y1, int x2, int y2, double zoom);
    virtual void Paint(CDrawSurface& dc, double zoom, int dx, int dy) const;
    virtual void Draw(CDrawSurface& dc, double zoom, int dx, int dy) const = 0;
    virtual void DrawHandles(CDrawSurface& dc, double zoom, int dx, int dy) const;
    virtual void MoveByPixels(int dx, int dy, double zoom);
    virtual CRect GetBoundingRect(double zoom) const;
    // Every page pixel Paint can set at the zoom (Draw and DrawHandles, at any pixel density):
    // the canvas repaints only what changed and paints only figures whose extent meets the
    // damage, so a pixel drawn outside it stays behind when the figure moves. The base takes the
    // bounding rectangle widened by the handle squares, the outline pen and a few pixels more;
    // whatever draws beyond that (a thicker pen, an arrowhead) widens it in its override.
    virtual CRect GetPaintExtent(double zoom) const;
    // Does Paint set no pixel inside the page rectangle (right/bottom exclusive)? The canvas
    // leaves such a figure out when it paints a small part of the window again. False when
    // unsure; a figure says true only where its outline cannot reach (inside a ring, away from a
    // line).
    virtual bool MissesRect(const CRect& page, double zoom) const {
        (void)page;
        (void)zoom;
        return false;
    }
    virtual ECursor GetHandleCursor(int handle, double zoom) const;
    // What dragging the handle does, as the undo step is named: "Resize" unless it turns.
    virtual const char* GetHandleStepName(int handle) const {
        (void)handle;
        return "Resize";
    }
    // The figure's TeXDraw block (the block writers are figures/LineBlocks.cpp and
    // figures/FramedBlocks.cpp).
    std::string ExportTeX() const {
        std::string s;
        AppendTeX(s);
        return s;
    }
    // The same block written onto the end of out (the whole drawing's text is made this way).
    virtual void AppendTeX(std::string& out) const = 0;
    virtual bool IntersectsRect(const CRect& rect, double zoom) const;
    virtual bool HitTest(CPoint pt, double zoom) const;
    virtual bool SnapToKeyPoint(CPoint& pt, double zoom) const;
    virtual void MoveBy(double dx, double dy);
    // The page points that place the figure, the ones a move shifts: m_pt1 and m_pt2, and the
    // corners of a framed figure. ReadPoints writes them to out and returns how many there are;
    // WritePoints puts back what ReadPoints gave.
    static constexpr int kMaxPoints = 4;
    virtual int ReadPoints(CDoublePoint* out) const;
    virtual void WritePoints(const CDoublePoint* in);

    // How a tool draws a figure of this kind.
    virtual ECreation GetCreation() const { return ECreation::Drag; }
    // Why the figure cannot be a figure of the drawing as it stands (a circle without a radius, a
    // label without a text), for the status bar; empty when it can. Such a figure (one still
    // being dragged out) writes no block.
    virtual std::string WhyNotDrawable() const { return {}; }
    // The straight pieces the intersection snap crosses, in page pixels at the zoom: the line
    // through the first and second points, or what the kind has instead (nothing for a curve).
    virtual void AppendSnapLines(std::vector<std::pair<CPoint, CPoint>>& out, double zoom) const {
        out.emplace_back(GetHandlePoint(kHandleStart, zoom), GetHandlePoint(kHandleEnd, zoom));
    }

    // A grid line of the canvas: a vertical or a horizontal one, told by its tag.
    bool IsGridLine() const {
        return m_strTag == kVertGridLineTag || m_strTag == kHorizGridLineTag;
    }

protected:
    // How far beyond the bounding rectangle Paint may set pixels (GetPaintExtent's margin).
    double PaintReach(double zoom) const;
    // Black-outlined blue squares of the given handles, shifted by (dx, dy).
    void DrawHandleSquares(CDrawSurface& dc, double zoom, int dx, int dy,
                           std::initializer_list<int> handles) const;
    // The last of the given handles whose square contains pt, or 0.
    int HitTestHandleList(CPoint pt, double zoom, std::initializer_list<int> handles) const;
};

// Ellipses and curves write their corners rounded as pixels are, which on a negative coordinate
// lands a unit off: moves such corners so that they are written at the nearest whole unit.
// For a figure about to be written away from the page (moved to its drawing's own origin).
void KeepCornersRoundingToTheNearest(CFigure& f);

// Multiplies the lengths of the figure's style (width, pattern, heads, a dotted line's dots) and
// its text size by k: at a unit scale 1/k times the one they were chosen at they print as large
// as they did.
void ScaleStyleLengths(CFigure& f, double k);
// Does ScaleStyleLengths change anything of f (for some k)?
bool HasStyleLengths(const CFigure& f);

// A pixel as a point of doubles.
inline CDoublePoint AsDouble(CPoint p) {
    return {double(p.x), double(p.y)};
}
// A page point shown at the zoom, by the rounding rule.
inline CPoint ToPixel(const CDoublePoint& p, double zoom) {
    return (p * zoom).ToPoint();
}
// A page-pixel value back in page units: the reciprocal first, then the product.
inline CDoublePoint ToPageUnits(int x, int y, double zoom) {
    const double r = 1.0 / zoom;
    return {x * r, y * r};
}

// Does the point lie within `tolerance` pixels on each axis of a pixel walked from a to b?
bool SegmentHit(CPoint a, CPoint b, CPoint pt, int tolerance = 3);
// Does a pixel walked from a to b lie in rect?
bool SegmentInRect(CPoint a, CPoint b, const CRect& rect);
// Cuts the segment a-b to the box [left, right] x [top, bottom] (Liang-Barsky); false when
// nothing of it is inside.
bool ClipSegment(double& ax, double& ay, double& bx, double& by, double left, double top,
                 double right, double bottom);
// Does the segment a-b meet the box [left, right] x [top, bottom]?
bool SegmentMeetsBox(CDoublePoint a, CDoublePoint b, double left, double top, double right,
                     double bottom);

// The resize cursor for a handle seen from the centre at `degrees` (0 to 180, or NaN when the
// handle lies on the centre).
ECursor CursorForAngle(double degrees);

// Pen width of solid outlines at a zoom.
inline int OutlineWidth(double zoom) {
    return RoundHalf(zoom);
}
