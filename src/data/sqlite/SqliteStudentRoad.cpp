// The student's road on the database file: the PC reads the key with the questions and scores
// the test itself (the file is the PC's own); each write is one step other programs see whole.
#include "AttemptTables.h"
#include "Numbers.h"
#include "Recordset.h"
#include "sqlite/SqliteDatabase.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QUuid>
#include <functional>

namespace {

const QString kResults = QStringLiteral("\"Rezultat\"");
const QString kDelivered = QStringLiteral("kvz_delivery");
const QString kName = QStringLiteral("\"Фамилия, Имя, Отчество\"");
const QString kPercent = QStringLiteral("\"Результат выполнения\"");

// Every field the road reads or writes, per table; a table of the program's own that another
// program made with other fields is not taken for it.
const std::pair<QString, QStringList>& requiredFields(int table) {
    static const std::pair<QString, QStringList> tables[] = {
        {QStringLiteral("Zadanie"),
         {QStringLiteral("Numer"), QStringLiteral("Text_Zadan"), QStringLiteral("Otvet_1"),
          QStringLiteral("Otvet_2"), QStringLiteral("Otvet_3"), QStringLiteral("Otvet_4"),
          QStringLiteral("Rezult_1"), QStringLiteral("Rezult_2"), QStringLiteral("Rezult_3"),
          QStringLiteral("Rezult_4")}},
        {QStringLiteral("Rezultat"),
         {QStringLiteral("Фамилия, Имя, Отчество"), QStringLiteral("Результат выполнения"),
          QStringLiteral("Вопрос 1"), QStringLiteral("Вопрос 2"), QStringLiteral("Вопрос 3"),
          QStringLiteral("Вопрос 4"), QStringLiteral("Вопрос 5"), QStringLiteral("Вопрос 6"),
          QStringLiteral("Вопрос 7"), QStringLiteral("Вопрос 8"), QStringLiteral("Вопрос 9"),
          QStringLiteral("Вопрос 10")}},
        {kDelivered, {QStringLiteral("attempt"), QStringLiteral("Код")}},
        {AttemptTables::kAttempts,
         {QStringLiteral("attempt"), QStringLiteral("Код"), QStringLiteral("name"),
          QStringLiteral("began"), QStringLiteral("finished")}},
        {AttemptTables::kAnswers,
         {QStringLiteral("attempt"), QStringLiteral("question"), QStringLiteral("ticks"),
          QStringLiteral("wording")}},
    };
    return tables[table];
}
constexpr int kTablesChecked = 5;
constexpr int kTestTables = 2; // the rest are the program's own, made when first needed

QString answerColumns() {
    QStringList columns;
    for (int k = 1; k <= FinishedTest::kQuestions; ++k)
        columns << QStringLiteral("\"Вопрос %1\"").arg(k);
    return columns.join(QStringLiteral(", "));
}

} // namespace

// Runs the statements of one step of the student's road; a write of a group begun never runs
// again on another connection, where it would not belong to the group.
class SqliteRoadStep {
public:
    explicit SqliteRoadStep(const SqliteDatabase& db) : m_db(db), m_query(db.sql()) {}

    bool run(const QString& sql, const QVariantList& values) {
        const bool prepared = m_db.prepare(m_query, sql);
        for (const QVariant& value : values)
            m_query.addBindValue(value);
        return m_db.execPrepared(m_query, prepared, Database::Retry::No);
    }

    // The first value of the row a statement returns, when it returns one.
    bool runForKey(const QString& sql, const QVariantList& values, std::optional<qint64>& key) {
        key.reset();
        if (!run(sql, values))
            return false;
        if (m_query.next())
            key = m_query.value(0).toLongLong();
        const bool ok = !m_query.lastError().isValid();
        m_query.finish();
        return ok;
    }

    // The group of writes as one: committed whole, or nothing of it.
    Status inOneStep(const std::function<bool()>& work) {
        if (!m_db.beginWrite(m_query))
            return m_db.failure(m_query.lastError());
        if (work() && m_db.commit(m_query))
            return Status::success();
        const QSqlError error = m_query.lastError();
        m_db.rollback();
        return m_db.failure(error);
    }

private:
    const SqliteDatabase& m_db;
    QSqlQuery m_query;
};

