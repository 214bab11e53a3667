// Fuzzes the canvas through a fake window: the bytes are a session of gestures, keys, zoom
// commands, tools, edits, undo and redo, the clipboard, texts, switches, saves, opened drawings
// with figures far from the page and window resizes. After every step every figure point is a
// number within reach of the page (or no farther than the farthest point opened), the drawing
// saved then opens again, and a drawing that differs from the last save or open is marked
// modified; at the end the drawing saved, opened and saved again gives the same bytes, with every
// figure back and none kept as text.
#include "canvas/GestureSession.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

void Check(bool condition, const std::string& what) {
    if (!condition) {
        std::fprintf(stderr, "gesture fuzz: %s\n", what.c_str());
        std::abort();
    }
}

// Saves go to memory-backed storage where there is one: a save syncs the file to the disk.
const std::string& SavePath() {
    static const std::string path =
        (::access("/dev/shm", W_OK) == 0 ? std::string("/dev/shm") : std::string("/tmp")) +
        "/quodra-gesture-fuzz-" + std::to_string(::getpid()) + ".txt";
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CCanvasFixture f;
    std::string saved = f.canvas.GetTeXDrawDocument();
    CSessionBytes in(data, size);
    CGestureSession session(
        f, in,
        [&] {
            std::string error;
            Check(f.canvas.WriteTeXDrawFile(SavePath(), error), "a save failed: " + error);
            saved = f.canvas.GetTeXDrawDocument();
        },
        [&] { saved = f.canvas.GetTeXDrawDocument(); });
    // Bounded so that one input cannot run for long.
    for (int step = 0; step < 400 && session.Step(); ++step) {
        Check(AllPointsInReach(f.canvas.GetFigures(), session.GetReach()),
              "a point is out of reach of the page");
        const std::string problem = SaveProblem(f.canvas);
        Check(problem.empty(), problem);
        Check(f.canvas.IsModified() || f.canvas.GetTeXDrawDocument() == saved,
              "a change since the last save is not marked");
    }
    // Everything drawn at the zoom and scroll position the session ended with.
    CRecordingSurface surface;
    f.canvas.OnPaint(surface);
    const std::string problem = RoundTripProblem(f.canvas);
    Check(problem.empty(), problem);
    ::unlink(SavePath().c_str());
    return 0;
}
