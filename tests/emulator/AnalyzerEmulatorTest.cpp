#include "AnalyzerEmulator.h"
#include "EmulatorOptions.h"
#include "SampleExchange.h"

#include <gtest/gtest.h>

using namespace Emulator;
using namespace std::chrono_literals;

namespace {

const Bytes kFetch1 = {0x91, 0xA0, 0xA0, 0xA0, 0x06};
const Bytes kAck1 = {0x91, 0xA0, 0xA0, 0xA0, 0x09};
const Bytes kEcho1 = {0x91, 0xA0, 0xA0, 0xA0};

const Clock::time_point t0{};

// Feeds one frame; returns the whole reply joined, and its event.
struct Exchange {
    AnalyzerEmulator &emu;
    TFrameEvent last;
    Bytes operator()(const Bytes &frame, Clock::time_point now)
    {
        auto events = emu.Feed(frame, now);
        EXPECT_EQ(events.size(), 1u);
        if (events.empty())
            return {};
        last = events.back();
        Bytes joined;
        for (const auto &piece : last.Reply)
            joined.insert(joined.end(), piece.Data.begin(), piece.Data.end());
        return joined;
    }
};

TEST(AnalyzerEmulator, DefaultResultIsTheSampleExchange)
{
    AnalyzerEmulator emu({}, t0);
    Exchange x{emu, {}};
    EXPECT_EQ(x(kFetch1, t0), kSampleReply);
    EXPECT_EQ(x(kAck1, t0 + 1s), kEcho1);
}

TEST(AnalyzerEmulator, NewResultEveryIntervalAndSilenceInBetween)
{
    AnalyzerEmulator emu({}, t0);
    Exchange x{emu, {}};
    EXPECT_EQ(x(kFetch1, t0 + 10s).size(), 38u);
    EXPECT_EQ(x(kFetch1, t0 + 11s).size(), 38u) << "unacknowledged: sent again";
    EXPECT_EQ(x(kAck1, t0 + 12s), kEcho1);
    EXPECT_TRUE(x(kFetch1, t0 + 125s).empty()) << "acknowledged, nothing new yet";
    EXPECT_EQ(x(kFetch1, t0 + 126s).size(), 38u) << "second result ready";
    EXPECT_NE(x.last.Action.find("#2"), std::string::npos) << x.last.Action;
    EXPECT_EQ(x(kAck1, t0 + 127s), kEcho1) << "acks are always echoed";
    EXPECT_EQ(x(kAck1, t0 + 128s), kEcho1);
    EXPECT_NE(x.last.Action.find("nothing owed"), std::string::npos);

    TEmulatorConfig repeat;
    repeat.IdleReply = TIdleReply::Last;
    AnalyzerEmulator emu2(repeat, t0);
    Exchange y{emu2, {}};
    EXPECT_TRUE(y(kAck1, t0).size() == 4);
    y(kFetch1, t0);
    y(kAck1, t0);
    EXPECT_EQ(y(kFetch1, t0 + 1s), kSampleReply) << "idle reply repeats the last result";
}

// Results every 10 s, fetched much more slowly: without a queue only the
// newest is handed over, with one every result is, oldest first.
TEST(AnalyzerEmulator, QueueKeepsEveryResultUntilAcknowledged)
{
    for (const bool queue : {false, true}) {
        SCOPED_TRACE(queue ? "queue" : "newest only");
        TEmulatorConfig config;
        config.Interval = 10s;
        config.NumberedResults = true;
        config.Queue = queue;
        AnalyzerEmulator emu(config, t0);
        Exchange x{emu, {}};
        std::vector<Bytes> fetched;
        for (const auto at : {35s, 36s, 37s, 38s}) {
            const Bytes reply = x(kFetch1, t0 + at); // results #1..#4 are finished
            if (!reply.empty()) {
                fetched.push_back(reply);
                EXPECT_EQ(x(kFetch1, t0 + at), reply) << "not acknowledged yet: the same again";
                x(kAck1, t0 + at);
            }
        }
        std::vector<Bytes> expected;
        for (long long n = queue ? 0 : 3; n < 4; ++n) {
            TEmulatorConfig numbered = config;
            numbered.Values[0] += double(n);
            numbered.NumberedResults = false;
            expected.push_back(AnalyzerEmulator(numbered, t0).ResultReply());
        }
        EXPECT_EQ(fetched, expected);
        EXPECT_TRUE(x(kFetch1, t0 + 39s).empty()) << "nothing left";
        EXPECT_EQ(x(kFetch1, t0 + 40s).size(), 38u) << "the fifth";
    }
    EXPECT_TRUE(ParseOptions({"--queue"}).Config.Queue);
    EXPECT_FALSE(ParseOptions({}).Config.Queue);
}

TEST(AnalyzerEmulator, FramesInPiecesAndAmongNoise)
{
    AnalyzerEmulator emu({}, t0);
    const Bytes pieces[] = {{0x00, 0x91}, {0xA0}, {0xA0, 0xA0}};
    for (const Bytes &p : pieces)
        EXPECT_TRUE(emu.Feed(p, t0).empty());
    const auto events = emu.Feed(Bytes{0x06}, t0);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].Reply.at(0).Data, kSampleReply);
    EXPECT_EQ(emu.DiscardedBytes(), 1u);

    // A broken frame is skipped and the one behind it still found; frames
    // for other devices and unknown commands get no answer.
    const Bytes mixed = {0x91, 0xA0, 0x55, 0x92, 0xA0, 0xA0, 0xA0, 0x06, 0x91,
                         0xA0, 0xA0, 0xA0, 0x07, 0x91, 0xA0, 0xA0, 0xA0, 0x09};
    const auto many = emu.Feed(mixed, t0);
    ASSERT_EQ(many.size(), 3u);
    EXPECT_TRUE(many[0].Reply.empty());
    EXPECT_EQ(many[0].Action, "other device, ignored");
    EXPECT_TRUE(many[1].Reply.empty());
    EXPECT_EQ(many[2].Reply.at(0).Data, kEcho1);
    EXPECT_EQ(emu.DiscardedBytes(), 4u);
}

