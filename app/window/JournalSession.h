#pragma once

// The journal being worked on, as one session: the document, its result log
// (recovery at start-up, a fresh log at every transition, an emergency copy
// at an end the log could not secure), the remembered journal that start-up
// could not read, and the transitions New, Open, Save, Save As and closing,
// each one sequence. The window builds the widgets and calls these; every
// question goes through IFormDialogs. Errors of reading and writing
// propagate to the caller, which shows them.

#include "FormDialogs.h"
#include "JournalDocument.h"
#include "NotJournalQuestion.h"
#include "ResultLog.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

class QWidget;
class TJournalLog;

class TJournalSession {
public:
    // Parent: the window the dialogs belong to. CommitEditor hands a label
    // still in the grid's editor to the journal. IniFileName names the
    // settings file as it stands when asked.
    TJournalSession(IFormDialogs &Dialogs, QWidget *Parent, std::function<void()> CommitEditor,
                    std::function<QString()> IniFileName);
    ~TJournalSession();
    TJournalSession(const TJournalSession &) = delete;
    TJournalSession &operator=(const TJournalSession &) = delete;

    JournalDocument &Document() { return FJournal; }
    const JournalDocument &Document() const { return FJournal; }
    TJournalLog &Log() { return *FLog; }

    // Start-up: reads the journal the settings name. One that exists but
    // cannot be read is worked on under a fresh name, so that a Save cannot
    // write over it, and stays the remembered one (see RememberedFileName);
    // the error is thrown.
    void LoadRemembered();
    // Start-up, once the journal is read: recovers what the log LogFileName
    // holds, or starts it afresh, and tells the operator what came back.
    // OnSecured follows the log's state. Returns the poll state the log
    // kept, for the poller to go on from.
    std::optional<TPollSnapshot> RecoverOrStartLog(const QString &LogFileName,
                                                   std::function<void(bool Secured, const QString &Cause)> OnSecured);

    // A result entered into the journal and secured in the log with the
    // poll state that came with it; a poll state that enters nothing.
    void EnterResult(const QStringList &TextsFromColumn2, const TPollSnapshot &Poll);
    void NotePoll(const TPollSnapshot &Poll);
    // Results entered so far: closing tells by it whether one came late.
    int ResultsEntered() const { return FResultsEntered; }

    // The question about unsaved changes; false when the operator cancels.
    // Yes saves (an error keeps the window open).
    bool AskToSaveChanges();
    void New();
    void Open();
    void Save();
    void SaveAs();
    // Closing on "No": the unsaved work goes and does not come back.
    void LetUnsavedWorkGo();
    // An end without a question: with the log failing, the unsaved journal
    // is written to a file of its own; the next start says where.
    void EndSession();

    // The journal the settings remember: the one start-up could not read
    // until the work is saved under another name, otherwise the current one.
    QString RememberedFileName() const;

    // The file dialogs' filter and default suffix.
    static QString FileDialogFilter();
    static QString FileDialogDefaultSuffix();

private:
    // The journal reached its file or was replaced: the unread name is
    // forgotten and the log starts afresh.
    void Settled();
    QString WithDefaultSuffix(const QString &FileName) const;
    IFormDialogs::TFileDialogSetup FileDialogSetup() const;
    QStringList EmergencyFolders() const;
    void ReportEmergencyJournals();

    IFormDialogs &FDialogs;
    QWidget *FParent;
    std::function<void()> FCommitEditor;
    std::function<QString()> FIniFileName;
    JournalDocument FJournal;
    std::unique_ptr<TJournalLog> FLog; // after FJournal, which it watches
    TNotJournalQuestions FNotJournal;
    QString FUnreadJournalFileName; // the remembered journal start-up could not read
    QString FLogFileName;
    int FResultsEntered = 0;
};
