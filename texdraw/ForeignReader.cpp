#include "texdraw/ForeignReader.h"

#include "texdraw/ShownStretch.h"

#include "figures/BezierCurve.h"
#include "figures/FigureList.h"
#include "figures/Line.h"
#include "figures/RawTeX.h"
#include "texdraw/Interpreter.h"
#include "texdraw/Surroundings.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>
#include <vector>

namespace {

// The numbers of the points "(x y)" a stretch of TeXDraw writes, as TeX reads them: ".5", "2.",
// "+1", "1,5". Nothing when a point is written another way (a saved position "*name").
std::optional<std::vector<CDoublePoint>> LiteralPoints(std::string_view s) {
    std::vector<CDoublePoint> points;
    const auto number = [](std::string_view t, double& v) {
        std::string n(t);
        std::replace(n.begin(), n.end(), ',', '.');
        std::size_t at = 0;
        bool negative = false;
        while (at < n.size() && (n[at] == '+' || n[at] == '-')) {
            negative ^= n[at] == '-';
            ++at;
        }
        n = n.substr(at);
        if (n.empty() || n == ".")
            return false;
        if (n.front() == '.')
            n.insert(n.begin(), '0');
        if (n.back() == '.')
            n.push_back('0');
        const auto res = std::from_chars(n.data(), n.data() + n.size(), v);
        if (res.ec != std::errc() || res.ptr != n.data() + n.size() || !std::isfinite(v))
            return false;
        v = negative ? -v : v;
        return true;
    };
    for (std::size_t open = s.find('('); open != std::string_view::npos;
         open = s.find('(', open + 1)) {
        const std::size_t close = s.find(')', open);
        if (close == std::string_view::npos)
            return std::nullopt;
        std::string_view inner = s.substr(open + 1, close - open - 1);
        const auto trim = [](std::string_view t) {
            while (!t.empty() && (t.front() == ' ' || t.front() == '\t'))
                t.remove_prefix(1);
            while (!t.empty() && (t.back() == ' ' || t.back() == '\t'))
                t.remove_suffix(1);
            return t;
        };
        inner = trim(inner);
        const std::size_t blank = inner.find_first_of(" \t");
        if (blank == std::string_view::npos)
            return std::nullopt;
        double x = 0, y = 0;
        if (!number(trim(inner.substr(0, blank)), x) || !number(trim(inner.substr(blank)), y))
            return std::nullopt;
        points.push_back({100.0 * x, -100.0 * y});
    }
    return points;
}

// Do the numbers written put the points where the drawing put them, within TeXDraw's own
// rounding? Then the drawing's frame is the plain one there (inches, scale 1, no segment), and a
// figure changed by the user can be written in the editor's own words in its place.
bool InPlainFrame(const std::vector<CDoublePoint>& written,
                  const std::vector<CDoublePoint>& drawn) {
    if (written.size() != drawn.size())
        return false;
    for (std::size_t i = 0; i < written.size(); ++i)
        if (!(std::fabs(written[i].x - drawn[i].x) <= 0.5 &&
              std::fabs(written[i].y - drawn[i].y) <= 0.5))
            return false;
    return true;
}

class CForeignBuilder {
public:
    CForeignBuilder(std::string_view body, const CTeXDrawProgram& program, CFigureList& list,
                    CTeXDrawReadResult& r)
        : m_body(body), m_program(program), m_list(list), m_result(r),
          m_origin(list.m_ptTeXDrawOrigin) {}

    void Run() {
        const auto& st = m_program.m_statements;
        std::size_t i = 0;
        while (i < st.size()) {
            if (const std::size_t used = TryFigure(i)) {
                i += used;
                continue;
            }
            Keep(i);
            ++i;
        }
        FlushKept();
    }

private:
    std::string_view m_body;
    const CTeXDrawProgram& m_program;
    CFigureList& m_list;
    CTeXDrawReadResult& m_result;
    CDoublePoint m_origin; // where the drawing's origin lies on the page
    // The statements kept as text, not yet put into the list: from, to (exclusive).
    std::size_t m_keptFrom = 0, m_keptTo = 0;
    bool m_bKeptUnknown = false;
    int m_nKeptUnknownLine = 0;

