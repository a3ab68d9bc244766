#pragma once

#include "TableRows.h"

#include <QAbstractTableModel>
#include <QPointer>
#include <QStringList>
#include <QVector>
#include <optional>

class DataControl;
class Form;
class Recordset;
struct Status;

// The rows of a record source's table for a grid: one column per field in field order, headed
// by the field's name, one line per row in natural order, fetched in batches as the grid
// scrolls, so that a large table opens at once. The record source's current row is shown from
// its cursor, pending edit included; an edited cell becomes a pending edit of that row, written
// by the record source's own rule (on its next move or when its window unloads). Rows are never
// added or deleted here; a row deleted through the cursor leaves the grid.
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

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

signals:
    // The record source's current row is now on this line (-1: none).
    void currentLineChanged(int line);

private:
    Recordset* recordset() const;
    bool isCell(const QModelIndex& index) const;
    QString cellName(const QModelIndex& index) const;
    void recordSourceOpened(Recordset& rs);
    void recordMoved();
    void rowDeleted(qint64 key);
    void currentValueChanged(int field);
    int appendKeys(int limit, std::optional<qint64> upTo = std::nullopt);
    int lineOf(qint64 key) const;
    int lineFetchingUpTo(qint64 key);
    const QVector<QVariant>& rowValues(int line) const;
    void readPageOf(int line) const;
    void reportReadFailure(const Status& status) const;
    void lineChanged(int line);

    QPointer<DataControl> m_data;
    const Form& m_form;
    std::optional<TableRows> m_reader;
    QStringList m_columns;
    QVector<bool> m_editable; // per column: the database fills the counter
    QVector<qint64> m_keys;
    mutable QVector<QVector<QVariant>> m_values; // per line; empty until read
    bool m_atEnd = true;
    int m_keyBatch = 0;
    bool m_readOnly = false;
    int m_currentLine = -1;
    mutable bool m_readFailureReported = false;
};
