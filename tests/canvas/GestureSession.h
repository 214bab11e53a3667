// Canvas sessions driven by bytes: presses, moves and releases (on the page, at its corners, on
// figure handles, off the window, near the int limits), keys, every zoom command, tool changes,
// duplicate, delete, texts through both dialogs, snap and grid switches, scrolling, saving and
// client resizes down to 0 x 0. The gesture fuzzer feeds it libFuzzer's bytes; the round-trip
// test feeds it random ones.
#pragma once

#include "FakeHost.h"

#include "figures/FigureFactory.h"
#include "figures/FramedFigure.h"
#include "figures/RawTeX.h"
#include "texdraw/Document.h"
#include "texdraw/Reader.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

// The bytes of a session, read front to back; zeros once they run out.
class CSessionBytes {
public:
    CSessionBytes(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
    bool AtEnd() const { return m_at >= m_size; }
    int Byte() { return m_at < m_size ? m_data[m_at++] : 0; }
    int Signed(int reach) { return Byte() % (2 * reach + 1) - reach; }
    int Word() { return Byte() | (Byte() << 8); }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_at = 0;
};

// One session on a canvas in a fake window. onSave is called for the save step. The window
// repaints only when the session asks for it (painting everything at every step would make the
// sessions many times slower without reaching more of the canvas).
class CGestureSession {
public:
    CGestureSession(CCanvasFixture& f, CSessionBytes& in, std::function<void()> onSave = {})
        : m_f(f), m_in(in), m_onSave(std::move(onSave)) {
        m_f.host.canvas = nullptr;
    }
    ~CGestureSession() { m_f.host.canvas = &m_f.canvas; }

    // Runs one step; false once the bytes are used up.
    bool Step() {
        if (m_in.AtEnd())
            return false;
        switch (m_in.Byte() % 20) {
        case 0:
            Press();
            break;
        case 1:
        case 2:
            Move();
            break;
        case 3:
            Release();
            break;
        case 4:
            m_f.canvas.OnKeyDown(static_cast<EKey>(m_in.Byte() % 8));
            break;
        case 5:
            Zoom();
            break;
        case 6:
            m_f.canvas.SetToolFigure(MakeToolFigure(static_cast<ETool>(m_in.Byte() % 10)));
            break;
        case 7:
            m_f.canvas.SetMode(m_in.Byte() % 2 ? kModeZoom : kModeSelect);
            break;
        case 8:
            m_f.canvas.Duplicate();
            break;
        case 9:
            m_f.canvas.DeleteSelected();
            break;
        case 10:
            m_f.host.setTextAnswers.push_back(Text());
            m_f.canvas.ChangeText();
            break;
        case 11: {
            m_f.host.propertiesAnswers.push_back(Text());
            const CPoint p = Point();
            m_f.canvas.OnLButtonDblClk(p);
            m_f.host.propertiesAnswers.clear();
            break;
        }
        case 12: {
            const int bits = m_in.Byte();
            m_f.SnapSwitches(bits & 1, bits & 2, bits & 4);
            break;
        }
        case 13:
            // Down to nothing at all (a minimised window), up to a large screen.
            m_f.host.client = {m_in.Byte() % 2 ? 0 : m_in.Word() % 1700,
                               m_in.Byte() % 2 ? 0 : m_in.Word() % 1100};
            m_f.canvas.OnResize();
            break;
        case 14: {
            const auto request = static_cast<EScrollRequest>(m_in.Byte() % 9);
            const int pos = m_in.Word() - 1000;
            if (m_in.Byte() % 2)
                m_f.canvas.OnHScroll(request, pos);
            else
                m_f.canvas.OnVScroll(request, pos);
            break;
        }
        case 15:
            m_f.canvas.SetGridVisible(m_in.Byte() % 2);
            break;
        case 16:
            if (m_onSave)
                m_onSave();
            break;
        case 17:
            // A whole drag, the gesture that changes figures.
            Press();
            Move();
            Move();
            Release();
            break;
        case 18: {
            // Painting at whatever zoom and scroll position the session has reached.
            CRecordingSurface surface;
            m_f.canvas.OnPaint(surface);
            break;
        }
        default:
            // A whole drawing: a tool, then a drag (often short, often at a page corner).
            m_f.canvas.SetToolFigure(MakeToolFigure(static_cast<ETool>(m_in.Byte() % 10)));
            Press();
            Move();
            Release();
            break;
        }
        return true;
    }

private:
    CCanvasFixture& m_f;
    CSessionBytes& m_in;
    std::function<void()> m_onSave;
    CPoint m_last;

    void Press() {
        const CPoint p = Point();
        m_f.Press(p, m_in.Byte() % 4 == 0);
    }
    void Move() { m_f.Move(Point()); }
    void Release() { m_f.Release(Point()); }

    void Zoom() {
        switch (m_in.Byte() % 6) {
        case 0:
            m_f.canvas.FitWidth();
            break;
        case 1:
            m_f.canvas.FitHeight();
            break;
        case 2:
            m_f.canvas.FitPage();
            break;
        case 3:
            m_f.canvas.ActualSize();
            break;
        case 4:
            m_f.canvas.ZoomIn();
            break;
        default:
            m_f.canvas.ZoomOut();
            break;
        }
    }

