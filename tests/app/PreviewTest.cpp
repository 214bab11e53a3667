// The typeset preview, the export and quodra --export with the real LaTeX toolchain (latex,
// texdraw.sty, dvips, Ghostscript, pdftocairo), and the message when it is missing.
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

// Every kind of figure typesets, and the outlines LaTeX prints lie within 2 pixels of those the
// canvas draws (at zoom 1 one page unit is one pixel on both).
TEST_F(CPreviewTest, EveryKindTypesetsWhereTheCanvasDrawsIt) {
    CFigureList list;
    AddFigure<CLine>(list, 60, 20, 200, 60);
    AddFigure<CLine>(list, 60, 80, 200, 120).m_nPenStyle = 2;
    AddFigure<CArrow>(list, 60, 140, 200, 180);
    AddFigure<CTextRectangle>(list, 240, 20, 400, 80);
    AddFigure<CTextEllipse>(list, 240, 100, 400, 180);
    AddFigure<CTextRhomb>(list, 240, 200, 400, 280);
    AddFigure<CBezierCurve>(list, 60, 200, 200, 280);
    AddFigure<CRectangle>(list, 440, 20, 600, 80);
    AddFigure<CEllipse>(list, 440, 120, 600, 280);
    SetDrawing(std::move(list));
    ExpectInkWhereTheCanvasDrawsIt();
}

// TeXDraw's own shapes too, LaTeX drawing its true circles and arcs: filled, dashed and wide ones,
// a polyline with heads at both ends and a filled polygon.
TEST_F(CPreviewTest, EveryShapeTypesetsWhereTheCanvasDrawsIt) {
    CFigureList list;
    AddFigure<CCircle>(list, 100, 80, 150, 80);
    auto& filled = AddFigure<CCircle>(list, 250, 80, 290, 80);
    filled.m_style.fillGrey = 0.0;
    auto& ellipse = AddFigure<CAxisEllipse>(list, 400, 80, 470, 120);
    ellipse.m_style.pattern = {6, 4};
    auto& arc = AddFigure<CArc>(list, 560, 80, 610, 80);
    arc.m_dStartAngle = 30;
    arc.m_dEndAngle = 250;
    arc.m_style.dLineWidth = 3;
    auto& open = AddFigure<CPolyline>(list, 40, 200, 120, 280);
    open.SetCorners({{40, 200}, {120, 280}, {200, 200}, {280, 280}});
    open.m_style.eHeads = EArrowHeads::Both;
    auto& polygon = AddFigure<CPolyline>(list, 0, 0, 0, 0);
    polygon.SetCorners({{340, 200}, {460, 200}, {400, 290}});
    polygon.Close();
    polygon.m_style.fillGrey = 0.0;
    SetDrawing(std::move(list));
    ExpectInkWhereTheCanvasDrawsIt();
}

// Labels: the font is LaTeX's on paper and the window's on the canvas, so the letters differ;
// their ink lies where the reference point puts it, within 2 pixels on every side.
TEST_F(CPreviewTest, LabelsTypesetAtTheirReferencePoints) {
    struct {
        CDoublePoint at;
        char h, v;
        double angle;
    } const kLabels[] = {{{100, 100}, 'L', 'B', 0},
                         {{300, 100}, 'C', 'C', 0},
                         {{500, 100}, 'R', 'T', 0},
                         {{200, 250}, 'L', 'B', 90}};
    CFigureList list;
    for (const auto& l : kLabels) {
        auto& label = AddFigure<CLabel>(list, 0, 0, 0, 0);
        label.m_pt1 = label.m_pt2 = l.at;
        label.m_strText = "HIH";
        label.m_cHRef = l.h;
        label.m_cVRef = l.v;
        label.m_dAngle = l.angle;
    }
    SetDrawing(std::move(list));
    const CInk ink = TypesetAndGrab();
    for (const auto& l : kLabels) {
        SCOPED_TRACE(std::string(1, l.h) + l.v + std::to_string(int(l.angle)));
        const QRect around(int(l.at.x) - 60, int(l.at.y) - 60, 120, 120);
        const QRect canvas = ink.CanvasBox(around), typeset = ink.TypesetBox(around);
        ASSERT_FALSE(canvas.isEmpty());
        ASSERT_FALSE(typeset.isEmpty());
        EXPECT_NEAR(canvas.left(), typeset.left(), 2);
        EXPECT_NEAR(canvas.right(), typeset.right(), 2);
        EXPECT_NEAR(canvas.top(), typeset.top(), 2);
        EXPECT_NEAR(canvas.bottom(), typeset.bottom(), 2);
    }
}

