// The journal's files on POSIX: a disk that fills up during a save (the
// process's file size limit stands in for it), a pipe and a device in place
// of a journal, and a dangling symbolic link in the way of a new name.

#include "FileSizeLimitPosix.h"
#include "JournalFile.h"
#include "JournalNames.h"
#include "JournalSniff.h"
#include "ProgramTexts.h"
#include "TestFiles.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

TEST_F(JournalFileSave, FailureLeavesThePreviousFileIntact)
{
    const QString path = dir.filePath("journal.txt");
    const QByteArray good = "good\r\n";
    WriteBytes(path, good);

    // A disk that fills up halfway.
    WithFileSizeLimit(4096, [&] { EXPECT_THROW(SaveJournalFile(rows, path), EJournalFile); });

    EXPECT_EQ(ReadBytes(path), good);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"journal.txt"});
}

TEST(JournalFileRead, APipeThrowsAndADeviceIsNotJudged)
{
    QTemporaryDir dir;
    // A pipe could block the program forever.
    const QString fifo = dir.filePath("pipe.txt");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    EXPECT_THROW(ReadJournalFile(fifo), EJournalFile);
    EXPECT_EQ(SniffJournalFile("/dev/zero"), std::nullopt) << "a device is not read";
}

TEST(JournalNames, DanglingLinksOccupyANameToo)
{
    QTemporaryDir dir;
    const QString folder = dir.path() + '/';
    ASSERT_TRUE(QFile::link(folder + "nowhere", folder + QString::fromUtf8("Новый1.txt")));
    EXPECT_EQ(NextNewJournalName(MyConsts::sJournalTexts().NewJournalBase, folder + "day.txt"),
              folder + QString::fromUtf8("Новый2.txt"));
}

} // namespace
