#pragma once
// The print preview: the pages a printout draws, shown before printing.
// Behind an interface so that the program's commands run in tests without a
// dialog; the pages themselves are always drawn by the caller's painter
// (PaintJournalPages), the same one that prints.

#include <functional>
#include <memory>

class QPagedPaintDevice;
class QWidget;

class IPrintPreview {
public:
    virtual ~IPrintPreview() = default;
    // Draws the pages on the device it is given; may be called again (a
    // changed page set-up, or printing from the preview). Throws
    // EJournalPrint.
    using TPaintPages = std::function<void(QPagedPaintDevice &)>;
    // Modal; returns when the operator closes the preview. A failure of
    // PaintPages closes it and is thrown on.
    virtual void Show(QWidget *parent, const TPaintPages &paintPages) = 0;
};

// QPrintPreviewDialog on the default printer's page, or, with no printer,
// on the A4 page of the PDF file at 600 dots per inch.
std::unique_ptr<IPrintPreview> CreateQtPrintPreview();
