#include "app/ToolbarImages.h"

#include <QFile>
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
