// CHistory: the undo and redo history of a figure list. A step keeps, for each figure it changed,
// the figure's other state and its list position, and the selection before and after, so undo
// and redo cost in proportion to what the step changed, never to the size of the drawing. A move
// keeps only which figures moved and by how much.
#pragma once

#include "canvas/PositionList.h"
#include "figures/FigureList.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

class CHistory {
public:
    static constexpr int kDefaultDepth = 1000;
    static constexpr std::size_t kDefaultMaxBytes = std::size_t{256} << 20;

    // The history of this list; depth steps are kept, the oldest dropped first, and fewer when
    // what they keep would take more than about maxBytes (the newest step is always kept).
    explicit CHistory(CFigureList& list, int depth = kDefaultDepth,
                      std::size_t maxBytes = kDefaultMaxBytes);
    CHistory(const CHistory&) = delete;
    CHistory& operator=(const CHistory&) = delete;

    // --- Recording one step. Begin before the first change, then make every change through
    // Touch, Insert or Remove, then Commit (or Abort to take the changes back).
    // mergeKey: a step whose key matches the previous step's, on the same selection, joins it
    // (consecutive arrow-key nudges); empty for a step of its own.
    void Begin(std::string name, std::string mergeKey = {});
    // The same, with the selection at Begin already known (its ascending positions).
    void Begin(std::string name, std::string mergeKey, std::vector<int> selectionBefore);
    bool IsRecording() const { return m_bRecording; }
    void SetName(std::string name) { m_open.strName = std::move(name); }
    // Call before the figure at index changes in place (moved, reshaped, new text): its state is
    // kept once per step. Figures the step inserted need none.
    void Touch(int index);
    // Puts a figure into the list at index (the end when index is out of range).
    void Insert(int index, std::unique_ptr<CFigure> figure);
    // Moves the figures at the given ascending positions by (dx, dy) pixels at the zoom, as
    // CFigure::MoveByPixels does, or by (dx, dy) page units, as CFigure::MoveBy does. The step
    // keeps the positions and the offsets, not the figures; undo still gives every point back
    // to the last bit.
    void MoveByPixels(const std::vector<int>& positions, int dx, int dy, double zoom);
    void MoveBy(const std::vector<int>& positions, double dx, double dy);
    // Sets the list's unit scale; the step keeps the one before.
    void SetUnitScale(double scale);
    // Takes the figure at index out of the list; the step keeps it for undo.
    void Remove(int index);
    // The same for the figures at the given ascending positions, in one pass over the list.
    void RemoveAt(const std::vector<int>& positions);
    // Ends the step. A step that changed no figure (every touched figure ended as it was) is
    // dropped and leaves the history as it was. True when the step was kept.
    bool Commit();
    // The same, with the selection at the end already known (its ascending positions).
    bool Commit(std::vector<int> selectionAfter);
    // Puts every figure the open step changed back, with the selection at Begin, and drops the
    // step.
    void Abort();

    // --- Undo and redo of whole steps; refused while a step is being recorded.
    bool CanUndo() const { return !m_bRecording && m_nDone > 0; }
    bool CanRedo() const { return !m_bRecording && m_nDone < static_cast<int>(m_steps.size()); }
    // The name of the step that undo or redo would take back or do again; empty when none.
    std::string GetUndoName() const;
    std::string GetRedoName() const;
    bool Undo();
    bool Redo();
    // The positions, ascending, of the figures that Undo (Redo) would change in place, besides
    // the selection; false when that step puts figures into the list or takes them out, or
    // changes the unit scale, or there is no such step.
    bool GetUndoTouched(std::vector<int>& out) const;
    bool GetRedoTouched(std::vector<int>& out) const;
    int GetUndoCount() const { return m_nDone; }
    int GetRedoCount() const { return static_cast<int>(m_steps.size()) - m_nDone; }
    // About how many bytes the kept steps take.
    std::size_t GetByteCount() const { return m_nBytes; }

    // --- The revision: a number that every change of the list's figures made or announced
    // through the history raises (changes, commits, aborts, undo, redo, Clear), so that what is
    // worked out from the figures can be kept until it changes. Selection alone does not count.
    std::uint64_t GetRevision() const { return m_nRevision; }
    // A figure changed in place without Touch: the figure the open step inserted and is still
    // shaping, or a change made from outside (tests, tools).
    void NoteChange() { ++m_nRevision; }

