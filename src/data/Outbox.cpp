#include "Outbox.h"

#include "FileProblem.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUuid>
#include <sqlite3.h>

namespace {

const QFile::Permissions kEveryone = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                     QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther;

// The columns an older program's outbox lacks are added to it; its rows have no ticks.
const QStringList kLaterColumns{QStringLiteral("secret"), QStringLiteral("ticks"),
                                QStringLiteral("wordings"), QStringLiteral("began"),
                                QStringLiteral("finished")};

Status cannotKeep(const QString& path) {
    return Status::failure(
        QStringLiteral("Результат не удалось сохранить на этом компьютере (файл «%1»): %2.")
            .arg(QDir::toNativeSeparators(path), fileProblem(path, FileUse::Write)));
}

bool damaged(const QSqlError& error) {
    const int code = error.nativeErrorCode().toInt() & 0xff;
    return code == SQLITE_CORRUPT || code == SQLITE_NOTADB;
}

QString joined(const auto& values) {
    QStringList parts;
    for (const auto& v : values)
        parts << QVariant(v).toString();
    return parts.join(u',');
}

QString outcomesText(const FinishedTest& test) {
    if (!test.outcomes)
        return {};
    QString text;
    for (int outcome : *test.outcomes)
        text += outcome == 1 ? u'1' : u'0';
    return text;
}

bool addLaterColumns(QSqlDatabase& db, QSqlQuery& query) {
    const QSqlRecord columns = db.record(QStringLiteral("Outbox"));
    for (const QString& column : kLaterColumns) {
        if (columns.indexOf(column) < 0 &&
            !query.exec(QStringLiteral("ALTER TABLE Outbox ADD COLUMN %1 TEXT").arg(column)))
            return false;
    }
    return true;
}

struct Opened {
    bool ok = false;
    bool damaged = false;
};

// The journal stays beside the file between writes (persist), so that it keeps the rights
// every account needs; each write reaches the disk before it returns.
template <class F> Opened withOutbox(const QString& path, F&& work, bool readOnly = false) {
    const QString name = QStringLiteral("kvz-outbox-") + QUuid::createUuid().toString();
    Opened opened;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        db.setConnectOptions(readOnly ? QStringLiteral("QSQLITE_OPEN_READONLY")
                                      : QStringLiteral("QSQLITE_BUSY_TIMEOUT=2000"));
        QSqlQuery query(db);
        const bool ready =
            db.open() &&
            (readOnly ||
             (query.exec(QStringLiteral("PRAGMA journal_mode = PERSIST")) &&
              query.exec(QStringLiteral("PRAGMA synchronous = FULL")) &&
              query.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS Outbox (attempt TEXT PRIMARY "
                                        "KEY, key INTEGER, name TEXT, outcomes TEXT, percent "
                                        "INTEGER, kept TEXT DEFAULT CURRENT_TIMESTAMP)")) &&
              addLaterColumns(db, query)));
        opened.ok = ready && work(query);
        opened.damaged = !opened.ok && (damaged(query.lastError()) || damaged(db.lastError()));
        query.finish();
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    for (const char* suffix : {"", "-journal"}) {
        QFile file(path + QLatin1String(suffix));
        if (!readOnly && file.exists() && (file.permissions() & kEveryone) != kEveryone)
            file.setPermissions(file.permissions() | kEveryone);
    }
    return opened;
}

std::optional<std::array<int, 10>> numbersIn(const QString& text, int largest) {
    const QStringList parts = text.split(u',');
    if (parts.size() != FinishedTest::kQuestions)
        return std::nullopt;
    std::array<int, 10> numbers{};
    for (int i = 0; i < FinishedTest::kQuestions; ++i) {
        bool ok = false;
        numbers[i] = parts[i].toInt(&ok);
        if (!ok || numbers[i] < 0 || numbers[i] > largest)
            return std::nullopt;
    }
    return numbers;
}

// A row as the program writes it, or why it is not one.
QString readRow(const QSqlQuery& query, FinishedTest& test) {
    test = {};
    test.attempt = query.value(0).toString();
    test.key = query.value(1).toLongLong();
    test.name = query.value(2).toString();
    test.secret = query.value(5).toString();
    if (test.attempt.isEmpty())
        return QStringLiteral("нет номера попытки");
    const QString outcomes = query.value(3).toString();
    if (!outcomes.isEmpty()) {
        if (outcomes.size() != FinishedTest::kQuestions)
            return QStringLiteral("итогов не десять");
        FinishedTest::Outcomes scored{};
        for (int i = 0; i < FinishedTest::kQuestions; ++i) {
            if (outcomes[i] != u'0' && outcomes[i] != u'1')
                return QStringLiteral("итог вопроса не 0 и не 1");
            scored[i] = outcomes[i] == u'1' ? 1 : 0;
        }
        test.outcomes = scored;
    }
    const QVariant percent = query.value(4);
    if (test.outcomes ? percent.isNull() || percent.toString() != QString::number(*test.percent())
                      : !percent.isNull())
        return QStringLiteral("процент не равен 10 × числу верных ответов");
    if (const QString ticks = query.value(6).toString(); !ticks.isEmpty()) {
        const auto numbers = numbersIn(ticks, 15);
        if (!numbers)
            return QStringLiteral("отметки вариантов неверны");
        test.ticks = *numbers;
    } else if (!test.outcomes) {
        return QStringLiteral("нет ни отметок, ни итогов");
    }
    const QStringList wordings = query.value(7).toString().split(u',');
    for (int i = 0; i < FinishedTest::kQuestions && wordings.size() == FinishedTest::kQuestions;
         ++i)
        test.wordings[i] = wordings[i];
    test.began = QDateTime::fromString(query.value(8).toString(), Qt::ISODateWithMs);
    test.finished = QDateTime::fromString(query.value(9).toString(), Qt::ISODateWithMs);
    return {};
}

