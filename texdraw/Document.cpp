#include "texdraw/Document.h"

#include "figures/FigureList.h"
#include "figures/RawTeX.h"
#include "figures/TeXFormat.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <optional>
#include <signal.h>
#include <sstream>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The header's third line keeps TeXDraw's default unit scale (it is a TeX comment); the
// arrowhead type gives the arrow blocks filled heads.
constexpr const char* kHeader = "\\begin{center}\n"
                                "\\begin{texdraw}\n"
                                "%\\setunitscale 0.3\n"
                                "\n"
                                "\\arrowheadtype t:F\n"
                                "\n";
constexpr const char* kFooter = "\\end{texdraw}\n"
                                "\\end{center}";

std::string Reason(const std::string& what, const std::string& path, int err) {
    return what + " \"" + path + "\": " + std::strerror(err);
}

bool WriteAll(int fd, const std::string& text) {
    const char* p = text.data();
    size_t left = text.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (n == 0) {
            errno = EIO;
            return false;
        }
        p += n;
        left -= static_cast<size_t>(n);
    }
    return true;
}

// The file a save really replaces: symbolic links are followed to their target, also one that
// does not exist yet (the save creates it), so a link stays a link.
std::string FollowLinks(std::string path) {
    for (int hop = 0; hop < 40; ++hop) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return path;
        std::string link(PATH_MAX, '\0');
        const ssize_t n = ::readlink(path.c_str(), link.data(), link.size());
        if (n <= 0)
            return path;
        link.resize(static_cast<size_t>(n));
        const std::filesystem::path next(link);
        path =
            next.is_absolute() ? link : (std::filesystem::path(path).parent_path() / next).string();
    }
    return path; // a loop of links, which stat() then reports
}

// The longest start of name that leaves room for a suffix of suffixSize bytes (and the leading
// dot) within the folder's limit on name length.
std::string TrimmedName(const std::string& folder, const std::string& name, size_t suffixSize) {
    long limit = ::pathconf(folder.c_str(), _PC_NAME_MAX);
    if (limit <= 0)
        limit = 255;
    size_t keep = name.size();
    const long room = std::max(0L, limit - 1 - static_cast<long>(suffixSize));
    if (keep > static_cast<size_t>(room)) {
        keep = static_cast<size_t>(room);
        // Not in the middle of a UTF-8 character.
        while (keep > 0 && (static_cast<unsigned char>(name[keep]) & 0xC0) == 0x80)
            --keep;
    }
    return name.substr(0, keep);
}

// The two kinds of hidden file a save makes beside its target: ".NAME.tmpPID-N" holds the new
// content of a rename-path save (or a copy being made), ".NAME.bakPID-N" a complete copy of the
// old content of a file being written in place. The process number tells whether its saver may
// still be running.
constexpr const char* kTemporaryKind = ".tmp";
constexpr const char* kBackupKind = ".bak";

// A name beside the target for this process that fits the folder's limit on name length.
std::string TemporaryName(const std::string& folder, const std::string& name, const char* kind) {
    static std::atomic<unsigned> counter{0};
    // Appended piece by piece: GCC 12 at -O3 warns falsely (-Wrestrict) on a chain of
    // temporary strings built by operator+.
    std::string suffix = kind;
    suffix += std::to_string(::getpid());
    suffix += '-';
    suffix += std::to_string(counter++);
    std::string temp = folder;
    temp += "/.";
    temp += TrimmedName(folder, name, suffix.size());
    temp += suffix;
    return temp;
}

// Creates a new file beside the target under a free temporary name.
int CreateTemporary(const std::string& folder, const std::string& name, std::string& tempPath) {
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        tempPath = TemporaryName(folder, name, kTemporaryKind);
        fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    return fd;
}

// Gives a complete copy its backup name, never over another file: a leftover under that name
// is then always whole, whatever moment a kill came at.
bool PublishBackup(const std::string& folder, const std::string& name, const std::string& tempPath,
                   std::string& backupPath) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        backupPath = TemporaryName(folder, name, kBackupKind);
        if (::link(tempPath.c_str(), backupPath.c_str()) == 0) {
            ::unlink(tempPath.c_str());
            return true;
        }
        if (errno != EEXIST)
            return false;
    }
    return false;
}

