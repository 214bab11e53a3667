// A drawing written, read and written again comes back byte for byte (within rounding only where
// the block holds rounded points), with the same figure classes, geometry and texts.
#include "ReaderTestUtil.h"
#include "common/GeometryPrinters.h"

#include <random>

namespace {

template <class T>
T* AddFigure(CFigureList& list, int x1, int y1, int x2, int y2, double zoom = 1.0) {
    auto f = std::make_unique<T>();
    f->SetPoints(x1, y1, x2, y2, zoom);
    T* raw = f.get();
    list.Add(std::move(f));
    return raw;
}

template <class T>
T* AddText(CFigureList& list, int x1, int y1, int x2, int y2, const std::string& text,
           double zoom = 1.0) {
    T* f = AddFigure<T>(list, x1, y1, x2, y2, zoom);
    f->SetText(text);
    return f;
}

// One figure of every kind, as the canvas leaves them: grid line, start-up picture, line, dotted
// line, arrow, the three text figures, Bezier curve, plain rectangle, turned rectangle, rhomb.
void AddEveryKind(CFigureList& list) {
    auto grid = std::make_unique<CLine>();
    grid->m_strTag = "VertGridLine";
    grid->m_crColor = 0xFF828A;
    grid->m_bSelectable = false;
    list.Add(std::move(grid));
    AddFigure<CPictureFigure>(list, 7, 4, 49, 49);
    AddFigure<CLine>(list, 240, 240, 340, 340);
    AddFigure<CLine>(list, 0, 0, 681, 801)->m_nPenStyle = kPenStyleDotted;
    AddFigure<CArrow>(list, 100, 500, 30, 20);
    AddText<CTextRectangle>(list, 100, 100, 200, 150, "Label");
    AddText<CTextEllipse>(list, 300, 80, 200, 40, "$\\alpha^2$");
    AddText<CTextRhomb>(list, 50, 600, 250, 700, "{x}");
    AddFigure<CBezierCurve>(list, 100, 100, 200, 150);
    AddFigure<CRectangle>(list, 400, 400, 480, 430);
    auto* turned = AddFigure<CRotatableRectangle>(list, 100, 100, 200, 150);
    TurnFrameToward(*turned, {150, 25});
    AddFigure<CRhomb>(list, 500, 500, 600, 560);
}

TEST(ReaderRoundTrip, EveryKindComesBackByteForByte) {
    CFigureList drawing;
    AddEveryKind(drawing);
    const std::string written = MakeTeXDrawDocument(drawing);

    CReadBack back = ReadBack(written);
    ASSERT_TRUE(back.result.ok) << back.result.error;
    EXPECT_EQ(back.result.nUnrecognised, 0);
    EXPECT_EQ(back.result.nApproximated, 0);
    // The grid writes nothing; the start-up picture in its start-up frame comes back as the
    // picture; an axis-parallel frame is a plain rectangle, a turned one a turnable one.
    const std::vector<std::string> expected{
        "Picture",     "Line",      "DottedLine", "Arrow",     "TextRectangle",
        "TextEllipse", "TextRhomb", "Bezier",     "Rectangle", "RotatableRectangle",
        "Rhomb"};
    EXPECT_EQ(ClassesOf(back.list), expected);
    EXPECT_EQ(MakeTeXDrawDocument(back.list), written);

    // Geometry and texts, not only their text form, are those drawn.
    auto* text = dynamic_cast<CTextRectangle*>(back.list.GetAt(4));
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->GetText(), "Label");
    EXPECT_EQ(text->m_pt1, (CDoublePoint{100, 100}));
    EXPECT_EQ(text->m_pt3, (CDoublePoint{200, 100}));
    EXPECT_EQ(text->m_pt2, (CDoublePoint{200, 150}));
    EXPECT_EQ(text->m_pt4, (CDoublePoint{100, 150}));
    auto* ellipse = dynamic_cast<CTextEllipse*>(back.list.GetAt(5));
    ASSERT_NE(ellipse, nullptr);
    EXPECT_EQ(ellipse->m_pt1, (CDoublePoint{300, 80}));
    EXPECT_EQ(ellipse->m_pt2, (CDoublePoint{200, 40}));
    auto* rhomb = dynamic_cast<CTextRhomb*>(back.list.GetAt(6));
    ASSERT_NE(rhomb, nullptr);
    EXPECT_EQ(rhomb->m_pt1, (CDoublePoint{50, 600}));
    EXPECT_EQ(rhomb->m_pt2, (CDoublePoint{250, 700}));
    EXPECT_EQ(rhomb->GetText(), "{x}");
    auto* curve = dynamic_cast<CBezierCurve*>(back.list.GetAt(7));
    ASSERT_NE(curve, nullptr);
    EXPECT_EQ(curve->m_pt1, (CDoublePoint{100, 100})); // start
    EXPECT_EQ(curve->m_pt3, (CDoublePoint{200, 100})); // first control point
    EXPECT_EQ(curve->m_pt4, (CDoublePoint{100, 150})); // second control point
    EXPECT_EQ(curve->m_pt2, (CDoublePoint{200, 150})); // end
    for (int i = 0; i < back.list.GetCount(); ++i) {
        EXPECT_TRUE(back.list.GetAt(i)->m_bSelectable) << i;
        EXPECT_EQ(back.list.GetAt(i)->m_crColor, 0u) << i;
    }
}

