// The reader recognises a block only when the figure it rebuilds writes exactly the same bytes
// again (or, for the blocks that hold rounded points only, the same numbers within rounding), so a
// drawing read and saved again is the drawing that was read. Everything else between the header
// and the footer is kept as text.
#include "texdraw/Reader.h"

#include "figures/BezierCurve.h"
#include "figures/Ellipse.h"
#include "figures/FigureList.h"
#include "figures/Line.h"
#include "figures/RawTeX.h"
#include "figures/Rectangle.h"
#include "figures/RotatableFigures.h"
#include "figures/TextFigures.h"
#include "texdraw/Document.h"
#include "figures/TeXFormat.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

std::string CRawTeXFigure::ExportTeX() const {
    return m_strText;
}

namespace {

// No block of the editor is longer; a broken block whose end is not this near is not ours.
constexpr int kMaxBlockLines = 24;
// A coordinate written by the editor never needs more characters than this.
constexpr std::size_t kMaxNumberChars = 40;

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

bool IsBlank(std::string_view s) {
    return std::all_of(s.begin(), s.end(), IsSpace);
}

// A piece of the file shown in a message: short, and without control bytes.
std::string Quote(std::string_view s) {
    std::string q = "\"";
    for (std::size_t i = 0; i < s.size() && i < 40; ++i)
        q += static_cast<unsigned char>(s[i]) < 0x20 ? '?' : s[i];
    if (s.size() > 40)
        q += "...";
    return q + "\"";
}

struct CCursor {
    std::size_t pos = 0; // offset of the line's first byte
    int line = 1;        // its number in the file, from 1
};

// The line at c without its line feed; c moves on to the next line. False at the end.
bool NextLine(std::string_view text, CCursor& c, std::string_view& line) {
    if (c.pos >= text.size())
        return false;
    const std::size_t feed = text.find('\n', c.pos);
    const std::size_t end = feed == std::string_view::npos ? text.size() : feed;
    line = text.substr(c.pos, end - c.pos);
    c.pos = feed == std::string_view::npos ? text.size() : feed + 1;
    ++c.line;
    return true;
}

// The page value of a TeXDraw number: a hundred times it. A value written from a whole number of
// page units comes back as exactly that number (the sign of a zero is kept: it is written).
double PageValue(double texValue) {
    const double v = 100.0 * texValue;
    const double whole = std::nearbyint(v);
    return std::fabs(v - whole) < 1e-6 ? whole : v;
}

enum class EKind {
    Line,
    Arrow,
    Rectangle,
    Ellipse,
    Bezier,
    Rhomb,
    TextRectangle,
    TextEllipse,
    TextRhomb
};

struct CKindName {
    std::string_view name;
    EKind kind;
    bool blankLineFirst; // the writer puts an empty line before the block
};

constexpr std::array<CKindName, 9> kKinds{{
    {"line", EKind::Line, true},
    {"arrow", EKind::Arrow, false},
    {"rectangle", EKind::Rectangle, true},
    {"ellipse", EKind::Ellipse, true},
    {"bz", EKind::Bezier, true},
    {"rhomb", EKind::Rhomb, true},
    {"textrectangle", EKind::TextRectangle, false},
    {"textellipse", EKind::TextEllipse, false},
    {"textrhomb", EKind::TextRhomb, false},
}};

const CKindName* FindKind(std::string_view name) {
    for (const auto& k : kKinds)
        if (k.name == name)
            return &k;
    return nullptr;
}

// Everything read from one block, in the order written.
struct CBlockData {
    EKind kind = EKind::Line;
    bool dotted = false;
    std::vector<CDoublePoint> points; // page units
    // Text blocks: the text, and the centre as written (its two numbers and their values).
    std::string text;
    std::string_view centreX, centreY;
    double texCentreX = 0.0, texCentreY = 0.0;
};

// Reads the lines of one block in exactly the form the writer gives them. A line of another form
// makes it fail quietly (the block is then kept as text); a number that is not finite or lies far
// off the page makes it fail with a message, since such a block cannot be trusted at all.
class CBlockParser {
public:
    CBlockParser(std::string_view body, CCursor at) : m_at(at), m_body(body) {}

    CCursor m_at;
    std::string m_fatal; // "line <n>: <reason>" when a number is out of range

