// The whole canvas painted through the Qt surface into a 1000 x 900 image: surroundings, paper,
// page, grid, figures and the handles of the selected ones in real pixels. With
// QUODRA_RENDER_DIR set the image is also written there as canvas.png.
#include "app/QtSurface.h"
#include "canvas/FakeHost.h"
#include "figures/BezierCurve.h"
#include "figures/Line.h"
#include "figures/TextFigures.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

QRgb Rgb(COLORREF c) {
    return qRgb(GetRValue(c), GetGValue(c), GetBValue(c)) & 0xFFFFFF;
}

QImage Paint(CQuodra& canvas, QSize size) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    CQtSurface surface(painter);
    canvas.OnPaint(surface);
    painter.end();
    return image;
}

TEST(CanvasRender, WholeCanvasAtActualSize) {
    CCanvasFixture f({1000, 900});
    const auto draw = [&f](std::unique_ptr<CFigure> tool, CPoint a, CPoint b) {
        f.canvas.SetToolFigure(std::move(tool));
        f.Drag(f.ClientOf(a), f.ClientOf(b));
    };
    f.SnapSwitches(false, false, false);
    draw(std::make_unique<CLine>(), {80, 120}, {300, 200});
    auto dotted = std::make_unique<CLine>();
    dotted->m_nPenStyle = 2;
    draw(std::move(dotted), {80, 240}, {300, 240});
    draw(std::make_unique<CArrow>(), {350, 120}, {600, 260});
    draw(std::make_unique<CTextRectangle>(), {80, 320}, {280, 420});
    f.host.propertiesAnswers.push_back("Quodra");
    f.canvas.OnLButtonDblClk(f.ClientOf({180, 320}));
    draw(std::make_unique<CTextEllipse>(), {340, 320}, {600, 440});
    draw(std::make_unique<CTextRhomb>(), {80, 500}, {300, 640});
    draw(std::make_unique<CBezierCurve>(), {380, 520}, {620, 700});
    // Select the text rectangle, then add the arrow and the rhomb with Ctrl on their outlines.
    f.Click(f.ClientOf({130, 320}));
    f.Click(f.ClientOf({475, 190}), true);
    f.Click(f.ClientOf({80, 540}), true);
    int selected = 0;
    for (int i = 0; i < f.canvas.GetFigures().GetCount(); ++i)
        selected += f.canvas.GetFigures().GetAt(i)->m_bSelected;
    ASSERT_EQ(3, selected);

    const QImage image = Paint(f.canvas, {1000, 900});
    if (const char* dir = std::getenv("QUODRA_RENDER_DIR"))
        image.save(QString::fromStdString(std::string(dir) + "/canvas.png"));

    const auto at = [&image](int x, int y) { return image.pixel(x, y) & 0xFFFFFF; };
    // Paper from (153, 43), page from (160, 50): every pixel of the window is painted.
    EXPECT_EQ(Rgb(f.canvas.m_clrOutside), at(0, 0));
    EXPECT_EQ(Rgb(f.canvas.m_clrOutside), at(999, 899));
    EXPECT_EQ(Rgb(f.canvas.m_clrPaper), at(153, 43));
    EXPECT_EQ(Rgb(f.canvas.m_clrPaper), at(159, 500));
    EXPECT_EQ(Rgb(f.canvas.m_clrOutside), at(152, 500));
    EXPECT_EQ(0xFFFFFFu, at(160 + 650, 50 + 790));
    // The grid: vertical line x = 53 and horizontal y = 53 in page units.
    EXPECT_EQ(Rgb(RGB(138, 130, 255)), at(160 + 53, 50 + 700));
    EXPECT_EQ(Rgb(RGB(138, 130, 255)), at(160 + 640, 50 + 53));
    // A blue handle at the selected text rectangle's top-left corner, none on the unselected
    // ellipse's.
    EXPECT_EQ(0x0000FFu, at(160 + 80, 50 + 320));
    EXPECT_NE(0x0000FFu, at(160 + 340, 50 + 320));
    // The red end pixel of the dotted line.
    EXPECT_EQ(0xFF0000u, at(160 + 300, 50 + 240));

    // The grid hidden: the same spot shows the page.
    f.canvas.SetGridVisible(false);
    const QImage hidden = Paint(f.canvas, {1000, 900});
    EXPECT_EQ(0xFFFFFFu, hidden.pixel(160 + 53, 50 + 700) & 0xFFFFFF);
}

} // namespace
