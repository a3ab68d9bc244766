// Fault injection: the program is killed (SIGKILL) at every step of the student's road and of
// the teacher's delete-all; after each kill the database file must be whole and every result
// that had been stored must still be there, on its own student's row, complete.
#include "KilledRoad.h"
#include "TestDatabase.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QTest>
#include <QThread>

namespace {

constexpr int kRoadKills = 60;
constexpr int kDeleteKills = 20;
constexpr int kDeleteRows = 40;

// The child program and what it has said so far.
class Child {
public:
    Child(const TestDatabase& db, const QStringList& arguments) {
        m_process.setWorkingDirectory(db.folder());
        m_process.start(QStringLiteral(ROAD_DRIVER), arguments);
    }

    // What the child wrote to its standard error: Qt's notes, or why it stopped.
    QString errors() { return QString::fromUtf8(m_process.readAllStandardError()); }
    ~Child() {
        m_process.kill();
        m_process.waitForFinished();
    }

    // Waits until the child has begun `step`; false when it ended or hung first.
    bool waitForStep(int step) {
        QDeadlineTimer deadline(60000);
        while (readLines(), m_lastStep < step) {
            if (m_process.state() == QProcess::NotRunning || deadline.hasExpired())
                return false;
            m_process.waitForReadyRead(100);
        }
        return true;
    }

    void kill() {
        m_process.kill();
        m_process.waitForFinished();
        readLines(); // what it said before it died counts
    }

    bool finishedNormally() {
        const bool finished = m_process.waitForFinished(60000) &&
                              m_process.exitStatus() == QProcess::NormalExit &&
                              m_process.exitCode() == 0;
        readLines();
        return finished;
    }

    const QList<int>& stored() const { return m_stored; }
    int lastStep() const { return m_lastStep; }

private:
    void readLines() {
        while (m_process.canReadLine()) {
            const QStringList words = QString::fromUtf8(m_process.readLine()).split(u' ');
            const int number = words.value(1).trimmed().toInt();
            if (words[0] == u"step")
                m_lastStep = number;
            else if (words[0] == u"stored")
                m_stored << number;
        }
    }

    QProcess m_process;
    QList<int> m_stored;
    int m_lastStep = -1;
};

// Every row of Rezultat in natural order as "name|flags|percentage".
QStringList resultRows(const TestDatabase& db) {
    QStringList flags;
    for (int q = 1; q <= 10; ++q)
        flags << QStringLiteral("(\"Вопрос %1\" <> 0)").arg(q);
    QStringList rows;
    for (const QVariant& row : db.column(
             QStringLiteral("SELECT ifnull(\"Фамилия, Имя, Отчество\", '') || '|' || %1 || '|' "
                            "|| CASE WHEN \"Результат выполнения\" IS NULL THEN '' ELSE "
                            "printf('%g', \"Результат выполнения\") END FROM Rezultat ORDER BY "
                            "rowid")
                 .arg(flags.join(QStringLiteral(" || ")))))
        rows << row.toString();
    return rows;
}

QString wholeResult(int student) {
    const QString plan = killedRoad::plan(student);
    return killedRoad::studentName(student) + u'|' + plan + u'|' +
           QString::number(10 * plan.count(u'1'));
}

// The row SQL of a whole result, as the delete-all rounds start from.
QString resultSql(int student) {
    QStringList values{QStringLiteral("'%1'").arg(killedRoad::studentName(student))};
    for (QChar outcome : killedRoad::plan(student))
        values << (outcome == u'1' ? QStringLiteral("-1") : QStringLiteral("0"));
    values << QString::number(10 * killedRoad::plan(student).count(u'1'));
    return values.join(QStringLiteral(", "));
}

// A row of the road is the delivered blank row, a student's unfinished row (no percentage
// yet), or a student's whole result; a finished student has exactly one row, his whole one.
QString roadFault(const TestDatabase& db, int started, const QList<int>& finished) {
    const QString integrity = db.scalar(QStringLiteral("PRAGMA integrity_check")).toString();
    if (integrity != u"ok")
        return QStringLiteral("integrity: ") + integrity;
    QMap<QString, QString> byName;
    for (const QString& row : resultRows(db)) {
        const QString name = row.section(u'|', 0, 0);
        if (name.isEmpty())
            continue;
        if (byName.contains(name))
            return QStringLiteral("two rows for ") + name;
        byName[name] = row;
    }
    for (int student = 0; student < started; ++student) {
        const QString row = byName.take(killedRoad::studentName(student));
        const bool hasPercentage = !row.isEmpty() && !row.endsWith(u'|');
        if ((hasPercentage || finished.contains(student)) && row != wholeResult(student))
            return QStringLiteral("student %1: \"%2\", not \"%3\"")
                .arg(student)
                .arg(row, wholeResult(student));
    }
    if (!byName.isEmpty())
        return QStringLiteral("rows of no student: ") + byName.keys().join(u',');
    return {};
}

// Delete-all goes from the last row back; whatever the kill, what is left is the first rows
// as they were, the first one blanked only when it alone is left.
QString deleteFault(const TestDatabase& db) {
    const QString integrity = db.scalar(QStringLiteral("PRAGMA integrity_check")).toString();
    if (integrity != u"ok")
        return QStringLiteral("integrity: ") + integrity;
    const QStringList rows = resultRows(db);
    if (rows.isEmpty())
        return QStringLiteral("no row left");
    const QString blanked = QStringLiteral("|0000000000|") + wholeResult(0).section(u'|', 2);
    for (int i = 0; i < rows.size(); ++i) {
        if (rows[i] != wholeResult(i) && !(rows.size() == 1 && rows[i] == blanked))
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
        nextStudent += child.lastStep() / killedRoad::kStepsPerStudent + 1;

        const QString fault = roadFault(db, nextStudent, finished);
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
    QCOMPARE(resultRows(db),
             QStringList{QStringLiteral("|0000000000|") + wholeResult(0).section(u'|', 2)});
}

QTEST_GUILESS_MAIN(tst_KilledRoad)
#include "tst_killedRoad.moc"
