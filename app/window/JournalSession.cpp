#include "JournalSession.h"

#include "AppError.h"
#include "EmergencyJournal.h"
#include "JournalLog.h"
#include "ProgramTexts.h"
#include "RecoveryReport.h"
#include "SettingsMessages.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

TJournalSession::TJournalSession(IFormDialogs &Dialogs, QWidget *Parent, std::function<void()> CommitEditor,
                                 std::function<QString()> IniFileName)
    : FDialogs(Dialogs)
    , FParent(Parent)
    , FCommitEditor(std::move(CommitEditor))
    , FIniFileName(std::move(IniFileName))
    , FJournal(MyConsts::sJournalTexts())
    , FNotJournal(Dialogs)
{
}

TJournalSession::~TJournalSession() = default;

// ---- Start-up ---------------------------------------------------------------

void TJournalSession::LoadRemembered()
{
    try {
        FJournal.LoadJournal(FJournal.JournalFileName());
    } catch (...) {
        // The remembered journal exists but could not be read: work on
        // under a fresh name, so that a later Save cannot write over it,
        // but go on naming it in the settings (see RememberedFileName).
        FUnreadJournalFileName = FJournal.JournalFileName();
        FJournal.NewJournal();
        throw;
    }
}

std::optional<TPollSnapshot> TJournalSession::RecoverOrStartLog(const QString &LogFileName,
                                                                std::function<void(bool, const QString &)> OnSecured)
{
    FLogFileName = LogFileName;
    FLog = std::make_unique<TJournalLog>(FJournal, FLogFileName);
    QObject::connect(FLog.get(), &TJournalLog::SecuredChanged, FLog.get(), std::move(OnSecured));
    // Work a crash left only in the log wins over the journal read before.
    std::optional<TJournalLog::TRecovered> recovered;
    const bool read = RunReportingErrors([&] { recovered = FLog->Recover(); });
    if (!read || !recovered) {
        FLog->StartAfresh();
    } else {
        // The recovered journal is the one being worked on now, whatever
        // start-up could not read before.
        if (recovered->Place != TRecoveryPlace::Nothing)
            FUnreadJournalFileName.clear();
        FDialogs.ShowInformation(FParent, RecoveryReport(*recovered), MyConsts::sRecoveryCaption());
    }
    ReportEmergencyJournals();
    return FLog->Poll();
}

// ---- Results ------------------------------------------------------------------

void TJournalSession::EnterResult(const QStringList &TextsFromColumn2, const TPollSnapshot &Poll)
{
    FLog->EnterResult(TextsFromColumn2, Poll);
    ++FResultsEntered;
}

void TJournalSession::NotePoll(const TPollSnapshot &Poll)
{
    FLog->NotePoll(Poll);
}

// ---- Transitions ----------------------------------------------------------------

bool TJournalSession::AskToSaveChanges()
{
    FCommitEditor();
    if (!FJournal.JournalModified())
        return true;
    switch (FDialogs.AskSaveOnClose(FParent, MyConsts::sSaveQuestion(), MyConsts::sDataChanged())) {
    case TSaveAnswer::Cancel: return false;
    case TSaveAnswer::Yes:
        Save(); // an error keeps the window open
        return true;
    case TSaveAnswer::No: return true;
    }
    return false;
}

void TJournalSession::New()
{
    FCommitEditor();
    if (FJournal.JournalModified() && FDialogs.Confirm(FParent, MyConsts::sSaveQuestion(), QStringLiteral("Confirm")))
        Save(); // a failed save ends New before anything is emptied
    FJournal.NewJournal();
    FLog->StartAfresh();
}

void TJournalSession::Open()
{
    const QString chosen = WithDefaultSuffix(FDialogs.GetOpenFileName(FParent, FileDialogSetup()));
    if (chosen.isEmpty() || !FNotJournal.MayOpen(FParent, chosen))
        return;
    // Asked after the dialog, so that results that came while it was open
    // are covered; asked again for one that comes while the question is.
    for (int entered = -1; entered != FResultsEntered;) {
        entered = FResultsEntered;
        if (!AskToSaveChanges())
            return; // a failed save ends Open by its error
    }
    // The name changes only once the file has been read, so that a file
    // that could not be read is never overwritten by the journal on show.
    FJournal.LoadJournal(chosen);
    FJournal.SetJournalFileName(chosen);
    FLog->StartAfresh();
    TellIfJournalNameNotRemembered(FDialogs, FParent, FIniFileName(), chosen);
}

void TJournalSession::Save()
{
    FCommitEditor();
    const QString name = FJournal.JournalFileName();
    FNotJournal.Save(FParent, name, [&] { FJournal.SaveJournal(name); });
    Settled();
}

void TJournalSession::SaveAs()
{
    const QString chosen = WithDefaultSuffix(FDialogs.GetSaveFileName(FParent, FileDialogSetup()));
    if (chosen.isEmpty())
        return;
    FCommitEditor();
    // Keeps the name it had when the write fails, so title and name agree.
    FNotJournal.Save(FParent, chosen, [&] { FJournal.SaveJournal(chosen); });
    FJournal.SetJournalFileName(chosen);
    Settled();
    TellIfJournalNameNotRemembered(FDialogs, FParent, FIniFileName(), chosen);
}

void TJournalSession::Settled()
{
    FUnreadJournalFileName.clear();
    FLog->StartAfresh();
}

void TJournalSession::LetUnsavedWorkGo()
{
    if (FJournal.JournalModified())
        FLog->StartAfresh();
}

void TJournalSession::EndSession()
{
    // With the log failing, the unsaved rows would otherwise live only in
    // memory, which is about to go.
    if (FLog->Secured() || !FJournal.JournalModified())
        return;
    const QString written = EmergencyJournal::Write(FJournal.Model().Rows(), FJournal.JournalFileName(), FLogFileName,
                                                    EmergencyFolders(), QDateTime::currentDateTime());
    if (written.isEmpty())
        qWarning("the unsaved journal could not be written anywhere");
}

QString TJournalSession::RememberedFileName() const
{
    return FUnreadJournalFileName.isEmpty() ? FJournal.JournalFileName() : FUnreadJournalFileName;
}

// ---- Helpers ------------------------------------------------------------------

QString TJournalSession::FileDialogFilter()
{
    return QStringLiteral("text files (.txt) (*.txt)");
}

QString TJournalSession::FileDialogDefaultSuffix()
{
    return QStringLiteral("txt");
}

IFormDialogs::TFileDialogSetup TJournalSession::FileDialogSetup() const
{
    return {FJournal.JournalFileName(), FileDialogFilter(), FileDialogDefaultSuffix()};
}

QString TJournalSession::WithDefaultSuffix(const QString &FileName) const
{
    return ::WithDefaultSuffix(FileName, FileDialogDefaultSuffix());
}

QStringList TJournalSession::EmergencyFolders() const
{
    // Where an unsaved journal goes at an end the log could not secure, and
    // where the next start looks for the note about it.
    return {QFileInfo(FJournal.JournalFileName()).absolutePath(), QDir::homePath(),
            QFileInfo(FLogFileName).absolutePath()};
}

void TJournalSession::ReportEmergencyJournals()
{
    for (const QString &journal : EmergencyJournal::TakeNotes(FLogFileName, EmergencyFolders()))
        FDialogs.ShowInformation(FParent, MyConsts::sEmergencyJournal().arg(journal), MyConsts::sRecoveryCaption());
}
