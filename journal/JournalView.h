#pragma once
// Puts a journal document on a grid: the model, the journal font and the
// two handlers of the journal grid: MainGridSelectCell (editing only in
// the sample column) and MainGridGetEditText (opening the editor marks the
// journal modified, whether or not anything changes).

#include <QFont>

class JournalDocument;
class TColorStringGrid;

// The journal's font: "MS Sans Serif" 8 pt where it exists; elsewhere the
// closest sans-serif face (DejaVu Sans on Debian) at the same 8 pt.
QFont JournalFont();

void MainGridSelectCell(TColorStringGrid &grid, int ACol);
void MainGridGetEditText(JournalDocument &journal);

void AttachJournalGrid(TColorStringGrid &grid, JournalDocument &journal);
