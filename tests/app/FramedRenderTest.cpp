// The framed figures painted through the Qt surface into real pixels: red end pixels, pen
// widths, the ellipse without its frame, the text inside its square, the start-up picture.
// With QUODRA_RENDER_DIR set, one figure of every kind is also written to PNG files there.
#include "app/QtSurface.h"
#include "figures/BezierCurve.h"
#include "figures/Line.h"
#include "figures/Rectangle.h"
#include "figures/RotatableFigures.h"
#include "figures/TextFigures.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include <unistd.h>

namespace {

const std::string kPicturePath =
    (std::filesystem::path(__FILE__).parent_path() / ".." / ".." / "res" / "hny.gif").string();

QImage Render(const CFigure& f, double zoom, QSize size, int dx = 0, int dy = 0) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    CQtSurface surface(painter);
    f.Paint(surface, zoom, dx, dy);
    painter.end();
    return image;
}

QRgb At(const QImage& image, int x, int y) {
    return image.pixel(x, y) & 0xFFFFFF;
}

const QRgb kWhite = 0xFFFFFF, kBlack = 0x000000, kRed = 0xFF0000;

// The smallest rectangle around the pixels where two images differ; empty when they agree.
QRect DifferenceBounds(const QImage& a, const QImage& b) {
    QRect r;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                r = r.united(QRect(x, y, 1, 1));
    return r;
}

int CountNonWhite(const QImage& image) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += At(image, x, y) != kWhite;
    return n;
}

TEST(FramedRender, FrameCornersEndInRedPixels) {
    CRectangle f;
    f.SetPoints(10, 10, 60, 40, 1.0);
    const QImage image = Render(f, 1.0, {80, 60});
    const struct {
        int x, y;
        QRgb colour;
    } cases[] = {// Each corner is the red end of one edge, then the start of the next edge paints
                 // it black again; only the last end pixel, handle 2, stays red.
                 {60, 10, kBlack}, {60, 40, kBlack}, {10, 40, kBlack}, {10, 10, kRed},
                 {35, 10, kBlack}, {60, 25, kBlack}, {35, 40, kBlack}, {10, 25, kBlack},
                 {35, 25, kWhite}, {9, 9, kWhite},   {61, 41, kWhite}};
    for (const auto& c : cases)
        EXPECT_EQ(At(image, c.x, c.y), c.colour) << c.x << "," << c.y;
}

TEST(FramedRender, OutlineWidthFollowsTheZoomButTheBezierDoesNot) {
    auto thickness = [](const QImage& image, int x) {
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            n += At(image, x, y) == kBlack;
        return n;
    };
    CRectangle rect;
    rect.SetPoints(10, 10, 60, 10, 1.0); // zero height: the top edge alone, twice over
    EXPECT_EQ(thickness(Render(rect, 1.0, {140, 60}), 30), 1);
    EXPECT_EQ(thickness(Render(rect, 2.0, {140, 60}), 60), 2);

    CBezierCurve curve;
    curve.SetPoints(10, 10, 60, 10, 1.0); // a straight curve along y = 10
    EXPECT_EQ(thickness(Render(curve, 2.0, {140, 60}), 60), 1);
}

TEST(FramedRender, EllipseIsDrawnWithoutItsFrameOrRedPixels) {
    CEllipse f;
    f.SetPoints(10, 10, 110, 60, 1.0);
    const QImage image = Render(f, 1.0, {130, 80});
    EXPECT_NE(At(image, 10, 35), kWhite); // middle of the left edge
    EXPECT_NE(At(image, 60, 10), kWhite); // middle of the top edge
    EXPECT_NE(At(image, 110, 35), kWhite);
    EXPECT_NE(At(image, 60, 60), kWhite);
    EXPECT_EQ(At(image, 10, 10), kWhite); // frame corner
    EXPECT_EQ(At(image, 60, 35), kWhite); // inside
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ASSERT_NE(At(image, x, y), kRed) << x << "," << y;
}

TEST(FramedRender, TextStaysInsideItsSquareCentredOnTheFigure) {
    // A tall figure 40 pixels wide: the square is (50, 80) - (90, 120) around the centre (70, 100).
    const std::function<std::unique_ptr<CFigure>()> kinds[] = {
        [] { return std::make_unique<CTextRectangle>(); },
        [] { return std::make_unique<CTextEllipse>(); },
        [] { return std::make_unique<CTextRhomb>(); }};
    for (const auto& make : kinds) {
        auto f = make();
        f->SetPoints(50, 20, 90, 180, 1.0);
        const QImage without = Render(*f, 1.0, {140, 200});
        *GetFigureText(*f) = "WWWWWWWWWWWWWWWWWWWW";
        const QImage with = Render(*f, 1.0, {140, 200});
        const QRect text = DifferenceBounds(without, with);
        ASSERT_FALSE(text.isEmpty()) << f->m_strType;
        EXPECT_TRUE(QRect(50, 80, 40, 40).contains(text)) << f->m_strType;
        // Cut off equally on both sides: the visible middle stays centred.
        EXPECT_LE(std::abs((text.left() + text.right() + 1) - 140), 2) << f->m_strType;
    }
}

