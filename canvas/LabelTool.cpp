// CLabelTool: a label goes where the button went down, with the text the user types.
#include "canvas/Quodra.h"

#include "figures/Label.h"
#include "figures/TextFigures.h"

void CLabelTool::Released() {
    CQuodra& c = m_canvas;
    const CPoint at = c.AreaToPage(c.ClampAndSnap(c.m_ptDown));
    const std::optional<std::string> typed = c.m_host.RunSetTextDialog();
    if (!typed)
        return; // cancelled: the tool stays for another try
    auto figure = c.m_pToolFigure->Clone();
    figure->ApplyStyle(c.m_styles.GetNewFigureStyle(), c.m_styles.GetNewFigureStyleParts());
    // The text prints at its font's size: in this drawing's units, one over its unit scale.
    if (double* em = figure->GetTextSize())
        *em /= c.m_drawing.GetUnitScale();
    figure->SetPoints(at.x, at.y, at.x, at.y, c.Zoom());
    if (auto* label = dynamic_cast<CLabel*>(figure.get())) {
        label->m_cHRef = c.m_styles.GetNewLabelPlacement().cHRef;
        label->m_cVRef = c.m_styles.GetNewLabelPlacement().cVRef;
        label->m_dAngle = c.m_styles.GetNewLabelPlacement().dAngle;
    }
    if (std::string* text = GetFigureText(*figure))
        *text = OneLineText(*typed);
    if (const std::string why = figure->WhyNotDrawable(); !why.empty()) {
        c.m_host.ShowMessage(why);
        return;
    }
    c.m_drawing.SetStepName(GetDrawStepName(*figure));
    c.m_drawing.ClearSelection(); // the handles of what was selected go
    figure->m_bSelected = true;
    c.m_drawing.Append(std::move(figure));
    c.m_nMode = kModeSelect;
    c.m_host.ShowMessage(""); // the tool's prompt is done with
    c.RepaintDamage();
}
