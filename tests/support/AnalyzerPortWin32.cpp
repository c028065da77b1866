#include "AnalyzerPortWin32.h"

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <stdexcept>

namespace Emulator {

namespace {

struct TPair {
    std::string Station, Far;
};

// The pairs of NIVARA_TEST_ANALYZER_LINES, and which of them an analyzer holds.
class TPairPool {
public:
    TPairPool()
    {
        const char *lines = std::getenv("NIVARA_TEST_ANALYZER_LINES");
        std::string text = lines ? lines : "";
        size_t at = 0;
        while (at < text.size()) {
            size_t end = text.find(',', at);
            if (end == std::string::npos)
                end = text.size();
            const std::string pair = text.substr(at, end - at);
            const size_t dash = pair.find('-');
            if (dash != std::string::npos)
                FPairs.push_back({pair.substr(0, dash), pair.substr(dash + 1)});
            at = end + 1;
        }
        FTaken.assign(FPairs.size(), false);
    }

    size_t Take()
    {
        std::lock_guard lock(FMutex);
        if (FPairs.empty())
            throw std::runtime_error("NIVARA_TEST_ANALYZER_LINES names no null-modem pair for the analyzer "
                                     "(\"COM10-COM11,...\"); scripts/test --windows sets it");
        const auto free = std::find(FTaken.begin(), FTaken.end(), false);
        if (free == FTaken.end())
            throw std::runtime_error("every null-modem pair of NIVARA_TEST_ANALYZER_LINES has an analyzer");
        *free = true;
        return size_t(free - FTaken.begin());
    }
    void Give(size_t Pair)
    {
        std::lock_guard lock(FMutex);
        FTaken[Pair] = false;
    }
    TPair Pair(size_t Index) const { return FPairs[Index]; }

private:
    std::mutex FMutex; // guards FTaken
    std::vector<TPair> FPairs;
    std::vector<bool> FTaken;
};

TPairPool &Pool()
{
    static TPairPool pool;
    return pool;
}

} // namespace

TComRunner::TComRunner(AnalyzerEmulator &Emulator, LogSink Log, EventSink Events)
    : FEmulator(Emulator), FLog(std::move(Log)), FEvents(std::move(Events)), FPair(Pool().Take())
{
    const TPair pair = Pool().Pair(FPair);
    FStationPort = pair.Station;
    const HANDLE handle = ::CreateFileA(("\\\\.\\" + pair.Far).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                        OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        Pool().Give(FPair);
        throw std::runtime_error("cannot open the analyzer's end " + pair.Far + ": error " + std::to_string(error));
    }
    FHandle = handle;
    // The line as the station sets it (9600 8O1); a null modem made of
    // pseudo-terminals ignores it.
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    ::GetCommState(handle, &dcb);
    dcb.BaudRate = 9600;
    dcb.ByteSize = 8;
    dcb.Parity = ODDPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.fBinary = 1;
    ::SetCommState(handle, &dcb);
    // Reads return at once with what is there (Wine honours this, unlike an
    // interval of all ones with a total time-out); writes wait as long as
    // they take.
    COMMTIMEOUTS timeouts{MAXDWORD, 0, 0, 0, 0};
    ::SetCommTimeouts(handle, &timeouts);
    // What an earlier test's station sent after its analyzer went is not
    // this analyzer's.
    ::PurgeComm(handle, PURGE_RXCLEAR | PURGE_TXCLEAR);
}

TComRunner::~TComRunner()
{
    Stop();
    ::CloseHandle(static_cast<HANDLE>(FHandle));
    Pool().Give(FPair);
}

void TComRunner::Start()
{
    FStop = false;
    FThread = std::thread([this] { Serve(); });
}

void TComRunner::Stop()
{
    FStop = true;
    if (FThread.joinable())
        FThread.join();
}

void TComRunner::Serve()
{
    while (!FStop) {
        uint8_t buffer[256];
        DWORD n = 0;
        if (!::ReadFile(static_cast<HANDLE>(FHandle), buffer, sizeof buffer, &n, nullptr)) {
            Log("read failed: error " + std::to_string(::GetLastError()));
            SleepUnlessStopped(std::chrono::milliseconds(20));
            continue;
        }
        if (n == 0) {
            SleepUnlessStopped(std::chrono::milliseconds(2));
            continue;
        }
        const auto now = Clock::now();
        for (TFrameEvent &ev : FEmulator.Feed(std::span<const uint8_t>(buffer, n), now)) {
            Log("RX " + HexBytes(ev.Frame) + "  " + ev.Action);
            Report(FrameKind(ev.Frame), now, Bytes(ev.Frame.begin(), ev.Frame.end()));
            if (ev.Vanish) {
                FVanished = true;
                return;
            }
            for (const TReplyPiece &piece : ev.Reply) {
                if (piece.DelayBefore.count() > 0 && !SleepUnlessStopped(piece.DelayBefore))
                    return;
                if (!WriteAll(piece.Data))
                    return;
                Report(TLineEvent::TKind::Reply, Clock::now(), piece.Data);
            }
        }
    }
}

bool TComRunner::SleepUnlessStopped(std::chrono::milliseconds Delay)
{
    const auto until = Clock::now() + Delay;
    while (!FStop) {
        const auto left = until - Clock::now();
        if (left <= Clock::duration::zero())
            return true;
        std::this_thread::sleep_for(std::min<Clock::duration>(left, std::chrono::milliseconds(5)));
    }
    return false;
}

bool TComRunner::WriteAll(const Bytes &Data)
{
    DWORD written = 0;
    if (::WriteFile(static_cast<HANDLE>(FHandle), Data.data(), DWORD(Data.size()), &written, nullptr) &&
        written == Data.size())
        return true;
    Log("write failed: error " + std::to_string(::GetLastError()));
    return false;
}

void TComRunner::Log(const std::string &Text)
{
    if (FLog)
        FLog(Text);
}

void TComRunner::Report(TLineEvent::TKind Kind, Clock::time_point Time, Bytes Data)
{
    if (FEvents)
        FEvents({Kind, Time, std::move(Data)});
}

TComAnalyzer::TComAnalyzer(TEmulatorConfig Config, TComRunner::LogSink Log)
    : FEmulator(std::move(Config), Clock::now())
    , FRunner(FEmulator, std::move(Log), [this](const TLineEvent &Event) { Record(Event); })
{
    FRunner.Start();
}

void TComAnalyzer::Record(const TLineEvent &Event)
{
    std::lock_guard lock(FMutex);
    FEvents.push_back(Event);
}

std::vector<TLineEvent> TComAnalyzer::Events() const
{
    std::lock_guard lock(FMutex);
    return FEvents;
}

int TComAnalyzer::Count(TLineEvent::TKind Kind) const
{
    std::lock_guard lock(FMutex);
    return int(
        std::count_if(FEvents.begin(), FEvents.end(), [Kind](const TLineEvent &Event) { return Event.Kind == Kind; }));
}

} // namespace Emulator