CFileStamp StampOf(const struct stat& st) {
    CFileStamp stamp;
    stamp.bExists = true;
    stamp.nDevice = static_cast<std::uint64_t>(st.st_dev);
    stamp.nInode = static_cast<std::uint64_t>(st.st_ino);
    stamp.nSize = static_cast<std::int64_t>(st.st_size);
    stamp.nModifiedNs = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 +
                        static_cast<std::int64_t>(st.st_mtim.tv_nsec);
    return stamp;
}

bool ReadAll(int fd, std::string& text) {
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            return true;
        text.append(buf, static_cast<size_t>(n));
    }
}

// Writes text over the open file from its start and cuts it there; synced to the disk.
bool Overwrite(int fd, const std::string& text) {
    return ::lseek(fd, 0, SEEK_SET) == 0 && ::ftruncate(fd, 0) == 0 && WriteAll(fd, text) &&
           ::fsync(fd) == 0;
}

// The folder's entry for a renamed file reaches the disk too.
void SyncFolder(const std::string& folder) {
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        (void)::fsync(dir);
        ::close(dir);
    }
}

// A file with several hard links is written in place, so every name keeps showing the drawing.
// Its old content first goes to a backup beside it; a failed write puts it back, and a killed one
// leaves the backup for TidySaveLeftovers to find.
bool WriteInPlace(const std::string& target, const std::string& folder, const std::string& name,
                  const std::string& path, const std::string& text, std::string& error,
                  CFileStamp* written) {
    const int fd = ::open(target.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) {
        error = Reason("Cannot write", path, errno);
        return false;
    }
    std::string old;
    std::string tempPath;
    std::string backupPath;
    const int backup = ReadAll(fd, old) ? CreateTemporary(folder, name, tempPath) : -1;
    bool safe = backup >= 0 && WriteAll(backup, old) && ::fsync(backup) == 0;
    int backupErr = errno;
    if (backup >= 0)
        ::close(backup);
    if (safe && !PublishBackup(folder, name, tempPath, backupPath)) {
        safe = false;
        backupErr = errno;
    }
    if (!safe) {
        if (backup >= 0)
            ::unlink(tempPath.c_str());
        ::close(fd);
        error = Reason("Cannot keep a copy of the old content of", path, backupErr);
        return false;
    }
    // The backup's name is on the disk before the file is cut.
    SyncFolder(folder);
    const bool ok = Overwrite(fd, text);
    const int err = errno;
    if (!ok && !Overwrite(fd, old)) {
        ::close(fd);
        error = Reason("Cannot write", path, err) + "; its old content is kept in \"" + backupPath +
                "\"";
        return false;
    }
    struct stat st {};
    if (ok && written && ::fstat(fd, &st) == 0)
        *written = StampOf(st);
    ::close(fd); // synced already: nothing is left for close to report
    ::unlink(backupPath.c_str());
    if (!ok)
        error = Reason("Cannot write", path, err);
    return ok;
}

// The whole content of a file; nullopt when it cannot be read.
std::optional<std::string> ReadWhole(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    std::string text;
    const bool ok = ReadAll(fd, text);
    ::close(fd);
    if (!ok)
        return std::nullopt;
    return text;
}

// A hidden file's name read as a save's leftover: the start of the target's name, the kind and
// the saving process.
struct CLeftoverName {
    std::string strName;
    bool bBackup = false;
    long nPid = 0;
};

