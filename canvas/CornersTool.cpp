// CCornersTool: polylines, polygons and paths clicked corner by corner, with a path's nodes
// shaped by a drag, finished by a double-click, Enter or a click on the first corner.
#include "canvas/Quodra.h"

#include <cmath>

namespace {

// The page point of a page pixel at the zoom.
CDoublePoint PagePoint(CPoint page, double zoom) {
    return ToPageUnits(page.x, page.y, zoom);
}

} // namespace

void CCornersTool::Press(CPoint area) {
    Place(area);
    // A path's node is shaped while the button stays down.
    m_bShapingNode = m_pCorners && m_pCorners->IsPath();
}

void CCornersTool::Move(CPoint area) {
    if (m_bShapingNode)
        ShapeNode(area);
    else
        MoveCorner(area);
}

void CCornersTool::Paint(CDrawSurface& dc, double zoom, CPoint origin) const {
    if (m_pCorners)
        m_pCorners->Paint(dc, zoom, origin.x, origin.y);
}

void CCornersTool::Place(CPoint area) {
    CQuodra& c = m_canvas;
    const CDoublePoint p = PagePoint(c.AreaToPage(c.ClampAndSnap(area)), c.Zoom());
    if (!m_pCorners) {
        auto figure = c.m_pToolFigure->Clone();
        figure->ApplyStyle(c.m_styles.GetNewFigureStyle(), c.m_styles.GetNewFigureStyleParts());
        m_pCorners.reset(static_cast<CPolyline*>(figure.release()));
        m_pCorners->SetCorners({p, p});
        c.m_host.ShowMessage("Click the next corner; double-click or press Enter to finish, "
                             "click the first corner to close it, Escape to cancel");
        c.NoteFigure(*m_pCorners);
        c.RepaintDamage();
        return;
    }
    c.NoteFigure(*m_pCorners);
    const int placed = m_pCorners->GetCornerCount() - 1;
    // A click on the first corner's square closes it, and so does one that the snap puts on the
    // first corner.
    const CPoint page = c.AreaToPage(area);
    const bool onFirst = m_pCorners->GetHandleRect(kHandleCorner, c.Zoom()).Contains(page) ||
                         p == m_pCorners->GetCorner(0);
    if (placed >= 3 && onFirst) {
        const std::vector<CPieceCurve> open = m_pCorners->GetCurves();
        m_pCorners->DeleteCorner(placed);
        m_pCorners->Close();
        // The closing piece goes on smoothly from a smooth last node and into a smooth first one.
        std::vector<CPieceCurve> curves = m_pCorners->GetCurves();
        const CDoublePoint first = m_pCorners->GetCorner(0);
        const CDoublePoint last = m_pCorners->GetCorner(placed - 1);
        if (open[placed - 1].bCurved || curves.front().bCurved) {
            curves.back() = {true, open[placed - 1].bCurved ? open[placed - 1].c1 : last,
                             curves.front().bCurved ? first * 2.0 - curves.front().c1 : first};
            m_pCorners->SetCurves(curves);
        }
        Finish();
        return;
    }
    // A second click on the same spot (the first half of a double-click) adds nothing.
    if (!(m_pCorners->GetCorner(placed - 1) == p) && m_pCorners->GetCornerCount() < kMaxCorners) {
        std::vector<CDoublePoint> corners = m_pCorners->GetCorners();
        // A curve into the loose corner keeps its end's control point beside the corner.
        if (m_pCorners->IsCurved(placed - 1))
            m_pCorners->SetControl(placed - 1, 1,
                                   m_pCorners->GetControl(placed - 1, 1) + (p - corners.back()));
        corners.back() = p;
        corners.push_back(p);
        m_pCorners->SetCorners(corners);
    }
    c.NoteFigure(*m_pCorners);
    c.RepaintDamage();
}

void CCornersTool::MoveCorner(CPoint area) {
    CQuodra& c = m_canvas;
    c.NoteFigure(*m_pCorners);
    m_pCorners->SetCorner(m_pCorners->GetCornerCount() - 1,
                          PagePoint(c.AreaToPage(c.ClampAndSnap(area)), c.Zoom()));
    c.NoteFigure(*m_pCorners);
    c.RepaintDamage();
}

// The drag from a path's node just placed: the control point after it follows the pointer, the
// one before it lies opposite, so the path runs through the node smoothly.
void CCornersTool::ShapeNode(CPoint area) {
    CQuodra& c = m_canvas;
    const int node = m_pCorners->GetCornerCount() - 2;
    if (node < 0)
        return;
    const CDoublePoint at = m_pCorners->GetCorner(node);
    const CDoublePoint p = PagePoint(c.AreaToPage(c.ClampToPage(area)), c.Zoom());
    const CDoublePoint v = p - at;
    // A click that slipped by a pixel or two leaves a corner.
    if (std::hypot(v.x, v.y) * c.Zoom() < 3.0)
        return;
    c.NoteFigure(*m_pCorners);
    std::vector<CPieceCurve> curves = m_pCorners->GetCurves();
    const CDoublePoint loose = m_pCorners->GetCorner(node + 1);
    curves[node] = {true, p, curves[node].bCurved ? curves[node].c2 : loose};
    if (node > 0) {
        const CDoublePoint from = m_pCorners->GetCorner(node - 1);
        CPieceCurve& before = curves[node - 1];
        before = {true, before.bCurved ? before.c1 : from + (at - from) * (1.0 / 3.0), at - v};
    }
    m_pCorners->SetCurves(curves);
    c.NoteFigure(*m_pCorners);
    c.RepaintDamage();
}

std::unique_ptr<CPolyline> CCornersTool::TakeFigure() {
    m_bShapingNode = false;
    if (m_pCorners)
        m_canvas.NoteFigure(*m_pCorners); // it leaves the window
    return std::move(m_pCorners);
}

void CCornersTool::Finish() {
    CQuodra& c = m_canvas;
    std::unique_ptr<CPolyline> figure = TakeFigure();
    if (!figure)
        return;
    // The corner that followed the pointer was never clicked.
    if (!figure->m_bClosed) {
        std::vector<CDoublePoint> corners = figure->GetCorners();
        corners.pop_back();
        figure->SetCorners(corners);
    }
    if (const std::string why = figure->WhyNotDrawable(); !why.empty()) {
        c.m_host.ShowMessage(why);
        c.RepaintDamage();
        return;
    }
    c.m_drawing.Begin(GetDrawStepName(*figure));
    c.m_drawing.ClearSelection();
    figure->m_bSelected = true;
    c.m_drawing.Append(std::move(figure));
    c.m_drawing.Commit();
    c.m_nMode = kModeSelect;
    c.m_host.ShowMessage(""); // the corners' prompt is done with
    c.RepaintDamage();
    c.EditStateChanged();
}

void CCornersTool::Cancel() {
    if (!TakeFigure())
        return;
    m_canvas.m_host.ShowMessage("");
    m_canvas.RepaintDamage();
}
