// The exclusive file lock: one holder at a time, also within one process,
// and free again as soon as the holder goes, however it went.

#include "ExclusiveFileLock.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using TResult = TExclusiveFileLock::TResult;

TEST(ExclusiveFileLock, OneHolderAtATimeAndFreeOnceItGoes)
{
    QTemporaryDir dir;
    const QString name = dir.filePath("Nivara.lock");
    auto first = std::make_unique<TExclusiveFileLock>(name);
    EXPECT_EQ(first->TryLock(), TResult::Locked);
    EXPECT_TRUE(QFile::exists(name)) << "created";
    EXPECT_EQ(first->TryLock(), TResult::Locked) << "held already";

    TExclusiveFileLock second(name);
    EXPECT_EQ(second.TryLock(), TResult::HeldElsewhere);
    EXPECT_FALSE(second.IsLocked());
    first.reset();
    EXPECT_EQ(second.TryLock(), TResult::Locked);
}

TEST(ExclusiveFileLock, AHolderKilledLeavesItFree)
{
    QTemporaryDir dir;
    const QString name = dir.filePath("Nivara.lock");
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        TExclusiveFileLock held(name);
        const char said = held.TryLock() == TResult::Locked ? 'y' : 'n';
        (void)!::write(ready[1], &said, 1);
        ::pause();
        ::_exit(0);
    }
    char said = 0;
    ASSERT_EQ(::read(ready[0], &said, 1), 1);
    ASSERT_EQ(said, 'y');
    TExclusiveFileLock mine(name);
    EXPECT_EQ(mine.TryLock(), TResult::HeldElsewhere);
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    EXPECT_EQ(mine.TryLock(), TResult::Locked);
    ::close(ready[0]);
    ::close(ready[1]);
}

TEST(ExclusiveFileLock, AFolderThatCannotBeWrittenIsAFailureWithItsCause)
{
    TExclusiveFileLock lock(QStringLiteral("/nonexistent-folder/Nivara.lock"));
    EXPECT_EQ(lock.TryLock(), TResult::Failed);
    EXPECT_FALSE(lock.ErrorText().isEmpty());
}

} // namespace
