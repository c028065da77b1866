#pragma once

// The Windows side of AnalyzerPort.h: the emulator's state machine served on
// the far end of a null-modem pair of COM ports, the station opening the
// near end. The pairs come from NIVARA_TEST_ANALYZER_LINES,
// "COM10-COM11,COM12-COM13" (the station's port, then the analyzer's):
// scripts/test --windows links two pseudo-terminals with socat for each and
// maps them for Wine; on a Windows PC com0com makes such pairs. An analyzer
// takes the first free pair for as long as it lives.
//
// A COM port cannot be unplugged from the far end, and the station's port
// is always one of the pairs: the tests of a lost port, of a port held by
// another program and of links to a port are POSIX ones.

#include "AnalyzerEmulator.h"
#include "FakeClock.h"
#include "LineEvent.h"

#include <QString>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace Emulator {

// Plays an AnalyzerEmulator on the far end of a free pair, as PtyRunner does
// on a pseudo-terminal.
class TComRunner {
public:
    using LogSink = std::function<void(const std::string &)>;
    // Called on the serving thread, in the order things happen on the line.
    using EventSink = std::function<void(const TLineEvent &)>;

    // Takes a free pair and opens its far end. Throws std::runtime_error
    // when there is none or it cannot be opened.
    explicit TComRunner(AnalyzerEmulator &Emulator, LogSink Log = {}, EventSink Events = {});
    ~TComRunner();
    TComRunner(const TComRunner &) = delete;
    TComRunner &operator=(const TComRunner &) = delete;

    // The near end: the port the station opens.
    const std::string &StationPort() const { return FStationPort; }

    // Serves the line on a thread of its own until Stop or until the
    // emulator vanishes (it then falls silent: the port stays).
    void Start();
    void Stop();
    bool Vanished() const { return FVanished.load(); }

private:
    void Serve();
    bool SleepUnlessStopped(std::chrono::milliseconds Delay);
    bool WriteAll(const Bytes &Data);
    void Log(const std::string &Text);
    void Report(TLineEvent::TKind Kind, Clock::time_point Time, Bytes Data);

    AnalyzerEmulator &FEmulator;
    LogSink FLog;
    EventSink FEvents;
    size_t FPair = 0;
    std::string FStationPort;
    void *FHandle = nullptr; // the far end's HANDLE
    std::thread FThread;
    std::atomic<bool> FStop{false};
    std::atomic<bool> FVanished{false};
};

// The counterpart of PtyAnalyzer: an emulator on a pair, with a record of
// the exchange that any thread may read.
class TComAnalyzer {
public:
    // Serves at once. Log, when given, gets the runner's log lines.
    explicit TComAnalyzer(TEmulatorConfig Config, TComRunner::LogSink Log = {});

    // The port the station opens.
    const std::string &Path() const { return FRunner.StationPort(); }

    // Everything so far, in the order it happened on the line.
    std::vector<TLineEvent> Events() const;
    int Count(TLineEvent::TKind Kind) const;
    int Fetches() const { return Count(TLineEvent::TKind::Fetch); }
    int Acks() const { return Count(TLineEvent::TKind::Ack); }

    TComRunner &Runner() { return FRunner; }

private:
    void Record(const TLineEvent &Event);

    mutable std::mutex FMutex; // guards FEvents
    std::vector<TLineEvent> FEvents;
    AnalyzerEmulator FEmulator;
    TComRunner FRunner; // last: stops serving before the rest goes
};

} // namespace Emulator

using TTestAnalyzer = Emulator::TComAnalyzer;

// The port name the station opens to reach the emulated analyzer.
inline QString PortName(const Emulator::TComAnalyzer &Analyzer)
{
    return QString::fromStdString(Analyzer.Path());
}
