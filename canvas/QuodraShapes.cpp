// CQuodra: the gestures of the tools that do not draw by one drag (a label placed by a click, a
// polyline or a path clicked node by node), the check that a new figure can be a figure at all,
// and the corner and piece commands of polylines, polygons and paths.
#include "canvas/Quodra.h"

#include "figures/Label.h"
#include "figures/TextFigures.h"

#include <cmath>

namespace {

// The page point of a page pixel at the zoom.
CDoublePoint PagePoint(CPoint page, double zoom) {
    return ToPageUnits(page.x, page.y, zoom);
}

} // namespace

bool CQuodra::IsToolCreation(ECreation creation) const {
    return m_nMode == kModeDraw && m_pToolFigure && m_pToolFigure->GetCreation() == creation;
}

// --- A label: click, then type its text.

void CQuodra::PlaceLabel() {
    const CPoint at = AreaToPage(ClampAndSnap(m_ptDown));
    const std::optional<std::string> typed = m_host.RunSetTextDialog();
    if (!typed)
        return; // cancelled: the tool stays for another try
    auto figure = m_pToolFigure->Clone();
    figure->ApplyStyle(m_newStyle, m_nNewStyleParts);
    // The text prints at its font's size: in this drawing's units, one over its unit scale.
    if (double* em = figure->GetTextSize())
        *em /= m_drawing.GetUnitScale();
    figure->SetPoints(at.x, at.y, at.x, at.y, Zoom());
    if (auto* label = dynamic_cast<CLabel*>(figure.get())) {
        label->m_cHRef = m_newLabel.cHRef;
        label->m_cVRef = m_newLabel.cVRef;
        label->m_dAngle = m_newLabel.dAngle;
    }
    if (std::string* text = GetFigureText(*figure))
        *text = OneLineText(*typed);
    if (const std::string why = figure->WhyNotDrawable(); !why.empty()) {
        m_host.ShowMessage(why);
        return;
    }
    m_drawing.SetStepName(GetDrawStepName(*figure));
    m_drawing.ClearSelection(); // the handles of what was selected go
    figure->m_bSelected = true;
    m_drawing.Append(std::move(figure));
    m_nMode = kModeSelect;
    m_host.ShowMessage(""); // the tool's prompt is done with
    RepaintDamage();
}

// --- A polyline: a click on each corner; the figure being clicked holds the corners placed so
// far and one more that follows the pointer.

void CQuodra::PressCorner(CPoint area) {
    const CDoublePoint p = PagePoint(AreaToPage(ClampAndSnap(area)), Zoom());
    if (!m_pCorners) {
        auto figure = m_pToolFigure->Clone();
        figure->ApplyStyle(m_newStyle, m_nNewStyleParts);
        m_pCorners.reset(static_cast<CPolyline*>(figure.release()));
        m_pCorners->SetCorners({p, p});
        m_host.ShowMessage("Click the next corner; double-click or press Enter to finish, "
                           "click the first corner to close it, Escape to cancel");
        NoteFigure(*m_pCorners);
        RepaintDamage();
        return;
    }
    NoteFigure(*m_pCorners);
    const int placed = m_pCorners->GetCornerCount() - 1;
    // A click on the first corner's square closes it, and so does one that the snap puts on the
    // first corner.
    const CPoint page = AreaToPage(area);
    const bool onFirst = m_pCorners->GetHandleRect(kHandleCorner, Zoom()).Contains(page) ||
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
        FinishCorners();
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
    NoteFigure(*m_pCorners);
    RepaintDamage();
}

void CQuodra::MoveCorner(CPoint area) {
    NoteFigure(*m_pCorners);
    m_pCorners->SetCorner(m_pCorners->GetCornerCount() - 1,
                          PagePoint(AreaToPage(ClampAndSnap(area)), Zoom()));
    NoteFigure(*m_pCorners);
    RepaintDamage();
}

// The drag from a path's node just placed: the control point after it follows the pointer, the
// one before it lies opposite, so the path runs through the node smoothly.
void CQuodra::ShapeNode(CPoint area) {
    const int node = m_pCorners->GetCornerCount() - 2;
    if (node < 0)
        return;
    const CDoublePoint at = m_pCorners->GetCorner(node);
    const CDoublePoint p = PagePoint(AreaToPage(ClampToPage(area)), Zoom());
    const CDoublePoint v = p - at;
    // A click that slipped by a pixel or two leaves a corner.
    if (std::hypot(v.x, v.y) * Zoom() < 3.0)
        return;
    NoteFigure(*m_pCorners);
    std::vector<CPieceCurve> curves = m_pCorners->GetCurves();
    const CDoublePoint loose = m_pCorners->GetCorner(node + 1);
    curves[node] = {true, p, curves[node].bCurved ? curves[node].c2 : loose};
    if (node > 0) {
        const CDoublePoint from = m_pCorners->GetCorner(node - 1);
        CPieceCurve& before = curves[node - 1];
        before = {true, before.bCurved ? before.c1 : from + (at - from) * (1.0 / 3.0), at - v};
    }
    m_pCorners->SetCurves(curves);
    NoteFigure(*m_pCorners);
    RepaintDamage();
}

