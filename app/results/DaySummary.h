#pragma once
// The summary of a day's journal rows: per value column the count, mean,
// minimum, maximum and standard deviation of the numbers it holds, and, for
// the columns that have a norm, how many rows break it. The same figures as
// rows of the journal's shape, so that the journal's page painter prints
// them and a spreadsheet takes them from the clipboard. Qt Core only.

#include "JournalTexts.h"
#include "SelectionStatistics.h"

#include <QChar>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// The journal's value columns: temperature to the last of the twelve.
inline constexpr int kFirstValueColumn = 5;
inline constexpr int kLastValueColumn = JournalColumns::Count - 1;

struct TColumnSummary {
    TSelectionStatistics Figures;   // count, mean, minimum, maximum, decimals
    long double Deviation = 0;      // the sample standard deviation; 0 under two numbers
    std::optional<int> OutsideNorm; // rows whose value breaks the column's norm; none without a norm
};

struct TDaySummary {
    int Rows = 0; // rows with a result among those summarised
    std::array<TColumnSummary, kLastValueColumn - kFirstValueColumn + 1> Columns;
    std::optional<int> RowsOutsideNorms; // rows breaking any norm; none without norms

    const TColumnSummary &Column(int Col) const { return Columns[size_t(Col - kFirstValueColumn)]; }
};

// Whether a cell's text breaks its column's norm: nothing when the column
// has no norm (or the text is no number the norm can judge).
using TNormCheck = std::function<std::optional<bool>(int Col, const QString &Text)>;

// Rows: the journal's rows, columns 0 to 16 each; rows without a result
// (no date, time, group or value) are left out.
TDaySummary SummarizeRows(const QList<QStringList> &Rows, QChar DecimalSeparator, const TNormCheck &Norms = {});

// The summary as rows of the journal's shape: the figure's name in the
// label column, the figures in the value columns, written as the journal
// writes its values (minimum and maximum with the cells' decimals, mean
// and deviation with one more). The row of norms only when there are norms.
QList<QStringList> SummaryTable(const TDaySummary &Summary, QChar DecimalSeparator);

// Captions and rows as TAB-separated lines, the columns from the label to
// the last value, for a spreadsheet.
QString SummaryClipboardText(const JournalCaptions &Captions, const QList<QStringList> &Table);
