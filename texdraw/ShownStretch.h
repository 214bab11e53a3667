// What a stretch of someone else's drawing that stays as text draws, worked out from the
// interpreter's record of it, for the canvas to show greyed.
#pragma once

#include "texdraw/Interpreter.h"

#include <cstddef>

class CRawTeXFigure;

// Gives raw the drawing of statements [first, end) of program: lines, curves, arrows with their
// heads, circles, ellipses and arcs as paths, and the texts.
void ShowWhatItDraws(CRawTeXFigure& raw, const CTeXDrawProgram& program, std::size_t first,
                     std::size_t end);
