// CQuodra: which kind of drawing tool is active, and the corner and piece commands of polylines,
// polygons and paths.
#include "canvas/Quodra.h"

bool CQuodra::IsToolCreation(ECreation creation) const {
    return m_nMode == kModeDraw && m_pToolFigure && m_pToolFigure->GetCreation() == creation;
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
