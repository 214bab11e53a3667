#include "canvas/FigureIndex.h"

#include "canvas/Damage.h"

#include <boost/geometry.hpp>
#include <boost/geometry/index/rtree.hpp>

#include <algorithm>
#include <iterator>
#include <utility>

namespace bgi = boost::geometry::index;

namespace {

using CPointD = boost::geometry::model::point<double, 2, boost::geometry::cs::cartesian>;
using CBox = boost::geometry::model::box<CPointD>;
using CEntry = std::pair<CBox, int>;

// Normalised, so that the tree's boxes are valid; the exact test is RectsMeet on the CRect.
CBox BoxOf(const CRect& r) {
    return {{double(std::min(r.left, r.right)), double(std::min(r.top, r.bottom))},
            {double(std::max(r.left, r.right)), double(std::max(r.top, r.bottom))}};
}

// Past this share of the drawing (and this many figures) changed at once, building the tree
// afresh is the cheaper way.
constexpr std::size_t kRebuildShare = 8;
constexpr std::size_t kAlwaysInPlace = 64;

} // namespace

struct CFigureIndex::STree {
    bgi::rtree<CEntry, bgi::quadratic<16>> tree;
    std::vector<CEntry> found; // a question's candidates, kept to spare the allocation
};

CFigureIndex::CFigureIndex() : m_pTree(std::make_unique<STree>()) {}

CFigureIndex::~CFigureIndex() = default;

bool CFigureIndex::IsCurrent(const CFigureList& list, double zoom, std::uint64_t revision) const {
    return m_bValid && m_pList == &list && m_dZoom == zoom && m_nRevision == revision &&
           m_extents.size() == static_cast<std::size_t>(list.GetCount());
}

void CFigureIndex::Update(const CFigureList& list, double zoom, std::uint64_t revision) {
    if (IsCurrent(list, zoom, revision))
        return;
    const int n = list.GetCount();
    m_extents.resize(static_cast<std::size_t>(n));
    std::vector<CEntry> entries;
    entries.reserve(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        const CRect r = list.GetAt(i)->GetPaintExtent(zoom);
        m_extents[static_cast<std::size_t>(i)] = r;
        entries.emplace_back(BoxOf(r), i);
    }
    // The packing constructor sorts the boxes into a well-filled tree in one go.
    m_pTree->tree = decltype(STree::tree)(entries.begin(), entries.end());
    m_pList = &list;
    m_dZoom = zoom;
    m_nRevision = revision;
    m_bValid = true;
}

void CFigureIndex::FiguresMeeting(const CFigureList& list, double zoom, std::uint64_t revision,
                                  const CRect& rect, std::vector<int>& out) {
    out.clear();
    Update(list, zoom, revision);
    m_pTree->found.clear();
    m_pTree->tree.query(bgi::intersects(BoxOf(rect)), std::back_inserter(m_pTree->found));
    for (const CEntry& e : m_pTree->found)
        if (RectsMeet(m_extents[static_cast<std::size_t>(e.second)], rect) &&
            list.GetAt(e.second)->m_bVisible)
            out.push_back(e.second);
    std::sort(out.begin(), out.end());
}

const CFigure* CFigureIndex::HitTest(const CFigureList& list, CPoint pt, double zoom,
                                     std::uint64_t revision) {
    Update(list, zoom, revision);
    m_pTree->found.clear();
    const CRect probe{pt.x, pt.y, pt.x + 1, pt.y + 1};
    m_pTree->tree.query(bgi::intersects(BoxOf(probe)), std::back_inserter(m_pTree->found));
    // From the top down, as the plain walk goes.
    std::sort(m_pTree->found.begin(), m_pTree->found.end(),
              [](const CEntry& a, const CEntry& b) { return a.second > b.second; });
    for (const CEntry& e : m_pTree->found) {
        const CFigure* f = list.GetAt(e.second);
        if (f->m_bSelectable && f->HitTest(pt, zoom))
            return f;
    }
    return nullptr;
}

void CFigureIndex::NoteChanged(const CFigureList& list, const std::vector<int>& positions,
                               double zoom, std::uint64_t before, std::uint64_t after) {
    if (!m_bValid || m_pList != &list || m_dZoom != zoom || m_nRevision != before)
        return void(m_bValid = false);
    const std::size_t n = static_cast<std::size_t>(list.GetCount());
    const std::size_t old = m_extents.size();
    const std::size_t changed = n - old + positions.size();
    if (n < old || (changed > kAlwaysInPlace && changed * kRebuildShare > n))
        return void(m_bValid = false);
    for (const int i : positions) {
        const auto at = static_cast<std::size_t>(i);
        if (i < 0 || at >= n)
            return void(m_bValid = false);
        if (at >= old)
            continue; // appended: below
        const CRect r = list.GetAt(i)->GetPaintExtent(zoom);
        if (r == m_extents[at])
            continue;
        m_pTree->tree.remove(CEntry{BoxOf(m_extents[at]), i});
        m_extents[at] = r;
        m_pTree->tree.insert(CEntry{BoxOf(r), i});
    }
    m_extents.resize(n);
    for (std::size_t at = old; at < n; ++at) {
        const int i = static_cast<int>(at);
        m_extents[at] = list.GetAt(i)->GetPaintExtent(zoom);
        m_pTree->tree.insert(CEntry{BoxOf(m_extents[at]), i});
    }
    m_nRevision = after;
}
