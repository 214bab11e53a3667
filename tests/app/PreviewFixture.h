// The preview's test window: the canvas with the typeset preview beside it, and what the tests of
// the preview and of the export ask of it.
#pragma once

#include "AppFixture.h"
#include "common/AddFigure.h"

#include "app/CommandLine.h"
#include "app/Commands.h"
#include "app/DrawingPropertiesDialog.h"
#include "app/LatexDialogs.h"
#include "app/PreviewDock.h"
#include "app/Typesetter.h"
#include "figures/BezierCurve.h"
#include "figures/Label.h"
#include "figures/Line.h"
#include "figures/Polyline.h"
#include "figures/Rectangle.h"
#include "figures/Shapes.h"
#include "figures/Style.h"
#include "figures/TextFigures.h"

#include <QAbstractScrollArea>
#include <QComboBox>
#include <QDialog>
#include <QDoubleSpinBox>
#include <QFile>
#include <QPlainTextEdit>
#include <QProcess>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

namespace {

class CPreviewTest : public CAppTest {
protected:
    void SetUp() override {
        const QString missing = CTypesetter::FindMissingTools(ETypesetOutput::Preview) +
                                CTypesetter::FindMissingTools(ETypesetOutput::Svg);
        if (!missing.isEmpty())
            GTEST_SKIP() << "The LaTeX toolchain is not installed, so nothing can be typeset "
                            "(scripts/test installs it):\n"
                         << missing.toStdString();
        CAppTest::SetUp();
        if (!GetLatexPreamble().isEmpty())
            SetLatexPreamble({});
        m_dock = m_frame->GetPreviewDock();
    }

    // Puts the figures on the canvas in place of the start-up drawing.
    void SetDrawing(CFigureList&& figures) {
        Canvas().ReplaceFigures(std::move(figures));
        Viewport()->repaint();
    }

    // Shows the dock (if hidden) and waits for the run the last change started.
    void WaitForPreview() {
        QSignalSpy updated(m_dock, &CPreviewDock::Updated);
        if (m_dock->isHidden())
            Trigger(ID_VIEW_TYPESET_PREVIEW);
        Viewport()->repaint();
        ASSERT_TRUE(updated.wait(30000)) << m_dock->GetStatusText().toStdString();
    }

    // The typeset page and the canvas's page, both at zoom 1 where a page unit is a pixel.
    struct CInk {
        QImage typeset, canvas;
        QPoint corner; // of the page on the canvas
        bool CanvasInk(int x, int y) const {
            const QPoint p = corner + QPoint(x, y);
            return canvas.rect().contains(p) && qGray(canvas.pixel(p)) < 100;
        }
        bool TypesetInk(int x, int y) const {
            return typeset.rect().contains(x, y) && qAlpha(typeset.pixel(x, y)) >= 100;
        }
        template <class F> static QRect Box(const QRect& r, F ink) {
            QRect box;
            for (int y = r.top(); y <= r.bottom(); ++y)
                for (int x = r.left(); x <= r.right(); ++x)
                    if (ink(x, y))
                        box |= QRect(x, y, 1, 1);
            return box;
        }
        QRect CanvasBox(const QRect& r) const {
            return Box(r, [&](int x, int y) { return CanvasInk(x, y); });
        }
        QRect TypesetBox(const QRect& r) const {
            return Box(r, [&](int x, int y) { return TypesetInk(x, y); });
        }
    };

    CInk TypesetAndGrab() {
        Trigger(ID_VIEW_SHOW_GRID); // the grid is not typeset
        Trigger(ID_VIEW_ACTUAL_SIZE);
        WaitForPreview();
        CInk ink;
        EXPECT_TRUE(m_dock->GetLastResult().bOk) << m_dock->GetStatusText().toStdString();
        EXPECT_TRUE(m_dock->GetStatusText().startsWith("Up to date ("));
        ink.typeset = m_dock->GetImage().convertToFormat(QImage::Format_ARGB32);
        EXPECT_EQ(m_dock->GetImageDpi(), 100.0);
        EXPECT_EQ(ink.typeset.size(), QSize(681, 801));
        // The canvas alone, as wide as the window allows.
        m_dock->hide();
        QTest::qWait(50);
        Viewport()->repaint();
        ink.canvas = Viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
        if (const char* dir = std::getenv("QUODRA_RENDER_DIR")) {
            const QString name =
                QString::fromUtf8(testing::UnitTest::GetInstance()->current_test_info()->name());
            ink.canvas.save(QString(dir) + "/" + name + "-canvas.png");
            ink.typeset.save(QString(dir) + "/" + name + "-typeset.png");
        }
        ink.corner = m_dock->GetCanvasPageCorner();
        return ink;
    }

