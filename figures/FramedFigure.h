// CFramedFigure: a figure defined by four corners (m_pt1 -> m_pt3 -> m_pt2 -> m_pt4), with eight
// handles, frame hit tests and the resize that keeps the directions of the frame's edges.
#pragma once

#include "figures/Figure.h"

class CFramedFigure : public CFigure {
public:
    CFramedFigure() { m_strType = kTypeRectangle; }

    CDoublePoint m_pt3; // corner of handle 4
    CDoublePoint m_pt4; // corner of handle 8

    std::unique_ptr<CFigure> Clone() const override;
    void CopyFrom(const CFigure& src) override;
    bool HasSameOwnState(const CFigure& other) const override;
    void SetHandlePoint(int handle, int x, int y, double zoom) override;
    CPoint GetHandlePoint(int handle, double zoom) const override;
    void EnforceMinimumSize(int handle, CDoublePoint& p) override;
    int HitTestHandles(CPoint pt, double zoom) const override;
    void SetPoints(int x1, int y1, int x2, int y2, double zoom) override;
    void Draw(CDrawSurface& dc, double zoom, int dx, int dy) const override;
    void DrawHandles(CDrawSurface& dc, double zoom, int dx, int dy) const override;
    void MoveByPixels(int dx, int dy, double zoom) override;
    CRect GetBoundingRect(double zoom) const override;
    void AppendTeX(std::string& out) const override;
    bool IntersectsRect(const CRect& rect, double zoom) const override;
    bool HitTest(CPoint pt, double zoom) const override;
    bool SnapToKeyPoint(CPoint& pt, double zoom) const override;
    void MoveBy(double dx, double dy) override;
    int ReadPoints(CDoublePoint* out) const override;
    void WritePoints(const CDoublePoint* in) override;
    unsigned GetStyleCaps() const override { return kStyleOutline | kStyleFill; }
    // The pieces the outline is stroked in, each a path of surface pixels shifted by d, as its
    // block strokes them; and the closed outline its fill fills.
    virtual std::vector<std::vector<CDoublePoint>> GetStrokePaths(double zoom,
                                                                  CDoublePoint d) const;
    virtual std::vector<CDoublePoint> GetFillOutline(double zoom, CDoublePoint d) const;

protected:
    // The fill, then the outline in its width, pattern and grey: a figure not in its default
    // style.
    void DrawStyled(CDrawSurface& dc, double zoom, int dx, int dy) const;
    // The handle's pixel point as a double, shifted by d.
    CDoublePoint PixelAt(int handle, double zoom, CDoublePoint d) const {
        const CPoint p = GetHandlePoint(handle, zoom);
        return CDoublePoint{double(p.x), double(p.y)} + d;
    }
    // The closed outline through the pixel points of four handles, each edge by the segment rule.
    void DrawHandleLoop(CDrawSurface& dc, double zoom, int dx, int dy, int h1, int h2, int h3,
                        int h4) const;
    // Does a figure that draws no more than its outline (unselected, no fill) along the closed
    // polygon through these handles, or the ellipse inscribed in its frame, leave the page
    // rectangle untouched, the rectangle lying inside it beyond the paint reach?
    bool MissesInsidePolygon(const CRect& page, double zoom,
                             std::initializer_list<int> corners) const;
    bool MissesInsideEllipse(const CRect& page, double zoom) const;
    // The resize by handles 2..9 to the page point m (no minimum size).
    void ResizeFrame(int handle, CDoublePoint m);

private:
    // The corner moves of one resize step, from the corners p1..p4 before it.
    void MoveFrameCorners(int handle, CDoublePoint m, CDoublePoint p1, CDoublePoint p2,
                          CDoublePoint p3, CDoublePoint p4);
};
