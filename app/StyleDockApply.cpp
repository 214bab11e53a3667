// CStyleDock: applying what the user set, to the selection or to new figures, and refusing
// values the drawing cannot take with a message.
#include "app/CanvasWidget.h"
#include "app/StyleDock.h"
#include "app/StyleDockValues.h"
#include "canvas/Quodra.h"

#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QRegularExpression>

using namespace StyleDockValues;

void CStyleDock::Refuse(const std::string& why) {
    QString text = QString::fromStdString(why);
    if (!text.isEmpty())
        text[0] = text[0].toUpper();
    text += '.';
    m_pMessage->setText(text);
    m_pMessage->show();
    emit MessageWanted(text);
    // The fields show what the figures have again.
    Show(m_shown);
}

void CStyleDock::Apply(const CStyle& style, unsigned part, const char* stepName) {
    m_pMessage->hide();
    CQuodra& canvas = m_canvas.GetCanvas();
    if (canvas.GetStyles().GetSelectionStyle().nCount > 0) {
        canvas.GetStyles().ApplyStyleToSelection(style, part, stepName);
    } else {
        const CStyle points = ScaleLengths(Bounded(style), ToPoints(1.0));
        CopyStyleParts(m_newPoints, points, part);
        m_nNewParts |= part;
        PushNewStyle();
        SaveNewStyle();
    }
    Refresh();
    // A button pressed when the value was already set: it stays checked.
    Show(m_shown);
}

void CStyleDock::ApplyWidth(double points) {
    const double units = ToPageUnits(points);
    const std::string why = CheckLineWidth(units, m_canvas.GetCanvas().GetUnitScale());
    if (!why.empty())
        return Refuse(why);
    CStyle s = m_shown.style;
    s.dLineWidth = units;
    s.bOutline = true; // a fill drawn alone gets its outline back
    Apply(s, kStyleWidth, "Line Width");
}

void CStyleDock::ApplyFillAlone(bool alone) {
    m_pMessage->hide();
    if (m_shown.nCount > 0) {
        m_canvas.GetCanvas().GetStyles().SetSelectionOutline(!alone);
        Refresh();
        Show(m_shown);
        return;
    }
    CStyle s = m_shown.style;
    s.bOutline = !alone;
    Apply(s, kStyleWidth, "Outline");
}

void CStyleDock::ApplyWidthField() {
    if (m_bUpdating || m_pWidth->value() == kMixed)
        return;
    if ((m_shown.nSame & kStyleWidth) &&
        SameShown(m_pWidth->value(), ToPoints(m_shown.style.dLineWidth)))
        return;
    ApplyWidth(m_pWidth->value());
}

void CStyleDock::ApplyPattern(const std::vector<double>& pattern) {
    if (!pattern.empty()) {
        const std::string why = CheckPattern(pattern);
        if (!why.empty())
            return Refuse(why);
    }
    CStyle s = m_shown.style;
    s.pattern = pattern;
    Apply(s, kStylePattern, "Line Pattern");
}

void CStyleDock::ApplyPatternField() {
    if (m_bUpdating || !m_pPattern->isModified())
        return;
    m_pPattern->setModified(false);
    const QString text = m_pPattern->text().trimmed();
    if (text.isEmpty())
        return ApplyPattern({});
    std::vector<double> pattern;
    for (const QString& part : text.split(QRegularExpression("[\\s,;]+"), Qt::SkipEmptyParts)) {
        bool ok = false;
        const double pt = QLocale::c().toDouble(part, &ok);
        if (!ok)
            return Refuse("a pattern is a list of lengths in points, such as \"4 2 1 2\"");
        pattern.push_back(ToPageUnits(pt));
    }
    ApplyPattern(pattern);
}

void CStyleDock::ApplyGrey(double grey) {
    const std::string why = CheckGrey(grey);
    if (!why.empty())
        return Refuse(why);
    if ((m_shown.nSame & kStyleGrey) && SameShown(grey, m_shown.style.dLineGrey))
        return;
    CStyle s = m_shown.style;
    s.dLineGrey = grey;
    Apply(s, kStyleGrey, "Line Grey");
}

void CStyleDock::ApplyFill(std::optional<double> grey) {
    if (grey) {
        const std::string why = CheckGrey(*grey);
        if (!why.empty())
            return Refuse(why);
    }
    if ((m_shown.nSame & kStyleFill) && grey.has_value() == m_shown.style.fillGrey.has_value() &&
        (!grey || SameShown(*grey, *m_shown.style.fillGrey)))
        return;
    CStyle s = m_shown.style;
    s.fillGrey = grey;
    if (grey)
        m_dLastFillGrey = *grey;
    Apply(s, kStyleFill, "Fill");
}

void CStyleDock::ApplyHeadEnds(EArrowHeads ends) {
    CStyle s = m_shown.style;
    s.eHeads = ends;
    Apply(s, kStyleHeadEnds, "Arrowheads");
}

void CStyleDock::ApplyHeadType(char type) {
    CStyle s = m_shown.style;
    s.cHeadType = type;
    Apply(s, kStyleHeadType, "Arrowhead Type");
}

void CStyleDock::ApplyHeadSize() {
    if (m_bUpdating)
        return;
    const bool mixed = !(m_shown.nSame & kStyleHeadSize);
    // A size that is mixed takes the field left as "mixed" from the first selected figure.
    const double length = m_pHeadLength->value() == kMixed ? ToPoints(m_shown.style.dHeadLength)
                                                           : m_pHeadLength->value();
    const double width = m_pHeadWidth->value() == kMixed ? ToPoints(m_shown.style.dHeadWidth)
                                                         : m_pHeadWidth->value();
    if (mixed && m_pHeadLength->value() == kMixed && m_pHeadWidth->value() == kMixed)
        return;
    if (!mixed && SameShown(length, ToPoints(m_shown.style.dHeadLength)) &&
        SameShown(width, ToPoints(m_shown.style.dHeadWidth)))
        return;
    const std::string why = CheckHeadSize(ToPageUnits(length), ToPageUnits(width));
    if (!why.empty())
        return Refuse(why);
    CStyle s = m_shown.style;
    s.dHeadLength = ToPageUnits(length);
    s.dHeadWidth = ToPageUnits(width);
    Apply(s, kStyleHeadSize, "Arrowhead Size");
}
