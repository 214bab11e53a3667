// The program's command line: every option is declared and read in ParseCommandLine, with the one
// QCommandLineParser of the program.
#pragma once

#include <QString>
#include <QStringList>

struct CCommandLine {
    // Exit: print the texts and end with nExitCode instead of starting the editor.
    bool bExit = false;
    int nExitCode = 0;
    QString strOutput; // for standard output (help, version)
    QString strError;  // for standard error (a mistake on the command line, a warning)
    QString strFile;   // the drawing to open; empty for a new one
};

// The program's version, as --version prints it.
QString GetQuodraVersion();

// Reads the arguments, the program's name first (Qt's own options already taken out).
CCommandLine ParseCommandLine(const QStringList& arguments);
