// The drawing's revision: what is worked out once per revision (the preview's document, the
// texts' warning signs) goes stale if any change of the figures slips past it.
#include "canvas/GestureSession.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace {

// Random sessions: after every step in which the saved text changed, the revision changed too.
TEST(CanvasRevision, EveryChangeOfTheSavedTextChangesTheRevision) {
    std::mt19937 rng(20261208);
    std::vector<std::uint8_t> bytes;
    for (int s = 0; s < 3000; ++s) {
        bytes.resize(40 + rng() % 200);
        for (auto& b : bytes)
            b = static_cast<std::uint8_t>(rng());
        CCanvasFixture f;
        CSessionBytes in(bytes.data(), bytes.size());
        CGestureSession session(f, in);
        std::string text = f.canvas.GetTeXDrawDocument();
        std::uint64_t revision = f.canvas.GetRevision();
        while (session.Step()) {
            std::string now = f.canvas.GetTeXDrawDocument();
            if (now != text) {
                ASSERT_NE(revision, f.canvas.GetRevision()) << "session " << s;
            }
            text = std::move(now);
            revision = f.canvas.GetRevision();
        }
    }
}

} // namespace
