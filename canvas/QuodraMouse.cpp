// CQuodra: the mouse gesture state machine (state update, decision, execution), moving the
// selection with cursor pinning, the cursor shape and the keys.
#include "canvas/Quodra.h"

#include <algorithm>

namespace {

// The union of two rectangles given by their corner pixels.
CRect Union(const CRect& a, const CRect& b) {
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
            std::max(a.bottom, b.bottom)};
}

} // namespace

// --- Decision: a pure function of the gesture, so it can be checked on its own.

int CQuodra::DecideAction(int mode, int state, int prevState, int grabbedHandle, bool ctrl) {
    switch (mode) {
    case kModeZoom:
        if (state == 0x1010)
            return 1;
        if (state == 0x1011)
            return 2;
        return 0;
    case kModeDraw:
        if (state == 0x1010)
            return prevState == 0x1000 ? 3 : 4;
        if (state == 0x1011)
            return 5;
        return 0;
    case kModeSelect:
        if (state == 0x1000) {
            if (grabbedHandle > 0)
                return 7;
            if (grabbedHandle == 0)
                return ctrl ? 8 : 7;
            return ctrl ? 9 : 6;
        }
        if (state == 0x1010) {
            if (grabbedHandle < 0)
                return ctrl ? 11 : 10;
            return grabbedHandle > 0 ? 15 : 14;
        }
        if (state == 0x1011 && grabbedHandle < 0)
            return ctrl ? 13 : 12;
        return 0;
    default:
        return 0;
    }
}

// On a select-mode press, finds what was hit and grabs it before deciding.
int CQuodra::Decide() {
    if (m_nMode == kModeSelect && m_nMouseState == 0x1000) {
        const CPoint p = AreaToPage(m_ptDown);
        if (CFigure* f = m_figures.HitTest(p.x, p.y, m_dZoom)) {
            const int handle = f->HitTestHandles(p, m_dZoom);
            m_figures.ClearGrabbed();
            f->m_bEditing = true;
            const CRect bounds = f->GetBoundingRect(m_dZoom);
            m_szGrabOffset = {p.x - bounds.left, p.y - bounds.top};
            if (handle > 0)
                m_nGrabbedHandle = handle;
        } else {
            m_nGrabbedHandle = -1;
        }
    }
    return DecideAction(m_nMode, m_nMouseState, m_nPrevMouseState, m_nGrabbedHandle, m_bCtrlDown);
}

// --- Events

void CQuodra::OnLButtonDown(CPoint client, bool ctrl) {
    m_host.TakeFocus();
    m_host.CaptureMouse();
    const CPoint p = ClientToArea(client);
    m_nPrevMouseState = m_nMouseState;
    if (m_nMouseState == 0x0000 || m_nMouseState == 0x0010)
        m_nMouseState = 0x1000;
    else if (m_nMouseState == 0x1000)
        m_nMouseState = 0x1100;
    m_ptDown = p;
    m_bCtrlDown = ctrl;
    Execute(Decide());
}

void CQuodra::OnMouseMove(CPoint client) {
    if (m_bSkipMouseMove) {
        // The move that the pointer warp of the last selection move caused.
        m_bSkipMouseMove = false;
        return;
    }
    const CPoint p = ClientToArea(client);
    m_nPrevMouseState = m_nMouseState;
    if (m_nMouseState == 0x0000 || m_nMouseState == 0x0010 || m_nMouseState == 0x1000 ||
        m_nMouseState == 0x1010)
        m_nMouseState |= kMouseMoved;
    const CPoint base = m_nPrevMouseState == 0x1000 ? m_ptDown : m_ptCurrent;
    m_ptCurrent = p;
    m_szDelta = {p.x - base.x, p.y - base.y};
    Execute(Decide());
    AutoScroll(client);
}

void CQuodra::OnLButtonUp(CPoint client) {
    m_host.ReleaseMouse();
    const CPoint p = ClientToArea(client);
    m_nPrevMouseState = m_nMouseState;
    if (m_nMouseState == 0x1000 || m_nMouseState == 0x1010 || m_nMouseState == 0x1100)
        m_nMouseState |= kMouseReleased;
    m_ptCurrent = p;
    Execute(Decide());
    m_nMouseState = 0;
    m_nGrabbedHandle = 0;
    m_bSkipMouseMove = false;
    m_bCreating = false;
}

