#pragma once

// The result log: every result entered into the journal and every sample
// label typed since the journal last reached its file, appended as
// self-checking records and on disk (fdatasync) before the append returns,
// so that a crash, a power cut or a kill loses nothing the analyzer has had
// acknowledged. The last record torn by a crash is recognised and ignored;
// a record damaged inside the log costs that record only: reading goes on
// at the next intact one and counts what it skipped.
//
// Record: payload length (4 bytes, little-endian), CRC-32 of the payload
// (4 bytes, little-endian), payload. The first record is the header that
// names the journal file the log belongs to, with the stamp that file had
// and the journal's own bytes as they stood when the log started, so that
// recovery can tell by content whether the work reached the file and can
// rebuild the journal when it did not. Qt Core and a thin platform layer
// (ResultLogFile).
//
// The header, each result and a record of its own also carry the window's
// poll state and the last reply it accepted, so that an acknowledgement the
// analyzer never confirmed is still owed after a restart and the same
// analysis, sent again, is recognised instead of entered twice.

#include "FixMeas.h"
#include "ResultLogFile.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <vector>

// What identifies one state of a journal file on disk: a Save replaces the
// file (or rewrites it), which changes its stamp.
struct TJournalFileStamp {
    bool Exists = false;
    qint64 Size = 0;
    qint64 ModifiedNs = 0;
    quint64 Inode = 0;

    static TJournalFileStamp Of(const QString &FileName);
    bool operator==(const TJournalFileStamp &) const = default;
};

// The window's poll state and the bytes of the last reply the poller
// accepted, as the poller needs them back after a restart.
struct TPollSnapshot {
    TFixMeasResult State{};
    QByteArray LastReply;
    bool operator==(const TPollSnapshot &Other) const;
};

struct TResultLogRecord {
    enum class TKind : quint8 { Header = 'H', Result = 'R', Label = 'L', Poll = 'P' };
    TKind Kind = TKind::Result;
    // Result: the entry row it went into, the texts from column 2 on.
    // Label: the row and the label text (Texts[0]).
    // Header: JournalFileName, Stamp and Base.
    // Poll: only Poll (a reply accepted but not entered, or the analyzer's
    // confirmation of an acknowledgement).
    int Row = 0;
    QStringList Texts;
    QString JournalFileName;
    TJournalFileStamp Stamp;
    // The journal when the log began, as its file's bytes; logs of earlier
    // versions (and journals too large to copy) go without.
    std::optional<QByteArray> Base;
    // The poll state from this record on; Header and Result may go without.
    std::optional<TPollSnapshot> Poll;

    static TResultLogRecord Header(const QString &JournalFileName, const TJournalFileStamp &Stamp,
                                   std::optional<QByteArray> Base = std::nullopt);
    static TResultLogRecord Result(int Row, const QStringList &Texts);
    static TResultLogRecord Label(int Row, const QString &Text);
    static TResultLogRecord PollState(const TPollSnapshot &Poll);
    bool operator==(const TResultLogRecord &) const = default;
};

// One record as it stands in the file.
QByteArray EncodeResultLogRecord(const TResultLogRecord &Record);

struct TResultLogContents {
    bool HasHeader = false;
    QString JournalFileName;
    TJournalFileStamp Stamp;
    std::optional<QByteArray> Base;
    // The poll state of the last record that carried one.
    std::optional<TPollSnapshot> Poll;
    // Results and label changes, in the order they happened.
    std::vector<TResultLogRecord> Records;
    // Damaged records skipped inside the log (not the torn last one).
    int Unreadable = 0;
    // The end of the last intact record; what follows it is torn.
    qint64 ValidLength = 0;
    qint64 FileLength = 0;

    int Results() const;
    int Labels() const;
};

// A missing file gives empty contents. A file that exists but cannot be read
// throws std::runtime_error (UTF-8 text).
TResultLogContents ReadResultLog(const QString &FileName);
TResultLogContents ParseResultLog(const QByteArray &Bytes);

class TResultLog {
public:
    explicit TResultLog(QString FileName);
    ~TResultLog();
    TResultLog(const TResultLog &) = delete;
    TResultLog &operator=(const TResultLog &) = delete;

    const QString &FileName() const { return FFileName; }

    // Starts the log afresh for the named journal file as it stands on disk
    // now, holding Base (the journal's bytes), with the poll state as it
    // stands and the work not in that file yet, in one write that replaces
    // the old log whole (in place only where it cannot). Returns whether
    // that reached the disk.
    bool Restart(const QString &JournalFileName, const std::optional<QByteArray> &Base,
                 const std::optional<TPollSnapshot> &Poll = std::nullopt,
                 const std::vector<TResultLogRecord> &Work = {});
    // Goes on with a log read at start-up: its torn tail is cut before the
    // next record is written.
    void Continue(const TResultLogContents &Contents);
    // Appends a record and makes it durable. When that fails, the record is
    // kept and written, with every other record still owed, before the next
    // one; returns false until the log works again.
    bool Append(const TResultLogRecord &Record);
    // Whether every record so far is on disk.
    bool Secured() const { return FPending.isEmpty(); }
    // Leaves the file exactly as it is (it holds work that could not be
    // moved away yet): until Release, records are only kept, not secured,
    // with Cause as the reason, and nothing is written, not even by Restart.
    void Hold(const QString &Cause);
    void Release() { FHeld = false; }
    bool Held() const { return FHeld; }
    // The cause of the last failure, from the system (in its language).
    const QString &LastError() const { return FLastError; }

private:
    bool Flush();
    void Close();

    QString FFileName;
    TResultLogFile FFile;
    qint64 FGoodLength = 0; // bytes on disk known to be whole records
    bool FCutTail = false;  // the file may hold bytes behind FGoodLength
    QByteArray FPending;    // records not yet on disk
    QString FLastError;
    bool FHeld = false;
};
