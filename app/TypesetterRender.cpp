// CTypesetter: from the DVI file to what was asked for: the preview's image, or an export's
// PDF, EPS, SVG or PNG (cropped to the drawing when asked), delivered to its file.
#include "app/Typesetter.h"

#include "texdraw/Document.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QRectF>
#include <QRegularExpression>
#include <QSaveFile>

#include <algorithm>
#include <cmath>

namespace {

// PostScript points per inch.
constexpr double kBp = 72.0;
// Room left around the ink when an export is cropped to the drawing, so that the outer half of
// the border lines and their smoothing stay inside.
constexpr double kCropMarginBp = 1.0;

QString Num(double v) {
    return QString::number(v, 'f', 4); // always with a decimal point, whatever the locale
}

// A length in points for dvips, in inches: the page's inches stay exact (6.81in, not 490.32bp,
// which dvips makes a hair larger, so that Ghostscript adds a row of pixels).
QString Length(double bp) {
    return Num(bp / kBp) + "in";
}

// A PDF text string that no title can break out of: UTF-16 in hexadecimal.
QString PdfHexString(const QString& text) {
    QString hex = "<FEFF";
    for (const QChar c : text)
        hex += QString("%1").arg(c.unicode(), 4, 16, QChar('0')).toUpper();
    return hex + ">";
}

// The page on white as ink over nothing: each pixel's distance from white becomes its opacity,
// and its colour is what over white gives the pixel back.
QImage WhiteToTransparent(const QImage& page) {
    QImage out = page.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < out.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            const QRgb p = line[x];
            const int a = 255 - std::min({qRed(p), qGreen(p), qBlue(p)});
            if (a == 0) {
                line[x] = 0;
                continue;
            }
            const auto ink = [a](int v) { return (v - (255 - a)) * 255 / a; };
            line[x] = qRgba(ink(qRed(p)), ink(qGreen(p)), ink(qBlue(p)), a);
        }
    }
    return out;
}

} // namespace

QStringList CTypesetter::PreviewRenderArgs(double dpi) {
    // The preview is written uncompressed (a third faster than a PNG) and its white taken out in
    // Deliver: it lies over the canvas. "-_" reads the page from the standard input in blocks
    // ("-" would read it a byte at a time, as for a program that talks to it).
    return {"-q",
            "-dSAFER",
            "-dBATCH",
            "-dNOPAUSE",
            "-sOutputFile=out.ppm",
            "-sDEVICE=ppmraw",
            "-r" + Num(dpi),
            "-dTextAlphaBits=4",
            "-dGraphicsAlphaBits=4",
            "-_"};
}

QStringList CTypesetter::PreviewDvipsArgs(double dpi, int margin, int pageWidth, int pageHeight) {
    // The preview shows the page alone. Half a pixel right and down: the line at page unit k is
    // then drawn in the middle of pixel k, where the canvas draws it, instead of across pixels
    // k - 1 and k.
    const QString offset = Num(0.5 / dpi - margin / 100.0) + "in";
    return {"-R2",     "-q",
            "-O",      offset + "," + offset,
            "-T",      Num(pageWidth / 100.0) + "in," + Num(pageHeight / 100.0) + "in",
            "-o",      "page.ps",
            "main.dvi"};
}

QString CTypesetter::CheckImageSize(double widthIn, double heightIn, double dpi) {
    const double w = std::ceil(widthIn * dpi);
    const double h = std::ceil(heightIn * dpi);
    if (w * h <= kMaxImagePixels)
        return {};
    const int most = static_cast<int>(std::sqrt(kMaxImagePixels / (widthIn * heightIn)));
    return QString("At %1 dpi the image would be %2 \u00D7 %3 pixels (%4 megapixels); an export "
                   "makes at most %5 megapixels. Choose %6 dpi or less, or crop to the drawing.")
        .arg(dpi)
        .arg(w, 0, 'f', 0)
        .arg(h, 0, 'f', 0)
        .arg(w * h / 1e6, 0, 'f', 0)
        .arg(kMaxImagePixels / 1e6, 0, 'f', 0)
        .arg(most);
}

void CTypesetter::AfterLatex() {
    // The page lies m_source.nMargin page units inside the paper on every side.
    const double margin = m_source.nMargin / 100.0 * kBp;
    const double pageW = m_request.nPageWidth / 100.0 * kBp;
    const double pageH = m_request.nPageHeight / 100.0 * kBp;
    // -R2: no shell commands and no files by absolute or ".." names from the drawing's specials.
    if (m_request.eOutput == ETypesetOutput::Preview) {
        RunTool("dvips",
                PreviewDvipsArgs(m_request.dDpi, m_source.nMargin, m_request.nPageWidth,
                                 m_request.nPageHeight),
                [this](const QByteArray&, const QByteArray&) { RenderPreview(); });
        return;
    }
    RunTool("dvips",
            {"-R2", "-q", "-T", Length(pageW + 2 * margin) + "," + Length(pageH + 2 * margin), "-o",
             "page.ps", "main.dvi"},
            [this](const QByteArray&, const QByteArray&) { AfterDvips(); });
}

