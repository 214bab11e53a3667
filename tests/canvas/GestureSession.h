// Canvas sessions driven by bytes: presses, moves and releases (on the page, at its corners, on
// figure handles, off the window, near the int limits), keys, every zoom command, wheel zooms,
// tool changes, duplicate, delete, undo, redo, select all, cut, copy, paste, texts through both
// dialogs, snap and grid switches, scrolling, saving, opening drawings with figures far from the
// page (up to what the reader takes) and client resizes down to 0 x 0. The gesture fuzzer feeds
// it libFuzzer's bytes; the round-trip test feeds it random ones.
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

// One session on a canvas in a fake window. onSave is called for the save step, onOpen after a
// drawing was opened. The window repaints only when the session asks for it (painting everything
// at every step would make the sessions many times slower without reaching more of the canvas).
class CGestureSession {
public:
    CGestureSession(CCanvasFixture& f, CSessionBytes& in, std::function<void()> onSave = {},
                    std::function<void()> onOpen = {})
        : m_f(f), m_in(in), m_onSave(std::move(onSave)), m_onOpen(std::move(onOpen)) {
        m_f.host.canvas = nullptr;
    }
    ~CGestureSession() { m_f.host.canvas = &m_f.canvas; }

    // How far from the page origin a point may lie: the page's reach, or the farthest point of a
    // drawing the session opened or pasted (figures there may only come back toward the page).
    double GetReach() const { return m_dReach; }

    // Runs one step; false once the bytes are used up.
    bool Step() {
        if (m_in.AtEnd())
            return false;
        // The bytes from kFirstLaterStep on choose the steps added later; below it, a byte
        // chooses the step it always chose, so saved sessions keep their meaning.
        const int step = m_in.Byte();
        if (step >= kFirstLaterStep) {
            LaterStep(step - kFirstLaterStep);
            return true;
        }
        switch (step % 20) {
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
            m_f.canvas.SetToolFigure(MakeToolFigure(Tool(m_in.Byte())));
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
            m_f.canvas.SetToolFigure(MakeToolFigure(Tool(m_in.Byte())));
            Press();
            Move();
            // A label's text, asked for at the release.
            if (m_f.canvas.GetToolFigure() &&
                m_f.canvas.GetToolFigure()->GetCreation() == ECreation::Click)
                m_f.host.setTextAnswers.push_back(Text());
            Release();
            m_f.host.setTextAnswers.clear();
            break;
        }
        return true;
    }

private:
    static constexpr int kFirstLaterStep = 240;

    CCanvasFixture& m_f;
    CSessionBytes& m_in;
    std::function<void()> m_onSave;
    std::function<void()> m_onOpen;
    CPoint m_last;
    double m_dReach = kPageReach;

    // The tool of a byte: the ten first tools as they always were, TeXDraw's own shapes and the
    // path for the last bytes.
    static ETool Tool(int byte) {
        return static_cast<ETool>(byte < 250 ? byte % 10 : 10 + (byte - 250) % 6);
    }

    void LaterStep(int which) {
        switch (which) {
        case 0:
        case 1:
        case 2:
            m_f.canvas.Undo();
            break;
        case 3:
        case 4:
            m_f.canvas.Redo();
            break;
        case 5:
            m_f.canvas.GetClipboard().Cut();
            break;
        case 6:
            m_f.canvas.GetClipboard().Copy();
            break;
        case 7:
        case 8:
            m_f.canvas.GetClipboard().Paste();
            break;
        case 9:
            m_f.canvas.SelectAll();
            break;
        case 10:
        case 11:
        case 12: {
            // Ctrl + wheel, as the widget forwards it: whole notches or a touch pad's parts of one,
            // never while a button is down.
            const CPoint p = Point();
            const int delta = m_in.Byte() % 2 ? (m_in.Byte() % 2 ? 120 : -120) : m_in.Signed(360);
            if (!(int(m_f.canvas.GetMouseState()) & kMousePressed) && delta != 0)
                m_f.canvas.ZoomAbout(p, std::exp2(delta / 240.0));
            break;
        }
        case 13:
        case 14: {
            // A drawing opened; often everything in it then selected and dragged by a line on
            // the page, which moves the far figures with it.
            const bool drag = which == 14;
            CFigureList read;
            if (!ReadTeXDrawText(MakeTeXDrawDocument(FarBlocks(drag)), "far.txt", read).ok)
                break;
            TakeReachOf(read);
            m_f.canvas.ReplaceFigures(std::move(read));
            if (m_onOpen)
                m_onOpen();
            if (!drag)
                break;
            m_f.canvas.SelectAll();
            const CFigureList& list = m_f.canvas.GetFigures();
            const int first = list.GetCount() - 1 - m_in.Byte() % 4;
            if (first < 0 || list.GetAt(first)->m_strType != "Line")
                break;
            const double zoom = m_f.canvas.GetZoom();
            const CFigure& line = *list.GetAt(first);
            const CPoint from = m_f.ClientOf(ToPixel((line.m_pt1 + line.m_pt2) * 0.5, zoom));
            m_f.Press(from);
            for (int n = 1 + m_in.Byte() % 3; n > 0; --n)
                m_f.Move({from.x + m_in.Signed(120) * 8, from.y + m_in.Signed(120) * 8});
            m_f.Release(m_f.host.pointer);
            break;
        }
        default: {
            if (m_in.Byte() % 2) {
                StyleStep();
                break;
            }
            // Figures far from the page on the clipboard, as another drawing's copy puts them.
            m_f.host.clipboard = FarBlocks();
            CFigureList read;
            if (ReadTeXDrawText(MakeTeXDrawDocument(m_f.host.clipboard), "far.txt", read).ok)
                TakeReachOf(read);
            m_f.canvas.GetClipboard().Paste();
            break;
        }
        }
    }

