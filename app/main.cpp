#include "app/CommandLine.h"
#include "app/MainFrame.h"
#include "app/QuodraApp.h"
#include "app/TerminationSignals.h"
#include "texdraw/Document.h"

#include <QApplication>
#include <QFile>
#include <QTextStream>
#include <QTimer>
#include <QWindow>

#include <cstdio>
#include <functional>

namespace {

// Prints what the command line has to say; true when the program ends here.
bool Report(const CCommandLine& line) {
    std::fputs(line.strOutput.toLocal8Bit().constData(), stdout);
    std::fputs(line.strError.toLocal8Bit().constData(), stderr);
    return line.bExit;
}

// Without a window there is nobody to ask: the copy that a killed save left of the drawing is
// put back before the drawing is read, and the user is told so.
void RestoreInterruptedSave(const QString& file, QTextStream& err) {
    if (file.isEmpty())
        return;
    const std::string path = QFile::encodeName(file).toStdString();
    const CSaveLeftovers left = TidySaveLeftovers(path);
    if (!left.backup)
        return;
    std::string error;
    if (RestoreSaveBackup(path, *left.backup, error))
        err << "quodra: a save of " << file
            << " was interrupted; the copy made before it has been restored.\n";
    else
        err << "quodra: a save of " << file << " was interrupted, and the copy made before it "
            << "could not be restored: " << QString::fromStdString(error) << "\n";
    err.flush();
}

} // namespace

int main(int argc, char** argv) {
    // --help, --version and --export answer before Qt starts, so they work without a display.
    // Anything the first reading does not understand may be one of Qt's own options: it is read
    // again once Qt has taken those out.
    QStringList raw;
    for (int i = 0; i < argc; ++i)
        raw << QString::fromLocal8Bit(argv[i]);
    if (const CCommandLine early = ParseCommandLine(raw); early.bExit && early.nExitCode == 0) {
        Report(early);
        return 0;
    }
    // An export needs no window, nor a display: it runs in Makefiles.
    if (ParseCommandLine(raw).bExport) {
        QCoreApplication app(argc, argv);
        QTextStream out(stdout);
        QTextStream err(stderr);
        RestoreInterruptedSave(ParseCommandLine(QCoreApplication::arguments()).strFile, err);
        return RunCommandLine(QCoreApplication::arguments(), out, err);
    }
    QApplication app(argc, argv);
    const CCommandLine line = ParseCommandLine(QCoreApplication::arguments());
    if (Report(line))
        return line.nExitCode;
    Cquodra_dvApp theApp;
    if (!theApp.InitInstance())
        return 1;
    // A kill or Ctrl+C in the terminal ends the program through its event loop, so that the
    // typesetting programs are stopped and their folders removed.
    QObject::connect(&CTerminationSignals::Get(), &CTerminationSignals::Received, &app,
                     [](int sig) { QCoreApplication::exit(128 + sig); });
    // The file is opened once the window is on the screen (or after a second at most), so that a
    // message about a file that cannot be read appears over the window.
    std::function<void(int)> openWhenShown = [&](int triesLeft) {
        const QWindow* window = theApp.GetMainFrame()->windowHandle();
        if (triesLeft > 0 && window && !window->isExposed()) {
            QTimer::singleShot(20, [&, triesLeft] { openWhenShown(triesLeft - 1); });
            return;
        }
        theApp.OpenCommandLineFile(QCoreApplication::arguments());
    };
    QTimer::singleShot(0, [&] { openWhenShown(50); });
    return app.exec();
}
