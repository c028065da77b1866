#pragma once

// Result entry: which records the poller hands over are entered into the
// journal, and the texts they put there; also the device number the poller
// asks for. Qt Core only, so it is tested without any window.

#include "FixMeas.h"
#include "RecordTime.h"

#include <QByteArrayView>
#include <QChar>
#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QStringList>

#include <cstdint>

// A value as the journal shows it: first rounded to 9 significant digits,
// then written with `Decimals` places (halves away from zero) and the given
// decimal separator, without grouping. A value with more than 9 integer
// digits is written in scientific notation instead, e.g. 1,23456789E+10.
QString FormatResultValue(long double Value, int Decimals, QChar DecimalSeparator);

// The locale's long time format with any time-zone name taken out, so the
// journal's time shows hours, minutes and seconds in the locale's order.
QString LongTimeFormatWithoutZone(const QLocale &Locale);

// The texts a result writes into the entry row, from column 2 ("Дата") on:
// short date, long time, group number, the ValueCount values with 2
// decimals, and with more than 7 values the freezing point (the value before
// the last) with 4 decimals in column 15.
QStringList ResultCellTexts(const TFixMeasResult &Result, const QLocale &Locale);

// The journal columns (bit c for column c) whose values did not decode in
// the reply a result came in, as ResultCellTexts places them; such a value
// is entered as zero, and the journal marks it. Reply is the accepted reply
// whole (its length that of ValueCount values); 0 for anything else.
quint32 UndecodedColumns(QByteArrayView Reply, int ValueCount);

// Whether a handed-over record is a fresh result to enter: not the
// acknowledgement, not the same analysis sent again (Repeated), a group
// number, and none of the status bits of AnalyzerProtocol::kRejectStatusMask.
bool IsResultToEnter(const TFixMeasResult &Result);

// Rounds half to even whatever the current rounding mode.
long double RoundHalfEven(long double Value);

// The device number field's value as a whole number: rounded half to even,
// 0 when it is not finite. The settings file keeps this.
long double RoundDeviceNumber(long double Value);

// The poller's device number: RoundDeviceNumber's low 16 bits.
uint16_t DeviceNumberFromValue(long double Value);
