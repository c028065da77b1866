#pragma once

// Count, mean, minimum and maximum of the numbers among the journal cells
// the operator has selected, as a spreadsheet shows them. A cell counts when
// its whole text is a number the way the journal writes one (optional sign,
// digits, the locale's decimal separator, an exponent for huge values);
// empty cells, texts and mixed texts ("12a", "NAN") are left out. Qt Core
// only.

#include <QLocale>
#include <QString>
#include <QStringList>

#include <optional>

// A cell's number and how many decimals its text shows; nothing when the
// text is not such a number.
struct TCellNumber {
    long double Value = 0;
    int Decimals = 0;
};
std::optional<TCellNumber> ParseCellNumber(const QString &Text, QChar DecimalSeparator);

struct TSelectionStatistics {
    int Count = 0;
    long double Mean = 0;
    long double Minimum = 0;
    long double Maximum = 0;
    int Decimals = 0; // the most any counted cell shows
};

TSelectionStatistics SelectionStatistics(const QStringList &Texts, QChar DecimalSeparator);

// The status bar's text: empty when no number is among the cells. Minimum
// and maximum are written with the cells' decimals, the mean with one more,
// all as the journal writes its values.
QString SelectionStatisticsText(const TSelectionStatistics &Statistics, QChar DecimalSeparator);
