#include "SqliteDatabase.h"

#include "FileProblem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QTimer>
#include <QUrl>
#include <sqlite3.h>
#include <sys/stat.h>

namespace {

// How long a write waits for another program's lock before it fails: a moment, so that a
// window is never frozen for longer; the caller says so and tries again.
constexpr int kLockWaitMs = 250;
constexpr int kWatchIntervalMs = 1000;
const QString kNameField = QStringLiteral("Фамилия, Имя, Отчество");

int collate(void*, int lengthA, const void* a, int lengthB, const void* b) {
    const QString left = QString::fromRawData(static_cast<const QChar*>(a), lengthA / 2);
    const QString right = QString::fromRawData(static_cast<const QChar*>(b), lengthB / 2);
    return compareRussian(left, right);
}

sqlite3* handleOf(const QSqlDatabase& db) {
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3* const*>(handle.data());
}

QString quotedName(QString name) {
    name.replace(u'"', QLatin1String("\"\""));
    return u'"' + name + u'"';
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

FieldKind kindOf(const QString& declaredType, bool primaryKey) {
    const QString type = declaredType.toUpper();
    if (type.contains(QLatin1String("COUNTER")) || (primaryKey && type == QLatin1String("INTEGER")))
        return FieldKind::Counter;
    if (type.contains(QLatin1String("YESNO")) || type.contains(QLatin1String("BOOL")))
        return FieldKind::YesNo;
    if (type.contains(QLatin1String("INT")))
        return FieldKind::Whole;
    for (const char* number : {"REAL", "DOUB", "FLOA", "NUMERIC", "DECIMAL"}) {
        if (type.contains(QLatin1String(number)))
            return FieldKind::Number;
    }
    return FieldKind::Text;
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
    const QString old = quotedName(QStringLiteral("Rezultat до перестройки"));
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

bool registerRussianCollation(QSqlDatabase& db) {
    sqlite3* sqlite = handleOf(db);
    return sqlite &&
           sqlite3_create_collation(sqlite, "RUSSIAN", SQLITE_UTF16, nullptr, collate) == SQLITE_OK;
}

SqliteDatabase::SqliteDatabase(Store store, QString connection)
    : Database(std::move(store), std::move(connection)) {}

std::shared_ptr<Database> SqliteDatabase::connect(const Store& store, Status& status) {
    const QString path = store.location();
    const QString file = QDir::toNativeSeparators(path);
    // Told in so many words; the opening below would refuse a missing file in its own.
    const QFileInfo info(path);
    if (!info.exists()) {
        status = Status::failure(
            QStringLiteral("Файл базы данных «%1» не найден. %2").arg(file, reinstallAdvice()),
            Status::Cause::Refused);
        return nullptr;
    }
    if (!info.isFile()) {
        status =
            Status::failure(QStringLiteral("Файл базы данных «%1» не открыт: %2. %3")
                                .arg(file, fileProblem(path, FileUse::Read), reinstallAdvice()),
                            Status::Cause::Refused);
        return nullptr;
    }
    const QString name = newConnectionName();
    std::shared_ptr<SqliteDatabase> db(new SqliteDatabase(store, name));
    QSqlDatabase sql = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    // Opened for reading and writing only: neither this opening nor a later one (the file
    // replaced, moved away meanwhile) ever makes an empty file at the path.
    sql.setDatabaseName(
        QString::fromLatin1(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toEncoded()) +
        QStringLiteral("?mode=rw"));
    sql.setConnectOptions(
        QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1;QSQLITE_OPEN_URI").arg(kLockWaitMs));
    // A file that cannot be opened at all is not one a moment's wait would mend.
    if (!sql.open()) {
        status = Status::failure(db->describe(sql.lastError()), Status::Cause::Refused);
        return nullptr;
    }
    QSqlQuery probe(sql);
    if (!holdsTestTables(probe)) {
        status =
            probe.lastError().isValid()
                ? db->failure(probe.lastError())
                : Status::failure(QStringLiteral("Файл «%1» не является базой данных теста. %2")
                                      .arg(file, reinstallAdvice()),
                                  Status::Cause::Refused);
        return nullptr;
    }
    // A write-ahead log spares every read the file-lock round trip of a rollback journal, so a
    // move costs the same at any table size; where the folder does not allow it, the file keeps
    // its journal.
    probe.exec(QStringLiteral("PRAGMA journal_mode = WAL"));
    probe.finish();
    if (!db->prepareSession()) {
        status = Status::failure(
            QStringLiteral("Не удалось подготовить сортировку имён для базы данных «%1».")
                .arg(file));
        return nullptr;
    }
    dropProgramCollation(sql);
    db->noteFileState();
    status = Status::success();
    return db;
}

// What each connection to the file sets up for itself.
bool SqliteDatabase::prepareSession() const {
    QSqlDatabase db = sql();
    QSqlQuery query(db);
    // Every committed write must survive a crash of the program or the machine.
    query.exec(QStringLiteral("PRAGMA synchronous = FULL"));
    query.exec(QStringLiteral("SELECT count(*) FROM sqlite_master")); // opens both log files
    query.finish();
    shareLogFiles(path());
    return registerRussianCollation(db);
}

std::optional<SqliteDatabase::FileState> SqliteDatabase::fileState() const {
    struct stat st {};
    if (::stat(QFile::encodeName(path()).constData(), &st) != 0)
        return std::nullopt;
    return FileState{quint64(st.st_dev), quint64(st.st_ino), qint64(st.st_size),
                     qint64(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec};
}

qint64 SqliteDatabase::dataVersion() const {
    QSqlQuery query(sql());
    const qint64 version = query.exec(QStringLiteral("PRAGMA data_version")) && query.next()
                               ? query.value(0).toLongLong()
                               : -1;
    query.finish();
    return version;
}

void SqliteDatabase::noteFileState() const {
    m_fileState = fileState();
    m_dataVersion = dataVersion();
}

// The file changed without a write through SQLite's log (another connection's commit changes
// the data version): a file was copied or moved over it. The connection still holds the old
// file's pages and log, which must never reach the new file: it is opened afresh.
bool SqliteDatabase::renew() const {
    const std::optional<FileState> now = fileState();
    if (now == m_fileState)
        return true;
    if (now && now->inode == m_fileState->inode && dataVersion() != m_dataVersion) {
        noteFileState();
        return true;
    }
    forgetOldLog();
    const bool reopened = reopen();
    noteFileState();
    return reopened;
}

// The log beside the path holds pages of the file that was there before: closing must not copy
// them into the new one, and the new one must not find them.
void SqliteDatabase::forgetOldLog() const {
    if (sqlite3* sqlite = handleOf(sql()))
        sqlite3_db_config(sqlite, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    sql().close();
    for (const char* suffix : {"-wal", "-shm"})
        QFile::remove(path() + QLatin1String(suffix));
}

void SqliteDatabase::afterWrite() const {
    QSqlQuery query(sql());
    query.exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
    query.finish();
    noteFileState();
}

// The last connection to close takes the log away with it; before, the log is emptied into
// the file, so that nothing is left beside it even where another program keeps it open.
void SqliteDatabase::finish() const {
    QSqlDatabase db = sql();
    if (!db.isOpen())
        return;
    QSqlQuery query(db);
    query.exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
    query.finish();
    db.close();
}

QString SqliteDatabase::label() const {
    return QDir::toNativeSeparators(path());
}

// The file tells no one of a change: its data version, which another connection's commit
// changes, is looked at about once a second.
void SqliteDatabase::watchResults(QObject& owner, std::function<void()> changed) const {
    auto* poll = new QTimer(&owner);
    auto self = std::static_pointer_cast<const SqliteDatabase>(shared_from_this());
    QObject::connect(poll, &QTimer::timeout, poll,
                     [self, changed = std::move(changed), seen = self->dataVersion()]() mutable {
                         if (!self->renew())
                             return;
                         if (const qint64 now = self->dataVersion(); now != seen) {
                             seen = now;
                             changed();
                         }
                     });
    poll->start(kWatchIntervalMs);
}

QVector<Field> SqliteDatabase::fields(const QString& table, Status& status) const {
    QSqlQuery info(sql());
    QVector<Field> fields;
    if (!exec(info, QStringLiteral("PRAGMA table_info(%1)").arg(quotedName(table)))) {
        status = Status::failure(describe(info.lastError()));
        return fields;
    }
    while (info.next())
        fields.append({info.value(1).toString(),
                       kindOf(info.value(2).toString(), info.value(5).toInt() > 0)});
    status = Status::success();
    return fields;
}

Status SqliteDatabase::sortNamesInRussian() const {
    QSqlQuery query(sql());
    QStringList columns;
    if (!exec(query, QStringLiteral("PRAGMA main.table_info(Rezultat)")))
        return Status::failure(describe(query.lastError()));
    while (query.next()) {
        const QString column = quotedName(query.value(1).toString());
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

QString SqliteDatabase::tableOutOfKeys() const {
    QSqlQuery query(sql());
    const QString table = query.exec(QStringLiteral("SELECT name FROM sqlite_sequence WHERE seq "
                                                    "= 9223372036854775807")) &&
                                  query.next()
                              ? query.value(0).toString()
                              : QString();
    query.finish();
    return table;
}

int SqliteDatabase::systemError() const {
    sqlite3* sqlite = handleOf(sql());
    return sqlite ? sqlite3_system_errno(sqlite) : 0;
}

// Locks, the disk and the file's place may change; a file that answers with another error
// refuses the same write again (a foreign table, a trigger, a damaged file).
Status::Cause SqliteDatabase::causeOf(const QSqlError& error) const {
    switch (error.nativeErrorCode().toInt() & 0xff) {
    case SQLITE_OK:
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
    case SQLITE_READONLY:
    case SQLITE_FULL:
    case SQLITE_CANTOPEN:
    case SQLITE_IOERR:
    case SQLITE_NOMEM:
        return Status::Cause::Unanswered;
    default:
        return Status::Cause::Refused;
    }
}

QString SqliteDatabase::describe(const QSqlError& error) const {
    const QString file = QDir::toNativeSeparators(path());
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
        // SQLite says "full" also when a table's counter of keys has reached its largest value.
        if (const QString table = tableOutOfKeys(); !table.isEmpty())
            return QStringLiteral("В таблице «%1» базы данных «%2» исчерпан счётчик номеров "
                                  "записей: новую запись добавить нельзя. Обратитесь к "
                                  "администратору.")
                .arg(table, file);
        return QStringLiteral("Недостаточно места на диске для файла «%1»: изменения не "
                              "сохранены.")
            .arg(file);
    case SQLITE_NOTADB:
        return QStringLiteral("Файл «%1» не является базой данных теста.").arg(file);
    case SQLITE_CORRUPT:
        return QStringLiteral("Файл базы данных «%1» повреждён.").arg(file);
    case SQLITE_CANTOPEN:
        return QStringLiteral("Не удалось открыть файл базы данных «%1»: %2.")
            .arg(file, fileProblem(path(), FileUse::Write, systemError()));
    case SQLITE_IOERR:
        return QStringLiteral("Ошибка чтения или записи файла «%1»: %2.")
            .arg(file, fileProblem(path(), FileUse::Write, systemError()));
    case SQLITE_CONSTRAINT:
        return QStringLiteral("Значение не подходит для поля таблицы в базе данных «%1».")
            .arg(file);
    default:
        return QStringLiteral("Ошибка базы данных «%1»: %2.").arg(file, engineProblem(error));
    }
}
