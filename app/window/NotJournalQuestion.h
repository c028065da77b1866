#pragma once

// The operator's say before Open reads, or a save writes over, a file that is
// plainly not a journal (see JournalSniff): a spreadsheet's file, UTF-8 or
// UTF-16 text. Such a file would show garbage, and a save would mix the
// journal's Windows-1251 into it or replace it.

#include "FileStamp.h"
#include "FormDialogs.h"

#include <QString>

#include <functional>

class QWidget;

class TNotJournalQuestions {
public:
    explicit TNotJournalQuestions(IFormDialogs &Dialogs) : FDialogs(Dialogs) {}

    // Whether Open may read the file: a journal, a file that is not there or
    // cannot be read (reading reports that), or one the operator opens anyway.
    bool MayOpen(QWidget *Parent, const QString &FileName);

    // Runs Save, which writes the journal into the file, once the operator
    // has allowed it for a file that is plainly not a journal; throws EAbort
    // when the operator keeps the file as it is. A file that the last save
    // allowed so wrote, and that nobody changed since, is not asked about
    // again: what it holds is the journal's own.
    void Save(QWidget *Parent, const QString &FileName, const std::function<void()> &Save);

private:
    // Which file a save left behind: its name and identity on the disk.
    struct TWritten {
        QString FileName;
        TFileStamp File;
        bool operator==(const TWritten &) const = default;
    };
    static TWritten Stamp(const QString &FileName);

    IFormDialogs &FDialogs;
    TWritten FAllowed;
};
