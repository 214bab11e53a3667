#include "canvas/Damage.h"

#include <algorithm>
#include <limits>

namespace {

bool IsEmpty(const CRect& r) {
    return r.left >= r.right || r.top >= r.bottom;
}

double Area(const CRect& r) {
    return (double(r.right) - r.left) * (double(r.bottom) - r.top);
}

} // namespace

CRect UnionRect(const CRect& a, const CRect& b) {
    if (IsEmpty(a))
        return b;
    if (IsEmpty(b))
        return a;
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
            std::max(a.bottom, b.bottom)};
}

void CDamage::Add(const CRect& r) {
    if (m_bAll || IsEmpty(r))
        return;
    for (const CRect& have : m_rects)
        if (UnionRect(have, r) == have)
            return;
    if (m_rects.size() < kMaxRects) {
        m_rects.push_back(r);
        return;
    }
    // Full: the rectangle joins the one it grows least, so scattered small changes stay small.
    auto best = m_rects.begin();
    double bestGrowth = std::numeric_limits<double>::infinity();
    for (auto it = m_rects.begin(); it != m_rects.end(); ++it) {
        const double growth = Area(UnionRect(*it, r)) - Area(*it);
        if (growth < bestGrowth) {
            bestGrowth = growth;
            best = it;
        }
    }
    *best = UnionRect(*best, r);
}
