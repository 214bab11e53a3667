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
    const CPoint origin = m_viewport.GetGridOrigin();
    const CSize step = m_viewport.GetGridStep();
    const CSize page = m_viewport.GetPageSize();
    for (int x = origin.x; x < page.cx; x += step.cx)
        add(x, 0, x, page.cy, kVertGridLineTag);
    for (int y = origin.y; y < page.cy; y += step.cy)
        add(0, y, page.cx, y, kHorizGridLineTag);
}

void CQuodra::SetGridVisible(bool visible) {
    m_bGridVisible = visible;
    m_drawing.SetGridVisible(visible);
    m_drawing.Notify();
    Repaint();
}

void CQuodra::HideGrid() {
    m_drawing.SetGridVisible(false);
    m_drawing.Notify();
    Repaint();
}
