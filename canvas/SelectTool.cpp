// CSelectTool: select mode's decision table, selecting by click and band, moving the selection
// with the pointer pinned to the grabbed figure, and dragging a handle.
#include "canvas/Quodra.h"

#include <algorithm>

namespace {

// A move of d pixels along one axis of a selection whose box spans lo .. hi page pixels, stopped
// at the page edges (0 .. last): a box that would leave on the left or top is put on that edge,
// else one that would leave on the right or bottom on that edge. A box wider than the page thus
// lies from the left edge on; KeepInReach then keeps every point readable.
int KeepOnPage(int d, int lo, int hi, int last) {
    if (lo + d < 0)
        return -lo;
    if (hi + d > last)
        return last - hi;
    return d;
}

// A move of d pixels at the zoom along one axis of a selection whose points span lo .. hi page
// units, limited so that no point leaves the page's reach, and a point beyond it (read from a
// file) comes only back toward it: whatever a move makes can be saved and read again.
int KeepInReach(int d, double lo, double hi, double zoom) {
    // The point a move gives, as CFigure::MoveByPixels computes it.
    const double r = 1.0 / zoom;
    const auto moved = [&](double v, int by) { return (v * zoom + by) * r; };
    if (d > 0) {
        const double bound = std::max(hi, kPageReach);
        d = static_cast<int>(std::min((bound - hi) * zoom, static_cast<double>(d)));
        while (d > 0 && moved(hi, d) > bound)
            --d;
    } else if (d < 0) {
        const double bound = std::min(lo, -kPageReach);
        d = static_cast<int>(std::max((bound - lo) * zoom, static_cast<double>(d)));
        while (d < 0 && moved(lo, d) < bound)
            ++d;
    }
    return d;
}

} // namespace

EAction CSelectTool::Decide(EMouseState state, int grabbedHandle, bool ctrl) {
    const bool onNothing = grabbedHandle < kHandleNone;
    const bool onHandle = grabbedHandle > kHandleNone;
    switch (state) {
    case kStatePressed:
        if (onNothing)
            return ctrl ? kActionKeepSelection : kActionClearSelection;
        // Ctrl toggles a figure pressed on its body; a press on a handle never toggles.
        return ctrl && !onHandle ? kActionTogglePressed : kActionSelectPressed;
    case kStateDragging:
        if (onNothing)
            return ctrl ? kActionShowAddBand : kActionShowSelectBand;
        return onHandle ? kActionDragHandle : kActionMoveSelection;
    case kStateDragEnded:
        if (onNothing)
            return ctrl ? kActionAddInBand : kActionSelectInBand;
        return kActionNone;
    default:
        return kActionNone;
    }
}

void CSelectTool::Press() {
    CQuodra& c = m_canvas;
    const CPoint p = c.AreaToPage(c.m_ptDown);
    if (const CFigure* f = c.FigureAt(p)) {
        const int handle = f->HitTestHandles(p, c.Zoom());
        c.m_drawing.Grab(f);
        const CRect bounds = f->GetBoundingRect(c.Zoom());
        c.m_szGrabOffset = {p.x - bounds.left, p.y - bounds.top};
        if (handle > kHandleNone)
            c.m_nGrabbedHandle = handle;
    } else {
        c.m_nGrabbedHandle = kGrabbedNothing;
    }
}

void CSelectTool::Execute(EAction action) {
    CQuodra& c = m_canvas;
    switch (action) {
    case kActionShowSelectBand:
    case kActionShowAddBand:
        c.m_bRubberBand = true;
        break;
    case kActionClearSelection:
        c.m_drawing.ClearSelection();
        break;
    case kActionSelectPressed:
        SelectPressed();
        break;
    case kActionTogglePressed:
        TogglePressed();
        break;
    case kActionSelectInBand:
    case kActionAddInBand:
        SelectInBand();
        break;
    case kActionMoveSelection:
        // The selection and the grabbed figure are looked up once for the step, a walk over the
        // drawing each.
        MoveSelection(c.m_figures.SelectedPositions(), c.m_figures.GetGrabbed());
        break;
    case kActionDragHandle:
        DragHandle();
        break;
    default:
        break;
    }
}

