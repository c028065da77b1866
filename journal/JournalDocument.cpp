#include "JournalDocument.h"

#include "JournalFile.h"
#include "JournalNames.h"
#include "WaitCursor.h"

#include <QCoreApplication>

JournalDocument::JournalDocument(JournalTexts texts, QObject* parent)
    : QObject(parent),
      texts_(std::move(texts)),
      model_(texts_.Captions),
      fileName_(texts_.DefaultJournalFileName()),
      printDevices_(std::make_unique<DefaultPrinterProvider>()),
      betweenPages_([] {
          if (QCoreApplication::instance())
              QCoreApplication::processEvents();
      })
{
}

JournalDocument::~JournalDocument() = default;

void JournalDocument::SetJournalModified(bool modified)
{
    if (modified_ == modified)
        return;
    modified_ = modified;
    emit ModifiedChanged(modified_);
}

void JournalDocument::SetJournalFileName(const QString& fileName)
{
    if (fileName_ == fileName)
        return;
    fileName_ = fileName;
    emit FileNameChanged(fileName_);
}

void JournalDocument::ShowJournalTitle(const QString& fileName)
{
    title_ = JournalTitle(texts_.ProgramTitle, fileName);
    emit TitleChanged(title_);
}

void JournalDocument::LoadJournal(const QString& fileName)
{
    WaitCursor wait;
    // Read completely before touching the journal: a failed read keeps the
    // journal, so a later Save cannot overwrite the unread file with less.
    JournalRows rows = ReadJournalFile(fileName);
    model_.ReplaceRows(std::move(rows));
    ShowJournalTitle(fileName);
    SetJournalModified(false);
}

void JournalDocument::SaveJournal(const QString& fileName)
{
    WaitCursor wait;
    SaveJournalFile(model_.Rows(), fileName);
    ShowJournalTitle(fileName);
    SetJournalModified(false);
}

void JournalDocument::NewJournal()
{
    model_.Reset();
    const QString name = NextNewJournalName(texts_.NewJournalBase, fileName_);
    SetJournalFileName(name);
    ShowJournalTitle(name);
}

void JournalDocument::EnterResult(const QStringList& textsFromColumn2)
{
    SetJournalModified(true);
    model_.WriteEntryCells(2, textsFromColumn2);
    model_.AppendEntryRow();
}

void JournalDocument::PrintJournal(int lastRow, const QFont& gridFont)
{
    JournalPrintout printout{model_.SnapshotRows(), lastRow, fileName_, PrintFont(gridFont), texts_.Captions};
    ::PrintJournal(*printDevices_, printout, betweenPages_);
}

void JournalDocument::SetPrintDeviceProvider(std::unique_ptr<PrintDeviceProvider> provider)
{
    printDevices_ = provider ? std::move(provider) : std::make_unique<DefaultPrinterProvider>();
}

void JournalDocument::SetBetweenPagesHook(std::function<void()> hook)
{
    betweenPages_ = std::move(hook);
}
