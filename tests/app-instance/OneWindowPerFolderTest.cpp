// One window per settings folder, with real processes: a second start in the
// folder of a running window brings that one forward and ends, leaving every
// file there byte for byte as it was; the first still recovers its work after
// a SIGKILL; a window that does not answer is reported; two folders run side
// by side, each with its own analyzer.

#include "AnalyzerPort.h"
#include "Cp1251.h"
#include "DriverProcess.h"
#include "StationInstance.h"
#include "WaitFor.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <map>
#include <memory>

namespace {

constexpr double kSpeed = 2000; // the station's clock against the steady one

qint64 NowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// A settings folder with its analyzer on a pseudo-terminal.
class TStation {
public:
    TStation() : FAnalyzer(DriverAnalyzerConfig())
    {
        QFile ini(Path("Nivara.Ini"));
        ini.open(QIODevice::WriteOnly);
        ini.write(Cp1251::Encode(QStringLiteral("[Config]\r\nCOM=%1\r\nFileName=%2\r\nDeviceNumber=1\r\n")
                                     .arg(QString::fromStdString(FAnalyzer.Path()), Path("journal.txt"))));
    }

    QString Path(const QString &Name) const { return FDir.filePath(Name); }

    std::unique_ptr<QProcess> Start(const QStringList &More = {}) const
    {
        auto child = std::make_unique<QProcess>();
        StartDriver(*child, QStringLiteral(NIVARA_CRASH_DRIVER), FDir.path(), FOrigin, kSpeed, More);
        return child;
    }

    // Every file in the folder with a digest of its bytes.
    std::map<QString, QByteArray> Files() const
    {
        std::map<QString, QByteArray> files;
        QDirIterator it(FDir.path(), QDir::Files | QDir::Hidden);
        while (it.hasNext()) {
            QFile file(it.next());
            file.open(QIODevice::ReadOnly);
            files[it.fileName()] = QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
        }
        return files;
    }

    // What the window recovers from the log, as Save would write it.
    QByteArray Recovered(const QString &Name) const
    {
        const std::unique_ptr<QProcess> child = Start({QStringLiteral("--dump"), Path(Name)});
        child->waitForFinished(60000);
        QFile file(Path(Name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private:
    QTemporaryDir FDir;
    Emulator::PtyAnalyzer FAnalyzer;
    qint64 FOrigin = NowNs();
};

// Reads the child's lines until one starts with Prefix.
bool WaitForLine(QProcess &Child, const QString &Prefix, int Ms = 20000)
{
    const QDeadlineTimer deadline(Ms);
    while (!deadline.hasExpired()) {
        while (Child.canReadLine())
            if (QString::fromUtf8(Child.readLine()).startsWith(Prefix))
                return true;
        if (Child.state() == QProcess::NotRunning)
            return false;
        Child.waitForReadyRead(50);
    }
    return false;
}

void Kill(QProcess &Child)
{
    Child.kill();
    Child.waitForFinished(10000);
}

TEST(OneWindowPerFolder, ASecondStartBringsTheFirstForwardTouchesNothingAndTheFirstStillRecovers)
{
    TStation station;
    // Work that only the log holds: the window is killed right after a result.
    {
        const std::unique_ptr<QProcess> crashed = station.Start();
        ASSERT_TRUE(WaitForLine(*crashed, "put "));
        Kill(*crashed);
    }
    const QByteArray recovered = station.Recovered("before.txt");
    ASSERT_TRUE(Cp1251::Decode(recovered).contains("\t15.03.2023\t")) << "a result came back";

    const std::unique_ptr<QProcess> first = station.Start({QStringLiteral("--idle")});
    ASSERT_TRUE(WaitForLine(*first, "idle"));
    const std::map<QString, QByteArray> files = station.Files();
    ASSERT_TRUE(files.count("Nivara.log") && files.count("Nivara.lock"));

    const std::unique_ptr<QProcess> second = station.Start(); // would poll and type, were it let run
    ASSERT_TRUE(second->waitForFinished(20000));
    EXPECT_EQ(second->exitCode(), 0);
    EXPECT_TRUE(QString::fromUtf8(second->readAllStandardOutput()).startsWith("second start: brought forward"));
    EXPECT_TRUE(WaitForLine(*first, "brought forward"));
    EXPECT_EQ(station.Files(), files) << "the second start wrote nothing in the folder";
    EXPECT_EQ(first->state(), QProcess::Running);

    Kill(*first);
    EXPECT_EQ(station.Recovered("after.txt"), recovered);
}

TEST(OneWindowPerFolder, AWindowThatDoesNotAnswerIsReportedAndNothingIsTouched)
{
    TStation station;
    const std::unique_ptr<QProcess> first = station.Start({QStringLiteral("--idle")});
    ASSERT_TRUE(WaitForLine(*first, "idle"));
    const std::map<QString, QByteArray> files = station.Files();
    ::kill(pid_t(first->processId()), SIGSTOP);

    const std::unique_ptr<QProcess> second = station.Start();
    const bool ended = second->waitForFinished(30000);
    ::kill(pid_t(first->processId()), SIGCONT);
    ASSERT_TRUE(ended);
    EXPECT_EQ(second->exitCode(), 3);
    EXPECT_TRUE(QString::fromUtf8(second->readAllStandardOutput()).startsWith("second start: not answering"));
    EXPECT_EQ(station.Files(), files);
    Kill(*first);
}

TEST(OneWindowPerFolder, TwoFoldersRunSideBySideEachWithItsAnalyzer)
{
    TStation one, two;
    const std::unique_ptr<QProcess> a = one.Start();
    const std::unique_ptr<QProcess> b = two.Start();
    EXPECT_TRUE(WaitForLine(*a, "put "));
    EXPECT_TRUE(WaitForLine(*b, "put "));
    for (QProcess *child : {a.get(), b.get()}) {
        child->write("close\n");
        EXPECT_TRUE(child->waitForFinished(20000));
        EXPECT_EQ(child->exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(child->exitCode(), 0);
    }
}

TEST(OneWindowPerFolder, OneFolderNamedTwoWaysIsOneName)
{
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir("a"));
    ASSERT_TRUE(QFile::link(dir.filePath("a"), dir.filePath("b")));
    EXPECT_EQ(TStationInstance::ServerName(dir.filePath("a")), TStationInstance::ServerName(dir.filePath("b")));
    EXPECT_EQ(TStationInstance::ServerName(dir.filePath("a")), TStationInstance::ServerName(dir.filePath("a/../a/")));
    EXPECT_NE(TStationInstance::ServerName(dir.filePath("a")), TStationInstance::ServerName(dir.path()));
}

} // namespace
