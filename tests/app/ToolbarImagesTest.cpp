// Toolbar strips: cutting into 24 x 24 images and the first-stored-pixel transparency rule, on
// bitmaps written here byte by byte and on the program's own resources.
#include "app/ToolbarImages.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

#include <functional>

namespace {

struct CRgb {
    quint8 r, g, b;
};

void Put32(QByteArray& a, quint32 v) {
    char b[4];
    qToLittleEndian(v, b);
    a.append(b, 4);
}
void Put16(QByteArray& a, quint16 v) {
    char b[2];
    qToLittleEndian(v, b);
    a.append(b, 2);
}

// A BMP of w x h pixels; `pixel(x, y)` gives the colour of the pixel at (x, y) from the top.
// 8-bit files get a palette holding the colours of the first 256 pixel requests.
QByteArray MakeBmp(int w, int h, int bits, bool topDown,
                   const std::function<CRgb(int, int)>& pixel) {
    QList<QRgb> palette;
    auto index = [&palette](CRgb c) {
        const QRgb v = qRgb(c.r, c.g, c.b);
        qsizetype i = palette.indexOf(v);
        if (i < 0) {
            palette.append(v);
            i = palette.size() - 1;
        }
        return static_cast<char>(i);
    };
    QByteArray pixels;
    const int rowLen = bits == 24 ? (w * 3 + 3) & ~3 : (w + 3) & ~3;
    for (int r = 0; r < h; ++r) {
        const int y = topDown ? r : h - 1 - r;
        QByteArray row;
        for (int x = 0; x < w; ++x) {
            const CRgb c = pixel(x, y);
            if (bits == 24) {
                row.append(static_cast<char>(c.b));
                row.append(static_cast<char>(c.g));
                row.append(static_cast<char>(c.r));
            } else {
                row.append(index(c));
            }
        }
        row.append(QByteArray(rowLen - row.size(), '\0'));
        pixels.append(row);
    }
    QByteArray pal;
    if (bits == 8) {
        for (int i = 0; i < 256; ++i) {
            const QRgb v = i < palette.size() ? palette[i] : 0;
            pal.append(static_cast<char>(qBlue(v)));
            pal.append(static_cast<char>(qGreen(v)));
            pal.append(static_cast<char>(qRed(v)));
            pal.append('\0');
        }
    }
    QByteArray bmp("BM");
    const quint32 offset = 14 + 40 + pal.size();
    Put32(bmp, offset + pixels.size());
    Put32(bmp, 0);
    Put32(bmp, offset);
    Put32(bmp, 40);
    Put32(bmp, static_cast<quint32>(w));
    Put32(bmp, static_cast<quint32>(topDown ? -h : h));
    Put16(bmp, 1);
    Put16(bmp, static_cast<quint16>(bits));
    Put32(bmp, 0);
    Put32(bmp, pixels.size());
    Put32(bmp, 2835);
    Put32(bmp, 2835);
    Put32(bmp, bits == 8 ? 256 : 0);
    Put32(bmp, 0);
    return bmp + pal + pixels;
}

QString WriteFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
    const QString path = dir.filePath(name);
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
    return path;
}

} // namespace

// A two-image strip whose bottom-left pixel is green and top-left pixel red: the colour that
// becomes transparent is the first one the file stores, whichever row that is.
TEST(ToolbarImages, FirstStoredPixelDecidesTransparency) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const CRgb red{255, 0, 0}, green{0, 255, 0}, blue{0, 0, 255};
    auto pixel = [&](int x, int y) -> CRgb {
        if (x == 0 && y == 0)
            return red;
        if (x == 0 && y == 23)
            return green;
        return (x % 24 == 5 && y == 5) ? blue : ((x + y) % 2 ? green : red);
    };
    struct {
        int bits;
        bool topDown;
        QRgb transparent;
        QRgb opaque;
    } cases[] = {
        {24, false, qRgb(0, 255, 0), qRgb(255, 0, 0)},
        {24, true, qRgb(255, 0, 0), qRgb(0, 255, 0)},
        {8, false, qRgb(0, 255, 0), qRgb(255, 0, 0)},
        {8, true, qRgb(255, 0, 0), qRgb(0, 255, 0)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.bits << " bit, top-down " << c.topDown);
        const QString path = WriteFile(dir, QString("s%1%2.bmp").arg(c.bits).arg(c.topDown),
                                       MakeBmp(48, 24, c.bits, c.topDown, pixel));
        EXPECT_EQ(GetFirstStoredPixelColor(path).rgb(), c.transparent);
        const QList<QImage> images = LoadImageStrip(path, 24);
        ASSERT_EQ(images.size(), 2);
        for (const QImage& image : images) {
            EXPECT_EQ(image.size(), QSize(24, 24));
            int transparentCount = 0;
            for (int y = 0; y < 24; ++y)
                for (int x = 0; x < 24; ++x) {
                    const QRgb p = image.pixel(x, y);
                    if (qAlpha(p) == 0)
                        ++transparentCount;
                    else
                        EXPECT_NE(p & 0xFFFFFF, c.transparent & 0xFFFFFF);
                }
            // Half of the checker pattern is of the transparent colour (less the odd corner).
            EXPECT_NEAR(transparentCount, 288, 2);
            EXPECT_EQ(image.pixel(5, 5), qRgb(0, 0, 255));
        }
    }
}

