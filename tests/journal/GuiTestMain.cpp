// The widget and printing tests see the journal in the station's Russian
// locale; the main is the shared one for widget tests.

#include <QLocale>

#include <gtest/gtest.h>

namespace {

class TRussianLocale : public ::testing::Environment {
public:
    void SetUp() override { QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia)); }
};

const ::testing::Environment *const kRussianLocale = ::testing::AddGlobalTestEnvironment(new TRussianLocale);

} // namespace
