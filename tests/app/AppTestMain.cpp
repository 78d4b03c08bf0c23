// The window's tests run with a widget application, on the offscreen platform that the test
// command sets; the log names its file after the executable, as in the program.

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    // The build lists the tests by running this program, with no display and without the
    // test command's environment.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
