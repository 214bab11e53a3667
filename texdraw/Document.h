// The TeXDraw document around the figures' blocks, and writing it to a file safely.
#pragma once

#include <string>

class CFigureList;

// Header + blocks + footer, exactly as the file holds it (no final line feed).
std::string MakeTeXDrawDocument(const std::string& blocks);
std::string MakeTeXDrawDocument(const CFigureList& figures);

// Writes the text to path through a temporary file in the same folder renamed over the target,
// so a failed write never leaves a truncated file where a good one was. On failure returns false
// and puts a reason that can be shown to the user into error.
bool WriteTeXDrawFile(const std::string& path, const std::string& text, std::string& error);