// The picture is written as a plain rectangle: only its untouched start-up frame tells it apart.
TEST(ReaderRoundTrip, StartupPictureComesBackOnlyInItsStartupFrame) {
    CFigureList drawing;
    AddFigure<CPictureFigure>(drawing, 7, 4, 49, 49);
    AddFigure<CPictureFigure>(drawing, 17, 14, 59, 59);
    AddFigure<CRectangle>(drawing, 49, 49, 7, 4); // same corners, other order
    const std::string written = MakeTeXDrawDocument(drawing);

    CReadBack back = ReadBack(written);
    ASSERT_TRUE(back.result.ok) << back.result.error;
    EXPECT_EQ(ClassesOf(back.list),
              (std::vector<std::string>{"Picture", "Rectangle", "Rectangle"}));
    EXPECT_EQ(back.list.GetAt(0)->m_strType, "HappyNewYear :)");
    EXPECT_EQ(MakeTeXDrawDocument(back.list), written);
}

// A turned ellipse's block holds only the rounded points of its arcs: its corners come back
// within one page unit, and the second save writes what the second read reads (a fixed point).
TEST(ReaderRoundTrip, TurnedEllipseComesBackWithinOneUnit) {
    double worst = 0.0;
    for (int angle = 0; angle < 360; angle += 7) {
        for (const auto& size : {CSize{100, 50}, CSize{37, 91}, CSize{15, 15}, CSize{300, 16}}) {
            CFigureList drawing;
            auto* e = AddFigure<CRotatableEllipse>(drawing, 200, 300, 200 + size.cx, 300 + size.cy);
            const CDoublePoint c = (e->m_pt1 + e->m_pt2) * 0.5;
            const double a = angle * 3.14159265358979 / 180.0;
            TurnFrameToward(*e, c + CDoublePoint{std::cos(a), std::sin(a)} * 100.0);
            const std::string written = MakeTeXDrawDocument(drawing);

            CReadBack back = ReadBack(written);
            ASSERT_TRUE(back.result.ok) << back.result.error;
            ASSERT_EQ(ClassesOf(back.list), std::vector<std::string>{"RotatableEllipse"})
                << "angle " << angle;
            // The block is made from the corners rounded to whole units; those come back within
            // a unit (several whole-unit frames can give the very same arcs).
            const auto* r = static_cast<CFramedFigure*>(back.list.GetAt(0));
            for (int h : {kHandleStart, kHandleTopRight, kHandleEnd, kHandleBottomLeft}) {
                const CPoint got = r->GetHandlePoint(h, 1.0), want = e->GetHandlePoint(h, 1.0);
                worst = std::max({worst, std::fabs(got.x - want.x), std::fabs(got.y - want.y)});
            }
            const std::string again = MakeTeXDrawDocument(back.list);
            ExpectSameWithin(again, written, 0.02);
            CReadBack second = ReadBack(again);
            ASSERT_TRUE(second.result.ok);
            EXPECT_EQ(second.result.nApproximated, 0) << "angle " << angle;
            EXPECT_EQ(MakeTeXDrawDocument(second.list), again);
        }
    }
    EXPECT_LE(worst, 1.0);
}

