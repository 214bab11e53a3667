#include "figures/Style.h"

#include "figures/TeXFormat.h"

#include <algorithm>
#include <cmath>

std::string CheckLineWidth(double pageUnits, double unitScale) {
    const double points = pageUnits * kPointsPerPageUnit * unitScale;
    if (!std::isfinite(points) || points < 0.0 || points > kMaxLineWidthPoints)
        return "a line width must lie between 0 and 100 pt";
    return {};
}

std::string CheckGrey(double grey) {
    if (!(grey >= 0.0 && grey <= 1.0))
        return "a grey must lie between 0 (black) and 1 (white)";
    return {};
}

std::string CheckPattern(const std::vector<double>& pattern) {
    if (pattern.empty() || pattern.size() > kMaxPatternLengths)
        return "a pattern is a list of 1 to 16 lengths";
    for (double v : pattern)
        if (!(v > 0.0 && v <= kMaxStyleLength))
            return "every length of a pattern must be positive and at most 100 in";
    return {};
}

std::string CheckHeadSize(double length, double width) {
    for (double v : {length, width})
        if (!(v > 0.0 && v <= kMaxStyleLength))
            return "an arrowhead's length and width must be positive and at most 100 in";
    return {};
}

double WrittenLength(double pageUnits) {
    return std::round(pageUnits * 1000.0) / 1000.0;
}

double WrittenGrey(double grey) {
    return std::round(grey * 100000.0) / 100000.0;
}

CStyle Bounded(CStyle s) {
    const auto pin = [](double v, double lo, double hi, double fallback) {
        return std::isfinite(v) ? std::clamp(v, lo, hi) : fallback;
    };
    // The widest a line prints at the smallest unit scale; each scale's own limit is checked
    // where a width is given.
    s.dLineWidth =
        pin(s.dLineWidth, 0.0, kMaxLineWidthPoints / (kPointsPerPageUnit * kMinUnitScale),
            kDefaultLineWidth);
    s.dLineGrey = pin(s.dLineGrey, 0.0, 1.0, 0.0);
    if (s.fillGrey)
        s.fillGrey = pin(*s.fillGrey, 0.0, 1.0, 0.0);
    else
        s.bOutline = true; // nothing would show
    if (!s.pattern.empty() && !CheckPattern(s.pattern).empty())
        s.pattern.clear();
    if (!IsArrowHeadType(s.cHeadType))
        s.cHeadType = kDefaultHeadType;
    if (!CheckHeadSize(s.dHeadLength, s.dHeadWidth).empty()) {
        s.dHeadLength = kDefaultHeadLength;
        s.dHeadWidth = kDefaultHeadWidth;
    }
    s.dLineWidth = WrittenLength(s.dLineWidth);
    for (double& v : s.pattern)
        v = std::max(0.001, WrittenLength(v));
    s.dLineGrey = WrittenGrey(s.dLineGrey);
    if (s.fillGrey)
        s.fillGrey = WrittenGrey(*s.fillGrey);
    s.dHeadLength = std::max(0.001, WrittenLength(s.dHeadLength));
    s.dHeadWidth = std::max(0.001, WrittenLength(s.dHeadWidth));
    return s;
}

void CopyStyleParts(CStyle& to, const CStyle& from, unsigned parts) {
    if (parts & kStyleWidth) {
        to.dLineWidth = from.dLineWidth;
        to.bOutline = from.bOutline;
    }
    if (parts & kStylePattern)
        to.pattern = from.pattern;
    if (parts & kStyleGrey)
        to.dLineGrey = from.dLineGrey;
    if (parts & kStyleFill)
        to.fillGrey = from.fillGrey;
    // A figure without its fill shows its outline.
    if (!to.fillGrey)
        to.bOutline = true;
    if (parts & kStyleHeadEnds)
        to.eHeads = from.eHeads;
    if (parts & kStyleHeadType)
        to.cHeadType = from.cHeadType;
    if (parts & kStyleHeadSize) {
        to.dHeadLength = from.dHeadLength;
        to.dHeadWidth = from.dHeadWidth;
    }
}
