// CLabel: a text placed at a point with no frame, as TeXDraw places text: one of its nine
// reference points (\textref) on the point, the text level (\htext), upright (\vtext) or turned by
// any angle (\rtext).
#pragma once

#include "figures/Figure.h"

#include <array>
#include <string>

// The text's size on the page: LaTeX's 10 pt, in page units (0.01 in).
inline constexpr double kLabelEm = 10.0 / kPointsPerPageUnit;
// The model cannot measure text, so a label's box is estimated, in ems: 0.6 em a character, one em
// high, three quarters of it above the baseline.
inline constexpr double kLabelCharWidth = 0.6;
inline constexpr double kLabelAscent = 0.75;
inline constexpr double kLabelDescent = 0.25;

class CLabel : public CFigure {
public:
    CLabel() {
        m_strType = kTypeLabel;
        m_pt2 = m_pt1;
    }

    std::string m_strText;
    char m_cHRef = 'L';    // 'L', 'C' or 'R': which side of the text lies on the point
    char m_cVRef = 'B';    // 'T', 'C' or 'B' (the baseline)
    double m_dAngle = 0.0; // degrees counterclockwise, [0, 360)
    // The text's em in page units. The text prints at LaTeX's 10 pt whatever the drawing's unit
    // scale, while the geometry prints at that scale: at scale 0.5 the em is two of kLabelEm.
    double m_dEm = kLabelEm;

    ECreation GetCreation() const override { return ECreation::Click; }
    std::string* GetTextField() override { return &m_strText; }
    double* GetTextSize() override { return &m_dEm; }
    std::string WhyNotDrawable() const override;
    std::unique_ptr<CFigure> Clone() const override;
    void CopyFrom(const CFigure& src) override;
    void SetPoints(int x1, int y1, int x2, int y2, double zoom) override;
    CPoint GetHandlePoint(int handle, double zoom) const override;
    int HitTestHandles(CPoint, double) const override { return kHandleNone; }
    void Draw(CDrawSurface& dc, double zoom, int dx, int dy) const override;
    void DrawHandles(CDrawSurface& dc, double zoom, int dx, int dy) const override;
    CRect GetBoundingRect(double zoom) const override;
    CRect GetPaintExtent(double zoom) const override;
    void AppendTeX(std::string& out) const override;
    bool IntersectsRect(const CRect& rect, double zoom) const override;
    bool HitTest(CPoint pt, double zoom) const override;
    bool SnapToKeyPoint(CPoint& pt, double zoom) const override;
    void AppendSnapLines(std::vector<std::pair<CPoint, CPoint>>&, double) const override {}
    int ReadPoints(CDoublePoint* out) const override;
    void WritePoints(const CDoublePoint* in) override;
    unsigned GetStyleCaps() const override { return 0; }

    // The corners of the text's estimated box in page pixels at the zoom, turned with the text;
    // `widthPerChar`, `ascent` and `descent` in ems (the estimate's or more generous ones).
    std::array<CDoublePoint, 4> GetBoxCorners(double zoom, double widthPerChar, double ascent,
                                              double descent) const;
};

// Is c one of TeXDraw's horizontal (L, C, R) or vertical (T, C, B) references?
inline bool IsHRef(char c) {
    return c == 'L' || c == 'C' || c == 'R';
}
inline bool IsVRef(char c) {
    return c == 'T' || c == 'C' || c == 'B';
}
