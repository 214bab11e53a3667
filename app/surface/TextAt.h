// Text at a point with one of TeXDraw's reference points on it, turned about it: the painter's
// way of drawing a label, shared by the surfaces that paint with a QPainter, and what the canvas
// keeps of a label's measures from one painting to the next.
#pragma once

#include <QFont>
#include <QPainter>
#include <QPointF>
#include <QRectF>

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

// What drawing a text at a point needs to know of it in one font.
struct CTextAtMeasure {
    double width = 0;  // its advance
    double height = 0; // how far its letters reach above the baseline
    double depth = 0;  // and below it
    QRectF ink;        // where its glyphs may set pixels, from the start of its baseline
};

CTextAtMeasure MeasureTextAt(const QFont& font, const QString& text);
// The font a text at a point is drawn in: the painter's at pixelSize device pixels.
QFont TextAtFont(const QFont& painterFont, double pixelSize);
// The box (painter coordinates) round every pixel the text, measured as m, can set when drawn
// by DrawMeasuredTextAt with the same arguments.
QRectF TextAtReach(const CTextAtMeasure& m, QPointF at, char hAlign, char vAlign, double degrees);
// Draws text, measured as m in font, as PaintTextAt does.
void DrawMeasuredTextAt(QPainter& painter, const QFont& font, const CTextAtMeasure& m, QPointF at,
                        const QString& text, char hAlign, char vAlign, double degrees);

// Draws text (UTF-8, one line, black) with its reference point (hAlign L/C/R, vAlign T/C/B, B
// the baseline) on the device point `at`, turned counterclockwise by degrees, in the painter's
// font at pixelSize device pixels.
void PaintTextAt(QPainter& painter, QPointF at, const std::string& text, char hAlign, char vAlign,
                 double degrees, double pixelSize);

// The measures of the texts drawn at points, by font: measuring shapes the text, the costly part
// of drawing a label, and the same labels are drawn on every frame.
class CTextAtCache {
public:
    // Past maxTexts kept texts, the cache is emptied at the next Trim.
    explicit CTextAtCache(size_t maxTexts) : m_nMaxTexts(maxTexts) {}
    // The measure of text in font, which stays until Trim.
    const CTextAtMeasure& Get(const std::string& text, const QFont& font);
    // Between paintings.
    void Trim();
    size_t GetTexts() const { return m_nTexts; }

private:
    struct CFontTexts {
        QFont font;
        std::unordered_map<std::string, CTextAtMeasure> map;
    };
    size_t m_nMaxTexts;
    std::vector<std::unique_ptr<CFontTexts>> m_sets;
    CFontTexts* m_pLast = nullptr;
    size_t m_nTexts = 0;
};
