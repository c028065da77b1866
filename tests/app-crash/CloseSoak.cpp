// The close soak: the real window (nivara_crash_driver) polls the analyzer
// emulator, types labels and saves, and is asked to close again and again at
// chosen moments: while a fetch is on the line, while a result is being
// handed over, while the port is gone and the poller is reconnecting, at
// random, and while the box about a port that cannot be opened is open.
// Every other request closes the window as the operator does, the rest send
// SIGTERM as the desktop's logout does (inside the box always SIGTERM: the
// box keeps the operator from the window). Each must end the program
// within two seconds, in order, with the settings written.
//
//   nivara_close_soak [requests] [seed]     prints the slowest end
//
// The port in the settings is a symbolic link to the emulator's
// pseudo-terminal, so that the analyzer can be unplugged and plugged in again
// under the same name.
//
// Exits 0 when every request was answered in time.

#include "Cp1251.h"
#include "DriverProcess.h"
#include "PtyAnalyzer.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <memory>

namespace {

constexpr double kSpeed = 2000;     // the station's clock against the steady one: a fetch every 62 ms
constexpr qint64 kAllowedMs = 2000; // from the request to the end of the process
constexpr int kGiveUpMs = 60'000;   // a hang is reported, not waited for

enum class TMoment { MidExchange, MidHandOver, DuringReconnect, AtRandom, InsideOpenPortBox };
const char *const kMomentNames[] = {"mid-exchange", "mid-hand-over", "during a reconnect", "at random",
                                    "inside the open-port box"};

class TCloseSoak {
public:
    TCloseSoak(QString Driver, quint32 Seed) : FDriver(std::move(Driver)), FRandom(Seed)
    {
        Plug();
        WriteSettings(1);
    }

    // One life of the window, ended by a close request at the moment asked
    // for. Returns how long the end took in ms, or -1 when it went wrong.
    qint64 Close(TMoment Moment, bool BySignal)
    {
        WriteSettings(1); // whatever the last life left
        if (Moment == TMoment::InsideOpenPortBox)
            Unplug();
        else if (!FAnalyzer)
            Plug();
        QProcess child;
        Start(child);
        if (!ReachMoment(child, Moment)) {
            std::fprintf(stderr, "the moment did not come\n");
            return -1;
        }
        // Only the end writes the settings: a device number the window does
        // not use shows whether it did.
        WriteSettings(7);
        QElapsedTimer ending;
        ending.start();
        if (BySignal)
            ::kill(pid_t(child.processId()), SIGTERM);
        else
            child.write("close\n");
        const bool ended = child.waitForFinished(kGiveUpMs);
        const qint64 took = ending.elapsed();
        if (!ended) {
            std::fprintf(stderr, "no end after %d s\n", kGiveUpMs / 1000);
            child.kill();
            child.waitForFinished(10000);
            return -1;
        }
        bool fine = true;
        if (child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0) {
            std::fprintf(stderr, "ended with status %d\n", child.exitCode());
            fine = false;
        }
        if (!ReadSettings().contains("DeviceNumber=1\r\n")) {
            std::fprintf(stderr, "the settings were not written\n");
            fine = false;
        }
        for (const QByteArray &line : child.readAllStandardOutput().split('\n'))
            if (line.startsWith("error "))
                std::fprintf(stderr, "window: %s\n", line.constData());
        return fine ? took : -1;
    }

private:
    void WriteSettings(int DevNumber) const
    {
        QFile ini(Path("Nivara.Ini"));
        ini.open(QIODevice::WriteOnly);
        ini.write(Cp1251::Encode(QStringLiteral("[Config]\r\nCOM=%1\r\nFileName=%2\r\nDeviceNumber=%3\r\n")
                                     .arg(Path("analyzer"), Path("journal.txt"))
                                     .arg(DevNumber)));
    }
    QByteArray ReadSettings() const
    {
        QFile ini(Path("Nivara.Ini"));
        return ini.open(QIODevice::ReadOnly) ? ini.readAll() : QByteArray();
    }

