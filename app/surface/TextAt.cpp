#include "app/surface/TextAt.h"

#include <QFontMetricsF>
#include <algorithm>

void PaintTextAt(QPainter& painter, QPointF at, const std::string& text, char hAlign, char vAlign,
                 double degrees, double pixelSize) {
    if (text.empty() || !(pixelSize >= 1.0))
        return;
    const QString s = QString::fromUtf8(text);
    QFont font = painter.font();
    font.setPixelSize(std::max(1, static_cast<int>(pixelSize + 0.5)));
    const QFontMetricsF metrics(font);
    const double width = metrics.horizontalAdvance(s);
    const double x = hAlign == 'R' ? -width : hAlign == 'C' ? -0.5 * width : 0.0;
    // TeX's box is as high and deep as the text's letters reach, not as the font's ascent and
    // descent: the top, the middle or the baseline of those letters goes on the point.
    const QRectF letters = metrics.tightBoundingRect(s);
    const double height = std::max(0.0, -letters.top()), depth = std::max(0.0, letters.bottom());
    const double y = vAlign == 'T' ? height : vAlign == 'C' ? 0.5 * (height - depth) : 0.0;
    painter.save();
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.setBackgroundMode(Qt::TransparentMode);
    painter.translate(at);
    painter.rotate(-degrees); // the painter turns clockwise with y downward
    painter.drawText(QPointF(x, y), s);
    painter.restore();
}
