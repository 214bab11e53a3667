// The TeXDraw document around the figures' blocks, writing it to a file safely, and cleaning up
// after a save that was killed half-way.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class CFigureList;

// Header + blocks + footer, exactly as the file holds it (no final line feed).
std::string MakeTeXDrawDocument(const std::string& blocks, double unitScale = 1.0);
// The header alone: its third line is an active "\setunitscale" line when the scale is not 1.
std::string MakeTeXDrawHeader(double unitScale);
std::string MakeTeXDrawDocument(const CFigureList& figures);
// What the figure at i of a drawing written elsewhere writes into the document above.
void AppendForeignBlock(const CFigureList& figures, int i, std::string& text);

// A file as it is on the disk at one moment. Another program that writes the file, or replaces
// it by renaming a new one over it, changes at least one of these.
struct CFileStamp {
    bool bExists = false;
    std::uint64_t nDevice = 0;
    std::uint64_t nInode = 0;
    std::int64_t nSize = 0;
    std::int64_t nModifiedNs = 0; // modification time, nanoseconds since the epoch
    bool operator==(const CFileStamp&) const = default;
};

// The stamp of the file that path names (links followed); bExists is false when there is none.
CFileStamp GetFileStamp(const std::string& path);

// Writes the text to path through a temporary file in the same folder renamed over the target,
// so a failed write never leaves a truncated file where a good one was. On failure returns false
// and puts a reason that can be shown to the user into error. When written is given it receives
// the stamp of the file just written, taken before any other program could touch it.
bool WriteTeXDrawFile(const std::string& path, const std::string& text, std::string& error,
                      CFileStamp* written = nullptr);

// Whether the text ends as every drawing this editor writes does (and as a hand-written one
// should): "\end{texdraw}" and "\end{center}", white space aside. A write cut short does not.
bool IsCompleteTeXDrawText(const std::string& text);

// A file with several hard links is written in place behind a copy of its old content, kept
// beside it as ".NAME.bakPID-N" while the write runs; a rename-path save writes ".NAME.tmpPID-N".
// When the saving process is killed these stay behind.
struct CSaveLeftovers {
    // The leftovers of dead saves that nothing needs any more; TidySaveLeftovers deleted them.
    std::vector<std::string> removed;
    // The copy of the content from before a write that was cut short, while the file still
    // holds that broken write: restoring it gives back the last complete drawing.
    std::optional<std::string> backup;
};

// Looks beside path (links followed) for files left by saves whose process is no longer
// running, deletes those that nothing needs, and names a copy worth restoring. A leftover
// whose process may still be writing it is left alone.
CSaveLeftovers TidySaveLeftovers(const std::string& path);

// Puts the copy's content back into path in place (so every hard link shows it), then deletes
// the copy. False with a reason in error when that failed; the copy is then kept.
bool RestoreSaveBackup(const std::string& path, const std::string& backup, std::string& error);
