// Toolbar and menu images from bitmap strips: the strip is cut into square images and the colour
// of the bitmap's first stored pixel becomes transparent.
#pragma once

#include <QColor>
#include <QIcon>
#include <QImage>
#include <QList>
#include <QPixmap>
#include <QString>

// The colour of the first pixel as the bitmap file stores it: the bottom-left pixel of a
// bottom-up bitmap, the top-left one of a top-down bitmap. Invalid when the file is not a BMP
// that Qt can read.
QColor GetFirstStoredPixelColor(const QString& bmpPath);

// The strip as images of size x (strip height), every pixel of the transparent colour made fully
// transparent. Empty when the file cannot be read or is narrower than one image.
QList<QImage> LoadImageStrip(const QString& bmpPath, int size);

// "name@2x.bmp" for "name.bmp": the strip drawn at twice the size for screens with twice the
// pixels.
QString GetDoubleSizePath(const QString& path);

// Icons combining a normal, a hot (shown under the mouse) and a disabled strip, each with its
// "@2x" strip where there is one; the list is as long as the normal strip.
QList<QIcon> LoadToolbarIcons(const QString& normalPath, const QString& hotPath,
                              const QString& disabledPath, int size);

// The pictures of the tools of TeXDraw's own shapes, drawn in the strips' manner (a black figure
// on a transparent square): normal, hot and disabled, at size and at twice it.
enum class EShapeToolImage { Circle, AxisEllipse, Arc, Polyline, Path, Label };
QIcon MakeShapeToolIcon(EShapeToolImage image, int size);
// One of those pictures at a size, in the colour given.
QImage DrawShapeToolImage(EShapeToolImage image, int size, QColor color);
