#include "figures/ForeignBlock.h"

#include "figures/StyleCommands.h"

#include "figures/BezierCurve.h"
#include "figures/Figure.h"
#include "figures/Label.h"
#include "figures/Line.h"
#include "figures/Polyline.h"
#include "figures/Shapes.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace {

// v with at most `decimals` decimals, trailing zeros and a bare point dropped, "0" for any zero:
// "1.25", "-3", "0".
void AppendDecimal(std::string& out, double v, int decimals) {
    char buf[512];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
    if (r.ec != std::errc{}) {
        out += '0';
        return;
    }
    char* end = r.ptr;
    if (std::string_view(buf, static_cast<std::size_t>(end - buf)).find('.') !=
        std::string_view::npos) {
        while (end[-1] == '0')
            --end;
        if (end[-1] == '.')
            --end;
    }
    std::string_view s(buf, static_cast<std::size_t>(end - buf));
    if (s == "-0")
        s = "0";
    out += s;
}

// A figure keeps its lengths as the editor writes them (to 0.00001 in) and its greys to five
// decimals: within that, a length or grey is the one a statement set.
bool SameLength(double a, double b) {
    return std::fabs(a - b) <= 0.002;
}

bool SameParts(const CTeXDrawSettings& a, const CTeXDrawSettings& b, unsigned part) {
    switch (part) {
    case kSayWidth:
        return SameLength(a.m_style.m_dWidth, b.m_style.m_dWidth);
    case kSayPattern:
        return std::equal(a.m_style.m_dashes.begin(), a.m_style.m_dashes.end(),
                          b.m_style.m_dashes.begin(), b.m_style.m_dashes.end(), SameLength);
    case kSayGray:
        return std::fabs(a.m_style.m_dGray - b.m_style.m_dGray) <= 1e-5;
    case kSayHeadType:
        return a.m_cHeadType == b.m_cHeadType;
    case kSayHeadSize:
        return SameLength(a.m_dHeadLength, b.m_dHeadLength) &&
               SameLength(a.m_dHeadWidth, b.m_dHeadWidth);
    case kSayTextRef:
        return a.m_cHRef == b.m_cHRef && a.m_cVRef == b.m_cVRef;
    default:
        return true;
    }
}

void TakeParts(CTeXDrawSettings& to, const CTeXDrawSettings& from, unsigned part) {
    switch (part) {
    case kSayWidth:
        to.m_style.m_dWidth = from.m_style.m_dWidth;
        break;
    case kSayPattern:
        to.m_style.m_dashes = from.m_style.m_dashes;
        break;
    case kSayGray:
        to.m_style.m_dGray = from.m_style.m_dGray;
        break;
    case kSayHeadType:
        to.m_cHeadType = from.m_cHeadType;
        break;
    case kSayHeadSize:
        to.m_dHeadLength = from.m_dHeadLength;
        to.m_dHeadWidth = from.m_dHeadWidth;
        break;
    case kSayTextRef:
        to.m_cHRef = from.m_cHRef;
        to.m_cVRef = from.m_cVRef;
        break;
    default:
        break;
    }
}

constexpr unsigned kEveryPart[] = {kSayWidth,    kSayPattern,  kSayGray,
                                   kSayHeadType, kSayHeadSize, kSayTextRef};
// Angles and greys are written to this many decimals at most.
constexpr int kValueDecimals = 4;

class CForeignWriter {
public:
    CForeignWriter(std::string& out, const CForeignFrame& frame)
        : m_out(out), m_frame(frame), m_now(frame.inForce) {}

    // The settings the figure is drawn in: those in force, with its own style over them.
    CTeXDrawSettings Wanted(const CFigure& f) const {
        CTeXDrawSettings want = m_frame.inForce;
        const CStyle& s = f.m_style;
        if ((f.GetStyleCaps() & kStyleOutline) && s.HasOutline()) {
            want.m_style.m_dWidth = s.dLineWidth;
            want.m_style.m_dashes = f.GetLinePattern();
            want.m_style.m_dGray = s.dLineGrey;
        }
        if ((f.GetStyleCaps() & kStyleHeads) && s.eHeads != EArrowHeads::None) {
            want.m_cHeadType = s.cHeadType;
            want.m_dHeadLength = s.dHeadLength;
            want.m_dHeadWidth = s.dHeadWidth;
        }
        if (const auto* label = dynamic_cast<const CLabel*>(&f)) {
            want.m_cHRef = label->m_cHRef;
            want.m_cVRef = label->m_cVRef;
        }
        return want;
    }

