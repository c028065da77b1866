// Where the settings live on POSIX: real folders an ordinary user may or
// may not write, and the program itself started from a folder the user
// cannot write.

#include "Cp1251.h"
#include "QStringPrinter.h"
#include "SettingsLocation.h"
#include "Unprivileged.h"
#include "WaitFor.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/stat.h>

namespace {

void Chmod(const QString &Path, mode_t Mode)
{
    ASSERT_EQ(::chmod(QFile::encodeName(Path).constData(), Mode), 0) << Path.toStdString();
}

QByteArray ReadBytes(const QString &Path)
{
    QFile file(Path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

void WriteBytes(const QString &Path, const QByteArray &Bytes)
{
    QFile file(Path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(Bytes), Bytes.size());
}

// A program folder and a home on the disk, open to the ordinary user the
// cases run as (root ignores permission bits).
class SettingsLocationOnDisk : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Dir.isValid());
        Chmod(Dir.path(), 0755);
        for (const char *folder : {"program", "home"}) {
            ASSERT_TRUE(QDir(Dir.path()).mkdir(folder));
            Chmod(Path(folder), 0777);
        }
    }
    void TearDown() override { ::chmod(QFile::encodeName(Path("program")).constData(), 0755); }
    QString Path(const QString &Name) const { return Dir.filePath(Name); }
    TSettingsFolders Folders() const { return {Path("program"), Path("home/.config/Nivara"), Path("home/Documents")}; }

    QTemporaryDir Dir;
};

TEST_F(SettingsLocationOnDisk, TheUsersFoldersAreCreatedOnlyWhenTheProgramsFolderCannotBeWritten)
{
    const QByteArray stationSettings = "[Config]\r\nCOM=/dev/ttyUSB0\r\n";
    const struct {
        const char *Case;
        mode_t FolderMode;
        int IniMode; // -1: no Nivara.Ini beside the program
        bool PerUser;
    } cases[] = {
        {"writable folder", 0777, -1, false},
        {"read-only folder, no settings file", 0555, -1, true},
        {"read-only folder, a writable settings file", 0555, 0666, false},
        {"read-only folder, a read-only settings file", 0555, 0444, true},
        {"read-only folder, an unreadable settings file", 0555, 0000, false},
        {"writable folder, an unreadable settings file", 0777, 0000, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Case);
        QDir(Path("home")).removeRecursively();
        ASSERT_TRUE(QDir(Dir.path()).mkdir("home"));
        Chmod(Path("home"), 0777);
        Chmod(Path("program"), 0777);
        QFile::remove(Path("program/Nivara.Ini"));
        if (c.IniMode >= 0) {
            WriteBytes(Path("program/Nivara.Ini"), stationSettings);
            Chmod(Path("program/Nivara.Ini"), mode_t(c.IniMode));
        }
        Chmod(Path("program"), c.FolderMode);

        // What the ordinary user's start chose, in the exit code.
        const int result = RunUnprivileged([&] {
            const TSettingsLocation location = PrepareSettingsLocation(Folders());
            const TSettingsFolders folders = Folders();
            if (location.PerUser != c.PerUser)
                return 1;
            if (location.IniFileName !=
                QDir(c.PerUser ? folders.UserConfigFolder : folders.ProgramFolder).filePath("Nivara.Ini"))
                return 2;
            if (QFileInfo::exists(folders.UserConfigFolder) != c.PerUser)
                return 3;
            if (QFileInfo::exists(location.JournalFolder) != c.PerUser)
                return 4;
            return 0;
        });
        if (result == kCannotDropRights)
            GTEST_SKIP() << "cannot run as an ordinary user here";
        EXPECT_EQ(result, 0);
        if (c.PerUser && c.IniMode >= 0) {
            // The station's settings carry over into the user's own copy, which
            // the user may write.
            EXPECT_EQ(ReadBytes(Path("home/.config/Nivara/Nivara.Ini")), stationSettings);
            EXPECT_TRUE(QFileInfo(Path("home/.config/Nivara/Nivara.Ini")).permissions() & QFileDevice::WriteOwner);
        }
    }
}

// The program as installed: in a folder the user cannot write, started and
// ended by SIGTERM (an orderly close) twice.
class InstalledProgram : public SettingsLocationOnDisk {
protected:
    // Runs the copy until it has settled, then ends it as a logout would.
    void StartAndEnd()
    {
        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert("HOME", Path("home"));
        for (const char *name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_DOCUMENTS_DIR", "XDG_RUNTIME_DIR"})
            environment.remove(name);
        program.setProcessEnvironment(environment);
        // The desktop starts it from anywhere; the journal must not land here.
        program.setWorkingDirectory(Path("program"));
        const QString copy = Path("program/Nivara");
        if (::geteuid() == 0)
            program.start("setpriv", {"--reuid=65534", "--regid=65534", "--clear-groups", "--", copy});
        else
            program.start(copy, {});
        ASSERT_TRUE(program.waitForStarted());
        // SIGTERM is caught once the program's handlers are in place.
        ASSERT_TRUE(WaitFor(
            [&] { return CatchesSigterm(program.processId()) || program.state() == QProcess::NotRunning; }, 60'000));
        ASSERT_EQ(program.state(), QProcess::Running) << program.readAllStandardError().toStdString();
        program.terminate();
        ASSERT_TRUE(program.waitForFinished(30'000));
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(program.exitCode(), 0) << program.readAllStandardError().toStdString();
    }

    static bool CatchesSigterm(qint64 Pid)
    {
        const QByteArray status = ReadBytes(QStringLiteral("/proc/%1/status").arg(Pid));
        for (const QByteArray &line : status.split('\n')) {
            if (line.startsWith("SigCgt:"))
                return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (SIGTERM - 1)) & 1;
        }
        return false;
    }
};

TEST_F(InstalledProgram, KeepsItsSettingsInTheUsersFolderAndReadsThemBack)
{
    ASSERT_TRUE(QFile::copy(NIVARA_PROGRAM, Path("program/Nivara")));
    Chmod(Path("program/Nivara"), 0755);
    Chmod(Path("program"), 0555);
    if (::geteuid() == 0 && RunUnprivileged([] { return 0; }) == kCannotDropRights)
        GTEST_SKIP() << "cannot run as an ordinary user here";

    const QString ini = Path("home/.config/Nivara/Nivara.Ini");
    StartAndEnd();
    EXPECT_FALSE(QFile::exists(Path("program/Nivara.Ini")));
    const QString first = Cp1251::Decode(ReadBytes(ini));
    EXPECT_TRUE(first.contains("\r\nFileName=Новый.txt\r\nDeviceNumber=0\r\n")) << first.toStdString();
    EXPECT_TRUE(QFile::exists(Path("home/.config/Nivara/Nivara.log")));
    EXPECT_TRUE(QFileInfo(Path("home/Documents/Nivara")).isDir());

    // What the second start reads it writes back at its end.
    const QByteArray chosen =
        Cp1251::Encode(QStringLiteral("[Config]\r\nCOM=/dev/ttyUSB7\r\nFileName=Утро.txt\r\nDeviceNumber=7\r\n"));
    WriteBytes(ini, chosen);
    StartAndEnd();
    EXPECT_EQ(ReadBytes(ini), chosen);
    EXPECT_TRUE(QFile::exists(Path("home/.config/Nivara/NivaraWindow.ini"))) << "the window's place, beside it";
}

} // namespace