    bool Expect(std::string_view want) {
        std::string_view line;
        return NextLine(m_body, m_at, line) && line == want;
    }
    bool NextIs(std::string_view want) const {
        CCursor c = m_at;
        std::string_view line;
        return NextLine(m_body, c, line) && line == want;
    }
    // A command followed by n points "(x y)" and nothing else.
    bool Points(std::string_view command, int n, CBlockData& d) {
        const int lineNo = m_at.line;
        std::string_view line;
        if (!NextLine(m_body, m_at, line) || line.substr(0, command.size()) != command)
            return false;
        line.remove_prefix(command.size());
        for (int i = 0; i < n; ++i) {
            double x = 0, y = 0;
            if (!Pair(line, lineNo, x, y, nullptr, nullptr))
                return false;
            d.points.push_back({PageValue(x), PageValue(-y)});
        }
        return line.empty();
    }
    // "\htext (x y){text}": the text is everything between the brace after the point and the
    // last character of the line, which must be the closing brace.
    bool HText(CBlockData& d) {
        const int lineNo = m_at.line;
        std::string_view line;
        constexpr std::string_view kCommand = "\\htext ";
        if (!NextLine(m_body, m_at, line) || line.substr(0, kCommand.size()) != kCommand)
            return false;
        line.remove_prefix(kCommand.size());
        if (!Pair(line, lineNo, d.texCentreX, d.texCentreY, &d.centreX, &d.centreY))
            return false;
        if (line.size() < 2 || line.front() != '{' || line.back() != '}')
            return false;
        d.text.assign(line.substr(1, line.size() - 2));
        return true;
    }

private:
    std::string_view m_body;

    bool Pair(std::string_view& s, int lineNo, double& x, double& y, std::string_view* tokX,
              std::string_view* tokY) {
        if (s.empty() || s.front() != '(')
            return false;
        const std::size_t blank = s.find(' ');
        const std::size_t close = s.find(')');
        if (blank == std::string_view::npos || close == std::string_view::npos || close < blank)
            return false;
        const std::string_view a = s.substr(1, blank - 1);
        const std::string_view b = s.substr(blank + 1, close - blank - 1);
        if (!Number(a, lineNo, x) || !Number(b, lineNo, y))
            return false;
        if (tokX)
            *tokX = a;
        if (tokY)
            *tokY = b;
        s.remove_prefix(close + 1);
        return true;
    }

