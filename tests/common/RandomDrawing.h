// Generated drawings of every figure kind spread over the page, for the exactness tests and
// the benchmarks: about 15% text figures, boxes 15 to 120 units a side, lines 10 to 150 long.
#pragma once

#include "figures/BezierCurve.h"
#include "figures/FigureList.h"
#include "figures/Label.h"
#include "figures/Line.h"
#include "figures/Polyline.h"
#include "figures/Rectangle.h"
#include "figures/RotatableFigures.h"
#include "figures/Shapes.h"
#include "figures/TextFigures.h"

#include <cmath>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

// The kinds a user draws with the tools: line, dotted line, arrow, rectangle, rhomb, ellipse, the
// two rotatable frames, the Bezier curve and the three text figures; then TeXDraw's own shapes,
// which NextKind and AddTo leave out (kFigureKinds counts them all).
enum class EFigureKind {
    Line,
    DottedLine,
    Arrow,
    Rectangle,
    Rhomb,
    Ellipse,
    RotatableRectangle,
    RotatableEllipse,
    BezierCurve,
    TextRectangle,
    TextEllipse,
    TextRhomb,
    Circle,
    AxisEllipse,
    Arc,
    Polyline,
    Polygon,
    Label,
    Path,
};
inline constexpr int kFigureKinds = 19;

class CRandomDrawing {
public:
    explicit CRandomDrawing(unsigned seed, double pageWidth = 681, double pageHeight = 801)
        : m_rng(seed), m_dWidth(pageWidth), m_dHeight(pageHeight) {}

    // Lines, boxes, radii and polylines made this many times their usual size from now on.
    void SetSize(double size) { m_dSize = size; }

    EFigureKind NextKind() {
        // 15% text figures, the other nine kinds sharing the rest.
        if (Uniform(0, 1) < 0.15)
            return static_cast<EFigureKind>(9 + Int(0, 2));
        return static_cast<EFigureKind>(Int(0, 8));
    }

