// CRawTeXFigure: a stretch of a reopened TeXDraw file that the reader did not recognise, kept
// verbatim in its place so that the next save writes it back unchanged. It is never drawn, hit,
// selected, snapped to or moved.
#pragma once

#include "figures/Figure.h"

#include <string>

class CRawTeXFigure : public CFigure {
public:
    CRawTeXFigure() {
        m_strType = kTypeRawTeX;
        m_bSelectable = false;
    }
    explicit CRawTeXFigure(std::string text) : CRawTeXFigure() { m_strText = std::move(text); }

    std::string m_strText; // the bytes as they stood in the file, line feeds included

    std::unique_ptr<CFigure> Clone() const override;
    void CopyFrom(const CFigure& src) override;
    void SetHandlePoint(int, int, int, double) override {}
    int HitTestHandles(CPoint, double) const override { return kHandleNone; }
    void SetPoints(int, int, int, int, double) override {}
    void Paint(CDrawSurface&, double, int, int) const override {}
    void Draw(CDrawSurface&, double, int, int) const override {}
    void DrawHandles(CDrawSurface&, double, int, int) const override {}
    void MoveByPixels(int, int, double) override {}
    CRect GetBoundingRect(double) const override { return {}; }
    // The kept text itself, exactly as it was read.
    void AppendTeX(std::string& out) const override;
    bool IntersectsRect(const CRect&, double) const override { return false; }
    bool HitTest(CPoint, double) const override { return false; }
    bool SnapToKeyPoint(CPoint&, double) const override { return false; }
    void MoveBy(double, double) override {}
    int ReadPoints(CDoublePoint*) const override { return 0; }
    void WritePoints(const CDoublePoint*) override {}
};
