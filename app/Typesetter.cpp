#include "app/Typesetter.h"

#include "figures/FigureList.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

struct CTool {
    const char* pszName;
    const char* pszPackage; // the Debian package that brings it
};

constexpr CTool kLatex{"latex", "texlive-latex-base"};
constexpr CTool kDvips{"dvips", "texlive-binaries, with texlive-latex-base"};
constexpr CTool kGs{"gs", "ghostscript"};
constexpr CTool kDvisvgm{"dvisvgm", "dvisvgm"};

// PostScript points per inch.
constexpr double kBp = 72.0;
// Room left around the ink when an export is cropped to the drawing, so that the outer half of
// the border lines and their smoothing stay inside.
constexpr double kCropMarginBp = 1.0;

QString Num(double v) {
    return QString::number(v, 'f', 4); // always with a decimal point, whatever the locale
}

} // namespace

CTypesetter::CTypesetter(QObject* parent) : QObject(parent) {
    m_timeout.setSingleShot(true);
    connect(&m_timeout, &QTimer::timeout, this, [this] {
        if (!m_pProcess)
            return;
        const QString tool = QFileInfo(m_pProcess->program()).fileName();
        Cancel();
        Fail(QString("%1 took longer than %2 s and was stopped.")
                 .arg(tool)
                 .arg(m_nTimeoutMs / 1000.0));
    });
}

CTypesetter::~CTypesetter() {
    Cancel();
}

QString CTypesetter::FindMissingTools(ETypesetOutput output) {
    QList<CTool> needed{kLatex};
    if (output == ETypesetOutput::Svg)
        needed << kDvisvgm;
    else
        needed << kDvips << kGs;
    QStringList missing;
    for (const CTool& t : needed)
        if (QStandardPaths::findExecutable(t.pszName).isEmpty())
            missing << QString("%1 (%2)").arg(t.pszName, t.pszPackage);
    if (missing.isEmpty())
        return {};
    // The whole toolchain in one line; texdraw.sty comes with texlive-pictures.
    return QString("Typesetting needs %1, which %2 not installed (or not on the PATH).\n"
                   "On Debian install the LaTeX toolchain with:\n"
                   "  sudo apt-get install texlive-latex-base texlive-pictures ghostscript "
                   "dvisvgm")
        .arg(missing.join(", "), missing.size() == 1 ? "is" : "are");
}

QString CTypesetter::PathOf(const QString& name) const {
    return m_dir.filePath(name);
}

void CTypesetter::Cancel() {
    ++m_nRun;
    if (m_pRunLoop)
        m_pRunLoop->quit();
    m_timeout.stop();
    if (QProcess* p = std::exchange(m_pProcess, nullptr)) {
        p->disconnect(this);
        p->kill();
        p->waitForFinished(2000);
        p->deleteLater();
    }
}

void CTypesetter::Start(const CTypesetRequest& request) {
    Cancel();
    m_request = request;
    m_clock.start();
    const QString missing = FindMissingTools(request.eOutput);
    if (!missing.isEmpty()) {
        CTypesetResult r;
        r.bToolsMissing = true;
        r.strError = missing;
        emit Finished(r);
        return;
    }
    if (!m_dir.isValid()) {
        Fail("No private temporary folder could be made: " + m_dir.errorString());
        return;
    }
    m_source = MakeTypesetSource(request.strPreamble.toStdString(), request.strDocument,
                                 request.nPageWidth, request.nPageHeight);
    // The folder stays warm: an unchanged source (a new zoom, another export) skips latex.
    if (m_source.strText == m_strLastSource && QFile::exists(PathOf("main.dvi"))) {
        AfterLatex();
        return;
    }
    m_strLastSource.clear();
    QFile::remove(PathOf("main.dvi"));
    QFile tex(PathOf("main.tex"));
    if (!tex.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        tex.write(m_source.strText.data(), static_cast<qint64>(m_source.strText.size())) !=
            static_cast<qint64>(m_source.strText.size())) {
        Fail("The temporary LaTeX file could not be written: " + tex.errorString());
        return;
    }
    tex.close();
    RunTool("latex",
            {"-interaction=nonstopmode", "-halt-on-error", "-file-line-error", "-no-shell-escape",
             "main.tex"},
            [this](const QByteArray&, const QByteArray&) {
                m_strLastSource = m_source.strText;
                AfterLatex();
            });
}

