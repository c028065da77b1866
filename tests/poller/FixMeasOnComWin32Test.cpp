// Windows only: the poller's thread, its hand-offs to the main thread and
// the Windows serial port together, against the analyzer emulator on the COM
// port the harness maps for Wine (NIVARA_TEST_ANALYZER; scripts/test
// --windows). The protocol's rules are tried on Linux with an emulator per
// test; here it is the platform under them.

#include "FixMeas.h"
#include "WaitFor.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace {

TEST(FixMeasOnCom, ResultAndAcknowledgementThenStop)
{
    const char *port = std::getenv("NIVARA_TEST_ANALYZER");
    if (!port || !*port)
        GTEST_SKIP() << "NIVARA_TEST_ANALYZER is not set; scripts/test --windows sets it";
    std::vector<TFixMeasResult> puts;
    bool stopped = false, stopError = true, openFailed = false;
    {
        TFixMeas meas;
        TFixMeasResult state{};
        meas.OnGetDevNumber = [&](QObject *) {
            state.DevNumber = 1;
            meas.SetMeasResult(state);
        };
        meas.OnPutResult = [&](QObject *) {
            state = meas.MeasResult();
            puts.push_back(state);
        };
        meas.OnErrorOpenPort = [&](QObject *) { openFailed = true; };
        meas.OnStoping = [&](QObject *, bool Error) {
            stopped = true;
            stopError = Error;
        };
        meas.SetPort(QString::fromLatin1(port));
        meas.Start();
        ASSERT_TRUE(WaitFor([&] { return puts.size() >= 2 || !meas.Active(); }));
        meas.Stop();
        ASSERT_TRUE(WaitFor([&] { return !meas.Active(); }));
    }
    EXPECT_FALSE(openFailed);
    EXPECT_TRUE(stopped);
    EXPECT_FALSE(stopError);
    ASSERT_GE(puts.size(), 2u);
    EXPECT_TRUE(puts[0].AckPending);
    EXPECT_EQ(puts[0].ValueCount, 4);
    EXPECT_EQ(puts[0].GroupNumber, 1);
    EXPECT_EQ(puts[0].Values[0].ToDouble(), 20.0);
    EXPECT_EQ(puts[0].Values[3].ToDouble(), 1028.0);
    EXPECT_FALSE(puts[1].AckPending);
}

} // namespace
