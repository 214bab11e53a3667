#include "figures/StyleTeX.h"

#include "figures/Figure.h"
#include "figures/StyleCommands.h"
#include "figures/TeXFormat.h"

namespace {

bool WritesHeads(const CFigure& f) {
    return (f.GetStyleCaps() & kStyleHeads) && f.m_style.eHeads != EArrowHeads::None;
}

void Lengths(std::string& out, const std::vector<double>& pageUnits) {
    out += StyleCommand(EStyleCommand::LPatt).strOpening;
    for (std::size_t i = 0; i < pageUnits.size(); ++i) {
        if (i > 0)
            out += ' ';
        AppendTeXNumber(out, 0.01 * pageUnits[i]);
    }
    out += ")\n";
}

void HeadSize(std::string& out, double length, double width) {
    out += StyleCommand(EStyleCommand::ArrowHeadSize).strOpening;
    AppendTeXNumber(out, 0.01 * length);
    out += " w:";
    AppendTeXNumber(out, 0.01 * width);
    out += '\n';
}

} // namespace

void AppendStylePrologue(std::string& out, const CFigure& f) {
    const CStyle& s = f.m_style;
    const bool outline = f.GetStyleCaps() & kStyleOutline;
    if (outline && s.dLineWidth != kDefaultLineWidth) {
        out += StyleCommand(EStyleCommand::LineWd).strOpening;
        AppendTeXNumber(out, 0.01 * s.dLineWidth);
        out += '\n';
    }
    if (const std::vector<double> pattern = f.GetLinePattern(); !pattern.empty())
        Lengths(out, pattern);
    if (outline && s.dLineGrey != 0.0) {
        out += StyleCommand(EStyleCommand::SetGray).strOpening;
        AppendTeXNumber(out, s.dLineGrey);
        out += '\n';
    }
    if (WritesHeads(f)) {
        if (s.cHeadType != kDefaultHeadType) {
            out += StyleCommand(EStyleCommand::ArrowHeadType).strOpening;
            out += s.cHeadType;
            out += '\n';
        }
        if (s.dHeadLength != kDefaultHeadLength || s.dHeadWidth != kDefaultHeadWidth)
            HeadSize(out, s.dHeadLength, s.dHeadWidth);
    }
}

void AppendStyleEpilogue(std::string& out, const CFigure& f) {
    const CStyle& s = f.m_style;
    const bool outline = f.GetStyleCaps() & kStyleOutline;
    const auto reset = [&out](EStyleCommand c) { out += StyleCommand(c).strReset; };
    if (outline && s.dLineWidth != kDefaultLineWidth)
        reset(EStyleCommand::LineWd);
    if (!f.GetLinePattern().empty())
        reset(EStyleCommand::LPatt);
    if (outline && s.dLineGrey != 0.0)
        reset(EStyleCommand::SetGray);
    if (WritesHeads(f)) {
        if (s.cHeadType != kDefaultHeadType)
            reset(EStyleCommand::ArrowHeadType);
        if (s.dHeadLength != kDefaultHeadLength || s.dHeadWidth != kDefaultHeadWidth)
            reset(EStyleCommand::ArrowHeadSize);
    }
}

void AppendFill(std::string& out, double grey) {
    out += "\\ifill f:";
    AppendTeXNumber(out, grey);
    out += '\n';
}

void AppendFineTeXPoint(std::string& out, const CDoublePoint& p) {
    out += '(';
    AppendTeXNumber(out, 0.01 * p.x);
    out += ' ';
    AppendTeXNumber(out, -0.01 * p.y);
    out += ')';
}
