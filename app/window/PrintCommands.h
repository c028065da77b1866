#pragma once

// The File menu's print preview and "save as PDF": the pages that Print sends
// to the default printer, drawn by the same painter, shown on screen or
// written into a PDF file.

#include "FormDialogs.h"
#include "JournalPrint.h"
#include "JournalPrintPreview.h"

#include <functional>
#include <memory>

class QWidget;

class TPrintCommands {
public:
    // Printout gives the journal's printout as Print would print it at that
    // moment.
    using TPrintoutSource = std::function<JournalPrintout()>;
    // A null Preview: QPrintPreviewDialog.
    TPrintCommands(IFormDialogs &Dialogs, std::unique_ptr<IPrintPreview> Preview, TPrintoutSource Printout);

    // Shows the printout's pages. Throws EJournalPrint.
    void Preview(QWidget *Parent);
    // Asks for a PDF file, starting on the journal's name with ".pdf", and
    // writes the printout into it; a cancelled dialog writes nothing. The
    // rows are those of the moment the dialog closes. Throws EJournalPrint.
    void SaveAsPdf(QWidget *Parent, const QString &JournalFileName);

    // "day.txt" -> "day.pdf", in the journal's folder.
    static QString PdfFileName(const QString &JournalFileName);
    static QString PdfSuffix() { return QStringLiteral("pdf"); }

private:
    IFormDialogs &FDialogs;
    std::unique_ptr<IPrintPreview> FPreview;
    TPrintoutSource FPrintout;
};
