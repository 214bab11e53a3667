// CBezierCurve: a cubic curve from handle 2 to handle 6 with control points at handles 4 and 8.
// The four points are those of the frame, so moving, snapping and the outline tests (along the
// control polygon) are the frame's; the handles are placed freely.
#pragma once

#include "figures/FramedFigure.h"

class CBezierCurve : public CFramedFigure {
public:
    CBezierCurve() { m_strType = kTypeBezierCurve; }
    std::unique_ptr<CFigure> Clone() const override;
    void SetHandlePoint(int handle, int x, int y, double zoom) override;
    int HitTestHandles(CPoint pt, double zoom) const override;
    void Draw(CDrawSurface& dc, double zoom, int dx, int dy) const override;
    void DrawHandles(CDrawSurface& dc, double zoom, int dx, int dy) const override;
    void AppendTeX(std::string& out) const override;
    unsigned GetStyleCaps() const override { return kStyleOutline | kStyleHeads; }
    std::vector<std::vector<CDoublePoint>> GetStrokePaths(double zoom,
                                                          CDoublePoint d) const override;
    // Where a head at the end (or the start) points from: along the curve's tangent there.
    CDoublePoint GetTangentTail(bool atEnd) const;
};
