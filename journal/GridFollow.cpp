#include "GridFollow.h"

#include "JournalGrid.h"

#include <QScrollBar>

#include <memory>
#include <utility>

bool FollowsAppendedRow(const TGridFollowView &View)
{
    return !View.EditorOpen && View.ScrollPosition >= View.ScrollMaximum;
}

void FollowAppendedRows(TColorStringGrid &Grid)
{
    QAbstractItemModel *model = Grid.model();
    // Decided before the row exists: afterwards the end has moved away.
    auto follow = std::make_shared<bool>(false);
    QObject::connect(model, &QAbstractItemModel::rowsAboutToBeInserted, &Grid,
                     [&Grid, model, follow](const QModelIndex &Parent, int First) {
                         Grid.LayOutPendingRows();
                         const QScrollBar *bar = Grid.verticalScrollBar();
                         *follow = !Parent.isValid() && First == model->rowCount() &&
                                   FollowsAppendedRow({Grid.IsEditing(), bar->value(), bar->maximum()});
                     });
    QObject::connect(model, &QAbstractItemModel::rowsInserted, &Grid, [&Grid, follow] {
        if (std::exchange(*follow, false))
            Grid.scrollToBottom();
    });
}
