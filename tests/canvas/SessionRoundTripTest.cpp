// What the editor writes, it reads: random canvas sessions (every tool, short and degenerate
// drags at the page corners, handle drags, moves at all zooms, texts with every character a user
// can type, drawings with figures far from the page) open again after every step, and saved,
// opened in a new window and saved again give the same bytes and the same figures, none of them
// kept as text.
#include "canvas/GestureSession.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <vector>

namespace {

TEST(SessionRoundTrip, EverySavedDrawingOpensIntoTheSameFiguresAndBytes) {
    // QUODRA_SESSIONS asks for a longer run.
    const char* env = std::getenv("QUODRA_SESSIONS");
    const int sessions = env ? std::atoi(env) : 10000;
    std::mt19937 rng(20261207);
    std::vector<std::uint8_t> bytes;
    for (int s = 0; s < sessions; ++s) {
        bytes.resize(40 + rng() % 200);
        for (auto& b : bytes)
            b = static_cast<std::uint8_t>(rng());
        CCanvasFixture f;
        CSessionBytes in(bytes.data(), bytes.size());
        CGestureSession session(f, in);
        while (session.Step()) {
            ASSERT_TRUE(AllPointsInReach(f.canvas.GetFigures(), session.GetReach()))
                << "session " << s;
            ASSERT_EQ("", SaveProblem(f.canvas)) << "session " << s;
        }
        const std::string problem = RoundTripProblem(f.canvas);
        ASSERT_EQ("", problem) << "session " << s;
    }
}

} // namespace
