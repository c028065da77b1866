#include "JournalDocument.h"

#include "JournalFile.h"
#include "JournalNames.h"
#include "WaitCursor.h"

#include <QCoreApplication>

JournalDocument::JournalDocument(JournalTexts texts, QObject *parent)
    : QObject(parent)
    , FTexts(std::move(texts))
    , FModel(FTexts.Captions)
    , FFileName(FTexts.DefaultJournalFileName())
    , FPrintDevices(std::make_unique<DefaultPrinterProvider>())
    , FBetweenPages([] {
        if (QCoreApplication::instance())
            QCoreApplication::processEvents();
    })
{
}

JournalDocument::~JournalDocument() = default;

void JournalDocument::SetJournalModified(bool modified)
{
    if (FModified == modified)
        return;
    FModified = modified;
    emit ModifiedChanged(FModified);
}

void JournalDocument::SetJournalFileName(const QString &fileName)
{
    if (FFileName == fileName)
        return;
    FFileName = fileName;
    emit FileNameChanged(FFileName);
}

void JournalDocument::ShowJournalTitle(const QString &fileName)
{
    FTitle = JournalTitle(FTexts.ProgramTitle, fileName);
    emit TitleChanged(FTitle);
}

void JournalDocument::LoadJournal(const QString &fileName)
{
    WaitCursor wait;
    // Read completely before touching the journal: a failed read keeps the
    // journal, so a later Save cannot overwrite the unread file with less.
    JournalRows rows = ReadJournalFile(fileName);
    FModel.ReplaceRows(std::move(rows));
    ShowJournalTitle(fileName);
    SetJournalModified(false);
}

void JournalDocument::SaveJournal(const QString &fileName)
{
    WaitCursor wait;
    SaveJournalFile(FModel.Rows(), fileName);
    ShowJournalTitle(fileName);
    SetJournalModified(false);
}

void JournalDocument::NewJournal()
{
    FModel.Reset();
    const QString name = NextNewJournalName(FTexts.NewJournalBase, FFileName);
    SetJournalFileName(name);
    ShowJournalTitle(name);
}

void JournalDocument::EnterResult(const QStringList &textsFromColumn2, quint32 undecoded)
{
    SetJournalModified(true);
    FModel.WriteEntryCells(2, textsFromColumn2, undecoded);
    FModel.AppendEntryRow();
}

void JournalDocument::PrintJournal(int lastRow, const QFont &gridFont)
{
    ::PrintJournal(*FPrintDevices, Printout(lastRow, gridFont), FBetweenPages);
}

JournalPrintout JournalDocument::Printout(int lastRow, const QFont &gridFont)
{
    JournalPrintout printout;
    printout.rows = FModel.SnapshotRows();
    printout.lastRow = lastRow;
    printout.fileName = FFileName;
    printout.font = PrintFont(gridFont);
    printout.captions = FTexts.Captions;
    printout.undecoded = FModel.Undecoded();
    printout.outsideNorm = FOutsideNorm;
    return printout;
}

void JournalDocument::SetOutsideNorm(TCellJudge judge)
{
    FOutsideNorm = std::move(judge);
}

void JournalDocument::SetPrintDeviceProvider(std::unique_ptr<PrintDeviceProvider> provider)
{
    FPrintDevices = provider ? std::move(provider) : std::make_unique<DefaultPrinterProvider>();
}

void JournalDocument::SetBetweenPagesHook(std::function<void()> hook)
{
    FBetweenPages = std::move(hook);
}
