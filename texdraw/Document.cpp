#include "texdraw/Document.h"

#include "figures/FigureList.h"

#include <atomic>
#include <cerrno>
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
    namespace fs = std::filesystem;
    error.clear();
    if (path.empty()) {
        error = "No file name was given.";
        return false;
    }
    // Writing through a link replaces the file it points to, not the link itself.
    fs::path target(path);
    std::error_code ec;
    if (fs::is_symlink(target, ec)) {
        const fs::path resolved = fs::weakly_canonical(target, ec);
        if (!ec)
            target = resolved;
    }
    if (fs::is_directory(target, ec)) {
        error = Reason("Cannot write", path, EISDIR);
        return false;
    }

    // A new file beside the target, renamed over it only once it is complete: a full disk or a
    // lost permission half-way leaves the previous file as it was.
    static std::atomic<unsigned> counter{0};
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    std::string tempPath;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        // Appended piece by piece: GCC 12 at -O3 warns falsely (-Wrestrict) on the chain of
        // temporary strings that operator+ would build here.
        std::string name = ".";
        name += target.filename().string();
        name += ".tmp";
        name += std::to_string(::getpid());
        name += '-';
        name += std::to_string(counter++);
        tempPath = (folder / name).string();
        fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0) {
        error = Reason("Cannot create a file in the folder of", path, errno);
        return false;
    }

    // An existing file keeps its permissions.
    struct stat old {};
    if (::stat(target.c_str(), &old) == 0)
        (void)::fchmod(fd, old.st_mode & 07777);

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
    return true;
}
