// CCanvasWidget: the Qt window of the drawing canvas. It owns the CQuodra, gives it real scroll
// bars, cursor, focus and the text dialogs (CCanvasHost), paints it through a QPainter surface and
// forwards mouse, key, wheel, scroll and resize events to it in client (viewport) pixels.
#pragma once

#include "canvas/CanvasHost.h"
#include "canvas/Quodra.h"

#include <QAbstractScrollArea>
#include <QImage>
#include <QRect>
#include <QRegion>
#include <QString>

#include <array>
#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

class CFigure;
class CSurfaceCaches;
class QPainter;

// Paints the canvas into an image of its window's raster pixels: only the client rectangles of
// the region (the image's other pixels are left as they are), or all of it when the region is
// empty. The window's paint and the benchmarks paint through it.
void PaintCanvasImage(CQuodra& canvas, CSurfaceCaches& caches, QImage& image, const QRegion& region,
                      bool hideTexts = false);

class CCanvasWidget : public QAbstractScrollArea, public CCanvasHost {
    Q_OBJECT
public:
    explicit CCanvasWidget(QWidget* parent = nullptr);
    ~CCanvasWidget() override;

    CQuodra& GetCanvas() { return *m_pCanvas; }
    const CQuodra& GetCanvas() const { return *m_pCanvas; }

    // Test seams: when set, they answer instead of the modal dialogs.
    std::function<std::optional<std::string>(const std::string& text, bool enabled)>
        m_fnPropertiesDialog;
    std::function<std::optional<std::string>()> m_fnSetTextDialog;

    // Drawn over the canvas after it has painted itself (the typeset preview's overlay).
    std::function<void(QPainter& painter)> m_fnPaintOverlay;
    // True while the texts are shown by the overlay: the canvas leaves its own out.
    std::function<bool()> m_fnHideTexts;
    // The warning sign of a text LaTeX will not read as meant, in client pixels; empty when the
    // figure has none.
    QRect GetTextWarningRect(const CFigure& figure) const;
    // The tooltip for a client point: the warnings of the text whose sign or figure is there.
    QString GetTextWarningAt(QPoint client) const;

    // The canvas as the window keeps it between paintings (raster pixels), and the same painted
    // afresh as a whole: each painting of a part must leave the first equal to the second.
    const QImage& GetBackBuffer() const { return m_buffer; }
    QImage PaintWhole();

    // Pixels the wheel scrolls per notch.
    static constexpr int kWheelStep = 48;
    // Ctrl+wheel: the zoom factor per notch (two notches double the zoom, as the plus key does).
    static double WheelZoomFactor(int angleDelta) { return std::exp2(angleDelta / 240.0); }

    // CCanvasHost
    CSize GetClientSize() const override;
    void SetScrollRange(EScrollBar bar, int min, int max) override;
    void SetScrollPage(EScrollBar bar, int page) override;
    void SetScrollPos(EScrollBar bar, int pos) override;
    int GetScrollPos(EScrollBar bar) const override;
    int GetScrollMin(EScrollBar bar) const override;
    int GetScrollMax(EScrollBar bar) const override;
    int GetScrollPage(EScrollBar bar) const override;
    void EnableScrollBar(EScrollBar bar, bool enable) override;
    void RepaintNow() override;
    void InvalidateRect(const CRect& client) override;
    void UpdateNow() override;
    CRect GetMarksExtent(const CFigure& figure, const CRect& client) const override;
    void CaptureMouse() override;
    void ReleaseMouse() override;
    void TakeFocus() override;
    void SetCursorShape(ECursor cursor) override;
    CPoint GetPointerPos() const override;
    void SetPointerPos(CPoint client) override;
    std::optional<std::string> RunPropertiesDialog(const std::string& text, bool enabled) override;
    std::optional<std::string> RunSetTextDialog() override;
    void SetClipboardText(const std::string& text) override;
    std::string GetClipboardText() const override;
    void ShowMessage(const std::string& text) override;
    void OnEditStateChanged() override;

