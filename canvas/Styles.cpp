// CStyles: the styles of the selection and of new figures, Copy Style and Paste Style, the
// printed scale, and the labels' placement.
#include "canvas/Styles.h"

#include "figures/Label.h"

#include <algorithm>
#include <cmath>

namespace {

// The bits of the values on which two styles agree.
unsigned SameValues(const CStyle& a, const CStyle& b) {
    unsigned same = 0;
    same |= a.dLineWidth == b.dLineWidth ? kStyleWidth : 0u;
    same |= a.pattern == b.pattern ? kStylePattern : 0u;
    same |= a.dLineGrey == b.dLineGrey ? kStyleGrey : 0u;
    same |= a.fillGrey == b.fillGrey ? kStyleFill : 0u;
    same |= a.eHeads == b.eHeads ? kStyleHeadEnds : 0u;
    same |= a.cHeadType == b.cHeadType ? kStyleHeadType : 0u;
    same |= a.dHeadLength == b.dHeadLength && a.dHeadWidth == b.dHeadWidth ? kStyleHeadSize : 0u;
    return same;
}

// The style as the figure shows it: a dotted line's dots are its pattern.
CStyle ShownStyle(const CFigure& f) {
    CStyle s = f.m_style;
    s.pattern = f.GetLinePattern();
    return s;
}

} // namespace

CStyles::CSelectionStyle CStyles::GetSelectionStyle() const {
    CSelectionStyle result;
    result.nSame = kStyleAll;
    // Each value is shown from the first selected figure that takes it.
    unsigned seen = 0;
    for (int i = 0; i < m_drawing.GetFigures().GetCount(); ++i) {
        const CFigure* f = m_drawing.GetFigures().GetAt(i);
        if (!f->m_bSelected || !f->m_bSelectable)
            continue;
        ++result.nCount;
        const unsigned caps = f->GetStyleCaps();
        if (f->TakesFillAlone() && f->m_style.fillGrey)
            ++(f->m_style.bOutline ? result.nOutlined : result.nFillsAlone);
        const CStyle shown = ShownStyle(*f);
        const unsigned fresh = caps & ~seen;
        CopyStyleParts(result.style, shown, fresh);
        result.nSame &= ~(caps & seen & ~SameValues(result.style, shown));
        seen |= caps;
    }
    result.nCaps = seen;
    result.nSame &= seen;
    return result;
}

bool CStyles::ApplyStyleToSelection(const CStyle& style, unsigned parts,
                                    const std::string& stepName) {
    const CStyle bounded = Bounded(style);
    const bool own = m_drawing.BeginOwn(stepName.c_str());
    for (int i = 0; i < m_drawing.GetFigures().GetCount(); ++i) {
        const CFigure* f = m_drawing.GetFigures().GetAt(i);
        if (!f->m_bSelected || !f->m_bSelectable || !(f->GetStyleCaps() & parts))
            continue;
        m_drawing.Change(i).ApplyStyle(bounded, parts);
    }
    return EndRestyle(own);
}

bool CStyles::SetSelectionOutline(bool on) {
    const bool own = m_drawing.BeginOwn("Outline");
    for (int i = 0; i < m_drawing.GetFigures().GetCount(); ++i) {
        const CFigure* f = m_drawing.GetFigures().GetAt(i);
        if (!f->m_bSelected || !f->m_bSelectable || !f->TakesFillAlone() || !f->m_style.fillGrey ||
            f->m_style.bOutline == on)
            continue;
        m_drawing.Change(i).m_style.bOutline = on;
    }
    return EndRestyle(own);
}

bool CStyles::EndRestyle(bool own) {
    const bool changed = own && m_drawing.Commit();
    m_fnDone();
    return changed;
}

void CStyles::SetNewFigureStyle(const CStyle& style, unsigned parts) {
    m_newStyle = Bounded(style);
    m_nNewStyleParts = parts & kStyleAll;
}

bool CStyles::CopyStyle() {
    const CFigure* f = m_drawing.GetFigures().GetFirstSelected();
    if (!f || !f->m_bSelectable || f->GetStyleCaps() == 0)
        return false;
    m_copiedStyle = ShownStyle(*f);
    m_nCopiedStyleParts = f->GetStyleCaps();
    m_fnDone();
    return true;
}

bool CStyles::PasteStyle() {
    if (!HasCopiedStyle() || !HasSelection())
        return false;
    return ApplyStyleToSelection(m_copiedStyle, m_nCopiedStyleParts, "Paste Style");
}

bool CStyles::SetUnitScale(double scale) {
    scale = std::clamp(scale, kMinUnitScale, kMaxUnitScale);
    const double before = m_drawing.GetUnitScale();
    if (!std::isfinite(scale) || scale == before)
        return false;
    // Lengths of a style print at the unit scale: they shrink as it grows, so that they print
    // as large as they did. A label's text prints at its font's size: it shrinks too.
    const double k = before / scale;
    const bool own = m_drawing.BeginOwn("Drawing Scale");
    for (int i = 0; i < m_drawing.GetFigures().GetCount(); ++i)
        if (HasStyleLengths(*m_drawing.GetFigures().GetAt(i)))
            ScaleStyleLengths(m_drawing.Change(i), k);
    m_drawing.SetUnitScale(scale);
    if (own)
        m_drawing.Commit();
    m_fnDone();
    return true;
}

namespace {

CStyles::CLabelPlacement PlacementOf(const CLabel& label) {
    return {label.m_cHRef, label.m_cVRef, label.m_dAngle};
}

} // namespace

CStyles::CSelectionLabels CStyles::GetSelectionLabels() const {
    CSelectionLabels result;
    result.placement = m_newLabel;
    for (int i = 0; i < m_drawing.GetFigures().GetCount(); ++i) {
        const CFigure* f = m_drawing.GetFigures().GetAt(i);
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

bool CStyles::ApplyLabelPlacement(const CLabelPlacement& placement, bool reference) {
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
        m_fnDone();
        return !(before == n);
    }
    const bool own = m_drawing.BeginOwn(reference ? "Label Reference" : "Label Angle");
    for (int i = 0; i < m_drawing.GetFigures().GetCount(); ++i) {
        const CFigure* f = m_drawing.GetFigures().GetAt(i);
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
