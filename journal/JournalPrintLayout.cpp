#include "JournalPrintLayout.h"

#include "JournalNames.h"
#include "JournalTexts.h"

namespace {

[[noreturn]] void Fail(const QString &text)
{
    throw EJournalPrint(text.toStdString());
}

} // namespace

PrintPageLayout PrintPageLayout::Compute(int pageHeight, int pageWidth, int textHeight)
{
    PrintPageLayout l;
    l.PH = pageHeight;
    l.PW = pageWidth;
    l.TH = textHeight;
    if (pageHeight <= 0 || pageWidth <= 0 || textHeight <= 0)
        Fail(QStringLiteral("The printer reports no printable area"));
    l.U = pageWidth / (2 * JournalTexts::ColumnCount);
    l.L = pageHeight / textHeight;
    // Slots 0 to 3 hold the header and captions; fewer than 5 slots would
    // leave no room for a row (and no slot at all a division by zero).
    if (l.L < 5)
        Fail(QStringLiteral("The page is too small for the print font"));
    l.S = pageHeight / l.L;
    l.R = l.L - 4;
    return l;
}

int PrintPageLayout::ColumnX(int col) const
{
    if (col == 0)
        return U;
    if (col >= 1 && col < PrintedColumns)
        return 2 * col * U;
    return -1;
}

int PrintPageLayout::ColumnRight(int col) const
{
    if (col == PrintedColumns - 1)
        return PW;
    return col >= 0 && col < PrintedColumns ? ColumnX(col + 1) : -1;
}

int PrintPageLayout::PageCount(int lastRow) const
{
    return lastRow <= 0 ? 0 : (lastRow + R - 1) / R;
}

QString PageHeaderText(int page, const QString &fileName)
{
    return JournalTexts::PageLabel() + QString::number(page) + QString(20, u' ') + JournalNamePart(fileName);
}
