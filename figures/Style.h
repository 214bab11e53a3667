// CStyle: how a figure's outline, fill and arrowheads are printed and drawn, in the terms TeXDraw
// prints them (\linewd, \lpatt, \setgray, \lfill/\ifill, \arrowheadtype, \arrowheadsize). Lengths
// are in page units, the units of the figures' points: one prints as 0.01 in times the drawing's
// unit scale, so a style scales with its drawing as TeXDraw scales it.
#pragma once

#include <optional>
#include <string>
#include <vector>

// Where a line, an arrow or a curve carries arrowheads.
enum class EArrowHeads : unsigned char { None, End, Start, Both };

// TeXDraw's own defaults, which every drawing starts from: a line 0.01 in wide, solid and black;
// heads 0.16 in long and 0.08 in wide at their base. The drawing's header makes heads filled.
inline constexpr double kDefaultLineWidth = 1.0;
inline constexpr double kDefaultHeadLength = 16.0;
inline constexpr double kDefaultHeadWidth = 8.0;
inline constexpr char kDefaultHeadType = 'F';
// The dotted line's pattern: 0.03 in of line, 0.05 in of gap.
inline constexpr double kDottedDash = 3.0;
inline constexpr double kDottedGap = 5.0;

// A page unit prints as 0.01 in at unit scale 1: 0.7227 TeX points.
inline constexpr double kPointsPerPageUnit = 0.7227;

// The unit scales a drawing may print at.
inline constexpr double kMinUnitScale = 0.01;
inline constexpr double kMaxUnitScale = 100.0;

// The bounds a style's values are kept within (lengths in page units).
inline constexpr double kMaxLineWidthPoints = 100.0;
inline constexpr double kMaxStyleLength = 10000.0;
inline constexpr std::size_t kMaxPatternLengths = 16;

// The values of a style one by one (bits), as a change names them and a kind takes them
// (CFigure::GetStyleCaps).
enum : unsigned {
    kStyleWidth = 1,
    kStylePattern = 2,
    kStyleGrey = 4,
    kStyleFill = 8,      // a fill under a closed outline
    kStyleHeadEnds = 16, // at which ends the heads are
    kStyleHeadType = 32,
    kStyleHeadSize = 64,
    kStyleOutline = kStyleWidth | kStylePattern | kStyleGrey,
    kStyleHeads = kStyleHeadEnds | kStyleHeadType | kStyleHeadSize,
    kStyleAll = kStyleOutline | kStyleFill | kStyleHeads,
};

struct CStyle {
    double dLineWidth = kDefaultLineWidth; // page units
    // Lengths of line and gap, alternating, in page units; empty for a solid line.
    std::vector<double> pattern;
    double dLineGrey = 0.0;         // 0 black ... 1 white
    std::optional<double> fillGrey; // closed figures: the grey of their fill, if any
    // Round figures with a fill: is their outline drawn too? Without it they are a disc (or an
    // ellipse's area) alone, as TeXDraw's \fcir and \fellip draw them. Set with the width.
    bool bOutline = true;
    EArrowHeads eHeads = EArrowHeads::None;
    char cHeadType = kDefaultHeadType; // 'F', 'T', 'W', 'V' or 'H'
    double dHeadLength = kDefaultHeadLength;
    double dHeadWidth = kDefaultHeadWidth;

    friend bool operator==(const CStyle&, const CStyle&) = default;
    // Is the outline drawn (and written)? Always, but for a fill drawn alone.
    bool HasOutline() const { return bOutline || !fillGrey; }
    bool HasHeadAtEnd() const { return eHeads == EArrowHeads::End || eHeads == EArrowHeads::Both; }
    bool HasHeadAtStart() const {
        return eHeads == EArrowHeads::Start || eHeads == EArrowHeads::Both;
    }
};

// Is c one of TeXDraw's five head types?
inline bool IsArrowHeadType(char c) {
    return c == 'F' || c == 'T' || c == 'W' || c == 'V' || c == 'H';
}

// Why the value cannot be a style's, or empty when it can: a width of 0 to 100 pt (given in page
// units at the unit scale), a grey of 0 to 1, a pattern of 1 to 16 positive finite lengths.
std::string CheckLineWidth(double pageUnits, double unitScale = 1.0);
std::string CheckGrey(double grey);
std::string CheckPattern(const std::vector<double>& pattern);
std::string CheckHeadSize(double length, double width);
// A length of a style (page units) as its block writes it: to the thousandth of a unit, and a
// grey to the hundred-thousandth. What is read back is then the very value that was written.
double WrittenLength(double pageUnits);
double WrittenGrey(double grey);

// A style with every value within its bounds and at the precision its block writes (out-of-range
// values are pinned, unknown head types become the default), so nothing a file or a paste brings
// can make it unprintable.
CStyle Bounded(CStyle style);
// Gives `to` the values of `from` that parts (kStyle* bits) names.
void CopyStyleParts(CStyle& to, const CStyle& from, unsigned parts);
