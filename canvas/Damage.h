// CDamage: the client rectangles that changed since the canvas last painted. It keeps only a few:
// a change of many figures merges into fewer, larger rectangles, each of which the window paints
// with one pass over the figures.
#pragma once

#include "figures/Geometry.h"

#include <cstddef>
#include <vector>

class CDamage {
public:
    static constexpr std::size_t kMaxRects = 8;

    // An empty rectangle adds nothing.
    void Add(const CRect& r);
    // Everything changed (zoom, scrolling, a new drawing): the whole canvas is painted.
    void AddAll() { m_bAll = true; }
    bool IsAll() const { return m_bAll; }
    const std::vector<CRect>& GetRects() const { return m_rects; }
    void Clear() {
        m_rects.clear();
        m_bAll = false;
    }

private:
    std::vector<CRect> m_rects;
    bool m_bAll = false;
};

// The smallest rectangle holding both (either may be empty).
CRect UnionRect(const CRect& a, const CRect& b);
// Do the two rectangles (right and bottom exclusive) share a pixel?
inline bool RectsMeet(const CRect& a, const CRect& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}
