#include "AnalyzerProtocol.h"

#include <algorithm>
#include <stdexcept>
#include <string>

namespace AnalyzerProtocol {

namespace {

constexpr int kStatusLength = 4;
constexpr int kGroupLength = 2;
constexpr int kFieldLength = 8;

int DataOffset(int ValueCount)
{
    return ValueCount == kMaxValues ? kStatusLength : 0;
}

int CheckedRead(IComLine &Line, uint8_t *Buffer, int Count)
{
    const int32_t n = Line.Read(Buffer, Count);
    if (n < 0 || n > Count)
        throw std::runtime_error("Serial line returned " + std::to_string(n) + " bytes for a read of " +
                                 std::to_string(Count));
    return n;
}

// A short write means the analyzer never saw a whole frame; waiting for its
// answer would only mistake stray bytes for one.
bool SendFrame(IComLine &Line, const TAddress &Address, uint8_t Command)
{
    const TRequestFrame frame = RequestFrame(Address, Command);
    Line.ClearBuffer(true, true);
    return Line.Write(frame.data(), static_cast<int32_t>(frame.size())) == static_cast<int32_t>(frame.size());
}

} // namespace

TAddress AddressBytes(uint16_t DevNumber)
{
    return {static_cast<uint8_t>(0x90 | (DevNumber & 0xF)), static_cast<uint8_t>(0xA0 | ((DevNumber >> 4) & 0xF)),
            static_cast<uint8_t>(0xA0 | ((DevNumber >> 8) & 0xF)), static_cast<uint8_t>(0xA0 | (DevNumber >> 12))};
}

TRequestFrame RequestFrame(const TAddress &Address, uint8_t Command)
{
    return {Address[0], Address[1], Address[2], Address[3], Command};
}

int ValueCountForLength(int Length)
{
    switch (Length) {
    case 38: return 4;
    case 54: return 6;
    case 62: return 7;
    case 106: return 12;
    default: return 0;
    }
}

int ReplyLengthForValueCount(int ValueCount)
{
    switch (ValueCount) {
    case 4:
    case 6:
    case 7:
    case 12: return DataOffset(ValueCount) + kGroupLength + kFieldLength * ValueCount + kEchoLength;
    default: return 0;
    }
}

bool IsAcceptedReply(std::span<const uint8_t> Reply, const TAddress &Address)
{
    if (Reply.size() > static_cast<size_t>(kRxBufferSize) || ValueCountForLength(static_cast<int>(Reply.size())) == 0)
        return false;
    return std::equal(Address.begin(), Address.end(), Reply.end() - kEchoLength);
}

TReplyVerdict JudgeReply(std::span<const uint8_t> Reply, const TAddress &Address)
{
    if (Reply.empty())
        return TReplyVerdict::NoReply;
    if (IsAcceptedReply(Reply, Address))
        return TReplyVerdict::Accepted;
    const TRequestFrame request = RequestFrame(Address, kFetchCommand);
    if (Reply.size() >= request.size() && std::equal(request.begin(), request.end(), Reply.begin()))
        return TReplyVerdict::OwnRequest;
    if (ValueCountForLength(static_cast<int>(Reply.size())) != 0)
        return TReplyVerdict::WrongEcho;
    if (Reply.size() >= static_cast<size_t>(kEchoLength) &&
        std::equal(Address.begin(), Address.end(), Reply.end() - kEchoLength))
        return TReplyVerdict::WrongLength;
    return TReplyVerdict::Noise;
}

TDecodedReply DecodeReply(std::span<const uint8_t> Reply, int ValueCount)
{
    if (ValueCount < 0 || ValueCount > kMaxValues)
        throw std::invalid_argument("Reply value count out of range: " + std::to_string(ValueCount));
    const int s = DataOffset(ValueCount);
    const size_t needed = static_cast<size_t>(s + kGroupLength + kFieldLength * ValueCount);
    if (Reply.size() < needed)
        throw std::invalid_argument("Reply too short for " + std::to_string(ValueCount) + " values");

    TDecodedReply d;
    d.ValueCount = ValueCount;
    if (s != 0)
        for (int k = kStatusLength - 1; k >= 0; --k)
            d.Status = static_cast<uint16_t>((d.Status << 4) | (Reply[k] & 0x0F));
    d.GroupNumber = static_cast<uint8_t>((Reply[s] & 0x0F) | ((Reply[s + 1] & 0x0F) << 4));
    for (int i = 0; i < ValueCount; ++i) {
        const auto field =
            Reply.subspan(static_cast<size_t>(s + kGroupLength + kFieldLength * i)).first<kFieldLength>();
        try {
            d.Values[i] = FPToReal6(FP8ToFP(field));
        } catch (const EConvertError &) {
            d.Values[i] = Real6{};
            d.Malformed[i] = true;
        }
    }
    return d;
}

std::vector<uint8_t> EncodeReply(const TAddress &Address, uint16_t Status, uint8_t GroupNumber,
                                 std::span<const double> Values)
{
    const int n = static_cast<int>(Values.size());
    const int length = ReplyLengthForValueCount(n);
    if (length == 0)
        throw std::invalid_argument("A reply carries 4, 6, 7 or 12 values, not " + std::to_string(n));
    std::vector<uint8_t> reply;
    reply.reserve(static_cast<size_t>(length));
    if (n == kMaxValues)
        for (int k = 0; k < kStatusLength; ++k)
            reply.push_back(static_cast<uint8_t>(0x80 | ((Status >> (4 * k)) & 0x0F)));
    reply.push_back(static_cast<uint8_t>(0x80 | (GroupNumber & 0x0F)));
    reply.push_back(static_cast<uint8_t>(0x80 | (GroupNumber >> 4)));
    for (double v : Values) {
        const TFP8Field field = FloatToFP8(v);
        reply.insert(reply.end(), field.begin(), field.end());
    }
    reply.insert(reply.end(), Address.begin(), Address.end());
    return reply;
}

TFetchOutcome FetchResult(IComLine &Line, const TAddress &Address, TRxBuffer &Rx)
{
    Rx.fill(0);
    TFetchOutcome outcome;
    if (!SendFrame(Line, Address, kFetchCommand))
        return outcome;
    while (outcome.Length < kRxBufferSize) {
        const int n = CheckedRead(Line, Rx.data() + outcome.Length, kRxBufferSize - outcome.Length);
        if (n == 0)
            break;
        outcome.Length += n;
    }
    const std::span<const uint8_t> received(Rx.data(), static_cast<size_t>(outcome.Length));
    outcome.Accepted = IsAcceptedReply(received, Address);
    outcome.Verdict = JudgeReply(received, Address);
    return outcome;
}

bool AckResult(IComLine &Line, const TAddress &Address)
{
    if (!SendFrame(Line, Address, kAckCommand))
        return false;
    std::array<uint8_t, kEchoLength> echo{};
    const int n = CheckedRead(Line, echo.data(), kEchoLength);
    return n == kEchoLength && echo == Address;
}

} // namespace AnalyzerProtocol
