// TeXDraw's own round shapes: CCircle (\lcir), CAxisEllipse (\lellip, axes along the page) and
// CArc (\larc), each placed at its centre and written with TeXDraw's command for it, so that LaTeX
// draws a true curve where the canvas draws one.
#pragma once

#include "figures/Figure.h"

#include <vector>

// The arc's angle handles (its radius handle is kHandleEnd, as for the circle).
enum : int {
    kHandleArcStart = 10,
    kHandleArcEnd = 11,
};

// A figure placed at its centre m_pt1 (m_pt2 is kept on it) with radii along the page's axes.
class CRoundFigure : public CFigure {
public:
    double m_dRadiusX = 50.0; // page units
    double m_dRadiusY = 50.0;

    void CopyFrom(const CFigure& src) override;
    bool HasSameOwnState(const CFigure& other) const override;
    void SetPoints(int x1, int y1, int x2, int y2, double zoom) override;
    void SetHandlePoint(int handle, int x, int y, double zoom) override;
    CPoint GetHandlePoint(int handle, double zoom) const override;
    int HitTestHandles(CPoint pt, double zoom) const override;
    void Draw(CDrawSurface& dc, double zoom, int dx, int dy) const override;
    void DrawHandles(CDrawSurface& dc, double zoom, int dx, int dy) const override;
    CRect GetBoundingRect(double zoom) const override;
    bool IntersectsRect(const CRect& rect, double zoom) const override;
    bool HitTest(CPoint pt, double zoom) const override;
    bool SnapToKeyPoint(CPoint& pt, double zoom) const override;
    int ReadPoints(CDoublePoint* out) const override;
    void WritePoints(const CDoublePoint* in) override;
    void AppendSnapLines(std::vector<std::pair<CPoint, CPoint>>&, double) const override {}
    std::string WhyNotDrawable() const override;
    unsigned GetStyleCaps() const override { return kStyleOutline | kStyleFill; }

    // The outline in surface pixels shifted by d, as PostScript strokes it: from angle `from`
    // counterclockwise to `to` (degrees, on the page as seen).
    std::vector<CDoublePoint> GetOutline(double zoom, CDoublePoint d) const;

protected:
    // The angles the outline runs over; a whole turn for a closed shape.
    virtual double StartDegrees() const { return 0.0; }
    virtual double EndDegrees() const { return 360.0; }
    virtual bool IsClosed() const { return true; }
    bool TakesFillAlone() const override { return IsClosed(); }
    // The handles the kind shows.
    virtual std::vector<int> Handles() const { return {kHandleEnd}; }
    // Takes the radii the page vector v (from the centre) gives for the handle.
    virtual void SetRadiusFrom(int handle, CDoublePoint v);
    // The page point on the outline at the angle.
    CDoublePoint PointAt(double degrees) const;
};

class CCircle : public CRoundFigure {
public:
    CCircle() { m_strType = kTypeCircle; }
    std::unique_ptr<CFigure> Clone() const override;
    void AppendTeX(std::string& out) const override;
};

class CAxisEllipse : public CRoundFigure {
public:
    CAxisEllipse() { m_strType = kTypeAxisEllipse; }
    std::unique_ptr<CFigure> Clone() const override;
    void AppendTeX(std::string& out) const override;

protected:
    std::vector<int> Handles() const override { return {kHandleRight, kHandleBottom, kHandleEnd}; }
    void SetRadiusFrom(int handle, CDoublePoint v) override;
};

class CArc : public CRoundFigure {
public:
    CArc() { m_strType = kTypeArc; }
    // Counterclockwise on the page as seen, from the start to the end, in whole degrees [0, 360).
    double m_dStartAngle = 0.0;
    double m_dEndAngle = 90.0;

    std::unique_ptr<CFigure> Clone() const override;
    void CopyFrom(const CFigure& src) override;
    void SetHandlePoint(int handle, int x, int y, double zoom) override;
    CPoint GetHandlePoint(int handle, double zoom) const override;
    void AppendTeX(std::string& out) const override;
    bool SnapToKeyPoint(CPoint& pt, double zoom) const override;
    unsigned GetStyleCaps() const override { return kStyleOutline; }
    const char* GetHandleStepName(int handle) const override {
        return handle == kHandleArcStart || handle == kHandleArcEnd ? "Turn" : "Resize";
    }

protected:
    double StartDegrees() const override { return m_dStartAngle; }
    double EndDegrees() const override;
    bool IsClosed() const override { return false; }
    std::vector<int> Handles() const override {
        return {kHandleEnd, kHandleArcStart, kHandleArcEnd};
    }
};
