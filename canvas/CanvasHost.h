// CCanvasHost: what the canvas needs from the window that shows it, and nothing more. The Qt
// canvas widget implements it with real scroll bars and cursor; tests implement it in memory.
#pragma once

#include "figures/Geometry.h"

class CFigure;

#include <optional>
#include <string>

enum class EScrollBar { Horizontal, Vertical };

class CCanvasHost {
public:
    virtual ~CCanvasHost() = default;

    virtual CSize GetClientSize() const = 0;

    // Scroll bars: a position is clamped to [min, max - page + 1] like a platform scroll bar
    // (max is the last value of the range).
    virtual void SetScrollRange(EScrollBar bar, int min, int max) = 0;
    virtual void SetScrollPage(EScrollBar bar, int page) = 0;
    virtual void SetScrollPos(EScrollBar bar, int pos) = 0;
    virtual int GetScrollPos(EScrollBar bar) const = 0;
    virtual int GetScrollMin(EScrollBar bar) const = 0;
    virtual int GetScrollMax(EScrollBar bar) const = 0;
    virtual int GetScrollPage(EScrollBar bar) const = 0;
    virtual void EnableScrollBar(EScrollBar bar, bool enable) = 0;

    // Repaint the whole canvas before returning.
    virtual void RepaintNow() = 0;
    // Marks a rectangle of client pixels (right and bottom exclusive) as changed; UpdateNow paints
    // what was marked. A window that cannot paint a part paints the whole.
    virtual void InvalidateRect(const CRect& client) { (void)client; }
    // Paints what InvalidateRect marked before returning.
    virtual void UpdateNow() { RepaintNow(); }
    // The client pixels the window itself draws for the figure (its marks over the canvas), grown
    // from the figure's own extent on the canvas.
    virtual CRect GetMarksExtent(const CFigure& figure, const CRect& client) const {
        (void)figure;
        return client;
    }
    virtual void CaptureMouse() = 0;
    virtual void ReleaseMouse() = 0;
    virtual void TakeFocus() = 0;
    virtual void SetCursorShape(ECursor cursor) = 0;
    // Pointer position in client pixels, read and set (the canvas pins the pointer while moving).
    virtual CPoint GetPointerPos() const = 0;
    virtual void SetPointerPos(CPoint client) = 0;

    // The properties dialog: shows text (editable only when enabled); the new text when the
    // user pressed "Apply", nothing otherwise.
    virtual std::optional<std::string> RunPropertiesDialog(const std::string& text,
                                                           bool enabled) = 0;
    // The set-text dialog: the typed text when confirmed, nothing when cancelled.
    virtual std::optional<std::string> RunSetTextDialog() = 0;

    // The system clipboard as plain UTF-8 text: what Copy puts there and Paste reads (empty when
    // it holds no text).
    virtual void SetClipboardText(const std::string& text) = 0;
    virtual std::string GetClipboardText() const = 0;
    // A short message for the user, shown where the window shows passing news (the status bar).
    virtual void ShowMessage(const std::string& text) = 0;
    // The history, the selection or the figures may have changed: the window brings the commands
    // that depend on them (undo, redo, cut, copy, select all) up to date. Every change of the
    // selection is told this way, and nothing else tells it.
    virtual void OnEditStateChanged() = 0;
};
