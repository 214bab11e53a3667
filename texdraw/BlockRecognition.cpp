// Recognising one block of the editor's own files: the figure it holds, rebuilt, kept only when
// it writes the very bytes read (or, for blocks of rounded points, the same numbers within
// rounding).
#include "texdraw/BlockRecognition.h"

#include "figures/BezierCurve.h"
#include "figures/Label.h"
#include "figures/Line.h"
#include "figures/Polyline.h"
#include "figures/Rectangle.h"
#include "figures/RotatableFigures.h"
#include "figures/Shapes.h"
#include "figures/TextFigures.h"
#include "texdraw/FrameRecovery.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <optional>

using namespace texdraw_reader;

namespace {

void ApplyFrame(CFramedFigure& f, const CFrame& fr) {
    f.m_pt1 = fr.p1;
    f.m_pt3 = fr.p3;
    f.m_pt2 = fr.p2;
    f.m_pt4 = fr.p4;
}

bool IsAxisParallel(const CFrame& f) {
    return f.p1.y == f.p3.y && f.p4.y == f.p2.y && f.p1.x == f.p4.x && f.p3.x == f.p2.x;
}

bool IsStartupPictureFrame(const CFrame& f) {
    return f.p1 == CDoublePoint{7, 4} && f.p3 == CDoublePoint{49, 4} &&
           f.p2 == CDoublePoint{49, 49} && f.p4 == CDoublePoint{7, 49};
}

// A number as the writer formats it: an optional minus, digits, a point, two digits.
bool IsWrittenNumber(std::string_view s) {
    if (!s.empty() && s.front() == '-')
        s.remove_prefix(1);
    return s.size() >= 4 && s[s.size() - 3] == '.' &&
           std::all_of(s.begin(), s.end() - 3, [](char c) { return c >= '0' && c <= '9'; }) &&
           std::isdigit(static_cast<unsigned char>(s[s.size() - 2])) &&
           std::isdigit(static_cast<unsigned char>(s[s.size() - 1]));
}

// Are the two texts the same but for written numbers that differ by at most tolerance?
bool SameWithin(std::string_view a, std::string_view b, double tolerance) {
    auto isNum = [](char c) { return c == '-' || c == '.' || (c >= '0' && c <= '9'); };
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (isNum(a[i]) && isNum(b[j])) {
            std::size_t ie = i, je = j;
            while (ie < a.size() && isNum(a[ie]))
                ++ie;
            while (je < b.size() && isNum(b[je]))
                ++je;
            const std::string_view na = a.substr(i, ie - i), nb = b.substr(j, je - j);
            if (na != nb) {
                double va = 0, vb = 0;
                if (!IsWrittenNumber(na) || !IsWrittenNumber(nb) ||
                    std::from_chars(na.data(), na.data() + na.size(), va).ec != std::errc() ||
                    std::from_chars(nb.data(), nb.data() + nb.size(), vb).ec != std::errc() ||
                    !(std::fabs(va - vb) <= tolerance + 1e-9))
                    return false;
            }
            i = ie;
            j = je;
        } else if (a[i++] != b[j++]) {
            return false;
        }
    }
    return i == a.size() && j == b.size();
}

std::unique_ptr<CFramedFigure> NewFramed(EKind kind, const CFrame& frame, bool styled) {
    switch (kind) {
    case EKind::Rectangle:
        // The start-up picture writes a plain rectangle block; one still in its start-up frame
        // comes back as the picture, so a reopened drawing looks as it did. Anywhere else it
        // cannot be told from a rectangle.
        if (IsStartupPictureFrame(frame) && !styled)
            return std::make_unique<CPictureFigure>();
        // Nothing tells a test-mode rectangle that was never turned from a plain one.
        if (IsAxisParallel(frame))
            return std::make_unique<CRectangle>();
        return std::make_unique<CRotatableRectangle>();
    case EKind::Ellipse:
        // Only the test-mode ellipse writes a bare ellipse block.
        return std::make_unique<CRotatableEllipse>();
    case EKind::Rhomb:
        return std::make_unique<CRhomb>();
    case EKind::TextRectangle:
        return std::make_unique<CTextRectangle>();
    case EKind::TextEllipse:
        return std::make_unique<CTextEllipse>();
    case EKind::TextRhomb:
        return std::make_unique<CTextRhomb>();
    default:
        return nullptr;
    }
}

