#include "figures/FigureList.h"

#include <string>

#include <algorithm>

void CFigureList::Add(std::unique_ptr<CFigure> figure) {
    if (figure)
        m_figures.push_back(std::move(figure));
}

const CFigure* CFigureList::GetAt(int i) const {
    if (i < 0 || i >= GetCount())
        return nullptr;
    return m_figures[static_cast<size_t>(i)].get();
}

std::vector<int> CFigureList::SelectedPositions() const {
    // Figures live scattered over the heap, so this walk waits on memory, not on the CPU: the
    // figure a good way ahead is asked for early, so that several loads are under way at once.
    constexpr size_t kAhead = 32;
    std::vector<int> positions;
    const size_t n = m_figures.size();
    for (size_t i = 0; i < n; ++i) {
        // The line the flag lies in: a figure's flags come after its strings, a line or two
        // past the start of the object.
        if (i + kAhead < n)
            __builtin_prefetch(&m_figures[i + kAhead]->m_bSelected);
        if (m_figures[i]->m_bSelected)
            positions.push_back(static_cast<int>(i));
    }
    return positions;
}

const CFigure* CFigureList::GetLast() const {
    return m_figures.empty() ? nullptr : m_figures.back().get();
}

void CFigureList::RemoveAndDelete(int i) {
    if (i < 0 || i >= GetCount())
        return;
    m_figures.erase(m_figures.begin() + i);
}

void CFigureList::DeleteAll() {
    m_figures.clear();
}

void CFigureList::ClearSelection() {
    for (auto& f : m_figures)
        f->m_bSelected = false;
}

void CFigureList::SelectLast() {
    if (!m_figures.empty())
        m_figures.back()->m_bSelected = true;
}

void CFigureList::ClearGrabbed() {
    for (auto& f : m_figures)
        f->m_bEditing = false;
}

const CFigure* CFigureList::GetGrabbed() const {
    for (const auto& f : m_figures)
        if (f->m_bEditing)
            return f.get();
    return nullptr;
}

const CFigure* CFigureList::GetFirstSelected() const {
    for (const auto& f : m_figures)
        if (f->m_bSelected)
            return f.get();
    return nullptr;
}

std::optional<CRect> CFigureList::SelectionBounds(double zoom, int dx, int dy) const {
    return BoundsAt(SelectedPositions(), zoom, dx, dy);
}

std::optional<CRect> CFigureList::BoundsAt(const std::vector<int>& positions, double zoom, int dx,
                                           int dy) const {
    std::optional<CRect> u;
    for (const int i : positions) {
        const CRect r = GetAt(i)->GetBoundingRect(zoom).Offset(dx, dy);
        u = u ? CRect{std::min(u->left, r.left), std::min(u->top, r.top),
                      std::max(u->right, r.right), std::max(u->bottom, r.bottom)}
              : r;
    }
    return u;
}

std::optional<std::pair<CDoublePoint, CDoublePoint>> CFigureList::SelectionPointRange() const {
    return PointRangeAt(SelectedPositions());
}

std::optional<std::pair<CDoublePoint, CDoublePoint>>
CFigureList::PointRangeAt(const std::vector<int>& positions) const {
    std::optional<std::pair<CDoublePoint, CDoublePoint>> range;
    CDoublePoint points[CFigure::kMaxPoints];
    for (const int at : positions) {
        const int n = GetAt(at)->ReadPoints(points);
        for (int i = 0; i < n; ++i) {
            const CDoublePoint& p = points[i];
            if (!range)
                range.emplace(p, p);
            range->first = {std::min(range->first.x, p.x), std::min(range->first.y, p.y)};
            range->second = {std::max(range->second.x, p.x), std::max(range->second.y, p.y)};
        }
    }
    return range;
}

const CFigure* CFigureList::HitTest(int x, int y, double zoom) const {
    // From the top down: the figure the user sees on top is the one picked.
    for (auto it = m_figures.rbegin(); it != m_figures.rend(); ++it)
        if ((*it)->m_bSelectable && (*it)->HitTest({x, y}, zoom))
            return it->get();
    return nullptr;
}

