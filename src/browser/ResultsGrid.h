#pragma once

#include <QObject>

class DataControl;
class Form;
class QModelIndex;
class QTableView;
class ResultsModel;

// Binds a table view to a record source, as the data grid of the results browser: every field
// a column, every row a line with a record selector, cells in MS Serif 6.75 pt under headings
// in MS Sans Serif 8.25 pt. The view's current line follows the record source's current row,
// and picking a line makes that row current.
class ResultsGrid : public QObject {
    Q_OBJECT
public:
    ResultsGrid(QTableView& view, DataControl& data, const Form& form);

    ResultsModel& model() const { return *m_model; }

private:
    void followRecordSource(int line);
    void repaintSelector(int line);
    void lineChosen(const QModelIndex& current);
    void sizeColumns();

    QTableView& m_view;
    ResultsModel* m_model;
    bool m_following = false;
};
