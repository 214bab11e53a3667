// CStyles: the styles of the selected figures and of new ones, Copy Style and Paste Style, where
// labels stand on their points and how they are turned, and the drawing's printed scale. Each
// change is one step of the drawing; the canvas is told when a command is done.
#pragma once

#include "canvas/Drawing.h"
#include "figures/Style.h"

#include <functional>
#include <string>

class CStyles {
public:
    // done: called at the end of every command that may have changed what is shown.
    CStyles(CDrawing& drawing, std::function<void()> done)
        : m_drawing(drawing), m_fnDone(std::move(done)) {}
    CStyles(const CStyles&) = delete;
    CStyles& operator=(const CStyles&) = delete;

    // What the selected figures have: the style of the first of them, the values (kStyle* bits)
    // on which every selected figure that takes them agrees, and the values at least one takes.
    struct CSelectionStyle {
        CStyle style;
        unsigned nSame = 0;
        unsigned nCaps = 0;
        int nCount = 0; // selected figures
        // Selected fills that may be drawn alone (CFigure::TakesFillAlone): with their outline,
        // and without it.
        int nOutlined = 0, nFillsAlone = 0;
    };
    CSelectionStyle GetSelectionStyle() const;
    // Gives every selected figure that takes them the values of style that parts names, as one
    // step of that name. False when no figure changed (no step is then kept).
    bool ApplyStyleToSelection(const CStyle& style, unsigned parts, const std::string& stepName);
    // Draws the selected fills that may go without their outline with it (on) or without it, as
    // one step "Outline". False when no figure changed.
    bool SetSelectionOutline(bool on);
    // The values new figures get (the rest is their kind's default).
    void SetNewFigureStyle(const CStyle& style, unsigned parts);
    const CStyle& GetNewFigureStyle() const { return m_newStyle; }
    unsigned GetNewFigureStyleParts() const { return m_nNewStyleParts; }
    // Copy Style takes the first selected figure's style; Paste Style gives it to every selected
    // figure, as far as each takes it, as one step. False when there was nothing to do.
    bool CopyStyle();
    bool PasteStyle();
    bool HasCopiedStyle() const { return m_nCopiedStyleParts != 0; }
    // The drawing's printed size: TeXDraw's unit scale (kept within [kMinUnitScale,
    // kMaxUnitScale]). Widths, patterns and arrowheads are rescaled so that they print as large
    // as before, all in one step "Drawing Scale". False when nothing changed.
    bool SetUnitScale(double scale);

    // --- Labels' reference point and angle.
    struct CLabelPlacement {
        char cHRef = 'L';  // L, C or R: which side of the text lies on the label's point
        char cVRef = 'B';  // T, C or B (the baseline)
        double dAngle = 0; // degrees counterclockwise, [0, 360)
        friend bool operator==(const CLabelPlacement&, const CLabelPlacement&) = default;
    };
    // The selected labels' placement (the first one's), whether they agree, and how many there
    // are; with none selected, the placement that new labels get.
    struct CSelectionLabels {
        CLabelPlacement placement;
        int nCount = 0;
        bool bSameRef = true;
        bool bSameAngle = true;
    };
    CSelectionLabels GetSelectionLabels() const;
    // Gives every selected label the reference point (reference) or the angle (!reference) of
    // placement as one undo step; with nothing selected, new labels get it. False when nothing
    // changed. An angle is taken modulo 360; one that is not a number is refused.
    bool ApplyLabelPlacement(const CLabelPlacement& placement, bool reference);
    const CLabelPlacement& GetNewLabelPlacement() const { return m_newLabel; }

private:
    bool HasSelection() const { return m_drawing.GetFigures().GetFirstSelected() != nullptr; }
    // Ends a step that restyled figures in place (begun by BeginOwn): the canvas is told. True
    // when it was the step's own and changed something.
    bool EndRestyle(bool own);

    CDrawing& m_drawing;
    std::function<void()> m_fnDone;
    CStyle m_newStyle; // the values of m_nNewStyleParts that new figures get
    unsigned m_nNewStyleParts = 0;
    CStyle m_copiedStyle; // Copy Style's, with the values its figure took
    unsigned m_nCopiedStyleParts = 0;
    CLabelPlacement m_newLabel; // what new labels get
};