std::optional<CLeftoverName> ParseLeftoverName(const std::string& file) {
    const auto digitsBefore = [&file](size_t end) {
        size_t i = end;
        while (i > 0 && file[i - 1] >= '0' && file[i - 1] <= '9')
            --i;
        return i;
    };
    const size_t numberStart = digitsBefore(file.size());
    if (numberStart == file.size() || numberStart == 0 || file[numberStart - 1] != '-')
        return std::nullopt;
    const size_t pidEnd = numberStart - 1;
    const size_t pidStart = digitsBefore(pidEnd);
    const size_t kindSize = std::strlen(kTemporaryKind);
    if (pidStart == pidEnd || pidEnd - pidStart > 9 || pidStart < 1 + kindSize || file[0] != '.')
        return std::nullopt;
    const std::string kind = file.substr(pidStart - kindSize, kindSize);
    if (kind != kTemporaryKind && kind != kBackupKind)
        return std::nullopt;
    CLeftoverName out;
    out.strName = file.substr(1, pidStart - kindSize - 1);
    out.bBackup = kind == kBackupKind;
    out.nPid = std::stol(file.substr(pidStart, pidEnd - pidStart));
    return out;
}

// Seconds since the epoch at which the system started; nullopt when it cannot be told.
std::optional<long long> BootTime() {
    std::ifstream in("/proc/stat");
    std::string word;
    while (in >> word)
        if (word == "btime") {
            long long t = 0;
            if (in >> t)
                return t;
            break;
        }
    return std::nullopt;
}

// Whether the process that made a leftover may still be writing it. Process numbers are used
// again, so a process that started after the file was last written is another program; a
// process that has ended but not yet been waited for writes nothing either. When /proc cannot
// tell, a running process of that number counts as the saver: a leftover is kept rather than
// taken from under a save.
bool SaveMayBeRunning(long pid, const struct stat& leftover) {
    if (pid <= 0 || pid > INT_MAX)
        return false;
    if (::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH)
        return false;
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(in, line))
        return true;
    const size_t close = line.rfind(')'); // the command's name may hold spaces and brackets
    if (close == std::string::npos)
        return true;
    std::istringstream fields(line.substr(close + 1));
    char state = 0;
    fields >> state;
    if (state == 'Z' || state == 'X')
        return false;
    std::string skipped;
    for (int field = 4; field < 22; ++field) // the start time is the 22nd field
        fields >> skipped;
    unsigned long long startTicks = 0;
    const std::optional<long long> boot = BootTime();
    const long ticksPerSecond = ::sysconf(_SC_CLK_TCK);
    if (!(fields >> startTicks) || !boot || ticksPerSecond <= 0)
        return true;
    const long long started =
        *boot +
        static_cast<long long>(startTicks / static_cast<unsigned long long>(ticksPerSecond));
    // The boot time is known to the second only.
    return started <= static_cast<long long>(leftover.st_mtime) + 2;
}

// The file a path saves to, its folder and its name.
struct CSaveTarget {
    std::string strTarget;
    std::string strFolder;
    std::string strName;
};

CSaveTarget ResolveTarget(const std::string& path) {
    CSaveTarget t;
    t.strTarget = FollowLinks(path);
    const std::filesystem::path targetPath(t.strTarget);
    t.strFolder =
        targetPath.has_parent_path() ? targetPath.parent_path().string() : std::string(".");
    t.strName = targetPath.filename().string();
    return t;
}

} // namespace

std::string MakeTeXDrawHeader(double unitScale) {
    if (unitScale == 1.0)
        return kHeader;
    // The scale line becomes an active one; everything else stays.
    std::string header = kHeader;
    const std::string comment = "%\\setunitscale 0.3\n";
    const std::size_t at = header.find(comment);
    header.replace(at, comment.size(), "\\setunitscale " + FormatTeXNumber(unitScale) + "\n");
    return header;
}

std::string MakeTeXDrawDocument(const std::string& blocks, double unitScale) {
    std::string text = MakeTeXDrawHeader(unitScale);
    text += blocks;
    text += kFooter;
    return text;
}