// A bare % is written as typed, warned about on the canvas, and the LaTeX error it causes names
// its figure, which a click on the message selects.
// Every style LaTeX prints (widths, patterns, greys, fills, the five heads at two sizes, heads at
// either end and on a curve, a filled rectangle, rhomb and ellipse) lies where the canvas draws it.
TEST_F(CPreviewTest, EveryStyleTypesetsWhereTheCanvasDrawsIt) {
    CFigureList list;
    const auto styled = [](CFigure& f, auto&& set) {
        CStyle s = f.m_style;
        set(s);
        f.ApplyStyle(s, kStyleAll);
    };
    const char* types = "FTWVH";
    for (int i = 0; i < 5; ++i) {
        styled(AddFigure<CLine>(list, 40, 20 + 40 * i, 200, 40 + 40 * i), [&](CStyle& s) {
            s.dLineWidth = 0.5 + i;
            s.eHeads = static_cast<EArrowHeads>(1 + i % 3);
            s.cHeadType = types[i];
            s.dHeadLength = 10 + 6 * i;
            s.dHeadWidth = 6 + 3 * i;
            s.pattern = i % 2 ? std::vector<double>{8, 4} : std::vector<double>{};
        });
    }
    styled(AddFigure<CArrow>(list, 240, 20, 400, 40), [](CStyle& s) {
        s.pattern = {6, 3, 1, 3};
        s.dLineGrey = 0.4;
        s.cHeadType = 'V';
        s.eHeads = EArrowHeads::Both;
    });
    styled(AddFigure<CBezierCurve>(list, 240, 60, 400, 140), [](CStyle& s) {
        s.dLineWidth = 2;
        s.eHeads = EArrowHeads::Both;
        s.cHeadType = 'T';
    });
    styled(AddFigure<CRectangle>(list, 440, 20, 600, 80), [](CStyle& s) {
        s.fillGrey = 0.5;
        s.dLineWidth = 3;
    });
    styled(AddFigure<CTextRhomb>(list, 440, 100, 600, 180), [](CStyle& s) {
        s.fillGrey = 0.3;
        s.pattern = {4, 4};
    });
    styled(AddFigure<CEllipse>(list, 240, 160, 400, 280), [](CStyle& s) {
        s.fillGrey = 0.6;
        s.dLineWidth = 2.5;
        s.pattern = {10, 5};
    });
    SetDrawing(std::move(list));
    Trigger(ID_VIEW_SHOW_GRID);
    Trigger(ID_VIEW_ACTUAL_SIZE);
    WaitForPreview();
    ASSERT_TRUE(m_dock->GetLastResult().bOk) << m_dock->GetStatusText().toStdString();
    const QImage typeset = m_dock->GetImage().convertToFormat(QImage::Format_ARGB32);
    m_dock->hide();
    QTest::qWait(50);
    Viewport()->repaint();
    const QImage canvas = Viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    // Greys count as ink: darker than 0.7 grey on the canvas, as opaque in print.
    const CInkMatch m = MatchInk(typeset, canvas, m_dock->GetCanvasPageCorner(), 180, 75);
    EXPECT_GT(m.nCanvas, 3000);
    EXPECT_GT(m.nTypeset, 3000);
    EXPECT_EQ(m.nCanvasAlone, 0) << "canvas pixels with no typeset ink within 2 px";
    EXPECT_EQ(m.nTypesetAlone, 0) << "typeset pixels with no canvas ink within 2 px";
}