// --- Execution

CPoint CQuodra::ClampAndSnap(CPoint area) const {
    CPoint p = AreaToPage(ClampToPage(area));
    Snap(p);
    return PageToArea(p);
}

void CQuodra::SetPageBounds() {
    m_figures.m_rcBounds = {0, 0, m_nPageWidthPx - 1, m_nPageHeightPx - 1};
}

void CQuodra::Execute(int action) {
    switch (action) {
    case 0:
    case 9:
        return; // nothing to do, nothing to repaint
    case 1:
    case 10:
    case 11:
        m_bRubberBand = true;
        break;
    case 2:
        ZoomToRect({m_ptDown.x, m_ptDown.y, m_ptCurrent.x, m_ptCurrent.y}, false);
        m_bRubberBand = false;
        break;
    case 3: {
        if (!m_pToolFigure)
            break;
        auto figure = m_pToolFigure->Clone();
        m_figures.ClearGrabbed();
        figure->m_bEditing = true;
        m_ptCurrent = ClampAndSnap(m_ptCurrent);
        m_ptDown = ClampAndSnap(m_ptDown);
        const CPoint a = AreaToPage(m_ptDown);
        const CPoint b = AreaToPage(m_ptCurrent);
        figure->SetPoints(a.x, a.y, b.x, b.y, m_dZoom);
        m_figures.Add(std::move(figure));
        m_bCreating = true;
        MarkModified();
        break;
    }
    case 4: {
        CFigure* figure = m_figures.GetLast();
        if (!m_bCreating || !figure)
            break;
        m_ptCurrent = ClampAndSnap(m_ptCurrent);
        m_ptDown = ClampAndSnap(m_ptDown);
        const CPoint a = AreaToPage(m_ptDown);
        const CPoint b = AreaToPage(m_ptCurrent);
        figure->SetPoints(a.x, a.y, b.x, b.y, m_dZoom);
        break;
    }
    case 5: {
        CFigure* figure = m_figures.GetLast();
        if (!m_bCreating || !figure)
            break;
        m_ptCurrent = ClampAndSnap(m_ptCurrent);
        const CPoint b = AreaToPage(m_ptCurrent);
        figure->SetHandlePoint(kHandleEnd, b.x, b.y, m_dZoom);
        m_figures.ClearSelection();
        m_figures.SelectLast();
        m_figures.ClearGrabbed();
        m_nMode = kModeSelect;
        break;
    }
    case 6:
        m_figures.ClearSelection();
        break;
    case 7: {
        const CPoint p = AreaToPage(m_ptDown);
        if (CFigure* f = m_figures.HitTest(p.x, p.y, m_dZoom); f && !f->m_bSelected) {
            m_figures.ClearSelection();
            f->m_bSelected = true;
        }
        break;
    }
    case 8: {
        const CPoint p = AreaToPage(m_ptDown);
        if (CFigure* f = m_figures.HitTest(p.x, p.y, m_dZoom))
            f->m_bSelected = !f->m_bSelected;
        break;
    }
    case 12:
    case 13: {
        const CPoint o = GetPageOrigin();
        const CRect r = CRect{m_ptDown.x, m_ptDown.y, m_ptCurrent.x, m_ptCurrent.y}
                            .Offset(-o.x, -o.y)
                            .Normalized();
        m_bRubberBand = false;
        m_figures.SelectInRect(r, m_dZoom);
        break;
    }
    case 14:
        MoveSelection();
        break;
    case 15: {
        m_hCursor = ECursor::Cross;
        m_host.SetCursorShape(ECursor::Cross);
        m_ptCurrent = ClampAndSnap(m_ptCurrent);
        if (CFigure* f = m_figures.GetGrabbed()) {
            const CPoint p = AreaToPage(m_ptCurrent);
            f->SetHandlePoint(m_nGrabbedHandle, p.x, p.y, m_dZoom);
            MarkModified();
        }
        break;
    }
    default:
        return;
    }
    Repaint();
}

