// The fast Qt surface against the plain one it replaced: a generated drawing of every figure kind,
// half of them in styles of their own (widths, patterns, fills, heads), selected and not, with
// lines cut by the image edges, painted through both at every zoom step a user reaches, must give
// the same image pixel for pixel.
#include "app/PlainQtSurface.h"
#include "app/QtSurface.h"
#include "app/surface/SurfaceCaches.h"
#include "common/RandomDrawing.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <type_traits>

namespace {

// The surface as the canvas widget paints with it: writes held back and made band by band.
class CBatchedQtSurface : public CQtSurface {
public:
    CBatchedQtSurface(QPainter& painter, CSurfaceCaches& caches)
        : CQtSurface(painter, caches, EWrites::Batched) {}
};

// The caches a window keeps from one painting to the next, for the fast surfaces of one test.
CSurfaceCaches* s_pCaches = nullptr;

// A surface made as the test's painting needs it: the fast ones with the test's caches.
template <class Surface> struct CMade {
    Surface surface;
    explicit CMade(QPainter& painter) requires std::is_same_v<Surface, CPlainQtSurface>
        : surface(painter) {}
    explicit CMade(QPainter& painter) requires(!std::is_same_v<Surface, CPlainQtSurface>)
        : surface(painter, *s_pCaches) {}
};

// The drawing plus what the canvas draws around it: fills, a long grid-coloured line across the
// whole image, lines reaching the int limits, a dotted band and a solid zoom square.
void PaintScene(CDrawSurface& dc, const CFigureList& list, double zoom, CPoint shift) {
    dc.FillRect({-50, -50, 4000, 4000}, RGB(160, 160, 160));
    dc.FillRect(
        {shift.x, shift.y, shift.x + RoundHalf(681 * zoom), shift.y + RoundHalf(801 * zoom)},
        RGB(255, 255, 255));
    list.DrawAll(dc, zoom, shift.x, shift.y);
    dc.Line({-3000, 20}, {5000, 700}, {EPenStyle::Solid, 1, RGB(138, 130, 255)});
    dc.Line({INT_MIN, 333}, {INT_MAX, 340}, {EPenStyle::Dotted, 1, 0});
    dc.Line({40, INT_MIN}, {45, INT_MAX}, {EPenStyle::Solid, OutlineWidth(zoom), 0});
    dc.XorRectangle({30, 40, 611, 523});
    dc.Rectangle({30, 40, 513, 523}, {EPenStyle::Solid, 1, RGB(255, 0, 0)}, std::nullopt);
    dc.SetOrigin({7, -3});
    DrawSegment(dc, {100, 100}, {-200, 900}, {EPenStyle::Solid, OutlineWidth(zoom), 0});
    dc.SetOrigin({0, 0});
}

template <class Surface>
QImage Render(const CFigureList& list, double zoom, CPoint shift, QImage::Format format,
              QSize size = {1000, 700}, QPoint translation = {}, double ratio = 1.0) {
    QImage image(size, format);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::black);
    QPainter painter(&image);
    painter.translate(translation);
    {
        CMade<Surface> made(painter);
        PaintScene(made.surface, list, zoom, shift);
    }
    painter.end();
    return image;
}

// Where two images differ, for the failure message.
std::string FirstDifference(const QImage& a, const QImage& b) {
    int count = 0;
    std::string first;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y) && count++ == 0)
                first = std::to_string(x) + "," + std::to_string(y);
    return std::to_string(count) + " pixels differ, first at " + first;
}