// Drawing Properties sets the unit scale as one step; the saved file carries it; at scale 0.5
// LaTeX prints the drawing half as large, and the preview, typeset at twice the resolution, still
// lies where the canvas draws it (the texts, which LaTeX never scales, are left out); an export of
// the page is half as large.
TEST_F(CPreviewTest, UnitScaleIsSavedPreviewedInPlaceAndExported) {
    CFigureList list;
    AddFigure<CLine>(list, 60, 20, 200, 60);
    AddFigure<CLine>(list, 60, 80, 200, 120).m_nPenStyle = 2;
    AddFigure<CArrow>(list, 60, 140, 200, 180);
    AddFigure<CBezierCurve>(list, 60, 200, 200, 280);
    AddFigure<CRectangle>(list, 440, 20, 600, 80);
    AddFigure<CEllipse>(list, 440, 120, 600, 280);
    SetDrawing(std::move(list));
    Trigger(ID_VIEW_SHOW_GRID);
    Trigger(ID_VIEW_ACTUAL_SIZE);

    QString pageText;
    QTimer::singleShot(0, m_frame, [&pageText] {
        auto* dlg = qobject_cast<CDrawingPropertiesDialog*>(QApplication::activeModalWidget());
        if (!dlg)
            return;
        dlg->GetScaleField()->setValue(0.5);
        pageText = dlg->GetPageText();
        dlg->accept();
    });
    Trigger(ID_FILE_DRAWING_PROPERTIES);
    EXPECT_TRUE(pageText.startsWith(QString::fromUtf8("8.65 \u00d7 10.17 cm")))
        << pageText.toStdString();
    // Fitting the ink (540 units, 5.40 in at scale 1) to a text width: the scale follows, and a
    // scale at which it prints wider than the text is warned of.
    {
        CDrawingPropertiesDialog dlg(Canvas());
        EXPECT_TRUE(dlg.GetWidthWarning().isEmpty()) << dlg.GetWidthWarning().toStdString();
        dlg.GetWidthChoice()->setCurrentIndex(0); // 345 pt
        dlg.FitToWidth();
        EXPECT_NEAR(dlg.GetScale(), 345.0 / 72.27 / 5.40, 1e-3);
        EXPECT_TRUE(dlg.GetWidthWarning().isEmpty());
        dlg.GetWidthChoice()->setCurrentIndex(dlg.GetWidthChoice()->count() - 1);
        dlg.GetOwnWidthField()->setValue(100.0);
        EXPECT_FALSE(dlg.GetWidthWarning().isEmpty());
        dlg.FitToWidth();
        EXPECT_NEAR(dlg.GetScale(), 100.0 / 72.27 / 5.40, 1e-3);
    }
    EXPECT_EQ(Canvas().GetUnitScale(), 0.5);
    EXPECT_EQ(Canvas().GetUndoName(), "Drawing Scale");
    QTemporaryDir dir;
    const QString path = dir.filePath("scaled.tex");
    ASSERT_TRUE(m_view->SaveTo(path));
    const std::string saved = ReadFile(path);
    const std::size_t at = saved.find("\\setunitscale 0.5");
    ASSERT_NE(at, std::string::npos) << saved;
    EXPECT_EQ(std::count(saved.begin(), saved.begin() + static_cast<long>(at), '\n'), 2);

    WaitForPreview();
    ASSERT_TRUE(m_dock->GetLastResult().bOk) << m_dock->GetStatusText().toStdString();
    EXPECT_EQ(m_dock->GetImageDpi(), 200.0);
    const QImage typeset = m_dock->GetImage().convertToFormat(QImage::Format_ARGB32);
    m_dock->hide();
    QTest::qWait(50);
    Viewport()->repaint();
    const QImage canvas = Viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const CInkMatch match = MatchInk(typeset, canvas, m_dock->GetCanvasPageCorner());
    EXPECT_GT(match.nCanvas, 800);
    EXPECT_GT(match.nTypeset, 800);
    EXPECT_EQ(match.nCanvasAlone, 0) << "canvas pixels with no typeset ink within 2 px";
    EXPECT_EQ(match.nTypesetAlone, 0) << "typeset pixels with no canvas ink within 2 px";

    const QString png = dir.filePath("page.png");
    ASSERT_TRUE(m_view->ExportTo(png, ETypesetOutput::Png, ETypesetCrop::Page, 100));
    EXPECT_EQ(QImage(png).size(), QSize(341, 401));
}

