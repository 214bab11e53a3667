#include "latex/LatexSource.h"

#include "figures/TeXFormat.h"
#include "texdraw/Surroundings.h"

#include <algorithm>
#include <string_view>

namespace {

// The paper never grows past this (page units): TeX's dimensions end at about 226 in.
constexpr int kMaxPaper = 20000;
constexpr int kMaxMargin = 5000;

// Appends every piece in turn: GCC 12 at -O3 warns falsely (-Wrestrict) on chains of operator+.
template <typename... T> void Append(std::string& s, const T&... pieces) {
    (s += ... += pieces);
}

int CountLines(std::string_view text) {
    return static_cast<int>(std::count(text.begin(), text.end(), '\n')) + 1;
}

// Where what first stands in text outside TeX comments; npos when nowhere.
std::size_t FindOutsideComments(std::string_view text, std::string_view what) {
    bool comment = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\n') {
            comment = false;
        } else if (comment) {
            continue;
        } else if (c == '\\') {
            if (text.compare(i, what.size(), what) == 0)
                return i;
            ++i; // an escaped character, \% among them
        } else if (c == '%') {
            comment = true;
        }
    }
    return std::string_view::npos;
}

// The lines every source needs whatever its class: the drawing's box shipped out as the only page,
// placed by where TeXDraw's own box lies around the drawing's origin (its corners as texdraw
// itself rounds them for the PostScript), so that the page's top-left corner comes margin page
// units from the paper's. The document's own pages are dropped; the box goes out through TeX's
// own \shipout, which no package's page decorations reach. One line, so that it can stand in a
// document's own line before \begin{document}.
std::string MakeKit(const CTypesetLayout& layout, int margin) {
    std::string kit =
        "\\newbox\\quodrabox\\AddToHook{shipout/before}{\\DiscardShipoutBox}"
        "\\def\\quodraship{{\\sppix 300/in \\pixtobp\\xminpix\\quodrax\\pixtobp\\ymaxpix\\quodray"
        "\\hoffset=\\quodrax bp\\advance\\hoffset by ";
    AppendTeXNumber(kit, (margin + layout.dOriginX) / 100 - 1);
    kit += "in\\voffset=-\\quodray bp\\advance\\voffset by ";
    AppendTeXNumber(kit, (margin + layout.dOriginY) / 100 - 1);
    kit += "in\\csname tex_shipout:D\\endcsname\\box\\quodrabox}}";
    return kit;
}

// The drawing of a file written elsewhere, boxed and shipped where it stands; a centred drawing
// is typeset uncentred (its opening and closing keep their lines).
std::string BoxInPlace(std::string_view text, const CTeXDrawSurroundings& s) {
    std::string out(s.m_prefix.Of(text));
    out += "\\global\\setbox\\quodrabox=\\hbox{";
    if (s.m_eForm == ETeXDrawForm::CentredMacro) {
        const std::string_view open = s.m_open.Of(text);
        out += "\\btexdraw";
        out.append(static_cast<std::size_t>(std::count(open.begin(), open.end(), '\n')), '\n');
        out += s.m_body.Of(text);
        out += "\\etexdraw";
    } else {
        out += text.substr(s.m_open.m_nBegin, s.m_close.m_nEnd - s.m_open.m_nBegin);
    }
    out += "}\\quodraship ";
    out += s.m_suffix.Of(text);
    return out;
}

} // namespace

CTypesetSource MakeTypesetSource(const std::string& preamble, const std::string& document,
                                 const CTypesetLayout& layout) {
    CTypesetSource s;
    s.nMargin = std::clamp((kMaxPaper - std::max(layout.nPageWidth, layout.nPageHeight)) / 2, 0,
                           kMaxMargin);
    const std::string kit = MakeKit(layout, s.nMargin);
    CTeXDrawSurroundings around;
    if (layout.bWholeFile)
        around = FindTeXDrawSurroundings(document);
    const std::string_view prefix = around.m_bOk ? around.m_prefix.Of(document) : "";
    const std::size_t begin = FindOutsideComments(prefix, "\\begin{document}");
    if (begin != std::string::npos &&
        FindOutsideComments(prefix.substr(0, begin), "\\documentclass") != std::string::npos) {
        // A whole document: its own class, packages and definitions, its lines where they are.
        s.bOwnClass = true;
        s.nPreambleLine = 1;
        s.nDocumentLine = 1;
        s.nDocumentLines = CountLines(document);
        const std::string boxed = BoxInPlace(document, around);
        Append(s.strText, boxed.substr(0, begin), "\\usepackage{texdraw}", kit,
               boxed.substr(begin));
        return s;
    }
    s.strText = "\\documentclass{article}\n"
                "\\usepackage{texdraw}\n";
    s.nPreambleLine = 3;
    s.nPreambleLines = CountLines(preamble);
    Append(s.strText, preamble, "\n", kit, "\n");
    if (!around.m_bOk) {
        // The editor's own drawing goes into the box whole; the centring around it is dropped,
        // and with it the spaces of its line ends.
        s.strText += "\\renewenvironment{center}{\\ignorespaces}{\\unskip}\n";
    }
    s.strText += "\\begin{document}\n";
    if (!around.m_bOk)
        s.strText += "\\global\\setbox\\quodrabox=\\hbox{%\n";
    s.nDocumentLine = CountLines(s.strText);
    s.nDocumentLines = CountLines(document);
    if (around.m_bOk)
        Append(s.strText, BoxInPlace(document, around), "\n\\end{document}\n");
    else
        Append(s.strText, document, "%\n}\\quodraship\n\\end{document}\n");
    return s;
}
