// CQuodra: the drawing canvas. It owns the figures and the tool prototype, shows them through
// its viewport (page, zoom and scrolling), paints, runs the mouse gestures, keys, snapping and the
// editing commands, and reaches its window only through CCanvasHost.
#pragma once

#include "canvas/CanvasHost.h"
#include "canvas/Clipboard.h"
#include "canvas/CornerEdits.h"
#include "canvas/Damage.h"
#include "canvas/Drawing.h"
#include "canvas/FigureIndex.h"
#include "canvas/History.h"
#include "canvas/Styles.h"
#include "canvas/Tool.h"
#include "canvas/Viewport.h"
#include "figures/DrawSurface.h"
#include "figures/FigureList.h"
#include "figures/Geometry.h"
#include "figures/Polyline.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

// Modes of the canvas (m_nMode).
enum EMode : int { kModeSelect = 0, kModeZoom = 1, kModeDraw = 2 };

// Bits of the gesture state.
enum : int {
    kMousePressed = 0x1000,
    kMousePressedAgain = 0x0100,
    kMouseMoved = 0x0010,
    kMouseReleased = 0x0001,
};

// The gesture states (m_nMouseState): the combinations of the bits that occur.
enum EMouseState : int {
    kStateIdle = 0,
    kStateHovering = kMouseMoved,
    kStatePressed = kMousePressed,
    kStateDragging = kMousePressed | kMouseMoved,
    kStateClicked = kMousePressed | kMouseReleased,                 // released without a drag
    kStateDragEnded = kMousePressed | kMouseMoved | kMouseReleased, // released after a drag
    kStatePressedAgain = kMousePressed | kMousePressedAgain, // a second press before any move
    kStateReleasedAgain = kMousePressed | kMousePressedAgain | kMouseReleased,
};

// What a mouse message makes the canvas do; DecideAction picks one, Execute carries it out.
enum EAction : int {
    kActionNone = 0,
    kActionShowZoomBand = 1,    // zoom mode, dragging
    kActionZoomToBand = 2,      // zoom mode, released after a drag
    kActionStartFigure = 3,     // drawing mode, first move of the drag
    kActionDragFigure = 4,      // drawing mode, later moves
    kActionFinishFigure = 5,    // drawing mode, released after a drag
    kActionClearSelection = 6,  // press on empty paper
    kActionSelectPressed = 7,   // press on a handle, or on a body without Ctrl
    kActionTogglePressed = 8,   // Ctrl + press on a body
    kActionKeepSelection = 9,   // Ctrl + press on empty paper: nothing to do
    kActionShowSelectBand = 10, // dragging from empty paper
    kActionShowAddBand = 11,    // the same with Ctrl
    kActionSelectInBand = 12,   // released after dragging from empty paper
    kActionAddInBand = 13,      // the same with Ctrl
    kActionMoveSelection = 14,  // dragging a body
    kActionDragHandle = 15,     // dragging a handle
};

// m_nGrabbedHandle after a select-mode press that hit no figure (0 is a body, above 0 a handle).
constexpr int kGrabbedNothing = -1;

// The keys the canvas reacts to; every other key is Other and does nothing.
enum class EKey { Left, Up, Right, Down, Delete, NumPlus, NumMinus, Escape, Enter, Other };

struct CFileStamp;

class CQuodra : private CDrawingListener {
public:
    explicit CQuodra(CCanvasHost& host);
    CQuodra(const CQuodra&) = delete;
    CQuodra& operator=(const CQuodra&) = delete;
    ~CQuodra();

    // --- Commands of the view. Each one that changes what is shown repaints by itself.
    void SetMode(EMode mode); // kModeSelect or kModeZoom; kModeDraw only when a tool is set
    // Replaces the prototype of the drawing tool and enters drawing mode (null: no tool, mode
    // kept).
    void SetToolFigure(std::unique_ptr<CFigure> figure);
    void FitWidth();
    void FitHeight();
    void FitPage(); // fit width, then fit height with what that left; one repaint
    void ActualSize();
    void ZoomIn();  // keypad plus: twice the zoom around the client centre
    void ZoomOut(); // keypad minus: half the zoom around the client centre
    // Multiplies the zoom by factor (kept within [m_dZoomMin, m_dZoomMax]) so that the page point
    // under the client point stays under it where the scroll bars allow. False when the zoom
    // stays as it was.
    bool ZoomAbout(CPoint client, double factor);
    // Zooms so that the (square) rectangle in area pixels fills the smaller client side. Refused
    // (false) for an empty rectangle or when the zoom would leave [m_dZoomMin, m_dZoomMax].
    // Does not repaint: its callers (zoom keys, zoom-mode release) do.
    bool ZoomToRect(CRect rect, bool square);
    // The grid switch (command 149): shows or hides every grid line and remembers the choice.
    void SetGridVisible(bool visible);
    // Hides every grid line without changing the switch (command 150).
    void HideGrid();
    bool IsGridSwitchOn() const { return m_bGridVisible; }
    void Duplicate();
    void DeleteSelected();
    // Asks the host's set-text dialog for a text and puts it into the first selected text
    // rectangle or text ellipse; a cancelled dialog changes nothing.
    void ChangeText();
    // The corner and piece commands of the context menu.
    CCornerEdits& GetCornerEdits() { return m_cornerEdits; }
    const CCornerEdits& GetCornerEdits() const { return m_cornerEdits; }
    // Is a figure being drawn corner by corner (a polyline not yet finished)?
    bool IsPlacingCorners() const { return m_cornersTool.IsPlacing(); }
    // Is any gesture under way: a button held, or corners being placed?
    bool IsGestureUnderWay() const {
        return (int(m_nMouseState) & kMousePressed) != 0 || IsPlacingCorners();
    }

