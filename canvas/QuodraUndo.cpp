// CQuodra: the steps of the history as the commands close them, undo and redo, and cancelling a
// drag.
#include "canvas/Quodra.h"

void CQuodra::EndStep(bool own) {
    if (own)
        m_drawing.Commit();
}

void CQuodra::Undo() {
    if (!m_drawing.Undo())
        return;
    RepaintDamage();
    EditStateChanged();
}

void CQuodra::Redo() {
    if (!m_drawing.Redo())
        return;
    RepaintDamage();
    EditStateChanged();
}

void CQuodra::CancelGesture() {
    if (!(int(m_nMouseState) & kMousePressed))
        return;
    m_drawing.Abort();
    m_nMouseState = m_nPrevMouseState = kStateIdle;
    m_nGrabbedHandle = kHandleNone;
    m_bSkipMouseMove = m_bRubberBand = m_bCreating = false;
    m_host.ReleaseMouse();
    m_hCursor = DecideCursor();
    m_host.SetCursorShape(m_hCursor);
    RepaintDamage();
    EditStateChanged();
}
