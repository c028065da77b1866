#pragma once

// The analyzer's side of the line as a state machine: bytes from the master
// go in, reply pieces come out. No I/O and no clock of its own, so tests can
// drive it in-process with any notion of time.

#include "AnalyzerProtocol.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace Emulator {

using Clock = std::chrono::steady_clock;
using Bytes = std::vector<uint8_t>;

// What to answer to a fetch when no unacknowledged result is ready.
enum class TIdleReply {
    Silent, // no answer: the master's read times out
    Last,   // the last result sent, again
};

struct TEmulatorConfig {
    uint16_t DevNumber = 1;
    uint16_t Status = 0; // sent only with 12 values
    uint8_t GroupNumber = 1;
    std::vector<double> Values = {20.0, 3.45, 8.5, 1028.0}; // 4, 6, 7 or 12
    std::chrono::milliseconds Interval{126000};             // between new results
    TIdleReply IdleReply = TIdleReply::Silent;
    // Result #n+1 carries Values[0] + n, so that no two analyses are byte for
    // byte alike (as real ones practically never are).
    bool NumberedResults = false;
    // An analyzer with a memory: every finished analysis waits until it has
    // been fetched and acknowledged, and a fetch gets the oldest waiting one.
    // Without it only the newest counts, and those not fetched in time are lost.
    bool Queue = false;

    // Faults, for tests of the master.
    bool NoAnswer = false;  // never answer anything
    bool WrongEcho = false; // fetch replies echo A1 A0 A2 A3
    int ReplyLength = 0;    // >0: fetch replies padded or cut to this length, echo kept
    int SplitAt = 0;        // >0: fetch replies sent in two pieces split here
    std::chrono::milliseconds SplitGap{50};
    int BadValue = -1;         // >=0: that value's FP8 field carries a byte 0x7E
    int AckFailures = 0;       // the first N acknowledge frames get no answer
    int VanishAfterFrames = 0; // >0: answer N frames, vanish at the next one
};

// Checks a configuration; returns an empty string or what is wrong with it.
std::string ValidateConfig(const TEmulatorConfig &Config);

// A piece of reply to write after waiting DelayBefore.
struct TReplyPiece {
    std::chrono::milliseconds DelayBefore{0};
    Bytes Data;
};

struct TFrameEvent {
    AnalyzerProtocol::TRequestFrame Frame{};
    std::string Action;             // what the analyzer made of it, for the log
    std::vector<TReplyPiece> Reply; // empty: no answer
    bool Vanish = false;            // the line goes dead instead of answering
};

class AnalyzerEmulator {
public:
    // Throws std::invalid_argument for a configuration ValidateConfig refuses.
    // The first result is ready at Start, the next ones every Interval after it.
    AnalyzerEmulator(TEmulatorConfig Config, Clock::time_point Start);

    // Takes bytes from the master (any split) and returns one event for each
    // complete frame in them. Bytes that cannot start a frame are dropped.
    std::vector<TFrameEvent> Feed(std::span<const uint8_t> Input, Clock::time_point Now);

    // The reply a fetch gets for a ready result, faults applied.
    Bytes ResultReply() const;

    const TEmulatorConfig &Config() const { return FConfig; }
    size_t DiscardedBytes() const { return FDiscarded; }
    int FramesReceived() const { return FFrames; }
    bool Vanished() const { return FVanished; }

private:
    TFrameEvent Handle(const AnalyzerProtocol::TRequestFrame &Frame, Clock::time_point Now);
    long long ReadyIndex(Clock::time_point Now) const;

    TEmulatorConfig FConfig;
    AnalyzerProtocol::TAddress FAddress;
    Clock::time_point FStart;
    Bytes FPending; // start of a frame still arriving
    size_t FDiscarded = 0;
    int FFrames = 0;
    int FAckFailuresLeft = 0;
    long long FAcknowledged = -1; // index of the last acknowledged result
    long long FSent = -1;         // index of the last result sent
    bool FVanished = false;
};

// "91 A0 A0 A0 06"
std::string HexBytes(std::span<const uint8_t> Data);

} // namespace Emulator