void CFigureList::SelectInRect(const CRect& rect, double zoom) {
    for (auto it = m_figures.rbegin(); it != m_figures.rend(); ++it)
        if ((*it)->m_bSelectable && (*it)->IntersectsRect(rect, zoom))
            (*it)->m_bSelected = true;
}

void CFigureList::DrawAll(CDrawSurface& dc, double zoom, int originX, int originY) const {
    for (const auto& f : m_figures)
        f->Paint(dc, zoom, originX, originY);
}

std::string CFigureList::GetTeXDrawText() const {
    // Every block is written straight onto the end of the one text.
    std::string text;
    text.reserve(m_figures.size() * 256);
    for (const auto& f : m_figures)
        f->AppendTeXDrawBlock(text);
    return text;
}

void CFigureList::SetGridVisible(bool visible) {
    for (auto& f : m_figures)
        if (f->IsGridLine())
            f->m_bVisible = visible;
}

void CFigureList::Swap(CFigureList& other) noexcept {
    m_figures.swap(other.m_figures);
    std::swap(m_dUnitScale, other.m_dUnitScale);
    std::swap(m_bForeign, other.m_bForeign);
    m_strBefore.swap(other.m_strBefore);
    m_strAfter.swap(other.m_strAfter);
    std::swap(m_ptTeXDrawOrigin, other.m_ptTeXDrawOrigin);
    std::swap(m_nDrawing, other.m_nDrawing);
    m_pNewFigureFrame.swap(other.m_pNewFigureFrame);
}

void CFigureList::InsertAt(int i, std::unique_ptr<CFigure> figure) {
    if (!figure)
        return;
    if (i < 0 || i > GetCount())
        i = GetCount();
    m_figures.insert(m_figures.begin() + i, std::move(figure));
}

std::unique_ptr<CFigure> CFigureList::Release(int i) {
    if (i < 0 || i >= GetCount())
        return nullptr;
    std::unique_ptr<CFigure> figure = std::move(m_figures[static_cast<size_t>(i)]);
    m_figures.erase(m_figures.begin() + i);
    return figure;
}

void CFigureList::Append(CFigureList&& other) {
    m_figures.reserve(m_figures.size() + other.m_figures.size());
    for (auto& f : other.m_figures)
        m_figures.push_back(std::move(f));
    other.m_figures.clear();
}

std::unique_ptr<CFigure> CFigureList::Exchange(int i, std::unique_ptr<CFigure> figure) {
    if (i < 0 || i >= GetCount() || !figure)
        return figure;
    m_figures[static_cast<size_t>(i)].swap(figure);
    return figure;
}

std::vector<std::unique_ptr<CFigure>> CFigureList::ReleaseAt(const std::vector<int>& positions) {
    std::vector<std::unique_ptr<CFigure>> out;
    out.reserve(positions.size());
    size_t kept = 0;
    size_t next = 0;
    for (size_t i = 0; i < m_figures.size(); ++i) {
        while (next < positions.size() && positions[next] < static_cast<int>(i))
            ++next;
        if (next < positions.size() && positions[next] == static_cast<int>(i)) {
            out.push_back(std::move(m_figures[i]));
            ++next;
        } else {
            m_figures[kept++] = std::move(m_figures[i]);
        }
    }
    m_figures.resize(kept);
    return out;
}

void CFigureList::InsertAt(const std::vector<int>& positions,
                           std::vector<std::unique_ptr<CFigure>> figures) {
    const size_t total = m_figures.size() + figures.size();
    if (positions.size() != figures.size())
        return;
    for (size_t k = 0; k < positions.size(); ++k)
        if (positions[k] < 0 || static_cast<size_t>(positions[k]) >= total ||
            (k > 0 && positions[k] <= positions[k - 1]) || !figures[k])
            return;
    std::vector<std::unique_ptr<CFigure>> merged;
    merged.reserve(total);
    size_t from = 0;
    size_t next = 0;
    for (size_t i = 0; i < total; ++i) {
        if (next < positions.size() && static_cast<size_t>(positions[next]) == i)
            merged.push_back(std::move(figures[next++]));
        else
            merged.push_back(std::move(m_figures[from++]));
    }
    m_figures.swap(merged);
}
