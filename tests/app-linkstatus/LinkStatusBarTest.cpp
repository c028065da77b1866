// The bar's fields, its warning colour and the alert: once per entry into a
// state that needs the operator, not at every refresh.

#include "LinkStatusBar.h"

#include <QLabel>
#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;

constexpr double kNow = 45'000.5;
constexpr double kSecond = 1.0 / 86'400;

TEST(LinkStatusBar, AlertsOncePerEntryIntoAStateThatNeedsTheOperator)
{
    TLinkInput in;
    in.Active = true;
    in.Now = kNow;
    in.MonotonicNow = TLinkInstant(10h);
    in.Port = QStringLiteral("ttyUSB0");
    in.DevNumber = 1;
    in.Link.Phase = TLinkPhase::Polling;
    // Time passing moves both clocks.
    const auto Pass = [&](std::chrono::seconds Duration) {
        in.Now += Duration.count() * kSecond;
        in.MonotonicNow += Duration;
    };

    TLinkStatusBar bar;
    int alerts = 0;
    bar.SetAlert([&](QWidget *Window) {
        EXPECT_EQ(Window, &bar);
        ++alerts;
    });
    bar.SetSource([&] { return in; });
    const auto *state = bar.findChild<QLabel *>(QStringLiteral("LinkState"));
    ASSERT_NE(state, nullptr);

    struct Step {
        const char *what;
        std::function<void()> change;
        int alerts;
        bool warning;
    };
    const Step steps[] = {
        {"fetching", [] {}, 0, false},
        {"silent 30 s", [&] { in.Link.UnansweredSince = in.MonotonicNow - 30s; }, 0, false},
        {"silent 61 s", [&] { in.Link.UnansweredSince = in.MonotonicNow - 61s; }, 1, true},
        {"still silent", [&] { Pass(5s); }, 1, true},
        // Setting the wall clock neither ends the state nor enters it anew.
        {"still silent, clock set back an hour", [&] { in.Now -= 3600 * kSecond; }, 1, true},
        {"answered",
         [&] {
             in.Link.UnansweredSince.reset();
             in.Link.GateReference = in.Now;
         },
         1, false},
        {"port lost",
         [&] {
             in.Link.Phase = TLinkPhase::PortLost;
             in.Link.PortLostSince = in.MonotonicNow;
         },
         2, true},
        {"still lost", [&] { Pass(3s); }, 2, true},
        {"still lost, clock set forward a day", [&] { in.Now += 86'400 * kSecond; }, 2, true},
        {"reopened, then silent for long",
         [&] {
             in.Link.Phase = TLinkPhase::Polling;
             in.Link.PortLostSince.reset();
             in.Link.GateReference = in.Now - 600 * kSecond;
             in.Link.UnansweredSince = in.MonotonicNow - 90s;
         },
         3, true},
        {"stopped", [&] { in.Active = false; }, 3, false},
    };
    for (const Step &step : steps) {
        step.change();
        bar.Refresh();
        bar.Refresh();
        EXPECT_EQ(alerts, step.alerts) << step.what;
        EXPECT_EQ(!state->styleSheet().isEmpty(), step.warning) << step.what;
        EXPECT_EQ(state->text(), bar.Status().StateText) << step.what;
    }
}

TEST(LinkStatusBar, ShowsTheDescriptionOfThePortInUse)
{
    TLinkInput in;
    in.Port = QStringLiteral("ttyUSB0");
    in.DevNumber = 0;
    in.ResultCount = 3;
    TLinkStatusBar bar;
    bar.SetSource([&] { return in; });
    bar.SetPort(QStringLiteral("ttyUSB0"), QStringLiteral("FTDI FT232R"));
    EXPECT_EQ(bar.Text(), "Опрос не начнётся: номер прибора 0 | "
                          "Порт ttyUSB0 (FTDI FT232R), прибор 0 | "
                          "Результатов: 3");
    // The can't-start reason stands out, but calls nobody.
    EXPECT_FALSE(bar.findChild<QLabel *>(QStringLiteral("LinkState"))->styleSheet().isEmpty());

    in.Port = QStringLiteral("ttyS0"); // another port: not that description
    bar.Refresh();
    EXPECT_TRUE(bar.Text().contains(" | Порт ttyS0, прибор 0 | "));
}

} // namespace
