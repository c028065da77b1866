// Saving files durably on POSIX: the in-place write in a folder without
// create rights (the same file, its permission bits kept), a disk too small
// for it, permission bits that refuse, devices, names up to the file
// system's limit in bytes, and the causes journal saves and reads name.

#include "DurableFile.h"
#include "FileError.h"
#include "FileSizeLimitPosix.h"
#include "JournalFile.h"
#include "RegularFile.h"
#include "TestFiles.h"
#include "Unprivileged.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

JournalRows Rows(int count)
{
    JournalRows rows;
    for (int i = 0; i < count; ++i)
        rows.Append({QByteArrayView(Win1251("Проба")), "01.02.2024", "10:11:12", "3", "4,50"});
    rows.AppendEmpty();
    return rows;
}

// The folder refuses the temporary file, as one without create rights does.
const DurableFile::TOptions NoNewFiles{[](const QString &) { return EACCES; }};

struct stat Stat(const QString &path)
{
    struct stat st {};
    ::stat(QFile::encodeName(path).constData(), &st);
    return st;
}

class DurableSave : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString Path(const QString &name = "journal.txt") const { return dir.filePath(name); }
    QStringList Files() const { return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System); }
};

TEST_F(DurableSave, AFolderRefusingNewFilesGetsTheSameFileWrittenOverWithItsMode)
{
    const QString path = Path();
    WriteBytes(path, QByteArray(100000, 'x')); // longer than the new content: cut to size
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0640), 0);
    const ino_t inode = Stat(path).st_ino;
    const JournalRows rows = Rows(10);

    SaveJournalFile(rows, path, NoNewFiles);
    EXPECT_EQ(ReadBytes(path), Written(rows));
    EXPECT_EQ(Stat(path).st_ino, inode) << "the same file, written over";
    EXPECT_EQ(Stat(path).st_mode & 07777, 0640u);
    EXPECT_EQ(Files(), QStringList{"journal.txt"});

    // A new file cannot be written in place: the cause is named.
    try {
        SaveJournalFile(rows, Path("new.txt"), NoNewFiles);
        FAIL() << "no error";
    } catch (const EJournalFile &e) {
        EXPECT_EQ(QString::fromUtf8(e.what()),
                  QString::fromUtf8("Не удалось записать журнал \"%1\": нет прав доступа").arg(Path("new.txt")));
    }
}

// The in-place write knows the whole content first and reserves its room: a
// disk that is too small refuses it before the old content is touched. The
// file size limit stands in for a full disk.
TEST_F(DurableSave, InPlaceWriteThatDoesNotFitKeepsTheOldContent)
{
    const QString path = Path();
    const QByteArray good = "good\r\n";
    WriteBytes(path, good);
    WithFileSizeLimit(4096, [&] { EXPECT_THROW(SaveJournalFile(Rows(2000), path, NoNewFiles), EJournalFile); });
    EXPECT_EQ(ReadBytes(path), good);
}

// The real thing, under an ordinary user's rights: a folder the user may not
// create files in, holding a journal the user may change. A journal the user
// may not change is not replaced, even in a folder open to all.
TEST_F(DurableSave, SavingWorksInAFolderWithoutCreateRights)
{
    const QString shared = Path("shared");
    ASSERT_TRUE(QDir(dir.path()).mkdir("shared"));
    const QString path = shared + "/journal.txt";
    WriteBytes(path, "old\r\n");
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0666), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(shared).constData(), 0555), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0777), 0);
    const QString readOnly = Path("read-only.txt");
    WriteBytes(readOnly, "kept\r\n");
    ASSERT_EQ(::chmod(QFile::encodeName(readOnly).constData(), 0444), 0);
    const JournalRows rows = Rows(3);

    const int result = RunUnprivileged([&] {
        try {
            SaveJournalFile(rows, path);
        } catch (...) {
            return 1;
        }
        try {
            SaveJournalFile(rows, readOnly);
        } catch (const EJournalFile &e) {
            return QString::fromUtf8(e.what()).endsWith(QString::fromUtf8(": нет прав доступа")) ? 0 : 3;
        }
        return 2;
    });
    ::chmod(QFile::encodeName(shared).constData(), 0755);
    if (result == kCannotDropRights)
        GTEST_SKIP() << "cannot run as an ordinary user here";
    EXPECT_EQ(result, 0);
    EXPECT_EQ(ReadBytes(path), Written(rows));
    EXPECT_EQ(QDir(shared).entryList(QDir::Files | QDir::Hidden), QStringList{"journal.txt"});
    EXPECT_EQ(ReadBytes(readOnly), "kept\r\n");
}