const QString kSelect = QStringLiteral("SELECT attempt, key, name, outcomes, percent, secret, "
                                       "ticks, wordings, began, finished FROM Outbox ORDER BY "
                                       "rowid");

QString described(const FinishedTest& test) {
    return QStringLiteral("попытка %1, «%2»").arg(test.attempt, test.name);
}

} // namespace

Status Outbox::put(const FinishedTest& test) const {
    const auto write = [&](QSqlQuery& query) {
        query.prepare(QStringLiteral("INSERT OR REPLACE INTO Outbox (attempt, key, name, "
                                     "outcomes, percent, secret, ticks, wordings, began, "
                                     "finished) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
        query.addBindValue(test.attempt);
        query.addBindValue(test.key);
        query.addBindValue(test.name);
        const QString outcomes = outcomesText(test);
        query.addBindValue(outcomes.isEmpty() ? QVariant() : QVariant(outcomes));
        query.addBindValue(test.percent() ? QVariant(*test.percent()) : QVariant());
        query.addBindValue(test.secret);
        query.addBindValue(joined(test.ticks));
        query.addBindValue(joined(test.wordings));
        query.addBindValue(test.began.toUTC().toString(Qt::ISODateWithMs));
        query.addBindValue(test.finished.toUTC().toString(Qt::ISODateWithMs));
        return query.exec();
    };
    Opened opened = withOutbox(m_path, write);
    if (opened.damaged && setAsideDamaged().ok())
        opened = withOutbox(m_path, write);
    return opened.ok ? Status::success() : cannotKeep(m_path);
}

Status Outbox::waiting(QVector<FinishedTest>& tests) const {
    tests.clear();
    if (!QFile::exists(m_path))
        return Status::success();
    QStringList refused;
    const auto read = [&](QSqlQuery& query) {
        if (!query.exec(kSelect))
            return false;
        FinishedTest test;
        while (query.next()) {
            if (const QString why = readRow(query, test); why.isEmpty())
                tests.append(test);
            else
                refused << query.value(0).toString() + u'\t' + why;
        }
        return !query.lastError().isValid();
    };
    const Opened opened = withOutbox(m_path, read);
    if (opened.damaged) {
        tests.clear();
        return setAsideDamaged().ok() ? waiting(tests) : cannotKeep(m_path);
    }
    for (const QString& row : std::as_const(refused)) {
        const QString attempt = row.section(u'\t', 0, 0);
        note(QStringLiteral("Запись очереди результатов не принята (%1): %2.")
                 .arg(attempt.isEmpty() ? QStringLiteral("без номера попытки") : attempt,
                      row.section(u'\t', 1)));
        withOutbox(m_path, [&](QSqlQuery& query) {
            query.prepare(QStringLiteral("DELETE FROM Outbox WHERE attempt IS ?"));
            query.addBindValue(attempt.isEmpty() ? QVariant() : QVariant(attempt));
            return query.exec();
        });
    }
    return opened.ok ? Status::success() : cannotKeep(m_path);
}

Status Outbox::remove(const QString& attempt) const {
    const Opened opened = withOutbox(m_path, [&](QSqlQuery& query) {
        query.prepare(QStringLiteral("DELETE FROM Outbox WHERE attempt = ?"));
        query.addBindValue(attempt);
        return query.exec();
    });
    return opened.ok ? Status::success() : cannotKeep(m_path);
}

void Outbox::setAside(const FinishedTest& test, const QString& why) const {
    note(QStringLiteral("Результат не принят базой данных (%1): %2").arg(described(test), why));
    remove(test.attempt);
}

// The damaged file goes aside under a name of its own, for whoever wants to look at it; what
// can still be read of it goes into a fresh outbox.
Status Outbox::setAsideDamaged() const {
    const QString aside =
        m_path + QStringLiteral("-damaged-") +
        QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss-zzz"));
    if (!QFile::rename(m_path, aside))
        return cannotKeep(m_path);
    QFile::rename(m_path + QStringLiteral("-journal"), aside + QStringLiteral("-journal"));
    QVector<FinishedTest> salvaged;
    withOutbox(
        aside,
        [&](QSqlQuery& query) {
            if (!query.exec(kSelect))
                return false;
            FinishedTest test;
            while (query.next()) {
                if (readRow(query, test).isEmpty())
                    salvaged.append(test);
            }
            return true;
        },
        true);
    for (const FinishedTest& test : std::as_const(salvaged))
        put(test);
    note(QStringLiteral("Файл очереди результатов повреждён и отложен как «%1»; из него "
                        "восстановлено результатов: %2.")
             .arg(QDir::toNativeSeparators(aside))
             .arg(salvaged.size()));
    return Status::success();
}

void Outbox::note(const QString& line) const {
    for (const QString& path : {record(), m_path + QStringLiteral("-untold.txt")}) {
        QFile file(path);
        if (file.open(QIODevice::Append | QIODevice::Text)) {
            file.write((QDateTime::currentDateTime().toString(Qt::ISODate) + u' ' + line + u'\n')
                           .toUtf8());
            file.setPermissions(file.permissions() | kEveryone);
        }
    }
}

QStringList Outbox::takeUntold() const {
    QFile file(m_path + QStringLiteral("-untold.txt"));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
    file.remove();
    return lines;
}