void CTypesetter::RunTool(const QString& tool, const QStringList& args, CDone done,
                          bool checkExit) {
    const QString program = QStandardPaths::findExecutable(tool);
    if (program.isEmpty()) {
        Fail(FindMissingTools(m_request.eOutput));
        return;
    }
    auto* p = new QProcess(this);
    m_pProcess = p;
    p->setWorkingDirectory(m_dir.path());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // Log lines unbroken, so that messages and context are read whole.
    env.insert("max_print_line", "1000");
    env.insert("error_line", "254");
    env.insert("half_error_line", "200");
    p->setProcessEnvironment(env);
    p->setProgram(program);
    p->setArguments(args);
    const unsigned run = m_nRun;
    connect(p, &QProcess::finished, this,
            [this, p, run, tool, done, checkExit](int code, QProcess::ExitStatus status) {
                if (run != m_nRun || p != m_pProcess)
                    return;
                m_timeout.stop();
                m_pProcess = nullptr;
                p->deleteLater();
                const QByteArray out = p->readAllStandardOutput();
                const QByteArray err = p->readAllStandardError();
                if (status != QProcess::NormalExit || (checkExit && code != 0)) {
                    if (tool == "latex") {
                        OnLatexFailed();
                        return;
                    }
                    QString detail = QString::fromLocal8Bit(err + out).trimmed();
                    if (detail.size() > 600)
                        detail = detail.left(600) + "...";
                    Fail(QString("%1 failed (exit code %2).\n%3").arg(tool).arg(code).arg(detail));
                    return;
                }
                done(out, err);
            });
    connect(p, &QProcess::errorOccurred, this, [this, p, run, tool](QProcess::ProcessError e) {
        if (run != m_nRun || p != m_pProcess || e != QProcess::FailedToStart)
            return;
        m_timeout.stop();
        m_pProcess = nullptr;
        p->deleteLater();
        Fail(QString("%1 could not be started: %2").arg(tool, p->errorString()));
    });
    m_timeout.start(m_nTimeoutMs);
    p->start(QIODevice::ReadOnly);
}

void CTypesetter::OnLatexFailed() {
    CTypesetResult r;
    QFile log(PathOf("main.log"));
    QByteArray text;
    if (log.open(QIODevice::ReadOnly))
        text = log.readAll();
    r.latexError = ParseLatexLog(std::string_view(text.constData(), text.size()));
    if (!r.latexError) {
        r.strError = "latex failed without naming an error; see its log.";
    } else {
        const CLatexError& e = *r.latexError;
        r.strError = QString::fromStdString(ExplainLatexError(e));
        const bool mainFile = e.strFile.empty() || e.strFile.ends_with("main.tex");
        if (mainFile && e.nLine >= m_source.nDocumentLine)
            r.nDocumentLine = e.nLine - m_source.nDocumentLine + 1;
        else if (mainFile && e.nLine >= m_source.nPreambleLine)
            r.bInPreamble = true;
        // A file that cannot be found is asked for by the preamble's packages.
        if (e.nLine == 0 && e.strMessage.find("LaTeX Error: File `") != std::string::npos)
            r.bInPreamble = true;
    }
    r.nMilliseconds = m_clock.elapsed();
    emit Finished(r);
}

void CTypesetter::AfterLatex() {
    if (m_request.eOutput == ETypesetOutput::Svg) {
        const QString bbox =
            m_request.eCrop == ETypesetCrop::Drawing ? "--bbox=min" : "--bbox=papersize";
        // Glyphs become paths: SVG fonts are shown by almost no program.
        RunTool("dvisvgm", {"--no-fonts", bbox, "--output=out.svg", "main.dvi"},
                [this](const QByteArray&, const QByteArray&) { Deliver("out.svg"); });
        return;
    }
    if (m_request.eOutput == ETypesetOutput::Preview) {
        // Half a pixel right and down: the line at page unit k is then drawn in the middle of
        // pixel k, where the canvas draws it, instead of across pixels k - 1 and k.
        const QString half = Num(0.5 / m_request.dDpi) + "in";
        RunTool("dvips", {"-q", "-O", half + "," + half, "-o", "page.ps", "main.dvi"},
                [this](const QByteArray&, const QByteArray&) { Render(false); });
        return;
    }
    RunTool("dvips", {"-q", "-o", "page.ps", "main.dvi"},
            [this](const QByteArray&, const QByteArray&) { AfterDvips(); });
}

void CTypesetter::AfterDvips() {
    if (m_request.eCrop == ETypesetCrop::Page) {
        Render(false);
        return;
    }
    // The ink's bounding box, then the page made that size with the ink moved to its corner.
    RunTool("gs", {"-q", "-dSAFER", "-dBATCH", "-dNOPAUSE", "-sDEVICE=bbox", "page.ps"},
            [this](const QByteArray& out, const QByteArray& err) {
                static const QRegularExpression re(
                    "%%HiResBoundingBox: ([-0-9.]+) ([-0-9.]+) ([-0-9.]+) ([-0-9.]+)");
                const QRegularExpressionMatch m = re.match(QString::fromLatin1(err + out));
                double b[4] = {0, 0, 0, 0};
                for (int i = 0; m.hasMatch() && i < 4; ++i)
                    b[i] = m.captured(i + 1).toDouble();
                if (!m.hasMatch() || b[2] <= b[0] || b[3] <= b[1]) {
                    Fail("The drawing shows nothing to crop to; export the whole page instead.");
                    return;
                }
                const double pageTop = m_request.nPageHeight / 100.0 * kBp;
                const double left = b[0] - kCropMarginBp;
                const double top = pageTop - b[3] - kCropMarginBp;
                const double w = b[2] - b[0] + 2 * kCropMarginBp;
                const double h = b[3] - b[1] + 2 * kCropMarginBp;
                RunTool("dvips",
                        {"-q", "-O", Num(-left) + "bp," + Num(-top) + "bp", "-T",
                         Num(w) + "bp," + Num(h) + "bp", "-o", "crop.ps", "main.dvi"},
                        [this](const QByteArray&, const QByteArray&) { Render(true); });
            });
}

