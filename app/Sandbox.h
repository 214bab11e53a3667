// The box every typesetting program runs in: a drawing from a stranger is LaTeX and PostScript,
// so its tools may read only their job folder and TeX Live's tree, write only in the job folder,
// and use bounded memory, file sizes and time; they die with the editor.
#pragma once

#include <QString>
#include <QTemporaryDir>

class QProcess;

struct CSandboxLimits {
    qint64 nMemoryBytes = qint64(1) << 30;   // address space of each program
    qint64 nFileBytes = qint64(256) << 20;   // each file a program writes
    qint64 nFolderBytes = qint64(512) << 20; // everything in the job folder together
};

// Runs the process inside jobFolder with TeX's paranoid file access, a private TMPDIR
// (jobFolder/tmp, which must exist), the limits, and a signal that kills it when the editor
// dies.
void SandboxProcess(QProcess& process, const QString& jobFolder, const CSandboxLimits& limits);

// A job folder: a private temporary folder of this user, made in tempPath with a random name
// that tells a drawing nothing about the editor, and removed with the object. It holds a lock
// on itself for its lifetime, which lets a later start tell the folders of killed editors from
// those of running ones; it holds an empty "tmp" folder from the start.
class CJobFolder {
public:
    explicit CJobFolder(const QString& tempPath);
    ~CJobFolder();
    CJobFolder(const CJobFolder&) = delete;
    CJobFolder& operator=(const CJobFolder&) = delete;

    bool IsValid() const { return m_nLock >= 0; }
    // Why the folder could not be made or locked.
    QString GetError() const { return m_strError; }
    QString GetPath() const { return m_dir.path(); }
    QString FilePath(const QString& name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
    int m_nLock = -1;
    QString m_strError;
};

// Removes the job folders in tempPath whose editor no longer runs; returns how many.
int RemoveStaleJobFolders(const QString& tempPath);

// The bytes of every file below folder.
qint64 FolderBytes(const QString& folder);
