// CLine (lines, dotted lines, grid lines) and CArrow (a line with a filled head at its end).
#pragma once

#include "figures/Figure.h"

class CLine : public CFigure {
public:
    CLine() = default;
    std::unique_ptr<CFigure> Clone() const override;
    void SetHandlePoint(int handle, int x, int y, double zoom) override;
    void EnforceMinimumSize(int handle, CDoublePoint& p) override;
    int HitTestHandles(CPoint pt, double zoom) const override;
    void Draw(CDrawSurface& dc, double zoom, int dx, int dy) const override;
    void DrawHandles(CDrawSurface& dc, double zoom, int dx, int dy) const override;
    CRect GetBoundingRect(double zoom) const override;
    void AppendTeX(std::string& out) const override;
    bool IntersectsRect(const CRect& rect, double zoom) const override;
    bool HitTest(CPoint pt, double zoom) const override;
};

class CArrow : public CLine {
public:
    CArrow() { m_strType = kTypeArrow; }
    std::unique_ptr<CFigure> Clone() const override;
    void Draw(CDrawSurface& dc, double zoom, int dx, int dy) const override;
    CRect GetPaintExtent(double zoom) const override;
    void AppendTeX(std::string& out) const override;
};
