#include "app/surface/TextAt.h"

#include <QFontMetricsF>
#include <QTransform>

#include <algorithm>

CTextAtMeasure MeasureTextAt(const QFont& font, const QString& text) {
    const QFontMetricsF metrics(font);
    CTextAtMeasure m;
    m.width = metrics.horizontalAdvance(text);
    // TeX's box is as high and deep as the text's letters reach, not as the font's ascent and
    // descent: the top, the middle or the baseline of those letters goes on the point.
    const QRectF letters = metrics.tightBoundingRect(text);
    m.height = std::max(0.0, -letters.top());
    m.depth = std::max(0.0, letters.bottom());
    // The outlines' box, grown for the pixels that hinting and smoothing add at its rim.
    m.ink = letters.adjusted(-3, -3, 3, 3);
    return m;
}

QFont TextAtFont(const QFont& painterFont, double pixelSize) {
    QFont font = painterFont;
    font.setPixelSize(std::max(1, static_cast<int>(pixelSize + 0.5)));
    return font;
}

namespace {

// Where the start of the baseline goes, from the point, before the text is turned.
QPointF Offset(const CTextAtMeasure& m, char hAlign, char vAlign) {
    const double x = hAlign == 'R' ? -m.width : hAlign == 'C' ? -0.5 * m.width : 0.0;
    const double y = vAlign == 'T' ? m.height : vAlign == 'C' ? 0.5 * (m.height - m.depth) : 0.0;
    return {x, y};
}

} // namespace

QRectF TextAtReach(const CTextAtMeasure& m, QPointF at, char hAlign, char vAlign, double degrees) {
    QTransform t;
    t.translate(at.x(), at.y());
    t.rotate(-degrees);
    return t.mapRect(m.ink.translated(Offset(m, hAlign, vAlign)));
}

void DrawMeasuredTextAt(QPainter& painter, const QFont& font, const CTextAtMeasure& m, QPointF at,
                        const QString& text, char hAlign, char vAlign, double degrees) {
    painter.save();
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.setBackgroundMode(Qt::TransparentMode);
    painter.translate(at);
    painter.rotate(-degrees); // the painter turns clockwise with y downward
    painter.drawText(Offset(m, hAlign, vAlign), text);
    painter.restore();
}

void PaintTextAt(QPainter& painter, QPointF at, const std::string& text, char hAlign, char vAlign,
                 double degrees, double pixelSize) {
    if (text.empty() || !(pixelSize >= 1.0))
        return;
    const QString s = QString::fromUtf8(text);
    const QFont font = TextAtFont(painter.font(), pixelSize);
    DrawMeasuredTextAt(painter, font, MeasureTextAt(font, s), at, s, hAlign, vAlign, degrees);
}

const CTextAtMeasure& CTextAtCache::Get(const std::string& text, const QFont& font) {
    if (!m_pLast || !(m_pLast->font == font)) {
        m_pLast = nullptr;
        for (const std::unique_ptr<CFontTexts>& s : m_sets)
            if (s->font == font) {
                m_pLast = s.get();
                break;
            }
        if (!m_pLast) {
            m_pLast = m_sets.emplace_back(std::make_unique<CFontTexts>()).get();
            m_pLast->font = font;
        }
    }
    auto [it, added] = m_pLast->map.try_emplace(text);
    if (added) {
        it->second = MeasureTextAt(font, QString::fromUtf8(text));
        ++m_nTexts;
    }
    return it->second;
}

void CTextAtCache::Trim() {
    if (m_nTexts <= m_nMaxTexts)
        return;
    m_sets.clear();
    m_pLast = nullptr;
    m_nTexts = 0;
}
