#pragma once
// Where the printed journal's texts go on a page: a pure computation from
// the page's printable size and the print font's line height, apart from
// the drawing so that it runs and is tested without a GUI.

#include "JournalTexts.h"

#include <QPoint>
#include <QString>

#include <stdexcept>

// A failure of printing. what() is UTF-8.
class EJournalPrint : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Positions on a page, in device pixels from the top left of the printable
// area; all divisions are integer divisions.
struct PrintPageLayout {
    int PH = 0; // printable height
    int PW = 0; // printable width
    int TH = 0; // line height of the print font
    int U = 0;  // column unit, PW / 34
    int L = 0;  // line slots per page, PH / TH
    int S = 0;  // line pitch, PH / L
    int R = 0;  // journal rows per page, L - 4

    // Columns 0 to 15; column 16 is left out.
    static constexpr int PrintedColumns = JournalTexts::ColumnCount - 1;

    // Throws EJournalPrint when not even one journal row fits on a page.
    static PrintPageLayout Compute(int pageHeight, int pageWidth, int textHeight);

    static constexpr int HeaderX = 800; // device pixels on every printer
    QPoint HeaderPos() const { return {HeaderX, S}; }
    int CaptionY() const { return 3 * S; }
    // The k-th journal row of a page, k = 1..R.
    int RowY(int k) const { return (k + 3) * S; }
    // x of column 0..15; -1 for column 16, which is not printed.
    int ColumnX(int col) const;
    // Where a text of column 0..15 is cut: the next column's x; the last
    // printed column has the rest of the page. -1 for column 16.
    int ColumnRight(int col) const;
    // Pages for journal rows 1..lastRow; 0 when there is nothing to print.
    int PageCount(int lastRow) const;
};

// "Стр. " + page + 20 spaces + the name part of fileName.
QString PageHeaderText(int page, const QString &fileName);
