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
        CommitStep();
}

bool CQuodra::CommitStep() {
    // Closing a step changes no figure, so the index stays as the step left it.
    const std::uint64_t before = GetRevision();
    const bool kept = m_history.Commit();
    NoteIndexChanged({}, before);
    return kept;
}

void CQuodra::Undo() {
    StepThroughHistory(true);
}

void CQuodra::Redo() {
    StepThroughHistory(false);
}

void CQuodra::StepThroughHistory(bool undo) {
    if (undo ? !m_history.CanUndo() : !m_history.CanRedo())
        return;
    const auto step = [&] { return undo ? m_history.Undo() : m_history.Redo(); };
    std::vector<int> touched;
    if (!(undo ? m_history.GetUndoTouched(touched) : m_history.GetRedoTouched(touched))) {
        // Figures come or go: whatever differs afterwards is found by comparing.
        const std::vector<SShownFigure> before = ShownFigures();
        if (!step())
            return;
        NoteChangesSince(before);
    } else {
        // Figures changed in place and the selection is all that may look different: only those
        // figures are noted, before and after, and only they change in the index.
        const std::uint64_t revision = GetRevision();
        const auto note = [&] {
            NoteSelection();
            for (const int i : touched)
                if (const CFigure* f = m_figures.GetAt(i))
                    NoteFigure(*f);
        };
        note();
        if (!step())
            return;
        note();
        NoteIndexChanged(touched, revision);
    }
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
