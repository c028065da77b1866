// The main of every test binary that needs a Qt application object. The
// binaries differ only in the object's class, chosen where this file is
// built (see CMakeLists.txt): tests run inside the object their code runs
// inside in the program. The application object sets the C library's
// locale from the environment, as it does in the program, so the tests meet
// the number conversions of the operator's desktop.

#if defined(TEST_APPLICATION_NIVARA)
#include "NivaraApplication.h"
using TTestApplication = TNivaraApplication;
#elif defined(TEST_APPLICATION_WIDGETS)
#include <QApplication>
using TTestApplication = QApplication;
#else
#include <QCoreApplication>
using TTestApplication = QCoreApplication;
#endif

#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    // Widget tests need no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TTestApplication application(argc, argv);
#if defined(TEST_APPLICATION_NIVARA)
    application.setApplicationName(QStringLiteral("Nivara"));
#endif
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
