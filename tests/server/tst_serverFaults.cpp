// The class's server at a lab's worst moments, at three instants of a student's road (signing
// in, answering, just finished): the server restarted, the program's connections cut, the
// program killed. After each, every finished result is on the server exactly once, on its own
// student's row, whole: at once, or from the PC's outbox once a program runs there again.
// Needs a test cluster of Debian's (pg_virtualenv); skips with a message where none answers.
#include "KilledRoad.h"
#include "RoadChild.h"
#include "TestDatabase.h"

#include <QFileInfo>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>
#include <unistd.h>

namespace {

// The test's own cluster, by its data directory: pg_ctlcluster goes by the cluster's name and its
// pid file, which every throw-away cluster of the same name shares, and would take another one
// running meanwhile for this one. pg_ctl runs as the directory's owner, never as root.
bool restartServer() {
    QString directory, version;
    {
        QSqlDatabase admin =
            QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("r"));
        QSqlQuery query(admin);
        if (admin.open() &&
            query.exec(QStringLiteral("SELECT current_setting('data_directory'), "
                                      "current_setting('server_version_num')::int / 10000")) &&
            query.next()) {
            directory = query.value(0).toString();
            version = query.value(1).toString();
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("r"));
    if (directory.isEmpty())
        return false;
    QStringList command{QStringLiteral("/usr/lib/postgresql/%1/bin/pg_ctl").arg(version),
                        QStringLiteral("-D"),
                        directory,
                        QStringLiteral("-l"), // the server's output never holds the test's own
                        directory + QStringLiteral("/restart.log"),
                        QStringLiteral("-m"),
                        QStringLiteral("fast"),
                        QStringLiteral("restart")};
    if (::geteuid() == 0)
        command = QStringList{QStringLiteral("runuser"), QStringLiteral("-u"),
                              QFileInfo(directory).owner(), QStringLiteral("--")} +
                  command;
    QProcess pgCtl;
    pgCtl.setWorkingDirectory(QStringLiteral("/"));
    pgCtl.setProcessChannelMode(QProcess::ForwardedChannels);
    const QString program = command.takeFirst();
    pgCtl.start(program, command);
    return pgCtl.waitForFinished(60000) && pgCtl.exitStatus() == QProcess::NormalExit &&
           pgCtl.exitCode() == 0;
}

void cutConnections() {
    {
        QSqlDatabase admin =
            QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("c"));
        if (admin.open())
            QSqlQuery(admin).exec(
                QStringLiteral("SELECT pg_terminate_backend(pid) FROM "
                               "pg_stat_activity WHERE application_name = 'kvz'"));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("c"));
}

// Another program (the teacher's tool, a back-up) holds the results table a while: a sign-in
// meanwhile waits a moment at most and is told to try again; a test being answered never waits.
void holdResultsTable(const TestDatabase& test) {
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("l"));
        db.setConnectOptions(QStringLiteral("service=") + test.store().location());
        QSqlQuery query(db);
        if (db.open() && query.exec(QStringLiteral("BEGIN")) &&
            query.exec(QStringLiteral("LOCK TABLE \"Rezultat\" IN EXCLUSIVE MODE")))
            QTest::qWait(4000);
        query.exec(QStringLiteral("ROLLBACK"));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("l"));
}

QString numbers(const QList<int>& list) {
    QStringList texts;
    for (int n : list)
        texts << QString::number(n);
    return texts.join(u',');
}

} // namespace

class tst_serverFaults : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void resultsSurvive_data();
    void resultsSurvive();
};

void tst_serverFaults::initTestCase() {
    if (const QString why = TestDatabase::serverUnavailable(); !why.isEmpty())
        QSKIP(qPrintable(why));
    TestDatabase::setEngine(TestDatabase::Engine::Server);
}

void tst_serverFaults::resultsSurvive_data() {
    QTest::addColumn<QString>("fault");
    QTest::addColumn<int>("step");
    for (const char* fault : {"restart", "cut", "kill", "lock"}) {
        QTest::addRow("%s while signing in", fault) << QString::fromLatin1(fault) << 2;
        QTest::addRow("%s while answering", fault) << QString::fromLatin1(fault) << 7;
        QTest::addRow("%s just finished", fault) << QString::fromLatin1(fault) << 13;
    }
}

void tst_serverFaults::resultsSurvive() {
    QFETCH(QString, fault);
    QFETCH(int, step);
    TestDatabase db;
    Child first(db, {QStringLiteral("road"), killedRoad::storeArgument(db), QStringLiteral("0")});
    QVERIFY2(first.waitForStep(step), qPrintable(first.errors()));
    if (fault == u"restart")
        QVERIFY(restartServer());
    else if (fault == u"cut")
        cutConnections();
    else if (fault == u"lock")
        holdResultsTable(db);
    else
        first.kill();
    // The program goes on (or another run on the same PC), until a student's result is stored.
    std::optional<Child> next;
    if (fault == u"kill")
        next.emplace(db, QStringList{QStringLiteral("road"), killedRoad::storeArgument(db),
                                     QString::number(first.started())});
    Child& running = next ? *next : first;
    QVERIFY2(running.waitForStored(), qPrintable(running.errors()));
    // Whatever the programs have begun and finished so far: what was kept on this PC reaches the
    // server at the next run's start, a moment after.
    QString wrong;
    const auto consistent = [&] {
        running.poll();
        QList<int> finished = first.finished();
        if (next)
            finished << next->stored();
        wrong = killedRoad::roadFault(db, running.started(), finished);
        if (!wrong.isEmpty())
            wrong += QStringLiteral(" (first run began up to %1, finished %2; next run began up "
                                    "to %3, stored %4)")
                         .arg(first.started())
                         .arg(numbers(first.finished()))
                         .arg(next ? next->started() : -1)
                         .arg(next ? numbers(next->stored()) : QString());
        return wrong.isEmpty();
    };
    QVERIFY2(QTest::qWaitFor(consistent, 15000), qPrintable(wrong));
}

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    tst_serverFaults test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_serverFaults.moc"
