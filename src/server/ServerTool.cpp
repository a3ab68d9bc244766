#include "ServerTool.h"

#include "Database.h"
#include "Store.h"
#include "postgres/PostgresDatabase.h"
#include "postgres/ServerSetup.h"
#include "postgres/ServiceFile.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSysInfo>
#include <QUuid>
#include <pwd.h>
#include <unistd.h>

namespace {

const QString kDatabase = QStringLiteral("kvz");
const QString kService = QStringLiteral("kvz");
// The students' entry on the teacher's PC: the command for one more student PC, later.
const QString kStudentsEntry = QStringLiteral("kvz_student");
const QString kDefaultPort = QStringLiteral("5432");

QString generatedPassword() {
    static const QString letters =
        QStringLiteral("abcdefghijkmnpqrstuvwxyzABCDEFGHJKLMNPQRSTUVWXYZ23456789");
    QString password;
    for (int i = 0; i < 20; ++i)
        password += letters[QRandomGenerator::system()->bounded(int(letters.size()))];
    return password;
}

// Run as root with no administrator named in libpq's environment, the program is the postgres
// account while it connects, as the local socket's peer check wants.
bool connectsAsPostgresAccount() {
    return geteuid() == 0 && qEnvironmentVariableIsEmpty("PGUSER") &&
           qEnvironmentVariableIsEmpty("PGHOST");
}

// A connection of the server's administrator to `database`, the way libpq finds one.
class AdminConnection {
public:
    explicit AdminConnection(const QString& database)
        : m_name(QStringLiteral("kvz-admin-") + QUuid::createUuid().toString()) {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_name);
        db.setDatabaseName(database);
        QString options = QStringLiteral("connect_timeout=5");
        const passwd* postgres = connectsAsPostgresAccount() ? getpwnam("postgres") : nullptr;
        if (postgres)
            options += QStringLiteral(";user=postgres");
        db.setConnectOptions(options);
        if (postgres && (setegid(postgres->pw_gid) != 0 || seteuid(postgres->pw_uid) != 0))
            postgres = nullptr;
        m_open = db.open();
        if (postgres && (seteuid(0) != 0 || setegid(0) != 0))
            qFatal("cannot return to the root account");
        if (!m_open)
            m_error = db.lastError().databaseText();
    }
    ~AdminConnection() {
        QSqlDatabase::database(m_name, false).close();
        QSqlDatabase::removeDatabase(m_name);
    }

    bool isOpen() const { return m_open; }
    const QString& error() const { return m_error; }
    QSqlDatabase db() const { return QSqlDatabase::database(m_name, false); }
    QString port() const { return value(QStringLiteral("SELECT current_setting('port')")); }

    // The first column of the first row; empty when the statement fails or returns none.
    QString value(const QString& sql, const QVariantList& values = {}) const {
        QSqlQuery query(db());
        query.prepare(sql);
        for (const QVariant& v : values)
            query.addBindValue(v);
        return query.exec() && query.next() ? query.value(0).toString() : QString();
    }
    bool run(const QString& sql, QTextStream& out) const {
        QSqlQuery query(db());
        if (query.exec(sql))
            return true;
        out << QStringLiteral("Ошибка сервера: %1\n").arg(query.lastError().databaseText());
        return false;
    }

private:
    QString m_name;
    bool m_open = false;
    QString m_error;
};

bool roleExists(const AdminConnection& admin, const QString& role) {
    return !admin.value(QStringLiteral("SELECT 1 FROM pg_roles WHERE rolname = ?"), {role})
                .isEmpty();
}

// The passwords of the roles made now; an existing role keeps its own.
QMap<QString, QString> createRoles(const AdminConnection& admin, QTextStream& out) {
    QMap<QString, QString> made;
    for (const QString& role : {ServerSetup::kTeacherRole, ServerSetup::kStudentRole}) {
        if (roleExists(admin, role)) {
            out << QStringLiteral("Роль «%1» уже есть на сервере: не изменена.\n").arg(role);
            continue;
        }
        const QString password = generatedPassword();
        if (admin.run(QStringLiteral("CREATE ROLE %1 LOGIN PASSWORD '%2'").arg(role, password),
                      out))
            made.insert(role, password);
    }
    return made;
}

