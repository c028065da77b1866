#include "NotJournalQuestion.h"

#include "AppError.h"
#include "FileStamp.h"
#include "JournalSniff.h"
#include "ProgramTexts.h"

#include <QDir>

namespace {

// Why the file is not a journal, in the operator's words; empty for a
// journal, or a file that cannot be judged.
QString NotJournalReason(const QString &FileName)
{
    switch (SniffJournalFile(FileName).value_or(TJournalLook::Journal)) {
    case TJournalLook::Journal: return {};
    case TJournalLook::Utf16: return MyConsts::sNotJournalUtf16();
    case TJournalLook::Utf8: return MyConsts::sNotJournalUtf8();
    case TJournalLook::NulBytes: return MyConsts::sNotJournalNulBytes();
    case TJournalLook::Semicolons: return MyConsts::sNotJournalSemicolons();
    }
    return {};
}

} // namespace

bool TNotJournalQuestions::MayOpen(QWidget *Parent, const QString &FileName)
{
    const QString reason = NotJournalReason(FileName);
    return reason.isEmpty() ||
           FDialogs.ConfirmWarning(Parent, MyConsts::sNotJournalOpen().arg(QDir::toNativeSeparators(FileName), reason),
                                   MyConsts::sNotJournalCaption());
}

void TNotJournalQuestions::Save(QWidget *Parent, const QString &FileName, const std::function<void()> &Save)
{
    // The journal's bytes may keep the file looking foreign after it is
    // saved (labels read as UTF-8 are written back as they were read): the
    // operator is not asked again at every save of the day.
    bool allowed = FAllowed.File.Size >= 0 && Stamp(FileName) == FAllowed;
    if (!allowed) {
        if (const QString reason = NotJournalReason(FileName); !reason.isEmpty()) {
            if (!FDialogs.ConfirmWarning(Parent,
                                         MyConsts::sNotJournalSave().arg(QDir::toNativeSeparators(FileName), reason),
                                         MyConsts::sNotJournalCaption()))
                throw EAbort();
            allowed = true;
        }
    }
    Save();
    FAllowed = allowed ? Stamp(FileName) : TWritten{};
}

TNotJournalQuestions::TWritten TNotJournalQuestions::Stamp(const QString &FileName)
{
    return {FileName, FileStampOf(FileName)};
}
