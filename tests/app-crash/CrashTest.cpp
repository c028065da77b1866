// The crash test: the real window (nivara_crash_driver) polls the analyzer
// emulator, types labels and saves, and is killed with SIGKILL again and
// again at chosen moments: right after a result was handed over (before its
// acknowledgement), right after an acknowledgement, during a label edit,
// during a save, and at random. After every kill the window starts again,
// recovers, and its journal is checked against the emulator's own record of
// the results it had acknowledged: each one there exactly once, and every
// label the window had finished typing in its row.
//
// Between a kill and the restart, the journal file is now and then touched,
// replaced by a copy of itself or moved away, or the log's header damaged:
// none of it may cost a result, and the damage must be reported.
//
//   nivara_crash_test [kills] [seed]     prints "kills survived, results lost"
//   (without a seed: NIVARA_TEST_SEED's, else a new one; it prints the seed)
//
// Exits 0 when nothing was lost.

#include "Cp1251.h"
#include "DriverProcess.h"
#include "PtyAnalyzer.h"
#include "ResultLog.h"

#include <QCoreApplication>
#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>
#include <QTime>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>
#include <vector>

namespace {

using SteadyClock = std::chrono::steady_clock;
constexpr double kSpeed = 2000; // the station's clock against the steady one

qint64 SteadyNs(SteadyClock::time_point Time)
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Time.time_since_epoch()).count();
}

// The acknowledged results, as the analyzer saw them.
struct TAcked {
    qint64 ReplyNs = 0; // its reply written
    qint64 AckNs = 0;   // its acknowledgement read
};

class TAnalyzerRecord {
public:
    void OnLog(const std::string &Line)
    {
        const qint64 now = SteadyNs(SteadyClock::now());
        std::lock_guard lock(FMutex);
        // "fetch: result #N, ..." and "ack: result #N acknowledged"
        const auto number = [&](const char *Prefix) {
            const size_t at = Line.find(Prefix);
            return at == std::string::npos ? -1LL : std::atoll(Line.c_str() + at + std::strlen(Prefix));
        };
        if (const long long n = number("fetch: result #"); n > 0)
            FReplies[n] = now;
        if (Line.find("acknowledged") != std::string::npos) {
            const long long n = number("ack: result #");
            FAcked.push_back({FReplies.count(n) ? FReplies[n] : now, now});
        }
    }
    std::vector<TAcked> Acked() const
    {
        std::lock_guard lock(FMutex);
        return FAcked;
    }

private:
    mutable std::mutex FMutex; // guards both: written on the emulator's thread
    std::map<long long, qint64> FReplies;
    std::vector<TAcked> FAcked;
};

struct TRow {
    QString Label;
    double Seconds = -1; // station time of the result; -1: none
};

// The journal as Save writes it: the time of each row's result, its label.
std::vector<TRow> ReadRows(const QByteArray &Bytes)
{
    std::vector<TRow> rows;
    for (const QByteArray &line : Bytes.split('\n')) {
        if (line.isEmpty())
            continue;
        const QList<QByteArray> fields = line.chopped(line.endsWith('\r') ? 1 : 0).split('\t');
        TRow row;
        row.Label = Cp1251::Decode(fields.value(0));
        const QDate date = QDate::fromString(QString::fromLatin1(fields.value(1)), QStringLiteral("dd.MM.yyyy"));
        const QTime time = QTime::fromString(QString::fromLatin1(fields.value(2)), QStringLiteral("H:mm:ss"));
        if (date.isValid() && time.isValid())
            row.Seconds = double(QDate(2023, 3, 15).daysTo(date)) * 86400 + time.msecsSinceStartOfDay() / 1000.0;
        rows.push_back(row);
    }
    return rows;
}

enum class TMoment { AfterHandOver, AfterAck, DuringLabel, DuringSave, AtRandom };
const char *const kMomentNames[] = {"after hand-over", "after acknowledgement", "during a label edit", "during a save",
                                    "at random"};

// What happens to the files while the window is down.
enum class TDisturbance { None, Touched, ReplacedByCopy, MovedAway, HeaderDamaged };
const char *const kDisturbanceNames[] = {"nothing", "journal touched", "journal replaced by a copy of itself",
                                         "journal moved away", "log header damaged"};

class TCrashRun {
public:
    TCrashRun(QString Driver, quint32 Seed)
        : FDriver(std::move(Driver))
        , FRandom(Seed)
        , FAnalyzer(DriverAnalyzerConfig(), [this](const std::string &Line) { FRecord.OnLog(Line); })
    {
        FOrigin = SteadyNs(SteadyClock::now()); // 12:00 on the 15th, as the window's clock starts
        WriteSettings(Path("journal.txt"));
    }