bool createDatabase(const AdminConnection& admin, QTextStream& out) {
    if (!admin.value(QStringLiteral("SELECT 1 FROM pg_database WHERE datname = ?"), {kDatabase})
             .isEmpty())
        return true;
    return admin.run(QStringLiteral("CREATE DATABASE %1 TEMPLATE template0 ENCODING 'UTF8'")
                         .arg(kDatabase),
                     out) &&
           admin.run(QStringLiteral("REVOKE ALL ON DATABASE %1 FROM PUBLIC; GRANT CONNECT ON "
                                    "DATABASE %1 TO %2, %3")
                         .arg(kDatabase, ServerSetup::kTeacherRole, ServerSetup::kStudentRole),
                     out);
}

bool fillTables(const AdminConnection& test, const QString& file, QTextStream& out) {
    QSqlDatabase db = test.db();
    if (ServerSetup::hasTables(db)) {
        out << QStringLiteral("В базе данных «%1» таблицы теста уже есть: ничего не изменено.\n")
                   .arg(kDatabase);
        return true;
    }
    Status status = ServerSetup::createTables(db);
    if (status.ok())
        status = ServerSetup::grantRights(db);
    if (status.ok())
        status = ServerSetup::copyFromFile(file, db);
    if (!status.ok()) {
        out << QStringLiteral("Таблицы теста не созданы: %1\n").arg(status.error);
        return false;
    }
    out << QStringLiteral("Созданы таблицы теста; из файла «%1» перенесено вопросов: %2, "
                          "результатов: %3.\n")
               .arg(QDir::toNativeSeparators(file),
                    test.value(QStringLiteral("SELECT count(*) FROM \"Zadanie\"")),
                    test.value(QStringLiteral("SELECT count(*) FROM \"Rezultat\"")));
    return true;
}

QMap<QString, QString> entry(const QString& host, const QString& port, const QString& user,
                             const QString& password) {
    QMap<QString, QString> options{{QStringLiteral("host"), host},
                                   {QStringLiteral("dbname"), kDatabase},
                                   {QStringLiteral("user"), user},
                                   {QStringLiteral("password"), password}};
    if (port != kDefaultPort)
        options.insert(QStringLiteral("port"), port);
    return options;
}

bool writeEntry(const QString& service, const QMap<QString, QString>& options, QTextStream& out) {
    const QString file = ServiceFile::systemFile();
    if (const QString problem = ServiceFile::write(file, service, options); !problem.isEmpty()) {
        out << QStringLiteral("Не удалось записать файл «%1»: %2. Запустите команду от имени "
                              "администратора (sudo).\n")
                   .arg(file, problem);
        return false;
    }
    return true;
}

bool writeTeacherEntries(const QMap<QString, QString>& passwords, const QString& port,
                         QTextStream& out) {
    const QString file = ServiceFile::systemFile();
    if (passwords.size() < 2) {
        if (ServiceFile::find(kService))
            return true;
        out << QStringLiteral("Роли уже были на сервере, их пароли этой команде неизвестны, а "
                              "записи «%1» в файле «%2» нет. Задайте ролям новые пароли (ALTER "
                              "ROLE ... PASSWORD ...) и впишите запись вручную.\n")
                   .arg(kService, file);
        return false;
    }
    const QString localhost = QStringLiteral("localhost");
    if (!writeEntry(
            kService,
            entry(localhost, port, ServerSetup::kTeacherRole, passwords[ServerSetup::kTeacherRole]),
            out) ||
        !writeEntry(
            kStudentsEntry,
            entry(localhost, port, ServerSetup::kStudentRole, passwords[ServerSetup::kStudentRole]),
            out))
        return false;
    out << QStringLiteral("Этот компьютер работает с сервером как компьютер учителя: запись «%1» "
                          "в файле «%2».\n")
               .arg(kService, file);
    return true;
}

void tellStudentCommand(const QString& port, QTextStream& out) {
    const auto students = ServiceFile::find(kStudentsEntry);
    if (!students)
        return;
    out << QStringLiteral("\nНа каждом компьютере учеников выполните:\n  sudo kvz-server join %1 "
                          "%2%3\n")
               .arg(QSysInfo::machineHostName(),
                    students->options.value(QStringLiteral("password")),
                    port == kDefaultPort ? QString() : u' ' + port);
}

