#include "JournalLog.h"

#include "ResultEntry.h"

#include "DurableFile.h"
#include "JournalDocument.h"
#include "JournalFile.h"
#include "ProgramTexts.h"

#include <QBuffer>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>

#include <stdexcept>
#include <string>

TJournalLog::TJournalLog(JournalDocument &Journal, const QString &LogFileName, QObject *Parent)
    : QObject(Parent), FJournal(Journal), FLog(LogFileName)
{
    connect(&FJournal.Model(), &JournalModel::LabelEdited, this,
            [this](int Row, const QString &Text) { Append(TResultLogRecord::Label(Row, Text)); });
}

namespace {

QByteArray JournalBytes(const JournalRows &Rows)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    WriteJournal(Rows, buffer);
    return buffer.data();
}

// The journal file as it is now; its bytes as the journal writes them, so
// that they compare with the log's.
TJournalFileNow ReadFileNow(const QString &FileName)
{
    TJournalFileNow now;
    if (!QFileInfo::exists(FileName))
        return now;
    try {
        now.Bytes = JournalBytes(ReadJournalFile(FileName));
        now.State = TJournalFileNow::TState::Readable;
    } catch (const std::exception &error) {
        now.State = TJournalFileNow::TState::Unreadable;
        now.Error = QString::fromUtf8(error.what());
    }
    return now;
}

} // namespace

std::optional<TJournalLog::TRecovered> TJournalLog::Recover()
{
    TResultLogContents contents;
    try {
        contents = ReadResultLog(FLog.FileName());
    } catch (const std::exception &error) {
        const QString aside = SetAside();
        throw std::runtime_error(
            MyConsts::sLogUnreadable().arg(FLog.FileName(), QString::fromUtf8(error.what()), aside).toStdString());
    }
    // Even when there is nothing to recover, the poller's state is: an
    // acknowledgement may still be owed for what was saved.
    if (contents.Poll)
        FPoll = contents.Poll;
    if (contents.Records.empty() && contents.Unreadable == 0)
        return std::nullopt;

    const QString fileName = contents.HasHeader ? contents.JournalFileName : FJournal.JournalFileName();
    const TJournalFileNow file = ReadFileNow(fileName);
    TRecoveryPlan plan = PlanRecovery(contents, file, FJournal.JournalFileName());
    if (plan.Place == TRecoveryPlace::Nothing && contents.Unreadable == 0)
        return std::nullopt;

    TRecovered recovered;
    recovered.Place = plan.Place;
    recovered.Results = plan.Results;
    recovered.Labels = plan.Labels;
    recovered.Unplaced = plan.Unplaced;
    recovered.Unreadable = contents.Unreadable;
    recovered.JournalFileName = plan.JournalFileName;
    if (file.State == TJournalFileNow::TState::Missing)
        recovered.FileWas = TFileWas::Missing;
    else if (file.State == TJournalFileNow::TState::Unreadable)
        recovered.FileWas = TFileWas::Unreadable;
    else if (plan.Place != TRecoveryPlace::IntoFile)
        recovered.FileWas = TFileWas::Changed;
    recovered.FileError = file.Error;
    // Before anything is written: whatever this start makes of the log,
    // the log itself stays as it was.
    recovered.LogCopy = CopyAside();

    switch (plan.Place) {
    case TRecoveryPlace::Nothing: StartAfresh(); break;
    case TRecoveryPlace::IntoFile: {
        FJournal.Model().ReplaceRows(std::move(plan.Rows));
        FJournal.Model().SetUndecoded(std::move(plan.Undecoded));
        FJournal.SetJournalFileName(plan.JournalFileName);
        FJournal.ShowJournalTitle(plan.JournalFileName);
        FJournal.SetJournalModified(true);
        // The file as it is, and the work that is not in it yet.
        Restart(file.Bytes, WorkSince(ParseJournal(QByteArray(file.Bytes)), FJournal.Model()));
        break;
    }
    case TRecoveryPlace::AsLogBegan:
    case TRecoveryPlace::NewJournal: {
        // A new name beside the file, never the file itself: it holds
        // something else now, or went where the operator put it. A folder
        // that is gone gives the name in the journals' own folder.
        const bool folderThere = QFileInfo(QFileInfo(plan.JournalFileName).absolutePath()).isDir();
        FJournal.SetJournalFileName(folderThere ? plan.JournalFileName : QString());
        FJournal.NewJournal();
        FJournal.Model().ReplaceRows(std::move(plan.Rows));
        FJournal.Model().SetUndecoded(std::move(plan.Undecoded));
        FJournal.SetJournalModified(true);
        // The new name has no file yet: all of it is work.
        Restart(QByteArray(), WorkSince(ParseJournal(QByteArray()), FJournal.Model()));
        break;
    }
    }
    recovered.RecoveredAs = FJournal.JournalFileName();
    return recovered;
}