TEST(AnalyzerEmulator, AnswersItsOwnDeviceNumber)
{
    TEmulatorConfig c;
    c.DevNumber = 0x1234;
    c.Status = 0x0002;
    c.GroupNumber = 0x5A;
    c.Values = DefaultValues();
    AnalyzerEmulator emu(c, t0);
    Exchange x{emu, {}};
    EXPECT_TRUE(emu.Feed(kFetch1, t0).at(0).Reply.empty());
    const Bytes reply = x({0x94, 0xA3, 0xA2, 0xA1, 0x06}, t0);
    ASSERT_EQ(reply.size(), 106u);
    const AnalyzerProtocol::TAddress addr = AnalyzerProtocol::AddressBytes(0x1234);
    EXPECT_TRUE(AnalyzerProtocol::IsAcceptedReply(reply, addr));
    const auto d = AnalyzerProtocol::DecodeReply(reply, 12);
    EXPECT_EQ(d.Status, 0x0002);
    EXPECT_EQ(d.GroupNumber, 0x5A);
    EXPECT_FLOAT_EQ(static_cast<float>(d.Values[10].ToDouble()), -0.52f);
}

TEST(AnalyzerEmulator, InjectedFaults)
{
    const AnalyzerProtocol::TAddress addr = AnalyzerProtocol::AddressBytes(1);
    {
        TEmulatorConfig c;
        c.NoAnswer = true;
        AnalyzerEmulator emu(c, t0);
        EXPECT_TRUE(emu.Feed(kFetch1, t0).at(0).Reply.empty());
        EXPECT_TRUE(emu.Feed(kAck1, t0).at(0).Reply.empty());
    }
    {
        TEmulatorConfig c;
        c.WrongEcho = true;
        const Bytes reply = AnalyzerEmulator(c, t0).ResultReply();
        EXPECT_EQ((Bytes(reply.end() - 4, reply.end())), (Bytes{0xA0, 0x91, 0xA0, 0xA0}));
        EXPECT_FALSE(AnalyzerProtocol::IsAcceptedReply(reply, addr));
    }
    for (int length : {37, 39, 105, 3}) {
        TEmulatorConfig c;
        c.ReplyLength = length;
        const Bytes reply = AnalyzerEmulator(c, t0).ResultReply();
        ASSERT_EQ(reply.size(), static_cast<size_t>(length));
        if (length >= 4) {
            EXPECT_EQ((Bytes(reply.end() - 4, reply.end())), kEcho1) << "only the length is wrong";
        }
    }
    {
        TEmulatorConfig c;
        c.BadValue = 2;
        const Bytes reply = AnalyzerEmulator(c, t0).ResultReply();
        EXPECT_TRUE(AnalyzerProtocol::IsAcceptedReply(reply, addr));
        const auto d = AnalyzerProtocol::DecodeReply(reply, 4);
        EXPECT_TRUE(d.Malformed[2]);
        EXPECT_FALSE(d.Malformed[1] || d.Malformed[3]);
    }
    {
        TEmulatorConfig c;
        c.SplitAt = 10;
        c.SplitGap = 300ms;
        AnalyzerEmulator emu(c, t0);
        const auto ev = emu.Feed(kFetch1, t0).at(0);
        ASSERT_EQ(ev.Reply.size(), 2u);
        EXPECT_EQ(ev.Reply[0].Data.size(), 10u);
        EXPECT_EQ(ev.Reply[1].DelayBefore, 300ms);
        EXPECT_EQ(ev.Reply[1].Data.size(), 28u);
    }
    {
        TEmulatorConfig c;
        c.AckFailures = 2;
        AnalyzerEmulator emu(c, t0);
        EXPECT_TRUE(emu.Feed(kAck1, t0).at(0).Reply.empty());
        EXPECT_TRUE(emu.Feed(kAck1, t0).at(0).Reply.empty());
        EXPECT_EQ(emu.Feed(kAck1, t0).at(0).Reply.at(0).Data, kEcho1);
    }
    {
        TEmulatorConfig c;
        c.VanishAfterFrames = 2;
        AnalyzerEmulator emu(c, t0);
        Bytes three = kFetch1;
        three.insert(three.end(), kAck1.begin(), kAck1.end());
        three.insert(three.end(), kFetch1.begin(), kFetch1.end());
        const auto events = emu.Feed(three, t0);
        ASSERT_EQ(events.size(), 3u);
        EXPECT_FALSE(events[1].Vanish);
        EXPECT_TRUE(events[2].Vanish);
        EXPECT_TRUE(events[2].Reply.empty());
        EXPECT_TRUE(emu.Vanished());
        EXPECT_TRUE(emu.Feed(kFetch1, t0).empty());
    }
}

