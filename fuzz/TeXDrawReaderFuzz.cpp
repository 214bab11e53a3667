// Fuzzes the TeXDraw reader: any bytes are either refused with a message naming the input (and
// the list left alone) or read into figures with finite coordinates, whose document reads back
// with the same figures, and comes back byte for byte when nothing was recognised approximately.
#include "figures/FigureList.h"
#include "figures/FramedFigure.h"
#include "texdraw/Document.h"
#include "texdraw/Reader.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

void Check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "TeXDraw reader fuzz: %s\n", what);
        std::abort();
    }
}

bool Sane(const CDoublePoint& p) {
    return std::isfinite(p.x) && std::isfinite(p.y) && std::fabs(p.x) <= 2 * kMaxTeXDrawPageValue &&
           std::fabs(p.y) <= 2 * kMaxTeXDrawPageValue;
}

void CheckFigures(const CFigureList& list) {
    for (int i = 0; i < list.GetCount(); ++i) {
        const CFigure* f = list.GetAt(i);
        Check(Sane(f->m_pt1) && Sane(f->m_pt2), "a point is not finite or far off the page");
        if (const auto* framed = dynamic_cast<const CFramedFigure*>(f))
            Check(Sane(framed->m_pt3) && Sane(framed->m_pt4), "a corner is not finite");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    CFigureList first;
    const CTeXDrawReadResult r1 = ReadTeXDrawText(text, "fuzz.txt", first);
    if (!r1.ok) {
        Check(first.GetCount() == 0, "a refused input left figures in the list");
        Check(r1.error.rfind("fuzz.txt", 0) == 0, "the message does not name the file");
        return 0;
    }
    CheckFigures(first);

    const std::string written = MakeTeXDrawDocument(first);
    if (r1.nApproximated == 0 && text.find('\r') == std::string::npos && text.size() >= 12 &&
        text.compare(text.size() - 12, 12, "\\end{center}") == 0)
        Check(written == text, "the drawing did not come back byte for byte");

    CFigureList second;
    const CTeXDrawReadResult r2 = ReadTeXDrawText(written, "fuzz.txt", second);
    Check(r2.ok, "a written drawing could not be read again");
    Check(second.GetCount() == first.GetCount(), "the figures changed in number");
    Check(r2.nUnrecognised == r1.nUnrecognised, "the kept stretches changed in number");
    for (int i = 0; i < first.GetCount(); ++i)
        Check(first.GetAt(i)->m_strType == second.GetAt(i)->m_strType, "a figure changed kind");
    CheckFigures(second);
    if (r2.nApproximated == 0)
        Check(MakeTeXDrawDocument(second) == written, "the second save differs from the first");

    // Every figure of another's drawing written as changed, in the frame where it stands.
    if (first.m_bForeign) {
        for (int i = 0; i < first.GetCount(); ++i)
            first.GetAt(i)->m_strReadBlock.clear();
        CFigureList changed;
        Check(ReadTeXDrawText(MakeTeXDrawDocument(first), "fuzz.txt", changed).ok,
              "a drawing with every figure changed could not be read again");
        CheckFigures(changed);
    }
    return 0;
}