    // --- The drawing as text and as a file.
    std::string GetTeXDrawText() const;     // the blocks of all figures, bottom first
    std::string GetTeXDrawDocument() const; // header + blocks + footer
    // Writes the document; on failure returns false with a reason for the user in error. written,
    // when given, receives the stamp of the file as this save left it.
    bool WriteTeXDrawFile(const std::string& path, std::string& error,
                          CFileStamp* written = nullptr);

    // --- Whole-drawing operations of the application.
    // Back to the start: grid and start-up picture only, zoom 1.0, scrolled to the top left.
    void ResetDrawing();
    // Takes the user's figures read from a file: the canvas then holds its grid lines (visible
    // as the grid switch says), then these figures. The zoom is kept.
    void ReplaceFigures(CFigureList&& figures);
    // Does the drawing differ from the one last saved, opened or started? It follows the
    // history: undoing back to the saved state clears it.
    bool IsModified() const { return m_drawing.GetHistory().IsModified(); }
    // The drawing's revision: it changes with every change of the figures (steps, undo, redo,
    // texts, opening, a new drawing), never with the selection, zoom or scrolling. What is worked
    // out from the figures (the preview's document, the texts' warnings) is kept until it changes.
    std::uint64_t GetRevision() const { return m_drawing.GetRevision(); }
    // Does a figure reach beyond the page? LaTeX prints it where it lies, so the print is larger
    // than the page. Worked out once a revision.
    bool IsBeyondPage() const { return m_drawing.IsBeyondPage(m_viewport.GetPageSize()); }

    // --- History (QuodraUndo.cpp). Each user action that changes figures is one step.
    bool CanUndo() const { return m_drawing.GetHistory().CanUndo(); }
    bool CanRedo() const { return m_drawing.GetHistory().CanRedo(); }
    std::string GetUndoName() const { return m_drawing.GetHistory().GetUndoName(); }
    std::string GetRedoName() const { return m_drawing.GetHistory().GetRedoName(); }
    void Undo();
    void Redo();
    const CHistory& GetHistory() const { return m_drawing.GetHistory(); }
    // Escape during a drag: the figures go back to where they were at the press, nothing is
    // recorded, the capture is released and the gesture ends.
    void CancelGesture();

    // --- Styles of the selection and of new figures, labels' placement, the printed scale.
    CStyles& GetStyles() { return m_styles; }
    const CStyles& GetStyles() const { return m_styles; }
    double GetUnitScale() const { return m_drawing.GetUnitScale(); }

    // --- Selection and editing (QuodraEdit.cpp), and the clipboard.
    bool HasSelection() const;
    bool HasSelectableFigure() const;
    void SelectAll(); // every selectable figure: not the grid, not kept text
    // The figure alone selected, unless it is selected already (a right-click keeps a selection
    // it falls into). False when it is not in the drawing or not selectable.
    bool SelectFigure(const CFigure* figure);
    // Copy, cut and paste through the window's clipboard.
    CClipboard& GetClipboard() { return m_clipboard; }

