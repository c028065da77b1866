// The result log seen from the window: results and labels that never reached
// the journal file come back at the next start, exactly as a Save would have
// written them, and a log that cannot be written is shown until it works.

#include "FPConvert.h"
#include "FormHarness.h"
#include "JournalFile.h"
#include "JournalLog.h"
#include "LogWarning.h"
#include "MyConsts.h"
#include "Unprivileged.h"

#include <QBuffer>

namespace {

class Recovery : public FormTest {
protected:
    // A result as the poller hands it over, not yet acknowledged.
    void PutResult(int Group, double Fat)
    {
        TFixMeasResult result{};
        result.DevNumber = 1;
        result.GroupNumber = uint8_t(Group);
        result.ValueCount = 4;
        const double values[] = {20.0, Fat, 8.5, 1028.0};
        for (int i = 0; i < 4; ++i)
            result.Values[size_t(i)] = Real6::FromFloat(values[i]);
        result.ResultTime = Clock.Now();
        result.AckPending = true;
        Clock.Advance(130);
        Form->FixMeas1->SetMeasResult(result);
        Form->FixMeas1PutResult(Form->FixMeas1);
    }
    // As the grid's editor commits a label.
    void TypeLabel(int Row, const QString &Text)
    {
        QAbstractItemModel *model = Form->MainGrid->model();
        model->setData(model->index(Row - 1, 1), Text);
    }
    // What Save would write now.
    QByteArray SaveBytes() const
    {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        WriteJournal(Form->Journal().Model().Rows(), buffer);
        return buffer.data();
    }
    std::vector<TDialogCall> Infos() const
    {
        std::vector<TDialogCall> infos;
        for (const TDialogCall &call : Script->Calls)
            if (call.Kind == "Info")
                infos.push_back(call);
        return infos;
    }
};

} // namespace

TEST_F(Recovery, WorkNeverSavedComesBackAsASaveWouldHaveWrittenIt)
{
    WriteFile(Path("day.txt"), Cp1251::Encode(QStringLiteral(
                                   "утро\t14.03.2023\t08:00:00\t1\t20,00\t3,40\t8,50\t1028,00\t\t\t\t\t\t\t\t\r\n"
                                   "\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\r\n")));
    WriteIni("[Config]\r\nFileName=" + Path("day.txt") + "\r\n");
    Create();
    EXPECT_TRUE(Infos().empty());
    TypeLabel(2, "проба 1");
    PutResult(1, 3.45);
    PutResult(2, 3.50);
    // A save in between: only what follows it is in the log.
    Form->actSave->trigger();
    TypeLabel(4, "проба\t3");
    PutResult(3, 3.55);
    TypeLabel(1, "утро, исправлено");
    TypeLabel(1, "утро, исправлено"); // no change, nothing logged
    PutResult(4, 3.60);
    const QByteArray expected = SaveBytes();
    // The crash: the window goes without closing. The settings name another
    // journal by now; the log is newer.
    Form.reset();
    WriteIni("[Config]\r\nFileName=" + Path("other.txt") + "\r\n");

    Create();
    ASSERT_EQ(Infos().size(), 1u);
    EXPECT_EQ(Infos()[0].Text, "Восстановлены данные, не сохранённые при прошлой работе программы: результатов — 2, подписей проб — 2.\n"
                               "Сохраните журнал.");
    EXPECT_EQ(Infos()[0].Caption, "Восстановление журнала");
    EXPECT_TRUE(Script->Errors().empty());
    EXPECT_EQ(Form->JournalFileName(), Path("day.txt"));
    EXPECT_TRUE(Form->JournalModified());
    EXPECT_EQ(Form->windowTitle(), "Регистрация измерений молока(day.txt)");
    EXPECT_EQ(SaveBytes(), expected);

    // Recovered once more after a second crash, and work goes on in the same log.
    PutResult(5, 3.65);
    const QByteArray more = SaveBytes();
    Form.reset();
    Script->Calls.clear();
    Create();
    ASSERT_EQ(Infos().size(), 1u);
    EXPECT_TRUE(Infos()[0].Text.contains("результатов — 3, подписей проб — 2"));
    EXPECT_EQ(SaveBytes(), more);

    // Saved and closed: nothing to recover, the log is discarded.
    Form->actSave->trigger();
    EXPECT_EQ(ReadFile(Path("day.txt")), more);
    Form->close();
    Form.reset();
    Script->Calls.clear();
    Create();
    EXPECT_TRUE(Infos().empty());
    EXPECT_FALSE(Form->JournalModified());
    EXPECT_EQ(SaveBytes(), more);
}