TEST(PaintExact, FastSurfaceMatchesThePlainOneAtEveryZoom) {
    CSurfaceCaches caches;
    s_pCaches = &caches;
    CRandomDrawing gen(2024);
    CFigureList list;
    gen.AddEveryKindTo(list, 600, 2); // every other figure with a style of its own
    for (int i = 0; i < list.GetCount(); ++i)
        list.GetAt(i)->m_bSelected = i % 3 == 0;
    int step = 0;
    for (double zoom : {0.25, 0.5, 1.0, 1.5, 2.0, 2.6, 4.0, 5.0, 8.0, 10.0}) {
        // The middle of the page in the middle of the image, so figures are cut at every edge.
        const CPoint shift{500 - RoundHalf(340 * zoom), 350 - RoundHalf(400 * zoom)};
        const QImage::Format format =
            step++ % 2 ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;
        const QImage plain = Render<CPlainQtSurface>(list, zoom, shift, format);
        const QImage fast = Render<CQtSurface>(list, zoom, shift, format);
        EXPECT_TRUE(plain == fast) << "zoom " << zoom << ": " << FirstDifference(plain, fast);
        // Again, now from what the first painting left in the surface's caches, and held back.
        const QImage again = Render<CBatchedQtSurface>(list, zoom, shift, format);
        EXPECT_TRUE(plain == again) << "zoom " << zoom << ": " << FirstDifference(plain, again);
    }
}

} // namespace

// On screens of more than one device pixel a unit the painter scales every line, fill and text;
// the fast surface writes the same device pixels, at zooms that put the figures' points at every
// phase of the device grid, painted twice from the same caches, held back and at once.
TEST(PaintExact, FastSurfaceMatchesThePlainOneAtEveryPixelDensity) {
    CRandomDrawing gen(7);
    CFigureList list;
    gen.AddEveryKindTo(list, 300, 2);
    for (int i = 0; i < list.GetCount(); ++i)
        list.GetAt(i)->m_bSelected = i % 4 == 0;
    for (const double ratio : {1.0, 1.25, 1.5, 2.0, 3.0}) {
        CSurfaceCaches caches;
        s_pCaches = &caches;
        for (const double zoom : {1.0, 2.6, 4.0}) {
            const QSize size(900, 600);
            const CPoint shift{RoundHalf(450 / ratio) - RoundHalf(340 * zoom),
                               RoundHalf(300 / ratio) - RoundHalf(400 * zoom)};
            const QImage plain = Render<CPlainQtSurface>(list, zoom, shift, QImage::Format_RGB32,
                                                         size, {3, -2}, ratio);
            for (int pass = 0; pass < 2; ++pass) {
                const QImage fast =
                    pass == 0 ? Render<CBatchedQtSurface>(list, zoom, shift, QImage::Format_RGB32,
                                                          size, {3, -2}, ratio)
                              : Render<CQtSurface>(list, zoom, shift, QImage::Format_RGB32, size,
                                                   {3, -2}, ratio);
                EXPECT_TRUE(plain == fast) << "ratio " << ratio << ", zoom " << zoom << ", pass "
                                           << pass << ": " << FirstDifference(plain, fast);
            }
        }
        // The lines were written, not left to the painter.
        EXPECT_GT(caches.Footprints().GetRows(), 1000u) << "ratio " << ratio;
    }
}

// What the surface keeps from one painting serves the next only where the painter would do the
// same: the same drawing through other translations and device sizes, each painted twice.
TEST(PaintExact, KeptPaintingFollowsTranslationAndDeviceSize) {
    CSurfaceCaches caches;
    s_pCaches = &caches;
    CRandomDrawing gen(99);
    CFigureList list;
    gen.AddTo(list, 150);
    // The last view is too low for the painting to be shared with a second thread.
    const std::pair<QSize, QPoint> views[] = {{{1000, 700}, {0, 0}},      {{1000, 700}, {13, -7}},
                                              {{640, 480}, {13, -7}},     {{640, 481}, {13, -7}},
                                              {{1000, 700}, {-300, 40}},  {{1000, 700}, {0, 0}},
                                              {{1000, 127}, {-100, -250}}};
    for (const double zoom : {2.0, 4.0})
        for (const auto& [size, translation] : views)
            for (int pass = 0; pass < 2; ++pass) {
                const CPoint shift{-100, -150};
                const QImage plain = Render<CPlainQtSurface>(
                    list, zoom, shift, QImage::Format_RGB32, size, translation);
                const QImage fast =
                    pass == 0 ? Render<CQtSurface>(list, zoom, shift, QImage::Format_RGB32, size,
                                                   translation)
                              : Render<CBatchedQtSurface>(list, zoom, shift, QImage::Format_RGB32,
                                                          size, translation);
                EXPECT_TRUE(plain == fast)
                    << "zoom " << zoom << ", " << size.width() << "x" << size.height() << " at "
                    << translation.x() << "," << translation.y() << ": "
                    << FirstDifference(plain, fast);
            }
}

