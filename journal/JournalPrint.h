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

#include "JournalPrintLayout.h"
#include "JournalRows.h"
#include "JournalTexts.h"

#include <QFont>
#include <QString>

#include <functional>
#include <memory>
#include <utility>

class QPagedPaintDevice;
class QPainter;

// The grid's font as it is printed: the same family and point size, so
// the printer renders it at its own resolution. A font given in pixels is
// taken at 96 pixels per inch.
QFont PrintFont(const QFont& gridFont);

// What one printout shows, taken when it starts, so that commands run
// while it prints (New, Open, new results) cannot change or remove rows it
// has yet to print.
struct JournalPrintout {
    JournalRows rows;  // journal rows 1..n, a snapshot
    int lastRow = 0;   // print rows 1..lastRow (clamped to the rows held)
    QString fileName;  // its name part goes into the header
    QFont font;        // the print font, see PrintFont
    JournalCaptions captions;  // the caption line of every page
};

// Where pages are drawn.
class PrintPageSink {
public:
    virtual ~PrintPageSink() = default;
    virtual QPainter& Painter() = 0;
    // Ends the current page and starts the next one.
    virtual void NewPage() = 0;
};

// Draws every page; calls betweenPages after each page that is followed by
// another one (the printing loop lets the program handle its events there).
void PaintJournal(PrintPageSink& sink, const PrintPageLayout& layout, const JournalPrintout& printout,
                  const std::function<void()>& betweenPages = {});

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
        : FFileName(std::move(fileName)), FDotsPerInch(dotsPerInch) {}
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

// Prints a whole printout: opens the device, measures the page and the
// font, draws, ends the job. Throws EJournalPrint on failure, and with
// "Printing in progress" when called while another printout runs.
void PrintJournal(PrintDeviceProvider& provider, const JournalPrintout& printout,
                  const std::function<void()>& betweenPages = {});
