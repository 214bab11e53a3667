// Reading a stretch of TeXDraw that the user carries over as text (the clipboard): blocks alone,
// or a whole document as the editor saves it.
#pragma once

#include "texdraw/Reader.h"

#include <string>

class CFigureList;

// Reads text that holds either a whole saved document or blocks alone; blocks are read inside
// the header and footer the writer puts around them. Line ends may be "\r\n". A reason for the
// user counts lines in the text as given, not in the document it was read inside. On success out
// holds the figures read, bottom first; on failure out is left as it was.
CTeXDrawReadResult ReadTeXDrawFragment(std::string text, const std::string& name, CFigureList& out);