// "Новый.txt" named by the log does not exist yet: the work comes back into
// the empty journal under that name. A log whose journal was saved after it
// began (a crash between the save and the fresh log) holds nothing new.
TEST_F(Recovery, IntoANewJournalAndNotAfterASave)
{
    Create();
    TypeLabel(1, "первая");
    PutResult(1, 3.45);
    const QByteArray expected = SaveBytes();
    Form.reset();
    Create();
    ASSERT_EQ(Infos().size(), 1u);
    EXPECT_EQ(Form->JournalFileName(), "Новый.txt");
    EXPECT_FALSE(QFile::exists(Path("Новый.txt")));
    EXPECT_EQ(SaveBytes(), expected);

    Form->Journal().SaveJournal(Form->JournalFileName()); // saved, the log not yet begun afresh
    Form.reset();
    Script->Calls.clear();
    Create();
    EXPECT_TRUE(Infos().empty());
    EXPECT_FALSE(Form->JournalModified());
    EXPECT_EQ(SaveBytes(), expected);
}

// Open, New and closing without saving: what the operator let go does not
// come back.
TEST_F(Recovery, OpenAndNewStartTheLogAfresh)
{
    Create();
    PutResult(1, 3.45);
    Script->OpenNames = {Path("other.txt")};
    Form->actOpenFile->trigger();
    Form.reset();
    Script->Calls.clear();
    Create();
    EXPECT_TRUE(Infos().empty());

    PutResult(1, 3.45);
    Form->actNew->trigger(); // "save?" answered No
    Form.reset();
    Script->Calls.clear();
    Create();
    EXPECT_TRUE(Infos().empty());

    // Closing: Cancel keeps the work secured, No lets it go.
    PutResult(1, 3.45);
    Script->CloseAnswers = {TSaveAnswer::Cancel, TSaveAnswer::No};
    Form->close();
    ASSERT_TRUE(Form->isVisible());
    EXPECT_EQ(ReadResultLog(Path("Nivara.log")).Results(), 1);
    Form->close();
    ASSERT_FALSE(Form->isVisible());
    Form.reset();
    Script->Calls.clear();
    Create();
    EXPECT_TRUE(Infos().empty());
}

// A log that cannot be written (its folder cannot exist: a file stands in
// its place, which stops root too): results still enter the journal, the
// warning shows without a box and goes once the log works again, and then
// everything owed is in the log.
TEST_F(Recovery, AnUnwritableLogIsShownUntilItWorksAgain)
{
    WriteFile(Path("logs"), "a file");
    LogFileName = Path("logs/Nivara.log");
    Create();
    EXPECT_TRUE(Script->Errors().empty());
    EXPECT_FALSE(Form->LogWarning->isHidden());
    PutResult(1, 3.45);
    TypeLabel(1, "проба");
    EXPECT_EQ(RowCount(), 3);
    EXPECT_FALSE(Form->LogWarning->isHidden());
    EXPECT_TRUE(Form->LogWarning->Text().startsWith("Внимание: результаты не защищены от сбоя"));
    EXPECT_TRUE(Form->LogWarning->Text().contains(LogFileName)) << Form->LogWarning->Text().toStdString();
    EXPECT_TRUE(Script->Calls.empty()) << "no box";

    ASSERT_TRUE(QFile::remove(Path("logs")));
    ASSERT_TRUE(QDir(Dir.path()).mkdir("logs"));
    PutResult(2, 3.50);
    EXPECT_TRUE(Form->LogWarning->isHidden());
    EXPECT_TRUE(Form->JournalLog().Secured());
    const QByteArray expected = SaveBytes();
    Form.reset();
    Create();
    ASSERT_EQ(Infos().size(), 1u);
    EXPECT_TRUE(Infos()[0].Text.contains("результатов — 2, подписей проб — 1"));
    EXPECT_EQ(SaveBytes(), expected);
}

// A log that does not fit its journal (the journal was changed by hand) is
// kept under another name and reported; the window starts as usual.
TEST_F(Recovery, ALogThatDoesNotFitIsSetAsideAndReported)
{
    WriteIni("[Config]\r\nFileName=" + Path("day.txt") + "\r\n");
    Create();
    PutResult(1, 3.45);
    Form.reset();
    // Same stamp, other rows: only a hand could do that.
    const TResultLogContents contents = ReadResultLog(Path("Nivara.log"));
    ASSERT_EQ(contents.Records.size(), 1u);
    TResultLog log(Path("Nivara.log"));
    log.Restart(Path("day.txt"));
    log.Append(TResultLogRecord::Result(5, contents.Records[0].Texts));

    Create();
    ASSERT_EQ(Script->Errors().size(), 1u);
    EXPECT_TRUE(Script->Errors()[0].Text.startsWith("Данные журнала восстановления не удалось вернуть в журнал"));
    EXPECT_TRUE(Infos().empty());
    const QStringList aside = QDir(Dir.path()).entryList({"Nivara.log.*.unrecovered"});
    ASSERT_EQ(aside.size(), 1);
    EXPECT_EQ(ReadResultLog(Path(aside[0])).Records.size(), 1u);
    EXPECT_EQ(Form->JournalFileName(), Path("day.txt"));
    EXPECT_EQ(RowCount(), 2);
    EXPECT_FALSE(Form->JournalModified());
}