namespace {

Status checkTables(const SqliteDatabase& db) {
    for (int t = 0; t < kTablesChecked; ++t) {
        const auto& [table, required] = requiredFields(t);
        QSqlError error;
        if (!db.hasTable(table, &error)) {
            if (error.isValid())
                return db.failure(error);
            if (t >= kTestTables)
                continue;
            return Status::failure(
                QStringLiteral("В базе данных «%1» нет таблицы «%2».").arg(db.label(), table),
                Status::Cause::Refused);
        }
        Status status;
        const QVector<Field> fields = db.fields(table, status);
        if (!status.ok())
            return status;
        for (const QString& name : required) {
            if (std::none_of(fields.begin(), fields.end(),
                             [&](const Field& f) { return f.name == name; }))
                return Status::failure(
                    QStringLiteral("В таблице «%1» базы данных «%2» нет поля «%3».")
                        .arg(table, db.label(), name),
                    Status::Cause::Refused);
        }
    }
    return Status::success();
}

Question questionOf(const QSqlQuery& query) {
    Question q;
    q.numberText = Recordset::displayText(query.value(0));
    q.number = kvz::wholeNumberIn(q.numberText).value_or(0);
    q.text = Recordset::displayText(query.value(1));
    std::array<bool, 4> key{};
    for (int i = 0; i < 4; ++i) {
        q.options[i] = Recordset::displayText(query.value(2 + i));
        key[i] = query.value(6 + i).toInt() != 0;
    }
    q.key = ticksOf(key);
    q.wording = AttemptTables::wordingDigest(q.text, q.options, key);
    return q;
}

bool ownTables(SqliteRoadStep& step) {
    const QStringList statements =
        QStringList{QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (attempt TEXT PRIMARY KEY, "
                                   "\"Код\" INTEGER NOT NULL)")
                        .arg(kDelivered)} +
        AttemptTables::createStatements().split(u';');
    return std::all_of(statements.begin(), statements.end(),
                       [&](const QString& sql) { return step.run(sql, {}); });
}

QVariantList outcomeValues(const FinishedTest& test) {
    QVariantList values;
    for (int outcome : *test.outcomes)
        values << (outcome == 1 ? -1 : 0);
    values << *test.percent();
    return values;
}

bool intoOwnRow(SqliteRoadStep& step, const FinishedTest& test, std::optional<qint64>& key) {
    const QString assignments =
        answerColumns().replace(QLatin1String(", "), QLatin1String(" = ?, "));
    return step.runForKey(
        QStringLiteral("UPDATE %1 SET %2 = ?, %3 = ? WHERE rowid = ? AND coalesce(%4, '') = ? "
                       "RETURNING rowid")
            .arg(kResults, assignments, kPercent, kName),
        outcomeValues(test) << test.key << test.name, key);
}

bool intoNewRow(SqliteRoadStep& step, const FinishedTest& test, std::optional<qint64>& key) {
    const QStringList marks(FinishedTest::kQuestions + 2, QStringLiteral("?"));
    return step.runForKey(QStringLiteral("INSERT INTO %1 (%2, %3, %4) VALUES (%5) RETURNING rowid")
                              .arg(kResults, kName, answerColumns(), kPercent,
                                   marks.join(QStringLiteral(", "))),
                          QVariantList{test.name} + outcomeValues(test), key) &&
           key.has_value();
}

// What was answered, beside the row: the attempt (added where the sign-in made none) and the
// ticks of each question with the wording the student saw. A test kept by an older program
// knows no ticks: it has its row alone.
bool noteAnswers(SqliteRoadStep& step, const FinishedTest& test, qint64 key) {
    if (std::all_of(test.wordings.begin(), test.wordings.end(),
                    [](const QString& wording) { return wording.isEmpty(); }))
        return true;
    if (!step.run(QStringLiteral("INSERT OR IGNORE INTO %1 (attempt, \"Код\", name, began) VALUES "
                                 "(?, ?, ?, ?)")
                      .arg(AttemptTables::kAttempts),
                  {test.attempt, key, test.name, AttemptTables::timeText(test.began)}) ||
        !step.run(QStringLiteral("UPDATE %1 SET \"Код\" = ?, finished = ? WHERE attempt = ?")
                      .arg(AttemptTables::kAttempts),
                  {key, AttemptTables::timeText(test.finished), test.attempt}))
        return false;
    for (int n = 1; n <= FinishedTest::kQuestions; ++n) {
        if (!step.run(QStringLiteral("INSERT OR REPLACE INTO %1 (attempt, question, ticks, "
                                     "wording) VALUES (?, ?, ?, ?)")
                          .arg(AttemptTables::kAnswers),
                      {test.attempt, n, test.ticks[n - 1],
                       test.wordings[n - 1].isNull() ? QStringLiteral("") : test.wordings[n - 1]}))
            return false;
    }
    return true;
}

} // namespace

