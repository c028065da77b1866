#pragma once

// The measurement poller: a component on the main thread and, while a run is
// active, one polling thread that talks to the analyzer over its own port and
// reaches the main thread only by synchronous hand-off.

#include "AnalyzerProtocol.h"
#include "ComLine.h"
#include "FPConvert.h"
#include "LinkMonitor.h"
#include "MainThreadCall.h"
#include "PortOpenFailure.h"

#include <QObject>
#include <QString>

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <type_traits>
#include <vector>

// The record the component and its owner copy to each other whole. All zeros
// is the starting state: no device, no result, no acknowledgement owed, and a
// reference time so old that the first pass fetches at once.
struct TFixMeasResult {
    uint16_t DevNumber = 0; // device to poll; in a result, the device polled
    uint16_t Status = 0;    // status word; 0 for replies of fewer than 12 values
    uint8_t GroupNumber = 0;
    std::array<Real6, AnalyzerProtocol::kMaxValues> Values{}; // first ValueCount belong to the result
    double ResultTime = 0;   // when the reply was accepted: days since 1899-12-30, local time
    uint8_t ValueCount = 0;  // 4, 6, 7 or 12; 0 before the first result
    bool AckPending = false; // accepted, not yet acknowledged by the analyzer
    // The last accepted reply is byte for byte the one accepted before it,
    // whose acknowledgement was never confirmed: the analyzer sent the same
    // analysis again (its echo of our acknowledgement was lost). It is
    // acknowledged like any other, but it is no new result.
    bool Repeated = false;
};
static_assert(std::is_trivially_copyable_v<TFixMeasResult> && std::is_standard_layout_v<TFixMeasResult>,
              "TFixMeasResult is copied whole as one value");

// What a polling run needs of its port: the line, and opening and closing it.
// Open throws when the device cannot be opened; Close is harmless on a port
// that is not open.
class IPollPort : public IComLine {
public:
    virtual void Open() = 0;
    virtual void Close() = 0;
    // Whether the device is still there (an unplugged adapter's node goes
    // away), looked at while the line is idle, so that a loss shows before
    // the next exchange would find it.
    virtual bool Present() const { return true; }
};

// Creates the port for one run, configured for the analyzer's line; throws
// when the port object cannot be created or configured.
using TPollPortFactory = std::function<std::unique_ptr<IPollPort>(const QString &PortName)>;
// The default: a TComPort at 9600 baud, odd parity, no event watching and a
// 200 ms read total time-out.
std::unique_ptr<IPollPort> CreatePollComPort(const QString &PortName);

// The local clock as the record keeps time: days since 30 December 1899, the
// fraction being the time of day, local time. Called on the polling thread.
using TLocalClock = std::function<double()>;
double CurrentLocalDateTime();
// The clock the link's durations are measured by: setting the wall clock
// does not move it. Called on the polling thread and the main thread.
using TMonotonicClock = std::function<TLinkInstant()>;
TLinkInstant CurrentMonotonicTime();

// One polling run. Created by TFixMeas::Start on the main thread, it owns the
// port and the thread that runs the passes; the component joins and deletes
// it when the run has ended.
class TFixMeasThread {
public:
    // What a pass carries across its hand-offs. The polling thread writes it
    // between hand-offs; the main thread touches it only inside them, while
    // the polling thread waits, so it needs no lock.
    struct TPassState {
        uint16_t DevNumber = 0;                 // device of the current pass
        double LastTime = 0;                    // when the last reply was accepted
        uint8_t ValueCount = 0;                 // values of the last accepted reply
        bool AckPending = false;                // an acknowledgement is owed
        AnalyzerProtocol::TRxBuffer RxBuffer{}; // the fetch reply, as received
    };

    // The main-thread callbacks of a run and its end handler, bound by the component.
    struct TBindings {
        std::function<void()> ErrorOpenPort;
        std::function<void()> GetDevNumber;
        std::function<void()> PutResult;
        std::function<void()> Terminated; // posted to the main thread when the body has returned
    };