    // Does to the files what was asked for, as a person or a file system
    // might while the window is down.
    void Disturb(TDisturbance What)
    {
        FExpectDamageReport = false;
        TResultLogContents log;
        try {
            log = ReadResultLog(Path("Nivara.log"));
        } catch (const std::exception &) {
            return;
        }
        const QString journal = log.JournalFileName;
        if (journal.isEmpty()) // a log cut while it began: nothing names a journal
            return;
        switch (What) {
        case TDisturbance::None: break;
        case TDisturbance::Touched: {
            QFile file(journal);
            if (file.open(QIODevice::ReadWrite))
                file.setFileTime(QDateTime::currentDateTime().addSecs(3600), QFileDevice::FileModificationTime);
            break;
        }
        case TDisturbance::ReplacedByCopy:
            if (QFile::copy(journal, journal + QStringLiteral(".copy")))
                QFile::remove(journal), QFile::rename(journal + QStringLiteral(".copy"), journal);
            break;
        case TDisturbance::MovedAway:
            QFile::rename(journal, Path(QStringLiteral("archive-%1.txt").arg(++FArchived)));
            break;
        case TDisturbance::HeaderDamaged: {
            QFile file(Path("Nivara.log"));
            if (!log.HasHeader || !file.open(QIODevice::ReadWrite) || file.size() < 40)
                break;
            // The settings name the journal in use, as after an ordinary
            // close: the log without its header goes back into it.
            WriteSettings(journal);
            QByteArray bytes = file.readAll();
            bytes[20] = char(bytes[20] ^ 0x01);
            file.seek(0);
            file.write(bytes);
            FExpectDamageReport = true;
            break;
        }
        }
    }

    // One life of the window, ended by SIGKILL at the moment asked for.
    void Crash(TMoment Moment)
    {
        QProcess child;
        Start(child, {});
        const int acksBefore = int(FRecord.Acked().size());
        const auto deadline = SteadyClock::now() + std::chrono::seconds(10);
        bool armed = false; // at least one result first, so there is work to lose
        while (SteadyClock::now() < deadline && child.state() != QProcess::NotRunning) {
            if (Moment == TMoment::AfterAck && int(FRecord.Acked().size()) > acksBefore)
                break;
            if (!child.canReadLine() && !child.waitForReadyRead(2))
                continue;
            const QString line = QString::fromUtf8(child.readLine()).trimmed();
            if (line.startsWith(QLatin1String("label ")))
                FLabels.push_back(line);
            if (line.startsWith(QLatin1String("error ")))
                std::fprintf(stderr, "window: %s\n", qPrintable(line));
            armed = armed || line.startsWith(QLatin1String("put "));
            if (!armed)
                continue;
            if ((Moment == TMoment::AfterHandOver && line.startsWith(QLatin1String("put "))) ||
                (Moment == TMoment::DuringLabel && line.startsWith(QLatin1String("label-begin"))) ||
                (Moment == TMoment::DuringSave && line.startsWith(QLatin1String("save-begin")))) {
                QThread::usleep(FRandom.bounded(Moment == TMoment::DuringSave ? 3000 : 1500));
                break;
            }
            if (Moment == TMoment::AtRandom) {
                QThread::msleep(FRandom.bounded(400));
                break;
            }
        }
        child.kill();
        child.waitForFinished(10000);
        // Lines written before the kill: labels the window had finished.
        for (const QByteArray &rest : child.readAllStandardOutput().split('\n'))
            if (rest.startsWith("label "))
                FLabels.push_back(QString::fromUtf8(rest).trimmed());
        // An acknowledgement on its way may still reach the analyzer.
        QThread::msleep(30);
    }

