// Start/Stop and the entry of results, against the analyzer emulator on a
// pseudo-terminal.

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

const std::vector<double> kTwelve = {21.5, 3.45, 8.5, 1028.3, 3.1, 0, 12.25, 4.7, 0.7, 9.1, -0.5204, 77};

TEST_F(Polling, ResultsFillTheEntryRowInTheLocaleFormats)
{
    struct Case {
        const char *name;
        QLocale locale;
        std::vector<double> values;
        QStringList expected; // columns 2 to 16
    };
    const QStringList none(8, QString()); // columns 9 to 16
    const Case cases[] = {
        {"russian, 4 values",
         QLocale(QLocale::Russian, QLocale::Russia),
         {20.0, 3.45, 8.5, 1028.0},
         QStringList{"15.03.2023", "12:00:00", "1", "20,00", "3,45", "8,50", "1028,00"} + none},
        {"russian, 12 values",
         QLocale(QLocale::Russian, QLocale::Russia),
         kTwelve,
         {"15.03.2023", "12:00:00", "1", "21,50", "3,45", "8,50", "1028,30", "3,10", "0,00", "12,25", "4,70", "0,70",
          "9,10", "-0,5204", "77,00"}},
        {"C, 12 values",
         QLocale::c(),
         kTwelve,
         {"15 Mar 2023", "12:00:00", "1", "21.50", "3.45", "8.50", "1028.30", "3.10", "0.00", "12.25", "4.70", "0.70",
          "9.10", "-0.5204", "77.00"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QLocale::setDefault(c.locale);
        Emulator::PtyAnalyzer analyzer(AnalyzerConfig(c.values));
        QFile::remove(Path("Nivara.log")); // each case starts afresh, without the case before's results
        TForm1 &form = Create();
        Clock.Set(45'000.5);
        // A label typed ahead of the analysis stays with its result.
        form.Journal().Model().SetCell(1, 1, "проба 7");
        form.Journal().SetJournalModified(false);

        StartPolling(PortName(analyzer));
        EXPECT_FALSE(form.NumberEdit1->isEnabled());
        EXPECT_EQ(form.actOpr->toolTip(), "Остановить опрос");
        EXPECT_EQ(TForm1::ImageIndex(form.actOpr), kImageStop);
        ASSERT_TRUE(PollUntilRows(analyzer, 3, 1));
        // The acknowledgement and the passes after it add nothing.
        QTest::qWait(300);
        EXPECT_EQ(RowCount(), 3);
        EXPECT_EQ(analyzer.Fetches(), 1);
        ASSERT_TRUE(StopPolling());
        EXPECT_TRUE(form.NumberEdit1->isEnabled());
        EXPECT_EQ(form.actOpr->toolTip(), "Включить опрос");
        EXPECT_EQ(TForm1::ImageIndex(form.actOpr), kImageStart);

        EXPECT_EQ(RowTexts(1, 0, 1), (QStringList{"1", "проба 7"}));
        EXPECT_EQ(RowTexts(1, 2, 16), c.expected);
        EXPECT_EQ(RowTexts(2), (QStringList{"2"} + QStringList(16, QString()))) << "a fresh entry row";
        EXPECT_TRUE(form.JournalModified());
        EXPECT_TRUE(Script->Calls.empty());
        Form.reset();
    }
}

TEST_F(Polling, DroppedResultsAreAcknowledgedButNotEntered)
{
    struct Case {
        const char *name;
        uint8_t group;
        uint16_t status;
    };
    for (const Case &c : {Case{"group 0", 0, 0}, Case{"status 0x0020", 5, 0x0020}}) {
        SCOPED_TRACE(c.name);
        Emulator::PtyAnalyzer analyzer(AnalyzerConfig(kTwelve, c.group, c.status));
        TForm1 &form = Create();
        StartPolling(PortName(analyzer));
        ASSERT_TRUE(WaitFor([&] { return analyzer.Acks() >= 1 && !form.PollState.AckPending; }));
        ASSERT_TRUE(StopPolling());
        EXPECT_EQ(RowCount(), 2);
        EXPECT_FALSE(form.JournalModified());
        // Still remembered: its time holds the next fetch back.
        EXPECT_EQ(form.PollState.ResultTime, Clock.Now());
        EXPECT_EQ(form.PollState.Status, c.status);
        Form.reset();
        // The next case is a station of its own, not a restart of this one,
        // which would carry the poll state over from the log.
        QFile::remove(Path("Nivara.log"));
    }
}

// The echo of the acknowledgement never arrives; once the gate reopens the
// analyzer sends the analysis it still holds again. One analysis, one row.
TEST_F(Polling, TheSameAnalysisSentAgainAfterALostAcknowledgementIsEnteredOnce)
{
    Emulator::TEmulatorConfig config = AnalyzerConfig({20.0, 3.45, 8.5, 1028.0});
    config.Interval = std::chrono::minutes(10); // the analyzer has no newer result
    config.AckFailures = 1000;
    Emulator::PtyAnalyzer analyzer(config);
    TForm1 &form = Create();
    StartPolling(PortName(analyzer));
    ASSERT_TRUE(WaitFor([&] { return analyzer.Acks() >= 2; }));
    const QStringList first = RowTexts(1);
    Clock.Advance(126);
    ASSERT_TRUE(WaitFor([&] { return analyzer.Fetches() >= 2 && form.PollState.ResultTime == Clock.Now(); }));
    const int acks = analyzer.Acks();
    ASSERT_TRUE(WaitFor([&] { return analyzer.Acks() > acks; })) << "the repeat is acknowledged";
    ASSERT_TRUE(StopPolling());
    EXPECT_EQ(RowCount(), 3);
    EXPECT_EQ(RowTexts(1), first);
}

TEST_F(Polling, TheWaitForTheNextResultCarriesOverToTheNextRun)
{
    Emulator::PtyAnalyzer analyzer(AnalyzerConfig({20.0, 3.45, 8.5, 1028.0}));
    TForm1 &form = Create();
    StartPolling(PortName(analyzer));
    ASSERT_TRUE(PollUntilRows(analyzer, 3, 1));
    ASSERT_TRUE(StopPolling());

    Clock.Advance(60);
    form.actOpr->trigger();
    QTest::qWait(400);
    EXPECT_EQ(analyzer.Fetches(), 1) << "within 125 s of the last result";
    Clock.Advance(70);
    ASSERT_TRUE(PollUntilRows(analyzer, 4, 2));
    EXPECT_EQ(analyzer.Fetches(), 2);
    ASSERT_TRUE(StopPolling());
}

TEST_F(Polling, DeviceNumberZeroEndsTheRunAtOnce)
{
    Emulator::PtyAnalyzer analyzer(AnalyzerConfig({20.0, 3.45, 8.5, 1028.0}));
    TForm1 &form = Create();
    std::vector<QString> hints;
    form.FixMeas1->OnStoping = [&](QObject *Sender, bool Error) {
        hints.push_back(form.actOpr->toolTip());
        form.FixMeas1Stoping(Sender, Error);
    };
    StartPolling(PortName(analyzer), 0);
    ASSERT_TRUE(WaitFor([&] { return !form.FixMeas1->Active(); }));
    EXPECT_EQ(hints, std::vector<QString>{"Остановить опрос"});
    EXPECT_EQ(form.actOpr->toolTip(), "Включить опрос");
    EXPECT_TRUE(form.NumberEdit1->isEnabled());
    EXPECT_TRUE(Script->Calls.empty());
    EXPECT_EQ(analyzer.Fetches(), 0);
    // The bar says why.
    form.LinkStatus->Refresh();
    EXPECT_EQ(form.LinkStatus->Status().State, TLinkState::CannotStart);
    EXPECT_EQ(form.LinkStatus->Status().StateText, "Опрос не начнётся: номер прибора 0");
    EXPECT_EQ(form.LinkStatus->Status().Advice, "Укажите номер прибора от 1 до 65535.");
}

TEST_F(Polling, AnUnopenablePortIsShownOnce)
{
    TForm1 &form = Create();
    StartPolling(Path("no-such-tty"));
    ASSERT_TRUE(WaitFor([&] { return !form.FixMeas1->Active(); }));
    ASSERT_EQ(Script->Calls.size(), 1u);
    EXPECT_EQ(Script->Calls[0].Kind, "Error");
    // The message's first line stays; the second names the port and the cause.
    EXPECT_EQ(Script->Calls[0].Text,
              "Ошибка открытия порта\nПорт " + Path("no-such-tty") +
                  " не найден: такого устройства нет. Проверьте кабель анализатора и выбранный порт.");
    EXPECT_EQ(Script->Calls[0].Caption, "Ошибка");
    EXPECT_EQ(form.actOpr->toolTip(), "Включить опрос");
    EXPECT_TRUE(form.NumberEdit1->isEnabled());
    // Afterwards the bar keeps saying why.
    form.LinkStatus->Refresh();
    EXPECT_EQ(form.LinkStatus->Status().StateText, "Опрос не начнётся: порт " + Path("no-such-tty") + " не найден");
}

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

TEST_F(Polling, StartCommitsANumberStillBeingTyped)
{
    Emulator::PtyAnalyzer analyzer(AnalyzerConfig({20.0, 3.45, 8.5, 1028.0}));
    TForm1 &form = Create();
    form.FixMeas1->SetPort(PortName(analyzer));
    form.NumberEdit1->setFocus();
    ASSERT_TRUE(WaitFor([&] { return form.NumberEdit1->hasFocus(); }));
    QTest::keyClicks(form.NumberEdit1, "1");
    form.actOpr->trigger();
    EXPECT_TRUE(form.MainGrid->hasFocus());
    ASSERT_TRUE(PollUntilRows(analyzer, 3, 1));
    EXPECT_EQ(form.PollState.DevNumber, 1);
    ASSERT_TRUE(StopPolling());
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

// The wall clock set back or forward (by the operator, a time server) while
// the analyzer is silent, and then while its port is lost: the bar goes on
// counting from when each began and keeps calling the operator.
TEST_F(Polling, SettingTheClockLeavesTheDurationsOfTheLinkRight)
{
    Emulator::TEmulatorConfig silent = AnalyzerConfig({20.0, 3.45, 8.5, 1028.0});
    silent.NoAnswer = true;
    Emulator::PtyAnalyzer analyzer(silent);
    TForm1 &form = Create();
    // The lost port is not looked for again while the test looks at the bar.
    form.FixMeas1->SetReconnectInterval(std::chrono::minutes(10));
    StartPolling(PortName(analyzer));
    ASSERT_TRUE(WaitFor([&] { return analyzer.Fetches() >= 2; }));

    const auto expectThroughClockChanges = [&](const QString &Text) {
        for (const double shift : {0.0, -3600.0, 7200.0}) { // back an hour, then an hour past where it was
            Clock.Shift(shift);
            form.LinkStatus->Refresh();
            EXPECT_EQ(form.LinkStatus->Status().StateText, Text) << "clock set by " << shift << " s";
            EXPECT_TRUE(form.LinkStatus->Status().NeedsOperator) << "clock set by " << shift << " s";
        }
    };
    Clock.Advance(78);
    expectThroughClockChanges("Нет ответа от анализатора 1 мин 18 с");

    analyzer.Runner().Stop();
    analyzer.Runner().CloseLine();
    ASSERT_TRUE(WaitFor([&] { return form.LinkStatus->Status().State == TLinkState::PortLost; }));
    Clock.Advance(5);
    expectThroughClockChanges("Порт потерян, переподключение… 5 с");
    ASSERT_TRUE(StopPolling());
}

// Fetches that get no answer, whether the analyzer is silent or another
// device number is asked for: "no answer" after its delay, and a call for
// the operator after a minute.
TEST_F(Polling, UnansweredFetchesShowNoAnswerAfterTheirDelay)
{
    Emulator::TEmulatorConfig silent = AnalyzerConfig({20.0, 3.45, 8.5, 1028.0});
    silent.NoAnswer = true;
    struct Case {
        const char *what;
        Emulator::TEmulatorConfig config;
        int device;
    };
    const Case cases[] = {
        {"analyzer silent", silent, 1},
        {"wrong device number", AnalyzerConfig({20.0, 3.45, 8.5, 1028.0}), 2},
    };
    for (const Case &c : cases) {
        Emulator::PtyAnalyzer analyzer(c.config);
        TForm1 &form = Create();
        int alerts = 0;
        form.LinkStatus->SetAlert([&](QWidget *) { ++alerts; });
        StartPolling(PortName(analyzer), c.device);
        ASSERT_TRUE(WaitFor([&] { return analyzer.Fetches() >= 2; })) << c.what;
        form.LinkStatus->Refresh();
        EXPECT_EQ(form.LinkStatus->Status().State, TLinkState::Fetching) << c.what;

        Clock.Advance(11);
        form.LinkStatus->Refresh();
        EXPECT_EQ(form.LinkStatus->Status().State, TLinkState::NoAnswer) << c.what;
        EXPECT_TRUE(form.LinkStatus->Status().StateText.startsWith("Нет ответа от анализатора 11 с")) << c.what;
        EXPECT_EQ(alerts, 0) << c.what;

        Clock.Advance(50);
        form.LinkStatus->Refresh();
        EXPECT_TRUE(form.LinkStatus->Status().NeedsOperator) << c.what;
        EXPECT_EQ(alerts, 1) << c.what;
        EXPECT_EQ(RowCount(), 2) << c.what;
        ASSERT_TRUE(StopPolling()) << c.what;
        form.LinkStatus->Refresh();
        EXPECT_EQ(form.LinkStatus->Status().State, TLinkState::Off) << c.what;
    }
}

} // namespace