// A bare % is written as typed, warned about on the canvas, and the LaTeX error it causes names
// its figure, which a click on the message selects.
TEST_F(CPreviewTest, BarePercentIsTracedToItsFigure) {
    CFigureList list;
    AddFigure<CLine>(list, 20, 20, 200, 60);
    AddFigure<CTextRectangle>(list, 100, 100, 300, 160).SetText("$\\alpha^2$");
    AddFigure<CTextRectangle>(list, 100, 200, 300, 260).SetText("50%");
    AddFigure<CTextEllipse>(list, 100, 300, 300, 360).SetText("$x$");
    SetDrawing(std::move(list));
    const CFigure* fine = Canvas().GetFigures().GetAt(Canvas().GetFigures().GetCount() - 3);
    const CFigure* percent = Canvas().GetFigures().GetAt(Canvas().GetFigures().GetCount() - 2);

    EXPECT_NE(Canvas().GetTeXDrawDocument().find("{50%}\n"), std::string::npos);
    const QRect sign = m_widget->GetTextWarningRect(*percent);
    EXPECT_FALSE(sign.isEmpty());
    EXPECT_TRUE(m_widget->GetTextWarningRect(*fine).isEmpty());
    EXPECT_TRUE(m_widget->GetTextWarningAt(sign.center()).contains("\\%"));
    EXPECT_TRUE(m_widget->GetTextWarningAt(QPoint(2, 2)).isEmpty());
    // The sign is painted at the figure's top-right corner.
    const QImage shown = Viewport()->grab().toImage();
    EXPECT_EQ(shown.pixelColor(sign.center().x() - 3, sign.bottom() - 2), QColor(255, 200, 0));

    WaitForPreview();
    EXPECT_FALSE(m_dock->GetLastResult().bOk);
    const std::string status = m_dock->GetStatusText().toStdString();
    EXPECT_NE(status.find("LaTeX error in the text rectangle \u201c50%\u201d"), std::string::npos)
        << status;
    EXPECT_NE(status.find("\\%"), std::string::npos) << status;
    EXPECT_EQ(m_dock->GetErrorFigure(), percent);
    ASSERT_TRUE(m_dock->SelectErrorFigure());
    for (int i = 0; i < Canvas().GetFigures().GetCount(); ++i)
        EXPECT_EQ(Canvas().GetFigures().GetAt(i)->m_bSelected,
                  Canvas().GetFigures().GetAt(i) == percent);
}

// The canvas keeps working while LaTeX runs; changes within the pause make one run, and a
// change while a run goes cancels it.
TEST_F(CPreviewTest, UpdatesInTheBackgroundAfterAPause) {
    WaitForPreview();
    ASSERT_TRUE(m_dock->GetLastResult().bOk) << m_dock->GetStatusText().toStdString();
    QSignalSpy updated(m_dock, &CPreviewDock::Updated);
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&ticks] { ++ticks; });
    ticker.start(5);
    CFigureList list;
    AddFigure<CTextRectangle>(list, 100, 100, 300, 160).SetText("A");
    SetDrawing(std::move(list));
    EXPECT_EQ(m_dock->GetStatusText().toStdString(), "Typesetting\u2026");
    QTest::qWait(CPreviewDock::kDebounceMs / 3);
    // Another change before the pause is over; then a third once latex runs.
    Canvas().GetDrawing().EditFigures().GetLast()->MoveBy(10, 0);
    Canvas().GetDrawing().NoteChangedOutside();
    Viewport()->repaint();
    // The run starts once the pause is over (later on a loaded machine).
    ASSERT_TRUE(QTest::qWaitFor([this] { return m_dock->GetTypesetter().IsRunning(); }, 10000));
    Canvas().GetDrawing().EditFigures().GetLast()->MoveBy(10, 0);
    Canvas().GetDrawing().NoteChangedOutside();
    Viewport()->repaint();
    EXPECT_FALSE(m_dock->GetTypesetter().IsRunning());
    ASSERT_TRUE(updated.wait(30000));
    QTest::qWait(50);
    EXPECT_EQ(updated.size(), 1);
    EXPECT_TRUE(m_dock->GetLastResult().bOk) << m_dock->GetStatusText().toStdString();
    EXPECT_GT(ticks, 20) << "the event loop stood still while LaTeX ran";
}