Status SqliteDatabase::readTest(QuestionSheet& sheet) const {
    if (const Status tables = checkTables(*this); !tables.ok())
        return tables;
    QSqlQuery query(sql());
    query.setForwardOnly(true);
    if (!exec(query, QStringLiteral("SELECT Numer, Text_Zadan, Otvet_1, Otvet_2, Otvet_3, "
                                    "Otvet_4, Rezult_1, Rezult_2, Rezult_3, Rezult_4 FROM "
                                    "Zadanie ORDER BY rowid")))
        return failure(query.lastError());
    sheet.questions.clear();
    while (query.next())
        sheet.questions.append(questionOf(query));
    return query.lastError().isValid() ? failure(query.lastError()) : Status::success();
}

// The first row, when it is the only one and has no name, or else a new one.
Status SqliteDatabase::signIn(const QString& name, SignIn& signIn) const {
    SqliteRoadStep step(*this);
    signIn.attempt = QUuid::createUuid().toString(QUuid::WithoutBraces);
    signIn.secret.clear();
    signIn.began = QDateTime::currentDateTimeUtc();
    return step.inOneStep([&] {
        std::optional<qint64> key;
        if (!ownTables(step) ||
            !step.runForKey(
                QStringLiteral("UPDATE %1 SET %2 = ? WHERE rowid = (SELECT min(rowid) FROM %1) "
                               "AND coalesce(%2, '') = '' AND (SELECT count(*) FROM (SELECT 1 "
                               "FROM %1 LIMIT 2)) = 1 RETURNING rowid")
                    .arg(kResults, kName),
                {name}, key))
            return false;
        if (!key &&
            !(step.runForKey(QStringLiteral("INSERT INTO %1 (%2) VALUES (?) RETURNING rowid")
                                 .arg(kResults, kName),
                             {name}, key) &&
              key))
            return false;
        signIn.key = *key;
        return step.run(QStringLiteral("INSERT INTO %1 (attempt, \"Код\", name, began) VALUES (?, "
                                       "?, ?, ?)")
                            .arg(AttemptTables::kAttempts),
                        {signIn.attempt, signIn.key, name, AttemptTables::timeText(signIn.began)});
    });
}

Status SqliteDatabase::deliver(FinishedTest& test, qint64& key) const {
    if (!test.outcomes)
        return Status::failure(QStringLiteral("Результат без оценки не может быть записан в базу "
                                              "данных «%1».")
                                   .arg(label()),
                               Status::Cause::RefusedForGood);
    SqliteRoadStep step(*this);
    return step.inOneStep([&] {
        std::optional<qint64> row;
        if (!ownTables(step) ||
            !step.runForKey(
                QStringLiteral("SELECT \"Код\" FROM %1 WHERE attempt = ?").arg(kDelivered),
                {test.attempt}, row))
            return false;
        if (row) {
            key = *row;
            return true;
        }
        if (!intoOwnRow(step, test, row) || (!row && !intoNewRow(step, test, row)))
            return false;
        key = *row;
        return step.run(QStringLiteral("INSERT INTO %1 (attempt, \"Код\") VALUES (?, ?)")
                            .arg(kDelivered),
                        {test.attempt, key}) &&
               noteAnswers(step, test, key);
    });
}
