#pragma once

// The station's local clock for runs against the emulator: it stands still
// until moved, so that the one who drives the run decides when the poller's
// next fetch is due. Kept as the station keeps time (days since 30 December
// 1899, local time); the poller reads it on its own thread.

#include <atomic>
#include <functional>

namespace Emulator {

class TFakeClock {
public:
    static constexpr double kSecond = 1.0 / 86400.0;

    double Now() const { return FNow.load(); }
    void Set(double Days) { FNow = Days; }
    void Advance(double Seconds) { FNow = FNow.load() + Seconds * kSecond; }
    // For the poller's SetClock; the clock must outlive the run.
    std::function<double()> AsClock() const { return [this] { return Now(); }; }

private:
    std::atomic<double> FNow{45'000.5}; // 15 March 2023, 12:00:00
};

} // namespace Emulator
