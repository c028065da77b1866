#include "LogRecovery.h"

#include "JournalFile.h"
#include "JournalModel.h"
#include "ResultEntry.h"

#include <algorithm>
#include <climits>
#include <map>

namespace {

using TKind = TResultLogRecord::TKind;

JournalRows RowsOf(const QByteArray &Bytes)
{
    return ParseJournal(QByteArray(Bytes)); // parses in place: a copy of its own
}

bool IsEmptyRow(const JournalRows &Rows, qsizetype I)
{
    const JournalRows::Fields fields = Rows.AllFields(I);
    return std::all_of(fields.begin(), fields.end(), [](QByteArrayView f) { return f.isEmpty(); });
}

// Every row of Work stands in File at the same place; rows File lacks are
// empty in Work (the entry row a file without one gets on reading).
bool Holds(const JournalRows &File, const JournalRows &Work)
{
    for (qsizetype i = 0; i < Work.Count(); ++i) {
        if (i < File.Count() ? File.AllFields(i) != Work.AllFields(i) : !IsEmptyRow(Work, i))
            return false;
    }
    return true;
}

bool SameRows(const JournalRows &A, const JournalRows &B)
{
    return Holds(A, B) && Holds(B, A);
}

struct TReplay {
    int Results = 0;
    int Labels = 0;
    int Unplaced = 0;
    // Some record landed on another row than it names.
    bool Moved = false;
};

// Enters the logged work into Model in order, as the window did. Results
// go into the entry row whatever row they name, so that a damaged record
// skipped leaves no hole; a label goes to the row its record names, as far
// as that row is known. BaseEntryRow is the entry row of the journal the
// log began with, 0 when that is not known.
TReplay Replay(JournalModel &Model, const std::vector<TResultLogRecord> &Records, int BaseEntryRow)
{
    TReplay replay;
    const int modelBaseEntry = Model.EntryRow();
    int loggedEntry = BaseEntryRow;
    if (loggedEntry == 0) {
        // Not known: the first result's row, or, with labels alone, the
        // journal in Model.
        loggedEntry = modelBaseEntry;
        for (const TResultLogRecord &record : Records) {
            if (record.Kind == TKind::Result) {
                loggedEntry = record.Row;
                break;
            }
        }
    }
    // Logged rows below this belong to the journal the work started from.
    const int baseLimit = loggedEntry;
    std::map<int, int> placed; // logged row -> row in Model
    for (const TResultLogRecord &record : Records) {
        if (record.Kind == TKind::Result) {
            // A result lost to damage had its label typed already: that row
            // keeps the label, without values, rather than pass it on to
            // the next result.
            if (record.Row > loggedEntry && !Model.Cell(JournalModel::LabelColumn, Model.EntryRow()).isEmpty())
                Model.AppendEntryRow();
            const int row = Model.EntryRow();
            replay.Moved = replay.Moved || record.Row != row;
            // The reply logged with the result tells which values did not decode.
            const quint32 undecoded =
                record.Poll ? UndecodedColumns(record.Poll->LastReply, record.Poll->State.ValueCount) : 0;
            Model.WriteEntryCells(2, record.Texts, undecoded);
            Model.AppendEntryRow();
            placed[record.Row] = row;
            loggedEntry = record.Row + 1;
            // A row kept for a label alone, logged again, is no result.
            replay.Results += std::any_of(record.Texts.begin(), record.Texts.end(),
                                          [](const QString &Text) { return !Text.isEmpty(); });
            continue;
        }
        if (record.Kind != TKind::Label)
            continue;
        int row = 0;
        if (const auto at = placed.find(record.Row); at != placed.end())
            row = at->second;
        else if (record.Row == loggedEntry)
            row = Model.EntryRow();
        else if (record.Row >= 1 && record.Row < baseLimit && record.Row < modelBaseEntry)
            row = record.Row;
        if (row == 0) {
            ++replay.Unplaced;
            replay.Moved = true;
            continue;
        }
        replay.Moved = replay.Moved || row != record.Row;
        Model.SetCell(JournalModel::LabelColumn, row, record.Texts.value(0));
        ++replay.Labels;
    }
    return replay;
}

// For a log that does not know its journal's beginning: whether every
// logged result and label already stands in the file at the row it names.
bool AlreadyInFile(const JournalRows &FileRows, const QByteArray &FileBytes,
                   const std::vector<TResultLogRecord> &Records)
{
    JournalModel model({});
    model.ReplaceRows(RowsOf(FileBytes));
    for (const TResultLogRecord &record : Records) {
        // The entry row has no result yet: a result logged for it is not in the file.
        if (record.Kind == TKind::Result && (record.Row < 1 || record.Row >= model.EntryRow()))
            return false;
        if (record.Kind == TKind::Label && (record.Row < 1 || record.Row > model.EntryRow()))
            return false;
        if (record.Kind == TKind::Result) {
            for (int i = 0; i < record.Texts.size(); ++i)
                model.SetCell(2 + i, record.Row, record.Texts[i]);
        } else if (record.Kind == TKind::Label) {
            model.SetCell(JournalModel::LabelColumn, record.Row, record.Texts.value(0));
        }
    }
    return SameRows(model.Rows(), FileRows);
}

void Take(TRecoveryPlan &Plan, TRecoveryPlace Place, JournalModel &Model, const TReplay &Replay)
{
    Plan.Place = Place;
    Plan.Rows = Model.SnapshotRows();
    Plan.Undecoded = Model.Undecoded();
    Plan.Results = Replay.Results;
    Plan.Labels = Replay.Labels;
    Plan.Unplaced = Replay.Unplaced;
}

} // namespace