void AppendForeignFigureText(const CFigureList& figures, int i, std::string& text) {
    const CFigure& f = *figures.GetAt(i);
    if (f.IsAsRead(f.ExportTeX())) {
        text += f.m_strReadBlock;
        return;
    }
    // Kept text is in the drawing's own frame already (and moves itself); a figure read from the
    // drawing is written from where it stood.
    if (dynamic_cast<const CRawTeXFigure*>(&f) || f.m_pForeignFrame) {
        f.AppendTeXDrawBlock(text);
        return;
    }
    // Added to the drawing: from where it ends, in a segment of its own. What is written anew is
    // written where the drawing's own origin puts it (it may have been moved onto the page).
    const std::unique_ptr<CFigure> back = f.Clone();
    back->m_pForeignFrame = figures.m_pNewFigureFrame;
    if (!back->m_pForeignFrame) {
        back->MoveBy(-figures.m_ptTeXDrawOrigin.x, -figures.m_ptTeXDrawOrigin.y);
        KeepCornersRoundingToTheNearest(*back);
    }
    back->AppendTeXDrawBlock(text);
}

std::string MakeTeXDrawDocument(const CFigureList& figures) {
    // A drawing read from another program's file goes back into what stood around it.
    if (figures.m_bForeign) {
        std::string text = figures.m_strBefore;
        for (int i = 0; i < figures.GetCount(); ++i)
            AppendForeignFigureText(figures, i, text);
        return text + figures.m_strAfter;
    }
    return MakeTeXDrawDocument(figures.GetTeXDrawText(), figures.m_dUnitScale);
}

bool WriteTeXDrawFile(const std::string& path, const std::string& text, std::string& error,
                      CFileStamp* written) {
    error.clear();
    if (path.empty()) {
        error = "No file name was given.";
        return false;
    }
    // Writing through a link replaces the file it points to, not the link itself.
    const CSaveTarget resolved = ResolveTarget(path);
    const std::string& target = resolved.strTarget;
    const std::string& folder = resolved.strFolder;
    const std::string& name = resolved.strName;

    struct stat old {};
    const bool exists = ::stat(target.c_str(), &old) == 0;
    if (!exists && errno != ENOENT) { // a loop of links, a file where a folder should be, ...
        error = Reason("Cannot write", path, errno);
        return false;
    }
    if (exists) {
        if (S_ISDIR(old.st_mode)) {
            error = Reason("Cannot write", path, EISDIR);
            return false;
        }
        if (!S_ISREG(old.st_mode)) {
            error = "\"" + path + "\" is not an ordinary file (it is a device, a pipe or a " +
                    "socket); the drawing is not written there.";
            return false;
        }
        // Replacing the file needs only the folder's permission; the file's own says whether
        // the user wants it changed.
        if (::access(target.c_str(), W_OK) != 0) {
            error = "You may not write to \"" + path + "\" (" + std::strerror(errno) +
                    "); it was left as it was.";
            return false;
        }
        if (old.st_nlink > 1)
            return WriteInPlace(target, folder, name, path, text, error, written);
    }

    // A new file beside the target, renamed over it only once it is complete: a full disk or a
    // lost permission half-way leaves the previous file as it was.
    std::string tempPath;
    const int fd = CreateTemporary(folder, name, tempPath);
    if (fd < 0) {
        error = Reason("Cannot create a file in the folder of", path, errno);
        return false;
    }

    // An existing file keeps its owner (where the user may give it) and its permissions.
    if (exists) {
        (void)::fchown(fd, old.st_uid, old.st_gid);
        (void)::fchmod(fd, old.st_mode & 07777);
    }

    // Text mode on this platform: line feeds are written as they are.
    bool ok = WriteAll(fd, text) && ::fsync(fd) == 0;
    int err = errno;
    // Renaming keeps the modification time, size and inode taken here.
    struct stat st {};
    if (ok && written && ::fstat(fd, &st) == 0)
        *written = StampOf(st);
    if (::close(fd) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (ok && ::rename(tempPath.c_str(), target.c_str()) != 0) {
        ok = false;
        err = errno;
    }
    if (!ok) {
        ::unlink(tempPath.c_str());
        error = Reason("Cannot write", path, err);
        return false;
    }
    SyncFolder(folder);
    return true;
}

CFileStamp GetFileStamp(const std::string& path) {
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0)
        return {};
    return StampOf(st);
}

