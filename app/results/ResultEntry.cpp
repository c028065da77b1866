#include "ResultEntry.h"

#include "AnalyzerProtocol.h"
#include "DecimalRounding.h"
#include "JournalModel.h"

#include <QDate>
#include <QTime>

#include <algorithm>
#include <cfenv>
#include <charconv>
#include <cmath>
#include <span>
#include <string>
#include <string_view>

namespace {

constexpr int kSignificantDigits = 9;
constexpr int kFirstResultColumn = 2;                            // "Дата"
constexpr int kFreezingPointColumn = JournalModel::ColCount - 2; // "Т.замерзания"

} // namespace

QString FormatResultValue(long double Value, int Decimals, QChar DecimalSeparator)
{
    if (std::isnan(Value))
        return QStringLiteral("NAN");
    if (std::isinf(Value))
        return Value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");

    // The value rounded to 9 significant digits: d.dddddddde±x, with a point
    // whatever the C library's locale; the separator is ours.
    const std::string written = LongDoubleText(Value, std::chars_format::scientific, kSignificantDigits - 1);
    const std::string_view text(written);
    const bool negative = !text.empty() && text.front() == '-';
    TDecimalDigits number = ParseScientific(text.substr(negative ? 1 : 0));
    const bool zero = number.Mantissa.find_first_not_of('0') == std::string::npos;
    if (zero)
        number.Exponent = 0;

    const QString sign = negative && !zero ? QStringLiteral("-") : QString();
    if (number.Exponent + 1 > kSignificantDigits) {
        // Too many integer digits for fixed notation.
        std::string mantissa = number.Mantissa;
        while (mantissa.size() > 1 && mantissa.back() == '0')
            mantissa.pop_back();
        QString result = sign + QChar(mantissa[0]);
        if (mantissa.size() > 1)
            result += DecimalSeparator + QString::fromLatin1(mantissa.substr(1).c_str());
        return result + QStringLiteral("E+%1").arg(number.Exponent, 2, 10, QLatin1Char('0'));
    }

    // Fixed notation, those digits rounded to `Decimals` places.
    const TRoundedDecimal rounded = RoundDecimalDigits(number, Decimals);
    const std::string integerPart = rounded.Integer.empty() ? "0" : rounded.Integer;
    QString result = (rounded.IsZero() ? QString() : sign) + QString::fromLatin1(integerPart.c_str());
    if (Decimals > 0)
        result += DecimalSeparator + QString::fromLatin1(rounded.Fraction.c_str());
    return result;
}

QString LongTimeFormatWithoutZone(const QLocale &Locale)
{
    const QString format = Locale.timeFormat(QLocale::LongFormat);
    QString result;
    bool quoted = false;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format[i];
        if (c == QLatin1Char('\'')) {
            quoted = !quoted;
            result += c;
        } else if (!quoted && c == QLatin1Char('t')) {
            // A zone token of one to four letters: drop it with the blanks
            // before it, and the blanks after it when it stood first.
            while (i + 1 < format.size() && format[i + 1] == QLatin1Char('t'))
                ++i;
            while (!result.isEmpty() && result.back().isSpace())
                result.chop(1);
            if (result.isEmpty())
                while (i + 1 < format.size() && format[i + 1].isSpace())
                    ++i;
        } else {
            result += c;
        }
    }
    // A zone that stood in brackets leaves them empty.
    result.remove(QStringLiteral("()"));
    return result.trimmed();
}

QStringList ResultCellTexts(const TFixMeasResult &Result, const QLocale &Locale)
{
    const QDateTime when = DateTimeFromRecordTime(Result.ResultTime);
    const QChar separator = Locale.decimalPoint().isEmpty() ? QLatin1Char('.') : Locale.decimalPoint().front();
    const int count = std::min<int>(Result.ValueCount, int(Result.Values.size()));

    QStringList texts;
    texts << Locale.toString(when.date(), Locale.dateFormat(QLocale::ShortFormat))
          << Locale.toString(when.time(), LongTimeFormatWithoutZone(Locale)) << QString::number(Result.GroupNumber);
    for (int i = 0; i < count; ++i)
        texts << FormatResultValue(Result.Values[size_t(i)].ToFloat(), 2, separator);
    if (count > 7) {
        const qsizetype slot = kFreezingPointColumn - kFirstResultColumn;
        while (texts.size() <= slot)
            texts << QString();
        texts[slot] = FormatResultValue(Result.Values[size_t(count - 2)].ToFloat(), 4, separator);
    }
    return texts;
}

quint32 UndecodedColumns(QByteArrayView Reply, int ValueCount)
{
    const int length = AnalyzerProtocol::ReplyLengthForValueCount(ValueCount); // 0 for a count no reply has
    if (length == 0 || Reply.size() != length)
        return 0;
    const auto bytes = std::span(reinterpret_cast<const uint8_t *>(Reply.data()), size_t(Reply.size()));
    const AnalyzerProtocol::TDecodedReply decoded = AnalyzerProtocol::DecodeReply(bytes, ValueCount);
    constexpr int firstValueColumn = kFirstResultColumn + 3; // after date, time and group
    quint32 columns = 0;
    for (int i = 0; i < ValueCount; ++i)
        if (decoded.Malformed[size_t(i)])
            columns |= 1u << (firstValueColumn + i);
    // The freezing point's column shows the value before the last.
    if (ValueCount > 7) {
        columns &= ~(1u << kFreezingPointColumn);
        if (decoded.Malformed[size_t(ValueCount - 2)])
            columns |= 1u << kFreezingPointColumn;
    }
    return columns;
}

bool IsResultToEnter(const TFixMeasResult &Result)
{
    return Result.AckPending && !Result.Repeated && Result.GroupNumber != 0 &&
           (Result.Status & AnalyzerProtocol::kRejectStatusMask) == 0;
}

long double RoundHalfEven(long double Value)
{
    const int previous = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const long double rounded = std::nearbyint(Value);
    std::fesetround(previous);
    return rounded;
}

long double RoundDeviceNumber(long double Value)
{
    return std::isfinite(Value) ? RoundHalfEven(Value) : 0;
}

uint16_t DeviceNumberFromValue(long double Value)
{
    long double low = std::fmod(RoundDeviceNumber(Value), 65536.0L);
    if (low < 0)
        low += 65536.0L;
    return uint16_t(low);
}
