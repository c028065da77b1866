// The result log's file on Windows: in a Cyrillic folder with spaces; while
// the program has it open, others may read it but neither write nor delete
// it, and a reader that keeps it from being replaced does not stop a
// restart; and a journal replaced by a save has a new stamp even where its size
// and time are the same.

#include "ResultLog.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "CyrillicNames.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace {

std::wstring Native(const QString &Path)
{
    return QDir::toNativeSeparators(Path).toStdWString();
}

TEST(ResultLogWin32, OthersMayReadTheOpenLogButNotWriteOrDeleteIt)
{
    QTemporaryDir dir;
    if (!CyrillicNamesPossible(dir.path()))
        GTEST_SKIP() << "this file system cannot hold Cyrillic names (Wine under a locale without UTF-8)";
    ASSERT_TRUE(QDir(dir.path()).mkpath("Молоко 1"));
    const QString path = dir.filePath("Молоко 1/Nivara.log");
    TResultLog log(path);
    ASSERT_TRUE(log.Restart(dir.filePath("Журнал 1.txt"), std::nullopt));
    ASSERT_TRUE(log.Append(TResultLogRecord::Label(1, QStringLiteral("проба"))));

    const TResultLogContents contents = ReadResultLog(path);
    EXPECT_EQ(contents.JournalFileName, dir.filePath("Журнал 1.txt"));
    ASSERT_EQ(contents.Records.size(), 1u);

    const HANDLE writer =
        ::CreateFileW(Native(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_EQ(writer, INVALID_HANDLE_VALUE);
    EXPECT_EQ(::GetLastError(), DWORD(ERROR_SHARING_VIOLATION));
    if (writer != INVALID_HANDLE_VALUE)
        ::CloseHandle(writer);
    EXPECT_FALSE(::DeleteFileW(Native(path).c_str()));
    EXPECT_TRUE(QFile::exists(path));

    // Still written after the attempts.
    ASSERT_TRUE(log.Append(TResultLogRecord::Label(2, QStringLiteral("ещё"))));
    EXPECT_EQ(ReadResultLog(path).Records.size(), 2u);
}

// A restart replaces the log whole; a reader that does not share deletion
// (a viewer, a backup) keeps it from being replaced, and it is then written
// in place rather than left behind.
TEST(ResultLogWin32, ARestartGoesThroughWhileAnotherProgramReadsTheLog)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Nivara.log");
    TResultLog log(path);
    ASSERT_TRUE(log.Restart(dir.filePath("day.txt"), std::nullopt));
    ASSERT_TRUE(log.Append(TResultLogRecord::Label(1, QStringLiteral("проба 1"))));
    const HANDLE reader = ::CreateFileW(Native(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);

    EXPECT_TRUE(log.Restart(dir.filePath("night.txt"), std::nullopt));
    EXPECT_TRUE(log.Append(TResultLogRecord::Label(2, QStringLiteral("проба 2"))));
    ::CloseHandle(reader);
    const TResultLogContents now = ReadResultLog(path);
    EXPECT_EQ(now.JournalFileName, dir.filePath("night.txt"));
    EXPECT_EQ(now.Records, std::vector{TResultLogRecord::Label(2, QStringLiteral("проба 2"))});
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"Nivara.log"}) << "no leftovers";
}

TEST(ResultLogWin32, AJournalReplacedWithTheSameSizeAndTimeHasANewStamp)
{
    QTemporaryDir dir;
    const QString journal = dir.filePath("journal 1.txt");
    const QString saved = dir.filePath("saved.txt");
    for (const QString &name : {journal, saved}) {
        QFile file(name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("a\t\r\n");
    }
    // The new file gets the old one's time, as a fast save could.
    FILETIME written{};
    {
        const HANDLE old = ::CreateFileW(Native(journal).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                         FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(old, INVALID_HANDLE_VALUE);
        ASSERT_TRUE(::GetFileTime(old, nullptr, nullptr, &written));
        ::CloseHandle(old);
        const HANDLE replacement = ::CreateFileW(Native(saved).c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(replacement, INVALID_HANDLE_VALUE);
        ASSERT_TRUE(::SetFileTime(replacement, nullptr, nullptr, &written));
        ::CloseHandle(replacement);
    }
    const TJournalFileStamp before = TJournalFileStamp::Of(journal);
    ASSERT_TRUE(before.Exists);
    EXPECT_EQ(before.Size, 4);
    ASSERT_TRUE(::MoveFileExW(Native(saved).c_str(), Native(journal).c_str(), MOVEFILE_REPLACE_EXISTING));
    const TJournalFileStamp after = TJournalFileStamp::Of(journal);
    EXPECT_EQ(after.Size, before.Size);
    EXPECT_EQ(after.ModifiedNs, before.ModifiedNs);
    EXPECT_NE(after, before) << "another file now";
    EXPECT_FALSE(TJournalFileStamp::Of(dir.filePath("none.txt")).Exists);
}

} // namespace
