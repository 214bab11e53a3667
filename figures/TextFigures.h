// The text figures: a rectangle, an ellipse and a rhomb that carry a text drawn centred in them.
// Each is its box figure plus CFigureText, which holds what the three share.
#pragma once

#include "figures/Ellipse.h"
#include "figures/Rectangle.h"

#include <string>
#include <string_view>

// The text of a text figure: one line, drawn centred in the figure and written with its block.
class CFigureText {
public:
    std::string m_strText;
    std::string GetText() const { return m_strText; }
    void SetText(const std::string& text) { m_strText = text; }

protected:
    CFigureText() = default;
    ~CFigureText() = default;
    // The text centred on one line in the square of half the top edge around the centre.
    void DrawFigureText(const CFramedFigure& f, CDrawSurface& dc, double zoom, int dx,
                        int dy) const;
    // Does the text, drawn by DrawFigureText, leave the page rectangle untouched?
    bool TextMisses(const CFramedFigure& f, const CRect& page, double zoom) const;
};

class CTextRectangle : public CRectangle, public CFigureText {
public:
    CTextRectangle() { m_strType = kTypeTextRectangle; }
    std::string* GetTextField() override { return &m_strText; }
    std::unique_ptr<CFigure> Clone() const override;
    void CopyFrom(const CFigure& src) override;
    void Draw(CDrawSurface& dc, double zoom, int dx, int dy) const override;
    void AppendTeX(std::string& out) const override;
    bool MissesRect(const CRect& page, double zoom) const override {
        return CRectangle::MissesRect(page, zoom) && TextMisses(*this, page, zoom);
    }
};

class CTextEllipse : public CEllipse, public CFigureText {
public:
    CTextEllipse() { m_strType = kTypeTextEllipse; }
    std::string* GetTextField() override { return &m_strText; }
    std::unique_ptr<CFigure> Clone() const override;
    void CopyFrom(const CFigure& src) override;
    void Draw(CDrawSurface& dc, double zoom, int dx, int dy) const override;
    void AppendTeX(std::string& out) const override;
    bool MissesRect(const CRect& page, double zoom) const override {
        return CEllipse::MissesRect(page, zoom) && TextMisses(*this, page, zoom);
    }
};

class CTextRhomb : public CRhomb, public CFigureText {
public:
    CTextRhomb() { m_strType = kTypeTextRhomb; }
    std::string* GetTextField() override { return &m_strText; }
    std::unique_ptr<CFigure> Clone() const override;
    void CopyFrom(const CFigure& src) override;
    void Draw(CDrawSurface& dc, double zoom, int dx, int dy) const override;
    void AppendTeX(std::string& out) const override;
    bool MissesRect(const CRect& page, double zoom) const override {
        return CRhomb::MissesRect(page, zoom) && TextMisses(*this, page, zoom);
    }
};

// A text as a figure takes it: line breaks and the other control characters become spaces (a
// carriage return with its line feed one space), so it stays on the one line its block writes.
std::string OneLineText(std::string_view text);

// The text of a text rectangle, text ellipse, text rhomb or label; nullptr for every other figure.
std::string* GetFigureText(CFigure& figure);
// The same, to read.
const std::string* GetFigureTextOf(const CFigure& figure);
