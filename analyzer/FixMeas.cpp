#include "FixMeas.h"

#include "CPort.h"
#include "RecordTime.h"

#include <QDateTime>
#include <QPointer>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <span>
#include <system_error>

double CurrentLocalDateTime()
{
    return RecordTimeFromDateTime(QDateTime::currentDateTime());
}

TLinkInstant CurrentMonotonicTime()
{
    return std::chrono::steady_clock::now();
}

namespace {

// A failure of the line during a run, told apart from one of the owner's
// handlers: the first is worth reconnecting for, the second ends the run.
struct TLineFailure {
    std::string Text;
};

// The port's text, with the operating system's own words for the cause.
std::string PortErrorText(const std::exception &Error)
{
    std::string Text = Error.what();
    if (const auto *Ext = dynamic_cast<const EComPortExt *>(&Error))
        Text += ": " + std::system_category().message(int(Ext->WinCode()));
    return Text;
}

template <typename F>
auto OnLine(F &&Exchange)
{
    try {
        return Exchange();
    } catch (const std::exception &Error) {
        throw TLineFailure{PortErrorText(Error)};
    } catch (...) {
        throw TLineFailure{"unknown port error"};
    }
}

// How often an idle run looks whether its device is still there.
constexpr std::chrono::seconds kPresenceCheckInterval{1};

} // namespace

// ---------------------------------------------------------------------------
// TFixMeasThread

TFixMeasThread::TFixMeasThread(const QString &PortName, const TPollPortFactory &PortFactory, TLocalClock Clock,
                               TMonotonicClock MonotonicClock, TLinkMonitor &Link,
                               std::chrono::milliseconds ReconnectInterval)
    : FClock(std::move(Clock))
    , FMonotonicClock(std::move(MonotonicClock))
    , FLink(Link)
    , FReconnectInterval(ReconnectInterval)
{
    FOpenFailure.Port = PortName.toStdString();
    // A port that cannot be created or configured ends the run as soon as it
    // starts; the owner learns of it from OnStoping's Error alone.
    try {
        FPort = PortFactory(PortName);
        if (!FPort)
            FErrorFlag = true;
    } catch (...) {
        FPort.reset();
        FErrorFlag = true;
    }
}

TFixMeasThread::~TFixMeasThread()
{
    Join();
}

void TFixMeasThread::Resume(TBindings Bindings)
{
    FBindings = std::move(Bindings);
    FThread = std::thread([this] { Execute(); });
}

void TFixMeasThread::RequestTermination()
{
    {
        std::lock_guard Lock(FWakeMutex);
        FTerminated = true;
    }
    FWake.notify_all();
}

void TFixMeasThread::Cancel()
{
    RequestTermination();
    FHandOff.Cancel();
}

void TFixMeasThread::Join()
{
    if (FThread.joinable())
        FThread.join();
}

bool TFixMeasThread::HandOff(const std::function<void()> &Fn)
{
    return FHandOff.Call(Fn);
}

// No failure leaves the thread: each step below catches its own, and the
// owner learns of the end through OnStoping.
void TFixMeasThread::Execute()
{
    if (!FErrorFlag) {
        if (OpenPort())
            RunPasses();
        else
            ReportOpenFailure();
        ClosePort();
    }
    FLink.Update([](TLinkSnapshot &Link) { Link.Phase = TLinkPhase::Off; });
    FBindings.Terminated();
}

bool TFixMeasThread::OpenPort()
{
    try {
        FPort->Open();
        return true;
    } catch (const EComPortOpen &e) {
        FOpenFailure = e.Failure();
        NotePortError(e);
    } catch (const EComPortExt &e) {
        // Opened, but the device refused its settings.
        FOpenFailure.OsError = static_cast<int>(e.WinCode());
        NotePortError(e);
    } catch (const std::exception &Error) {
        NotePortError(Error);
    } catch (...) {
    }
    return false;
}

