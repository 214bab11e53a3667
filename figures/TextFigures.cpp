#include "figures/TextFigures.h"

#include <algorithm>

namespace {

// The text centred on one line in the square of half the top edge around the centre. The font
// does not follow the zoom; only the square does.
void DrawFigureText(const CFramedFigure& f, const std::string& text, CDrawSurface& dc, double zoom,
                    int dx, int dy) {
    if (text.empty())
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
    dc.DrawText(CRect{pin(c.x - r), pin(c.y - r), pin(c.x + r), pin(c.y + r)}, text);
}

// Clone always hands over a figure of the same class; any other source leaves the text alone.
template <class T> void CopyText(std::string& to, const CFigure& src) {
    if (const auto* t = dynamic_cast<const T*>(&src))
        to = t->GetText();
}

} // namespace

std::unique_ptr<CFigure> CTextRectangle::Clone() const {
    auto copy = std::make_unique<CTextRectangle>();
    copy->CopyFrom(*this);
    return copy;
}

void CTextRectangle::CopyFrom(const CFigure& src) {
    CopyText<CTextRectangle>(m_strText, src);
    CRectangle::CopyFrom(src);
}

void CTextRectangle::Draw(CDrawSurface& dc, double zoom, int dx, int dy) const {
    // The outline comes last so that text running over the edges does not hide it.
    DrawFigureText(*this, m_strText, dc, zoom, dx, dy);
    CRectangle::Draw(dc, zoom, dx, dy);
}

std::unique_ptr<CFigure> CTextEllipse::Clone() const {
    auto copy = std::make_unique<CTextEllipse>();
    copy->CopyFrom(*this);
    return copy;
}

void CTextEllipse::CopyFrom(const CFigure& src) {
    CopyText<CTextEllipse>(m_strText, src);
    CEllipse::CopyFrom(src);
}

void CTextEllipse::Draw(CDrawSurface& dc, double zoom, int dx, int dy) const {
    CEllipse::Draw(dc, zoom, dx, dy);
    DrawFigureText(*this, m_strText, dc, zoom, dx, dy);
}

std::unique_ptr<CFigure> CTextRhomb::Clone() const {
    auto copy = std::make_unique<CTextRhomb>();
    copy->CopyFrom(*this);
    return copy;
}

void CTextRhomb::CopyFrom(const CFigure& src) {
    CopyText<CTextRhomb>(m_strText, src);
    CRhomb::CopyFrom(src);
}

void CTextRhomb::Draw(CDrawSurface& dc, double zoom, int dx, int dy) const {
    CRhomb::Draw(dc, zoom, dx, dy);
    DrawFigureText(*this, m_strText, dc, zoom, dx, dy);
}

std::string* GetFigureText(CFigure& figure) {
    // Figure kinds are told apart by their type name; only the three text classes carry these.
    if (figure.m_strType == "TextRectangle")
        return &static_cast<CTextRectangle&>(figure).m_strText;
    if (figure.m_strType == "TextEllipse")
        return &static_cast<CTextEllipse&>(figure).m_strText;
    if (figure.m_strType == "TextRhomb")
        return &static_cast<CTextRhomb&>(figure).m_strText;
    return nullptr;
}
