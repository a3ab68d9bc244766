// The class's server as a school sets it up: the store a PC chooses, `kvz-server init` from a
// teacher's file with results, what a student PC's role may do, the administrator's mistakes,
// what a student may change of the students' role, and each PC's entries. Needs a test cluster
// (./test.sh runs the tests under pg_virtualenv); skips with a message where none answers.
#include "Database.h"
#include "EditorForms.h"
#include "Forms.h"
#include "Recordset.h"
#include "ScriptedPlatform.h"
#include "StartupForms.h"
#include "TestDatabase.h"
#include "postgres/ServiceFile.h"

#include <QApplication>
#include <QProcess>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <pwd.h>
#include <unistd.h>

namespace {

// One PC's files: the user's service file and password file, and the system's folder.
struct Pc {
    QTemporaryDir dir;
    Pc() {
        QFile(userFile()).open(QIODevice::WriteOnly);
        use();
    }
    QString userFile() const { return dir.filePath(QStringLiteral("user.conf")); }
    QString passFile() const { return dir.filePath(QStringLiteral("pgpass")); }
    QString systemFile() const { return dir.filePath(QStringLiteral("pg_service.conf")); }
    void use() const {
        qputenv("PGSYSCONFDIR", QFile::encodeName(dir.path()));
        qputenv("PGSERVICEFILE", QFile::encodeName(userFile()));
        qputenv("PGPASSFILE", QFile::encodeName(passFile()));
    }
    QString serverTool(const QStringList& arguments, int& code,
                       const QByteArray& input = {}) const {
        use();
        QProcess tool;
        tool.start(QStringLiteral(KVZ_SERVER_TOOL), arguments);
        tool.write(input);
        tool.closeWriteChannel();
        tool.waitForFinished(60000);
        code = tool.exitCode();
        return QString::fromUtf8(tool.readAllStandardOutput());
    }
    Store store() const {
        use();
        return Store::choose(dir.filePath(QStringLiteral("kvz_1.mdb")));
    }
};

QString port() {
    return qEnvironmentVariable("PGPORT", QStringLiteral("5432"));
}

// The account running the tests plays the teacher's.
QString me() {
    return QString::fromLocal8Bit(getpwuid(geteuid())->pw_name);
}

QString serverValue(const QString& sql) {
    QSqlQuery query(QSqlDatabase::database(QStringLiteral("a")));
    return query.exec(sql) && query.next() ? query.value(0).toString() : QString();
}

QByteArray contents(const QString& file) {
    QFile in(file);
    return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
}

bool readableByOthers(const QString& file) {
    return QFile::permissions(file) &
           (QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther);
}

QString option(const QString& file, const QString& name) {
    const auto entry = ServiceFile::findIn(file, QStringLiteral("kvz"));
    return entry ? entry->options.value(name, QStringLiteral("(none)"))
                 : QStringLiteral("(no entry)");
}

// The rules the server reads for the class's database, in its own words.
QString rules() {
    return serverValue(QStringLiteral(
        "SELECT string_agg(concat_ws(' ', type, array_to_string(user_name, ','), address, "
        "netmask, auth_method, array_to_string(options, ',')), '; ' ORDER BY line_number) FROM "
        "pg_hba_file_rules WHERE database = '{kvz}'"));
}

} // namespace

class tst_kvzServer : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void storeChoice_data();
    void storeChoice();
    void administratorMistakes_data();
    void administratorMistakes();
    void initFromATeachersFileAndStudentRights();
    void studentsCannotHarmTheClass_data();
    void studentsCannotHarmTheClass();
    void initMendsWhatAStudentChanged_data();
    void initMendsWhatAStudentChanged();
    void eachPcHoldsItsOwnEntriesTillItLeaves();

private:
    std::unique_ptr<TestDatabase> m_file;
    Pc m_teacher; // the server's PC
    Pc m_student;
};

