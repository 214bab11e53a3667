#include "app/QuodraApp.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    Cquodra_dvApp theApp;
    if (!theApp.InitInstance())
        return 1;
    // Qt has taken its own options out of the arguments already.
    theApp.OpenCommandLineFile(QCoreApplication::arguments());
    return app.exec();
}
