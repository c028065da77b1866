// The settings file on Windows: a file with the read-only attribute, one
// that another program holds open without letting others write (an editor,
// Excel), and a device name.

#include "IniFile.h"
#include "SettingsTestFiles.h"

#include <QDir>

#include <windows.h>

namespace {

std::wstring Native(const QString &Path)
{
    return QDir::toNativeSeparators(Path).toStdWString();
}

TEST_F(SettingsFile, AFileOfAnotherProgramOrReadOnlyIsReportedAndKept)
{
    const QByteArray old = "[Config]\r\nCOM=COM2\r\n";
    writeBytes(path("read-only.ini"), old);
    ASSERT_TRUE(::SetFileAttributesW(Native(path("read-only.ini")).c_str(), FILE_ATTRIBUTE_READONLY));
    writeBytes(path(), old);
    // As another program holds it: reading allowed, writing not.
    const HANDLE held = ::CreateFileW(Native(path()).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);

    const std::pair<QString, QString> cases[] = {
        {path("read-only.ini"), QStringLiteral("файл только для чтения")},
        {path(), QStringLiteral("файл открыт в другой программе")},
    };
    for (const auto &[target, cause] : cases) {
        TIniPlus ini(target);
        EXPECT_EQ(ini.ReadString("Config", "COM", "COM1"), "COM2") << "still read";
        try {
            ini.WriteString("Config", "COM", "COM3");
            ADD_FAILURE() << "no error for " << target.toStdString();
        } catch (const EIniFileException &e) {
            EXPECT_EQ(QString::fromUtf8(e.what()), "Unable to write to " + target + ": " + cause);
        }
        EXPECT_EQ(readBytes(target), old);
    }
    ::CloseHandle(held);
    ::SetFileAttributesW(Native(path("read-only.ini")).c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), (QStringList{"Nivara.Ini", "read-only.ini"}))
        << "no temporary file left";

    // Once the other program lets go, the write goes through.
    TIniPlus(path()).WriteString("Config", "COM", "COM3");
    EXPECT_EQ(readBytes(path()), "[Config]\r\nCOM=COM3\r\n");
}

TEST_F(SettingsFile, ADeviceIsNoSettingsFile)
{
    TIniPlus ini(QStringLiteral("NUL"));
    EXPECT_EQ(ini.ReadProblem(), QStringLiteral("это не обычный файл"));
    EXPECT_EQ(ini.ReadString("Config", "COM", "COM1"), "COM1");
    EXPECT_THROW(ini.WriteString("Config", "COM", "COM3"), EIniFileException);
}

} // namespace