void tst_kvzServer::initTestCase() {
    if (const QString why = TestDatabase::serverUnavailable(); !why.isEmpty())
        QSKIP(qPrintable(why));
    QSqlDatabase admin = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("a"));
    QVERIFY(admin.open());
    QSqlQuery(admin).exec(QStringLiteral("DROP DATABASE IF EXISTS kvz WITH (FORCE)"));
    QSqlQuery(admin).exec(
        QStringLiteral("DROP ROLE IF EXISTS kvz_teacher, kvz_student, kvz_owner"));
}

void tst_kvzServer::storeChoice_data() {
    QTest::addColumn<QString>("entry"); // the kvz service of the user's file, if any
    QTest::addColumn<bool>("server");
    QTest::addColumn<QString>("told"); // what opening it says, if it fails
    QTest::newRow("no service: the file") << "" << false << "не найден";
    QTest::newRow("a server that refuses: named, never the file")
        << "host=127.0.0.1\nport=9\ndbname=kvz" << true
        << "«127.0.0.1»: сервер не принимает подключения";
}

void tst_kvzServer::storeChoice() {
    QFETCH(QString, entry);
    QFETCH(bool, server);
    QFETCH(QString, told);
    const Pc pc;
    if (!entry.isEmpty()) {
        QFile user(pc.dir.filePath(QStringLiteral("user.conf")));
        QVERIFY(user.open(QIODevice::WriteOnly));
        user.write(("# a comment\n[other]\nhost=x\n[kvz]\n" + entry + "\n").toUtf8());
    }
    const Store store = pc.store();
    QCOMPARE(store.kind() == Store::Kind::Server, server);
    Status status;
    QVERIFY(!Database::open(store, status));
    QVERIFY2(status.error.contains(told), qPrintable(status.error));
}

void tst_kvzServer::administratorMistakes_data() {
    QTest::addColumn<QStringList>("arguments"); // %file: a database file; %me: this account
    QTest::addColumn<QString>("told");
    QTest::addColumn<bool>("brokenRule"); // pg_hba.conf holds a line the server cannot read
    const QStringList init{"init", "%file", "--teacher", "%me"};
    QTest::newRow("a network past its mask")
        << init + QStringList{"--lab", "10.44.0.0/33"} << "например --lab 192.168.1.0/24" << false;
    QTest::newRow("a network without its mask")
        << init + QStringList{"--lab", "10.44.0.0"} << "например --lab 192.168.1.0/24" << false;
    QTest::newRow("a network for the teacher's PC")
        << init + QStringList{"--teacher-pc", "10.44.0.0/24"} << "--teacher-pc 192.168.1.10"
        << false;
    QTest::newRow("no such teacher")
        << QStringList{"init", "%file", "--teacher", "kvz-nobody"} << "--teacher ИМЯ" << false;
    QTest::newRow("a rule the server cannot read")
        << init << "строка «host all all 10.44.0.0/33 trust»" << true;
    QTest::newRow("the students' password of old")
        << QStringList{"join", "localhost", "Xy7pass"} << "не номер порта" << false;
    QTest::newRow("a server not there")
        << QStringList{"join", "127.0.0.1", "9"} << "сервер не принимает подключения" << false;
    QTest::newRow("the teacher's wrong password")
        << QStringList{"teacher", "127.0.0.1", port(), "--teacher", "%me"}
        << "сервер не принял имя пользователя или пароль" << false;
}

