// Files written durably and read as regular files, as every platform does
// it: a write replaces the file or, where the folder refuses new files,
// writes it in place; a failure keeps the previous copy and leaves nothing
// behind; reading refuses what is no regular file. Each platform's own
// cases (permissions, devices, files held by others) are in a file named
// for it.

#include "DurableFile.h"
#include "DurableFileFixtures.h"
#include "FileError.h"
#include "RegularFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "CyrillicNames.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

// The folder refuses the temporary file, as one without the right to create
// files does.
const DurableFile::TOptions NoNewFiles{[](const QString &) { return SystemError::AccessDenied(); }};

class DurableFileTest : public ::testing::Test {
protected:
    QString Path(const QString &Name = "journal.txt") const { return Dir.filePath(Name); }
    QStringList Files(const QString &Folder = {}) const
    {
        return QDir(Folder.isEmpty() ? Dir.path() : Folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
    }
    QTemporaryDir Dir;
};

// The station's own names: Cyrillic folders and files, with spaces.
TEST_F(DurableFileTest, ACyrillicPathWithSpacesIsMadeAndReplaced)
{
    if (!CyrillicNamesPossible(Dir.path()))
        GTEST_SKIP() << "this file system cannot hold Cyrillic names (Wine under a locale without UTF-8)";
    ASSERT_TRUE(QDir(Dir.path()).mkpath("Молоко"));
    const QString path = Path("Молоко/Журнал 1.txt");
    EXPECT_EQ(Write(path, "первый\r\n"), DurableFile::TWritten::Replaced);
    EXPECT_EQ(Read(path), "первый\r\n");
    const QByteArray second(200000, 'x'); // written in several pieces
    EXPECT_EQ(DurableFile::WriteFile(path,
                                     [&second](const DurableFile::TWrite &write) {
                                         write(second.first(100000));
                                         write(second.sliced(100000));
                                     }),
              DurableFile::TWritten::Replaced);
    EXPECT_EQ(Read(path), second);
    EXPECT_EQ(Files(Path("Молоко")), QStringList{"Журнал 1.txt"}) << "no temporary file left";

    const std::optional<QByteArray> back = TRegularFileReader::ReadAll(path);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(*back, second);
}

// Whatever stops the write, an error of the disk or of the content's
// producer, the previous file stays as it was and no temporary file is left.
TEST_F(DurableFileTest, AFailedWriteKeepsThePreviousFileAndLeavesNothing)
{
    const QString path = Path("journal 1.txt");
    Put(path, "old\r\n");
    EXPECT_THROW(DurableFile::WriteFile(path,
                                        [](const DurableFile::TWrite &write) {
                                            write("half");
                                            throw EFileError(SystemError::AccessDenied());
                                        }),
                 EFileError);
    EXPECT_THROW(DurableFile::WriteFile(path,
                                        [](const DurableFile::TWrite &write) {
                                            write("half");
                                            throw std::runtime_error("the producer's own");
                                        }),
                 std::runtime_error);
    EXPECT_EQ(Read(path), "old\r\n");
    EXPECT_EQ(Files(), QStringList{"journal 1.txt"});
}

TEST_F(DurableFileTest, AFolderRefusingNewFilesGetsTheExistingFileWrittenInPlace)
{
    const QString path = Path();
    QStringList asked;
    const DurableFile::TOptions noNewFiles{[&asked](const QString &Temp) {
        asked << Temp;
        return SystemError::AccessDenied();
    }};
    const struct {
        const char *Case;
        QByteArray Old, New;
    } cases[] = {
        {"shorter: cut to size", QByteArray(100000, 'o'), "new\r\n"},
        {"longer", "old\r\n", QByteArray(70000, 'n')},
        {"empty", "old\r\n", ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Case);
        Put(path, c.Old);
        EXPECT_EQ(Write(path, c.New, noNewFiles), DurableFile::TWritten::InPlace);
        EXPECT_EQ(Read(path), c.New);
        EXPECT_EQ(Files(), QStringList{"journal.txt"});
    }
    EXPECT_EQ(asked.value(0), DurableFile::TempFileName(path)) << "asked for the temporary file it would make";

    // A new file cannot be written in place: the cause is named.
    try {
        Write(Path("new.txt"), "x", NoNewFiles);
        ADD_FAILURE() << "no error";
    } catch (const EFileError &e) {
        EXPECT_EQ(e.ErrorCode(), SystemError::AccessDenied());
        EXPECT_EQ(e.Cause(), QString::fromUtf8("нет прав доступа"));
    }
    EXPECT_EQ(Files(), QStringList{"journal.txt"});
}

// A write killed between making its temporary file and renaming it leaves
// that file behind; the next write of the file removes it. Files that only
// look alike stay.
TEST_F(DurableFileTest, TheNextWriteRemovesWhatAKilledWriteLeftBehind)
{
    const QString path = Path("journal 1.txt");
    Put(path, "old\r\n");
    const QString leftover = DurableFile::TempFileName(path);
    EXPECT_EQ(QFileInfo(leftover).dir(), QDir(Dir.path())) << "beside the file: one rename, one disk";
    EXPECT_EQ(DurableFile::TempFileName(path), leftover) << "the same at every write";
    Put(leftover, "half a journal");
    Put(Path("journal 1.txt.bak"), "keep");
    Put(Path(".other.txt.nivara-save"), "another journal's");

    EXPECT_EQ(Write(path, "new\r\n"), DurableFile::TWritten::Replaced);
    EXPECT_EQ(Read(path), "new\r\n");
    EXPECT_EQ(Files(), (QStringList{".other.txt.nivara-save", "journal 1.txt", "journal 1.txt.bak"}));
}

// What is not a file to write or read is named as such, and nothing is made.
TEST_F(DurableFileTest, FoldersAndMissingFoldersAreNamedByTheirCause)
{
    ASSERT_TRUE(QDir(Dir.path()).mkdir("folder.txt"));
    const struct {
        const char *Case;
        QString Path;
        const char *Cause;
    } cases[] = {
        {"a folder", Path("folder.txt"), "это папка, а не файл"},
        {"a missing folder", Path("нет такой папки/journal.txt"), "папка или файл не найдены"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Case);
        try {
            Write(c.Path, "abc\r\n");
            ADD_FAILURE() << "no error";
        } catch (const EFileError &e) {
            EXPECT_EQ(e.Cause(), QString::fromUtf8(c.Cause));
            EXPECT_EQ(QString::fromUtf8(e.what()), QString::fromUtf8(c.Cause));
        }
    }
    try {
        TRegularFileReader::ReadAll(Path("folder.txt"));
        ADD_FAILURE() << "a folder read";
    } catch (const EFileError &e) {
        EXPECT_EQ(e.ErrorCode(), SystemError::IsAFolder());
    }
    EXPECT_EQ(TRegularFileReader::ReadAll(Path("missing.txt")), std::nullopt) << "no file: nothing, no error";
    EXPECT_EQ(TRegularFileReader::ReadAll(Path("нет такой папки/journal.txt")), std::nullopt);
    EXPECT_TRUE(Files().isEmpty());
}

// A file read in pieces gives its bytes in order and then the end.
TEST_F(DurableFileTest, AReaderGivesTheSizeAndTheBytesInPieces)
{
    const QByteArray bytes = "0123456789\r\nпроба\r\n";
    Put(Path(), bytes);
    TRegularFileReader reader;
    ASSERT_TRUE(reader.Open(Path()));
    EXPECT_EQ(reader.Size(), bytes.size());
    QByteArray got;
    char piece[7];
    while (const qint64 n = reader.Read(piece, sizeof piece))
        got.append(piece, qsizetype(n));
    EXPECT_EQ(got, bytes);
    EXPECT_EQ(reader.Read(piece, sizeof piece), 0) << "stays at the end";
    EXPECT_FALSE(reader.Open(Path("missing.txt")));
}

} // namespace
