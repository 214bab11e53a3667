#include "app/ToolbarImages.h"

#include <QFile>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QtEndian>

// The images are compiled into the static app library, whose resource registration a linker
// would drop unless something refers to it: this file is linked wherever toolbar images are used.
static void InitQuodraResources() {
    Q_INIT_RESOURCE(quodra);
}

namespace {

const struct CResourceInit {
    CResourceInit() { InitQuodraResources(); }
} g_resourceInit;

// A bottom-up bitmap has a positive height in its info header; a top-down one a negative height.
bool IsTopDownBmp(const QByteArray& bytes) {
    if (bytes.size() < 26 || !bytes.startsWith("BM"))
        return false;
    const quint32 infoSize = qFromLittleEndian<quint32>(bytes.constData() + 14);
    if (infoSize == 12) // the old core header keeps unsigned 16-bit sizes: always bottom-up
        return false;
    return qFromLittleEndian<qint32>(bytes.constData() + 22) < 0;
}

} // namespace

QColor GetFirstStoredPixelColor(const QString& bmpPath) {
    QFile file(bmpPath);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    QImage image;
    if (!bytes.startsWith("BM") || !image.loadFromData(bytes, "BMP") || image.isNull())
        return {};
    const int y = IsTopDownBmp(bytes) ? 0 : image.height() - 1;
    return image.pixelColor(0, y);
}

QList<QImage> LoadImageStrip(const QString& bmpPath, int size) {
    QList<QImage> images;
    const QColor transparent = GetFirstStoredPixelColor(bmpPath);
    if (!transparent.isValid() || size <= 0)
        return images;
    QImage strip(bmpPath);
    if (strip.isNull() || strip.width() < size)
        return images;
    strip = strip.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = transparent.rgb() & 0x00FFFFFF;
    for (int y = 0; y < strip.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(strip.scanLine(y));
        for (int x = 0; x < strip.width(); ++x)
            if ((line[x] & 0x00FFFFFF) == key)
                line[x] = 0;
    }
    for (int x = 0; x + size <= strip.width(); x += size)
        images.append(strip.copy(x, 0, size, strip.height()));
    return images;
}

QString GetDoubleSizePath(const QString& path) {
    const qsizetype dot = path.lastIndexOf('.');
    const qsizetype slash = path.lastIndexOf('/');
    if (dot <= slash + 1)
        return path + "@2x";
    return path.left(dot) + "@2x" + path.mid(dot);
}

QList<QIcon> LoadToolbarIcons(const QString& normalPath, const QString& hotPath,
                              const QString& disabledPath, int size) {
    const QList<QImage> normal = LoadImageStrip(normalPath, size);
    const QList<QImage> hot = LoadImageStrip(hotPath, size);
    const QList<QImage> disabled = LoadImageStrip(disabledPath, size);
    // Screens with twice the pixels get the pictures drawn at twice the size, not enlarged ones.
    const QList<QImage> normal2 = LoadImageStrip(GetDoubleSizePath(normalPath), 2 * size);
    const QList<QImage> hot2 = LoadImageStrip(GetDoubleSizePath(hotPath), 2 * size);
    const QList<QImage> disabled2 = LoadImageStrip(GetDoubleSizePath(disabledPath), 2 * size);
    const auto add = [](QIcon& icon, const QList<QImage>& images, qsizetype i, QIcon::Mode mode) {
        if (i < images.size())
            icon.addPixmap(QPixmap::fromImage(images[i]), mode);
    };
    QList<QIcon> icons;
    for (qsizetype i = 0; i < normal.size(); ++i) {
        QIcon icon;
        add(icon, normal, i, QIcon::Normal);
        add(icon, hot, i, QIcon::Active);
        add(icon, disabled, i, QIcon::Disabled);
        add(icon, normal2, i, QIcon::Normal);
        add(icon, hot2, i, QIcon::Active);
        add(icon, disabled2, i, QIcon::Disabled);
        icons.append(icon);
    }
    return icons;
}

QImage DrawShapeToolImage(EShapeToolImage image, int size, QColor color) {
    QImage out(size, size, QImage::Format_ARGB32_Premultiplied);
    out.fill(Qt::transparent);
    QPainter p(&out);
    p.setRenderHint(QPainter::Antialiasing);
    // Drawn on a 24-unit square, as the strips are.
    p.scale(size / 24.0, size / 24.0);
    p.setPen(QPen(color, 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    switch (image) {
    case EShapeToolImage::Circle:
        p.drawEllipse(QPointF(12, 12), 8, 8);
        p.setBrush(color);
        p.drawEllipse(QPointF(12, 12), 1, 1);
        break;
    case EShapeToolImage::AxisEllipse:
        p.drawEllipse(QPointF(12, 12), 10, 6);
        p.setBrush(color);
        p.drawEllipse(QPointF(12, 12), 1, 1);
        break;
    case EShapeToolImage::Arc:
        // A quarter and more, counterclockwise from the right, with its centre.
        p.drawArc(QRectF(4, 4, 16, 16), 0, 200 * 16);
        p.setBrush(color);
        p.drawEllipse(QPointF(12, 12), 1, 1);
        break;
    case EShapeToolImage::Polyline:
        p.drawPolyline(QPolygonF({QPointF(3, 20), QPointF(8, 5), QPointF(15, 15), QPointF(21, 4)}));
        p.setBrush(color);
        for (QPointF c : {QPointF(3, 20), QPointF(8, 5), QPointF(15, 15), QPointF(21, 4)})
            p.drawRect(QRectF(c.x() - 1.25, c.y() - 1.25, 2.5, 2.5));
        break;
    case EShapeToolImage::Path: {
        // A straight piece, then a curve through a smooth node with its control points.
        QPainterPath path(QPointF(3, 20));
        path.lineTo(7, 8);
        path.cubicTo(QPointF(9, 2), QPointF(15, 2), QPointF(14, 12));
        path.cubicTo(QPointF(13, 22), QPointF(19, 22), QPointF(21, 6));
        p.drawPath(path);
        p.setPen(QPen(color, 0.75));
        p.drawLine(QPointF(12, 16), QPointF(16, 8));
        p.setBrush(color);
        for (QPointF c : {QPointF(3, 20), QPointF(7, 8), QPointF(14, 12), QPointF(21, 6)})
            p.drawRect(QRectF(c.x() - 1.25, c.y() - 1.25, 2.5, 2.5));
        break;
    }
    case EShapeToolImage::Label: {
        QFont font("serif");
        font.setPixelSize(16);
        font.setBold(true);
        p.setFont(font);
        p.drawText(QRectF(2, 2, 20, 20), Qt::AlignCenter, "T");
        p.setBrush(color);
        p.drawEllipse(QPointF(5, 20), 1.5, 1.5); // the point it is placed at
        break;
    }
    }
    return out;
}

QIcon MakeShapeToolIcon(EShapeToolImage image, int size) {
    QIcon icon;
    for (int scale : {1, 2}) {
        const auto add = [&](QColor color, QIcon::Mode mode) {
            QPixmap pixmap = QPixmap::fromImage(DrawShapeToolImage(image, scale * size, color));
            pixmap.setDevicePixelRatio(scale);
            icon.addPixmap(pixmap, mode);
        };
        add(Qt::black, QIcon::Normal);
        add(QColor(0, 0, 160), QIcon::Active);
        add(QColor(128, 128, 128), QIcon::Disabled);
    }
    return icon;
}
