// CHistory: recording, undoing and redoing steps, merging nudges, and the saved state.
#include "canvas/History.h"

#include "figures/TextFigures.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <typeinfo>

CHistory::CHistory(CFigureList& list, int depth, std::size_t maxBytes)
    : m_list(list), m_nDepth(std::max(depth, 1)), m_nMaxBytes(maxBytes) {}

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
    m_open.selectionBefore = CPositionList(selectionBefore);
    m_touched.clear();
    m_bRecording = true;
}

void CHistory::Touch(int index) {
    ++m_nRevision; // the change follows
    const CFigure* figure = m_list.GetAt(index);
    if (!m_bRecording || !figure || !m_touched.insert(figure).second)
        return;
    CloseMove();
    m_open.changes.push_back({EChange::Modified, index, figure->Clone(), figure});
}

void CHistory::Insert(int index, std::unique_ptr<CFigure> figure) {
    if (!figure)
        return;
    if (index < 0 || index > m_list.GetCount())
        index = m_list.GetCount();
    const CFigure* raw = figure.get();
    if (m_bRecording)
        CloseMove();
    ++m_nRevision;
    m_list.InsertAt(index, std::move(figure));
    if (!m_bRecording)
        return;
    m_touched.insert(raw);
    m_open.changes.push_back({EChange::Inserted, index, nullptr, raw});
}

void CHistory::Remove(int index) {
    if (m_bRecording)
        CloseMove();
    ++m_nRevision;
    std::unique_ptr<CFigure> figure = m_list.Release(index);
    if (!figure || !m_bRecording)
        return;
    const CFigure* raw = figure.get();
    m_open.changes.push_back({EChange::Removed, index, std::move(figure), raw});
}

void CHistory::RemoveAt(const std::vector<int>& positions) {
    if (positions.empty())
        return;
    if (m_bRecording)
        CloseMove();
    ++m_nRevision;
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
    ++m_nRevision;
    CloseMove();
    m_bRecording = false;
    m_touched.clear();
    // A figure that was touched but ended as it was is no change, nor is a move that left every
    // point where it was; taking their entries out leaves the others valid, as they moved nothing
    // in the list.
    std::erase_if(m_open.changes, [](const SChange& c) {
        return (c.eKind == EChange::Modified && SameState(*c.pFigure, *c.pLive)) ||
               (c.eKind == EChange::Moved && !c.pMove->bChanged);
    });
    if (m_open.bScale && m_open.dScaleBefore == m_open.dScaleAfter)
        m_open.bScale = false;
    if (m_open.changes.empty() && !m_open.bScale) {
        m_open = SStep{};
        return false;
    }
    for (SChange& c : m_open.changes) {
        c.pLive = nullptr;
        if (c.pMove) {
            // What only undoing the open step needed goes.
            c.pMove->openPositions = std::vector<int>();
            c.pMove->before = std::vector<CDoublePoint>();
            c.pMove->offsets.shrink_to_fit();
            c.pMove->inexact.shrink_to_fit();
            c.pMove->inexactPoints.shrink_to_fit();
        }
    }
    m_open.selectionAfter = CPositionList(selectionAfter);
    // A new step ends every branch that was undone.
    for (auto it = m_steps.begin() + m_nDone; it != m_steps.end(); ++it)
        m_nBytes -= it->nBytes;
    m_steps.erase(m_steps.begin() + m_nDone, m_steps.end());
    if (m_nSaved > m_nDone)
        m_nSaved = kNotReachable;
    if (TryMerge(m_open)) {
        SStep& top = m_steps[static_cast<size_t>(m_nDone - 1)];
        m_nBytes -= top.nBytes;
        top.nBytes = BytesOf(top);
        m_nBytes += top.nBytes;
    } else {
        Push(std::move(m_open));
    }
    m_open = SStep{};
    return true;
}

void CHistory::Abort() {
    if (!m_bRecording)
        return;
    ++m_nRevision;
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
    if (TryMergeMove(top, step))
        return true;
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
    step.nBytes = BytesOf(step);
    m_nBytes += step.nBytes;
    m_steps.push_back(std::move(step));
    ++m_nDone;
    while (static_cast<int>(m_steps.size()) > m_nDepth ||
           (m_nBytes > m_nMaxBytes && m_steps.size() > 1))
        DropOldest();
}

