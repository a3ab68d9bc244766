#include "TestDatabase.h"

#include "Database.h"
#include "postgres/PostgresDatabase.h"
#include "postgres/ServerSetup.h"
#include "postgres/ServiceFile.h"
#include "sqlite/SqliteDatabase.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>
#include <QUuid>
#include <cstdio>

namespace {

TestDatabase::Engine currentEngine = TestDatabase::Engine::File;

// The test cluster's administrator, as libpq's environment names it, on `database`.
template <class F> bool withServer(const QString& database, F&& work) {
    const QString name = QUuid::createUuid().toString();
    bool opened = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        db.setDatabaseName(database);
        db.setConnectOptions(QStringLiteral("connect_timeout=3"));
        opened = db.open();
        if (opened)
            work(db);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return opened;
}

template <class F> void withFile(const QString& path, F&& work) {
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

bool isOnServer(const TestDatabase& test) {
    return test.store().kind() == Store::Kind::Server;
}

// The service of a test database names the database itself.
template <class F> void withConnection(const TestDatabase& test, F&& work) {
    if (!isOnServer(test))
        return withFile(test.path(), work);
    if (!withServer(test.store().location(), work))
        qFatal("cannot open the test database on the server");
}

QString inEngineWords(const TestDatabase& test, const QString& sql) {
    return isOnServer(test) ? PostgresDatabase::inServerWords(sql) : sql;
}

// The services of the test databases, in a file of the process's own.
const QString& serviceFile() {
    static QTemporaryDir dir;
    static const QString file = [] {
        const QString path = dir.filePath(QStringLiteral("pg_service.conf"));
        qputenv("PGSERVICEFILE", QFile::encodeName(path));
        return path;
    }();
    return file;
}

void addService(const QString& service, const QString& database, const QString& user,
                const QString& password) {
    QMap<QString, QString> options{{QStringLiteral("dbname"), database}};
    for (const char* variable : {"PGHOST", "PGPORT"}) {
        if (const QString value = qEnvironmentVariable(variable); !value.isEmpty())
            options.insert(QString::fromLatin1(variable + 2).toLower(), value);
    }
    options.insert(QStringLiteral("user"), user);
    if (!password.isEmpty())
        options.insert(QStringLiteral("password"), password);
    if (const QString error = ServiceFile::write(serviceFile(), service, options); !error.isEmpty())
        qFatal("service file: %s", qPrintable(error));
}

void require(QSqlDatabase& db, const QString& sql) {
    QSqlQuery query(db);
    if (!query.exec(sql))
        qFatal("%s: %s", qPrintable(sql), qPrintable(query.lastError().text()));
}

void require(const Status& status) {
    if (!status.ok())
        qFatal("server test database: %s", qPrintable(status.error));
}

// The program's two roles exist once per cluster; several test programs may make them at once.
void createRoles(QSqlDatabase& db) {
    for (const QString& role : {ServerSetup::kTeacherRole, ServerSetup::kStudentRole})
        require(db, QStringLiteral("DO $$ BEGIN CREATE ROLE %1 LOGIN PASSWORD '%1'; EXCEPTION "
                                   "WHEN duplicate_object OR unique_violation THEN NULL; END $$")
                        .arg(role));
}

} // namespace

TestDatabase::Engine TestDatabase::engine() {
    return currentEngine;
}

QString TestDatabase::serverUnavailable() {
    static const QString why = [] {
        if (qEnvironmentVariableIsEmpty("PGHOST") && qEnvironmentVariableIsEmpty("PGPORT"))
            return QStringLiteral("no test cluster: PGHOST and PGPORT are not set (run the "
                                  "tests under pg_virtualenv, as ./test.sh does)");
        if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL")))
            return QStringLiteral("Qt's PostgreSQL driver is not installed (libqt6sql6-psql)");
        if (!withServer(QString(), [](QSqlDatabase&) {}))
            return QStringLiteral("the test cluster does not answer");
        return QString();
    }();
    return why;
}

int TestDatabase::runOnBothEngines(QObject& test, int argc, char** argv) {
    currentEngine = Engine::File;
    int failures = QTest::qExec(&test, argc, argv);
    if (const QString why = serverUnavailable(); !why.isEmpty()) {
        std::printf("SKIP the same tests on the server: %s\n", qPrintable(why));
        return failures;
    }
    std::printf("The same tests on the server:\n");
    currentEngine = Engine::Server;
    failures += QTest::qExec(&test, argc, argv);
    currentEngine = Engine::File;
    return failures;
}

TestDatabase::TestDatabase(const QString& extraSql)
    : m_path(m_dir.filePath(QStringLiteral("kvz_1.mdb"))), m_previousCurrent(QDir::currentPath()),
      m_store(Store::file(m_path)) {
    QFile script(QStringLiteral(KVZ_SOURCE_DIR "/resources/kvz_1.sql"));
    if (!script.open(QIODevice::ReadOnly))
        qFatal("cannot read the delivered script");
    const QString sql = QString::fromUtf8(script.readAll()) + u'\n' + extraSql;
    withFile(m_path, [&](QSqlDatabase& db) {
        const Status status = runSqlScript(db, sql);
        if (!status.ok())
            qFatal("test database: %s", qPrintable(status.error));
    });
    if (currentEngine == Engine::Server)
        copyToServer();
    QDir::setCurrent(m_dir.path());
}

void TestDatabase::copyToServer() {
    m_serverDatabase =
        QStringLiteral("kvz_test_") + QUuid::createUuid().toString(QUuid::Id128).left(16);
    if (!withServer(QString(), [&](QSqlDatabase& admin) {
            createRoles(admin);
            require(admin, QStringLiteral("CREATE DATABASE %1").arg(m_serverDatabase));
        }))
        qFatal("the test cluster does not answer");
    withServer(m_serverDatabase, [&](QSqlDatabase& db) {
        require(ServerSetup::createTables(db));
        require(ServerSetup::grantRights(db));
        require(ServerSetup::copyFromFile(m_path, db));
    });
    addService(m_serverDatabase, m_serverDatabase, qEnvironmentVariable("PGUSER"),
               qEnvironmentVariable("PGPASSWORD"));
    m_store = Store::server(m_serverDatabase);
}

Store TestDatabase::storeAs(const QString& role) const {
    const QString service = m_serverDatabase + u'_' + role;
    addService(service, m_serverDatabase, role, role);
    return Store::server(service);
}

TestDatabase::~TestDatabase() {
    QDir::setCurrent(m_previousCurrent);
    if (!m_serverDatabase.isEmpty())
        withServer(QString(), [&](QSqlDatabase& admin) {
            QSqlQuery(admin).exec(
                QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(m_serverDatabase));
        });
}

QVariantList TestDatabase::column(const QString& sql) const {
    QVariantList values;
    withConnection(*this, [&](QSqlDatabase& db) {
        QSqlQuery query(db);
        if (!query.exec(inEngineWords(*this, sql)))
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
    withConnection(*this, [&](QSqlDatabase& db) {
        const Status status = runSqlScript(db, inEngineWords(*this, sql));
        if (!status.ok())
            qFatal("%s", qPrintable(status.error));
    });
}

void TestDatabase::execStatement(const QString& statement) const {
    withConnection(*this, [&](QSqlDatabase& db) {
        QSqlQuery query(db);
        if (!query.exec(inEngineWords(*this, statement)))
            qFatal("%s: %s", qPrintable(statement), qPrintable(query.lastError().text()));
    });
}

void TestDatabase::setResults(const QStringList& rowsSql) const {
    QStringList columns{QStringLiteral("\"Фамилия, Имя, Отчество\"")};
    for (int k = 1; k <= 10; ++k)
        columns << QStringLiteral("\"Вопрос %1\"").arg(k);
    columns << QStringLiteral("\"Результат выполнения\"");
    QString sql = QStringLiteral("DELETE FROM Rezultat;");
    for (const QString& row : rowsSql)
        sql += QStringLiteral("INSERT INTO Rezultat (%1) VALUES (%2);")
                   .arg(columns.join(QStringLiteral(", ")), row);
    exec(sql);
}

QString TestDatabase::resultRow(const QString& name, const QString& flags, const QString& percent) {
    QStringList values{QStringLiteral("'%1'").arg(name)};
    for (QChar flag : flags)
        values << (flag == u'1' ? QStringLiteral("-1") : QStringLiteral("0"));
    values << percent;
    return values.join(QStringLiteral(", "));
}
