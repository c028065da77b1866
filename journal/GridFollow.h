#pragma once
// The grid follows the work: a row appended at the end of the journal (a
// result arriving) is scrolled into view when the operator is looking at the
// end; an operator reading older rows or typing a label keeps the view and
// the editor where they are.

class TColorStringGrid;

// What the grid shows when a row is about to be appended.
struct TGridFollowView {
    bool EditorOpen = false; // the in-place editor is open on a cell
    int ScrollPosition = 0;  // of the vertical scroll bar
    int ScrollMaximum = 0;
};

// Whether the appended row should be scrolled into view.
bool FollowsAppendedRow(const TGridFollowView &View);

// Applies FollowsAppendedRow to every row the grid's model appends at its end.
void FollowAppendedRows(TColorStringGrid &Grid);
