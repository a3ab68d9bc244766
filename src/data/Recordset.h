#pragma once

#include "Database.h"
#include "Field.h"
#include "Status.h"

#include <QObject>
#include <QSet>
#include <QSqlQuery>
#include <QVariant>
#include <QVector>
#include <memory>
#include <optional>

// The cursor of a record source over one whole table in natural order (insertion order, the
// order of the key the database assigns).
// Every move first writes the pending edit of the current row, then reads the row it lands on
// afresh from the table, so rows and values written by other sources are seen. Every write
// reaches the database file itself at once, not only its log.
class Recordset : public QObject {
    Q_OBJECT
public:
    static std::unique_ptr<Recordset> open(std::shared_ptr<Database> db, const QString& table,
                                           Status& status);
    ~Recordset() override;

    const QString& table() const { return m_table; }
    const Database& database() const { return *m_db; }
    const QVector<Field>& fields() const { return m_fields; }
    int fieldIndex(const QString& name) const; // -1 when the table has no such field

    Status MoveFirst();
    Status MoveLast();
    Status MoveNext();
    Status MovePrevious();
    // The last row whose key is at most `key` (rows added after it are left alone).
    Status MoveLastUpTo(qint64 key);
    bool eof() const { return m_position == Position::AfterEnd || m_empty; }
    bool bof() const { return m_position == Position::BeforeStart || m_empty; }
    bool hasCurrentRow() const { return m_position == Position::OnRow || isNew(); }

    Status AddNew();
    Status Edit();
    Status Update();
    Status Delete();
    std::optional<qint64> Bookmark() const;
    Status setBookmark(qint64 bookmark);

    // The current row's value of a field, with the pending edit applied.
    QVariant value(int field) const { return m_values.value(field); }
    // Makes a pending edit; refuses a value that does not fit the field.
    Status setValue(int field, const QVariant& value);
    bool hasPendingEdit() const { return !m_dirty.isEmpty() || isNew(); }
    // Writes the pending edit now; on failure the edit stays pending.
    Status flush();
    // Drops the pending edit. A new row that was never written is dropped with it, and no row
    // is current until the next move.
    void CancelUpdate();

    // The text a value shows in a text box: whole numbers without a decimal part.
    static QString displayText(const QVariant& value);

signals:
    // Another row became current, or the current one was read again.
    void rowLoaded();
    // A pending edit changed the current row's value of this field.
    void valueChanged(int field);
    // The row with this bookmark was deleted through this cursor.
    void rowDeleted(qint64 bookmark);

private:
    enum class Position { OnRow, New, BeforeStart, AfterEnd, Deleted };

    Recordset(std::shared_ptr<Database> db, QString table, QVector<Field> fields);
    void prepareQueries();
    bool run(QSqlQuery& query);
    bool isNew() const { return m_position == Position::New; }
    Status flushThenLand(QSqlQuery& query, bool bindCurrent, Position ifNone);
    Status land(QSqlQuery& query, Position ifNone);
    Status failure(const QSqlQuery& query) const;
    Status noCurrentRow() const;
    QVariant defaultValue(const Field& field) const;
    QString quoted(const QString& name) const;
    QString key() const { return quoted(m_key); }

    std::shared_ptr<Database> m_db;
    QString m_table;
    QString m_key;
    QVector<Field> m_fields;
    QVector<QVariant> m_values;
    QSet<int> m_dirty;
    Position m_position = Position::BeforeStart;
    bool m_empty = false;
    qint64 m_rowid = 0;
    QSqlQuery m_first, m_last, m_next, m_previous, m_byId;
    quint64 m_generation = 0; // of the connection the queries above are prepared on
    bool m_prepared = false;
};
