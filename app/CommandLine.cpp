#include "app/CommandLine.h"

#include "app/LatexDialogs.h"
#include "app/TerminationSignals.h"
#include "figures/FigureList.h"
#include "latex/LatexLog.h"
#include "texdraw/Reader.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

#ifndef QUODRA_VERSION
#define QUODRA_VERSION "0"
#endif

QString GetQuodraVersion() {
    return QStringLiteral(QUODRA_VERSION);
}

namespace {

// The options of --export, checked; a mistake ends the program with status 2.
CCommandLine ReadExportOptions(const QCommandLineParser& parser,
                               const QCommandLineOption& exportOpt, const QCommandLineOption& crop,
                               const QCommandLineOption& dpi, const QCommandLineOption& preamble,
                               const QString& program, CCommandLine result) {
    result.bExport = true;
    result.strExport = parser.value(exportOpt);
    const auto refuse = [&](const QString& why) {
        result.bExit = true;
        result.nExitCode = 2;
        result.strError = QString("%1: cannot export: %2\n").arg(program, why);
        return result;
    };
    const QStringList files = parser.positionalArguments();
    if (files.size() != 1 || result.strExport.isEmpty())
        return refuse("--export needs an output file and exactly one drawing, as in\n  " + program +
                      " --export drawing.pdf drawing.txt");
    // Exporting over the drawing would destroy it, also when a link leads from one to the other.
    const QFileInfo in(files.first());
    const QFileInfo out(result.strExport);
    if (in.exists() && out.exists() && in.canonicalFilePath() == out.canonicalFilePath())
        return refuse("the output " + result.strExport + " is the drawing " + files.first() +
                      " itself; the export would destroy it");
    if (!ExportFormatOf(result.strExport, result.eExportFormat))
        return refuse("the output's extension must be .pdf, .png or .svg");
    const QString cropValue = parser.value(crop).toLower();
    if (cropValue != "drawing" && cropValue != "page")
        return refuse("--crop takes \"drawing\" or \"page\", not \"" + parser.value(crop) + "\"");
    result.eCrop = cropValue == "page" ? ETypesetCrop::Page : ETypesetCrop::Drawing;
    bool ok = false;
    result.nDpi = parser.value(dpi).toInt(&ok);
    if (!ok || result.nDpi < 10 || result.nDpi > 4800)
        return refuse("--dpi takes a whole number from 10 to 4800");
    if (result.eExportFormat == ETypesetOutput::Png && result.eCrop == ETypesetCrop::Page) {
        const QString tooBig = CTypesetter::CheckImageSize(kTypesetPageWidth / 100.0,
                                                           kTypesetPageHeight / 100.0, result.nDpi);
        if (!tooBig.isEmpty())
            return refuse(tooBig);
    }
    result.strPreambleFile = parser.value(preamble);
    return result;
}

} // namespace

bool ReadPreambleFile(const QString& path, QString& preamble, QString& why) {
    const QFileInfo info(path);
    if (!info.exists()) {
        why = "cannot be found";
        return false;
    }
    // A device or a pipe could never end or block for ever.
    if (!info.isFile()) {
        why = "is not an ordinary file";
        return false;
    }
    if (info.size() > kMaxPreambleBytes) {
        why = QString("is longer than a preamble can be (%1 kB)").arg(kMaxPreambleBytes >> 10);
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        why = "cannot be read: " + file.errorString();
        return false;
    }
    // At most the limit, even when the file grows while it is read.
    const QByteArray bytes = file.read(kMaxPreambleBytes + 1);
    if (bytes.size() > kMaxPreambleBytes) {
        why = QString("is longer than a preamble can be (%1 kB)").arg(kMaxPreambleBytes >> 10);
        return false;
    }
    preamble = QString::fromUtf8(bytes);
    return true;
}

