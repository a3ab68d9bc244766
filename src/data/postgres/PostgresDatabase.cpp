#include "PostgresDatabase.h"

#include "ServiceFile.h"

#include <QDir>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <QTimer>
#include <QUuid>

namespace {

// Seconds: a server that does not answer within them is told as such. libpq takes no less
// than 2 for connecting.
constexpr int kConnectTimeout = 3;
// Milliseconds: another program's lock is waited for a moment, a statement a few seconds; the
// network's silence is noticed within a few seconds too.
constexpr int kLockTimeout = 2000;
constexpr int kStatementTimeout = 5000;
constexpr int kNetworkTimeout = 5000;
// The notice the server sends on every change of the results, and how often the program looks
// anyway.
const QString kResultsChanged = QStringLiteral("kvz_results");
constexpr int kSlowLookMs = 10000;

QString databaseAbsent(const QString& host) {
    return QStringLiteral("На сервере базы данных «%1» нет таблиц теста. Подготовьте сервер "
                          "командой «kvz-server init» на компьютере учителя.")
        .arg(host);
}

// From the type's own name (a domain's, as yesno) and the name of the type it is built on.
FieldKind kindOf(const QString& type, const QString& base, bool counter) {
    if (counter)
        return FieldKind::Counter;
    if (type == u"yesno")
        return FieldKind::YesNo;
    if (base.startsWith(u"int"))
        return FieldKind::Whole;
    if (base.startsWith(u"float") || base == u"numeric")
        return FieldKind::Number;
    return FieldKind::Text;
}

} // namespace

PostgresDatabase::PostgresDatabase(Store store, QString connection, QString host)
    : Database(std::move(store), std::move(connection)), m_host(std::move(host)) {}

PostgresDatabase::~PostgresDatabase() {
    if (m_probe) {
        m_probe->requestInterruption();
        m_probe->wait();
    }
}

// Every setting the program relies on is sent with the connection itself: those sent so
// outweigh whatever `ALTER ROLE ... SET` put on the role, which the students' role may do.
QString PostgresDatabase::connectOptions(const QString& service) {
    return QStringLiteral("service=%1;connect_timeout=%2;keepalives=1;keepalives_idle=5;"
                          "keepalives_interval=2;keepalives_count=2;tcp_user_timeout=%3;"
                          "application_name=kvz;options='-c lock_timeout=%4 "
                          "-c statement_timeout=%5 -c default_transaction_read_only=off "
                          "-c search_path=public'")
        .arg(service)
        .arg(kConnectTimeout)
        .arg(kNetworkTimeout)
        .arg(kLockTimeout)
        .arg(kStatementTimeout);
}

QString PostgresDatabase::connectProblem(const QString& host, const QString& libpqText) {
    static const std::pair<const char*, const char*> known[] = {
        {"timeout expired", "сервер не ответил вовремя. Проверьте, включён ли он и работает ли "
                            "сеть"},
        {"Connection refused", "сервер не принимает подключения: PostgreSQL на нём не запущен или "
                               "не слушает сеть"},
        {"No route to host", "сервер недоступен по сети"},
        {"Network is unreachable", "сеть недоступна"},
        {"could not translate host name", "имя сервера не найдено в сети"},
        {"password authentication failed", "сервер не принял имя пользователя или пароль"},
        {"no password supplied", "для подключения нет пароля"},
        {"no pg_hba.conf entry", "сервер не разрешает подключения с этого компьютера"},
        {"does not exist", "на сервере нет базы данных теста или её пользователя"},
        {"definition of service", "служба подключения не описана"},
        {"the database system is starting up", "сервер ещё запускается, повторите через минуту"},
        {"the database system is shutting down", "сервер останавливается"},
    };
    QString why;
    for (const auto& [english, russian] : known) {
        if (libpqText.contains(QLatin1String(english), Qt::CaseInsensitive)) {
            why = QString::fromUtf8(russian);
            break;
        }
    }
    if (why.isEmpty())
        why = QStringLiteral("ошибка подключения (%1)").arg(libpqText.trimmed());
    return QStringLiteral("Не удалось подключиться к серверу базы данных «%1»: %2.").arg(host, why);
}

std::shared_ptr<Database> PostgresDatabase::connect(const Store& store, Status& status) {
    const std::optional<ServiceFile::Entry> entry = ServiceFile::find(store.location());
    const QString host = entry ? ServiceFile::hostOf(*entry) : store.location();
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL"))) {
        status = Status::failure(
            QStringLiteral("Программа не может подключиться к серверу базы данных «%1»: не "
                           "установлен драйвер PostgreSQL (пакет libqt6sql6-psql).")
                .arg(host));
        return nullptr;
    }
    const QString name = newConnectionName();
    std::shared_ptr<PostgresDatabase> db(new PostgresDatabase(store, name, host));
    QSqlDatabase sql = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
    sql.setConnectOptions(connectOptions(store.location()));
    if (!sql.open()) {
        status = Status::failure(connectProblem(host, sql.lastError().databaseText()));
        return nullptr;
    }
    if (!db->hasTable(QStringLiteral("Zadanie")) && !db->hasTable(QStringLiteral("Rezultat"))) {
        status = Status::failure(databaseAbsent(host));
        return nullptr;
    }
    status = Status::success();
    return db;
}

