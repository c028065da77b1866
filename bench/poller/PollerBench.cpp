// Prints the poller's figures against the analyzer emulator on a
// pseudo-terminal:
//  - CPU time of the whole process (polling thread, main thread, the idle
//    emulator) while a run waits 10 s on a closed 125-second gate;
//  - latency from a fetch frame's arrival at the emulator to OnPutResult on
//    the main thread and to the acknowledgement frame's arrival, for 38- and
//    106-byte replies.
// A pty has no line delay: a 106-byte reply is complete at once (121 ms on a
// 9600-baud line), while a shorter one ends only with a read that finds
// nothing. Those are the floors to compare with.

#include "FakeClock.h"
#include "FixMeas.h"
#include "PtyAnalyzer.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QString>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>

namespace {

using Ms = std::chrono::duration<double, std::milli>;
using SteadyClock = Emulator::Clock;
using Emulator::TLineEvent;

// The station's side as the main window wires it (device 1 in at each pass,
// each result out), on a clock that stands still until moved. Run drives
// the event loop until the run has ended; the handlers decide when to stop.
class TStation {
public:
    Emulator::TFakeClock Clock;
    TFixMeasResult PollState{};
    int Passes = 0;
    std::function<void()> AfterPutResult;

    explicit TStation(const Emulator::PtyAnalyzer &Analyzer)
    {
        FMeas.SetClock(Clock.AsClock());
        FMeas.SetPort(QString::fromStdString(Analyzer.Path()));
        FMeas.OnGetDevNumber = [this](QObject *) {
            ++Passes;
            PollState.DevNumber = 1;
            FMeas.SetMeasResult(PollState);
        };
        FMeas.OnPutResult = [this](QObject *) {
            PollState = FMeas.MeasResult();
            if (AfterPutResult)
                AfterPutResult();
        };
        FMeas.OnStoping = [this](QObject *, bool) { FLoop.quit(); };
    }

    // False when the run had to be cut short after TimeoutMs.
    bool Run(int TimeoutMs)
    {
        bool TimedOut = false;
        QTimer Deadline;
        Deadline.setSingleShot(true);
        QObject::connect(&Deadline, &QTimer::timeout, [&] {
            TimedOut = true;
            FMeas.Stop();
            FLoop.quit();
        });
        Deadline.start(TimeoutMs);
        FMeas.Start();
        FLoop.exec();
        return !TimedOut;
    }
    void Stop() { FMeas.Stop(); }

private:
    QEventLoop FLoop;
    TFixMeas FMeas; // last: its end handler, run when it goes, uses the loop
};

double ProcessCpuMs()
{
    timespec Ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &Ts);
    return Ts.tv_sec * 1e3 + Ts.tv_nsec / 1e6;
}