// A rhomb is written through its midpoints; corners off whole units may move its midpoints by
// 0.01 on the way back, and nothing more.
TEST(ReaderRoundTrip, RhombOffWholeUnitsComesBackWithinRounding) {
    for (double zoom : {2.0, 3.0, 0.7, 4.0}) {
        for (int i = 0; i < 20; ++i) {
            CFigureList drawing;
            AddFigure<CRhomb>(drawing, 101 + i, 203 + 3 * i, 187 + 5 * i, 411 - i, zoom);
            AddText<CTextRhomb>(drawing, 17 + 7 * i, 29 + i, 301 - i, 133 + 11 * i, "R", zoom);
            const std::string written = MakeTeXDrawDocument(drawing);
            CReadBack back = ReadBack(written);
            ASSERT_TRUE(back.result.ok) << back.result.error;
            EXPECT_EQ(ClassesOf(back.list), (std::vector<std::string>{"Rhomb", "TextRhomb"}));
            ExpectSameWithin(MakeTeXDrawDocument(back.list), written, 0.01);
        }
    }
}

// Random drawings as the canvas makes them at any zoom: creation drags, handle drags, turns,
// texts. Everything but turned ellipses and rhombs (checked above) comes back exactly.
TEST(ReaderRoundTrip, RandomDrawingsComeBackExactly) {
    std::mt19937 rng(20261207);
    const std::vector<double> zooms{1.0, 2.0, 0.5, 3.0, 0.3, 1.7, 8.0};
    const std::vector<std::string> texts{"",   "A",           "x_1 + y^2",  "{}",
                                         "}{", "50% & $\\#$", "Grüße, 日本"};
    auto coord = [&](int hi) { return std::uniform_int_distribution<int>(-50, hi)(rng); };
    for (int round = 0; round < 300; ++round) {
        CFigureList drawing;
        const int wanted = std::uniform_int_distribution<int>(1, 12)(rng);
        int count = wanted;
        for (int n = 0; n < wanted; ++n) {
            const double zoom = zooms[rng() % zooms.size()];
            const int w = int(681 * zoom), h = int(801 * zoom);
            const int x1 = coord(w), y1 = coord(h), x2 = coord(w), y2 = coord(h);
            const std::string& text = texts[rng() % texts.size()];
            CFigure* f = nullptr;
            switch (rng() % 14) {
            case 0:
                f = AddFigure<CLine>(drawing, x1, y1, x2, y2, zoom);
                f->m_nPenStyle = rng() % 2 ? kPenStyleDotted : kPenStyleSolid;
                break;
            case 1:
                f = AddFigure<CArrow>(drawing, x1, y1, x2, y2, zoom);
                break;
            case 2:
                f = AddText<CTextRectangle>(drawing, x1, y1, x2, y2, text, zoom);
                break;
            case 3:
                f = AddText<CTextEllipse>(drawing, x1, y1, x2, y2, text, zoom);
                break;
            case 4:
                f = AddFigure<CBezierCurve>(drawing, x1, y1, x2, y2, zoom);
                break;
            case 5:
                f = AddFigure<CRectangle>(drawing, x1, y1, x2, y2, zoom);
                break;
            case 6: {
                auto* r = AddFigure<CRotatableRectangle>(drawing, x1, y1, x2, y2, zoom);
                TurnFrameToward(*r, {double(coord(700)), double(coord(800))});
                f = r;
                break;
            }
            case 7:
                f = AddFigure<CPictureFigure>(drawing, x1, y1, x2, y2, zoom);
                break;
            case 8:
                f = AddFigure<CCircle>(drawing, x1, y1, x1 + 1 + coord(99), y2, zoom);
                break;
            case 9:
                f = AddFigure<CAxisEllipse>(drawing, x1, y1, x1 + 1 + coord(99), y1 + 1 + coord(99),
                                            zoom);
                break;
            case 10:
                f = AddFigure<CArc>(drawing, x1, y1, x2 + 1, y2, zoom);
                f->SetHandlePoint(kHandleArcStart, coord(w), coord(h), zoom);
                f->SetHandlePoint(kHandleArcEnd, coord(w), coord(h), zoom);
                break;
            case 11:
            case 12: {
                auto* p = AddFigure<CPolyline>(drawing, x1, y1, x2 + 1, y2, zoom);
                for (int k = int(rng() % 4); k > 0; --k)
                    p->InsertCorner(0);
                p->SetHandlePoint(kHandleCorner + 1, coord(w), coord(h), zoom);
                if (rng() % 2 && p->GetCornerCount() >= 3)
                    p->Close();
                // Half of them paths, some pieces curved and a control point dragged.
                if (rng() % 2) {
                    p->MakePath();
                    for (int k = 0; k < p->GetPieceCount(); ++k)
                        if (rng() % 2)
                            p->MakePieceCurved(k);
                    p->SetHandlePoint(kHandleControl + int(rng() % (2 * p->GetPieceCount())),
                                      coord(w), coord(h), zoom);
                }
                f = p;
                break;
            }
            default: {
                auto* label = AddFigure<CLabel>(drawing, x1, y1, x2, y2, zoom);
                label->m_strText = text.empty() ? "A" : text;
                label->m_cVRef = "TCB"[rng() % 3];
                label->m_dAngle = rng() % 2 ? 90.0 : 0.0;
                f = label;
                break;
            }
            }
            // Half of them dragged by a handle afterwards, as the release and later edits do.
            if (rng() % 2)
                f->SetHandlePoint(int(2 + rng() % 8), coord(w), coord(h), zoom);
            // A shape dragged down to nothing is not drawn (the canvas refuses it).
            if (!f->WhyNotDrawable().empty()) {
                drawing.RemoveAndDelete(drawing.GetCount() - 1);
                --count;
            }
        }
        const std::string written = MakeTeXDrawDocument(drawing);
        CReadBack back = ReadBack(written);
        ASSERT_TRUE(back.result.ok) << back.result.error;
        EXPECT_EQ(back.result.nUnrecognised, 0) << written;
        EXPECT_EQ(back.result.nApproximated, 0) << written;
        ASSERT_EQ(back.list.GetCount(), count);
        ASSERT_EQ(MakeTeXDrawDocument(back.list), written) << "round " << round;
        for (int i = 0; i < count; ++i) {
            // Only the names matter to the rest of the program: a picture is a rectangle now.
            const std::string want = drawing.GetAt(i)->m_strType == "HappyNewYear :)"
                                         ? "Rectangle"
                                         : drawing.GetAt(i)->m_strType;
            EXPECT_EQ(back.list.GetAt(i)->m_strType, want) << i;
        }
    }
}

