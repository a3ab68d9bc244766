// One student's whole road, from the start window to the end of the program, on a copy of the
// delivered database.
#include "StudentRun.h"

#include "ResultCourier.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>

namespace {

// A wrong answer for a key: every option the other way round (never all four unticked, since
// the test refuses an empty answer: the key "1111" is answered with "1110").
QString wrongFor(const QString& key) {
    QString wrong;
    for (QChar option : key)
        wrong += option == u'1' ? u'0' : u'1';
    return wrong == u"0000" ? QStringLiteral("1110") : wrong;
}

const QString kAutor = QStringLiteral("frmAutor");
const QString kTest = QStringLiteral("frmTest");
const QString kOtchot = QStringLiteral("frmOtchot");

void signIn(StudentRun& run, const QString& name) {
    run.forms.Show(kAutor);
    run.control<QLineEdit>(kAutor, QStringLiteral("Text1"))->setText(name);
    run.control<QPushButton>(kAutor, QStringLiteral("Command1"))->click();
}

void answerAllRight(const StudentRun& run) {
    for (const QString& key : answerKeys(run.db))
        answer(run, key);
}

QString flagsOf(const StudentRun& run, const QString& name) {
    QStringList parts;
    for (int i = 1; i <= 10; ++i)
        parts << QStringLiteral("(\"Вопрос %1\" <> 0)").arg(i);
    return run.db
        .scalar(QStringLiteral("SELECT %1 FROM Rezultat WHERE \"Фамилия, Имя, Отчество\" = '%2'")
                    .arg(parts.join(QStringLiteral(" || ")), name))
        .toString();
}

} // namespace

class tst_studentRoad : public QObject {
    Q_OBJECT
private slots:
    void wholeRoad();
    void answersStayOnTheStudentsRow();
    void endWaitsUntilTheResultIsStored_data();
    void endWaitsUntilTheResultIsStored();
    void missingNumberToldOverTheTestWindow();
};

void tst_studentRoad::wholeRoad() {
    StudentRun run;
    const QString name = QStringLiteral("Иванов Иван Иванович");
    const QStringList key = answerKeys(run.db);
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

// Another program adds a row while the test runs: the answers still go to the student's own
// row, and the result screen shows that row.
void tst_studentRoad::answersStayOnTheStudentsRow() {
    StudentRun run;
    const QString name = QStringLiteral("Иванов Иван");
    signIn(run, name);
    run.db.exec(
        QStringLiteral("INSERT INTO Rezultat (\"Фамилия, Имя, Отчество\") VALUES ('Чужой');"));
    run.tick(kTest);

    answerAllRight(run);
    run.tick(kTest);
    QVERIFY(run.resultStored());

    QCOMPARE(run.names(), (QVariantList{name, QStringLiteral("Чужой")}));
    QCOMPARE(flagsOf(run, name), QStringLiteral("1111111111"));
    QCOMPARE(flagsOf(run, QStringLiteral("Чужой")), QStringLiteral("0000000000"));
    QVERIFY(run.lastPercent().isNull());
    QCOMPARE(run.form(kTest).caption(),
             QStringLiteral("Тест КВЗ Режим пользователя. (%1)").arg(name));
    QCOMPARE(run.control<QLabel>(kOtchot, QStringLiteral("Label2"))->text(), name);
    QCOMPARE(run.control<QLabel>(kOtchot, QStringLiteral("lblRes"))->text(), QStringLiteral("100"));
}

// "Тест закончен!" only once the result is in the store or kept on this PC: while the store
// refuses it the screen says the result is being saved, then that it is kept here; kept, it
// reaches the store once, from whichever run of the program gets there first.
void tst_studentRoad::endWaitsUntilTheResultIsStored_data() {
    QTest::addColumn<bool>("storeComesBack");
    QTest::newRow("nothing kept on this PC, the store comes back while the screen is up") << true;
    QTest::newRow("the store stays away: kept, sent by the next run") << false;
}

void tst_studentRoad::endWaitsUntilTheResultIsStored() {
    QFETCH(bool, storeComesBack);
    StudentRun run;
    const QString name = QStringLiteral("Иванов Иван");
    signIn(run, name);
    refuseWrites(run.db);
    if (storeComesBack) // and this PC cannot keep it meanwhile
        QVERIFY(QDir().mkdir(ResultCourier::outboxOf(run.db.store())));
    answerAllRight(run);
    const auto note = [&] {
        run.tick(kOtchot);
        return run.control<QLabel>(kOtchot, QStringLiteral("lblSave"))->text();
    };
    QCOMPARE(note(), QStringLiteral("Сохранение результата..."));
    QCOMPARE(run.control<QLabel>(kOtchot, QStringLiteral("lblRes"))->text(), QStringLiteral("100"));
    run.control<QPushButton>(kOtchot, QStringLiteral("cmdOk"))->click();
    QCOMPARE(run.platform.messages.size(), 1);
    QVERIFY(run.platform.messages.last().text.contains(QStringLiteral("ещё не сохранён")));
    QCOMPARE(run.platform.ends, 0);

    if (storeComesBack) { // the close box would lose it too
        run.form(kOtchot).widget()->close();
        QCOMPARE(run.platform.messages.size(), 2);
        QVERIFY(run.form(kOtchot).isVisible());
        QCOMPARE(run.platform.ends, 0);
    } else {
        QTRY_VERIFY_WITH_TIMEOUT(
            note().contains(QStringLiteral("Результат сохранён на этом компьютере")), 6000);
        run.control<QPushButton>(kOtchot, QStringLiteral("cmdOk"))->click();
        QCOMPARE(run.platform.messages.last().text, QStringLiteral("Тест закончен!"));
        QCOMPARE(run.platform.ends, 1);
    }
    allowWrites(run.db);
    ScriptedPlatform nextPlatform;
    Forms nextRun(nextPlatform, run.db.store());
    registerStudentForms(nextRun);
    QTRY_COMPARE_WITH_TIMEOUT(flagsOf(run, name), QStringLiteral("1111111111"), 8000);
    QTest::qWait(1500); // both runs have tried by now
    QCOMPARE(run.names(), QVariantList{name});
    if (storeComesBack) {
        QTRY_COMPARE(note(), QStringLiteral("Результат сохранён."));
        run.control<QPushButton>(kOtchot, QStringLiteral("cmdOk"))->click();
        QCOMPARE(run.platform.messages.last().text, QStringLiteral("Тест закончен!"));
    }
}

void tst_studentRoad::missingNumberToldOverTheTestWindow() {
    StudentRun run(questionsNumbered({1, 2, 3, 4, 5, 6, 8, 9, 10}));
    bool signInGone = false, testShown = false;
    run.platform.whileMsgBoxOpen = [&](const ScriptedPlatform::Message&) {
        signInGone = !run.forms.isLoaded(kAutor);
        testShown = run.form(kTest).isVisible();
    };
    signIn(run, QStringLiteral("Иванов Иван"));
    QCoreApplication::processEvents();

    QCOMPARE(run.platform.messages.size(), 1);
    QVERIFY(signInGone);
    QVERIFY(testShown);
}

QTEST_MAIN(tst_studentRoad)
#include "tst_studentRoad.moc"