// The driver says it is closed once libpq has found the connection broken.
bool PostgresDatabase::connectionLost() const {
    return !sql().isOpen();
}

// One attempt at once (a restarted server is back in a moment); after that, only once the
// probe has heard the server again, so that nobody waits for a server that is away.
bool PostgresDatabase::renew() const {
    if (!connectionLost())
        return true;
    if (m_probe && !m_serverAnswers->load())
        return false;
    if (reopen()) {
        m_probe.reset();
        return true;
    }
    startProbe();
    return false;
}

// The probe connects on a thread of its own, once a second, until the server lets it in.
void PostgresDatabase::startProbe() const {
    m_serverAnswers->store(false);
    if (m_probe && m_probe->isRunning())
        return;
    m_probe.reset(QThread::create([answers = m_serverAnswers, service = store().location()] {
        const QString name = QStringLiteral("kvz-probe-") + QUuid::createUuid().toString();
        bool answered = false;
        while (!answered && !QThread::currentThread()->isInterruptionRequested()) {
            {
                QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
                db.setConnectOptions(connectOptions(service));
                answered = db.open();
                db.close();
            }
            QSqlDatabase::removeDatabase(name);
            if (!answered)
                QThread::sleep(1);
        }
        answers->store(answered);
    }));
    m_probe->start();
}

QString PostgresDatabase::noTeacherRights() const {
    return QStringLiteral("На этом компьютере нет прав учителя для сервера базы данных «%1»: "
                          "вопросы, ответы и результаты изменяют на компьютере учителя.")
        .arg(m_host);
}

// The server answered and refused: the same write is refused again until someone mends the
// server; an attempt the server does not know (or a secret that is not its own) never changes.
Status::Cause PostgresDatabase::causeOf(const QSqlError& error) const {
    const QString state = error.nativeErrorCode();
    if (connectionLost() || error.type() == QSqlError::ConnectionError || state.isEmpty())
        return Status::Cause::Unanswered;
    if (state == u"KVZ03" || state == u"KVZ02")
        return Status::Cause::RefusedForGood;
    static const char* const passing[] = {"55P03", "40P01", "40001", "57014", "53", "08", "57P"};
    for (const char* code : passing) {
        if (state.startsWith(QLatin1String(code)))
            return Status::Cause::Unanswered;
    }
    return Status::Cause::Refused;
}

QString PostgresDatabase::describe(const QSqlError& error) const {
    // The server's SQLSTATE (or its class, two characters) and our words for it.
    static const char* const busy =
        "Запись на сервере базы данных «%1» занята другой программой. Повторите действие.";
    static const char* const unfit =
        "Значение не подходит для поля таблицы на сервере базы данных «%1».";
    static const std::pair<const char*, const char*> known[] = {
        {"55P03", busy},
        {"40P01", busy},
        {"40001", busy},
        {"57014", "Сервер базы данных «%1» не ответил вовремя. Повторите действие через "
                  "несколько секунд."},
        {"53100", "На сервере базы данных «%1» недостаточно места на диске: изменения не "
                  "сохранены."},
        {"25006", "Сервер базы данных «%1» открыт только для чтения: изменения не сохранены."},
        {"42P01", "Ошибка сервера базы данных «%1»: нет таблицы."},
        {"42703", "Ошибка сервера базы данных «%1»: нет поля."},
        {"2200H", "На сервере базы данных «%1» исчерпан счётчик номеров записей: новую запись "
                  "добавить нельзя. Обратитесь к администратору."},
        {"42883", "На сервере базы данных «%1» нет функций теста: выполните «kvz-server init» "
                  "на компьютере учителя."},
        {"KVZ03", "Сервер базы данных «%1» не знает этой попытки: результат не может быть "
                  "записан."},
        {"KVZ0", "Сервер базы данных «%1» отказался записать результат: данные теста неверны."},
        {"23", unfit},
        {"22", unfit},
    };
    const QString state = error.nativeErrorCode();
    if (connectionLost() || error.type() == QSqlError::ConnectionError)
        return QStringLiteral("Нет связи с сервером базы данных «%1»: он не отвечает. Проверьте "
                              "сеть и повторите действие через несколько секунд.")
            .arg(m_host);
    if (state == u"42501")
        return noTeacherRights() + QStringLiteral(" Ничего не изменено.");
    for (const auto& [code, words] : known) {
        if (state.startsWith(QLatin1String(code)))
            return QString::fromUtf8(words).arg(m_host);
    }
    return QStringLiteral("Ошибка сервера базы данных «%1» (код %2).").arg(m_host, state);
}

