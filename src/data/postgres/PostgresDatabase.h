#pragma once

#include "Database.h"

#include <QHash>
#include <QThread>
#include <atomic>
#include <memory>

// The test's tables on the class's PostgreSQL server, reached through libpq's connection
// service: every PC of a lab delivers to one place. Connecting and every statement have time
// limits, so no window waits on the network for more than a few seconds; a connection that is
// lost is opened again once the server answers, which a probe of its own finds out without
// holding anyone up.
class PostgresDatabase : public Database {
public:
    static std::shared_ptr<Database> connect(const Store& store, Status& status);
    ~PostgresDatabase() override;

    QString describe(const QSqlError& error) const override;
    QString label() const override { return m_host; }
    QVector<Field> fields(const QString& table, Status& status) const override;
    QString keyColumn(const QString& table) const override;
    QString dialect(const QString& sql) const override { return inServerWords(sql); }
    Status sortNamesInRussian() const override { return Status::success(); }
    Status teacherRights() const override;
    void watchResults(QObject& owner, std::function<void()> changed) const override;
    Status readTest(QuestionSheet& sheet) const override;
    Status signIn(const QString& name, SignIn& signIn) const override;
    Status deliver(FinishedTest& test, qint64& key) const override;

    // The options libpq takes for the program's connections to `service`: the time limits and
    // every other setting the program relies on.
    static QString connectOptions(const QString& service);
    // A statement as the program writes it, in the server's words: the server folds a bare name
    // to small letters, so names in backquotes and bare names in mixed case (the program's
    // tables and fields) are put in double quotes.
    static QString inServerWords(const QString& sql);
    // Why a connection could not be made, in our words, naming the server.
    static QString connectProblem(const QString& host, const QString& libpqText);

protected:
    Status::Cause causeOf(const QSqlError& error) const override;
    bool connectionLost() const override;
    QString tableQuery() const override {
        return QStringLiteral("SELECT 1 FROM pg_tables WHERE tablename = ? AND "
                              "schemaname = ANY (current_schemas(false))");
    }
    bool renew() const override;

private:
    PostgresDatabase(Store store, QString connection, QString host);
    void startProbe() const;
    QString noTeacherRights() const;

    QString m_host;
    mutable QHash<QString, QString> m_keys;
    // Set by the probe once the server answers again.
    std::shared_ptr<std::atomic<bool>> m_serverAnswers = std::make_shared<std::atomic<bool>>(true);
    mutable std::unique_ptr<QThread> m_probe;
};
