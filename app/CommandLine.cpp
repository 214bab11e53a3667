#include "app/CommandLine.h"

#include "app/LatexDialogs.h"
#include "figures/FigureList.h"
#include "texdraw/LatexLog.h"
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
    result.strPreambleFile = parser.value(preamble);
    return result;
}

} // namespace

CCommandLine ParseCommandLine(const QStringList& arguments) {
    const QString program = arguments.isEmpty() ? "quodra" : QFileInfo(arguments[0]).fileName();
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Quodra, a drawing editor for LaTeX: draws lines, arrows, boxes, rhombs, ellipses and "
        "Bezier curves and saves them as TeXDraw source.\n"
        "With --export it opens no window: it typesets the drawing with latex, dvips and "
        "Ghostscript (dvisvgm for SVG) into the output file, whose extension (.pdf, .png or "
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
        QFile file(line.strPreambleFile);
        if (!file.open(QIODevice::ReadOnly)) {
            err << fail << "the preamble file " << line.strPreambleFile
                << " cannot be read: " << file.errorString() << "\n";
            return 2;
        }
        request.strPreamble = QString::fromUtf8(file.readAll());
    }
    CFigureList figures;
    const CTeXDrawReadResult read =
        ReadTeXDrawFile(QFile::encodeName(line.strFile).toStdString(), figures);
    if (!read.ok) {
        err << fail << QString::fromStdString(read.error) << "\n";
        return 2;
    }
    const CTeXDrawLineMap map(figures);
    request.strDocument = map.GetDocument();
    request.strOutputPath = QFileInfo(line.strExport).absoluteFilePath();
    CTypesetter typesetter;
    const CTypesetResult result = typesetter.Run(request);
    if (!result.bOk) {
        err << fail << DescribeTypesetFailure(result, figures, map) << "\n";
        return 1;
    }
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
