#include "texdraw/ShownStretch.h"

#include "figures/RawTeX.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

// Curves and round shapes are shown as this many straight pieces a whole turn or curve.
constexpr int kCurvePieces = 24;
constexpr int kTurnPieces = 64;

// A point of the circle or ellipse at TeXDraw's angle (counterclockwise as drawn; the page's y
// grows downward).
CDoublePoint OnEllipse(CDoublePoint c, double rx, double ry, double degrees) {
    const double a = degrees * std::numbers::pi / 180.0;
    return {c.x + rx * std::cos(a), c.y - ry * std::sin(a)};
}

CDoublePoint OnBezier(const CTeXDrawPrimitive& p, double t) {
    const double u = 1.0 - t;
    const double a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, d = t * t * t;
    return {a * p.m_pt1.x + b * p.m_ptControl1.x + c * p.m_ptControl2.x + d * p.m_pt2.x,
            a * p.m_pt1.y + b * p.m_ptControl1.y + c * p.m_ptControl2.y + d * p.m_pt2.y};
}

class CShownBuilder {
public:
    std::vector<std::vector<CDoublePoint>> m_paths;
    std::vector<CShownText> m_texts;

    void Add(const CTeXDrawPrimitive& p) {
        switch (p.m_eKind) {
        case ETeXDrawPrimitive::Line:
            Continue(p.m_pt1, p.m_nPath).push_back(p.m_pt2);
            break;
        case ETeXDrawPrimitive::Curve: {
            std::vector<CDoublePoint>& path = Continue(p.m_pt1, p.m_nPath);
            for (int i = 1; i <= kCurvePieces; ++i)
                path.push_back(OnBezier(p, double(i) / kCurvePieces));
            break;
        }
        case ETeXDrawPrimitive::Arrow:
            AddArrow(p);
            break;
        case ETeXDrawPrimitive::Circle:
        case ETeXDrawPrimitive::Ellipse:
            AddTurn(p.m_pt1, p.m_dRadiusX, p.m_dRadiusY, 0.0, 360.0);
            break;
        case ETeXDrawPrimitive::Arc: {
            double end = p.m_dEndDeg;
            while (end < p.m_dStartDeg)
                end += 360.0;
            AddTurn(p.m_pt1, p.m_dRadiusX, p.m_dRadiusX, p.m_dStartDeg,
                    std::min(end, p.m_dStartDeg + 360.0));
            break;
        }
        case ETeXDrawPrimitive::Text:
            m_texts.push_back({p.m_pt1, p.m_strText, p.m_cHRef, p.m_cVRef, p.m_dAngle});
            break;
        }
    }

private:
    int m_nLastPath = -1;

    // The path that p joins: the last one when it goes on from its end, else a new one.
    std::vector<CDoublePoint>& Continue(CDoublePoint from, int pathIndex) {
        if (m_paths.empty() || pathIndex < 0 || pathIndex != m_nLastPath ||
            !(m_paths.back().back() == from))
            m_paths.push_back({from});
        m_nLastPath = pathIndex;
        return m_paths.back();
    }

    void AddArrow(const CTeXDrawPrimitive& p) {
        m_nLastPath = -1;
        m_paths.push_back({p.m_pt1, p.m_pt2});
        const CDoublePoint d = p.m_pt2 - p.m_pt1;
        const double len = std::hypot(d.x, d.y);
        if (len <= 0.0 || p.m_dHeadLength <= 0.0)
            return;
        const CDoublePoint u{d.x / len, d.y / len}, n{-u.y, u.x};
        const CDoublePoint base = p.m_pt2 - u * p.m_dHeadLength;
        const double w = 0.5 * p.m_dHeadWidth;
        m_paths.push_back({base + n * w, p.m_pt2, base - n * w});
    }

    void AddTurn(CDoublePoint c, double rx, double ry, double from, double to) {
        m_nLastPath = -1;
        if (!(rx > 0.0 || ry > 0.0))
            return;
        const int pieces = std::max(2, int(std::ceil(kTurnPieces * (to - from) / 360.0)));
        std::vector<CDoublePoint> path;
        path.reserve(std::size_t(pieces) + 1);
        for (int i = 0; i <= pieces; ++i)
            path.push_back(OnEllipse(c, rx, ry, from + (to - from) * i / pieces));
        m_paths.push_back(std::move(path));
    }
};

} // namespace

void ShowWhatItDraws(CRawTeXFigure& raw, const CTeXDrawProgram& program, std::size_t first,
                     std::size_t end) {
    CShownBuilder builder;
    end = std::min(end, program.m_statements.size());
    for (std::size_t i = first; i < end; ++i) {
        const CTeXDrawStatement& s = program.m_statements[i];
        for (int k = 0; k < s.m_nPrimitives; ++k)
            builder.Add(program.m_primitives[std::size_t(s.m_nFirstPrimitive + k)]);
    }
    raw.SetShownDrawing(std::move(builder.m_paths), std::move(builder.m_texts));
}
