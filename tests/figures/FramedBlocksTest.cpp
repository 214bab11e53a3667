#include "figures/BezierCurve.h"
#include "figures/Ellipse.h"
#include "figures/Rectangle.h"
#include "figures/RotatableFigures.h"
#include "figures/TextFigures.h"

#include <gtest/gtest.h>

namespace {

const char* const kRectangle100x50 = "\n"
                                     "%begin rectangle\n"
                                     "\\move(0.00 -0.00)\n"
                                     "\\lvec(0.00 -0.50)\n"
                                     "\\move(0.00 -0.00)\n"
                                     "\\lvec(1.00 -0.00)\n"
                                     "\\move(1.00 -0.50)\n"
                                     "\\lvec(1.00 -0.00)\n"
                                     "\\move(1.00 -0.50)\n"
                                     "\\lvec(0.00 -0.50)\n"
                                     "%end rectangle\n";

const char* const kRhomb100x50 = "\n"
                                 "%begin rhomb\n"
                                 "\\move(0.50 -0.00)\n"
                                 "\\lvec(1.00 -0.25)\n"
                                 "\\lvec(0.50 -0.50)\n"
                                 "\\lvec(0.00 -0.25)\n"
                                 "\\lvec(0.50 -0.00)\n"
                                 "%end rhomb\n";

const char* const kEllipse100x50 = "\n"
                                   "%begin ellipse\n"
                                   "\\move(0.00 -0.25)\n"
                                   "\\clvec(0.00 -0.12)(0.22 -0.00)(0.50 -0.00)\n"
                                   "\\move(0.50 -0.00)\n"
                                   "\\clvec(0.78 -0.00)(1.00 -0.12)(1.00 -0.25)\n"
                                   "\\move(1.00 -0.25)\n"
                                   "\\clvec(1.00 -0.38)(0.78 -0.50)(0.50 -0.50)\n"
                                   "\\move(0.50 -0.50)\n"
                                   "\\clvec(0.22 -0.50)(0.00 -0.38)(0.00 -0.25)\n"
                                   "%end ellipse\n";

// The first prefix.size() characters, so a failure shows what the block starts with.
std::string Head(const std::string& text, const std::string& prefix) {
    return text.substr(0, prefix.size());
}

std::string TextBlock(const std::string& kind, const std::string& shape, const std::string& at,
                      const std::string& text) {
    return "%begin " + kind + "\n" + shape + "\n\\textref h:C v:C\n\\htext " + at + "{" + text +
           "}\n%end " + kind + "\n";
}

TEST(FramedBlocks, RectangleWritesFourStrokes) {
    CRectangle f;
    f.SetPoints(100, 100, 200, 150, 1.0);
    EXPECT_EQ(f.ExportTeX(), "\n%begin rectangle\n"
                             "\\move(1.00 -1.00)\n\\lvec(1.00 -1.50)\n"
                             "\\move(1.00 -1.00)\n\\lvec(2.00 -1.00)\n"
                             "\\move(2.00 -1.50)\n\\lvec(2.00 -1.00)\n"
                             "\\move(2.00 -1.50)\n\\lvec(1.00 -1.50)\n"
                             "%end rectangle\n");
    CFramedFigure framed;
    framed.SetPoints(0, 0, 100, 50, 1.0);
    EXPECT_EQ(framed.ExportTeX(), kRectangle100x50);
}

TEST(FramedBlocks, StartUpPictureIsWrittenAsItsFrame) {
    CPictureFigure f;
    f.SetPoints(7, 4, 49, 49, 1.0);
    const std::string text = f.ExportTeX();
    const std::string start = "\n%begin rectangle\n\\move(0.07 -0.04)\n\\lvec(0.07 -0.49)\n";
    EXPECT_EQ(Head(text, start), start);
    EXPECT_EQ(text.size(), std::string(kRectangle100x50).size());
}

TEST(FramedBlocks, RhombIsOneClosedPathThroughTheEdgeMidpoints) {
    CRhomb f;
    f.SetPoints(0, 0, 100, 50, 1.0);
    EXPECT_EQ(f.ExportTeX(), kRhomb100x50);
    // The midpoints are not rounded to whole units: x = -27.6 is written -0.28, where rounding
    // first would give -27 and so -0.27.
    CRhomb g;
    g.m_pt1 = {-55.2, 0};
    g.m_pt3 = {0, 0};
    g.m_pt2 = {0, 10};
    g.m_pt4 = {-55.2, 10};
    EXPECT_EQ(g.ExportTeX(), "\n%begin rhomb\n"
                             "\\move(-0.28 -0.00)\n"
                             "\\lvec(0.00 -0.05)\n"
                             "\\lvec(-0.28 -0.10)\n"
                             "\\lvec(-0.55 -0.05)\n"
                             "\\lvec(-0.28 -0.00)\n"
                             "%end rhomb\n");
}

TEST(FramedBlocks, EllipseWritesTheFourArcsOfTheRoundedCorners) {
    CEllipse f;
    f.SetPoints(0, 0, 100, 50, 1.0);
    EXPECT_EQ(f.ExportTeX(), kEllipse100x50);
    // Corners a fraction off whole units give the same arcs.
    f.MoveBy(0.3, -0.2);
    EXPECT_EQ(f.ExportTeX(), kEllipse100x50);
}

TEST(FramedBlocks, BezierWritesItsPointsRoundedToWholeUnits) {
    CBezierCurve f;
    f.SetPoints(100, 100, 200, 150, 1.0);
    EXPECT_EQ(f.ExportTeX(), "\n%begin bz\n"
                             "\\move(1.00 -1.00)\n"
                             "\\clvec(2.00 -1.00)(1.00 -1.50)(2.00 -1.50)\n"
                             "%end bz\n");
    f.m_pt1 = {10.4, 20.6};
    const std::string start = "\n%begin bz\n\\move(0.10 -0.21)\n";
    EXPECT_EQ(Head(f.ExportTeX(), start), start);
}

TEST(FramedBlocks, TextBlocksWrapTheShapeAndKeepTheTextUnchanged) {
    const std::string centre = "(0.50 -0.25)";
    const struct {
        const char* kind;
        std::unique_ptr<CFigure> figure;
        const char* shape;
    } cases[] = {
        {"textrectangle", std::make_unique<CTextRectangle>(), kRectangle100x50},
        {"textellipse", std::make_unique<CTextEllipse>(), kEllipse100x50},
        {"textrhomb", std::make_unique<CTextRhomb>(), kRhomb100x50},
    };
    for (const auto& c : cases) {
        c.figure->SetPoints(0, 0, 100, 50, 1.0);
        EXPECT_EQ(c.figure->ExportTeX(), TextBlock(c.kind, c.shape, centre, "")) << c.kind;
        const std::string special = "50% & {braces} \\relax $x_1$ #";
        *GetFigureText(*c.figure) = special;
        EXPECT_EQ(c.figure->ExportTeX(), TextBlock(c.kind, c.shape, centre, special)) << c.kind;
    }
}

TEST(FramedBlocks, TextLineSitsAtTheCentreOfTheStoredCorners) {
    CTextRectangle f;
    f.SetPoints(240, 240, 340, 340, 1.0);
    f.SetText("Label");
    const std::string text = f.ExportTeX();
    EXPECT_NE(text.find("%end rectangle\n\n\\textref h:C v:C\n\\htext (2.90 -2.90){Label}\n"
                        "%end textrectangle\n"),
              std::string::npos)
        << text;
    // The centre is not rounded: 0.005 x (0 + 101) = 0.505 is written with two decimals.
    CTextEllipse e;
    e.m_pt1 = {0, 0};
    e.m_pt2 = {101.2, 0};
    e.m_pt3 = {101.2, 0};
    e.m_pt4 = {0, 0};
    EXPECT_NE(e.ExportTeX().find("\\htext (0.51 -0.00){}\n"), std::string::npos) << e.ExportTeX();
}

TEST(FramedBlocks, TurnedFiguresExportTheirTurnedCorners) {
    CRotatableRectangle r;
    r.SetPoints(100, 100, 200, 150, 1.0);
    r.SetHandlePoint(4, 200, 225, 1.0); // a quarter turn about (150, 125)
    EXPECT_EQ(r.ExportTeX(), "\n%begin rectangle\n"
                             "\\move(1.75 -0.75)\n\\lvec(1.25 -0.75)\n"
                             "\\move(1.75 -0.75)\n\\lvec(1.75 -1.75)\n"
                             "\\move(1.25 -1.75)\n\\lvec(1.75 -1.75)\n"
                             "\\move(1.25 -1.75)\n\\lvec(1.25 -0.75)\n"
                             "%end rectangle\n");
    CRotatableEllipse e;
    e.SetPoints(100, 100, 200, 150, 1.0);
    e.SetHandlePoint(4, 200, 225, 1.0);
    const auto q = MakeEllipseBezier({175, 75}, {175, 175}, {125, 175}, {125, 75});
    EXPECT_EQ(q[0], (CPoint{150, 75}));
    EXPECT_NE(e.ExportTeX().find("%begin ellipse\n\\move(1.50 -0.75)\n"), std::string::npos)
        << e.ExportTeX();
    EXPECT_EQ(e.m_strType, "Ellipse");
}

} // namespace
