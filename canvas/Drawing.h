// CDrawing: the document. It owns the figures (with the printed scale and the file's text around
// them), the selection and the history; every change of them is one of its commands, and what a
// change did is told to the listeners as one change record, so no command keeps damage, index or
// panels up to date by hand.
#pragma once

#include "canvas/History.h"
#include "figures/FigureList.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

// What one change did: every figure that came, went, changed or was selected or unselected, with
// its extent before and after (as the drawing's measure gives it; empty where it was not or is
// no more), and the revisions around it.
struct CChangeRecord {
    struct SFigure {
        const CFigure* pFigure; // null once the figure has left the list
        CRect before;
        CRect after;
    };
    std::vector<SFigure> figures;
    // Figures changed in place, by position; with bInPlace, the only changes of the list besides
    // figures appended at its end.
    std::vector<int> changedInPlace;
    bool bInPlace = true;
    bool bFigures = false;   // the figures changed (the revision moved)
    bool bSelection = false; // the selection changed
    bool bReplaced = false;  // the whole drawing was replaced: everything is new
    std::uint64_t nRevisionBefore = 0;
    std::uint64_t nRevisionAfter = 0;
};

class CDrawingListener {
public:
    virtual ~CDrawingListener() = default;
    virtual void OnDrawingChanged(const CChangeRecord& change) = 0;
};

class CDrawing {
public:
    // Where a figure shows, for the change records (the view's pixels of it; empty when hidden).
    using CMeasure = std::function<CRect(const CFigure&)>;

    CDrawing();
    CDrawing(const CDrawing&) = delete;
    CDrawing& operator=(const CDrawing&) = delete;

    void SetMeasure(CMeasure measure) { m_fnMeasure = std::move(measure); }
    void AddListener(CDrawingListener* listener) { m_listeners.push_back(listener); }

    const CFigureList& GetFigures() const { return m_figures; }
    const CHistory& GetHistory() const { return m_history; }
    std::uint64_t GetRevision() const { return m_history.GetRevision(); }
    double GetUnitScale() const { return m_figures.m_dUnitScale; }
    int IndexOf(const CFigure* figure) const;
    // Does a figure reach beyond the page of size page units? Worked out once a revision.
    bool IsBeyondPage(CSize page) const;

    // --- Steps. A step opened here is closed by Commit or Abort; BeginOwn opens one only when
    // none is open (a key during a drag joins the drag's step) and says whether it did.
    void Begin(std::string name, std::string mergeKey = {});
    void Begin(std::string name, std::string mergeKey, std::vector<int> selectionBefore);
    bool BeginOwn(const char* name, const char* mergeKey = "");
    bool IsRecording() const { return m_history.IsRecording(); }
    void SetStepName(std::string name) { m_history.SetName(std::move(name)); }
    bool Commit();
    bool Commit(std::vector<int> selectionAfter);
    // Puts back everything the open step changed, with its selection.
    void Abort();
    bool Undo();
    bool Redo();
    void MarkSaved() { m_history.MarkSaved(); }
    // Forgets every step: the drawing as it is counts as saved.
    void ClearHistory() { m_history.Clear(); }

    // --- Changes of figures.
    // The figure at index, to be changed in place now: the step keeps its state once.
    CFigure& Change(int index);
    // The figure the open step inserted and is still shaping: it changes without a kept state.
    CFigure& Shape(int index);
    void Insert(int index, std::unique_ptr<CFigure> figure);
    void Append(std::unique_ptr<CFigure> figure) {
        Insert(m_figures.GetCount(), std::move(figure));
    }
    void RemoveAt(const std::vector<int>& positions);
    void MoveByPixels(const std::vector<int>& positions, int dx, int dy, double zoom);
    void MoveBy(const std::vector<int>& positions, double dx, double dy);
    void SetUnitScale(double scale);
    // The grid's lines shown or hidden: the drawing's own lines, not a step.
    void SetGridVisible(bool visible);
    // A new drawing in place of this one, with no history; the grid and the start figures are the
    // caller's.
    void ReplaceAll(CFigureList&& next);

    // --- The selection: the figures' selected flags, set only here.
    void Select(int index, bool selected);
    void ClearSelection();
    void SelectAll();
    void SelectLast();
    // Selects every selectable figure whose outline touches the page-pixel rectangle; the others
    // keep their state.
    void SelectInRect(const CRect& rect, double zoom);
    // The figure the gesture works on (its editing flag); null clears it.
    void Grab(const CFigure* figure);

    // Ends the change under way: the figures it noted are measured again and every listener is
    // told. Nothing is told when nothing changed.
    void Notify();
    // Everything shown must be measured again (a new drawing, a new view of the grid).
    void NoteAll();

    // For the canvas's own tools and tests: the list to change through a command above. A change
    // made through it must be announced with NoteChangedInPlace.
    CFigureList& EditFigures() { return m_figures; }
    void NoteChangedInPlace(int index);
    // Figures were changed through EditFigures without a command: what follows the revision is
    // worked out again.
    void NoteChangedOutside() { m_history.NoteChange(); }

private:
    struct SShown {
        const CFigure* pFigure;
        CRect extent;
        bool bSelected;
        CDoublePoint points[CFigure::kMaxPoints];
        int nPoints;
    };
    CRect Measure(const CFigure& f) const { return m_fnMeasure ? m_fnMeasure(f) : CRect{}; }
    // The figure is about to change (or go): its extent before is kept once for the change.
    void NoteBefore(const CFigure* f);
    void NoteGone(const CFigure* f);
    void NoteCame(const CFigure* f);
    void StartChange();
    std::vector<SShown> Shown() const;
    // Notes whatever differs from before: undo, redo and abort put back figures the step kept.
    void NoteDifferences(const std::vector<SShown>& before);
    bool StepThroughHistory(bool undo);

    CFigureList m_figures;
    CHistory m_history{m_figures};
    CMeasure m_fnMeasure;
    std::vector<CDrawingListener*> m_listeners;
    // The change under way.
    CChangeRecord m_pending;
    std::unordered_map<const CFigure*, std::size_t> m_noted; // figure -> entry of m_pending
    bool m_bPending = false;
    struct SBeyondPage {
        std::uint64_t nRevision;
        CSize page;
        bool bBeyond;
    };
    mutable std::optional<SBeyondPage> m_beyondPage;
};
