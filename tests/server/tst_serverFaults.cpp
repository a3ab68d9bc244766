// The class's server at a lab's worst moments, at three instants of a student's road (signing
// in, answering, just finished): the server restarted, the program's connections cut, the
// program killed. After each, every finished result is on the server exactly once, on its own
// student's row, whole: at once, or from the PC's outbox once a program runs there again.
// Needs a test cluster of Debian's (pg_virtualenv); skips with a message where none answers.
#include "KilledRoad.h"
#include "RoadChild.h"
#include "TestDatabase.h"

#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>

namespace {

// Debian names a cluster "version/name"; pg_ctlcluster restarts it.
bool restartServer() {
    QString cluster;
    {
        QSqlDatabase admin =
            QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("r"));
        QSqlQuery query(admin);
        if (admin.open() && query.exec(QStringLiteral("SELECT current_setting('cluster_name')")) &&
            query.next())
            cluster = query.value(0).toString();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("r"));
    return cluster.contains(u'/') &&
           QProcess::execute(QStringLiteral("pg_ctlcluster"),
                             {cluster.section(u'/', 0, 0), cluster.section(u'/', 1),
                              QStringLiteral("restart"), QStringLiteral("-m"),
                              QStringLiteral("fast")}) == 0;
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
    for (const char* fault : {"restart", "cut", "kill"}) {
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
