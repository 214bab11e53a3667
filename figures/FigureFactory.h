// The drawing tools and the one factory that makes a tool's prototype figure: the canvas clones
// the prototype for every figure the tool draws.
#pragma once

#include "figures/Figure.h"

#include <memory>

enum class ETool {
    Line,
    DottedLine,
    Rectangle, // a text rectangle
    Rhomb,     // a text rhomb
    Ellipse,   // a text ellipse
    Bezier,
    Arrow,
    RotatableRectangle,
    RotatableEllipse,
    PlainRectangle, // a rectangle without text
    Circle,
    AxisEllipse, // an ellipse with its axes along the page
    Arc,
    Polyline, // closed into a polygon by a click on its first corner
    Label,
    Path, // a polyline whose pieces may be curves: a drag shapes a smooth node
};

// A new prototype for the tool: a figure in its start state, a dotted pen for the dotted line.
std::unique_ptr<CFigure> MakeToolFigure(ETool tool);
