// CCornerEdits: the corner and piece commands of polylines, polygons and paths, at a point of the
// window.
#include "canvas/Quodra.h"

const CPolyline* CCornerEdits::PolylineAt(CPoint client) const {
    const CQuodra& c = m_canvas;
    const CPoint p = c.AreaToPage(c.ClientToArea(CViewport::ClampClient(client)));
    return dynamic_cast<const CPolyline*>(c.FigureAt(p));
}

bool CCornerEdits::CanInsertCorner(CPoint client) const {
    const CQuodra& c = m_canvas;
    const CPolyline* f = PolylineAt(client);
    const CPoint p = c.AreaToPage(c.ClientToArea(CViewport::ClampClient(client)));
    return f && f->HitTestPiece(p, c.Zoom()) >= 0 && f->GetCornerCount() < kMaxCorners;
}

bool CCornerEdits::CanDeleteCorner(CPoint client) const {
    const CQuodra& c = m_canvas;
    const CPolyline* f = PolylineAt(client);
    const CPoint p = c.AreaToPage(c.ClientToArea(CViewport::ClampClient(client)));
    return f && f->HitTestCorner(p, c.Zoom()) >= 0 && f->GetCornerCount() > (f->m_bClosed ? 3 : 2);
}

bool CCornerEdits::EditCorner(CPoint client, bool insert) {
    CQuodra& c = m_canvas;
    const CPolyline* f = PolylineAt(client);
    if (!f)
        return false;
    const CPoint p = c.AreaToPage(c.ClientToArea(CViewport::ClampClient(client)));
    const int at = insert ? f->HitTestPiece(p, c.Zoom()) : f->HitTestCorner(p, c.Zoom());
    if (at < 0)
        return false;
    return Edit(*f, insert ? "Insert Corner" : "Delete Corner", [&](CPolyline& changed) {
        return insert ? changed.InsertCorner(at) : changed.DeleteCorner(at);
    });
}

bool CCornerEdits::Edit(const CPolyline& f, const char* stepName,
                        const std::function<bool(CPolyline&)>& edit) {
    CQuodra& c = m_canvas;
    const bool own = c.m_drawing.BeginOwn(stepName);
    const bool done = edit(static_cast<CPolyline&>(c.m_drawing.Change(c.IndexOf(&f))));
    c.EndStep(own);
    c.RepaintDamage();
    c.EditStateChanged();
    return done;
}

int CCornerEdits::PieceAt(const CPolyline& f, CPoint client) const {
    const CQuodra& c = m_canvas;
    return f.HitTestPiece(c.AreaToPage(c.ClientToArea(CViewport::ClampClient(client))), c.Zoom());
}

bool CCornerEdits::CanCurvePiece(CPoint client, bool curved) const {
    const CPolyline* f = PolylineAt(client);
    const int piece = f ? PieceAt(*f, client) : -1;
    return piece >= 0 && f->IsCurved(piece) != curved;
}

bool CCornerEdits::CurvePiece(CPoint client, bool curved) {
    const CPolyline* f = PolylineAt(client);
    const int piece = f ? PieceAt(*f, client) : -1;
    if (piece < 0 || f->IsCurved(piece) == curved)
        return false;
    return Edit(*f, curved ? "Make Piece Curved" : "Make Piece Straight", [&](CPolyline& changed) {
        return curved ? changed.MakePieceCurved(piece) : changed.MakePieceStraight(piece);
    });
}

bool CCornerEdits::InsertCorner(CPoint client) {
    return EditCorner(client, true);
}

bool CCornerEdits::DeleteCorner(CPoint client) {
    return EditCorner(client, false);
}