    // Every pixel LaTeX inks has canvas ink within 2 pixels and the other way round, over the
    // page's top 640 x 300 pixels.
    void ExpectInkWhereTheCanvasDrawsIt() {
        const CInk ink = TypesetAndGrab();
        const auto near = [](auto has, int x, int y) {
            for (int dy = -2; dy <= 2; ++dy)
                for (int dx = -2; dx <= 2; ++dx)
                    if (has(x + dx, y + dy))
                        return true;
            return false;
        };
        const auto canvasInk = [&](int x, int y) { return ink.CanvasInk(x, y); };
        const auto typesetInk = [&](int x, int y) { return ink.TypesetInk(x, y); };
        int canvasPixels = 0, typesetPixels = 0, canvasAlone = 0, typesetAlone = 0;
        // What the canvas shows of the page, less the 2 pixels that the comparison looks around.
        const int width = std::min(640, ink.canvas.width() - ink.corner.x() - 3);
        const int height = std::min(300, ink.canvas.height() - ink.corner.y() - 3);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                if (canvasInk(x, y)) {
                    ++canvasPixels;
                    canvasAlone += !near(typesetInk, x, y);
                }
                if (typesetInk(x, y)) {
                    ++typesetPixels;
                    typesetAlone += !near(canvasInk, x, y);
                }
            }
        }
        EXPECT_GT(canvasPixels, 1200);
        EXPECT_GT(typesetPixels, 1200);
        EXPECT_EQ(canvasAlone, 0) << "canvas pixels with no typeset ink within 2 px";
        EXPECT_EQ(typesetAlone, 0) << "typeset pixels with no canvas ink within 2 px";
    }

    // How the ink of the typeset page (typeset's alpha) and of the canvas (canvas's dark pixels,
    // the page's corner at corner) cover each other, 2 pixels either way allowed.
    struct CInkMatch {
        int nCanvas = 0, nTypeset = 0, nCanvasAlone = 0, nTypesetAlone = 0;
    };
    // Ink is a canvas pixel darker than canvasGrey, a typeset one at least typesetAlpha opaque.
    static CInkMatch MatchInk(const QImage& typeset, const QImage& canvas, QPoint corner,
                              int canvasGrey = 100, int typesetAlpha = 100) {
        const auto canvasInk = [&](int x, int y) {
            const QPoint p = corner + QPoint(x, y);
            return canvas.rect().contains(p) && qGray(canvas.pixel(p)) < canvasGrey;
        };
        const auto typesetInk = [&](int x, int y) {
            return typeset.rect().contains(x, y) && qAlpha(typeset.pixel(x, y)) >= typesetAlpha;
        };
        const auto near = [](auto ink, int x, int y) {
            for (int dy = -2; dy <= 2; ++dy)
                for (int dx = -2; dx <= 2; ++dx)
                    if (ink(x + dx, y + dy))
                        return true;
            return false;
        };
        CInkMatch m;
        // What the canvas shows of the page, less the 2 pixels that the comparison looks around.
        const int width = std::min(640, canvas.width() - corner.x() - 3);
        const int height = std::min(300, canvas.height() - corner.y() - 3);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                if (canvasInk(x, y)) {
                    ++m.nCanvas;
                    m.nCanvasAlone += !near(typesetInk, x, y);
                }
                if (typesetInk(x, y)) {
                    ++m.nTypeset;
                    m.nTypesetAlone += !near(canvasInk, x, y);
                }
            }
        }
        return m;
    }

    CPreviewDock* m_dock = nullptr;
};

} // namespace
