#include <QCoreApplication>
#include <gtest/gtest.h>

// The poller delivers everything through the main thread's event loop, so
// every test runs with an application object on the main thread.
int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QCoreApplication App(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
