#include "figures/TextFigures.h"
#include "common/RecordingSurface.h"
#include "figures/FrameTestUtil.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

struct Kind {
    const char* type;
    std::function<std::unique_ptr<CFigure>()> make;
};

const Kind kKinds[] = {
    {"TextRectangle", [] { return std::make_unique<CTextRectangle>(); }},
    {"TextEllipse", [] { return std::make_unique<CTextEllipse>(); }},
    {"TextRhomb", [] { return std::make_unique<CTextRhomb>(); }},
};

TEST(TextFigures, NewFiguresHaveTheirTypeNameAndAnEmptyText) {
    for (const Kind& k : kKinds) {
        const auto prototype = k.make();
        const auto f = prototype->Clone();
        EXPECT_EQ(f->m_strType, k.type);
        std::string* text = GetFigureText(*f);
        ASSERT_NE(text, nullptr) << k.type;
        EXPECT_EQ(*text, "");
    }
    CRectangle rect;
    CEllipse ellipse;
    CRhomb rhomb;
    CPictureFigure picture;
    for (CFigure* f : std::initializer_list<CFigure*>{&rect, &ellipse, &rhomb, &picture})
        EXPECT_EQ(GetFigureText(*f), nullptr) << f->m_strType;
}

TEST(TextFigures, CloneCopiesTheTextIndependently) {
    for (const Kind& k : kKinds) {
        auto f = k.make();
        f->SetPoints(10, 20, 110, 70, 1.0);
        *GetFigureText(*f) = "50% & {x}";
        auto copy = f->Clone();
        EXPECT_EQ(*GetFigureText(*copy), "50% & {x}") << k.type;
        EXPECT_EQ(copy->GetBoundingRect(1.0), (CRect{10, 20, 110, 70})) << k.type;
        *GetFigureText(*copy) = "other";
        EXPECT_EQ(*GetFigureText(*f), "50% & {x}") << k.type;
    }
    CTextRhomb r;
    r.SetText("abc");
    EXPECT_EQ(r.GetText(), "abc");
}

TEST(TextFigures, TextIsCentredInTheSquareOfHalfTheTopEdge) {
    const struct {
        int x1, y1, x2, y2;
        double zoom;
        int dx, dy;
        CRect square;
    } cases[] = {
        {100, 100, 200, 150, 1.0, 0, 0, {100, 75, 200, 175}},
        {100, 100, 200, 150, 1.0, 7, 9, {107, 84, 207, 184}},
        {200, 200, 400, 300, 2.0, 0, 0, {200, 150, 400, 350}}, // the square doubles at zoom 2
        {0, 0, 101, 50, 1.0, 0, 0, {1, -25, 101, 75}},         // r = floor(50.5) around (51, 25)
        {0, 0, 20, 200, 1.0, 0, 0, {0, 90, 20, 110}},          // tall and narrow: clipped to 20
    };
    for (const Kind& k : kKinds) {
        for (const auto& c : cases) {
            auto f = k.make();
            f->SetPoints(c.x1, c.y1, c.x2, c.y2, c.zoom);
            *GetFigureText(*f) = "Label";
            CRecordingSurface dc;
            f->Draw(dc, c.zoom, c.dx, c.dy);
            const auto texts = dc.OfKind(CDrawCall::Text);
            ASSERT_EQ(texts.size(), 1u) << k.type;
            EXPECT_EQ(texts[0].rect, c.square) << k.type;
            EXPECT_EQ(texts[0].text, "Label");
        }
    }
}

TEST(TextFigures, TextOrderAndEmptyText) {
    // The rectangle draws its outline after the text; the others draw their shape first.
    const struct {
        int kind;
        CDrawCall::EKind first, last;
        size_t count;
    } cases[] = {{0, CDrawCall::Text, CDrawCall::Pixel, 9},
                 {1, CDrawCall::Bezier, CDrawCall::Text, 2},
                 {2, CDrawCall::Line, CDrawCall::Text, 9}};
    for (const auto& c : cases) {
        auto f = kKinds[c.kind].make();
        f->SetPoints(0, 0, 100, 50, 1.0);
        CRecordingSurface empty;
        f->Draw(empty, 1.0, 0, 0);
        EXPECT_EQ(empty.OfKind(CDrawCall::Text).size(), 0u) << kKinds[c.kind].type;
        EXPECT_EQ(empty.calls.size(), c.count - 1) << kKinds[c.kind].type;

        *GetFigureText(*f) = "x";
        CRecordingSurface dc;
        f->Draw(dc, 1.0, 0, 0);
        ASSERT_EQ(dc.calls.size(), c.count) << kKinds[c.kind].type;
        EXPECT_EQ(dc.calls.front().kind, c.first) << kKinds[c.kind].type;
        EXPECT_EQ(dc.calls.back().kind, c.last) << kKinds[c.kind].type;
    }
}

TEST(TextFigures, TextTakesNoPartInHitTesting) {
    for (const Kind& k : kKinds) {
        auto f = k.make();
        f->SetPoints(100, 100, 200, 150, 1.0);
        *GetFigureText(*f) = "A long text over the whole figure";
        EXPECT_FALSE(f->HitTest({150, 125}, 1.0)) << k.type;
        EXPECT_EQ(f->GetBoundingRect(1.0), (CRect{100, 100, 200, 150})) << k.type;
    }
}

TEST(TextFigures, OneLineTextTurnsLineBreaksAndControlsIntoSpaces) {
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"a\nb", "a b"},
        {"a\r\nb\rc", "a b c"},
        {"tab\there\x7f", "tab here "},
        {"\xE2\x80\xA8sep\xE2\x80\xA9", " sep "},                             // U+2028, U+2029
        {"\xC2\x85next", " next"},                                            // U+0085
        {"\xC3\xA9 \xE2\x88\x91 {%$&} \\", "\xC3\xA9 \xE2\x88\x91 {%$&} \\"}, // kept
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.out, OneLineText(c.in)) << c.in;
}

} // namespace
