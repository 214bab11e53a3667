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
    bool MissesRect(const CRect& page, double zoom) const override;
    unsigned GetStyleCaps() const override;
    // A line takes the dotted line's own pattern by becoming a dotted line.
    void ApplyStyle(const CStyle& style, unsigned parts) override;

protected:
    // The shaft, its pattern and heads as the style says, for a line not in its default style.
    void DrawStyled(CDrawSurface& dc, double zoom, int dx, int dy) const;
};

class CArrow : public CLine {
public:
    CArrow() {
        m_strType = kTypeArrow;
        m_style = CArrow::GetDefaultStyle();
    }
    CStyle GetDefaultStyle() const override {
        CStyle s;
        s.eHeads = EArrowHeads::End;
        return s;
    }
    std::unique_ptr<CFigure> Clone() const override;
    void Draw(CDrawSurface& dc, double zoom, int dx, int dy) const override;
    CRect GetPaintExtent(double zoom) const override;
    void AppendTeX(std::string& out) const override;
};
