// CDrawing: the commands that change the figures and the selection, the history's steps, and the
// change records they yield.
#include "canvas/Drawing.h"

#include <algorithm>

CDrawing::CDrawing() = default;

int CDrawing::IndexOf(const CFigure* figure) const {
    for (int i = 0; i < m_figures.GetCount(); ++i)
        if (m_figures.GetAt(i) == figure)
            return i;
    return -1;
}

bool CDrawing::IsBeyondPage(CSize page) const {
    const std::uint64_t revision = GetRevision();
    if (m_beyondPage && m_beyondPage->nRevision == revision && m_beyondPage->page == page)
        return m_beyondPage->bBeyond;
    // A unit of slack: a figure drawn along the page's edge, snapped to it, stays on the page.
    const CRect within{-1, -1, page.cx + 1, page.cy + 1};
    bool beyond = false;
    for (int i = 0; i < m_figures.GetCount() && !beyond; ++i) {
        const CFigure* f = m_figures.GetAt(i);
        if (!f->m_bVisible || f->IsGridLine())
            continue;
        const CRect r = f->GetBoundingRect(1.0);
        beyond = r.left < within.left || r.top < within.top || r.right > within.right ||
                 r.bottom > within.bottom;
    }
    m_beyondPage = SBeyondPage{revision, page, beyond};
    return beyond;
}

// --- The change under way

void CDrawing::StartChange() {
    if (m_bPending)
        return;
    m_bPending = true;
    m_pending = CChangeRecord{};
    m_pending.nRevisionBefore = GetRevision();
}

void CDrawing::NoteBefore(const CFigure* f) {
    StartChange();
    if (!f || m_noted.contains(f))
        return;
    m_noted.emplace(f, m_pending.figures.size());
    m_pending.figures.push_back({f, Measure(*f), {}});
}

void CDrawing::NoteCame(const CFigure* f) {
    StartChange();
    m_noted[f] = m_pending.figures.size();
    m_pending.figures.push_back({f, {}, {}});
}

void CDrawing::NoteGone(const CFigure* f) {
    NoteBefore(f);
    // The entry keeps the extent it had; the figure may be destroyed before the change is told.
    const auto it = m_noted.find(f);
    m_pending.figures[it->second].pFigure = nullptr;
    m_noted.erase(it);
}

void CDrawing::NoteChangedInPlace(int index) {
    StartChange();
    m_pending.changedInPlace.push_back(index);
}

void CDrawing::NoteAll() {
    StartChange();
    m_pending.bReplaced = true;
}

void CDrawing::Notify() {
    if (!m_bPending)
        return;
    m_bPending = false;
    m_noted.clear();
    CChangeRecord change = std::move(m_pending);
    m_pending = CChangeRecord{};
    for (CChangeRecord::SFigure& f : change.figures)
        if (f.pFigure)
            f.after = Measure(*f.pFigure);
    change.nRevisionAfter = GetRevision();
    change.bFigures = change.nRevisionAfter != change.nRevisionBefore || change.bReplaced;
    std::sort(change.changedInPlace.begin(), change.changedInPlace.end());
    change.changedInPlace.erase(
        std::unique(change.changedInPlace.begin(), change.changedInPlace.end()),
        change.changedInPlace.end());
    if (!change.bFigures && !change.bSelection && change.figures.empty())
        return;
    for (CDrawingListener* listener : m_listeners)
        listener->OnDrawingChanged(change);
}

std::vector<CDrawing::SShown> CDrawing::Shown() const {
    std::vector<SShown> shown;
    shown.reserve(static_cast<std::size_t>(m_figures.GetCount()));
    for (int i = 0; i < m_figures.GetCount(); ++i) {
        const CFigure* f = m_figures.GetAt(i);
        SShown& s = shown.emplace_back();
        s.pFigure = f;
        s.extent = Measure(*f);
        s.bSelected = f->m_bSelected;
        s.nPoints = f->ReadPoints(s.points);
    }
    return shown;
}

