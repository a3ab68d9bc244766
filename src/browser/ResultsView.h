#pragma once

#include <QTableView>

// The results grid's view. Qt's table view tells a screen reader that focus moved to the new
// current cell even when the view has no focus; the grid's current line follows the record
// source through every step of the browser's loops, so a reader would speak row after row
// over whatever the teacher is on. Here the cell is announced only while the grid has focus.
class ResultsView : public QTableView {
    Q_OBJECT
public:
    using QTableView::QTableView;

    // A cell's editor is open: what the teacher types there is not yet the row's.
    bool isEditing() const { return state() == EditingState; }

protected:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
};
