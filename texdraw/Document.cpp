#include "texdraw/Document.h"

#include "figures/FigureList.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
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

// A temporary name beside the target that fits the folder's limit on name length.
std::string TemporaryName(const std::string& folder, const std::string& name, unsigned n) {
    // Appended piece by piece: GCC 12 at -O3 warns falsely (-Wrestrict) on a chain of
    // temporary strings built by operator+.
    std::string suffix = ".tmp";
    suffix += std::to_string(::getpid());
    suffix += '-';
    suffix += std::to_string(n);
    long limit = ::pathconf(folder.c_str(), _PC_NAME_MAX);
    if (limit <= 0)
        limit = 255;
    size_t keep = name.size();
    const long room = std::max(0L, limit - 1 - static_cast<long>(suffix.size()));
    if (keep > static_cast<size_t>(room)) {
        keep = static_cast<size_t>(room);
        // Not in the middle of a UTF-8 character.
        while (keep > 0 && (static_cast<unsigned char>(name[keep]) & 0xC0) == 0x80)
            --keep;
    }
    std::string temp = folder;
    temp += "/.";
    temp.append(name, 0, keep);
    temp += suffix;
    return temp;
}

// Creates a new file beside the target under a free temporary name.
int CreateTemporary(const std::string& folder, const std::string& name, std::string& tempPath) {
    static std::atomic<unsigned> counter{0};
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        tempPath = TemporaryName(folder, name, counter++);
        fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    return fd;
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
// Its old content first goes to a backup beside it; a failed write puts it back.
bool WriteInPlace(const std::string& target, const std::string& folder, const std::string& name,
                  const std::string& path, const std::string& text, std::string& error) {
    const int fd = ::open(target.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) {
        error = Reason("Cannot write", path, errno);
        return false;
    }
    std::string old;
    std::string backupPath;
    const int backup = ReadAll(fd, old) ? CreateTemporary(folder, name, backupPath) : -1;
    const bool safe = backup >= 0 && WriteAll(backup, old) && ::fsync(backup) == 0;
    const int backupErr = errno;
    if (backup >= 0)
        ::close(backup);
    if (!safe) {
        if (backup >= 0)
            ::unlink(backupPath.c_str());
        ::close(fd);
        error = Reason("Cannot keep a copy of the old content of", path, backupErr);
        return false;
    }
    const bool ok = Overwrite(fd, text);
    const int err = errno;
    if (!ok && !Overwrite(fd, old)) {
        ::close(fd);
        error = Reason("Cannot write", path, err) + "; its old content is kept in \"" + backupPath +
                "\"";
        return false;
    }
    ::close(fd); // synced already: nothing is left for close to report
    ::unlink(backupPath.c_str());
    if (!ok)
        error = Reason("Cannot write", path, err);
    return ok;
}

} // namespace

std::string MakeTeXDrawDocument(const std::string& blocks) {
    std::string text = kHeader;
    text += blocks;
    text += kFooter;
    return text;
}

std::string MakeTeXDrawDocument(const CFigureList& figures) {
    return MakeTeXDrawDocument(figures.GetTeXDrawText());
}

bool WriteTeXDrawFile(const std::string& path, const std::string& text, std::string& error) {
    error.clear();
    if (path.empty()) {
        error = "No file name was given.";
        return false;
    }
    // Writing through a link replaces the file it points to, not the link itself.
    const std::string target = FollowLinks(path);
    const std::filesystem::path targetPath(target);
    const std::string folder =
        targetPath.has_parent_path() ? targetPath.parent_path().string() : std::string(".");
    const std::string name = targetPath.filename().string();

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
            return WriteInPlace(target, folder, name, path, text, error);
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
