#include "JournalModel.h"

#include "Cp1251.h"

namespace {

QByteArray CellBytes(const QString &text)
{
    QString clean = text;
    for (QChar &c : clean) {
        if (c == u'\t' || c == u'\r' || c == u'\n')
            c = u' ';
    }
    return Cp1251::Encode(clean);
}

} // namespace

JournalModel::JournalModel(JournalCaptions captions, QObject *parent)
    : QAbstractTableModel(parent), FCaptions(std::move(captions))
{
    FRows.AppendEmpty();
}

QString JournalModel::Cell(int col, int row) const
{
    if (col < 0 || col >= ColCount || row < 0 || row >= RowCount())
        return {};
    if (row == 0)
        return FCaptions[size_t(col)];
    if (col == 0)
        return QString::number(row);
    return Cp1251::Decode(FRows.Field(row - 1, col));
}

void JournalModel::SetCell(int col, int row, const QString &text)
{
    if (IsJournalRow(row))
        WriteCells(row, col, {text});
}

void JournalModel::WriteEntryCells(int firstCol, const QStringList &texts, quint32 undecoded)
{
    // Before the cells change, so that whoever watches them sees the mark.
    if (undecoded != 0)
        FUndecoded[EntryRow()] = undecoded;
    else
        FUndecoded.erase(EntryRow());
    WriteCells(EntryRow(), firstCol, texts);
}

quint32 JournalModel::UndecodedColumns(int row) const
{
    const auto at = FUndecoded.find(row);
    return at == FUndecoded.end() ? 0 : at->second;
}

void JournalModel::SetUndecoded(TUndecoded undecoded)
{
    std::erase_if(undecoded, [this](const auto &cell) { return !IsJournalRow(cell.first) || cell.second == 0; });
    FUndecoded = std::move(undecoded);
    if (RowCount() > 1)
        emit dataChanged(index(0, 0), index(RowCount() - 2, ColCount - 1));
}

void JournalModel::WriteCells(int row, int firstCol, const QStringList &texts)
{
    if (firstCol < 1)
        return;
    const int lastCol = std::min<int>(ColCount - 1, firstCol + int(texts.size()) - 1);
    if (lastCol < firstCol)
        return;
    std::array<QByteArray, JournalRows::FieldCount> held;
    JournalRows::Fields fields = FRows.AllFields(row - 1);
    for (int col = firstCol; col <= lastCol; ++col) {
        held[size_t(col - 1)] = CellBytes(texts[col - firstCol]);
        fields[size_t(col - 1)] = held[size_t(col - 1)];
    }
    FRows.SetFields(row - 1, fields);
    emit dataChanged(index(row - 1, firstCol), index(row - 1, lastCol));
}

void JournalModel::AppendEntryRow()
{
    const int modelRow = int(FRows.Count());
    beginInsertRows({}, modelRow, modelRow);
    FRows.AppendEmpty();
    endInsertRows();
}

void JournalModel::Reset()
{
    beginResetModel();
    FRows.Clear();
    FRows.AppendEmpty();
    FUndecoded.clear();
    endResetModel();
}

void JournalModel::ReplaceRows(JournalRows &&rows)
{
    beginResetModel();
    FRows = std::move(rows);
    if (FRows.IsEmpty())
        FRows.AppendEmpty();
    FUndecoded.clear();
    endResetModel();
}

int JournalModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(FRows.Count());
}

int JournalModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColCount;
}

QVariant JournalModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    return Cell(index.column(), index.row() + 1);
}

bool JournalModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || role != Qt::EditRole || index.column() != LabelColumn)
        return false;
    const int row = index.row() + 1;
    const QByteArray before = FRows.Field(row - 1, LabelColumn).toByteArray();
    const QString text = value.toString();
    SetCell(index.column(), row, text);
    if (FRows.Field(row - 1, LabelColumn) != before)
        emit LabelEdited(row, text);
    return true;
}

Qt::ItemFlags JournalModel::flags(const QModelIndex &index) const
{
    if (!index.isValid() || index.column() == 0)
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.column() == LabelColumn)
        f |= Qt::ItemIsEditable;
    return f;
}

QVariant JournalModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal)
        return section >= 0 && section < ColCount ? FCaptions[size_t(section)] : QVariant();
    return QString::number(section + 1);
}