void MeasureIdleCpu(int Seconds)
{
    Emulator::PtyAnalyzer Analyzer(Emulator::TEmulatorConfig{});
    TStation Station(Analyzer);
    QObject Scope; // ends the timer below with the function
    int Puts = 0, Passes = 0;
    double Cpu = 0, Wall = 0;
    // The result and its acknowledgement are in: the gate is closed for 125 s.
    Station.AfterPutResult = [&] {
        if (++Puts != 2)
            return;
        const int PassesBefore = Station.Passes;
        const double CpuBefore = ProcessCpuMs();
        const auto WallBefore = SteadyClock::now();
        QTimer::singleShot(Seconds * 1000, Qt::PreciseTimer, &Scope, [&, PassesBefore, CpuBefore, WallBefore] {
            Cpu = ProcessCpuMs() - CpuBefore;
            Wall = Ms(SteadyClock::now() - WallBefore).count();
            Passes = Station.Passes - PassesBefore;
            Station.Stop();
        });
    };
    if (!Station.Run(Seconds * 1000 + 15'000) || Puts < 2) {
        std::printf("idle CPU: no result from the emulator\n");
        return;
    }
    // QString::asprintf: the same figures whatever the C library's locale.
    std::fputs(qPrintable(QString::asprintf("idle run, gate closed: %.0f ms wall, %.1f ms CPU (%.2f %% of one core), "
                                            "%d passes (%.1f per second), fetches %d\n",
                                            Wall, Cpu, 100.0 * Cpu / Wall, Passes, Passes * 1000.0 / Wall,
                                            Analyzer.Fetches())),
               stdout);
}

void PrintDistribution(const char *What, std::vector<double> Values)
{
    if (Values.empty()) {
        std::printf("  %-28s no samples\n", What);
        return;
    }
    std::sort(Values.begin(), Values.end());
    auto At = [&](double Q) { return Values[std::min(Values.size() - 1, size_t(Q * (Values.size() - 1) + 0.5))]; };
    std::fputs(qPrintable(QString::asprintf("  %-28s min %7.2f  median %7.2f  p95 %7.2f  max %7.2f ms  (n=%zu)\n", What,
                                            Values.front(), At(0.5), At(0.95), Values.back(), Values.size())),
               stdout);
}

void MeasureLatency(int ValueCount, int Samples)
{
    Emulator::TEmulatorConfig Config;
    Config.Interval = std::chrono::milliseconds(1); // a new result whenever asked
    if (ValueCount == 12)
        Config.Values = {20.0, 3.45, 8.5, 1028.0, 3.1, 0.0, 9.0, 4.75, 0.7, 12.5, -0.5204, 90.0};
    Emulator::PtyAnalyzer Analyzer(Config);
    TStation Station(Analyzer);
    std::vector<SteadyClock::time_point> PutTimes;
    int Acked = 0;
    Station.AfterPutResult = [&] {
        if (Station.PollState.AckPending) {
            PutTimes.push_back(SteadyClock::now());
            return;
        }
        // The acknowledgement frame is in the emulator's record by now.
        if (++Acked >= Samples)
            Station.Stop();
        else
            Station.Clock.Advance(126); // open the gate for the next sample at once
    };
    Station.Run(120'000);

    // Only answered fetches count: when a sample comes round within the
    // emulator's millisecond, it has no new result yet and stays silent.
    std::vector<SteadyClock::time_point> FetchTimes, AckTimes;
    const std::vector<TLineEvent> Events = Analyzer.Events();
    for (size_t i = 0; i < Events.size(); ++i) {
        const TLineEvent &Event = Events[i];
        const bool Answered = i + 1 < Events.size() && Events[i + 1].Kind == TLineEvent::TKind::Reply;
        if (Event.Kind == TLineEvent::TKind::Fetch && Answered)
            FetchTimes.push_back(Event.Time);
        else if (Event.Kind == TLineEvent::TKind::Ack)
            AckTimes.push_back(Event.Time);
    }
    std::vector<double> ToPut, ToAck;
    for (size_t i = 0; i < PutTimes.size() && i < FetchTimes.size(); ++i)
        ToPut.push_back(Ms(PutTimes[i] - FetchTimes[i]).count());
    for (size_t i = 0; i < AckTimes.size() && i < FetchTimes.size(); ++i)
        ToAck.push_back(Ms(AckTimes[i] - FetchTimes[i]).count());
    const int Length = AnalyzerProtocol::ReplyLengthForValueCount(ValueCount);
    std::printf("%d-byte replies (floor on a pty: %s):\n", Length,
                Length == 106 ? "0 ms, the read ends with the last byte"
                              : "200 ms when the reply is in before the first read starts, "
                                "else 400 ms: that read runs its 200 ms for want of 106 bytes, "
                                "the empty read 200 ms more");
    PrintDistribution("fetch -> OnPutResult", ToPut);
    PrintDistribution("fetch -> acknowledgement", ToAck);
    if (Length != 106) {
        // What the poller adds to the floor that each sample met.
        auto OverFloor = [](std::vector<double> Values) {
            for (double &V : Values)
                V -= V > 300 ? 400 : 200;
            return Values;
        };
        PrintDistribution("  OnPutResult over floor", OverFloor(ToPut));
        PrintDistribution("  acknowledgement over floor", OverFloor(ToAck));
    }
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication App(argc, argv);
    const int Seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    const int Samples = argc > 2 ? std::max(1, std::atoi(argv[2])) : 30;
    MeasureIdleCpu(Seconds);
    MeasureLatency(4, Samples);
    MeasureLatency(12, Samples);
    return 0;
}
