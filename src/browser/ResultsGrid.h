#pragma once

#include <QObject>
#include <QTimer>

class DataControl;
class Form;
class QModelIndex;
class ResultsModel;
class ResultsView;

// Binds a table view to a record source, as the data grid of the results browser: every field
// a column, every row a line with a record selector, cells in MS Serif 6.75 pt under headings
// in MS Sans Serif 8.25 pt. The view's current line follows the record source's current row,
// and picking a line makes that row current. What other programs store shows within moments,
// with the current line, the scrolling and an edit in progress left as they are.
class ResultsGrid : public QObject {
    Q_OBJECT
public:
    ResultsGrid(ResultsView& view, DataControl& data, const Form& form);

    ResultsModel& model() const { return *m_model; }

private:
    void followRecordSource(int line);
    void repaintSelector(int line);
    void lineChosen(const QModelIndex& current);
    void sizeColumns();
    void showChangesElsewhere();

    ResultsView& m_view;
    const Form& m_form;
    ResultsModel* m_model;
    QTimer m_changes; // a burst of changes elsewhere is shown once
    bool m_following = false;
};