// Moves the selection by m_szDelta, stopped per axis at the page edges, and keeps the pointer on
// the spot of the grabbed figure where the press was.
void CQuodra::MoveSelection() {
    SetPageBounds();
    const CRect bounds = m_figures.m_rcBounds;
    CSize d = m_szDelta;
    bool any = false;
    CRect u;
    for (int i = 0; i < m_figures.GetCount(); ++i) {
        const CFigure* f = m_figures.GetAt(i);
        if (!f->m_bSelected || !f->m_bSelectable)
            continue;
        const CRect r = f->GetBoundingRect(m_dZoom).Offset(d.cx, d.cy);
        u = any ? Union(u, r) : r;
        any = true;
    }
    if (any && (d.cx != 0 || d.cy != 0)) {
        if (!bounds.Contains(u.TopLeft()) || !bounds.Contains(u.BottomRight())) {
            if (u.left < bounds.left)
                d.cx += bounds.left - u.left;
            else if (u.right > bounds.right)
                d.cx -= u.right - bounds.right;
            if (u.top < bounds.top)
                d.cy += bounds.top - u.top;
            else if (u.bottom > bounds.bottom)
                d.cy -= u.bottom - bounds.bottom;
        }
        for (int i = 0; i < m_figures.GetCount(); ++i) {
            CFigure* f = m_figures.GetAt(i);
            if (f->m_bSelected)
                f->MoveByPixels(d.cx, d.cy, m_dZoom);
        }
        m_szDelta = d;
        if (d.cx != 0 || d.cy != 0)
            MarkModified();
    }
    if (const CFigure* grabbed = m_figures.GetGrabbed()) {
        const CRect r = grabbed->GetBoundingRect(m_dZoom);
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
    if (m_nMouseState == 0x0010) {
        const CPoint p = AreaToPage(m_ptCurrent);
        if (const CFigure* f = m_figures.HitTest(p.x, p.y, m_dZoom)) {
            const ECursor c = f->GetHandleCursor(f->HitTestHandles(p, m_dZoom), m_dZoom);
            if (c != ECursor::None)
                return c;
        }
    }
    return ECursor::Arrow;
}

void CQuodra::OnSetCursor() {
    // A captured pointer keeps the shape the gesture gave it (the cross of a handle drag).
    if (m_nMouseState & kMousePressed)
        return;
    m_hCursor = DecideCursor();
    m_host.SetCursorShape(m_hCursor);
}

// --- Keys

void CQuodra::Nudge(int dx, int dy) {
    SetPageBounds();
    const CRect bounds = m_figures.m_rcBounds;
    bool any = false;
    CRect u;
    for (int i = 0; i < m_figures.GetCount(); ++i) {
        const CFigure* f = m_figures.GetAt(i);
        if (!f->m_bSelected)
            continue;
        const CRect r = f->GetBoundingRect(m_dZoom).Offset(dx, dy);
        u = any ? Union(u, r) : r;
        any = true;
    }
    // All or nothing: a step that would push any of them off the page moves none.
    if (!any || !bounds.Contains(u.TopLeft()) || !bounds.Contains(u.BottomRight()))
        return;
    for (int i = 0; i < m_figures.GetCount(); ++i) {
        CFigure* f = m_figures.GetAt(i);
        if (f->m_bSelected)
            f->MoveBy(dx, dy);
    }
    MarkModified();
}

void CQuodra::OnKeyDown(EKey key) {
    switch (key) {
    case EKey::Left:
        Nudge(-1, 0);
        Repaint();
        break;
    case EKey::Up:
        Nudge(0, -1);
        Repaint();
        break;
    case EKey::Right:
        Nudge(1, 0);
        Repaint();
        break;
    case EKey::Down:
        Nudge(0, 1);
        Repaint();
        break;
    case EKey::Delete:
        DeleteSelected();
        break;
    case EKey::NumPlus:
        ZoomIn();
        break;
    case EKey::NumMinus:
        ZoomOut();
        break;
    case EKey::Other:
        break;
    }
}
