// CHistory: recording, undoing and redoing steps, merging nudges, and the saved state.
#include "canvas/History.h"

#include "figures/FramedFigure.h"
#include "figures/TextFigures.h"

#include <algorithm>
#include <bit>
#include <cstdint>

CHistory::CHistory(CFigureList& list, int depth) : m_list(list), m_nDepth(std::max(depth, 1)) {}

// --- Recording

void CHistory::Begin(std::string name, std::string mergeKey) {
    Begin(std::move(name), std::move(mergeKey), m_list.SelectedPositions());
}

void CHistory::Begin(std::string name, std::string mergeKey, std::vector<int> selectionBefore) {
    if (m_bRecording)
        Commit();
    m_open = SStep{};
    m_open.strName = std::move(name);
    m_open.strMergeKey = std::move(mergeKey);
    m_open.selectionBefore = std::move(selectionBefore);
    m_touched.clear();
    m_bRecording = true;
}

void CHistory::Touch(int index) {
    const CFigure* figure = m_list.GetAt(index);
    if (!m_bRecording || !figure || !m_touched.insert(figure).second)
        return;
    m_open.changes.push_back({EChange::Modified, index, figure->Clone(), figure});
}

void CHistory::Insert(int index, std::unique_ptr<CFigure> figure) {
    if (!figure)
        return;
    if (index < 0 || index > m_list.GetCount())
        index = m_list.GetCount();
    const CFigure* raw = figure.get();
    m_list.InsertAt(index, std::move(figure));
    if (!m_bRecording)
        return;
    m_touched.insert(raw);
    m_open.changes.push_back({EChange::Inserted, index, nullptr, raw});
}

void CHistory::Remove(int index) {
    std::unique_ptr<CFigure> figure = m_list.Release(index);
    if (!figure || !m_bRecording)
        return;
    const CFigure* raw = figure.get();
    m_open.changes.push_back({EChange::Removed, index, std::move(figure), raw});
}

void CHistory::RemoveAt(const std::vector<int>& positions) {
    if (positions.empty())
        return;
    auto many = std::make_unique<SMany>();
    many->positions = positions;
    many->figures = m_list.ReleaseAt(positions);
    if (!m_bRecording)
        return;
    m_open.changes.push_back({EChange::RemovedMany, 0, nullptr, nullptr, std::move(many)});
}

bool CHistory::Commit() {
    return m_bRecording && Commit(m_list.SelectedPositions());
}

bool CHistory::Commit(std::vector<int> selectionAfter) {
    if (!m_bRecording)
        return false;
    m_bRecording = false;
    m_touched.clear();
    // A figure that was touched but ended as it was is no change; taking its entry out leaves
    // the others valid, as it moved nothing in the list.
    std::erase_if(m_open.changes, [](const SChange& c) {
        return c.eKind == EChange::Modified && SameState(*c.pFigure, *c.pLive);
    });
    if (m_open.changes.empty()) {
        m_open = SStep{};
        return false;
    }
    for (SChange& c : m_open.changes)
        c.pLive = nullptr;
    m_open.selectionAfter = std::move(selectionAfter);
    // A new step ends every branch that was undone.
    m_steps.erase(m_steps.begin() + m_nDone, m_steps.end());
    if (m_nSaved > m_nDone)
        m_nSaved = kNotReachable;
    if (!TryMerge(m_open))
        Push(std::move(m_open));
    m_open = SStep{};
    return true;
}

void CHistory::Abort() {
    if (!m_bRecording)
        return;
    m_bRecording = false;
    m_touched.clear();
    UndoChanges(m_open);
    ApplySelection(m_open.selectionBefore);
    m_open = SStep{};
}

// A step joins the previous one when both carry the same key, the selection is the one the
// previous step left and stays the same, and the step only changes figures the previous one
// changed in place. The previous step's kept states are the older ones, so they stay.
bool CHistory::TryMerge(SStep& step) {
    if (step.strMergeKey.empty() || m_nDone == 0 || m_nSaved == m_nDone)
        return false;
    SStep& top = m_steps[static_cast<size_t>(m_nDone - 1)];
    if (top.strMergeKey != step.strMergeKey || top.selectionAfter != step.selectionBefore ||
        step.selectionAfter != step.selectionBefore)
        return false;
    std::vector<int> indices;
    for (const SChange& c : top.changes) {
        if (c.eKind != EChange::Modified)
            return false;
        indices.push_back(c.nIndex);
    }
    std::sort(indices.begin(), indices.end());
    for (const SChange& c : step.changes)
        if (c.eKind != EChange::Modified ||
            !std::binary_search(indices.begin(), indices.end(), c.nIndex))
            return false;
    top.selectionAfter = step.selectionAfter;
    return true;
}

void CHistory::Push(SStep&& step) {
    m_steps.push_back(std::move(step));
    ++m_nDone;
    while (static_cast<int>(m_steps.size()) > m_nDepth) {
        m_steps.pop_front();
        --m_nDone;
        if (m_nSaved != kNotReachable)
            --m_nSaved; // below zero: the saved state went with the oldest step
        if (m_nSaved < 0)
            m_nSaved = kNotReachable;
    }
}

// --- Undo and redo