void SetText(CFigure& f, const std::string& text) {
    if (std::string* t = GetFigureText(f))
        *t = text;
}

// How far (in TeXDraw units) the arcs of a squeezed ellipse's nearest frame may lie from those
// read: such a figure keeps the block it was read from, so only a block that this editor cannot
// have written (arcs of no frame near these) stays text.
constexpr double kLooseEllipseTolerance = 1.0;

// The strokes of a path's block: each from its "\\move", its pieces straight or curved; none when
// the commands are of another form.
std::vector<CPolyline::CStroke> PathStrokes(const std::vector<std::string_view>& commands,
                                            const std::vector<CDoublePoint>& p) {
    std::vector<CPolyline::CStroke> strokes;
    std::size_t at = 0;
    for (std::string_view c : commands) {
        const std::size_t need = c == "\\clvec" ? 3 : 1;
        if (at + need > p.size() || (c != "\\move" && strokes.empty()))
            return {};
        if (c == "\\move") {
            strokes.push_back({{p[at]}, false, {}, false});
        } else if (c == "\\clvec") {
            CPolyline::CStroke& s = strokes.back();
            s.curves.resize(s.points.size() - 1);
            s.curves.push_back({true, p[at], p[at + 1]});
            s.points.push_back(p[at + 2]);
        } else if (c == "\\lvec" || c == "\\avec") {
            strokes.back().points.push_back(p[at]);
        } else {
            return {};
        }
        at += need;
    }
    return strokes;
}

