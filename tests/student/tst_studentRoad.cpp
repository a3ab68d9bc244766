// One student's whole road, from the start window to the end of the program, on a copy of the
// delivered database.
#include "StudentRun.h"

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>

namespace {

// The answer key of every question in table order, as "1"/"0" patterns of options 1 to 4.
QStringList keys(const TestDatabase& db) {
    QStringList patterns;
    for (const QVariant& key : db.column(QStringLiteral(
             "SELECT (Rezult_1 <> 0) || (Rezult_2 <> 0) || (Rezult_3 <> 0) || (Rezult_4 <> 0) "
             "FROM Zadanie ORDER BY rowid")))
        patterns << key.toString();
    return patterns;
}

// A wrong answer for a key: every option the other way round (never all four unticked, since
// the test refuses an empty answer: the key "1111" is answered with "1110").
QString wrongFor(const QString& key) {
    QString wrong;
    for (QChar option : key)
        wrong += option == u'1' ? u'0' : u'1';
    return wrong == u"0000" ? QStringLiteral("1110") : wrong;
}

} // namespace

class tst_studentRoad : public QObject {
    Q_OBJECT
private slots:
    void wholeRoad();
};

void tst_studentRoad::wholeRoad() {
    StudentRun run;
    const QString name = QStringLiteral("Иванов Иван Иванович");
    const QStringList key = keys(run.db);
    QCOMPARE(key.size(), 10);

    run.forms.Show(QStringLiteral("frmStart"));
    run.control<QPushButton>(QStringLiteral("frmStart"), QStringLiteral("cmdAdd"))->click();
    QVERIFY(!run.forms.isLoaded(QStringLiteral("frmStart")));
    QVERIFY(run.form(QStringLiteral("frmAutor")).isVisible());

    run.control<QLineEdit>(QStringLiteral("frmAutor"), QStringLiteral("Text1"))->setText(name);
    run.control<QPushButton>(QStringLiteral("frmAutor"), QStringLiteral("Command1"))->click();
    QVERIFY(!run.forms.isLoaded(QStringLiteral("frmAutor")));
    QCOMPARE(run.names(), QVariantList{name}); // the delivered blank row is the student's

    run.tick(QStringLiteral("frmTest"));
    QCOMPARE(run.form(QStringLiteral("frmTest")).caption(),
             QStringLiteral("Тест КВЗ Режим пользователя. (%1)").arg(name));
    const QString plan = QStringLiteral("RRWRWRRWRR");
    for (int i = 0; i < 10; ++i)
        answer(run, plan[i] == u'R' ? key[i] : wrongFor(key[i]));

    QVERIFY(!run.form(QStringLiteral("frmTest")).isVisible());
    QVERIFY(run.form(QStringLiteral("frmOtchot")).isVisible());
    QCOMPARE(run.names(), QVariantList{name});
    QCOMPARE(run.lastFlags(), QStringLiteral("1101011011"));
    QCOMPARE(run.lastPercent().toInt(), 70);
    QCOMPARE(run.platform.beeps, 1);

    run.tick(QStringLiteral("frmOtchot"));
    QCOMPARE(run.control<QLabel>(QStringLiteral("frmOtchot"), QStringLiteral("Label2"))->text(),
             name);
    QCOMPARE(run.control<QLabel>(QStringLiteral("frmOtchot"), QStringLiteral("lblRes"))->text(),
             QStringLiteral("70"));
    QCOMPARE(run.control<QProgressBar>(QStringLiteral("frmOtchot"), QStringLiteral("ProgressBar1"))
                 ->value(),
             70);
    QCOMPARE(run.control<QLabel>(QStringLiteral("frmOtchot"), QStringLiteral("lb3"))->text(),
             QStringLiteral("Ответ неверный"));
    QCOMPARE(run.control<QLabel>(QStringLiteral("frmOtchot"), QStringLiteral("lb4"))->text(),
             QStringLiteral("Ответ правильный"));
    QVERIFY(run.platform.messages.isEmpty());

    run.control<QPushButton>(QStringLiteral("frmOtchot"), QStringLiteral("cmdOk"))->click();
    QCOMPARE(run.platform.messages.size(), 1);
    QCOMPARE(run.platform.messages[0].text, QStringLiteral("Тест закончен!"));
    QCOMPARE(run.platform.started.size(), 1);
    QCOMPARE(run.platform.started[0].program, QStringLiteral("pusk.exe"));
    QCOMPARE(run.platform.started[0].windowStyle, 1);
    QCOMPARE(run.platform.ends, 1);
    QCOMPARE(run.quits(), 0);
}

QTEST_MAIN(tst_studentRoad)
#include "tst_studentRoad.moc"
