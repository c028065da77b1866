#include "SelectionStatusLabel.h"

#include "NumberEdit.h"
#include "SelectionStatistics.h"

#include <QAbstractItemView>
#include <QItemSelectionModel>

TSelectionStatusLabel::TSelectionStatusLabel(QAbstractItemView *View, QWidget *Parent) : QLabel(Parent), FView(View)
{
    setObjectName(QStringLiteral("SelectionStatus"));
    QAbstractItemModel *model = View->model();
    connect(View->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TSelectionStatusLabel::UpdateStatistics);
    // A result or a label can change a selected cell; changes elsewhere (most
    // of them) leave the figures as they are.
    connect(model, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex &TopLeft, const QModelIndex &BottomRight) {
                if (!FView || !FView->selectionModel())
                    return;
                const QItemSelectionRange changed(TopLeft, BottomRight);
                for (const QItemSelectionRange &range : FView->selectionModel()->selection()) {
                    if (range.intersects(changed)) {
                        UpdateStatistics();
                        return;
                    }
                }
            });
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
    const QChar separator = numedit::RegionalDecimalSeparator();
    setText(SelectionStatisticsText(SelectionStatistics(texts, separator), separator));
}
