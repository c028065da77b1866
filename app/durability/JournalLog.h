#pragma once

// The journal's result log (ResultLog) kept in step with the journal: each
// result entered and each label the operator changes is on disk before the
// call returns; the log starts afresh whenever the journal reaches its file
// or is replaced; and at start-up the work a crash left only in the log is
// put back: into the journal it names where that file is as the log began,
// otherwise into the journal as it was then, under a new name (see
// LogRecovery). A log with work in it is copied aside before anything is
// written over it. The window's poll state goes with
// each result and each change of it, and with every fresh log, so that it is
// restored after a crash as exactly as it carries over between polling runs.

#include "LogRecovery.h"
#include "ResultLog.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <optional>

class JournalDocument;

class TJournalLog : public QObject {
    Q_OBJECT
public:
    TJournalLog(JournalDocument &Journal, const QString &LogFileName, QObject *Parent = nullptr);

    const QString &FileName() const { return FLog.FileName(); }

    // Why the journal file the log names did not take the work back.
    enum class TFileWas { AsLogBegan, Missing, Changed, Unreadable };
    struct TRecovered {
        TRecoveryPlace Place = TRecoveryPlace::Nothing;
        int Results = 0;
        int Labels = 0;
        int Unplaced = 0;        // labels with no row to go to
        int Unreadable = 0;      // damaged records skipped
        QString JournalFileName; // the file the log belongs to
        TFileWas FileWas = TFileWas::AsLogBegan;
        QString FileError;   // Unreadable: the cause
        QString RecoveredAs; // the journal's name now
        QString LogCopy;     // the log as it was, or empty if no copy could be made
    };
    // At start-up, once the journal the settings name has been read. When
    // the log holds work that is not provably in the journal file, or is
    // damaged, copies the log aside, puts the work back into the journal as
    // the plan says (LogRecovery), marks it modified, starts the log afresh
    // with that work in it and returns what it did. Otherwise (no log,
    // nothing in it, or all of it saved) returns nothing; StartAfresh then
    // replaces the log. A log that cannot be read at all is set aside under
    // another name (never lost) and the error thrown. Whatever it recovers,
    // the poll state the log holds is kept (see Poll).
    std::optional<TRecovered> Recover();

    // The poll state last logged or read back by Recover; nothing when the
    // log never had one.
    const std::optional<TPollSnapshot> &Poll() const { return FPoll; }

    // The journal has reached its file, or has been replaced: a new log for
    // it, as it is now.
    void StartAfresh();

    // Enters a result into the journal's entry row and logs it with the
    // poll state that came with it.
    void EnterResult(const QStringList &TextsFromColumn2, const TPollSnapshot &Poll);
    // Logs a change of the poll state that enters nothing (a reply not
    // entered, the analyzer's confirmation of an acknowledgement); one
    // that changes nothing is not written again.
    void NotePoll(const TPollSnapshot &Poll);

    // Whether everything entered so far is on disk in the log.
    bool Secured() const { return FLog.Secured(); }
    // The cause of the last failure to write the log.
    const QString &LastError() const { return FLog.LastError(); }

signals:
    // Changes of Secured; Cause is the system's reason when not secured.
    void SecuredChanged(bool Secured, const QString &Cause);

private:
    void Append(const TResultLogRecord &Record);
    void Report(bool WasSecured);
    // Restarts the log for the journal's name from Base with Work behind it.
    void Restart(const QByteArray &Base, const std::vector<TResultLogRecord> &Work);
    // A name beside the log that nothing has yet, ending in Suffix.
    QString AsideName(const QString &Suffix) const;
    // Moves the log away under a name of its own and returns that name; when
    // it can be neither moved nor copied, holds it as it is (see
    // TResultLog::Hold) and returns its own name.
    QString SetAside();
    // Copies the log, on disk, under a name of its own and returns that
    // name; when it cannot, holds it as it is and returns nothing.
    QString CopyAside();
    // A held log is moved away as soon as that works.
    void SetAsideIfHeld();

    JournalDocument &FJournal;
    TResultLog FLog;
    std::optional<TPollSnapshot> FPoll;
};
