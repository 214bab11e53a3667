// CQuodra: the editing commands (delete, duplicate) and text editing (double-click, change text).
#include "canvas/Quodra.h"

#include "figures/TextFigures.h"

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
    const int count = m_figures.GetCount();
    const std::optional<CRect> u = m_figures.SelectionBounds(m_dZoom, 5, 5);
    if (!u)
        return;
    // The fit test looks 5 pixels ahead; the copies then move 10 page units, or stay in place.
    const bool shift = FitsOnPage(*u);
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
    const CPoint p = AreaToPage(ClientToArea(ClampClient(client)));
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
    // Only text rectangles and text ellipses take the text; a text rhomb keeps its own.
    if (!dynamic_cast<CTextRectangle*>(figure) && !dynamic_cast<CTextEllipse*>(figure))
        return;
    if (std::string* text = GetFigureText(*figure)) {
        *text = *result;
        MarkModified();
        Repaint();
    }
}