// Each is told with its fix, and nothing is written: no entry, no record, no rule, no role.
void tst_kvzServer::administratorMistakes() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, told);
    QFETCH(bool, brokenRule);
    const TestDatabase file;
    arguments.replaceInStrings(QStringLiteral("%file"), file.path());
    arguments.replaceInStrings(QStringLiteral("%me"), me());
    const QString hba = serverValue(QStringLiteral("SELECT current_setting('hba_file')"));
    const QString ident = serverValue(QStringLiteral("SELECT current_setting('ident_file')"));
    const QByteArray rulesBefore = contents(hba);
    {
        QFile rules(hba);
        QVERIFY(rules.open(QIODevice::Append));
        if (brokenRule)
            rules.write("host all all 10.44.0.0/33 trust\n");
    }
    const QByteArray hbaBefore = contents(hba);
    const QByteArray identBefore = contents(ident);
    const Pc pc;
    int code = -1;
    const QString report = pc.serverTool(arguments, code, "wrong\n");
    const QByteArray hbaAfter = contents(hba);
    QFile rules(hba);
    QVERIFY(rules.open(QIODevice::WriteOnly) && rules.write(rulesBefore) == rulesBefore.size());
    QCOMPARE(code, 1);
    QVERIFY2(report.contains(told) &&
                 report.contains(QStringLiteral("ничего не изменено"), Qt::CaseInsensitive),
             qPrintable(report));
    QCOMPARE(hbaAfter, hbaBefore);
    QCOMPARE(contents(ident), identBefore);
    QCOMPARE(QDir(pc.dir.path()).entryList(QDir::Files), QStringList{"user.conf"});
    QCOMPARE(contents(pc.userFile()), QByteArray());
    QCOMPARE(serverValue(QStringLiteral("SELECT count(*) FROM pg_roles WHERE rolname LIKE 'kvz%'")),
             QStringLiteral("0"));
}

void tst_kvzServer::initFromATeachersFileAndStudentRights() {
    m_file = std::make_unique<TestDatabase>(); // keys with a gap, a counter past the last key
    TestDatabase& file = *m_file;
    file.setResults({TestDatabase::resultRow(QStringLiteral("Ёлкин"), "1111111111", "100"),
                     TestDatabase::resultRow(QStringLiteral("Андреев"), "1000000000", "10"),
                     TestDatabase::resultRow(QStringLiteral("Борисов"), "0000000000", "NULL")});
    file.exec(QStringLiteral("DELETE FROM Rezultat WHERE \"Фамилия, Имя, Отчество\" = 'Андреев';"));
    {
        // The older set-up tool's line: both roles from the lab, with passwords.
        QFile rules(serverValue(QStringLiteral("SELECT current_setting('hba_file')")));
        QVERIFY(rules.open(QIODevice::Append));
        rules.write("host kvz kvz_teacher,kvz_student 127.0.0.0/8 scram-sha-256\n");
    }
    const Pc& teacher = m_teacher;
    int code = -1;
    const QString report = teacher.serverTool({"init", file.path(), "--teacher", me()}, code);
    QCOMPARE(code, 0);
    QVERIFY2(report.contains(QStringLiteral("результатов: 2")) &&
                 report.contains(QStringLiteral("убрана строка прежней версии")),
             qPrintable(report));
    // Run again with nothing named: the same teacher and lab, the data kept.
    const QString again = teacher.serverTool({"init", file.path()}, code);
    QCOMPARE(code, 0);
    for (const char* said :
         {"данные сохранены", "вопросы и результаты не изменены", "Роль «kvz_student» в порядке",
          "«kvz_teacher» в порядке", "учётной записи «%me»",
          "Адрес сервера в сети класса 127.0.0.0/8: "
          "127.0.0.1"})
        QVERIFY2(again.contains(QString::fromUtf8(said).replace(QStringLiteral("%me"), me())),
                 qPrintable(again));

    Status status;
    {
        const auto teachers = Database::open(teacher.store(), status);
        QVERIFY2(teachers && teachers->teacherRights().ok(), qPrintable(status.error));
        const auto rs = Recordset::open(teachers, QStringLiteral("Rezultat"), status);
        QVERIFY(rs && rs->MoveLast().ok());
        QCOMPARE(rs->value(0).toLongLong(), 4);
        QCOMPARE(rs->value(1).toString(), QStringLiteral("Борисов"));
    }

    const Pc& student = m_student;
    const QString joined = student.serverTool({"join", "127.0.0.1", port()}, code);
    QVERIFY2(code == 0, qPrintable(joined));
    const auto students = Database::open(student.store(), status);
    QVERIFY2(students, qPrintable(status.error));
    QVERIFY(students->teacherRights().error.contains(QStringLiteral("на компьютере учителя")));
    QuestionSheet sheet;
    const Status read = students->readTest(sheet);
    QVERIFY2(read.ok(), qPrintable(read.error));
    QCOMPARE(sheet.questions.size(), 10);
    QVERIFY(!sheet.questions[0].key); // the key stays on the server
    SignIn signIn;
    QVERIFY(students->signIn(QStringLiteral("Петров"), signIn).ok());
    QCOMPARE(signIn.key, 5); // after every key the file ever gave
    FinishedTest test{
        signIn.attempt, signIn.secret, signIn.key, QStringLiteral("Петров"), {1, 1}, {}, {},
        signIn.began,   signIn.began};
    qint64 key = 0;
    QVERIFY(students->deliver(test, key).ok());
    QCOMPARE(key, 5);
    QVERIFY(test.outcomes);
    FinishedTest forged = test;
    forged.secret = QStringLiteral("guessed");
    const Status refused = students->deliver(forged, key);
    QCOMPARE(refused.cause, Status::Cause::RefusedForGood);

    // The teacher's password at a student's PC: one message, and the start window again.
    ScriptedPlatform platform;
    Forms forms(platform, student.store());
    registerStartupForms(forms);
    registerEditorForms(forms);
    forms.Show(QStringLiteral("frmEdit"));
    QCOMPARE(platform.messages.size(), 1);
    QVERIFY(
        platform.messages[0].text.contains(QStringLiteral("откройте его на компьютере учителя")));
    QVERIFY(!forms.isLoaded(QStringLiteral("frmEdit")));
    QVERIFY(forms.isLoaded(QStringLiteral("frmStart")));
}

