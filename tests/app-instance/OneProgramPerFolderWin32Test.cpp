// One program per settings folder on Windows, with real processes: a later
// start in the folder asks the first (over a named pipe) and ends, lending
// it the right to come to the front; a holder that does not answer is
// reported; two folders run side by side; and a folder named with another
// case, its short name or another spelling is still one folder.

#include "InstanceChild.h"
#include "StationInstance.h"
#include "StationInstancePlatform.h"
#include "WaitFor.h"

#include <QCoreApplication>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTemporaryDir>

#include "CyrillicNames.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace {

QStringList FilesIn(const QString &Folder)
{
    return QDir(Folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
}

TEST(OneProgramPerFolderWin32, ASecondStartAsksTheFirstAndEndsTouchingNothing)
{
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir("Station 1"));
    const QString folder = dir.filePath("Station 1");
    const std::unique_ptr<QProcess> first = StartInstanceChild({folder});
    ASSERT_EQ(NextLine(*first), "run");
    const QStringList files = FilesIn(folder);
    EXPECT_EQ(files, QStringList{"Nivara.lock"});

    const std::unique_ptr<QProcess> second = StartInstanceChild({folder});
    EXPECT_EQ(NextLine(*second), "brought forward");
    ASSERT_TRUE(Ended(*second));
    EXPECT_EQ(second->exitCode(), 0);
    EXPECT_EQ(NextLine(*first), "asked forward");
    EXPECT_EQ(FilesIn(folder), files);
    EXPECT_EQ(first->state(), QProcess::Running);
    Kill(*first);

    // Killed, the first leaves the folder to the next start.
    const std::unique_ptr<QProcess> third = StartInstanceChild({folder});
    EXPECT_EQ(NextLine(*third), "run");
    Kill(*third);
}

TEST(OneProgramPerFolderWin32, AHolderThatDoesNotAnswerIsReported)
{
    QTemporaryDir dir;
    const std::unique_ptr<QProcess> holder = StartInstanceChild({dir.path(), QStringLiteral("--lock-only")});
    ASSERT_EQ(NextLine(*holder), "locked");
    const std::unique_ptr<QProcess> second = StartInstanceChild({dir.path()});
    EXPECT_EQ(NextLine(*second), "not answering");
    ASSERT_TRUE(Ended(*second));
    EXPECT_EQ(second->exitCode(), 3);
    Kill(*holder);
}

// Windows frees a killed process's lock when it gets round to it: a start
// that meets the lock of a holder that ended meanwhile runs, and is not
// told of a program that does not answer.
TEST(OneProgramPerFolderWin32, AHolderThatEndsWhileTheNextStartWaitsLeavesItTheFolder)
{
    QTemporaryDir dir;
    const std::unique_ptr<QProcess> holder = StartInstanceChild({dir.path(), QStringLiteral("--lock-only")});
    ASSERT_EQ(NextLine(*holder), "locked");
    const std::unique_ptr<QProcess> next = StartInstanceChild({dir.path()});
    Kill(*holder);
    EXPECT_EQ(NextLine(*next), "run");
    Kill(*next);
}

TEST(OneProgramPerFolderWin32, TwoFoldersRunSideBySide)
{
    QTemporaryDir one, two;
    const std::unique_ptr<QProcess> a = StartInstanceChild({one.path()});
    const std::unique_ptr<QProcess> b = StartInstanceChild({two.path()});
    EXPECT_EQ(NextLine(*a), "run");
    EXPECT_EQ(NextLine(*b), "run");
    Kill(*a);
    Kill(*b);
}

// The name is a pipe's: \\.\pipe\ and the name, which takes no backslash or
// colon and is short whatever the folder's path.
TEST(OneProgramPerFolderWin32, OneFolderNamedTwoWaysIsOneValidPipeName)
{
    QTemporaryDir dir;
    if (!CyrillicNamesPossible(dir.path()))
        GTEST_SKIP() << "this file system cannot hold Cyrillic names (Wine under a locale without UTF-8)";
    ASSERT_TRUE(QDir(dir.path()).mkdir("Станция молока"));
    const QString folder = dir.filePath("Станция молока");
    const QString name = TStationInstance::ServerName(folder);
    EXPECT_EQ(TStationInstance::ServerName(folder.toUpper()), name) << "Windows names are case-blind";
    EXPECT_EQ(TStationInstance::ServerName(QDir::toNativeSeparators(folder) + "\\..\\Станция молока\\"), name);
    wchar_t shortName[MAX_PATH];
    const DWORD length = ::GetShortPathNameW(QDir::toNativeSeparators(folder).toStdWString().c_str(), shortName,
                                             DWORD(std::size(shortName)));
    ASSERT_GT(length, 0u);
    const QString shortFolder = QString::fromWCharArray(shortName, int(length));
    EXPECT_NE(shortFolder, QDir::toNativeSeparators(folder));
    EXPECT_EQ(TStationInstance::ServerName(shortFolder), name) << shortFolder.toStdString();
    EXPECT_NE(TStationInstance::ServerName(dir.path()), name);

    QString deep = dir.path();
    while (deep.size() < 300)
        deep += "/" + QString(60, u'п');
    ASSERT_TRUE(QDir().mkpath(deep));
    const QString deepName = TStationInstance::ServerName(deep);
    EXPECT_EQ(TStationInstance::ServerName(deep.toUpper()), deepName) << "beyond MAX_PATH too";
    for (const QString &n : {name, deepName}) {
        EXPECT_FALSE(n.contains('\\') || n.contains('/') || n.contains(':')) << n.toStdString();
        EXPECT_LE(n.size(), 64);
    }

    QLocalServer server;
    ASSERT_TRUE(server.listen(name)) << server.errorString().toStdString();
    QLocalSocket socket;
    socket.connectToServer(name);
    ASSERT_TRUE(socket.waitForConnected(5000));
    EXPECT_EQ(LocalServerProcess(socket), QCoreApplication::applicationPid()) << "whom the right is lent to";
}

} // namespace
