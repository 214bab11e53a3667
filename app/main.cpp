#include "app/MainFrame.h"
#include "app/QuodraApp.h"

#include <QApplication>
#include <QTimer>
#include <QWindow>

#include <functional>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    Cquodra_dvApp theApp;
    if (!theApp.InitInstance())
        return 1;
    // The file is opened once the window is on the screen (or after a second at most), so that a
    // message about a file that cannot be read appears over the window. Qt has taken its own
    // options out of the arguments already.
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
