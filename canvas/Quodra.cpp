// CQuodra: construction, the view commands (zoom and scrolling through the viewport), modes and
// tool, and the whole-drawing operations.
#include "canvas/Quodra.h"

#include "texdraw/Document.h"

CQuodra::CQuodra(CCanvasHost& host) : m_host(host) {}

// The prototype goes first, then the figures (the list's own destruction).
CQuodra::~CQuodra() {
    m_pToolFigure.reset();
}

void CQuodra::Repaint() {
    m_damage.Clear();
    m_host.RepaintNow();
}

// --- Zoom and scrolling: the viewport decides, the canvas repaints.

void CQuodra::FitWidth() {
    m_viewport.FitWidth();
    Repaint();
}

void CQuodra::FitHeight() {
    m_viewport.FitHeight();
    Repaint();
}

void CQuodra::FitPage() {
    m_viewport.FitWidth();
    m_viewport.FitHeight();
    Repaint();
}

void CQuodra::ActualSize() {
    m_viewport.ActualSize();
    Repaint();
}

bool CQuodra::ZoomToRect(CRect rect, bool square) {
    return m_viewport.ZoomToRect(rect, square);
}

void CQuodra::ZoomIn() {
    m_viewport.ZoomIn();
    Repaint();
}

void CQuodra::ZoomOut() {
    m_viewport.ZoomOut();
    Repaint();
}

bool CQuodra::ZoomAbout(CPoint client, double factor) {
    if (!m_viewport.ZoomAbout(client, factor))
        return false;
    Repaint();
    return true;
}

void CQuodra::OnResize() {
    m_viewport.Relayout();
    Repaint();
}

void CQuodra::OnHScroll(EScrollRequest request, int trackPos) {
    if (m_viewport.Scroll(EScrollBar::Horizontal, request, trackPos))
        Repaint();
}

void CQuodra::OnVScroll(EScrollRequest request, int trackPos) {
    if (m_viewport.Scroll(EScrollBar::Vertical, request, trackPos))
        Repaint();
}

// --- Modes, tool and the drawing as a whole

void CQuodra::SetMode(EMode mode) {
    CancelCorners();
    if (mode == kModeSelect || mode == kModeZoom || (mode == kModeDraw && m_pToolFigure))
        m_nMode = mode;
}

void CQuodra::SetToolFigure(std::unique_ptr<CFigure> figure) {
    CancelCorners();
    m_pToolFigure = std::move(figure);
    if (m_pToolFigure)
        m_nMode = kModeDraw;
}

std::string CQuodra::GetTeXDrawText() const {
    return m_figures.GetTeXDrawText();
}

std::string CQuodra::GetTeXDrawDocument() const {
    return MakeTeXDrawDocument(m_figures);
}

bool CQuodra::WriteTeXDrawFile(const std::string& path, std::string& error, CFileStamp* written) {
    if (!::WriteTeXDrawFile(path, GetTeXDrawDocument(), error, written))
        return false;
    m_history.MarkSaved();
    return true;
}

void CQuodra::ResetDrawing() {
    m_figures.DeleteAll();
    m_figures.m_dUnitScale = 1.0;
    m_figures.m_bForeign = false;
    m_figures.m_strBefore.clear();
    m_figures.m_strAfter.clear();
    m_figures.m_ptTeXDrawOrigin = {};
    m_figures.m_nDrawing = 0;
    m_figures.m_pNewFigureFrame.reset();
    CreateStartFigures();
    m_bStartFiguresDue = false;
    m_nMouseState = m_nPrevMouseState = kStateIdle;
    m_nGrabbedHandle = kHandleNone;
    m_bSkipMouseMove = m_bRubberBand = m_bCreating = false;
    m_viewport.ApplyZoom(1.0, 0, 0);
    m_history.Clear();
    Repaint();
    EditStateChanged();
}

void CQuodra::ReplaceFigures(CFigureList&& figures) {
    CFigureList next;
    CreateGrid(next);
    next.SetGridVisible(m_bGridVisible);
    // The figures read are taken over as they are, bottom first, so their order is kept.
    next.Append(std::move(figures));
    next.m_dUnitScale = figures.m_dUnitScale;
    next.m_bForeign = figures.m_bForeign;
    next.m_strBefore = std::move(figures.m_strBefore);
    next.m_strAfter = std::move(figures.m_strAfter);
    next.m_ptTeXDrawOrigin = figures.m_ptTeXDrawOrigin;
    next.m_nDrawing = figures.m_nDrawing;
    next.m_pNewFigureFrame = figures.m_pNewFigureFrame;
    m_figures.Swap(next);
    m_bStartFiguresDue = false;
    m_nMouseState = m_nPrevMouseState = kStateIdle;
    m_nGrabbedHandle = kHandleNone;
    m_bSkipMouseMove = m_bRubberBand = m_bCreating = false;
    m_history.Clear();
    Repaint();
    EditStateChanged();
}

int CQuodra::IndexOf(const CFigure* figure) const {
    for (int i = 0; i < m_figures.GetCount(); ++i)
        if (m_figures.GetAt(i) == figure)
            return i;
    return -1;
}

bool CQuodra::IsBeyondPage() const {
    const std::uint64_t revision = GetRevision();
    const CSize page = m_viewport.GetPageSize();
    if (m_beyondPage && m_beyondPage->nRevision == revision && m_beyondPage->page == page)
        return m_beyondPage->bBeyond;
    // A unit of slack: a figure drawn along the page's edge, snapped to it, stays on the page.
    const CRect within{-1, -1, page.cx + 1, page.cy + 1};
    bool beyond = false;
    for (int i = 0; i < m_figures.GetCount() && !beyond; ++i) {
        const CFigure* f = m_figures.GetAt(i);
        if (!f->m_bVisible || f->IsGridLine())
            continue;
        const CRect r = f->GetBoundingRect(1.0);
        beyond = r.left < within.left || r.top < within.top || r.right > within.right ||
                 r.bottom > within.bottom;
    }
    m_beyondPage = SBeyondPage{revision, page, beyond};
    return beyond;
}
