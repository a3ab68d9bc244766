#include "QuestionStatistics.h"

#include "AttemptTables.h"
#include "Database.h"
#include "Numbers.h"

#include <QSqlError>
#include <QSqlQuery>
#include <algorithm>
#include <bit>
#include <cmath>

namespace {

// The results that count, one line per named row of Rezultat: its percentage, its ten flags as
// the bits of one number (question k right: bit k - 1; flags are -1 or 0 on both stores, and
// arithmetic is the engines' quickest), and its state: 0 finished, 1 still being written, 2 not
// finished and no longer written. A row's latest sign-in decides; a row of an older program has
// none and is finished when it has a percentage. Binds the moment "still writing" begins, then
// the selection's start.
QString rowsQuery(bool attempts, const ResultSelection& selection) {
    QStringList bits;
    for (int k = 1; k <= QuestionStatistics::kQuestions; ++k)
        bits << QStringLiteral("%1 * r.`Вопрос %2`").arg(1 << (k - 1)).arg(k);
    QString columns = QStringLiteral("r.`Фамилия, Имя, Отчество` AS who, "
                                     "r.`Результат выполнения` AS pct, -(") +
                      bits.join(QStringLiteral(" + ")) + QStringLiteral(") AS bits");
    const QString unfinished = QStringLiteral("CASE WHEN r.`Результат выполнения` IS NULL THEN 2 "
                                              "ELSE 0 END");
    QString from = QStringLiteral(" FROM Rezultat r");
    QString where = QStringLiteral(" WHERE r.`Фамилия, Имя, Отчество` <> ''");
    if (attempts) {
        columns += QStringLiteral(", a.attempt AS attempt, CASE WHEN a.attempt IS NULL THEN %1 "
                                  "WHEN a.finished IS NOT NULL THEN 0 WHEN a.began >= ? THEN 1 "
                                  "ELSE 2 END AS state")
                       .arg(unfinished);
        from += QStringLiteral(" LEFT JOIN %1 a ON a.`Код` = r.`Код` AND NOT EXISTS (SELECT 1 FROM "
                               "%1 l WHERE l.`Код` = a.`Код` AND l.began > a.began)")
                    .arg(AttemptTables::kAttempts);
        if (selection.since)
            where += QStringLiteral(" AND a.began >= ?");
    } else {
        columns += QStringLiteral(", ") + unfinished + QStringLiteral(" AS state");
        if (selection.since)
            where += QStringLiteral(" AND 1 = 0"); // no row has a time
    }
    return QStringLiteral("WITH t AS (SELECT ") + columns + from + where + QStringLiteral(")");
}

// How many ticked what to which wording of each question, by kind: 1 counts, 2 takes back. Over
// all results every answer is counted and those of attempts that do not count (a row deleted or
// nameless, an attempt a later one replaced) are taken back, so that the engines read the
// answers in the order of an index instead of looking each one's attempt up (CROSS JOIN keeps
// SQLite from starting at the answers); a selection reads its attempts' answers alone.
QString answersQuery(const ResultSelection& selection) {
    const QString grouped = QStringLiteral(" n.wording, n.question, n.ticks, NULL, COUNT(*) FROM ");
    const QString groups = QStringLiteral(" GROUP BY n.question, n.ticks, n.wording");
    if (selection.since)
        return QStringLiteral(" UNION ALL SELECT 1,") + grouped +
               QStringLiteral("t CROSS JOIN %1 n WHERE n.attempt = t.attempt AND t.state = 0")
                   .arg(AttemptTables::kAnswers) +
               groups;
    return QStringLiteral(" UNION ALL SELECT 1,") + grouped +
           QStringLiteral("%1 n").arg(AttemptTables::kAnswers) + groups +
           QStringLiteral(" UNION ALL SELECT 2,") + grouped +
           QStringLiteral("%1 x LEFT JOIN Rezultat r ON r.`Код` = x.`Код` CROSS JOIN %2 n "
                          "WHERE n.attempt = x.attempt AND (COALESCE(r.`Фамилия, Имя, Отчество`, "
                          "'') = '' OR EXISTS (SELECT 1 FROM %1 l WHERE l.`Код` = x.`Код` AND "
                          "l.began > x.began))")
               .arg(AttemptTables::kAttempts, AttemptTables::kAnswers) +
           groups;
}

// Every figure in one statement: lines of kind 0 count the rows of each state, percentage and
// flags (a few hundred at most), then the answers' lines (answersQuery).
QString figuresQuery(bool attempts, const ResultSelection& selection) {
    return rowsQuery(attempts, selection) +
           QStringLiteral(" SELECT 0, NULL, state, pct, bits, COUNT(*) FROM t GROUP BY state, "
                          "pct, bits") +
           (attempts ? answersQuery(selection) : QString());
}

bool keepsAttempts(const Database& db) {
    return db.hasTable(AttemptTables::kAttempts) && db.hasTable(AttemptTables::kAnswers);
}

// Runs a read that may safely run again on a connection opened afresh.
Status run(const Database& db, QSqlQuery& query, const QString& sql,
           const QVariantList& values = {}) {
    query.setForwardOnly(true);
    if (!db.prepare(query, db.dialect(sql)))
        return Status::failure(db.describe(query.lastError()));
    for (const QVariant& value : values)
        query.addBindValue(value);
    if (!db.exec(query))
        return Status::failure(db.describe(query.lastError()));
    return Status::success();
}

// The values rowsQuery binds.
QVariantList rowsValues(bool attempts, const ResultSelection& selection) {
    QVariantList values;
    if (attempts) {
        values << AttemptTables::timeText(
            QDateTime::currentDateTimeUtc().addSecs(-3600 * QuestionStatistics::kWritingHours));
        if (selection.since)
            values << AttemptTables::timeText(*selection.since);
    }
    return values;
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

// Mean, variance (of the whole group) and covariance from sums over n.
double variance(double sum, double squares, double n) {
    return squares / n - (sum / n) * (sum / n);
}

} // namespace

ResultSelection ResultSelection::today() {
    return {QDateTime(QDate::currentDate(), QTime(0, 0))};
}

QString ResultSelection::describe() const {
    if (!since)
        return QStringLiteral("все результаты");
    if (*since == today().since)
        return QStringLiteral("результаты за сегодня");
    return QStringLiteral("результаты с %1")
        .arg(since->toLocalTime().toString(QStringLiteral("dd.MM.yyyy HH:mm")));
}

Status QuestionStatistics::read(const Store& store, const ResultSelection& chosen) {
    Status status;
    const std::shared_ptr<Database> db = Database::open(store, status);
    if (db)
        status = readTexts(*db);
    return status.ok() ? readFigures(*db, chosen) : status;
}

Status QuestionStatistics::readFigures(const Database& db, const ResultSelection& chosen) {
    const bool attempts = keepsAttempts(db);
    QSqlQuery query(db.sql());
    if (Status status =
            run(db, query, figuresQuery(attempts, chosen), rowsValues(attempts, chosen));
        !status.ok())
        return status;
    const std::array<QString, kQuestions> keptTexts = texts, keptDigests = digests;
    const auto keptKey = key;
    *this = {};
    texts = keptTexts;
    digests = keptDigests;
    key = keptKey;
    selection = chosen;
    readAt = QDateTime::currentDateTime();
    while (query.next()) {
        const int kind = query.value(0).toInt();
        const int count = query.value(5).toInt();
        if (kind == 0)
            countRows(query.value(2).toInt(), query.value(3), query.value(4).toInt(), count);
        else
            countTicks(query.value(1).toString(), query.value(2).toInt() - 1,
                       query.value(3).toInt(), kind == 1 ? count : -count);
    }
    return finish(db, query);
}

Status QuestionStatistics::readTexts(const Database& db) {
    QSqlQuery query(db.sql());
    if (Status status = run(db, query,
                            QStringLiteral("SELECT `Numer`, `Text_Zadan`, `Otvet_1`, `Otvet_2`, "
                                           "`Otvet_3`, `Otvet_4`, `Rezult_1`, `Rezult_2`, "
                                           "`Rezult_3`, `Rezult_4` FROM Zadanie ORDER BY %1")
                                .arg(db.keyColumn(QStringLiteral("Zadanie"))));
        !status.ok())
        return status;
    texts = {};
    digests = {};
    key = {};
    std::array<bool, kQuestions> found{};
    while (query.next()) {
        const std::optional<std::int32_t> number = kvz::wholeNumberIn(query.value(0).toString());
        if (!number || *number < 1 || *number > kQuestions || found[*number - 1])
            continue; // the test puts the first question of a number
        const int k = *number - 1;
        found[k] = true;
        texts[k] = query.value(1).toString();
        std::array<QString, kOptions> options;
        for (int option = 0; option < kOptions; ++option) {
            options[option] = query.value(2 + option).toString();
            key[k][option] = query.value(6 + option).toInt() != 0;
        }
        digests[k] = AttemptTables::wordingDigest(texts[k], options, key[k]);
    }
    return finish(db, query);
}

Status QuestionStatistics::wrongNames(const Database& db, const ResultSelection& selection, int k,
                                      QStringList& names) {
    const bool attempts = keepsAttempts(db);
    QSqlQuery query(db.sql());
    if (Status status =
            run(db, query,
                rowsQuery(attempts, selection) +
                    QStringLiteral(" SELECT who FROM t WHERE state = 0 AND (bits & %1) = 0")
                        .arg(1 << k),
                rowsValues(attempts, selection));
        !status.ok())
        return status;
    names.clear();
    while (query.next())
        names << query.value(0).toString();
    std::sort(names.begin(), names.end(),
              [](const QString& a, const QString& b) { return compareRussian(a, b) < 0; });
    return finish(db, query);
}

void QuestionStatistics::countRows(int state, const QVariant& percent, int bits, int count) {
    if (state != 0) {
        (state == 1 ? writing : cutOff) += count;
        return;
    }
    const int score = std::popcount(unsigned(bits));
    participants += count;
    percentSum += percent.toDouble() * count;
    scoreSum += double(score) * count;
    scoreSquares += double(score) * score * count;
    for (int k = 0; k < kQuestions; ++k)
        if (bits & (1 << k)) {
            right[k] += count;
            rightScoreSum[k] += double(score) * count;
        }
    // An empty percentage is 0; one beyond 0..100 (typed into the grid) goes to the end bar.
    const double bar = std::floor(percent.toDouble() / 10);
    spread[std::clamp(int(std::clamp(bar, 0.0, 10.0)), 0, kSpreadBars - 1)] += count;
}

void QuestionStatistics::countTicks(const QString& wording, int k, int ticks, int count) {
    if (k < 0 || k >= kQuestions)
        return;
    if (wording != digests[k]) {
        earlierWording[k] += count;
        return;
    }
    answered[k] += count;
    for (int option = 0; option < kOptions; ++option)
        if (ticks & (1 << option))
            ticked[k][option] += count;
}

std::optional<std::int32_t> QuestionStatistics::average() const {
    if (participants == 0)
        return std::nullopt;
    return kvz::roundToInt32(percentSum / participants);
}

std::optional<double> QuestionStatistics::exactAverage() const {
    if (participants == 0)
        return std::nullopt;
    return percentSum / participants;
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

std::optional<int> QuestionStatistics::mostChosenWrong(int k) const {
    std::optional<int> most;
    for (int option = 0; option < kOptions; ++option)
        if (!key[k][option] && ticked[k][option] > 0 &&
            (!most || ticked[k][option] > ticked[k][*most]))
            most = option;
    return most;
}

// With x the question's flag and r the number right of the other nine (r = score - x, x² = x).
std::optional<double> QuestionStatistics::discrimination(int k) const {
    const double n = participants, x = right[k], xt = rightScoreSum[k];
    if (n < 2)
        return std::nullopt;
    const double rest = scoreSum - x, restSquares = scoreSquares - 2 * xt + x;
    const double varX = variance(x, x, n), varRest = variance(rest, restSquares, n);
    if (varX <= 1e-12 || varRest <= 1e-12)
        return std::nullopt;
    const double covariance = (xt - x) / n - (x / n) * (rest / n);
    return covariance / std::sqrt(varX * varRest);
}

std::optional<double> QuestionStatistics::reliability() const {
    const double n = participants;
    if (n < 2)
        return std::nullopt;
    const double varScore = variance(scoreSum, scoreSquares, n);
    if (varScore <= 1e-12)
        return std::nullopt;
    double itemVariances = 0;
    for (int k = 0; k < kQuestions; ++k)
        itemVariances += variance(right[k], right[k], n);
    return kQuestions / (kQuestions - 1.0) * (1 - itemVariances / varScore);
}
