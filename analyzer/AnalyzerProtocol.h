#pragma once

// Frames, reply layout and the two exchanges with the milk analyzer. The
// exchanges run over any IComLine: the real serial port or a test double.

#include "ComLine.h"
#include "FPConvert.h"

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace AnalyzerProtocol {

inline constexpr uint8_t kFetchCommand = 0x06;
inline constexpr uint8_t kAckCommand = 0x09;

inline constexpr int kRxBufferSize = 106; // the longest reply
inline constexpr int kMaxValues = 12;
inline constexpr int kEchoLength = 4;
// Mask of the status bits that mark a result the journal does not take.
inline constexpr uint16_t kRejectStatusMask = 0x1021;

using TAddress = std::array<uint8_t, 4>;      // A0..A3 in wire order
using TRequestFrame = std::array<uint8_t, 5>; // A0 A1 A2 A3 command
using TRxBuffer = std::array<uint8_t, kRxBufferSize>;

// 0x90|d0, 0xA0|d1, 0xA0|d2, 0xA0|d3, d0 the least significant hex digit.
TAddress AddressBytes(uint16_t DevNumber);
TRequestFrame RequestFrame(const TAddress &Address, uint8_t Command);

// 4, 6, 7 or 12 for the reply lengths 38, 54, 62, 106; 0 for any other.
int ValueCountForLength(int Length);
// 38, 54, 62 or 106 for 4, 6, 7 or 12 values; 0 for any other count.
int ReplyLengthForValueCount(int ValueCount);

// A reply is taken only when its length is one of the four reply lengths and
// its last four bytes are the address, in order.
bool IsAcceptedReply(std::span<const uint8_t> Reply, const TAddress &Address);

// What a fetch brought back, as far as the bytes tell; for the operator's
// view of the link only (acceptance is IsAcceptedReply's alone).
enum class TReplyVerdict : uint8_t {
    Accepted,
    NoReply,     // nothing arrived (or the request did not go out whole)
    OwnRequest,  // the line gave back our own request: a loop-back or an echoing adapter
    WrongEcho,   // a reply's length, but the echo is not our address: another device, or damaged
    WrongLength, // our address at the end, but not one of the four lengths: bytes lost or added
    Noise,       // bytes that are none of the above
};
TReplyVerdict JudgeReply(std::span<const uint8_t> Reply, const TAddress &Address);

struct TDecodedReply {
    uint16_t Status = 0; // 0 when the reply has fewer than 12 values
    uint8_t GroupNumber = 0;
    int ValueCount = 0;
    std::array<Real6, kMaxValues> Values{}; // first ValueCount are the reply's
    // Set for a value whose field did not decode; its Real6 is then six zero bytes.
    std::array<bool, kMaxValues> Malformed{};
};

// Decodes the data part of a received reply with ValueCount values (status
// word present only with 12). A malformed value decodes to zero without
// disturbing the others. Throws std::invalid_argument when ValueCount is
// outside 0..12 or Reply is too short for it.
TDecodedReply DecodeReply(std::span<const uint8_t> Reply, int ValueCount);

// Builds a complete reply (data part plus echo) for 4, 6, 7 or 12 values;
// Status goes out only with 12. Throws std::invalid_argument for another
// count and std::range_error for a value the format cannot carry.
std::vector<uint8_t> EncodeReply(const TAddress &Address, uint16_t Status, uint8_t GroupNumber,
                                 std::span<const double> Values);

struct TFetchOutcome {
    int Length = 0; // bytes received into the buffer, 0..106
    bool Accepted = false;
    TReplyVerdict Verdict = TReplyVerdict::NoReply;
};

// Fetch exchange: clear both buffers, send the fetch frame, then read into Rx
// with the remaining room until a read brings nothing or the buffer is full.
// Rx is zeroed first and keeps the received bytes whatever the outcome.
// Errors of the line propagate; a line that claims more bytes than it was
// asked for is reported as std::runtime_error rather than trusted.
TFetchOutcome FetchResult(IComLine &Line, const TAddress &Address, TRxBuffer &Rx);

// Acknowledge exchange: clear, send the ack frame, one read of at most four
// bytes; true only for exactly the four address bytes in order.
bool AckResult(IComLine &Line, const TAddress &Address);

} // namespace AnalyzerProtocol
