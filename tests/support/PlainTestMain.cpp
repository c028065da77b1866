// The main of every test binary without a Qt application object. It sets
// the C library's locale from the environment, as the program's Qt
// application does at start-up, so that the tests meet the number
// conversions the operator's desktop gives (scripts/test runs the suite
// under C and under ru_RU.UTF-8).

#include <gtest/gtest.h>

#include <clocale>

int main(int argc, char **argv)
{
    std::setlocale(LC_ALL, "");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
