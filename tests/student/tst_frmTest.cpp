// The test runner: scoring, filing outcomes by question number, the percentage, and the rules
// for closing the window.
#include "StudentRun.h"
#include "frmTest.h"

#include <QLabel>
#include <QLineEdit>

namespace {

const QString kTest = QStringLiteral("frmTest");
const QString kRight = QStringLiteral("1000"); // every key of questionsNumbered is option 1
const QString kWrong = QStringLiteral("0100");

QList<int> oneToTen() {
    return {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
}

QString currentNumber(const StudentRun& run) {
    return run.control<QLineEdit>(kTest, QStringLiteral("txtNomer"))->text();
}

// Answers in table order, 'R' right and 'W' wrong, as long as the test window is visible.
void answerAll(StudentRun& run, const QString& plan) {
    for (QChar step : plan) {
        QVERIFY2(run.form(kTest).isVisible(), "the test ended before the plan did");
        answer(run, step == u'R' ? kRight : kWrong);
    }
}

} // namespace

class tst_frmTest : public QObject {
    Q_OBJECT
private slots:
    void ticksKeptByNumber_data();
    void ticksKeptByNumber();
    void outcomesFiledByNumber_data();
    void outcomesFiledByNumber();
    void nothingTickedIsRefused();
    void lastQuestionStaysOnScreen();
    void captionShowsStudentAfterTick();
    void closing_data();
    void closing();
    void closingAboveTenCloses();
    void incompleteQuestionTable_data();
    void incompleteQuestionTable();
};

void tst_frmTest::ticksKeptByNumber_data() {
    QTest::addColumn<QString>("ticked");
    QTest::addColumn<int>("ticks");
    QTest::newRow("first") << "1000" << 1;
    QTest::newRow("first and third") << "1010" << 5;
    QTest::newRow("all four") << "1111" << 15;
    QTest::newRow("last") << "0001" << 8;
}

// What was ticked is kept for the store to score; the boxes are cleared for the next question.
void tst_frmTest::ticksKeptByNumber() {
    QFETCH(QString, ticked);
    QFETCH(int, ticks);
    StudentRun run;
    run.forms.Show(kTest);

    answer(run, ticked);

    QCOMPARE(run.forms.get<frmTest>(kTest).ticks(1), ticks);
    QCOMPARE(currentNumber(run), QStringLiteral("2"));
    for (int i = 1; i <= 4; ++i)
        QCOMPARE(Value(run.control<QCheckBox>(kTest, QStringLiteral("Check%1").arg(i))), 0);
}

// The stored row is read right after the last answer, before any tick of the test window's
// timer: the outcomes must already be in the table.
void tst_frmTest::outcomesFiledByNumber_data() {
    QTest::addColumn<QList<int>>("numbers");
    QTest::addColumn<QString>("plan");
    QTest::addColumn<QString>("flags");
    QTest::addColumn<int>("percent");

    QTest::newRow("none right") << oneToTen() << "WWWWWWWWWW"
                                << "0000000000" << 0;
    QTest::newRow("three right") << oneToTen() << "RWWRWWWWWR"
                                 << "1001000001" << 30;
    QTest::newRow("all right") << oneToTen() << "RRRRRRRRRR"
                               << "1111111111" << 100;
    QTest::newRow("ordered 2, 1, 3...") << QList<int>{2, 1, 3, 4, 5, 6, 7, 8, 9, 10} << "RWWWWWWWWW"
                                        << "0100000000" << 10;
    QTest::newRow("ten in the middle, rest never shown")
        << QList<int>{1, 2, 3, 10, 4, 5, 6, 7, 8, 9} << "RRRR"
        << "1110000001" << 40;
    QTest::newRow("repeated number, later wrong overwrites")
        << QList<int>{1, 2, 2, 3, 4, 5, 6, 7, 8, 9, 10} << "RRWWWWWWWWW"
        << "1000000000" << 10;
    QTest::newRow("repeated number, later right overwrites")
        << QList<int>{1, 2, 2, 3, 4, 5, 6, 7, 8, 9, 10} << "RWRWWWWWWWW"
        << "1100000000" << 20;
}

void tst_frmTest::outcomesFiledByNumber() {
    QFETCH(QList<int>, numbers);
    QFETCH(QString, plan);
    QFETCH(QString, flags);
    QFETCH(int, percent);
    StudentRun run(questionsNumbered(numbers));
    run.forms.Show(kTest);

    answerAll(run, plan);

    QCOMPARE(run.lastFlags(), flags);
    QCOMPARE(run.lastPercent().toInt(), percent);
    QVERIFY(run.forms.isLoaded(kTest));
    QVERIFY(!run.form(kTest).isVisible());
    QVERIFY(run.form(QStringLiteral("frmOtchot")).isVisible());
    QVERIFY(run.platform.messages.isEmpty());
}

void tst_frmTest::nothingTickedIsRefused() {
    StudentRun run;
    run.forms.Show(kTest);
    answer(run, kRight);
    QCOMPARE(currentNumber(run), QStringLiteral("2"));

    answer(run, QStringLiteral("0000"));

    QCOMPARE(run.platform.messages.size(), 1);
    QCOMPARE(run.platform.messages[0].text,
             QStringLiteral("Вы не выбрали ни одного из предложенных вариантов! Прочтите "
                            "внимательно вопрос и постарайтесь ответить правильно."));
    QCOMPARE(run.platform.messages[0].title, QStringLiteral("Внимание!"));
    QCOMPARE(run.platform.messages[0].style, 48);
    QCOMPARE(currentNumber(run), QStringLiteral("2"));
    QCOMPARE(run.forms.get<frmTest>(kTest).ticks(2), 0);
}

void tst_frmTest::lastQuestionStaysOnScreen() {
    StudentRun run(questionsNumbered({1, 2, 3, 4, 5, 6, 7, 8, 9}));
    run.forms.Show(kTest);
    answerAll(run, QStringLiteral("WWWWWWWW"));

    answer(run, kRight); // 9, the last row
    QCOMPARE(currentNumber(run), QStringLiteral("9"));
    QCOMPARE(run.forms.get<frmTest>(kTest).ticks(9), 1);
    answer(run, kWrong); // 9 again: answered again
    QCOMPARE(currentNumber(run), QStringLiteral("9"));
    QCOMPARE(run.forms.get<frmTest>(kTest).ticks(9), 2);
    QCOMPARE(run.control<QLabel>(kTest, QStringLiteral("Label8"))->text(), QStringLiteral("9"));
    QVERIFY(run.form(kTest).isVisible());
}

void tst_frmTest::captionShowsStudentAfterTick() {
    StudentRun run;
    run.forms.Show(QStringLiteral("frmAutor"));
    run.control<QLineEdit>(QStringLiteral("frmAutor"), QStringLiteral("Text1"))
        ->setText(QStringLiteral("Петров Пётр"));
    run.control<QPushButton>(QStringLiteral("frmAutor"), QStringLiteral("Command1"))->click();
    QCOMPARE(run.form(kTest).caption(), QStringLiteral("Тест КВЗ. Режим пользователя"));

    run.tick(kTest);

    QCOMPARE(run.form(kTest).caption(),
             QStringLiteral("Тест КВЗ Режим пользователя. (Петров Пётр)"));
}

// answered: questions scored before the close; ticks: the boxes at the close.
void tst_frmTest::closing_data() {
    QTest::addColumn<int>("answered");
    QTest::addColumn<QString>("ticks");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("flags");

    const QString none = QStringLiteral("-");
    QTest::newRow("on question 1")
        << 0 << kRight << "Вы не на все вопросы ответили! Вам осталось 9 вопросов" << none;
    QTest::newRow("on question 3")
        << 2 << kRight << "Вы не на все вопросы ответили! Вам осталось 7 вопросов" << none;
    QTest::newRow("on question 10, right ticks") << 9 << kRight << QString() << "1111111111";
    QTest::newRow("on question 10, nothing ticked") << 9 << "0000" << QString() << "1111111110";
}

void tst_frmTest::closing() {
    QFETCH(int, answered);
    QFETCH(QString, ticks);
    QFETCH(QString, message);
    QFETCH(QString, flags);
    StudentRun run(questionsNumbered(oneToTen()));
    run.forms.Show(kTest);
    answerAll(run, QString(answered, u'R'));
    tickOptions(run, ticks);

    QVERIFY(!run.form(kTest).widget()->close());

    QVERIFY(run.forms.isLoaded(kTest));
    QCOMPARE(run.quits(), 0);
    if (message.isEmpty()) {
        QVERIFY(run.platform.messages.isEmpty());
        QVERIFY(!run.form(kTest).isVisible());
        QVERIFY(run.form(QStringLiteral("frmOtchot")).isVisible());
        QCOMPARE(run.lastFlags(), flags);
    } else {
        QCOMPARE(run.platform.messages.size(), 1);
        QCOMPARE(run.platform.messages[0].text, message);
        QCOMPARE(run.platform.messages[0].title, QStringLiteral("Внимание!"));
        QCOMPARE(run.platform.messages[0].style, 48);
        QVERIFY(run.form(kTest).isVisible());
        QVERIFY(!run.forms.isLoaded(QStringLiteral("frmOtchot")));
        QCOMPARE(run.lastFlags(), QStringLiteral("0000000000"));
    }
}

void tst_frmTest::closingAboveTenCloses() {
    StudentRun run(questionsNumbered({11, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    run.forms.Show(kTest);

    QVERIFY(run.form(kTest).widget()->close());

    QVERIFY(!run.forms.isLoaded(kTest));
    QCOMPARE(run.quits(), 1);
    QVERIFY(run.platform.messages.isEmpty());
}

// A table without all the numbers 1 to 10 is reported over the test window once it shows. Where
// question 10 exists the closing rule holds and closing on 10 finishes the test; without it the
// window can always be closed, so the student is never kept in a test that cannot end.
void tst_frmTest::incompleteQuestionTable_data() {
    QTest::addColumn<QList<int>>("numbers");
    QTest::addColumn<QString>("missing");
    QTest::addColumn<QString>("flags"); // stored when closed on question 10; empty: no 10

    QTest::newRow("no question 10") << QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9} << "10" << QString();
    QTest::newRow("question 7 missing, one other")
        << QList<int>{1, 2, 3, 4, 5, 6, 8, 9, 10, 11} << "7"
        << "1111110111";
    QTest::newRow("two gaps") << QList<int>{1, 2, 4, 6, 7, 8, 9, 10} << "3, 5"
                              << "1101011111";
    QTest::newRow("empty table") << QList<int>{} << "1, 2, 3, 4, 5, 6, 7, 8, 9, 10" << QString();
}

void tst_frmTest::incompleteQuestionTable() {
    QFETCH(QList<int>, numbers);
    QFETCH(QString, missing);
    QFETCH(QString, flags);
    StudentRun run(questionsNumbered(numbers));
    bool overTestWindow = false;
    // The window's timer ticks while the message waits.
    run.platform.whileMsgBoxOpen = [&](const ScriptedPlatform::Message&) {
        overTestWindow = run.form(kTest).isVisible();
        run.tick(kTest);
    };
    run.forms.Show(kTest);
    QVERIFY(run.platform.messages.isEmpty());
    QCoreApplication::processEvents();
    run.platform.whileMsgBoxOpen = nullptr;

    QCOMPARE(run.platform.messages.size(), 1);
    QVERIFY(overTestWindow);
    QVERIFY2(run.platform.messages[0].text.contains(QStringLiteral("номерами: %1.").arg(missing)),
             qPrintable(run.platform.messages[0].text));
    answer(run, kRight); // whatever the table holds, an answer never fails
    QCOMPARE(run.platform.messages.size(), 1);

    if (flags.isEmpty()) {
        QVERIFY(run.form(kTest).widget()->close());
        QCOMPARE(run.quits(), 1);
        return;
    }
    QVERIFY(!run.form(kTest).widget()->close());
    QCOMPARE(run.platform.messages.size(), 2);
    QVERIFY(run.platform.messages[1].text.startsWith(QStringLiteral("Вы не на все вопросы")));
    while (currentNumber(run) != u"10")
        answer(run, kRight);
    tickOptions(run, kRight);
    QVERIFY(!run.form(kTest).widget()->close());
    QCOMPARE(run.lastFlags(), flags);
    QVERIFY(run.form(QStringLiteral("frmOtchot")).isVisible());
    QCOMPARE(run.quits(), 0);
}

QTEST_MAIN(tst_frmTest)
#include "tst_frmTest.moc"
