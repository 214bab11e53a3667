// A figure read from a drawing someone else wrote, once changed, written back in that drawing's
// own words: in its frame and units, where it stood, with the style statements it was written
// with for what did not change, and no empty line (the drawing may stand where one is a \par).
#pragma once

#include <string>

class CFigure;
struct CForeignFrame;

// Appends f's statements in the frame; false (and nothing appended) when its kind has no such
// words, or the frame cannot take them, so that the caller writes the editor's block instead.
bool AppendForeignBlock(std::string& out, const CFigure& f, const CForeignFrame& frame);

// Drops the empty lines (blanks alone) of a block that goes into someone else's drawing.
void DropEmptyLines(std::string& block);
