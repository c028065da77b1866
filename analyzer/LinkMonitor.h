#pragma once

// What the polling thread knows about the link, kept as a snapshot that the
// window reads a few times a second. The thread writes it between its
// exchanges under a short lock, so the exchanges keep their bytes and timing
// and the thread never waits for the window.

#include "AnalyzerProtocol.h"

#include <chrono>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>

enum class TLinkPhase : uint8_t {
    Off,      // no run
    Opening,  // a run has begun and is opening its port
    Polling,  // the port is open and passes run
    PortLost, // the port failed during the run; it is being opened again
};

// An instant on the poller's monotonic clock.
using TLinkInstant = std::chrono::steady_clock::time_point;

// Times of results are the poller's local clock, as the record keeps them:
// days since 30 December 1899, local time; 0 means never. The link's
// durations start at instants of the monotonic clock instead, so that the
// wall clock set back or forward leaves them right.
struct TLinkSnapshot {
    TLinkPhase Phase = TLinkPhase::Off;
    double GateReference = 0;  // the owner's last accepted result: the next fetch waits 125 s from it
    bool AckPending = false;   // an acknowledgement is owed
    double LastValidReply = 0; // an accepted fetch or a confirmed acknowledgement, this run
    // The first fetch since the last valid reply that got none; empty while
    // the last fetch was answered (or none was sent).
    std::optional<TLinkInstant> UnansweredSince;
    AnalyzerProtocol::TReplyVerdict LastVerdict = AnalyzerProtocol::TReplyVerdict::NoReply; // of the last fetch
    // While PortLost: when the port failed.
    std::optional<TLinkInstant> PortLostSince;
    std::string LastPortError; // the port's own text of its last failure this run
    uint32_t Fetches = 0;      // sent this run
    uint32_t Refused = 0;      // fetches that brought bytes but no acceptable reply
    uint32_t AcksConfirmed = 0;
    uint32_t AcksMissed = 0;
    uint32_t Reopens = 0; // the port opened again after a loss
};

class TLinkMonitor {
public:
    TLinkSnapshot Snapshot() const;
    // Changes the snapshot under the lock; Change must be short and not block.
    template <typename F>
    void Update(F &&Change)
    {
        std::lock_guard Lock(FMutex);
        Change(FSnapshot);
    }

private:
    mutable std::mutex FMutex; // guards FSnapshot
    TLinkSnapshot FSnapshot;
};