CCommandLine ParseCommandLine(const QStringList& arguments) {
    const QString program = arguments.isEmpty() ? "quodra" : QFileInfo(arguments[0]).fileName();
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Quodra, a drawing editor for LaTeX: draws lines, arrows, boxes, rhombs, ellipses and "
        "Bezier curves and saves them as TeXDraw source.\n"
        "With --export it opens no window: it typesets the drawing with latex, dvips and "
        "Ghostscript (and pdftocairo for SVG) into the output file, whose extension (.pdf, .png or "
        ".svg) chooses the format, and exits with status 0 when done, 1 when typesetting failed "
        "and 2 for wrong arguments or a drawing that cannot be read.");
    // A help option of its own: Qt's adds --help-all, which lists Qt's options only once Qt runs.
    const QCommandLineOption help({"h", "help", "?"}, "Displays help on commandline options.");
    parser.addOption(help);
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption exportOpt("export", "Typeset the drawing into <output> and exit.",
                                       "output");
    const QCommandLineOption crop("crop",
                                  "What an export covers: \"drawing\" (its ink, the default) or "
                                  "the editor's whole \"page\".",
                                  "drawing|page", "drawing");
    const QCommandLineOption dpi("dpi", "Resolution of a PNG export (default 300).", "n", "300");
    const QCommandLineOption preamble("preamble",
                                      "Read the LaTeX preamble of an export (the \\usepackage "
                                      "lines the texts need) from <file> instead of the "
                                      "editor's setting.",
                                      "file");
    parser.addOptions({exportOpt, crop, dpi, preamble});
    parser.addPositionalArgument("file", "A TeXDraw drawing saved by Quodra, to open or export.",
                                 "[file]");

    CCommandLine result;
    if (!parser.parse(arguments)) {
        result.bExit = true;
        result.nExitCode = 2;
        result.strError = QString("%1: %2\nTry '%1 --help' for more information.\n")
                              .arg(program, parser.errorText());
        return result;
    }
    if (parser.isSet(help)) {
        result.bExit = true;
        // The usage line names the program as it was called, whether or not Qt runs yet.
        QString text = parser.helpText();
        const qsizetype end = text.indexOf('\n');
        result.strOutput = QString("Usage: %1 [options] [file]").arg(program) + text.mid(end) +
                           "\nPutting a drawing into a LaTeX document:\n" + GetLatexUsageHelp() +
                           "\n";
        return result;
    }
    if (parser.isSet(version)) {
        result.bExit = true;
        result.strOutput = QString("quodra %1\n").arg(GetQuodraVersion());
        return result;
    }
    const QStringList files = parser.positionalArguments();
    if (!files.isEmpty())
        result.strFile = files.first();
    if (parser.isSet(exportOpt))
        return ReadExportOptions(parser, exportOpt, crop, dpi, preamble, program, result);
    if (files.size() > 1)
        result.strError = QString("%1: one drawing at a time; opening %2 and not %3\n")
                              .arg(program, files.first(), files.mid(1).join(", "));
    return result;
}

int RunCommandLineExport(const CCommandLine& line, QTextStream& err) {
    const QString fail =
        QString("quodra: cannot export %1 to %2: ").arg(line.strFile, line.strExport);
    CTypesetRequest request;
    request.eOutput = line.eExportFormat;
    request.eCrop = line.eCrop;
    request.dDpi = line.nDpi;
    request.strPreamble = GetLatexPreamble();
    if (!line.strPreambleFile.isEmpty()) {
        QString why;
        if (!ReadPreambleFile(line.strPreambleFile, request.strPreamble, why)) {
            err << fail << "the preamble file " << line.strPreambleFile << " " << why << "\n";
            return 2;
        }
    }
    CFigureList figures;
    const CTeXDrawReadResult read =
        ReadTeXDrawFile(QFile::encodeName(line.strFile).toStdString(), figures);
    if (!read.ok) {
        err << fail << QString::fromStdString(read.error) << "\n";
        return 2;
    }
    const CTeXDrawLineMap map(figures);
    SetTypesetDrawing(request, figures, map, kTypesetPageWidth, kTypesetPageHeight);
    request.strOutputPath = QFileInfo(line.strExport).absoluteFilePath();
    request.strSourcePath = QFileInfo(line.strFile).absoluteFilePath();
    request.strTitle = QFileInfo(line.strFile).fileName();
    CTypesetter typesetter;
    // Ctrl+C or a kill ends the run: its programs are stopped and its folder removed.
    const QMetaObject::Connection stop =
        QObject::connect(&CTerminationSignals::Get(), &CTerminationSignals::Received, &typesetter,
                         [&typesetter] { typesetter.Cancel(); });
    const CTypesetResult result = typesetter.Run(request);
    QObject::disconnect(stop);
    if (const int sig = CTerminationSignals::Get().GetReceived(); sig != 0) {
        err << fail << "stopped by signal " << sig << "\n";
        return 128 + sig;
    }
    if (!result.bOk) {
        err << fail << DescribeTypesetFailure(result, figures, map) << "\n";
        if (!result.strLogPath.isEmpty())
            err << "LaTeX's log: " << result.strLogPath << "\n";
        return 1;
    }
    if (result.bInkBeyondPage)
        err << "quodra: " << line.strFile << ": " << DescribeInkBeyondPage() << "\n";
    return 0;
}

int RunCommandLine(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    // The preamble setting lives under the editor's names.
    if (QCoreApplication::organizationName().isEmpty())
        QCoreApplication::setOrganizationName("Local AppWizard-Generated Applications");
    if (QCoreApplication::applicationName() != "quodra_dv")
        QCoreApplication::setApplicationName("quodra_dv");
    const CCommandLine line = ParseCommandLine(arguments);
    out << line.strOutput;
    err << line.strError;
    if (line.bExit)
        return line.nExitCode;
    if (line.bExport)
        return RunCommandLineExport(line, err);
    return -1;
}
