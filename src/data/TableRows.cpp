#include "TableRows.h"

#include <QSqlError>
#include <QSqlQuery>
#include <limits>

namespace {

QString quoted(QString name) {
    name.replace(u'"', QLatin1String("\"\""));
    return u'"' + name + u'"';
}

// Ends a read: no statement may keep the file locked between events.
Status finish(QSqlQuery& query, const Database& db) {
    const QSqlError error = query.lastError();
    query.finish();
    return error.isValid() ? Status::failure(db.describe(error)) : Status::success();
}

} // namespace

TableRows::TableRows(QString table, QStringList columns)
    : m_table(std::move(table)), m_columns(std::move(columns)) {}

Status TableRows::keysAfter(const Database& db, qint64 after, int limit, QVector<qint64>& keys,
                            std::optional<qint64> upTo) const {
    QSqlQuery query(db.sql());
    query.setForwardOnly(true);
    const bool prepared = db.prepare(
        query, QStringLiteral("SELECT %2 FROM %1 WHERE %2 > ? AND %2 <= ? ORDER BY %2 LIMIT ?")
                   .arg(quoted(m_table), quoted(db.keyColumn(m_table))));
    query.addBindValue(after);
    query.addBindValue(upTo.value_or(std::numeric_limits<qint64>::max()));
    // A negative limit is no limit to the file; the server takes none at all.
    query.addBindValue(limit < 0 ? std::numeric_limits<qint64>::max() : qint64(limit));
    if (!db.execPrepared(query, prepared))
        return Status::failure(db.describe(query.lastError()));
    while (query.next())
        keys.append(query.value(0).toLongLong());
    return finish(query, db);
}

Status TableRows::rowsBetween(const Database& db, qint64 first, qint64 last,
                              QVector<Row>& rows) const {
    QStringList columns;
    for (const QString& column : m_columns)
        columns << quoted(column);
    QSqlQuery query(db.sql());
    query.setForwardOnly(true);
    const QString key = quoted(db.keyColumn(m_table));
    const bool prepared = db.prepare(
        query, QStringLiteral("SELECT %3, %1 FROM %2 WHERE %3 BETWEEN ? AND ? ORDER BY %3")
                   .arg(columns.join(u", "), quoted(m_table), key));
    query.addBindValue(first);
    query.addBindValue(last);
    if (!db.execPrepared(query, prepared))
        return Status::failure(db.describe(query.lastError()));
    while (query.next()) {
        Row row{query.value(0).toLongLong(), {}};
        row.values.reserve(m_columns.size());
        for (int i = 0; i < m_columns.size(); ++i)
            row.values.append(query.value(i + 1));
        rows.append(std::move(row));
    }
    return finish(query, db);
}
