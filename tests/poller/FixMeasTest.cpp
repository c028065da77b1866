// The poller's own life cycle: set-up and open failures, Start and Stop at
// the wrong moment, and the synchronous hand-off. Exchanges with an analyzer
// are in FixMeasLineTest.cpp.

#include "PollerHarness.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <gtest/gtest.h>

#include <stdexcept>

namespace {

using Strings = std::vector<std::string>;

TEST(FixMeasLifeCycle, IdleComponentIgnoresStopAndStartsInactive)
{
    TTestOwner Owner;
    EXPECT_FALSE(Owner.Meas.Active());
    EXPECT_EQ(Owner.Meas.Port(), "COM1");
    EXPECT_EQ(Owner.Meas.PollThread(), nullptr);
    Owner.Meas.Stop();
    QCoreApplication::processEvents();
    EXPECT_TRUE(Owner.Events.empty());
}

TEST(FixMeasLifeCycle, PortThatCannotBeSetUpEndsTheRunWithError)
{
    TTestOwner Owner;
    int Created = 0;
    Owner.Meas.SetPortFactory([&](const QString &) -> std::unique_ptr<IPollPort> {
        ++Created;
        throw std::runtime_error("no such baud rate");
    });
    Owner.Meas.Start();
    EXPECT_TRUE(Owner.Meas.Active());
    ASSERT_TRUE(Owner.WaitUntilIdle());
    EXPECT_EQ(Created, 1);
    EXPECT_EQ(Owner.Events, (Strings{"Starting", "Stoping(Error)"}));
}

// The owner's handler shows a modal box; the thread waits for it, a second
// Start meanwhile is ignored, and the run ends with Error only afterwards.
TEST(FixMeasLifeCycle, PortThatCannotBeOpenedIsReportedOnceThenEndsWithError)
{
    TTestOwner Owner;
    Owner.Meas.SetPort("/nonexistent/nivara-no-such-port");
    bool ActiveDuringBox = false;
    Owner.AfterErrorOpenPort = [&] {
        QEventLoop Box;
        QTimer::singleShot(200, &Box, &QEventLoop::quit);
        Box.exec();
        ActiveDuringBox = Owner.Meas.Active();
        Owner.Meas.Start(); // ignored: still active
    };
    bool ActiveInStoping = false;
    Owner.AfterStoping = [&] { ActiveInStoping = Owner.Meas.Active(); };

    Owner.Meas.Start();
    ASSERT_TRUE(Owner.WaitUntilIdle());
    EXPECT_EQ(Owner.Events, (Strings{"Starting", "ErrorOpenPort", "Stoping(Error)"}));
    EXPECT_TRUE(ActiveDuringBox);
    EXPECT_TRUE(ActiveInStoping);
    EXPECT_EQ(Owner.StopingCount, 1);
    EXPECT_EQ(Owner.GetDevNumberCount, 0);
}

TEST(FixMeasLifeCycle, ActiveIsFalseInsideStartingAndTrueRightAfterStart)
{
    TTestOwner Owner;
    Owner.Meas.SetPortFactory(
        [](const QString &) -> std::unique_ptr<IPollPort> { throw std::runtime_error("refused"); });
    bool ActiveInStarting = true;
    Owner.Meas.OnStarting = [&](QObject *) { ActiveInStarting = Owner.Meas.Active(); };
    Owner.Meas.Start();
    EXPECT_FALSE(ActiveInStarting);
    EXPECT_TRUE(Owner.Meas.Active());
    EXPECT_NE(Owner.Meas.PollThread(), nullptr);
    ASSERT_TRUE(Owner.WaitUntilIdle());
    EXPECT_EQ(Owner.Meas.PollThread(), nullptr);
}

} // namespace
