#pragma once

// What a runner of the emulator reports from the line it serves (a
// pseudo-terminal, or in the Windows tests a COM port).

#include "AnalyzerEmulator.h"

namespace Emulator {

// One thing a runner saw or did on the line, as data for programs that
// watch the exchange (tests, benchmarks); the log says the same for people.
struct TLineEvent {
    enum class TKind {
        Fetch,      // a frame with the fetch command arrived (any address)
        Ack,        // a frame with the acknowledge command arrived (any address)
        OtherFrame, // a frame with another command arrived
        Reply,      // a piece of reply was written
    };
    TKind Kind = TKind::OtherFrame;
    Clock::time_point Time; // when the frame was read or the piece written
    Bytes Data;             // the frame, or the piece
};

// The kind of event a frame that arrived makes.
inline TLineEvent::TKind FrameKind(const AnalyzerProtocol::TRequestFrame &Frame)
{
    switch (Frame[4]) {
    case AnalyzerProtocol::kFetchCommand: return TLineEvent::TKind::Fetch;
    case AnalyzerProtocol::kAckCommand: return TLineEvent::TKind::Ack;
    default: return TLineEvent::TKind::OtherFrame;
    }
}

} // namespace Emulator