void CHistory::DropOldest() {
    m_nBytes -= m_steps.front().nBytes;
    m_steps.pop_front();
    --m_nDone;
    if (m_nSaved != kNotReachable)
        --m_nSaved; // below zero: the saved state went with the oldest step
    if (m_nSaved < 0)
        m_nSaved = kNotReachable;
}

// Estimates, counted once when a step is kept: what a figure and its strings take, what a move's
// lists take.
std::size_t CHistory::BytesOf(const CFigure& figure) {
    std::size_t bytes = 256 + figure.m_strType.capacity() + figure.m_strTag.capacity() +
                        figure.m_strReadBlock.capacity() + figure.m_strRecoveredBlock.capacity();
    if (const std::string* text = GetFigureText(const_cast<CFigure&>(figure)))
        bytes += text->capacity();
    return bytes + figure.GetOwnByteCount();
}

std::size_t CHistory::BytesOf(const SStep& step) {
    std::size_t bytes = sizeof(SStep) + step.strName.capacity() + step.strMergeKey.capacity() +
                        step.selectionBefore.GetByteCount() + step.selectionAfter.GetByteCount() +
                        step.changes.capacity() * sizeof(SChange);
    for (const SChange& c : step.changes) {
        if (c.pFigure)
            bytes += BytesOf(*c.pFigure);
        if (c.pMany) {
            bytes += sizeof(SMany) + c.pMany->positions.capacity() * sizeof(int);
            for (const auto& f : c.pMany->figures)
                bytes += f ? BytesOf(*f) : 0;
        }
        if (c.pMove)
            bytes += sizeof(SMove) + c.pMove->positions.GetByteCount() +
                     c.pMove->offsets.capacity() * sizeof(SOffset) +
                     c.pMove->inexact.capacity() * sizeof(int) +
                     c.pMove->inexactPoints.capacity() * sizeof(CDoublePoint);
    }
    return bytes;
}

// --- Moves

void CHistory::MoveByPixels(const std::vector<int>& positions, int dx, int dy, double zoom) {
    Move(positions, {double(dx), double(dy), zoom});
}

void CHistory::MoveBy(const std::vector<int>& positions, double dx, double dy) {
    Move(positions, {dx, dy, 0.0});
}

void CHistory::ApplyOffset(CFigure& f, const SOffset& o, bool forward) {
    const double sign = forward ? 1.0 : -1.0;
    if (o.dZoom != 0.0)
        f.MoveByPixels(static_cast<int>(sign * o.dx), static_cast<int>(sign * o.dy), o.dZoom);
    else
        f.MoveBy(sign * o.dx, sign * o.dy);
}

// Consecutive moves of the same figures (the mouse moves of one drag) are one entry with a list of
// offsets. Figures the step keeps whole already (touched or inserted) are moved but not listed.
void CHistory::Move(const std::vector<int>& positions, const SOffset& offset) {
    ++m_nRevision;
    if (m_bRecording) {
        std::vector<int> listed;
        listed.reserve(positions.size());
        for (int i : positions)
            if (const CFigure* f = m_list.GetAt(i); f && !m_touched.contains(f))
                listed.push_back(i);
        SMove* move = !m_open.changes.empty() ? m_open.changes.back().pMove.get() : nullptr;
        if (!move || move->bClosed || move->openPositions != listed) {
            CloseMove();
            move = nullptr;
        }
        if (!move && !listed.empty()) {
            auto entry = std::make_unique<SMove>();
            entry->before.resize(listed.size() * CFigure::kMaxPoints);
            for (std::size_t k = 0; k < listed.size(); ++k)
                m_list.GetAt(listed[k])->ReadPoints(&entry->before[k * CFigure::kMaxPoints]);
            entry->openPositions = std::move(listed);
            move = entry.get();
            m_open.changes.push_back(
                {EChange::Moved, 0, nullptr, nullptr, nullptr, std::move(entry)});
        }
        if (move)
            move->offsets.push_back(offset);
    }
    for (int i : positions)
        if (CFigure* f = m_list.GetAt(i))
            ApplyOffset(*f, offset, true);
}

namespace {

// Bit for bit: -0.0 is not 0.0 here, as the saved text tells them apart.
bool SamePoints(const CDoublePoint* a, const CDoublePoint* b, int n) {
    return std::memcmp(a, b, sizeof(CDoublePoint) * static_cast<std::size_t>(n)) == 0;
}

} // namespace

