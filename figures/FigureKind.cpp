#include "figures/FigureKind.h"

#include "figures/Figure.h"

#include <array>

namespace {

// A text figure is drawn by the same tool as its plain shape, so both have one step name.
constexpr std::array<CFigureKind, 17> kKinds{{
    {kTypeLine, "line", "Draw Line"},
    {kTypeArrow, "arrow", "Draw Arrow"},
    {kTypeRectangle, "rectangle", "Draw Rectangle"},
    {kTypeEllipse, "ellipse", "Draw Ellipse"},
    {kTypeTextRectangle, "text rectangle", "Draw Rectangle"},
    {kTypeTextEllipse, "text ellipse", "Draw Ellipse"},
    {kTypeTextRhomb, "text rhomb", "Draw Rhomb"},
    {kTypeBezierCurve, "Bezier curve", "Draw Bezier Curve"},
    {kTypeCircle, "circle", "Draw Circle"},
    {kTypeAxisEllipse, "ellipse", "Draw Ellipse"},
    {kTypeArc, "arc", "Draw Arc"},
    {kTypePolyline, "polyline", "Draw Polyline"},
    {kTypePolygon, "polygon", "Draw Polygon"},
    {kTypePath, "path", "Draw Path"},
    {kTypeLabel, "label", "Draw Label"},
    {kTypeRawTeX, "kept TeX text", ""},
    {kTypePicture, "start-up picture", ""},
}};

} // namespace

const CFigureKind* FindFigureKind(std::string_view type) {
    for (const CFigureKind& kind : kKinds)
        if (kind.strType == type)
            return &kind;
    return nullptr;
}

std::string GetFigureUserName(const CFigure& figure) {
    const CFigureKind* kind = FindFigureKind(figure.m_strType);
    return kind ? std::string(kind->strUserName) : "figure";
}

std::string GetDrawStepName(const CFigure& figure) {
    if (figure.m_strType == kTypeLine && figure.m_nPenStyle == kPenStyleDotted)
        return "Draw Dotted Line";
    const CFigureKind* kind = FindFigureKind(figure.m_strType);
    if (kind && !kind->strDrawStep.empty())
        return std::string(kind->strDrawStep);
    return "Draw " + figure.m_strType;
}