// The figure of TeXDraw's own shapes (circle, ellipse, arc, polyline, polygon, label) that
// writes span again exactly; null when none does, or when it would be a figure the editor does
// not make (no radius, too few corners, no text), which then stays text.
std::unique_ptr<CFigure> RecogniseShape(const CBlockData& d, std::string_view span) {
    // A polyline's fill without its outline: the fill's path gives the corners.
    const bool fillAlone = d.points.empty() && d.style.fillGrey && !d.fillPoints.empty();
    const auto& p = fillAlone ? d.fillPoints : d.points;
    const auto same = [&](std::unique_ptr<CFigure> f) -> std::unique_ptr<CFigure> {
        f->m_style.bOutline = f->m_style.bOutline && !fillAlone;
        if (!f->WhyNotDrawable().empty() || f->ExportTeX() != span)
            return nullptr;
        return f;
    };
    const auto length = [](double tex) { return WrittenLength(100.0 * tex); };
    switch (d.kind) {
    case EKind::Circle:
    case EKind::AxisEllipse:
    case EKind::Arc: {
        const std::size_t want = d.kind == EKind::AxisEllipse ? 2 : d.kind == EKind::Arc ? 3 : 1;
        if (p.size() != 1 || d.numbers.size() < want)
            return nullptr;
        std::unique_ptr<CRoundFigure> f;
        if (d.kind == EKind::Circle) {
            f = std::make_unique<CCircle>();
        } else if (d.kind == EKind::AxisEllipse) {
            f = std::make_unique<CAxisEllipse>();
        } else {
            auto arc = std::make_unique<CArc>();
            arc->m_dStartAngle = d.numbers[1];
            arc->m_dEndAngle = d.numbers[2];
            if (!(arc->m_dStartAngle < 360.0) || !(arc->m_dEndAngle < 360.0) ||
                arc->m_dStartAngle == arc->m_dEndAngle)
                return nullptr;
            f = std::move(arc);
        }
        f->m_pt1 = f->m_pt2 = p[0];
        // The outline's numbers come last, after a fill's.
        const std::size_t at = d.numbers.size() - want;
        f->m_dRadiusX = length(d.numbers[at]);
        f->m_dRadiusY = d.kind == EKind::AxisEllipse ? length(d.numbers[at + 1]) : f->m_dRadiusX;
        if (f->m_dRadiusX > 2.0 * kPageReach || f->m_dRadiusY > 2.0 * kPageReach)
            return nullptr;
        f->m_style = d.style;
        if (f->m_style.fillGrey && d.kind != EKind::Arc && f->ExportTeX() != span) {
            // A fill alone: the disc or the ellipse's area without its outline.
            f->m_style.bOutline = false;
        }
        return same(std::move(f));
    }
    case EKind::Polyline: {
        if (p.size() < 2 || p.size() > static_cast<std::size_t>(kMaxCorners) + 2)
            return nullptr;
        // The corners as the heads have them written: in order, turned round, or the first piece
        // turned round before the rest.
        std::vector<std::pair<EArrowHeads, std::vector<CDoublePoint>>> forms{
            {EArrowHeads::None, p},
            {EArrowHeads::End, p},
            {EArrowHeads::Start, {p.rbegin(), p.rend()}}};
        if (p.size() == 4)
            forms.push_back({EArrowHeads::Both, {p[0], p[1]}});
        if (p.size() >= 4) {
            std::vector<CDoublePoint> c{p[1], p[0]};
            c.insert(c.end(), p.begin() + 3, p.end());
            forms.push_back({EArrowHeads::Both, c});
        }
        for (auto& [heads, corners] : forms) {
            auto f = std::make_unique<CPolyline>();
            f->SetCorners(corners);
            f->m_style = d.style;
            f->m_style.eHeads = heads;
            if (auto g = same(std::move(f)))
                return g;
        }
        return nullptr;
    }
    case EKind::Polygon: {
        if (p.size() < 4 || p.size() > static_cast<std::size_t>(kMaxCorners) + 1 ||
            !(p.front() == p.back()))
            return nullptr;
        auto f = std::make_unique<CPolyline>();
        f->SetCorners({p.begin(), p.end() - 1});
        f->Close();
        f->m_style = d.style;
        return same(std::move(f));
    }
    case EKind::Path: {
        const std::vector<CPolyline::CStroke> strokes =
            PathStrokes(fillAlone ? d.fillCommands : d.commands, p);
        if (strokes.empty() || strokes.front().points.size() < 2 ||
            strokes.front().points.size() > static_cast<std::size_t>(kMaxCorners) + 1)
            return nullptr;
        // The whole path as the heads have it written: in order, turned round, or its first
        // straight piece turned round before the rest.
        std::vector<CPolyline::CStroke> forms{strokes.front(), strokes.front().Reversed()};
        if (strokes.size() >= 2 && strokes[0].points.size() == 2 && strokes[0].curves.empty() &&
            strokes[1].points.front() == strokes[0].points.front()) {
            CPolyline::CStroke joined{{strokes[0].points[1]}, false, {{}}, false};
            joined.points.insert(joined.points.end(), strokes[1].points.begin(),
                                 strokes[1].points.end());
            joined.curves.insert(joined.curves.end(), strokes[1].curves.begin(),
                                 strokes[1].curves.end());
            forms.push_back(std::move(joined));
        }
        for (const CPolyline::CStroke& form : forms) {
            const bool loop = form.points.size() >= 4 && form.points.front() == form.points.back();
            for (int heads = loop ? -1 : 0; heads < 4; ++heads) {
                auto f = std::make_unique<CPolyline>();
                f->MakePath();
                f->SetCorners({form.points.begin(), form.points.end() - (heads < 0 ? 1 : 0)});
                if (heads < 0)
                    f->Close();
                f->SetCurves(form.curves);
                f->m_style = d.style;
                f->m_style.eHeads = heads < 0 ? EArrowHeads::None : static_cast<EArrowHeads>(heads);
                if (auto g = same(std::move(f)))
                    return g;
            }
        }
        return nullptr;
    }
    case EKind::Label: {
        if (p.size() != 1 || !IsHRef(d.hRef) || !IsVRef(d.vRef) || !(d.angle < 360.0))
            return nullptr;
        auto f = std::make_unique<CLabel>();
        f->m_pt1 = f->m_pt2 = p[0];
        f->m_cHRef = d.hRef;
        f->m_cVRef = d.vRef;
        f->m_dAngle = d.angle;
        f->m_strText = d.text;
        return same(std::move(f));
    }
    default:
        return nullptr;
    }
}

} // namespace

