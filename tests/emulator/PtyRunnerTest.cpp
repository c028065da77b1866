// The emulator on a real pseudo-terminal, exercised through the same fetch
// and acknowledge exchanges the poller runs.

#include "AnalyzerProtocol.h"
#include "PtyAnalyzer.h"
#include "PtyLine.h"
#include "SampleExchange.h"

#include <gtest/gtest.h>

#include <mutex>
#include <thread>

using namespace AnalyzerProtocol;
using namespace Emulator;
using namespace std::chrono_literals;

namespace {

const TAddress kDevice1 = AddressBytes(1);

// The analyzer on a pty, with its log lines kept.
struct Served {
    std::mutex mutex;
    std::vector<std::string> log;
    PtyAnalyzer analyzer;

    explicit Served(TEmulatorConfig c = {})
        : analyzer(std::move(c), [this](const std::string &line) {
            std::lock_guard lock(mutex);
            log.push_back(line);
        })
    {
    }
    std::vector<std::string> Log()
    {
        std::lock_guard lock(mutex);
        return log;
    }
};

TEST(EmulatorOnPty, SampleExchangeAndItsAcknowledgement)
{
    Served s;
    PtyLine line(s.analyzer.Path());
    TRxBuffer rx;
    const TFetchOutcome out = FetchResult(line, kDevice1, rx);
    ASSERT_TRUE(out.Accepted);
    EXPECT_EQ(out.Length, 38);
    const TDecodedReply d = DecodeReply(rx, ValueCountForLength(out.Length));
    EXPECT_EQ(d.GroupNumber, 1);
    EXPECT_EQ(d.Values[0].ToDouble(), 20.0);
    EXPECT_EQ(d.Values[1].ToDouble(), 3.4499998092651367);
    EXPECT_EQ(d.Values[2].ToDouble(), 8.5);
    EXPECT_EQ(d.Values[3].ToDouble(), 1028.0);
    EXPECT_TRUE(AckResult(line, kDevice1));
    // Acknowledged and nothing new: the next fetch goes unanswered.
    EXPECT_EQ(FetchResult(line, kDevice1, rx).Length, 0);

    const auto log = s.Log();
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[0].rfind("RX 91 A0 A0 A0 06", 0), 0u) << log[0];
    EXPECT_EQ(log[1].rfind("RX 91 A0 A0 A0 09", 0), 0u) << log[1];

    // The same, as data: each frame as it came, each reply as it went.
    using Kind = TLineEvent::TKind;
    const auto events = s.analyzer.Events();
    ASSERT_EQ(events.size(), 5u);
    const std::pair<Kind, Bytes> expected[] = {
        {Kind::Fetch, {0x91, 0xA0, 0xA0, 0xA0, 0x06}}, {Kind::Reply, kSampleReply},
        {Kind::Ack, {0x91, 0xA0, 0xA0, 0xA0, 0x09}},   {Kind::Reply, {0x91, 0xA0, 0xA0, 0xA0}},
        {Kind::Fetch, {0x91, 0xA0, 0xA0, 0xA0, 0x06}},
    };
    for (size_t i = 0; i < events.size(); ++i) {
        EXPECT_EQ(events[i].Kind, expected[i].first) << i;
        EXPECT_EQ(events[i].Data, expected[i].second) << i;
        if (i > 0) {
            EXPECT_LE(events[i - 1].Time, events[i].Time) << i;
        }
    }
    EXPECT_EQ(s.analyzer.Fetches(), 2);
    EXPECT_EQ(s.analyzer.Acks(), 1);
}

TEST(EmulatorOnPty, LengthAndEchoFaultsFailTheFetch)
{
    struct Case {
        const char *name;
        TEmulatorConfig config;
        int length;
    };
    std::vector<Case> cases;
    for (int length : {37, 39, 46, 105}) {
        TEmulatorConfig c;
        c.ReplyLength = length;
        cases.push_back({"length", c, length});
    }
    TEmulatorConfig wrongEcho;
    wrongEcho.WrongEcho = true;
    cases.push_back({"wrong echo", wrongEcho, 38});
    TEmulatorConfig silent;
    silent.NoAnswer = true;
    cases.push_back({"no answer", silent, 0});
    TEmulatorConfig twelve;
    twelve.Values.assign(12, 1.5);
    twelve.ReplyLength = 106;
    cases.push_back({"twelve values", twelve, 106});

    for (Case &c : cases) {
        Served s(c.config);
        PtyLine line(s.analyzer.Path());
        TRxBuffer rx;
        const TFetchOutcome out = FetchResult(line, kDevice1, rx);
        EXPECT_EQ(out.Length, c.length) << c.name;
        EXPECT_EQ(out.Accepted, c.length == 106) << c.name;
    }
}

TEST(EmulatorOnPty, SplitReplyIsJoinedOnlyWithinTheReadTimeout)
{
    TEmulatorConfig c;
    c.SplitAt = 13;
    c.SplitGap = 60ms;
    {
        Served s(c);
        PtyLine line(s.analyzer.Path());
        TRxBuffer rx;
        const TFetchOutcome out = FetchResult(line, kDevice1, rx);
        EXPECT_TRUE(out.Accepted);
        EXPECT_EQ(out.Length, 38);
    }
    c.SplitGap = 900ms; // far beyond the 200 ms read
    {
        Served s(c);
        PtyLine line(s.analyzer.Path());
        TRxBuffer rx;
        const TFetchOutcome out = FetchResult(line, kDevice1, rx);
        EXPECT_FALSE(out.Accepted);
        EXPECT_EQ(out.Length, 13);
    }
}

TEST(EmulatorOnPty, AcknowledgementFailsAsOftenAsAsked)
{
    TEmulatorConfig c;
    c.AckFailures = 2;
    Served s(c);
    PtyLine line(s.analyzer.Path());
    const auto started = std::chrono::steady_clock::now();
    EXPECT_FALSE(AckResult(line, kDevice1));
    EXPECT_FALSE(AckResult(line, kDevice1));
    EXPECT_GE(std::chrono::steady_clock::now() - started, 350ms) << "each failed ack waits out its read";
    EXPECT_TRUE(AckResult(line, kDevice1));
}

TEST(EmulatorOnPty, SurvivesThePortBeingReopenedAndVanishesOnRequest)
{
    TEmulatorConfig c;
    c.VanishAfterFrames = 2;
    Served s(c);
    TRxBuffer rx;
    {
        PtyLine line(s.analyzer.Path());
        EXPECT_TRUE(FetchResult(line, kDevice1, rx).Accepted);
    }
    PtyLine line(s.analyzer.Path());
    EXPECT_TRUE(AckResult(line, kDevice1));
    // The third frame makes the analyzer vanish: the line hangs up.
    EXPECT_THROW(
        {
            for (int i = 0; i < 20; ++i)
                FetchResult(line, kDevice1, rx);
        },
        std::exception);
    s.analyzer.Runner().Wait();
    EXPECT_TRUE(s.analyzer.Runner().Vanished());
}

TEST(EmulatorOnPty, StopsPromptlyWhileIdle)
{
    Served s;
    const auto started = std::chrono::steady_clock::now();
    s.analyzer.Runner().Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - started, 5s);
    EXPECT_FALSE(s.analyzer.Runner().Vanished());
}

} // namespace