// For the status bar's tooltip: why the port did not open.
void TFixMeasThread::NotePortError(const std::exception &Error)
{
    FLink.Update([Text = PortErrorText(Error)](TLinkSnapshot &Link) { Link.LastPortError = Text; });
}

// The owner shows its message; the run ends once it is closed.
void TFixMeasThread::ReportOpenFailure()
{
    try {
        HandOff(FBindings.ErrorOpenPort);
    } catch (...) {
        // A handler that threw ends the run all the same.
    }
    FErrorFlag = true;
    RequestTermination();
}

void TFixMeasThread::RunPasses()
{
    FLink.Update([](TLinkSnapshot &Link) { Link.Phase = TLinkPhase::Polling; });
    try {
        while (!FTerminated) {
            try {
                Pass();
            } catch (const TLineFailure &Failure) {
                // The operator started polling and expects it to go on: an
                // unplugged adapter or a device error is waited out.
                Reconnect(Failure.Text);
            }
        }
    } catch (...) {
        // A handler that threw ends the run; nothing is shown.
    }
}

void TFixMeasThread::Reconnect(const std::string &Error)
{
    CloseQuietly();
    const TLinkInstant LostAt = FMonotonicClock();
    FLink.Update([&](TLinkSnapshot &Link) {
        Link.Phase = TLinkPhase::PortLost;
        Link.PortLostSince = LostAt;
        Link.LastPortError = Error;
        Link.UnansweredSince.reset();
    });
    // The pass state (gate, acknowledgement owed) lives in the owner's
    // record and comes back with the next pass.
    while (!WaitOrTerminated(FReconnectInterval)) {
        if (OpenPort()) {
            FLink.Update([](TLinkSnapshot &Link) {
                Link.Phase = TLinkPhase::Polling;
                Link.PortLostSince.reset();
                ++Link.Reopens;
            });
            return;
        }
        CloseQuietly(); // an open that failed late may hold the device
    }
}

// A dead device may refuse even this; the descriptor is released all the same.
void TFixMeasThread::CloseQuietly()
{
    try {
        FPort->Close();
    } catch (...) {
    }
}

void TFixMeasThread::ClosePort()
{
    CloseQuietly(); // also after a failed open: an open that failed late may hold the device
    FPort.reset();  // the device is free before the owner hears of the end
}

void TFixMeasThread::Pass()
{
    // A refused hand-off means the component is going away: end without
    // touching the line again, so that nothing the owner has not received is
    // acknowledged.
    if (!HandOff(FBindings.GetDevNumber) || FPass.DevNumber == 0) {
        RequestTermination();
        return;
    }
    FAddress = AnalyzerProtocol::AddressBytes(FPass.DevNumber);
    FLink.Update([this](TLinkSnapshot &Link) {
        Link.GateReference = FPass.LastTime;
        Link.AckPending = FPass.AckPending;
    });

    bool Sent = false;
    if (FetchResult(Sent) && !HandOff(FBindings.PutResult)) {
        RequestTermination();
        return;
    }
    if (FPass.AckPending) {
        Sent = true;
        const bool Acked = OnLine([this] { return AckResult(); });
        const double Now = Acked ? FClock() : 0;
        FLink.Update([&](TLinkSnapshot &Link) {
            if (Acked) {
                ++Link.AcksConfirmed;
                Link.LastValidReply = Now;
                Link.AckPending = false;
            } else {
                ++Link.AcksMissed;
            }
        });
        if (Acked) {
            FPass.AckPending = false;
            if (!HandOff(FBindings.PutResult)) {
                RequestTermination();
                return;
            }
        }
    }
    // Nothing went out (gate closed, nothing owed): without a pause the loop
    // would spin a core and flood the main thread until the gate opens.
    if (!Sent)
        IdleWait();
}

