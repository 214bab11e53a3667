// Fuzzes the finding and running of TeXDraw written elsewhere: any bytes either give no drawing
// with a message naming a line, or a drawing whose pieces make up the text again; the body, and
// the whole text taken as a body, run to statements that tile it exactly, with finite points on
// the page and indices that hold.
#include "texdraw/Interpreter.h"
#include "texdraw/Surroundings.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

void Check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "TeXDraw interpreter fuzz: %s\n", what);
        std::abort();
    }
}

bool Sane(const CDoublePoint& p) {
    return std::isfinite(p.x) && std::isfinite(p.y) && std::fabs(p.x) <= kReadableReach &&
           std::fabs(p.y) <= kReadableReach;
}

void CheckProgram(const CTeXDrawProgram& p, std::string_view body) {
    std::size_t at = 0;
    int line = 0, unknown = 0;
    for (const CTeXDrawStatement& s : p.m_statements) {
        Check(s.m_nBegin == at && s.m_nEnd > s.m_nBegin, "the statements do not tile the body");
        Check(s.m_nLine >= line, "a statement's line goes back");
        Check(s.m_nFirstPrimitive >= 0 && s.m_nPrimitives >= 0 &&
                  static_cast<std::size_t>(s.m_nFirstPrimitive) + s.m_nPrimitives <=
                      p.m_primitives.size(),
              "a statement's primitives lie outside the list");
        const CTeXDrawPlace& after = s.m_after;
        Check(after.m_nSettings >= 0 &&
                  static_cast<std::size_t>(after.m_nSettings) < p.m_settings.size() &&
                  after.m_nOpenPath < static_cast<int>(p.m_paths.size()),
              "a statement's settings or open path lie outside the lists");
        Check(Sane(after.m_ptCurrent) && Sane(after.m_ptOrigin) && std::isfinite(after.m_dUnit),
              "the place a statement leaves is not finite or far off the page");
        unknown += s.m_eKind == ETeXDrawStatement::Unknown;
        at = s.m_nEnd;
        line = s.m_nLine;
    }
    Check(at == body.size(), "the statements stop short of the body's end");
    Check(unknown == p.m_nUnknown && p.m_unknownLines.size() == static_cast<std::size_t>(unknown),
          "the unknown statements are miscounted");
    for (const CTeXDrawPrimitive& q : p.m_primitives) {
        Check(Sane(q.m_pt1) && Sane(q.m_pt2) && Sane(q.m_ptControl1) && Sane(q.m_ptControl2),
              "a point is not finite or far off the page");
        Check(std::isfinite(q.m_dRadiusX) && std::isfinite(q.m_dRadiusY) &&
                  std::isfinite(q.m_dAngle) && std::isfinite(q.m_dStartDeg) &&
                  std::isfinite(q.m_dEndDeg),
              "a size or angle is not finite");
        Check(q.m_nStyle >= 0 && static_cast<std::size_t>(q.m_nStyle) < p.m_styles.size(),
              "a style index is out of range");
        Check(q.m_nPath < static_cast<int>(p.m_paths.size()), "a path index is out of range");
    }
    for (const CTeXDrawMessage& m : p.m_messages)
        Check(m.m_strText.rfind("line " + std::to_string(m.m_nLine) + ": ", 0) == 0,
              "a message does not begin with its line");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const CTeXDrawSurroundings s = FindTeXDrawSurroundings(text);
    if (!s.m_bOk) {
        Check(s.m_strError.rfind("line " + std::to_string(s.m_nErrorLine) + ": ", 0) == 0,
              "the message does not begin with its line");
    } else {
        Check(s.m_prefix.m_nBegin == 0 && s.m_prefix.m_nEnd == s.m_open.m_nBegin &&
                  s.m_open.m_nEnd == s.m_body.m_nBegin && s.m_body.m_nEnd == s.m_close.m_nBegin &&
                  s.m_close.m_nEnd == s.m_suffix.m_nBegin && s.m_suffix.m_nEnd == text.size() &&
                  s.m_open.m_nBegin < s.m_open.m_nEnd && s.m_close.m_nBegin < s.m_close.m_nEnd,
              "the pieces do not make up the text");
        CTeXDrawInterpretOptions options;
        options.m_nFirstLine = s.m_nBodyLine;
        options.m_strPreamble = s.m_prefix.Of(text);
        CheckProgram(InterpretTeXDraw(s.m_body.Of(text), options), s.m_body.Of(text));
    }
    CheckProgram(InterpretTeXDraw(text), text);
    return 0;
}
