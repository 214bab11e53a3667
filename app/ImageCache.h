// CImageCache: image files decoded once and kept by path, so that a picture on the canvas is
// not read from disk on every paint.
#pragma once

#include <QDateTime>
#include <QHash>
#include <QImage>
#include <QString>

class CImageCache {
public:
    // The image of the file at path; a null image when the file is missing or unreadable. A kept
    // image is decoded again once the file's size or modification time has changed, and a
    // missing file is looked for again on every request, so a picture that appears, changes or
    // vanishes on disk shows as it is now.
    QImage Get(const QString& path);
    // How many times a file has been decoded, for tests.
    int GetDecodeCount() const { return m_nDecodes; }

private:
    struct SEntry {
        QDateTime modified;
        qint64 size = -1;
        QImage image; // null for a broken file, so it is not decoded again until it changes
    };
    QHash<QString, SEntry> m_entries;
    int m_nDecodes = 0;
};
