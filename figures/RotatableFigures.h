// The test-mode figures that turn about their centre when handle 4 is dragged.
#pragma once

#include "figures/Ellipse.h"
#include "figures/FramedFigure.h"

class CRotatableRectangle : public CFramedFigure {
public:
    CRotatableRectangle() = default;
    std::unique_ptr<CFigure> Clone() const override;
    void SetHandlePoint(int handle, int x, int y, double zoom) override;
    const char* GetHandleStepName(int handle) const override {
        return handle == kHandleTopRight ? "Turn" : "Resize";
    }
};

class CRotatableEllipse : public CEllipse {
public:
    CRotatableEllipse() = default;
    std::unique_ptr<CFigure> Clone() const override;
    void SetHandlePoint(int handle, int x, int y, double zoom) override;
    const char* GetHandleStepName(int handle) const override {
        return handle == kHandleTopRight ? "Turn" : "Resize";
    }
};

// Turns the four corners of a frame about its centre so that m_pt3 points at the page point p;
// a corner or point within 0.1 units of the centre changes nothing.
void TurnFrameToward(CFramedFigure& figure, CDoublePoint p);
