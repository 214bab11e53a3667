// CQuodra: the steps of the history as the commands open and close them, undo and redo, and
// cancelling a drag.
#include "canvas/Quodra.h"

bool CQuodra::BeginStep(const char* name, const char* mergeKey) {
    if (m_history.IsRecording())
        return false;
    m_history.Begin(name, mergeKey);
    return true;
}

void CQuodra::EndStep(bool own) {
    if (own)
        m_history.Commit();
}

void CQuodra::Undo() {
    if (!m_history.CanUndo())
        return;
    const std::vector<SShownFigure> before = ShownFigures();
    if (!m_history.Undo())
        return;
    NoteChangesSince(before);
    RepaintDamage();
    EditStateChanged();
}

void CQuodra::Redo() {
    if (!m_history.CanRedo())
        return;
    const std::vector<SShownFigure> before = ShownFigures();
    if (!m_history.Redo())
        return;
    NoteChangesSince(before);
    RepaintDamage();
    EditStateChanged();
}

void CQuodra::CancelGesture() {
    if (!(int(m_nMouseState) & kMousePressed))
        return;
    NoteGesture();
    const std::vector<SShownFigure> before = ShownFigures();
    m_history.Abort();
    m_nMouseState = m_nPrevMouseState = kStateIdle;
    m_nGrabbedHandle = kHandleNone;
    m_bSkipMouseMove = m_bRubberBand = m_bCreating = false;
    m_host.ReleaseMouse();
    m_hCursor = DecideCursor();
    m_host.SetCursorShape(m_hCursor);
    NoteChangesSince(before);
    RepaintDamage();
    EditStateChanged();
}
