#pragma once

#include "Store.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariantList>

// A temporary copy of the delivered database, built from the delivered script, with SQL of
// the test's own run after it. The temporary folder is also the current directory while the
// object lives, so title.ini and help files land there.
class TestDatabase {
public:
    explicit TestDatabase(const QString& extraSql = {});
    ~TestDatabase();

    const QString& path() const { return m_path; }
    Store store() const { return Store::file(m_path); }
    QString folder() const { return m_dir.path(); }

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
    QTemporaryDir m_dir;
    QString m_path;
    QString m_previousCurrent;
};
