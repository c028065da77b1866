// Count, mean, minimum and maximum of the numbers among selected journal
// cells: which texts count, and how the result is written.

#include "SelectionStatistics.h"

#include <gtest/gtest.h>

namespace {

TEST(SelectionStatistics, OnlyWholeNumbersInTheJournalsFormatCount)
{
    struct Case {
        const char *text;
        QChar separator;
        bool counts;
        int decimals;
    };
    const Case cases[] = {
        {"3,45", u',', true, 2},
        {"-0,5400", u',', true, 4},
        {"1028", u',', true, 0},
        {"+7", u',', true, 0},
        {"1,23456789E+10", u',', true, 8},
        {"3.45", u'.', true, 2},
        {"3.45", u',', false, 0},
        {"3,45", u'.', false, 0},
        {"", u',', false, 0},
        {" 3,45", u',', false, 0},
        {"3,45 ", u',', false, 0},
        {"12a", u',', false, 0},
        {"01.02.2024", u',', false, 0},
        {"10:00:00", u',', false, 0},
        {"NAN", u',', false, 0},
        {"-INF", u',', false, 0},
        {"3,", u',', false, 0},
        {",5", u',', false, 0},
        {"1 000", u',', false, 0},
        {"-", u',', false, 0},
        {"1E", u',', false, 0},
        {"1E999", u',', false, 0},
    };
    for (const Case &c : cases) {
        const std::optional<TCellNumber> number = ParseCellNumber(QString::fromUtf8(c.text), c.separator);
        EXPECT_EQ(number.has_value(), c.counts) << c.text;
        if (number && c.counts)
            EXPECT_EQ(number->Decimals, c.decimals) << c.text;
    }
}

TEST(SelectionStatistics, MixedAndEmptyCellsAreLeftOut)
{
    const QStringList fat{"3,45", "", "проба 7", "3,60", "12a", "3,3", "01.02.2024"};
    const TSelectionStatistics statistics = SelectionStatistics(fat, u',');
    EXPECT_EQ(statistics.Count, 3);
    EXPECT_NEAR(double(statistics.Mean), 3.45, 1e-12);
    EXPECT_NEAR(double(statistics.Minimum), 3.3, 1e-12);
    EXPECT_NEAR(double(statistics.Maximum), 3.6, 1e-12);
    EXPECT_EQ(statistics.Decimals, 2);
    EXPECT_EQ(SelectionStatisticsText(statistics, u','),
              "Количество: 3  Среднее: 3,450  Минимум: 3,30  Максимум: 3,60");
}

TEST(SelectionStatistics, TextFollowsTheSeparatorAndIsEmptyWithoutNumbers)
{
    EXPECT_EQ(SelectionStatisticsText(SelectionStatistics({"-0,5400", "-0,5300"}, u','), u','),
              "Количество: 2  Среднее: -0,53500  Минимум: -0,5400  Максимум: -0,5300");
    EXPECT_EQ(SelectionStatisticsText(SelectionStatistics({"1", "2"}, u'.'), u'.'),
              "Количество: 2  Среднее: 1.5  Минимум: 1  Максимум: 2");
    EXPECT_EQ(SelectionStatisticsText(SelectionStatistics({"", "проба", "NAN"}, u','), u','), "");
    EXPECT_EQ(SelectionStatisticsText(SelectionStatistics({}, u','), u','), "");
}

} // namespace
