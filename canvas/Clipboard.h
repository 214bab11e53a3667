// CClipboard: copy, cut and paste of the selection as TeXDraw text, through the window's
// clipboard. What is copied is what the saved file writes; what is pasted is read as the editor
// reads its own files.
#pragma once

#include "canvas/CanvasPart.h"
#include "figures/FigureList.h"

#include <string>

class CClipboard : public CCanvasPart {
public:
    using CCanvasPart::CCanvasPart;

    // The TeXDraw blocks of the selected figures in list order, as the saved file writes them.
    std::string GetSelectionTeXDrawText() const;
    // Puts the selection's blocks on the host's clipboard; false when nothing is selected.
    bool Copy();
    // Copy, then the selected figures go, as one step.
    bool Cut();
    // Reads the host's clipboard as TeXDraw text; see PasteText.
    bool Paste();
    // The figures of the TeXDraw blocks in text go on top, selected alone, 10 page units right
    // and down when that keeps them on the page. Text with no block this editor recognises
    // changes nothing and is reported through the host. True when figures were pasted.
    bool PasteText(std::string text);

private:
    void InsertPasted(CFigureList& read);
};
