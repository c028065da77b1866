#include "SelectionStatistics.h"

#include "ProgramTexts.h"
#include "ResultEntry.h"

#include <algorithm>
#include <cmath>

std::optional<TCellNumber> ParseCellNumber(const QString &Text, QChar DecimalSeparator)
{
    // sign? digits (separator digits)? (e sign? digits)?; the separator is the
    // journal's, the other one makes a text.
    qsizetype i = 0;
    const qsizetype n = Text.size();
    const auto digits = [&] {
        const qsizetype start = i;
        while (i < n && Text[i] >= u'0' && Text[i] <= u'9')
            ++i;
        return i - start;
    };
    if (i < n && (Text[i] == u'+' || Text[i] == u'-'))
        ++i;
    if (digits() == 0)
        return std::nullopt;
    int decimals = 0;
    if (i < n && Text[i] == DecimalSeparator) {
        ++i;
        decimals = int(digits());
        if (decimals == 0)
            return std::nullopt;
    }
    if (i < n && (Text[i] == u'e' || Text[i] == u'E')) {
        ++i;
        if (i < n && (Text[i] == u'+' || Text[i] == u'-'))
            ++i;
        if (digits() == 0)
            return std::nullopt;
    }
    if (i != n)
        return std::nullopt;
    QString plain = Text;
    plain.replace(DecimalSeparator, QLatin1Char('.'));
    bool ok = false;
    const long double value = plain.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return TCellNumber{value, decimals};
}

TSelectionStatistics SelectionStatistics(const QStringList &Texts, QChar DecimalSeparator)
{
    TSelectionStatistics statistics;
    long double sum = 0;
    for (const QString &text : Texts) {
        const std::optional<TCellNumber> number = ParseCellNumber(text, DecimalSeparator);
        if (!number)
            continue;
        if (statistics.Count == 0) {
            statistics.Minimum = statistics.Maximum = number->Value;
        } else {
            statistics.Minimum = std::min(statistics.Minimum, number->Value);
            statistics.Maximum = std::max(statistics.Maximum, number->Value);
        }
        statistics.Decimals = std::max(statistics.Decimals, number->Decimals);
        sum += number->Value;
        ++statistics.Count;
    }
    if (statistics.Count > 0)
        statistics.Mean = sum / statistics.Count;
    return statistics;
}

QString SelectionStatisticsText(const TSelectionStatistics &Statistics, QChar DecimalSeparator)
{
    if (Statistics.Count == 0)
        return {};
    // A mean is finer than the values it comes from.
    return MyConsts::sSelectionStatistics()
        .arg(Statistics.Count)
        .arg(FormatResultValue(Statistics.Mean, Statistics.Decimals + 1, DecimalSeparator),
             FormatResultValue(Statistics.Minimum, Statistics.Decimals, DecimalSeparator),
             FormatResultValue(Statistics.Maximum, Statistics.Decimals, DecimalSeparator));
}
