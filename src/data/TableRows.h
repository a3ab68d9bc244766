#pragma once

#include "Database.h"
#include "Status.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <optional>

// Reads the rows of one whole table by key ranges, for a view that shows many rows at once
// (the results grid) and cannot walk them one by one with a cursor. Keys are the rowids that
// a cursor's Bookmark returns, in the table's natural order. It holds no connection: every
// call runs on the database it is given and finishes its statement.
class TableRows {
public:
    struct Row {
        qint64 key = 0;
        QVector<QVariant> values; // in the order of the columns given
    };

    TableRows(QString table, QStringList columns);

    // The keys greater than `after`, ascending; at most `limit` of them (a negative limit: all),
    // and none above `upTo` when it is given.
    Status keysAfter(const Database& db, qint64 after, int limit, QVector<qint64>& keys,
                     std::optional<qint64> upTo = std::nullopt) const;
    // The rows whose keys lie from `first` to `last`, ascending.
    Status rowsBetween(const Database& db, qint64 first, qint64 last, QVector<Row>& rows) const;

private:
    QString m_table;
    QStringList m_columns;
};