TEST_F(CPreviewTest, ExportWritesPdfPngAndSvg) {
    QTemporaryDir dir;
    const auto pdfinfo = [](const QString& path) {
        QProcess p;
        p.start("pdfinfo", {path});
        p.waitForFinished(10000);
        return p.exitCode() == 0 ? QString::fromUtf8(p.readAllStandardOutput()) : QString();
    };
    const QString page = dir.filePath("page.pdf");
    ASSERT_TRUE(m_view->ExportTo(page, ETypesetOutput::Pdf, ETypesetCrop::Page, 0));
    EXPECT_TRUE(pdfinfo(page).contains(QRegularExpression("Page size: +490.32 x 576.72 pts")))
        << pdfinfo(page).toStdString();
    // The start-up picture alone: a rectangle from (7, 4) to (49, 49) page units, plus the
    // margin, in points.
    const QString drawing = dir.filePath("drawing.pdf");
    ASSERT_TRUE(m_view->ExportTo(drawing, ETypesetOutput::Pdf, ETypesetCrop::Drawing, 0));
    EXPECT_TRUE(pdfinfo(drawing).contains(QRegularExpression("Page size: +3[0-3].\\d+ x 3[2-5].")))
        << pdfinfo(drawing).toStdString();
    const QString png = dir.filePath("page.png");
    ASSERT_TRUE(m_view->ExportTo(png, ETypesetOutput::Png, ETypesetCrop::Page, 200));
    EXPECT_EQ(QImage(png).size(), QSize(1362, 1602));
    // PDF 1.5, which pdflatex takes without a warning, titled with the drawing's name.
    EXPECT_TRUE(pdfinfo(drawing).contains(QRegularExpression("PDF version: +1.5")));
    EXPECT_TRUE(pdfinfo(drawing).contains(QRegularExpression("Title: +Untitled\n")))
        << pdfinfo(drawing).toStdString();
    const QString svg = dir.filePath("drawing.svg");
    ASSERT_TRUE(m_view->ExportTo(svg, ETypesetOutput::Svg, ETypesetCrop::Drawing, 0));
    QFile file(svg);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    EXPECT_TRUE(text.startsWith("<?xml") && text.contains("<svg") && text.contains("<path"));
    // The SVG is cropped as the PDF is.
    const QRegularExpressionMatch pdfSize =
        QRegularExpression("Page size: +([0-9.]+) x ([0-9.]+) pts").match(pdfinfo(drawing));
    const QRegularExpressionMatch svgSize =
        QRegularExpression("width=\"([0-9.]+)pt\" height=\"([0-9.]+)pt\"")
            .match(QString::fromUtf8(text));
    ASSERT_TRUE(pdfSize.hasMatch() && svgSize.hasMatch());
    for (int i = 1; i <= 2; ++i)
        EXPECT_NEAR(pdfSize.captured(i).toDouble(), svgSize.captured(i).toDouble(), 1.0);

    // What LaTeX users write: pdflatex includes the PDF without a warning, and latex + dvips
    // take the saved drawing itself.
    std::string error;
    ASSERT_TRUE(Canvas().WriteTeXDrawFile(dir.filePath("saved.txt").toStdString(), error));
    const auto compile = [&dir](const QString& program, const QString& name, const char* body) {
        QFile tex(dir.filePath(name + ".tex"));
        EXPECT_TRUE(tex.open(QIODevice::WriteOnly));
        tex.write(body);
        tex.close();
        QProcess p;
        p.setWorkingDirectory(dir.path());
        p.start(program, {"-interaction=nonstopmode", "-halt-on-error", name + ".tex"});
        p.waitForFinished(60000);
        QFile log(dir.filePath(name + ".log"));
        EXPECT_TRUE(log.open(QIODevice::ReadOnly));
        return std::make_pair(p.exitCode(), QString::fromUtf8(log.readAll()));
    };
    const auto [pdfCode, pdfLog] =
        compile("pdflatex", "withpdf",
                "\\documentclass{article}\\usepackage{graphicx}\\begin{document}\n"
                "\\includegraphics{drawing.pdf}\n\\end{document}\n");
    EXPECT_EQ(pdfCode, 0) << pdfLog.toStdString();
    EXPECT_FALSE(pdfLog.contains("Warning", Qt::CaseInsensitive)) << pdfLog.toStdString();
    const auto [dviCode, dviLog] =
        compile("latex", "withtexdraw",
                "\\documentclass{article}\\usepackage{texdraw}\\begin{document}\n"
                "\\input{saved.txt}\n\\end{document}\n");
    EXPECT_EQ(dviCode, 0) << dviLog.toStdString();
    QProcess dvips;
    dvips.setWorkingDirectory(dir.path());
    dvips.start("dvips", {"-q", "-o", "withtexdraw.ps", "withtexdraw.dvi"});
    EXPECT_TRUE(dvips.waitForFinished(30000) && dvips.exitCode() == 0);
    EXPECT_GT(QFileInfo(dir.filePath("withtexdraw.ps")).size(), 0);

    // A failure is told and leaves an existing file alone.
    QStringList errors;
    m_view->m_fnShowError = [&errors](const QString& t) { errors << t; };
    CFigureList list;
    AddFigure<CTextRectangle>(list, 100, 100, 300, 160).SetText("\\undefinedcommand");
    SetDrawing(std::move(list));
    EXPECT_FALSE(m_view->ExportTo(page, ETypesetOutput::Pdf, ETypesetCrop::Page, 0));
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].contains("Unknown command \\undefinedcommand"))
        << errors[0].toStdString();
    EXPECT_FALSE(pdfinfo(page).isEmpty());
}

