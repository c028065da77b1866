#include "SelectionStatusLabel.h"

#include "SelectionStatistics.h"

#include <QAbstractItemView>
#include <QItemSelectionModel>
#include <QLocale>

TSelectionStatusLabel::TSelectionStatusLabel(QAbstractItemView *View, QWidget *Parent) : QLabel(Parent), FView(View)
{
    setObjectName(QStringLiteral("SelectionStatus"));
    QAbstractItemModel *model = View->model();
    connect(View->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TSelectionStatusLabel::UpdateStatistics);
    // A result or a label can change a selected cell.
    connect(model, &QAbstractItemModel::dataChanged, this, &TSelectionStatusLabel::UpdateStatistics);
    connect(model, &QAbstractItemModel::modelReset, this, &TSelectionStatusLabel::UpdateStatistics);
    UpdateStatistics();
}

void TSelectionStatusLabel::UpdateStatistics()
{
    QStringList texts;
    if (FView && FView->selectionModel()) {
        const QModelIndexList cells = FView->selectionModel()->selectedIndexes();
        texts.reserve(cells.size());
        for (const QModelIndex &cell : cells)
            texts << cell.data(Qt::DisplayRole).toString();
    }
    // The journal writes its values with the locale's separator.
    const QChar separator = QLocale().decimalPoint().front();
    setText(SelectionStatisticsText(SelectionStatistics(texts, separator), separator));
}
