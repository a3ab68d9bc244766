#include "Database.h"

#include "postgres/PostgresDatabase.h"
#include "sqlite/SqliteDatabase.h"

#include <QHash>
#include <QMutex>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <QUuid>

namespace {

QChar primaryKey(QChar c) {
    const QChar folded = c.toCaseFolded();
    return folded == QChar(0x0451) ? QChar(0x0435) : folded; // ё sorts with е
}

int sign(int v) {
    return (v > 0) - (v < 0);
}

QString storeKey(const Store& store) {
    return QString::number(int(store.kind())) + u':' + store.location();
}

QHash<QString, std::weak_ptr<Database>>& sharedConnections() {
    static QHash<QString, std::weak_ptr<Database>> connections;
    return connections;
}

// Every connection of the program with the thread it belongs to, the only one that may use it.
struct OpenConnection {
    std::weak_ptr<Database> db;
    QThread* thread;
};
QMutex openConnectionsMutex;
QList<OpenConnection>& openConnections() {
    static QList<OpenConnection> connections;
    return connections;
}

void remember(const std::shared_ptr<Database>& db) {
    const QMutexLocker lock(&openConnectionsMutex);
    openConnections().removeIf([](const OpenConnection& open) { return open.db.expired(); });
    openConnections().append({db, QThread::currentThread()});
}

QList<std::shared_ptr<Database>> openOnThisThread() {
    const QMutexLocker lock(&openConnectionsMutex);
    QList<std::shared_ptr<Database>> found;
    for (const OpenConnection& open : std::as_const(openConnections())) {
        if (const auto db = open.db.lock(); db && open.thread == QThread::currentThread())
            found << db;
    }
    return found;
}

} // namespace

int compareRussian(const QString& a, const QString& b) {
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        const QChar x = primaryKey(a[i]), y = primaryKey(b[i]);
        if (x != y)
            return sign(int(x.unicode()) - int(y.unicode()));
    }
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    // Equal but for case or Ё: small letters and Е first, so the order is total and stable.
    for (qsizetype i = 0; i < n; ++i) {
        if (a[i] != b[i]) {
            const bool aIsYo = a[i].toLower() == QChar(0x0451);
            const bool bIsYo = b[i].toLower() == QChar(0x0451);
            if (aIsYo != bIsYo)
                return aIsYo ? 1 : -1;
            return a[i].isLower() ? -1 : 1;
        }
    }
    return 0;
}

Database::Database(Store store, QString connection)
    : m_store(std::move(store)), m_connection(std::move(connection)) {}

Database::~Database() {
    finish();
    QSqlDatabase::database(m_connection, false).close();
    QSqlDatabase::removeDatabase(m_connection);
}

QString Database::newConnectionName() {
    return QStringLiteral("kvz-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
}

QString Database::quoted(QString name) {
    name.replace(u'"', QLatin1String("\"\""));
    return u'"' + name + u'"';
}

std::shared_ptr<Database> Database::open(const Store& store, Status& status) {
    auto& connections = sharedConnections();
    if (auto existing = connections.value(storeKey(store)).lock()) {
        status = Status::success();
        return existing;
    }
    auto db = connect(store, status);
    if (db)
        connections.insert(storeKey(store), db);
    return db;
}

std::shared_ptr<Database> Database::openSeparate(const Store& store, Status& status) {
    return connect(store, status);
}

std::shared_ptr<Database> Database::connect(const Store& store, Status& status) {
    auto db = store.kind() == Store::Kind::Server ? PostgresDatabase::connect(store, status)
                                                  : SqliteDatabase::connect(store, status);
    if (db)
        remember(db);
    return db;
}

// The windows' own connections and those of their watchers alike: the last one closed takes the
// file's log away.
void Database::closeAll() {
    for (const std::shared_ptr<Database>& db : openOnThisThread())
        db->finish();
}

bool Database::exec(QSqlQuery& query, Retry retry) const {
    // A statement of a group begun belongs to its connection: on another it would be stored
    // alone, outside the group. Once that connection is lost the whole group fails.
    if (m_groupBegun)
        return *m_groupBegun == m_generation && !connectionLost() && query.exec();
    const quint64 before = m_generation;
    if (!renew()) // fails at once on the closed connection, with the driver's error for a file
        return !connectionLost() && query.exec();
    if (m_generation != before)
        return rerun(query); // prepared on the connection just closed: it never ran
    if (query.exec())
        return true;
    return retry == Retry::Yes && connectionLost() && renew() && rerun(query);
}

// A statement prepared on the connection that was closed is prepared again on the new one.
bool Database::rerun(QSqlQuery& query) const {
    const QVariantList values = query.boundValues();
    if (!query.prepare(query.lastQuery()))
        return false;
    for (int i = 0; i < values.size(); ++i)
        query.bindValue(i, values[i]);
    return query.exec();
}

// Nothing is prepared or run on a connection to a server that is away: it would fail at once, and
// the driver would say so on the console at every tick of every window meanwhile. The failure
// is told as the server's absence.
bool Database::prepare(QSqlQuery& query, const QString& sql) const {
    if (!m_groupBegun)
        renew();
    return !connectionLost() && query.prepare(sql);
}

bool Database::exec(QSqlQuery& query, const QString& sql) const {
    if (m_groupBegun)
        return *m_groupBegun == m_generation && !connectionLost() && query.exec(sql);
    renew();
    return !connectionLost() && query.exec(sql);
}

bool Database::reopen() const {
    QSqlDatabase db = sql();
    db.close();
    ++m_generation;
    return db.open() && prepareSession();
}

bool Database::beginWrite(QSqlQuery& query) const {
    if (!exec(query, beginStatement()))
        return false;
    m_groupBegun = m_generation;
    return true;
}

bool Database::commit(QSqlQuery& query) const {
    const bool sameConnection = m_groupBegun == m_generation && !connectionLost();
    m_groupBegun.reset();
    if (!sameConnection || !query.exec(QStringLiteral("COMMIT")))
        return false;
    afterWrite();
    return true;
}

void Database::rollback() const {
    m_groupBegun.reset();
    QSqlQuery query(sql());
    query.exec(QStringLiteral("ROLLBACK"));
}

// A read like any other, so that a connection lost a moment ago is opened again for it.
bool Database::hasTable(const QString& table, QSqlError* error) const {
    QSqlQuery query(sql());
    const bool prepared = prepare(query, tableQuery());
    query.addBindValue(table);
    const bool found = execPrepared(query, prepared) && query.next();
    if (error)
        *error = query.lastError();
    return found;
}

bool Database::execPrepared(QSqlQuery& query, bool prepared, Retry retry) const {
    return prepared && exec(query, retry);
}

Status Database::failure(const QSqlError& error) const {
    return Status::failure(describe(error), causeOf(error));
}

Status runSqlScript(QSqlDatabase& db, const QString& script) {
    QString sql;
    for (const QString& line : script.split(u'\n')) {
        if (!line.trimmed().startsWith(QLatin1String("--")))
            sql += line + u'\n';
    }
    for (const QString& statement : sql.split(u';')) {
        if (statement.trimmed().isEmpty())
            continue;
        QSqlQuery query(db);
        if (!query.exec(statement))
            return Status::failure(query.lastError().text() + QStringLiteral("\n") + statement);
    }
    return Status::success();
}
