// The poller against the analyzer emulator on a pseudo-terminal: what goes
// over the line, what the owner receives, and how each failure ends.

#include "PollerHarness.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>

namespace {

using Strings = std::vector<std::string>;
using Emulator::TEmulatorConfig;

double Value(const TFixMeasResult &Result, int Index)
{
    return Result.Values[Index].ToDouble();
}

TEmulatorConfig TwelveValues()
{
    TEmulatorConfig Config;
    Config.Status = 0x0002; // a bit that does not reject the result
    Config.GroupNumber = 0x5A;
    Config.Values = {20.0, 3.45, 8.5, 1028.0, 3.1, 0.0, 9.0, 4.75, 0.7, 12.5, -0.5204, 90.0};
    return Config;
}

TEST(FixMeasLine, ResultAndAcknowledgementInOnePassThenGateStaysClosed)
{
    Emulator::PtyAnalyzer Analyzer(TwelveValues());
    TTestOwner Owner;
    Owner.StartOn(Analyzer);
    ASSERT_TRUE(WaitFor([&] { return Owner.Puts.size() >= 2; }));
    // Many idle passes later, still no second fetch.
    const int Passes = Owner.GetDevNumberCount;
    ASSERT_TRUE(WaitFor([&] { return Owner.GetDevNumberCount >= Passes + 5; }));
    ASSERT_TRUE(Owner.StopAndWait());

    EXPECT_EQ(Owner.Events, (Strings{"Starting", "GetDevNumber", "PutResult", "PutAck", "GetDevNumber", "Stoping"}));
    EXPECT_EQ(Analyzer.Fetches(), 1);
    EXPECT_EQ(Analyzer.Acks(), 1);
    EXPECT_FALSE(Owner.PortOpenInStoping);

    ASSERT_EQ(Owner.Puts.size(), 2u);
    const TFixMeasResult &Result = Owner.Puts[0];
    EXPECT_TRUE(Result.AckPending);
    EXPECT_EQ(Result.DevNumber, 1);
    EXPECT_EQ(Result.Status, 0x0002);
    EXPECT_EQ(Result.GroupNumber, 0x5A);
    EXPECT_EQ(Result.ValueCount, 12);
    EXPECT_EQ(Result.ResultTime, Owner.Clock.Now());
    const auto &Sent = TwelveValues().Values;
    for (int i = 0; i < 12; ++i)
        EXPECT_NEAR(Value(Result, i), Sent[i], 1e-6) << "value " << i;

    // The acknowledgement changes nothing but AckPending.
    TFixMeasResult Acked = Owner.Puts[1];
    EXPECT_FALSE(Acked.AckPending);
    Acked.AckPending = true;
    EXPECT_EQ(std::memcmp(&Acked.Values, &Result.Values, sizeof Result.Values), 0);
    EXPECT_EQ(Acked.ResultTime, Result.ResultTime);
    EXPECT_EQ(Acked.GroupNumber, Result.GroupNumber);
}

TEST(FixMeasLine, ShortReplyKeepsLaterValuesAndZeroesAMalformedOne)
{
    TEmulatorConfig Config; // 20.0, 3.45, 8.5, 1028.0
    Config.BadValue = 2;
    Emulator::PtyAnalyzer Analyzer(Config);
    TTestOwner Owner;
    Owner.PollState.Status = 0xFFFF;
    for (int i = 0; i < 12; ++i)
        Owner.PollState.Values[i] = Real6::FromFloat(100 + i);
    Owner.StartOn(Analyzer);
    ASSERT_TRUE(WaitFor([&] { return !Owner.Puts.empty(); }));
    ASSERT_TRUE(Owner.StopAndWait());

    const TFixMeasResult &Result = Owner.Puts[0];
    EXPECT_EQ(Result.Status, 0);
    EXPECT_EQ(Result.ValueCount, 4);
    EXPECT_DOUBLE_EQ(Value(Result, 0), 20.0);
    EXPECT_NEAR(Value(Result, 1), 3.45, 1e-6);
    EXPECT_EQ(Result.Values[2], Real6{}); // six zero bytes
    EXPECT_DOUBLE_EQ(Value(Result, 3), 1028.0);
    for (int i = 4; i < 12; ++i)
        EXPECT_EQ(Value(Result, i), 100 + i) << "value " << i;
}

// Replies that fail the length or echo test end the pass; the next pass tries
// again. A reply in pieces is joined while each read finds bytes.
TEST(FixMeasLine, RepliesAreJudgedByLengthAndEcho)
{
    struct TCase {
        const char *Name;
        TEmulatorConfig Config;
        bool Accepted;
    };
    std::vector<TCase> Cases;
    TEmulatorConfig Base;
    auto With = [&](auto Change) {
        TEmulatorConfig Config = Base;
        Change(Config);
        return Config;
    };
    Cases.push_back({"no answer", With([](auto &C) { C.NoAnswer = true; }), false});
    Cases.push_back({"37 bytes", With([](auto &C) { C.ReplyLength = 37; }), false});
    Cases.push_back({"39 bytes", With([](auto &C) { C.ReplyLength = 39; }), false});
    Cases.push_back({"wrong echo", With([](auto &C) { C.WrongEcho = true; }), false});
    Cases.push_back({"105 of 106 bytes",
                     [] {
                         TEmulatorConfig C = TwelveValues();
                         C.ReplyLength = 105;
                         return C;
                     }(),
                     false});
    Cases.push_back({"in two pieces", With([](auto &C) {
                         C.SplitAt = 10;
                         C.SplitGap = std::chrono::milliseconds(100);
                     }),
                     true});

    for (const TCase &Case : Cases) {
        SCOPED_TRACE(Case.Name);
        Emulator::PtyAnalyzer Analyzer(Case.Config);
        TTestOwner Owner;
        Owner.StartOn(Analyzer);
        if (Case.Accepted) {
            ASSERT_TRUE(WaitFor([&] { return Owner.Puts.size() >= 2; }));
        } else {
            ASSERT_TRUE(WaitFor([&] { return Analyzer.Fetches() >= 2; }));
        }
        ASSERT_TRUE(Owner.StopAndWait());
        EXPECT_EQ(Owner.Puts.empty(), !Case.Accepted);
        EXPECT_EQ(Owner.StopingCount, 1);
        EXPECT_FALSE(Owner.StopError);
        if (!Case.Accepted) {
            EXPECT_EQ(Analyzer.Acks(), 0);
        }
    }
}

TEST(FixMeasLine, FailingAcknowledgementIsRetriedEachPassWithoutFetchingUntilTheGateOpens)
{
    TEmulatorConfig Config;
    Config.AckFailures = 1000;
    Config.Interval = std::chrono::milliseconds(1); // a new result whenever asked
    Emulator::PtyAnalyzer Analyzer(Config);
    TTestOwner Owner;
    Owner.StartOn(Analyzer);
    ASSERT_TRUE(WaitFor([&] { return Analyzer.Acks() >= 4; }));
    EXPECT_EQ(Analyzer.Fetches(), 1);
    EXPECT_EQ(Owner.Puts.size(), 1u);
    EXPECT_TRUE(Owner.PollState.AckPending);

    Owner.Clock.Advance(125); // exactly 125 s: not yet
    const int Acks = Analyzer.Acks();
    ASSERT_TRUE(WaitFor([&] { return Analyzer.Acks() >= Acks + 2; }));
    EXPECT_EQ(Analyzer.Fetches(), 1);

    Owner.Clock.Advance(1);
    ASSERT_TRUE(WaitFor([&] { return Owner.Puts.size() >= 2; }));
    ASSERT_TRUE(Owner.StopAndWait());
    EXPECT_EQ(Analyzer.Fetches(), 2);
    EXPECT_EQ(Owner.Puts[1].ResultTime, Owner.Clock.Now());
    for (const TFixMeasResult &Put : Owner.Puts)
        EXPECT_TRUE(Put.AckPending);
}

// A clock set back (by the operator, by a time-zone change) must not shut
// the gate until the clock has caught up with the last result's time: that
// could be hours, and every analysis made meanwhile would be lost. A small
// correction keeps the 125-second rhythm.
TEST(FixMeasLine, ClockSetBackDoesNotKeepTheGateShut)
{
    TEmulatorConfig Config;
    Config.Interval = std::chrono::milliseconds(1); // a new result whenever asked
    Emulator::PtyAnalyzer Analyzer(Config);
    TTestOwner Owner;
    Owner.StartOn(Analyzer);
    ASSERT_TRUE(WaitFor([&] { return Owner.Puts.size() >= 2; }));

    Owner.Clock.Shift(-60);
    const int Passes = Owner.GetDevNumberCount;
    ASSERT_TRUE(WaitFor([&] { return Owner.GetDevNumberCount >= Passes + 5; }));
    EXPECT_EQ(Analyzer.Fetches(), 1);

    Owner.Clock.Shift(-3600);
    ASSERT_TRUE(WaitFor([&] { return Owner.Puts.size() >= 4; }));
    ASSERT_TRUE(Owner.StopAndWait());
    EXPECT_EQ(Analyzer.Fetches(), 2);
    EXPECT_EQ(Owner.Puts[2].ResultTime, Owner.Clock.Now());
}

// Timing and an owed acknowledgement live in the owner's record, so they
// carry over into the next run.
TEST(FixMeasLine, NextRunSendsTheOwedAcknowledgementAndKeepsTheGate)
{
    TEmulatorConfig Config;
    Config.AckFailures = 1;
    Config.Interval = std::chrono::milliseconds(1);
    Emulator::PtyAnalyzer Analyzer(Config);
    TTestOwner Owner;
    Owner.AfterPutResult = [&] { Owner.Meas.Stop(); }; // the pass still sends its ack
    Owner.StartOn(Analyzer);
    ASSERT_TRUE(Owner.WaitUntilIdle());
    EXPECT_EQ(Analyzer.Acks(), 1);
    EXPECT_TRUE(Owner.PollState.AckPending);

    Owner.AfterPutResult = nullptr;
    Owner.Clock.Advance(60);
    Owner.Events.clear();
    Owner.StartOn(Analyzer);
    ASSERT_TRUE(WaitFor([&] { return Owner.Puts.size() >= 2; }));
    EXPECT_FALSE(Owner.Puts[1].AckPending);
    const int Passes = Owner.GetDevNumberCount;
    ASSERT_TRUE(WaitFor([&] { return Owner.GetDevNumberCount >= Passes + 5; }));
    EXPECT_EQ(Analyzer.Fetches(), 1);

    Owner.Clock.Advance(66); // 126 s after the result
    ASSERT_TRUE(WaitFor([&] { return Analyzer.Fetches() >= 2; }));
    ASSERT_TRUE(Owner.StopAndWait());
    EXPECT_EQ(Owner.Events.front(), "Starting");
    EXPECT_EQ(Owner.Events[2], "PutAck");
}

// The analyzer's echo of an acknowledgement is lost until the gate reopens;
// it still holds that analysis and sends it again. The poller acknowledges it
// (the line sees exactly what it saw before) and marks it as no new result.
// The same bytes after a confirmed acknowledgement are a new analysis.
TEST(FixMeasLine, TheSameReplyWhileItsAcknowledgementIsOwedIsMarkedRepeated)
{
    TEmulatorConfig Config;
    Config.AckFailures = 3;
    Config.IdleReply = Emulator::TIdleReply::Last;
    Emulator::PtyAnalyzer Analyzer(Config);
    TTestOwner Owner;
    Owner.AfterGetDevNumber = [&] {
        const bool AckLost = Analyzer.Fetches() == 1 && Analyzer.Acks() == 3;
        const bool AckConfirmed = Analyzer.Fetches() == 2 && Owner.Puts.size() == 3;
        if (AckLost || AckConfirmed)
            Owner.Clock.Advance(126);
    };
    Owner.StartOn(Analyzer);
    ASSERT_TRUE(WaitFor([&] { return Owner.Puts.size() >= 5; }));
    ASSERT_TRUE(Owner.StopAndWait());

    EXPECT_EQ(Analyzer.Fetches(), 3);
    EXPECT_EQ(Analyzer.Acks(), 5);
    ASSERT_EQ(Owner.Puts.size(), 5u);
    const struct {
        bool AckPending, Repeated;
    } Expected[] = {{true, false}, {true, true}, {false, true}, {true, false}, {false, false}};
    for (size_t i = 0; i < Owner.Puts.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(Owner.Puts[i].AckPending, Expected[i].AckPending);
        EXPECT_EQ(Owner.Puts[i].Repeated, Expected[i].Repeated);
        EXPECT_EQ(std::memcmp(&Owner.Puts[i].Values, &Owner.Puts[0].Values, sizeof Owner.Puts[0].Values), 0);
    }
    // The repeat starts the 125 seconds again, as any accepted reply does.
    EXPECT_GT(Owner.Puts[1].ResultTime, Owner.Puts[0].ResultTime);
}

TEST(FixMeasLine, DeviceNumberZeroEndsTheRunWithoutSending)
{
    Emulator::PtyAnalyzer Analyzer(TEmulatorConfig{});
    TTestOwner Owner;
    Owner.DevNumber = 0;
    Owner.StartOn(Analyzer);
    ASSERT_TRUE(Owner.WaitUntilIdle());
    EXPECT_EQ(Owner.Events, (Strings{"Starting", "GetDevNumber", "Stoping"}));
    EXPECT_EQ(Owner.GetDevNumberCount, 1);
    EXPECT_TRUE(Analyzer.Events().empty());
    EXPECT_FALSE(Owner.PortOpenInStoping);
}

// The line dies at the acknowledgement of the first result and comes back,
// a moment later, on the same path (as an adapter does under its by-id
// name): the run goes on by itself, the acknowledgement still owed goes to
// the analyzer that came back, and the next result follows the gate.
TEST(FixMeasLine, LostLineIsReopenedAndPollingGoesOn)
{
    QTemporaryDir Dir;
    ASSERT_TRUE(Dir.isValid());
    const QString LinkPath = Dir.filePath(QStringLiteral("analyzer"));
    TEmulatorConfig Config;
    Config.VanishAfterFrames = 1; // answers the fetch, then dies on the ack
    auto First = std::make_unique<Emulator::PtyAnalyzer>(Config);
    ASSERT_TRUE(QFile::link(PortName(*First), LinkPath));
    // Its number stays taken until the link names the next analyzer.
    THeldTerminalNumber Held(*First);
    ASSERT_TRUE(Held.IsHeld());

    TTestOwner Owner;
    Owner.Meas.SetReconnectInterval(std::chrono::milliseconds(50));
    Owner.StartOnPort(LinkPath);
    ASSERT_TRUE(WaitFor([&] { return Owner.Meas.LinkSnapshot().Phase == TLinkPhase::PortLost; }));
    ASSERT_EQ(Owner.Puts.size(), 1u);
    EXPECT_TRUE(Owner.PollState.AckPending);
    EXPECT_FALSE(Owner.Meas.LinkSnapshot().LastPortError.empty());
    EXPECT_EQ(Owner.Meas.LinkSnapshot().PortLostSince, std::optional(Owner.Clock.MonotonicNow()));
    // Reopening keeps failing while nothing is there.
    QTest::qWait(300);
    EXPECT_TRUE(Owner.Meas.Active());
    EXPECT_EQ(Owner.StopingCount, 0);
    EXPECT_FALSE(Owner.PortOpen);

    First.reset();
    Emulator::PtyAnalyzer Second(TEmulatorConfig{});
    ASSERT_TRUE(QFile::remove(LinkPath));
    ASSERT_TRUE(QFile::link(PortName(Second), LinkPath));
    Held.Release();
    ASSERT_TRUE(WaitFor([&] { return Second.Acks() >= 1 && !Owner.PollState.AckPending; }));
    EXPECT_EQ(Second.Fetches(), 0) << "the gate of the first result still holds";
    const TLinkSnapshot Link = Owner.Meas.LinkSnapshot();
    EXPECT_EQ(Link.Phase, TLinkPhase::Polling);
    EXPECT_EQ(Link.Reopens, 1u);
    EXPECT_FALSE(Link.PortLostSince);

    Owner.Clock.Advance(126);
    ASSERT_TRUE(WaitFor([&] { return Owner.Puts.size() >= 4; }));
    EXPECT_TRUE(Owner.Puts[2].AckPending);
    EXPECT_EQ(Second.Fetches(), 1);
    ASSERT_TRUE(Owner.StopAndWait());
    EXPECT_EQ(Owner.StopingCount, 1);
    EXPECT_FALSE(Owner.StopError);
    EXPECT_FALSE(Owner.PortOpenInStoping);
    EXPECT_EQ(Owner.Meas.LinkSnapshot().Phase, TLinkPhase::Off);
}

// Stop (and closing the program) must not wait out the pause between two
// attempts to reopen a lost port.
TEST(FixMeasLine, StopEndsTheWaitForALostPortAtOnce)
{
    TEmulatorConfig Config;
    Config.VanishAfterFrames = 1;
    Emulator::PtyAnalyzer Analyzer(Config);
    TTestOwner Owner;
    Owner.Meas.SetReconnectInterval(std::chrono::minutes(10));
    Owner.StartOn(Analyzer);
    ASSERT_TRUE(WaitFor([&] { return Owner.Meas.LinkSnapshot().Phase == TLinkPhase::PortLost; }));
    ASSERT_TRUE(Owner.StopAndWait(5'000));
    EXPECT_EQ(Owner.Events.back(), "Stoping");
    EXPECT_FALSE(Owner.StopError);
}

// With the gate shut nothing goes over the line for two minutes; an adapter
// pulled meanwhile (its device name goes away) shows as lost at once, not at
// the next fetch.
TEST(FixMeasLine, AnIdleRunNoticesThatItsDeviceIsGone)
{
    QTemporaryDir Dir;
    ASSERT_TRUE(Dir.isValid());
    const QString LinkPath = Dir.filePath(QStringLiteral("usb-adapter"));
    Emulator::PtyAnalyzer Analyzer(TEmulatorConfig{});
    ASSERT_TRUE(QFile::link(PortName(Analyzer), LinkPath));
    TTestOwner Owner;
    Owner.StartOnPort(LinkPath);
    ASSERT_TRUE(WaitFor([&] { return Owner.Puts.size() >= 2; }));
    ASSERT_TRUE(QFile::remove(LinkPath));
    ASSERT_TRUE(WaitFor([&] { return Owner.Meas.LinkSnapshot().Phase == TLinkPhase::PortLost; }, 10'000));
    EXPECT_EQ(Analyzer.Fetches(), 1);
    EXPECT_TRUE(Owner.Meas.Active());
    ASSERT_TRUE(Owner.StopAndWait());
}

// What the window is told about each fetch: refused replies by their cause,
// silence as such, and since when no fetch was answered.
TEST(FixMeasLine, TheLinkSnapshotTellsRefusedRepliesFromSilence)
{
    struct Case {
        const char *what;
        TEmulatorConfig config;
        uint16_t device;
        AnalyzerProtocol::TReplyVerdict verdict;
    };
    TEmulatorConfig WrongEcho;
    WrongEcho.WrongEcho = true;
    TEmulatorConfig Cut;
    Cut.ReplyLength = 37;
    TEmulatorConfig Silent;
    Silent.NoAnswer = true;
    const Case Cases[] = {
        {"wrong echo", WrongEcho, 1, AnalyzerProtocol::TReplyVerdict::WrongEcho},
        {"cut reply", Cut, 1, AnalyzerProtocol::TReplyVerdict::WrongLength},
        {"analyzer silent", Silent, 1, AnalyzerProtocol::TReplyVerdict::NoReply},
        {"another device number", TEmulatorConfig{}, 7, AnalyzerProtocol::TReplyVerdict::NoReply},
    };
    for (const Case &C : Cases) {
        Emulator::PtyAnalyzer Analyzer(C.config);
        TTestOwner Owner;
        Owner.DevNumber = C.device;
        const TLinkInstant Started = Owner.Clock.MonotonicNow();
        Owner.StartOn(Analyzer);
        ASSERT_TRUE(WaitFor([&] { return Owner.Meas.LinkSnapshot().Fetches >= 2; })) << C.what;
        const TLinkSnapshot Link = Owner.Meas.LinkSnapshot();
        EXPECT_EQ(Link.Phase, TLinkPhase::Polling) << C.what;
        EXPECT_EQ(Link.LastVerdict, C.verdict) << C.what;
        EXPECT_EQ(Link.UnansweredSince, std::optional(Started)) << C.what;
        EXPECT_EQ(Link.LastValidReply, 0) << C.what;
        EXPECT_EQ(Link.Refused > 0, C.verdict != AnalyzerProtocol::TReplyVerdict::NoReply) << C.what;
        ASSERT_TRUE(Owner.StopAndWait()) << C.what;
        EXPECT_TRUE(Owner.Puts.empty()) << C.what;
    }
}

// Stop while the reply is still arriving: the pass ends as usual (result
// and acknowledgement), then the run.
TEST(FixMeasLine, StopDuringAFetchTakesEffectAfterThatPass)
{
    TEmulatorConfig Config;
    Config.SplitAt = 10;
    Config.SplitGap = std::chrono::milliseconds(150);
    Emulator::PtyAnalyzer Analyzer(Config);
    TTestOwner Owner;
    Owner.StartOn(Analyzer);
    ASSERT_TRUE(WaitFor([&] { return Analyzer.Fetches() >= 1; }, 15'000));
    Owner.Meas.Stop();
    ASSERT_TRUE(Owner.WaitUntilIdle());
    EXPECT_EQ(Owner.Events, (Strings{"Starting", "GetDevNumber", "PutResult", "PutAck", "Stoping"}));
    EXPECT_FALSE(Owner.PortOpenInStoping);
}

// A modal box opened on the main thread for something else: the poller's
// hand-offs go through its nested loop.
TEST(FixMeasLine, HandOffsRunInsideANestedModalLoop)
{
    Emulator::PtyAnalyzer Analyzer(TEmulatorConfig{});
    TTestOwner Owner;
    bool InModal = false;
    int PutsInModal = 0;
    QEventLoop Modal;
    Owner.AfterPutResult = [&] {
        PutsInModal += InModal;
        if (Owner.Puts.size() >= 2)
            Modal.quit();
    };
    // The run starts once the box is open, so every hand-off meets it.
    QTimer::singleShot(0, [&] {
        QTimer::singleShot(15'000, &Modal, &QEventLoop::quit);
        QTimer::singleShot(0, &Modal, [&] { Owner.StartOn(Analyzer); });
        InModal = true;
        Modal.exec();
        InModal = false;
    });
    ASSERT_TRUE(WaitFor([&] { return Owner.Puts.size() >= 2 && !InModal; }));
    ASSERT_TRUE(Owner.StopAndWait());
    EXPECT_EQ(PutsInModal, 2);
}

// The safety net: the component goes while its thread waits for the main
// thread, which serves nothing meanwhile. No hang; the end handler runs.
TEST(FixMeasLine, DestroyingAnActiveComponentStopsAndReapsTheThread)
{
    Emulator::PtyAnalyzer Analyzer(TEmulatorConfig{});
    TTestOwner Owner;
    Owner.StartOn(Analyzer);
    ASSERT_TRUE(WaitFor([&] { return Owner.Puts.size() >= 2; }));
    QThread::msleep(100); // the thread is now blocked in a hand-off
    Owner.DestroyPoller();
    EXPECT_EQ(Owner.Events.back(), "Stoping");
    EXPECT_EQ(Owner.StopingCount, 1);
    EXPECT_FALSE(Owner.PortOpen);
    QCoreApplication::processEvents(); // nothing queued may reach the dead component
}

TEST(FixMeasLine, DestroyingTheComponentFromItsOwnHandlerIsSafe)
{
    TEmulatorConfig Config;
    Config.AckFailures = 1000;
    Emulator::PtyAnalyzer Analyzer(Config);
    TTestOwner Owner;
    Owner.AfterPutResult = [&] { Owner.DestroyPoller(); };
    Owner.StartOn(Analyzer);
    ASSERT_TRUE(WaitFor([&] { return Owner.StopingCount == 1; }));
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
    EXPECT_EQ(Owner.Events, (Strings{"Starting", "GetDevNumber", "PutResult", "Stoping"}));
    // The owner never saw the result go through, so it was not acknowledged.
    EXPECT_EQ(Analyzer.Acks(), 0);
}

// An owner's handler that throws must not unwind through Qt's event
// dispatch; the run ends as after a port error, and what the owner failed to
// take is not acknowledged.
TEST(FixMeasLine, HandlerThatThrowsEndsTheRunWithoutAcknowledging)
{
    Emulator::PtyAnalyzer Analyzer(TEmulatorConfig{});
    TTestOwner Owner;
    Owner.AfterPutResult = [] { throw std::runtime_error("journal is full"); };
    Owner.StartOn(Analyzer);
    ASSERT_TRUE(Owner.WaitUntilIdle());
    EXPECT_EQ(Owner.Events, (Strings{"Starting", "GetDevNumber", "PutResult", "Stoping"}));
    EXPECT_FALSE(Owner.StopError);
    EXPECT_EQ(Analyzer.Acks(), 0);
    EXPECT_FALSE(Owner.PortOpenInStoping);
}

} // namespace
