// CQuodra: what a change paints again. A change notes the client pixels of what it touches before
// and after it, and RepaintDamage has the window paint only those; a change of the view itself
// (zoom, scrolling, size) paints everything.
#include "canvas/Quodra.h"

#include <algorithm>

namespace {

// v clamped to [lo, hi], from a wider integer.
int Pinned(long long v, int lo, int hi) {
    return static_cast<int>(std::clamp<long long>(v, lo, hi));
}

} // namespace

CQuodra::SView CQuodra::CurrentView() const {
    return {Zoom(), m_viewport.ScrollPos(EScrollBar::Horizontal),
            m_viewport.ScrollPos(EScrollBar::Vertical), m_host.GetClientSize(), GetPageOrigin()};
}

bool CQuodra::IsViewChangedSincePaint() const {
    return !m_paintedView || *m_paintedView != CurrentView();
}

CRect CQuodra::ClientExtent(const CFigure& figure) const {
    if (!figure.m_bVisible)
        return {};
    const CRect page = figure.GetPaintExtent(Zoom());
    // Page pixels to client pixels: plus the page origin, minus the scroll position. Far figures
    // are pinned just outside the client area, which is all that is ever painted.
    const CPoint origin = GetPageOrigin();
    const long long dx =
        static_cast<long long>(origin.x) - m_viewport.ScrollPos(EScrollBar::Horizontal);
    const long long dy =
        static_cast<long long>(origin.y) - m_viewport.ScrollPos(EScrollBar::Vertical);
    const CSize size = m_host.GetClientSize();
    const CRect client{
        Pinned(page.left + dx, -1, size.cx + 1), Pinned(page.top + dy, -1, size.cy + 1),
        Pinned(page.right + dx, -1, size.cx + 1), Pinned(page.bottom + dy, -1, size.cy + 1)};
    if (client.left >= client.right || client.top >= client.bottom)
        return {};
    return m_host.GetMarksExtent(figure, client);
}

void CQuodra::NoteFigure(const CFigure& figure) {
    m_damage.Add(ClientExtent(figure));
}

void CQuodra::OnDrawingChanged(const CChangeRecord& change) {
    if (change.bReplaced)
        m_damage.AddAll();
    for (const CChangeRecord::SFigure& f : change.figures) {
        m_damage.Add(f.before);
        m_damage.Add(f.after);
    }
    // A change the index can follow in place spares building it again at the next question.
    if (change.bFigures && change.bInPlace && !change.bReplaced)
        m_index.NoteChanged(m_figures, change.changedInPlace, Zoom(), change.nRevisionBefore,
                            change.nRevisionAfter);
}

CRect CQuodra::BandExtent() const {
    if (!m_bRubberBand)
        return {};
    // The dotted band and the zoom square inside it, one pixel each side to spare.
    const CRect r = CRect{m_ptDown.x, m_ptDown.y, m_ptCurrent.x, m_ptCurrent.y}.Normalized();
    const CPoint a = AreaToClient(r.TopLeft());
    const CPoint b = AreaToClient(r.BottomRight());
    return {a.x - 2, a.y - 2, b.x + 3, b.y + 3};
}

void CQuodra::RepaintDamage() {
    m_drawing.Notify();
    // The band follows the press and the pointer even where a step does nothing else, so it is
    // taken from where it was shown last to where it is now at every painting.
    m_damage.Add(m_rcBandShown);
    m_damage.Add(BandExtent());
    m_rcBandShown = BandExtent();
    if (m_damage.IsAll() || IsViewChangedSincePaint()) {
        m_damage.Clear();
        m_host.RepaintNow();
        return;
    }
    for (const CRect& r : m_damage.GetRects())
        m_host.InvalidateRect(r);
    m_damage.Clear();
    m_host.UpdateNow();
}
