#include "Outbox.h"

#include "FileProblem.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

namespace {

const QFile::Permissions kEveryone = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                     QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther;

Status cannotKeep(const QString& path) {
    return Status::failure(
        QStringLiteral("Результат не удалось сохранить на этом компьютере (файл «%1»): %2.")
            .arg(QDir::toNativeSeparators(path), fileProblem(path, FileUse::Write)));
}

QString outcomesText(const FinishedTest& test) {
    QString text;
    for (int outcome : test.outcomes)
        text += outcome == 1 ? u'1' : u'0';
    return text;
}

// The journal stays beside the file between writes (persist), so that it keeps the rights
// every account needs; each write reaches the disk before it returns.
template <class F> Status withOutbox(const QString& path, F&& work) {
    const QString name = QStringLiteral("kvz-outbox-") + QUuid::createUuid().toString();
    Status status;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=2000"));
        QSqlQuery query(db);
        const bool ready =
            db.open() && query.exec(QStringLiteral("PRAGMA journal_mode = PERSIST")) &&
            query.exec(QStringLiteral("PRAGMA synchronous = FULL")) &&
            query.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS Outbox (attempt TEXT PRIMARY "
                                      "KEY, key INTEGER, name TEXT, outcomes TEXT, percent "
                                      "INTEGER, kept TEXT DEFAULT CURRENT_TIMESTAMP)"));
        status = ready && work(query) ? Status::success() : cannotKeep(path);
        query.finish();
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    for (const char* suffix : {"", "-journal"}) {
        QFile file(path + QLatin1String(suffix));
        if (file.exists() && (file.permissions() & kEveryone) != kEveryone)
            file.setPermissions(file.permissions() | kEveryone);
    }
    return status;
}

} // namespace

Status Outbox::put(const FinishedTest& test) const {
    return withOutbox(m_path, [&](QSqlQuery& query) {
        query.prepare(QStringLiteral("INSERT OR REPLACE INTO Outbox (attempt, key, name, "
                                     "outcomes, percent) VALUES (?, ?, ?, ?, ?)"));
        query.addBindValue(test.attempt);
        query.addBindValue(test.key);
        query.addBindValue(test.name);
        query.addBindValue(outcomesText(test));
        query.addBindValue(test.percent);
        return query.exec();
    });
}

Status Outbox::waiting(QVector<FinishedTest>& tests) const {
    tests.clear();
    if (!QFile::exists(m_path))
        return Status::success();
    return withOutbox(m_path, [&](QSqlQuery& query) {
        if (!query.exec(QStringLiteral("SELECT attempt, key, name, outcomes, percent FROM Outbox "
                                       "ORDER BY rowid")))
            return false;
        while (query.next()) {
            FinishedTest test{query.value(0).toString(),
                              query.value(1).toLongLong(),
                              query.value(2).toString(),
                              {},
                              query.value(4).toInt()};
            const QString outcomes = query.value(3).toString();
            for (int i = 0; i < FinishedTest::kQuestions && i < outcomes.size(); ++i)
                test.outcomes[i] = outcomes[i] == u'1' ? 1 : 0;
            tests.append(test);
        }
        return true;
    });
}

Status Outbox::remove(const QString& attempt) const {
    return withOutbox(m_path, [&](QSqlQuery& query) {
        query.prepare(QStringLiteral("DELETE FROM Outbox WHERE attempt = ?"));
        query.addBindValue(attempt);
        return query.exec();
    });
}
