// CQuodra: the keys of the canvas (arrow nudges, Delete, the keypad zoom keys, Escape).
#include "canvas/Quodra.h"

// All or nothing: a step that would push any selected figure off the page moves none.
void CQuodra::Nudge(int dx, int dy) {
    const std::optional<CRect> u = m_figures.SelectionBounds(Zoom(), dx, dy);
    if (u && m_viewport.FitsOnPage(*u)) {
        // Arrow steps of the same selection follow on as one step.
        const bool own = m_drawing.BeginOwn("Move", "nudge");
        m_drawing.MoveBy(m_figures.SelectedPositions(), dx, dy);
        EndStep(own);
    }
    RepaintDamage();
}

void CQuodra::OnKeyDown(EKey key) {
    // While corners are being placed, Enter ends the figure and Escape drops it.
    if (IsPlacingCorners() && (key == EKey::Enter || key == EKey::Escape)) {
        if (key == EKey::Enter)
            m_cornersTool.Finish();
        else
            m_cornersTool.Cancel();
        EditStateChanged();
        return;
    }
    switch (key) {
    case EKey::Left:
        Nudge(-1, 0);
        break;
    case EKey::Up:
        Nudge(0, -1);
        break;
    case EKey::Right:
        Nudge(1, 0);
        break;
    case EKey::Down:
        Nudge(0, 1);
        break;
    case EKey::Delete:
        DeleteSelected();
        break;
    case EKey::NumPlus: // the zoom keys leave the history and the selection as they are
        ZoomIn();
        return;
    case EKey::NumMinus:
        ZoomOut();
        return;
    case EKey::Escape:
        CancelGesture();
        return;
    case EKey::Enter:
    case EKey::Other:
        return;
    }
    EditStateChanged();
}
