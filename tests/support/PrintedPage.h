#pragma once
// A printout's first page drawn into an image as a printer of that
// resolution draws it, for the pixel tests and the screenshot tools: the
// journal's own page painter, a white grey-scale sheet, rows beyond the
// first page left out.

#include "JournalPrint.h"

#include <QImage>
#include <QSize>

struct TPrintedPage {
    QImage Page;
    PrintPageLayout Layout;
    int Band = 0; // a line's height
};

TPrintedPage PrintFirstPage(JournalPrintout Printout, QSize Sheet, int Dpi);

// An A4 sheet's pixels at 300 dpi.
inline constexpr QSize kA4At300Dpi{2480, 3508};
