// CFigureIndex: the figures' paint extents at one zoom in an R-tree, so that painting a damaged
// rectangle and finding the figure under the pointer cost in proportion to what lies there, not
// to the size of the drawing. It answers exactly as a walk over the whole list would: the same
// figures, in list order (the painting order).
//
// The index follows the drawing's revision: whenever the revision differs from the one it was
// brought up to date for (or the zoom, the list or its length changed), the next question builds
// it again from the list. A change whose figures the caller knows (a drag step moving the
// selection, the figure being drawn) is taken in place instead through NoteChanged.
#pragma once

#include "figures/FigureList.h"

#include <cstdint>
#include <memory>
#include <vector>

class CFigureIndex {
public:
    CFigureIndex();
    ~CFigureIndex();
    CFigureIndex(const CFigureIndex&) = delete;
    CFigureIndex& operator=(const CFigureIndex&) = delete;

    // The positions, ascending, of the visible figures whose paint extent at the zoom meets rect
    // (page pixels, right and bottom exclusive), into out (cleared first).
    void FiguresMeeting(const CFigureList& list, double zoom, std::uint64_t revision,
                        const CRect& rect, std::vector<int>& out);
    // The topmost selectable figure that pt (page pixels) hits, as CFigureList::HitTest finds it.
    const CFigure* HitTest(const CFigureList& list, CPoint pt, double zoom, std::uint64_t revision);
    // Between revisions before and after, only the figures at the given positions changed (in
    // place) and figures were appended at the end of the list, if any. An index that was up to
    // date at before is brought up to date at after by replacing those figures' entries; any
    // other index is left to be built again at the next question.
    void NoteChanged(const CFigureList& list, const std::vector<int>& positions, double zoom,
                     std::uint64_t before, std::uint64_t after);
    // Forgets everything: the next question builds the index again.
    void Invalidate() { m_bValid = false; }

private:
    struct STree; // the R-tree (Boost.Geometry), kept out of the canvas's headers

    bool IsCurrent(const CFigureList& list, double zoom, std::uint64_t revision) const;
    void Update(const CFigureList& list, double zoom, std::uint64_t revision);

    std::unique_ptr<STree> m_pTree;
    std::vector<CRect> m_extents; // each figure's extent as the tree holds it, by position
    const CFigureList* m_pList = nullptr;
    double m_dZoom = 0.0;
    std::uint64_t m_nRevision = 0;
    bool m_bValid = false;
};
