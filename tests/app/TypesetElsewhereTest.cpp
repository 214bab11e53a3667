// Drawings written elsewhere, typeset with the real toolchain: the exports hold exactly the ink
// that latex + dvips + Ghostscript print for the drawing by itself, beyond the editor's page and
// TeXDraw's box too; the preview lies on the canvas; a page is shown only under its own drawing.
#include "AppFixture.h"

#include "app/CommandLine.h"
#include "app/Commands.h"
#include "app/LatexDialogs.h"
#include "app/PreviewDock.h"
#include "app/Typesetter.h"
#include "texdraw/HandWrittenDrawings.h"
#include "texdraw/Surroundings.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>

#include <random>

namespace {

// Paper on which no drawing of these tests reaches an edge or breaks the page.
const std::string kLargePaper =
    "\\usepackage[paperwidth=36in,paperheight=36in,margin=6in]{geometry}\n";

// Ink: a pixel that shows darker than the paper, laid on white paper (the preview's page is
// transparent where it is white, a PNG export opaque or not, a light fill in between).
bool Ink(const QImage& image, int x, int y) {
    if (!image.rect().contains(x, y))
        return false;
    const QRgb p = image.pixel(x, y);
    const int a = qAlpha(p);
    return (a * qGray(p) + (255 - a) * 255) / 255 < 240;
}

QRect InkBox(const QImage& image) {
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (Ink(image, x, y))
                box |= QRect(x, y, 1, 1);
    return box;
}

// Pixels of a's ink (from a's corner) with no ink of b (from b's corner) within 2 pixels.
int InkApart(const QImage& a, QPoint aCorner, const QImage& b, QPoint bCorner) {
    int apart = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            if (!Ink(a, x, y))
                continue;
            const QPoint at = QPoint(x, y) - aCorner + bCorner;
            bool near = false;
            for (int dy = -2; dy <= 2 && !near; ++dy)
                for (int dx = -2; dx <= 2 && !near; ++dx)
                    near = Ink(b, at.x() + dx, at.y() + dy);
            apart += !near;
        }
    }
    return apart;
}

