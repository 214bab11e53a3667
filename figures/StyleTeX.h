// The lines of a block that give its figure a style other than TeXDraw's defaults: set at the
// block's start, put back at its end, so a block prints the same wherever it stands.
#pragma once

#include <string>

class CFigure;
struct CDoublePoint;

// "\linewd", "\lpatt(…)", "\setgray", "\arrowheadtype" and "\arrowheadsize" lines for what of
// the figure's style differs from the defaults; nothing for a figure in the defaults.
void AppendStylePrologue(std::string& out, const CFigure& figure);
// The same commands with the defaults, for what the prologue set.
void AppendStyleEpilogue(std::string& out, const CFigure& figure);
// "\ifill f:G": fills the closed path just written with the grey, leaving no outline.
void AppendFill(std::string& out, double grey);
// A page point as a TeXDraw point with up to five decimals: "(1.23457 -0.5)".
void AppendFineTeXPoint(std::string& out, const CDoublePoint& p);