    // Starts the window once more, takes the journal it recovers and checks
    // it. Returns the results lost (or found twice) and labels lost.
    int Check(int &LabelsLost, int &Unacknowledged)
    {
        QProcess child;
        const QString dump = Path("dump.txt");
        QFile::remove(dump);
        Start(child, {QStringLiteral("--dump"), dump});
        child.waitForFinished(60000);
        const QByteArray out = child.readAllStandardOutput();
        for (const QByteArray &line : out.split('\n'))
            if (line.startsWith("error "))
                std::fprintf(stderr, "window: %s\n", line.constData());
        if (FExpectDamageReport && !QString::fromUtf8(out).contains(QStringLiteral("не удалось прочитать, — 1."))) {
            ++FReportsMissing;
            std::fprintf(stderr, "the damaged header was not reported: %s\n", out.constData());
        }
        QFile file(dump);
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "the window gave no journal\n");
            return 1'000'000;
        }
        const std::vector<TRow> rows = ReadRows(file.readAll());
        // Journals moved away while the window was down hold what had been
        // saved into them; they count as much as the one it works on.
        std::vector<std::vector<TRow>> archives;
        for (int n = 1; n <= FArchived; ++n) {
            QFile archive(Path(QStringLiteral("archive-%1.txt").arg(n)));
            if (archive.open(QIODevice::ReadOnly))
                archives.push_back(ReadRows(archive.readAll()));
        }

        int lost = 0;
        std::vector<bool> matched(rows.size(), false);
        for (const TAcked &acked : FRecord.Acked()) {
            const double from = Station(acked.ReplyNs) - 2, to = Station(acked.AckNs) + 2;
            const auto count = [&](const std::vector<TRow> &In, std::vector<bool> *Matched) {
                int found = 0;
                for (size_t i = 0; i < In.size(); ++i)
                    if (In[i].Seconds >= from && In[i].Seconds <= to) {
                        ++found;
                        if (Matched)
                            (*Matched)[i] = true;
                    }
                return found;
            };
            // Once in a journal, and in the one worked on unless it was only
            // in a journal moved away (saved, nothing after it).
            const int found = count(rows, &matched);
            int archived = 0;
            bool twiceInOne = found > 1;
            for (const std::vector<TRow> &archive : archives) {
                const int there = count(archive, nullptr);
                archived += there > 0;
                twiceInOne = twiceInOne || there > 1;
            }
            if (twiceInOne || found + archived == 0) {
                ++lost;
                std::fputs(qPrintable(QString::asprintf("acknowledged result at %.0f..%.0f s found %d times (%d in "
                                                        "journals moved away)\n",
                                                        from, to, found, archived)),
                           stderr);
            }
        }
        Unacknowledged = 0;
        for (size_t i = 0; i < rows.size(); ++i)
            Unacknowledged += rows[i].Seconds >= 0 && !matched[i];
        LabelsLost = 0;
        for (const QString &label : FLabels) {
            const int row = label.section(QLatin1Char(' '), 1, 1).toInt();
            const QString text = label.section(QLatin1Char(' '), 2);
            const auto hasIt = [&](const std::vector<TRow> &In) {
                return row >= 1 && row <= int(In.size()) && In[size_t(row - 1)].Label == text;
            };
            if (!hasIt(rows) && std::none_of(archives.begin(), archives.end(), hasIt)) {
                ++LabelsLost;
                std::fprintf(stderr, "label lost: %s\n", qPrintable(label));
            }
        }
        return lost;
    }

    int Acknowledged() const { return int(FRecord.Acked().size()); }
    int ReportsMissing() const { return FReportsMissing; }
    int LabelsTyped() const { return int(FLabels.size()); }

private:
    QString Path(const QString &Name) const { return FDir.filePath(Name); }
    void WriteSettings(const QString &Journal)
    {
        QFile ini(Path("Nivara.Ini"));
        ini.open(QIODevice::WriteOnly);
        ini.write(Cp1251::Encode(QStringLiteral("[Config]\r\nCOM=%1\r\nFileName=%2\r\nDeviceNumber=1\r\n")
                                     .arg(QString::fromStdString(FAnalyzer.Path()), Journal)));
    }
    // Seconds since 00:00 on the 15th on the window's clock.
    double Station(qint64 SteadyNs) const { return 12 * 3600 + double(SteadyNs - FOrigin) * 1e-9 * kSpeed; }
    void Start(QProcess &Child, const QStringList &More)
    {
        StartDriver(Child, FDriver, FDir.path(), FOrigin, kSpeed, More);
    }

    QString FDriver;
    QRandomGenerator FRandom;
    QTemporaryDir FDir;
    TAnalyzerRecord FRecord;
    Emulator::PtyAnalyzer FAnalyzer;
    qint64 FOrigin = 0;
    QStringList FLabels;
    int FArchived = 0;
    bool FExpectDamageReport = false;
    int FReportsMissing = 0;
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int kills = argc > 1 ? std::atoi(argv[1]) : 10;
    const quint32 seed = RunSeed(argc, argv, 2);
    std::printf("crash test: %d kills, seed %u (replay with NIVARA_TEST_SEED=%u)\n", kills, seed, seed);
    std::fflush(stdout);

    TCrashRun run(QStringLiteral(NIVARA_CRASH_DRIVER), seed);
    int lost = 0, labelsLost = 0, unacknowledged = 0, survived = 0;
    for (int k = 0; k < kills; ++k) {
        const auto moment = TMoment(k % 5);
        // Shifted every five kills, so that each moment meets each disturbance.
        const auto disturbance = TDisturbance((k + k / 5) % 5);
        run.Crash(moment);
        run.Disturb(disturbance);
        int labels = 0;
        const int lostNow = run.Check(labels, unacknowledged);
        if (lostNow == 0 && labels == 0)
            ++survived;
        else
            std::fprintf(stderr, "kill %d (%s, then %s): %d results, %d labels lost\n", k + 1,
                         kMomentNames[int(moment)], kDisturbanceNames[int(disturbance)], lostNow, labels);
        lost = std::max(lost, lostNow);
        labelsLost = std::max(labelsLost, labels);
    }
    std::printf("%d kills survived of %d, results lost: %d, labels lost: %d, damage unreported: %d "
                "(%d results acknowledged, %d labels typed; %d entered but never acknowledged)\n",
                survived, kills, lost, labelsLost, run.ReportsMissing(), run.Acknowledged(), run.LabelsTyped(),
                unacknowledged);
    return lost == 0 && labelsLost == 0 && survived == kills && run.ReportsMissing() == 0 ? 0 : 1;
}
