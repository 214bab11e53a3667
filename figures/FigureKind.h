// The kinds of figure in one table: the type name each stores in m_strType (and the writer and
// reader rely on), the name a user knows it by, and the name of the undo step that draws one.
#pragma once

#include <string>
#include <string_view>

class CFigure;

// The type names (m_strType). Rotatable figures store the name of the shape they turn.
inline constexpr const char* kTypeLine = "Line";
inline constexpr const char* kTypeArrow = "Arrow";
inline constexpr const char* kTypeRectangle = "Rectangle";
inline constexpr const char* kTypeEllipse = "Ellipse";
inline constexpr const char* kTypeTextRectangle = "TextRectangle";
inline constexpr const char* kTypeTextEllipse = "TextEllipse";
inline constexpr const char* kTypeTextRhomb = "TextRhomb";
inline constexpr const char* kTypeBezierCurve = "BezierCurve";
inline constexpr const char* kTypeCircle = "Circle";
inline constexpr const char* kTypeAxisEllipse = "AxisEllipse";
inline constexpr const char* kTypeArc = "Arc";
inline constexpr const char* kTypePolyline = "Polyline";
inline constexpr const char* kTypePolygon = "Polygon";
inline constexpr const char* kTypePath = "Path";
inline constexpr const char* kTypeLabel = "Label";
inline constexpr const char* kTypeRawTeX = "RawTeX";
inline constexpr const char* kTypePicture = "HappyNewYear :)";

struct CFigureKind {
    std::string_view strType;     // as m_strType holds it
    std::string_view strUserName; // "text rectangle": how messages name it
    std::string_view strDrawStep; // "Draw Rectangle"; empty for a kind no tool draws
};

// The kind with this type name; nullptr for a name no figure stores.
const CFigureKind* FindFigureKind(std::string_view type);
// How messages name the figure's kind: "text rectangle", or "figure" for one not in the table.
std::string GetFigureUserName(const CFigure& figure);
// The name of the undo step that draws the figure: "Draw Dotted Line", "Draw Rectangle".
std::string GetDrawStepName(const CFigure& figure);
