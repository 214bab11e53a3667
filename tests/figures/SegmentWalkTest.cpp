// The random-access walk must give exactly the pixels of the plain Bresenham walk, and the hit
// tests built on it the same answers as testing every walked pixel.
#include "figures/SegmentWalk.h"
#include "common/GeometryPrinters.h"
#include "figures/Figure.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

std::vector<CPoint> PlainWalk(CPoint a, CPoint b) {
    std::vector<CPoint> pts;
    WalkSegment(a, b, [&](CPoint p) { pts.push_back(p); });
    return pts;
}

bool PlainInRect(CPoint a, CPoint b, long long l, long long t, long long r, long long btm) {
    bool hit = false;
    WalkSegment(a, b, [&](CPoint p) {
        if (p.x >= l && p.x < r && p.y >= t && p.y < btm)
            hit = true;
    });
    return hit;
}

TEST(SegmentWalk, EveryPixelMatchesThePlainWalk) {
    std::mt19937 rng(12345);
    std::uniform_int_distribution<int> coord(-40, 40);
    for (int n = 0; n < 3000; ++n) {
        const CPoint a{coord(rng), coord(rng)}, b{coord(rng), coord(rng)};
        const std::vector<CPoint> plain = PlainWalk(a, b);
        const CSegmentWalk walk(a, b);
        ASSERT_EQ(static_cast<long long>(plain.size()), walk.Count());
        std::vector<CPoint> visited;
        walk.Visit(0, walk.Count(), [&](CPoint p, long long i) {
            EXPECT_EQ(plain[static_cast<size_t>(i)], p);
            EXPECT_EQ(plain[static_cast<size_t>(i)], walk.At(i));
            visited.push_back(p);
        });
        ASSERT_EQ(plain, visited) << "from (" << a.x << "," << a.y << ") to (" << b.x << "," << b.y
                                  << ")";
    }
}

TEST(SegmentWalk, RangeInIsExactlyTheWalkedPixelsInsideTheRect) {
    std::mt19937 rng(777);
    std::uniform_int_distribution<int> coord(-60, 60);
    std::uniform_int_distribution<int> size(-2, 30);
    for (int n = 0; n < 3000; ++n) {
        const CPoint a{coord(rng), coord(rng)}, b{coord(rng), coord(rng)};
        const int l = coord(rng), t = coord(rng);
        const int r = l + size(rng), btm = t + size(rng);
        const std::vector<CPoint> plain = PlainWalk(a, b);
        std::vector<CPoint> inside;
        for (const CPoint& p : plain)
            if (p.x >= l && p.x < r && p.y >= t && p.y < btm)
                inside.push_back(p);
        const CSegmentWalk walk(a, b);
        const auto [first, last] = walk.RangeIn(l, t, r, btm);
        std::vector<CPoint> run;
        walk.Visit(first, last, [&](CPoint p, long long) { run.push_back(p); });
        ASSERT_EQ(inside, run) << "segment (" << a.x << "," << a.y << ")-(" << b.x << "," << b.y
                               << ") rect (" << l << "," << t << "," << r << "," << btm << ")";
    }
}

TEST(SegmentWalk, HitTestsAgreeWithThePlainWalk) {
    std::mt19937 rng(4242);
    std::uniform_int_distribution<int> coord(-300, 300);
    std::uniform_int_distribution<int> near(-6, 6);
    for (int n = 0; n < 4000; ++n) {
        const CPoint a{coord(rng), coord(rng)}, b{coord(rng), coord(rng)};
        // Points near the segment make both answers common.
        const CPoint on = CSegmentWalk(a, b).Count() > 0
                              ? CSegmentWalk(a, b).At(CSegmentWalk(a, b).Count() / 2)
                              : a;
        const CPoint pt{on.x + near(rng), on.y + near(rng)};
        EXPECT_EQ(PlainInRect(a, b, pt.x - 3, pt.y - 3, pt.x + 4, pt.y + 4), SegmentHit(a, b, pt));
        const CRect rect{pt.x, pt.y, pt.x + near(rng) + 3, pt.y + near(rng) + 3};
        EXPECT_EQ(PlainInRect(a, b, rect.left, rect.top, rect.right, rect.bottom),
                  SegmentInRect(a, b, rect));
    }
}

TEST(SegmentWalk, LongSegmentsNearTheIntLimitsMatchThePlainWalk) {
    std::mt19937 rng(99);
    std::uniform_int_distribution<int> len(-20000, 20000);
    for (const CPoint base : {CPoint{INT_MAX - 20000, INT_MIN + 20000}, CPoint{0, 0}}) {
        for (int n = 0; n < 20; ++n) {
            const CPoint a{base.x + len(rng) / 2, base.y + len(rng) / 2};
            const CPoint b{base.x + len(rng) / 2, base.y + len(rng) / 2};
            const std::vector<CPoint> plain = PlainWalk(a, b);
            const CSegmentWalk walk(a, b);
            ASSERT_EQ(static_cast<long long>(plain.size()), walk.Count());
            long long mismatches = 0;
            walk.Visit(0, walk.Count(), [&](CPoint p, long long i) {
                mismatches += !(plain[static_cast<size_t>(i)] == p);
            });
            for (long long i = 0; i < walk.Count(); i += 997)
                mismatches += !(plain[static_cast<size_t>(i)] == walk.At(i));
            EXPECT_EQ(0, mismatches);
        }
    }
}

TEST(SegmentWalk, HugeSegmentsAnswerAtOnce) {
    // A hand-edited drawing can put ends at the limits of int; walking these pixel by pixel
    // would take billions of steps.
    const CPoint a{INT_MIN, INT_MIN + 7}, b{INT_MAX, INT_MAX - 3};
    const CSegmentWalk walk(a, b);
    EXPECT_EQ(4294967295LL, walk.Count());
    EXPECT_EQ(a, walk.At(0));
    const CPoint mid = walk.At(walk.Count() / 2);
    EXPECT_TRUE(SegmentHit(a, b, mid));
    EXPECT_TRUE(SegmentHit(a, b, {mid.x + 3, mid.y - 3}));
    EXPECT_FALSE(SegmentHit(a, b, {mid.x, mid.y + 10}));
    EXPECT_TRUE(SegmentInRect(a, b, {-5, -5, 5, 5}));
    EXPECT_FALSE(SegmentInRect(a, b, {100, -200, 200, -100}));
    // The end itself is never walked.
    EXPECT_FALSE(SegmentInRect(a, b, {INT_MAX, INT_MAX - 3, INT_MAX, INT_MAX}));
    EXPECT_TRUE(SegmentHit({INT_MAX, 0}, {INT_MIN, 0}, {INT_MAX, 3}));
}

} // namespace
