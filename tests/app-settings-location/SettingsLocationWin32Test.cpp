// Where the settings live on Windows: the user's own folder is
// %APPDATA%\Nivara; a folder is writable when a file can be made in it, a
// file when it can be opened for writing (its read-only attribute refuses,
// another program holding it does not); and the rule on real folders,
// where a read-only Nivara.Ini beside the program starts the user's copy.

#include "QStringPrinter.h"
#include "SettingsLocation.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <windows.h>

namespace {

std::wstring Native(const QString &Path)
{
    return QDir::toNativeSeparators(Path).toStdWString();
}

void Put(const QString &Path, const QByteArray &Bytes)
{
    QFile file(Path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << Path.toStdString();
    file.write(Bytes);
}

TEST(SettingsLocationWin32, TheUsersFoldersAreAppDataNivaraAndDocuments)
{
    const TSettingsFolders folders = SystemSettingsFolders();
    const QString appData = QDir::fromNativeSeparators(qEnvironmentVariable("APPDATA"));
    ASSERT_FALSE(appData.isEmpty());
    EXPECT_EQ(QDir::cleanPath(folders.UserConfigFolder).toLower(), QDir::cleanPath(appData + "/Nivara").toLower());
    EXPECT_EQ(folders.UserDocumentsFolder, QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
    EXPECT_FALSE(folders.UserDocumentsFolder.isEmpty());
    EXPECT_EQ(folders.ProgramFolder, QCoreApplication::applicationDirPath());
}

TEST(SettingsLocationWin32, TheSystemSaysWhatTheUserMayWrite)
{
    QTemporaryDir dir;
    const ISettingsDisk &disk = SystemSettingsDisk();
    ASSERT_TRUE(QDir(dir.path()).mkdir("Program 1"));
    const QString folder = dir.filePath("Program 1");
    Put(folder + "/Nivara.Ini", "[Config]\r\n");
    Put(folder + "/read-only.ini", "[Config]\r\n");
    ASSERT_TRUE(::SetFileAttributesW(Native(folder + "/read-only.ini").c_str(), FILE_ATTRIBUTE_READONLY));

    EXPECT_TRUE(disk.IsWritable(folder));
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System),
              (QStringList{"Nivara.Ini", "read-only.ini"}))
        << "the probe is gone";
    EXPECT_TRUE(disk.IsWritable(folder + "/Nivara.Ini"));
    EXPECT_FALSE(disk.IsWritable(folder + "/read-only.ini"));
    EXPECT_TRUE(disk.IsReadable(folder + "/read-only.ini"));
    EXPECT_FALSE(disk.IsWritable(dir.filePath("missing")));
    EXPECT_FALSE(disk.IsReadable(dir.filePath("missing.ini")));
    EXPECT_FALSE(disk.Exists(dir.filePath("missing.ini")));

    // Another program has the file open and lets no one else in: the right
    // to write it is still the user's.
    const HANDLE held = ::CreateFileW(Native(folder + "/Nivara.Ini").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(disk.IsWritable(folder + "/Nivara.Ini"));
    EXPECT_TRUE(disk.IsReadable(folder + "/Nivara.Ini"));
    ::CloseHandle(held);
    ::SetFileAttributesW(Native(folder + "/read-only.ini").c_str(), FILE_ATTRIBUTE_NORMAL);
}

// A read-only Nivara.Ini beside the program is never written over: the
// user gets a copy of it, which the user may write, in the user's folder,
// and the journals go to the user's Documents.
TEST(SettingsLocationWin32, AReadOnlySettingsFileBesideTheProgramStartsTheUsersCopy)
{
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkpath("Program Files/Nivara"));
    const TSettingsFolders folders{dir.filePath("Program Files/Nivara"), dir.filePath("AppData/Roaming/Nivara"),
                                   dir.filePath("Documents")};
    const QString beside = folders.ProgramFolder + "/Nivara.Ini";
    Put(beside, "[Config]\r\nCOM=COM3\r\n");
    ASSERT_TRUE(::SetFileAttributesW(Native(beside).c_str(), FILE_ATTRIBUTE_READONLY));

    const TSettingsLocation location = PrepareSettingsLocation(folders);
    EXPECT_TRUE(location.PerUser);
    EXPECT_EQ(location.IniFileName, folders.UserConfigFolder + "/Nivara.Ini");
    EXPECT_EQ(location.JournalFolder, folders.UserDocumentsFolder + "/Nivara");
    EXPECT_TRUE(QFileInfo(location.JournalFolder).isDir());
    QFile copy(location.IniFileName);
    ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
    EXPECT_EQ(copy.readAll(), "[Config]\r\nCOM=COM3\r\n");
    copy.close();
    EXPECT_TRUE(SystemSettingsDisk().IsWritable(location.IniFileName)) << "the user's copy is no longer read-only";

    // Once the file beside the program may be written, it is the one.
    ::SetFileAttributesW(Native(beside).c_str(), FILE_ATTRIBUTE_NORMAL);
    const TSettingsLocation writable = PrepareSettingsLocation(folders);
    EXPECT_FALSE(writable.PerUser);
    EXPECT_EQ(writable.IniFileName, beside);
}

} // namespace