TEST_F(DurableSave, FailuresNameTheirCause)
{
    WriteBytes(Path("plain.txt"), "x");
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.txt"));
    const struct {
        const char *name;
        QString path;
        int error;
        const char *cause;
    } cases[] = {
        {"disk full", "/dev/full", ENOSPC, "на диске нет места"},
        {"missing folder", Path("no such folder/journal.txt"), ENOENT, "папка или файл не найдены"},
        {"a file in the path", Path("plain.txt/journal.txt"), ENOTDIR, "часть пути не является папкой"},
        {"a folder", Path("folder.txt"), EISDIR, "это папка, а не файл"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        try {
            DurableFile::WriteFile(c.path, [](const DurableFile::TWrite &write) { write("abc\r\n"); });
            ADD_FAILURE() << "no error";
        } catch (const EFileError &e) {
            EXPECT_EQ(e.ErrorCode(), c.error);
        }
        try {
            SaveJournalFile(Rows(1), c.path);
            ADD_FAILURE() << "no error";
        } catch (const EJournalFile &e) {
            EXPECT_EQ(
                QString::fromUtf8(e.what()),
                QString::fromUtf8("Не удалось записать журнал \"%1\": %2").arg(c.path, QString::fromUtf8(c.cause)));
        }
    }
    EXPECT_EQ(FileErrorCause(EROFS), QString::fromUtf8("диск доступен только для чтения"));
    EXPECT_EQ(FileErrorCause(EACCES), QString::fromUtf8("нет прав доступа"));
    EXPECT_EQ(FileErrorCause(kNotARegularFile), QString::fromUtf8("это не обычный файл"));
    EXPECT_TRUE(FileErrorCause(EXDEV).contains(QString::number(EXDEV))) << "others: the system's text and number";
    EXPECT_EQ(Files(), QStringList{"plain.txt"});
}

TEST_F(DurableSave, ReadFailuresNameTheirCause)
{
    WriteBytes(Path("plain.txt"), "x");
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.txt"));
    const struct {
        QString path;
        const char *cause;
    } cases[] = {
        {Path("plain.txt/journal.txt"), "часть пути не является папкой"},
        {Path("folder.txt"), "это папка, а не файл"},
        {"/dev/null", "это не обычный файл"},
    };
    for (const auto &c : cases) {
        try {
            TRegularFileReader::ReadAll(c.path);
            ADD_FAILURE() << "no error for " << Utf8(c.path);
        } catch (const EFileError &e) {
            EXPECT_EQ(e.Cause(), QString::fromUtf8(c.cause));
        }
        try {
            ReadJournalFile(c.path);
            ADD_FAILURE() << "no error for " << Utf8(c.path);
        } catch (const EJournalFile &e) {
            EXPECT_EQ(
                QString::fromUtf8(e.what()),
                QString::fromUtf8("Не удалось прочитать журнал \"%1\": %2").arg(c.path, QString::fromUtf8(c.cause)));
        }
    }
    const QString locked = Path("locked.txt");
    WriteBytes(locked, "x");
    ASSERT_EQ(::chmod(QFile::encodeName(locked).constData(), 0), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0755), 0);
    const int result = RunUnprivileged([&] {
        try {
            ReadJournalFile(locked);
        } catch (const EJournalFile &e) {
            return QString::fromUtf8(e.what()).endsWith(QString::fromUtf8(": нет прав доступа")) ? 0 : 1;
        }
        return 2;
    });
    if (result != kCannotDropRights) {
        EXPECT_EQ(result, 0);
    }
}

// Names of up to 255 bytes, the file system's limit, are saved through a
// temporary file like any other: one too long for the usual additions gets a
// short temporary name, so a failed save still keeps the previous copy.
TEST_F(DurableSave, NamesUpToTheLimitAreReplacedThroughATemporaryFile)
{
    const struct {
        const char *Case;
        QString Name;
        bool UsualTemp;
    } cases[] = {
        {"242 bytes: the usual temporary name just fits", QString(238, 'j') + ".txt", true},
        {"243 bytes", QString(239, 'j') + ".txt", false},
        {"255 bytes", QString(251, 'j') + ".txt", false},
        {"255 bytes of two-byte letters", QString(125, QChar(0x0416)) + "5.txt", false},
    };
    const JournalRows rows = Rows(3);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Case);
        const QString path = Path(c.Name);
        WriteBytes(path, "old\r\n");
        const QString temp = DurableFile::TempFileName(path);
        const QString tempName = QFileInfo(temp).fileName();
        EXPECT_EQ(QFileInfo(temp).dir(), QDir(dir.path()));
        EXPECT_LE(QFile::encodeName(tempName).size(), 255);
        EXPECT_EQ(tempName == "." + c.Name + ".nivara-save", c.UsualTemp) << tempName.toStdString();
        EXPECT_EQ(DurableFile::TempFileName(path), temp) << "the same at every write";

        // A failed save keeps the previous copy and leaves nothing behind.
        EXPECT_THROW(DurableFile::WriteFile(path,
                                            [](const DurableFile::TWrite &write) {
                                                write("half");
                                                throw EFileError(EIO);
                                            }),
                     EFileError);
        EXPECT_EQ(ReadBytes(path), "old\r\n");
        // What a killed save left is removed by the next one.
        WriteBytes(temp, "half a journal");
        EXPECT_EQ(DurableFile::WriteFile(path, [&](const DurableFile::TWrite &write) { write(Written(rows)); }),
                  DurableFile::TWritten::Replaced);
        EXPECT_EQ(ReadBytes(path), Written(rows));
        EXPECT_EQ(Files(), QStringList{c.Name});
        QFile::remove(path);
    }
}

TEST_F(DurableSave, ReplacingKeepsPermissionsAndFollowsALink)
{
    const QString path = Path();
    WriteBytes(path, "old\r\n");
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0640), 0);
    ASSERT_TRUE(QFile::link(path, Path("link.txt")));
    const JournalRows rows = Rows(2);
    EXPECT_EQ(DurableFile::WriteFile(Path("link.txt"), [&](const DurableFile::TWrite &write) { write(Written(rows)); }),
              DurableFile::TWritten::Replaced);
    EXPECT_EQ(ReadBytes(path), Written(rows));
    EXPECT_TRUE(QFileInfo(Path("link.txt")).isSymLink());
    EXPECT_EQ(Stat(path).st_mode & 07777, 0640u);
}

} // namespace