    QString Path(const QString &Name) const { return FDir.filePath(Name); }

    // The analyzer appears under the link's name, on a new pseudo-terminal.
    void Plug()
    {
        FAnalyzer = std::make_unique<Emulator::PtyAnalyzer>(DriverAnalyzerConfig());
        QFile::remove(Path("analyzer"));
        QFile::link(QString::fromStdString(FAnalyzer->Path()), Path("analyzer"));
    }
    // The line hangs up under the open port, as a pulled USB adapter does,
    // and the name leads nowhere.
    void Unplug()
    {
        FAnalyzer.reset();
        QFile::remove(Path("analyzer"));
    }

    void Start(QProcess &Child)
    {
        const qint64 origin =
            std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
                .count();
        StartDriver(Child, FDriver, FDir.path(), origin, kSpeed);
    }

    // Reads the window's lines until the moment has come; false when the
    // window ended or never got there.
    bool ReachMoment(QProcess &Child, TMoment Moment)
    {
        QElapsedTimer waited;
        waited.start();
        bool polling = false, put = false;
        const int fetchesBefore = FAnalyzer ? FAnalyzer->Fetches() : 0;
        // (FAnalyzer is there for every moment but the box's.)
        while (waited.elapsed() < 20'000 && Child.state() == QProcess::Running) {
            if (Moment == TMoment::MidExchange && put && FAnalyzer->Fetches() > fetchesBefore + 1)
                return true; // a fetch has just arrived: its reply is being written or read
            if (!Child.canReadLine() && !Child.waitForReadyRead(1))
                continue;
            const QByteArray line = Child.readLine().trimmed();
            polling = polling || line == "polling";
            put = put || line.startsWith("put ");
            if (Moment == TMoment::InsideOpenPortBox && line.startsWith("error Ошибка открытия порта"))
                return true;
            if (Moment == TMoment::MidHandOver && line.startsWith("put "))
                return true; // the window is inside the hand-over; the acknowledgement waits for it
            if (Moment == TMoment::AtRandom && polling) {
                QThread::msleep(FRandom.bounded(600));
                return true;
            }
            if (Moment == TMoment::DuringReconnect && put) {
                Unplug();
                QThread::msleep(FRandom.bounded(1500));
                return true;
            }
        }
        return false;
    }

    QString FDriver;
    QRandomGenerator FRandom;
    QTemporaryDir FDir;
    std::unique_ptr<Emulator::PtyAnalyzer> FAnalyzer;
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int requests = argc > 1 ? std::atoi(argv[1]) : 20;
    const quint32 seed = RunSeed(argc, argv, 2);
    std::printf("close soak: %d requests, seed %u (replay with NIVARA_TEST_SEED=%u)\n", requests, seed, seed);
    std::fflush(stdout);

    TCloseSoak soak(QStringLiteral(NIVARA_CRASH_DRIVER), seed);
    int failed = 0;
    qint64 slowest = 0;
    for (int r = 0; r < requests; ++r) {
        const auto moment = TMoment(r % 5);
        const bool bySignal = (r / 5) % 2 == 1 || moment == TMoment::InsideOpenPortBox;
        const qint64 took = soak.Close(moment, bySignal);
        const bool late = took > kAllowedMs;
        if (took < 0 || late) {
            ++failed;
            std::fprintf(stderr, "request %d (%s, %s): %s\n", r + 1, bySignal ? "SIGTERM" : "close",
                         kMomentNames[int(moment)],
                         late ? qPrintable(QStringLiteral("ended after %1 ms").arg(took)) : "failed");
        }
        slowest = std::max(slowest, took);
    }
    std::printf("%d of %d close requests ended the program within %lld ms with the settings written; "
                "slowest %lld ms\n",
                requests - failed, requests, static_cast<long long>(kAllowedMs), static_cast<long long>(slowest));
    return failed == 0 ? 0 : 1;
}
