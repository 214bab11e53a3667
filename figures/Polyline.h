// CPolyline: pieces through corners (nodes) clicked one by one, open (a polyline, which may carry
// arrowheads at its ends) or closed (a polygon, which may be filled); a path is the same figure
// whose pieces may also be cubic curves. Written as one path, so a dash pattern runs on from
// piece to piece as it does on screen.
#pragma once

#include "figures/Figure.h"

#include <vector>

// The handle of corner i is kHandleCorner + i.
inline constexpr int kHandleCorner = 100;
// No polyline has more corners (its block stays readable).
inline constexpr int kMaxCorners = 4096;
// The handle of a curved piece's control point: kHandleControl + 2 * piece + (0 first, 1 second).
inline constexpr int kHandleControl = kHandleCorner + kMaxCorners;

// A piece's curve: its two control points, kept from the first corner as the corners are, so a
// move still touches one point.
struct CPieceCurve {
    bool bCurved = false;
    CDoublePoint c1, c2;
};

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
    // The curves of the pieces, piece i running from corner i to the next (the last of a closed
    // figure back to the first); pieces past its end are straight, so a polyline keeps none.
    std::vector<CPieceCurve> m_vCurves;

    // A path (drawn by the path tool, or given a curved piece) is written as one and keeps its
    // type when closed.
    bool IsPath() const { return m_strType == kTypePath; }
    void MakePath() { m_strType = kTypePath; }
    int GetPieceCount() const { return GetCornerCount() - (m_bClosed ? 0 : 1); }
    bool IsCurved(int piece) const {
        return piece >= 0 && piece < static_cast<int>(m_vCurves.size()) && m_vCurves[piece].bCurved;
    }
    bool HasCurves() const;
    // Control point `which` (0 or 1) of a curved piece, in page units.
    CDoublePoint GetControl(int piece, int which) const {
        const CPieceCurve& c = m_vCurves[piece];
        return m_pt1 + (which == 0 ? c.c1 : c.c2);
    }
    void SetControl(int piece, int which, CDoublePoint p);
    // The curves of every piece in page units (straight ones unset).
    std::vector<CPieceCurve> GetCurves() const;
    void SetCurves(const std::vector<CPieceCurve>& curves);
    // The piece becomes a curve with its control points at its thirds, or a straight piece again;
    // false when it already was. A polyline given a curve becomes a path.
    bool MakePieceCurved(int piece);
    bool MakePieceStraight(int piece);

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
    // The control point handle (kHandleControl + ...) that holds the page pixel, or kHandleNone.
    int HitTestControl(CPoint pt, double zoom) const;

    ECreation GetCreation() const override { return ECreation::Corners; }
    std::string WhyNotDrawable() const override;
    std::unique_ptr<CFigure> Clone() const override;
    void CopyFrom(const CFigure& src) override;
    bool HasSameOwnState(const CFigure& other) const override;
    std::size_t GetOwnByteCount() const override {
        return m_vOffsets.capacity() * sizeof(CDoublePoint) +
               m_vCurves.capacity() * sizeof(CPieceCurve);
    }
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
    // first point, with a head at its last point when `head` says so (the last piece is then
    // straight). A head at a curved end is a stroke of its own, from a point on the curve's
    // tangent (`tangent`, written finely) to the end.
    struct CStroke {
        std::vector<CDoublePoint> points;
        bool head = false;
        std::vector<CPieceCurve> curves; // per piece, page units; empty when all are straight
        bool tangent = false;
        bool IsCurved(std::size_t piece) const {
            return piece < curves.size() && curves[piece].bCurved;
        }
        // The same stroke run the other way (no head), its curves' control points swapped.
        CStroke Reversed() const;
    };
    std::vector<CStroke> GetStrokes() const;
    // A stroke in surface pixels shifted by d, its curves flattened.
    static std::vector<CDoublePoint> PixelStroke(const CStroke& stroke, double zoom,
                                                 CDoublePoint d);

private:
    // Gives take every point that bounds the figure after the first corner: the other corners,
    // then the curved pieces' control points (a curve stays inside the polygon of its control
    // points).
    template <class F> void ForEachBoundingPoint(F&& take) const {
        for (int i = 1; i < GetCornerCount(); ++i)
            take(GetCorner(i));
        for (int i = 0; i < GetPieceCount(); ++i)
            if (IsCurved(i)) {
                take(GetControl(i, 0));
                take(GetControl(i, 1));
            }
    }
    // Drops the curves of pieces the figure no longer has, and straight ones at the end.
    void TrimCurves();
    // The corners in surface pixels shifted by d, closed back to the first for a polygon, curves
    // flattened; pieceOf, when given, gets the piece of each segment.
    std::vector<CDoublePoint> PixelPath(double zoom, CDoublePoint d,
                                        std::vector<int>* pieceOf = nullptr) const;
    // The strokes of a figure with curved pieces.
    std::vector<CStroke> GetCurvedStrokes() const;
};
