#include "texdraw/ForeignReader.h"

#include "figures/StyleCommands.h"

#include "texdraw/ShownStretch.h"

#include "figures/FigureList.h"
#include "figures/RawTeX.h"
#include "figures/TeXFormat.h"
#include "texdraw/ForeignFigures.h"
#include "texdraw/Interpreter.h"
#include "texdraw/Surroundings.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <set>

namespace {

// Numbers are written to no more decimals than this.
constexpr int kMostDecimals = 6;

// A statement that draws nothing and changes nothing: blanks, or a comment on a line of its own.
bool IsQuiet(const CTeXDrawStatement& s) {
    return s.m_eKind == ETeXDrawStatement::Blank || s.m_eKind == ETeXDrawStatement::Comment;
}

// The coordinate v (units of `unit` page units) with the fewest decimals that TeXDraw still takes
// to the same 1/300 in.
void AppendShortest(std::string& out, double v, double unit) {
    const double pixels = std::round(v * unit * 3.0);
    double scale = 1.0;
    for (int digits = 0; digits < 5; ++digits, scale *= 10.0) {
        const double r = std::round(v * scale) / scale;
        if (std::round(r * unit * 3.0) == pixels && std::fabs(r * unit * 3.0 - pixels) < 0.25) {
            AppendTeXNumber(out, r + 0.0); // never "-0.00"
            return;
        }
    }
    AppendTeXNumber(out, v + 0.0);
}

// The most decimals any number of text is written with (a comma may stand for the point).
int DecimalsIn(std::string_view text) {
    int most = 0;
    for (std::size_t k = 0; k < text.size(); ++k) {
        if (text[k] != '.' && text[k] != ',')
            continue;
        int digits = 0;
        while (k + 1 < text.size() && text[k + 1] >= '0' && text[k + 1] <= '9') {
            ++digits;
            ++k;
        }
        most = std::max(most, digits);
    }
    return std::min(most, kMostDecimals);
}

// The decimals that place a point of a drawing whose unit is `unit` page units to a tenth of
// TeXDraw's 1/300 in.
int DecimalsFor(double unit) {
    int d = 0;
    for (double step = unit; d < kMostDecimals && !(step <= 1.0 / 30.0); step /= 10.0)
        ++d;
    return d;
}

// The part of TeXDraw's settings a style command sets.
unsigned PartsSetBy(const std::string& name) {
    // By the order of the style commands.
    constexpr unsigned kParts[] = {kSayWidth,    kSayPattern,  kSayGray,
                                   kSayHeadType, kSayHeadSize, kSayTextRef};
    const CStyleCommandInfo* c = FindStyleCommand(name);
    return c ? kParts[static_cast<int>(c->eCommand)] : 0u;
}

std::string_view Trim(std::string_view s) {
    const std::size_t first = s.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos)
        return {};
    return s.substr(first, s.find_last_not_of(" \t\r\n") + 1 - first);
}

// The most style statements taken before or after a figure's own.
constexpr std::size_t kMaxStyleRun = 8;

