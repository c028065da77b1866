#pragma once
// TColorStringGrid: a table view that paints like a string grid, with an
// OnGetCellColor event called before each cell is drawn so that the owner
// can change the cell's fill and font. Rows are all RowHeight pixels high
// and cannot be resized or moved; columns can be resized by dragging but not
// moved. The horizontal header is the fixed caption row (grid row 0); model
// column 0 is painted as the fixed number column. Editing is off until
// SetEditing(true), which the owner switches from OnSelectCell. As in a
// spreadsheet, Enter commits the cell being edited and moves down a row.

#include "JournalColumns.h"

#include <QBrush>
#include <QColor>
#include <QFont>
#include <QTableView>

#include <array>
#include <functional>

class QLineEdit;
class TColorStringGrid;

enum class TGridDrawStateFlag { gdSelected = 0x1, gdFocused = 0x2, gdFixed = 0x4 };
Q_DECLARE_FLAGS(TGridDrawState, TGridDrawStateFlag)
Q_DECLARE_OPERATORS_FOR_FLAGS(TGridDrawState)

// The font a cell's text is written in, with its colour.
struct TCellFont {
    QFont Font;
    QColor Color;
};

// Rows and columns are grid coordinates: row 0 is the caption row, so
// model row m is grid row m + 1.
using TColorEvent = std::function<void(TColorStringGrid *Sender, int ARow, int ACol, TGridDrawState AState,
                                       QBrush &ABrush, TCellFont &AFont)>;
// Called for each data cell after OnGetCellColor; true draws the cell's
// mark over it: a frame inside the cell and a triangle in its top right
// corner, in the text's colour, which shows without colour too.
using TCellMarkEvent = std::function<bool(TColorStringGrid *Sender, int ARow, int ACol)>;
// Called whenever a cell is about to become the current cell; CanSelect
// arrives true, and false keeps the previous cell.
using TSelectCellEvent = std::function<void(TColorStringGrid *Sender, int ACol, int ARow, bool &CanSelect)>;
// Called each time the in-place editor opens on a cell, with the cell's
// text; the editor shows Value as the handler leaves it.
using TGetEditTextEvent = std::function<void(TColorStringGrid *Sender, int ACol, int ARow, QString &Value)>;
// Called when the in-place editor has been made for a cell, before it shows
// the cell's text, so that the owner can equip it (completion, say).
using TEditorCreatedEvent = std::function<void(TColorStringGrid *Sender, int ACol, int ARow, QLineEdit *Editor)>;

class TColorStringGrid : public QTableView {
    Q_OBJECT
public:
    static constexpr int RowHeight = 24;

    explicit TColorStringGrid(QWidget *parent = nullptr);

    TColorEvent OnGetCellColor;
    TCellMarkEvent OnGetCellMark;
    TSelectCellEvent OnSelectCell;
    TGetEditTextEvent OnGetEditText;
    TEditorCreatedEvent OnEditorCreated;

    // The grid's editing option: while on, the in-place editor opens on the
    // current cell in the usual ways (typing, F2, double click).
    void SetEditing(bool on);
    bool Editing() const { return FEditing; }
    // Whether the in-place editor is open on a cell.
    bool IsEditing() const { return state() == QAbstractItemView::EditingState; }

    // Width of the cell area in pixels (inside the frame and scroll bars).
    int ClientWidth() const;
    // Column widths for a client width: W = (clientWidth - 2) / 16, columns
    // 0 and 4 W / 2, the rest W; 0 when the width is too small.
    static std::array<int, JournalColumns::Count> FittedColumnWidths(int clientWidth);
    // Sets every column from the current client width, discarding widths
    // the operator dragged. Runs by itself whenever the grid is resized.
    void FitColumns();
    // The width column 0 needs to show the largest row number in full; the
    // column never gets narrower than that, whatever the fitting gives.
    int NumberColumnWidth() const;

    // Lays out rows added or removed since the last paint, so that the scroll
    // bars tell the present extent.
    void LayOutPendingRows() { executeDelayedItemsLayout(); }

    // Paints one cell the way the grid does (also the captions): the state's
    // colours, then OnGetCellColor, then fill and text 2 pixels in from the
    // top left, clipped to the cell, then the mark (OnGetCellMark).
    void PaintCell(QPainter *painter, const QRect &rect, int row, int col, TGridDrawState state,
                   const QString &text) const;

protected:
    bool event(QEvent *e) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    // Typing outside an editable cell must not jump around the table.
    void keyboardSearch(const QString &search) override;
    void keyPressEvent(QKeyEvent *e) override;
    void closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint) override;
    void rowsInserted(const QModelIndex &parent, int first, int last) override;
    void reset() override;

private:
    friend class ColorGridDelegate;
    void GetEditText(int col, int row, QString &value);
    void WidenNumberColumn();
    void MoveDown();
    static void PaintMark(QPainter *painter, const QRect &rect, const QColor &color);

    bool FEditing = false;
    bool FRevertingSelection = false;
    bool FChangingCurrent = false;
};