void CTypesetter::AfterDvips() {
    // The ink's bounding box on the whole paper, then the page made as large as what is taken
    // (the ink, or the editor's page and the ink) with that moved to its corner.
    // Ghostscript's bounding box counts a stroke of a path that only moves (texdraw strokes one
    // at its origin and at each move) as ink at that point, which the page never shows: such a
    // stroke only clears the path here. The bounding box device takes a new output file without
    // a word, and starts its box afresh: a drawing that asks for one is refused here as the other
    // devices refuse it.
    RunTool(
        "gs",
        {"-q", "-dSAFER", "-dBATCH", "-dNOPAUSE", "-sDEVICE=bbox", "-c",
         "userdict /stroke {false {pop pop} {pop pop pop true} {6 {pop} repeat pop true} "
         "{pop true} pathforall {systemdict /stroke get exec} {newpath} ifelse} bind put "
         "userdict /setpagedevice {dup /OutputFile known {/setpagedevice errordict "
         "/invalidfileaccess get exec} if systemdict /setpagedevice get exec} bind put",
         "-f", "page.ps"},
        [this](const QByteArray& out, const QByteArray& err) {
            static const QRegularExpression re(
                "%%HiResBoundingBox: ([-0-9.]+) ([-0-9.]+) ([-0-9.]+) ([-0-9.]+)");
            const QRegularExpressionMatch m = re.match(QString::fromLatin1(err + out));
            double b[4] = {0, 0, 0, 0};
            for (int i = 0; m.hasMatch() && i < 4; ++i)
                b[i] = m.captured(i + 1).toDouble();
            const bool ink = m.hasMatch() && b[2] > b[0] && b[3] > b[1];
            const bool page = m_request.eCrop == ETypesetCrop::Page;
            if (!ink && !page) {
                Fail("The drawing shows nothing to crop to; export the whole page instead.");
                return;
            }
            // Page and ink in PostScript points from the paper's top-left corner.
            const double margin = m_source.nMargin / 100.0 * kBp;
            const double paperH = m_request.nPageHeight / 100.0 * kBp + 2 * margin;
            const QRectF pageRect(margin, margin, m_request.nPageWidth / 100.0 * kBp,
                                  m_request.nPageHeight / 100.0 * kBp);
            const QRectF inkRect =
                ink ? QRectF(QPointF(b[0], paperH - b[3]), QPointF(b[2], paperH - b[1])) : QRectF();
            const QRectF withMargin =
                inkRect.adjusted(-kCropMarginBp, -kCropMarginBp, kCropMarginBp, kCropMarginBp);
            // Ink within the crop margin of the page's edge (a border line's outer half) is
            // on the page.
            m_bInkBeyondPage =
                ink &&
                !pageRect.adjusted(-kCropMarginBp, -kCropMarginBp, kCropMarginBp, kCropMarginBp)
                     .contains(inkRect);
            const QRectF crop =
                !page ? withMargin : (m_bInkBeyondPage ? pageRect.united(withMargin) : pageRect);
            if (m_request.eOutput == ETypesetOutput::Png) {
                const QString tooBig =
                    CheckImageSize(crop.width() / kBp, crop.height() / kBp, m_request.dDpi);
                if (!tooBig.isEmpty()) {
                    Fail(tooBig);
                    return;
                }
            }
            RunTool("dvips",
                    {"-R2", "-q", "-O", Length(-crop.left()) + "," + Length(-crop.top()), "-T",
                     Length(crop.width()) + "," + Length(crop.height()), "-o", "crop.ps",
                     "main.dvi"},
                    [this](const QByteArray&, const QByteArray&) { Render(); });
        });
}

void CTypesetter::RenderPreview() {
    QFile ps(PathOf("page.ps"));
    if (!ps.open(QIODevice::ReadOnly)) {
        Fail("dvips wrote no page: " + ps.errorString());
        return;
    }
    const QByteArray page = ps.readAll();
    ps.close();
    QProcess* p = TakeWaiting(m_renderer, "gs", PreviewRenderArgs(m_request.dDpi));
    if (!p) {
        Fail(FindMissingTools(ETypesetOutput::Preview) + "Ghostscript could not be started.");
        return;
    }
    WatchTool(
        p, "gs",
        [this](const QByteArray&, const QByteArray&) {
            Deliver("out.ppm");
            // The next preview's latex and Ghostscript start while the user looks at this one.
            if (!m_pProcess && m_request.eOutput == ETypesetOutput::Preview)
                PrepareHelpers(m_request.dDpi);
        },
        true);
    p->write(page);
    p->closeWriteChannel();
}