// TeXDraw's own shapes come back as the classes and numbers drawn; a block of one that the editor
// would not make (no radius, too few corners, no text) stays text, and the reader names its line.
TEST(ReaderRoundTrip, ShapesComeBackAndShapesThatCannotBeStayText) {
    CFigureList drawing;
    auto* circle = AddFigure<CCircle>(drawing, 100, 100, 130, 140);
    circle->m_style.fillGrey = 0.5;
    AddFigure<CAxisEllipse>(drawing, 300, 200, 250, 230);
    auto* arc = AddFigure<CArc>(drawing, 400, 400, 450, 400);
    arc->SetHandlePoint(kHandleArcStart, 300, 400, 1.0);
    auto* open = AddFigure<CPolyline>(drawing, 10, 10, 60, 10);
    open->InsertCorner(0);
    open->SetCorner(1, {35, 40});
    open->m_style.eHeads = EArrowHeads::Both;
    auto* polygon = AddFigure<CPolyline>(drawing, 10, 500, 90, 500);
    polygon->InsertCorner(0);
    polygon->SetCorner(1, {50, 560});
    polygon->Close();
    polygon->m_style.fillGrey = 0.25;
    auto* label = AddFigure<CLabel>(drawing, 200, 650, 0, 0);
    label->m_strText = "$x^2$ {}";
    label->m_cHRef = 'R';
    label->m_cVRef = 'T';
    label->m_dAngle = 30.0;
    const std::string written = MakeTeXDrawDocument(drawing);
    CReadBack back = ReadBack(written);
    ASSERT_TRUE(back.result.ok) << back.result.error;
    EXPECT_EQ(back.result.nUnrecognised, 0) << written;
    EXPECT_EQ(MakeTeXDrawDocument(back.list), written);
    ASSERT_EQ(back.list.GetCount(), 6);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(back.list.GetAt(i)->m_strType, drawing.GetAt(i)->m_strType) << i;
    EXPECT_EQ(dynamic_cast<CCircle&>(*back.list.GetAt(0)).m_dRadiusX, 50.0);
    EXPECT_EQ(dynamic_cast<CArc&>(*back.list.GetAt(2)).m_dStartAngle, 180.0);
    EXPECT_EQ(dynamic_cast<CPolyline&>(*back.list.GetAt(3)).GetCorners(),
              (std::vector<CDoublePoint>{{10, 10}, {35, 40}, {60, 10}}));
    EXPECT_EQ(dynamic_cast<CLabel&>(*back.list.GetAt(5)).m_strText, "$x^2$ {}");

    // Each between two figures that are read, so each is a stretch of its own.
    const std::string good = drawing.GetAt(0)->ExportTeX();
    const std::string bad = MakeTeXDrawDocument(
        "\n%begin circle\n\\move (1.00 -1.00)\n\\lcir r:0.00\n%end circle\n" + good +
        "\n%begin polygon\n\\move (1.00 -1.00)\n\\lvec (2.00 -1.00)\n\\lvec (1.00 -1.00)\n"
        "%end polygon\n" +
        good + "\n%begin label\n\\textref h:L v:B\n\\htext (1.00 -1.00){}\n%end label\n");
    CReadBack kept = ReadBack(bad);
    ASSERT_TRUE(kept.result.ok) << kept.result.error;
    EXPECT_EQ(kept.result.nUnrecognised, 3);
    std::vector<int> lines; // of the empty line before each block that stays text
    for (const char* begin : {"%begin circle", "%begin polygon", "%begin label"})
        lines.push_back(int(std::count(bad.begin(), bad.begin() + bad.find(begin), '\n')));
    EXPECT_EQ(kept.result.unrecognisedLines, lines);
    EXPECT_EQ(MakeTeXDrawDocument(kept.list), bad);
}

