// CQuodra: construction, the view commands (zoom and scrolling through the viewport), modes and
// tool, and the whole-drawing operations.
#include "canvas/Quodra.h"

#include "texdraw/Document.h"

CQuodra::CQuodra(CCanvasHost& host) : m_host(host) {
    m_drawing.SetMeasure([this](const CFigure& f) { return ClientExtent(f); });
    m_drawing.AddListener(this);
}

// The prototype goes first, then the figures (the list's own destruction).
CQuodra::~CQuodra() {
    m_pToolFigure.reset();
}

void CQuodra::Repaint() {
    m_drawing.Notify();
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
    m_cornersTool.Cancel();
    if (mode == kModeSelect || mode == kModeZoom || (mode == kModeDraw && m_pToolFigure))
        m_nMode = mode;
}

void CQuodra::SetToolFigure(std::unique_ptr<CFigure> figure) {
    m_cornersTool.Cancel();
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
    m_drawing.MarkSaved();
    return true;
}

void CQuodra::ResetDrawing() {
    CFigureList next;
    CreateStartFigures(next);
    m_drawing.ReplaceAll(std::move(next));
    m_drawing.Notify();
    m_bStartFiguresDue = false;
    m_nMouseState = m_nPrevMouseState = kStateIdle;
    m_nGrabbedHandle = kHandleNone;
    m_bSkipMouseMove = m_bRubberBand = m_bCreating = false;
    m_viewport.ApplyZoom(1.0, 0, 0);
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
    m_drawing.ReplaceAll(std::move(next));
    m_drawing.Notify();
    m_bStartFiguresDue = false;
    m_nMouseState = m_nPrevMouseState = kStateIdle;
    m_nGrabbedHandle = kHandleNone;
    m_bSkipMouseMove = m_bRubberBand = m_bCreating = false;
    Repaint();
    EditStateChanged();
}

bool CQuodra::IsToolCreation(ECreation creation) const {
    return m_nMode == kModeDraw && m_pToolFigure && m_pToolFigure->GetCreation() == creation;
}
