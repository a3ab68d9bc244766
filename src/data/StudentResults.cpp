#include "StudentResults.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <functional>

namespace {

const QString kResults = QStringLiteral("Rezultat");
const QString kDelivered = QStringLiteral("kvz_delivery");
const QString kName = QStringLiteral("\"Фамилия, Имя, Отчество\"");
const QString kPercent = QStringLiteral("\"Результат выполнения\"");

QString keyColumn(const Database& db) {
    return u'"' + db.keyColumn(kResults) + u'"';
}

QString answerColumns() {
    QStringList columns;
    for (int k = 1; k <= FinishedTest::kQuestions; ++k)
        columns << QStringLiteral("\"Вопрос %1\"").arg(k);
    return columns.join(QStringLiteral(", "));
}

// Runs a write of the group begun: never again on another connection, where it would not
// belong to the group.
bool run(const Database& db, QSqlQuery& query) {
    return db.exec(query, Database::Retry::No);
}

// The first row of one statement that returns one (a key).
bool returnedKey(const Database& db, QSqlQuery& query, qint64& key, bool& found) {
    if (!run(db, query))
        return false;
    found = query.next();
    if (found)
        key = query.value(0).toLongLong();
    const bool ok = !query.lastError().isValid();
    query.finish();
    return ok;
}

// The group of writes as one: committed whole, or nothing of it.
Status inOneStep(const Database& db, const std::function<bool(QSqlQuery&)>& work) {
    QSqlQuery query(db.sql());
    if (!db.beginWrite(query))
        return Status::failure(db.describe(query.lastError()));
    if (work(query) && db.commit(query))
        return Status::success();
    const QSqlError error = query.lastError();
    db.rollback();
    return Status::failure(db.describe(error));
}

// The file keeps its record of delivered attempts in a table of the program's own, made when
// first needed; the server has it from its set-up.
bool recordOfDeliveries(const Database& db, QSqlQuery& query) {
    if (db.hasTable(kDelivered))
        return true;
    return db.exec(query, QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (attempt TEXT PRIMARY KEY, "
                                         "\"Код\" INTEGER NOT NULL)")
                              .arg(kDelivered));
}

bool alreadyDelivered(const Database& db, QSqlQuery& query, const QString& attempt, qint64& key,
                      bool& found) {
    db.prepare(query, QStringLiteral("SELECT \"Код\" FROM %1 WHERE attempt = ?").arg(kDelivered));
    query.addBindValue(attempt);
    return returnedKey(db, query, key, found);
}

void bindOutcomes(QSqlQuery& query, const FinishedTest& test) {
    for (int outcome : test.outcomes)
        query.addBindValue(outcome == 1 ? -1 : 0);
    query.addBindValue(test.percent);
}

bool intoOwnRow(const Database& db, QSqlQuery& query, const FinishedTest& test, qint64& key,
                bool& found) {
    QString assignments = answerColumns().replace(QLatin1String(", "), QLatin1String(" = ?, "));
    db.prepare(query,
               QStringLiteral("UPDATE %1 SET %2 = ?, %3 = ? WHERE %4 = ? AND coalesce(%5, '') "
                              "= ? RETURNING %4")
                   .arg(u'"' + kResults + u'"', assignments, kPercent, keyColumn(db), kName));
    bindOutcomes(query, test);
    query.addBindValue(test.key);
    query.addBindValue(test.name);
    return returnedKey(db, query, key, found);
}

bool intoNewRow(const Database& db, QSqlQuery& query, const FinishedTest& test, qint64& key) {
    QStringList marks(FinishedTest::kQuestions + 2, QStringLiteral("?"));
    db.prepare(query, QStringLiteral("INSERT INTO %1 (%2, %3, %4) VALUES (%5) RETURNING %6")
                          .arg(u'"' + kResults + u'"', kName, answerColumns(), kPercent,
                               marks.join(QStringLiteral(", ")), keyColumn(db)));
    query.addBindValue(test.name);
    bindOutcomes(query, test);
    bool found = false;
    return returnedKey(db, query, key, found) && found;
}

bool noteDelivery(const Database& db, QSqlQuery& query, const QString& attempt, qint64 key) {
    db.prepare(query,
               QStringLiteral("INSERT INTO %1 (attempt, \"Код\") VALUES (?, ?)").arg(kDelivered));
    query.addBindValue(attempt);
    query.addBindValue(key);
    return run(db, query);
}

} // namespace

namespace StudentResults {

Status claimRow(const Database& db, const QString& name, qint64& key) {
    const QString table = u'"' + kResults + u'"';
    return inOneStep(db, [&](QSqlQuery& query) {
        bool found = false;
        // The first row, when it is the only one and has no name.
        db.prepare(query, QStringLiteral("UPDATE %1 SET %2 = ? WHERE %3 = (SELECT min(%3) FROM %1) "
                                         "AND coalesce(%2, '') = '' AND (SELECT count(*) FROM "
                                         "(SELECT 1 FROM %1 LIMIT 2) AS two) = 1 RETURNING %3")
                              .arg(table, kName, keyColumn(db)));
        query.addBindValue(name);
        if (!returnedKey(db, query, key, found))
            return false;
        if (found)
            return true;
        db.prepare(query, QStringLiteral("INSERT INTO %1 (%2) VALUES (?) RETURNING %3")
                              .arg(table, kName, keyColumn(db)));
        query.addBindValue(name);
        return returnedKey(db, query, key, found) && found;
    });
}

Status deliver(const Database& db, const FinishedTest& test, qint64& key) {
    QSqlQuery setUp(db.sql());
    if (!recordOfDeliveries(db, setUp))
        return Status::failure(db.describe(setUp.lastError()));
    return inOneStep(db, [&](QSqlQuery& query) {
        bool found = false;
        if (!alreadyDelivered(db, query, test.attempt, key, found))
            return false;
        if (found)
            return true;
        if (!intoOwnRow(db, query, test, key, found))
            return false;
        if (!found && !intoNewRow(db, query, test, key))
            return false;
        return noteDelivery(db, query, test.attempt, key);
    });
}

} // namespace StudentResults
