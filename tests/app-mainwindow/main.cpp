#include "NivaraApplication.h"

#include <gtest/gtest.h>

// The window runs inside the program's own application object, so errors that
// escape a handler take the same road as in the program.
int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TNivaraApplication application(argc, argv);
    application.setApplicationName(QStringLiteral("Nivara"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