    // Brings every part of the settings to want's: in the figure's own words where one of its
    // statements said just that, else in a statement of the drawing's units.
    void Settle(const CTeXDrawSettings& want) {
        for (const unsigned part : kEveryPart) {
            if (SameParts(m_now, want, part))
                continue;
            const CForeignFrame::CSaying* said = nullptr;
            for (const CForeignFrame::CSaying& s : m_frame.sayings)
                if ((s.nParts & part) && SameParts(s.after, want, part))
                    said = &s;
            if (said) {
                m_out += said->strText;
                m_out += '\n';
                TakeParts(m_now, said->after, said->nParts);
            } else {
                Say(part, want);
                TakeParts(m_now, want, part);
            }
        }
    }

    // A length or coordinate in the drawing's units: the fewest decimals (up to the frame's) that
    // TeXDraw takes to the same 1/300 in, so that what did not move reads as it was written.
    void Length(double pageUnits) {
        const double v = pageUnits / m_frame.dUnit;
        const double pixels = std::round(pageUnits * 3.0);
        double scale = 1.0;
        for (int digits = 0; digits < m_frame.nDecimals; ++digits, scale *= 10.0) {
            const double r = std::round(v * scale) / scale;
            const double at = r * m_frame.dUnit * 3.0;
            if (std::round(at) == pixels && std::fabs(at - pixels) < 0.49) {
                AppendDecimal(m_out, r, digits);
                return;
            }
        }
        AppendDecimal(m_out, v, m_frame.nDecimals);
    }
    void Value(double v) { AppendDecimal(m_out, v, kValueDecimals); }

    void Point(const CDoublePoint& p) {
        m_out += '(';
        Length(p.x - m_frame.ptFrameOrigin.x);
        m_out += ' ';
        Length(m_frame.ptFrameOrigin.y - p.y);
        m_out += ')';
    }

    // A command to a point, which becomes the current one.
    void To(const char* command, const CDoublePoint& p) {
        m_out += command;
        Point(p);
        m_out += '\n';
        m_ptAt = p;
    }

    void Fill(const char* command, double grey) {
        m_out += command;
        m_out += " f:";
        Value(grey);
    }

    // The current point the statements after the figure go on from.
    void Leave() {
        if (!(m_ptAt == m_frame.ptLeft))
            To("\\move", m_frame.ptLeft);
    }

    CDoublePoint m_ptAt;

private:
    std::string& m_out;
    const CForeignFrame& m_frame;
    CTeXDrawSettings m_now;

    void Say(unsigned part, const CTeXDrawSettings& want) {
        switch (part) {
        case kSayWidth:
            m_out += StyleCommand(EStyleCommand::LineWd).strOpening;
            Length(want.m_style.m_dWidth);
            break;
        case kSayPattern:
            m_out += StyleCommand(EStyleCommand::LPatt).strOpening;
            for (std::size_t i = 0; i < want.m_style.m_dashes.size(); ++i) {
                if (i > 0)
                    m_out += ' ';
                Length(want.m_style.m_dashes[i]);
            }
            m_out += ')';
            break;
        case kSayGray:
            m_out += StyleCommand(EStyleCommand::SetGray).strOpening;
            Value(want.m_style.m_dGray);
            break;
        case kSayHeadType:
            m_out += StyleCommand(EStyleCommand::ArrowHeadType).strOpening;
            m_out += want.m_cHeadType;
            break;
        case kSayHeadSize:
            m_out += StyleCommand(EStyleCommand::ArrowHeadSize).strOpening;
            Length(want.m_dHeadLength);
            m_out += " w:";
            Length(want.m_dHeadWidth);
            break;
        case kSayTextRef:
            m_out += StyleCommand(EStyleCommand::TextRef).strOpening;
            m_out += want.m_cHRef;
            m_out += " v:";
            m_out += want.m_cVRef;
            break;
        default:
            return;
        }
        m_out += '\n';
    }
};

void LineStatements(CForeignWriter& w, const CLine& f) {
    const CDoublePoint mid = (f.m_pt1 + f.m_pt2) * 0.5;
    switch (f.m_style.eHeads) {
    case EArrowHeads::None:
        w.To("\\move", f.m_pt1);
        w.To("\\lvec", f.m_pt2);
        break;
    case EArrowHeads::End:
        w.To("\\move", f.m_pt1);
        w.To("\\avec", f.m_pt2);
        break;
    case EArrowHeads::Start:
        w.To("\\move", f.m_pt2);
        w.To("\\avec", f.m_pt1);
        break;
    case EArrowHeads::Both:
        w.To("\\move", mid);
        w.To("\\avec", f.m_pt2);
        w.To("\\move", mid);
        w.To("\\avec", f.m_pt1);
        break;
    }
}

