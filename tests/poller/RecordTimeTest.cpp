// The record's time, which the poller writes and the journal and the status
// bar read back.

#include "RecordTime.h"

#include <QDate>
#include <QTime>

#include <gtest/gtest.h>

namespace {

TEST(RecordTime, DaysSince30December1899WithTheTimeOfDayAsFraction)
{
    const struct {
        double Days;
        QDateTime When;
    } cases[] = {
        {0, QDateTime(QDate(1899, 12, 30), QTime(0, 0))},
        {1, QDateTime(QDate(1899, 12, 31), QTime(0, 0))},
        {45000.5, QDateTime(QDate(2023, 3, 15), QTime(12, 0))},
        {45000.75, QDateTime(QDate(2023, 3, 15), QTime(18, 0))},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(DateTimeFromRecordTime(c.Days), c.When) << c.Days;
        EXPECT_EQ(RecordTimeFromDateTime(c.When), c.Days) << c.Days;
    }
}

TEST(RecordTime, ATimeComesBackToTheMillisecond)
{
    for (const QDateTime &when :
         {QDateTime(QDate(2024, 2, 29), QTime(23, 59, 59, 999)), QDateTime(QDate(2024, 7, 1), QTime(0, 0, 0, 1)),
          QDateTime(QDate(2031, 12, 31), QTime(7, 41, 13, 250))})
        EXPECT_EQ(DateTimeFromRecordTime(RecordTimeFromDateTime(when)), when)
            << when.toString(Qt::ISODateWithMs).toStdString();
}

TEST(RecordTime, AFractionThatRoundsToAWholeDayIsTheNextMidnight)
{
    EXPECT_EQ(DateTimeFromRecordTime(45000.9999999999), QDateTime(QDate(2023, 3, 16), QTime(0, 0)));
}

} // namespace
