#include "app/StyleIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <cmath>

namespace {

const QColor kInk(30, 30, 30);

// A head at tip pointing along dir (a unit vector), drawn as TeXDraw's type draws it; returns
// where the line that carries it ends.
QPointF DrawHead(QPainter& p, QPointF tip, QPointF dir, char type) {
    const double length = 8.0, halfWidth = 4.0;
    const QPointF normal(-dir.y(), dir.x());
    const QPointF base = tip - dir * length;
    const QPointF left = base + normal * halfWidth;
    const QPointF right = base - normal * halfWidth;
    p.save();
    p.setPen(QPen(kInk, 1.2, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
    QPointF lineEnd = tip;
    switch (type) {
    case 'F':
    case 'T':
    case 'W': {
        QPolygonF head;
        head << left << tip << right;
        p.setBrush(type == 'F' ? QBrush(kInk) : type == 'W' ? QBrush(Qt::white) : Qt::NoBrush);
        p.drawPolygon(head);
        // An open head shows the line through it; the others cover it.
        lineEnd = type == 'T' ? tip : base;
        break;
    }
    case 'V':
        p.drawPolyline(QPolygonF() << left << tip << right);
        lineEnd = tip;
        break;
    case 'H':
    default:
        p.drawPolyline(QPolygonF() << left << tip << right);
        lineEnd = base;
        break;
    }
    p.restore();
    return lineEnd;
}

} // namespace

QIcon MakeDrawnIcon(QSize size, const std::function<void(QPainter&)>& draw) {
    QIcon icon;
    for (int ratio : {1, 2}) {
        QPixmap pixmap(size * ratio);
        pixmap.setDevicePixelRatio(ratio);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        draw(p);
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

QIcon MakeLineWidthIcon(double points) {
    return MakeDrawnIcon(kStyleIconSize, [points](QPainter& p) {
        const double y = kStyleIconSize.height() / 2.0;
        p.setPen(QPen(kInk, points * 96.0 / 72.0, Qt::SolidLine, Qt::FlatCap));
        p.drawLine(QPointF(2, y), QPointF(kStyleIconSize.width() - 2, y));
    });
}

QIcon MakeLinePatternIcon(const std::vector<double>& pattern) {
    return MakeDrawnIcon(kStyleIconSize, [pattern](QPainter& p) {
        const double y = kStyleIconSize.height() / 2.0;
        const double right = kStyleIconSize.width() - 2;
        p.setPen(QPen(kInk, 1.5, Qt::SolidLine, Qt::FlatCap));
        if (pattern.empty()) {
            p.drawLine(QPointF(2, y), QPointF(right, y));
            return;
        }
        // A page unit as half a pixel: the dotted line's dots stay visible and a few of the
        // longest dashes fit.
        double x = 2;
        for (std::size_t i = 0; x < right; i = (i + 1) % pattern.size()) {
            const double len = std::max(0.5, pattern[i] * 0.5);
            if (i % 2 == 0)
                p.drawLine(QPointF(x, y), QPointF(std::min(x + len, right), y));
            x += len;
        }
    });
}

QIcon MakeHeadEndsIcon(bool start, bool end) {
    return MakeDrawnIcon(kStyleIconSize, [start, end](QPainter& p) {
        const double y = kStyleIconSize.height() / 2.0;
        QPointF a(2, y), b(kStyleIconSize.width() - 2, y);
        const QPointF from = start ? DrawHead(p, a, QPointF(-1, 0), 'F') : a;
        const QPointF to = end ? DrawHead(p, b, QPointF(1, 0), 'F') : b;
        p.setPen(QPen(kInk, 1.2, Qt::SolidLine, Qt::FlatCap));
        p.drawLine(from, to);
    });
}

QIcon MakeHeadTypeIcon(char type) {
    return MakeDrawnIcon(kStyleIconSize, [type](QPainter& p) {
        const double y = kStyleIconSize.height() / 2.0;
        const QPointF a(3, y), tip(kStyleIconSize.width() - 3, y);
        // The line first, so that a white head covers it as it does on paper.
        const double base = tip.x() - 8.0;
        p.setPen(QPen(kInk, 1.2, Qt::SolidLine, Qt::FlatCap));
        p.drawLine(a, type == 'H' ? QPointF(base, y) : tip);
        DrawHead(p, tip, QPointF(1, 0), type);
    });
}
