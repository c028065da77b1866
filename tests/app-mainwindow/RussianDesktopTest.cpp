// The window as it runs on the station's Russian desktop, where Qt has put
// the C library under ru_RU.UTF-8 and its conversions write a decimal comma:
// an analysis from the emulator reads the same in the grid, in the saved
// file and in the journal recovered after a crash.

#include "CLibraryLocale.h"
#include "FormHarness.h"

namespace {

using RussianDesktop = FormTest;

TEST_F(RussianDesktop, ValuesReadTheSameInTheGridTheSavedFileAndTheRecoveredJournal)
{
    const TCLibraryLocale russian({"ru_RU.UTF-8", "Russian_Russia.1251"});
    ASSERT_TRUE(russian.Installed()) << "ru_RU.UTF-8 is not generated; scripts/ensure-deps does it";
    const QStringList shown{"20,00", "3,45", "8,50", "1028,00"};
    const QString fileLine = QStringLiteral("\t15.03.2023\t12:00:00\t1\t20,00\t3,45\t8,50\t1028,00\t");

    TTestAnalyzer analyzer(AnalyzerConfig({20.0, 3.45, 8.5, 1028.0}));
    TForm1 &form = Create();
    Clock.Set(45'000.5);
    ASSERT_TRUE(PollFirstResultInto(analyzer, QStringLiteral("day.txt")));
    QStringList grid;
    for (int col = 5; col <= 8; ++col)
        grid << form.MainGrid->model()->index(0, col).data().toString();
    EXPECT_EQ(grid, shown) << "as the operator sees it";

    form.actSave->trigger();
    EXPECT_TRUE(Cp1251::Decode(ReadFile(Path("day.txt"))).contains(fileLine));

    // A second analysis, never saved; then the crash.
    Clock.Advance(126);
    ASSERT_TRUE(PollUntilRows(analyzer, 4, 2));
    ASSERT_TRUE(StopPolling());
    Form.reset();

    Create();
    ASSERT_EQ(Script->Calls.size(), 1u);
    EXPECT_EQ(Script->Calls[0].Kind, "Info") << "the recovery box";
    EXPECT_EQ(RowCount(), 4);
    EXPECT_EQ(RowTexts(1, 5, 8), shown) << "saved";
    EXPECT_EQ(RowTexts(2, 5, 8), shown) << "recovered";
    EXPECT_EQ(RowTexts(2, 2, 3), (QStringList{"15.03.2023", "12:02:06"}));
}

} // namespace
