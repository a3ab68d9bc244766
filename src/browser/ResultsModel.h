#pragma once

#include "TableRows.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <QVector>
#include <memory>
#include <optional>

class DataControl;
class Database;
class Form;
class Recordset;
struct Status;

// The rows of a record source's table for a grid: one column per field in field order, headed
// by the field's name, one line per row in natural order. Every row's key is read when the
// source opens, so a move of its cursor never adds lines to the grid (only rows written since by
// another window); values are read a page at a time as the grid paints, and only a bounded
// number of rows is kept. The record source's current row is shown from its cursor, pending
// edit included; an edited cell becomes a pending edit of that row, written by the record
// source's own rule (on its next move or when its window unloads). Rows are never added or
// deleted here; a row deleted through the cursor leaves the grid a moment later, together with
// the others deleted meanwhile: each removal makes the view lay out and paint every line again.
class ResultsModel : public QAbstractTableModel {
    Q_OBJECT
public:
    ResultsModel(DataControl& data, const Form& form, QObject* parent = nullptr);

    // Read only: no cell can be edited.
    void setReadOnly(bool readOnly);
    bool isReadOnly() const { return m_readOnly; }

    // The line of the record source's current row; -1 when it has none.
    int currentLine() const { return m_currentLine; }
    // Makes the row on this line the record source's current row (its pending edit is written).
    bool makeCurrent(int line);
    // Shows what was written elsewhere since: the lines of rows deleted elsewhere go, a line for
    // each new row comes at the end, every other line is read again as it paints; with
    // `currentRowToo` the current row too, read afresh unless it has a pending edit. The current
    // row stays unless it was deleted; then, when it had an edit (pending, or being `typed`),
    // the edit is dropped and the row's name is returned, for the window to say so. When the
    // store does not answer, every line keeps what it shows and refreshFailed tells why.
    std::optional<QString> showChangesElsewhere(bool currentRowToo, bool typed);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

signals:
    // The record source's current row is now on this line (-1: none).
    void currentLineChanged(int line);
    // The record selector of this line changed: the current row's marker came or went, or its
    // pending edit did. A header-data change would make the view lay out every line again.
    void recordSelectorChanged(int line);
    // Another program, or another connection of this one, changed the table.
    void changedElsewhere();
    // Reading the table failed: the lines keep what they show. `refreshed` when it succeeds.
    void refreshFailed(const Status& status);
    void refreshed();

private:
    Recordset* recordset() const;
    bool isCell(const QModelIndex& index) const;
    QString cellName(const QModelIndex& index) const;
    void recordSourceOpened(Recordset& rs);
    void watchResults(const Database& shared);
    void recordMoved();
    void rowDeleted(qint64 key);
    void removeDeletedLines();
    bool forgetRowsGone(const QVector<qint64>& kept);
    void currentValueChanged(int field);
    void appendKeys(std::optional<qint64> upTo = std::nullopt);
    int lineOf(qint64 key) const;
    int lineFetchingUpTo(qint64 key);
    void keepCurrentValues();
    QVector<QVariant> rowValues(int line) const;
    void readPageOf(int line) const;
    void makeRoomFor(int rows) const;
    void reportReadFailure(const Status& status) const;
    void lineChanged(int line);

    QPointer<DataControl> m_data;
    const Form& m_form;
    std::optional<TableRows> m_reader;
    std::shared_ptr<const Database> m_watch;
    QStringList m_columns;
    QVector<bool> m_editable; // per column: the database fills the counter
    QVector<qint64> m_keys;
    // The current row's values as shown: when the cursor leaves the row they are what was just
    // written, and painting that line again needs no read.
    QVector<QVariant> m_currentValues;
    mutable QHash<qint64, QVector<QVariant>> m_rows; // by key; read for painting, bounded
    QVector<qint64> m_deleted;                       // rows deleted whose lines are still shown
    QTimer m_removal;
    bool m_readOnly = false;
    int m_currentLine = -1;
    mutable bool m_readFailureReported = false;
};