// Ends the open step's last move before anything else changes: the figures are as the move left
// them. Taking the offsets back in floating point does not always give the points before to the
// last bit; the figures where it does not keep their points before.
void CHistory::CloseMove() {
    if (m_open.changes.empty() || !m_open.changes.back().pMove)
        return;
    SMove& move = *m_open.changes.back().pMove;
    if (move.bClosed)
        return;
    move.bClosed = true;
    CDoublePoint now[CFigure::kMaxPoints];
    CDoublePoint back[CFigure::kMaxPoints];
    for (std::size_t k = 0; k < move.openPositions.size(); ++k) {
        CFigure& f = *m_list.GetAt(move.openPositions[k]);
        const CDoublePoint* before = &move.before[k * CFigure::kMaxPoints];
        const int n = f.ReadPoints(now);
        move.bChanged = move.bChanged || !SamePoints(now, before, n);
        for (auto o = move.offsets.rbegin(); o != move.offsets.rend(); ++o)
            ApplyOffset(f, *o, false);
        f.ReadPoints(back);
        if (!SamePoints(back, before, n)) {
            move.inexact.push_back(static_cast<int>(k));
            move.inexactPoints.insert(move.inexactPoints.end(), before,
                                      before + CFigure::kMaxPoints);
        }
        f.WritePoints(now);
    }
    move.positions = CPositionList(move.openPositions);
}

void CHistory::UndoMove(SMove& move) {
    if (!move.before.empty()) {
        // The step is still open: the points before are at hand.
        for (std::size_t k = 0; k < move.openPositions.size(); ++k)
            m_list.GetAt(move.openPositions[k])->WritePoints(&move.before[k * CFigure::kMaxPoints]);
        return;
    }
    const std::vector<int> positions = move.positions.Decode();
    std::size_t next = 0; // the next of the figures that keep their points before
    for (std::size_t k = 0; k < positions.size(); ++k) {
        CFigure& f = *m_list.GetAt(positions[k]);
        if (next < move.inexact.size() && move.inexact[next] == static_cast<int>(k)) {
            f.WritePoints(&move.inexactPoints[next * CFigure::kMaxPoints]);
            ++next;
            continue;
        }
        for (auto o = move.offsets.rbegin(); o != move.offsets.rend(); ++o)
            ApplyOffset(f, *o, false);
    }
}

// The figures are as they were before the move, to the last bit, so the same offsets in the same
// order give the same points again.
void CHistory::RedoMove(SMove& move) {
    for (int i : move.positions.Decode()) {
        CFigure& f = *m_list.GetAt(i);
        for (const SOffset& o : move.offsets)
            ApplyOffset(f, o, true);
    }
}

// A step that is one move joins a previous step of moves: its offsets join the last move when it
// moves the same figures and its offsets undo exactly (undoing them gives the points that move
// left, and those undo as before); otherwise the move follows as an entry of its own.
bool CHistory::TryMergeMove(SStep& top, SStep& step) {
    if (step.changes.size() != 1 || !step.changes.front().pMove)
        return false;
    for (const SChange& c : top.changes)
        if (!c.pMove)
            return false;
    SMove& add = *step.changes.front().pMove;
    SMove* onto = top.changes.empty() ? nullptr : top.changes.back().pMove.get();
    if (onto && add.inexact.empty() && add.positions == onto->positions)
        onto->offsets.insert(onto->offsets.end(), add.offsets.begin(), add.offsets.end());
    else
        top.changes.push_back(std::move(step.changes.front()));
    top.selectionAfter = step.selectionAfter;
    return true;
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

void CHistory::SetUnitScale(double scale) {
    if (!m_bRecording)
        return;
    if (!m_open.bScale) {
        m_open.bScale = true;
        m_open.dScaleBefore = m_list.m_dUnitScale;
    }
    m_open.dScaleAfter = scale;
    m_list.m_dUnitScale = scale;
    ++m_nRevision;
}

void CHistory::UndoChanges(SStep& step) {
    if (step.bScale)
        m_list.m_dUnitScale = step.dScaleBefore;
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
        case EChange::Moved:
            UndoMove(*c.pMove);
            break;
        }
    }
}

void CHistory::RedoChanges(SStep& step) {
    if (step.bScale)
        m_list.m_dUnitScale = step.dScaleAfter;
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
        case EChange::Moved:
            RedoMove(*c.pMove);
            break;
        }
    }
}

