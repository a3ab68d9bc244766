#include "QuestionStatistics.h"

#include "Database.h"
#include "Numbers.h"

#include <QSqlError>
#include <QSqlQuery>
#include <algorithm>

namespace {

// Every figure in one pass over the table: participants, the sum of their percentages (an empty
// one adds nothing), and per question how many of them answered it right (a set flag, as the
// browser shows "Ответ правильный"). A filtered count is the engines' quickest.
QString figuresQuery() {
    QString sql = QStringLiteral("SELECT COUNT(*), SUM(`Результат выполнения`)");
    for (int k = 1; k <= QuestionStatistics::kQuestions; ++k)
        sql += QStringLiteral(", COUNT(*) FILTER (WHERE `Вопрос %1` <> 0)").arg(k);
    return sql + QStringLiteral(" FROM Rezultat WHERE `Фамилия, Имя, Отчество` <> ''");
}

// Runs a read that may safely run again on a connection opened afresh.
Status run(const Database& db, QSqlQuery& query, const QString& sql) {
    query.setForwardOnly(true);
    if (!db.prepare(query, db.dialect(sql)) || !db.exec(query))
        return Status::failure(db.describe(query.lastError()));
    return Status::success();
}

// Ends a read with the rest of its result read too: no statement may keep the store locked
// between events, and a server's notices wait behind a result left unread.
Status finish(const Database& db, QSqlQuery& query) {
    while (query.next()) {
    }
    const QSqlError error = query.lastError();
    query.finish();
    return error.isValid() ? Status::failure(db.describe(error)) : Status::success();
}

} // namespace

Status QuestionStatistics::read(const Store& store) {
    Status status;
    const std::shared_ptr<Database> db = Database::open(store, status);
    if (db)
        status = readTexts(*db);
    return status.ok() ? readFigures(*db) : status;
}

Status QuestionStatistics::readFigures(const Database& db) {
    QSqlQuery query(db.sql());
    if (Status status = run(db, query, figuresQuery()); !status.ok())
        return status;
    if (query.next()) {
        participants = query.value(0).toInt();
        percentSum = query.value(1).toDouble();
        for (int k = 0; k < kQuestions; ++k)
            right[k] = query.value(k + 2).toInt();
    }
    return finish(db, query);
}

Status QuestionStatistics::readTexts(const Database& db) {
    QSqlQuery query(db.sql());
    const QString table = QStringLiteral("Zadanie");
    if (Status status = run(db, query,
                            QStringLiteral("SELECT `Numer`, `Text_Zadan` FROM Zadanie ORDER BY %1")
                                .arg(db.keyColumn(table)));
        !status.ok())
        return status;
    texts = {};
    std::array<bool, kQuestions> found{};
    while (query.next()) {
        const std::optional<std::int32_t> number = kvz::wholeNumberIn(query.value(0).toString());
        if (!number || *number < 1 || *number > kQuestions || found[*number - 1])
            continue; // the test puts the first question of a number
        found[*number - 1] = true;
        texts[*number - 1] = query.value(1).toString();
    }
    return finish(db, query);
}

std::optional<std::int32_t> QuestionStatistics::average() const {
    if (participants == 0)
        return std::nullopt;
    return kvz::roundToInt32(percentSum / participants);
}

std::optional<std::int32_t> QuestionStatistics::share(int k) const {
    if (participants == 0)
        return std::nullopt;
    return kvz::roundToInt32(100.0 * right[k] / participants);
}

bool QuestionStatistics::isWorst(int k) const {
    const auto [fewest, most] = std::minmax_element(right.begin(), right.end());
    return participants > 0 && right[k] == *fewest && *fewest < *most;
}
