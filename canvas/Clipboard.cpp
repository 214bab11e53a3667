// CClipboard: copy, cut and paste of the selection as TeXDraw text.
#include "canvas/Quodra.h"

#include "figures/RawTeX.h"
#include "texdraw/Fragment.h"

#include <algorithm>
#include <numeric>

namespace {

bool IsBlank(const std::string& s) {
    return std::all_of(s.begin(), s.end(), [](char c) {
        return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
    });
}

} // namespace

std::string CClipboard::GetSelectionTeXDrawText() const {
    const CQuodra& c = m_canvas;
    // Lengths of a style go on the clipboard as they print: as a drawing of unit scale 1 (a
    // LaTeX file, another window) takes them.
    const double scale = c.m_figures.m_dUnitScale;
    std::string text;
    for (int i = 0; i < c.m_figures.GetCount(); ++i) {
        const CFigure* f = c.m_figures.GetAt(i);
        if (!f->m_bSelected)
            continue;
        if (scale != 1.0 && f->GetStyleCaps() != 0) {
            const std::unique_ptr<CFigure> printed = f->Clone();
            ScaleStyleLengths(*printed, scale);
            printed->m_strReadBlock.clear();
            text += printed->ExportTeX();
            continue;
        }
        // As the saved file writes it; a figure of someone else's drawing in the editor's own
        // words, which mean the same wherever they are pasted.
        text += f->m_pForeignFrame ? f->ExportTeX() : f->GetTeXDrawBlock();
    }
    return text;
}

bool CClipboard::Copy() {
    CQuodra& c = m_canvas;
    if (!c.HasSelection() || c.m_drawing.IsRecording())
        return false;
    c.m_host.SetClipboardText(GetSelectionTeXDrawText());
    return true;
}

bool CClipboard::Cut() {
    CQuodra& c = m_canvas;
    if (!Copy())
        return false;
    c.RemoveSelected("Cut");
    return true;
}

bool CClipboard::Paste() {
    CQuodra& c = m_canvas;
    if (c.m_drawing.IsRecording())
        return false;
    return PasteText(c.m_host.GetClipboardText());
}

bool CClipboard::PasteText(std::string text) {
    CQuodra& c = m_canvas;
    const std::string kName = "the clipboard";
    if (text.size() > kMaxTeXDrawFileBytes) {
        c.m_host.ShowMessage("Nothing was pasted: the clipboard holds more text than a drawing.");
        return false;
    }
    CFigureList read;
    const CTeXDrawReadResult result = ReadTeXDrawFragment(std::move(text), kName, read);
    if (!result.ok) {
        c.m_host.ShowMessage("Nothing was pasted: " + result.error);
        return false;
    }
    int recognised = 0;
    for (int i = 0; i < read.GetCount(); ++i)
        recognised += read.GetAt(i)->m_strType != kTypeRawTeX;
    if (recognised == 0) {
        c.m_host.ShowMessage("Nothing was pasted: the clipboard holds no figure of a TeXDraw "
                             "drawing that this editor wrote.");
        return false;
    }
    InsertPasted(read);
    if (result.nUnrecognised > 0)
        c.m_host.ShowMessage("Pasted " + std::to_string(recognised) + " figure(s); " +
                             std::to_string(result.nUnrecognised) +
                             " stretch(es) of other text kept as they stand.");
    return true;
}

// The pasted figures go on top, selected alone, 10 page units right and down of where they were
// copied when that keeps them on the page (the test of Duplicate).
void CClipboard::InsertPasted(CFigureList& read) {
    CQuodra& c = m_canvas;
    for (int i = 0; i < read.GetCount(); ++i) {
        CFigure* f = read.GetAt(i);
        f->m_bSelected = f->m_bSelectable;
        f->m_bEditing = false;
    }
    const std::optional<CRect> u = read.SelectionBounds(c.Zoom(), 5, 5);
    const bool shift = u && c.m_viewport.FitsOnPage(*u);
    const bool own = c.m_drawing.BeginOwn("Paste");
    c.m_drawing.ClearSelection();
    // All figures are taken out in one pass: taking them from the front one by one would make a
    // large paste quadratic.
    std::vector<int> all(static_cast<std::size_t>(read.GetCount()));
    std::iota(all.begin(), all.end(), 0);
    for (std::unique_ptr<CFigure>& f : read.ReleaseAt(all)) {
        const auto* raw = dynamic_cast<const CRawTeXFigure*>(f.get());
        if (raw && IsBlank(raw->m_strText))
            continue; // blank lines between blocks add nothing to the drawing
        if (shift)
            f->MoveBy(10.0, 10.0);
        // The clipboard's lengths print as they are: at this drawing's scale they keep that size.
        ScaleStyleLengths(*f, 1.0 / c.m_drawing.GetUnitScale());
        c.m_drawing.Append(std::move(f));
    }
    c.EndStep(own);
    c.RepaintDamage();
    c.EditStateChanged();
}
