// Where recovery puts a log's work, for each state the journal file can be
// in, and for logs that know the journal they began with and logs that do
// not (an earlier version's, or one whose header was damaged).

#include "LogRecovery.h"
#include "JournalFile.h"
#include "JournalModel.h"

#include <QBuffer>

#include <gtest/gtest.h>

namespace {

using TState = TJournalFileNow::TState;

const QByteArray kSaved = "утро\t14.03.2023\t08:00:00\t1\t20,00\r\n\t\r\n";

QByteArray Bytes(const JournalRows &Rows)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    WriteJournal(Rows, buffer);
    return buffer.data();
}

// The saved journal with the work below entered, as the window enters it.
QByteArray SavedWithWork()
{
    JournalModel model({});
    model.ReplaceRows(ParseJournal(QByteArray(kSaved)));
    model.SetCell(1, 2, "проба 2");
    model.WriteEntryCells(2, {"14.03.2023", "09:00:00", "2", "20,10"});
    model.AppendEntryRow();
    model.SetCell(1, 1, "утро, исправлено");
    return Bytes(model.Rows());
}

const std::vector<TResultLogRecord> kWork = {
    TResultLogRecord::Label(2, "проба 2"),
    TResultLogRecord::Result(2, {"14.03.2023", "09:00:00", "2", "20,10"}),
    TResultLogRecord::Label(1, "утро, исправлено"),
};

TResultLogContents Log(bool KnowsBase, std::vector<TResultLogRecord> Records = kWork)
{
    TResultLogContents log;
    log.HasHeader = true;
    log.JournalFileName = "day.txt";
    if (KnowsBase)
        log.Base = Bytes(ParseJournal(QByteArray(kSaved)));
    log.Records = std::move(Records);
    return log;
}

TJournalFileNow File(TState State, const QByteArray &Content = {})
{
    return {State, Bytes(ParseJournal(QByteArray(Content))), State == TState::Unreadable ? "нет доступа" : ""};
}

} // namespace

TEST(LogRecovery, ThePlaceFollowsTheFilesRows)
{
    struct TCase {
        const char *Name;
        bool KnowsBase;
        TJournalFileNow File;
        TRecoveryPlace Place;
    };
    const TCase cases[] = {
        {"as saved", true, File(TState::Readable, kSaved), TRecoveryPlace::IntoFile},
        {"as saved, earlier log", false, File(TState::Readable, kSaved), TRecoveryPlace::IntoFile},
        {"saved with the work", true, File(TState::Readable, SavedWithWork()), TRecoveryPlace::Nothing},
        {"saved with the work, earlier log", false, File(TState::Readable, SavedWithWork()), TRecoveryPlace::Nothing},
        {"saved with more behind it", true, File(TState::Readable, SavedWithWork() + "x\ty\r\n"),
         TRecoveryPlace::Nothing},
        {"gone", true, File(TState::Missing), TRecoveryPlace::AsLogBegan},
        {"unreadable", true, File(TState::Unreadable), TRecoveryPlace::AsLogBegan},
        {"changed", true, File(TState::Readable, "другое\t\r\n"), TRecoveryPlace::AsLogBegan},
        {"changed, earlier log", false, File(TState::Readable, "другое\t\r\n"), TRecoveryPlace::NewJournal},
        {"gone, earlier log", false, File(TState::Missing), TRecoveryPlace::NewJournal},
    };
    for (const TCase &c : cases) {
        SCOPED_TRACE(c.Name);
        const TRecoveryPlan plan = PlanRecovery(Log(c.KnowsBase), c.File, "fallback.txt");
        EXPECT_EQ(plan.Place, c.Place);
        EXPECT_EQ(plan.JournalFileName, "day.txt");
        if (c.Place == TRecoveryPlace::IntoFile || c.Place == TRecoveryPlace::AsLogBegan) {
            // The whole journal, as a Save at the crash would have written it.
            EXPECT_EQ(Bytes(plan.Rows), SavedWithWork());
            EXPECT_EQ(plan.Results, 1);
            EXPECT_EQ(plan.Labels, 2);
            EXPECT_EQ(plan.Unplaced, 0);
        }
        if (c.Place == TRecoveryPlace::NewJournal) {
            // The result and its label; the saved row's label has no row.
            JournalModel journal({});
            journal.ReplaceRows(ParseJournal(Bytes(plan.Rows)));
            ASSERT_EQ(journal.RowCount(), 3);
            EXPECT_EQ(journal.Cell(1, 1), "проба 2");
            EXPECT_EQ(journal.Cell(5, 1), "20,10");
            EXPECT_EQ(plan.Results, 1);
            EXPECT_EQ(plan.Labels, 1);
            EXPECT_EQ(plan.Unplaced, 1);
        }
    }
    // Nothing logged: nothing to do, whatever the file.
    EXPECT_EQ(PlanRecovery(Log(true, {}), File(TState::Missing), {}).Place, TRecoveryPlace::Nothing);
    // No header: the journal the settings name is tried.
    TResultLogContents headless = Log(false);
    headless.HasHeader = false;
    const TRecoveryPlan plan = PlanRecovery(headless, File(TState::Readable, kSaved), "fallback.txt");
    EXPECT_EQ(plan.Place, TRecoveryPlace::IntoFile);
    EXPECT_EQ(plan.JournalFileName, "fallback.txt");
}

// A log restarted from a base with the work since it describes the same
// journal: recovered again, it gives the same rows.
TEST(LogRecovery, WorkSinceDescribesTheSameJournal)
{
    JournalModel model({});
    model.ReplaceRows(ParseJournal(QByteArray(SavedWithWork())));
    model.SetCell(1, 3, "на входе"); // a label typed on the entry row
    const JournalRows base = ParseJournal(QByteArray(kSaved));
    for (const QByteArray &from : {Bytes(base), QByteArray()}) {
        TResultLogContents log;
        log.HasHeader = true;
        log.JournalFileName = "day.txt";
        log.Base = from;
        log.Records = WorkSince(ParseJournal(QByteArray(from)), model);
        const TRecoveryPlan plan = PlanRecovery(log, File(TState::Readable, from), {});
        ASSERT_EQ(plan.Place, TRecoveryPlace::IntoFile);
        EXPECT_EQ(Bytes(plan.Rows), Bytes(model.Rows()));
    }
}
