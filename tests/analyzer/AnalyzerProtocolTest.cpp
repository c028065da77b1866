#include "AnalyzerProtocol.h"
#include "SampleExchange.h"
#include "ScriptedLine.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace AnalyzerProtocol;

namespace {

using Bytes = std::vector<uint8_t>;

const TAddress kDevice1 = {0x91, 0xA0, 0xA0, 0xA0};

// A reply of Length bytes whose last four are the address of device 1.
Bytes ReplyOfLength(size_t Length)
{
    Bytes reply(Length, 0x80);
    std::copy(kDevice1.begin(), kDevice1.end(), reply.end() - 4);
    return reply;
}

TEST(AnalyzerAddress, HexDigitsLeastSignificantFirst)
{
    EXPECT_EQ(AddressBytes(1), kDevice1);
    EXPECT_EQ(AddressBytes(0x1234), (TAddress{0x94, 0xA3, 0xA2, 0xA1}));
    EXPECT_EQ(AddressBytes(0xFFFF), (TAddress{0x9F, 0xAF, 0xAF, 0xAF}));
    EXPECT_EQ(RequestFrame(AddressBytes(0x1234), kFetchCommand), (TRequestFrame{0x94, 0xA3, 0xA2, 0xA1, 0x06}));
    EXPECT_EQ(RequestFrame(kDevice1, kAckCommand), (TRequestFrame{0x91, 0xA0, 0xA0, 0xA0, 0x09}));
}

TEST(AnalyzerReply, AcceptedOnlyAtTheFourLengthsWithEchoInOrder)
{
    for (size_t length : {38, 54, 62, 106})
        EXPECT_TRUE(IsAcceptedReply(ReplyOfLength(length), kDevice1)) << length;
    for (size_t length : {0, 4, 37, 39, 46, 105, 107, 200})
        EXPECT_FALSE(IsAcceptedReply(ReplyOfLength(length < 4 ? 4 : length), kDevice1)) << length;
    EXPECT_FALSE(IsAcceptedReply(Bytes{}, kDevice1));

    Bytes swapped = ReplyOfLength(38);
    std::swap(swapped[34], swapped[35]);
    EXPECT_FALSE(IsAcceptedReply(swapped, kDevice1));
    EXPECT_FALSE(IsAcceptedReply(ReplyOfLength(38), AddressBytes(2)));
}

TEST(AnalyzerReply, LengthsAndValueCounts)
{
    const std::pair<int, int> table[] = {{38, 4}, {54, 6}, {62, 7}, {106, 12}};
    for (auto [length, count] : table) {
        EXPECT_EQ(ValueCountForLength(length), count);
        EXPECT_EQ(ReplyLengthForValueCount(count), length);
    }
    EXPECT_EQ(ValueCountForLength(46), 0);
    EXPECT_EQ(ReplyLengthForValueCount(5), 0);
}

TEST(AnalyzerReply, DecodesTheSampleReply)
{
    const TDecodedReply d = DecodeReply(kSampleReply, 4);
    EXPECT_EQ(d.Status, 0);
    EXPECT_EQ(d.GroupNumber, 1);
    EXPECT_EQ(d.ValueCount, 4);
    EXPECT_EQ(d.Values[0].ToDouble(), 20.0);
    EXPECT_EQ(d.Values[1].ToDouble(), 3.4499998092651367);
    EXPECT_EQ(d.Values[2].ToDouble(), 8.5);
    EXPECT_EQ(d.Values[3].ToDouble(), 1028.0);
    for (bool bad : d.Malformed)
        EXPECT_FALSE(bad);
}

TEST(AnalyzerReply, TwelveValuesCarryAStatusWordAndHighNibblesAreIgnored)
{
    std::vector<double> values(12);
    for (int i = 0; i < 12; ++i)
        values[i] = i - 5.5;
    Bytes reply = EncodeReply(kDevice1, 0x1021, 0xA7, values);
    ASSERT_EQ(reply.size(), 106u);
    // Status digits 1, 2, 0, 1 (least significant first); group digits 7, A.
    EXPECT_EQ((Bytes(reply.begin(), reply.begin() + 6)), (Bytes{0x81, 0x82, 0x80, 0x81, 0x87, 0x8A}));
    reply[0] = 0x31; // no range test on status or group bytes
    reply[5] = 0x0A;
    const TDecodedReply d = DecodeReply(reply, 12);
    EXPECT_EQ(d.Status, 0x1021);
    EXPECT_EQ(d.GroupNumber, 0xA7);
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(d.Values[i].ToDouble(), values[i]) << i;
    EXPECT_TRUE(IsAcceptedReply(reply, kDevice1));
}

TEST(AnalyzerReply, MalformedFieldsDecodeToZeroAlone)
{
    Bytes reply = kSampleReply;
    reply[2 + 8 * 2 + 3] = 0x7E; // third value: byte below the floor
    const Bytes noIntegerBit = {0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x81, 0x80};
    std::copy(noIntegerBit.begin(), noIntegerBit.end(), reply.begin() + 2); // first value
    const TDecodedReply d = DecodeReply(reply, 4);
    EXPECT_TRUE(d.Malformed[0]);
    EXPECT_FALSE(d.Malformed[1]);
    EXPECT_TRUE(d.Malformed[2]);
    EXPECT_EQ(d.Values[0], Real6{});
    EXPECT_EQ(d.Values[2], Real6{});
    EXPECT_EQ(d.Values[1].ToDouble(), 3.4499998092651367);
    EXPECT_EQ(d.Values[3].ToDouble(), 1028.0);
    EXPECT_EQ(d.GroupNumber, 1);
}

TEST(AnalyzerReply, DecoderRefusesWhatItCannotRead)
{
    EXPECT_THROW(DecodeReply(Bytes(37, 0x80), 12), std::invalid_argument);
    EXPECT_THROW(DecodeReply(Bytes(106, 0x80), 13), std::invalid_argument);
    EXPECT_THROW(DecodeReply(Bytes(106, 0x80), -1), std::invalid_argument);
    EXPECT_NO_THROW(DecodeReply(Bytes(102, 0x80), 12));
}

TEST(AnalyzerReply, EncoderReproducesTheSampleReply)
{
    const double values[] = {20.0, 3.45, 8.5, 1028.0};
    EXPECT_EQ(EncodeReply(kDevice1, 0, 1, values), kSampleReply);
    const double five[] = {1, 2, 3, 4, 5};
    EXPECT_THROW(EncodeReply(kDevice1, 0, 1, five), std::invalid_argument);
}

// ---- Exchanges over a scripted line ----

TEST(FetchExchange, SampleExchangeIsAccepted)
{
    ScriptedLine line;
    line.Pieces = {kSampleReply};
    TRxBuffer rx;
    rx.fill(0x55);
    const TFetchOutcome out = FetchResult(line, kDevice1, rx);
    EXPECT_TRUE(out.Accepted);
    EXPECT_EQ(out.Length, 38);
    EXPECT_EQ(line.Clears, 1);
    EXPECT_TRUE(line.ClearedInputAndOutput);
    ASSERT_EQ(line.Written.size(), 1u);
    EXPECT_EQ(line.Written[0], (Bytes{0x91, 0xA0, 0xA0, 0xA0, 0x06}));
    EXPECT_EQ((Bytes(rx.begin(), rx.begin() + 38)), kSampleReply);
    EXPECT_EQ(rx[38], 0) << "the buffer starts out zeroed";
    // Reads ask for the remaining room; the one that finds nothing ends it.
    EXPECT_EQ(line.ReadRequests, (std::vector<int>{106, 68}));

    const TDecodedReply d = DecodeReply(rx, ValueCountForLength(out.Length));
    EXPECT_EQ(d.Values[3].ToDouble(), 1028.0);
}

TEST(FetchExchange, JudgesTheReceivedLength)
{
    struct Case {
        size_t length;
        bool accepted;
    };
    const Case cases[] = {{38, true},  {54, true},  {62, true},  {106, true},
                          {37, false}, {39, false}, {46, false}, {105, false}};
    for (const Case &c : cases) {
        ScriptedLine line;
        line.Pieces = {ReplyOfLength(c.length)};
        TRxBuffer rx;
        const TFetchOutcome out = FetchResult(line, kDevice1, rx);
        EXPECT_EQ(out.Accepted, c.accepted) << c.length;
        EXPECT_EQ(out.Length, static_cast<int>(c.length));
    }
}

TEST(FetchExchange, NoAnswerAndWrongEchoFail)
{
    ScriptedLine silent;
    TRxBuffer rx;
    EXPECT_EQ(FetchResult(silent, kDevice1, rx).Length, 0);
    EXPECT_FALSE(FetchResult(silent, kDevice1, rx).Accepted);

    ScriptedLine wrong;
    Bytes reply = kSampleReply;
    std::swap(reply[34], reply[37]);
    wrong.Pieces = {reply};
    EXPECT_FALSE(FetchResult(wrong, kDevice1, rx).Accepted);
}

// What the operator is told about a fetch that failed; the verdict travels
// with the exchange's outcome.
TEST(FetchExchange, TellsWhyAReplyWasRefused)
{
    Bytes wrongEcho = ReplyOfLength(38);
    std::swap(wrongEcho[34], wrongEcho[35]);
    Bytes ownRequest = {0x91, 0xA0, 0xA0, 0xA0, 0x06};
    Bytes requestThenReply = ownRequest;
    requestThenReply.insert(requestThenReply.end(), kSampleReply.begin(), kSampleReply.end());
    struct Case {
        const char *what;
        Bytes reply;
        TReplyVerdict verdict;
        TAddress address = kDevice1;
    };
    const Case cases[] = {
        {"silence", {}, TReplyVerdict::NoReply},
        {"sample", kSampleReply, TReplyVerdict::Accepted},
        {"another device's reply", ReplyOfLength(38), TReplyVerdict::WrongEcho, AddressBytes(2)},
        {"swapped echo", wrongEcho, TReplyVerdict::WrongEcho},
        {"cut short", ReplyOfLength(37), TReplyVerdict::WrongLength},
        {"own request", ownRequest, TReplyVerdict::OwnRequest},
        {"own request, then the reply", requestThenReply, TReplyVerdict::OwnRequest},
        {"noise", Bytes{0x00, 0xFF, 0x13}, TReplyVerdict::Noise},
    };
    for (const Case &c : cases) {
        ScriptedLine line;
        if (!c.reply.empty())
            line.Pieces = {c.reply};
        TRxBuffer rx;
        const TFetchOutcome out = FetchResult(line, c.address, rx);
        EXPECT_EQ(out.Verdict, c.verdict) << c.what;
        EXPECT_EQ(out.Accepted, c.verdict == TReplyVerdict::Accepted) << c.what;
    }
}

TEST(FetchExchange, JoinsAReplyArrivingInPieces)
{
    ScriptedLine line;
    line.Pieces = {Bytes(kSampleReply.begin(), kSampleReply.begin() + 1),
                   Bytes(kSampleReply.begin() + 1, kSampleReply.begin() + 20),
                   Bytes(kSampleReply.begin() + 20, kSampleReply.end())};
    TRxBuffer rx;
    const TFetchOutcome out = FetchResult(line, kDevice1, rx);
    EXPECT_TRUE(out.Accepted);
    EXPECT_EQ(line.ReadRequests, (std::vector<int>{106, 105, 86, 68}));

    // A gap long enough for a read to come back empty ends the reception:
    // the pieces after it are not part of this reply.
    ScriptedLine gap;
    gap.Pieces = {Bytes(kSampleReply.begin(), kSampleReply.begin() + 20), Bytes{},
                  Bytes(kSampleReply.begin() + 20, kSampleReply.end())};
    const TFetchOutcome cut = FetchResult(gap, kDevice1, rx);
    EXPECT_FALSE(cut.Accepted);
    EXPECT_EQ(cut.Length, 20);
}

TEST(FetchExchange, NeverTakesMoreThanTheBuffer)
{
    ScriptedLine line;
    Bytes flood(300, 0x80);
    std::copy(kDevice1.begin(), kDevice1.end(), flood.begin() + 102); // echo at 106
    line.Pieces = {Bytes(flood.begin(), flood.begin() + 100), Bytes(flood.begin() + 100, flood.end())};
    TRxBuffer rx;
    const TFetchOutcome out = FetchResult(line, kDevice1, rx);
    EXPECT_EQ(out.Length, 106);
    EXPECT_TRUE(out.Accepted) << "the first 106 bytes are judged, as the device delivered them";
    EXPECT_EQ(line.ReadRequests, (std::vector<int>{106, 6}));

    ScriptedLine liar;
    liar.Pieces = {kSampleReply};
    liar.ReadOverclaim = 200;
    EXPECT_THROW(FetchResult(liar, kDevice1, rx), std::runtime_error);
}

TEST(FetchExchange, ShortWriteFailsWithoutWaitingForAnAnswer)
{
    ScriptedLine line;
    line.WriteResult = 3;
    line.Pieces = {kSampleReply};
    TRxBuffer rx;
    EXPECT_FALSE(FetchResult(line, kDevice1, rx).Accepted);
    EXPECT_TRUE(line.ReadRequests.empty());
}

TEST(FetchExchange, PortErrorsPropagate)
{
    struct PortFault : std::runtime_error {
        using std::runtime_error::runtime_error;
    };
    ScriptedLine line;
    line.ThrowOnRead = [] { throw PortFault("ReadFile function failed"); };
    TRxBuffer rx;
    EXPECT_THROW(FetchResult(line, kDevice1, rx), PortFault);
    EXPECT_THROW(AckResult(line, kDevice1), PortFault);
}

TEST(AckExchange, OnlyTheExactEchoCounts)
{
    struct Case {
        const char *name;
        std::deque<Bytes> pieces;
        bool acknowledged;
    };
    const Case cases[] = {
        {"echo", {{0x91, 0xA0, 0xA0, 0xA0}}, true},
        {"silence", {}, false},
        {"short", {{0x91, 0xA0, 0xA0}}, false},
        {"wrong order", {{0xA0, 0x91, 0xA0, 0xA0}}, false},
        {"other device", {{0x92, 0xA0, 0xA0, 0xA0}}, false},
        // One read only: an echo split over two reads is not waited for.
        {"split", {{0x91, 0xA0}, {0xA0, 0xA0}}, false},
    };
    for (const Case &c : cases) {
        ScriptedLine line;
        line.Pieces = c.pieces;
        EXPECT_EQ(AckResult(line, kDevice1), c.acknowledged) << c.name;
        EXPECT_EQ(line.Written, (std::vector<Bytes>{{0x91, 0xA0, 0xA0, 0xA0, 0x09}})) << c.name;
        EXPECT_EQ(line.ReadRequests, (std::vector<int>{4})) << c.name;
        EXPECT_EQ(line.Clears, 1);
    }
}

} // namespace
