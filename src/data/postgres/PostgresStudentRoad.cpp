// The student's road on the class's server: each step one call of the server's own function,
// one round trip. The PC never reads the key: the server scores the ticks it is given.
#include "Numbers.h"
#include "postgres/PostgresDatabase.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>

namespace {

QString arrayText(const std::array<int, FinishedTest::kQuestions>& ticks) {
    QStringList values;
    for (int t : ticks)
        values << QString::number(t);
    return u'{' + values.join(u',') + u'}';
}

} // namespace

// One call, its first row read whole before the query is left.
class PostgresRoadCall {
public:
    explicit PostgresRoadCall(const PostgresDatabase& db) : m_db(db), m_query(db.sql()) {}

    QSqlQuery& query() { return m_query; }

    Status run(const QString& sql, const QVariantList& values) {
        m_query.setForwardOnly(true);
        const bool prepared = m_db.prepare(m_query, sql);
        for (const QVariant& value : values)
            m_query.addBindValue(value);
        if (!m_db.execPrepared(m_query, prepared, Database::Retry::No))
            return m_db.failure(m_query.lastError());
        return Status::success();
    }

private:
    const PostgresDatabase& m_db;
    QSqlQuery m_query;
};

Status PostgresDatabase::readTest(QuestionSheet& sheet) const {
    PostgresRoadCall call(*this);
    if (Status status = call.run(QStringLiteral("SELECT * FROM kvz_questions()"), {}); !status.ok())
        return status;
    sheet.questions.clear();
    QSqlQuery& query = call.query();
    while (query.next()) {
        Question q;
        q.numberText = query.value(0).toString();
        q.number = kvz::wholeNumberIn(q.numberText).value_or(0);
        q.text = query.value(1).toString();
        for (int i = 0; i < 4; ++i)
            q.options[i] = query.value(2 + i).toString();
        q.wording = query.value(6).toString();
        sheet.questions.append(q);
    }
    return query.lastError().isValid() ? failure(query.lastError()) : Status::success();
}

Status PostgresDatabase::signIn(const QString& name, SignIn& signIn) const {
    PostgresRoadCall call(*this);
    if (Status status = call.run(QStringLiteral("SELECT * FROM kvz_sign_in(?)"), {name});
        !status.ok())
        return status;
    QSqlQuery& query = call.query();
    if (!query.next())
        return failure(query.lastError());
    signIn.key = query.value(0).toLongLong();
    signIn.attempt = query.value(1).toString();
    signIn.secret = query.value(2).toString();
    signIn.began = QDateTime::fromString(query.value(3).toString(), Qt::ISODateWithMs);
    return Status::success();
}

Status PostgresDatabase::deliver(FinishedTest& test, qint64& key) const {
    PostgresRoadCall call(*this);
    if (Status status = call.run(QStringLiteral("SELECT * FROM kvz_deliver(?, ?, ?::integer[], ?)"),
                                 {test.attempt, test.secret, arrayText(test.ticks),
                                  test.finished.toUTC().toString(Qt::ISODateWithMs)});
        !status.ok())
        return status;
    QSqlQuery& query = call.query();
    if (!query.next())
        return failure(query.lastError());
    key = query.value(0).toLongLong();
    const QString outcomes = query.value(1).toString();
    FinishedTest::Outcomes scored{};
    for (int i = 0; i < FinishedTest::kQuestions && i < outcomes.size(); ++i)
        scored[i] = outcomes[i] == u'1' ? 1 : 0;
    test.outcomes = scored;
    return Status::success();
}
