// The box every typesetting program runs in: a drawing from a stranger is LaTeX and PostScript,
// so its tools may read only their job folder and TeX Live's tree, write only in the job folder,
// and use bounded memory, file sizes and time; they die with the editor.
#pragma once

#include <QString>

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

// The QTemporaryDir template of this process's job folders; the process id in the name lets a
// later start find folders whose process was killed.
QString JobFolderTemplate(const QString& tempPath);
// Removes the job folders in tempPath whose process no longer runs; returns how many.
int RemoveStaleJobFolders(const QString& tempPath);

// The bytes of every file below folder.
qint64 FolderBytes(const QString& folder);
