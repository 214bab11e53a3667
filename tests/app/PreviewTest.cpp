// The typeset preview with the real LaTeX toolchain (latex, texdraw.sty, dvips, Ghostscript):
// every figure, shape, label and style typesets where the canvas draws it.
#include "PreviewFixture.h"

namespace {

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

} // namespace
