// CCanvasPart: a part of the canvas that does one of its jobs (a tool, the clipboard, the corner
// commands) on the canvas's state, which it reaches as the canvas's friend.
#pragma once

class CQuodra;

class CCanvasPart {
public:
    explicit CCanvasPart(CQuodra& canvas) : m_canvas(canvas) {}
    CCanvasPart(const CCanvasPart&) = delete;
    CCanvasPart& operator=(const CCanvasPart&) = delete;

protected:
    ~CCanvasPart() = default;

    CQuodra& m_canvas;
};
