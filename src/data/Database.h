#pragma once

#include "Field.h"
#include "FinishedTest.h"
#include "QuestionSheet.h"
#include "Status.h"
#include "Store.h"

#include <QSqlDatabase>
#include <QString>
#include <QVector>
#include <functional>
#include <memory>
#include <optional>

class QObject;
struct SignIn;
class QSqlError;
class QSqlQuery;

// One open connection to the test's store. The engines (the database file, the class's server)
// sit side by side under sqlite/ and postgres/; everything an engine does its own way is a
// virtual function here, so that the record source, the readers and the windows never ask which
// engine they have. Record sources on the same store share one connection, so each sees the
// others' committed writes on its next read.
class Database : public std::enable_shared_from_this<Database> {
public:
    virtual ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // The shared connection to `store`; the store must hold the test's tables. Nothing is
    // written into a file that does not.
    static std::shared_ptr<Database> open(const Store& store, Status& status);
    // A connection of its own, for a reader that must not share the windows' connection (or
    // works on another thread).
    static std::shared_ptr<Database> openSeparate(const Store& store, Status& status);
    // The program's end: every connection of this thread leaves its store whole (the file with
    // no log beside it).
    static void closeAll();

    const Store& store() const { return m_store; }
    QSqlDatabase sql() const { return QSqlDatabase::database(m_connection, false); }

    // Runs a prepared statement. A connection to a server that was lost is opened again first
    // (when the server answers), and a statement that may safely run twice runs again on it.
    enum class Retry { Yes, No };
    bool exec(QSqlQuery& query, Retry retry = Retry::Yes) const;
    bool exec(QSqlQuery& query, const QString& sql) const; // an unprepared statement, once
    // Prepares a statement, on a connection opened again first when it was found lost (a
    // statement prepared on a closed connection could never run).
    [[nodiscard]] bool prepare(QSqlQuery& query, const QString& sql) const;
    // Runs a statement `prepare` gave `prepared` for: one that could not be prepared never runs.
    bool execPrepared(QSqlQuery& query, bool prepared, Retry retry = Retry::Yes) const;
    // Counts the times the connection was opened again: a statement kept prepared from an
    // earlier count must be prepared again.
    quint64 generation() const { return m_generation; }

    // A group of writes that other programs see whole or not at all; with the engine's wait
    // for another program's lock. Each runs on `query`, which holds the error.
    bool beginWrite(QSqlQuery& query) const;
    bool commit(QSqlQuery& query) const;
    void rollback() const;

    // A Russian message for a failed statement, naming the store and the problem.
    virtual QString describe(const QSqlError& error) const = 0;
    // The store as a message names it: the file's path, or the server's name.
    virtual QString label() const = 0;
    bool hasTable(const QString& table, QSqlError* error = nullptr) const;
    // The fields of a table in their order, with the kind of value each holds.
    virtual QVector<Field> fields(const QString& table, Status& status) const = 0;
    // The hidden column that orders a table's rows as they were added, and whose value is a
    // row's bookmark: the key the database assigns.
    virtual QString keyColumn(const QString& table) const = 0;
    // A query as the program writes it (names in backquotes) in the engine's own words.
    virtual QString dialect(const QString& sql) const = 0;
    // On this connection only, a reader sorts Rezultat's names as a Russian reader expects
    // (case ignored, Ё with Е).
    virtual Status sortNamesInRussian() const = 0;
    // Whether this connection has the teacher's rights: change the questions and the key,
    // delete results. A student's PC of a class's server has not; the failure says so.
    virtual Status teacherRights() const = 0;
    // Called after each committed write: the file carries it at once, not only its log.
    virtual void afterWrite() const {}
    // Called after a write that may stay in the log for a while (a deletion).
    virtual void afterLightWrite() const {}
    // The student's road, each one step on the store, each a single round trip to a server.
    // The questions as the student meets them (with the key only where the PC scores); fails
    // on a store whose tables the program does not recognise.
    virtual Status readTest(QuestionSheet& sheet) const = 0;
    // Takes the student's row: the single blank row of an emptied table, or a new one. Two PCs
    // signing in at the same instant never share a row.
    virtual Status signIn(const QString& name, SignIn& signIn) const = 0;
    // Stores the finished test in the student's row, once per attempt: a second delivery
    // changes nothing. A row deleted, blanked or taken meanwhile gets a new row with the name.
    // `key` is the row that holds the result; the test's outcomes are set where the store
    // scored it.
    virtual Status deliver(FinishedTest& test, qint64& key) const = 0;
    // A failed statement told in Russian, with whether the store refused it or did not answer.
    Status failure(const QSqlError& error) const;

    // Calls `changed` (on this thread) soon after another program, or another connection of
    // this one, has changed the results; at the latest within a few seconds. The watch ends
    // with `owner`.
    virtual void watchResults(QObject& owner, std::function<void()> changed) const = 0;

protected:
    Database(Store store, QString connection);
    // The connection to a server went away (a restart, the network); opening it again may
    // succeed. Files never lose theirs.
    virtual bool connectionLost() const { return false; }
    // Opens the connection again when it was lost, or when the file it had open was replaced by
    // another; true when the connection stands (again).
    virtual bool renew() const { return true; }
    // Closes and opens the connection; statements prepared on it must be prepared again.
    bool reopen() const;
    virtual QString beginStatement() const { return QStringLiteral("BEGIN"); }
    // Whether a failed statement was refused by a store that answers.
    virtual Status::Cause causeOf(const QSqlError& error) const = 0;
    // A query of one row when the table named by its one value exists.
    virtual QString tableQuery() const = 0;
    // Closes the connection leaving the store whole.
    virtual void finish() const {}

    static QString newConnectionName();
    static QString quoted(QString name);

private:
    static std::shared_ptr<Database> connect(const Store& store, Status& status);
    bool rerun(QSqlQuery& query) const;
    virtual bool prepareSession() const { return true; }

    Store m_store;
    QString m_connection;
    mutable quint64 m_generation = 0;
    // The connection's count when a group of writes began, while it lasts.
    mutable std::optional<quint64> m_groupBegun;
};

// What the sign-in gives the student: the row and the attempt's identity.
struct SignIn {
    qint64 key = 0;
    QString attempt;
    QString secret;
    QDateTime began;
};

// Compares two names as a Russian reader expects: case ignored, Ё with Е, then the exact text.
int compareRussian(const QString& a, const QString& b);

// Runs an SQL script of statements separated by ";" ("--" starts a comment line).
Status runSqlScript(QSqlDatabase& db, const QString& script);
