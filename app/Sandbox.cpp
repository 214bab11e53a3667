#include "app/Sandbox.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

const char* const kJobPrefix = "quodra_dv-job-";

void Limit(int resource, qint64 bytes) {
    const rlimit r{static_cast<rlim_t>(bytes), static_cast<rlim_t>(bytes)};
    (void)::setrlimit(resource, &r);
}

// The folder itself opened, not through a link, for its lock; -1 when it cannot be.
int OpenFolder(const QString& path) {
    return ::open(QFile::encodeName(path).constData(),
                  O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

// Takes the folder's lock; at once or not at all when now.
bool LockFolder(int fd, bool now) {
    int r;
    do
        r = ::flock(fd, LOCK_EX | (now ? LOCK_NB : 0));
    while (r != 0 && errno == EINTR);
    return r == 0;
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

CJobFolder::CJobFolder(const QString& tempPath)
    : m_dir(QDir(tempPath).filePath(QString(kJobPrefix) + "XXXXXX")) {
    if (!m_dir.isValid()) {
        m_strError = m_dir.errorString();
        return;
    }
    // The lock is taken before anything is put into the folder: an empty folder may be one just
    // made whose lock is not taken yet, and is never removed as stale.
    const int fd = OpenFolder(m_dir.path());
    if (fd < 0 || !LockFolder(fd, false) || !QDir(m_dir.path()).mkpath("tmp")) {
        m_strError = QString("the folder %1 could not be set up: %2")
                         .arg(m_dir.path(), QString::fromLocal8Bit(std::strerror(errno)));
        if (fd >= 0)
            ::close(fd);
        m_dir.remove();
        return;
    }
    m_nLock = fd;
}

CJobFolder::~CJobFolder() {
    // Removed while locked: no other editor takes it for stale meanwhile.
    m_dir.remove();
    if (m_nLock >= 0)
        ::close(m_nLock);
}

int RemoveStaleJobFolders(const QString& tempPath) {
    // Folders of editors that named them by their process id.
    static const QRegularExpression byPid(QString("^%1(\\d+)-\\w+$").arg(kJobPrefix));
    int removed = 0;
    const QStringList names =
        QDir(tempPath).entryList({QString(kJobPrefix) + "*"}, QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& name : names) {
        // Only a folder of this user, never one reached through a link.
        const QFileInfo info(QDir(tempPath).filePath(name));
        if (info.isSymLink() || info.ownerId() != ::getuid())
            continue;
        if (const QRegularExpressionMatch m = byPid.match(name); m.hasMatch()) {
            bool ok = false;
            const qint64 pid = m.captured(1).toLongLong(&ok);
            // A folder whose process runs, or may run as another user, stays.
            if (!ok || pid <= 0 || pid == ::getpid() || ::kill(static_cast<pid_t>(pid), 0) == 0 ||
                errno != ESRCH)
                continue;
            if (QDir(info.filePath()).removeRecursively())
                ++removed;
            continue;
        }
        // A folder whose lock is free and that holds something was left by an editor that died.
        const int fd = OpenFolder(info.filePath());
        if (fd < 0)
            continue;
        const bool stale =
            LockFolder(fd, true) &&
            !QDir(info.filePath())
                 .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)
                 .isEmpty();
        if (stale && QDir(info.filePath()).removeRecursively())
            ++removed;
        ::close(fd);
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
