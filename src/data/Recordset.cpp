#include "Recordset.h"

#include "Numbers.h"

#include <QDir>
#include <QSqlError>
#include <QStringList>
#include <cmath>

namespace {

std::optional<int> parseYesNo(const QVariant& value) {
    if (value.typeId() == QMetaType::Bool)
        return value.toBool() ? -1 : 0;
    const QString s = value.toString().trimmed().toLower();
    if (s == u"0" || s == u"нет" || s == u"false" || s == u"ложь")
        return 0;
    if (s == u"-1" || s == u"1" || s == u"да" || s == u"true" || s == u"истина")
        return -1;
    return std::nullopt;
}

QString refusal(const QVariant& value, const Field& field, const QString& need) {
    return QStringLiteral("Значение «%1» не подходит для поля «%2»: %3. Сохранено прежнее "
                          "значение.")
        .arg(value.toString(), field.name, need);
}

} // namespace

std::unique_ptr<Recordset> Recordset::open(std::shared_ptr<Database> db, const QString& table,
                                           Status& status) {
    if (!db->hasTable(table)) {
        status = Status::failure(
            QStringLiteral("В базе данных «%1» нет таблицы «%2».").arg(db->label(), table));
        return nullptr;
    }
    QVector<Field> fields = db->fields(table, status);
    if (!status.ok())
        return nullptr;
    std::unique_ptr<Recordset> rs(new Recordset(std::move(db), table, std::move(fields)));
    status = rs->MoveFirst();
    if (!status.ok())
        return nullptr;
    return rs;
}

Recordset::Recordset(std::shared_ptr<Database> db, QString table, QVector<Field> fields)
    : m_db(std::move(db)), m_table(std::move(table)), m_key(m_db->keyColumn(m_table)),
      m_fields(std::move(fields)) {
    m_values.resize(m_fields.size());
    prepareQueries();
}

// On the connection as it is now: one that was opened again knows none prepared before.
void Recordset::prepareQueries() {
    QStringList columns;
    for (const Field& f : m_fields)
        columns << quoted(f.name);
    const QString select =
        QStringLiteral("SELECT %1, %2 FROM %3 ").arg(key(), columns.join(u", "), quoted(m_table));
    const std::pair<QSqlQuery*, QString> queries[] = {
        {&m_first, QStringLiteral("ORDER BY %1 LIMIT 1")},
        {&m_last, QStringLiteral("ORDER BY %1 DESC LIMIT 1")},
        {&m_next, QStringLiteral("WHERE %1 > ? ORDER BY %1 LIMIT 1")},
        {&m_previous, QStringLiteral("WHERE %1 < ? ORDER BY %1 DESC LIMIT 1")},
        {&m_byId, QStringLiteral("WHERE %1 = ?")},
    };
    m_prepared = true;
    for (auto [query, tail] : queries) {
        *query = QSqlQuery(m_db->sql());
        query->setForwardOnly(true);
        m_prepared = m_db->prepare(*query, select + tail.arg(key())) && m_prepared;
    }
    m_generation = m_db->generation();
}

// A statement that could not be prepared (the server was away, say) is prepared again first.
bool Recordset::run(QSqlQuery& query) {
    if (!m_prepared || m_generation != m_db->generation()) {
        const QVariantList values = query.boundValues();
        prepareQueries(); // `query` is one of them
        for (int i = 0; i < values.size(); ++i)
            query.bindValue(i, values[i]);
        if (query.lastError().isValid())
            return false;
    }
    return m_db->exec(query);
}

Recordset::~Recordset() = default;

int Recordset::fieldIndex(const QString& name) const {
    for (int i = 0; i < m_fields.size(); ++i) {
        if (m_fields[i].name == name)
            return i;
    }
    return -1;
}

QString Recordset::quoted(const QString& name) const {
    QString q = name;
    q.replace(u'"', QLatin1String("\"\""));
    return u'"' + q + u'"';
}

Status Recordset::failure(const QSqlQuery& query) const {
    return Status::failure(m_db->describe(query.lastError()));
}

Status Recordset::noCurrentRow() const {
    return Status::failure(QStringLiteral("В таблице «%1» нет текущей записи.").arg(m_table));
}

