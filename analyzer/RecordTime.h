#pragma once

// The record's time: days since 30 December 1899 as a double, the fraction
// being the time of day, local time. The poller stamps results with it, the
// journal's date and time and the status bar read it back.

#include <QDateTime>

double RecordTimeFromDateTime(const QDateTime &When);

// Rounded to the millisecond; a fraction that rounds up to a whole day is
// midnight of the next day.
QDateTime DateTimeFromRecordTime(double RecordTime);
