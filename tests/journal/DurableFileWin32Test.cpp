// Files written durably on Windows: a file another program holds open (the
// commonest fault at a station: the journal is open in Excel), the
// read-only attribute, the old file's attributes carried over, paths longer
// than MAX_PATH, names up to 255 UTF-16 characters, a device, and the causes
// Windows' error numbers are named by.

#include "DurableFile.h"
#include "DurableFileFixtures.h"
#include "FileError.h"
#include "RegularFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <windows.h>

namespace {

std::wstring Native(const QString &Path)
{
    return QDir::toNativeSeparators(Path).toStdWString();
}

class DurableFileWin32 : public ::testing::Test {
protected:
    QString Path(const QString &Name = "journal 1.txt") const { return Dir.filePath(Name); }
    QStringList Files() const { return QDir(Dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System); }
    QTemporaryDir Dir;
};

// Excel opens a workbook letting others read it, not write it; some
// programs let no one in at all. Either way the save is refused with that
// cause before anything is made, and the journal stays as it was.
TEST_F(DurableFileWin32, AFileHeldByAnotherProgramIsNamedAsSuchAndKept)
{
    const QString path = Path();
    Put(path, "old\r\n");
    for (const DWORD share : {DWORD(FILE_SHARE_READ), DWORD(0)}) {
        SCOPED_TRACE(share ? "others may read" : "no one else");
        const HANDLE held = ::CreateFileW(Native(path).c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING,
                                          FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        try {
            Write(path, "new\r\n");
            ADD_FAILURE() << "no error";
        } catch (const EFileError &e) {
            EXPECT_EQ(e.ErrorCode(), ERROR_SHARING_VIOLATION);
            EXPECT_EQ(e.Cause(), QString::fromUtf8("файл открыт в другой программе"));
        }
        if (share == 0) {
            try {
                TRegularFileReader::ReadAll(path);
                ADD_FAILURE() << "read";
            } catch (const EFileError &e) {
                EXPECT_EQ(e.Cause(), QString::fromUtf8("файл открыт в другой программе"));
            }
        } else {
            EXPECT_EQ(TRegularFileReader::ReadAll(path), QByteArray("old\r\n")) << "reading goes on";
        }
        ::CloseHandle(held);
        EXPECT_EQ(Read(path), "old\r\n");
        EXPECT_EQ(Files(), QStringList{"journal 1.txt"});
    }
    EXPECT_EQ(Write(path, "new\r\n"), DurableFile::TWritten::Replaced) << "once the other program lets go";
    EXPECT_EQ(Read(path), "new\r\n");
}

TEST_F(DurableFileWin32, AReadOnlyFileIsReportedNotReplaced)
{
    const QString path = Path();
    Put(path, "kept\r\n");
    ASSERT_TRUE(::SetFileAttributesW(Native(path).c_str(), FILE_ATTRIBUTE_READONLY));
    try {
        Write(path, "new\r\n");
        ADD_FAILURE() << "no error";
    } catch (const EFileError &e) {
        EXPECT_EQ(e.Cause(), QString::fromUtf8("файл только для чтения"));
    }
    EXPECT_EQ(Read(path), "kept\r\n");
    EXPECT_EQ(Files(), QStringList{"journal 1.txt"});
    ::SetFileAttributesW(Native(path).c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(DurableFileWin32, TheOldFilesAttributesStayWithTheNewOne)
{
    const QString path = Path();
    Put(path, "old\r\n");
    ASSERT_TRUE(::SetFileAttributesW(Native(path).c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
    EXPECT_EQ(Write(path, "new\r\n"), DurableFile::TWritten::Replaced);
    EXPECT_EQ(Read(path), "new\r\n");
    EXPECT_TRUE(::GetFileAttributesW(Native(path).c_str()) & FILE_ATTRIBUTE_HIDDEN);

    Write(Path("new.txt"), "x");
    EXPECT_FALSE(::GetFileAttributesW(Native(Path("new.txt")).c_str()) & FILE_ATTRIBUTE_HIDDEN)
        << "a new file is a plain one";
}

// A journal deep in folders: the whole path beyond MAX_PATH (260).
TEST_F(DurableFileWin32, PathsLongerThanMaxPathAreWrittenAndRead)
{
    QString folder = Dir.path();
    while (folder.size() < 300)
        folder += QStringLiteral("/folder of milk journals");
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString path = folder + QStringLiteral("/journal 1.txt");
    ASSERT_GT(path.size(), MAX_PATH);
    EXPECT_EQ(Write(path, "first\r\n"), DurableFile::TWritten::Replaced);
    EXPECT_EQ(Write(path, "second\r\n"), DurableFile::TWritten::Replaced);
    EXPECT_EQ(TRegularFileReader::ReadAll(path), QByteArray("second\r\n"));
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{"journal 1.txt"});
}

// Windows allows 255 UTF-16 characters in a name: a name too long for the
// usual temporary name gets a short one, so that a failed save still keeps
// the previous copy. (Long Cyrillic names are not tried: Wine keeps names
// in UTF-8 on a Linux file system, 255 bytes at most.)
TEST_F(DurableFileWin32, NamesUpToTheLimitAreReplacedThroughATemporaryFile)
{
    const struct {
        const char *Case;
        QString Name;
        bool UsualTemp;
    } cases[] = {
        {"242 characters: the usual temporary name just fits", QString(238, 'j') + ".txt", true},
        {"243 characters", QString(239, 'j') + ".txt", false},
        {"255 characters", QString(251, 'j') + ".txt", false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Case);
        const QString path = Path(c.Name);
        Put(path, "old\r\n");
        const QString temp = DurableFile::TempFileName(path);
        EXPECT_EQ(QFileInfo(temp).fileName() == "." + c.Name + ".nivara-save", c.UsualTemp);
        EXPECT_LE(QFileInfo(temp).fileName().size(), 255);
        EXPECT_THROW(DurableFile::WriteFile(path,
                                            [](const DurableFile::TWrite &write) {
                                                write("half");
                                                throw EFileError(ERROR_WRITE_FAULT);
                                            }),
                     EFileError);
        EXPECT_EQ(Read(path), "old\r\n");
        Put(temp, "half a journal"); // what a killed save left
        EXPECT_EQ(Write(path, "new\r\n"), DurableFile::TWritten::Replaced);
        EXPECT_EQ(Read(path), "new\r\n");
        EXPECT_EQ(Files(), QStringList{c.Name});
        QFile::remove(path);
    }
}

// A device is written to, never replaced, and never read as a file.
TEST_F(DurableFileWin32, ADeviceIsWrittenToButNotRead)
{
    EXPECT_EQ(Write(QStringLiteral("NUL"), "abc\r\n"), DurableFile::TWritten::InPlace);
    try {
        TRegularFileReader::ReadAll(QStringLiteral("NUL"));
        ADD_FAILURE() << "read";
    } catch (const EFileError &e) {
        EXPECT_EQ(e.ErrorCode(), kNotARegularFile);
        EXPECT_EQ(e.Cause(), QString::fromUtf8("это не обычный файл"));
    }
}

TEST(FileErrorWin32, WindowsErrorNumbersAreNamedLikeThePosixOnes)
{
    const struct {
        int Code;
        const char *Cause;
    } cases[] = {
        {ERROR_DISK_FULL, "на диске нет места"},
        {ERROR_HANDLE_DISK_FULL, "на диске нет места"},
        {ERROR_ACCESS_DENIED, "нет прав доступа"},
        {ERROR_SHARING_VIOLATION, "файл открыт в другой программе"},
        {ERROR_LOCK_VIOLATION, "файл открыт в другой программе"},
        {ERROR_FILE_NOT_FOUND, "папка или файл не найдены"},
        {ERROR_PATH_NOT_FOUND, "папка или файл не найдены"},
        {ERROR_WRITE_PROTECT, "диск защищён от записи"},
        {ERROR_NOT_READY, "устройство не готово (нет диска или носителя)"},
        {ERROR_INVALID_NAME, "недопустимое имя файла или папки"},
        {ERROR_FILENAME_EXCED_RANGE, "слишком длинное имя файла"},
        {SystemError::IsAFolder(), "это папка, а не файл"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(FileErrorCause(c.Code), QString::fromUtf8(c.Cause)) << c.Code;
    EXPECT_TRUE(SystemError::IsMissing(ERROR_PATH_NOT_FOUND));
    EXPECT_FALSE(SystemError::IsMissing(ERROR_ACCESS_DENIED));
    const QString other = FileErrorCause(ERROR_NOT_SAME_DEVICE);
    EXPECT_TRUE(other.startsWith(QString::fromUtf8("системная ошибка 17 ("))) << other.toStdString();
    EXPECT_FALSE(other.endsWith(QStringLiteral("())"))) << "with the system's own text";
}

} // namespace