bool TFixMeasThread::FetchResult(bool &Sent)
{
    FPass.RxBuffer.fill(0);
    // The gate goes by the record's wall-clock times; the silence that may
    // follow is measured on the monotonic clock.
    if (TFixMeas::GateShut(TFixMeas::GateElapsedMs(FClock(), FPass.LastTime)))
        return false;
    const TLinkInstant SentAt = FMonotonicClock();

    FPass.AckPending = false; // an acknowledgement still owed is dropped by the next fetch
    Sent = true;
    const auto Outcome = OnLine([this] { return AnalyzerProtocol::FetchResult(*FPort, FAddress, FPass.RxBuffer); });
    const double ReplyAt = Outcome.Accepted ? FClock() : 0;
    FLink.Update([&](TLinkSnapshot &Link) {
        ++Link.Fetches;
        Link.LastVerdict = Outcome.Verdict;
        Link.AckPending = Outcome.Accepted;
        if (Outcome.Accepted) {
            Link.LastValidReply = ReplyAt;
            Link.UnansweredSince.reset();
            return;
        }
        if (Outcome.Verdict != AnalyzerProtocol::TReplyVerdict::NoReply)
            ++Link.Refused;
        if (!Link.UnansweredSince)
            Link.UnansweredSince = SentAt;
    });
    if (!Outcome.Accepted)
        return false;
    FPass.LastTime = ReplyAt;
    FPass.ValueCount = uint8_t(AnalyzerProtocol::ValueCountForLength(Outcome.Length));
    FPass.AckPending = true;
    return true;
}

bool TFixMeasThread::AckResult()
{
    return AnalyzerProtocol::AckResult(*FPort, FAddress);
}

void TFixMeasThread::IdleWait()
{
    if (!WaitOrTerminated(std::chrono::milliseconds(TFixMeas::kIdleWaitMs)))
        CheckPresence();
}

bool TFixMeasThread::WaitOrTerminated(std::chrono::milliseconds Duration)
{
    std::unique_lock Lock(FWakeMutex);
    return FWake.wait_for(Lock, Duration, [this] { return FTerminated.load(); });
}

// While the gate is shut nothing goes over the line for two minutes; a
// device that has gone is noticed here instead of at the next fetch.
void TFixMeasThread::CheckPresence()
{
    const auto Now = std::chrono::steady_clock::now();
    if (Now < FNextPresenceCheck)
        return;
    FNextPresenceCheck = Now + kPresenceCheckInterval;
    if (!FPort->Present())
        throw TLineFailure{std::system_category().message(ENODEV)};
}

// ---------------------------------------------------------------------------
// TFixMeas

double TFixMeas::GateElapsedMs(double Now, double Reference)
{
    return std::round((Now - Reference) * 86'400'000.0);
}

bool TFixMeas::GateShut(double ElapsedMs)
{
    return std::fabs(ElapsedMs) <= kFetchIntervalMs;
}

TFixMeas::TFixMeas(QObject *Owner) : QObject(Owner)
{
    // By pointer to member, so that a rename fails to compile. (invokeMethod's
    // functor form would make its slot object on the polling thread and hand
    // it over inside Qt, out of the thread sanitizer's sight; this one is made
    // and called on the main thread.)
    connect(this, &TFixMeas::PollThreadEnded, this, &TFixMeas::ThreadTerminated, Qt::QueuedConnection);
}

TFixMeas::~TFixMeas()
{
    if (!FPollThread)
        return;
    // A waiting hand-off is released instead of served: the owner may be
    // half gone, and the main thread must not wait for a thread that waits
    // for the main thread.
    FPollThread->Cancel();
    FPollThread->Join();
    if (!FEnding) {
        FEnding = true;
        try {
            TFixMeas::DoStoping(FPollThread->ErrorFlag());
        } catch (...) {
            // Nowhere to report it from a destructor.
        }
    }
    FActive = false;
    FPollThread.reset();
}

