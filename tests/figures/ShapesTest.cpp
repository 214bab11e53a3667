// TeXDraw's own shapes as figures: over random shapes at several zooms, whatever they draw lies in
// their paint extent, their outline is hit and the paper beside it is not, a fill is hit inside,
// a band over a piece of the outline takes them, and their blocks name their kind.
#include "common/RandomDrawing.h"
#include "common/RecordingSurface.h"
#include "figures/StyledDraw.h"

#include <gtest/gtest.h>

namespace {

bool Inside(const CRect& r, CPoint p) {
    return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}

TEST(Shapes, DrawWithinTheirExtentAndAreHitWhereTheyShow) {
    CRandomDrawing gen(1208);
    for (int round = 0; round < 200; ++round) {
        const auto kind = static_cast<EFigureKind>(int(EFigureKind::Circle) + round % 7);
        auto f = gen.Make(kind);
        if (gen.Int(0, 1)) {
            CStyle style;
            style.dLineWidth = gen.Uniform(0.5, 12);
            style.fillGrey = gen.Uniform(0, 1);
            style.eHeads = static_cast<EArrowHeads>(gen.Int(0, 3));
            f->ApplyStyle(style, kStyleAll);
        }
        f->m_bSelected = true;
        const double zoom = std::vector{1.0, 0.5, 2.0, 3.7}[gen.Int(0, 3)];
        SCOPED_TRACE(f->ExportTeX() + " at zoom " + std::to_string(zoom));
        EXPECT_EQ(f->WhyNotDrawable(), "");
        const CRect extent = f->GetPaintExtent(zoom);
        CRecordingSurface dc;
        f->Paint(dc, zoom, 0, 0);
        ASSERT_FALSE(dc.calls.empty());
        for (const CDrawCall& c : dc.calls) {
            for (const CPoint& p : c.points)
                EXPECT_TRUE(Inside(extent, p)) << p.x << "," << p.y;
            if (c.kind == CDrawCall::Rectangle) {
                EXPECT_TRUE(Inside(extent, c.rect.TopLeft()) &&
                            Inside(extent, {c.rect.right - 1, c.rect.bottom - 1}));
            }
        }
        if (kind == EFigureKind::Label) {
            // Hit on its text's box, which the band takes too.
            const CRect box = f->GetBoundingRect(zoom);
            const CPoint mid{(box.left + box.right) / 2, (box.top + box.bottom) / 2};
            EXPECT_TRUE(f->HitTest(mid, zoom));
            EXPECT_FALSE(f->HitTest({box.right + 10, box.bottom + 10}, zoom));
            EXPECT_TRUE(f->IntersectsRect({mid.x - 1, mid.y - 1, mid.x + 2, mid.y + 2}, zoom));
            continue;
        }
        // A line piece of what it strokes: its pixels hit it, and a band over them takes it.
        std::vector<CDrawCall> lines = dc.OfKind(CDrawCall::Line);
        ASSERT_FALSE(lines.empty());
        const CPoint on = lines[lines.size() / 2].points[0];
        EXPECT_TRUE(f->HitTest(on, zoom)) << on.x << "," << on.y;
        EXPECT_TRUE(f->IntersectsRect({on.x - 2, on.y - 2, on.x + 3, on.y + 3}, zoom));
        const CRect box = f->GetBoundingRect(zoom);
        const int reach = std::max(4, RoundHalf(f->m_style.dLineWidth * zoom)) + 1;
        EXPECT_FALSE(f->HitTest({box.left - reach - 20, box.top - reach - 20}, zoom));
    }
}

TEST(Shapes, FillsAreHitInsideAndOpenShapesAreNot) {
    CCircle circle;
    circle.SetPoints(100, 100, 150, 100, 1.0);
    EXPECT_FALSE(circle.HitTest({100, 100}, 1.0));
    EXPECT_TRUE(circle.HitTest({150, 101}, 1.0));
    circle.m_style.fillGrey = 0.5;
    EXPECT_TRUE(circle.HitTest({100, 100}, 1.0));
    CPolyline polygon;
    polygon.SetCorners({{0, 0}, {100, 0}, {50, 80}});
    // An open polyline with a fill (read from a drawing that fills a path it leaves open) is
    // filled as if closed; none without one.
    EXPECT_FALSE(polygon.HitTest({50, 30}, 1.0));
    polygon.m_style.fillGrey = 0.5;
    EXPECT_TRUE(polygon.HitTest({50, 30}, 1.0));
    polygon.Close();
    EXPECT_TRUE(polygon.HitTest({50, 30}, 1.0));
    EXPECT_EQ(polygon.GetStyleCaps() & kStyleHeads, 0u);
    EXPECT_EQ(polygon.ExportTeX().substr(0, 16), "\n%begin polygon\n");
}

} // namespace
