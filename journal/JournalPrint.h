#pragma once
// The printed journal: on every page a header (page number and the
// journal's name) on line slot 1, the captions on slot 3 and the journal
// rows on slots 4 to L-1, as plain text without grid lines. Column 16 is
// never printed.
//
// The layout is a pure computation (JournalPrintLayout.h); the drawing goes
// through a small page sink so that tests can print to a PDF or record the
// drawing, and the printer itself is reached through a provider that can be
// replaced.

#include "JournalModel.h"
#include "JournalPrintLayout.h"
#include "JournalRows.h"
#include "JournalTexts.h"

#include <QFont>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <utility>

class QPagedPaintDevice;
class QPainter;

// The print font: the grid's point size (a font given in pixels is taken at
// 96 pixels per inch) in a narrow sans face, since the columns, 1/17 of the
// printable width, hold a full date at 8 points only in a narrow face.
// "Liberation Sans Narrow" when it is installed; otherwise the narrowest of
// the faces at hand for WidestTypicalCells, and the cut at the column's edge
// keeps the columns apart.
QFont PrintFont(const QFont &gridFont);
inline constexpr char16_t PrintFontFamily[] = u"Liberation Sans Narrow";

// The texts of columns 2 to 15 in the widest row a station prints: a full
// date and time, a three-digit group, two-decimal values, a four-digit
// density and a freezing point with four decimals.
QStringList WidestTypicalCells();

// Whether the text of a cell in a column breaks a norm; called with a copy
// of the norms, so it may run while they change.
using TCellJudge = std::function<bool(int col, const QString &text)>;

// What one printout shows, taken when it starts, so that commands run
// while it prints (New, Open, new results) cannot change or remove rows it
// has yet to print.
struct JournalPrintout {
    JournalRows rows;         // journal rows 1..n, a snapshot
    int lastRow = 0;          // print rows 1..lastRow (clamped to the rows held)
    QString fileName;         // its name part goes into the header
    QFont font;               // the print font, see PrintFont
    JournalCaptions captions; // the caption line of every page
    // Marked cells (grey ground and a frame): values that did not decode,
    // as the journal held them, and cells that break a norm.
    JournalModel::TUndecoded undecoded{};
    TCellJudge outsideNorm{};
    bool Marked(int row, int col, const QString &text) const;
};

// Where pages are drawn.
class PrintPageSink {
public:
    virtual ~PrintPageSink() = default;
    virtual QPainter &Painter() = 0;
    // Ends the current page and starts the next one.
    virtual void NewPage() = 0;
};

// Draws every page; calls betweenPages after each page that is followed by
// another one (the printing loop lets the program handle its events there).
void PaintJournal(PrintPageSink &sink, const PrintPageLayout &layout, const JournalPrintout &printout,
                  const std::function<void()> &betweenPages = {});

// Gives the device a printout is drawn on.
class PrintDeviceProvider {
public:
    virtual ~PrintDeviceProvider() = default;
    // Throws EJournalPrint when no device can be had.
    virtual std::unique_ptr<QPagedPaintDevice> OpenDevice() = 0;
};

// A PDF file at a given resolution on A4: the printout without a printer,
// for previews and for checking pages.
class PdfFileProvider : public PrintDeviceProvider {
public:
    explicit PdfFileProvider(QString fileName, int dotsPerInch = 600)
        : FFileName(std::move(fileName)), FDotsPerInch(dotsPerInch)
    {
    }
    std::unique_ptr<QPagedPaintDevice> OpenDevice() override;

private:
    QString FFileName;
    int FDotsPerInch;
};

// The system's default printer, no dialog, an empty document name. Qt would
// quietly print to a PDF file when no printer exists; this refuses instead
// with "There is no default printer currently selected".
class DefaultPrinterProvider : public PrintDeviceProvider {
public:
    std::unique_ptr<QPagedPaintDevice> OpenDevice() override;
};

// Draws a whole printout on a device: measures its page and the font, lays
// the pages out, draws them and ends the job. Print, the print preview and
// the PDF file all go through here. Throws EJournalPrint.
void PaintJournalPages(QPagedPaintDevice &device, const JournalPrintout &printout,
                       const std::function<void()> &betweenPages = {});

// Prints a whole printout on the provider's device (PaintJournalPages).
// Throws EJournalPrint on failure, and with "Printing in progress" when
// called while another printout runs.
void PrintJournal(PrintDeviceProvider &provider, const JournalPrintout &printout,
                  const std::function<void()> &betweenPages = {});

// Writes the printout as a PDF file of A4 pages. The pages are made in
// memory and the file is written durably (DurableFile), so a failure leaves
// an earlier file of that name as it was. Throws EJournalPrint.
void SaveJournalPdf(const QString &fileName, const JournalPrintout &printout, int dotsPerInch = 600);
