// CQuodra: the mouse gesture state machine (state update, decision, execution), moving the
// selection with cursor pinning, and the cursor shape.
#include "canvas/Quodra.h"

#include <algorithm>

namespace {

// The gesture state after a press, a move and a release; any other state stays as it is.
EMouseState AfterPress(EMouseState s) {
    if (s == kStateIdle || s == kStateHovering)
        return kStatePressed;
    if (s == kStatePressed)
        return kStatePressedAgain;
    return s;
}

EMouseState AfterMove(EMouseState s) {
    switch (s) {
    case kStateIdle:
    case kStateHovering:
        return kStateHovering;
    case kStatePressed:
    case kStateDragging:
        return kStateDragging;
    default:
        return s;
    }
}

EMouseState AfterRelease(EMouseState s) {
    switch (s) {
    case kStatePressed:
        return kStateClicked;
    case kStateDragging:
        return kStateDragEnded;
    case kStatePressedAgain:
        return kStateReleasedAgain;
    default:
        return s;
    }
}

EAction DecideZoom(EMouseState state) {
    if (state == kStateDragging)
        return kActionShowZoomBand;
    if (state == kStateDragEnded)
        return kActionZoomToBand;
    return kActionNone;
}

EAction DecideDraw(EMouseState state, EMouseState prevState) {
    if (state == kStateDragging)
        return prevState == kStatePressed ? kActionStartFigure : kActionDragFigure;
    if (state == kStateDragEnded)
        return kActionFinishFigure;
    return kActionNone;
}

EAction DecideSelect(EMouseState state, int grabbedHandle, bool ctrl) {
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

// --- Decision: a pure function of the gesture, so it can be checked on its own.

EAction CQuodra::DecideAction(EMode mode, EMouseState state, EMouseState prevState,
                              int grabbedHandle, bool ctrl) {
    switch (mode) {
    case kModeZoom:
        return DecideZoom(state);
    case kModeDraw:
        return DecideDraw(state, prevState);
    case kModeSelect:
        return DecideSelect(state, grabbedHandle, ctrl);
    }
    return kActionNone;
}

// On a select-mode press, finds what was hit and grabs it before deciding.
EAction CQuodra::Decide() {
    if (m_nMode == kModeSelect && m_nMouseState == kStatePressed) {
        const CPoint p = AreaToPage(m_ptDown);
        if (const CFigure* f = FigureAt(p)) {
            const int handle = f->HitTestHandles(p, Zoom());
            m_drawing.Grab(f);
            const CRect bounds = f->GetBoundingRect(Zoom());
            m_szGrabOffset = {p.x - bounds.left, p.y - bounds.top};
            if (handle > kHandleNone)
                m_nGrabbedHandle = handle;
        } else {
            m_nGrabbedHandle = kGrabbedNothing;
        }
    }
    return DecideAction(m_nMode, m_nMouseState, m_nPrevMouseState, m_nGrabbedHandle, m_bCtrlDown);
}

// --- Events

void CQuodra::OnLButtonDown(CPoint client, bool ctrl) {
    client = CViewport::ClampClient(client);
    if (IsToolCreation(ECreation::Corners)) {
        // Corner by corner: each click is a corner, no drag and no capture.
        m_host.TakeFocus();
        PressCorner(ClientToArea(client));
        // A path's node is shaped while the button stays down.
        m_bShapingNode = m_pCorners && m_pCorners->IsPath();
        EditStateChanged();
        return;
    }
    m_host.TakeFocus();
    m_host.CaptureMouse();
    const CPoint p = ClientToArea(client);
    m_nPrevMouseState = m_nMouseState;
    m_nMouseState = AfterPress(m_nMouseState);
    // A press while a figure is being drawn (its release got lost) moves the figure's start; it
    // is kept on the page, as the first move keeps it, so no point is thrown out of reach.
    m_ptDown = m_bCreating ? ClampToPage(p) : p;
    m_bCtrlDown = ctrl;
    // The whole gesture, press to release, is one step; it is named by what it turns out to do.
    if (!m_drawing.IsRecording())
        m_drawing.Begin({});
    Execute(Decide());
    EditStateChanged();
}

void CQuodra::OnMouseMove(CPoint client) {
    if (m_bSkipMouseMove) {
        // The move that the pointer warp of the last selection move caused.
        m_bSkipMouseMove = false;
        return;
    }
    client = CViewport::ClampClient(client);
    if (m_pCorners) {
        if (m_bShapingNode)
            ShapeNode(ClientToArea(client));
        else
            MoveCorner(ClientToArea(client));
        return;
    }
    const CPoint p = ClientToArea(client);
    m_nPrevMouseState = m_nMouseState;
    m_nMouseState = AfterMove(m_nMouseState);
    const CPoint base = m_nPrevMouseState == kStatePressed ? m_ptDown : m_ptCurrent;
    m_ptCurrent = p;
    m_szDelta = {p.x - base.x, p.y - base.y};
    Execute(Decide());
    m_viewport.AutoScroll(client);
}

void CQuodra::OnLButtonUp(CPoint client) {
    client = CViewport::ClampClient(client);
    m_bShapingNode = false; // a path's node is shaped while the button is down
    if (IsToolCreation(ECreation::Corners) && m_nMouseState == kStateIdle)
        return; // the release of a corner's click
    m_host.ReleaseMouse();
    const CPoint p = ClientToArea(client);
    m_nPrevMouseState = m_nMouseState;
    m_nMouseState = AfterRelease(m_nMouseState);
    m_ptCurrent = p;
    Execute(Decide());
    // A label goes where the button went down, whether or not the pointer moved on.
    if (IsToolCreation(ECreation::Click) &&
        (m_nMouseState == kStateClicked || m_nMouseState == kStateDragEnded))
        PlaceLabel();
    // However the drag ended (the mode may have changed under it), a figure that cannot be one
    // is not kept.
    if (const CFigure* drawn = m_figures.GetLast();
        m_bCreating && m_drawing.IsRecording() && drawn) {
        if (const std::string why = drawn->WhyNotDrawable(); !why.empty()) {
            m_drawing.Abort();
            m_host.ShowMessage(why);
            RepaintDamage();
        }
    }
    m_nMouseState = kStateIdle;
    m_nGrabbedHandle = kHandleNone;
    m_bSkipMouseMove = false;
    m_bCreating = false;
    m_drawing.Commit();
    m_drawing.Notify();
    EditStateChanged();
}

// --- Execution

CPoint CQuodra::SnapArea(CPoint area) const {
    CPoint p = AreaToPage(area);
    Snap(p);
    return PageToArea(p);
}

CPoint CQuodra::ClampAndSnap(CPoint area) const {
    return SnapArea(ClampToPage(area));
}

void CQuodra::Execute(EAction action) {
    if (action == kActionNone || action == kActionKeepSelection) {
        // Nothing to do; but a band that is shown moves with the press and the pointer.
        if (BandExtent() != m_rcBandShown)
            RepaintDamage();
        return;
    }
    // A move keeps the selection and the grabbed figure: they are looked up once for the step, a
    // walk over the drawing each. What the action changes, the drawing's change record tells.
    if (action == kActionMoveSelection) {
        m_stepSelected = m_figures.SelectedPositions();
        m_pStepGrabbed = m_figures.GetGrabbed();
    }
    switch (action) {
    case kActionNone:
    case kActionKeepSelection:
        break;
    case kActionShowZoomBand:
    case kActionShowSelectBand:
    case kActionShowAddBand:
        m_bRubberBand = true;
        break;
    case kActionZoomToBand:
        ZoomToBand();
        break;
    case kActionStartFigure:
        StartFigure();
        break;
    case kActionDragFigure:
        DragFigure();
        break;
    case kActionFinishFigure:
        FinishFigure();
        break;
    case kActionClearSelection:
        m_drawing.ClearSelection();
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
        MoveSelection(m_stepSelected, m_pStepGrabbed);
        break;
    case kActionDragHandle:
        DragHandle();
        break;
    }
    RepaintDamage();
}

void CQuodra::ZoomToBand() {
    ZoomToRect({m_ptDown.x, m_ptDown.y, m_ptCurrent.x, m_ptCurrent.y}, false);
    m_bRubberBand = false;
}

// The first move of a drawing drag makes the figure, a clone of the tool, from the clamped and
// snapped press and current points.
void CQuodra::StartFigure() {
    if (!m_pToolFigure || m_pToolFigure->GetCreation() != ECreation::Drag)
        return;
    auto figure = m_pToolFigure->Clone();
    figure->ApplyStyle(m_newStyle, m_nNewStyleParts);
    m_drawing.Grab(nullptr);
    figure->m_bEditing = true;
    m_ptCurrent = ClampAndSnap(m_ptCurrent);
    m_ptDown = ClampAndSnap(m_ptDown);
    const CPoint a = AreaToPage(m_ptDown);
    const CPoint b = AreaToPage(m_ptCurrent);
    figure->SetPoints(a.x, a.y, b.x, b.y, Zoom());
    m_drawing.SetStepName(GetDrawStepName(*figure));
    m_drawing.Append(std::move(figure));
    m_bCreating = true;
}

// Later moves set both points again. The press point is snapped again where the first move
// left it but not clamped again: a key point it was snapped to may lie off the page, and the
// figure keeps starting there instead of jumping to the page edge.
void CQuodra::DragFigure() {
    if (!m_bCreating || m_figures.GetCount() == 0)
        return;
    m_ptCurrent = ClampAndSnap(m_ptCurrent);
    m_ptDown = SnapArea(m_ptDown);
    const CPoint a = AreaToPage(m_ptDown);
    const CPoint b = AreaToPage(m_ptCurrent);
    // The figure the open step inserted changes without a kept state.
    m_drawing.Shape(m_figures.GetCount() - 1).SetPoints(a.x, a.y, b.x, b.y, Zoom());
}

// The release sets the end point; the new figure becomes the selection and the canvas goes back
// to select mode.
void CQuodra::FinishFigure() {
    if (!m_bCreating || m_figures.GetCount() == 0)
        return;
    m_ptCurrent = ClampAndSnap(m_ptCurrent);
    const CPoint b = AreaToPage(m_ptCurrent);
    CFigure& figure = m_drawing.Shape(m_figures.GetCount() - 1);
    figure.SetHandlePoint(kHandleEnd, b.x, b.y, Zoom());
    // A figure that cannot be one (a circle without a radius) is not made; the tool stays.
    if (const std::string why = figure.WhyNotDrawable(); !why.empty()) {
        m_drawing.Abort();
        m_host.ShowMessage(why);
        return;
    }
    m_drawing.ClearSelection();
    m_drawing.SelectLast();
    m_drawing.Grab(nullptr);
    m_nMode = kModeSelect;
    m_host.ShowMessage(""); // the tool's prompt is done with
}

// An already selected figure keeps the whole selection, so a group can be dragged.
void CQuodra::SelectPressed() {
    const CPoint p = AreaToPage(m_ptDown);
    if (const CFigure* f = FigureAt(p); f && !f->m_bSelected) {
        m_drawing.ClearSelection();
        m_drawing.Select(IndexOf(f), true);
    }
}

void CQuodra::TogglePressed() {
    const CPoint p = AreaToPage(m_ptDown);
    if (const CFigure* f = FigureAt(p))
        m_drawing.Select(IndexOf(f), !f->m_bSelected);
}

// Adds every figure the band touches; without Ctrl the press has already cleared the selection.
void CQuodra::SelectInBand() {
    const CPoint o = GetPageOrigin();
    const CRect r =
        CRect{m_ptDown.x, m_ptDown.y, m_ptCurrent.x, m_ptCurrent.y}.Offset(-o.x, -o.y).Normalized();
    m_bRubberBand = false;
    m_drawing.SelectInRect(r, Zoom());
}

void CQuodra::DragHandle() {
    m_hCursor = ECursor::Cross;
    m_host.SetCursorShape(ECursor::Cross);
    m_ptCurrent = ClampAndSnap(m_ptCurrent);
    if (const CFigure* f = m_figures.GetGrabbed()) {
        const CPoint p = AreaToPage(m_ptCurrent);
        m_drawing.SetStepName(f->GetHandleStepName(m_nGrabbedHandle));
        m_drawing.Change(IndexOf(f)).SetHandlePoint(m_nGrabbedHandle, p.x, p.y, Zoom());
    }
}

// Moves the selection by m_szDelta, stopped per axis at the page edges, and keeps the pointer on
// the spot of the grabbed figure where the press was.
void CQuodra::MoveSelection(const std::vector<int>& selected, const CFigure* grabbed) {
    CSize d = m_szDelta;
    const std::optional<CRect> u = m_figures.BoundsAt(selected, Zoom(), 0, 0);
    if (u && (d.cx != 0 || d.cy != 0)) {
        d.cx = KeepOnPage(d.cx, u->left, u->right, m_viewport.GetPageSizePx().cx - 1);
        d.cy = KeepOnPage(d.cy, u->top, u->bottom, m_viewport.GetPageSizePx().cy - 1);
        if (const auto range = m_figures.PointRangeAt(selected)) {
            d.cx = KeepInReach(d.cx, range->first.x, range->second.x, Zoom());
            d.cy = KeepInReach(d.cy, range->first.y, range->second.y, Zoom());
        }
        m_drawing.SetStepName("Move");
        if (d.cx != 0 || d.cy != 0)
            m_drawing.MoveByPixels(selected, d.cx, d.cy, Zoom());
        m_szDelta = d;
    }
    if (grabbed) {
        const CRect r = grabbed->GetBoundingRect(Zoom());
        const CPoint area = PageToArea({r.left + m_szGrabOffset.cx, r.top + m_szGrabOffset.cy});
        const CPoint client = AreaToClient(area);
        if (client != m_host.GetPointerPos()) {
            m_host.SetPointerPos(client);
            m_ptCurrent = area;
            m_bSkipMouseMove = true;
        }
    }
}

// --- Cursor

ECursor CQuodra::DecideCursor() const {
    if (m_nMode == kModeDraw)
        return ECursor::Cross;
    if (m_nMouseState == kStateHovering) {
        const CPoint p = AreaToPage(m_ptCurrent);
        if (const CFigure* f = FigureAt(p)) {
            const ECursor c = f->GetHandleCursor(f->HitTestHandles(p, Zoom()), Zoom());
            if (c != ECursor::None)
                return c;
        }
    }
    return ECursor::Arrow;
}

void CQuodra::OnSetCursor() {
    // A captured pointer keeps the shape the gesture gave it (the cross of a handle drag).
    if (int(m_nMouseState) & kMousePressed)
        return;
    m_hCursor = DecideCursor();
    m_host.SetCursorShape(m_hCursor);
}
