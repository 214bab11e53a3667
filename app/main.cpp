#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow w;
    w.setWindowTitle("Untitled - quodra_dv");
    w.showMaximized();
    return app.exec();
}
