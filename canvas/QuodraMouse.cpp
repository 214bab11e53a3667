// CQuodra: the mouse gesture state machine (state update, decision, dispatch to the tool whose
// action it is), and the cursor shape.
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

} // namespace

// --- Decision: a pure function of the gesture, so it can be checked on its own.

EAction CQuodra::DecideAction(EMode mode, EMouseState state, EMouseState prevState,
                              int grabbedHandle, bool ctrl) {
    switch (mode) {
    case kModeZoom:
        return CZoomTool::Decide(state);
    case kModeDraw:
        return CDragTool::Decide(state, prevState);
    case kModeSelect:
        return CSelectTool::Decide(state, grabbedHandle, ctrl);
    }
    return kActionNone;
}

// On a select-mode press, finds what was hit and grabs it before deciding.
EAction CQuodra::Decide() {
    if (m_nMode == kModeSelect && m_nMouseState == kStatePressed)
        m_selectTool.Press();
    return DecideAction(m_nMode, m_nMouseState, m_nPrevMouseState, m_nGrabbedHandle, m_bCtrlDown);
}

// --- Events

void CQuodra::OnLButtonDown(CPoint client, bool ctrl) {
    client = CViewport::ClampClient(client);
    if (IsToolCreation(ECreation::Corners)) {
        // Corner by corner: each click is a corner, no drag and no capture.
        m_host.TakeFocus();
        m_cornersTool.Press(ClientToArea(client));
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
    if (IsPlacingCorners()) {
        m_cornersTool.Move(ClientToArea(client));
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
    m_cornersTool.Release(); // a path's node is shaped while the button is down
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
        m_labelTool.Released();
    m_dragTool.Released();
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
    // Each action is its tool's; what it changes, the drawing's change record tells.
    if (action == kActionShowZoomBand || action == kActionZoomToBand)
        m_zoomTool.Execute(action);
    else if (action >= kActionStartFigure && action <= kActionFinishFigure)
        m_dragTool.Execute(action);
    else
        m_selectTool.Execute(action);
    RepaintDamage();
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
