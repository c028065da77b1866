#include "QualityNorms.h"

#include "SelectionStatistics.h"

#include <QLocale>

#include <algorithm>

bool TQualityNorms::IsEmpty() const
{
    return std::none_of(FNorms.begin(), FNorms.end(), [](const TNorm &Norm) { return Norm.IsSet(); });
}

TNorm TQualityNorms::Norm(int Column) const
{
    return IsValueColumn(Column) ? FNorms[size_t(Column)] : TNorm{};
}

void TQualityNorms::SetNorm(int Column, const TNorm &Norm)
{
    if (IsValueColumn(Column))
        FNorms[size_t(Column)] = Norm;
}

TNormVerdict TQualityNorms::Judge(int Column, const QString &Text, QChar DecimalSeparator) const
{
    const TNorm norm = Norm(Column);
    if (!norm.IsSet())
        return TNormVerdict::NotJudged;
    const std::optional<TCellNumber> number = ParseCellNumber(Text, DecimalSeparator);
    if (!number)
        return TNormVerdict::NotJudged;
    // Cell and bound both read as double, so a cell showing the bound's
    // digits equals it exactly.
    const double value = double(number->Value);
    if (norm.Lower && value < *norm.Lower)
        return TNormVerdict::Below;
    if (norm.Upper && value > *norm.Upper)
        return TNormVerdict::Above;
    return TNormVerdict::Within;
}

TQualityNorms RawCowMilkNorms()
{
    TQualityNorms norms;
    norms.SetNorm(6, {2.8, std::nullopt});    // "Жир"
    norms.SetNorm(7, {8.2, std::nullopt});    // "СОМО"
    norms.SetNorm(8, {1027.0, std::nullopt}); // "Плотность"
    norms.SetNorm(9, {2.8, std::nullopt});    // "Белок"
    norms.SetNorm(TQualityNorms::FreezingPointColumn, {std::nullopt, -0.520});
    return norms;
}

std::optional<double> ParseBound(const QString &Text, QChar DecimalSeparator)
{
    QString text = Text.trimmed();
    if (text.startsWith(u'\u2212'))
        text[0] = u'-';
    for (QChar separator : {DecimalSeparator, QChar(u'.')}) {
        // No exponent: a bound is typed as a plain decimal.
        if (text.contains(u'e', Qt::CaseInsensitive))
            return std::nullopt;
        if (const std::optional<TCellNumber> number = ParseCellNumber(text, separator))
            return double(number->Value);
    }
    return std::nullopt;
}

QString FormatBound(double Bound, QChar DecimalSeparator)
{
    QString text = QString::number(Bound, 'g', 15);
    if (text.contains(u'e', Qt::CaseInsensitive))
        text = QString::number(Bound, 'f', 6);
    text.replace(u'.', DecimalSeparator);
    return text;
}
