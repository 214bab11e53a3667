#include "app/CommandLine.h"

#include <QCommandLineParser>
#include <QFileInfo>

#ifndef QUODRA_VERSION
#define QUODRA_VERSION "0"
#endif

QString GetQuodraVersion() {
    return QStringLiteral(QUODRA_VERSION);
}

CCommandLine ParseCommandLine(const QStringList& arguments) {
    const QString program = arguments.isEmpty() ? "quodra" : QFileInfo(arguments[0]).fileName();
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Quodra, a drawing editor for LaTeX: draws lines, arrows, boxes, rhombs, ellipses and "
        "Bezier curves and saves them as TeXDraw source.");
    // A help option of its own: Qt's adds --help-all, which lists Qt's options only once Qt runs.
    const QCommandLineOption help({"h", "help", "?"}, "Displays help on commandline options.");
    parser.addOption(help);
    const QCommandLineOption version = parser.addVersionOption();
    parser.addPositionalArgument("file", "A TeXDraw drawing saved by Quodra, to open.", "[file]");

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
        result.strOutput = QString("Usage: %1 [options] [file]").arg(program) + text.mid(end);
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
    if (files.size() > 1)
        result.strError = QString("%1: one drawing at a time; opening %2 and not %3\n")
                              .arg(program, files.first(), files.mid(1).join(", "));
    return result;
}
