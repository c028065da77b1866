#include "JournalView.h"

#include "JournalDocument.h"
#include "JournalGrid.h"

QFont JournalFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                      QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(8);
    return font;
}

void MainGridSelectCell(TColorStringGrid &grid, int ACol)
{
    grid.SetEditing(ACol == JournalModel::LabelColumn);
}

void MainGridGetEditText(JournalDocument &journal)
{
    journal.SetJournalModified(true);
}

void AttachJournalGrid(TColorStringGrid &grid, JournalDocument &journal)
{
    grid.setModel(&journal.Model());
    grid.setFont(JournalFont());
    grid.OnSelectCell = [&grid](TColorStringGrid *, int ACol, int, bool &) { MainGridSelectCell(grid, ACol); };
    grid.OnGetEditText = [&journal](TColorStringGrid *, int, int, QString &) { MainGridGetEditText(journal); };
    grid.FitColumns();
}
