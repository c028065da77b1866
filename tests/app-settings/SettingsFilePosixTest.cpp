// The settings file on POSIX: permission bits that refuse reading or the
// making of files (under an ordinary user's rights, which root lacks), a
// path through a file, and a device.

#include "IniFile.h"
#include "SettingsTestFiles.h"
#include "Unprivileged.h"

#include <QDir>

#include <sys/stat.h>

namespace {

TEST_F(SettingsFile, AFileTheUserMayNotReadReadsLikeAMissingOneAndNamesWhy)
{
    writeBytes(path("locked.ini"), "[Config]\r\nCOM=COM2\r\n");
    ASSERT_EQ(::chmod(QFile::encodeName(path("locked.ini")).constData(), 0), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0755), 0);
    const int result = RunUnprivileged([&] {
        TIniPlus locked(path("locked.ini"));
        return locked.ReadProblem() == QStringLiteral("нет прав доступа") &&
                       locked.ReadString("Config", "COM", "COM1") == "COM1"
                   ? 0
                   : 1;
    });
    if (result != kCannotDropRights) {
        EXPECT_EQ(result, 0);
    }
}

// A folder where the user may change the settings file but not create files
// (a program folder with a writable settings file).
TEST_F(SettingsFile, WritingWorksInAFolderWithoutCreateRights)
{
    ASSERT_TRUE(QDir(dir.path()).mkdir("program"));
    const QString file = path("program/Nivara.Ini");
    writeBytes(file, "[Config]\r\nCOM=COM2\r\n");
    ASSERT_EQ(::chmod(QFile::encodeName(file).constData(), 0666), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(path("program")).constData(), 0555), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0755), 0);
    const int result = RunUnprivileged([&] {
        try {
            TIniPlus(file).WriteString("Config", "COM", "COM3");
        } catch (...) {
            return 1;
        }
        try {
            TIniPlus(path("program/new.ini")).WriteString("Config", "COM", "COM3");
        } catch (const EIniFileException &e) {
            return QString::fromUtf8(e.what()) ==
                           "Unable to write to " + path("program/new.ini") + QStringLiteral(": нет прав доступа")
                       ? 0
                       : 3;
        }
        return 2;
    });
    ::chmod(QFile::encodeName(path("program")).constData(), 0755);
    if (result == kCannotDropRights)
        GTEST_SKIP() << "cannot run as an ordinary user here";
    EXPECT_EQ(result, 0);
    EXPECT_EQ(readBytes(file), "[Config]\r\nCOM=COM3\r\n");
    EXPECT_EQ(QDir(path("program")).entryList(QDir::Files | QDir::Hidden), QStringList{"Nivara.Ini"});
}

TEST_F(SettingsFile, APathThroughAFileOrToADeviceRaisesItsCause)
{
    writeBytes(path("plain"), "");
    const std::pair<QString, QString> cases[] = {
        {path("plain/Nivara.Ini"), QStringLiteral("часть пути не является папкой")},
        {"/dev/zero", QStringLiteral("это не обычный файл")}, // never read: it has no end
    };
    for (const auto &[target, cause] : cases) {
        try {
            TIniPlus(target).WriteString("Config", "COM", "COM3");
            ADD_FAILURE() << "no error for " << target.toStdString();
        } catch (const std::exception &e) {
            EXPECT_EQ(QString::fromUtf8(e.what()), "Unable to write to " + target + ": " + cause);
        }
    }
    EXPECT_EQ(TIniPlus("/dev/zero").ReadProblem(), QStringLiteral("это не обычный файл"));
}

} // namespace
