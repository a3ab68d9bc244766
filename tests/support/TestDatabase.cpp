#include "TestDatabase.h"

#include "Database.h"
#include "sqlite/SqliteDatabase.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>
#include <QUuid>

namespace {

template <class F> void withConnection(const QString& path, F&& work) {
    const QString name = QUuid::createUuid().toString();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        if (!db.open() || !registerRussianCollation(db))
            qFatal("cannot open the test database %s", qPrintable(path));
        work(db);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

} // namespace

TestDatabase::TestDatabase(const QString& extraSql)
    : m_path(m_dir.filePath(QStringLiteral("kvz_1.mdb"))), m_previousCurrent(QDir::currentPath()) {
    QFile script(QStringLiteral(KVZ_SOURCE_DIR "/resources/kvz_1.sql"));
    if (!script.open(QIODevice::ReadOnly))
        qFatal("cannot read the delivered script");
    const QString sql = QString::fromUtf8(script.readAll()) + u'\n' + extraSql;
    withConnection(m_path, [&](QSqlDatabase& db) {
        const Status status = runSqlScript(db, sql);
        if (!status.ok())
            qFatal("test database: %s", qPrintable(status.error));
    });
    QDir::setCurrent(m_dir.path());
}

TestDatabase::~TestDatabase() {
    QDir::setCurrent(m_previousCurrent);
}

QVariantList TestDatabase::column(const QString& sql) const {
    QVariantList values;
    withConnection(m_path, [&](QSqlDatabase& db) {
        QSqlQuery query(db);
        if (!query.exec(sql))
            qFatal("%s: %s", qPrintable(sql), qPrintable(query.lastError().text()));
        while (query.next())
            values << query.value(0);
    });
    return values;
}

QVariant TestDatabase::scalar(const QString& sql) const {
    const QVariantList values = column(sql);
    return values.isEmpty() ? QVariant() : values.first();
}

void TestDatabase::exec(const QString& sql) const {
    withConnection(m_path, [&](QSqlDatabase& db) {
        const Status status = runSqlScript(db, sql);
        if (!status.ok())
            qFatal("%s", qPrintable(status.error));
    });
}

void TestDatabase::execStatement(const QString& statement) const {
    withConnection(m_path, [&](QSqlDatabase& db) {
        QSqlQuery query(db);
        if (!query.exec(statement))
            qFatal("%s: %s", qPrintable(statement), qPrintable(query.lastError().text()));
    });
}

void TestDatabase::setResults(const QStringList& rowsSql) const {
    QString sql = QStringLiteral("DELETE FROM Rezultat;");
    for (const QString& row : rowsSql)
        sql += QStringLiteral("INSERT INTO Rezultat VALUES (NULL, %1);").arg(row);
    exec(sql);
}

QString TestDatabase::resultRow(const QString& name, const QString& flags, const QString& percent) {
    QStringList values{QStringLiteral("'%1'").arg(name)};
    for (QChar flag : flags)
        values << (flag == u'1' ? QStringLiteral("-1") : QStringLiteral("0"));
    values << percent;
    return values.join(QStringLiteral(", "));
}
