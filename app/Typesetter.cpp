#include "app/Typesetter.h"

#include "figures/FigureList.h"
#include "texdraw/Document.h"

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
#include <cstdlib>
#include <utility>

#include <sys/stat.h>

namespace {

struct CTool {
    const char* pszName;
    const char* pszPackage; // the Debian package that brings it
};

constexpr CTool kLatex{"latex", "texlive-latex-base"};
constexpr CTool kDvips{"dvips", "texlive-binaries, with texlive-latex-base"};
constexpr CTool kGs{"gs", "ghostscript"};
constexpr CTool kPdftocairo{"pdftocairo", "poppler-utils"};

// Do the two paths name one file (through links too)?
bool SameFile(const QString& a, const QString& b) {
    if (a.isEmpty() || b.isEmpty())
        return false;
    struct stat sa {};
    struct stat sb {};
    return ::stat(QFile::encodeName(a).constData(), &sa) == 0 &&
           ::stat(QFile::encodeName(b).constData(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

// The first line of the source at least as long as TeX's input buffer (from 1), 0 when none.
int FindOverlongLine(const std::string& source, const std::string& message) {
    const std::size_t at = message.find("bufsize=");
    std::size_t bufsize =
        at == std::string::npos ? 0 : std::strtoul(message.c_str() + at + 8, nullptr, 10);
    if (bufsize == 0)
        bufsize = 200000;
    int line = 1;
    std::size_t start = 0;
    while (start <= source.size()) {
        const std::size_t end = std::min(source.find('\n', start), source.size());
        if (end - start + 1 >= bufsize)
            return line;
        start = end + 1;
        ++line;
    }
    return 0;
}

// A tool that ended with an error or was killed, in words; a kill by the file size limit or a
// crash at the memory limit is named.
QString DescribeToolFailure(const QString& tool, int code, bool crashed, const QByteArray& output,
                            const CSandboxLimits& limits) {
    QString detail = QString::fromLocal8Bit(output).trimmed();
    if (detail.size() > 600)
        detail = detail.left(600) + "...";
    // Ghostscript says so when it refuses a new output file (on opening it, or at once on the
    // bounding box device), a file's deletion or renaming.
    static const QRegularExpression written("Could not open the file|invalidfileaccess in "
                                            "/?setpagedevice|in --(deletefile|renamefile)--");
    if (tool == "gs" && QString::fromLocal8Bit(output).contains(written))
        return QString("The drawing tried to write or delete a file; Ghostscript refused it.\n%1")
            .arg(detail);
    if (detail.contains("denied in -R2 mode") || detail.contains("invalidfileaccess"))
        return QString("%1 refused to open a file outside the drawing's folder: a drawing may "
                       "not read or write other files.\n%2")
            .arg(tool, detail);
    if (detail.contains("VMerror") || detail.contains("out of memory", Qt::CaseInsensitive))
        return QString("%1 ran out of memory: a drawing may use at most %2 MB.\n%3")
            .arg(tool)
            .arg(limits.nMemoryBytes >> 20)
            .arg(detail);
    if (crashed)
        return QString("%1 was stopped: it wrote a file larger than %2 MB or used more than %3 MB "
                       "of memory.")
            .arg(tool)
            .arg(limits.nFileBytes >> 20)
            .arg(limits.nMemoryBytes >> 20);
    return QString("%1 failed (exit code %2).\n%3").arg(tool).arg(code).arg(detail);
}

} // namespace

CTypesetter::CTypesetter(QObject* parent) : QObject(parent), m_dir(QDir::tempPath()) {
    // The folders of runs whose editor was killed are removed once, at the first typesetter.
    static const int stale = RemoveStaleJobFolders(QDir::tempPath());
    (void)stale;
    m_watchdog.setInterval(200);
    connect(&m_watchdog, &QTimer::timeout, this, &CTypesetter::CheckFolderSize);
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
    Drop(m_latex);
    Drop(m_renderer);
    if (QProcess* p = std::exchange(m_pFormatBuild, nullptr)) {
        p->disconnect(this);
        p->kill();
        p->waitForFinished(2000);
    }
}

QString CTypesetter::FindMissingTools(ETypesetOutput output) {
    QList<CTool> needed{kLatex, kDvips, kGs};
    if (output == ETypesetOutput::Svg)
        needed << kPdftocairo;
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
                   "poppler-utils")
        .arg(missing.join(", "), missing.size() == 1 ? "is" : "are");
}

QString CTypesetter::PathOf(const QString& name) const {
    return m_dir.FilePath(name);
}

void CTypesetter::Cancel() {
    ++m_nRun;
    if (m_pRunLoop)
        m_pRunLoop->quit();
    m_timeout.stop();
    m_watchdog.stop();
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
    m_bInkBeyondPage = false;
    m_clock.start();
    const QString missing = FindMissingTools(request.eOutput);
    if (!missing.isEmpty()) {
        CTypesetResult r;
        r.bToolsMissing = true;
        r.strError = missing;
        emit Finished(r);
        return;
    }
    if (!m_dir.IsValid()) {
        Fail("No private temporary folder could be made: " + m_dir.GetError());
        return;
    }
    if (request.eOutput != ETypesetOutput::Preview &&
        SameFile(request.strOutputPath, request.strSourcePath)) {
        Fail(QString("The export would replace the drawing itself (%1); choose another file name.")
                 .arg(QDir::toNativeSeparators(request.strOutputPath)));
        return;
    }
    if (request.eOutput == ETypesetOutput::Png && request.eCrop == ETypesetCrop::Page) {
        const QString tooBig =
            CheckImageSize(request.nPageWidth / 100.0, request.nPageHeight / 100.0, request.dDpi);
        if (!tooBig.isEmpty()) {
            Fail(tooBig);
            return;
        }
    }
    // Ghostscript's temporary folder holds nothing but this run.
    QDir(PathOf("tmp")).removeRecursively();
    if (!QDir().mkpath(PathOf("tmp"))) {
        Fail("No private temporary folder could be made in " + m_dir.GetPath());
        return;
    }
    // The preview's format and Ghostscript start now if they are not made or waiting yet.
    const bool preview = request.eOutput == ETypesetOutput::Preview;
    if (preview) {
        PrepareFormat();
        Prepare(m_renderer, "gs", PreviewRenderArgs(request.dDpi));
    }
    CTypesetLayout layout;
    layout.nPageWidth = request.nPageWidth;
    layout.nPageHeight = request.nPageHeight;
    layout.dOriginX = request.dOriginX;
    layout.dOriginY = request.dOriginY;
    layout.bWholeFile = request.bWholeFile;
    layout.nDrawing = request.nDrawing;
    m_source = MakeTypesetSource(request.strPreamble.toStdString(), request.strDocument, layout);
    // The folder stays warm: an unchanged source (a new zoom, another export) skips latex.
    if (m_source.strText == m_strLastSource && QFile::exists(PathOf("main.dvi"))) {
        AfterLatex();
        return;
    }
    m_strLastSource.clear();
    // A new source starts in an empty folder: nothing an earlier drawing wrote is read by this
    // one or counts against its room.
    for (const QFileInfo& entry :
         QDir(m_dir.GetPath())
             .entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)) {
        if (entry.isDir() && !entry.isSymLink())
            QDir(entry.filePath()).removeRecursively();
        else
            QFile::remove(entry.filePath());
    }
    QDir().mkpath(PathOf("tmp"));
    // A document with its own class cannot start from the format, which holds another.
    QProcess* waiting = preview && !m_source.bOwnClass
                            ? TakeWaiting(m_latex, "latex", PreviewLatexArgs())
                            : nullptr;
    std::string text;
    if (waiting && m_bFormatReady) {
        // The class is in the format already; its line stays, as a comment, so that LaTeX's line
        // numbers are the source's. texdraw's \usepackage finds the package loaded.
        text = "%";
    }
    text += m_source.strText;
    QFile tex(PathOf("main.tex"));
    if (!tex.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        tex.write(text.data(), static_cast<qint64>(text.size())) !=
            static_cast<qint64>(text.size())) {
        Fail("The temporary LaTeX file could not be written: " + tex.errorString());
        return;
    }
    tex.close();
    const auto done = [this](const QByteArray&, const QByteArray&) {
        m_strLastSource = m_source.strText;
        AfterLatex();
    };
    if (waiting) {
        WatchTool(waiting, "latex", done, true);
        waiting->write("\n"); // go
        waiting->closeWriteChannel();
        return;
    }
    RunTool("latex",
            {"-interaction=nonstopmode", "-halt-on-error", "-file-line-error", "-no-shell-escape",
             "main.tex"},
            done);
}

QProcess* CTypesetter::MakeProcess(const QString& program, const QStringList& args,
                                   const QString& folder) {
    auto* p = new QProcess(this);
    SandboxProcess(*p, folder, m_limits);
    QProcessEnvironment env = p->processEnvironment();
    // Log lines unbroken, so that messages and context are read whole.
    env.insert("max_print_line", "1000");
    env.insert("error_line", "254");
    env.insert("half_error_line", "200");
    p->setProcessEnvironment(env);
    p->setProgram(program);
    p->setArguments(args);
    return p;
}

void CTypesetter::RunTool(const QString& tool, const QStringList& args, CDone done,
                          bool checkExit) {
    const QString program = QStandardPaths::findExecutable(tool);
    if (program.isEmpty()) {
        Fail(FindMissingTools(m_request.eOutput));
        return;
    }
    QProcess* p = MakeProcess(program, args, m_dir.GetPath());
    WatchTool(p, tool, std::move(done), checkExit);
    p->start(QIODevice::ReadOnly);
}

void CTypesetter::WatchTool(QProcess* p, const QString& tool, CDone done, bool checkExit) {
    m_pProcess = p;
    const unsigned run = m_nRun;
    connect(p, &QProcess::finished, this,
            [this, p, run, tool, done, checkExit](int code, QProcess::ExitStatus status) {
                if (run != m_nRun || p != m_pProcess)
                    return;
                m_timeout.stop();
                m_watchdog.stop();
                m_pProcess = nullptr;
                p->deleteLater();
                const QByteArray out = p->readAllStandardOutput();
                const QByteArray err = p->readAllStandardError();
                const bool crashed = status != QProcess::NormalExit;
                if (crashed || (checkExit && code != 0)) {
                    if (tool == "latex") {
                        OnLatexFailed(out + err, crashed);
                        return;
                    }
                    Fail(DescribeToolFailure(tool, code, crashed, err + out, m_limits));
                    return;
                }
                done(out, err);
            });
    connect(p, &QProcess::errorOccurred, this, [this, p, run, tool](QProcess::ProcessError e) {
        if (run != m_nRun || p != m_pProcess || e != QProcess::FailedToStart)
            return;
        m_timeout.stop();
        m_watchdog.stop();
        m_pProcess = nullptr;
        p->deleteLater();
        Fail(QString("%1 could not be started: %2").arg(tool, p->errorString()));
    });
    m_timeout.start(m_nTimeoutMs);
    m_watchdog.start();
}

QStringList CTypesetter::PreviewLatexArgs() const {
    // In scroll mode until its line comes: nonstop mode cannot read the terminal. Looking for a
    // file reads TeX's file index before the wait; then main.tex is read with TeX's own \input,
    // as "latex main.tex" reads it.
    QStringList args{"-interaction=scrollmode",
                     "-halt-on-error",
                     "-file-line-error",
                     "-no-shell-escape",
                     "-jobname=main",
                     "\\openin15=article.cls \\closein15 \\read16to\\qgo \\let\\qgo\\undefined "
                     "\\nonstopmode\\input main.tex "};
    if (m_bFormatReady)
        args.prepend("-fmt=" + m_pFormatDir->FilePath("quodra"));
    return args;
}

void CTypesetter::PrepareHelpers(double dpi) {
    Prepare(m_latex, "latex", PreviewLatexArgs());
    Prepare(m_renderer, "gs", PreviewRenderArgs(dpi));
}

void CTypesetter::Prepare(CWaitingTool& waiting, const QString& tool, const QStringList& args) {
    if (waiting.pProcess && waiting.args == args &&
        waiting.pProcess->state() != QProcess::NotRunning)
        return;
    Drop(waiting);
    const QString program = QStandardPaths::findExecutable(tool);
    if (program.isEmpty() || !m_dir.IsValid() || !QDir().mkpath(PathOf("tmp")))
        return;
    QProcess* p = MakeProcess(program, args, m_dir.GetPath());
    waiting = {p, tool, args};
    // One that dies while it waits is started again by the run that needs it.
    const auto forget = [&waiting, p] {
        if (p != waiting.pProcess)
            return;
        waiting.pProcess = nullptr;
        p->deleteLater();
    };
    connect(p, &QProcess::finished, this, forget);
    connect(p, &QProcess::errorOccurred, this, forget);
    p->start(QIODevice::ReadWrite);
}

QProcess* CTypesetter::TakeWaiting(CWaitingTool& waiting, const QString& tool,
                                   const QStringList& args) {
    Prepare(waiting, tool, args); // the waiting one when it still runs and fits, else a new one
    QProcess* p = std::exchange(waiting.pProcess, nullptr);
    if (p)
        p->disconnect(this);
    return p;
}

void CTypesetter::PrepareFormat() {
    if (m_pFormatDir)
        return; // made, being made or failed: once for each typesetter
    m_pFormatDir = std::make_unique<CJobFolder>(QDir::tempPath());
    const QDir dir(m_pFormatDir->GetPath());
    const QString program = QStandardPaths::findExecutable("latex");
    if (!m_pFormatDir->IsValid() || program.isEmpty())
        return;
    // The lines before the user's preamble, which every source opens with.
    const CTypesetSource source = MakeTypesetSource({}, {});
    std::size_t end = 0;
    for (int line = 1; line < source.nPreambleLine; ++line)
        end = source.strText.find('\n', end) + 1;
    QFile tex(dir.filePath("quodra.tex"));
    const QByteArray text = QByteArray::fromStdString(source.strText.substr(0, end)) + "\\dump\n";
    if (!tex.open(QIODevice::WriteOnly) || tex.write(text) != text.size())
        return;
    tex.close();
    QProcess* p = MakeProcess(program,
                              {"-ini", "-interaction=nonstopmode", "-halt-on-error",
                               "-jobname=quodra", "&latex", "quodra.tex"},
                              dir.path());
    m_pFormatBuild = p;
    connect(p, &QProcess::finished, this, [this, p, dir](int code, QProcess::ExitStatus status) {
        m_bFormatReady = status == QProcess::NormalExit && code == 0 &&
                         QFile::exists(dir.filePath("quodra.fmt"));
        // A latex waiting without the format gives way to one with it.
        if (m_bFormatReady && m_latex.pProcess)
            Prepare(m_latex, "latex", PreviewLatexArgs());
        m_pFormatBuild = nullptr;
        p->deleteLater();
    });
    connect(p, &QProcess::errorOccurred, this, [this, p](QProcess::ProcessError e) {
        if (e != QProcess::FailedToStart || p != m_pFormatBuild)
            return;
        m_pFormatBuild = nullptr;
        p->deleteLater();
    });
    p->start(QIODevice::ReadOnly);
}

void CTypesetter::Drop(CWaitingTool& waiting) {
    if (QProcess* p = std::exchange(waiting.pProcess, nullptr)) {
        p->disconnect(this);
        p->kill();
        p->waitForFinished(2000);
        p->deleteLater();
    }
}

void CTypesetter::OnLatexFailed(const QByteArray& output, bool crashed) {
    CTypesetResult r;
    QFile log(PathOf("main.log"));
    QByteArray text;
    if (log.open(QIODevice::ReadOnly))
        text = log.readAll();
    log.close();
    r.latexError = ParseLatexLog(std::string_view(text.constData(), text.size()));
    // Some errors reach only the terminal: a line longer than TeX's buffer, for one.
    if (!r.latexError) {
        r.latexError = ParseLatexLog(std::string_view(output.constData(), output.size()));
        text += "\n--- What latex wrote on its terminal ---\n" + output;
    }
    // The log stays where the user can read it after the folder is gone.
    const QString kept = LastLogPath();
    QDir().mkpath(QFileInfo(kept).absolutePath());
    QSaveFile keep(kept);
    if (keep.open(QIODevice::WriteOnly) && keep.write(text) == text.size() && keep.commit())
        r.strLogPath = kept;
    if (crashed && !r.latexError) {
        r.strError = DescribeToolFailure("latex", 0, true, output, m_limits);
    } else if (!r.latexError) {
        r.strError = "latex failed without naming an error.";
    } else {
        CLatexError& e = *r.latexError;
        if (e.nLine == 0 && e.strMessage.find("Unable to read an entire line") == 0)
            e.nLine = FindOverlongLine(m_source.strText, e.strMessage);
        r.strError = QString::fromStdString(ExplainLatexError(e));
        const bool mainFile = e.strFile.empty() || e.strFile.ends_with("main.tex");
        if (mainFile && e.nLine >= m_source.nDocumentLine)
            r.nDocumentLine = e.nLine - m_source.nDocumentLine + 1;
        else if (mainFile && e.nLine >= m_source.nPreambleLine)
            r.bInPreamble = true;
        // A file that cannot be found, where TeX names no line, is asked for by the preamble's
        // packages.
        if (e.nLine == 0 && e.strMessage.find("LaTeX Error: File `") != std::string::npos)
            r.bInPreamble = true;
        // An error in another file: say where, with the line TeX was reading.
        if (!mainFile) {
            QString where = QString("\n(In %1, line %2")
                                .arg(QFileInfo(QString::fromStdString(e.strFile)).fileName())
                                .arg(e.nLine);
            if (!e.strBefore.empty())
                where += QString(": \u201C%1\u201D")
                             .arg(QString::fromStdString(e.strBefore + e.strAfter).trimmed());
            r.strError += where + ".)";
        }
    }
    r.nMilliseconds = m_clock.elapsed();
    emit Finished(r);
}

QString CTypesetter::LastLogPath() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    if (folder.isEmpty())
        folder = QDir::home().filePath(".cache/quodra_dv");
    return QDir(folder).filePath("latex.log");
}