TEST(FramedRender, TextKeepsItsSizeWhenTheSquareGrows) {
    CTextRectangle f;
    f.SetPoints(20, 20, 120, 60, 1.0);
    const QImage plain1 = Render(f, 1.0, {300, 200});
    const QImage plain2 = Render(f, 2.0, {300, 200});
    f.SetText("Hi");
    const QRect at1 = DifferenceBounds(plain1, Render(f, 1.0, {300, 200}));
    const QRect at2 = DifferenceBounds(plain2, Render(f, 2.0, {300, 200}));
    ASSERT_FALSE(at1.isEmpty());
    ASSERT_FALSE(at2.isEmpty());
    EXPECT_EQ(at1.size(), at2.size());
}

TEST(FramedRender, StartUpPictureIsDecodedAndStretchedIntoItsFrame) {
    const QImage gif(QString::fromStdString(kPicturePath));
    ASSERT_FALSE(gif.isNull()) << kPicturePath;
    EXPECT_EQ(gif.size(), QSize(84, 90));

    CPictureFigure f;
    f.m_strImagePath = kPicturePath;
    f.SetPoints(7, 4, 49, 49, 1.0);
    const QImage image = Render(f, 1.0, {60, 60});
    EXPECT_NE(At(image, 10, 8), kWhite); // night sky in the top-left corner
    EXPECT_EQ(At(image, 5, 26), kWhite);
    EXPECT_EQ(At(image, 50, 50), kWhite);
    EXPECT_GT(CountNonWhite(image), 42 * 45 / 2);

    // A missing or broken file draws nothing and does no harm.
    f.m_strImagePath = kPicturePath + ".missing";
    EXPECT_EQ(CountNonWhite(Render(f, 1.0, {60, 60})), 0);
    const std::string broken = (std::filesystem::temp_directory_path() /
                                ("quodra-broken-" + std::to_string(::getpid()) + ".gif"))
                                   .string();
    std::ofstream(broken) << "GIF89a this is not a picture";
    f.m_strImagePath = broken;
    EXPECT_EQ(CountNonWhite(Render(f, 1.0, {60, 60})), 0);
    std::filesystem::remove(broken);
}

// One figure of every kind, laid out on a 640 x 320 page.
std::vector<std::unique_ptr<CFigure>> EveryKind() {
    std::vector<std::unique_ptr<CFigure>> out;
    auto add = [&](std::unique_ptr<CFigure> f, int x1, int y1, int x2, int y2) -> CFigure& {
        f->SetPoints(x1, y1, x2, y2, 1.0);
        out.push_back(std::move(f));
        return *out.back();
    };
    auto picture = std::make_unique<CPictureFigure>();
    picture->m_strImagePath = kPicturePath;
    add(std::move(picture), 7, 4, 49, 49);
    add(std::make_unique<CLine>(), 70, 20, 200, 60);
    add(std::make_unique<CLine>(), 70, 80, 200, 120).m_nPenStyle = 2;
    add(std::make_unique<CArrow>(), 70, 140, 200, 180);
    *GetFigureText(add(std::make_unique<CTextRectangle>(), 240, 20, 400, 80)) = "Quodra";
    *GetFigureText(add(std::make_unique<CTextEllipse>(), 240, 110, 400, 190)) = "Ellipse";
    *GetFigureText(add(std::make_unique<CTextRhomb>(), 240, 220, 400, 300)) = "Rhomb";
    add(std::make_unique<CBezierCurve>(), 70, 220, 200, 300);
    add(std::make_unique<CRectangle>(), 440, 20, 600, 80);
    add(std::make_unique<CRotatableRectangle>(), 440, 120, 600, 180)
        .SetHandlePoint(4, 560, 90, 1.0);
    add(std::make_unique<CRotatableEllipse>(), 440, 220, 600, 290).SetHandlePoint(4, 620, 190, 1.0);
    return out;
}

TEST(FramedRender, GalleryOfEveryKind) {
    const char* dir = std::getenv("QUODRA_RENDER_DIR");
    for (double zoom : {1.0, 2.0}) {
        for (bool selected : {false, true}) {
            const int w = static_cast<int>(640 * zoom), h = static_cast<int>(320 * zoom);
            QImage image(w, h, QImage::Format_RGB32);
            image.fill(Qt::white);
            QPainter painter(&image);
            CQtSurface surface(painter);
            auto figures = EveryKind();
            for (auto& f : figures) {
                f->m_bSelected = selected;
                const QImage before = image.copy();
                f->Paint(surface, zoom, 0, 0);
                painter.end(); // flush before comparing, then go on painting
                EXPECT_FALSE(DifferenceBounds(before, image).isEmpty())
                    << f->m_strType << " drew nothing at zoom " << zoom;
                painter.begin(&image);
            }
            painter.end();
            if (dir) {
                std::filesystem::create_directories(dir);
                const std::string name = std::string(dir) + "/every-kind-zoom" +
                                         std::to_string(static_cast<int>(zoom)) +
                                         (selected ? "-selected" : "") + ".png";
                EXPECT_TRUE(image.save(QString::fromStdString(name))) << name;
            }
        }
    }
}

} // namespace
