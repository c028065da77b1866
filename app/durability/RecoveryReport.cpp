#include "RecoveryReport.h"

#include "ProgramTexts.h"

#include <QStringList>

QString RecoveryReport(const TJournalLog::TRecovered &Recovered)
{
    QStringList parts;
    if (Recovered.Place != TRecoveryPlace::Nothing)
        parts << MyConsts::sRecovered().arg(Recovered.Results).arg(Recovered.Labels);
    if (Recovered.Place == TRecoveryPlace::AsLogBegan) {
        using TFileWas = TJournalLog::TFileWas;
        const QString was = Recovered.FileWas == TFileWas::Missing ? MyConsts::sJournalFileMissing()
                            : Recovered.FileWas == TFileWas::Unreadable
                                ? MyConsts::sJournalFileUnreadable().arg(Recovered.FileError)
                                : MyConsts::sJournalFileChanged();
        parts << MyConsts::sRecoveredAsLogBegan().arg(Recovered.JournalFileName, was, Recovered.RecoveredAs);
    }
    if (Recovered.Place == TRecoveryPlace::NewJournal)
        parts << MyConsts::sRecoveredIntoNewJournal().arg(Recovered.RecoveredAs);
    if (Recovered.Unplaced > 0)
        parts << MyConsts::sLabelsUnplaced().arg(Recovered.Unplaced);
    if (Recovered.Unreadable > 0)
        parts << MyConsts::sLogRecordsUnreadable().arg(Recovered.Unreadable);
    // The copy is news only when not everything came back as it was.
    const bool plain =
        Recovered.Place == TRecoveryPlace::IntoFile && Recovered.Unplaced == 0 && Recovered.Unreadable == 0;
    if (!plain && !Recovered.LogCopy.isEmpty())
        parts << MyConsts::sLogCopiedAs().arg(Recovered.LogCopy);
    return parts.join(QStringLiteral("\n\n"));
}
