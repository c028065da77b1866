#include "PrintCommands.h"

#include "JournalNames.h"
#include "ProgramTexts.h"

TPrintCommands::TPrintCommands(IFormDialogs &Dialogs, std::unique_ptr<IPrintPreview> Preview, TPrintoutSource Printout)
    : FDialogs(Dialogs), FPreview(Preview ? std::move(Preview) : CreateQtPrintPreview()), FPrintout(std::move(Printout))
{
}

void TPrintCommands::Preview(QWidget *Parent)
{
    const JournalPrintout printout = FPrintout();
    FPreview->Show(Parent, [&printout](QPagedPaintDevice &Device) { PaintJournalPages(Device, printout); });
}

void TPrintCommands::SaveAsPdf(QWidget *Parent, const QString &JournalFileName)
{
    const IFormDialogs::TFileDialogSetup setup{PdfFileName(JournalFileName), MyConsts::sPdfFilesFilter(), PdfSuffix()};
    const QString chosen = WithDefaultSuffix(FDialogs.GetSaveFileName(Parent, setup), PdfSuffix());
    if (chosen.isEmpty())
        return;
    SaveJournalPdf(chosen, FPrintout());
}

QString TPrintCommands::PdfFileName(const QString &JournalFileName)
{
    const QString name = JournalNamePart(JournalFileName);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return JournalFolderPart(JournalFileName) + (dot > 0 ? name.left(dot) : name) + QLatin1Char('.') + PdfSuffix();
}
