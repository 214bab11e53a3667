// The text figures: a rectangle, an ellipse and a rhomb that carry a text drawn centred in them.
#pragma once

#include "figures/Ellipse.h"
#include "figures/Rectangle.h"

#include <string>

class CTextRectangle : public CRectangle {
public:
    CTextRectangle() { m_strType = "TextRectangle"; }
    std::string m_strText;
    std::string GetText() const { return m_strText; }
    void SetText(const std::string& text) { m_strText = text; }
    std::unique_ptr<CFigure> Clone() const override;
    void CopyFrom(const CFigure& src) override;
    void Draw(CDrawSurface& dc, double zoom, int dx, int dy) const override;
    std::string ExportTeX() const override;
};

class CTextEllipse : public CEllipse {
public:
    CTextEllipse() { m_strType = "TextEllipse"; }
    std::string m_strText;
    std::string GetText() const { return m_strText; }
    void SetText(const std::string& text) { m_strText = text; }
    std::unique_ptr<CFigure> Clone() const override;
    void CopyFrom(const CFigure& src) override;
    void Draw(CDrawSurface& dc, double zoom, int dx, int dy) const override;
    std::string ExportTeX() const override;
};

class CTextRhomb : public CRhomb {
public:
    CTextRhomb() { m_strType = "TextRhomb"; }
    std::string m_strText;
    std::string GetText() const { return m_strText; }
    void SetText(const std::string& text) { m_strText = text; }
    std::unique_ptr<CFigure> Clone() const override;
    void CopyFrom(const CFigure& src) override;
    void Draw(CDrawSurface& dc, double zoom, int dx, int dy) const override;
    std::string ExportTeX() const override;
};

// The text of a figure whose type name is "TextRectangle", "TextEllipse" or "TextRhomb";
// nullptr for every other figure.
std::string* GetFigureText(CFigure& figure);
