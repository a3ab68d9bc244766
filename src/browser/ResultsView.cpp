#include "ResultsView.h"

void ResultsView::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    if (hasFocus())
        QTableView::currentChanged(current, previous);
    else
        QAbstractItemView::currentChanged(current, previous); // the same, without the announcement
}