    std::unique_ptr<CFigure> Make(EFigureKind kind) {
        switch (kind) {
        case EFigureKind::Line:
        case EFigureKind::DottedLine:
        case EFigureKind::Arrow: {
            std::unique_ptr<CLine> line =
                kind == EFigureKind::Arrow ? std::make_unique<CArrow>() : std::make_unique<CLine>();
            if (kind == EFigureKind::DottedLine)
                line->m_nPenStyle = 2;
            const double len = Uniform(10, 150) * m_dSize, a = Uniform(0, 2 * M_PI);
            const CDoublePoint d{len * std::cos(a), len * std::sin(a)};
            line->m_pt1 = Inside(d);
            line->m_pt2 = line->m_pt1 + d;
            return line;
        }
        case EFigureKind::Rectangle:
            return Frame(std::make_unique<CRectangle>(), false);
        case EFigureKind::Rhomb:
            return Frame(std::make_unique<CRhomb>(), false);
        case EFigureKind::Ellipse:
            return Frame(std::make_unique<CEllipse>(), false);
        case EFigureKind::RotatableRectangle:
            return Frame(std::make_unique<CRotatableRectangle>(), true);
        case EFigureKind::RotatableEllipse:
            return Frame(std::make_unique<CRotatableEllipse>(), true);
        case EFigureKind::BezierCurve: {
            auto curve = Frame(std::make_unique<CBezierCurve>(), false);
            // Control points placed freely around the frame.
            curve->m_pt3 =
                curve->m_pt3 + CDoublePoint{Uniform(-40, 40), Uniform(-40, 40)} * m_dSize;
            curve->m_pt4 =
                curve->m_pt4 + CDoublePoint{Uniform(-40, 40), Uniform(-40, 40)} * m_dSize;
            return curve;
        }
        case EFigureKind::TextRectangle:
            return Text(Frame(std::make_unique<CTextRectangle>(), false));
        case EFigureKind::TextEllipse:
            return Text(Frame(std::make_unique<CTextEllipse>(), false));
        case EFigureKind::TextRhomb:
            return Text(Frame(std::make_unique<CTextRhomb>(), false));
        case EFigureKind::Circle:
        case EFigureKind::AxisEllipse:
        case EFigureKind::Arc: {
            std::unique_ptr<CRoundFigure> f;
            if (kind == EFigureKind::Circle)
                f = std::make_unique<CCircle>();
            else if (kind == EFigureKind::AxisEllipse)
                f = std::make_unique<CAxisEllipse>();
            else
                f = std::make_unique<CArc>();
            const CDoublePoint r{WrittenLength(Uniform(5, 60) * m_dSize),
                                 WrittenLength(Uniform(5, 60) * m_dSize)};
            f->m_pt1 = f->m_pt2 = Inside(r * 2.0) + r;
            f->m_dRadiusX = r.x;
            f->m_dRadiusY = kind == EFigureKind::AxisEllipse ? r.y : r.x;
            if (auto* arc = dynamic_cast<CArc*>(f.get())) {
                arc->m_dStartAngle = Int(0, 359);
                arc->m_dEndAngle = (Int(1, 359) + static_cast<int>(arc->m_dStartAngle)) % 360;
            }
            return f;
        }
        case EFigureKind::Polyline:
        case EFigureKind::Polygon: {
            auto f = std::make_unique<CPolyline>();
            const CDoublePoint size = CDoublePoint{Uniform(20, 150), Uniform(20, 150)} * m_dSize;
            const CDoublePoint a = Inside(size);
            std::vector<CDoublePoint> corners;
            for (int i = Int(kind == EFigureKind::Polygon ? 3 : 2, 7); i > 0; --i)
                corners.push_back(a + CDoublePoint{Uniform(0, size.x), Uniform(0, size.y)});
            f->SetCorners(corners);
            if (kind == EFigureKind::Polygon)
                f->Close();
            return f;
        }
        case EFigureKind::Path: {
            // Straight and curved pieces mixed, chains of curves among them, open or closed.
            auto f = std::make_unique<CPolyline>();
            f->MakePath();
            const CDoublePoint size = CDoublePoint{Uniform(20, 150), Uniform(20, 150)} * m_dSize;
            const CDoublePoint a = Inside(size);
            const auto any = [&] {
                return a + CDoublePoint{Uniform(0, size.x), Uniform(0, size.y)};
            };
            std::vector<CDoublePoint> corners;
            for (int i = Int(2, 6); i > 0; --i)
                corners.push_back(any());
            f->SetCorners(corners);
            if (corners.size() >= 3 && Int(0, 2) == 0)
                f->Close();
            std::vector<CPieceCurve> curves(static_cast<std::size_t>(f->GetPieceCount()));
            for (CPieceCurve& c : curves)
                if (Int(0, 2) > 0)
                    c = {true, any(), any()};
            f->SetCurves(curves);
            return f;
        }
        case EFigureKind::Label: {
            auto f = Text(std::make_unique<CLabel>());
            f->m_pt1 = f->m_pt2 = Inside({});
            f->m_cHRef = "LCR"[Int(0, 2)];
            f->m_cVRef = "TCB"[Int(0, 2)];
            f->m_dAngle = std::vector<double>{0, 90, 45, 300, 12.5}[Int(0, 4)];
            return f;
        }
        }
        return nullptr;
    }

    std::unique_ptr<CFigure> Next() { return Make(NextKind()); }

    // count figures added on top of the list; every kind at least once when count >= 12.
    void AddTo(CFigureList& list, int count) {
        for (int i = 0; i < count; ++i)
            list.Add(i < 12 ? Make(static_cast<EFigureKind>(i)) : Next());
    }

    // count figures of every kind on top of the list, TeXDraw's own shapes and labels among them
    // (one in six), and every styleStride-th of them with a style of its own.
    void AddEveryKindTo(CFigureList& list, int count, int styleStride) {
        const int first = list.GetCount();
        for (int i = 0; i < count; ++i) {
            if (i < kFigureKinds)
                list.Add(Make(static_cast<EFigureKind>(i)));
            else if (Int(0, 5) == 0)
                list.Add(Make(static_cast<EFigureKind>(int(EFigureKind::Circle) + Int(0, 5))));
            else
                list.Add(Next());
        }
        StyleEvery(list, first, styleStride);
    }

    // A style such as the style panel gives: widths, patterns, greys, fills, the five heads at
    // either end and of any size.
    CStyle RandomStyle() {
        static const std::vector<double> kPatterns[] = {
            {}, {kDottedDash, kDottedGap}, {6, 4}, {6, 3, 1, 3}, {0.5, 2.25, 7.125}};
        CStyle s;
        s.dLineWidth = Int(0, 1) ? Uniform(0, 20) : 1.10696 * Int(0, 4);
        s.pattern = kPatterns[Int(0, 4)];
        s.dLineGrey = Int(0, 1) ? 0.0 : Uniform(0, 1);
        if (Int(0, 1))
            s.fillGrey = Uniform(0, 1);
        // Some of the lighter fills without their outline (circles and ellipses take that).
        s.bOutline = !(s.fillGrey && *s.fillGrey > 0.8);
        s.eHeads = static_cast<EArrowHeads>(Int(0, 3));
        s.cHeadType = "FTWVH"[Int(0, 4)];
        if (Int(0, 1)) {
            s.dHeadLength = Uniform(1, 40);
            s.dHeadWidth = Uniform(1, 20);
        }
        return s;
    }

