#include "AttemptTables.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>

namespace {

// Within a group of writes: never run again on a connection opened afresh.
bool runWith(const Database& db, QSqlQuery& query, const QString& statement, qint64 key) {
    if (!db.prepare(query, db.dialect(statement)))
        return false;
    query.addBindValue(key);
    return db.exec(query, Database::Retry::No);
}

} // namespace

namespace AttemptTables {

QString createStatements() {
    return QStringLiteral(
               "CREATE TABLE IF NOT EXISTS %1 (attempt TEXT PRIMARY KEY, \"Код\" BIGINT NOT NULL, "
               "name TEXT NOT NULL, began TEXT NOT NULL, finished TEXT);\n"
               "CREATE INDEX IF NOT EXISTS kvz_attempt_row ON %1 (\"Код\");\n"
               "CREATE TABLE IF NOT EXISTS %2 (attempt TEXT NOT NULL, question INTEGER NOT NULL, "
               "ticks INTEGER NOT NULL, wording TEXT NOT NULL, PRIMARY KEY (attempt, question));\n"
               "CREATE INDEX IF NOT EXISTS kvz_answer_choice ON %2 (question, ticks, wording)")
        .arg(kAttempts, kAnswers);
}

Status ensure(const Database& db) {
    if (db.hasTable(kAttempts) && db.hasTable(kAnswers))
        return Status::success();
    for (const QString& statement : createStatements().split(u';')) {
        QSqlQuery query(db.sql());
        if (!db.exec(query, statement))
            return Status::failure(db.describe(query.lastError()));
    }
    return Status::success();
}

Status forgetResults(const Database& db, qint64 lastKey) {
    if (!db.hasTable(kAttempts))
        return Status::success();
    QStringList statements;
    if (db.hasTable(kAnswers))
        statements << QStringLiteral("DELETE FROM %1 WHERE attempt IN (SELECT attempt FROM %2 "
                                     "WHERE `Код` <= ?)")
                          .arg(kAnswers, kAttempts);
    statements << QStringLiteral("DELETE FROM %1 WHERE `Код` <= ?").arg(kAttempts);
    QSqlQuery query(db.sql());
    if (!db.beginWrite(query))
        return Status::failure(db.describe(query.lastError()));
    for (const QString& statement : statements) {
        query = QSqlQuery(db.sql());
        if (!runWith(db, query, statement, lastKey)) {
            const Status failed = Status::failure(db.describe(query.lastError()));
            db.rollback();
            return failed;
        }
    }
    if (db.commit(query))
        return Status::success();
    const Status failed = Status::failure(db.describe(query.lastError()));
    db.rollback();
    return failed;
}

QString wordingDigest(const QString& text, const std::array<QString, 4>& options,
                      const std::array<bool, 4>& key) {
    QStringList parts{text};
    QString keyText;
    for (int i = 0; i < 4; ++i) {
        parts << options[i];
        keyText += key[i] ? u'1' : u'0';
    }
    parts << keyText;
    return QString::fromLatin1(
        QCryptographicHash::hash(parts.join(QChar(0x1f)).toUtf8(), QCryptographicHash::Md5)
            .toHex());
}

QString timeText(const QDateTime& time) {
    return time.toUTC().toString(Qt::ISODateWithMs);
}

} // namespace AttemptTables