Status Recordset::land(QSqlQuery& query, Position ifNone) {
    if (!run(query))
        return failure(query);
    if (!query.next()) {
        const Status status = query.lastError().isValid() ? failure(query) : Status::success();
        query.finish();
        if (status.ok())
            m_position = ifNone;
        return status;
    }
    m_rowid = query.value(0).toLongLong();
    for (int i = 0; i < m_fields.size(); ++i)
        m_values[i] = query.value(i + 1);
    // Read to its end: no statement may keep the file locked between events, nor hold back a
    // server's notices behind a result not read whole.
    query.next();
    query.finish();
    m_position = Position::OnRow;
    m_empty = false;
    m_dirty.clear();
    emit rowLoaded();
    return Status::success();
}

Status Recordset::flushThenLand(QSqlQuery& query, bool bindCurrent, Position ifNone) {
    if (Status s = flush(); !s.ok())
        return s;
    if (bindCurrent)
        query.bindValue(0, m_rowid);
    return land(query, ifNone);
}

Status Recordset::MoveFirst() {
    const Status s = flushThenLand(m_first, false, Position::AfterEnd);
    m_empty = s.ok() && m_position == Position::AfterEnd;
    return s;
}

Status Recordset::MoveLast() {
    const Status s = flushThenLand(m_last, false, Position::AfterEnd);
    m_empty = s.ok() && m_position == Position::AfterEnd;
    return s;
}

Status Recordset::MoveNext() {
    if (eof())
        return noCurrentRow();
    if (m_position == Position::BeforeStart)
        return flushThenLand(m_first, false, Position::AfterEnd);
    return flushThenLand(m_next, true, Position::AfterEnd);
}

Status Recordset::MovePrevious() {
    if (bof())
        return noCurrentRow();
    if (m_position == Position::AfterEnd)
        return flushThenLand(m_last, false, Position::BeforeStart);
    return flushThenLand(m_previous, true, Position::BeforeStart);
}

Status Recordset::MoveLastUpTo(qint64 key) {
    if (Status s = flush(); !s.ok())
        return s;
    m_previous.bindValue(0, key + 1);
    const Status s = land(m_previous, Position::AfterEnd);
    m_empty = s.ok() && m_position == Position::AfterEnd;
    return s;
}

std::optional<qint64> Recordset::Bookmark() const {
    if (m_position != Position::OnRow)
        return std::nullopt;
    return m_rowid;
}

Status Recordset::setBookmark(qint64 bookmark) {
    if (Status s = flush(); !s.ok())
        return s;
    const Position before = m_position;
    m_byId.bindValue(0, bookmark);
    const Status s = land(m_byId, before);
    if (s.ok() && (m_position != Position::OnRow || m_rowid != bookmark))
        return Status::failure(
            QStringLiteral("Запись таблицы «%1», к которой нужно вернуться, удалена.")
                .arg(m_table));
    return s;
}

QVariant Recordset::defaultValue(const Field& field) const {
    return field.kind == FieldKind::YesNo ? QVariant(0) : QVariant();
}

Status Recordset::AddNew() {
    if (Status s = flush(); !s.ok())
        return s;
    for (int i = 0; i < m_fields.size(); ++i)
        m_values[i] = defaultValue(m_fields[i]);
    m_dirty.clear();
    m_position = Position::New;
    emit rowLoaded();
    return Status::success();
}

Status Recordset::Edit() {
    return hasCurrentRow() ? Status::success() : noCurrentRow();
}

Status Recordset::Update() {
    return hasCurrentRow() ? flush() : noCurrentRow();
}

Status Recordset::Delete() {
    if (m_position != Position::OnRow)
        return noCurrentRow();
    QSqlQuery query(m_db->sql());
    if (!m_db->prepare(query,
                       QStringLiteral("DELETE FROM %1 WHERE %2 = ?").arg(quoted(m_table), key())))
        return failure(query);
    query.addBindValue(m_rowid);
    if (!m_db->exec(query))
        return failure(query);
    // No checkpoint: a deletion takes no result away that a copy of the file would need, and
    // delete-all deletes row after row; the next store, closing or the program's end
    // checkpoints.
    m_db->afterLightWrite();
    m_dirty.clear();
    m_position = Position::Deleted;
    emit rowDeleted(m_rowid);
    return Status::success();
}