// The grabbed mark belongs to a gesture, so none is left after a step is undone or redone.
void CHistory::ApplySelection(const CPositionList& selection) {
    const std::vector<int> positions = selection.Decode();
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
    ++m_nRevision;
    SStep& step = m_steps[static_cast<size_t>(m_nDone - 1)];
    UndoChanges(step);
    ApplySelection(step.selectionBefore);
    --m_nDone;
    return true;
}

bool CHistory::Redo() {
    if (!CanRedo())
        return false;
    ++m_nRevision;
    SStep& step = m_steps[static_cast<size_t>(m_nDone)];
    RedoChanges(step);
    ApplySelection(step.selectionAfter);
    ++m_nDone;
    return true;
}

bool CHistory::GetTouched(const SStep& step, std::vector<int>& out) {
    out.clear();
    if (step.bScale)
        return false;
    for (const SChange& c : step.changes) {
        if (c.eKind == EChange::Modified) {
            out.push_back(c.nIndex);
        } else if (c.eKind == EChange::Moved) {
            const std::vector<int> moved = c.pMove->positions.Decode();
            out.insert(out.end(), moved.begin(), moved.end());
        } else {
            return false;
        }
    }
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return true;
}

bool CHistory::GetUndoTouched(std::vector<int>& out) const {
    return CanUndo() && GetTouched(m_steps[static_cast<size_t>(m_nDone - 1)], out);
}

bool CHistory::GetRedoTouched(std::vector<int>& out) const {
    return CanRedo() && GetTouched(m_steps[static_cast<size_t>(m_nDone)], out);
}

std::string CHistory::GetUndoName() const {
    return CanUndo() ? m_steps[static_cast<size_t>(m_nDone - 1)].strName : std::string();
}

std::string CHistory::GetRedoName() const {
    return CanRedo() ? m_steps[static_cast<size_t>(m_nDone)].strName : std::string();
}

// --- Saved state

void CHistory::Clear() {
    ++m_nRevision; // a new or opened drawing
    m_steps.clear();
    m_nBytes = 0;
    m_nDone = 0;
    m_nSaved = 0;
    m_bRecording = false;
    m_open = SStep{};
    m_touched.clear();
}

// The open step has changed the drawing: a figure, or the printed scale (which a style command
// may change while a gesture holds the step open).
bool CHistory::OpenStepChanges() const {
    return m_bRecording && (!m_open.changes.empty() ||
                            (m_open.bScale && m_open.dScaleBefore != m_open.dScaleAfter));
}

void CHistory::MarkSaved() {
    m_nSaved = OpenStepChanges() ? kNotReachable : m_nDone;
}

bool CHistory::IsModified() const {
    return OpenStepChanges() || m_nDone != m_nSaved;
}

// --- Helpers

bool CHistory::SameState(const CFigure& a, const CFigure& b) {
    if (a.m_strType != b.m_strType || !SameBits(a.m_pt1, b.m_pt1) || !SameBits(a.m_pt2, b.m_pt2) ||
        a.m_nMinWidth != b.m_nMinWidth || a.m_nMinHeight != b.m_nMinHeight ||
        a.m_strTag != b.m_strTag || a.m_bSelectable != b.m_bSelectable ||
        a.m_bVisible != b.m_bVisible || a.m_nPenStyle != b.m_nPenStyle ||
        a.m_crColor != b.m_crColor || a.m_strReadBlock != b.m_strReadBlock ||
        a.m_strRecoveredBlock != b.m_strRecoveredBlock || !(a.m_style == b.m_style))
        return false;
    // The classes' own numbers, to the last bit, beyond what their blocks round.
    if (typeid(a) != typeid(b) || !a.HasSameOwnState(b))
        return false;
    const std::string* ta = GetFigureText(const_cast<CFigure&>(a));
    const std::string* tb = GetFigureText(const_cast<CFigure&>(b));
    if ((ta == nullptr) != (tb == nullptr) || (ta && *ta != *tb))
        return false;
    const double* ea = const_cast<CFigure&>(a).GetTextSize();
    const double* eb = const_cast<CFigure&>(b).GetTextSize();
    if ((ea == nullptr) != (eb == nullptr) || (ea && *ea != *eb))
        return false;
    // Whatever else a figure keeps (kept text, an image) shows in its block.
    return a.ExportTeX() == b.ExportTeX();
}