void CDrawing::NoteDifferences(const std::vector<SShown>& before) {
    StartChange();
    m_pending.bInPlace = false;
    m_pending.bSelection = true;
    std::unordered_map<const CFigure*, const SShown*> was;
    was.reserve(before.size());
    for (const SShown& s : before)
        was.emplace(s.pFigure, &s);
    for (const SShown& now : Shown()) {
        const auto it = was.find(now.pFigure);
        if (it == was.end()) {
            NoteCame(now.pFigure);
            continue;
        }
        const SShown& then = *it->second;
        if (then.extent != now.extent || then.bSelected != now.bSelected ||
            !std::equal(then.points, then.points + then.nPoints, now.points,
                        now.points + now.nPoints)) {
            if (!m_noted.contains(now.pFigure)) {
                m_noted.emplace(now.pFigure, m_pending.figures.size());
                m_pending.figures.push_back({now.pFigure, then.extent, {}});
            }
        }
        was.erase(it);
    }
    for (const auto& [figure, gone] : was) {
        // Gone, and perhaps destroyed: an entry noted before keeps its first extent.
        if (const auto it = m_noted.find(figure); it != m_noted.end()) {
            m_pending.figures[it->second].pFigure = nullptr;
            m_noted.erase(it);
        } else {
            m_pending.figures.push_back({nullptr, gone->extent, {}});
        }
    }
}

// --- Steps

void CDrawing::Begin(std::string name, std::string mergeKey) {
    m_history.Begin(std::move(name), std::move(mergeKey));
}

void CDrawing::Begin(std::string name, std::string mergeKey, std::vector<int> selectionBefore) {
    m_history.Begin(std::move(name), std::move(mergeKey), std::move(selectionBefore));
}

bool CDrawing::BeginOwn(const char* name, const char* mergeKey) {
    if (m_history.IsRecording())
        return false;
    m_history.Begin(name, mergeKey);
    return true;
}

// Closing a step changes no figure; the revision it raises is told, so that what follows the
// revision (the index) follows it without being built again.
bool CDrawing::Commit() {
    StartChange();
    return m_history.Commit();
}

bool CDrawing::Commit(std::vector<int> selectionAfter) {
    StartChange();
    return m_history.Commit(std::move(selectionAfter));
}

void CDrawing::Abort() {
    if (!m_history.IsRecording())
        return;
    const std::vector<SShown> before = Shown();
    m_history.Abort();
    NoteDifferences(before);
}

bool CDrawing::Undo() {
    return StepThroughHistory(true);
}

bool CDrawing::Redo() {
    return StepThroughHistory(false);
}

bool CDrawing::StepThroughHistory(bool undo) {
    if (undo ? !m_history.CanUndo() : !m_history.CanRedo())
        return false;
    const auto step = [&] { return undo ? m_history.Undo() : m_history.Redo(); };
    std::vector<int> touched;
    if (!(undo ? m_history.GetUndoTouched(touched) : m_history.GetRedoTouched(touched))) {
        // Figures come or go: whatever differs afterwards is found by comparing.
        const std::vector<SShown> before = Shown();
        if (!step())
            return false;
        NoteDifferences(before);
        return true;
    }
    // Figures changed in place and the selection is all that may look different: only those
    // figures are noted, before and after.
    const auto note = [&] {
        for (int i = 0; i < m_figures.GetCount(); ++i)
            if (const CFigure* f = m_figures.GetAt(i); f->m_bSelected)
                NoteBefore(f);
        for (const int i : touched)
            if (const CFigure* f = m_figures.GetAt(i))
                NoteBefore(f);
    };
    note();
    if (!step())
        return false;
    note();
    m_pending.bSelection = true;
    m_pending.changedInPlace.insert(m_pending.changedInPlace.end(), touched.begin(), touched.end());
    return true;
}

// --- Changes of figures

