// CQuodra: painting (surroundings, paper, page, figures, dragged rectangle) and the figures the
// first paint adds (the grid lines and the start-up picture).
#include "canvas/Quodra.h"

#include "figures/Rectangle.h"

#include <algorithm>
#include <climits>

namespace {
constexpr COLORREF kZoomSquareColor = RGB(255, 0, 0);
} // namespace

void CQuodra::CreateStartFigures(CFigureList& list) const {
    CreateGrid(list);
    list.SetGridVisible(m_bGridVisible);
    auto picture = std::make_unique<CPictureFigure>();
    picture->SetPoints(7, 4, 49, 49, 1.0);
    list.Add(std::move(picture));
}

void CQuodra::OnPaint(CDrawSurface& dc) {
    Paint(dc, nullptr);
}

void CQuodra::OnPaint(CDrawSurface& dc, const CRect& client) {
    Paint(dc, &client);
}

void CQuodra::Paint(CDrawSurface& dc, const CRect* client) {
    if (m_bFirstPaint) {
        m_viewport.Relayout();
        m_host.TakeFocus();
        m_bFirstPaint = false;
        client = nullptr; // the first painting lays the canvas out: all of it is new
        if (m_bStartFiguresDue) {
            m_bStartFiguresDue = false;
            // The start figures are where the drawing begins, and this painting shows them.
            CreateStartFigures(m_drawing.EditFigures());
            m_drawing.NoteAll();
            m_drawing.ClearHistory();
            m_drawing.Notify();
            m_damage.Clear();
        }
    }
    m_paintedView = CurrentView();
    if (!client)
        m_rcBandShown = BandExtent();
    // Everything below is drawn in area pixels.
    const CPoint scroll{m_viewport.ScrollPos(EScrollBar::Horizontal),
                        m_viewport.ScrollPos(EScrollBar::Vertical)};
    dc.SetOrigin(scroll);
    const CRect paper = GetPaperRect();
    dc.FillRect({0, 0, paper.right + m_viewport.GetCenterRight(),
                 paper.bottom + m_viewport.GetCenterBottom()},
                m_clrOutside);
    dc.FillRect(paper, m_clrPaper);
    dc.FillRect(GetPageRect(), m_clrPage);
    const CPoint origin = GetPageOrigin();
    {
        // Only what meets the rectangle (or the window), in page pixels: a figure out of sight
        // sets no pixel of it.
        const CSize size = m_host.GetClientSize();
        const CRect shown = client ? *client : CRect{0, 0, size.cx, size.cy};
        const long long dx = static_cast<long long>(scroll.x) - origin.x;
        const long long dy = static_cast<long long>(scroll.y) - origin.y;
        const auto pin = [](long long v) {
            return static_cast<int>(std::clamp<long long>(v, INT_MIN, INT_MAX));
        };
        const CRect page{pin(shown.left + dx), pin(shown.top + dy), pin(shown.right + dx),
                         pin(shown.bottom + dy)};
        const double zoom = Zoom();
        FiguresMeeting(page, m_painted);
        for (const int i : m_painted) {
            const CFigure& f = *m_figures.GetAt(i);
            // A small rectangle painted again often lies inside a figure's outline, untouched.
            if (client && f.MissesRect(page, zoom))
                continue;
            f.Paint(dc, zoom, origin.x, origin.y);
        }
    }
    // The polyline being clicked lies over the drawing until it is finished.
    m_cornersTool.Paint(dc, Zoom(), origin);
    if (m_bRubberBand)
        DrawDraggedRect(dc);
}

void CQuodra::FiguresMeeting(const CRect& page, std::vector<int>& out) const {
    m_index.FiguresMeeting(m_figures, Zoom(), GetRevision(), page, out);
}

const CFigure* CQuodra::FigureAt(CPoint page) const {
    return m_index.HitTest(m_figures, page, Zoom(), GetRevision());
}

void CQuodra::DrawDraggedRect(CDrawSurface& dc) const {
    const CRect r = CRect{m_ptDown.x, m_ptDown.y, m_ptCurrent.x, m_ptCurrent.y}.Normalized();
    dc.XorRectangle(r);
    if (m_nMode == kModeZoom) {
        // The square that the zoom will use, anchored at the top-left corner.
        const int d = std::min(r.Width(), r.Height());
        dc.Rectangle({r.left, r.top, r.left + d, r.top + d},
                     CPen{EPenStyle::Solid, 1, kZoomSquareColor}, std::nullopt);
    }
}
