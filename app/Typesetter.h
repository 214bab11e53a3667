// CTypesetter: the drawing typeset by the real toolchain: latex (with texdraw.sty), then dvips
// and Ghostscript for the preview image, PDF and PNG, and poppler's pdftocairo for SVG made from
// that PDF (texdraw draws with PostScript specials, which pdflatex cannot render). Each tool runs
// as a QProcess, without a shell, in a private temporary folder kept warm between runs, inside
// the sandbox of Sandbox.h, with a time limit; a newer run cancels an older one. The preview's
// latex starts from a format with the class and texdraw loaded, and its Ghostscript is started
// ahead of its page, which it reads from its standard input.
#pragma once

#include "app/Sandbox.h"
#include "latex/LatexLog.h"
#include "latex/LatexSource.h"

#include <QElapsedTimer>
#include <QImage>
#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>
#include <string>

enum class ETypesetOutput { Preview, Pdf, Png, Svg };
// Exports cover either the ink of the drawing or the whole editor page.
enum class ETypesetCrop { Drawing, Page };

struct CTypesetRequest {
    std::string strDocument; // the TeXDraw document exactly as it is saved
    QString strPreamble;
    int nPageWidth = kTypesetPageWidth; // page units
    int nPageHeight = kTypesetPageHeight;
    ETypesetOutput eOutput = ETypesetOutput::Preview;
    ETypesetCrop eCrop = ETypesetCrop::Page; // the preview always shows the page
    double dDpi = 100;                       // preview and PNG
    QString strOutputPath;                   // PDF, PNG and SVG: the file to write
    QString strTitle;                        // the PDF's title: the drawing's file name
    QString strSourcePath; // the drawing's own file, which an export never replaces
    // Where the drawing's own origin lies on the page (page units as printed), and whether the
    // document is a whole file written elsewhere: see CTypesetLayout.
    double dOriginX = 0, dOriginY = 0;
    bool bWholeFile = false;
    int nDrawing = 0;
};

struct CTypesetResult {
    bool bOk = false;
    bool bToolsMissing = false;
    QString strError; // plain words for the user when not ok
    // When latex itself failed: its first error, and where it lies.
    std::optional<CLatexError> latexError;
    int nDocumentLine = 0; // line of the TeXDraw document (from 1); 0 outside it
    bool bInPreamble = false;
    QImage image; // the preview: the page at dDpi, page corner at pixel (0, 0)
    double dDpi = 0;
    qint64 nMilliseconds = 0;
    QString strLogPath; // LaTeX's log of a failed run, kept for the user; empty when none
    // Exports: some ink lies beyond the editor's page (the export takes it all).
    bool bInkBeyondPage = false;
};

class CFigureList;
class CTeXDrawLineMap;
// The request typesets the drawing of the map (made from figures) as it is saved, on a page of
// the size given in page units at the drawing's unit scale of 1.
void SetTypesetDrawing(CTypesetRequest& request, const CFigureList& figures,
                       const CTeXDrawLineMap& map, double pageWidth, double pageHeight);

class QEventLoop;

class CTypesetter : public QObject {
    Q_OBJECT
public:
    explicit CTypesetter(QObject* parent = nullptr);
    ~CTypesetter() override;

    // Empty when every program the output needs is on the PATH; otherwise a message that names
    // what is missing and the Debian packages to install.
    static QString FindMissingTools(ETypesetOutput output);

    // Starts typesetting in the background; Finished follows (at once when the tools are
    // missing). A run still going is cancelled first.
    void Start(const CTypesetRequest& request);
    // Stops the run going, if any: its process is killed and no Finished follows.
    void Cancel();
    bool IsRunning() const { return m_pProcess != nullptr; }
    // Runs to the end while the event loop keeps running (windows repaint meanwhile).
    CTypesetResult Run(const CTypesetRequest& request);