    // --- Window events, in client pixels, as the widget forwards them.
    void UpdateScrollBars(int h, int v) { m_viewport.UpdateScrollBars(h, v); }
    void UpdateCentring() { m_viewport.UpdateCentring(); }
    void OnPaint(CDrawSurface& dc); // dc shows client pixels; the canvas sets the origin itself
    // Paints the client rectangle only, with the figures whose extent meets it; the caller clips
    // dc to it. What lies outside is left as the last painting made it.
    void OnPaint(CDrawSurface& dc, const CRect& client);
    // Has the view (zoom, scrolling, client size, centring) changed since the last painting? A
    // painting of part of the canvas would then not fit what is already there.
    bool IsViewChangedSincePaint() const;
    void OnResize(); // scroll to the top left, re-centre, repaint
    void OnHScroll(EScrollRequest request, int trackPos = 0);
    void OnVScroll(EScrollRequest request, int trackPos = 0);
    void OnLButtonDown(CPoint client, bool ctrl);
    void OnMouseMove(CPoint client);
    void OnLButtonUp(CPoint client);
    // A double-click arrives instead of the second button-down (the release that follows it
    // still goes to OnLButtonUp).
    void OnLButtonDblClk(CPoint client);
    void OnKeyDown(EKey key);
    // Decides the cursor shape and applies it through the host. While a button is held (the
    // mouse is captured) the shape is left as the gesture set it.
    void OnSetCursor();

    // The action for a mouse message: mode, gesture state after and before it, and
    // m_nGrabbedHandle (for a select-mode press: kGrabbedNothing, 0 a body, >0 the handle hit).
    static EAction DecideAction(EMode mode, EMouseState state, EMouseState prevState,
                                int grabbedHandle, bool ctrl);

    // The snap sequence on a page-pixel point at the current zoom, in place.
    void Snap(CPoint& pt) const;

    // --- Coordinate spaces and point tests (see CViewport).
    const CViewport& GetViewport() const { return m_viewport; }
    CPoint ClientToArea(CPoint p) const { return m_viewport.ClientToArea(p); }
    CPoint AreaToClient(CPoint p) const { return m_viewport.AreaToClient(p); }
    CPoint GetPageOrigin() const { return m_viewport.GetPageOrigin(); }
    CPoint AreaToPage(CPoint p) const { return m_viewport.AreaToPage(p); }
    CPoint PageToArea(CPoint p) const { return m_viewport.PageToArea(p); }
    CRect GetPaperRect() const { return m_viewport.GetPaperRect(); }
    CRect GetPageRect() const { return m_viewport.GetPageRect(); }
    bool IsOutsidePaper(CPoint area) const { return m_viewport.IsOutsidePaper(area); }
    CPoint ClampToPage(CPoint area) const { return m_viewport.ClampToPage(area); }

    // --- Where the figures lie, through the spatial index (QuodraPaint.cpp); both answer as the
    // walk over the whole list does.
    // The positions, ascending, of the visible figures whose paint extent meets the rectangle in
    // page pixels: what painting that rectangle paints.
    void FiguresMeeting(const CRect& page, std::vector<int>& out) const;
    // The topmost selectable figure hit at a page-pixel point (CFigureList::HitTest).
    const CFigure* FigureAt(CPoint page) const;

    // --- Read access for the view, the widget and tests.
    const CFigureList& GetFigures() const { return m_drawing.GetFigures(); }
    // The document, whose commands every change goes through.
    CDrawing& GetDrawing() { return m_drawing; }
    const CDrawing& GetDrawing() const { return m_drawing; }
    const CFigure* GetToolFigure() const { return m_pToolFigure.get(); }
    double GetZoom() const { return m_viewport.GetZoom(); }
    EMode GetMode() const { return m_nMode; }
    EMouseState GetMouseState() const { return m_nMouseState; }
    EMouseState GetPrevMouseState() const { return m_nPrevMouseState; }
    CPoint GetDownPoint() const { return m_ptDown; }
    CPoint GetCurrentPoint() const { return m_ptCurrent; }
    int GetGrabbedHandle() const { return m_nGrabbedHandle; }
    bool IsRubberBandShown() const { return m_bRubberBand; }
    ECursor GetCursor() const { return m_hCursor; }
    bool IsHScrollEnabled() const { return m_viewport.IsHScrollEnabled(); }
    bool IsVScrollEnabled() const { return m_viewport.IsVScrollEnabled(); }
    bool IsFirstPaintPending() const { return m_bFirstPaint; }
    int GetCenterLeft() const { return m_viewport.GetCenterLeft(); }
    int GetCenterTop() const { return m_viewport.GetCenterTop(); }
    int GetCenterRight() const { return m_viewport.GetCenterRight(); }
    int GetCenterBottom() const { return m_viewport.GetCenterBottom(); }
    CSize GetPageSizePx() const { return m_viewport.GetPageSizePx(); }
    CSize GetGridStepPx() const { return m_viewport.GetGridStepPx(); }

    // Snap switches; the view turns them over (commands 167, 168, 169).
    bool m_bSnapIntersections = false;
    bool m_bSnapKeyPoints = true;
    bool m_bSnapGrid = true;