class CForeignBuilder {
public:
    CForeignBuilder(std::string_view body, const CTeXDrawProgram& program, CFigureList& list,
                    CTeXDrawReadResult& r)
        : m_body(body), m_program(program), m_list(list), m_result(r) {}

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
        MayMove(*raw, m_keptFrom, m_keptTo);
        m_list.Add(std::move(raw));
        if (m_bKeptUnknown) {
            ++m_result.nUnrecognised;
            m_result.unrecognisedLines.push_back(m_nKeptUnknownLine);
        }
        m_keptFrom = m_keptTo = 0;
        m_bKeptUnknown = false;
    }

    const CTeXDrawPrimitive& Primitive(int k) const {
        return m_program.m_primitives[static_cast<std::size_t>(k)];
    }

    // How many statements from i make one figure's drawing: at most one move, then what draws
    // one path (its pieces, an arrow from its end, its fill, and with `outline` the outline drawn
    // over a fill), or a shape (a disc under its outline), or a text. 0 when the statement at i
    // begins none.
    std::size_t GroupAt(std::size_t i, bool outline = true) const {
        const auto& st = m_program.m_statements;
        std::size_t j = i;
        if (st[j].m_eKind == ETeXDrawStatement::Move) {
            ++j;
            // Style statements may stand between the move and what it begins.
            while (j < st.size() && j - i <= kMaxStyleRun &&
                   st[j].m_eKind == ETeXDrawStatement::Style)
                ++j;
        }
        if (j >= st.size() || st[j].m_nPrimitives == 0)
            return 0;
        const CTeXDrawPrimitive& p = Primitive(st[j].m_nFirstPrimitive);
        // The move must go where the drawing begins (its point is in the drawing's extent, which
        // the figure's own block then keeps).
        if (j > i && !(st[i].m_after.m_ptCurrent == p.m_pt1))
            return 0;
        switch (p.m_eKind) {
        case ETeXDrawPrimitive::Text:
        case ETeXDrawPrimitive::Arc:
            return j + 1 - i;
        case ETeXDrawPrimitive::Circle:
        case ETeXDrawPrimitive::Ellipse:
            // A disc and then the outline of the same shape are one figure.
            if (p.m_bFilled && j + 1 < st.size() && st[j + 1].m_eKind == st[j].m_eKind)
                return j + 2 - i;
            return j + 1 - i;
        case ETeXDrawPrimitive::Arrow:
            return j + 1 - i;
        case ETeXDrawPrimitive::Line:
        case ETeXDrawPrimitive::Curve:
            break;
        }
        // The path must begin here, with a statement that draws only on it.
        if (p.m_nPath < 0 ||
            m_program.m_paths[static_cast<std::size_t>(p.m_nPath)].m_nFirstStatement !=
                static_cast<int>(j))
            return 0;
        const int path = p.m_nPath;
        const auto onPath = [&](const CTeXDrawStatement& s) {
            if (s.m_nPrimitives == 0)
                return false;
            for (int k = s.m_nFirstPrimitive; k < s.m_nFirstPrimitive + s.m_nPrimitives; ++k)
                if (Primitive(k).m_nPath != path)
                    return false;
            return true;
        };
        if (!onPath(st[j]))
            return 0;
        while (j + 1 < st.size() && onPath(st[j + 1]))
            ++j;
        const CTeXDrawPath& drawn = m_program.m_paths[static_cast<std::size_t>(path)];
        if (j + 1 < st.size() && drawn.m_bFilled &&
            drawn.m_nFillStatement == static_cast<int>(j + 1)) {
            // A fill alone (\ifill) with the outline drawn over it next.
            if (!drawn.m_bStroked && outline && j + 2 < st.size())
                if (const std::size_t more = GroupAt(j + 2, false))
                    return j + 2 + more - i;
            return j + 2 - i;
        }
        if (drawn.m_bFilled)
            return 0;
        // An arrow from the path's end.
        if (j + 1 < st.size() && st[j + 1].m_eKind == ETeXDrawStatement::Arrow &&
            st[j + 1].m_nPrimitives == 1 &&
            Primitive(st[j + 1].m_nFirstPrimitive).m_eKind == ETeXDrawPrimitive::Arrow)
            return j + 2 - i;
        return j + 1 - i;
    }

    const CTeXDrawSettings& SettingsOf(const CTeXDrawPlace& place) const {
        return m_program.m_settings[static_cast<std::size_t>(place.m_nSettings)];
    }

    // A figure's statements (GroupAt) with the style statements before it that set its style, and
    // those after it that give the style that stood before back. 0 when the statement at i
    // begins no figure.
    std::size_t StyledGroupAt(std::size_t i, bool outline = true) const {
        const auto& st = m_program.m_statements;
        std::size_t core = i;
        while (core < st.size() && core - i < kMaxStyleRun &&
               st[core].m_eKind == ETeXDrawStatement::Style)
            ++core;
        if (core == st.size())
            return 0;
        const std::size_t n = GroupAt(core, outline);
        if (n == 0)
            return 0;
        const CTeXDrawSettings& want = SettingsOf(m_program.PlaceBefore(i));
        for (std::size_t end = core + n; end - core - n <= kMaxStyleRun; ++end) {
            if (SettingsOf(st[end - 1].m_after) == want)
                return end - i;
            if (end == st.size() || st[end].m_eKind != ETeXDrawStatement::Style)
                break;
        }
        return core + n - i;
    }

    // Kept text that draws something may be moved as a whole (inside segments, which keep what
    // it sets to themselves) when it leaves TeXDraw's frame, units, settings and paths as it
    // found them, begins no path another statement goes on with, and stands in no open path (or
    // ends the one before it by a move). Does the first statement that is more than blanks and
    // comments end the path before it?
    bool BeginsWithAMove(std::size_t first, std::size_t end) const {
        for (std::size_t k = first; k < end; ++k) {
            const ETeXDrawStatement kind = m_program.m_statements[k].m_eKind;
            if (kind != ETeXDrawStatement::Blank && kind != ETeXDrawStatement::Comment)
                return kind == ETeXDrawStatement::Move;
        }
        return false;
    }

    void MayMove(CRawTeXFigure& raw, std::size_t first, std::size_t end) const {
        if (!raw.HasShownDrawing())
            return;
        const CTeXDrawPlace& before = m_program.PlaceBefore(first);
        const CTeXDrawPlace& after = m_program.m_statements[end - 1].m_after;
        // Read only in part, what it draws is not known for sure; a definition inside a segment
        // would be lost to the statements after it.
        static const std::set<std::string> kDefinitions{
            "def",        "edef",         "gdef",           "xdef",          "let",
            "newcommand", "renewcommand", "providecommand", "newenvironment"};
        for (std::size_t k = first; k < end; ++k) {
            const CTeXDrawStatement& s = m_program.m_statements[k];
            if ((s.m_eKind == ETeXDrawStatement::Unknown && !s.m_strMessage.empty()) ||
                kDefinitions.contains(s.m_strName))
                return;
        }
        raw.m_bMovable =
            before.m_ptOrigin == after.m_ptOrigin && before.m_dUnit == after.m_dUnit &&
            before.m_dUnitSp == after.m_dUnitSp && before.m_dSegScale == after.m_dSegScale &&
            before.m_nSegmentDepth == after.m_nSegmentDepth &&
            before.m_nSettings == after.m_nSettings &&
            (before.m_nOpenPath < 0 || BeginsWithAMove(first, end)) && after.m_nOpenPath < 0;
        raw.m_dSegScale = before.m_dSegScale;
    }

    // The opening of a segment in which a block in the editor's words draws as it expects, from
    // the place: the block's inches, TeXDraw's style as the block expects it.
    static std::string SegmentInInches(const CTeXDrawPlace& place, const CTeXDrawSettings& in) {
        std::string b;
        // A path still open is stroked first (a segment would only interrupt it), as a move
        // would.
        if (place.m_nOpenPath >= 0)
            b += "\\rmove(0 0)";
        b += "\\bsegment\\drawdim in \\setunitscale 1\n";
        const auto reset = [&b](EStyleCommand c) { b += StyleCommand(c).strReset; };
        if (in.m_style.m_dWidth != kDefaultLineWidth)
            reset(EStyleCommand::LineWd);
        if (!in.m_style.m_dashes.empty())
            reset(EStyleCommand::LPatt);
        if (in.m_style.m_dGray != 0.0)
            reset(EStyleCommand::SetGray);
        if (in.m_cHeadType != kDefaultHeadType)
            reset(EStyleCommand::ArrowHeadType);
        if (in.m_dHeadLength != kDefaultHeadLength || in.m_dHeadWidth != kDefaultHeadWidth)
            reset(EStyleCommand::ArrowHeadSize);
        return b;
    }