    // Empty when a PNG of the size (inches) at the resolution is sane; otherwise why not.
    static QString CheckImageSize(double widthIn, double heightIn, double dpi);
    // The most pixels an image export makes.
    static constexpr double kMaxImagePixels = 100e6;
    // Where the log of the last failed LaTeX run is kept.
    static QString LastLogPath();
    // Ghostscript's arguments for the preview at the resolution: the page comes on its standard
    // input and out.ppm in the job folder is written.
    static QStringList PreviewRenderArgs(double dpi);
    // dvips's arguments for the preview's page.ps from main.dvi: the page (page units) alone, lying
    // margin page units inside the paper that LaTeX shipped.
    static QStringList PreviewDvipsArgs(double dpi, int margin, int pageWidth, int pageHeight);
    // The job folder the tools run in.
    QString GetJobFolder() const { return m_dir.GetPath(); }

    // Each tool gets this long before it is stopped.
    int m_nTimeoutMs = 20000;
    CSandboxLimits m_limits;

signals:
    void Finished(const CTypesetResult& result);

private:
    using CDone = std::function<void(const QByteArray& out, const QByteArray& err)>;
    void RunTool(const QString& tool, const QStringList& args, CDone done, bool checkExit = true);
    QProcess* MakeProcess(const QString& program, const QStringList& args, const QString& folder);
    void WatchTool(QProcess* p, const QString& tool, CDone done, bool checkExit);
    void RenderPreview();
    // A tool of the preview, started ahead of its run and waiting on its standard input.
    struct CWaitingTool {
        QProcess* pProcess = nullptr;
        QString strTool;
        QStringList args;
    };
    void Prepare(CWaitingTool& waiting, const QString& tool, const QStringList& args);
    QProcess* TakeWaiting(CWaitingTool& waiting, const QString& tool, const QStringList& args);
    void Drop(CWaitingTool& waiting);
    QStringList PreviewLatexArgs() const;
    void PrepareHelpers(double dpi);
    void PrepareFormat();
    void AfterLatex();
    void AfterDvips();
    void Render();
    void RenderPng();
    void Deliver(const QString& file);
    void Fail(const QString& text);
    void Succeed(CTypesetResult result);
    void OnLatexFailed(const QByteArray& output, bool crashed);
    void CheckFolderSize();
    QString PathOf(const QString& name) const;

    CJobFolder m_dir;
    CTypesetRequest m_request;
    CTypesetSource m_source;
    std::string m_strLastSource; // the source whose dvi and ps are in the folder
    bool m_bHavePs = false;
    bool m_bInkBeyondPage = false; // found by the export's run
    QProcess* m_pProcess = nullptr;
    QTimer m_timeout;
    QTimer m_watchdog; // the job folder's size, while a tool runs
    QElapsedTimer m_clock;
    unsigned m_nRun = 0;
    QEventLoop* m_pRunLoop = nullptr;
    // The next preview's latex and Ghostscript, started and waiting on their standard input, so
    // that their start-up (the format, TeX's file index, Ghostscript's own set-up) is paid during
    // the pause before a run, not in it. Each runs one drawing and exits: nothing a drawing does
    // in one reaches the next drawing.
    CWaitingTool m_latex;
    CWaitingTool m_renderer;
    // The preview's LaTeX format: LaTeX with the lines every source opens with (the class and
    // texdraw) already read, made once from those lines alone in a folder of its own, where no
    // drawing's tools may write, so that no drawing can change what the next one starts from.
    std::unique_ptr<CJobFolder> m_pFormatDir;
    QProcess* m_pFormatBuild = nullptr;
    bool m_bFormatReady = false;
};

// A finished export in words: "Exported drawing.pdf (12.3 kB).", and whether ink lies beyond the
// editor's page.
QString DescribeExport(const QString& path, const CTypesetResult& result);
// The words for ink beyond the editor's page, which the export takes too.
QString DescribeInkBeyondPage();

// The figure a failed run's LaTeX error is traced to (map: the lines of the document that was
// typeset, figures: the list it was written from); nullptr when no figure is to blame.
const CFigure* FindTypesetErrorFigure(const CTypesetResult& result, const CFigureList& figures,
                                      const CTeXDrawLineMap& map);
// A failed run in plain text: "LaTeX error in the text rectangle “50%”: …".
QString DescribeTypesetFailure(const CTypesetResult& result, const CFigureList& figures,
                               const CTeXDrawLineMap& map);
