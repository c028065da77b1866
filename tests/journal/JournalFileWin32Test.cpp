// The journal's files on Windows: a journal with the read-only attribute is
// reported and kept, and a device name in place of a journal is not read.
// (The storage below has the rest of Windows' file faults: DurableFileWin32Test.cpp.)

#include "JournalFile.h"
#include "JournalSniff.h"
#include "TestFiles.h"

#include <QDir>

#include <gtest/gtest.h>

#include <windows.h>

namespace {

TEST_F(JournalFileSave, AReadOnlyJournalIsReportedAndKept)
{
    const QString path = dir.filePath("journal.txt");
    const QByteArray good = "good\r\n";
    WriteBytes(path, good);
    const std::wstring native = QDir::toNativeSeparators(path).toStdWString();
    ASSERT_TRUE(::SetFileAttributesW(native.c_str(), FILE_ATTRIBUTE_READONLY));
    try {
        SaveJournalFile(rows, path);
        ADD_FAILURE() << "saved over a read-only file";
    } catch (const EJournalFile &e) {
        EXPECT_TRUE(QString::fromUtf8(e.what()).contains(QString::fromUtf8("только для чтения"))) << e.what();
    }
    ::SetFileAttributesW(native.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(ReadBytes(path), good);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"journal.txt"});
}

TEST(JournalFileRead, ADeviceIsNotReadAsAJournal)
{
    EXPECT_THROW(ReadJournalFile("NUL"), EJournalFile);
    EXPECT_EQ(SniffJournalFile("NUL"), std::nullopt);
}

} // namespace