// An already selected figure keeps the whole selection, so a group can be dragged.
void CSelectTool::SelectPressed() {
    CQuodra& c = m_canvas;
    const CPoint p = c.AreaToPage(c.m_ptDown);
    if (const CFigure* f = c.FigureAt(p); f && !f->m_bSelected) {
        c.m_drawing.ClearSelection();
        c.m_drawing.Select(c.IndexOf(f), true);
    }
}

void CSelectTool::TogglePressed() {
    CQuodra& c = m_canvas;
    const CPoint p = c.AreaToPage(c.m_ptDown);
    if (const CFigure* f = c.FigureAt(p))
        c.m_drawing.Select(c.IndexOf(f), !f->m_bSelected);
}

// Adds every figure the band touches; without Ctrl the press has already cleared the selection.
void CSelectTool::SelectInBand() {
    CQuodra& c = m_canvas;
    const CPoint o = c.GetPageOrigin();
    const CRect r = CRect{c.m_ptDown.x, c.m_ptDown.y, c.m_ptCurrent.x, c.m_ptCurrent.y}
                        .Offset(-o.x, -o.y)
                        .Normalized();
    c.m_bRubberBand = false;
    c.m_drawing.SelectInRect(r, c.Zoom());
}

void CSelectTool::DragHandle() {
    CQuodra& c = m_canvas;
    c.m_hCursor = ECursor::Cross;
    c.m_host.SetCursorShape(ECursor::Cross);
    c.m_ptCurrent = c.ClampAndSnap(c.m_ptCurrent);
    if (const CFigure* f = c.m_figures.GetGrabbed()) {
        const CPoint p = c.AreaToPage(c.m_ptCurrent);
        c.m_drawing.SetStepName(f->GetHandleStepName(c.m_nGrabbedHandle));
        c.m_drawing.Change(c.IndexOf(f)).SetHandlePoint(c.m_nGrabbedHandle, p.x, p.y, c.Zoom());
    }
}

// Moves the selection by m_szDelta, stopped per axis at the page edges, and keeps the pointer on
// the spot of the grabbed figure where the press was.
void CSelectTool::MoveSelection(const std::vector<int>& selected, const CFigure* grabbed) {
    CQuodra& c = m_canvas;
    const double zoom = c.Zoom();
    CSize d = c.m_szDelta;
    const std::optional<CRect> u = c.m_figures.BoundsAt(selected, zoom, 0, 0);
    if (u && (d.cx != 0 || d.cy != 0)) {
        const CSize page = c.m_viewport.GetPageSizePx();
        d.cx = KeepOnPage(d.cx, u->left, u->right, page.cx - 1);
        d.cy = KeepOnPage(d.cy, u->top, u->bottom, page.cy - 1);
        if (const auto range = c.m_figures.PointRangeAt(selected)) {
            d.cx = KeepInReach(d.cx, range->first.x, range->second.x, zoom);
            d.cy = KeepInReach(d.cy, range->first.y, range->second.y, zoom);
        }
        c.m_drawing.SetStepName("Move");
        if (d.cx != 0 || d.cy != 0)
            c.m_drawing.MoveByPixels(selected, d.cx, d.cy, zoom);
        c.m_szDelta = d;
    }
    if (grabbed) {
        const CRect r = grabbed->GetBoundingRect(zoom);
        const CPoint area =
            c.PageToArea({r.left + c.m_szGrabOffset.cx, r.top + c.m_szGrabOffset.cy});
        const CPoint client = c.AreaToClient(area);
        if (client != c.m_host.GetPointerPos()) {
            c.m_host.SetPointerPos(client);
            c.m_ptCurrent = area;
            c.m_bSkipMouseMove = true;
        }
    }
}
