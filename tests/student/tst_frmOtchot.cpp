// The result screen: what it shows of the last row of Rezultat, and the two ways out.
#include "StudentRun.h"

#include <QLabel>
#include <QProgressBar>

namespace {

const QString kOtchot = QStringLiteral("frmOtchot");
const QString kRight = QStringLiteral("Ответ правильный");
const QString kWrong = QStringLiteral("Ответ неверный");
constexpr unsigned kNormalText = kButtonText;

QLabel* outcomeLabel(const StudentRun& run, int question) {
    return run.control<QLabel>(kOtchot, QStringLiteral("lb%1").arg(question));
}

} // namespace

class tst_frmOtchot : public QObject {
    Q_OBJECT
private slots:
    void showsLastRow_data();
    void showsLastRow();
    void redStaysOnceWrong();
    void openedFromStartWindow();
    void okEndsWithMessageAndPusk();
    void puskMissingIsLoggedThenEnds();
    void closeBoxEndsQuietly();
};

void tst_frmOtchot::showsLastRow_data() {
    QTest::addColumn<QString>("flags");
    QTest::addColumn<QString>("percent");
    QTest::addColumn<QString>("shownPercent");
    QTest::addColumn<int>("bar");

    QTest::newRow("all right") << "1111111111"
                               << "100"
                               << "100" << 100;
    QTest::newRow("none right") << "0000000000"
                                << "0"
                                << "0" << 0;
    QTest::newRow("mixed") << "1010000011"
                           << "40"
                           << "40" << 40;
    QTest::newRow("no percentage yet") << "0000000000"
                                       << "NULL"
                                       << "" << 0;
    QTest::newRow("percentage above the bar") << "1111111111"
                                              << "150"
                                              << "150" << 100;
}

void tst_frmOtchot::showsLastRow() {
    QFETCH(QString, flags);
    QFETCH(QString, percent);
    QFETCH(QString, shownPercent);
    QFETCH(int, bar);
    StudentRun run;
    run.db.setResults(
        {TestDatabase::resultRow(QStringLiteral("Прежний"), QStringLiteral("1111111111"), "100")});
    run.forms.Show(kOtchot);
    run.db.setResults(
        {TestDatabase::resultRow(QStringLiteral("Прежний"), QStringLiteral("1111111111"), "100"),
         TestDatabase::resultRow(QStringLiteral("Иванов Иван"), flags, percent)});

    run.tick(kOtchot);

    QCOMPARE(run.control<QLabel>(kOtchot, QStringLiteral("Label2"))->text(),
             QStringLiteral("Иванов Иван"));
    QCOMPARE(run.control<QLabel>(kOtchot, QStringLiteral("lblRes"))->text(), shownPercent);
    QCOMPARE(run.control<QProgressBar>(kOtchot, QStringLiteral("ProgressBar1"))->value(), bar);
    for (int q = 1; q <= 10; ++q) {
        const bool right = flags.at(q - 1) == u'1';
        QCOMPARE(outcomeLabel(run, q)->text(), right ? kRight : kWrong);
        QCOMPARE(foreColor(outcomeLabel(run, q)), right ? kNormalText : kRed);
    }
    QCOMPARE(run.form(kOtchot).caption(), QStringLiteral("Результат выполнения теста"));
}

void tst_frmOtchot::redStaysOnceWrong() {
    StudentRun run;
    run.db.setResults(
        {TestDatabase::resultRow(QStringLiteral("Иванов"), QStringLiteral("0000000000"), "NULL")});
    run.forms.Show(kOtchot);
    run.tick(kOtchot);
    QCOMPARE(outcomeLabel(run, 1)->text(), kWrong);

    run.db.exec(
        QStringLiteral("UPDATE Rezultat SET \"Вопрос 1\" = -1, \"Результат выполнения\" = 10"));
    run.tick(kOtchot);

    QCOMPARE(outcomeLabel(run, 1)->text(), kRight);
    QCOMPARE(foreColor(outcomeLabel(run, 1)), kRed);
    QCOMPARE(run.control<QProgressBar>(kOtchot, QStringLiteral("ProgressBar1"))->value(), 10);
}

// Without a test just taken the screen shows the last row, whoever it belongs to.
void tst_frmOtchot::openedFromStartWindow() {
    StudentRun run;
    run.db.setResults(
        {TestDatabase::resultRow(QStringLiteral("Первый"), QStringLiteral("0000000000"), "0"),
         TestDatabase::resultRow(QStringLiteral("Последний"), QStringLiteral("1111111111"),
                                 "100")});
    run.forms.Show(QStringLiteral("frmStart"));

    run.control<QPushButton>(QStringLiteral("frmStart"), QStringLiteral("Command1"))->click();
    run.tick(kOtchot);

    QVERIFY(run.form(QStringLiteral("frmStart")).isVisible());
    QCOMPARE(run.control<QLabel>(kOtchot, QStringLiteral("Label2"))->text(),
             QStringLiteral("Последний"));
    QCOMPARE(outcomeLabel(run, 10)->text(), kRight);
}

void tst_frmOtchot::okEndsWithMessageAndPusk() {
    StudentRun run;
    run.forms.Show(kOtchot);
    bool hiddenDuringMessage = false;
    qsizetype startedDuringMessage = -1;
    run.platform.whileMsgBoxOpen = [&](const ScriptedPlatform::Message&) {
        hiddenDuringMessage = !run.form(kOtchot).isVisible();
        startedDuringMessage = run.platform.started.size();
    };

    run.control<QPushButton>(kOtchot, QStringLiteral("cmdOk"))->click();

    QCOMPARE(run.platform.messages.size(), 1);
    QCOMPARE(run.platform.messages[0].text, QStringLiteral("Тест закончен!"));
    QCOMPARE(run.platform.messages[0].title, QStringLiteral("Сообщение"));
    QCOMPARE(run.platform.messages[0].style, 64);
    QVERIFY(hiddenDuringMessage);
    QCOMPARE(startedDuringMessage, 0);
    QCOMPARE(run.platform.started.size(), 1);
    QCOMPARE(run.platform.started[0].program, QStringLiteral("pusk.exe"));
    QCOMPARE(run.platform.started[0].windowStyle, 1);
    QCOMPARE(run.platform.ends, 1);
    QCOMPARE(run.quits(), 0);
}

void tst_frmOtchot::puskMissingIsLoggedThenEnds() {
    StudentRun run;
    run.platform.shellError = QStringLiteral("Программа «pusk.exe» не найдена.");
    run.forms.Show(kOtchot);

    run.control<QPushButton>(kOtchot, QStringLiteral("cmdOk"))->click();

    QCOMPARE(run.platform.messages.size(), 1);
    QCOMPARE(run.platform.logs, QStringList{run.platform.shellError});
    QCOMPARE(run.platform.ends, 1);
}

void tst_frmOtchot::closeBoxEndsQuietly() {
    StudentRun run;
    run.forms.Show(kOtchot);

    run.form(kOtchot).widget()->close();

    QCOMPARE(run.platform.ends, 1);
    QVERIFY(run.platform.messages.isEmpty());
    QVERIFY(run.platform.started.isEmpty());
}

QTEST_MAIN(tst_frmOtchot)
#include "tst_frmOtchot.moc"