void CTypesetter::CheckFolderSize() {
    if (!m_pProcess || FolderBytes(m_dir.GetPath()) <= m_limits.nFolderBytes)
        return;
    const QString tool = QFileInfo(m_pProcess->program()).fileName();
    Cancel();
    Fail(QString("%1 was stopped: the drawing made it write more than %2 MB of files.")
             .arg(tool)
             .arg(m_limits.nFolderBytes >> 20));
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

QString DescribeInkBeyondPage() {
    return "Some ink lies beyond the editor's page; the export holds all of it.";
}

QString DescribeExport(const QString& path, const CTypesetResult& result) {
    const QFileInfo file(path);
    QString text =
        QString("Exported %1 (%2 kB).").arg(file.fileName()).arg(file.size() / 1024.0, 0, 'f', 1);
    if (result.bInkBeyondPage)
        text += " " + DescribeInkBeyondPage();
    return text;
}

void SetTypesetDrawing(CTypesetRequest& request, const CFigureList& figures,
                       const CTeXDrawLineMap& map, double pageWidth, double pageHeight) {
    const double scale = figures.m_dUnitScale;
    request.strDocument = map.GetDocument();
    request.bWholeFile = map.IsWholeFile();
    request.nDrawing = map.GetDrawing();
    // The page prints as large as the drawing's unit scale makes it.
    request.nPageWidth = static_cast<int>(pageWidth * scale + 0.5);
    request.nPageHeight = static_cast<int>(pageHeight * scale + 0.5);
    if (figures.m_bForeign) {
        request.dOriginX = figures.m_ptTeXDrawOrigin.x * scale;
        request.dOriginY = figures.m_ptTeXDrawOrigin.y * scale;
    }
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
