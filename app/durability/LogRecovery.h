#pragma once

// What start-up recovery makes of a result log: where the work it holds
// goes, decided by content, never by the journal file's identity (a touch,
// a copy, a move or a file system without inode numbers changes that, not
// the rows). Work that is provably in the file already is let go; work that
// fits the file as it now is goes on in it; anything else comes back in the
// journal as it was when the log began, or, where that is not known, in a
// journal of its own, so that nothing the log holds is thrown away. Pure:
// the caller reads the files and applies the plan.

#include "JournalModel.h"
#include "JournalRows.h"
#include "ResultLog.h"

#include <QString>

#include <vector>

class JournalModel;

// The journal file the log names, as it is on disk now.
struct TJournalFileNow {
    enum class TState { Missing, Readable, Unreadable };
    TState State = TState::Missing;
    QByteArray Bytes; // Readable: its bytes
    QString Error;    // Unreadable: why
};

enum class TRecoveryPlace {
    // Nothing logged, or all of it in the file already.
    Nothing,
    // The file is as the log began: the work goes on in it, under its name.
    IntoFile,
    // The file changed, went away or cannot be read: the journal as it was
    // when the log began, with the work, under a new name.
    AsLogBegan,
    // What the journal was is not known (a log of an earlier version or a
    // lost header) and the work does not fit the file: the logged results
    // alone, in a new journal.
    NewJournal,
};

struct TRecoveryPlan {
    TRecoveryPlace Place = TRecoveryPlace::Nothing;
    // The journal file the log belongs to (the fallback when its header is lost).
    QString JournalFileName;
    // The journal to work on (not for Nothing).
    JournalRows Rows;
    int Results = 0;
    int Labels = 0;
    // Labels for rows that are in neither the file nor the logged results.
    int Unplaced = 0;
    // Values of the results put back that did not decode, by row of Rows
    // (from the replies the log kept with them).
    JournalModel::TUndecoded Undecoded;
};

// FallbackJournalFileName names the journal a log without its header is
// tried against (the one the settings name).
TRecoveryPlan PlanRecovery(const TResultLogContents &Log, const TJournalFileNow &File,
                           const QString &FallbackJournalFileName);

// The records that bring Base to the journal in Model: labels that differ
// and the rows behind Base's last journal row. A log that starts from Base
// with them describes the same work. Model is Base with results appended
// and labels changed, as recovery leaves it.
std::vector<TResultLogRecord> WorkSince(const JournalRows &Base, const JournalModel &Model);
