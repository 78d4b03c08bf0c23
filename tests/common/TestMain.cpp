// Every test program runs with an application object, as the program itself does: the log
// names its file after the executable, and the SQL drivers are found as plugins.

#include <QCoreApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