CFigure& CDrawing::Change(int index) {
    CFigure* f = m_figures.GetAt(index);
    NoteBefore(f);
    m_history.Touch(index);
    m_pending.changedInPlace.push_back(index);
    return *f;
}

CFigure& CDrawing::Shape(int index) {
    CFigure* f = m_figures.GetAt(index);
    NoteBefore(f);
    m_history.NoteChange();
    m_pending.changedInPlace.push_back(index);
    return *f;
}

void CDrawing::Insert(int index, std::unique_ptr<CFigure> figure) {
    if (!figure)
        return;
    StartChange();
    if (index >= 0 && index < m_figures.GetCount())
        m_pending.bInPlace = false; // the figures above it move up
    const CFigure* raw = figure.get();
    m_history.Insert(index, std::move(figure));
    NoteCame(raw);
}

void CDrawing::RemoveAt(const std::vector<int>& positions) {
    if (positions.empty())
        return;
    StartChange();
    m_pending.bInPlace = false;
    for (const int i : positions)
        if (const CFigure* f = m_figures.GetAt(i))
            NoteGone(f);
    m_history.RemoveAt(positions);
}

void CDrawing::MoveByPixels(const std::vector<int>& positions, int dx, int dy, double zoom) {
    for (const int i : positions)
        NoteBefore(m_figures.GetAt(i));
    m_history.MoveByPixels(positions, dx, dy, zoom);
    m_pending.changedInPlace.insert(m_pending.changedInPlace.end(), positions.begin(),
                                    positions.end());
}

void CDrawing::MoveBy(const std::vector<int>& positions, double dx, double dy) {
    for (const int i : positions)
        NoteBefore(m_figures.GetAt(i));
    m_history.MoveBy(positions, dx, dy);
    m_pending.changedInPlace.insert(m_pending.changedInPlace.end(), positions.begin(),
                                    positions.end());
}

void CDrawing::SetUnitScale(double scale) {
    StartChange();
    m_history.SetUnitScale(scale);
}

void CDrawing::SetGridVisible(bool visible) {
    for (int i = 0; i < m_figures.GetCount(); ++i)
        if (const CFigure* f = m_figures.GetAt(i); f->IsGridLine() && f->m_bVisible != visible)
            NoteBefore(f);
    m_figures.SetGridVisible(visible);
}

void CDrawing::ReplaceAll(CFigureList&& next) {
    StartChange();
    m_noted.clear();
    m_pending.figures.clear();
    m_pending.bReplaced = true;
    m_pending.bInPlace = false;
    m_pending.bSelection = true;
    m_figures.Swap(next);
    m_history.Clear();
}

// --- Selection

void CDrawing::Select(int index, bool selected) {
    CFigure* f = m_figures.GetAt(index);
    if (!f || f->m_bSelected == selected)
        return;
    NoteBefore(f);
    m_pending.bSelection = true;
    f->m_bSelected = selected;
}

void CDrawing::ClearSelection() {
    for (int i = 0; i < m_figures.GetCount(); ++i)
        Select(i, false);
}

void CDrawing::SelectAll() {
    for (int i = 0; i < m_figures.GetCount(); ++i)
        Select(i, m_figures.GetAt(i)->m_bSelectable);
}

void CDrawing::SelectLast() {
    if (m_figures.GetCount() > 0)
        Select(m_figures.GetCount() - 1, true);
}

void CDrawing::SelectInRect(const CRect& rect, double zoom) {
    for (int i = m_figures.GetCount() - 1; i >= 0; --i)
        if (const CFigure* f = m_figures.GetAt(i);
            f->m_bSelectable && !f->m_bSelected && f->IntersectsRect(rect, zoom))
            Select(i, true);
}

void CDrawing::Grab(const CFigure* figure) {
    m_figures.ClearGrabbed();
    if (CFigure* f = m_figures.GetAt(IndexOf(figure)))
        f->m_bEditing = true;
}
