// Reading a TeXDraw drawing that a person or another program wrote: the text around the drawing
// and every statement of it kept byte for byte, and the statements that draw a figure this editor
// has (in the drawing's plain frame and style) made into that figure, which writes back the very
// text it was read from until it is changed.
#pragma once

#include "texdraw/Reader.h"

#include <string>
#include <string_view>

class CFigureList;

// Reads the first drawing in text (fileName names it in messages). On success out holds the
// figures and kept statements in order, with m_bForeign set and the surroundings kept; saving
// it unchanged gives text back byte for byte. On failure out is left as it was; the error is
// empty when the text holds no TeXDraw drawing at all.
// drawing chooses which of the file's drawings (0 for the first); the others stay as they are.
CTeXDrawReadResult ReadForeignTeXDrawText(std::string_view text, const std::string& fileName,
                                          CFigureList& out, int drawing = 0);