void tst_kvzServer::studentsCannotHarmTheClass_data() {
    QTest::addColumn<QString>("statement"); // by a student with psql and the students' role
    QTest::addColumn<bool>("refused");
    QTest::newRow("a password") << "ALTER ROLE kvz_student PASSWORD 'x'" << false;
    QTest::newRow("read only") << "ALTER ROLE kvz_student SET default_transaction_read_only = on"
                               << false;
    QTest::newRow("a search path") << "ALTER ROLE kvz_student SET search_path = pg_temp" << false;
    QTest::newRow("lock") << "BEGIN; LOCK TABLE \"Rezultat\"" << true;
    QTest::newRow("a percentage") << "UPDATE \"Rezultat\" SET \"Результат выполнения\" = 100"
                                  << true;
    QTest::newRow("a blank name") << "UPDATE \"Rezultat\" SET \"Фамилия, Имя, Отчество\" = ''"
                                  << true;
    QTest::newRow("a made-up row") << "INSERT INTO \"Rezultat\" (\"Фамилия, Имя, Отчество\") "
                                      "VALUES ('x')"
                                   << true;
    QTest::newRow("delete results") << "DELETE FROM \"Rezultat\"" << true;
    QTest::newRow("the key") << "SELECT \"Rezult_1\" FROM \"Zadanie\"" << true;
    QTest::newRow("others' rows") << "SELECT * FROM \"Rezultat\"" << true;
    QTest::newRow("the attempts") << "SELECT secret FROM kvz_attempt" << true;
    QTest::newRow("the answers") << "DELETE FROM kvz_answer" << true;
    QTest::newRow("the deliveries") << "INSERT INTO kvz_delivery VALUES ('a', 1)" << true;
    QTest::newRow("a question") << "UPDATE \"Zadanie\" SET \"Rezult_1\" = -1" << true;
    QTest::newRow("a function of its own") << "CREATE FUNCTION kvz_now() RETURNS text "
                                              "LANGUAGE sql AS 'SELECT 1'"
                                           << true;
    QTest::newRow("the scoring inside") << "SELECT kvz_score(1, 1)" << true;
    QTest::newRow("its own row held") << "BEGIN; SELECT * FROM kvz_sign_in('Захватов')" << false;
}

