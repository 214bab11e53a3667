// CQuodra: the styles of the selected figures and of new ones, Copy Style and Paste Style, and
// the drawing's printed scale.
#include "canvas/Quodra.h"

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

CQuodra::CSelectionStyle CQuodra::GetSelectionStyle() const {
    CSelectionStyle result;
    result.nSame = kStyleAll;
    // Each value is shown from the first selected figure that takes it.
    unsigned seen = 0;
    for (int i = 0; i < m_figures.GetCount(); ++i) {
        const CFigure* f = m_figures.GetAt(i);
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

bool CQuodra::ApplyStyleToSelection(const CStyle& style, unsigned parts,
                                    const std::string& stepName) {
    const CStyle bounded = Bounded(style);
    const bool own = m_drawing.BeginOwn(stepName.c_str());
    for (int i = 0; i < m_figures.GetCount(); ++i) {
        const CFigure* f = m_figures.GetAt(i);
        if (!f->m_bSelected || !f->m_bSelectable || !(f->GetStyleCaps() & parts))
            continue;
        m_drawing.Change(i).ApplyStyle(bounded, parts);
    }
    return EndRestyle(own);
}

bool CQuodra::SetSelectionOutline(bool on) {
    const bool own = m_drawing.BeginOwn("Outline");
    for (int i = 0; i < m_figures.GetCount(); ++i) {
        const CFigure* f = m_figures.GetAt(i);
        if (!f->m_bSelected || !f->m_bSelectable || !f->TakesFillAlone() || !f->m_style.fillGrey ||
            f->m_style.bOutline == on)
            continue;
        m_drawing.Change(i).m_style.bOutline = on;
    }
    return EndRestyle(own);
}

bool CQuodra::EndRestyle(bool own) {
    const bool changed = own && m_drawing.Commit();
    RepaintDamage();
    EditStateChanged();
    return changed;
}

void CQuodra::SetNewFigureStyle(const CStyle& style, unsigned parts) {
    m_newStyle = Bounded(style);
    m_nNewStyleParts = parts & kStyleAll;
}

bool CQuodra::CopyStyle() {
    const CFigure* f = m_figures.GetFirstSelected();
    if (!f || !f->m_bSelectable || f->GetStyleCaps() == 0)
        return false;
    m_copiedStyle = ShownStyle(*f);
    m_nCopiedStyleParts = f->GetStyleCaps();
    EditStateChanged();
    return true;
}

bool CQuodra::PasteStyle() {
    if (!HasCopiedStyle() || !HasSelection())
        return false;
    return ApplyStyleToSelection(m_copiedStyle, m_nCopiedStyleParts, "Paste Style");
}

bool CQuodra::SetUnitScale(double scale) {
    scale = std::clamp(scale, kMinUnitScale, kMaxUnitScale);
    const double before = m_drawing.GetUnitScale();
    if (!std::isfinite(scale) || scale == before)
        return false;
    // Lengths of a style print at the unit scale: they shrink as it grows, so that they print
    // as large as they did. A label's text prints at its font's size: it shrinks too.
    const double k = before / scale;
    const bool own = m_drawing.BeginOwn("Drawing Scale");
    for (int i = 0; i < m_figures.GetCount(); ++i)
        if (HasStyleLengths(*m_figures.GetAt(i)))
            ScaleStyleLengths(m_drawing.Change(i), k);
    m_drawing.SetUnitScale(scale);
    EndStep(own);
    RepaintDamage();
    EditStateChanged();
    return true;
}
