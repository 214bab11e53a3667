#include "figures/RotatableFigures.h"
#include "figures/FrameTestUtil.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

namespace {

struct Kind {
    const char* type;
    std::function<std::unique_ptr<CFramedFigure>()> make;
};

const Kind kKinds[] = {
    {"Rectangle", [] { return std::make_unique<CRotatableRectangle>(); }},
    {"Ellipse", [] { return std::make_unique<CRotatableEllipse>(); }},
};

// Corners (100, 100), (200, 100), (200, 150), (100, 150): centre (150, 125).
void SetExampleFrame(CFramedFigure& f) {
    SetCorners(f, {100, 100}, {200, 100}, {200, 150}, {100, 150});
}

void ExpectNear(const CDoublePoint& a, const CDoublePoint& b, double eps = 0.01) {
    EXPECT_NEAR(a.x, b.x, eps) << a << " vs " << b;
    EXPECT_NEAR(a.y, b.y, eps) << a << " vs " << b;
}

double Dot(CDoublePoint a, CDoublePoint b) {
    return a.x * b.x + a.y * b.y;
}

TEST(RotatableFigures, HandleFourTurnsAboutTheCentre) {
    for (const Kind& k : kKinds) {
        auto f = k.make();
        EXPECT_EQ(f->m_strType, k.type);
        SetExampleFrame(*f);
        f->SetHandlePoint(4, 150, 25, 1.0); // straight above the centre: about -63.43 degrees
        ExpectNear(f->m_pt3, {150.00, 69.10});
        ExpectNear(f->m_pt1, {105.28, 158.54});
        ExpectNear(f->m_pt2, {194.72, 91.46});
        ExpectNear(f->m_pt4, {150.00, 180.90});
        ExpectNear((f->m_pt1 + f->m_pt2) * 0.5, {150, 125}, 1e-9);
        // Back to the start direction turns it back.
        f->SetHandlePoint(4, 250, 75, 1.0);
        ExpectNear(f->m_pt3, {200, 100}, 1e-9);
        ExpectNear(f->m_pt1, {100, 100}, 1e-9);
    }
}

TEST(RotatableFigures, DegenerateTurnsChangeNothing) {
    const struct {
        const char* what;
        int x, y;
        double zoom;
    } cases[] = {{"mouse on the centre", 150, 125, 1.0},
                 {"mouse 0.05 units from the centre", 3000, 2501, 20.0}};
    for (const Kind& k : kKinds) {
        for (const auto& c : cases) {
            auto f = k.make();
            SetExampleFrame(*f);
            f->SetHandlePoint(4, c.x, c.y, c.zoom);
            EXPECT_EQ(f->m_pt1, (CDoublePoint{100, 100})) << k.type << ": " << c.what;
            EXPECT_EQ(f->m_pt3, (CDoublePoint{200, 100})) << k.type << ": " << c.what;
        }
        // Corner 4 squeezed onto the centre: no direction to turn from.
        auto f = k.make();
        SetCorners(*f, {100, 100}, {150, 125}, {200, 150}, {100, 150});
        f->SetHandlePoint(4, 300, 0, 1.0);
        EXPECT_EQ(f->m_pt3, (CDoublePoint{150, 125})) << k.type;
        EXPECT_EQ(f->m_pt1, (CDoublePoint{100, 100})) << k.type;
    }
}

TEST(RotatableFigures, TurnedFrameResizesAlongItsTurnedEdges) {
    for (const Kind& k : kKinds) {
        auto f = k.make();
        SetExampleFrame(*f);
        f->SetHandlePoint(4, 200, 225, 1.0); // a quarter turn, clockwise on screen
        ExpectNear(f->m_pt1, {175, 75});
        ExpectNear(f->m_pt3, {175, 175});
        ExpectNear(f->m_pt2, {125, 175});
        ExpectNear(f->m_pt4, {125, 75});
        f->SetHandlePoint(6, 100, 200, 1.0);
        ExpectNear(f->m_pt2, {100, 200});
        ExpectNear(f->m_pt1, {175, 75}); // the anchor stays
        // Still a rectangle: neighbouring edges at right angles.
        EXPECT_NEAR(Dot(f->m_pt3 - f->m_pt1, f->m_pt4 - f->m_pt1), 0.0, 1e-6) << k.type;
        EXPECT_NEAR(Dot(f->m_pt3 - f->m_pt2, f->m_pt4 - f->m_pt2), 0.0, 1e-6) << k.type;
    }
}

TEST(RotatableFigures, OtherHandlesResizeWithoutTheMinimumBand) {
    CRotatableEllipse turnable;
    SetUnitFrame(turnable);
    turnable.SetHandlePoint(3, 50, 50, 1.0); // onto handle 7
    EXPECT_EQ(turnable.m_pt1, (CDoublePoint{0, 50}));
    EXPECT_EQ(turnable.GetHandlePoint(3, 1.0), turnable.GetHandlePoint(7, 1.0));

    CEllipse plain;
    SetUnitFrame(plain);
    plain.SetHandlePoint(3, 50, 50, 1.0);
    EXPECT_EQ(plain.m_pt1, (CDoublePoint{0, 35}));
}

TEST(RotatableFigures, CloneIsACopyOfTheTurnedFigure) {
    for (const Kind& k : kKinds) {
        auto f = k.make();
        SetExampleFrame(*f);
        f->SetHandlePoint(4, 150, 25, 1.0);
        f->m_bSelected = true;
        auto copy = f->Clone();
        auto& c = static_cast<CFramedFigure&>(*copy);
        EXPECT_EQ(c.m_pt1, f->m_pt1) << k.type;
        EXPECT_EQ(c.m_pt3, f->m_pt3) << k.type;
        EXPECT_EQ(c.m_pt2, f->m_pt2) << k.type;
        EXPECT_EQ(c.m_pt4, f->m_pt4) << k.type;
        EXPECT_EQ(c.m_strType, k.type);
        EXPECT_TRUE(c.m_bSelected);
        // The copy still turns: back to the original direction.
        c.SetHandlePoint(4, 250, 75, 1.0);
        ExpectNear(c.m_pt3, {200, 100}, 1e-9);
    }
}

} // namespace
