// A surface that passes every call on to another but the texts: the canvas under the typeset
// overlay shows its frames and lines while LaTeX's texts lie over them, not its raw texts too.
#pragma once

#include "figures/DrawSurface.h"

class CTextlessSurface : public CDrawSurface {
public:
    explicit CTextlessSurface(CDrawSurface& inner) : m_inner(inner) {}

    void Line(CPoint from, CPoint to, const CPen& pen) override { m_inner.Line(from, to, pen); }
    void Lines(const std::vector<CPoint>& ends, const CPen& pen) override {
        m_inner.Lines(ends, pen);
    }
    void SetPixel(CPoint p, COLORREF color) override { m_inner.SetPixel(p, color); }
    void Rectangle(const CRect& r, const CPen& pen, std::optional<COLORREF> fill) override {
        m_inner.Rectangle(r, pen, fill);
    }
    void FillRect(const CRect& r, COLORREF color) override { m_inner.FillRect(r, color); }
    void PolyBezier(const std::vector<CPoint>& points, const CPen& pen) override {
        m_inner.PolyBezier(points, pen);
    }
    void FillPolygon(const std::vector<CPoint>& points, COLORREF color) override {
        m_inner.FillPolygon(points, color);
    }
    void DrawText(const CRect&, const std::string&) override {}
    void DrawTextAt(CPoint, const std::string&, char, char, double, int) override {}
    void DrawImage(const std::string& path, const CRect& r) override { m_inner.DrawImage(path, r); }
    void XorRectangle(const CRect& r) override { m_inner.XorRectangle(r); }
    void SetOrigin(CPoint origin) override { m_inner.SetOrigin(origin); }
    bool Misses(const CRect& r) const override { return m_inner.Misses(r); }

private:
    CDrawSurface& m_inner;
};