    // v moved by d, held inside the int range (the last point may sit at the limits).
    static int Beside(int v, int d) {
        return static_cast<int>(
            std::clamp<long long>(static_cast<long long>(v) + d, INT_MIN, INT_MAX));
    }

    // A client point: where gestures go wrong most easily.
    CPoint Point() {
        const CSize page = m_f.canvas.GetPageSizePx();
        CPoint p;
        switch (m_in.Byte() % 8) {
        case 0: // anywhere on the page and a little beyond
            p = m_f.ClientOf(
                {m_in.Word() % (page.cx + 40) - 20, m_in.Word() % (page.cy + 40) - 20});
            break;
        case 1: { // near a page corner
            const int corner = m_in.Byte();
            const CPoint c{corner & 1 ? page.cx - 1 : 0, corner & 2 ? page.cy - 1 : 0};
            p = m_f.ClientOf({c.x + m_in.Signed(20), c.y + m_in.Signed(20)});
            break;
        }
        case 2:
        case 3: { // on or near a handle of a figure
            const CFigureList& list = m_f.canvas.GetFigures();
            const int n = list.GetCount();
            const CFigure* figure = n > 0 ? list.GetAt(m_in.Byte() % n) : nullptr;
            const int handle = 2 + m_in.Byte() % 13;
            const CPoint h =
                figure ? figure->GetHandlePoint(handle, m_f.canvas.GetZoom()) : CPoint{};
            p = m_f.ClientOf({h.x + m_in.Signed(3), h.y + m_in.Signed(3)});
            break;
        }
        case 4: // near the last point: short drags, and no drag at all
            p = {Beside(m_last.x, m_in.Signed(4)), Beside(m_last.y, m_in.Signed(4))};
            break;
        case 5: // in or around the window
            p = {m_in.Word() % 1800 - 100, m_in.Word() % 1200 - 100};
            break;
        case 6: // far off the window
            p = {(m_in.Word() - 32768) * 64, (m_in.Word() - 32768) * 64};
            break;
        default: { // at the int limits
            const int bits = m_in.Byte();
            p = {bits & 1 ? INT_MAX - (bits >> 4) : INT_MIN + (bits >> 4),
                 bits & 2 ? INT_MAX - (bits >> 4) : INT_MIN + (bits >> 4)};
            break;
        }
        }
        m_last = p;
        return p;
    }

    // A text as a user may type or paste it: TeX's special characters, letters of other
    // scripts, tabs and line breaks.
    std::string Text() {
        static const std::array<const char*, 12> kPieces{
            "\\", "{",  "}",   "%", "$", "&", "\xC3\xA9", "\xE2\x88\x91", "\xF0\x9F\x98\x80",
            "\t", "\n", "\r\n"};
        std::string text;
        for (int n = m_in.Byte() % 24; n > 0; --n) {
            const int c = m_in.Byte();
            if (c < 0x60)
                text += static_cast<char>(0x20 + c); // printable ASCII
            else
                text += kPieces[c % kPieces.size()];
        }
        return text;
    }
};

// Every figure point a number and within reach of the page.
inline bool AllPointsInReach(const CFigureList& list) {
    for (int i = 0; i < list.GetCount(); ++i) {
        const CFigure* f = list.GetAt(i);
        if (!IsWithinReach(f->m_pt1) || !IsWithinReach(f->m_pt2))
            return false;
        if (const auto* framed = dynamic_cast<const CFramedFigure*>(f))
            if (!IsWithinReach(framed->m_pt3) || !IsWithinReach(framed->m_pt4))
                return false;
    }
    return true;
}

// What is wrong when the canvas's drawing is saved, opened in a new window and saved again; ""
// when the file reads back into the same figures, none of them kept as text, and the second save
// gives the same bytes.
inline std::string RoundTripProblem(const CQuodra& canvas) {
    const std::string saved = canvas.GetTeXDrawDocument();
    int written = 0;
    for (int i = 0; i < canvas.GetFigures().GetCount(); ++i)
        written += canvas.GetFigures().GetAt(i)->ExportTeX().empty() ? 0 : 1;
    CFigureList read;
    const CTeXDrawReadResult r = ReadTeXDrawText(saved, "session.txt", read);
    if (!r.ok)
        return "the saved drawing cannot be opened: " + r.error;
    for (int i = 0; i < read.GetCount(); ++i)
        if (dynamic_cast<const CRawTeXFigure*>(read.GetAt(i)))
            return "a figure came back as kept text:\n" + read.GetAt(i)->ExportTeX();
    if (read.GetCount() != written)
        return "the figures changed in number: " + std::to_string(written) + " saved, " +
               std::to_string(read.GetCount()) + " read";
    CCanvasFixture opened;
    opened.canvas.ReplaceFigures(std::move(read));
    const std::string again = opened.canvas.GetTeXDrawDocument();
    if (again != saved)
        return "the second save differs:\n" + saved + "\n----\n" + again;
    return "";
}
