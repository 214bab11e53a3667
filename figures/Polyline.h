// CPolyline: straight pieces through corners clicked one by one, open (a polyline, which may carry
// arrowheads at its ends) or closed (a polygon, which may be filled). Written as one path, so a
// dash pattern runs on from piece to piece as it does on screen.
#pragma once

#include "figures/Figure.h"

#include <vector>

// The handle of corner i is kHandleCorner + i.
inline constexpr int kHandleCorner = 100;
// No polyline has more corners (its block stays readable).
inline constexpr int kMaxCorners = 4096;

class CPolyline final : public CFigure {
public:
    CPolyline() {
        m_strType = kTypePolyline;
        m_pt2 = m_pt1;
    }

    // The first corner is m_pt1 (what a move shifts); the others are kept from it, so a move or
    // its undo touches one point whatever the number of corners.
    std::vector<CDoublePoint> m_vOffsets;
    bool m_bClosed = false;

    int GetCornerCount() const { return 1 + static_cast<int>(m_vOffsets.size()); }
    CDoublePoint GetCorner(int i) const { return i == 0 ? m_pt1 : m_pt1 + m_vOffsets[i - 1]; }
    std::vector<CDoublePoint> GetCorners() const;
    // Puts the corners (at least one) in place of the figure's.
    void SetCorners(const std::vector<CDoublePoint>& corners);
    void SetCorner(int i, CDoublePoint p);
    // A new corner after corner i, halfway to the next one; false when there are too many.
    bool InsertCorner(int after);
    // Takes corner i away; refused (false) when the figure would have too few corners left.
    bool DeleteCorner(int i);
    // The polyline becomes a polygon (the type follows).
    void Close();
    // The corner whose handle holds the page pixel, or -1.
    int HitTestCorner(CPoint pt, double zoom) const;
    // The piece (from corner i to the next) nearest the page pixel within reach, or -1.
    int HitTestPiece(CPoint pt, double zoom) const;

    ECreation GetCreation() const override { return ECreation::Corners; }
    std::string WhyNotDrawable() const override;
    std::unique_ptr<CFigure> Clone() const override;
    void CopyFrom(const CFigure& src) override;
    void SetPoints(int x1, int y1, int x2, int y2, double zoom) override;
    void SetHandlePoint(int handle, int x, int y, double zoom) override;
    CPoint GetHandlePoint(int handle, double zoom) const override;
    int HitTestHandles(CPoint pt, double zoom) const override;
    void Draw(CDrawSurface& dc, double zoom, int dx, int dy) const override;
    void DrawHandles(CDrawSurface& dc, double zoom, int dx, int dy) const override;
    CRect GetBoundingRect(double zoom) const override;
    void AppendTeX(std::string& out) const override;
    bool IntersectsRect(const CRect& rect, double zoom) const override;
    bool HitTest(CPoint pt, double zoom) const override;
    bool SnapToKeyPoint(CPoint& pt, double zoom) const override;
    void AppendSnapLines(std::vector<std::pair<CPoint, CPoint>>& out, double zoom) const override;
    int ReadPoints(CDoublePoint* out) const override;
    void WritePoints(const CDoublePoint* in) override;
    // Is the area the corners enclose filled? A polygon's with a fill; an open polyline's too
    // when it has a fill and no heads (read from a drawing that fills a path it leaves open: the
    // fill closes it, the outline does not).
    bool IsFilled() const {
        return m_style.fillGrey && (m_bClosed || m_style.eHeads == EArrowHeads::None);
    }
    bool TakesFillAlone() const override { return true; }
    unsigned GetStyleCaps() const override {
        return m_bClosed ? kStyleOutline | kStyleFill
                         : kStyleOutline | kStyleHeads | (IsFilled() ? kStyleFill : 0u);
    }

    // The paths the figure is stroked in, in page units, as its block writes them: each from its
    // first point, with a head at its last point when `head` says so.
    struct CStroke {
        std::vector<CDoublePoint> points;
        bool head = false;
    };
    std::vector<CStroke> GetStrokes() const;

private:
    // The corners in surface pixels shifted by d, closed back to the first for a polygon.
    std::vector<CDoublePoint> PixelPath(double zoom, CDoublePoint d) const;
};
