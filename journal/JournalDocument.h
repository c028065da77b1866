#pragma once
// The journal as the main window holds it: the table, the modified flag
// JournalModified, the file name JournalFileName and the window title, with
// the operations of the journal commands. File and printer errors are
// thrown (EJournalFile, EJournalPrint) for the caller's error box; a failed
// operation leaves the journal, its name, title and flag as they were.

#include "JournalFile.h"
#include "JournalModel.h"
#include "JournalPrint.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class JournalDocument : public QObject {
    Q_OBJECT
public:
    // The texts are the program's: captions, title, names of new journals.
    explicit JournalDocument(JournalTexts texts, QObject *parent = nullptr);
    ~JournalDocument() override;

    JournalModel &Model() { return FModel; }
    const JournalModel &Model() const { return FModel; }

    bool JournalModified() const { return FModified; }
    void SetJournalModified(bool modified);

    // Starts as the base of new names + ".txt" ("Новый.txt"), no folder:
    // the process's current directory.
    const QString &JournalFileName() const { return FFileName; }
    void SetJournalFileName(const QString &fileName);

    // The window title last shown, see ShowJournalTitle.
    const QString &Title() const { return FTitle; }
    // Title := program title + "(" + name part + ")", e.g.
    // "Регистрация измерений молока(Новый.txt)"; emits TitleChanged.
    void ShowJournalTitle(const QString &fileName);

    // Replaces the journal by the file's rows, or by the empty journal when
    // no such file exists; then shows the title and clears the modified
    // flag. Does not change JournalFileName. On a read error throws
    // EJournalFile and changes nothing.
    void LoadJournal(const QString &fileName);
    // Writes the whole journal (through a temporary, see SaveJournalFile),
    // then shows the title and clears the modified flag. Does not change
    // JournalFileName. On failure throws EJournalFile, the previous file is
    // intact and nothing else changes.
    void SaveJournal(const QString &fileName);

    // New, once the question about unsaved changes is settled: empties the
    // journal, names it with the next free "НовыйN.txt" in the current
    // journal's folder, and shows that title. The modified flag stays as it
    // is; no file is created.
    void NewJournal();

    // A result from the analyzer: writes the texts into the entry row from
    // column 2 (date, time, group number, values) keeping its label, adds a
    // new entry row and sets the modified flag. undecoded marks the values
    // that did not decode (JournalModel::WriteEntryCells).
    void EnterResult(const QStringList &textsFromColumn2, quint32 undecoded = 0);

    // Prints journal rows 1..lastRow in the given (grid) font on the
    // printer of the provider (the system's default printer unless
    // replaced). Works from a copy of the rows taken now. Between pages it
    // calls the page hook (by default: handle pending events). Throws
    // EJournalPrint.
    void PrintJournal(int lastRow, const QFont &gridFont);
    // What a printout of rows 1..lastRow shows: a copy of the rows taken
    // now, the journal's name and captions, and the print font for the grid's
    // font (PrintFont). The print preview and the PDF file draw it.
    JournalPrintout Printout(int lastRow, const QFont &gridFont);
    void SetPrintDeviceProvider(std::unique_ptr<PrintDeviceProvider> provider);
    // Which cells break a quality norm, for the marks of every printout from
    // now on (the owner knows the norms); empty: none.
    void SetOutsideNorm(TCellJudge judge);
    void SetBetweenPagesHook(std::function<void()> hook);

signals:
    void TitleChanged(const QString &title);
    void ModifiedChanged(bool modified);
    void FileNameChanged(const QString &fileName);

private:
    JournalTexts FTexts;
    JournalModel FModel;
    bool FModified = false;
    QString FFileName;
    QString FTitle;
    std::unique_ptr<PrintDeviceProvider> FPrintDevices;
    std::function<void()> FBetweenPages;
    TCellJudge FOutsideNorm;
};
