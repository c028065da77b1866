#pragma once

// The status bar's statistics of the journal cells the operator has
// selected (see SelectionStatistics.h); empty while no number is selected.
// It follows the selection and the cells' texts as they change.

#include <QLabel>
#include <QPointer>

class QAbstractItemView;

class TSelectionStatusLabel : public QLabel {
    Q_OBJECT
public:
    // Watches `View`'s selection; the view must have its model set.
    explicit TSelectionStatusLabel(QAbstractItemView *View, QWidget *Parent = nullptr);

    // Recomputes the text from the current selection.
    void UpdateStatistics();

private:
    QPointer<QAbstractItemView> FView;
};