bool RunTool(const QString& folder, const QString& tool, const QStringList& args) {
    QProcess p;
    p.setWorkingDirectory(folder);
    p.start(tool, args);
    return p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

// What latex + dvips + Ghostscript print for main.tex in folder (set on paper large enough for
// everything), at 100 dpi.
QImage PrintPlainly(const QString& folder) {
    if (!RunTool(folder, "latex", {"-interaction=nonstopmode", "main.tex"}) ||
        !RunTool(folder, "dvips", {"-q", "-o", "main.ps", "main.dvi"}) ||
        !RunTool(folder, "gs",
                 {"-q", "-dSAFER", "-dBATCH", "-dNOPAUSE", "-sDEVICE=pngalpha", "-r100",
                  "-dTextAlphaBits=4", "-dGraphicsAlphaBits=4", "-sOutputFile=main.png",
                  "main.ps"}))
        return {};
    return QImage(QDir(folder).filePath("main.png")).convertToFormat(QImage::Format_ARGB32);
}

// The image's ink is what latex printed, nothing cut: the export's ink ends where its page does,
// a margin away.
void ExpectInkAsPrinted(const QString& path, const QImage& printed) {
    SCOPED_TRACE(path.toStdString());
    const QRect printedBox = InkBox(printed);
    const QImage exported = QImage(path).convertToFormat(QImage::Format_ARGB32);
    const QRect box = InkBox(exported);
    ASSERT_FALSE(box.isEmpty());
    EXPECT_LE(box.left(), 3);
    EXPECT_GE(box.right(), exported.width() - 4);
    EXPECT_NEAR(box.width(), printedBox.width(), 2);
    EXPECT_NEAR(box.height(), printedBox.height(), 2);
    EXPECT_EQ(InkApart(exported, box.topLeft(), printed, printedBox.topLeft()), 0)
        << "exported ink that latex does not print";
    EXPECT_EQ(InkApart(printed, printedBox.topLeft(), exported, box.topLeft()), 0)
        << "ink that latex prints and the export lacks";
}

// A drawing as people write it, at random: lines reaching past the page's edges, a label at any
// of TeXDraw's reference points beside them, an arrow with TeXDraw's default head, at a unit scale.
std::string RandomDrawing(std::mt19937& random) {
    std::uniform_real_distribution<double> x(-1.0, 8.0), y(-9.0, 1.0);
    const char* const scales[] = {"0.6", "1", "1.3"};
    const char* const h[] = {"L", "C", "R"};
    const char* const v[] = {"T", "C", "B"};
    std::string text = "\\begin{texdraw}\n\\setunitscale ";
    text += scales[random() % 3];
    const auto point = [&] {
        return "(" + std::to_string(x(random)) + " " + std::to_string(y(random)) + ")";
    };
    const std::string at = point();
    text += "\n\\move" + at + "\\lvec" + point() + "\\lvec" + point() + "\n";
    text += "\\textref h:" + std::string(h[random() % 3]) + " v:" + v[random() % 3] + " \\htext" +
            at + "{Label $x_1$}\n";
    text += "\\arrowheadsize l:0.4 w:0.3 \\move" + point() + "\\avec" + point() + "\n";
    return text + "\\end{texdraw}\n";
}

class CTypesetElsewhereTest : public CAppTest {
protected:
    void SetUp() override {
        const QString missing = CTypesetter::FindMissingTools(ETypesetOutput::Pdf);
        if (!missing.isEmpty())
            GTEST_SKIP() << missing.toStdString();
        CAppTest::SetUp();
        if (!GetLatexPreamble().isEmpty())
            SetLatexPreamble({});
        m_dock = m_frame->GetPreviewDock();
        // A failure fails the test instead of waiting for a click on its message.
        m_view->m_fnShowError = [](const QString& text) { ADD_FAILURE() << text.toStdString(); };
        m_view->m_fnShowInfo = [](const QString&) {}; // what of a drawing is kept as it stands
    }

    // Opens the drawing and waits for the preview of it, at zoom 1.
    void OpenAndPreview(const QString& path) {
        ASSERT_EQ(m_view->OpenDocument(path, false), Cquodra_dvView::EOpenResult::Opened);
        QSignalSpy updated(m_dock, &CPreviewDock::Updated);
        if (m_dock->isHidden())
            Trigger(ID_VIEW_TYPESET_PREVIEW);
        Viewport()->repaint();
        ASSERT_TRUE(updated.wait(30000)) << m_dock->GetStatusText().toStdString();
    }

    // Exports source with `quodra --export` as a PNG at 100 dpi, a PDF and an SVG beside it, and
    // renders the PDF and the SVG at 100 dpi: out.png, pdf.png and svg.png.
    void ExportEveryWay(const QString& source, QTextStream& out, QTextStream& err) {
        ASSERT_FALSE(QStandardPaths::findExecutable("rsvg-convert").isEmpty())
            << "librsvg2-bin's rsvg-convert is needed to read the SVG exports";
        const QString folder = QFileInfo(source).path();
        for (const QString format : {"png", "pdf", "svg"}) {
            QStringList args{"quodra", "--export", folder + "/out." + format, source};
            if (format == "png")
                args << "--dpi"
                     << "100";
            ASSERT_EQ(RunCommandLine(args, out, err), 0);
        }
        ASSERT_TRUE(RunTool(folder, "gs",
                            {"-q", "-dSAFER", "-dBATCH", "-dNOPAUSE", "-sDEVICE=pngalpha", "-r100",
                             "-dTextAlphaBits=4", "-dGraphicsAlphaBits=4", "-sOutputFile=pdf.png",
                             "out.pdf"}));
        ASSERT_TRUE(RunTool(folder, "rsvg-convert",
                            {"--dpi-x", "100", "--dpi-y", "100", "-o", "svg.png", "out.svg"}));
    }

    CPreviewDock* m_dock = nullptr;
};

// Every export (PNG, PDF, SVG) takes all the ink that latex + dvips print for the drawing by
// itself: ink beyond the editor's page, text reaching out of TeXDraw's box, TeXDraw's own default
// arrowhead, the document's own definitions; and it says when ink lies beyond the page.
TEST_F(CTypesetElsewhereTest, ExportsHoldAllTheInkLatexPrints) {
    struct CCase {
        std::string text;
        bool whole = false; // a whole document, printed as it stands
    };
    std::vector<CCase> cases = {
        {"\\begin{texdraw}\n\\drawdim in \\move(0 0)\\lvec(7 0)\\lvec(7 1)\n\\end{texdraw}\n"},
        {"\\begin{texdraw}\n\\move(0 0)\\lvec(2 0)\n\\textref h:R v:C \\htext(0 0){Left label}\n"
         "\\arrowheadsize l:0.5 w:0.3 \\move(0 -1)\\avec(1 -1)\n\\end{texdraw}\n"},
        {"\\def\\twice#1{#1#1}\n\\newcommand{\\zigzag}{\\rlvec(0.5 0.5)\\rlvec(0.5 -0.5)}\n"
         "\\begin{center}\n\\begin{texdraw}\n\\move(0 0)\\twice{\\zigzag}\n\\end{texdraw}\n"
         "\\end{center}\n"},
        {"\\documentclass{article}\n\\pagestyle{empty}\n\\usepackage{texdraw}\n" + kLargePaper +
             "\\newcommand{\\mynode}[1]{\\bsegment\\lcir r:0.3 \\htext(0 0){#1}\\esegment}\n"
             "\\begin{document}\n\\noindent\\begin{texdraw}\n\\move(-2 0)\\mynode{A}\\avec(1 0)"
             "\\mynode{B}\n\\end{texdraw}\n\\end{document}\n",
         true},
    };
    std::mt19937 random(35);
    for (int i = 0; i < 3; ++i)
        cases.push_back({RandomDrawing(random)});

    QTemporaryDir dir;
    QString outText, errText;
    QTextStream out(&outText), err(&errText);
    for (const CCase& c : cases) {
        SCOPED_TRACE(c.text);
        const QString source = dir.filePath("drawing.tex");
        WriteFile(source, c.text);
        const QString plain = dir.filePath("plain");
        QDir(plain).removeRecursively();
        ASSERT_TRUE(QDir().mkpath(plain));
        WriteFile(plain + "/main.tex",
                  c.whole
                      ? c.text
                      : "\\documentclass{article}\n\\usepackage{texdraw}\n\\pagestyle{empty}\n" +
                            kLargePaper +
                            "\\begin{document}\n\\noindent\\input{../drawing.tex}\n"
                            "\\end{document}\n");
        const QImage printed = PrintPlainly(plain);
        ASSERT_FALSE(printed.isNull());
        const QRect printedBox = InkBox(printed);

        errText.clear();
        ExportEveryWay(source, out, err);
        ASSERT_FALSE(HasFailure()) << errText.toStdString();
        const bool beyond = printedBox.width() > 681 + 3 || printedBox.height() > 801 + 3;
        if (beyond) {
            EXPECT_TRUE(errText.contains("beyond the editor's page")) << errText.toStdString();
        }
        for (const char* name : {"out.png", "pdf.png", "svg.png"})
            ExpectInkAsPrinted(dir.filePath(name), printed);
    }
}

// Every drawing of our set of hand-written ones, and one reaching beyond the page, prints alike
// everywhere: the PNG, the PDF and the SVG hold the ink that latex + dvips print for the drawing
// (the first of its file) with its document's preamble, the preview shows that ink too where the
// page holds it all, and the status bar says when it does not.
TEST_F(CTypesetElsewhereTest, EveryHandWrittenDrawingPrintsAlikeEverywhere) {
    std::vector<std::string> drawings(std::begin(kHandWrittenDrawings),
                                      std::end(kHandWrittenDrawings));
    drawings.push_back("\\begin{texdraw}\n\\drawdim in \\move(0 0)\\lvec(7 0)\\lvec(7 1)\n"
                       "\\end{texdraw}\n");
    m_view->m_fnChooseDrawing = [](const QStringList&) { return std::optional<int>(0); };
    Trigger(ID_VIEW_ACTUAL_SIZE);
    const auto* notice = m_frame->findChild<QLabel*>("beyondPageNotice");
    ASSERT_NE(notice, nullptr);
    QTemporaryDir dir;
    QString outText, errText;
    QTextStream out(&outText), err(&errText);
    for (const std::string& text : drawings) {
        SCOPED_TRACE(text);
        const QString source = dir.filePath("drawing.tex");
        WriteFile(source, text);
        const QString plain = dir.filePath("plain");
        QDir(plain).removeRecursively();
        ASSERT_TRUE(QDir().mkpath(plain));
        const std::size_t begin = text.find("\\begin{document}");
        if (begin == std::string::npos) {
            WriteFile(plain + "/main.tex",
                      "\\documentclass{article}\n\\usepackage{texdraw}\n\\pagestyle{empty}\n" +
                          kLargePaper +
                          "\\begin{document}\n\\noindent\\input{../drawing.tex}\n"
                          "\\end{document}\n");
        } else {
            const CTeXDrawSurroundings where = FindTeXDrawSurroundings(text);
            ASSERT_TRUE(where.m_bOk) << where.m_strError;
            const std::string drawing(std::string_view(text).substr(
                where.m_open.m_nBegin, where.m_close.m_nEnd - where.m_open.m_nBegin));
            WriteFile(plain + "/main.tex", text.substr(0, begin) + "\\pagestyle{empty}\n" +
                                               kLargePaper + "\\begin{document}\n\\noindent " +
                                               drawing + "\n\\end{document}\n");
        }
        const QImage printed = PrintPlainly(plain);
        ASSERT_FALSE(printed.isNull());

        errText.clear();
        ExportEveryWay(source, out, err);
        ASSERT_FALSE(HasFailure()) << errText.toStdString();
        for (const char* name : {"out.png", "pdf.png", "svg.png"})
            ExpectInkAsPrinted(dir.filePath(name), printed);

        const bool beyond = errText.contains("beyond the editor's page");
        OpenAndPreview(source);
        EXPECT_EQ(notice->isVisibleTo(m_frame), beyond);
        ASSERT_TRUE(m_dock->GetLastResult().bOk) << m_dock->GetStatusText().toStdString();
        if (!beyond) {
            SCOPED_TRACE("preview");
            const QImage exported =
                QImage(dir.filePath("out.png")).convertToFormat(QImage::Format_ARGB32);
            const QImage preview = m_dock->GetImage().convertToFormat(QImage::Format_ARGB32);
            const QRect a = InkBox(preview), b = InkBox(exported);
            EXPECT_EQ(InkApart(preview, a.topLeft(), exported, b.topLeft()), 0);
            EXPECT_EQ(InkApart(exported, b.topLeft(), preview, a.topLeft()), 0);
        }
    }
}

// The preview lies on the canvas within 2 pixels for a drawing that was moved onto the page when
// it was read, and for a whole document with its own definitions; an export of it says so.
TEST_F(CTypesetElsewhereTest, OverlayLiesOnTheCanvas) {
    QTemporaryDir dir;
    const std::string drawings[] = {
        "\\begin{texdraw}\n\\move(-1 1)\\lvec(2 1)\\lvec(2 -2)\n\\move(0 0)\\lcir r:0.5\n"
        "\\end{texdraw}\n",
        "\\documentclass{article}\n\\newcommand{\\mynode}{\\lcir r:0.3 }\n\\begin{document}\n"
        "\\begin{texdraw}\n\\move(-1 0)\\mynode\\lvec(1 0)\\mynode\\lvec(1 -1)\n\\end{texdraw}\n"
        "\\end{document}\n",
    };
    Trigger(ID_VIEW_SHOW_GRID); // the grid is not typeset
    Trigger(ID_VIEW_ACTUAL_SIZE);
    for (const std::string& text : drawings) {
        SCOPED_TRACE(text);
        const QString path = dir.filePath("drawing.tex");
        WriteFile(path, text);
        OpenAndPreview(path);
        ASSERT_TRUE(m_dock->GetLastResult().bOk) << m_dock->GetStatusText().toStdString();
        const QImage typeset = m_dock->GetImage().convertToFormat(QImage::Format_ARGB32);
        m_dock->hide();
        QTest::qWait(50);
        Viewport()->repaint();
        QImage canvas = Viewport()->grab().toImage().convertToFormat(QImage::Format_ARGB32);
        // The canvas's dark pixels as ink; its grey ones (kept text) count too.
        for (int y = 0; y < canvas.height(); ++y)
            for (int x = 0; x < canvas.width(); ++x)
                canvas.setPixel(x, y, qGray(canvas.pixel(x, y)) < 200 ? 0xFF000000 : 0);
        const QPoint corner = m_dock->GetCanvasPageCorner();
        const QImage shown = canvas.copy(QRect(corner, typeset.size()));
        EXPECT_GT(InkBox(shown).width(), 250);
        EXPECT_EQ(InkApart(typeset, {}, shown, {}), 0) << "typeset ink off the canvas's";
        EXPECT_EQ(InkApart(shown, {}, typeset, {}), 0) << "canvas ink off the typeset";

        QSignalSpy message(m_view, &Cquodra_dvView::StatusMessage);
        ASSERT_TRUE(m_view->ExportTo(dir.filePath("out.pdf"), ETypesetOutput::Pdf,
                                     ETypesetCrop::Drawing, 0));
        ASSERT_EQ(message.size(), 1);
        EXPECT_TRUE(message[0][0].toString().startsWith("Exported out.pdf ("))
            << message[0][0].toString().toStdString();
    }
}

// The page under an error is always the drawing's own: opening another drawing or starting a new
// one forgets the page of the one before.
TEST_F(CTypesetElsewhereTest, APageIsShownOnlyUnderItsDrawing) {
    QTemporaryDir dir;
    const QString good = dir.filePath("good.tex"), bad = dir.filePath("bad.tex");
    WriteFile(good, "\\begin{texdraw}\n\\move(0 0)\\lvec(1 1)\n\\end{texdraw}\n");
    WriteFile(bad, "\\begin{texdraw}\n\\move(0 0)\\lvec(1 0)\\htext(0 0){\\nosuchmacro}\n"
                   "\\end{texdraw}\n");
    for (const bool fresh : {false, true}) {
        OpenAndPreview(good);
        ASSERT_TRUE(m_dock->GetLastResult().bOk) << m_dock->GetStatusText().toStdString();
        ASSERT_FALSE(m_dock->GetImage().isNull());
        if (fresh)
            Trigger(ID_FILE_NEW);
        else
            OpenAndPreview(bad);
        EXPECT_TRUE(m_dock->GetImage().isNull());
        EXPECT_FALSE(m_dock->GetLastResult().bOk);
    }
}

} // namespace
