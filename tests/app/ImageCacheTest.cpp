// The image cache: a file is decoded once and kept, read again when it changes, and a missing
// or broken file gives nothing; what it keeps is exactly what a plain read gives.
#include "app/ImageCache.h"

#include <QFile>
#include <QImageReader>
#include <gtest/gtest.h>

namespace {

TEST(ImageCache, DecodesOnceAndFollowsTheFileOnDisk) {
    const QString path = QString::fromUtf8(::testing::TempDir().c_str()) + "/quodra-cache.png";
    QFile::remove(path);
    CImageCache cache;
    EXPECT_TRUE(cache.Get(path).isNull()); // not there yet
    EXPECT_EQ(0, cache.GetDecodeCount());

    QImage small(2, 1, QImage::Format_RGB32);
    small.fill(qRgb(255, 0, 0));
    ASSERT_TRUE(small.save(path));
    const QImage first = cache.Get(path);
    EXPECT_EQ(QImageReader(path).read(), first);
    EXPECT_EQ(first, cache.Get(path));
    EXPECT_EQ(1, cache.GetDecodeCount()); // kept, not read again

    QImage wider(3, 1, QImage::Format_RGB32);
    wider.fill(qRgb(0, 0, 255));
    ASSERT_TRUE(wider.save(path)); // a changed file is read again
    EXPECT_EQ(QImageReader(path).read(), cache.Get(path));
    EXPECT_EQ(QSize(3, 1), cache.Get(path).size());
    EXPECT_EQ(2, cache.GetDecodeCount());

    {
        QFile broken(path);
        ASSERT_TRUE(broken.open(QIODevice::WriteOnly | QIODevice::Truncate));
        broken.write("GIF89a this is not a picture");
    }
    EXPECT_TRUE(cache.Get(path).isNull());
    EXPECT_TRUE(cache.Get(path).isNull());
    EXPECT_EQ(3, cache.GetDecodeCount()); // a broken file is not tried on every paint either

    QFile::remove(path);
    EXPECT_TRUE(cache.Get(path).isNull());
}

} // namespace
