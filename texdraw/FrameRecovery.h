// The TeXDraw reader's frame recovery: the corners a box, ellipse or rhomb figure may have had,
// found back from the points (midpoints, ellipse arcs) and the centre its block wrote. Private to
// texdraw/.
#pragma once

#include "figures/Geometry.h"
#include "texdraw/BlockParser.h"

#include <vector>

namespace texdraw_reader {

// The four corners in the frame's cyclic order m_pt1 -> m_pt3 -> m_pt2 -> m_pt4.
struct CFrame {
    CDoublePoint p1, p3, p2, p4;
};

// A stored point that the blocks' rounding (int)(v + 0.5), toward zero, turns into p.
CDoublePoint Unrounded(CPoint p);
// A point read from a block that shows whole units, as those units.
CPoint Whole(CDoublePoint p);

// The candidate frames of a rectangle, ellipse or rhomb block, or of a text block around one,
// most likely first. Each candidate still has to write the block again to be taken.
std::vector<CFrame> BlockFrames(const CBlockData& d);

} // namespace texdraw_reader
