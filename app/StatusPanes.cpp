#include "app/StatusPanes.h"

#include "app/CanvasWidget.h"

#include <QFontMetrics>
#include <QLabel>
#include <QStatusBar>

#include <algorithm>
#include <cmath>

namespace {

QLabel* AddPane(QStatusBar& bar, const QString& widest, const QString& tip) {
    auto* pane = new QLabel(&bar);
    pane->setAlignment(Qt::AlignCenter);
    // Wide enough for the longest text it shows, so the panes do not jump while the pointer moves.
    pane->setMinimumWidth(pane->fontMetrics().horizontalAdvance(widest) + 12);
    pane->setToolTip(tip);
    bar.addPermanentWidget(pane);
    return pane;
}

// Page units as a user reads them: whole units while a pixel is at least one unit, tenths when
// the zoom shows finer steps.
QString Units(double v, double zoom) {
    return QString::number(v, 'f', zoom > 1.0 ? 1 : 0);
}

} // namespace

CStatusPanes::CStatusPanes(QStatusBar& bar, CCanvasWidget& canvas)
    : QObject(&bar), m_canvas(canvas) {
    m_pPosition = AddPane(bar, "-0000.0, -0000.0",
                          "Pointer position in page units from the top left of the page.\n"
                          "The TeXDraw file writes the point (x, y) as (x/100 -y/100).");
    m_pSize =
        AddPane(bar, "0000.0 x 0000.0", "Size of what is being drawn or moved, in page units");
    m_pZoom = AddPane(bar, "1000%", "Zoom");
    connect(&canvas, &CCanvasWidget::StateChanged, this, &CStatusPanes::OnStateChanged);
    connect(&canvas, &CCanvasWidget::PointerMoved, this, &CStatusPanes::OnPointerMoved);
    connect(&canvas, &CCanvasWidget::PointerLeft, this, &CStatusPanes::OnPointerLeft);
    Refresh();
}

void CStatusPanes::OnStateChanged(unsigned changes) {
    using W = CCanvasWidget;
    if (changes & W::kZoomChanged)
        ShowZoom();
    // The page point under a pointer that stands still moves with the view.
    if (m_ptPointer && (changes & (W::kZoomChanged | W::kViewMoved)))
        ShowPosition();
    // The size follows the gesture, the figures it moves or draws and the zoom, not the scrolling.
    if (changes & ~W::kViewMoved)
        ShowSize();
}

void CStatusPanes::OnPointerMoved(QPoint client) {
    m_ptPointer = client;
    ShowPosition();
}

void CStatusPanes::OnPointerLeft() {
    m_ptPointer.reset();
    ShowPosition();
}

void CStatusPanes::Refresh() {
    ShowZoom();
    ShowPosition();
    ShowSize();
}

void CStatusPanes::ShowZoom() {
    m_pZoom->setText(QString::number(std::lround(m_canvas.GetCanvas().GetZoom() * 100.0)) + "%");
}

void CStatusPanes::ShowPosition() {
    if (!m_ptPointer) {
        m_pPosition->clear();
        return;
    }
    const CQuodra& c = m_canvas.GetCanvas();
    const double zoom = c.GetZoom();
    const CPoint page = c.AreaToPage(c.ClientToArea({m_ptPointer->x(), m_ptPointer->y()}));
    m_pPosition->setText(Units(page.x / zoom, zoom) + ", " + Units(page.y / zoom, zoom));
}

void CStatusPanes::ShowSize() {
    m_pSize->setText(DragSizeText());
}

QString CStatusPanes::DragSizeText() const {
    const CQuodra& c = m_canvas.GetCanvas();
    const int state = int(c.GetMouseState());
    if (!(state & kMousePressed) || !(state & kMouseMoved) || (state & kMouseReleased))
        return {};
    const double zoom = c.GetZoom();
    CRect r;
    if (c.IsRubberBandShown()) {
        // The selection band or the zoom rectangle.
        const CPoint a = c.GetDownPoint();
        const CPoint b = c.GetCurrentPoint();
        r = CRect{a.x, a.y, b.x, b.y}.Normalized();
    } else if (c.GetMode() == kModeDraw || c.GetGrabbedHandle() > 0) {
        // The figure being drawn or reshaped by a handle is the grabbed one.
        const CFigure* f = c.GetFigures().GetGrabbed();
        if (!f)
            return {};
        r = f->GetBoundingRect(zoom);
    } else if (c.GetGrabbedHandle() == 0) {
        // A move: the selection as a whole.
        bool any = false;
        const CFigureList& list = c.GetFigures();
        for (int i = 0; i < list.GetCount(); ++i) {
            const CFigure* f = list.GetAt(i);
            if (!f->m_bSelected)
                continue;
            const CRect b = f->GetBoundingRect(zoom);
            r = any ? CRect{std::min(r.left, b.left), std::min(r.top, b.top),
                            std::max(r.right, b.right), std::max(r.bottom, b.bottom)}
                    : b;
            any = true;
        }
        if (!any)
            return {};
    } else {
        return {};
    }
    return Units(r.Width() / zoom, zoom) + QString(" \u00d7 ") + Units(r.Height() / zoom, zoom);
}
