#include "ResultLog.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

// A restart makes the new log whole before it takes the old one's place:
// the old log is never cut or written over, so that a kill in between
// leaves it with its header (the journal in use, the acknowledgement owed).
// A reader that had it open still reads it whole.
TEST(ResultLogPosix, ARestartNeverCutsTheOldLog)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Nivara.log");
    TResultLog log(path);
    ASSERT_TRUE(log.Restart(dir.filePath("day.txt"), QByteArray("old\r\n")));
    ASSERT_TRUE(log.Append(TResultLogRecord::Label(1, QStringLiteral("проба 1"))));
    QFile before(path);
    ASSERT_TRUE(before.open(QIODevice::ReadOnly));

    ASSERT_TRUE(log.Restart(dir.filePath("night.txt"), QByteArray("new\r\n")));
    ASSERT_TRUE(log.Append(TResultLogRecord::Label(2, QStringLiteral("проба 2"))));

    const TResultLogContents old = ParseResultLog(before.readAll());
    EXPECT_EQ(old.JournalFileName, dir.filePath("day.txt"));
    EXPECT_EQ(old.Records, std::vector{TResultLogRecord::Label(1, QStringLiteral("проба 1"))});
    const TResultLogContents now = ReadResultLog(path);
    EXPECT_EQ(now.JournalFileName, dir.filePath("night.txt"));
    EXPECT_EQ(now.Records, std::vector{TResultLogRecord::Label(2, QStringLiteral("проба 2"))});
}