void TFixMeas::Start()
{
    if (FActive)
        return;
    QPointer<TFixMeas> Self(this);
    DoStarting();
    if (!Self || FActive) // gone, or started from inside the handler
        return;
    FActive = true;
    FEnding = false;
    FLink.Update([](TLinkSnapshot &Link) {
        Link = TLinkSnapshot{};
        Link.Phase = TLinkPhase::Opening;
    });
    FPollThread =
        std::make_unique<TFixMeasThread>(FPort, FPortFactory, FClock, FMonotonicClock, FLink, FReconnectInterval);

    TFixMeasThread::TBindings Bindings;
    Bindings.ErrorOpenPort = [this] { DoErrorOpenPort(); };
    Bindings.GetDevNumber = [this] { DoGetDevNumber(); };
    Bindings.PutResult = [this] { DoPutResult(); };
    Bindings.Terminated = [this] { emit PollThreadEnded(QPrivateSignal()); };
    try {
        FPollThread->Resume(std::move(Bindings));
    } catch (...) {
        // No thread could be had: the run ends as one whose port failed.
        FEnding = true;
        FLink.Update([](TLinkSnapshot &Link) { Link.Phase = TLinkPhase::Off; });
        DoStoping(true);
        if (!Self)
            return;
        FActive = false;
        FPollThread.reset();
    }
}

void TFixMeas::Stop()
{
    if (FActive && FPollThread)
        FPollThread->RequestTermination();
}

void TFixMeas::Cancel()
{
    if (FActive && FPollThread)
        FPollThread->Cancel();
}

void TFixMeas::ThreadTerminated()
{
    if (!FPollThread || FEnding)
        return;
    FPollThread->Join(); // the body has returned; this only reaps it
    FEnding = true;
    QPointer<TFixMeas> Self(this);
    DoStoping(FPollThread->ErrorFlag());
    if (!Self)
        return;
    FActive = false;
    FPollThread.reset();
}

void TFixMeas::DoStarting()
{
    if (OnStarting)
        OnStarting(this);
}

void TFixMeas::DoStoping(bool Error)
{
    if (OnStoping)
        OnStoping(this, Error);
}

void TFixMeas::DoGetDevNumber()
{
    QPointer<TFixMeas> Self(this);
    if (OnGetDevNumber)
        OnGetDevNumber(this);
    if (!Self || !FPollThread)
        return;
    // The thread's timing and acknowledgement state come from the owner's
    // record every pass, so they carry over from one run to the next.
    TFixMeasThread::TPassState &Pass = FPollThread->PassState();
    Pass.DevNumber = FMeasResult.DevNumber;
    Pass.LastTime = FMeasResult.ResultTime;
    Pass.AckPending = FMeasResult.AckPending;
}

void TFixMeas::DoPutResult()
{
    if (!FPollThread)
        return;
    const TFixMeasThread::TPassState &Pass = FPollThread->PassState();
    if (Pass.AckPending) { // a reply has just been accepted
        const int Count = Pass.ValueCount;
        const auto Bytes =
            std::span<const uint8_t>(Pass.RxBuffer).first(size_t(AnalyzerProtocol::ReplyLengthForValueCount(Count)));
        // The owner's record still owes the previous reply's acknowledgement:
        // the gate reopened without the analyzer ever echoing it, so the
        // analyzer still holds that analysis and may have sent it again.
        FMeasResult.Repeated = FMeasResult.AckPending && std::ranges::equal(Bytes, FLastReply);
        FLastReply.assign(Bytes.begin(), Bytes.end());
        const auto Reply = AnalyzerProtocol::DecodeReply(Pass.RxBuffer, Count);
        FMeasResult.Status = Reply.Status;
        FMeasResult.GroupNumber = Reply.GroupNumber;
        // Values beyond this reply's count keep what they held.
        for (int i = 0; i < Count; ++i)
            FMeasResult.Values[i] = Reply.Values[i];
        FMeasResult.DevNumber = Pass.DevNumber;
        FMeasResult.ResultTime = Pass.LastTime;
        FMeasResult.ValueCount = uint8_t(Count);
    }
    FMeasResult.AckPending = Pass.AckPending;
    if (OnPutResult)
        OnPutResult(this);
}

void TFixMeas::DoErrorOpenPort()
{
    if (OnErrorOpenPort)
        OnErrorOpenPort(this);
}
