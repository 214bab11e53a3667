// CFigureList: the owning, ordered list of the drawing's figures; index 0 is the bottom.
#pragma once

#include "figures/Figure.h"

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class CFigureList {
public:
    void Add(std::unique_ptr<CFigure> figure);
    int GetCount() const { return static_cast<int>(m_figures.size()); }
    const CFigure* GetAt(int i) const;
    CFigure* GetAt(int i) { return Mutable(std::as_const(*this).GetAt(i)); }
    const CFigure* GetLast() const;
    CFigure* GetLast() { return Mutable(std::as_const(*this).GetLast()); }
    void RemoveAndDelete(int i);
    void DeleteAll();
    void ClearSelection();
    void SelectLast();
    void ClearGrabbed();
    const CFigure* GetGrabbed() const;
    CFigure* GetGrabbed() { return Mutable(std::as_const(*this).GetGrabbed()); }
    const CFigure* GetFirstSelected() const;
    CFigure* GetFirstSelected() { return Mutable(std::as_const(*this).GetFirstSelected()); }
    // The ascending positions of the selected figures.
    std::vector<int> SelectedPositions() const;
    // The union of the selected figures' bounding rectangles at the zoom, each shifted by
    // (dx, dy) pixels; nothing when no figure is selected.
    std::optional<CRect> SelectionBounds(double zoom, int dx, int dy) const;
    // The same for the figures at the given positions (the selection, found beforehand).
    std::optional<CRect> BoundsAt(const std::vector<int>& positions, double zoom, int dx,
                                  int dy) const;
    // The smallest and the largest coordinates, in page units, of the selected figures' points
    // (their ReadPoints); nothing when no selected figure has a point.
    std::optional<std::pair<CDoublePoint, CDoublePoint>> SelectionPointRange() const;
    std::optional<std::pair<CDoublePoint, CDoublePoint>>
    PointRangeAt(const std::vector<int>& positions) const;
    const CFigure* HitTest(int x, int y, double zoom) const;
    CFigure* HitTest(int x, int y, double zoom) {
        return Mutable(std::as_const(*this).HitTest(x, y, zoom));
    }
    void SelectInRect(const CRect& rect, double zoom);
    void DrawAll(CDrawSurface& dc, double zoom, int originX, int originY) const;
    std::string GetTeXDrawText() const;
    void SetGridVisible(bool visible);
    // Exchanges the contents with another list (a drawing read from a file replaces this one).
    void Swap(CFigureList& other) noexcept;
    // Puts the figure at index i (0..count; anything else appends it).
    void InsertAt(int i, std::unique_ptr<CFigure> figure);
    // Takes the figure at i out of the list and hands it over; nullptr when i is out of range.
    std::unique_ptr<CFigure> Release(int i);
    // Takes the figures at the given ascending positions out in one pass and hands them over in
    // that order; positions out of range are passed over.
    std::vector<std::unique_ptr<CFigure>> ReleaseAt(const std::vector<int>& positions);
    // The inverse: puts the figures in so that they stand at the given ascending positions
    // afterwards, in one pass. Nothing happens unless there is one figure per position and
    // every position fits.
    void InsertAt(const std::vector<int>& positions, std::vector<std::unique_ptr<CFigure>> figures);
    // Moves every figure of other to the end of this list, keeping their order; other is left
    // empty.
    void Append(CFigureList&& other);
    // Puts the figure at i in place of the one there, which is handed back; out of range, nothing
    // changes and the given figure comes back.
    std::unique_ptr<CFigure> Exchange(int i, std::unique_ptr<CFigure> figure);

    // How large the drawing prints: TeXDraw's unit scale, by which one page unit prints as
    // 0.01 in times it. It goes with the figures (Swap exchanges it too).
    double m_dUnitScale = 1.0;
    // A drawing another program or a person wrote keeps what stood around its figures: the text
    // before them (up to and with the drawing's opening) and after them, written back as read.
    // Not foreign: the editor's own header and footer.
    bool m_bForeign = false;
    std::string m_strBefore, m_strAfter;
    // Which drawing of its file a foreign drawing is (0 for the first): the others stand in the
    // text before and after it.
    int m_nDrawing = 0;
    // Where a foreign drawing's own origin lies on the page, page units: its figures were moved
    // by it onto the page when read, and a figure written anew is moved back by it.
    CDoublePoint m_ptTeXDrawOrigin;
    // Where a figure added to a foreign drawing is written: after all of it, in a frame of its own.
    std::shared_ptr<const CForeignFrame> m_pNewFigureFrame;

private:
    // The list owns its figures: a figure it hands out read-only may be handed out to change
    // through a list that may change.
    static CFigure* Mutable(const CFigure* f) { return const_cast<CFigure*>(f); }

    std::vector<std::unique_ptr<CFigure>> m_figures;
};