// The server listens on the lab's network and lets its PCs in, or says how to.
void letLabIn(const AdminConnection& admin, const QString& lab, QTextStream& out) {
    const QString hba = admin.value(QStringLiteral("SELECT current_setting('hba_file')"));
    const QString config = admin.value(QStringLiteral("SELECT current_setting('config_file')"));
    const QString line = QStringLiteral("host %1 %2,%3 %4 scram-sha-256")
                             .arg(kDatabase, ServerSetup::kTeacherRole, ServerSetup::kStudentRole,
                                  lab.isEmpty() ? QStringLiteral("192.168.1.0/24") : lab);
    if (lab.isEmpty()) {
        out << QStringLiteral("\nЧтобы компьютеры класса подключались к серверу, выполните "
                              "«sudo kvz-server init --lab СЕТЬ» (например, 192.168.1.0/24) или "
                              "вручную:\n  в «%1»: listen_addresses = '*'\n  в конец «%2»: %3\n  "
                              "затем: sudo systemctl restart postgresql\n")
                   .arg(config, hba, line);
        return;
    }
    QFile file(hba);
    const bool present = file.open(QIODevice::ReadOnly) && file.readAll().contains(line.toUtf8());
    file.close();
    if (!present && !(file.open(QIODevice::Append) && file.write(line.toUtf8() + '\n') > 0)) {
        out << QStringLiteral("Не удалось дописать в «%1» строку:\n  %2\n").arg(hba, line);
        return;
    }
    const bool listening =
        admin.value(QStringLiteral("SELECT current_setting('listen_addresses')")) == u"*";
    if (!listening)
        admin.run(QStringLiteral("ALTER SYSTEM SET listen_addresses = '*'"), out);
    admin.run(QStringLiteral("SELECT pg_reload_conf()"), out);
    out << QStringLiteral("Сеть %1 допущена к базе данных «%2».\n").arg(lab, kDatabase);
    if (!listening)
        out << QStringLiteral("Чтобы сервер начал слушать сеть, перезапустите его: sudo systemctl "
                              "restart postgresql\n");
}

} // namespace

namespace ServerTool {

QString deliveredFile() {
    return QStringLiteral(KVZ_DATA_DIR "/kvz_1.mdb");
}

int init(const QString& file, const QString& lab, QTextStream& out) {
    const QString source = file.isEmpty() ? deliveredFile() : file;
    if (!QFile::exists(source)) {
        out << QStringLiteral("Файл «%1» не найден.\n").arg(QDir::toNativeSeparators(source));
        return 1;
    }
    const AdminConnection admin(QStringLiteral("postgres"));
    if (!admin.isOpen()) {
        out << QStringLiteral("Не удалось подключиться к PostgreSQL как его администратор: %1\n"
                              "Установите сервер (sudo apt install postgresql) и запустите "
                              "команду от имени администратора: sudo kvz-server init\n")
                   .arg(admin.error().trimmed());
        return 1;
    }
    const QMap<QString, QString> passwords = createRoles(admin, out);
    if (!createDatabase(admin, out))
        return 1;
    {
        const AdminConnection test(kDatabase);
        if (!test.isOpen() || !fillTables(test, source, out))
            return 1;
    }
    if (!writeTeacherEntries(passwords, admin.port(), out))
        return 1;
    tellStudentCommand(admin.port(), out);
    letLabIn(admin, lab, out);
    return 0;
}

int join(const QString& host, const QString& password, const QString& port, QTextStream& out) {
    if (!writeEntry(kService, entry(host, port, ServerSetup::kStudentRole, password), out))
        return 1;
    out << QStringLiteral("Этот компьютер работает с сервером «%1»: запись «%2» в файле «%3».\n")
               .arg(host, kService, ServiceFile::systemFile());
    Status status;
    if (Database::openSeparate(Store::server(kService, QDir::tempPath()), status)) {
        out << QStringLiteral("Сервер отвечает: всё готово.\n");
        return 0;
    }
    out << status.error << QStringLiteral("\nЗапись сохранена; проверьте адрес, пароль и сеть.\n");
    return 1;
}

int leave(QTextStream& out) {
    const QString file = ServiceFile::systemFile();
    if (const QString problem = ServiceFile::remove(file, kService); !problem.isEmpty()) {
        out << QStringLiteral("Не удалось изменить файл «%1»: %2.\n").arg(file, problem);
        return 1;
    }
    out << QStringLiteral("Запись «%1» удалена из файла «%2»: этот компьютер снова работает с "
                          "файлом базы данных на нём самом.\n")
               .arg(kService, file);
    if (const auto left = ServiceFile::find(kService))
        out << QStringLiteral("Но запись «%1» есть ещё в файле «%2»: удалите её и там.\n")
                   .arg(kService, left->file);
    return 0;
}

} // namespace ServerTool
