// An in-memory window for the canvas: client size, scroll bars that clamp like real ones, a
// repaint that really paints into a recording surface, cursor, pointer and scripted dialogs.
#pragma once

#include "canvas/CanvasHost.h"
#include "canvas/Quodra.h"
#include "common/RecordingSurface.h"

#include <algorithm>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class CFakeHost : public CCanvasHost {
public:
    struct SBar {
        int min = 0;
        int max = 0;
        int page = 0;
        int pos = 0;
        bool enabled = true;
    };

    CSize client{1000, 900};
    SBar bars[2];
    CQuodra* canvas = nullptr; // painted by RepaintNow
    CRecordingSurface lastPaint;
    int paints = 0;
    // The rectangles the canvas asked to paint again, and the partial paintings made of them.
    std::vector<CRect> invalidated;
    int partialPaints = 0;
    bool captured = false;
    int focusRequests = 0;
    ECursor cursor = ECursor::None;
    CPoint pointer;
    int pointerWarps = 0;

    // Scripted answers of the two dialogs, used in order; an empty queue answers "cancelled".
    std::deque<std::optional<std::string>> propertiesAnswers;
    std::deque<std::optional<std::string>> setTextAnswers;
    struct SPropertiesCall {
        std::string text;
        bool enabled;
    };
    std::vector<SPropertiesCall> propertiesCalls;
    int setTextCalls = 0;
    std::string clipboard;
    std::vector<std::string> messages;
    int editStateChanges = 0;

    SBar& Bar(EScrollBar b) { return bars[b == EScrollBar::Horizontal ? 0 : 1]; }
    const SBar& Bar(EScrollBar b) const { return bars[b == EScrollBar::Horizontal ? 0 : 1]; }

    CSize GetClientSize() const override { return client; }
    void SetScrollRange(EScrollBar b, int min, int max) override {
        Bar(b).min = min;
        Bar(b).max = max;
        Clamp(Bar(b));
    }
    void SetScrollPage(EScrollBar b, int page) override {
        Bar(b).page = page;
        Clamp(Bar(b));
    }
    void SetScrollPos(EScrollBar b, int pos) override {
        Bar(b).pos = pos;
        Clamp(Bar(b));
    }
    int GetScrollPos(EScrollBar b) const override { return Bar(b).pos; }
    int GetScrollMin(EScrollBar b) const override { return Bar(b).min; }
    int GetScrollMax(EScrollBar b) const override { return Bar(b).max; }
    int GetScrollPage(EScrollBar b) const override { return Bar(b).page; }
    void EnableScrollBar(EScrollBar b, bool enable) override { Bar(b).enabled = enable; }

    void RepaintNow() override {
        ++paints;
        lastPaint.calls.clear();
        if (canvas)
            canvas->OnPaint(lastPaint);
    }
    void InvalidateRect(const CRect& r) override { invalidated.push_back(r); }
    void UpdateNow() override {
        ++partialPaints;
        RepaintNow();
    }
    void CaptureMouse() override { captured = true; }
    void ReleaseMouse() override { captured = false; }
    void TakeFocus() override { ++focusRequests; }
    void SetCursorShape(ECursor c) override { cursor = c; }
    CPoint GetPointerPos() const override { return pointer; }
    void SetPointerPos(CPoint p) override {
        pointer = p;
        ++pointerWarps;
    }

    std::optional<std::string> RunPropertiesDialog(const std::string& text, bool enabled) override {
        propertiesCalls.push_back({text, enabled});
        return Next(propertiesAnswers);
    }
    std::optional<std::string> RunSetTextDialog() override {
        ++setTextCalls;
        return Next(setTextAnswers);
    }

    void SetClipboardText(const std::string& text) override { clipboard = text; }
    std::string GetClipboardText() const override { return clipboard; }
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    void OnEditStateChanged() override { ++editStateChanges; }

private:
    // A position stays within [min, max - page + 1], as a platform scroll bar keeps it.
    static void Clamp(SBar& bar) {
        const int hi = std::max(bar.min, bar.max - std::max(bar.page, 1) + 1);
        bar.pos = std::clamp(bar.pos, bar.min, hi);
    }
    static std::optional<std::string> Next(std::deque<std::optional<std::string>>& q) {
        if (q.empty())
            return std::nullopt;
        auto a = q.front();
        q.pop_front();
        return a;
    }
};

// A canvas in a window of the given client size, painted once as the window first shows it.
struct CCanvasFixture {
    CFakeHost host;
    CQuodra canvas{host};

    explicit CCanvasFixture(CSize client = {1000, 900}) {
        host.client = client;
        host.canvas = &canvas;
        canvas.SetMode(kModeSelect); // as the view does after creating the canvas
        host.RepaintNow();
    }

    // Gestures in client pixels; the pointer follows the mouse like a real one.
    void Press(CPoint p, bool ctrl = false) {
        host.pointer = p;
        canvas.OnLButtonDown(p, ctrl);
    }
    void Move(CPoint p) {
        host.pointer = p;
        canvas.OnMouseMove(p);
    }
    void Release(CPoint p) {
        host.pointer = p;
        canvas.OnLButtonUp(p);
    }
    void Drag(CPoint from, CPoint to, bool ctrl = false) {
        Press(from, ctrl);
        Move(to);
        Release(to);
    }
    void Click(CPoint p, bool ctrl = false) {
        Press(p, ctrl);
        Release(p);
    }
    // A figure set from two page points at zoom 1.0 and put on top.
    template <class T> T* Add(int x1, int y1, int x2, int y2) {
        auto f = std::make_unique<T>();
        f->SetPoints(x1, y1, x2, y2, 1.0);
        T* raw = f.get();
        canvas.GetDrawing().EditFigures().Add(std::move(f));
        return raw;
    }
    // Drops the start-up picture, so that only the grid and the test's own figures remain.
    void RemovePicture() {
        auto& list = canvas.GetDrawing().EditFigures();
        for (int i = list.GetCount() - 1; i >= 0; --i)
            if (list.GetAt(i)->m_strType == "HappyNewYear :)")
                list.RemoveAndDelete(i);
        canvas.GetDrawing().NoteChangedOutside();
    }
    void SnapSwitches(bool keyPoints, bool grid, bool intersections) {
        canvas.m_bSnapKeyPoints = keyPoints;
        canvas.m_bSnapGrid = grid;
        canvas.m_bSnapIntersections = intersections;
    }
    // Client pixel of a page pixel, with the current centring and scrolling.
    CPoint ClientOf(CPoint page) const { return canvas.AreaToClient(canvas.PageToArea(page)); }
};
