#include "app/StartupPicture.h"

#include "figures/Rectangle.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {
const char* const kRelativePath = "res/hny.gif";
const char* const kBuiltInPath = ":/res/hny.gif";
} // namespace

QString FindStartupPicture(const QString& currentDir, const QStringList& candidates) {
    if (QFileInfo(QDir(currentDir).filePath(kRelativePath)).isFile())
        return kRelativePath;
    for (const QString& c : candidates)
        if (QFileInfo(c).isFile())
            return QDir::cleanPath(QFileInfo(c).absoluteFilePath());
    return kBuiltInPath;
}

QStringList GetStartupPictureCandidates(const QString& exeDir) {
    const QDir exe(exeDir);
    QStringList candidates{exe.filePath("res/hny.gif"), exe.filePath("../share/quodra/hny.gif")};
#ifdef QUODRA_DATADIR
    candidates << QDir(QStringLiteral(QUODRA_DATADIR)).filePath("hny.gif");
#endif
    return candidates;
}

void UseStartupPictureFoundHere() {
    const QString exeDir =
        QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QString();
    const QString path =
        FindStartupPicture(QDir::currentPath(), GetStartupPictureCandidates(exeDir));
    CPictureFigure::SetDefaultImagePath(QFile::encodeName(path).toStdString());
}
