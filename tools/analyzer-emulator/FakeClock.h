#pragma once

// The station's clocks for runs against the emulator: they stand still
// until moved, so that the one who drives the run decides when the poller's
// next fetch is due. The local clock is kept as the station keeps time (days
// since 30 December 1899, local time); the monotonic one, which the link's
// durations are measured by, moves only as time passes, never when the local
// clock is set. The poller reads both on its own thread.

#include <chrono>
#include <functional>
#include <mutex>

namespace Emulator {

class TFakeClock {
public:
    static constexpr double kSecond = 1.0 / 86400.0;
    using TInstant = std::chrono::steady_clock::time_point;

    double Now() const
    {
        std::lock_guard Lock(FMutex);
        return FNow;
    }
    TInstant MonotonicNow() const
    {
        std::lock_guard Lock(FMutex);
        return FMonotonic;
    }
    // The local clock set (by the operator, by a time server): no time passes.
    void Set(double Days)
    {
        std::lock_guard Lock(FMutex);
        FNow = Days;
    }
    // The local clock set forward (or back, for a negative count) by Seconds: no time passes.
    void Shift(double Seconds)
    {
        std::lock_guard Lock(FMutex);
        FNow += Seconds * kSecond;
    }
    // Seconds pass: both clocks move.
    void Advance(double Seconds)
    {
        std::lock_guard Lock(FMutex);
        FNow += Seconds * kSecond;
        FMonotonic += std::chrono::duration_cast<TInstant::duration>(std::chrono::duration<double>(Seconds));
    }
    // For the poller's SetClock and SetMonotonicClock; the clock must outlive the run.
    std::function<double()> AsClock() const
    {
        return [this] { return Now(); };
    }
    std::function<TInstant()> AsMonotonicClock() const
    {
        return [this] { return MonotonicNow(); };
    }

private:
    mutable std::mutex FMutex; // guards both clocks, so that time passing moves them together
    double FNow = 45'000.5;    // 15 March 2023, 12:00:00
    TInstant FMonotonic{std::chrono::hours(1)};
};

} // namespace Emulator
