#include "RecordTime.h"

#include <QDate>
#include <QTime>

#include <cmath>

namespace {

constexpr qint64 kMsPerDay = 86'400'000;

const QDate &Epoch()
{
    static const QDate Day(1899, 12, 30);
    return Day;
}

} // namespace

double RecordTimeFromDateTime(const QDateTime &When)
{
    return double(Epoch().daysTo(When.date())) + When.time().msecsSinceStartOfDay() / double(kMsPerDay);
}

QDateTime DateTimeFromRecordTime(double RecordTime)
{
    double days = std::trunc(RecordTime);
    qint64 ms = std::llround(std::fabs(RecordTime - days) * double(kMsPerDay));
    if (ms >= kMsPerDay) {
        ms -= kMsPerDay;
        days += 1;
    }
    return QDateTime(Epoch().addDays(qint64(days)), QTime::fromMSecsSinceStartOfDay(int(ms)));
}
