#include "app/ImageCache.h"

#include <QFileInfo>
#include <QImageReader>

QImage CImageCache::Get(const QString& path) {
    const QFileInfo info(path);
    if (!info.isFile()) {
        m_entries.remove(path);
        return {};
    }
    const QDateTime modified = info.lastModified();
    const qint64 size = info.size();
    auto it = m_entries.find(path);
    if (it != m_entries.end() && it->modified == modified && it->size == size)
        return it->image;
    QImageReader reader(path);
    ++m_nDecodes;
    it = m_entries.insert(path, SEntry{modified, size, reader.read()});
    return it->image;
}