void CQuodra::FinishCorners() {
    m_bShapingNode = false;
    if (!m_pCorners)
        return;
    NoteFigure(*m_pCorners);
    std::unique_ptr<CPolyline> figure = std::move(m_pCorners);
    // The corner that followed the pointer was never clicked.
    if (!figure->m_bClosed) {
        std::vector<CDoublePoint> corners = figure->GetCorners();
        corners.pop_back();
        figure->SetCorners(corners);
    }
    if (const std::string why = figure->WhyNotDrawable(); !why.empty()) {
        m_host.ShowMessage(why);
        RepaintDamage();
        return;
    }
    m_drawing.Begin(GetDrawStepName(*figure));
    m_drawing.ClearSelection();
    figure->m_bSelected = true;
    m_drawing.Append(std::move(figure));
    m_drawing.Commit();
    m_nMode = kModeSelect;
    m_host.ShowMessage(""); // the corners' prompt is done with
    RepaintDamage();
    EditStateChanged();
}

void CQuodra::CancelCorners() {
    m_bShapingNode = false;
    if (!m_pCorners)
        return;
    NoteFigure(*m_pCorners);
    m_pCorners.reset();
    m_host.ShowMessage("");
    RepaintDamage();
}

// --- Corner commands

const CPolyline* CQuodra::PolylineAt(CPoint client) const {
    const CPoint p = AreaToPage(ClientToArea(CViewport::ClampClient(client)));
    return dynamic_cast<const CPolyline*>(FigureAt(p));
}

bool CQuodra::CanInsertCorner(CPoint client) const {
    const CPolyline* f = PolylineAt(client);
    const CPoint p = AreaToPage(ClientToArea(CViewport::ClampClient(client)));
    return f && f->HitTestPiece(p, Zoom()) >= 0 && f->GetCornerCount() < kMaxCorners;
}

bool CQuodra::CanDeleteCorner(CPoint client) const {
    const CPolyline* f = PolylineAt(client);
    const CPoint p = AreaToPage(ClientToArea(CViewport::ClampClient(client)));
    return f && f->HitTestCorner(p, Zoom()) >= 0 && f->GetCornerCount() > (f->m_bClosed ? 3 : 2);
}

bool CQuodra::EditCorner(CPoint client, bool insert) {
    const CPolyline* f = PolylineAt(client);
    if (!f)
        return false;
    const CPoint p = AreaToPage(ClientToArea(CViewport::ClampClient(client)));
    const int at = insert ? f->HitTestPiece(p, Zoom()) : f->HitTestCorner(p, Zoom());
    if (at < 0)
        return false;
    const bool own = m_drawing.BeginOwn(insert ? "Insert Corner" : "Delete Corner");
    auto& changed = static_cast<CPolyline&>(m_drawing.Change(IndexOf(f)));
    const bool done = insert ? changed.InsertCorner(at) : changed.DeleteCorner(at);
    EndStep(own);
    RepaintDamage();
    EditStateChanged();
    return done;
}

int CQuodra::PieceAt(const CPolyline& f, CPoint client) const {
    return f.HitTestPiece(AreaToPage(ClientToArea(CViewport::ClampClient(client))), Zoom());
}

bool CQuodra::CanCurvePiece(CPoint client, bool curved) const {
    const CPolyline* f = PolylineAt(client);
    const int piece = f ? PieceAt(*f, client) : -1;
    return piece >= 0 && f->IsCurved(piece) != curved;
}

bool CQuodra::CurvePiece(CPoint client, bool curved) {
    const CPolyline* f = PolylineAt(client);
    const int piece = f ? PieceAt(*f, client) : -1;
    if (piece < 0 || f->IsCurved(piece) == curved)
        return false;
    const bool own = m_drawing.BeginOwn(curved ? "Make Piece Curved" : "Make Piece Straight");
    auto& changed = static_cast<CPolyline&>(m_drawing.Change(IndexOf(f)));
    const bool done = curved ? changed.MakePieceCurved(piece) : changed.MakePieceStraight(piece);
    EndStep(own);
    RepaintDamage();
    EditStateChanged();
    return done;
}

bool CQuodra::InsertCorner(CPoint client) {
    return EditCorner(client, true);
}

bool CQuodra::DeleteCorner(CPoint client) {
    return EditCorner(client, false);
}
