#pragma once

#include "Status.h"

#include <QSqlDatabase>
#include <QString>
#include <memory>

class QSqlError;

// One open test database file. Record sources on the same file share one connection, so each
// sees the others' committed writes on its next read. Every connection registers the RUSSIAN
// collation that the name field of Rezultat is declared with.
class Database {
public:
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // The shared connection to the file at `path`; the file must exist and be a database.
    static std::shared_ptr<Database> open(const QString& path, Status& status);

    // A connection of its own, for a reader that must not share the windows' connection.
    static std::shared_ptr<Database> openSeparate(const QString& path, Status& status);

    QSqlDatabase sql() const { return QSqlDatabase::database(m_connection, false); }
    const QString& path() const { return m_path; }

    // A Russian message for a failed statement, naming the file and the problem.
    QString describe(const QSqlError& error) const;
    bool hasTable(const QString& table) const;

private:
    Database(QString path, QString connection);
    static std::shared_ptr<Database> connect(const QString& path, Status& status);

    QString m_path;
    QString m_connection;
};

// Compares two names as a Russian reader expects: case ignored, Ё with Е, then the exact text.
int compareRussian(const QString& a, const QString& b);

// Registers the RUSSIAN collation on a connection (used also by the build tool).
bool registerRussianCollation(QSqlDatabase& db);

// Runs an SQL script of statements separated by ";" ("--" starts a comment line).
Status runSqlScript(QSqlDatabase& db, const QString& script);
