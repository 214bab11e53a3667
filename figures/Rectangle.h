// The box figures: CRectangle (15-unit minimum on handle drags), CRhomb (drawn through the edge
// midpoints) and CPictureFigure (the start-up picture, an image file stretched into the frame).
#pragma once

#include "figures/FramedFigure.h"

class CRectangle : public CFramedFigure {
public:
    CRectangle() = default;
    std::unique_ptr<CFigure> Clone() const override;
    void SetHandlePoint(int handle, int x, int y, double zoom) override;
    // Pushes a proposed handle position out of the 15-unit band around the handle's anchor.
    virtual void LimitHandlePoint(int handle, CDoublePoint& m) const;
    bool MissesRect(const CRect& page, double zoom) const override {
        return MissesInsidePolygon(page, zoom,
                                   {kHandleStart, kHandleTopRight, kHandleEnd, kHandleBottomLeft});
    }
};

class CRhomb : public CRectangle {
public:
    CRhomb() = default;
    std::unique_ptr<CFigure> Clone() const override;
    void Draw(CDrawSurface& dc, double zoom, int dx, int dy) const override;
    void AppendTeX(std::string& out) const override;
    std::vector<std::vector<CDoublePoint>> GetStrokePaths(double zoom,
                                                          CDoublePoint d) const override;
    std::vector<CDoublePoint> GetFillOutline(double zoom, CDoublePoint d) const override;
    bool MissesRect(const CRect& page, double zoom) const override {
        return MissesInsidePolygon(page, zoom,
                                   {kHandleTop, kHandleRight, kHandleBottom, kHandleLeft});
    }
};

class CPictureFigure : public CRectangle {
public:
    CPictureFigure() { m_strType = kTypePicture; }
    // The image that new pictures (and copies) show: "res/hny.gif" in the current folder unless
    // the program found the picture elsewhere when it started. A path that begins with ":/"
    // names a copy built into the program, which only the draw surface can read.
    static void SetDefaultImagePath(std::string path);
    static const std::string& GetDefaultImagePath();
    std::string m_strImagePath = GetDefaultImagePath();
    std::unique_ptr<CFigure> Clone() const override;
    void Draw(CDrawSurface& dc, double zoom, int dx, int dy) const override;
    unsigned GetStyleCaps() const override { return 0; }
    bool MissesRect(const CRect&, double) const override { return false; } // the picture fills it
};
