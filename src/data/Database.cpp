#include "Database.h"

#include "FileProblem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
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
const QString kResults = QStringLiteral("Rezultat");
const QString kNameField = QStringLiteral("Фамилия, Имя, Отчество");

QString quoted(QString name) {
    name.replace(u'"', QLatin1String("\"\""));
    return u'"' + name + u'"';
}

QString reinstallAdvice() {
    return QStringLiteral("Переустановите программу или обратитесь к администратору.");
}

QStringList firstColumn(QSqlQuery& query, const QString& sql) {
    QStringList values;
    if (query.exec(sql)) {
        while (query.next())
            values << query.value(0).toString();
    }
    query.finish();
    return values;
}

// A file is the test database only when it holds one of its tables. Anything else, an empty
// file included, is refused before a single byte of it is written.
bool holdsTestTables(QSqlQuery& query) {
    const bool holds = query.exec(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = "
                                                 "'table' AND name IN ('Zadanie', 'Rezultat')")) &&
                       query.next() && query.value(0).toInt() > 0;
    query.finish();
    return holds;
}

// The engine's own English words for a statement it could not run, put into ours; only the
// name it quotes is kept.
QString engineProblem(const QSqlError& error) {
    static const std::pair<QLatin1String, const char*> known[] = {
        {QLatin1String("no such table: "), "нет таблицы «%1»"},
        {QLatin1String("no such column: "), "нет поля «%1»"},
        {QLatin1String("has no column named "), "нет поля «%1»"},
        {QLatin1String("no such collation sequence: "), "неизвестный порядок сортировки «%1»"},
    };
    const QString text = error.databaseText();
    for (const auto& [english, russian] : known) {
        if (const qsizetype at = text.indexOf(english); at >= 0)
            return QString::fromUtf8(russian).arg(text.mid(at + english.size()).trimmed());
    }
    switch (error.nativeErrorCode().toInt() & 0xff) {
    case SQLITE_NOMEM:
        return QStringLiteral("недостаточно памяти");
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return QStringLiteral("нет прав доступа");
    default:
        return QStringLiteral("внутренняя ошибка (код %1)").arg(error.nativeErrorCode());
    }
}

const QRegularExpression& programCollation() {
    static const QRegularExpression clause(QStringLiteral(R"(\s+COLLATE\s+["`\[]?RUSSIAN["`\]]?)"),
                                           QRegularExpression::CaseInsensitiveOption);
    return clause;
}

// Builds Rezultat again from its own definition less the collation; the counter of keys goes
// on from the largest key ever given, not the largest one left.
bool rebuildResults(QSqlQuery& query, const QString& definition, const QStringList& dependents) {
    const QString counter = firstColumn(query, QStringLiteral("SELECT seq FROM sqlite_sequence "
                                                              "WHERE name = 'Rezultat'"))
                                .value(0, QStringLiteral("0"));
    const QString old = quoted(kResults + QStringLiteral(" до перестройки"));
    QStringList steps{
        // Only the table itself is renamed; views and triggers elsewhere keep naming Rezultat.
        QStringLiteral("ALTER TABLE Rezultat RENAME TO %1").arg(old),
        QString(definition).remove(programCollation()),
        QStringLiteral("INSERT INTO Rezultat SELECT * FROM %1").arg(old),
        QStringLiteral("DROP TABLE %1").arg(old),
    };
    if (definition.contains(QLatin1String("AUTOINCREMENT"), Qt::CaseInsensitive))
        steps << QStringLiteral("DELETE FROM sqlite_sequence WHERE name = 'Rezultat'")
              << QStringLiteral("INSERT INTO sqlite_sequence (name, seq) SELECT 'Rezultat', "
                                "max(%1, coalesce(max(rowid), 0)) FROM Rezultat")
                     .arg(counter.toLongLong());
    for (const QString& dependent : dependents)
        steps << QString(dependent).remove(programCollation());
    for (const QString& step : steps) {
        if (!query.exec(step))
            return false;
    }
    return true;
}