    // Every stride-th figure of the list from `first` on gets a random style.
    void StyleEvery(CFigureList& list, int first, int stride) {
        for (int i = first; i < list.GetCount(); i += stride)
            list.GetAt(i)->ApplyStyle(RandomStyle(), kStyleAll);
    }

    double Uniform(double lo, double hi) { return std::uniform_real_distribution<>(lo, hi)(m_rng); }
    int Int(int lo, int hi) { return std::uniform_int_distribution<>(lo, hi)(m_rng); }
    std::mt19937& Rng() { return m_rng; }

private:
    // A start point for an extent d such that both ends stay on the page.
    CDoublePoint Inside(CDoublePoint d) {
        const double x0 = std::max(0.0, -d.x), x1 = std::min(m_dWidth, m_dWidth - d.x);
        const double y0 = std::max(0.0, -d.y), y1 = std::min(m_dHeight, m_dHeight - d.y);
        return {Uniform(x0, x1), Uniform(y0, y1)};
    }

    template <class T> std::unique_ptr<T> Frame(std::unique_ptr<T> f, bool turn) {
        const CDoublePoint size = CDoublePoint{Uniform(15, 120), Uniform(15, 120)} * m_dSize;
        const CDoublePoint a = Inside(size);
        const CDoublePoint b = a + size;
        f->m_pt1 = a;
        f->m_pt2 = b;
        f->m_pt3 = {b.x, a.y};
        f->m_pt4 = {a.x, b.y};
        if (turn) {
            const CDoublePoint c = (a + b) * 0.5;
            const double angle = Uniform(-M_PI, M_PI);
            TurnFrameToward(*f, c + CDoublePoint{std::cos(angle), std::sin(angle)} * 50.0);
        }
        return f;
    }

    template <class T> std::unique_ptr<T> Text(std::unique_ptr<T> f) {
        static const char* const kWords[] = {"A",     "x",      "Node",
                                             "n+1",   "Start",  "End",
                                             "12.5",  "f(x)",   "\xC3\xA4\xC3\xB6",
                                             "Queue", "Server", "a long label"};
        f->m_strText = std::string(kWords[Int(0, 11)]) +
                       (Int(0, 1) ? std::to_string(Int(0, 99)) : std::string());
        return f;
    }

    std::mt19937 m_rng;
    double m_dSize = 1.0;
    double m_dWidth, m_dHeight;
};

// count lines of 10 to 150 pixels (at zoom 1) spread over the page, none of which crosses another
// (as infinite lines through their end pixels, which is how the intersection snap sees them)
// within `clear` pixels of `probe`, and none with an end or its centre that near: a point there
// walks every pair before finding nothing.
inline void AddLinesAwayFrom(CFigureList& list, int count, CPoint probe, double clear,
                             unsigned seed) {
    CRandomDrawing gen(seed);
    std::vector<std::pair<CDoublePoint, CDoublePoint>> lines; // end pixel, direction
    while (static_cast<int>(lines.size()) < count) {
        const double len = gen.Uniform(10, 150), a = gen.Uniform(0, 2 * M_PI);
        const int x = gen.Int(0, 680), y = gen.Int(0, 800);
        const CPoint p{x, y}, q{x + RoundHalf(len * std::cos(a)), y + RoundHalf(len * std::sin(a))};
        const CDoublePoint pp{double(p.x), double(p.y)}, d{double(p.x) - q.x, double(p.y) - q.y};
        const CPoint mid = (CDoublePoint{double(p.x), double(p.y)} * 0.5 +
                            CDoublePoint{double(q.x), double(q.y)} * 0.5)
                               .ToPoint();
        bool near = false;
        for (const CPoint k : {p, q, mid})
            near = near || std::hypot(k.x - probe.x, k.y - probe.y) <= clear;
        for (const auto& [lp, ld] : lines) {
            if (near)
                break;
            const auto c = IntersectLines(pp, d, lp, ld);
            if (c && std::hypot(c->x - probe.x, c->y - probe.y) <= clear) {
                near = true;
                break;
            }
        }
        if (near)
            continue;
        lines.push_back({pp, d});
        auto line = std::make_unique<CLine>();
        line->SetPoints(p.x, p.y, q.x, q.y, 1.0);
        list.Add(std::move(line));
    }
}