    // --- The saved state.
    // Forgets every step; the list as it is now counts as saved (a new or opened drawing).
    void Clear();
    // The list as it is now was saved. Saved in the middle of a step, it is a state that neither
    // the step's end nor its undo gives back.
    void MarkSaved();
    // Does the list differ from the state last saved: by done or undone steps, or by an open
    // step that already changed a figure or the printed scale?
    bool IsModified() const;

    // Are the two figures in the same state: kind, points, text, flags other than selection?
    static bool SameState(const CFigure& a, const CFigure& b);

private:
    bool OpenStepChanges() const;

    enum class EChange { Modified, Inserted, Removed, RemovedMany, Moved };
    // One figure's change. Modified: pFigure is the other state (the state before while the
    // step is done, the state after while it is undone), swapped in and out at nIndex.
    // Inserted: the figure went in at nIndex; pFigure holds it while the step is undone.
    // Removed: the figure left nIndex; pFigure holds it while the step is done.
    // RemovedMany: the figures left the positions of pMany, which holds them while it is done.
    // Moved: the figures at the positions of pMove were moved by its offsets, in order.
    struct SMany {
        std::vector<int> positions;
        std::vector<std::unique_ptr<CFigure>> figures;
    };
    // One offset of a move: pixels at nZoom, or page units when nZoom is 0.
    struct SOffset {
        double dx;
        double dy;
        double dZoom;
    };
    struct SMove {
        CPositionList positions;
        std::vector<SOffset> offsets;
        // Figures whose points the offsets taken back in floating point do not give exactly:
        // their order among the positions, and their points before the move (kMaxPoints each).
        std::vector<int> inexact;
        std::vector<CDoublePoint> inexactPoints;
        // While the step is open: the positions, the points before (kMaxPoints a figure), and
        // whether the move is closed (a later change of the step followed it).
        std::vector<int> openPositions;
        std::vector<CDoublePoint> before;
        bool bClosed = false;
        bool bChanged = false;
    };
    struct SChange {
        EChange eKind;
        int nIndex;
        std::unique_ptr<CFigure> pFigure;
        const CFigure* pLive; // the figure in the list while the step is recorded
        std::unique_ptr<SMany> pMany = nullptr;
        std::unique_ptr<SMove> pMove = nullptr;
    };
    struct SStep {
        std::string strName;
        std::string strMergeKey;
        std::vector<SChange> changes; // in the order they were made
        CPositionList selectionBefore;
        CPositionList selectionAfter;
        // A step that changed the unit scale: the scales before and after it.
        bool bScale = false;
        double dScaleBefore = 1.0, dScaleAfter = 1.0;
        std::size_t nBytes = 0; // BytesOf when it was kept
    };

    void Move(const std::vector<int>& positions, const SOffset& offset);
    void CloseMove();
    static void ApplyOffset(CFigure& f, const SOffset& o, bool forward);
    void UndoMove(SMove& move);
    void RedoMove(SMove& move);
    bool TryMergeMove(SStep& top, SStep& step);
    void SwapState(SChange& c);
    static bool GetTouched(const SStep& step, std::vector<int>& out);
    void UndoChanges(SStep& step);
    void RedoChanges(SStep& step);
    void ApplySelection(const CPositionList& positions);
    bool TryMerge(SStep& step);
    void Push(SStep&& step);
    void DropOldest();
    static std::size_t BytesOf(const SStep& step);
    static std::size_t BytesOf(const CFigure& figure);

    static constexpr int kNotReachable = -1;

    CFigureList& m_list;
    int m_nDepth;
    std::size_t m_nMaxBytes;
    std::size_t m_nBytes = 0;
    std::deque<SStep> m_steps;
    int m_nDone = 0;  // steps [0, m_nDone) are done, the rest can be redone
    int m_nSaved = 0; // m_nDone when the list was last saved, or kNotReachable
    bool m_bRecording = false;
    std::uint64_t m_nRevision = 0;
    SStep m_open;
    std::unordered_set<const CFigure*> m_touched; // touched or inserted by the open step
};
