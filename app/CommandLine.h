// The program's command line: every option is declared and read in ParseCommandLine, with the one
// QCommandLineParser of the program. "quodra --export out.pdf drawing.txt" typesets a saved
// drawing into a PDF, PNG or SVG file without a window (for Makefiles).
#pragma once

#include "app/Typesetter.h"

#include <QString>
#include <QStringList>

class QTextStream;

struct CCommandLine {
    // Exit: print the texts and end with nExitCode instead of starting the editor.
    bool bExit = false;
    int nExitCode = 0;
    QString strOutput; // for standard output (help, version)
    QString strError;  // for standard error (a mistake on the command line, a warning)
    QString strFile;   // the drawing to open (or to export); empty for a new one
    // --export: typeset strFile into strExport instead of starting the editor.
    bool bExport = false;
    QString strExport;
    ETypesetOutput eExportFormat = ETypesetOutput::Pdf;
    ETypesetCrop eCrop = ETypesetCrop::Drawing;
    int nDpi = 300;
    QString strPreambleFile; // empty: the preamble setting
};

// The longest preamble file that is read.
inline constexpr qint64 kMaxPreambleBytes = qint64(1) << 20;
// Reads a preamble file: an ordinary file of at most kMaxPreambleBytes; otherwise false with the
// reason ("is not an ordinary file").
bool ReadPreambleFile(const QString& path, QString& preamble, QString& why);

// The program's version, as --version prints it.
QString GetQuodraVersion();

// Reads the arguments, the program's name first (Qt's own options already taken out).
CCommandLine ParseCommandLine(const QStringList& arguments);

// Runs an export the command line asked for (a QCoreApplication must exist) and returns the exit
// status: 0 when written, 1 when typesetting failed, 2 for a drawing or preamble that cannot be
// read. Messages go to err.
int RunCommandLineExport(const CCommandLine& line, QTextStream& err);

// Reads the arguments and, when they ask for an export, runs it; prints what the command line
// has to say. Returns the exit status, or -1 when the editor is to start.
int RunCommandLine(const QStringList& arguments, QTextStream& out, QTextStream& err);