Status Recordset::setValue(int field, const QVariant& value) {
    if (field < 0 || field >= m_fields.size())
        return Status::failure(QStringLiteral("В таблице «%1» нет такого поля.").arg(m_table));
    if (!hasCurrentRow())
        return noCurrentRow();
    const Field& f = m_fields[field];
    QVariant stored;
    switch (f.kind) {
    case FieldKind::Counter:
        return Status::failure(refusal(value, f, QStringLiteral("его заполняет база данных")));
    case FieldKind::Text:
        stored = value.isNull() ? QVariant() : QVariant(value.toString());
        break;
    case FieldKind::YesNo: {
        const auto flag = parseYesNo(value);
        if (!flag)
            return Status::failure(refusal(value, f, QStringLiteral("нужно -1 (да) или 0 (нет)")));
        stored = *flag;
        break;
    }
    case FieldKind::Whole:
    case FieldKind::Number: {
        if (value.isNull() || value.toString().trimmed().isEmpty())
            break; // an empty number is allowed
        const auto number = kvz::typedNumber(value.toString());
        const bool whole = f.kind == FieldKind::Whole;
        if (!number || (whole && (*number != std::floor(*number) || std::fabs(*number) > 9e15)))
            return Status::failure(refusal(value, f,
                                           whole ? QStringLiteral("нужно целое число")
                                                 : QStringLiteral("нужно число")));
        stored = whole ? QVariant(qint64(*number)) : QVariant(*number);
        break;
    }
    }
    m_values[field] = stored;
    m_dirty.insert(field);
    emit valueChanged(field);
    return Status::success();
}

Status Recordset::flush() {
    if (!hasPendingEdit())
        return Status::success();
    QStringList names;
    QVariantList values;
    for (int i = 0; i < m_fields.size(); ++i) {
        if (m_dirty.contains(i)) {
            names << quoted(m_fields[i].name);
            values << m_values[i];
        }
    }
    QSqlQuery query(m_db->sql());
    QString statement;
    if (isNew()) {
        QStringList marks;
        for (qsizetype i = 0; i < names.size(); ++i)
            marks << QStringLiteral("?");
        statement = names.isEmpty()
                        ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES RETURNING %2")
                              .arg(quoted(m_table), key())
                        : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3) RETURNING %4")
                              .arg(quoted(m_table), names.join(u", "), marks.join(u", "), key());
    } else {
        statement = QStringLiteral("UPDATE %1 SET %2 = ? WHERE %3 = ?")
                        .arg(quoted(m_table), names.join(QLatin1String(" = ?, ")), key());
        values << m_rowid;
    }
    if (!m_db->prepare(query,
                       statement)) // the server checks it against the table, which may be locked
        return failure(query);
    for (const QVariant& v : values)
        query.addBindValue(v);
    // A new row is not added twice: a lost connection may have added it already.
    if (!m_db->exec(query, isNew() ? Database::Retry::No : Database::Retry::Yes))
        return failure(query);
    const qint64 newKey = isNew() && query.next() ? query.value(0).toLongLong() : 0;
    const int affected = query.numRowsAffected();
    query.finish(); // commits an insert that returned its key
    m_db->afterWrite();
    if (isNew()) {
        m_rowid = newKey;
        m_position = Position::OnRow;
        m_empty = false;
    } else if (affected == 0) {
        m_dirty.clear();
        return Status::failure(
            QStringLiteral("Запись таблицы «%1» удалена, изменения в ней не сохранены.")
                .arg(m_table));
    }
    m_dirty.clear();
    return Status::success();
}

void Recordset::CancelUpdate() {
    m_dirty.clear();
    if (isNew())
        m_position = Position::BeforeStart;
}

QString Recordset::displayText(const QVariant& value) {
    if (value.isNull())
        return {};
    if (value.typeId() == QMetaType::Double) {
        const double v = value.toDouble();
        if (v == std::floor(v) && std::fabs(v) < 1e15)
            return QString::number(qint64(v));
        return QString::number(v, 'g', 15);
    }
    return value.toString();
}
