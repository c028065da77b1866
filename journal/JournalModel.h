#pragma once
// The journal table: 17 columns; row 0 the captions, rows 1..RowCount()-1
// the journal, the last of them the entry row awaiting the next result.
// There are always at least 2 rows, and a row that (re)enters the journal
// starts empty apart from its number.
//
// For Qt views the caption row is the horizontal header and journal row r
// is model row r - 1; column c is model column c in both. Column 0 (the row
// number) is computed, never stored, and has no item flags, so a view can
// neither select nor edit it. Column 1 (the sample label) is the only
// editable column.

#include "JournalRows.h"
#include "JournalTexts.h"

#include <QAbstractTableModel>
#include <QStringList>

#include <map>

class JournalModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int ColCount = JournalTexts::ColumnCount;
    static constexpr int LabelColumn = 1;

    // The captions are row 0, as the journal's owner words them.
    explicit JournalModel(JournalCaptions captions, QObject *parent = nullptr);

    // Row count including the caption row: 2 or more.
    int RowCount() const { return int(FRows.Count()) + 1; }
    int EntryRow() const { return RowCount() - 1; }

    // Any cell: row 0 gives the captions, column 0 the row numbers; cells
    // outside the table are empty.
    QString Cell(int col, int row) const;
    // Writes cell (col, row) of a journal row, columns 1 to 16. A TAB, CR
    // or LF in the text becomes a space, so no text can break the file.
    // Characters outside Windows-1251 become '?'.
    void SetCell(int col, int row, const QString &text);
    // Writes texts into consecutive cells of the entry row from firstCol
    // on, in one step; other cells (the label among them) keep their text.
    // undecoded has bit c set for each column c whose value the analyzer
    // sent but that did not decode (see UndecodedColumns).
    void WriteEntryCells(int firstCol, const QStringList &texts, quint32 undecoded = 0);
    // Adds a new, empty entry row behind the current one.
    void AppendEntryRow();
    // The empty journal: RowCount() == 2, row 1 empty.
    void Reset();
    // Replaces the whole journal (as read from a file). Rows with no rows
    // at all give the empty journal.
    void ReplaceRows(JournalRows &&rows);

    // Cells whose value did not decode and were entered as zero, by row:
    // bit c for column c. Known in memory only (the file has no place for
    // it): reading a file, New and Reset forget it.
    using TUndecoded = std::map<int, quint32>;
    quint32 UndecodedColumns(int row) const;
    bool IsUndecoded(int col, int row) const { return col >= 0 && col < 32 && (UndecodedColumns(row) >> col) & 1u; }
    const TUndecoded &Undecoded() const { return FUndecoded; }
    // Puts back what a recovery knew (rows outside the journal are left out).
    void SetUndecoded(TUndecoded undecoded);

    const JournalRows &Rows() const { return FRows; }
    // A copy of the rows for work that must not see later changes
    // (printing); cheap, see JournalRows::Snapshot.
    JournalRows SnapshotRows() { return FRows.Snapshot(); }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

signals:
    // The operator changed the label of journal row `row` (through setData,
    // as the grid's editor does); `text` as given, before normalising.
    void LabelEdited(int row, const QString &text);

private:
    bool IsJournalRow(int row) const { return row >= 1 && row < RowCount(); }
    // Texts into consecutive cells of journal row `row` from firstCol on
    // (columns beyond 16 are left out), in one step.
    void WriteCells(int row, int firstCol, const QStringList &texts);

    JournalCaptions FCaptions;
    JournalRows FRows;
    TUndecoded FUndecoded; // rare: most rows have none
};