// The figure that writes span again: exactly, or for the shapes that hold rounded points only,
// within rounding (approximated is then set). Null when the block is not one the editor wrote.
std::unique_ptr<CFigure> RecogniseBlock(const CBlockData& d, std::string_view span,
                                        bool& approximated) {
    approximated = false;
    const auto& p = d.points;
    switch (d.kind) {
    case EKind::Line:
    case EKind::Arrow: {
        // The vectors tell where the heads are; a head at the start alone is written as one at
        // the end of the line turned round, and read back so.
        struct {
            EArrowHeads heads;
            std::size_t count, first, second;
        } const kForms[] = {{EArrowHeads::None, 2, 0, 1},
                            {EArrowHeads::End, 2, 0, 1},
                            {EArrowHeads::Both, 4, 3, 1}};
        for (const auto& form : kForms) {
            if (p.size() != form.count)
                continue;
            std::unique_ptr<CLine> line;
            if (d.kind == EKind::Arrow)
                line = std::make_unique<CArrow>();
            else
                line = std::make_unique<CLine>();
            line->m_pt1 = p[form.first];
            line->m_pt2 = p[form.second];
            CStyle style = d.style;
            style.eHeads = form.heads;
            line->m_style = style;
            line->ApplyStyle(style, kStylePattern); // the dotted line's pattern makes it dotted
            if (line->ExportTeX() == span)
                return line;
        }
        return nullptr;
    }
    case EKind::Circle:
    case EKind::AxisEllipse:
    case EKind::Arc:
    case EKind::Polyline:
    case EKind::Polygon:
    case EKind::Path:
    case EKind::Label:
        return RecogniseShape(d, span);
    case EKind::Bezier: {
        if (p.size() < 4)
            return nullptr;
        auto curve = std::make_unique<CBezierCurve>();
        // The block shows the points rounded to whole units.
        curve->m_pt1 = Unrounded(Whole(p[0])); // start
        curve->m_pt3 = Unrounded(Whole(p[1])); // first control point
        curve->m_pt4 = Unrounded(Whole(p[2])); // second control point
        curve->m_pt2 = Unrounded(Whole(p[3])); // end
        for (EArrowHeads heads :
             {EArrowHeads::None, EArrowHeads::End, EArrowHeads::Start, EArrowHeads::Both}) {
            curve->m_style = d.style;
            curve->m_style.eHeads = heads;
            if (curve->ExportTeX() == span)
                return curve;
        }
        return nullptr;
    }
    default:
        break;
    }

    const bool text = IsTextKind(d.kind);
    const EKind shape = ShapeOf(d.kind);
    const std::vector<CFrame> frames = BlockFrames(d);
    // Numbers a rounded block may get differently: a rhomb's midpoints and a text's centre by
    // 0.01, a turned ellipse's points by 0.02 (its corners come back within a unit).
    const double tolerance = shape == EKind::Ellipse         ? 0.02
                             : text || shape == EKind::Rhomb ? 0.01
                                                             : 0.0;
    std::unique_ptr<CFramedFigure> nearest;
    for (const CFrame& frame : frames) {
        auto figure = NewFramed(d.kind, frame, !(d.style == CStyle{}));
        ApplyFrame(*figure, frame);
        if (text)
            SetText(*figure, d.text);
        figure->m_style = d.style;
        const std::string written = figure->ExportTeX();
        if (written == span)
            return figure;
        if (!nearest && tolerance > 0 && SameWithin(written, span, tolerance))
            nearest = std::move(figure);
    }
    // Arcs of a frame squeezed flat say little about its corners: the last candidate, the frame
    // whose arcs come nearest, is taken when it lies within a few units.
    if (!nearest && shape == EKind::Ellipse && !frames.empty()) {
        auto figure = NewFramed(d.kind, frames.back(), !(d.style == CStyle{}));
        ApplyFrame(*figure, frames.back());
        if (text)
            SetText(*figure, d.text);
        figure->m_style = d.style;
        if (SameWithin(figure->ExportTeX(), span, kLooseEllipseTolerance))
            nearest = std::move(figure);
    }
    // A figure found only within rounding keeps the block it was read from, and the file gets
    // that block back until the figure is changed.
    if (nearest) {
        nearest->m_strReadBlock = span;
        nearest->m_strRecoveredBlock = nearest->ExportTeX();
    }
    approximated = nearest != nullptr;
    return nearest;
}
