// Recovery on POSIX: a log in a folder an ordinary user may not create
// files in (permission bits, and the test dropping root's rights). Windows
// folders take rights from access lists, which Wine does not enforce.

#include "FormHarness.h"
#include "JournalLog.h"
#include "ProgramTexts.h"
#include "ResultLog.h"
#include "Unprivileged.h"

namespace {

using RecoveryPosix = FormTest;

} // namespace

// A log that cannot be copied aside, in a folder where nothing can be
// created but the log itself is writable: it stays byte for byte, and the
// recovered work is kept unsecured (and said so) instead of being written
// over it; once the folder opens, the old log is moved away and the new one
// written.
TEST_F(RecoveryPosix, ALogThatCannotBeCopiedAsideIsNeverWrittenOver)
{
    const QString folder = Path("locked");
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString logName = folder + "/Nivara.log";
    {
        TResultLog log(logName);
        log.Restart(Path("day.txt"), std::nullopt);
        log.Append(TResultLogRecord::Result(5, {"15.03.2023", "12:00:00"}));
    }
    const QByteArray before = ReadFile(logName);
    ASSERT_FALSE(before.isEmpty());
    QFile::setPermissions(Dir.path(),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther);
    QFile::setPermissions(folder,
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther);
    QFile::setPermissions(logName, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther | QFile::WriteOther);

    const int result = RunUnprivileged([&] {
        JournalDocument journal(MyConsts::sJournalTexts());
        TJournalLog log(journal, logName);
        const std::optional<TJournalLog::TRecovered> recovered = log.Recover();
        if (!recovered || recovered->Results != 1 || !recovered->LogCopy.isEmpty())
            return 1;
        if (log.Secured() || log.LastError() != MyConsts::sLogNotSetAside())
            return 2;
        return ReadFile(logName) == before ? 0 : 3;
    });
    if (result == kCannotDropRights)
        GTEST_SKIP() << "cannot run as an ordinary user here";
    EXPECT_EQ(result, 0);
    EXPECT_EQ(ReadFile(logName), before);

    // Where it can be copied (here: as the owner of the folder), it is, and
    // the new log holds the recovered work.
    JournalDocument journal(MyConsts::sJournalTexts());
    TJournalLog log(journal, logName);
    const std::optional<TJournalLog::TRecovered> recovered = log.Recover();
    ASSERT_TRUE(recovered.has_value());
    EXPECT_TRUE(log.Secured());
    const QStringList aside = QDir(folder).entryList({"Nivara.log.*.recovered"});
    ASSERT_EQ(aside.size(), 1);
    EXPECT_EQ(ReadFile(folder + "/" + aside[0]), before);
    EXPECT_EQ(ReadResultLog(logName).Results(), 1);
}