    TFixMeasThread(const QString &PortName, const TPollPortFactory &PortFactory, TLocalClock Clock,
                   TMonotonicClock MonotonicClock, TLinkMonitor &Link, std::chrono::milliseconds ReconnectInterval);
    ~TFixMeasThread(); // joins

    TFixMeasThread(const TFixMeasThread &) = delete;
    TFixMeasThread &operator=(const TFixMeasThread &) = delete;

    // Main thread, once: binds the callbacks and lets the thread run.
    void Resume(TBindings Bindings);
    // The port could not be set up or opened (read it once the run has ended).
    bool ErrorFlag() const { return FErrorFlag; }
    // Why the port could not be opened; set before ErrorOpenPort is handed
    // off, so that its handler may read it.
    const TPortOpenFailure &OpenFailure() const { return FOpenFailure; }
    // Asks the loop to end after the current pass; also ends an idle wait.
    void RequestTermination();
    bool Terminated() const { return FTerminated; }
    // Main thread: ends the run without serving it. Requests termination,
    // releases a hand-off the thread is waiting for and refuses every further
    // one, so that Join cannot wait for a thread that waits for the main thread.
    void Cancel();
    // Main thread: waits until the thread body has returned.
    void Join();
    // Main thread: one of the run's hand-offs is running further down the
    // main thread's stack, and the thread waits for it to return.
    bool ServingHandOff() const { return FHandOff.Serving(); }
    // Main thread, inside a hand-off only.
    TPassState &PassState() { return FPass; }

private:
    void Execute();
    bool OpenPort();
    void NotePortError(const std::exception &Error);
    void ReportOpenFailure();
    void RunPasses();
    void ClosePort();
    void CloseQuietly();
    void Pass();
    bool FetchResult(bool &Sent);
    bool AckResult();
    bool HandOff(const std::function<void()> &Fn);
    void IdleWait();
    // Waits, unless termination is requested first; true when it was.
    bool WaitOrTerminated(std::chrono::milliseconds Duration);
    void CheckPresence();
    // The port failed mid-run: closes it and opens it again every
    // FReconnectInterval until it opens or termination is requested.
    void Reconnect(const std::string &Error);

    // Set on the main thread before the thread runs, then the thread's own.
    std::unique_ptr<IPollPort> FPort;
    TLocalClock FClock;
    TMonotonicClock FMonotonicClock;
    TLinkMonitor &FLink; // the component's; it outlives the thread
    std::chrono::milliseconds FReconnectInterval;
    std::chrono::steady_clock::time_point FNextPresenceCheck{}; // the polling thread's own
    std::atomic<bool> FErrorFlag{false};
    TPortOpenFailure FOpenFailure;
    TBindings FBindings;
    TMainThreadCall FHandOff;

    std::atomic<bool> FTerminated{false};
    // Guards the idle wait: FTerminated is set under it, so that no wait
    // misses the request.
    std::mutex FWakeMutex;
    std::condition_variable FWake;

    AnalyzerProtocol::TAddress FAddress{}; // the polling thread's own
    TPassState FPass;

    std::thread FThread;
};

using TNotifyEvent = std::function<void(QObject *Sender)>;
using TStopEvent = std::function<void(QObject *Sender, bool Error)>;

class TFixMeas : public QObject {
    Q_OBJECT
public:
    // More than this since the last accepted reply opens the gate for a fetch
    // (as does a clock set back by more than this).
    static constexpr double kFetchIntervalMs = 125'000;
    // The gate's reading of the clock: whole milliseconds from Reference to
    // Now (record times), so that exactly 125 s does not open the gate
    // through the rounding of day fractions. The gate stays shut while this
    // is within the interval either way: a reference more than the interval
    // in the future means the clock was set back, and waiting for it to
    // catch up could shut the gate for hours.
    static double GateElapsedMs(double Now, double Reference);
    static bool GateShut(double ElapsedMs);
    // How long a pass that sent nothing waits before the next one.
    static constexpr int kIdleWaitMs = 50;
    // How often a run whose port failed tries to open it again.
    static constexpr std::chrono::milliseconds kReconnectInterval{3000};

