// The editor's figure for what a few of TeXDraw's commands drew in a drawing someone else wrote:
// a line, an arrow, a curve, a polyline or polygon, a circle, an ellipse, an arc or a label, with
// the style it was drawn in. A figure is made only when its own block draws the same primitives.
#pragma once

#include "texdraw/Interpreter.h"

#include <memory>

class CFigure;

// The figure that draws primitives [first, first + count) of the program, in page units at unit
// scale 1, or null when no figure of the editor draws exactly them: the figure's block, run by
// the interpreter, must give the same primitives in the same order (the same kinds, styles, fills,
// heads and texts), its points within the block's own rounding and TeXDraw's 1/300 in.
std::unique_ptr<CFigure> FigureOfPrimitives(const CTeXDrawProgram& program, int first, int count);
