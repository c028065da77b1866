#pragma once

// Plays an AnalyzerEmulator on the master side of a pseudo-terminal, so that
// a serial port opened on the slave path talks to it like to the analyzer.

#include "AnalyzerEmulator.h"
#include "LineEvent.h"

#include <atomic>
#include <functional>
#include <string>
#include <thread>

namespace Emulator {

class PtyRunner {
public:
    using LogSink = std::function<void(const std::string &)>;
    // Called on the serving thread, in the order things happen on the line.
    using EventSink = std::function<void(const TLineEvent &)>;

    // Opens the pseudo-terminal, raw, and keeps a slave descriptor of its
    // own so that the line survives the port being closed and reopened.
    // Throws std::system_error when the system refuses.
    explicit PtyRunner(AnalyzerEmulator &Emulator, LogSink Log = {}, EventSink Events = {});
    ~PtyRunner();
    PtyRunner(const PtyRunner &) = delete;
    PtyRunner &operator=(const PtyRunner &) = delete;

    const std::string &SlavePath() const { return FSlavePath; }

    // Serves the line on a thread of its own until Stop or until the
    // emulator vanishes.
    void Start();
    // Ends serving and waits for the thread; the pseudo-terminal stays.
    void Stop();
    // Blocks until serving has ended (by Stop, a signal or vanishing).
    void Wait();
    // Async-signal-safe request to end serving (for SIGINT/SIGTERM handlers).
    void RequestStop() noexcept;
    // Closes the pseudo-terminal at once: the slave side sees a hang-up.
    // Only after serving has ended (or before it began).
    void CloseLine();
    bool Vanished() const { return FVanished.load(); }

private:
    void Serve();
    void HandleInput();
    bool WriteAll(const uint8_t *Data, size_t Count);
    bool SleepUnlessStopped(std::chrono::milliseconds Delay);
    void Log(const std::string &Text);
    void Report(TLineEvent::TKind Kind, Clock::time_point Time, Bytes Data);

    AnalyzerEmulator &FEmulator;
    LogSink FLog;
    EventSink FEvents;
    int FMaster = -1;
    int FSlave = -1;
    int FStopPipe[2] = {-1, -1};
    std::string FSlavePath;
    std::thread FThread;
    std::atomic<bool> FVanished{false};
};

} // namespace Emulator