// Texts of every sort (spaces at either end, accents, right-to-left and combining letters, line
// breaks and tabs), in boxes too small and too large, across the image edges, in several fonts and
// both directions, over a coloured background: the same pixels as the painter's own centring.
TEST(PaintExact, TextsMatchThePlainSurface) {
    CSurfaceCaches caches;
    s_pCaches = &caches;
    const char* const pieces[] = {"A",
                                  " ",
                                  "x",
                                  "Node",
                                  "\xC3\xA4\xC3\xB6",
                                  "\xD7\xA9\xD7\x9C",
                                  "\xD8\xB3\xD9\x84",
                                  "e\xCC\x81",
                                  "\t",
                                  "\n",
                                  "$\\alpha$",
                                  "12.5",
                                  "\xE2\x80\xA8",
                                  "WW",
                                  "i",
                                  "\xF0\x9F\x98\x80"};
    std::mt19937 rng(77);
    const auto uniform = [&](int lo, int hi) {
        return std::uniform_int_distribution<>(lo, hi)(rng);
    };
    QFont big("Serif");
    big.setPointSizeF(13.5);
    big.setBold(true);
    big.setItalic(true);
    QFont mono("Monospace");
    mono.setPixelSize(20);
    QFont small;
    small.setPointSize(7);
    const QFont fonts[] = {QFont(), big, mono, small};
    for (int round = 0; round < 16; ++round) {
        std::vector<std::pair<CRect, std::string>> texts;
        for (int i = 0; i < 60; ++i) {
            std::string text;
            for (int n = uniform(1, 5); n > 0; --n)
                text += pieces[uniform(0, std::size(pieces) - 1)];
            const int x = uniform(-60, 330), y = uniform(-30, 230);
            texts.push_back({{x, y, x + uniform(1, 200), y + uniform(1, 60)}, text});
        }
        // The same texts again over the same background, then over another and back: a text is
        // copied from before only over the pixels it was drawn over.
        QImage backgrounds[2] = {QImage(320, 220, QImage::Format_RGB32),
                                 QImage(320, 220, QImage::Format_RGB32)};
        for (int y = 0; y < 220; ++y)
            for (int x = 0; x < 320; ++x) {
                backgrounds[0].setPixel(x, y, qRgb(x & 255, y & 255, (x * y) & 255));
                backgrounds[1].setPixel(x, y, qRgb(y & 255, (x * 3) & 255, (x + y) & 255));
            }
        const auto render = [&](auto surfaceType, const QImage& background) {
            QImage image = background.copy();
            QPainter painter(&image);
            painter.setFont(fonts[round % 4]);
            painter.setLayoutDirection(round / 4 % 2 ? Qt::RightToLeft : Qt::LeftToRight);
            {
                CMade<typename decltype(surfaceType)::type> made(painter);
                for (const auto& [r, text] : texts)
                    made.surface.DrawText(r, text);
            }
            painter.end();
            return image;
        };
        // Made at once, then held back, in turn.
        int turn = 0;
        for (const int back : {0, 0, 1, 0}) {
            const QImage plain = render(std::type_identity<CPlainQtSurface>(), backgrounds[back]);
            const QImage fast =
                turn++ % 2 ? render(std::type_identity<CBatchedQtSurface>(), backgrounds[back])
                           : render(std::type_identity<CQtSurface>(), backgrounds[back]);
            EXPECT_TRUE(plain == fast) << "round " << round << ", background " << back << ": "
                                       << FirstDifference(plain, fast);
        }
    }
}
