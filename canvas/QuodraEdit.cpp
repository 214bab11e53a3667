// CQuodra: the editing commands (select all, delete, duplicate) and text editing (double-click,
// change text).
#include "canvas/Quodra.h"

#include "figures/Label.h"
#include "figures/RawTeX.h"

#include "figures/TextFigures.h"

bool CQuodra::HasSelection() const {
    return m_figures.GetFirstSelected() != nullptr;
}

bool CQuodra::HasSelectableFigure() const {
    for (int i = 0; i < m_figures.GetCount(); ++i)
        if (m_figures.GetAt(i)->m_bSelectable)
            return true;
    return false;
}

void CQuodra::SelectAll() {
    m_drawing.SelectAll();
    RepaintDamage();
    EditStateChanged();
}

bool CQuodra::SelectFigure(const CFigure* figure) {
    const int at = IndexOf(figure);
    if (at < 0 || !figure->m_bSelectable)
        return false;
    if (!figure->m_bSelected) {
        m_drawing.ClearSelection();
        m_drawing.Select(at, true);
        RepaintDamage();
        EditStateChanged();
    }
    return true;
}

// Delete and cut: every selected figure leaves the list, as one step of the given name.
// The list is walked once: the selection found is both what the step restores and what leaves,
// and nothing is selected afterwards.
void CQuodra::RemoveSelected(const char* stepName) {
    std::vector<int> selected = m_figures.SelectedPositions();
    const bool own = !m_drawing.IsRecording();
    if (own)
        m_drawing.Begin(stepName, {}, selected);
    // A figure read from another's drawing leaves what the statements after it rely on (the
    // style its statements set, the point they end at) in its place, as text that draws nothing.
    std::vector<std::pair<int, std::string>> carried;
    for (std::size_t k = 0; k < selected.size(); ++k) {
        const CFigure* f = m_figures.GetAt(selected[k]);
        if (f->m_pForeignFrame && !f->m_pForeignFrame->strCarried.empty())
            carried.emplace_back(selected[k] - static_cast<int>(k) +
                                     static_cast<int>(carried.size()),
                                 f->m_pForeignFrame->strCarried);
    }
    m_drawing.RemoveAt(selected);
    for (auto& [at, text] : carried)
        m_drawing.Insert(at, std::make_unique<CRawTeXFigure>(std::move(text)));
    if (own)
        m_drawing.Commit({});
    RepaintDamage();
    EditStateChanged();
}

void CQuodra::DeleteSelected() {
    RemoveSelected("Delete");
}

void CQuodra::Duplicate() {
    const int count = m_figures.GetCount();
    const std::optional<CRect> u = m_figures.SelectionBounds(Zoom(), 5, 5);
    if (!u)
        return;
    // The fit test looks 5 pixels ahead; the copies then move 10 page units, or stay in place.
    const bool shift = m_viewport.FitsOnPage(*u);
    const bool own = m_drawing.BeginOwn("Duplicate");
    for (int i = 0; i < count; ++i) {
        const CFigure* source = m_figures.GetAt(i);
        if (!source->m_bSelected)
            continue;
        auto copy = source->Clone();
        if (shift)
            copy->MoveBy(10.0, 10.0);
        copy->m_bSelected = true;
        m_drawing.Select(i, false);
        m_drawing.Append(std::move(copy));
    }
    EndStep(own);
    RepaintDamage();
    EditStateChanged();
}

// The double-click does not touch the gesture state: the release that follows finds it idle.
void CQuodra::OnLButtonDblClk(CPoint client) {
    if (IsPlacingCorners()) {
        // Its first press placed the last corner.
        m_cornersTool.Finish();
        return;
    }
    const CPoint p = AreaToPage(ClientToArea(CViewport::ClampClient(client)));
    const CFigure* figure = FigureAt(p);
    if (!figure)
        return;
    const std::string* text = GetFigureTextOf(*figure);
    const auto result = m_host.RunPropertiesDialog(text ? *text : std::string(), text != nullptr);
    if (result && text) {
        SetFigureText(*figure, OneLineText(*result));
        RepaintDamage();
    }
}

void CQuodra::ChangeText() {
    const auto result = m_host.RunSetTextDialog();
    if (!result)
        return; // cancelled: the figure keeps its text
    const CFigure* figure = m_figures.GetFirstSelected();
    if (!figure)
        return;
    // Only text rectangles, text ellipses and labels take the text; a text rhomb keeps its own.
    if (!dynamic_cast<const CTextRectangle*>(figure) &&
        !dynamic_cast<const CTextEllipse*>(figure) && !dynamic_cast<const CLabel*>(figure))
        return;
    if (GetFigureTextOf(*figure)) {
        SetFigureText(*figure, OneLineText(*result));
        RepaintDamage();
    }
}

// A new text is one step of its own.
void CQuodra::SetFigureText(const CFigure& figure, const std::string& text) {
    // A label is its text: it keeps the one it has rather than become nothing.
    if (text.empty() && dynamic_cast<const CLabel*>(&figure)) {
        m_host.ShowMessage("A label needs a text; it keeps its own");
        return;
    }
    const bool own = m_drawing.BeginOwn("Change Text");
    if (std::string* current = GetFigureText(m_drawing.Change(IndexOf(&figure))))
        *current = text;
    EndStep(own);
    EditStateChanged();
}