    bool Number(std::string_view tok, int lineNo, double& v) {
        if (tok.empty() || tok.size() > kMaxNumberChars)
            return false;
        const char* end = tok.data() + tok.size();
        const auto res = std::from_chars(tok.data(), end, v);
        if (res.ec == std::errc::invalid_argument || res.ptr != end)
            return false;
        if (res.ec == std::errc::result_out_of_range || !std::isfinite(v) ||
            std::fabs(v) * 100.0 > kMaxTeXDrawPageValue) {
            m_fatal = "line " + std::to_string(lineNo) + ": the number " + Quote(tok) +
                      " is not a coordinate on a page";
            return false;
        }
        return true;
    }
};

bool ReadShape(CBlockParser& p, EKind shape, CBlockData& d) {
    switch (shape) {
    case EKind::Rectangle:
        // Left, top, right and bottom edges as four strokes: A-E, A-D, B-D, B-E.
        return p.Expect("%begin rectangle") && p.Points("\\move", 1, d) &&
               p.Points("\\lvec", 1, d) && p.Points("\\move", 1, d) && p.Points("\\lvec", 1, d) &&
               p.Points("\\move", 1, d) && p.Points("\\lvec", 1, d) && p.Points("\\move", 1, d) &&
               p.Points("\\lvec", 1, d) && p.Expect("%end rectangle");
    case EKind::Ellipse:
        if (!p.Expect("%begin ellipse"))
            return false;
        for (int arc = 0; arc < 4; ++arc)
            if (!p.Points("\\move", 1, d) || !p.Points("\\clvec", 3, d))
                return false;
        return p.Expect("%end ellipse");
    case EKind::Rhomb:
        return p.Expect("%begin rhomb") && p.Points("\\move", 1, d) && p.Points("\\lvec", 1, d) &&
               p.Points("\\lvec", 1, d) && p.Points("\\lvec", 1, d) && p.Points("\\lvec", 1, d) &&
               p.Expect("%end rhomb");
    default:
        return false;
    }
}

bool ReadBlock(CBlockParser& p, const CKindName& k, CBlockData& d) {
    d.kind = k.kind;
    switch (k.kind) {
    case EKind::Line:
        if (!p.Expect("%begin line"))
            return false;
        d.dotted = p.NextIs("\\lpatt(0.03 0.05)");
        if (d.dotted)
            p.Expect("\\lpatt(0.03 0.05)");
        return p.Points("\\move", 1, d) && p.Points("\\lvec", 1, d) &&
               (!d.dotted || p.Expect("\\lpatt()")) && p.Expect("%end line");
    case EKind::Arrow:
        return p.Expect("%begin arrow") && p.Points("\\move", 1, d) && p.Points("\\avec", 1, d) &&
               p.Expect("%end arrow");
    case EKind::Rectangle:
    case EKind::Ellipse:
    case EKind::Rhomb:
        return ReadShape(p, k.kind, d);
    case EKind::Bezier:
        return p.Expect("%begin bz") && p.Points("\\move", 1, d) && p.Points("\\clvec", 3, d) &&
               p.Expect("%end bz");
    case EKind::TextRectangle:
    case EKind::TextEllipse:
    case EKind::TextRhomb: {
        const EKind shape = k.kind == EKind::TextRectangle ? EKind::Rectangle
                            : k.kind == EKind::TextEllipse ? EKind::Ellipse
                                                           : EKind::Rhomb;
        const std::string begin = "%begin " + std::string(k.name);
        const std::string end = "%end " + std::string(k.name);
        return p.Expect(begin) && p.Expect("") && ReadShape(p, shape, d) && p.Expect("") &&
               p.Expect("\\textref h:C v:C") && p.HText(d) && p.Expect(end);
    }
    }
    return false;
}

// The four corners in the frame's cyclic order m_pt1 -> m_pt3 -> m_pt2 -> m_pt4.
struct CFrame {
    CDoublePoint p1, p3, p2, p4;
};

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

// Frames whose edge midpoints are top, right, bottom and left: the axis-parallel frame when the
// midpoints allow one (exact for every box figure), then the parallelogram through them.
void FramesFromMidpoints(CDoublePoint t, CDoublePoint r, CDoublePoint b, CDoublePoint l,
                         std::vector<CFrame>& out) {
    if (t.x == b.x && l.y == r.y)
        out.push_back({{l.x, t.y}, {r.x, t.y}, {r.x, b.y}, {l.x, b.y}});
    const CDoublePoint o = (t + r + b + l) * 0.25;
    out.push_back({l + t - o, t + r - o, r + b - o, l + b - o});
}

// A stored value that the blocks' rounding (int)(v + 0.5), toward zero, turns into n.
double Unrounded(int n) {
    return n >= 0 ? double(n) : double(n) - 1.0;
}

CDoublePoint Unrounded(CPoint p) {
    return {Unrounded(p.x), Unrounded(p.y)};
}

CPoint Whole(CDoublePoint p) {
    return {static_cast<int>(std::nearbyint(p.x)), static_cast<int>(std::nearbyint(p.y))};
}

CDoublePoint Double(CPoint p) {
    return {double(p.x), double(p.y)};
}

// How far the arcs of the frame's ellipse lie from the arcs read, summed over all coordinates.
long long EllipseMiss(const std::array<CPoint, 4>& c, const std::array<CPoint, 13>& q) {
    const auto e = MakeEllipseBezier(c[0], c[1], c[2], c[3]);
    long long miss = 0;
    for (int i = 0; i < 13; ++i)
        miss += std::llabs(static_cast<long long>(e[i].x) - q[i].x) +
                std::llabs(static_cast<long long>(e[i].y) - q[i].y);
    return miss;
}

// The middle of two whole values as the ellipse construction rounds it.
int Mid(int a, int b) {
    return RoundHalf((double(a) + b) * 0.5);
}

// The values c with Mid(a, c) == m.
int Partners(int a, int m, std::array<int, 4>& out) {
    int n = 0;
    for (int s = 2 * m - 2; s <= 2 * m + 1; ++s)
        if (Mid(a, s - a) == m)
            out[n++] = s - a;
    return n;
}

// The whole-unit frames whose ellipse has exactly the arcs read and whose first corner lies
// within two units of the estimate e (corners in the order of MakeEllipseBezier), the nearest few
// to e first. The midpoints fix each neighbour of a corner to a choice of two per axis.
std::vector<std::array<CPoint, 4>> ExactEllipseFrames(const std::array<CDoublePoint, 4>& e,
                                                      const std::array<CPoint, 13>& q) {
    const CPoint l = q[0], t = q[3], r = q[6], b = q[9];
    std::vector<std::pair<double, std::array<CPoint, 4>>> found;
    const CPoint e1 = Whole(e[0]);
    std::array<int, 4> x2s{}, y2s{}, x4s{}, y4s{}, x3s{}, y3s{};
    for (int dx = -2; dx <= 2; ++dx)
        for (int dy = -2; dy <= 2; ++dy) {
            const CPoint c1{e1.x + dx, e1.y + dy};
            const int nx2 = Partners(c1.x, t.x, x2s), ny2 = Partners(c1.y, t.y, y2s);
            const int nx4 = Partners(c1.x, l.x, x4s), ny4 = Partners(c1.y, l.y, y4s);
            for (int i = 0; i < nx2; ++i)
                for (int j = 0; j < ny2; ++j) {
                    const CPoint c2{x2s[i], y2s[j]};
                    const int nx3 = Partners(c2.x, r.x, x3s), ny3 = Partners(c2.y, r.y, y3s);
                    for (int k = 0; k < nx4; ++k)
                        for (int m = 0; m < ny4; ++m) {
                            const CPoint c4{x4s[k], y4s[m]};
                            for (int u = 0; u < nx3; ++u)
                                for (int v = 0; v < ny3; ++v) {
                                    const CPoint c3{x3s[u], y3s[v]};
                                    if (Mid(c4.x, c3.x) != b.x || Mid(c4.y, c3.y) != b.y)
                                        continue;
                                    const std::array<CPoint, 4> c{c1, c2, c3, c4};
                                    double dist = 0;
                                    for (int z = 0; z < 4; ++z)
                                        dist += (c[z].x - e[z].x) * (c[z].x - e[z].x) +
                                                (c[z].y - e[z].y) * (c[z].y - e[z].y);
                                    if (EllipseMiss(c, q) == 0)
                                        found.push_back({dist, c});
                                }
                        }
                }
        }
    std::stable_sort(found.begin(), found.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<std::array<CPoint, 4>> frames;
    for (std::size_t i = 0; i < found.size() && i < 4; ++i)
        frames.push_back(found[i].second);
    return frames;
}

// The whole-unit frame of the arcs read. The axis-parallel frame through the midpoints (when
// they allow one) is exact for every box figure on the page; otherwise the frame nearest to the
// parallelogram through the midpoints that gives exactly these arcs; failing that, the rounded
// parallelogram moved a unit at a time while that brings the arcs nearer.
// A text ellipse also tells its centre, which places the frame even when it is no parallelogram.
void FramesFromEllipse(const std::vector<CDoublePoint>& pts, const CDoublePoint* centre,
                       std::vector<CFrame>& out) {
    // Q0 and the three points of each arc; the \move before each arc repeats the last end.
    std::array<CPoint, 13> q{};
    q[0] = Whole(pts[0]);
    for (int arc = 0; arc < 4; ++arc)
        for (int i = 0; i < 3; ++i)
            q[1 + 3 * arc + i] = Whole(pts[4 * arc + 1 + i]);
    auto add = [&out](const std::array<CPoint, 4>& c) {
        out.push_back({Unrounded(c[0]), Unrounded(c[1]), Unrounded(c[2]), Unrounded(c[3])});
    };
    const CDoublePoint l = Double(q[0]), t = Double(q[3]), r = Double(q[6]), b = Double(q[9]);
    if (t.x == b.x && l.y == r.y) {
        // Midpoints of negative values round toward zero, so the edges may lie a unit or two
        // beyond them; and several frames can give the same arcs. The nearest few, nearest first
        // (a text's centre tells them apart).
        const CPoint lt = Whole({l.x, t.y}), rb = Whole({r.x, b.y});
        std::vector<std::pair<int, std::array<CPoint, 4>>> found;
        for (int x1 = lt.x - 2; x1 <= lt.x + 2; ++x1)
            for (int x2 = rb.x - 2; x2 <= rb.x + 2; ++x2)
                for (int y1 = lt.y - 2; y1 <= lt.y + 2; ++y1)
                    for (int y2 = rb.y - 2; y2 <= rb.y + 2; ++y2) {
                        const std::array<CPoint, 4> c{CPoint{x1, y1}, CPoint{x2, y1},
                                                      CPoint{x2, y2}, CPoint{x1, y2}};
                        if (Mid(x1, x2) == t.x && Mid(y1, y2) == l.y && EllipseMiss(c, q) == 0)
                            found.push_back({std::abs(x1 - lt.x) + std::abs(x2 - rb.x) +
                                                 std::abs(y1 - lt.y) + std::abs(y2 - rb.y),
                                             c});
                    }
        std::stable_sort(found.begin(), found.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        for (std::size_t i = 0; i < found.size() && i < 4; ++i)
            add(found[i].second);
        if (!found.empty())
            return;
    }
    const CDoublePoint o = (t + r + b + l) * 0.25;
    const std::array<CDoublePoint, 4> e{l + t - o, t + r - o, r + b - o, l + b - o};
    auto exact = ExactEllipseFrames(e, q);
    if (centre) {
        const CDoublePoint p1 = *centre + t - r;
        for (const auto& c :
             ExactEllipseFrames({p1, t * 2.0 - p1, *centre - t + r, l * 2.0 - p1}, q))
            exact.push_back(c);
    }
    for (const auto& c : exact)
        add(c);
    if (!exact.empty())
        return;
    std::array<CPoint, 4> c{Whole(e[0]), Whole(e[1]), Whole(e[2]), Whole(e[3])};
    long long best = EllipseMiss(c, q);
    for (int pass = 0; pass < 8 && best > 0; ++pass) {
        bool improved = false;
        for (int k = 0; k < 8; ++k)
            for (int step : {-1, 1}) {
                auto n = c;
                ((k & 1) ? n[k / 2].y : n[k / 2].x) += step;
                const long long miss = EllipseMiss(n, q);
                if (miss < best) {
                    best = miss;
                    c = n;
                    improved = true;
                }
            }
        if (!improved)
            break;
    }
    add(c);
}

// The candidate frames of a block's shape, most likely first.
std::vector<CFrame> ShapeFrames(EKind shape, const CBlockData& d, bool text) {
    std::vector<CFrame> frames;
    const auto& p = d.points;
    switch (shape) {
    case EKind::Rectangle: // A, E, A, D, B, D, B, E
        frames.push_back({p[0], p[3], p[4], p[1]});
        break;
    case EKind::Rhomb: // top, right, bottom, left, top
        FramesFromMidpoints(p[0], p[1], p[2], p[3], frames);
        break;
    case EKind::Ellipse: {
        const CDoublePoint centre{100.0 * d.texCentreX, -100.0 * d.texCentreY};
        FramesFromEllipse(p, text ? &centre : nullptr, frames);
    } break;
    default:
        break;
    }
    return frames;
}

// Values near a stored corner coordinate that its shape block writes the same way: the ellipse
// block rounds corners by (int)(v + 0.5), toward zero; the others write them with two decimals
// (sign -1 for y, which is written negated). Exact halves are among them: a drawing made at zoom
// 2 has corners on half units.
std::vector<double> SameWritten(EKind shape, double stored, double sign) {
    std::vector<double> values;
    const std::string written = FormatFixed2(sign * 0.01 * stored);
    for (double d : {0.0, -0.5, 0.5, -0.25, 0.25, -0.49, 0.49, -0.75, -1.0, -1.25, -1.49}) {
        const double v = stored + d;
        const bool same = shape == EKind::Ellipse ? RoundHalf(v) == RoundHalf(stored)
                                                  : FormatFixed2(sign * 0.01 * v) == written;
        if (same)
            values.push_back(v);
    }
    return values;
}

// Pairs (a', b') written as a and b are whose sum writes the centre coordinate as it was
// written (want); the pair (a, b) itself first when it does. A few are enough.
std::vector<std::pair<double, double>> CentredPairs(EKind shape, double a, double b,
                                                    std::string_view want, double sign) {
    std::vector<std::pair<double, double>> pairs;
    const auto as = SameWritten(shape, a, sign), bs = SameWritten(shape, b, sign);
    for (double a2 : as)
        for (double b2 : bs)
            if (pairs.size() < 4 && FormatFixed2(sign * 0.005 * (a2 + b2)) == want)
                pairs.push_back({a2, b2});
    return pairs;
}

// A text figure's centre is written from its stored corners, which its shape block gives only to
// whole units. Corners moved inside those units so that the centre comes out as written, too.
void AddCentredFrames(EKind shape, const CFrame& f, const CBlockData& d, std::vector<CFrame>& out) {
    const auto xs = CentredPairs(shape, f.p1.x, f.p2.x, d.centreX, 1.0);
    const auto ys = CentredPairs(shape, f.p1.y, f.p2.y, d.centreY, -1.0);
    for (const auto& [x1, x2] : xs)
        for (const auto& [y1, y2] : ys) {
            if (x1 == f.p1.x && x2 == f.p2.x && y1 == f.p1.y && y2 == f.p2.y)
                continue;
            // The corners that share a coordinate with m_pt1 or m_pt2 keep sharing it (the
            // rhomb's midpoints need that), or stay where they are (a zero's sign is written).
            CFrame n = f;
            n.p1 = {x1, y1};
            n.p2 = {x2, y2};
            out.push_back(n);
            n.p4.x = f.p4.x == f.p1.x ? x1 : f.p4.x == f.p2.x ? x2 : f.p4.x;
            n.p3.x = f.p3.x == f.p2.x ? x2 : f.p3.x == f.p1.x ? x1 : f.p3.x;
            n.p3.y = f.p3.y == f.p1.y ? y1 : f.p3.y == f.p2.y ? y2 : f.p3.y;
            n.p4.y = f.p4.y == f.p2.y ? y2 : f.p4.y == f.p1.y ? y1 : f.p4.y;
            out.push_back(n);
        }
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

std::unique_ptr<CFramedFigure> NewFramed(EKind kind, const CFrame& frame) {
    switch (kind) {
    case EKind::Rectangle:
        // The start-up picture writes a plain rectangle block; one still in its start-up frame
        // comes back as the picture, so a reopened drawing looks as it did. Anywhere else it
        // cannot be told from a rectangle.
        if (IsStartupPictureFrame(frame))
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

// The figure that writes span again: exactly, or for the shapes that hold rounded points only,
// within rounding (approximated is then set). Null when the block is not one the editor wrote.
std::unique_ptr<CFigure> Recognise(const CBlockData& d, std::string_view span, bool& approximated) {
    approximated = false;
    const auto& p = d.points;
    switch (d.kind) {
    case EKind::Line:
    case EKind::Arrow: {
        std::unique_ptr<CLine> line;
        if (d.kind == EKind::Arrow)
            line = std::make_unique<CArrow>();
        else
            line = std::make_unique<CLine>();
        line->m_pt1 = p[0];
        line->m_pt2 = p[1];
        if (d.dotted)
            line->m_nPenStyle = 2;
        if (line->ExportTeX() == span)
            return line;
        return nullptr;
    }
    case EKind::Bezier: {
        auto curve = std::make_unique<CBezierCurve>();
        // The block shows the points rounded to whole units.
        curve->m_pt1 = Unrounded(Whole(p[0])); // start
        curve->m_pt3 = Unrounded(Whole(p[1])); // first control point
        curve->m_pt4 = Unrounded(Whole(p[2])); // second control point
        curve->m_pt2 = Unrounded(Whole(p[3])); // end
        if (curve->ExportTeX() == span)
            return curve;
        return nullptr;
    }
    default:
        break;
    }

    const bool text = d.kind == EKind::TextRectangle || d.kind == EKind::TextEllipse ||
                      d.kind == EKind::TextRhomb;
    const EKind shape = d.kind == EKind::TextRectangle ? EKind::Rectangle
                        : d.kind == EKind::TextEllipse ? EKind::Ellipse
                        : d.kind == EKind::TextRhomb   ? EKind::Rhomb
                                                       : d.kind;
    std::vector<CFrame> frames = ShapeFrames(shape, d, text);
    if (text) {
        const std::size_t n = frames.size();
        if (shape == EKind::Rhomb) {
            // A text rhomb's frame follows from its midpoints and its centre even when it is no
            // parallelogram (a frame squeezed flat and then dragged by a corner).
            const CDoublePoint c{200.0 * d.texCentreX * 0.5, -200.0 * d.texCentreY * 0.5};
            const CDoublePoint p1 = c + p[0] - p[1];
            const CDoublePoint p2 = c - p[0] + p[1];
            frames.push_back({p1, p[0] * 2.0 - p1, p2, p[3] * 2.0 - p1});
        }
        for (std::size_t i = 0; i < n; ++i) {
            const CFrame base = frames[i]; // frames grows below
            AddCentredFrames(shape, base, d, frames);
        }
    }
    // Numbers a rounded block may get differently: a rhomb's midpoints and a text's centre by
    // 0.01, a turned ellipse's points by 0.02 (its corners come back within a unit).
    const double tolerance = shape == EKind::Ellipse         ? 0.02
                             : text || shape == EKind::Rhomb ? 0.01
                                                             : 0.0;
    std::unique_ptr<CFramedFigure> nearest;
    for (const CFrame& frame : frames) {
        auto figure = NewFramed(d.kind, frame);
        ApplyFrame(*figure, frame);
        if (text)
            SetText(*figure, d.text);
        const std::string written = figure->ExportTeX();
        if (written == span)
            return figure;
        if (!nearest && tolerance > 0 && SameWithin(written, span, tolerance))
            nearest = std::move(figure);
    }
    approximated = nearest != nullptr;
    return nearest;
}

class CBodyReader {
public:
    CBodyReader(std::string_view body, int firstLine, CFigureList& list, CTeXDrawReadResult& r)
        : m_body(body), m_firstLine(firstLine), m_list(list), m_result(r) {}

    // False with m_fatal set when a block holds a number that cannot be a coordinate.
    bool Run() {
        CCursor c{0, m_firstLine};
        CCursor raw = c; // where the stretch of unrecognised lines begins
        std::size_t prevStart = std::string_view::npos;
        bool prevEmpty = false;
        std::string_view line;
        for (;;) {
            const CCursor at = c;
            if (!NextLine(m_body, c, line))
                break;
            constexpr std::string_view kBegin = "%begin ";
            const CKindName* kind = line.substr(0, kBegin.size()) == kBegin
                                        ? FindKind(line.substr(kBegin.size()))
                                        : nullptr;
            if (kind) {
                CBlockParser p(m_body, at);
                CBlockData d;
                const bool read = ReadBlock(p, *kind, d);
                if (!p.m_fatal.empty()) {
                    m_fatal = p.m_fatal;
                    return false;
                }
                // The empty line the writer puts before a block belongs to it, unless it is
                // already part of something recognised.
                CCursor start = at;
                if (kind->blankLineFirst && prevEmpty && prevStart >= raw.pos &&
                    prevStart != std::string_view::npos)
                    start = {prevStart, at.line - 1};
                bool approximated = false;
                std::unique_ptr<CFigure> figure;
                if (read)
                    figure = Recognise(d, m_body.substr(start.pos, p.m_at.pos - start.pos),
                                       approximated);
                if (figure) {
                    Keep(raw, start.pos);
                    m_list.Add(std::move(figure));
                    m_result.nApproximated += approximated ? 1 : 0;
                    c = raw = p.m_at;
                    prevStart = std::string_view::npos;
                    prevEmpty = false;
                    continue;
                }
                // A block of ours that does not read back stays text as a whole, so that no
                // part of it is recognised on its own.
                if (SkipToEnd(at, *kind, c)) {
                    prevStart = std::string_view::npos;
                    prevEmpty = false;
                    continue;
                }
            }
            prevStart = at.pos;
            prevEmpty = line.empty();
        }
        Keep(raw, m_body.size());
        return true;
    }

    std::string m_fatal;

private:
    std::string_view m_body;
    int m_firstLine;
    CFigureList& m_list;
    CTeXDrawReadResult& m_result;

    void Keep(const CCursor& from, std::size_t to) {
        if (to <= from.pos)
            return;
        const std::string_view text = m_body.substr(from.pos, to - from.pos);
        if (!IsBlank(text)) {
            ++m_result.nUnrecognised;
            m_result.unrecognisedLines.push_back(from.line);
        }
        m_list.Add(std::make_unique<CRawTeXFigure>(std::string(text)));
    }

    // Moves c past the "%end <kind>" line within reach of the block's first line, unless
    // another block begins first (a text block holds one shape block): a block that lost its end
    // does not swallow the next one.
    bool SkipToEnd(CCursor at, const CKindName& kind, CCursor& c) const {
        const std::string end = "%end " + std::string(kind.name);
        int nested = kind.kind == EKind::TextRectangle || kind.kind == EKind::TextEllipse ||
                             kind.kind == EKind::TextRhomb
                         ? 1
                         : 0;
        std::string_view line;
        NextLine(m_body, at, line); // the "%begin" line
        for (int i = 1; i < kMaxBlockLines && NextLine(m_body, at, line); ++i) {
            if (line == end) {
                c = at;
                return true;
            }
            if (line.substr(0, 7) == "%begin " && --nested < 0)
                return false;
        }
        return false;
    }
};

struct CDocumentFrame {
    std::string header, footer;
};

// The writer's header and footer, taken from the writer itself.
const CDocumentFrame& DocumentFrame() {
    static const CDocumentFrame frame = [] {
        const std::string doc = MakeTeXDrawDocument(std::string("\x01"));
        const std::size_t at = doc.find('\x01');
        return CDocumentFrame{doc.substr(0, at), doc.substr(at + 1)};
    }();
    return frame;
}

int LineOf(std::string_view text, std::size_t pos) {
    return 1 + static_cast<int>(std::count(text.begin(), text.begin() + pos, '\n'));
}

// Why a text that does not end with the footer is not a whole drawing.
std::string MissingFooter(std::string_view text, std::size_t bodyStart) {
    const std::string& footer = DocumentFrame().footer;
    const std::size_t end = text.rfind("\n" + footer);
    if (end != std::string_view::npos && end + 1 >= bodyStart) {
        std::size_t after = end + 1 + footer.size();
        while (after < text.size() && IsSpace(text[after]))
            ++after;
        return "line " + std::to_string(LineOf(text, after)) +
               ": there is more text after the end of the drawing (\"\\end{center}\")";
    }
    std::size_t last = text.size();
    while (last > bodyStart && IsSpace(text[last - 1]))
        --last;
    if (last >= bodyStart + footer.size() &&
        text.substr(last - footer.size(), footer.size()) == footer)
        return "line " + std::to_string(LineOf(text, last - footer.size())) +
               ": \"\\end{texdraw}\" does not begin its line";
    // The last block begun and not ended tells where the file was cut off.
    CCursor c{bodyStart, LineOf(text, bodyStart)};
    std::string_view line, openKind;
    int openLine = 0;
    while (NextLine(text, c, line)) {
        if (line.substr(0, 7) == "%begin ") {
            openKind = line.substr(7);
            openLine = c.line - 1;
        } else if (!openKind.empty() && line.substr(0, 5) == "%end " &&
                   line.substr(5) == openKind) {
            openKind = {};
        }
    }
    std::string why = "line " + std::to_string(std::max(1, c.line - 1)) +
                      ": the file ends before the drawing does (\"\\end{texdraw}\" and "
                      "\"\\end{center}\" are missing)";
    if (!openKind.empty())
        why +=
            ", inside the block " + Quote(openKind) + " begun on line " + std::to_string(openLine);
    return why + "; it may have been cut off";
}

// Where the text stops being the writer's header, and why.
std::string WrongHeader(std::string_view text) {
    const std::string& header = DocumentFrame().header;
    CCursor a{0, 1}, b{0, 1};
    std::string_view want, got;
    while (NextLine(header, a, want)) {
        const std::string where = "line " + std::to_string(a.line - 1) + ": ";
        const std::string cut = where + "the file ends inside the header; it may have been cut off";
        if (!NextLine(text, b, got))
            return cut;
        const bool last = b.pos == text.size() && text.back() != '\n';
        if (got == want) {
            if (last)
                return cut;
            continue;
        }
        if (last && want.substr(0, got.size()) == got)
            return cut;
        return where + "this is not a TeXDraw drawing saved by this editor (expected " +
               (want.empty() ? std::string("an empty line") : Quote(want)) + ")";
    }
    return "line 1: this is not a TeXDraw drawing saved by this editor";
}

std::string Located(const std::string& fileName, const std::string& why) {
    return fileName + ", " + why;
}

} // namespace

CTeXDrawReadResult ReadTeXDrawText(std::string_view text, const std::string& fileName,
                                   CFigureList& out) {
    CTeXDrawReadResult r;
    if (text.empty()) {
        r.error = fileName + ": the file is empty";
        return r;
    }
    if (const std::size_t zero = text.find('\0'); zero != std::string_view::npos) {
        r.error = Located(fileName, "line " + std::to_string(LineOf(text, zero)) +
                                        ": the file holds binary data, not text");
        return r;
    }
    // A file whose first line ends in carriage return and line feed has them throughout.
    std::string withFeeds;
    const std::string& header = DocumentFrame().header;
    const std::size_t firstFeed = header.find('\n');
    if (text.size() > firstFeed + 1 && text.substr(0, firstFeed) == header.substr(0, firstFeed) &&
        text[firstFeed] == '\r' && text[firstFeed + 1] == '\n') {
        withFeeds.reserve(text.size());
        for (std::size_t i = 0; i < text.size(); ++i)
            if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n'))
                withFeeds += text[i];
        text = withFeeds;
    }
    if (text.substr(0, header.size()) != header) {
        r.error = Located(fileName, WrongHeader(text));
        return r;
    }
    std::size_t end = text.size();
    while (end > header.size() && IsSpace(text[end - 1]))
        --end;
    const std::string& footer = DocumentFrame().footer;
    const std::string_view main = text.substr(0, end);
    const bool footerAtLineStart = main.size() >= header.size() + footer.size() &&
                                   main.substr(main.size() - footer.size()) == footer &&
                                   (main.size() == header.size() + footer.size() ||
                                    main[main.size() - footer.size() - 1] == '\n');
    if (!footerAtLineStart) {
        r.error = Located(fileName, MissingFooter(text, header.size()));
        return r;
    }
    const std::string_view body =
        main.substr(header.size(), main.size() - footer.size() - header.size());

    CFigureList list;
    CBodyReader reader(body, LineOf(header, header.size()), list, r);
    if (!reader.Run()) {
        CTeXDrawReadResult failed;
        failed.error = Located(fileName, reader.m_fatal);
        return failed;
    }
    out.Swap(list);
    r.ok = true;
    return r;
}

CTeXDrawReadResult ReadTeXDrawFile(const std::string& path, CFigureList& out) {
    namespace fs = std::filesystem;
    CTeXDrawReadResult r;
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (ec || !fs::exists(status)) {
        r.error = path + ": the file cannot be found";
        return r;
    }
    if (fs::is_directory(status)) {
        r.error = path + ": this is a folder, not a file";
        return r;
    }
    // Devices and pipes could block or never end.
    if (!fs::is_regular_file(status)) {
        r.error = path + ": this is not an ordinary file";
        return r;
    }
    const std::uintmax_t size = fs::file_size(path, ec);
    if (ec) {
        r.error = path + ": the file cannot be read (" + ec.message() + ")";
        return r;
    }
    if (size > kMaxTeXDrawFileBytes) {
        r.error = path + ": the file is " + std::to_string(size >> 20) +
                  " MB long, more than a drawing can be (" +
                  std::to_string(kMaxTeXDrawFileBytes >> 20) + " MB)";
        return r;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        r.error = path + ": the file cannot be opened (" + std::strerror(errno) + ")";
        return r;
    }
    std::string text(static_cast<std::size_t>(size), '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    // A file that shrank while it was read is read as far as it went.
    text.resize(static_cast<std::size_t>(in.gcount()));
    if (in.bad()) {
        r.error = path + ": the file cannot be read";
        return r;
    }
    return ReadTeXDrawText(text, path, out);
}
