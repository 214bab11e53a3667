// CZoomTool: zoom mode's band and the zoom to it.
#include "canvas/Quodra.h"

EAction CZoomTool::Decide(EMouseState state) {
    if (state == kStateDragging)
        return kActionShowZoomBand;
    if (state == kStateDragEnded)
        return kActionZoomToBand;
    return kActionNone;
}

void CZoomTool::Execute(EAction action) {
    CQuodra& c = m_canvas;
    if (action == kActionShowZoomBand) {
        c.m_bRubberBand = true;
    } else if (action == kActionZoomToBand) {
        c.ZoomToRect({c.m_ptDown.x, c.m_ptDown.y, c.m_ptCurrent.x, c.m_ptCurrent.y}, false);
        c.m_bRubberBand = false;
    }
}
