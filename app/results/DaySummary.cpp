#include "DaySummary.h"

#include "ProgramTexts.h"
#include "ResultEntry.h"

#include <cmath>
#include <vector>

namespace {

constexpr int kLabelColumn = 1;

bool HasResult(const QStringList &Row)
{
    for (int col = 2; col < Row.size(); ++col)
        if (!Row[col].isEmpty())
            return true;
    return false;
}

} // namespace

TDaySummary SummarizeRows(const QList<QStringList> &Rows, QChar DecimalSeparator, const TNormCheck &Norms)
{
    TDaySummary summary;
    std::array<std::vector<long double>, std::tuple_size_v<decltype(summary.Columns)>> values;
    std::array<QStringList, std::tuple_size_v<decltype(summary.Columns)>> texts;
    int outsideAny = 0;
    bool anyNorm = false;
    for (const QStringList &row : Rows) {
        if (!HasResult(row))
            continue;
        ++summary.Rows;
        bool outside = false;
        for (int col = kFirstValueColumn; col <= kLastValueColumn && col < row.size(); ++col) {
            const size_t i = size_t(col - kFirstValueColumn);
            texts[i] << row[col];
            if (const std::optional<TCellNumber> number = ParseCellNumber(row[col], DecimalSeparator))
                values[i].push_back(number->Value);
            if (!Norms)
                continue;
            if (const std::optional<bool> breaks = Norms(col, row[col])) {
                anyNorm = true;
                TColumnSummary &column = summary.Columns[i];
                column.OutsideNorm = column.OutsideNorm.value_or(0) + (*breaks ? 1 : 0);
                outside = outside || *breaks;
            }
        }
        outsideAny += outside ? 1 : 0;
    }
    for (size_t i = 0; i < summary.Columns.size(); ++i) {
        TColumnSummary &column = summary.Columns[i];
        column.Figures = SelectionStatistics(texts[i], DecimalSeparator);
        // Two passes: the mean first, then the squares about it, which keeps
        // a density's 1028 from swallowing its spread.
        if (values[i].size() >= 2) {
            long double squares = 0;
            for (const long double value : values[i])
                squares += (value - column.Figures.Mean) * (value - column.Figures.Mean);
            column.Deviation = std::sqrt(squares / (long double)(values[i].size() - 1));
        }
    }
    if (anyNorm)
        summary.RowsOutsideNorms = outsideAny;
    return summary;
}

QList<QStringList> SummaryTable(const TDaySummary &Summary, QChar DecimalSeparator)
{
    const auto row = [](const QString &Name) {
        QStringList cells(JournalColumns::Count);
        cells[kLabelColumn] = Name;
        return cells;
    };
    QList<QStringList> table{row(MyConsts::sSummaryCount()), row(MyConsts::sSummaryMean()),
                             row(MyConsts::sSummaryMinimum()), row(MyConsts::sSummaryMaximum()),
                             row(MyConsts::sSummaryDeviation())};
    const bool norms = Summary.RowsOutsideNorms.has_value();
    if (norms)
        table << row(MyConsts::sSummaryOutsideNorm());
    for (int col = kFirstValueColumn; col <= kLastValueColumn; ++col) {
        const TColumnSummary &column = Summary.Column(col);
        const TSelectionStatistics &f = column.Figures;
        table[0][col] = QString::number(f.Count);
        if (f.Count > 0) {
            table[1][col] = FormatResultValue(f.Mean, f.Decimals + 1, DecimalSeparator);
            table[2][col] = FormatResultValue(f.Minimum, f.Decimals, DecimalSeparator);
            table[3][col] = FormatResultValue(f.Maximum, f.Decimals, DecimalSeparator);
        }
        if (f.Count > 1)
            table[4][col] = FormatResultValue(column.Deviation, f.Decimals + 1, DecimalSeparator);
        if (norms && column.OutsideNorm)
            table[5][col] = QString::number(*column.OutsideNorm);
    }
    return table;
}

QString SummaryClipboardText(const JournalCaptions &Captions, const QList<QStringList> &Table)
{
    QStringList lines;
    const auto line = [](const QStringList &Cells) {
        QStringList fields;
        for (int col = kLabelColumn; col <= kLastValueColumn; ++col)
            fields << (col < Cells.size() ? Cells[col] : QString());
        return fields.join(u'\t');
    };
    QStringList captions(Captions.begin(), Captions.end());
    captions[kLabelColumn] = MyConsts::sSummaryFigure();
    lines << line(captions);
    for (const QStringList &row : Table)
        lines << line(row);
    return lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
}
