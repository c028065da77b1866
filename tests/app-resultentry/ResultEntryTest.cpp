// The texts a result puts into the journal, and which results are entered.

#include "ResultEntry.h"
#include "CLibraryLocale.h"

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QTime>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <ostream>
#include <utility>
#include <vector>

inline void PrintTo(const QString &Text, std::ostream *Out)
{
    *Out << '"' << Text.toStdString() << '"';
}

namespace {

TEST(ResultEntry, ValuesAreRoundedToNineDigitsThenShownWithFixedDecimals)
{
    struct Case {
        long double value;
        int decimals;
        const char *shown;
    };
    const Case cases[] = {
        {20.0L, 2, "20,00"},
        {3.4499998092651367L, 2, "3,45"}, // 3.45 as the analyzer's format carries it
        {-0.5204L, 4, "-0,5204"},
        {-0.5204L, 2, "-0,52"},
        {0.0L, 2, "0,00"},
        {0.125L, 2, "0,13"}, // a half goes away from zero
        {-0.125L, 2, "-0,13"},
        {-0.004L, 2, "0,00"},     // no "-0,00"
        {999.999L, 2, "1000,00"}, // the carry adds a digit
        {12345.678912L, 2, "12345,68"},
        {1.0049999999L, 2, "1,01"},           // 9 digits first: 1.00500000, then 2 places
        {123456789.0L, 2, "123456789,00"},    // 9 integer digits stay fixed
        {1234567891.0L, 2, "1,23456789E+09"}, // 10 do not
        {1e20L, 2, "1E+20"},
        {1e-20L, 2, "0,00"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(FormatResultValue(c.value, c.decimals, QLatin1Char(',')), QString::fromLatin1(c.shown))
            << double(c.value) << " with " << c.decimals;
    EXPECT_EQ(FormatResultValue(1028.0L, 2, QLatin1Char('.')), QStringLiteral("1028.00"));
}

// The C library's locale is the operator's desktop's (Qt sets it at start-up);
// the digits must not follow it, only the separator the system asks for.
TEST(ResultEntry, ValuesHaveTheSameDigitsUnderEveryCLibraryLocale)
{
    struct Value {
        long double value;
        int decimals;
        const char *digits; // with '.' where the separator goes
    };
    const Value values[] = {
        {20.0L, 2, "20.00"},
        {3.4499998092651367L, 2, "3.45"},
        {1028.0L, 2, "1028.00"},
        {-0.5204L, 4, "-0.5204"}, // the freezing point's 4 decimals
        {-12.125L, 2, "-12.13"},
        {1.0049999999L, 2, "1.01"}, // 9 significant digits first
        {123456789.0L, 2, "123456789.00"},
        {1234567891.0L, 2, "1.23456789E+09"},
        {-1234567891.0L, 2, "-1.23456789E+09"},
    };
    struct Desktop {
        std::vector<const char *> cLocale; // as glibc, then as Windows' C library names it
        QLocale locale;
    };
    const Desktop desktops[] = {
        {{"C"}, QLocale::c()},
        {{"ru_RU.UTF-8", "Russian_Russia.1251"}, QLocale(QLocale::Russian, QLocale::Russia)},
        {{"de_DE.UTF-8", "German_Germany.1252"}, QLocale(QLocale::German, QLocale::Germany)},
    };
    for (const Desktop &desktop : desktops) {
        const TCLibraryLocale installed(desktop.cLocale);
        ASSERT_TRUE(installed.Installed()) << desktop.cLocale[0] << " is not generated; scripts/ensure-deps does it";
        const QChar separator = desktop.locale.decimalPoint().front();
        for (const Value &v : values)
            EXPECT_EQ(FormatResultValue(v.value, v.decimals, separator),
                      QString::fromLatin1(v.digits).replace(QLatin1Char('.'), separator))
                << desktop.cLocale[0] << ": " << double(v.value);
    }
}

TEST(ResultEntry, TimeFormatKeepsHoursMinutesSecondsWithoutZone)
{
    struct Case {
        const char *locale;
        const char *format;
    };
    const Case cases[] = {
        {"ru_RU", "HH:mm:ss"},
        {"C", "HH:mm:ss"},
        {"en_US", "h:mm:ss AP"},
        {"fi_FI", "H.mm.ss"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(LongTimeFormatWithoutZone(QLocale(QString::fromLatin1(c.locale))), QString::fromLatin1(c.format))
            << c.locale;
}

TEST(ResultEntry, DeviceNumberIsRoundedHalfToEvenAndKeepsLow16Bits)
{
    const std::pair<long double, uint16_t> cases[] = {
        {0, 0},     {1, 1},        {2.5L, 2},   {3.5L, 4},  {65535, 65535},
        {65536, 0}, {70000, 4464}, {-1, 65535}, {1e30L, 0}, {std::numeric_limits<long double>::quiet_NaN(), 0},
    };
    for (const auto &[value, device] : cases)
        EXPECT_EQ(DeviceNumberFromValue(value), device) << double(value);

    // The settings file keeps the whole number before it is cut to 16 bits.
    const std::pair<long double, long double> kept[] = {
        {2.5L, 2}, {-2.5L, -2}, {70000.5L, 70000}, {1e30L, 1e30L}, {std::numeric_limits<long double>::infinity(), 0},
    };
    for (const auto &[value, rounded] : kept)
        EXPECT_EQ(RoundDeviceNumber(value), rounded) << double(value);
}

TEST(ResultEntry, OnlyFreshResultsWithGroupAndNoDroppingStatusAreEntered)
{
    TFixMeasResult fresh;
    fresh.AckPending = true;
    fresh.GroupNumber = 3;
    EXPECT_TRUE(IsResultToEnter(fresh));

    const std::pair<const char *, void (*)(TFixMeasResult &)> dropped[] = {
        {"acknowledgement", [](TFixMeasResult &r) { r.AckPending = false; }},
        {"the same analysis again", [](TFixMeasResult &r) { r.Repeated = true; }},
        {"group 0", [](TFixMeasResult &r) { r.GroupNumber = 0; }},
        {"status 0x0001", [](TFixMeasResult &r) { r.Status = 0x0001; }},
        {"status 0x0020", [](TFixMeasResult &r) { r.Status = 0x0020; }},
        {"status 0x1000", [](TFixMeasResult &r) { r.Status = 0x1000; }},
    };
    for (const auto &[name, spoil] : dropped) {
        TFixMeasResult r = fresh;
        spoil(r);
        EXPECT_FALSE(IsResultToEnter(r)) << name;
    }
    fresh.Status = 0x0002 | 0x0100 | 0x8000; // other bits do not drop it
    EXPECT_TRUE(IsResultToEnter(fresh));
}

TEST(ResultEntry, CellTextsInRussianAndCLocale)
{
    TFixMeasResult r;
    r.ResultTime = 45000.5 + (8 * 3600 + 7 * 60 + 6) / 86400.0; // 15.03.2023 20:07:06
    r.GroupNumber = 17;
    r.ValueCount = 12;
    const double values[12] = {21.5, 3.45, 8.5, 1028.3, 3.1, 0, 12.25, 4.7, 0.7, 9.1, -0.5204, 77};
    for (int i = 0; i < 12; ++i)
        r.Values[size_t(i)] = Real6::FromFloat(values[i]);

    const QStringList ru = ResultCellTexts(r, QLocale(QLocale::Russian, QLocale::Russia));
    EXPECT_EQ(ru, (QStringList{"15.03.2023", "20:07:06", "17", "21,50", "3,45", "8,50", "1028,30", "3,10", "0,00",
                               "12,25", "4,70", "0,70", "9,10", "-0,5204", "77,00"}));
    const QStringList c = ResultCellTexts(r, QLocale::c());
    EXPECT_EQ(c.mid(0, 4), (QStringList{"15 Mar 2023", "20:07:06", "17", "21.50"}));
    EXPECT_EQ(c[13], "-0.5204");

    // Four values fill columns 5 to 8 and nothing more.
    r.ValueCount = 4;
    EXPECT_EQ(ResultCellTexts(r, QLocale::c()).size(), 3 + 4);
}

} // namespace
