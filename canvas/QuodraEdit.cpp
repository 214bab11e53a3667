// CQuodra: the editing commands (delete, duplicate) and text editing (double-click, change text).
#include "canvas/Quodra.h"

#include "figures/TextFigures.h"

#include <algorithm>

void CQuodra::DeleteSelected() {
    bool any = false;
    for (int i = m_figures.GetCount() - 1; i >= 0; --i) {
        if (m_figures.GetAt(i)->m_bSelected) {
            m_figures.RemoveAndDelete(i);
            any = true;
        }
    }
    if (any)
        MarkModified();
    Repaint();
}

void CQuodra::Duplicate() {
    SetPageBounds();
    const CRect bounds = m_figures.m_rcBounds;
    const int count = m_figures.GetCount();
    bool any = false;
    CRect u;
    for (int i = 0; i < count; ++i) {
        const CFigure* f = m_figures.GetAt(i);
        if (!f->m_bSelected)
            continue;
        const CRect r = f->GetBoundingRect(m_dZoom).Offset(5, 5);
        u = any ? CRect{std::min(u.left, r.left), std::min(u.top, r.top),
                        std::max(u.right, r.right), std::max(u.bottom, r.bottom)}
                : r;
        any = true;
    }
    if (!any)
        return;
    // The fit test looks 5 pixels ahead; the copies then move 10 page units, or stay in place.
    const bool shift = bounds.Contains(u.TopLeft()) && bounds.Contains(u.BottomRight());
    for (int i = 0; i < count; ++i) {
        CFigure* source = m_figures.GetAt(i);
        if (!source->m_bSelected)
            continue;
        auto copy = source->Clone();
        if (shift)
            copy->MoveBy(10.0, 10.0);
        copy->m_bSelected = true;
        source->m_bSelected = false;
        m_figures.Add(std::move(copy));
    }
    MarkModified();
    Repaint();
}

// The double-click does not touch the gesture state: the release that follows finds it idle.
void CQuodra::OnLButtonDblClk(CPoint client) {
    const CPoint p = AreaToPage(ClientToArea(client));
    CFigure* figure = m_figures.HitTest(p.x, p.y, m_dZoom);
    if (!figure)
        return;
    std::string* text = GetFigureText(*figure);
    const auto result = m_host.RunPropertiesDialog(text ? *text : std::string(), text != nullptr);
    if (result && text) {
        *text = *result;
        MarkModified();
        Repaint();
    }
}

void CQuodra::ChangeText() {
    const auto result = m_host.RunSetTextDialog();
    if (!result)
        return; // cancelled: the figure keeps its text
    CFigure* figure = m_figures.GetFirstSelected();
    if (!figure)
        return;
    if (figure->m_strType != "TextRectangle" && figure->m_strType != "TextEllipse")
        return;
    if (std::string* text = GetFigureText(*figure)) {
        *text = *result;
        MarkModified();
        Repaint();
    }
}
