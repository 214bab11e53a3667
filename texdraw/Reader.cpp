// The reader recognises a block only when the figure it rebuilds writes exactly the same bytes
// again (or, for the blocks that hold rounded points only, the same numbers within rounding), so a
// drawing read and saved again is the drawing that was read. Everything else between the header
// and the footer is kept as text.
#include "texdraw/Reader.h"

#include "figures/BezierCurve.h"
#include "figures/FigureList.h"
#include "figures/Label.h"
#include "figures/Line.h"
#include "figures/Polyline.h"
#include "figures/RawTeX.h"
#include "figures/Rectangle.h"
#include "figures/RotatableFigures.h"
#include "figures/Shapes.h"
#include "figures/TextFigures.h"
#include "texdraw/BlockParser.h"
#include "texdraw/BlockRecognition.h"
#include "texdraw/Document.h"
#include "texdraw/ForeignReader.h"
#include "texdraw/FrameRecovery.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <system_error>

using namespace texdraw_reader;

namespace {

class CBodyReader {
public:
    CBodyReader(std::string_view body, int firstLine, CFigureList& list, CTeXDrawReadResult& r)
        : m_body(body), m_firstLine(firstLine), m_list(list), m_result(r) {}

    // False with m_fatal set when a block holds a number that cannot be a coordinate.
    bool Run() {
        CTextPosition c{0, m_firstLine};
        CTextPosition raw = c; // where the stretch of unrecognised lines begins
        std::size_t prevStart = std::string_view::npos;
        bool prevEmpty = false;
        std::string_view line;
        for (;;) {
            const CTextPosition at = c;
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
                CTextPosition start = at;
                if (kind->blankLineFirst && prevEmpty && prevStart >= raw.pos &&
                    prevStart != std::string_view::npos)
                    start = {prevStart, at.line - 1};
                bool approximated = false;
                std::unique_ptr<CFigure> figure;
                if (read)
                    figure = RecogniseBlock(d, m_body.substr(start.pos, p.m_at.pos - start.pos),
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

    void Keep(const CTextPosition& from, std::size_t to) {
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
    bool SkipToEnd(CTextPosition at, const CKindName& kind, CTextPosition& c) const {
        const std::string end = "%end " + std::string(kind.name);
        int nested = IsTextKind(kind.kind) ? 1 : 0;
        std::string_view line;
        NextLine(m_body, at, line); // the "%begin" line
        for (int i = 1; i < kind.maxLines && NextLine(m_body, at, line); ++i) {
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
    CTextPosition c{bodyStart, LineOf(text, bodyStart)};
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
    CTextPosition a{0, 1}, b{0, 1};
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

// The unit scale of a third line "\setunitscale <number>" after the first two lines of the
// header, when it is one and the number is a scale a drawing may have.
std::optional<double> ScaleLine(std::string_view text) {
    const std::string& header = DocumentFrame().header;
    const std::size_t second = header.find('\n', header.find('\n') + 1) + 1;
    constexpr std::string_view kCommand = "\\setunitscale ";
    if (text.substr(0, second) != std::string_view(header).substr(0, second) ||
        text.substr(second, kCommand.size()) != kCommand)
        return std::nullopt;
    const std::size_t from = second + kCommand.size();
    const std::size_t end = text.find('\n', from);
    if (end == std::string_view::npos || end - from > 40)
        return std::nullopt;
    double v = 0.0;
    const auto res = std::from_chars(text.data() + from, text.data() + end, v);
    if (res.ec != std::errc() || res.ptr != text.data() + end || !(v >= kMinUnitScale) ||
        !(v <= kMaxUnitScale))
        return std::nullopt;
    return v;
}

std::string Located(const std::string& fileName, const std::string& why) {
    return fileName + ", " + why;
}

} // namespace

CTeXDrawReadResult ReadTeXDrawText(std::string_view text, const std::string& fileName,
                                   CFigureList& out, int drawing) {
    const std::string_view original = text;
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
    const std::string& frameHeader = DocumentFrame().header;
    const std::size_t firstFeed = frameHeader.find('\n');
    if (text.size() > firstFeed + 1 &&
        text.substr(0, firstFeed) == frameHeader.substr(0, firstFeed) && text[firstFeed] == '\r' &&
        text[firstFeed + 1] == '\n') {
        withFeeds.reserve(text.size());
        for (std::size_t i = 0; i < text.size(); ++i)
            if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n'))
                withFeeds += text[i];
        text = withFeeds;
    }
    // The third line may set the unit scale the drawing prints at.
    double unitScale = 1.0;
    std::string scaledHeader;
    if (const std::optional<double> scale = ScaleLine(text)) {
        unitScale = *scale;
        const std::size_t second = frameHeader.find('\n', frameHeader.find('\n') + 1) + 1;
        const std::size_t third = frameHeader.find('\n', second) + 1;
        const std::size_t end = text.find('\n', second) + 1;
        scaledHeader = frameHeader.substr(0, second);
        scaledHeader += text.substr(second, end - second);
        scaledHeader += frameHeader.substr(third);
    }
    const std::string& header = scaledHeader.empty() ? DocumentFrame().header : scaledHeader;
    if (text.substr(0, header.size()) != header || drawing > 0) {
        // Not the editor's own form: a drawing someone else wrote, read by running it (the
        // editor's own files hold one drawing).
        CTeXDrawReadResult foreign = ReadForeignTeXDrawText(original, fileName, out, drawing);
        // A file that begins as the editor's own and cannot be read either way is told where it
        // stops being the editor's.
        const std::size_t second = frameHeader.find('\n', firstFeed + 1) + 1;
        if (!foreign.ok &&
            (foreign.error.empty() ||
             text.substr(0, second) == std::string_view(frameHeader).substr(0, second)))
            foreign.error = Located(fileName, WrongHeader(text));
        return foreign;
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
    list.m_dUnitScale = unitScale;
    CBodyReader reader(body, LineOf(header, header.size()), list, r);
    if (!reader.Run()) {
        CTeXDrawReadResult failed;
        failed.error = Located(fileName, reader.m_fatal);
        return failed;
    }
    // Texts print at their font's size: in the drawing's units, one over its unit scale.
    for (int i = 0; i < list.GetCount(); ++i)
        if (double* em = list.GetAt(i)->GetTextSize())
            *em /= unitScale;
    out.Swap(list);
    r.ok = true;
    return r;
}

CTeXDrawReadResult ReadTeXDrawFile(const std::string& path, CFigureList& out, int drawing) {
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
    return ReadTeXDrawText(text, path, out, drawing);
}
