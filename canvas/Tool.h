// CTool and the canvas's tools: what a gesture does in each mode. The canvas keeps the gesture's
// state (press, current point, grabbed handle) and decides the action; the tool whose action it
// is carries it out on the drawing. Tools that take clicks rather than one drag (corners, label)
// also take the events themselves.
#pragma once

#include "canvas/CanvasPart.h"
#include "figures/Geometry.h"
#include "figures/Polyline.h"

#include <memory>
#include <vector>

class CQuodra;
class CDrawSurface;
enum EAction : int;
enum EMouseState : int;

class CTool : public CCanvasPart {
public:
    using CCanvasPart::CCanvasPart;
    virtual ~CTool() = default;

    // Carries out one of the tool's actions.
    virtual void Execute(EAction action) = 0;
};

// Select mode: selecting by click and band, moving the selection, dragging a handle.
class CSelectTool final : public CTool {
public:
    using CTool::CTool;
    // The decision table of select mode: the action for the gesture state, by what the press hit
    // (grabbedHandle: kGrabbedNothing, 0 a body, above 0 a handle) and Ctrl.
    static EAction Decide(EMouseState state, int grabbedHandle, bool ctrl);
    // A press in select mode: grabs the figure under it, if any, before the decision.
    void Press();
    void Execute(EAction action) override;

private:
    void SelectPressed();
    void TogglePressed();
    void SelectInBand();
    // The selection's positions and the grabbed figure, found once for the step.
    void MoveSelection(const std::vector<int>& selected, const CFigure* grabbed);
    void DragHandle();
};

// Zoom mode: the band and the zoom to it.
class CZoomTool final : public CTool {
public:
    using CTool::CTool;
    static EAction Decide(EMouseState state);
    void Execute(EAction action) override;
};

// Drawing mode with a figure drawn by one drag: it is made at the first move, follows the pointer
// and ends at the release.
class CDragTool final : public CTool {
public:
    using CTool::CTool;
    static EAction Decide(EMouseState state, EMouseState prevState);
    void Execute(EAction action) override;
    // After the release: a figure that cannot be one is not kept, however the drag ended.
    void Released();

private:
    void StartFigure();
    void DragFigure();
    void FinishFigure();
};

// Drawing mode with a label: a click places it, then its text is asked for.
class CLabelTool final : public CTool {
public:
    using CTool::CTool;
    void Execute(EAction action) override { (void)action; }
    void Released();
};

// Drawing mode with a polyline, polygon or path: a click on each corner. The figure being clicked
// holds the corners placed so far and one more that follows the pointer.
class CCornersTool final : public CTool {
public:
    using CTool::CTool;
    void Execute(EAction action) override { (void)action; }
    bool IsPlacing() const { return m_pCorners != nullptr; }
    void Press(CPoint area);
    // A move of the pointer: the loose corner follows it, or while the button is held on a path's
    // node just placed, the node is shaped.
    void Move(CPoint area);
    void Release() { m_bShapingNode = false; }
    void Finish();
    void Cancel();
    void Paint(CDrawSurface& dc, double zoom, CPoint origin) const;

private:
    void Place(CPoint area);
    // The figure being clicked, taken off the window.
    std::unique_ptr<CPolyline> TakeFigure();
    void MoveCorner(CPoint area);
    // A path's node just placed, shaped by a drag: its control points lie symmetrically along it.
    void ShapeNode(CPoint area);

    std::unique_ptr<CPolyline> m_pCorners; // the polyline being clicked, its last corner loose
    bool m_bShapingNode = false;           // the button is held on a path's node just placed
};