    std::string_view TextOf(std::size_t first, std::size_t count) const {
        const auto& st = m_program.m_statements;
        const std::size_t begin = st[first].m_nBegin, end = st[first + count - 1].m_nEnd;
        return m_body.substr(begin, end - begin);
    }

    void Keep(std::size_t i) {
        const CTeXDrawStatement& s = m_program.m_statements[i];
        if (m_keptFrom == m_keptTo)
            m_keptFrom = i;
        m_keptTo = i + 1;
        if (s.m_eKind == ETeXDrawStatement::Unknown && !m_bKeptUnknown) {
            m_bKeptUnknown = true;
            m_nKeptUnknownLine = s.m_nLine;
        }
    }

    void FlushKept() {
        if (m_keptFrom == m_keptTo)
            return;
        auto raw =
            std::make_unique<CRawTeXFigure>(std::string(TextOf(m_keptFrom, m_keptTo - m_keptFrom)));
        ShowWhatItDraws(*raw, m_program, m_keptFrom, m_keptTo);
        m_list.Add(std::move(raw));
        if (m_bKeptUnknown) {
            ++m_result.nUnrecognised;
            m_result.unrecognisedLines.push_back(m_nKeptUnknownLine);
        }
        m_keptFrom = m_keptTo = 0;
        m_bKeptUnknown = false;
    }

