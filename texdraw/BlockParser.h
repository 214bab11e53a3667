// The TeXDraw reader's block parsing: a position in the text read line by line, the kinds of block
// the editor writes, and reading one block's commands into its points and text. Private to
// texdraw/.
#pragma once

#include "figures/Geometry.h"
#include "figures/Style.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace texdraw_reader {

// No block of the editor is longer; a broken block whose end is not this near is not ours.
inline constexpr int kMaxBlockLines = 48;
// Lines a text may run on over, when it holds line breaks.
inline constexpr int kMaxTextLines = 1000;
// A polyline's block: two paths (a fill's and the outline) of its most corners, and its style.
inline constexpr int kMaxPolylineLines = 2 * 4096 + 2 * kMaxBlockLines;

bool IsSpace(char c);
bool IsBlank(std::string_view s);
// A piece of the file shown in a message: short, and without control bytes.
std::string Quote(std::string_view s);

// A place in the text being read: where a line begins, and that line's number.
struct CTextPosition {
    std::size_t pos = 0; // offset of the line's first byte
    int line = 1;        // its number in the file, from 1
};

// The line at c without its line feed; c moves on to the next line. False at the end.
bool NextLine(std::string_view text, CTextPosition& c, std::string_view& line);

enum class EKind {
    Line,
    Arrow,
    Rectangle,
    Ellipse,
    Bezier,
    Rhomb,
    TextRectangle,
    TextEllipse,
    TextRhomb,
    Circle,
    AxisEllipse,
    Arc,
    Polyline,
    Polygon,
    Path,
    Label
};

struct CKindName {
    std::string_view name;
    EKind kind;
    bool blankLineFirst;           // the writer puts an empty line before the block
    int maxLines = kMaxBlockLines; // no block of the kind is longer
};

// The kind named after "%begin ", or null.
const CKindName* FindKind(std::string_view name);

inline bool IsTextKind(EKind k) {
    return k == EKind::TextRectangle || k == EKind::TextEllipse || k == EKind::TextRhomb;
}

// The shape block a text block holds; any other kind is its own shape.
inline EKind ShapeOf(EKind k) {
    return k == EKind::TextRectangle ? EKind::Rectangle
           : k == EKind::TextEllipse ? EKind::Ellipse
           : k == EKind::TextRhomb   ? EKind::Rhomb
                                     : k;
}

// Everything read from one block, in the order written.
struct CBlockData {
    EKind kind = EKind::Line;
    // The style its first lines set (a fill read into style.fillGrey); the pattern of a line's
    // dots is the dotted line's own.
    CStyle style;
    std::vector<CDoublePoint> points;     // page units, of the outline (a fill's path is left out)
    std::vector<CDoublePoint> fillPoints; // a polyline's: its fill's path
    std::vector<std::string_view> commands;     // the path commands, in order, one per line
    std::vector<std::string_view> fillCommands; // those of a fill's path
    // Text blocks: the text, and the centre as written (its two numbers and their values).
    std::string text;
    std::string_view centreX, centreY;
    double texCentreX = 0.0, texCentreY = 0.0;
    // TeXDraw's round shapes: the numbers of "\lcir r:", "\lellip rx: ry:" and "\larc r: sd:
    // ed:" in order (a fill's command sets style.fillGrey and adds its radii too).
    std::vector<double> numbers;
    // Labels: the text's references and angle.
    char hRef = 'L', vRef = 'B';
    double angle = 0.0;
};

// Reads the lines of one block in exactly the form the writer gives them. A line of another form
// makes it fail quietly (the block is then kept as text); a number that is not finite or lies far
// off the page makes it fail with a message, since such a block cannot be trusted at all.
class CBlockParser {
public:
    CBlockParser(std::string_view body, CTextPosition at) : m_at(at), m_body(body) {}

    CTextPosition m_at;
    std::string m_fatal; // "line <n>: <reason>" when a number is out of range

    bool Expect(std::string_view want);
    bool NextIs(std::string_view want) const;
    // A command followed by n points "(x y)" and nothing else.
    bool Points(std::string_view command, int n, CBlockData& d);
    // The lines of a shape up to the line `end` (read too): style commands, the path commands
    // "\move", "\lvec", "\avec", "\clvec" with their points, and a fill of the path before it.
    bool Body(std::string_view end, CBlockData& d, int maxLines = kMaxBlockLines);
    // A label's "\textref h:_ v:_" line and its text line: "\htext (x y){text}", "\vtext …" or
    // "\rtext td:angle (x y){text}".
    bool LabelText(CBlockData& d, std::string_view end);
    // "\htext (x y){text}": the text is everything between the brace after the point and the
    // closing brace that ends the last line before the block's end line.
    bool HText(CBlockData& d, std::string_view end);

private:
    std::string_view m_body;

    bool Pair(std::string_view& s, int lineNo, double& x, double& y, std::string_view* tokX,
              std::string_view* tokY);
    bool Number(std::string_view tok, int lineNo, double& v);
    // A style command read into d's style; false for a line that is none.
    bool StyleLine(std::string_view line, CBlockData& d);
    // A round shape's command read into d; false for a line that is none.
    bool RoundLine(std::string_view line, CBlockData& d);
    // The text after "{" up to the closing brace before the end line, over more lines if need be.
    bool BracedText(std::string_view line, CBlockData& d, std::string_view end);
};

// Reads the block of kind k that begins at p's position (its "%begin" line) into d.
bool ReadBlock(CBlockParser& p, const CKindName& k, CBlockData& d);

} // namespace texdraw_reader