public:
    // The frame of figures added to the drawing, which are written after all of it: a segment
    // from where the drawing ends.
    std::shared_ptr<const CForeignFrame> EndFrame() const {
        const CTeXDrawPlace& end = m_program.m_statements.empty()
                                       ? m_program.m_start
                                       : m_program.m_statements.back().m_after;
        auto frame = std::make_shared<CForeignFrame>();
        frame->ptOrigin = end.m_ptCurrent;
        frame->strBefore = SegmentInInches(end, SettingsOf(end));
        frame->strAfter = "\\esegment\n";
        return frame;
    }

private:
    // The frame a changed figure of statements [i, i + n) is written in, or null when it cannot
    // be written there without changing what the statements after it draw.
    std::shared_ptr<const CForeignFrame> FrameOf(std::size_t i, std::size_t n) const {
        const CTeXDrawPlace& before = m_program.PlaceBefore(i);
        const CTeXDrawPlace& after = m_program.m_statements[i + n - 1].m_after;
        const CTeXDrawSettings& in =
            m_program.m_settings[static_cast<std::size_t>(before.m_nSettings)];
        // The frame stays, and only style statements change the settings (a macro might set them
        // where the figure's block would not).
        if (!(before.m_ptOrigin == after.m_ptOrigin) || before.m_dUnit != after.m_dUnit ||
            before.m_dUnitSp != after.m_dUnitSp || before.m_nSegmentDepth != after.m_nSegmentDepth)
            return nullptr;
        std::string restyle;
        for (std::size_t k = i; k < i + n; ++k) {
            const CTeXDrawStatement& s = m_program.m_statements[k];
            if (s.m_eKind == ETeXDrawStatement::Style)
                restyle += TextOf(k, 1);
            else if (!(SettingsOf(m_program.PlaceBefore(k)) == SettingsOf(s.m_after)))
                return nullptr;
        }
        auto frame = std::make_shared<CForeignFrame>();
        frame->ptOrigin = before.m_ptCurrent;
        frame->strBefore = SegmentInInches(before, in);
        frame->strAfter = "\\esegment\n";
        // The style the statements leave in force, for the statements after them: their own
        // words again, in the frame that stands again.
        if (!(in == SettingsOf(after))) {
            frame->strAfter += restyle;
            if (frame->strAfter.back() != '\n')
                frame->strAfter += '\n';
        }
        // The current point the figure's statements left, for the statements after it (and the
        // changed figures after it, which are written from there).
        if (!(after.m_ptCurrent == before.m_ptCurrent)) {
            const CDoublePoint d = after.m_ptCurrent - after.m_ptOrigin;
            const double u = d.x / after.m_dUnit, v = -d.y / after.m_dUnit;
            // TeX must be able to read them in the drawing's units.
            if (!(std::fabs(u) * after.m_dUnitSp < 1e9 && std::fabs(v) * after.m_dUnitSp < 1e9))
                return nullptr;
            std::string& a = frame->strAfter;
            a += "\\move(";
            AppendShortest(a, u, after.m_dUnit);
            a += ' ';
            AppendShortest(a, v, after.m_dUnit);
            a += ")\n";
        }
        frame->strCarried = frame->strAfter.substr(std::string_view("\\esegment\n").size());
        // For writing it again in the drawing's own words.
        frame->dUnit = before.m_dUnit;
        frame->ptFrameOrigin = before.m_ptOrigin;
        frame->nDecimals = std::max(DecimalsIn(TextOf(i, n)), DecimalsFor(before.m_dUnit));
        frame->inForce = in;
        frame->left = SettingsOf(after);
        frame->ptLeft = after.m_ptCurrent;
        for (std::size_t k = i; k < i + n; ++k) {
            const CTeXDrawStatement& s = m_program.m_statements[k];
            if (s.m_eKind == ETeXDrawStatement::Style)
                frame->sayings.push_back({PartsSetBy(s.m_strName), SettingsOf(s.m_after),
                                          std::string(Trim(TextOf(k, 1)))});
        }
        return frame;
    }

    // The figure the statements from i draw, put in the list: the number of statements it
    // takes, or 0 when they stay as text.
    std::size_t TryFigure(std::size_t i) {
        // A fill alone followed by a path that is not its outline is a figure of its own.
        if (const std::size_t n = TryFigure(i, true))
            return n;
        return StyledGroupAt(i, false) != StyledGroupAt(i, true) ? TryFigure(i, false) : 0;
    }
    std::size_t TryFigure(std::size_t i, bool outline) {
        const auto& st = m_program.m_statements;
        const std::size_t n = StyledGroupAt(i, outline);
        if (n == 0)
            return 0;
        // A statement read only in part stays as it was written.
        for (std::size_t k = i; k < i + n; ++k)
            if (!st[k].m_strMessage.empty())
                return 0;
        // A path open before the figure must end where the figure begins.
        const CTeXDrawPlace& before = m_program.PlaceBefore(i);
        if (before.m_nOpenPath >= 0 && st[i].m_after.m_nOpenPath == before.m_nOpenPath)
            return 0;
        // And the figure's own path ends with it: nothing after it draws on.
        const CTeXDrawStatement& last = st[i + n - 1];
        const int first = st[i].m_nFirstPrimitive;
        const int count = last.m_nFirstPrimitive + last.m_nPrimitives - first;
        if (count == 0)
            return 0;
        const int lastPath = Primitive(first + count - 1).m_nPath;
        for (std::size_t k = i + n; lastPath >= 0 && k < st.size(); ++k) {
            if (st[k].m_nPrimitives > 0) {
                if (Primitive(st[k].m_nFirstPrimitive).m_nPath == lastPath)
                    return 0;
                break;
            }
            if (!IsQuiet(st[k]))
                break;
        }
        std::unique_ptr<CFigure> figure = FigureOfPrimitives(m_program, first, count);
        if (!figure)
            return 0;
        std::shared_ptr<const CForeignFrame> frame = FrameOf(i, n);
        if (!frame)
            return 0;
        // It writes the text it was read from until it is changed.
        figure->m_strReadBlock = std::string(TextOf(i, n));
        figure->m_strRecoveredBlock = figure->ExportTeX();
        figure->m_pForeignFrame = std::move(frame);
        FlushKept();
        m_list.Add(std::move(figure));
        return n;
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
                                          CFigureList& out, int drawing) {
    CTeXDrawReadResult r;
    const CTeXDrawSurroundings s = FindTeXDrawSurroundings(text, drawing);
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
    list.m_nDrawing = s.m_nEarlierDrawings;
    CForeignBuilder builder(body, program, list, r);
    builder.Run();
    list.m_pNewFigureFrame = builder.EndFrame();
    r.bForeign = true;
    r.nFurtherDrawings = s.m_nFurtherDrawings;
    r.nEarlierDrawings = s.m_nEarlierDrawings;
    r.ok = true;
    out.Swap(list);
    return r;
}
