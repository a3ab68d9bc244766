#pragma once

#include "Store.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariantList>

class QObject;

// A temporary copy of the delivered database, built from the delivered script, with SQL of
// the test's own run after it. The temporary folder is also the current directory while the
// object lives, so title.ini and help files land there.
//
// On the server engine the same content is copied into a new database of the test cluster
// (libpq's environment names it, as `pg_virtualenv` sets it), reached through a connection
// service of its own; the SQL helpers below then run there, in the server's words.
class TestDatabase {
public:
    enum class Engine { File, Server };

    explicit TestDatabase(const QString& extraSql = {});
    ~TestDatabase();

    // The engine every TestDatabase is made on from now on.
    static Engine engine();
    static bool onServer() { return engine() == Engine::Server; }
    // Runs the test object's functions on the file, then again on the server when a test
    // cluster answers (otherwise says so and skips that run); non-zero when any failed.
    static int runOnBothEngines(QObject& test, int argc, char** argv);
    // Why no server tests can run here; empty when a test cluster answers.
    static QString serverUnavailable();

    // The file the content was built in (on the server engine, the source of the copy).
    const QString& path() const { return m_path; }
    QString folder() const { return m_dir.path(); }
    const Store& store() const { return m_store; }
    // The same database as one of the program's roles sees it (the server engine only).
    Store storeAs(const QString& role) const;

    // Runs SQL on a connection of its own and returns the first column of every row.
    QVariantList column(const QString& sql) const;
    QVariant scalar(const QString& sql) const;
    void exec(const QString& sql) const;
    // One statement whole, ";" inside it included (a trigger's body).
    void execStatement(const QString& statement) const;

    // The values of one Rezultat row for setResults: the name, the ten flags written as "1"
    // (right) and "0", the percentage as SQL (a number or NULL).
    static QString resultRow(const QString& name, const QString& flags, const QString& percent);

    // Rezultat with only these rows (name, ten flags 0/-1, percentage; NULL where empty).
    void setResults(const QStringList& rowsSql) const;

private:
    void copyToServer();

    QTemporaryDir m_dir;
    QString m_path;
    QString m_previousCurrent;
    Store m_store;
    QString m_serverDatabase; // the server engine's database, dropped at the end
};
