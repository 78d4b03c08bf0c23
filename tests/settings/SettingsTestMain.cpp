// The settings tests run in a widget application on the offscreen platform. Both registry
// roots point into a temporary folder for the whole run, so that no test ever reaches the real
// settings files; each test relocates them again into a folder of its own.

#include "SettingsTestSupport.h"

#include <QApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir dir;
    if (qEnvironmentVariableIsEmpty("ROAD_IMPORT_SETTINGS_TEST_WRITER")) {
        qputenv("ROAD_IMPORT_USER_REGISTRY", dir.filePath(QStringLiteral("user.ini")).toLocal8Bit());
        qputenv("ROAD_IMPORT_MACHINE_REGISTRY", dir.filePath(QStringLiteral("machine.ini")).toLocal8Bit());
    }
    QApplication app(argc, argv);
    if (!qEnvironmentVariableIsEmpty("ROAD_IMPORT_SETTINGS_TEST_WRITER"))
        return RunWriterProcess(qEnvironmentVariable("ROAD_IMPORT_SETTINGS_TEST_WRITER"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