void CTypesetter::Render() {
    // Every export is made from a PDF of the page: SVG so that no PostScript runs outside
    // Ghostscript's safe mode, PNG so that the page rasterised is one whose size is read and
    // checked first and that nothing changes meanwhile (a PDF runs no programs). PDF 1.5, the
    // newest that pdflatex takes without a warning.
    QStringList args{"-q",
                     "-dSAFER",
                     "-dBATCH",
                     "-dNOPAUSE",
                     "-sOutputFile=out.pdf",
                     "-sDEVICE=pdfwrite",
                     "-dCompatibilityLevel=1.5"};
    if (m_request.eOutput == ETypesetOutput::Png) {
        // For the image: the page as it is drawn, not turned to its text, and its pictures kept
        // without loss.
        args << "-dAutoRotatePages=/None"
             << "-dAutoFilterColorImages=false"
             << "-dAutoFilterGrayImages=false"
             << "-dColorImageFilter=/FlateEncode"
             << "-dGrayImageFilter=/FlateEncode";
    }
    args << "crop.ps";
    // The title: the drawing's name, not that of the temporary dvi file.
    if (!m_request.strTitle.isEmpty())
        args << "-c"
             << QString("[ /Title %1 /DOCINFO pdfmark").arg(PdfHexString(m_request.strTitle));
    RunTool("gs", args, [this](const QByteArray&, const QByteArray&) {
        switch (m_request.eOutput) {
        case ETypesetOutput::Png:
            RenderPng();
            break;
        case ETypesetOutput::Svg:
            // Glyphs become paths: SVG fonts are shown by almost no program. The page is taken
            // as it is: by default pdftocairo fits it to a paper of its own, shrunk by a few per
            // cent and centred.
            RunTool("pdftocairo",
                    {"-svg", "-nocrop", "-noshrink", "-nocenter", "out.pdf", "out.svg"},
                    [this](const QByteArray&, const QByteArray&) { Deliver("out.svg"); });
            break;
        default:
            Deliver("out.pdf");
        }
    });
}

void CTypesetter::RenderPng() {
    // The size of the PDF's page, which the drawing's PostScript may have made larger than the
    // one asked of dvips.
    RunTool("gs",
            {"-q", "-dSAFER", "-dBATCH", "-dNOPAUSE", "-dNODISPLAY", "--permit-file-read=out.pdf",
             "-c",
             "(out.pdf) (r) file runpdfbegin 1 pdfgetpage /MediaBox pget pop aload pop 3 -1 roll "
             "sub 3 1 roll exch sub (QuodraPage: ) print =only ( ) print = quit"},
            [this](const QByteArray& out, const QByteArray&) {
                static const QRegularExpression re("^QuodraPage: ([-0-9.eE]+) ([-0-9.eE]+)$",
                                                   QRegularExpression::MultilineOption);
                QRegularExpressionMatch m;
                for (auto it = re.globalMatch(QString::fromLatin1(out)); it.hasNext();)
                    m = it.next();
                const double w = std::abs(m.captured(1).toDouble());
                const double h = std::abs(m.captured(2).toDouble());
                if (!m.hasMatch() || !(w > 0 && h > 0 && w * h < 1e12)) {
                    Fail("Ghostscript found no page in the typeset PDF.");
                    return;
                }
                // The crop was checked before dvips: a page too large now is the drawing's own.
                const QString tooBig = CheckImageSize(w / kBp, h / kBp, m_request.dDpi);
                if (!tooBig.isEmpty()) {
                    Fail(QString("The drawing makes its own page of %1 \u00D7 %2 in. %3")
                             .arg(w / kBp, 0, 'f', 2)
                             .arg(h / kBp, 0, 'f', 2)
                             .arg(tooBig));
                    return;
                }
                // The device's size is fixed to the page checked; the page's white is left
                // transparent: an exported image lies over whatever page it is put on (the
                // preview's white is taken out in Deliver).
                RunTool("gs",
                        {"-q", "-dSAFER", "-dBATCH", "-dNOPAUSE", "-sDEVICE=pngalpha",
                         "-r" + Num(m_request.dDpi), "-dDEVICEWIDTHPOINTS=" + Num(w),
                         "-dDEVICEHEIGHTPOINTS=" + Num(h), "-dFIXEDMEDIA", "-dFIXEDRESOLUTION",
                         "-dFirstPage=1", "-dLastPage=1", "-dTextAlphaBits=4",
                         "-dGraphicsAlphaBits=4", "-sOutputFile=out.png", "out.pdf"},
                        [this](const QByteArray&, const QByteArray&) { Deliver("out.png"); });
            });
}

void CTypesetter::Deliver(const QString& file) {
    CTypesetResult r;
    r.dDpi = m_request.dDpi;
    if (m_request.eOutput == ETypesetOutput::Preview) {
        QImage page;
        if (!page.load(PathOf(file), "PPM")) {
            Fail("Ghostscript wrote no readable image.");
            return;
        }
        r.image = WhiteToTransparent(page);
        Succeed(std::move(r));
        return;
    }
    QFile in(PathOf(file));
    if (!in.open(QIODevice::ReadOnly)) {
        Fail("The typeset file was not written: " + in.errorString());
        return;
    }
    const QByteArray bytes = in.readAll();
    // Written as a drawing is saved: beside the target and renamed over it, through links to
    // their target, keeping the file's owner and mode, never into what may not be written.
    std::string error;
    if (!WriteTeXDrawFile(QFile::encodeName(m_request.strOutputPath).toStdString(),
                          bytes.toStdString(), error)) {
        Fail(QString::fromStdString(error));
        return;
    }
    r.bInkBeyondPage = m_bInkBeyondPage;
    Succeed(std::move(r));
}
