// CDragTool: a figure drawn by one drag, made from the clamped and snapped press and current
// points, and kept only when it can be a figure.
#include "canvas/Quodra.h"

EAction CDragTool::Decide(EMouseState state, EMouseState prevState) {
    if (state == kStateDragging)
        return prevState == kStatePressed ? kActionStartFigure : kActionDragFigure;
    if (state == kStateDragEnded)
        return kActionFinishFigure;
    return kActionNone;
}

void CDragTool::Execute(EAction action) {
    if (action == kActionStartFigure)
        StartFigure();
    else if (action == kActionDragFigure)
        DragFigure();
    else if (action == kActionFinishFigure)
        FinishFigure();
}

// The first move of a drawing drag makes the figure, a clone of the tool, from the clamped and
// snapped press and current points.
void CDragTool::StartFigure() {
    CQuodra& c = m_canvas;
    if (!c.m_pToolFigure || c.m_pToolFigure->GetCreation() != ECreation::Drag)
        return;
    auto figure = c.m_pToolFigure->Clone();
    figure->ApplyStyle(c.m_styles.GetNewFigureStyle(), c.m_styles.GetNewFigureStyleParts());
    c.m_drawing.Grab(nullptr);
    figure->m_bEditing = true;
    c.m_ptCurrent = c.ClampAndSnap(c.m_ptCurrent);
    c.m_ptDown = c.ClampAndSnap(c.m_ptDown);
    const CPoint a = c.AreaToPage(c.m_ptDown);
    const CPoint b = c.AreaToPage(c.m_ptCurrent);
    figure->SetPoints(a.x, a.y, b.x, b.y, c.Zoom());
    c.m_drawing.SetStepName(GetDrawStepName(*figure));
    c.m_drawing.Append(std::move(figure));
    c.m_bCreating = true;
}

// Later moves set both points again. The press point is snapped again where the first move
// left it but not clamped again: a key point it was snapped to may lie off the page, and the
// figure keeps starting there instead of jumping to the page edge.
void CDragTool::DragFigure() {
    CQuodra& c = m_canvas;
    if (!c.m_bCreating || c.m_figures.GetCount() == 0)
        return;
    c.m_ptCurrent = c.ClampAndSnap(c.m_ptCurrent);
    c.m_ptDown = c.SnapArea(c.m_ptDown);
    const CPoint a = c.AreaToPage(c.m_ptDown);
    const CPoint b = c.AreaToPage(c.m_ptCurrent);
    // The figure the open step inserted changes without a kept state.
    c.m_drawing.Shape(c.m_figures.GetCount() - 1).SetPoints(a.x, a.y, b.x, b.y, c.Zoom());
}

// The release sets the end point; the new figure becomes the selection and the canvas goes back
// to select mode.
void CDragTool::FinishFigure() {
    CQuodra& c = m_canvas;
    if (!c.m_bCreating || c.m_figures.GetCount() == 0)
        return;
    c.m_ptCurrent = c.ClampAndSnap(c.m_ptCurrent);
    const CPoint b = c.AreaToPage(c.m_ptCurrent);
    CFigure& figure = c.m_drawing.Shape(c.m_figures.GetCount() - 1);
    figure.SetHandlePoint(kHandleEnd, b.x, b.y, c.Zoom());
    // A figure that cannot be one (a circle without a radius) is not made; the tool stays.
    if (const std::string why = figure.WhyNotDrawable(); !why.empty()) {
        c.m_drawing.Abort();
        c.m_host.ShowMessage(why);
        return;
    }
    c.m_drawing.ClearSelection();
    c.m_drawing.SelectLast();
    c.m_drawing.Grab(nullptr);
    c.m_nMode = kModeSelect;
    c.m_host.ShowMessage(""); // the tool's prompt is done with
}

// However the drag ended (the mode may have changed under it), a figure that cannot be one is
// not kept.
void CDragTool::Released() {
    CQuodra& c = m_canvas;
    const CFigure* drawn = c.m_figures.GetLast();
    if (!c.m_bCreating || !c.m_drawing.IsRecording() || !drawn)
        return;
    if (const std::string why = drawn->WhyNotDrawable(); !why.empty()) {
        c.m_drawing.Abort();
        c.m_host.ShowMessage(why);
        c.RepaintDamage();
    }
}
