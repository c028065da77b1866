// The result log seen from the window: results and labels that never reached
// the journal file come back at the next start, exactly as a Save would have
// written them, and a log that cannot be written is shown until it works.

#include "FPConvert.h"
#include "FormHarness.h"
#include "JournalFile.h"
#include "JournalLog.h"
#include "LogWarning.h"
#include "ProgramTexts.h"

#include <QBuffer>
#include <QDateTime>
#include <QtEndian>

#include <functional>

namespace {

// One result saved, three more and a label not: what a crash leaves.
struct TUnsavedDay {
    QByteArray Saved;    // the file after the Save
    QByteArray Expected; // what a Save at the crash would have written
};

class Recovery : public FormTest {
protected:
    TUnsavedDay LeaveUnsavedWork()
    {
        TUnsavedDay day;
        PutResult(1, 3.40);
        Form->actSave->trigger();
        day.Saved = ReadFile(Form->JournalFileName());
        PutResult(2, 3.45);
        TypeLabel(3, "проба 3");
        PutResult(3, 3.50);
        PutResult(4, 3.55);
        day.Expected = SaveBytes();
        return day;
    }
    // Empties the folder for a case of a table, the window gone.
    void StartOver()
    {
        Form.reset();
        for (const QString &name : QDir(Dir.path()).entryList(QDir::Files))
            QFile::remove(Path(name));
        Script->Calls.clear();
        WriteIni("[Config]\r\nFileName=" + Path("day.txt") + "\r\n");
    }
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
    EXPECT_EQ(Infos()[0].Text,
              "Восстановлены данные, не сохранённые при прошлой работе программы: результатов — 2, подписей проб — 2.\n"
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
    EXPECT_TRUE(Form->LogWarning->Text().contains(Shown(LogFileName))) << Form->LogWarning->Text().toStdString();
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

// A log of the earlier format (no copy of the journal it began with) whose
// rows do not fit the file: the results come back in a journal of their own
// instead of being set aside unused, and the log is kept as it was.
TEST_F(Recovery, WorkThatFitsNoKnownJournalComesBackInANewOne)
{
    WriteIni("[Config]\r\nFileName=" + Path("day.txt") + "\r\n");
    Create();
    PutResult(1, 3.45);
    Form.reset();
    const TResultLogContents contents = ReadResultLog(Path("Nivara.log"));
    ASSERT_EQ(contents.Records.size(), 1u);
    {
        TResultLog log(Path("Nivara.log"));
        log.Restart(Path("day.txt"), std::nullopt);
        log.Append(TResultLogRecord::Result(5, contents.Records[0].Texts));
        log.Append(TResultLogRecord::Label(5, "проба 5"));
        log.Append(TResultLogRecord::Label(2, "строка, которой нет"));
    }
    const QByteArray before = ReadFile(Path("Nivara.log"));

    Create();
    EXPECT_TRUE(Script->Errors().empty());
    ASSERT_EQ(Infos().size(), 1u);
    const QStringList aside = QDir(Dir.path()).entryList({"Nivara.log.*.recovered"});
    ASSERT_EQ(aside.size(), 1);
    EXPECT_EQ(ReadFile(Path(aside[0])), before);
    EXPECT_EQ(
        Infos()[0].Text,
        "Восстановлены данные, не сохранённые при прошлой работе программы: результатов — 1, подписей проб — 1.\n"
        "Сохраните журнал.\n\n"
        "Журнал, к которому относятся эти данные, восстановить не удалось, поэтому результаты внесены в новый журнал " +
            Path("Новый1.txt") +
            ".\n\n"
            "Подписей проб, для которых в журнале не нашлось строки: 1.\n\n"
            "Журнал восстановления в прежнем виде сохранён как " +
            Path(aside[0]) + ".");
    EXPECT_EQ(Form->JournalFileName(), Path("Новый1.txt"));
    EXPECT_TRUE(Form->JournalModified());
    EXPECT_EQ(RowCount(), 3);
    EXPECT_EQ(Cell(1, 1), "проба 5");
    EXPECT_EQ(Cell(4, 1), contents.Records[0].Texts[2]);
    EXPECT_FALSE(QFile::exists(Path("day.txt")));
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
        TTestAnalyzer analyzer(config);
        Create();
        StartPolling(PortName(analyzer));
        ASSERT_TRUE(WaitFor([&] { return analyzer.Acks() >= 2; }));
        const QByteArray expected = SaveBytes();
        ASSERT_EQ(RowCount(), 3); // the result and the entry row
        Form.reset();             // the crash, in the middle of polling
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

// The journal file's identity changes without its rows (touched, replaced by
// a copy of itself): the work goes on in it. The file gone or changed: the
// journal as it was at the Save comes back with the work under a new name,
// and the file is left as it is. Never nothing, never silently.
TEST_F(Recovery, TheFileIsJudgedByItsRowsNotItsIdentity)
{
    struct TCase {
        const char *Name;
        std::function<void(const QString &)> Do;
        bool IntoFile;
        QString Says;
    };
    const auto setTime = [](const QString &Name) {
        QFile file(Name);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        file.setFileTime(QDateTime::currentDateTime().addSecs(3600), QFileDevice::FileModificationTime);
    };
    const std::vector<TCase> cases = {
        {"touched", setTime, true, {}},
        {"replaced by a copy of itself",
         [](const QString &Name) {
             ASSERT_TRUE(QFile::copy(Name, Name + ".copy"));
             ASSERT_TRUE(QFile::remove(Name));
             ASSERT_TRUE(QFile::rename(Name + ".copy", Name));
         },
         true,
         {}},
        {"moved away", [this](const QString &Name) { ASSERT_TRUE(QFile::rename(Name, Path("archive.txt"))); }, false,
         "не найден"},
        {"changed by another program", [](const QString &Name) { WriteFile(Name, "другое\t\r\n"); }, false,
         "с тех пор изменён (он оставлен как есть)"},
    };
    for (const TCase &c : cases) {
        SCOPED_TRACE(c.Name);
        StartOver();
        Create();
        const TUnsavedDay day = LeaveUnsavedWork();
        const QByteArray fileBefore = [&] {
            c.Do(Path("day.txt"));
            return ReadFile(Path("day.txt"));
        }();
        Form.reset(); // the crash

        Create();
        ASSERT_EQ(Infos().size(), 1u);
        const QString text = Infos()[0].Text;
        EXPECT_TRUE(text.startsWith("Восстановлены данные, не сохранённые при прошлой работе программы: "
                                    "результатов — 3, подписей проб — 1."))
            << text.toStdString();
        EXPECT_EQ(SaveBytes(), day.Expected);
        EXPECT_TRUE(Form->JournalModified());
        if (c.IntoFile) {
            EXPECT_EQ(Form->JournalFileName(), Path("day.txt"));
            EXPECT_FALSE(text.contains("\n\n")) << text.toStdString();
        } else {
            EXPECT_EQ(Form->JournalFileName(), Path("Новый1.txt"));
            EXPECT_TRUE(text.contains("Файл журнала " + Path("day.txt") + " " + c.Says +
                                      ", поэтому журнал восстановлен таким, каким он был при последнем открытии или "
                                      "сохранении, вместе с этими данными, под новым именем " +
                                      Path("Новый1.txt") + "."))
                << text.toStdString();
            EXPECT_EQ(ReadFile(Path("day.txt")), fileBefore);
        }
        // And once more after a second crash, as it now stands.
        PutResult(5, 3.60);
        const QByteArray more = SaveBytes();
        const QString name = Form->JournalFileName();
        Form.reset();
        Script->Calls.clear();
        Create();
        ASSERT_EQ(Infos().size(), 1u);
        EXPECT_EQ(Form->JournalFileName(), name);
        EXPECT_EQ(SaveBytes(), more);
    }
}

// A changed byte inside the log costs that record only; the log is copied
// aside before anything is written, and the box counts what was lost. A
// damaged header costs no result: the journal the settings name takes them.
TEST_F(Recovery, ADamagedRecordCostsThatRecordAlone)
{
    struct TCase {
        const char *Name;
        int Record; // 0 the header
        int Results;
        int Labels;
    };
    for (const TCase c : {TCase{"second unsaved result", 3, 2, 1}, TCase{"header", 0, 3, 1}}) {
        SCOPED_TRACE(c.Name);
        StartOver();
        Create();
        const TUnsavedDay day = LeaveUnsavedWork();
        Form.reset();
        // Records: the header, result 2, label of row 3, result 3, result 4.
        QByteArray log = ReadFile(Path("Nivara.log"));
        qsizetype at = 0;
        for (int k = 0; k < c.Record; ++k)
            at += 8 + qsizetype(qFromLittleEndian<quint32>(log.constData() + at));
        log[at + 20] = char(log[at + 20] ^ 0x01);
        WriteFile(Path("Nivara.log"), log);

        Create();
        ASSERT_EQ(Infos().size(), 1u);
        const QString text = Infos()[0].Text;
        EXPECT_TRUE(text.startsWith(QString("Восстановлены данные, не сохранённые при прошлой работе программы: "
                                            "результатов — %1, подписей проб — %2.")
                                        .arg(c.Results)
                                        .arg(c.Labels)))
            << text.toStdString();
        EXPECT_TRUE(text.contains("Журнал восстановления повреждён: записей, которые не удалось прочитать, — 1."));
        const QStringList aside = QDir(Dir.path()).entryList({"Nivara.log.*.recovered"});
        ASSERT_EQ(aside.size(), 1);
        EXPECT_EQ(ReadFile(Path(aside[0])), log);
        EXPECT_TRUE(text.contains(Path(aside[0])));
        EXPECT_EQ(Form->JournalFileName(), Path("day.txt"));
        if (c.Record == 0) {
            EXPECT_EQ(SaveBytes(), day.Expected);
        } else {
            // The lost result's row keeps its label and no values; the
            // next result does not take the label over.
            ASSERT_EQ(RowCount(), 6);
            EXPECT_EQ(Cell(1, 3), "проба 3");
            EXPECT_EQ(Cell(4, 3), ""); // no group number, no values
            EXPECT_EQ(Cell(1, 4), "");
            EXPECT_EQ(Cell(4, 4), "4");
        }
    }
}

// The log cannot be written (the red strip) and the session ends: the
// unsaved journal goes into a file of its own beside the journal, never
// over one that exists, and the next start says where, once.
TEST_F(Recovery, AnEndWhileTheLogFailsWritesTheJournalElsewhere)
{
    WriteFile(Path("logs"), "a file");
    LogFileName = Path("logs/Nivara.log");
    WriteIni("[Config]\r\nFileName=" + Path("day.txt") + "\r\n");
    Create();
    PutResult(1, 3.45);
    TypeLabel(2, "проба 2");
    PutResult(2, 3.50);
    ASSERT_FALSE(Form->JournalLog().Secured());
    const QByteArray expected = SaveBytes();
    Form->FormEndSession();
    Form.reset();

    const QStringList written = QDir(Dir.path()).entryList({"day несохранённый *.txt"});
    ASSERT_EQ(written.size(), 1);
    EXPECT_EQ(ReadFile(Path(written[0])), expected);
    Create();
    ASSERT_EQ(Infos().size(), 1u);
    EXPECT_EQ(Infos()[0].Text, "При прошлом завершении программы результаты не удалось записать в журнал "
                               "восстановления, поэтому журнал со всеми несохранёнными данными записан в файл " +
                                   Path(written[0]) + ".\nОткройте его и сохраните под нужным именем.");
    Form.reset();
    Script->Calls.clear();
    Create();
    EXPECT_TRUE(Infos().empty());
}
