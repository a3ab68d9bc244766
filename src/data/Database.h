#pragma once

#include "Status.h"

#include <QSqlDatabase>
#include <QString>
#include <memory>

class QSqlError;

// One open test database file. Record sources on the same file share one connection, so each
// sees the others' committed writes on its next read. Every connection registers the RUSSIAN
// collation, with which a reader may sort the names (sortNamesInRussian); the file itself
// declares none of its own, so any SQLite tool can use it.
class Database {
public:
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // The shared connection to the file at `path`; the file must exist and hold the test's
    // tables. Nothing is written into a file that does not.
    static std::shared_ptr<Database> open(const QString& path, Status& status);

    // A connection of its own, for a reader that must not share the windows' connection.
    static std::shared_ptr<Database> openSeparate(const QString& path, Status& status);

    QSqlDatabase sql() const { return QSqlDatabase::database(m_connection, false); }
    const QString& path() const { return m_path; }

    // A Russian message for a failed statement, naming the file and the problem.
    QString describe(const QSqlError& error) const;
    bool hasTable(const QString& table) const;

    // On this connection only, Rezultat is read through a temporary view whose name field
    // sorts as a Russian reader expects; temporary objects are found before the file's own,
    // so a query's text stays as it is.
    Status sortNamesInRussian() const;

    // Copies what the write-ahead log holds into the file itself, so that the one file a
    // teacher copies carries every result stored; a reader elsewhere may hold part of it back
    // until the next checkpoint.
    void checkpoint() const;
    // The same for every shared connection, when the program ends.
    static void checkpointAll();

private:
    Database(QString path, QString connection);
    static std::shared_ptr<Database> connect(const QString& path, Status& status);
    int systemError() const; // the system's error number of the last failed file operation

    QString m_path;
    QString m_connection;
};

// Compares two names as a Russian reader expects: case ignored, Ё with Е, then the exact text.
int compareRussian(const QString& a, const QString& b);

// Registers the RUSSIAN collation on a connection (used also by the build tool).
bool registerRussianCollation(QSqlDatabase& db);

// Runs an SQL script of statements separated by ";" ("--" starts a comment line).
Status runSqlScript(QSqlDatabase& db, const QString& script);
