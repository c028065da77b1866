// The summary's figures against a table worked out by hand, the norms'
// counts, and the text a spreadsheet takes.

#include "DaySummary.h"
#include "ProgramTexts.h"

#include <gtest/gtest.h>

namespace {

// A row of the journal: label, date, time, group, then values from the
// temperature on (the rest empty).
QStringList Row(const QString &Label, const QStringList &Values, const QString &Date = QStringLiteral("11.12.2026"))
{
    QStringList cells(JournalColumns::Count);
    cells[1] = Label;
    cells[2] = Date;
    cells[3] = Date.isEmpty() ? QString() : QStringLiteral("08:00:00");
    cells[4] = Date.isEmpty() ? QString() : QStringLiteral("1");
    for (int i = 0; i < Values.size(); ++i)
        cells[5 + i] = Values[i];
    return cells;
}

// Temperature, fat, SNF, density; then the freezing point in column 15.
const QList<QStringList> kDay = {
    Row("A", {"20,00", "3,45", "8,50", "1028,00"}), Row("B", {"21,00", "3,60", "", "1027,50"}),
    Row("C", {"19,00", "3,30", "сбой", "1029,00"}), Row("", {}, QString()), // the entry row: no result
};

TEST(DaySummary, FiguresAsWorkedOutByHand)
{
    QList<QStringList> day = kDay;
    day[0][15] = "-0,5200";
    day[1][15] = "-0,5150";
    const TDaySummary summary = SummarizeRows(day, u',');
    EXPECT_EQ(summary.Rows, 3);
    EXPECT_FALSE(summary.RowsOutsideNorms);

    const QList<QStringList> table = SummaryTable(summary, u',');
    ASSERT_EQ(table.size(), 5) << "no norms: no row for them";
    struct {
        int Col;
        QStringList Figures; // count, mean, minimum, maximum, deviation
    } const expected[] = {
        {5, {"3", "20,000", "19,00", "21,00", "1,000"}},
        // 3,45 3,60 3,30: mean 3,45, squares 0 + 0,0225 + 0,0225 over 2.
        {6, {"3", "3,450", "3,30", "3,60", "0,150"}},
        // A text and an empty cell are no numbers; one number has no spread.
        {7, {"1", "8,500", "8,50", "8,50", ""}},
        // Mean 1028,1667; squares 0,0278 + 0,4444 + 0,6944 over 2 = 0,5833.
        {8, {"3", "1028,167", "1027,50", "1029,00", "0,764"}},
        // Four decimals: mean and deviation with five (0,005 / √2).
        {15, {"2", "-0,51750", "-0,5200", "-0,5150", "0,00354"}},
        {9, {"0", "", "", "", ""}},
    };
    for (const auto &column : expected) {
        QStringList figures;
        for (const QStringList &row : table)
            figures << row[column.Col];
        EXPECT_EQ(figures, column.Figures) << "column " << column.Col;
    }
    EXPECT_EQ(table[1][1], MyConsts::sSummaryMean());
}

TEST(DaySummary, RowsOutsideTheNormsPerColumnAndInAll)
{
    // Fat not below 3,40 and density not below 1028,00; other columns free.
    const TNormCheck norms = [](int Col, const QString &Text) -> std::optional<bool> {
        const std::optional<TCellNumber> number = ParseCellNumber(Text, u',');
        if (!number || (Col != 6 && Col != 8))
            return std::nullopt;
        return number->Value < (Col == 6 ? 3.40L : 1028.0L);
    };
    const TDaySummary summary = SummarizeRows(kDay, u',', norms);
    EXPECT_EQ(summary.Column(6).OutsideNorm, 1);
    EXPECT_EQ(summary.Column(8).OutsideNorm, 1);
    EXPECT_FALSE(summary.Column(5).OutsideNorm);
    EXPECT_EQ(summary.RowsOutsideNorms, 2) << "B breaks density, C fat";
    const QList<QStringList> table = SummaryTable(summary, u',');
    ASSERT_EQ(table.size(), 6);
    EXPECT_EQ(table[5][1], MyConsts::sSummaryOutsideNorm());
    EXPECT_EQ(table[5][6], "1");
    EXPECT_EQ(table[5][5], "");
}

TEST(DaySummary, ClipboardTextIsTabSeparatedFromTheLabelToTheLastValue)
{
    JournalCaptions captions;
    for (int col = 0; col < JournalColumns::Count; ++col)
        captions[size_t(col)] = QStringLiteral("c%1").arg(col);
    const QString text = SummaryClipboardText(captions, SummaryTable(SummarizeRows(kDay, u','), u','));
    const QStringList lines = text.split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 7) << "captions, five figures, and the end of the last line";
    EXPECT_TRUE(lines[0].startsWith(MyConsts::sSummaryFigure() + "\tc2\tc3\tc4\tc5\tc6"));
    EXPECT_EQ(lines[0].count(u'\t'), 15);
    EXPECT_TRUE(lines[2].startsWith(MyConsts::sSummaryMean() + "\t\t\t\t20,000\t3,450\t"));
    EXPECT_TRUE(lines[6].isEmpty());
}

} // namespace
