// The exclusive file lock: one holder at a time, also within one process,
// and free again as soon as the holder goes, however it went.

#include "ExclusiveFileLock.h"
#include "InstanceChild.h"
#include "WaitFor.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

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

// Killed as by kill -9 or the task manager: nothing of it is undone by the
// holder, and still the lock is free. (Windows lets go of a dead process's
// locks a moment later, not at once.)
TEST(ExclusiveFileLock, AHolderKilledLeavesItFree)
{
    QTemporaryDir dir;
    const std::unique_ptr<QProcess> holder = StartInstanceChild({dir.path(), QStringLiteral("--lock-only")});
    ASSERT_EQ(NextLine(*holder), "locked");
    TExclusiveFileLock mine(dir.filePath("Nivara.lock"));
    EXPECT_EQ(mine.TryLock(), TResult::HeldElsewhere);
    Kill(*holder);
    EXPECT_TRUE(WaitFor([&] { return mine.TryLock() == TResult::Locked; }, 5000));
    EXPECT_TRUE(QFile::exists(dir.filePath("Nivara.lock"))) << "the file stays; only its lock goes";
}

TEST(ExclusiveFileLock, AFolderThatCannotBeWrittenIsAFailureWithItsCause)
{
    TExclusiveFileLock lock(QStringLiteral("/nonexistent-folder/Nivara.lock"));
    EXPECT_EQ(lock.TryLock(), TResult::Failed);
    EXPECT_FALSE(lock.ErrorText().isEmpty());
}

} // namespace
