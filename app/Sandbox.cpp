#include "app/Sandbox.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>

#include <cerrno>
#include <csignal>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

const char* const kJobPrefix = "quodra_dv-job-";

void Limit(int resource, qint64 bytes) {
    const rlimit r{static_cast<rlim_t>(bytes), static_cast<rlim_t>(bytes)};
    (void)::setrlimit(resource, &r);
}

} // namespace

void SandboxProcess(QProcess& process, const QString& jobFolder, const CSandboxLimits& limits) {
    process.setWorkingDirectory(jobFolder);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // TeX and dvips open only files below the working folder or found in TeX's own trees, and
    // write only below the working folder: no absolute paths, no "..", no hidden files.
    env.insert("openin_any", "p");
    env.insert("openout_any", "p");
    env.insert("shell_escape", "f");
    env.remove("TEXMFOUTPUT");
    // Ghostscript's -dSAFER still reads and writes its temporary folder: one that holds nothing
    // but this job.
    const QString tmp = QDir(jobFolder).filePath("tmp");
    env.insert("TMPDIR", tmp);
    env.insert("TEMP", tmp);
    env.insert("TMP", tmp);
    process.setProcessEnvironment(env);

    const pid_t editor = ::getpid();
    const qint64 memory = limits.nMemoryBytes;
    const qint64 file = limits.nFileBytes;
    // In the child between fork and exec: async-signal-safe calls only.
    process.setChildProcessModifier([editor, memory, file] {
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != editor) // the editor died before the line above
            ::_exit(127);
        Limit(RLIMIT_AS, memory);
        Limit(RLIMIT_FSIZE, file);
        Limit(RLIMIT_CORE, 0);
    });
}

QString JobFolderTemplate(const QString& tempPath) {
    return QDir(tempPath).filePath(QString("%1%2-XXXXXX").arg(kJobPrefix).arg(::getpid()));
}

int RemoveStaleJobFolders(const QString& tempPath) {
    static const QRegularExpression re(QString("^%1(\\d+)-\\w+$").arg(kJobPrefix));
    int removed = 0;
    const QStringList names =
        QDir(tempPath).entryList({QString(kJobPrefix) + "*"}, QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& name : names) {
        const QRegularExpressionMatch m = re.match(name);
        if (!m.hasMatch())
            continue;
        bool ok = false;
        const qint64 pid = m.captured(1).toLongLong(&ok);
        if (!ok || pid <= 0 || pid == ::getpid())
            continue;
        // A folder whose process runs, or may run as another user, stays.
        if (::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH)
            continue;
        // Only a folder of this user, never one reached through a link.
        const QFileInfo info(QDir(tempPath).filePath(name));
        if (info.isSymLink() || info.ownerId() != ::getuid())
            continue;
        if (QDir(info.filePath()).removeRecursively())
            ++removed;
    }
    return removed;
}

qint64 FolderBytes(const QString& folder) {
    qint64 total = 0;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System | QDir::NoSymLinks,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        total += it.fileInfo().size();
    }
    return total;
}
