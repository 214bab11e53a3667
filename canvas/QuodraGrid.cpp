// CQuodra: the grid, plain lines at the bottom of the figure list, and the grid switch.
#include "canvas/Quodra.h"

#include "figures/Line.h"

namespace {
constexpr COLORREF kGridColor = RGB(138, 130, 255);
} // namespace

// The grid lines are made in page units (zoom 1.0), so they sit on the same page positions
// whatever the zoom is when they are created. All vertical lines come first, then all
// horizontal ones: grid snapping relies on that order.
void CQuodra::CreateGrid(CFigureList& list) const {
    const auto add = [&list](int x1, int y1, int x2, int y2, const char* tag) {
        auto line = std::make_unique<CLine>();
        line->SetHandlePoint(kHandleStart, x1, y1, 1.0);
        line->SetHandlePoint(kHandleEnd, x2, y2, 1.0);
        line->m_crColor = kGridColor;
        line->m_bSelectable = false;
        line->m_strTag = tag;
        list.Add(std::move(line));
    };
    for (int x = m_nGridOriginX; x < m_nPageWidth; x += m_nGridStepX)
        add(x, 0, x, m_nPageHeight, kVertGridLineTag);
    for (int y = m_nGridOriginY; y < m_nPageHeight; y += m_nGridStepY)
        add(0, y, m_nPageWidth, y, kHorizGridLineTag);
}

void CQuodra::SetGridVisible(bool visible) {
    m_bGridVisible = visible;
    m_figures.SetGridVisible(visible);
    Repaint();
}

void CQuodra::HideGrid() {
    m_figures.SetGridVisible(false);
    Repaint();
}
