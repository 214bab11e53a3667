// CRawTeXFigure: a stretch of a reopened TeXDraw file that the reader did not recognise, kept
// verbatim in its place so that the next save writes it back unchanged. Where what it draws could
// be worked out (a stretch of someone else's drawing, a macro of theirs), that drawing is shown
// greyed and the stretch can be selected as a whole (to see it, copy or delete it), and moved as a
// whole where the reader found that safe; it is never reshaped or snapped to. Otherwise it is not
// drawn at all.
#pragma once

#include "figures/Figure.h"

#include <string>
#include <vector>

// A text that a kept stretch sets, as TeXDraw places it (see CLabel).
struct CShownText {
    CDoublePoint ptAt; // page units
    std::string strText;
    char cHRef = 'L', cVRef = 'B';
    double dAngle = 0.0;
    friend bool operator==(const CShownText&, const CShownText&) = default;
};

class CRawTeXFigure : public CFigure {
public:
    CRawTeXFigure() {
        m_strType = kTypeRawTeX;
        m_bSelectable = false;
    }
    explicit CRawTeXFigure(std::string text) : CRawTeXFigure() { m_strText = std::move(text); }

    std::string m_strText; // the bytes as they stood in the file, line feeds included
    // What the text draws, in page units: each path a line through its points, and the texts.
    std::vector<std::vector<CDoublePoint>> m_shownPaths;
    std::vector<CShownText> m_shownTexts;

    // A stretch that can be moved (it leaves TeXDraw's units, style and paths as it found them):
    // moved, it is written inside segments that put its drawing m_ptMoved (page units) away,
    // its text untouched. m_dSegScale is the segment scale in force where it stands, which a
    // segment would otherwise reset.
    bool m_bMovable = false;
    double m_dSegScale = 1.0;
    CDoublePoint m_ptMoved;

    // Takes what the stretch draws; with anything in it the stretch is shown and selectable.
    void SetShownDrawing(std::vector<std::vector<CDoublePoint>> paths,
                         std::vector<CShownText> texts);
    bool HasShownDrawing() const { return !m_shownPaths.empty() || !m_shownTexts.empty(); }

    std::unique_ptr<CFigure> Clone() const override;
    void CopyFrom(const CFigure& src) override;
    void SetHandlePoint(int, int, int, double) override {}
    int HitTestHandles(CPoint, double) const override { return kHandleNone; }
    void SetPoints(int, int, int, int, double) override {}
    void Draw(CDrawSurface& dc, double zoom, int dx, int dy) const override;
    void DrawHandles(CDrawSurface& dc, double zoom, int dx, int dy) const override;
    void MoveByPixels(int dx, int dy, double zoom) override;
    CRect GetBoundingRect(double zoom) const override;
    CRect GetPaintExtent(double zoom) const override;
    // The kept text itself, exactly as it was read.
    void AppendTeX(std::string& out) const override;
    bool IntersectsRect(const CRect& rect, double zoom) const override;
    bool HitTest(CPoint pt, double zoom) const override;
    bool SnapToKeyPoint(CPoint&, double) const override { return false; }
    void MoveBy(double dx, double dy) override;
    // Its one point, where shown, is how far it was moved, so that a move can be undone.
    int ReadPoints(CDoublePoint* out) const override;
    void WritePoints(const CDoublePoint* in) override;
};