    // A move followed by one line, arrow or curve that is a path of its own, drawn in the
    // default style: the figure it is, as the statements' text, or 0 statements used.
    std::size_t TryFigure(std::size_t i) {
        const auto& st = m_program.m_statements;
        if (i + 1 >= st.size() || st[i].m_eKind != ETeXDrawStatement::Move ||
            st[i].m_strName != "move")
            return 0;
        const CTeXDrawStatement& draw = st[i + 1];
        const bool line = draw.m_eKind == ETeXDrawStatement::Line && draw.m_strName == "lvec";
        const bool arrow = draw.m_eKind == ETeXDrawStatement::Arrow && draw.m_strName == "avec";
        const bool curve = draw.m_eKind == ETeXDrawStatement::Curve;
        if (!(line || arrow || curve) || draw.m_nPrimitives != 1)
            return 0;
        const CTeXDrawPrimitive& p = m_program.m_primitives[draw.m_nFirstPrimitive];
        if (p.m_bExpanded || !(m_program.m_styles[p.m_nStyle] == CTeXDrawStyle{}))
            return 0;
        // The path must end here: nothing more drawn on it, and not filled.
        if (p.m_nPath >= 0) {
            const CTeXDrawPath& path = m_program.m_paths[p.m_nPath];
            if (path.m_bFilled)
                return 0;
            if (i + 2 < st.size() && st[i + 2].m_nPrimitives > 0) {
                const CTeXDrawPrimitive& next = m_program.m_primitives[st[i + 2].m_nFirstPrimitive];
                if (next.m_nPath == p.m_nPath)
                    return 0;
            }
        }
        // An arrow in the editor's head only: filled, 0.16 in by 0.08 in.
        if (arrow && !(p.m_cHeadType == kDefaultHeadType &&
                       std::fabs(p.m_dHeadLength - kDefaultHeadLength) < 0.2 &&
                       std::fabs(p.m_dHeadWidth - kDefaultHeadWidth) < 0.2))
            return 0;
        const std::string_view text = TextOf(i, 2);
        auto written = LiteralPoints(text);
        if (!written)
            return 0;
        for (CDoublePoint& w : *written)
            w = w + m_origin;
        std::vector<CDoublePoint> drawn{p.m_pt1};
        if (curve)
            drawn.insert(drawn.end(), {p.m_ptControl1, p.m_ptControl2});
        drawn.push_back(p.m_pt2);
        if (!InPlainFrame(*written, drawn))
            return 0;
        const auto& w = *written;
        std::unique_ptr<CFigure> figure;
        if (curve) {
            auto c = std::make_unique<CBezierCurve>();
            c->m_pt1 = w[0];
            c->m_pt3 = w[1];
            c->m_pt4 = w[2];
            c->m_pt2 = w[3];
            figure = std::move(c);
        } else {
            std::unique_ptr<CLine> l =
                arrow ? std::make_unique<CArrow>() : std::make_unique<CLine>();
            l->m_pt1 = w[0];
            l->m_pt2 = w[1];
            figure = std::move(l);
        }
        CDoublePoint points[CFigure::kMaxPoints];
        const int n = figure->ReadPoints(points);
        for (int j = 0; j < n; ++j)
            if (!IsWithinReach(points[j]))
                return 0;
        // It writes the text it was read from until it is changed.
        figure->m_strReadBlock = std::string(text);
        figure->m_strRecoveredBlock = figure->ExportTeX();
        FlushKept();
        m_list.Add(std::move(figure));
        return 2;
    }
};

// Where the drawing's origin goes on the page: where it is (the page's top-left corner) when the
// drawing lies within the page that way, else where the drawing's top-left corner comes to
// kPageMargin from the page's, in whole steps of kOriginStep so that its numbers stay round.
CDoublePoint PageOriginFor(const CTeXDrawProgram& program) {
    constexpr double kPageWidth = 681, kPageHeight = 801; // the canvas's page, page units
    constexpr double kPageMargin = 50, kOriginStep = 50;
    const CDoublePoint lo = program.m_ptMin, hi = program.m_ptMax;
    if (!(lo.x <= hi.x && lo.y <= hi.y)) // nothing drawn
        return {};
    if (lo.x >= 0 && lo.y >= 0 && hi.x <= kPageWidth && hi.y <= kPageHeight)
        return {};
    const auto step = [](double v) { return std::ceil(v / kOriginStep) * kOriginStep; };
    return {step(kPageMargin - lo.x), step(kPageMargin - lo.y)};
}

int LineAt(std::string_view text, std::size_t pos) {
    return 1 + static_cast<int>(std::count(text.begin(), text.begin() + pos, '\n'));
}

} // namespace

CTeXDrawReadResult ReadForeignTeXDrawText(std::string_view text, const std::string& fileName,
                                          CFigureList& out) {
    CTeXDrawReadResult r;
    const CTeXDrawSurroundings s = FindTeXDrawSurroundings(text);
    if (!s.m_bOk) {
        // A text with no drawing at all gets the reader's own message.
        if (text.find("texdraw") != std::string_view::npos)
            r.error = fileName + ", " + s.m_strError;
        return r;
    }
    CTeXDrawInterpretOptions options;
    options.m_nFirstLine = LineAt(text, s.m_body.m_nBegin);
    options.m_strPreamble = s.m_prefix.Of(text);
    const std::string_view body = s.m_body.Of(text);
    CTeXDrawProgram program = InterpretTeXDraw(body, options);
    // A drawing that does not lie on the page where its own origin puts it is moved onto it.
    options.m_ptPageOrigin = PageOriginFor(program);
    if (!(options.m_ptPageOrigin == CDoublePoint{}))
        program = InterpretTeXDraw(body, options);

    CFigureList list;
    list.m_bForeign = true;
    list.m_strBefore = std::string(text.substr(0, s.m_body.m_nBegin));
    list.m_strAfter = std::string(text.substr(s.m_body.m_nEnd));
    list.m_ptTeXDrawOrigin = options.m_ptPageOrigin;
    CForeignBuilder(body, program, list, r).Run();
    r.bForeign = true;
    r.nFurtherDrawings = s.m_nFurtherDrawings;
    r.ok = true;
    out.Swap(list);
    return r;
}
