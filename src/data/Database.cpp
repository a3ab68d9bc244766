#include "Database.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>
#include <sqlite3.h>

namespace {

QChar primaryKey(QChar c) {
    const QChar folded = c.toCaseFolded();
    return folded == QChar(0x0451) ? QChar(0x0435) : folded; // ё sorts with е
}

int sign(int v) {
    return (v > 0) - (v < 0);
}

int collate(void*, int lengthA, const void* a, int lengthB, const void* b) {
    const QString left = QString::fromRawData(static_cast<const QChar*>(a), lengthA / 2);
    const QString right = QString::fromRawData(static_cast<const QChar*>(b), lengthB / 2);
    return compareRussian(left, right);
}

QHash<QString, std::weak_ptr<Database>>& sharedConnections() {
    static QHash<QString, std::weak_ptr<Database>> connections;
    return connections;
}

// The log files beside the database are made by whoever opens it first; every pupil's account
// must be able to use them too, as it can the database itself.
void shareLogFiles(const QString& path) {
    const auto everyone = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                          QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther;
    for (const char* suffix : {"-wal", "-shm"}) {
        QFile log(path + QLatin1String(suffix));
        if (log.exists() && (log.permissions() & everyone) != everyone)
            log.setPermissions(log.permissions() | everyone);
    }
}

// How long a statement waits for another program's lock before it fails: a moment, so that a
// window is never frozen for longer; the caller says so and the person tries again.
constexpr int kLockWaitMs = 250;

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

bool registerRussianCollation(QSqlDatabase& db) {
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return false;
    sqlite3* sqlite = *static_cast<sqlite3* const*>(handle.data());
    return sqlite &&
           sqlite3_create_collation(sqlite, "RUSSIAN", SQLITE_UTF16, nullptr, collate) == SQLITE_OK;
}

Database::Database(QString path, QString connection)
    : m_path(std::move(path)), m_connection(std::move(connection)) {}

Database::~Database() {
    QSqlDatabase::database(m_connection, false).close();
    QSqlDatabase::removeDatabase(m_connection);
}

std::shared_ptr<Database> Database::open(const QString& path, Status& status) {
    auto& connections = sharedConnections();
    if (auto existing = connections.value(path).lock()) {
        status = Status::success();
        return existing;
    }
    auto db = connect(path, status);
    if (db)
        connections.insert(path, db);
    return db;
}

std::shared_ptr<Database> Database::openSeparate(const QString& path, Status& status) {
    return connect(path, status);
}

std::shared_ptr<Database> Database::connect(const QString& path, Status& status) {
    // SQLite would quietly create a missing file; the program never creates its database.
    const QFileInfo info(path);
    if (!info.exists() || !info.isFile()) {
        status = Status::failure(
            QStringLiteral("Файл базы данных «%1» не найден. Переустановите программу "
                           "или обратитесь к администратору.")
                .arg(QDir::toNativeSeparators(path)));
        return nullptr;
    }
    const QString name =
        QStringLiteral("kvz-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    std::shared_ptr<Database> db(new Database(path, name));
    QSqlDatabase sql = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    sql.setDatabaseName(path);
    sql.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kLockWaitMs));
    if (!sql.open()) {
        status = Status::failure(db->describe(sql.lastError()));
        return nullptr;
    }
    QSqlQuery probe(sql);
    if (!probe.exec(QStringLiteral("SELECT count(*) FROM sqlite_master"))) {
        status = Status::failure(db->describe(probe.lastError()));
        return nullptr;
    }
    probe.finish();
    // A write-ahead log spares every read the file-lock round trip of a rollback journal, so a
    // move costs the same at any table size; where the folder does not allow it, the file keeps
    // its journal. Every committed write must survive a crash of the program or the machine.
    probe.exec(QStringLiteral("PRAGMA journal_mode = WAL"));
    probe.finish();
    probe.exec(QStringLiteral("PRAGMA synchronous = FULL"));
    probe.exec(QStringLiteral("SELECT count(*) FROM sqlite_master")); // opens both log files
    probe.finish();
    shareLogFiles(path);
    if (!registerRussianCollation(sql)) {
        status = Status::failure(
            QStringLiteral("Не удалось подготовить сортировку имён для базы данных «%1».")
                .arg(QDir::toNativeSeparators(path)));
        return nullptr;
    }
    status = Status::success();
    return db;
}

bool Database::hasTable(const QString& table) const {
    QSqlQuery query(sql());
    query.prepare(QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?"));
    query.addBindValue(table);
    return query.exec() && query.next();
}

QString Database::describe(const QSqlError& error) const {
    const QString file = QDir::toNativeSeparators(m_path);
    switch (error.nativeErrorCode().toInt() & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return QStringLiteral("База данных «%1» занята другой программой. Закройте её и "
                              "повторите действие.")
            .arg(file);
    case SQLITE_READONLY:
        return QStringLiteral("Файл базы данных «%1» открыт только для чтения: изменения не "
                              "сохранены. Проверьте права доступа к файлу и его папке.")
            .arg(file);
    case SQLITE_FULL:
        return QStringLiteral("Недостаточно места на диске для файла «%1»: изменения не "
                              "сохранены.")
            .arg(file);
    case SQLITE_NOTADB:
        return QStringLiteral("Файл «%1» не является базой данных теста.").arg(file);
    case SQLITE_CORRUPT:
        return QStringLiteral("Файл базы данных «%1» повреждён.").arg(file);
    case SQLITE_CANTOPEN:
        return QStringLiteral("Не удалось открыть файл базы данных «%1».").arg(file);
    case SQLITE_IOERR:
        return QStringLiteral("Ошибка чтения или записи файла «%1».").arg(file);
    case SQLITE_CONSTRAINT:
        return QStringLiteral("Значение не подходит для поля таблицы в базе данных «%1».")
            .arg(file);
    default:
        return QStringLiteral("Ошибка базы данных «%1»: %2").arg(file, error.text());
    }
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