QString TJournalLog::AsideName(const QString &Suffix) const
{
    // A name of its own each time: an earlier log set aside is kept too.
    const QString base = FLog.FileName() + QStringLiteral(".") +
                         QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss"));
    QString aside = base + Suffix;
    for (int n = 2; QFile::exists(aside); ++n)
        aside = base + QStringLiteral("-%1").arg(n) + Suffix;
    return aside;
}

QString TJournalLog::SetAside()
{
    const QString aside = AsideName(QStringLiteral(".unrecovered"));
    if (QFile::rename(FLog.FileName(), aside) || QFile::copy(FLog.FileName(), aside)) {
        FLog.Release();
        return aside;
    }
    // Neither moved nor copied (a folder closed for writing): a new log
    // there would be written over the only copy of that work.
    FLog.Hold(MyConsts::sLogNotSetAside());
    return FLog.FileName();
}

QString TJournalLog::CopyAside()
{
    const QString copy = AsideName(QStringLiteral(".recovered"));
    QFile source(FLog.FileName());
    try {
        if (!source.open(QIODevice::ReadOnly))
            throw std::runtime_error("unreadable");
        const QByteArray bytes = source.readAll();
        if (source.error() != QFileDevice::NoError)
            throw std::runtime_error("unreadable");
        // On the disk before the log is written over.
        DurableFile::WriteFile(copy, [&bytes](const DurableFile::TWrite &Write) { Write(bytes); });
        return copy;
    } catch (const std::exception &) {
        FLog.Hold(MyConsts::sLogNotSetAside());
        return {};
    }
}

void TJournalLog::SetAsideIfHeld()
{
    if (FLog.Held())
        SetAside();
}

void TJournalLog::StartAfresh()
{
    Restart(JournalBytes(FJournal.Model().Rows()), {});
}

void TJournalLog::Restart(const QByteArray &Base, const std::vector<TResultLogRecord> &Work)
{
    const bool wasSecured = FLog.Secured();
    SetAsideIfHeld();
    FLog.Restart(FJournal.JournalFileName(), Base, FPoll, Work);
    Report(wasSecured);
}

void TJournalLog::EnterResult(const QStringList &TextsFromColumn2, const TPollSnapshot &Poll)
{
    const int row = FJournal.Model().EntryRow();
    // Into the journal first: a log that cannot be written costs no result.
    FJournal.EnterResult(TextsFromColumn2, UndecodedColumns(Poll.LastReply, Poll.State.ValueCount));
    TResultLogRecord record = TResultLogRecord::Result(row, TextsFromColumn2);
    record.Poll = FPoll = Poll;
    Append(record);
}

void TJournalLog::NotePoll(const TPollSnapshot &Poll)
{
    if (FPoll == Poll)
        return;
    FPoll = Poll;
    Append(TResultLogRecord::PollState(Poll));
}

void TJournalLog::Append(const TResultLogRecord &Record)
{
    const bool wasSecured = FLog.Secured();
    SetAsideIfHeld();
    FLog.Append(Record);
    Report(wasSecured);
}

void TJournalLog::Report(bool WasSecured)
{
    if (FLog.Secured() != WasSecured || !FLog.Secured())
        emit SecuredChanged(FLog.Secured(), FLog.LastError());
}
