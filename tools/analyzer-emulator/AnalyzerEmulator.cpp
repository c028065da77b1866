#include "AnalyzerEmulator.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <stdexcept>

namespace Emulator {

using namespace AnalyzerProtocol;

namespace {

bool IsFirstAddressByte(uint8_t b)
{
    return (b & 0xF0) == 0x90;
}
bool IsOtherAddressByte(uint8_t b)
{
    return (b & 0xF0) == 0xA0;
}

// A frame can start at the front of Pending as far as its bytes go.
bool CanStartFrame(const Bytes &Pending)
{
    if (!IsFirstAddressByte(Pending[0]))
        return false;
    for (size_t i = 1; i < std::min<size_t>(Pending.size(), 4); ++i)
        if (!IsOtherAddressByte(Pending[i]))
            return false;
    return true;
}

// A value as the user typed it (shortest round trip), with a point whatever
// the C library's locale.
std::string ShortestText(double Value)
{
    char text[32];
    const std::to_chars_result written = std::to_chars(text, text + sizeof text, Value);
    return std::string(text, written.ptr);
}

} // namespace

std::string ValidateConfig(const TEmulatorConfig &c)
{
    if (c.DevNumber == 0)
        return "device number 0 is not an address";
    const int n = static_cast<int>(c.Values.size());
    if (ReplyLengthForValueCount(n) == 0)
        return "the analyzer sends 4, 6, 7 or 12 values, not " + std::to_string(n);
    for (double v : c.Values) {
        try {
            (void)FloatToFP(v);
        } catch (const std::range_error &) {
            return "value " + ShortestText(v) + " cannot be sent in the analyzer's number format";
        }
    }
    if (c.Interval.count() <= 0)
        return "the interval between results must be positive";
    if (c.ReplyLength < 0 || c.ReplyLength > 4096)
        return "reply length must be 0..4096";
    if (c.SplitAt < 0 || c.SplitGap.count() < 0)
        return "split position and gap must not be negative";
    if (c.BadValue >= n)
        return "there is no value " + std::to_string(c.BadValue) + " to spoil";
    if (c.AckFailures < 0 || c.VanishAfterFrames < 0)
        return "counts must not be negative";
    return {};
}

AnalyzerEmulator::AnalyzerEmulator(TEmulatorConfig Config, Clock::time_point Start)
    : FConfig(std::move(Config))
    , FAddress(AddressBytes(FConfig.DevNumber))
    , FStart(Start)
    , FAckFailuresLeft(FConfig.AckFailures)
{
    if (const std::string problem = ValidateConfig(FConfig); !problem.empty())
        throw std::invalid_argument(problem);
}

std::vector<TFrameEvent> AnalyzerEmulator::Feed(std::span<const uint8_t> Input, Clock::time_point Now)
{
    std::vector<TFrameEvent> events;
    if (FVanished)
        return events;
    FPending.insert(FPending.end(), Input.begin(), Input.end());
    while (!FPending.empty()) {
        if (!CanStartFrame(FPending)) {
            FPending.erase(FPending.begin());
            ++FDiscarded;
            continue;
        }
        if (FPending.size() < 5)
            break;
        TRequestFrame frame;
        std::copy_n(FPending.begin(), 5, frame.begin());
        FPending.erase(FPending.begin(), FPending.begin() + 5);
        events.push_back(Handle(frame, Now));
        if (FVanished) {
            FPending.clear();
            break;
        }
    }
    return events;
}

long long AnalyzerEmulator::ReadyIndex(Clock::time_point Now) const
{
    if (Now < FStart)
        return 0;
    return static_cast<long long>((Now - FStart) / FConfig.Interval);
}

Bytes AnalyzerEmulator::ResultReply() const
{
    std::vector<double> values = FConfig.Values;
    if (FConfig.NumberedResults && FSent > 0)
        values[0] += double(FSent);
    Bytes reply = EncodeReply(FAddress, FConfig.Status, FConfig.GroupNumber, values);
    const int n = static_cast<int>(FConfig.Values.size());
    if (FConfig.BadValue >= 0) {
        const size_t offset = (n == kMaxValues ? 4 : 0) + 2 + 8 * static_cast<size_t>(FConfig.BadValue);
        reply[offset + 3] = 0x7E;
    }
    if (FConfig.WrongEcho)
        std::swap(reply[reply.size() - 4], reply[reply.size() - 3]);
    if (FConfig.ReplyLength > 0) {
        const size_t want = static_cast<size_t>(FConfig.ReplyLength);
        const auto echo = reply.end() - kEchoLength;
        if (want <= static_cast<size_t>(kEchoLength))
            reply.erase(reply.begin(), reply.end() - static_cast<std::ptrdiff_t>(want));
        else if (want < reply.size())
            reply.erase(echo - static_cast<std::ptrdiff_t>(reply.size() - want), echo);
        else
            reply.insert(echo, want - reply.size(), 0x80);
    }
    return reply;
}

TFrameEvent AnalyzerEmulator::Handle(const TRequestFrame &Frame, Clock::time_point Now)
{
    TFrameEvent ev;
    ev.Frame = Frame;
    ++FFrames;
    if (FConfig.VanishAfterFrames > 0 && FFrames > FConfig.VanishAfterFrames) {
        ev.Action = "vanishing (injected)";
        ev.Vanish = FVanished = true;
        return ev;
    }
    if (!std::equal(FAddress.begin(), FAddress.end(), Frame.begin())) {
        ev.Action = "other device, ignored";
        return ev;
    }
    if (FConfig.NoAnswer) {
        ev.Action = "no answer (injected)";
        return ev;
    }

    const auto sendResult = [&](const std::string &what) {
        const Bytes reply = ResultReply();
        ev.Action = what + ", " + std::to_string(reply.size()) + " bytes";
        const size_t split = static_cast<size_t>(FConfig.SplitAt);
        if (split > 0 && split < reply.size()) {
            ev.Reply.push_back({std::chrono::milliseconds(0),
                                Bytes(reply.begin(), reply.begin() + static_cast<std::ptrdiff_t>(split))});
            ev.Reply.push_back(
                {FConfig.SplitGap, Bytes(reply.begin() + static_cast<std::ptrdiff_t>(split), reply.end())});
            ev.Action += " in two pieces";
        } else {
            ev.Reply.push_back({std::chrono::milliseconds(0), reply});
        }
    };

    switch (Frame[4]) {
    case kFetchCommand: {
        const long long ready = ReadyIndex(Now);
        if (ready > FAcknowledged) {
            FSent = FConfig.Queue ? FAcknowledged + 1 : ready;
            std::string what = "fetch: result #" + std::to_string(FSent + 1);
            if (FConfig.Queue)
                what += " (" + std::to_string(ready - FSent) + " more waiting)";
            sendResult(what);
        } else if (FConfig.IdleReply == TIdleReply::Last && FSent >= 0) {
            sendResult("fetch: no new result, last one again");
        } else {
            ev.Action = "fetch: no new result, no answer";
        }
        break;
    }
    case kAckCommand:
        if (FAckFailuresLeft > 0) {
            --FAckFailuresLeft;
            ev.Action = "ack: no answer (injected, " + std::to_string(FAckFailuresLeft) + " more)";
            break;
        }
        ev.Reply.push_back({std::chrono::milliseconds(0), Bytes(FAddress.begin(), FAddress.end())});
        if (FSent > FAcknowledged) {
            FAcknowledged = FSent;
            ev.Action = "ack: result #" + std::to_string(FSent + 1) + " acknowledged";
        } else {
            ev.Action = "ack: nothing owed, echoed";
        }
        break;
    default: ev.Action = "unknown command, ignored"; break;
    }
    return ev;
}

std::string HexBytes(std::span<const uint8_t> Data)
{
    std::string text;
    char hex[4];
    for (uint8_t b : Data) {
        std::snprintf(hex, sizeof hex, text.empty() ? "%02X" : " %02X", b);
        text += hex;
    }
    return text;
}

} // namespace Emulator