TEST(ToolbarImages, UnreadableOrTooNarrowGivesNoImages) {
    QTemporaryDir dir;
    const QString text = WriteFile(dir, "text.bmp", "not a bitmap");
    const QString narrow = WriteFile(dir, "narrow.bmp", MakeBmp(20, 24, 24, false, [](int, int) {
                                         return CRgb{1, 2, 3};
                                     }));
    EXPECT_FALSE(GetFirstStoredPixelColor(text).isValid());
    EXPECT_EQ(LoadImageStrip(text, 24).size(), 0);
    EXPECT_EQ(LoadImageStrip(narrow, 24).size(), 0);
    EXPECT_EQ(LoadImageStrip(dir.filePath("missing.bmp"), 24).size(), 0);
}

// The program's own strips: the right number of images for each toolbar, in all three states,
// each with a transparent background and a visible picture.
TEST(ToolbarImages, ResourceStripsHaveEveryImage) {
    struct {
        const char* name;
        int count;
    } strips[] = {{"main", 11}, {"additional", 9}, {"edit", 2}};
    for (const auto& s : strips) {
        for (const char* state : {"", "-hot", "-disabled"}) {
            const QString path = QString(":/res/toolbar-%1%2.bmp").arg(s.name, state);
            SCOPED_TRACE(path.toStdString());
            const QList<QImage> images = LoadImageStrip(path, 24);
            ASSERT_EQ(images.size(), s.count);
            for (const QImage& image : images) {
                EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
                EXPECT_EQ(qAlpha(image.pixel(0, 23)), 0);
                int opaque = 0;
                for (int y = 0; y < 24; ++y)
                    for (int x = 0; x < 24; ++x)
                        opaque += qAlpha(image.pixel(x, y)) == 255;
                EXPECT_GT(opaque, 30);
            }
        }
    }
    const QList<QIcon> icons =
        LoadToolbarIcons(":/res/toolbar-main.bmp", ":/res/toolbar-main-hot.bmp",
                         ":/res/toolbar-main-disabled.bmp", 24);
    ASSERT_EQ(icons.size(), 11);
    // The hot and disabled images are pictures of their own, not derived from the normal one.
    const QImage normal = icons[0].pixmap(24, 24, QIcon::Normal).toImage();
    const QImage hot = icons[0].pixmap(24, 24, QIcon::Active).toImage();
    const QImage disabled = icons[0].pixmap(24, 24, QIcon::Disabled).toImage();
    EXPECT_NE(normal, hot);
    EXPECT_NE(normal, disabled);
}

// Screens with twice the pixels get pictures drawn at 48 x 48, taken as they are, not enlarged.
TEST(ToolbarImages, DoubleSizeStripsServeHighDensityScreens) {
    EXPECT_EQ(GetDoubleSizePath(":/res/toolbar-main.bmp"), ":/res/toolbar-main@2x.bmp");
    for (const auto& [name, count] :
         {std::pair{"main", 11}, std::pair{"additional", 9}, std::pair{"edit", 2}}) {
        for (const char* state : {"", "-hot", "-disabled"}) {
            const QString path = QString(":/res/toolbar-%1%2@2x.bmp").arg(name, state);
            EXPECT_EQ(LoadImageStrip(path, 48).size(), count) << path.toStdString();
        }
        const QString base = QString(":/res/toolbar-%1").arg(name);
        const QList<QIcon> icons =
            LoadToolbarIcons(base + ".bmp", base + "-hot.bmp", base + "-disabled.bmp", 24);
        const QList<QImage> big = LoadImageStrip(base + "@2x.bmp", 48);
        ASSERT_EQ(icons.size(), count);
        for (int i = 0; i < count; ++i) {
            const QImage shown = icons[i].pixmap(QSize(24, 24), 2.0).toImage();
            EXPECT_EQ(shown.size(), QSize(48, 48));
            EXPECT_EQ(shown.convertToFormat(QImage::Format_ARGB32),
                      big[i].convertToFormat(QImage::Format_ARGB32))
                << name << " " << i;
        }
    }
}
