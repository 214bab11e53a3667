// The app tests' main: a QApplication must exist before any widget, font or pixmap is touched.
#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Each test process keeps its settings (recent files, window layout, preferences) in a folder
    // of its own: the tests run in parallel and must neither see each other's nor the user's.
    QTemporaryDir config;
    if (config.isValid()) {
        qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
        // QStandardPaths' test mode (which the fixture turns on) would otherwise send every
        // process to the same ~/.qttest folder.
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, config.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, config.path());
    }
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