    // Colours of the surroundings, the paper and the page.
    COLORREF m_clrOutside = RGB(160, 160, 160); // the usual button-shadow grey
    COLORREF m_clrPaper = RGB(144, 153, 174);
    COLORREF m_clrPage = RGB(255, 255, 255);

private:
    // The tools carry out the gestures on the canvas's state.
    friend class CSelectTool;
    friend class CZoomTool;
    friend class CDragTool;
    friend class CLabelTool;
    friend class CCornersTool;
    friend class CClipboard;
    friend class CCornerEdits;

    // Quodra.cpp
    void Repaint();
    double Zoom() const { return m_viewport.GetZoom(); }
    void EditStateChanged() { m_host.OnEditStateChanged(); }
    int IndexOf(const CFigure* figure) const { return m_drawing.IndexOf(figure); }
    // The drawing's change: damage and index follow it.
    void OnDrawingChanged(const CChangeRecord& change) override;
    bool IsToolCreation(ECreation creation) const;
    // QuodraUndo.cpp
    // Closes the step when the caller opened it (CDrawing::BeginOwn).
    void EndStep(bool own);
    // QuodraEdit.cpp
    void RemoveSelected(const char* stepName);
    void SetFigureText(const CFigure& figure, const std::string& text);
    // QuodraPaint.cpp
    void CreateStartFigures(CFigureList& list) const; // the grid lines, then the start-up picture
    void Paint(CDrawSurface& dc, const CRect* client);
    void DrawDraggedRect(CDrawSurface& dc) const;
    // QuodraGrid.cpp
    void CreateGrid(CFigureList& list) const;
    // QuodraMouse.cpp: the gesture
    EAction Decide();
    void Execute(EAction action);
    // Snaps an area point; returns it in area pixels.
    CPoint SnapArea(CPoint area) const;
    // Clamps an area point to the page and snaps it; returns it in area pixels.
    CPoint ClampAndSnap(CPoint area) const;
    ECursor DecideCursor() const;
    // QuodraKeys.cpp
    void Nudge(int dx, int dy);
    // QuodraDamage.cpp: what a change paints again. The drawing's change records give the client
    // pixels of what changed before and after, then RepaintDamage paints them (or everything,
    // when the view itself changed since the last painting).
    struct SView {
        double dZoom;
        int nScrollX, nScrollY;
        CSize client;
        CPoint pageOrigin;
        friend bool operator==(const SView&, const SView&) = default;
    };
    SView CurrentView() const;
    // The client pixels the figure paints (with the window's marks), empty when it is hidden.
    CRect ClientExtent(const CFigure& figure) const;
    // A figure the canvas shows besides the drawing's (the polyline being clicked).
    void NoteFigure(const CFigure& figure);
    // The client pixels of the rubber band (and zoom square) shown now; empty when none is.
    CRect BandExtent() const;
    void RepaintDamage();

    CCanvasHost& m_host;
    CViewport m_viewport{m_host};

    std::unique_ptr<CFigure> m_pToolFigure;
    EMouseState m_nMouseState = kStateIdle;
    EMouseState m_nPrevMouseState = kStateIdle;
    CPoint m_ptDown;
    CPoint m_ptCurrent;
    bool m_bCtrlDown = false;
    int m_nGrabbedHandle = kHandleNone;
    CSize m_szDelta;
    CSize m_szGrabOffset;
    bool m_bSkipMouseMove = false;
    EMode m_nMode = kModeZoom;
    CDrawing m_drawing;
    // The drawing's figures, to read; every change goes through m_drawing's commands.
    const CFigureList& m_figures = m_drawing.GetFigures();
    CStyles m_styles{m_drawing, [this] {
                         RepaintDamage();
                         EditStateChanged();
                     }};
    mutable CFigureIndex m_index; // where the figures lie, brought up to date when asked
    std::vector<int> m_painted;   // the figures a partial painting paints, kept for its memory
    ECursor m_hCursor = ECursor::None;
    bool m_bFirstPaint = true;
    bool m_bRubberBand = false;

    bool m_bGridVisible = true;         // the grid switch
    bool m_bStartFiguresDue = true;     // the first paint still has to add grid and picture
    bool m_bCreating = false;           // a drawing drag has made its figure
    CDamage m_damage;                   // what changed since the last painting
    std::optional<SView> m_paintedView; // the view the last painting showed
    CRect m_rcBandShown;                // BandExtent as the window last showed it

    CClipboard m_clipboard{*this};
    CCornerEdits m_cornerEdits{*this};
    CSelectTool m_selectTool{*this};
    CZoomTool m_zoomTool{*this};
    CDragTool m_dragTool{*this};
    CLabelTool m_labelTool{*this};
    CCornersTool m_cornersTool{*this};
};
