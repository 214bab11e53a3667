// The export and quodra --export with the real LaTeX toolchain (latex, texdraw.sty, dvips,
// Ghostscript, pdftocairo), the preview dock's page and log, and the message when the toolchain
// is missing.
#include "PreviewFixture.h"

namespace {

using CPreviewExportTest = CPreviewTest;

TEST_F(CPreviewExportTest, ExportWritesPdfPngAndSvg) {
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

TEST_F(CPreviewExportTest, CommandLineExportForMakefiles) {
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
TEST_F(CPreviewExportTest, TheDockScrollsKeepsItsPageAndLinksTheLog) {
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
TEST_F(CPreviewExportTest, MissingToolchainNamesThePackages) {
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