TEST(EmulatorOptions, ParsesWhatTheUserTypes)
{
    const TRunOptions o = ParseOptions({"--device", "0x1234", "--count=12", "--group", "7", "--status", "0x1000",
                                        "--interval", "2.5", "--idle-reply", "last", "--link", "/tmp/x", "--split-at",
                                        "10", "--split-gap=250", "--ack-fail", "3"});
    EXPECT_EQ(o.Config.DevNumber, 0x1234);
    EXPECT_EQ(o.Config.Values, DefaultValues());
    EXPECT_EQ(o.Config.GroupNumber, 7);
    EXPECT_EQ(o.Config.Status, 0x1000);
    EXPECT_EQ(o.Config.Interval, 2500ms);
    EXPECT_EQ(o.Config.IdleReply, TIdleReply::Last);
    EXPECT_EQ(o.LinkPath, "/tmp/x");
    EXPECT_EQ(o.Config.SplitAt, 10);
    EXPECT_EQ(o.Config.SplitGap, 250ms);
    EXPECT_EQ(o.Config.AckFailures, 3);

    EXPECT_EQ(ParseOptions({"--values", "1,-2.5,3e2,+4", "--count", "4"}).Config.Values,
              (std::vector<double>{1, -2.5, 300, 4}));
    EXPECT_EQ(ParseOptions({"--count", "6"}).Config.Values.size(), 6u);
    EXPECT_TRUE(ParseOptions({"--help"}).Help);
}

TEST(EmulatorOptions, RefusesBadInputWithAReason)
{
    const std::vector<std::vector<std::string>> bad = {
        {"--device", "0"},          {"--device", "65536"},
        {"--device", "1x"},         {"--count", "5"},
        {"--values", "1,2,3"},      {"--values", "1,2,,4"},
        {"--values", "1,2,3,1e40"}, {"--count", "6", "--values", "1,2,3,4"},
        {"--interval", "0"},        {"--interval", "nan"},
        {"--idle-reply", "maybe"},  {"--bad-value", "4"},
        {"--group", "256"},         {"--device"},
        {"--no-answer=1"},          {"--frobnicate"},
    };
    for (const auto &args : bad) {
        try {
            ParseOptions(args);
            ADD_FAILURE() << "accepted: " << args[0];
        } catch (const std::invalid_argument &e) {
            EXPECT_GT(std::string(e.what()).size(), 10u);
        }
    }
}

} // namespace