// A log that does not fit, in a folder where it can be neither moved nor
// copied but is itself writable: it stays byte for byte, and the new log's
// work is kept unsecured (and said so) instead of being written over it;
// once the folder opens, the old log is moved away and the new one written.
TEST_F(Recovery, ALogThatCannotBeSetAsideIsNeverWrittenOver)
{
    const QString folder = Path("locked");
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString logName = folder + "/Nivara.log";
    {
        TResultLog log(logName);
        log.Restart(Path("day.txt"));
        log.Append(TResultLogRecord::Result(5, {"15.03.2023", "12:00:00"}));
    }
    const QByteArray before = ReadFile(logName);
    ASSERT_FALSE(before.isEmpty());
    QFile::setPermissions(Dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther
                                          | QFile::ExeOther);
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther
                                      | QFile::ExeOther);
    QFile::setPermissions(logName, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther | QFile::WriteOther);

    const int result = RunUnprivileged([&] {
        JournalDocument journal(MyConsts::sJournalTexts());
        TJournalLog log(journal, logName);
        try {
            log.Recover();
            return 1; // it does not fit: Recover reports that
        } catch (const std::exception &) {
        }
        log.StartAfresh();
        if (log.Secured() || log.LastError() != MyConsts::sLogNotSetAside())
            return 2;
        return ReadFile(logName) == before ? 0 : 3;
    });
    if (result == kCannotDropRights)
        GTEST_SKIP() << "cannot run as an ordinary user here";
    EXPECT_EQ(result, 0);
    EXPECT_EQ(ReadFile(logName), before);

    // Where it can be moved (here: as the owner of the folder), it is.
    JournalDocument journal(MyConsts::sJournalTexts());
    TJournalLog log(journal, logName);
    EXPECT_THROW(log.Recover(), std::exception);
    log.StartAfresh();
    EXPECT_TRUE(log.Secured());
    const QStringList aside = QDir(folder).entryList({"Nivara.log.*.unrecovered"});
    ASSERT_EQ(aside.size(), 1);
    EXPECT_EQ(ReadFile(folder + "/" + aside[0]), before);
}

// Killed after a result was logged but before the analyzer echoed its
// acknowledgement: after the restart the poller goes on as it would have,
// within 125 s by repeating the acknowledgement, later by recognising the
// same analysis when the analyzer sends it again. One row either way, and
// the analyzer has its acknowledgement.
TEST_F(Recovery, AnAcknowledgementOwedAtACrashIsStillOwedAfterIt)
{
    struct TCase {
        const char *Name;
        int SecondsLater;
        int Fetches;
    };
    for (const TCase c : {TCase{"within 125 s", 60, 1}, TCase{"later", 126, 2}}) {
        SCOPED_TRACE(c.Name);
        Form.reset();
        QFile::remove(Path("Nivara.log"));
        Script->Calls.clear();
        Emulator::TEmulatorConfig config = AnalyzerConfig({20.0, 3.45, 8.5, 1028.0});
        config.Interval = std::chrono::minutes(10); // the analyzer has no newer result
        constexpr int kLostEchoes = 8;
        config.AckFailures = kLostEchoes;
        Emulator::PtyAnalyzer analyzer(config);
        Create();
        StartPolling(PortName(analyzer));
        ASSERT_TRUE(WaitFor([&] { return analyzer.Acks() >= 2; }));
        const QByteArray expected = SaveBytes();
        ASSERT_EQ(RowCount(), 3); // the result and the entry row
        Form.reset(); // the crash, in the middle of polling
        ASSERT_LT(analyzer.Acks(), kLostEchoes) << "no echo reached the window";

        Clock.Advance(c.SecondsLater);
        Create();
        ASSERT_EQ(Infos().size(), 1u);
        EXPECT_TRUE(Form->PollState.AckPending);
        StartPolling(PortName(analyzer));
        ASSERT_TRUE(WaitFor([&] { return !Form->PollState.AckPending; }));
        ASSERT_TRUE(StopPolling());
        EXPECT_EQ(analyzer.Fetches(), c.Fetches);
        EXPECT_EQ(RowCount(), 3);
        EXPECT_EQ(SaveBytes(), expected);
        // The echo came: one acknowledge frame was answered, the last one.
        const std::vector<Emulator::TLineEvent> events = analyzer.Events();
        int answered = 0;
        for (size_t i = 0; i + 1 < events.size(); ++i)
            answered += events[i].Kind == Emulator::TLineEvent::TKind::Ack &&
                        events[i + 1].Kind == Emulator::TLineEvent::TKind::Reply;
        EXPECT_EQ(answered, 1);
        // Its confirmation is on disk too: nothing is owed at the next start.
        const TResultLogContents log = ReadResultLog(Path("Nivara.log"));
        ASSERT_TRUE(log.Poll.has_value());
        EXPECT_FALSE(log.Poll->State.AckPending);
    }
}
