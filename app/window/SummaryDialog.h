#pragma once
// "Сводка": the summary of the selected journal rows, or of the whole
// journal when nothing is selected, in a window of its own. Its figures can
// be printed (through the print preview) and saved as PDF by the journal's
// page painter, and copied as TAB-separated text for a spreadsheet.

#include "DaySummary.h"
#include "FormDialogs.h"
#include "JournalTexts.h"
#include "PrintCommands.h"

#include <QDialog>
#include <QFont>

class JournalDocument;
class QLabel;
class TColorStringGrid;
class TQualityNorms;
class QPushButton;
class QTableWidget;

struct TSummarySetup {
    TDaySummary Summary;
    QChar DecimalSeparator;
    bool OfSelection = false; // the selected rows, not the whole journal
    JournalCaptions Captions; // the journal's
    QString JournalFileName;  // for the page header and the PDF's name
    QFont GridFont;           // the printout's size comes from it
};

class TSummaryDialog : public QDialog {
    Q_OBJECT
public:
    // Preview: null for Qt's print preview.
    TSummaryDialog(TSummarySetup Setup, IFormDialogs &Dialogs, std::unique_ptr<IPrintPreview> Preview,
                   QWidget *Parent = nullptr);

    // The figures as the journal's page painter prints them.
    JournalPrintout Printout() const;

    QLabel *Heading = nullptr;
    QTableWidget *Figures = nullptr;
    QPushButton *PrintButton = nullptr;
    QPushButton *PdfButton = nullptr;
    QPushButton *CopyButton = nullptr;
    QPushButton *CloseButton = nullptr;

private:
    void Copy();
    // Runs a command, showing what went wrong in a box.
    void Attempt(const std::function<void()> &Command);

    TSummarySetup FSetup;
    QList<QStringList> FTable;
    IFormDialogs &FDialogs;
    TPrintCommands FPrint;
};

// Opens the summary over Parent (modal to it, closed by the operator): of the
// rows the grid's selection spans, or of the whole journal when it lies
// within one row (the current cell), with the rows outside Norms counted.
void OpenSummary(QWidget *Parent, const TColorStringGrid &Grid, const JournalDocument &Journal,
                 const TQualityNorms &Norms, IFormDialogs &Dialogs);
