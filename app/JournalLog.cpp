#include "JournalLog.h"

#include "JournalDocument.h"
#include "MyConsts.h"

#include <QDateTime>
#include <QFile>

#include <stdexcept>
#include <string>

TJournalLog::TJournalLog(JournalDocument &Journal, const QString &LogFileName, QObject *Parent)
    : QObject(Parent), FJournal(Journal), FLog(LogFileName)
{
    connect(&FJournal.Model(), &JournalModel::LabelEdited, this,
            [this](int Row, const QString &Text) { Append(TResultLogRecord::Label(Row, Text)); });
}

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
    if (!contents.HasHeader || contents.Records.empty())
        return std::nullopt;
    // Saved after the log began: the file holds all of it already.
    if (TJournalFileStamp::Of(contents.JournalFileName) != contents.Stamp)
        return std::nullopt;

    try {
        FJournal.LoadJournal(contents.JournalFileName);
        JournalModel &model = FJournal.Model();
        for (const TResultLogRecord &record : contents.Records) {
            const bool fits = record.Kind == TResultLogRecord::TKind::Result
                                  ? record.Row == model.EntryRow()
                                  : record.Row >= 1 && record.Row <= model.EntryRow();
            if (!fits)
                throw std::runtime_error("строка " + std::to_string(record.Row) + " не подходит к журналу");
            if (record.Kind == TResultLogRecord::TKind::Result)
                FJournal.EnterResult(record.Texts);
            else
                model.SetCell(JournalModel::LabelColumn, record.Row, record.Texts.value(0));
        }
    } catch (const std::exception &error) {
        FJournal.Model().Reset();
        FJournal.SetJournalModified(false);
        const QString aside = SetAside();
        throw std::runtime_error(MyConsts::sLogDoesNotFit()
                                     .arg(contents.JournalFileName, QString::fromUtf8(error.what()), aside)
                                     .toStdString());
    }
    FJournal.SetJournalFileName(contents.JournalFileName);
    FJournal.SetJournalModified(true);
    FLog.Continue(contents);
    return TRecovered{contents.Results(), contents.Labels()};
}

QString TJournalLog::SetAside()
{
    // A name of its own each time: an earlier log set aside is kept too.
    const QString base = FLog.FileName() + QStringLiteral(".") +
                         QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss"));
    QString aside = base + QStringLiteral(".unrecovered");
    for (int n = 2; QFile::exists(aside); ++n)
        aside = base + QStringLiteral("-%1.unrecovered").arg(n);
    if (QFile::rename(FLog.FileName(), aside) || QFile::copy(FLog.FileName(), aside)) {
        FLog.Release();
        return aside;
    }
    // Neither moved nor copied (a folder closed for writing): a new log
    // there would be written over the only copy of that work.
    FLog.Hold(MyConsts::sLogNotSetAside());
    return FLog.FileName();
}

void TJournalLog::SetAsideIfHeld()
{
    if (FLog.Held())
        SetAside();
}

void TJournalLog::StartAfresh()
{
    const bool wasSecured = FLog.Secured();
    SetAsideIfHeld();
    FLog.Restart(FJournal.JournalFileName(), FPoll);
    Report(wasSecured);
}

void TJournalLog::EnterResult(const QStringList &TextsFromColumn2, const TPollSnapshot &Poll)
{
    const int row = FJournal.Model().EntryRow();
    // Into the journal first: a log that cannot be written costs no result.
    FJournal.EnterResult(TextsFromColumn2);
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