TEST_F(CPreviewTest, CommandLineExportForMakefiles) {
    QTemporaryDir dir;
    const QString source = dir.filePath("drawing.txt");
    std::string error;
    ASSERT_TRUE(Canvas().WriteTeXDrawFile(source.toStdString(), error)) << error;
    QString outText, errText;
    QTextStream out(&outText), err(&errText);
    const auto run = [&](QStringList args) {
        outText.clear();
        errText.clear();
        args.prepend("quodra");
        return RunCommandLine(args, out, err);
    };
    const QString pdf = dir.filePath("out.pdf");
    EXPECT_EQ(run({"--export", pdf, source}), 0) << errText.toStdString();
    EXPECT_TRUE(QFile(pdf).size() > 0);
    EXPECT_EQ(run({"--export", dir.filePath("out.png"), "--dpi", "50", "--crop", "page", source}),
              0);
    // The page, 6.81 × 8.01 in, at 50 dpi: Ghostscript rounds each half pixel its own way.
    const QSize size = QImage(dir.filePath("out.png")).size();
    EXPECT_NEAR(size.width(), 340.5, 0.5);
    EXPECT_NEAR(size.height(), 400.5, 0.5);
    EXPECT_EQ(run({"--export", dir.filePath("out.doc"), source}), 2);
    EXPECT_TRUE(errText.contains(".pdf, .png or .svg"));
    EXPECT_EQ(run({"--export", pdf, dir.filePath("missing.txt")}), 2);
    EXPECT_TRUE(errText.startsWith("quodra: cannot export")) << errText.toStdString();
    QFile bad(dir.filePath("bad.txt"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("\\begin{center}\n\\begin{texdraw}\n%\\setunitscale 0.3\n\n\\arrowheadtype t:F\n\n"
              "%begin textrectangle\n\n%begin rectangle\n\\move(1.00 -1.00)\n\\lvec(1.00 -1.50)\n"
              "\\move(1.00 -1.00)\n\\lvec(2.00 -1.00)\n\\move(2.00 -1.50)\n\\lvec(2.00 -1.00)\n"
              "\\move(2.00 -1.50)\n\\lvec(1.00 -1.50)\n%end rectangle\n\n\\textref h:C v:C\n"
              "\\htext (1.50 -1.25){50%}\n%end textrectangle\n\\end{texdraw}\n\\end{center}");
    bad.close();
    EXPECT_EQ(run({"--export", pdf, bad.fileName()}), 1);
    EXPECT_TRUE(errText.contains("in the text rectangle \u201c50%\u201d")) << errText.toStdString();
    EXPECT_EQ(run({"--help"}), 0);
    EXPECT_TRUE(outText.contains("\\includegraphics") && outText.contains("-shell-escape"));
}

// The dock scrolls on its own and follows the canvas's scrolling; after an error it keeps the
// last good page and links LaTeX's log; with the overlay showing, the canvas leaves its raw texts
// out.
TEST_F(CPreviewTest, TheDockScrollsKeepsItsPageAndLinksTheLog) {
    CFigureList list;
    AddFigure<CTextRectangle>(list, 100, 100, 300, 160).SetText("A");
    SetDrawing(std::move(list));
    for (int i = 0; i < 3; ++i)
        Trigger(ID_VIEW_ZOOM_IN);
    WaitForPreview();
    ASSERT_TRUE(m_dock->GetLastResult().bOk);
    auto* view = m_dock->findChild<QAbstractScrollArea*>();
    ASSERT_NE(view, nullptr);
    EXPECT_GT(view->horizontalScrollBar()->maximum(), 0);
    EXPECT_GT(view->verticalScrollBar()->maximum(), 0);
    const QPoint corner = m_dock->GetPageCorner();
    m_widget->verticalScrollBar()->setValue(m_widget->verticalScrollBar()->value() + 60);
    Viewport()->repaint();
    EXPECT_EQ(m_dock->GetPageCorner(), corner - QPoint(0, 60));
    view->horizontalScrollBar()->setValue(view->horizontalScrollBar()->value() + 40);
    EXPECT_EQ(m_dock->GetPageCorner(), corner - QPoint(40, 60));

    const QImage good = m_dock->GetImage();
    dynamic_cast<CTextRectangle*>(Canvas().GetDrawing().EditFigures().GetLast())
        ->SetText("\\undefined");
    Canvas().GetDrawing().NoteChangedOutside();
    WaitForPreview();
    EXPECT_FALSE(m_dock->GetLastResult().bOk);
    EXPECT_EQ(m_dock->GetImage(), good);
    EXPECT_TRUE(m_dock->GetStatusText().contains("Show LaTeX Log"));
    QString shown;
    m_dock->m_fnShowLog = [&shown](QDialog& dlg) {
        shown = dlg.findChild<QPlainTextEdit*>("log")->toPlainText();
    };
    m_dock->ShowLatexLog();
    EXPECT_TRUE(shown.contains("Undefined control sequence")) << shown.toStdString();

    m_dock->SetOverlay(true);
    EXPECT_TRUE(m_widget->m_fnHideTexts());
    m_dock->SetOverlay(false);
    EXPECT_FALSE(m_widget->m_fnHideTexts());
}

// Without the programs on the PATH the preview and the export say which Debian packages to
// install, and nothing hangs.
TEST_F(CPreviewTest, MissingToolchainNamesThePackages) {
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", "");
    QStringList errors;
    m_view->m_fnShowError = [&errors](const QString& t) { errors << t; };
    WaitForPreview();
    const bool exported = m_view->ExportTo(QDir::temp().filePath("never.pdf"), ETypesetOutput::Pdf,
                                           ETypesetCrop::Page, 0);
    qputenv("PATH", path);
    EXPECT_TRUE(m_dock->GetLastResult().bToolsMissing);
    EXPECT_TRUE(m_dock->GetStatusText().contains("texlive-latex-base texlive-pictures ghostscript"))
        << m_dock->GetStatusText().toStdString();
    EXPECT_FALSE(exported);
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].contains("sudo apt-get install")) << errors[0].toStdString();
}

} // namespace
