// The serial port class, set up as the poller sets it up, against the
// emulator on a pseudo-terminal: the exchanges end to end.

#include "AnalyzerProtocol.h"
#include "CPort.h"
#include "PtyAnalyzer.h"

#include <gtest/gtest.h>

using namespace AnalyzerProtocol;
using namespace Emulator;
using namespace std::chrono_literals;

namespace {

const TAddress kDevice1 = AddressBytes(1);

struct Station {
    PtyAnalyzer analyzer;
    TComPort port;

    explicit Station(TEmulatorConfig c = {}) : analyzer(std::move(c))
    {
        port.SetPort(analyzer.Path());
        port.SetBaudRate(br9600);
        port.Parity().SetBits(prOdd);
        port.SetEvents(TComEvents{});
        port.Timeouts().SetReadTotalConstant(200);
        port.Open();
    }
};

using Ms = std::chrono::milliseconds;
template <typename F>
Ms Timed(F &&f)
{
    const auto start = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration_cast<Ms>(std::chrono::steady_clock::now() - start);
}

TEST(ComPortWithEmulator, SampleExchange)
{
    Station s;
    TRxBuffer rx;
    TFetchOutcome out;
    const Ms took = Timed([&] { out = FetchResult(s.port, kDevice1, rx); });
    ASSERT_TRUE(out.Accepted);
    EXPECT_EQ(out.Length, 38);
    // The reply is in at once; the read that finds nothing more ends it.
    EXPECT_GE(took, 150ms);
    EXPECT_LT(took, 3000ms);
    const TDecodedReply d = DecodeReply(rx, 4);
    EXPECT_EQ(d.GroupNumber, 1);
    EXPECT_EQ(d.Values[0].ToDouble(), 20.0);
    EXPECT_EQ(d.Values[1].ToDouble(), 3.4499998092651367);
    EXPECT_EQ(d.Values[2].ToDouble(), 8.5);
    EXPECT_EQ(d.Values[3].ToDouble(), 1028.0);
    EXPECT_TRUE(AckResult(s.port, kDevice1));
}

TEST(ComPortWithEmulator, LengthAndEchoRules)
{
    struct Case {
        int valueCount;
        int replyLength;
        bool wrongEcho;
        bool accepted;
    };
    const Case cases[] = {
        {4, 0, false, true},   {6, 0, false, true},     {7, 0, false, true},
        {12, 0, false, true},  {4, 37, false, false},   {4, 39, false, false},
        {6, 46, false, false}, {12, 105, false, false}, {4, 0, true, false},
    };
    for (const Case &c : cases) {
        TEmulatorConfig config;
        config.Values.assign(static_cast<size_t>(c.valueCount), 2.0);
        config.ReplyLength = c.replyLength;
        config.WrongEcho = c.wrongEcho;
        Station s(config);
        TRxBuffer rx;
        const TFetchOutcome out = FetchResult(s.port, kDevice1, rx);
        const int expectedLength = c.replyLength ? c.replyLength : ReplyLengthForValueCount(c.valueCount);
        EXPECT_EQ(out.Length, expectedLength) << c.valueCount << "/" << c.replyLength;
        EXPECT_EQ(out.Accepted, c.accepted) << c.valueCount << "/" << c.replyLength << "/" << c.wrongEcho;
    }
}

TEST(ComPortWithEmulator, SplitReplyAndTheGapThatEndsIt)
{
    TEmulatorConfig c;
    c.SplitAt = 13;
    c.SplitGap = 60ms;
    {
        Station s(c);
        TRxBuffer rx;
        const TFetchOutcome out = FetchResult(s.port, kDevice1, rx);
        EXPECT_TRUE(out.Accepted);
        EXPECT_EQ(out.Length, 38);
    }
    c.SplitGap = 900ms; // far beyond the 200 ms read
    {
        Station s(c);
        TRxBuffer rx;
        const TFetchOutcome out = FetchResult(s.port, kDevice1, rx);
        EXPECT_FALSE(out.Accepted);
        EXPECT_EQ(out.Length, 13);
    }
}

TEST(ComPortWithEmulator, SilenceCostsOneReadTimeout)
{
    TEmulatorConfig c;
    c.NoAnswer = true;
    Station s(c);
    TRxBuffer rx;
    TFetchOutcome out;
    const Ms fetchTook = Timed([&] { out = FetchResult(s.port, kDevice1, rx); });
    EXPECT_EQ(out.Length, 0);
    EXPECT_FALSE(out.Accepted);
    bool acked = true;
    const Ms ackTook = Timed([&] { acked = AckResult(s.port, kDevice1); });
    EXPECT_FALSE(acked);
    for (Ms took : {fetchTook, ackTook}) {
        EXPECT_GE(took, 150ms);
        EXPECT_LT(took, 3000ms);
    }
}

TEST(ComPortWithEmulator, VanishedAnalyzerIsAPortError)
{
    TEmulatorConfig c;
    c.VanishAfterFrames = 1;
    Station s(c);
    TRxBuffer rx;
    EXPECT_TRUE(FetchResult(s.port, kDevice1, rx).Accepted);
    EXPECT_THROW(
        {
            for (int i = 0; i < 10; ++i)
                AckResult(s.port, kDevice1);
        },
        EComPort);
    s.analyzer.Runner().Wait();
    EXPECT_TRUE(s.analyzer.Runner().Vanished());
}

} // namespace