// What a student may try: each is refused or harmless, and the class's road goes on meanwhile
// on another connection, while the student's stays open.
void tst_kvzServer::studentsCannotHarmTheClass() {
    QFETCH(QString, statement);
    QFETCH(bool, refused);
    if (!m_file)
        QSKIP("needs the class set up by initFromATeachersFileAndStudentRights");
    m_student.use();
    QSqlDatabase psql = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("s"));
    psql.setConnectOptions(QStringLiteral("service=kvz;connect_timeout=5"));
    QVERIFY2(psql.open(), qPrintable(psql.lastError().text()));
    {
        QSqlQuery attack(psql);
        bool ok = true;
        for (const QString& part : statement.split(QStringLiteral("; ")))
            ok = attack.exec(part) && ok;
        QCOMPARE(!ok, refused);
        Status status;
        const auto other = Database::openSeparate(m_student.store(), status);
        QVERIFY2(other, qPrintable(status.error));
        QuestionSheet sheet;
        SignIn signIn;
        const Status read = other->readTest(sheet);
        QVERIFY2(read.ok(), qPrintable(read.error));
        const Status signedIn = other->signIn(QStringLiteral("Другой"), signIn);
        QVERIFY2(signedIn.ok(), qPrintable(signedIn.error));
        FinishedTest test{
            signIn.attempt, signIn.secret, signIn.key, QStringLiteral("Другой"), {1}, {}, {},
            signIn.began,   signIn.began};
        qint64 key = 0;
        const Status delivered = other->deliver(test, key);
        QVERIFY2(delivered.ok(), qPrintable(delivered.error));
        QCOMPARE(key, signIn.key);
        QSqlQuery(psql).exec(QStringLiteral("ROLLBACK"));
    }
    psql.close();
    psql = {};
    QSqlDatabase::removeDatabase(QStringLiteral("s"));
    int code = -1;
    m_teacher.serverTool({"init", m_file->path()}, code); // mends what the student changed
    QCOMPARE(code, 0);
}

void tst_kvzServer::initMendsWhatAStudentChanged_data() {
    QTest::addColumn<QString>("change"); // made by a student, with the students' role
    QTest::addColumn<QString>("mended"); // what init says it mended
    QTest::newRow("its password") << "ALTER ROLE kvz_student PASSWORD 'x'"
                                  << "пароль снят";
    QTest::newRow("read only") << "ALTER ROLE kvz_student SET default_transaction_read_only = on"
                               << "default_transaction_read_only=on";
    QTest::newRow("no search path in the database")
        << "ALTER ROLE kvz_student IN DATABASE kvz SET search_path = nowhere"
        << "search_path=nowhere";
    QTest::newRow("no time to wait") << "ALTER ROLE kvz_student SET statement_timeout = 1"
                                     << "statement_timeout=1";
    QTest::newRow("no lock waited for") << "ALTER ROLE kvz_student SET lock_timeout = 1"
                                        << "lock_timeout=1";
}

// The change locks no PC out and changes no setting the program relies on; init undoes it.
void tst_kvzServer::initMendsWhatAStudentChanged() {
    QFETCH(QString, change);
    QFETCH(QString, mended);
    {
        m_student.use();
        QSqlDatabase attack = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), "attack");
        attack.setConnectOptions(QStringLiteral("service=kvz"));
        QVERIFY2(attack.open() && QSqlQuery(attack).exec(change),
                 qPrintable(attack.lastError().text()));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("attack"));
    {
        Status status;
        const auto program = Database::openSeparate(m_student.store(), status);
        QVERIFY2(program, qPrintable(status.error));
        QSqlQuery query(program->sql());
        QVERIFY(query.exec(QStringLiteral(
                    "SELECT current_setting('default_transaction_read_only'), "
                    "current_setting('search_path'), current_setting('statement_timeout'), "
                    "current_setting('lock_timeout')")) &&
                query.next());
        for (int i = 0; i < 4; ++i)
            QCOMPARE(query.value(i).toString(), QStringList({"off", "public", "5s", "2s"})[i]);
    }
    int code = -1;
    const QString report = m_teacher.serverTool({"init", m_file->path()}, code);
    QCOMPARE(code, 0);
    QVERIFY2(report.contains(QStringLiteral("Роль «kvz_student» восстановлена")) &&
                 report.contains(mended),
             qPrintable(report));
    QCOMPARE(serverValue("SELECT count(*) FROM pg_db_role_setting WHERE setrole = "
                         "'kvz_student'::regrole"),
             QStringLiteral("0"));
    QCOMPARE(serverValue("SELECT rolpassword IS NULL FROM pg_authid WHERE rolname = "
                         "'kvz_student'"),
             QStringLiteral("true"));
}

