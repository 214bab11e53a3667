#include "figures/FigureFactory.h"

#include "figures/BezierCurve.h"
#include "figures/Label.h"
#include "figures/Line.h"
#include "figures/Polyline.h"
#include "figures/Rectangle.h"
#include "figures/RotatableFigures.h"
#include "figures/Shapes.h"
#include "figures/TextFigures.h"

std::unique_ptr<CFigure> MakeToolFigure(ETool tool) {
    switch (tool) {
    case ETool::Line:
        return std::make_unique<CLine>();
    case ETool::DottedLine: {
        auto line = std::make_unique<CLine>();
        line->m_nPenStyle = kPenStyleDotted;
        return line;
    }
    case ETool::Rectangle:
        return std::make_unique<CTextRectangle>();
    case ETool::Rhomb:
        return std::make_unique<CTextRhomb>();
    case ETool::Ellipse:
        return std::make_unique<CTextEllipse>();
    case ETool::Bezier:
        return std::make_unique<CBezierCurve>();
    case ETool::Arrow:
        return std::make_unique<CArrow>();
    case ETool::RotatableRectangle:
        return std::make_unique<CRotatableRectangle>();
    case ETool::RotatableEllipse:
        return std::make_unique<CRotatableEllipse>();
    case ETool::PlainRectangle:
        return std::make_unique<CRectangle>();
    case ETool::Circle:
        return std::make_unique<CCircle>();
    case ETool::AxisEllipse:
        return std::make_unique<CAxisEllipse>();
    case ETool::Arc:
        return std::make_unique<CArc>();
    case ETool::Polyline:
        return std::make_unique<CPolyline>();
    case ETool::Label:
        return std::make_unique<CLabel>();
    case ETool::Path: {
        auto path = std::make_unique<CPolyline>();
        path->MakePath();
        return path;
    }
    }
    return nullptr;
}
