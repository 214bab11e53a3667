// CQuodra: where the selected labels stand on their points and how they are turned, and what
// new labels get.
#include "canvas/Quodra.h"

#include "figures/Label.h"

#include <cmath>

namespace {

CQuodra::CLabelPlacement PlacementOf(const CLabel& label) {
    return {label.m_cHRef, label.m_cVRef, label.m_dAngle};
}

} // namespace

CQuodra::CSelectionLabels CQuodra::GetSelectionLabels() const {
    CSelectionLabels result;
    result.placement = m_newLabel;
    for (int i = 0; i < m_figures.GetCount(); ++i) {
        const CFigure* f = m_figures.GetAt(i);
        if (!f->m_bSelected || !f->m_bSelectable)
            continue; // the flags first: most figures are not selected, and the cast costs more
        const auto* label = dynamic_cast<const CLabel*>(f);
        if (!label)
            continue;
        const CLabelPlacement p = PlacementOf(*label);
        if (result.nCount++ == 0) {
            result.placement = p;
            continue;
        }
        result.bSameRef = result.bSameRef && p.cHRef == result.placement.cHRef &&
                          p.cVRef == result.placement.cVRef;
        result.bSameAngle = result.bSameAngle && p.dAngle == result.placement.dAngle;
    }
    return result;
}

bool CQuodra::ApplyLabelPlacement(const CLabelPlacement& placement, bool reference) {
    CLabelPlacement p = placement;
    if (reference && !(IsHRef(p.cHRef) && IsVRef(p.cVRef)))
        return false;
    if (!reference) {
        if (!std::isfinite(p.dAngle))
            return false;
        // To the 1e-5 degree that the file keeps, within one turn.
        p.dAngle = std::round(std::fmod(p.dAngle, 360.0) * 1e5) / 1e5;
        if (p.dAngle < 0)
            p.dAngle += 360.0;
        if (p.dAngle >= 360.0 || p.dAngle == 0.0)
            p.dAngle = 0.0; // and never -0
    }
    if (!HasSelection()) {
        CLabelPlacement& n = m_newLabel;
        const CLabelPlacement before = n;
        if (reference) {
            n.cHRef = p.cHRef;
            n.cVRef = p.cVRef;
        } else {
            n.dAngle = p.dAngle;
        }
        EditStateChanged();
        return !(before == n);
    }
    const bool own = m_drawing.BeginOwn(reference ? "Label Reference" : "Label Angle");
    for (int i = 0; i < m_figures.GetCount(); ++i) {
        const CFigure* f = m_figures.GetAt(i);
        const auto* shown = dynamic_cast<const CLabel*>(f);
        if (!shown || !f->m_bSelected || !f->m_bSelectable)
            continue;
        const CLabelPlacement old = PlacementOf(*shown);
        if (reference ? (old.cHRef == p.cHRef && old.cVRef == p.cVRef) : old.dAngle == p.dAngle)
            continue;
        auto* label = static_cast<CLabel*>(&m_drawing.Change(i));
        if (reference) {
            label->m_cHRef = p.cHRef;
            label->m_cVRef = p.cVRef;
        } else {
            label->m_dAngle = p.dAngle;
        }
    }
    return EndRestyle(own);
}