// The server's PC: the students' entry for every account, the teacher's for the teacher's
// account alone; a teacher's PC apart from the server; then each PC leaves.
void tst_kvzServer::eachPcHoldsItsOwnEntriesTillItLeaves() {
    QCOMPARE(option(m_teacher.systemFile(), "user"), QStringLiteral("kvz_student"));
    QCOMPARE(option(m_teacher.userFile(), "user"), QStringLiteral("kvz_teacher"));
    for (const QString& file : {m_teacher.systemFile(), m_teacher.userFile()})
        QCOMPARE(option(file, "password"), QStringLiteral("(none)"));
    QVERIFY(!readableByOthers(m_teacher.userFile()));
    QVERIFY(contents(serverValue("SELECT current_setting('ident_file')"))
                .contains(QStringLiteral("kvz  %1  kvz_teacher").arg(me()).toUtf8()));

    int code = -1;
    const QByteArray students = contents(m_teacher.systemFile());
    QString report = m_teacher.serverTool({"join", "127.0.0.1", port()}, code);
    QVERIFY2(code == 1 && report.contains(QStringLiteral("Это компьютер учителя")),
             qPrintable(report));
    QCOMPARE(contents(m_teacher.systemFile()), students);

    report = m_teacher.serverTool({"init", m_file->path(), "--teacher-pc", "127.0.0.1"}, code);
    QCOMPARE(code, 0);
    QCOMPARE(rules(), QStringLiteral("local kvz_teacher peer map=kvz; host kvz_teacher 127.0.0.1 "
                                     "255.255.255.255 scram-sha-256; host kvz_teacher all reject; "
                                     "host kvz_student 127.0.0.1 255.255.255.255 trust; host "
                                     "kvz_student ::1 ffff:ffff:ffff:ffff:ffff:ffff:ffff:ffff "
                                     "trust; host kvz_student 127.0.0.0 255.0.0.0 trust"));
    const QString password =
        report.section(QStringLiteral("пароль учителя: "), 1).section(u'\n', 0, 0);
    const Pc apart;
    report = apart.serverTool({"teacher", "127.0.0.1", port(), "--teacher", me()}, code,
                              password.toUtf8() + '\n');
    QVERIFY2(code == 0, qPrintable(report));
    QCOMPARE(contents(apart.passFile()),
             QStringLiteral("127.0.0.1:%1:kvz:kvz_teacher:%2\n").arg(port(), password).toUtf8());
    QVERIFY(!readableByOthers(apart.userFile()) && !readableByOthers(apart.passFile()));
    {
        const QByteArray admins = qgetenv("PGPASSWORD"); // it would come before .pgpass
        qunsetenv("PGPASSWORD");
        Status status;
        const auto teachers = Database::openSeparate(apart.store(), status);
        qputenv("PGPASSWORD", admins);
        QVERIFY2(teachers && teachers->teacherRights().ok(), qPrintable(status.error));
    }

    for (const Pc* pc : std::initializer_list<const Pc*>{&m_teacher, &m_student, &apart}) {
        report = pc->serverTool({"leave"}, code);
        QVERIFY2(code == 0, qPrintable(report));
        for (const QString& file : {pc->systemFile(), pc->userFile()})
            QVERIFY2(!ServiceFile::findIn(file, QStringLiteral("kvz")), qPrintable(file));
        QVERIFY(!contents(pc->passFile()).contains("kvz_teacher"));
        QCOMPARE(QDir(pc->dir.path()).entryList({QStringLiteral("kvz-server*")}), {});
    }
}

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    tst_kvzServer test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_kvzServer.moc"
