// Recognising one block of the editor's own files as the figure that wrote it.
#pragma once

#include "figures/Figure.h"
#include "texdraw/BlockParser.h"

#include <memory>
#include <string_view>

// The figure that writes span again: exactly, or for the shapes that hold rounded points only,
// within rounding (approximated is then set). Null when the block is not one the editor wrote.
std::unique_ptr<CFigure> RecogniseBlock(const texdraw_reader::CBlockData& d, std::string_view span,
                                        bool& approximated);