    // What StateChanged tells of the canvas's state, a bit each.
    enum EStateChange : unsigned {
        kFiguresChanged = 0x1,   // the revision, and with it the modified mark
        kSelectionChanged = 0x2, // the selection may have changed: the edit state was told
        kZoomChanged = 0x4,
        kViewMoved = 0x8,       // scrolled, resized, or the page placed elsewhere in the window
        kGestureChanged = 0x10, // the gesture's state and points, its band or handle, or the mode
    };

signals:
    // A message for the status bar.
    void MessageWanted(const QString& text);
    // Undo, redo, cut, copy or select all may have become possible or impossible.
    void EditStateChanged();
    // Some of the canvas's state changed (EStateChange bits), told after each painting of a
    // change, each report of the edit state and each move of the pointer, and never while
    // nothing changed: painting again tells nothing, a scroll only kViewMoved.
    void StateChanged(unsigned changes);
    // The pointer moved over the canvas (client pixels), or left it.
    void PointerMoved(QPoint client);
    void PointerLeft();
    // A tool's key (a letter without modifiers) was pressed while no gesture was under way.
    void ToolKeyPressed(int command);
    // The right button was pressed at a client point outside any gesture.
    void ContextMenuWanted(QPoint client, QPoint global);
    // The canvas has been painted: the drawing, its zoom or its scroll position may have changed.
    void Painted();

protected:
    bool event(QEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    // What StateChanged compares, read from the canvas in a few steps.
    struct CToldState {
        std::uint64_t nRevision = 0;
        double dZoom = 0;
        CPoint scroll, pageOrigin;
        CSize client;
        EMode eMode = kModeSelect;
        EMouseState eMouse = kStateIdle;
        int nGrabbedHandle = 0;
        bool bBand = false;
        CPoint down, current;
    };
    CToldState ReadToldState() const;
    // Tells StateChanged what changed since it last told; editState: the canvas reported its
    // edit state, so the selection may have changed.
    void TellChanges(bool editState);

    struct CBarState {
        int nMin = 0;
        int nMax = 100;
        int nPage = 0;
        bool bEnabled = true;
    };
    QScrollBar* Bar(EScrollBar bar) const;
    // A left-button gesture is under way (from the press to the release).
    bool IsButtonDown() const;
    CBarState& State(EScrollBar bar) { return m_bars[bar == EScrollBar::Vertical]; }
    const CBarState& State(EScrollBar bar) const { return m_bars[bar == EScrollBar::Vertical]; }
    void ApplyRange(EScrollBar bar);
    void OnBarAction(EScrollBar bar, int action);
    void OnBarReleased(EScrollBar bar);
    void Scroll(EScrollBar bar, EScrollRequest request, int pos = 0);
    // The warning signs that may reach into region (client pixels).
    void PaintTextWarnings(QPainter& painter, const QRegion& region) const;
    bool HidesTexts() const { return m_fnHideTexts && m_fnHideTexts(); }
    // Where a text figure's warning sign goes, in client pixels, whether or not it has one.
    QRect TextWarningPlace(const CFigure& figure) const;
    // Whether LaTeX would not read the text figure's text as typed. Worked out once per text:
    // checking the texts at every paint would cost more than the paint.
    bool HasTextProblems(const CFigure& figure) const;

    std::array<CBarState, 2> m_bars;
    QImage m_buffer;  // the canvas as last painted, in the window's raster pixels
    QRegion m_damage; // client pixels the canvas marked as changed, painted by UpdateNow
    // While a wheel event is handled: the canvas's paintings wait for the window's next one, so
    // that wheel events arriving faster than paintings cost one painting together.
    bool m_bDeferRepaint = false;
    // What one painting keeps for the next.
    std::unique_ptr<CSurfaceCaches> m_pSurfaceCaches;
    std::unique_ptr<CQuodra> m_pCanvas;
    mutable std::unordered_map<std::string, bool> m_textProblems; // by text
    mutable std::vector<int> m_signCandidates; // the figures a painting looks at for signs
    CToldState m_told;                         // the state as StateChanged last told it
};