bool IsCompleteTeXDrawText(const std::string& text) {
    constexpr std::string_view kSpace = " \t\r\n";
    std::string_view rest(text);
    for (const std::string_view last : {"\\end{center}", "\\end{texdraw}"}) {
        const size_t end = rest.find_last_not_of(kSpace);
        rest = rest.substr(0, end == std::string_view::npos ? 0 : end + 1);
        if (!rest.ends_with(last))
            return false;
        rest.remove_suffix(last.size());
    }
    return true;
}

CSaveLeftovers TidySaveLeftovers(const std::string& path) {
    CSaveLeftovers out;
    if (path.empty())
        return out;
    const CSaveTarget t = ResolveTarget(path);
    struct stat targetStat {};
    const bool targetExists =
        ::stat(t.strTarget.c_str(), &targetStat) == 0 && S_ISREG(targetStat.st_mode);
    std::optional<std::string> targetText;
    bool targetRead = false;
    const auto target = [&]() -> const std::optional<std::string>& {
        if (!targetRead && targetExists)
            targetText = ReadWhole(t.strTarget);
        targetRead = true;
        return targetText;
    };

    std::error_code ec;
    std::int64_t newest = 0;
    for (std::filesystem::directory_iterator entry(t.strFolder, ec), end; !ec && entry != end;
         entry.increment(ec)) {
        const std::string file = entry->path().filename().string();
        const std::optional<CLeftoverName> parsed = ParseLeftoverName(file);
        if (!parsed)
            continue;
        // Named after this file, or after another of its names in the same folder.
        struct stat named {};
        const bool ours =
            parsed->strName ==
                TrimmedName(t.strFolder, t.strName, file.size() - 1 - parsed->strName.size()) ||
            (targetExists && targetStat.st_nlink > 1 && !parsed->strName.empty() &&
             ::stat((t.strFolder + "/" + parsed->strName).c_str(), &named) == 0 &&
             named.st_dev == targetStat.st_dev && named.st_ino == targetStat.st_ino);
        if (!ours)
            continue;
        const std::string leftover = entry->path().string();
        struct stat st {};
        if (::lstat(leftover.c_str(), &st) != 0 || !S_ISREG(st.st_mode) ||
            SaveMayBeRunning(parsed->nPid, st))
            continue;
        // A backup is always a complete copy of the file before an in-place write (it is named
        // only once whole), and the write begins by cutting the file: a file that is neither the
        // copy nor a complete drawing is that write cut short. Without the file there is nothing
        // to restore into, and the copy is left to the user.
        // A temporary is new content that never replaced anything, or a copy that never became
        // a backup; only an earlier version of this editor kept its backups under that name, so
        // a complete one beside a broken file with several links is still worth offering.
        bool worthRestoring = false;
        if (parsed->bBackup || (targetExists && targetStat.st_nlink > 1)) {
            if (!targetExists)
                continue;
            const std::optional<std::string> content = ReadWhole(leftover);
            if (!content || !target())
                continue;
            worthRestoring = *content != *target() && !IsCompleteTeXDrawText(*target()) &&
                             (parsed->bBackup || IsCompleteTeXDrawText(*content));
        }
        if (worthRestoring) {
            const std::int64_t modified = StampOf(st).nModifiedNs;
            if (!out.backup || modified > newest) {
                out.backup = leftover;
                newest = modified;
            }
        } else if (::unlink(leftover.c_str()) == 0) {
            out.removed.push_back(leftover);
        }
    }
    return out;
}

bool RestoreSaveBackup(const std::string& path, const std::string& backup, std::string& error) {
    error.clear();
    const CSaveTarget t = ResolveTarget(path);
    const std::optional<std::string> content = ReadWhole(backup);
    if (!content) {
        error = Reason("Cannot read", backup, errno);
        return false;
    }
    // In place, as the interrupted save wrote: every hard link shows the restored drawing. A kill
    // here leaves the copy where it was, to be found again.
    const int fd = ::open(t.strTarget.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0 || !Overwrite(fd, *content)) {
        error = Reason("Cannot write", path, errno);
        if (fd >= 0)
            ::close(fd);
        return false;
    }
    ::close(fd);
    ::unlink(backup.c_str());
    SyncFolder(t.strFolder);
    return true;
}