QVector<Field> PostgresDatabase::fields(const QString& table, Status& status) const {
    QSqlQuery query(sql());
    const bool prepared = prepare(
        query,
        QStringLiteral(
            "SELECT a.attname, t.typname, coalesce(b.typname, t.typname), a.attidentity <> '' OR "
            "coalesce(pg_get_expr(d.adbin, d.adrelid) LIKE 'nextval(%', false) FROM pg_attribute a "
            "JOIN pg_type t ON t.oid = a.atttypid LEFT JOIN pg_type b ON b.oid = t.typbasetype "
            "LEFT JOIN pg_attrdef d ON d.adrelid = a.attrelid AND d.adnum = a.attnum "
            "WHERE a.attrelid = to_regclass(quote_ident(?)) AND a.attnum > 0 AND NOT "
            "a.attisdropped "
            "ORDER BY a.attnum"));
    query.addBindValue(table);
    QVector<Field> fields;
    if (!execPrepared(query, prepared)) {
        status = Status::failure(describe(query.lastError()));
        return fields;
    }
    while (query.next()) {
        const QString name = query.value(0).toString();
        if (name == u"rowid")
            continue; // the questions' order, which the file keeps out of sight as well
        fields.append({name, kindOf(query.value(1).toString(), query.value(2).toString(),
                                    query.value(3).toBool())});
    }
    status = Status::success();
    return fields;
}

QString PostgresDatabase::keyColumn(const QString& table) const {
    if (const auto it = m_keys.constFind(table); it != m_keys.constEnd())
        return it.value();
    QSqlQuery query(sql());
    const bool prepared = prepare(
        query, QStringLiteral("SELECT a.attname FROM pg_index i JOIN pg_attribute a ON "
                              "a.attrelid = i.indrelid AND a.attnum = i.indkey[0] WHERE "
                              "i.indrelid = to_regclass(quote_ident(?)) AND i.indisprimary"));
    query.addBindValue(table);
    if (!execPrepared(query, prepared) || !query.next())
        return QStringLiteral("rowid"); // asked again next time
    const QString key = query.value(0).toString();
    m_keys.insert(table, key);
    return key;
}

QString PostgresDatabase::inServerWords(const QString& sql) {
    QString out;
    out.reserve(sql.size() + 16);
    for (qsizetype i = 0; i < sql.size();) {
        const QChar c = sql[i];
        if (c == u'\'' || c == u'"') { // a literal or a quoted name, as it stands
            const qsizetype end = sql.indexOf(c, i + 1);
            const qsizetype next = end < 0 ? sql.size() : end + 1;
            out += sql.mid(i, next - i);
            i = next;
        } else if (c == u'`') {
            const qsizetype end = sql.indexOf(u'`', i + 1);
            out += quoted(sql.mid(i + 1, (end < 0 ? sql.size() : end) - i - 1));
            i = end < 0 ? sql.size() : end + 1;
        } else if (c.isLetter() || c == u'_') {
            qsizetype end = i;
            while (end < sql.size() && (sql[end].isLetterOrNumber() || sql[end] == u'_'))
                ++end;
            const QString word = sql.mid(i, end - i);
            const bool mixedCase = word != word.toUpper() && word != word.toLower();
            out += mixedCase ? quoted(word) : word;
            i = end;
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}

Status PostgresDatabase::teacherRights() const {
    QSqlQuery query(sql());
    const bool prepared = prepare(
        query, QStringLiteral("SELECT has_table_privilege(to_regclass(quote_ident(?)), 'UPDATE') "
                              "AND has_table_privilege(to_regclass(quote_ident(?)), 'DELETE')"));
    query.addBindValue(QStringLiteral("Zadanie"));
    query.addBindValue(QStringLiteral("Rezultat"));
    if (!execPrepared(query, prepared))
        return Status::failure(describe(query.lastError()));
    if (query.next() && query.value(0).toBool())
        return Status::success();
    return Status::failure(noTeacherRights(), Status::Cause::RefusedForGood);
}

// The server tells every listener of a change of the results. A connection opened again has
// forgotten what it listened to, and a notice may be lost with a connection: a slow look
// listens again and tells of a change anyway.
void PostgresDatabase::watchResults(QObject& owner, std::function<void()> changed) const {
    auto self = std::static_pointer_cast<const PostgresDatabase>(shared_from_this());
    const auto listen = [self] {
        QSqlDriver* driver = self->sql().driver();
        if (self->renew() && !driver->subscribedToNotifications().contains(kResultsChanged))
            driver->subscribeToNotification(kResultsChanged);
    };
    listen();
    QObject::connect(sql().driver(), &QSqlDriver::notification, &owner,
                     [changed](const QString& name) {
                         if (name == kResultsChanged)
                             changed();
                     });
    auto* slowLook = new QTimer(&owner);
    QObject::connect(slowLook, &QTimer::timeout, slowLook, [listen, changed] {
        listen();
        changed();
    });
    slowLook->start(kSlowLookMs);
}