// The text is everything between the brace after the point and the last brace of its line,
// byte for byte: TeX markup, lone or unbalanced braces, percent signs, UTF-8.
TEST(ReaderRoundTrip, TextsComeBackByteForByte) {
    const std::vector<std::string> texts{
        "",
        "plain",
        "$\\frac{a}{b}$ \\textbf{bold}",
        "{",
        "}",
        "}{",
        "a}b{c}}",
        "{{{",
        "\\",
        "\\}",
        "100% & #_^~",
        "  spaces around  ",
        "Grüße – ½ € 日本語 😀",
        "\xff\xfe not UTF-8 \xc3",
        "}\n%end textrectangle",
        "two\nlines",
        "}\n\n%end textellipse\n}",
    };
    for (const std::string& text : texts) {
        CFigureList drawing;
        AddText<CTextRectangle>(drawing, 10, 10, 110, 60, text);
        AddText<CTextEllipse>(drawing, 10, 100, 110, 160, text);
        AddText<CTextRhomb>(drawing, 10, 200, 110, 260, text, 2.0);
        const std::string written = MakeTeXDrawDocument(drawing);
        CReadBack back = ReadBack(written);
        ASSERT_TRUE(back.result.ok) << back.result.error;
        EXPECT_EQ(MakeTeXDrawDocument(back.list), written) << text;
        // A text of several lines (earlier versions let a pasted one through) comes back too.
        ASSERT_EQ(ClassesOf(back.list),
                  (std::vector<std::string>{"TextRectangle", "TextEllipse", "TextRhomb"}))
            << text;
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(*GetFigureText(*back.list.GetAt(i)), text);
    }
}

// Figures that only the nearest frame can give back: an ellipse whose frame was squeezed onto the
// page's bottom edge and dragged by one corner, and a rhomb drawn at zoom 3 (corners off whole
// units). Each comes back as a figure, and the untouched drawing saves to the same bytes; once
// changed, a figure writes its own block again.
TEST(ReaderRoundTrip, FiguresFoundWithinRoundingKeepTheirBlockUntilChanged) {
    CFigureList drawing;
    auto squeezed = std::make_unique<CRotatableEllipse>();
    squeezed->m_pt1 = squeezed->m_pt3 = squeezed->m_pt4 = {0, 800};
    squeezed->m_pt2 = {680, 800};
    drawing.Add(std::move(squeezed));
    auto* turned = AddFigure<CRotatableEllipse>(drawing, 100, 100, 300, 220);
    TurnFrameToward(*turned, {320, 37});
    AddFigure<CRhomb>(drawing, 301, 202, 500, 451, 3.0);
    AddText<CTextRhomb>(drawing, 1201, 1502, 1700, 1951, "off whole units", 3.0);
    const std::string written = MakeTeXDrawDocument(drawing);

    CReadBack back = ReadBack(written);
    ASSERT_TRUE(back.result.ok) << back.result.error;
    EXPECT_EQ(0, back.result.nUnrecognised);
    EXPECT_EQ(
        ClassesOf(back.list),
        (std::vector<std::string>{"RotatableEllipse", "RotatableEllipse", "Rhomb", "TextRhomb"}));
    EXPECT_EQ(written, MakeTeXDrawDocument(back.list));
    CReadBack again = ReadBack(MakeTeXDrawDocument(back.list));
    EXPECT_EQ(written, MakeTeXDrawDocument(again.list));

    for (int i = 0; i < back.list.GetCount(); ++i) {
        CFigure* f = back.list.GetAt(i);
        f->MoveBy(10, 0);
        EXPECT_EQ(f->ExportTeX(), f->GetTeXDrawBlock()) << i;
    }
}

} // namespace
