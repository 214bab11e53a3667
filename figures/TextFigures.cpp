#include "figures/TextFigures.h"

#include "figures/Label.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

// Clone always hands over a figure of the same class; any other source leaves the text alone.
template <class T> void CopyText(std::string& to, const CFigure& src) {
    if (const auto* t = dynamic_cast<const T*>(&src))
        to = t->GetText();
}

// One Clone for the three classes: a default figure of the same class, then CopyFrom.
template <class T> std::unique_ptr<CFigure> CloneOf(const T& figure) {
    auto copy = std::make_unique<T>();
    copy->CopyFrom(figure);
    return copy;
}

} // namespace

// The font does not follow the zoom; only the square does.
void CFigureText::DrawFigureText(const CFramedFigure& f, CDrawSurface& dc, double zoom, int dx,
                                 int dy) const {
    if (m_strText.empty())
        return;
    const CPoint c = f.GetHandlePoint(kHandleCenter, zoom) + CPoint{dx, dy};
    const CPoint p2 = f.GetHandlePoint(kHandleStart, zoom);
    const CPoint p4 = f.GetHandlePoint(kHandleTopRight, zoom);
    const double dX = double(p2.x) - p4.x;
    const double dY = double(p2.y) - p4.y;
    // Truncated toward zero; the square is worked out wide and pinned so its edges stay ints.
    const long long r = static_cast<long long>(std::min(0.5 * std::sqrt(dX * dX + dY * dY), 1.0e9));
    auto pin = [](long long v) {
        return static_cast<int>(std::clamp<long long>(v, INT_MIN, INT_MAX));
    };
    dc.DrawText(CRect{pin(c.x - r), pin(c.y - r), pin(c.x + r), pin(c.y + r)}, m_strText);
}

bool CFigureText::TextMisses(const CFramedFigure& f, const CRect& page, double zoom) const {
    if (m_strText.empty())
        return true;
    // The square the text is drawn in and clipped to, as DrawFigureText works it out.
    const CPoint c = f.GetHandlePoint(kHandleCenter, zoom);
    const CPoint p2 = f.GetHandlePoint(kHandleStart, zoom);
    const CPoint p4 = f.GetHandlePoint(kHandleTopRight, zoom);
    const double dX = double(p2.x) - p4.x, dY = double(p2.y) - p4.y;
    const double r = std::floor(std::min(0.5 * std::sqrt(dX * dX + dY * dY), 1.0e9)) + 2.0;
    return c.x + r <= page.left || c.x - r >= page.right || c.y + r <= page.top ||
           c.y - r >= page.bottom;
}

std::unique_ptr<CFigure> CTextRectangle::Clone() const {
    return CloneOf(*this);
}

void CTextRectangle::CopyFrom(const CFigure& src) {
    CopyText<CTextRectangle>(m_strText, src);
    CRectangle::CopyFrom(src);
}

void CTextRectangle::Draw(CDrawSurface& dc, double zoom, int dx, int dy) const {
    // The outline comes last so that text running over the edges does not hide it.
    DrawFigureText(*this, dc, zoom, dx, dy);
    CRectangle::Draw(dc, zoom, dx, dy);
}

std::unique_ptr<CFigure> CTextEllipse::Clone() const {
    return CloneOf(*this);
}

void CTextEllipse::CopyFrom(const CFigure& src) {
    CopyText<CTextEllipse>(m_strText, src);
    CEllipse::CopyFrom(src);
}

void CTextEllipse::Draw(CDrawSurface& dc, double zoom, int dx, int dy) const {
    CEllipse::Draw(dc, zoom, dx, dy);
    DrawFigureText(*this, dc, zoom, dx, dy);
}

std::unique_ptr<CFigure> CTextRhomb::Clone() const {
    return CloneOf(*this);
}

void CTextRhomb::CopyFrom(const CFigure& src) {
    CopyText<CTextRhomb>(m_strText, src);
    CRhomb::CopyFrom(src);
}

void CTextRhomb::Draw(CDrawSurface& dc, double zoom, int dx, int dy) const {
    CRhomb::Draw(dc, zoom, dx, dy);
    DrawFigureText(*this, dc, zoom, dx, dy);
}

std::string* GetFigureText(CFigure& figure) {
    return figure.GetTextField();
}

const std::string* GetFigureTextOf(const CFigure& figure) {
    // Only read: the pointer is handed out as const.
    return const_cast<CFigure&>(figure).GetTextField();
}

std::string OneLineText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    const auto at = [&text](std::size_t i) {
        return i < text.size() ? static_cast<unsigned char>(text[i]) : 0u;
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned c = at(i);
        if (c == '\r' && at(i + 1) == '\n')
            continue; // the line feed gives the space
        if (c < 0x20 || c == 0x7F) {
            out += ' ';
        } else if (c == 0xC2 && at(i + 1) >= 0x80 && at(i + 1) <= 0x9F) {
            out += ' '; // U+0080..U+009F, the second set of control characters
            ++i;
        } else if (c == 0xE2 && at(i + 1) == 0x80 && (at(i + 2) == 0xA8 || at(i + 2) == 0xA9)) {
            out += ' '; // the line and paragraph separators U+2028, U+2029
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}
