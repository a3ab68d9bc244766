#include "ServerTool.h"

#include "AccessRules.h"
#include "Accounts.h"
#include "AdminConnection.h"
#include "LabNetwork.h"
#include "PcEntries.h"
#include "Roles.h"
#include "postgres/PostgresDatabase.h"
#include "postgres/ServerSetup.h"
#include "postgres/ServiceFile.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QSqlError>
#include <QSysInfo>
#include <QUuid>

namespace {

const QString kDefaultPort = QStringLiteral("5432");
const QString kNothingChanged = QStringLiteral(" Ничего не изменено.\n");

QString generatedPassword() {
    static const QString letters =
        QStringLiteral("abcdefghijkmnpqrstuvwxyzABCDEFGHJKLMNPQRSTUVWXYZ23456789");
    QString password;
    for (int i = 0; i < 20; ++i)
        password += letters[QRandomGenerator::system()->bounded(int(letters.size()))];
    return password;
}

bool isPort(const QString& text) {
    bool number = false;
    const int port = text.toInt(&number);
    return number && port > 0 && port < 65536 && !text.startsWith(u'+');
}

QString notAPort(const QString& text, const QString& command) {
    return QStringLiteral("«%1» — не номер порта сервера (число от 1 до 65535). Пароль в "
                          "командной строке больше не нужен: sudo kvz-server %2 СЕРВЕР [ПОРТ].")
               .arg(text, command) +
           kNothingChanged;
}

QString sudoNeeded(const QString& problem) {
    return QStringLiteral("Не получится: %1. Запустите команду от имени администратора "
                          "(sudo).")
               .arg(problem) +
           kNothingChanged;
}

// Why the server at `host` does not let `role` in, in our words; empty when it does.
QString probe(const QString& host, const QString& port, const QString& role,
              const QString& password) {
    const QString name = QStringLiteral("kvz-probe-") + QUuid::createUuid().toString();
    QString problem;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        db.setHostName(host);
        db.setPort(port.toInt());
        db.setDatabaseName(kClassDatabase);
        db.setUserName(role);
        db.setPassword(password);
        db.setConnectOptions(QStringLiteral("connect_timeout=5"));
        if (!db.open())
            problem = PostgresDatabase::connectProblem(host, db.lastError().databaseText());
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return problem;
}

QMap<QString, QString> entry(const QString& host, const QString& port, const QString& role) {
    QMap<QString, QString> options{{QStringLiteral("host"), host},
                                   {QStringLiteral("dbname"), kClassDatabase},
                                   {QStringLiteral("user"), role}};
    if (port != kDefaultPort)
        options.insert(QStringLiteral("port"), port);
    return options;
}

bool settleDatabase(const AdminConnection& admin, QTextStream& out) {
    const bool made =
        admin.value(QStringLiteral("SELECT 1 FROM pg_database WHERE datname = ?"), {kClassDatabase})
            .isEmpty();
    if (made && !admin.run(QStringLiteral("CREATE DATABASE %1 TEMPLATE template0 ENCODING "
                                          "'UTF8'")
                               .arg(kClassDatabase),
                           out))
        return false;
    // The server notices a PC that went away within seconds, idle or amid a statement.
    static const char* const settings[] = {"tcp_keepalives_idle = 5", "tcp_keepalives_interval = 2",
                                           "tcp_keepalives_count = 3", "tcp_user_timeout = 10000",
                                           "client_connection_check_interval = 2000"};
    QStringList statements{
        QStringLiteral("REVOKE ALL ON DATABASE %1 FROM PUBLIC").arg(kClassDatabase),
        QStringLiteral("GRANT CONNECT ON DATABASE %1 TO %2, %3")
            .arg(kClassDatabase, ServerSetup::kTeacherRole, ServerSetup::kStudentRole)};
    for (const char* setting : settings)
        statements << QStringLiteral("ALTER DATABASE %1 SET %2")
                          .arg(kClassDatabase, QLatin1String(setting));
    for (const QString& statement : statements) {
        if (!admin.run(statement, out))
            return false;
    }
    out << (made ? QStringLiteral("Создана база данных «%1».\n")
                 : QStringLiteral("База данных «%1» уже есть: данные сохранены.\n"))
               .arg(kClassDatabase);
    return true;
}

bool settleTables(const AdminConnection& test, const QString& file, QTextStream& out) {
    QSqlDatabase db = test.db();
    const bool made = !ServerSetup::hasTables(db);
    Status status = made ? ServerSetup::createTables(db) : Status::success();
    if (status.ok() && made)
        status = ServerSetup::copyFromFile(file, db);
    if (status.ok() && !made)
        status = ServerSetup::installRoad(db);
    if (status.ok())
        status = ServerSetup::grantRights(db);
    if (!status.ok()) {
        out << QStringLiteral("Таблицы теста не подготовлены: %1\n").arg(status.error);
        return false;
    }
    if (!made) {
        out << QStringLiteral("Таблицы теста уже есть: вопросы и результаты не изменены, права "
                              "ролей заданы заново.\n");
        return true;
    }
    out << QStringLiteral("Созданы таблицы теста; из файла «%1» перенесено вопросов: %2, "
                          "результатов: %3.\n")
               .arg(QDir::toNativeSeparators(file),
                    test.value(QStringLiteral("SELECT count(*) FROM \"Zadanie\"")),
                    test.value(QStringLiteral("SELECT count(*) FROM \"Rezultat\"")));
    return true;
}

// The teacher's program reaches the server over the local socket, as the teacher's account.
QString socketFolder(const AdminConnection& admin) {
    const QString folders = admin.setting(QStringLiteral("unix_socket_directories"));
    const QString first = folders.section(u',', 0, 0).trimmed();
    return first.isEmpty() ? QStringLiteral("/var/run/postgresql") : first;
}

bool writeEntries(const AdminConnection& admin, const Account& teacher, QTextStream& out) {
    const QString port = admin.setting(QStringLiteral("port"));
    const QString teachers = PcEntries::teacherServiceFile(teacher);
    const QString students = ServiceFile::systemFile();
    QString problem = PcEntries::writeService(
        students, entry(QStringLiteral("localhost"), port, ServerSetup::kStudentRole));
    if (problem.isEmpty())
        problem = PcEntries::writeService(
            teachers, entry(socketFolder(admin), port, ServerSetup::kTeacherRole), teacher);
    if (!problem.isEmpty()) {
        out << problem << u'\n';
        return false;
    }
    out << QStringLiteral("На этом компьютере учитель (учётная запись «%1») работает с сервером "
                          "без пароля: запись «%2» в файле «%3», который читает только она. "
                          "Другие учётные записи работают как ученики: запись «%2» в файле "
                          "«%4».\n")
               .arg(teacher.name, PcEntries::kService, teachers, students);
    return true;
}

QString thisPcToward(const QString& cidr) {
    const QString address = LabNetwork::addressToward(cidr);
    return address.isEmpty() ? QSysInfo::machineHostName() : address;
}

// A server that listened to this PC alone listens to the network after a restart.
void listenToTheNetwork(const AdminConnection& admin, QTextStream& out) {
    if (admin.setting(QStringLiteral("listen_addresses")) == u"*")
        return;
    if (admin.run(QStringLiteral("ALTER SYSTEM SET listen_addresses = '*'"), out))
        out << QStringLiteral("\nЧтобы сервер начал слушать сеть, перезапустите его: sudo "
                              "systemctl restart postgresql\n");
}

void tellCommands(const AdminConnection& admin, const AccessRules::Wanted& wanted,
                  const std::optional<QString>& teacherPassword, QTextStream& out) {
    const QString port = admin.setting(QStringLiteral("port"));
    const QString portArgument = port == kDefaultPort ? QString() : u' ' + port;
    if (wanted.lab.isEmpty()) {
        out << QStringLiteral("\nЧтобы компьютеры класса подключались к серверу, выполните эту "
                              "команду с сетью класса: sudo kvz-server init --lab СЕТЬ (например, "
                              "--lab 192.168.1.0/24).\n");
    } else {
        const QString address = LabNetwork::addressToward(wanted.lab);
        if (address.isEmpty())
            out << QStringLiteral("У этого компьютера нет адреса в сети %1. Если компьютеры "
                                  "класса за маршрутизатором, это не ошибка; иначе проверьте "
                                  "сеть класса (--lab).\n")
                       .arg(wanted.lab);
        else
            out << QStringLiteral("Адрес сервера в сети класса %1: %2.\n").arg(wanted.lab, address);
        out << QStringLiteral("\nНа каждом компьютере учеников выполните:\n  sudo kvz-server join "
                              "%1%2\n")
                   .arg(thisPcToward(wanted.lab), portArgument);
    }
    if (teacherPassword)
        out << QStringLiteral("\nНа компьютере учителя (%1) выполните из учётной записи учителя:\n"
                              "  sudo kvz-server teacher %2%3\nи введите пароль учителя: %4\n"
                              "На сервере он не записан; потерянный пароль заменит новый: sudo "
                              "kvz-server init --teacher-pc %1\n")
                   .arg(LabNetwork::withoutMask(wanted.teacherPc), thisPcToward(wanted.teacherPc),
                        portArgument, *teacherPassword);
    if (LabNetwork::beyondThisPc(wanted.lab) || LabNetwork::beyondThisPc(wanted.teacherPc))
        listenToTheNetwork(admin, out);
}

// The options checked before anything is written; a message with the fix when one is wrong.
bool checkOptions(const ServerTool::InitOptions& options, AccessRules::Wanted& wanted,
                  QTextStream& out) {
    const QString source = options.file.isEmpty() ? ServerTool::deliveredFile() : options.file;
    if (!QFile::exists(source)) {
        out << QStringLiteral("Файл «%1» не найден: укажите файл базы данных теста.")
                       .arg(QDir::toNativeSeparators(source)) +
                   kNothingChanged;
        return false;
    }
    if (!options.lab.isEmpty() && (wanted.lab = LabNetwork::network(options.lab)).isEmpty()) {
        out << LabNetwork::notANetwork(options.lab) << u'\n';
        return false;
    }
    if (!options.teacherPc.isEmpty() &&
        (wanted.teacherPc = LabNetwork::singleHost(options.teacherPc)).isEmpty()) {
        out << LabNetwork::notAnAddress(options.teacherPc) << u'\n';
        return false;
    }
    return true;
}

} // namespace