    explicit TFixMeas(QObject *Owner = nullptr);
    // Stops an active run and waits for its thread; the end handler runs
    // (OnStoping fires) before the component is gone. Hand-offs the thread is
    // still waiting for are released unserved, and nothing the owner did not
    // receive is acknowledged.
    ~TFixMeas() override;

    void Start();
    // Asks the run to end after the pass in progress; the end handler
    // follows on the main thread's event loop.
    void Stop();
    // Like Stop, but the pass in progress is not finished: a hand-off the
    // thread waits for is released unserved (so nothing the owner has not
    // received is acknowledged). For a main thread that must wait for the
    // end from inside one of the run's own hand-offs, which the thread
    // waits for in turn.
    void Cancel();
    // Main thread: the run's thread waits for a hand-off that is running
    // further down the main thread's stack (a modal box of a handler).
    bool InsideHandOff() const { return FPollThread && FPollThread->ServingHandOff(); }

    bool Active() const { return FActive; }
    QString Port() const { return FPort; }
    void SetPort(const QString &Port) { FPort = Port; }
    const TFixMeasResult &MeasResult() const { return FMeasResult; }
    void SetMeasResult(const TFixMeasResult &Result) { FMeasResult = Result; }
    // The bytes of the last accepted reply (empty before the first). The owner
    // keeps them with its record, so that after a restart SetLastReply (with
    // SetMeasResult) lets the analysis whose acknowledgement is still owed be
    // recognised when the analyzer sends it again. Main thread only.
    const std::vector<uint8_t> &LastReply() const { return FLastReply; }
    void SetLastReply(std::vector<uint8_t> Reply) { FLastReply = std::move(Reply); }
    // The running thread; null when no run is active.
    TFixMeasThread *PollThread() const { return FPollThread.get(); }
    // The link as the polling thread last saw it; any thread.
    TLinkSnapshot LinkSnapshot() const { return FLink.Snapshot(); }
    // The clock the runs keep time by (the snapshot's times of results are on it).
    const TLocalClock &Clock() const { return FClock; }
    // The clock the snapshot's instants are on, for the link's durations.
    const TMonotonicClock &MonotonicClock() const { return FMonotonicClock; }

    // Seams for tests and tools; each takes effect at the next Start.
    void SetClock(TLocalClock Clock) { FClock = std::move(Clock); }
    void SetMonotonicClock(TMonotonicClock Clock) { FMonotonicClock = std::move(Clock); }
    void SetPortFactory(TPollPortFactory Factory) { FPortFactory = std::move(Factory); }
    void SetReconnectInterval(std::chrono::milliseconds Interval) { FReconnectInterval = Interval; }

    // Events; each fires only when assigned.
    TNotifyEvent OnStarting;
    TStopEvent OnStoping;
    TNotifyEvent OnGetDevNumber;
    TNotifyEvent OnPutResult;
    TNotifyEvent OnErrorOpenPort;

protected:
    virtual void DoStarting();
    virtual void DoStoping(bool Error);
    virtual void DoGetDevNumber();
    virtual void DoPutResult();
    virtual void DoErrorOpenPort();

signals:
    // Emitted on the polling thread once its body has returned; a queued
    // connection made at construction carries it to ThreadTerminated.
    void PollThreadEnded(QPrivateSignal);

private:
    void ThreadTerminated();

    QString FPort = QStringLiteral("COM1");
    bool FActive = false;
    bool FEnding = false; // the end handler has begun
    TFixMeasResult FMeasResult{};
    // The bytes of the last accepted reply, across runs, to recognise the
    // same analysis sent again while its acknowledgement is still owed.
    std::vector<uint8_t> FLastReply;
    TLinkMonitor FLink; // before the thread, which writes it
    std::unique_ptr<TFixMeasThread> FPollThread;
    TLocalClock FClock = CurrentLocalDateTime;
    TMonotonicClock FMonotonicClock = CurrentMonotonicTime;
    TPollPortFactory FPortFactory = CreatePollComPort;
    std::chrono::milliseconds FReconnectInterval = kReconnectInterval;
};
