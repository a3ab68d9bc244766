// Fault injection: the program is killed (SIGKILL) at every step of the student's road and of
// the teacher's delete-all; after each kill the database file must be whole and every result
// that had been stored must still be there, on its own student's row, complete.
#include "KilledRoad.h"
#include "RoadChild.h"
#include "TestDatabase.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QTest>
#include <QThread>

namespace {

constexpr int kRoadKills = 60;
constexpr int kDeleteKills = 20;
constexpr int kDeleteRows = 40;

// The row SQL of a whole result, as the delete-all rounds start from.
QString resultSql(int student) {
    QStringList values{QStringLiteral("'%1'").arg(killedRoad::studentName(student))};
    for (QChar outcome : killedRoad::plan(student))
        values << (outcome == u'1' ? QStringLiteral("-1") : QStringLiteral("0"));
    values << QString::number(10 * killedRoad::plan(student).count(u'1'));
    return values.join(QStringLiteral(", "));
}

// Delete-all goes from the last row back; whatever the kill, what is left is the first rows
// as they were, the first one blanked only when it alone is left.
QString deleteFault(const TestDatabase& db) {
    const QString integrity = db.scalar(QStringLiteral("PRAGMA integrity_check")).toString();
    if (integrity != u"ok")
        return QStringLiteral("integrity: ") + integrity;
    const QStringList rows = killedRoad::resultRows(db);
    if (rows.isEmpty())
        return QStringLiteral("no row left");
    const QString blanked =
        QStringLiteral("|0000000000|") + killedRoad::wholeResult(0).section(u'|', 2);
    for (int i = 0; i < rows.size(); ++i) {
        if (rows[i] != killedRoad::wholeResult(i) && !(rows.size() == 1 && rows[i] == blanked))
            return QStringLiteral("row %1: \"%2\"").arg(i).arg(rows[i]);
    }
    return {};
}

} // namespace

class tst_KilledRoad : public QObject {
    Q_OBJECT
private slots:
    void roadKilledAtEveryStep();
    void deleteAllKilledAtEveryStep();
    void askedToEnd_data();
    void askedToEnd();
};

// Each kill lands on another step of two students' road (a step count coprime to the spread
// visits them all), at once or a little into the step, where a write may be half done.
void tst_KilledRoad::roadKilledAtEveryStep() {
    TestDatabase db;
    QRandomGenerator random(20261207);
    constexpr int spread = 2 * killedRoad::kStepsPerStudent;
    int nextStudent = 0;
    QList<int> finished;
    for (int kill = 0; kill < kRoadKills; ++kill) {
        const int step = kill * 7 % spread;
        Child child(db, {QStringLiteral("road"), db.path(), QString::number(nextStudent)});
        QVERIFY2(child.waitForStep(step),
                 qPrintable(QStringLiteral("kill %1: %2").arg(kill).arg(child.errors())));
        if (kill >= spread)
            QThread::usleep(random.bounded(2000));
        child.kill();
        finished << child.stored();
        nextStudent = child.started();

        const QString fault = killedRoad::roadFault(db, nextStudent, finished);
        QVERIFY2(
            fault.isEmpty(),
            qPrintable(QStringLiteral("kill %1 at step %2: %3").arg(kill).arg(step).arg(fault)));
    }
    QVERIFY(finished.size() >= kRoadKills / 2); // the kills did land after stored results
}

void tst_KilledRoad::deleteAllKilledAtEveryStep() {
    TestDatabase db;
    QRandomGenerator random(20261208);
    QStringList rows;
    for (int student = 0; student < kDeleteRows; ++student)
        rows << resultSql(student);
    for (int kill = 0; kill < kDeleteKills; ++kill) {
        db.setResults(rows);
        const int step = kill * kDeleteRows / kDeleteKills + kill % 2;
        Child child(db, {QStringLiteral("delete"), db.path()});
        QVERIFY2(child.waitForStep(step),
                 qPrintable(QStringLiteral("kill %1: %2").arg(kill).arg(child.errors())));
        QThread::usleep(random.bounded(2000));
        child.kill();

        const QString fault = deleteFault(db);
        QVERIFY2(
            fault.isEmpty(),
            qPrintable(QStringLiteral("kill %1 at step %2: %3").arg(kill).arg(step).arg(fault)));
    }
    // Started again after the last kill, delete-all ends with the one blanked row.
    Child child(db, {QStringLiteral("delete"), db.path()});
    QVERIFY2(child.finishedNormally(), qPrintable(child.errors()));
    QCOMPARE(killedRoad::resultRows(db), QStringList{QStringLiteral("|0000000000|") +
                                                     killedRoad::wholeResult(0).section(u'|', 2)});
}

void tst_KilledRoad::askedToEnd_data() {
    QTest::addColumn<int>("signal");
    QTest::addColumn<int>("step");
    for (const auto& [name, signal] :
         {std::pair{"SIGTERM", SIGTERM}, std::pair{"SIGHUP", SIGHUP}}) {
        QTest::addRow("%s while signing in", name) << signal << 2;
        QTest::addRow("%s while answering", name) << signal << 7;
        QTest::addRow("%s just finished", name) << signal << 13;
    }
}

// A shutdown or a logout: the program ends as on its own end, leaving the file whole with no log
// beside it, and every finished result is stored, at once or by the next run from this PC.
void tst_KilledRoad::askedToEnd() {
    QFETCH(int, signal);
    QFETCH(int, step);
    TestDatabase db;
    Child first(db, {QStringLiteral("road"), db.path(), QStringLiteral("0")});
    QVERIFY2(first.waitForStep(step), qPrintable(first.errors()));
    first.send(signal);
    QVERIFY2(first.finishedNormally(), qPrintable(first.errors()));
    for (const char* log : {"-wal", "-shm"})
        QVERIFY2(!QFile::exists(db.path() + QLatin1String(log)), log);

    Child next(db, {QStringLiteral("road"), db.path(), QString::number(first.started())});
    QVERIFY2(next.waitForStored(), qPrintable(next.errors()));
    QString fault;
    QVERIFY2(QTest::qWaitFor(
                 [&] {
                     next.poll();
                     fault = killedRoad::roadFault(db, next.started(),
                                                   first.finished() + next.stored());
                     return fault.isEmpty();
                 },
                 15000),
             qPrintable(fault));
}

QTEST_GUILESS_MAIN(tst_KilledRoad)
#include "tst_killedRoad.moc"