void PolylineStatements(CForeignWriter& w, std::string& out, const CPolyline& f) {
    const auto path = [&](const CPolyline::CStroke& stroke) {
        for (std::size_t i = 0; i < stroke.points.size(); ++i) {
            if (i > 0 && stroke.IsCurved(i - 1)) {
                // A path's curve, its control points in the drawing's units as its corners are.
                out += "\\clvec";
                w.Point(stroke.curves[i - 1].c1);
                w.Point(stroke.curves[i - 1].c2);
                w.To("", stroke.points[i]);
                continue;
            }
            w.To(i == 0                                         ? "\\move"
                 : stroke.head && i + 1 == stroke.points.size() ? "\\avec"
                                                                : "\\lvec",
                 stroke.points[i]);
        }
    };
    const std::vector<CPolyline::CStroke> strokes = f.GetStrokes();
    if (f.IsFilled()) {
        // The fill goes under the outline: the same path, filled first.
        path(strokes.front());
        w.Fill("\\ifill", *f.m_style.fillGrey);
        out += '\n';
    }
    if (!f.IsFilled() || f.m_style.HasOutline())
        for (const CPolyline::CStroke& stroke : strokes)
            path(stroke);
}

void CurveStatements(CForeignWriter& w, std::string& out, const CBezierCurve& f) {
    w.To("\\move", f.m_pt1);
    out += "\\clvec";
    w.Point(f.m_pt3);
    w.Point(f.m_pt4);
    w.To("", f.m_pt2);
    // A head is a vector as long as the head, along the curve's tangent at that end.
    if (f.m_style.HasHeadAtEnd()) {
        w.To("\\move", f.GetTangentTail(true));
        w.To("\\avec", f.m_pt2);
    }
    if (f.m_style.HasHeadAtStart()) {
        w.To("\\move", f.GetTangentTail(false));
        w.To("\\avec", f.m_pt1);
    }
}

void RoundStatements(CForeignWriter& w, std::string& out, const CRoundFigure& f) {
    w.To("\\move", f.m_pt1);
    const auto radii = [&] {
        if (dynamic_cast<const CCircle*>(&f)) {
            out += " r:";
            w.Length(f.m_dRadiusX);
        } else {
            out += " rx:";
            w.Length(f.m_dRadiusX);
            out += " ry:";
            w.Length(f.m_dRadiusY);
        }
        out += '\n';
    };
    if (const auto* arc = dynamic_cast<const CArc*>(&f)) {
        out += "\\larc r:";
        w.Length(arc->m_dRadiusX);
        out += " sd:";
        w.Value(arc->m_dStartAngle);
        out += " ed:";
        w.Value(arc->m_dEndAngle);
        out += '\n';
        return;
    }
    const bool circle = dynamic_cast<const CCircle*>(&f) != nullptr;
    if (f.m_style.fillGrey) {
        w.Fill(circle ? "\\fcir" : "\\fellip", *f.m_style.fillGrey);
        radii();
    }
    if (f.m_style.HasOutline()) {
        out += circle ? "\\lcir" : "\\lellip";
        radii();
    }
}

void LabelStatements(CForeignWriter& w, std::string& out, const CLabel& f) {
    if (f.m_dAngle == 0.0) {
        out += "\\htext";
    } else if (f.m_dAngle == 90.0) {
        out += "\\vtext";
    } else {
        out += "\\rtext td:";
        w.Value(f.m_dAngle);
        out += ' ';
    }
    w.Point(f.m_pt1);
    w.m_ptAt = f.m_pt1;
    out += '{';
    out += f.m_strText;
    out += "}\n";
}

} // namespace

bool AppendForeignBlock(std::string& out, const CFigure& f, const CForeignFrame& frame) {
    if (!(frame.dUnit > 0.0) || !std::isfinite(frame.dUnit))
        return false;
    if (!f.WhyNotDrawable().empty())
        return true; // no figure of the drawing yet: it writes nothing
    std::string block;
    CForeignWriter w(block, frame);
    w.Settle(w.Wanted(f));
    if (const auto* label = dynamic_cast<const CLabel*>(&f))
        LabelStatements(w, block, *label);
    else if (const auto* poly = dynamic_cast<const CPolyline*>(&f))
        PolylineStatements(w, block, *poly);
    else if (const auto* curve = dynamic_cast<const CBezierCurve*>(&f))
        CurveStatements(w, block, *curve);
    else if (const auto* round = dynamic_cast<const CRoundFigure*>(&f))
        RoundStatements(w, block, *round);
    else if (const auto* line = dynamic_cast<const CLine*>(&f); line && line->m_crColor == 0)
        LineStatements(w, *line);
    else
        return false;
    w.Settle(frame.left);
    w.Leave();
    out += block;
    return true;
}

void DropEmptyLines(std::string& block) {
    std::string kept;
    kept.reserve(block.size());
    std::size_t start = 0;
    while (start < block.size()) {
        std::size_t end = block.find('\n', start);
        end = end == std::string::npos ? block.size() : end + 1;
        const std::string_view line(block.data() + start, end - start);
        if (line.find_first_not_of(" \t\r\n") != std::string_view::npos)
            kept += line;
        start = end;
    }
    block.swap(kept);
}
