// What the status bar says about the link, from the poller's snapshot, the
// window's settings and the time.

#include "LinkRules.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <vector>

namespace {

using AnalyzerProtocol::TReplyVerdict;

constexpr double kNow = 45'000.5; // 15 March 2023, 12:00:00
constexpr double kSecond = 1.0 / 86'400;
const TLinkInstant kMonotonicNow{std::chrono::hours(30)};

// On the local clock, for the gate and results.
double Ago(double Seconds)
{
    return kNow - Seconds * kSecond;
}
// On the monotonic clock, for the link's durations.
TLinkInstant Since(int Seconds)
{
    return kMonotonicNow - std::chrono::seconds(Seconds);
}

// A run that polls device 1 on ttyUSB0, its gate open.
TLinkInput Polling()
{
    TLinkInput in;
    in.Active = true;
    in.Now = kNow;
    in.MonotonicNow = kMonotonicNow;
    in.Port = QStringLiteral("ttyUSB0");
    in.DevNumber = 1;
    in.Link.Phase = TLinkPhase::Polling;
    in.Link.GateReference = Ago(600);
    return in;
}

TLinkInput With(std::function<void(TLinkInput &)> Change, TLinkInput In = Polling())
{
    Change(In);
    return In;
}

TEST(LinkRules, StatesOfTheLink)
{
    struct Case {
        const char *what;
        TLinkInput in;
        TLinkState state;
        int seconds;
        bool needsOperator;
        QString text;
    };
    const Case cases[] = {
        {"off", With([](TLinkInput &In) { In.Active = false; }), TLinkState::Off, 0, false, "Опрос выключен"},
        {"device 0", With([](TLinkInput &In) {
             In.Active = false;
             In.DevNumber = 0;
         }),
         TLinkState::CannotStart, 0, false, "Опрос не начнётся: номер прибора 0"},
        {"no port", With([](TLinkInput &In) {
             In.Active = false;
             In.Port.clear();
         }),
         TLinkState::CannotStart, 0, false, "Опрос не начнётся: не выбран порт"},
        {"port absent", With([](TLinkInput &In) {
             In.Active = false;
             In.PortPresent = false;
         }),
         TLinkState::CannotStart, 0, false, "Опрос не начнётся: порт ttyUSB0 не найден"},
        {"absent, and device 0", With([](TLinkInput &In) {
             In.Active = false;
             In.PortPresent = false;
             In.DevNumber = 0;
         }),
         TLinkState::CannotStart, 0, false, "Опрос не начнётся: номер прибора 0"},
        {"opening", With([](TLinkInput &In) { In.Link.Phase = TLinkPhase::Opening; }), TLinkState::Opening, 0, false,
         "Открытие порта…"},
        {"gate shut", With([](TLinkInput &In) { In.Link.GateReference = Ago(25); }), TLinkState::Waiting, 100, false,
         "Ожидание следующего результата: 1 мин 40 с"},
        {"gate shut, acknowledgement missing", With([](TLinkInput &In) {
             In.Link.GateReference = Ago(120);
             In.Link.AckPending = true;
             In.Link.AcksMissed = 3;
         }),
         TLinkState::Waiting, 5, false, "Ожидание следующего результата: 5 с (приём не подтверждён)"},
        {"gate open", Polling(), TLinkState::Fetching, 0, false, "Запрос результата…"},
        {"clock set back", With([](TLinkInput &In) { In.Link.GateReference = kNow + 1; }), TLinkState::Fetching, 0,
         false, "Запрос результата…"},
        {"a few silent fetches", With([](TLinkInput &In) { In.Link.UnansweredSince = Since(9); }), TLinkState::Fetching,
         0, false, "Запрос результата…"},
        {"silence", With([](TLinkInput &In) { In.Link.UnansweredSince = Since(30); }), TLinkState::NoAnswer, 30, false,
         "Нет ответа от анализатора 30 с"},
        {"silence over a minute", With([](TLinkInput &In) { In.Link.UnansweredSince = Since(61); }),
         TLinkState::NoAnswer, 61, true, "Нет ответа от анализатора 1 мин 1 с"},
        {"another device's replies", With([](TLinkInput &In) {
             In.Link.UnansweredSince = Since(3);
             In.Link.LastVerdict = TReplyVerdict::WrongEcho;
         }),
         TLinkState::Refused, 3, false, "Ответы отклоняются: чужой адрес (3 с)"},
        {"cut replies for long", With([](TLinkInput &In) {
             In.Link.UnansweredSince = Since(90);
             In.Link.LastVerdict = TReplyVerdict::WrongLength;
         }),
         TLinkState::Refused, 90, true, "Ответы отклоняются: неверная длина (1 мин 30 с)"},
        {"echoing line", With([](TLinkInput &In) {
             In.Link.UnansweredSince = Since(1);
             In.Link.LastVerdict = TReplyVerdict::OwnRequest;
         }),
         TLinkState::Refused, 1, false, "Ответы отклоняются: эхо запроса (1 с)"},
        {"port lost", With([](TLinkInput &In) {
             In.Link.Phase = TLinkPhase::PortLost;
             In.Link.PortLostSince = Since(4);
         }),
         TLinkState::PortLost, 4, true, "Порт потерян, переподключение… 4 с"},
    };
    for (const Case &c : cases) {
        const TLinkStatus status = DescribeLink(c.in);
        EXPECT_EQ(status.State, c.state) << c.what;
        EXPECT_EQ(status.Seconds, c.seconds) << c.what;
        EXPECT_EQ(status.NeedsOperator, c.needsOperator) << c.what;
        EXPECT_EQ(status.StateText, c.text) << c.what;
    }
}

TEST(LinkRules, PortResultsAndDetails)
{
    TLinkInput in = Polling();
    in.ResultCount = 12;
    EXPECT_EQ(DescribeLink(in).PortText, "Порт ttyUSB0, прибор 1");
    EXPECT_EQ(DescribeLink(in).ResultsText, "Результатов: 12");
    in.PortDescription = QStringLiteral("FTDI FT232R");
    in.DevNumber = 4660;
    EXPECT_EQ(DescribeLink(in).PortText, "Порт ttyUSB0 (FTDI FT232R), прибор 4660");
    in.Port.clear();
    EXPECT_EQ(DescribeLink(in).PortText, "Порт не выбран, прибор 4660");

    // The date only when the result is not today's.
    in.LastResultTime = Ago(3 * 3600);
    EXPECT_EQ(DescribeLink(in).ResultsText, "Результатов: 12, последний в 09:00:00");
    in.LastResultTime = Ago(86'400);
    EXPECT_EQ(DescribeLink(in).ResultsText, "Результатов: 12, последний в 14.03.2023 12:00:00");

    in.Link.Fetches = 7;
    in.Link.Refused = 2;
    in.Link.AcksConfirmed = 1;
    in.Link.AcksMissed = 3;
    in.Link.Reopens = 1;
    in.Link.LastPortError = "COM Port Error: ReadFile function failed on ttyUSB0: Input/output error";
    EXPECT_EQ(DescribeLink(in).Details,
              "Запросов: 7, отклонено ответов: 2, подтверждено: 1, без подтверждения: 3, переподключений: 1\n"
              "Ошибка порта: COM Port Error: ReadFile function failed on ttyUSB0: Input/output error");
    // What to do comes first.
    in.Link.Phase = TLinkPhase::PortLost;
    EXPECT_TRUE(DescribeLink(in).Details.startsWith(
        "Проверьте кабель и адаптер; опрос продолжится сам, когда порт появится.\nЗапросов: 7"));
    in.Link.Phase = TLinkPhase::Polling;
    in.Link.UnansweredSince = Since(5);
    in.Link.LastVerdict = TReplyVerdict::OwnRequest;
    EXPECT_EQ(DescribeLink(in).Advice, "Анализатор отвечает, но ответы не принимаются: линия возвращает запрос — "
                                       "перемычка в кабеле или адаптер с эхом.");
}

// The wall clock set back or forward (by the operator, a time server) while
// the analyzer is silent, its replies are refused or its port is lost: the
// durations go on from when it began. Only the gate goes by the wall clock,
// and it stays open here, as its rule has it for a clock set back by more
// than 125 s.
TEST(LinkRules, DurationsStayRightWhenTheWallClockIsSet)
{
    struct Case {
        const char *what;
        std::function<void(TLinkInput &)> change;
        TLinkState state;
        QString text;
    };
    const Case cases[] = {
        {"silence", [](TLinkInput &In) { In.Link.UnansweredSince = Since(78); }, TLinkState::NoAnswer,
         "Нет ответа от анализатора 1 мин 18 с"},
        {"refused replies",
         [](TLinkInput &In) {
             In.Link.UnansweredSince = Since(78);
             In.Link.LastVerdict = TReplyVerdict::WrongLength;
         },
         TLinkState::Refused, "Ответы отклоняются: неверная длина (1 мин 18 с)"},
        {"port lost",
         [](TLinkInput &In) {
             In.Link.Phase = TLinkPhase::PortLost;
             In.Link.PortLostSince = Since(78);
         },
         TLinkState::PortLost, "Порт потерян, переподключение… 1 мин 18 с"},
    };
    for (const Case &c : cases) {
        for (const double shift : {0.0, -3600.0, -200.0, 3600.0, 86'400.0}) {
            TLinkInput in = With(c.change);
            in.Now += shift * kSecond;
            const TLinkStatus status = DescribeLink(in);
            EXPECT_EQ(status.State, c.state) << c.what << ", clock set by " << shift << " s";
            EXPECT_EQ(status.Seconds, 78) << c.what << ", clock set by " << shift << " s";
            EXPECT_EQ(status.StateText, c.text) << c.what << ", clock set by " << shift << " s";
            EXPECT_TRUE(status.NeedsOperator) << c.what << ", clock set by " << shift << " s";
        }
    }
}

TEST(LinkRules, DelaysComeFromTheSettings)
{
    TLinkSettings settings;
    settings.NoAnswerAfterSeconds = 2;
    settings.OperatorAfterSeconds = 5;
    const TLinkInput in = With([](TLinkInput &In) { In.Link.UnansweredSince = Since(6); });
    EXPECT_EQ(DescribeLink(in, settings).State, TLinkState::NoAnswer);
    EXPECT_TRUE(DescribeLink(in, settings).NeedsOperator);
    EXPECT_EQ(DescribeLink(in).State, TLinkState::Fetching);
}

} // namespace