// The figure in the list takes the kept state and the entry keeps the one it had: the figure
// stays the same object, so nothing that points to it is left dangling.
void CHistory::SwapState(SChange& c) {
    CFigure* live = m_list.GetAt(c.nIndex);
    if (!live || !c.pFigure)
        return;
    std::unique_ptr<CFigure> had = live->Clone();
    live->CopyFrom(*c.pFigure);
    c.pFigure = std::move(had);
}

void CHistory::UndoChanges(SStep& step) {
    for (auto it = step.changes.rbegin(); it != step.changes.rend(); ++it) {
        SChange& c = *it;
        switch (c.eKind) {
        case EChange::Modified:
            SwapState(c);
            break;
        case EChange::Inserted:
            c.pFigure = m_list.Release(c.nIndex);
            break;
        case EChange::Removed:
            m_list.InsertAt(c.nIndex, std::move(c.pFigure));
            break;
        case EChange::RemovedMany:
            m_list.InsertAt(c.pMany->positions, std::move(c.pMany->figures));
            c.pMany->figures.clear();
            break;
        }
    }
}

void CHistory::RedoChanges(SStep& step) {
    for (SChange& c : step.changes) {
        switch (c.eKind) {
        case EChange::Modified:
            SwapState(c);
            break;
        case EChange::Inserted:
            m_list.InsertAt(c.nIndex, std::move(c.pFigure));
            break;
        case EChange::Removed:
            c.pFigure = m_list.Release(c.nIndex);
            break;
        case EChange::RemovedMany:
            c.pMany->figures = m_list.ReleaseAt(c.pMany->positions);
            break;
        }
    }
}

// The grabbed mark belongs to a gesture, so none is left after a step is undone or redone.
void CHistory::ApplySelection(const std::vector<int>& positions) {
    for (int i = 0; i < m_list.GetCount(); ++i) {
        CFigure* f = m_list.GetAt(i);
        f->m_bSelected = false;
        f->m_bEditing = false;
    }
    for (int i : positions)
        if (CFigure* f = m_list.GetAt(i))
            f->m_bSelected = true;
}

bool CHistory::Undo() {
    if (!CanUndo())
        return false;
    SStep& step = m_steps[static_cast<size_t>(m_nDone - 1)];
    UndoChanges(step);
    ApplySelection(step.selectionBefore);
    --m_nDone;
    return true;
}

bool CHistory::Redo() {
    if (!CanRedo())
        return false;
    SStep& step = m_steps[static_cast<size_t>(m_nDone)];
    RedoChanges(step);
    ApplySelection(step.selectionAfter);
    ++m_nDone;
    return true;
}

std::string CHistory::GetUndoName() const {
    return CanUndo() ? m_steps[static_cast<size_t>(m_nDone - 1)].strName : std::string();
}

std::string CHistory::GetRedoName() const {
    return CanRedo() ? m_steps[static_cast<size_t>(m_nDone)].strName : std::string();
}

// --- Saved state

void CHistory::Clear() {
    m_steps.clear();
    m_nDone = 0;
    m_nSaved = 0;
    m_bRecording = false;
    m_open = SStep{};
    m_touched.clear();
}

void CHistory::MarkSaved() {
    m_nSaved = m_bRecording && !m_open.changes.empty() ? kNotReachable : m_nDone;
}

bool CHistory::IsModified() const {
    return (m_bRecording && !m_open.changes.empty()) || m_nDone != m_nSaved;
}

// --- Helpers

namespace {

// Bit for bit: -0.0 is not 0.0 here, as the saved text tells them apart.
bool Same(const CDoublePoint& a, const CDoublePoint& b) {
    return std::bit_cast<std::uint64_t>(a.x) == std::bit_cast<std::uint64_t>(b.x) &&
           std::bit_cast<std::uint64_t>(a.y) == std::bit_cast<std::uint64_t>(b.y);
}

} // namespace

bool CHistory::SameState(const CFigure& a, const CFigure& b) {
    if (a.m_strType != b.m_strType || !Same(a.m_pt1, b.m_pt1) || !Same(a.m_pt2, b.m_pt2) ||
        a.m_nMinWidth != b.m_nMinWidth || a.m_nMinHeight != b.m_nMinHeight ||
        a.m_strTag != b.m_strTag || a.m_bSelectable != b.m_bSelectable ||
        a.m_bVisible != b.m_bVisible || a.m_nPenStyle != b.m_nPenStyle ||
        a.m_crColor != b.m_crColor || a.m_strReadBlock != b.m_strReadBlock ||
        a.m_strRecoveredBlock != b.m_strRecoveredBlock)
        return false;
    const auto* fa = dynamic_cast<const CFramedFigure*>(&a);
    const auto* fb = dynamic_cast<const CFramedFigure*>(&b);
    if ((fa == nullptr) != (fb == nullptr))
        return false;
    if (fa && (!Same(fa->m_pt3, fb->m_pt3) || !Same(fa->m_pt4, fb->m_pt4)))
        return false;
    const std::string* ta = GetFigureText(const_cast<CFigure&>(a));
    const std::string* tb = GetFigureText(const_cast<CFigure&>(b));
    if ((ta == nullptr) != (tb == nullptr) || (ta && *ta != *tb))
        return false;
    // Whatever else a figure keeps (kept text, an image) shows in its block.
    return a.ExportTeX() == b.ExportTeX();
}
