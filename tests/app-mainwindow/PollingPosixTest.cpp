// Polling on POSIX, where the analyzer's line is a terminal device: another
// program holding it (by a UUCP lock, by having it open, or in exclusive
// mode left behind by a killed program), and the line dying and coming back
// on the same path (a symbolic link, as /dev/serial/by-id gives). Windows
// has neither UUCP locks nor links to a COM port, and a COM port cannot be
// unplugged from the tests' side; Wine does not keep a port from a second
// opener at all.

#include "ChildProcess.h"
#include "Icons.h"
#include "LinkStatusBar.h"
#include "NumberEdit.h"
#include "Unprivileged.h"
#include "UucpLock.h"

#include <cstdio>
#include <fstream>

#include "FormHarness.h"

namespace {

using Polling = FormTest;

// Another program holds the analyzer's port, by a UUCP lock or by simply
// having it open: no polling, and the box names that program.
TEST_F(Polling, ABusyPortNamesTheProgramThatHoldsIt)
{
    Emulator::PtyAnalyzer analyzer(AnalyzerConfig({20.0, 3.45, 8.5, 1028.0}));
    const std::string device = analyzer.Path();
    const std::string lockFile = UucpLockPath(TSerialSystemPaths().LockDir, device);
    for (const bool byLock : {false, true}) {
        SCOPED_TRACE(byLock ? "UUCP lock" : "open without a lock");
        TChildProcess other(byLock ? std::string() : device);
        ASSERT_TRUE(other.Ready());
        if (byLock) {
            char text[16];
            std::snprintf(text, sizeof text, "%10d\n", int(other.Pid()));
            std::ofstream lock(lockFile);
            if (!(lock << text).flush())
                GTEST_SKIP() << "the system lock folder cannot be written here";
        }
        Script->Calls.clear();
        TForm1 &form = Create();
        StartPolling(PortName(analyzer));
        ASSERT_TRUE(WaitFor([&] { return !form.FixMeas1->Active(); }));
        if (byLock)
            std::remove(lockFile.c_str());
        ASSERT_EQ(Script->Errors().size(), 1u);
        EXPECT_EQ(Script->Errors()[0].Text,
                  QString("Ошибка открытия порта\nПорт %1 занят другой программой: cat (процесс %2). "
                          "Закройте её и включите опрос снова.")
                      .arg(PortName(analyzer))
                      .arg(other.Pid()));
    }
    EXPECT_EQ(analyzer.Fetches(), 0);
}

// The program killed (kill -9) while polling leaves the analyzer's
// pseudo-terminal in exclusive mode, held by nobody. The next start polls
// when it may take the port over (root); otherwise the box says what
// happened instead of sending the operator after a program that is gone.
TEST_F(Polling, ExclusiveModeLeftByAKilledProgramIsTakenOverOrExplained)
{
    Emulator::PtyAnalyzer analyzer(AnalyzerConfig({20.0, 3.45, 8.5, 1028.0}));
    {
        TChildProcess killed(analyzer.Path(), TChildProcess::THold::Exclusive);
        ASSERT_TRUE(killed.Ready());
    }
    TForm1 &form = Create();
    testing::internal::CaptureStderr();
    StartPolling(PortName(analyzer));
    if (MayPassExclusiveMode()) {
        const bool polled = PollUntilRows(analyzer, 3, 1);
        const std::string debug = testing::internal::GetCapturedStderr();
        ASSERT_TRUE(polled);
        EXPECT_TRUE(Script->Calls.empty());
        EXPECT_NE(debug.find("TIOCEXCL " + analyzer.Path() +
                             ": exclusive mode left by a program that has ended; "
                             "taken over\n"),
                  std::string::npos)
            << debug;
        ASSERT_TRUE(StopPolling());
        return;
    }
    const bool ended = WaitFor([&] { return !form.FixMeas1->Active(); });
    testing::internal::GetCapturedStderr();
    ASSERT_TRUE(ended);
    ASSERT_EQ(Script->Errors().size(), 1u);
    EXPECT_EQ(Script->Errors()[0].Text,
              "Ошибка открытия порта\nПорт " + PortName(analyzer) +
                  " остался в монопольном режиме, а программы, которая его держит, не видно: скорее всего, она "
                  "завершилась аварийно и не сняла этот режим. Псевдотерминал хранит его, пока открыт другой конец, "
                  "и обойти его может только администратор (root). Перезапустите программу, которая создаёт этот "
                  "порт, и включите опрос снова.");
    EXPECT_EQ(analyzer.Fetches(), 0);
}

// The analyzer's line dies mid-run and comes back on the same path a while
// later: the window says so, keeps its button on "stop", and polling goes on
// with no one touching anything, the owed acknowledgement first.
TEST_F(Polling, ALostPortIsShownAndPollingResumesWhenItComesBack)
{
    const QString link = Path("analyzer");
    Emulator::TEmulatorConfig config = AnalyzerConfig({20.0, 3.45, 8.5, 1028.0});
    config.VanishAfterFrames = 1; // answers the fetch, then dies on the ack
    auto first = std::make_unique<Emulator::PtyAnalyzer>(config);
    ASSERT_TRUE(QFile::link(PortName(*first), link));
    // Its number stays taken until the link names the next analyzer.
    THeldTerminalNumber held(*first);
    ASSERT_TRUE(held.IsHeld());

    TForm1 &form = Create();
    int alerts = 0;
    form.LinkStatus->SetAlert([&](QWidget *) { ++alerts; });
    form.FixMeas1->SetReconnectInterval(std::chrono::milliseconds(50));
    StartPolling(link);
    ASSERT_TRUE(WaitFor([&] { return form.LinkStatus->Status().State == TLinkState::PortLost; }));
    EXPECT_EQ(RowCount(), 3);
    EXPECT_TRUE(form.LinkStatus->Status().NeedsOperator);
    EXPECT_TRUE(form.LinkStatus->Status().StateText.startsWith("Порт потерян, переподключение…"));
    EXPECT_EQ(alerts, 1);
    EXPECT_EQ(form.actOpr->toolTip(), "Остановить опрос");
    EXPECT_EQ(TForm1::ImageIndex(form.actOpr), kImageStop);
    EXPECT_FALSE(form.NumberEdit1->isEnabled());

    first.reset();
    Emulator::PtyAnalyzer second(AnalyzerConfig({21.0, 3.5, 8.6, 1029.0}));
    ASSERT_TRUE(QFile::remove(link));
    ASSERT_TRUE(QFile::link(PortName(second), link));
    held.Release();
    ASSERT_TRUE(WaitFor([&] { return second.Acks() >= 1 && !form.PollState.AckPending; }));
    ASSERT_TRUE(WaitFor([&] { return form.LinkStatus->Status().State == TLinkState::Waiting; }));
    EXPECT_FALSE(form.LinkStatus->Status().NeedsOperator);

    Clock.Advance(126);
    ASSERT_TRUE(PollUntilRows(second, 4, 2));
    EXPECT_EQ(Cell(5, 2), "21,00");
    EXPECT_TRUE(Script->Calls.empty());
    EXPECT_EQ(alerts, 1);
    ASSERT_TRUE(StopPolling());
}

// The wall clock set back or forward while the port is lost: the bar goes on
// counting from when the loss began and keeps calling the operator.
TEST_F(Polling, SettingTheClockLeavesTheDurationOfALostPortRight)
{
    Emulator::TEmulatorConfig silent = AnalyzerConfig({20.0, 3.45, 8.5, 1028.0});
    silent.NoAnswer = true;
    Emulator::PtyAnalyzer analyzer(silent);
    TForm1 &form = Create();
    // The lost port is not looked for again while the test looks at the bar.
    form.FixMeas1->SetReconnectInterval(std::chrono::minutes(10));
    StartPolling(PortName(analyzer));
    ASSERT_TRUE(WaitFor([&] { return analyzer.Fetches() >= 2; }));

    analyzer.Runner().Stop();
    analyzer.Runner().CloseLine();
    ASSERT_TRUE(WaitFor([&] { return form.LinkStatus->Status().State == TLinkState::PortLost; }));
    Clock.Advance(5);
    ExpectTheBarThroughClockChanges("Порт потерян, переподключение… 5 с");
    ASSERT_TRUE(StopPolling());
}

} // namespace