TRecoveryPlan PlanRecovery(const TResultLogContents &Log, const TJournalFileNow &File,
                           const QString &FallbackJournalFileName)
{
    TRecoveryPlan plan;
    plan.JournalFileName = Log.HasHeader ? Log.JournalFileName : FallbackJournalFileName;
    if (Log.Records.empty())
        return plan;
    const bool readable = File.State != TJournalFileNow::TState::Unreadable;
    // A file that does not exist is the empty journal, as Open reads it.
    const QByteArray fileBytes = File.State == TJournalFileNow::TState::Readable ? File.Bytes : QByteArray();
    const JournalRows fileRows = RowsOf(fileBytes);

    if (Log.Base) {
        JournalModel work({});
        work.ReplaceRows(RowsOf(*Log.Base));
        const TReplay replay = Replay(work, Log.Records, work.EntryRow());
        if (readable && Holds(fileRows, work.Rows()))
            return plan;
        const bool fileAsBegan = readable && SameRows(fileRows, RowsOf(*Log.Base));
        Take(plan, fileAsBegan ? TRecoveryPlace::IntoFile : TRecoveryPlace::AsLogBegan, work, replay);
        return plan;
    }
    if (readable) {
        if (AlreadyInFile(fileRows, fileBytes, Log.Records))
            return plan;
        JournalModel inFile({});
        inFile.ReplaceRows(RowsOf(fileBytes));
        const TReplay replay = Replay(inFile, Log.Records, 0);
        if (!replay.Moved && replay.Unplaced == 0) {
            Take(plan, TRecoveryPlace::IntoFile, inFile, replay);
            return plan;
        }
    }
    JournalModel alone({});
    const TReplay replay = Replay(alone, Log.Records, 0);
    Take(plan, TRecoveryPlace::NewJournal, alone, replay);
    return plan;
}

std::vector<TResultLogRecord> WorkSince(const JournalRows &Base, const JournalModel &Model)
{
    std::vector<TResultLogRecord> work;
    const JournalRows &rows = Model.Rows();
    const int baseEntry = int(std::max<qsizetype>(Base.Count(), 1));
    for (int row = 1; row <= Model.EntryRow(); ++row) {
        const qsizetype i = row - 1;
        const QByteArrayView baseLabel = i < Base.Count() ? Base.Field(i, 1) : QByteArrayView();
        if (rows.Field(i, 1) != baseLabel)
            work.push_back(TResultLogRecord::Label(row, Model.Cell(JournalModel::LabelColumn, row)));
        if (row < baseEntry || row == Model.EntryRow())
            continue;
        QStringList texts;
        for (int col = 2; col < JournalModel::ColCount; ++col)
            texts.push_back(Model.Cell(col, row));
        while (!texts.isEmpty() && texts.back().isEmpty())
            texts.pop_back();
        work.push_back(TResultLogRecord::Result(row, texts));
    }
    return work;
}
