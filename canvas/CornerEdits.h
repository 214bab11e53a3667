// CCornerEdits: the corner and piece commands of polylines, polygons and paths, at a client point
// of the window (where the context menu was opened). Each is one step.
#pragma once

#include "canvas/CanvasPart.h"
#include "figures/Geometry.h"

#include <functional>

class CPolyline;

class CCornerEdits : public CCanvasPart {
public:
    using CCanvasPart::CCanvasPart;

    // A new corner in the middle of the piece under the point, or the corner under it taken away
    // (not below two corners, three for a polygon). False when nothing changed.
    bool CanInsertCorner(CPoint client) const;
    bool CanDeleteCorner(CPoint client) const;
    bool InsertCorner(CPoint client);
    bool DeleteCorner(CPoint client);
    // The piece under the client point made a curve (its control points at its thirds; a
    // polyline becomes a path) or straight again. False when nothing changed.
    bool CanCurvePiece(CPoint client, bool curved) const;
    bool CurvePiece(CPoint client, bool curved);

private:
    // The piece of the polyline under the client point, or -1.
    int PieceAt(const CPolyline& f, CPoint client) const;
    const CPolyline* PolylineAt(CPoint client) const;
    bool EditCorner(CPoint client, bool insert);
    // One step of the given name that edits the polyline in place.
    bool Edit(const CPolyline& f, const char* stepName,
              const std::function<bool(CPolyline&)>& edit);
};