namespace ServerTool {

QString deliveredFile() {
    return QStringLiteral(KVZ_DATA_DIR "/kvz_1.mdb");
}

int init(const InitOptions& options, QTextStream& out) {
    AccessRules::Wanted wanted;
    if (!checkOptions(options, wanted, out))
        return 1;
    const AdminConnection admin(QStringLiteral("postgres"));
    if (!admin.isOpen()) {
        out << QStringLiteral("Не удалось подключиться к PostgreSQL как его администратор: %1\n"
                              "Установите сервер (sudo apt install postgresql) и запустите "
                              "команду от имени администратора: sudo kvz-server init\n")
                   .arg(admin.error().trimmed());
        return 1;
    }
    const AccessRules::Wanted before = AccessRules::current(admin);
    if (wanted.lab.isEmpty())
        wanted.lab = before.lab;
    if (wanted.teacherPc.isEmpty())
        wanted.teacherPc = before.teacherPc;
    Status status;
    const auto teacher =
        teacherAccount(options.teacher.isEmpty() ? before.teacherAccount : options.teacher, status);
    if (!teacher) {
        out << status.error << u'\n';
        return 1;
    }
    wanted.teacherAccount = teacher->name;
    for (const QString& problem :
         {AccessRules::cannotChange(admin), PcEntries::cannotWrite(ServiceFile::systemFile()),
          PcEntries::cannotWrite(PcEntries::teacherServiceFile(*teacher), teacher)}) {
        if (!problem.isEmpty()) {
            out << sudoNeeded(problem);
            return 1;
        }
    }
    if (!AccessRules::apply(admin, wanted, out))
        return 1;
    const Roles::Wanted roles{!wanted.teacherPc.isEmpty(),
                              options.teacherPc.isEmpty() ? std::nullopt
                                                          : std::optional(generatedPassword())};
    if (!Roles::settle(admin, roles, out) || !settleDatabase(admin, out))
        return 1;
    {
        const AdminConnection test(kClassDatabase);
        const QString source = options.file.isEmpty() ? deliveredFile() : options.file;
        if (!test.isOpen() || !settleTables(test, source, out))
            return 1;
    }
    if (!writeEntries(admin, *teacher, out))
        return 1;
    tellCommands(admin, wanted, roles.teacherPassword, out);
    return 0;
}

int join(const QString& host, const QString& port, QTextStream& out) {
    if (!isPort(port)) {
        out << notAPort(port, QStringLiteral("join"));
        return 1;
    }
    Status ignored;
    if (const QString file = PcEntries::teacherEntryFile(teacherAccount({}, ignored));
        !file.isEmpty()) {
        out << QStringLiteral("Это компьютер учителя: в файле «%1» запись «%2» учителя, и команда "
                              "join заменила бы её записью учеников. Если компьютер больше не "
                              "нужен учителю, выполните сначала «sudo kvz-server leave».")
                       .arg(file, PcEntries::kService) +
                   kNothingChanged;
        return 1;
    }
    const QString file = ServiceFile::systemFile();
    if (const QString problem = PcEntries::cannotWrite(file); !problem.isEmpty()) {
        out << sudoNeeded(problem);
        return 1;
    }
    if (const QString problem = probe(host, port, ServerSetup::kStudentRole, {});
        !problem.isEmpty()) {
        out << problem
            << QStringLiteral("\nПроверьте адрес сервера и сеть; сервер, подготовленный прежней "
                              "версией, подготовьте снова: sudo kvz-server init.") +
                   kNothingChanged;
        return 1;
    }
    if (const QString problem =
            PcEntries::writeService(file, entry(host, port, ServerSetup::kStudentRole));
        !problem.isEmpty()) {
        out << problem << u'\n';
        return 1;
    }
    out << QStringLiteral("Этот компьютер работает с сервером «%1» как компьютер учеников: запись "
                          "«%2» в файле «%3». Сервер отвечает: всё готово.\n")
               .arg(host, PcEntries::kService, file);
    return 0;
}

int teacher(const QString& host, const QString& port, const QString& account,
            const QString& password, QTextStream& out) {
    if (!isPort(port)) {
        out << notAPort(port, QStringLiteral("teacher"));
        return 1;
    }
    Status status;
    const auto owner = teacherAccount(account, status);
    if (!owner) {
        out << status.error << u'\n';
        return 1;
    }
    if (password.isEmpty()) {
        out << QStringLiteral("Пароль учителя не введён: введите тот, что напечатала команда "
                              "«kvz-server init --teacher-pc» на сервере.") +
                   kNothingChanged;
        return 1;
    }
    const QString entryFile = PcEntries::teacherServiceFile(*owner);
    const QString passFile = PcEntries::teacherPassFile(*owner);
    for (const QString& file : {entryFile, passFile}) {
        if (const QString problem = PcEntries::cannotWrite(file, owner); !problem.isEmpty()) {
            out << sudoNeeded(problem);
            return 1;
        }
    }
    if (const QString problem = probe(host, port, ServerSetup::kTeacherRole, password);
        !problem.isEmpty()) {
        out << problem
            << QStringLiteral("\nПроверьте адрес сервера и пароль; сервер допускает учителя "
                              "только с компьютера, названного ему: sudo kvz-server init "
                              "--teacher-pc АДРЕС.") +
                   kNothingChanged;
        return 1;
    }
    QString problem =
        PcEntries::writeService(entryFile, entry(host, port, ServerSetup::kTeacherRole), owner);
    if (problem.isEmpty())
        problem = PcEntries::writePassword(passFile, host, port, password, *owner);
    if (!problem.isEmpty()) {
        out << problem << u'\n';
        return 1;
    }
    out << QStringLiteral("Учётная запись «%1» работает с сервером «%2» как учитель: запись «%3» "
                          "в файле «%4», пароль в файле «%5»; читать их может только она.\n")
               .arg(owner->name, host, PcEntries::kService, entryFile, passFile);
    return 0;
}

int leave(QTextStream& out) {
    if (!PcEntries::removeAll(out))
        return 1;
    out << QStringLiteral("Этот компьютер снова работает с файлом базы данных на нём самом.\n");
    if (const auto left = ServiceFile::find(PcEntries::kService))
        out << QStringLiteral("Но запись «%1» есть ещё в файле «%2», её записала не эта команда: "
                              "удалите её и там.\n")
                   .arg(PcEntries::kService, left->file);
    return 0;
}

} // namespace ServerTool