void CTypesetter::Render(bool cropped) {
    const QString ps = cropped ? "crop.ps" : "page.ps";
    const bool pdf = m_request.eOutput == ETypesetOutput::Pdf;
    const QString out = pdf ? "out.pdf" : "out.png";
    QStringList args{"-q", "-dSAFER", "-dBATCH", "-dNOPAUSE", "-sOutputFile=" + out};
    if (pdf) {
        args << "-sDEVICE=pdfwrite";
    } else {
        // The page's white is left transparent: the preview lies over the canvas, an exported
        // image over whatever page it is put on.
        args << "-sDEVICE=pngalpha"
             << "-r" + Num(m_request.dDpi) << "-dTextAlphaBits=4"
             << "-dGraphicsAlphaBits=4";
    }
    args << ps;
    RunTool("gs", args, [this, out](const QByteArray&, const QByteArray&) { Deliver(out); });
}

void CTypesetter::Deliver(const QString& file) {
    CTypesetResult r;
    r.dDpi = m_request.dDpi;
    if (m_request.eOutput == ETypesetOutput::Preview) {
        if (!r.image.load(PathOf(file), "PNG")) {
            Fail("Ghostscript wrote no readable image.");
            return;
        }
        Succeed(std::move(r));
        return;
    }
    QFile in(PathOf(file));
    if (!in.open(QIODevice::ReadOnly)) {
        Fail("The typeset file was not written: " + in.errorString());
        return;
    }
    const QByteArray bytes = in.readAll();
    // Written beside the target and renamed over it: a failure leaves an older file whole.
    QSaveFile target(m_request.strOutputPath);
    if (!target.open(QIODevice::WriteOnly) || target.write(bytes) != bytes.size() ||
        !target.commit()) {
        Fail(QString("%1 could not be written: %2")
                 .arg(QDir::toNativeSeparators(m_request.strOutputPath), target.errorString()));
        return;
    }
    Succeed(std::move(r));
}

void CTypesetter::Succeed(CTypesetResult result) {
    result.bOk = true;
    result.nMilliseconds = m_clock.elapsed();
    emit Finished(result);
}

void CTypesetter::Fail(const QString& text) {
    CTypesetResult r;
    r.strError = text;
    r.nMilliseconds = m_clock.isValid() ? m_clock.elapsed() : 0;
    emit Finished(r);
}

CTypesetResult CTypesetter::Run(const CTypesetRequest& request) {
    std::optional<CTypesetResult> result;
    QEventLoop loop;
    const QMetaObject::Connection c =
        connect(this, &CTypesetter::Finished, &loop, [&](const CTypesetResult& r) {
            result = r;
            loop.quit();
        });
    Start(request);
    m_pRunLoop = &loop; // a Cancel from now on ends the wait
    if (!result)
        loop.exec();
    disconnect(c);
    m_pRunLoop = nullptr;
    if (!result) {
        result.emplace();
        result->strError = "Typesetting was cancelled.";
    }
    return result.value_or(CTypesetResult{});
}

const CFigure* FindTypesetErrorFigure(const CTypesetResult& result, const CFigureList& figures,
                                      const CTeXDrawLineMap& map) {
    if (!result.latexError || result.bInPreamble || result.latexError->nLine <= 0)
        return nullptr;
    // An error TeX noticed past the drawing lies beyond the document's last line.
    const int line = result.nDocumentLine > 0 ? result.nDocumentLine : map.GetLineCount() + 1;
    return figures.GetAt(FindErrorFigure(figures, map, *result.latexError, line));
}

QString DescribeTypesetFailure(const CTypesetResult& result, const CFigureList& figures,
                               const CTeXDrawLineMap& map) {
    if (!result.latexError)
        return result.strError;
    QString where = "LaTeX error";
    if (const CFigure* f = FindTypesetErrorFigure(result, figures, map))
        where += " in " + QString::fromStdString(DescribeFigure(*f));
    else if (result.bInPreamble)
        where += " in the LaTeX preamble";
    return where + ": " + result.strError;
}
