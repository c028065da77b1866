// Start/Stop and the entry of results, against the analyzer emulator. A port
// held by another program and a port lost while polling: PollingPosixTest.cpp.

#include "Icons.h"
#include "LinkStatusBar.h"
#include "NumberEdit.h"

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
        TTestAnalyzer analyzer(AnalyzerConfig(c.values));
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
        TTestAnalyzer analyzer(AnalyzerConfig(kTwelve, c.group, c.status));
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
    TTestAnalyzer analyzer(config);
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
    TTestAnalyzer analyzer(AnalyzerConfig({20.0, 3.45, 8.5, 1028.0}));
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
    TTestAnalyzer analyzer(AnalyzerConfig({20.0, 3.45, 8.5, 1028.0}));
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

TEST_F(Polling, StartCommitsANumberStillBeingTyped)
{
    TTestAnalyzer analyzer(AnalyzerConfig({20.0, 3.45, 8.5, 1028.0}));
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

// The wall clock set back or forward (by the operator, a time server) while
// the analyzer is silent: the bar goes on counting from when the silence
// began and keeps calling the operator. (And while its port is lost:
// PollingPosixTest.cpp.)
TEST_F(Polling, SettingTheClockLeavesTheDurationsOfTheLinkRight)
{
    Emulator::TEmulatorConfig silent = AnalyzerConfig({20.0, 3.45, 8.5, 1028.0});
    silent.NoAnswer = true;
    TTestAnalyzer analyzer(silent);
    Create();
    StartPolling(PortName(analyzer));
    ASSERT_TRUE(WaitFor([&] { return analyzer.Fetches() >= 2; }));

    Clock.Advance(78);
    ExpectTheBarThroughClockChanges("Нет ответа от анализатора 1 мин 18 с");
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
        TTestAnalyzer analyzer(c.config);
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