    // What the style panel and the style commands do: a style for the selection or for new
    // figures, Copy Style and Paste Style, the drawing's printed scale.
    void StyleStep() {
        static const std::vector<double> kPatterns[] = {
            {}, {kDottedDash, kDottedGap}, {6, 4}, {6, 3, 1, 3}, {0.5, 2.25, 7.125}};
        CStyle s;
        s.dLineWidth = (m_in.Byte() % 2) ? m_in.Byte() / 40.0 : 1.10696 * (1 + m_in.Byte() % 3);
        s.pattern = kPatterns[m_in.Byte() % 5];
        s.dLineGrey = m_in.Byte() % 2 ? 0.0 : m_in.Byte() / 255.0;
        if (m_in.Byte() % 2)
            s.fillGrey = m_in.Byte() / 255.0;
        s.eHeads = static_cast<EArrowHeads>(m_in.Byte() % 4);
        s.cHeadType = "FTWVH"[m_in.Byte() % 5];
        if (m_in.Byte() % 2) {
            s.dHeadLength = 1 + m_in.Byte() / 8.0;
            s.dHeadWidth = 1 + m_in.Byte() / 16.0;
        }
        const unsigned parts = 1u + m_in.Byte() % kStyleAll;
        switch (m_in.Byte() % 6) {
        case 0:
        case 1:
            m_f.canvas.GetStyles().ApplyStyleToSelection(s, parts, "Style");
            break;
        case 2:
            m_f.canvas.GetStyles().CopyStyle();
            break;
        case 3:
            m_f.canvas.GetStyles().PasteStyle();
            break;
        case 4:
            m_f.canvas.GetStyles().SetUnitScale(
                std::vector{0.3, 1.0, 0.5, 2.0, 0.75}[m_in.Byte() % 5]);
            break;
        default:
            m_f.canvas.GetStyles().SetNewFigureStyle(s, parts);
            break;
        }
    }

    // The blocks of a few figures of every kind, each near the reader's bound, on the page, or
    // just beyond the page's reach on each axis; with lines, lines on the page among them.
    std::string FarBlocks(bool lines = false) {
        std::string blocks;
        for (int n = 1 + m_in.Byte() % 4; n > 0; --n) {
            const int kind = m_in.Byte();
            const bool line = lines && kind % 2;
            auto figure = MakeToolFigure(line ? ETool::Line : static_cast<ETool>(kind % 10));
            figure->SetPoints(0, 0, m_in.Byte(), m_in.Byte(), 1.0);
            const double x = line ? 100 + m_in.Byte() : FarValue();
            figure->MoveBy(x, line ? 100 + m_in.Byte() : FarValue());
            blocks += figure->ExportTeX();
        }
        return blocks;
    }
    double FarValue() {
        const int kind = m_in.Byte();
        switch (kind % 4) {
        case 0: // the figure (up to 255 units across) ends just inside the bound
            return kReadableReach - 256 - m_in.Byte();
        case 1:
            return -kReadableReach + m_in.Byte();
        case 2:
            return m_in.Word() % 700;
        default:
            return (kind & 4 ? 1 : -1) * (kPageReach + m_in.Word() % 2000);
        }
    }
    // A few millionths more than the farthest point: a move along the other axis at a zoom that is
    // no power of two may change a coordinate by its last bit.
    void TakeReachOf(const CFigureList& list) {
        CDoublePoint points[CFigure::kMaxPoints];
        for (int i = 0; i < list.GetCount(); ++i)
            for (int k = list.GetAt(i)->ReadPoints(points) - 1; k >= 0; --k)
                m_dReach = std::max(
                    {m_dReach, std::fabs(points[k].x) + 1e-6, std::fabs(points[k].y) + 1e-6});
    }

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

// Every figure point a number and within reach of the page (or of the farthest point a session
// opened).
inline bool AllPointsInReach(const CFigureList& list, double reach = kPageReach) {
    for (int i = 0; i < list.GetCount(); ++i) {
        const CFigure* f = list.GetAt(i);
        if (!IsWithinReach(f->m_pt1) || !IsWithinReach(f->m_pt2)) {
            if (!(std::fabs(f->m_pt1.x) <= reach && std::fabs(f->m_pt1.y) <= reach &&
                  std::fabs(f->m_pt2.x) <= reach && std::fabs(f->m_pt2.y) <= reach))
                return false;
        }
        if (const auto* framed = dynamic_cast<const CFramedFigure*>(f))
            for (const CDoublePoint& p : {framed->m_pt3, framed->m_pt4})
                if (!IsWithinReach(p) && !(std::fabs(p.x) <= reach && std::fabs(p.y) <= reach))
                    return false;
    }
    return true;
}

// Why the drawing as the canvas would save it now does not open again; "" when it does.
inline std::string SaveProblem(const CQuodra& canvas) {
    CFigureList read;
    const CTeXDrawReadResult r = ReadTeXDrawText(canvas.GetTeXDrawDocument(), "session.txt", read);
    return r.ok ? "" : "the saved drawing cannot be opened: " + r.error;
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
