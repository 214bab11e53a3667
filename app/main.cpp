#include "app/QuodraApp.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    Cquodra_dvApp theApp;
    if (!theApp.InitInstance())
        return 1;
    return app.exec();
}