// Files made before the name field lost the program's own collation carry it in their schema,
// and standard SQLite tools can then neither sort, filter nor VACUUM them. The table is built
// again without it in one transaction, rows, keys, indexes and triggers as they were. A file
// that cannot be written now is left as it is: the program still reads it, and the next
// opening tries again.
void dropProgramCollation(QSqlDatabase& db) {
    QSqlQuery query(db);
    const QString where = QStringLiteral(" FROM sqlite_master WHERE tbl_name = 'Rezultat' AND ");
    const QStringList table =
        firstColumn(query, QStringLiteral("SELECT sql") + where + QStringLiteral("type = 'table'"));
    if (table.isEmpty() || !table.first().contains(programCollation()))
        return;
    const QStringList dependents =
        firstColumn(query, QStringLiteral("SELECT sql") + where +
                               QStringLiteral("type IN ('index', 'trigger') AND sql IS NOT NULL"));
    query.exec(QStringLiteral("PRAGMA legacy_alter_table = ON"));
    const bool rebuilt = query.exec(QStringLiteral("BEGIN IMMEDIATE")) &&
                         rebuildResults(query, table.first(), dependents) &&
                         query.exec(QStringLiteral("COMMIT"));
    if (!rebuilt)
        query.exec(QStringLiteral("ROLLBACK"));
    query.exec(QStringLiteral("PRAGMA legacy_alter_table = OFF"));
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
    const QString file = QDir::toNativeSeparators(path);
    // SQLite would quietly create a missing file; the program never creates its database.
    const QFileInfo info(path);
    if (!info.exists()) {
        status = Status::failure(
            QStringLiteral("Файл базы данных «%1» не найден. %2").arg(file, reinstallAdvice()));
        return nullptr;
    }
    if (!info.isFile()) {
        status =
            Status::failure(QStringLiteral("Файл базы данных «%1» не открыт: %2. %3")
                                .arg(file, fileProblem(path, FileUse::Read), reinstallAdvice()));
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
    if (!holdsTestTables(probe)) {
        status =
            Status::failure(probe.lastError().isValid()
                                ? db->describe(probe.lastError())
                                : QStringLiteral("Файл «%1» не является базой данных теста. %2")
                                      .arg(file, reinstallAdvice()));
        return nullptr;
    }
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
                .arg(file));
        return nullptr;
    }
    dropProgramCollation(sql);
    status = Status::success();
    return db;
}

Status Database::sortNamesInRussian() const {
    QSqlQuery query(sql());
    QStringList columns;
    if (!query.exec(QStringLiteral("PRAGMA main.table_info(Rezultat)")))
        return Status::failure(describe(query.lastError()));
    while (query.next()) {
        const QString column = quoted(query.value(1).toString());
        columns << (query.value(1).toString() == kNameField
                        ? column + QStringLiteral(" COLLATE RUSSIAN AS ") + column
                        : column);
    }
    query.finish();
    if (columns.isEmpty())
        return Status::success(); // no table to shadow: the reader says what is missing
    if (!query.exec(QStringLiteral("CREATE TEMP VIEW IF NOT EXISTS Rezultat AS SELECT %1 FROM "
                                   "main.Rezultat")
                        .arg(columns.join(QStringLiteral(", ")))))
        return Status::failure(describe(query.lastError()));
    return Status::success();
}

void Database::checkpoint() const {
    QSqlQuery query(sql());
    query.exec(QStringLiteral("PRAGMA wal_checkpoint(PASSIVE)"));
    query.finish();
}

void Database::checkpointAll() {
    for (const std::weak_ptr<Database>& shared : sharedConnections()) {
        if (const auto db = shared.lock())
            db->checkpoint();
    }
}

bool Database::hasTable(const QString& table) const {
    QSqlQuery query(sql());
    query.prepare(QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?"));
    query.addBindValue(table);
    return query.exec() && query.next();
}

int Database::systemError() const {
    const QVariant handle = sql().driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return 0;
    sqlite3* sqlite = *static_cast<sqlite3* const*>(handle.data());
    return sqlite ? sqlite3_system_errno(sqlite) : 0;
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
        return QStringLiteral("Не удалось открыть файл базы данных «%1»: %2.")
            .arg(file, fileProblem(m_path, FileUse::Write, systemError()));
    case SQLITE_IOERR:
        return QStringLiteral("Ошибка чтения или записи файла «%1»: %2.")
            .arg(file, fileProblem(m_path, FileUse::Write, systemError()));
    case SQLITE_CONSTRAINT:
        return QStringLiteral("Значение не подходит для поля таблицы в базе данных «%1».")
            .arg(file);
    default:
        return QStringLiteral("Ошибка базы данных «%1»: %2.").arg(file, engineProblem(error));
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
