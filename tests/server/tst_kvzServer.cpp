// The class's server as a school sets it up: the store a PC chooses, `kvz-server init` from a
// teacher's file with results, and what a student PC's role may do. Needs a test cluster
// (./test.sh runs the tests under pg_virtualenv); skips with a message where none answers.
#include "Database.h"
#include "EditorForms.h"
#include "Forms.h"
#include "Recordset.h"
#include "ScriptedPlatform.h"
#include "StartupForms.h"
#include "StudentResults.h"
#include "TestDatabase.h"
#include "postgres/ServiceFile.h"

#include <QApplication>
#include <QProcess>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

namespace {

// One PC's service files: the user's and the system's, as libpq finds them.
struct Pc {
    QTemporaryDir dir;
    Pc() {
        QFile(dir.filePath(QStringLiteral("user.conf"))).open(QIODevice::WriteOnly);
        use();
    }
    void use() const {
        qputenv("PGSYSCONFDIR", QFile::encodeName(dir.path()));
        qputenv("PGSERVICEFILE", QFile::encodeName(dir.filePath(QStringLiteral("user.conf"))));
    }
    QString serverTool(const QStringList& arguments, int& code) const {
        use();
        QProcess tool;
        tool.start(QStringLiteral(KVZ_SERVER_TOOL), arguments);
        tool.waitForFinished(60000);
        code = tool.exitCode();
        return QString::fromUtf8(tool.readAllStandardOutput());
    }
    Store store() const { return Store::choose(dir.filePath(QStringLiteral("kvz_1.mdb"))); }
};

QString passwordIn(const QString& report) {
    return report.section(QStringLiteral("kvz-server join "), 1)
        .section(u'\n', 0, 0)
        .section(u' ', 1, 1);
}

} // namespace

class tst_kvzServer : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void storeChoice_data();
    void storeChoice();
    void initFromATeachersFileAndStudentRights();
};

void tst_kvzServer::initTestCase() {
    if (const QString why = TestDatabase::serverUnavailable(); !why.isEmpty())
        QSKIP(qPrintable(why));
    QSqlDatabase admin = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("a"));
    QVERIFY(admin.open());
    QSqlQuery(admin).exec(QStringLiteral("DROP DATABASE IF EXISTS kvz WITH (FORCE)"));
    QSqlQuery(admin).exec(QStringLiteral("DROP ROLE IF EXISTS kvz_teacher, kvz_student"));
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

void tst_kvzServer::initFromATeachersFileAndStudentRights() {
    TestDatabase file; // a teacher's file: keys with a gap, a counter past the last key
    file.setResults({TestDatabase::resultRow(QStringLiteral("Ёлкин"), "1111111111", "100"),
                     TestDatabase::resultRow(QStringLiteral("Андреев"), "1000000000", "10"),
                     TestDatabase::resultRow(QStringLiteral("Борисов"), "0000000000", "NULL")});
    file.exec(QStringLiteral("DELETE FROM Rezultat WHERE \"Фамилия, Имя, Отчество\" = 'Андреев';"));
    const Pc teacher;
    int code = -1;
    const QString report = teacher.serverTool({QStringLiteral("init"), file.path()}, code);
    QCOMPARE(code, 0);
    QVERIFY2(report.contains(QStringLiteral("результатов: 2")), qPrintable(report));
    QString again = teacher.serverTool({QStringLiteral("init"), file.path()}, code);
    QCOMPARE(code, 0);
    QVERIFY2(again.contains(QStringLiteral("ничего не изменено")), qPrintable(again));

    Status status;
    {
        const auto teachers = Database::open(teacher.store(), status);
        QVERIFY2(teachers && teachers->teacherRights().ok(), qPrintable(status.error));
        const auto rs = Recordset::open(teachers, QStringLiteral("Rezultat"), status);
        QVERIFY(rs && rs->MoveLast().ok());
        QCOMPARE(rs->value(0).toLongLong(), 4);
        QCOMPARE(rs->value(1).toString(), QStringLiteral("Борисов"));
    }

    const Pc student;
    const QString port = qEnvironmentVariable("PGPORT", QStringLiteral("5432"));
    student.serverTool(
        {QStringLiteral("join"), QStringLiteral("localhost"), passwordIn(report), port}, code);
    QCOMPARE(code, 0);
    const auto students = Database::open(student.store(), status);
    QVERIFY2(students, qPrintable(status.error));
    QVERIFY(students->teacherRights().error.contains(QStringLiteral("на компьютере учителя")));
    qint64 key = 0;
    QVERIFY(StudentResults::claimRow(*students, QStringLiteral("Петров"), key).ok());
    QCOMPARE(key, 5); // after every key the file ever gave
    FinishedTest test{QStringLiteral("attempt-1"), key, QStringLiteral("Петров"), {1, 1}, 20};
    QVERIFY(StudentResults::deliver(*students, test, key).ok());
    const auto results = Recordset::open(students, QStringLiteral("Rezultat"), status);
    QVERIFY(results && results->MoveFirst().ok());
    const Status deletion = results->Delete();
    QVERIFY2(deletion.error.contains(QStringLiteral("Ничего не изменено")),
             qPrintable(deletion.error));
    QSqlQuery query(students->sql());
    QVERIFY(!query.exec(QStringLiteral("UPDATE \"Zadanie\" SET \"Rezult_1\" = -1")));
    QVERIFY(!query.exec(QStringLiteral("DELETE FROM \"Rezultat\"")));
    QVERIFY(results->MoveLast().ok());
    QCOMPARE(results->value(4).toInt(), 0); // "Вопрос 3" of Петров
    QCOMPARE(results->value(2).toInt(), -1);

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

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    tst_kvzServer test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_kvzServer.moc"
