// The student's sign-in: which row of Rezultat becomes the student's, and the caption.
#include "StudentRun.h"

#include <QFile>
#include <QLineEdit>

namespace {

const QString kAutor = QStringLiteral("frmAutor");

// SQL values of Rezultat names: '' for blank, NULL for missing.
QStringList resultRows(const QStringList& names) {
    QStringList rows;
    for (const QString& name : names)
        rows << name + QStringLiteral(", 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, NULL");
    return rows;
}

void signIn(StudentRun& run, const QString& name, int ticksBeforeOk) {
    run.forms.Show(kAutor);
    for (int i = 0; i < ticksBeforeOk; ++i)
        run.tick(kAutor);
    run.control<QLineEdit>(kAutor, QStringLiteral("Text1"))->setText(name);
    run.control<QPushButton>(kAutor, QStringLiteral("Command1"))->click();
}

QVariantList expectedNames(const QStringList& names) {
    QVariantList values;
    for (const QString& name : names)
        values << (name == u"NULL" ? QVariant() : QVariant(name));
    return values;
}

} // namespace

class tst_frmAutor : public QObject {
    Q_OBJECT
private slots:
    void captionCarriesTitle();
    void signIn_data();
    void signIn();
    void emptyNameIsReusedByNextSignIn();

private:
    static constexpr int kEnoughTicks = 20;
};

void tst_frmAutor::captionCarriesTitle() {
    StudentRun run;
    QFile title(QStringLiteral("title.ini"));
    QVERIFY(title.open(QIODevice::WriteOnly));
    title.write("Geo 7\r\n");
    title.close();
    run.forms.Show(kAutor);
    QCOMPARE(run.form(kAutor).caption(), QStringLiteral("Авторизация Geo 7 V-1.01"));
    QCOMPARE(run.control<QLineEdit>(kAutor, QStringLiteral("Text1"))->text(), QString());
}

// rows: SQL values of the names before; ticks: timer ticks before OK (fewer than the rows:
// an early OK); after: the names afterwards in natural order.
void tst_frmAutor::signIn_data() {
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<int>("ticks");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("after");

    const QString name = QStringLiteral("Иванов Иван Иванович");
    QTest::newRow("single blank row reused")
        << QStringList{"''"} << kEnoughTicks << name << QStringList{name};
    QTest::newRow("single missing name reused")
        << QStringList{"NULL"} << kEnoughTicks << name << QStringList{name};
    QTest::newRow("single named row: appended")
        << QStringList{"'Петров'"} << kEnoughTicks << name << QStringList{"Петров", name};
    QTest::newRow("blank first of several: appended")
        << QStringList{"''", "'Петров'"} << kEnoughTicks << name << QStringList{"", "Петров", name};
    QTest::newRow("same name again: second row") << QStringList{QStringLiteral("'%1'").arg(name)}
                                                 << kEnoughTicks << name << QStringList{name, name};
    QTest::newRow("empty name on a named table")
        << QStringList{"'Петров'"} << kEnoughTicks << QString() << QStringList{"Петров", "NULL"};
    QTest::newRow("name kept untrimmed")
        << QStringList{"''"} << kEnoughTicks << QStringLiteral("  Ким  ") << QStringList{"  Ким  "};
    QTest::newRow("early OK, no tick yet, blank first row")
        << QStringList{"''", "'Петров'", "'Сидоров'"} << 0 << name
        << QStringList{"", "Петров", "Сидоров", name};
    QTest::newRow("early OK after one tick, blank first row")
        << QStringList{"''", "'Петров'"} << 1 << name << QStringList{"", "Петров", name};
    QTest::newRow("empty table: appended")
        << QStringList{} << kEnoughTicks << name << QStringList{name};
    QTest::newRow("empty table, early OK") << QStringList{} << 0 << name << QStringList{name};
}

void tst_frmAutor::signIn() {
    QFETCH(QStringList, rows);
    QFETCH(int, ticks);
    QFETCH(QString, typed);
    QFETCH(QStringList, after);
    StudentRun run;
    run.db.setResults(resultRows(rows));

    ::signIn(run, typed, ticks);

    QCOMPARE(run.names(), expectedNames(after));
    QVERIFY(!run.forms.isLoaded(kAutor));
    QVERIFY(run.form(QStringLiteral("frmTest")).isVisible());
    QVERIFY(run.platform.messages.isEmpty());
    QCOMPARE(run.quits(), 0);
}

void tst_frmAutor::emptyNameIsReusedByNextSignIn() {
    StudentRun first;
    first.db.setResults(resultRows({"''"}));
    ::signIn(first, QString(), kEnoughTicks);
    QCOMPARE(first.names(), expectedNames({""}));

    StudentRun second;
    QFile::remove(second.db.path());
    QVERIFY(QFile::copy(first.db.path(), second.db.path()));
    ::signIn(second, QStringLiteral("Сидоров"), kEnoughTicks);
    QCOMPARE(second.names(), expectedNames({"Сидоров"}));
}

QTEST_MAIN(tst_frmAutor)
#include "tst_frmAutor.moc"
