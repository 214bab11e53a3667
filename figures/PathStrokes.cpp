// The strokes of a path with curved pieces: the whole path in one, heads at its open ends as a
// polyline puts them where the end piece is straight, along the curve's tangent where it is not.
#include "figures/Polyline.h"
#include "figures/TeXFormat.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace {

using CStroke = CPolyline::CStroke;

// A page value as the block writes it and the reader takes it back.
double WrittenValue(double pageValue) {
    const std::string text = FormatFixed2(0.01 * pageValue);
    double v = 0.0;
    std::from_chars(text.data(), text.data() + text.size(), v);
    v *= 100.0;
    const double whole = std::nearbyint(v);
    return std::fabs(v - whole) < 1e-6 ? whole : v;
}

CDoublePoint Written(CDoublePoint p) {
    return {WrittenValue(p.x), -WrittenValue(-p.y)};
}

// The stroke with a head at its end: on its last piece when that is straight, else a vector as
// long as the head along the curve's tangent, from the points as written (so that a drawing read
// back writes it again the same).
std::vector<CStroke> Headed(CStroke s, const CStyle& style) {
    const std::size_t last = s.points.size() - 2;
    if (!s.IsCurved(last)) {
        s.head = true;
        return {s};
    }
    const CDoublePoint tip = Written(s.points.back());
    CDoublePoint tail = tip;
    for (const CDoublePoint& q : {s.curves[last].c2, s.curves[last].c1, s.points[last]}) {
        const CDoublePoint v = tip - Written(q);
        const double len = std::sqrt(v.x * v.x + v.y * v.y);
        if (len > 0.0) {
            tail = tip - v * (WrittenLength(style.dHeadLength) / len);
            break;
        }
    }
    CStroke head{{tail, s.points.back()}, true, {}, true};
    return {std::move(s), std::move(head)};
}

} // namespace

CStroke CStroke::Reversed() const {
    CStroke r;
    r.points.assign(points.rbegin(), points.rend());
    const std::size_t pieces = points.empty() ? 0 : points.size() - 1;
    r.curves.resize(pieces);
    for (std::size_t i = 0; i < pieces; ++i)
        if (IsCurved(i))
            r.curves[pieces - 1 - i] = {true, curves[i].c2, curves[i].c1};
    return r;
}

std::vector<CStroke> CPolyline::GetCurvedStrokes() const {
    CStroke all{GetCorners(), false, GetCurves(), false};
    if (m_bClosed)
        all.points.push_back(all.points.front());
    if (m_bClosed || all.points.size() < 2)
        return {all};
    std::vector<CStroke> strokes;
    switch (m_style.eHeads) {
    case EArrowHeads::None:
        return {all};
    case EArrowHeads::End:
        return Headed(all, m_style);
    case EArrowHeads::Start:
        return Headed(all.Reversed(), m_style);
    case EArrowHeads::Both:
        if (!all.IsCurved(0)) {
            // The first piece turned round towards the start, then the rest towards the end.
            strokes.push_back({{all.points[1], all.points[0]}, true, {}, false});
            CStroke rest{{all.points.begin() + 1, all.points.end()}, false, {}, false};
            rest.curves.assign(all.curves.begin() + 1, all.curves.end());
            for (CStroke& s : Headed(std::move(rest), m_style))
                strokes.push_back(std::move(s));
            return strokes;
        }
        // The whole path with its end's head, then a head along the start's tangent.
        strokes = Headed(all, m_style);
        strokes.push_back(Headed(all.Reversed(), m_style).back());
        return strokes;
    }
    return {all};
}
